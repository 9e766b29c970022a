// Labelled examples from the action graph: the example cycles of a data mode
// with a class each (for the dataset dialog and its learners), how many of
// them a rule written as text covers, and the cycles the time-mark buttons
// copy into the main window's marks. No window code: the window supplies its
// graph, selected node, selected path and node distance.
#pragma once

#include "actiongraph/model/NameDepths.h"

#include <functional>
#include <string>
#include <vector>

class RoboCupFileT;
class TGraph;
class TNode;
class TPathObject;

// The four lists a data mode fills. classNames holds each name once; its
// position is the class index that classes (parallel to cycles) refers to.
// marked holds the cycles of the mode's own class, or those near the selected
// node.
struct TExampleLists {
    std::vector<int> cycles;
    std::vector<std::string> classNames;
    std::vector<int> classes;
    std::vector<int> marked;
};

// What a data mode lacked; the window reports it.
enum class TMarkProblem { None, NoNode, NoPath };

// "<role path>_<action path>_<index in graph>", each path kept to its depth; a
// missing record or concept stands as "none".
std::string NodeClassName(const TGraph& graph, const TNode* node, const TNameDepths& depths);

// The distance of a node (first) to the selected node (second).
using TNodeDistanceFn = std::function<double(TNode* node, TNode* selected)>;

// Clears the lists and fills them by the data mode (0..9) from the graph, the
// selected node and the selected path (either may be null), naming the
// classes at the depths. Occurrences without a length to the other end are
// passed over. A mode that needs a node or a path that is missing stops there
// (classes it names before the check stay) and returns the problem. After a complete mode, an epsilon above 0
// replaces the marked cycles by those of every node whose distance to the
// selected node is below epsilon (none without a selected node).
TMarkProblem MarkExampleCycles(const TGraph& graph, int mode, TNode* selected, const TPathObject* path,
                               double epsilon, const TNodeDistanceFn& distance, const TNameDepths& depths,
                               TExampleLists& lists);

// Counts per class (counts keeps its size, one entry per class) the examples
// a rule covers. The rule's conditions are items "Team:<group path>",
// "<role path>:<group path>" (the role path kept to roleDepth levels, as the
// dataset named it) or "<object>:<group path>", each followed by a blank; an
// example is covered when exactly `conditions` items of its set features
// occur in the rule. With conditions 0 nothing is counted and
// avgDepth (may be null) is left alone; else it becomes the mean over the
// covered examples of their items' mean concept level (0 when none is
// covered). Returns the number of examples with more hits than conditions.
int CountRuleCoverage(const RoboCupFileT& log, int roleDepth, const std::string& rule, int conditions,
                      std::vector<int>& counts, const std::vector<int>& cycles, const std::vector<int>& classes,
                      double* avgDepth);

// The cycles of "Save Node Marks": of the selected node, or of every node when
// none is; outgoing occurrences from start to start + duration - 1, for an end
// node the last cycle of its incoming ones; with a path only its connections.
std::vector<int> NodeMarkCycles(const TGraph& graph, const TNode* selected, const TPathObject* path);
// "Save Edges Marks": every connection whose source's name contains filter
// (all for an empty filter), each occurrence from start to start + length to
// the other end - 1.
std::vector<int> EdgeMarkCycles(const TGraph& graph, const std::string& filter);
// "Save Path Marks": the path's connections in path order, as for the edges.
std::vector<int> PathMarkCycles(const TPathObject& path);
