// Cutting an action graph down to what the user points at, without any window:
// the neighbourhood of one node ("Grow"), the connections that happened shortly
// before or after chosen cycles ("Create history path", "Create future path"),
// and the paths that end at one node ("Revalidate").
#pragma once

#include "actiongraph/model/Paths.h"

#include <string>
#include <vector>

class TGraph;
class TNode;
class TPathSearch;

// Marks with 1 every node reachable from start in at most depth steps along
// outgoing connections (depth > 0) or against incoming ones (depth < 0), start
// itself included; every other node of the graph gets 0. The search is breadth
// first and visits each node once, so any depth returns at once.
void MarkGrowth(TGraph& graph, TNode* start, int depth);
// MarkGrowth, then removes every node left at 0 with its connections. Returns
// the number of nodes removed.
int GrowGraph(TGraph& graph, TNode* start, int depth);

// The cycles the history and future commands look around, when no time marks
// are used: every cycle start .. start + duration - 1 of every occurrence of
// every outgoing connection of the selected node, or, without one, of every
// node (in node order) whose name contains filter (case-sensitive).
std::vector<int> CollectOutgoingCycles(const TGraph& graph, const TNode* selected, const std::string& filter);

// Which way of a collected cycle e a connection must have occurred to stay.
enum class TTimeSide {
    History,  // e - span <= c <= e
    Future,   // e <= c <= e + span
};

// Keeps every connection with an occurrence cycle c (start .. start +
// duration - 1) near some cycle e of cycles on the given side; removes the
// others, nodes stay. An empty cycle list keeps everything. Runs in time
// linear in the cycles and occurrences. Returns the number removed.
int KeepConnectionsNearCycles(TGraph& graph, const std::vector<int>& cycles, int span, TTimeSide side);

// The paths that end at node, as one pass of the search per incoming
// connection of node carried by at least minCount occurrences: that
// connection as a path of its own, then grown backwards from its source.
// Appended to found in the order of the search.
void FindPathsEndingAt(const TPathSearch& search, TNode* node, int minCount, std::vector<TPathItem>& found);
