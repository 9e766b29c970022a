// A strategy is a path through the action graph; shown, it becomes one chunk
// per node in time order, each with the node's concepts, position, the join
// value, an end flag and the positions of all objects at the node's cycles.
// Nothing here knows a window: the strategy window binds its grid to the
// columns and keeps the chunks.
#pragma once

#include "actiongraph/model/NameDepths.h"
#include "core/learning/StrategyChunk.h"

#include <memory>
#include <string>
#include <vector>

class ConceptObject;
class RoboCupFileT;
class TConnection;
class TNode;
class TPathObject;

using TChunkList = std::vector<std::unique_ptr<StrategyChunk>>;

// Deletes every chunk and empties the list (the list itself stays).
void DeleteChunks(TChunkList& chunks);
// Deep copies (each copy owns its rules).
TChunkList CopyChunks(const TChunkList& chunks);

// Which cycles of an occurrence count for a node.
enum class TDurationMode { FirstCycle = 0, Duration = 1, Visual = 2 };

// The nodes of the path in time order: the source of its earliest connection
// first, the target of its last connection last. Empty for an empty path or
// one with a connection without ends.
std::vector<TNode*> PathNodes(const TPathObject& path);

// Appends to out, once each and in the order found, the cycles of the node's
// occurrences: with outgoing, of its outgoing connections by the mode (start;
// start .. start + duration - 1; start .. start + other length - 1); without,
// of its incoming connections the other end's last cycle (start + other
// length - 1). With a path only the path's connections count. Empty entries
// and occurrences whose other end has length 0 are skipped. A null node adds
// nothing.
void CollectCycles(const TPathObject* path, const TNode* node, std::vector<int>& out, TDurationMode mode,
                   bool outgoing);

// One grid column of a shown strategy: rows "Role", "Action", "Position".
struct TStrategyColumn {
    std::string role;
    std::string action;
    std::string position;
};

struct TStrategyOptions {
    TDurationMode duration = TDurationMode::FirstCycle;
    // Only the strategy's own occurrences give cycles.
    bool strictTimes = true;
    // The join value of the action-graph window, carried by every chunk.
    double value = 1.0;
    // The depths the action-graph window names at: the grid and the chunks
    // name as its nodes do.
    TNameDepths depths;
};

// The role shown for a node of the path: the lowest common ancestor of the
// roles the acting players held at the starts of the node's path occurrences
// (outgoing for every node but the final one, incoming for that) whose other
// end has a length; null when none is found or there is no log.
ConceptObject* ShownRole(const TPathObject& path, const TNode* node, bool final, const RoboCupFileT* log);

// Replaces out by one chunk per node of the path in time order and returns the
// grid columns (without the heading column). The final node's name ends in
// " (end)"; a chunk's role is the node's own role, its end flag says the node
// has no outgoing occurrences at all; its field states are those of the
// collected cycles read from log (equal states kept once). Without a log the
// chunks get no field states.
std::vector<TStrategyColumn> BuildStrategy(const TPathObject& path, const RoboCupFileT* log,
                                           const TStrategyOptions& options, TChunkList& out);

// Equal field states (exact positions) hash alike: a hash set in front of the
// exact comparison keeps searches over thousands of cycles cheap.
struct TFieldStateHash {
    std::size_t operator()(const tFieldState& s) const;
};

// Appends the field state of each cycle, read from log, unless the chunk holds
// an equal one; a cycle outside the log gives no state (and a beep).
void AddCycleStates(StrategyChunk& chunk, const std::vector<int>& cycles, const RoboCupFileT& log);

// The heading column of the grid.
inline const char* const kStrategyRowNames[3] = {"Role", "Action", "Position"};
