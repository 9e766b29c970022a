// The thinning commands of the action graph, without any window. Each walks
// its list by index and removes in place: after a removal the index does not
// advance, so the element that moved into the place is judged next. Each
// returns how many it removed. (The degree filter, which every build ends
// with, is RemoveNodesWithDegreeBelow in GraphBuilder.h.)
#pragma once

#include <string>
#include <vector>

class TGraph;

// Removes the connections whose weight (empty entries counted) is below v.
int RemoveConnectionsWeightBelow(TGraph& graph, int v);
// Removes the connections the display filter shows: all of them for an empty
// filter, else those whose source node's name contains it (case-sensitive).
int RemoveConnectionsShown(TGraph& graph, const std::string& filter);
// Keeps the connections one of whose occurrences covers a marked cycle t
// (start <= t < start + length to the other end) and removes the others,
// those without occurrences too. marks: the marked cycles in ascending order.
int RemoveConnectionsNotInMarks(TGraph& graph, const std::vector<int>& marks);
