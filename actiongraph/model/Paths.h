// Path search and scoring over an action graph, without any window.
//
// A path is a chain of up to five connections along which the log really
// moved: the occurrences of one connection continue, cycle for cycle, into
// those of the next (an occurrence continues into a later one when the later
// one starts right after the earlier one's other end). The search grows every
// path backwards in time from its last connection, follows only connections
// and chains carried by at least a minimum number of occurrences, scores each
// path with one of seventeen path functions and lists those of non-zero value
// under a text: the value right-aligned, the length and the actions in time
// order.
#pragma once

#include "actiongraph/model/NameDepths.h"
#include "actiongraph/model/PathObject.h"

#include <string>
#include <vector>

class RoboCupFileT;
class TGraph;
class TNode;

// The path functions, in the order of the window's list of them.
inline constexpr int kPathFunctionCount = 17;
inline constexpr int kDefaultPathFunction = 15;  // "avg, len=3"
extern const char* const kPathFunctionNames[kPathFunctionCount];

// The most connections a path holds.
inline constexpr int kMaxPathLength = 5;

// One item of a path list: its text and its path (null: "All", no path).
struct TPathItem {
    std::string text;
    TPathPtr path;
};

// A list of path items. A sorted list keeps its items in the byte order of
// their texts (the right-aligned values then sort by value); an equal text
// goes after the items already there.
class TPathList {
public:
    explicit TPathList(bool sorted = true) : sorted_(sorted) {}

    int Count() const { return static_cast<int>(items_.size()); }
    const std::vector<TPathItem>& Items() const { return items_; }
    // Item i's text / path; std::out_of_range outside the list.
    const std::string& Text(int i) const { return items_.at(static_cast<std::size_t>(i)).text; }
    const TPathPtr& Path(int i) const { return items_.at(static_cast<std::size_t>(i)).path; }
    // The first item holding the path (null: the first item without one), -1 if none.
    int IndexOfPath(const TPathObject* path) const;

    void Clear() { items_.clear(); }
    // Adds one item (in text order when sorted, else at the end); returns its index.
    int Add(std::string text, TPathPtr path);
    // Adds many at once: sorted once and merged, so long searches list in
    // O(n log n) rather than one insertion after another.
    void AddAll(std::vector<TPathItem> items);

private:
    std::vector<TPathItem> items_;
    bool sorted_;
};

// The value of a path of len connections whose weights sum to sum, with the
// smallest min (10000 when all are larger) and the largest max (0 at least),
// by path function (0 for an index outside the list).
double PathFunctionValue(int function, int len, int sum, int min, int max);
// The path's value by path function from its connections' weights.
double PathValue(const TPathObject& path, int function);

// The value as the list shows it: fixed, two decimals, rounded to four
// significant digits, right-aligned by spaces to seven characters (a longer
// text is not cut: 10000 and more are written whole with two decimals).
std::string PathValueText(double value);
// The actions of the path in time order, each " <role path>:<action path>" of
// a source node; the final node is left out. The role is the lowest common
// ancestor of the roles the players of the node's path occurrences held at
// their starts (read from log), else the node's own role, else none. Paths
// are kept to the depths.
std::string PathLabel(const TPathObject& path, const RoboCupFileT* log, const TNameDepths& depths);
// The item text: value text, " #", the length, the label.
std::string PathItemText(const TPathObject& path, const RoboCupFileT* log, const TNameDepths& depths);

// The "All paths" item of a list: value the sum of the listed paths' values,
// connections all their connections in list order (a concatenation, not a
// chain: nothing may walk it as one path).
TPathItem AllPathsItem(const TPathList& items);

// The search: scoring by one path function, texts from one log.
class TPathSearch {
public:
    // function: the path function (outside the list: every value 0, nothing
    // listed); log: where the labels read roles (may be null); depths: how
    // deep the labels name, those of the window whose graph it searches.
    TPathSearch(int function, const RoboCupFileT* log, const TNameDepths& depths)
        : function_(function), log_(log), depths_(depths)
    {
    }

    // Every path of the graph carried by at least minCount occurrences,
    // appended to found in the order of the search (not sorted).
    void FindPaths(const TGraph& graph, int minCount, std::vector<TPathItem>& found) const;
    // Grows path backwards from node, its earliest connection's source:
    // through each incoming connection of node with at least k occurrences
    // and not yet in the path, when at least k of its occurrences continue
    // into times (start cycles of the chain's earliest occurrences).
    void ExtendPath(TNode* node, const std::vector<int>& times, const TPathObject& path, int k,
                    std::vector<TPathItem>& found) const;
    // Sets the path's value; lists it when the value is not 0.
    void EvaluatePath(const TPathPtr& path, std::vector<TPathItem>& found) const;

private:
    // Scores path; when it counts, lists a copy of it.
    void Evaluate(TPathObject& path, std::vector<TPathItem>& found) const;
    void Extend(TNode* node, std::vector<int>& times, TPathObject& path, int k, std::vector<TPathItem>& found) const;

    int function_;
    const RoboCupFileT* log_;
    TNameDepths depths_;
};
