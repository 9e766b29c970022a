// Relating strategies to each other, without any window: how far apart two
// strategies of one length lie node by node, the lines of the similar list,
// recognising a stored strategy in another graph of the same matches by the
// exact positions of all objects at its nodes' cycles, the cycle a strategy
// starts at, and the text filter of the strategy list.
#pragma once

#include "strategy/model/StrategyChunks.h"

#include "actiongraph/model/Paths.h"

#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

class RoboCupFileT;
class TNode;
class TPathObject;

// The weighted distance of two graph nodes (the action-graph window's).
using TNodeDistance = std::function<double(TNode*, TNode*)>;

// Whether candidate b is similar to the selected strategy a at threshold t,
// and in d their distance: the mean over all N + 1 node pairs (final nodes
// first, then the sources of connections 0 .. N-1), also when the walk stopped
// early. Never similar when a path is missing or the lengths differ. Without
// avgMode every pair must lie within t (a pair beyond it stops the walk); with
// it only the mean must (for t > 0). With t = 0 every pair but the final one
// must have related actions and related roles (and, without avgMode, distance 0).
bool PathDistance(const TPathObject* a, const TPathObject* b, double t, bool avgMode, double& d,
                  const TNodeDistance& nodeDistance);

// A line of the similar list: the distance right-aligned in ten characters
// with two decimals, " - ", the count of target nodes found, " TARGET" when
// that is 3 or more, " - " and the strategy's text.
std::string SimilarLine(double distance, int count, const std::string& text);

// Field states compared by their 46 coordinates exactly (the cycle does not
// count; -0.0 equals 0.0).
using TFieldStateSet = std::unordered_set<tFieldState, TFieldStateHash>;
// Every field state of every chunk.
TFieldStateSet StatesOfChunks(const TChunkList& chunks);
// One set per chunk, in order.
std::vector<TFieldStateSet> StatesPerChunk(const TChunkList& chunks);

// How many nodes of the path (0 .. N + 1) occur at a field state of states:
// each node's first cycles (outgoing for all but the final node, only the
// path's own occurrences when strict) read from log.
int CountTargetChunks(const TFieldStateSet& states, const TPathObject& path, const RoboCupFileT& log, bool strict);

// Whether the path has one node per chunk and each node k occurs (at any of
// its occurrences' first cycles, on the path or not) at a field state of
// chunk k, read from log.
bool MatchTestChunks(const TPathObject& path, const std::vector<TFieldStateSet>& chunkStates,
                     const RoboCupFileT& log);

// Whether the path's first node starts one of its own occurrences on the path
// at the cycle.
bool StrategyStartsAt(const TPathObject& path, int cycle);

// The items whose text contains filter (case-sensitive); all of them for an
// empty filter.
TPathList FilterStrategies(const TPathList& all, const std::string& filter);

// The strategies among the items: those with a path, but for "All paths"
// (every listed path's connections, no strategy of its own).
int CountStrategies(const TPathList& items);
