// What the action-graph window's mouse and layout commands work out, without
// the window: which node a click hits, the cycles a node stands for, the
// ranking of the log's features over those cycles, and the random circle
// layout.
#pragma once

#include <cstdint>
#include <vector>

class FeatureList;
class RoboCupFileT;
class TGraph;
class TNode;
class TPathObject;
class ViewRect;

// The index of the first node (in index order) whose square of half-side r
// round its pixel position (trunc(X(x)), trunc(Y(y))) holds the point
// strictly; r is 5 with fixed node size, else trunc(sqrt(2 x weight) + 2).
// -1 when no node is hit.
int HitNode(const TGraph& graph, const ViewRect& view, int x, int y, bool fixedSize);

// Clears cycles when clear is set, then appends the node's cycles: the starts
// of its outgoing occurrences with a length to the other end; for an end node
// (no outgoing connections) start + that length - 1 of its incoming ones.
// With a path, only the connections on it count. A null node only clears.
void CollectNodeCycles(const TPathObject* path, const TNode* node, std::vector<int>& cycles, bool clear);

struct TFeatureRank {
    int feature = 0;
    int count = 0;     // how often the feature holds over the node's cycles
    double value = 0;  // count x log2(log cycles / the feature's count), -9999 for a feature that never holds
};
// Ranks every feature of the list over the cycles (a cycle given twice counts
// twice; cycles outside the list's instances are skipped), stores each value
// as the feature's value, and returns them by value, largest first, equal
// values in feature order.
std::vector<TFeatureRank> RankNodeFeatures(FeatureList& features, const std::vector<int>& cycles, int logCycles);

// Every node on a circle of 20 m round the centre spot at a random whole-degree
// angle of the program's random source.
void RandomCircleLayout(TGraph& graph);

// The colours of example classes (class number modulo 22), packed r + g x 256 + b x 65536.
inline constexpr int kExamplePaletteSize = 22;
extern const std::uint32_t kExamplePalette[kExamplePaletteSize];

struct TExamplePoint {
    int index = 0;  // position in the given cycles
    double x = 0.0;  // pitch metres
    double y = 0.0;
};
// The ball's position at each cycle plus a jitter of whole steps of 0.04 m
// within +-0.2 x jitter m in x and y, drawn from a generator of its own seeded
// with seed + cycle (the program's random source is left alone): the same
// cycle gets the same offset for the same seed. Cycles outside the log are
// skipped.
std::vector<TExamplePoint> ExamplePoints(const RoboCupFileT& log, const std::vector<int>& cycles, int jitter,
                                         std::int64_t seed);
