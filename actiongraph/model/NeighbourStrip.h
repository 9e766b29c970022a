// What the action-graph window's small views around the selected node work
// out, without a window: the geometry and texts of the neighbour strip (the
// selected node in the middle, its incoming connections as bands on the left,
// its outgoing ones on the right), the cycles and bar spans of the timeline,
// and the rows and columns of a data window over the graph's occurrences.
#pragma once

#include <string>
#include <utility>
#include <vector>

class CellTable;
class ConceptObject;
class RoboCupFileT;
class TGraph;
class TNode;
class TimeChannel;

// ---- The neighbour strip ------------------------------------------------------

enum class StripThird { Left, Middle, Right };

// Which third of a strip w pixels wide holds x: left for x < w div 3, right for
// x > 2w div 3, the middle otherwise (both dividing columns included).
StripThird StripThirdAt(int w, int x);
// The first and one-past-last row of band i of n bands in a strip h pixels
// high: i x h div n and (i + 1) x h div n.
std::pair<int, int> StripBand(int i, int n, int h);
// The band of n that holds row y strictly (a row on a border belongs to no
// band), or -1; -1 also for n <= 0.
int StripBandAt(int n, int h, int y);

// The middle third's text: the node's name, ":" and its index in the graph,
// then " start/duration:otherLength" for every occurrence of every outgoing
// connection (empty entries skipped), with every "." as " " so that dotted
// concept paths can wrap.
std::string StripMiddleText(const TGraph& graph, const TNode& node);
// A band's text: the neighbour's name (nothing for a missing end), " - " and
// the connection's weight.
std::string StripBandText(const TNode* neighbour, int weight);

// ---- The timeline -------------------------------------------------------------

// The cycles of a node's outgoing occurrences (empty entries skipped): every
// cycle from start to start + duration - 1, occurrence after occurrence.
std::vector<int> NodeOccurrenceCycles(const TNode& node);
// Every cycle of the log at which the node's test holds for the position of
// object o alone (a situation with only x and y set). Nothing for an object
// outside the log's objects or a concept without an evaluator.
std::vector<int> ConceptCycles(const RoboCupFileT& log, int object, const ConceptObject& area);
// The pixel columns [x1, x2) that cycles cover in a row whose bars run from
// left to right for the axis from .. to: a cycle t spans trunc(left + (t -
// from) x s) to trunc(left + (t - from + 1) x s + 0.5), s = (right - left) /
// (to - from); runs of cycles that touch become one span. Cycles outside
// [from, to) and an empty axis give nothing; spans of no width are left out.
std::vector<std::pair<int, int>> TimelineSpans(int left, int right, int from, int to, std::vector<int> cycles);

// ---- The graph's data window ----------------------------------------------------

struct TGraphDataRow {
    int cycle = 0;  // the cycle whose field values the row shows
    int cls = 0;    // the class column's value
};

// One row per cycle start .. start + duration - 1 of every occurrence (empty
// entries skipped) of every outgoing connection: of the selected node, with
// the target's neighbour number modulo 22 as class; without a selected node,
// of every node in index order with the node's index as class. Cycles outside
// 0 .. logCycles - 1 give no row.
std::vector<TGraphDataRow> GraphDataRows(const TGraph& graph, const TNode* selected, int logCycles);

// Appends to a data window's table (core/io/DataGrid.h's layout, five rows at
// least) the rows (column 0 numbering them 0, 1, ...), the class column
// ("Next\r\nNode\r\nId" with a selected node, else "Graph\r\nNode\r\nId",
// type "short") and one column per channel with its values at the rows'
// cycles: "double" fixed with 4 decimals (8 significant digits), the other
// types in the general form. Rows 1 and 2 of each new column hold its minimum
// and maximum over the rows. A cycle a channel does not reach stays empty.
void AddGraphDataColumns(CellTable& grid, const std::vector<TGraphDataRow>& rows, bool selectedNode,
                         const std::vector<TimeChannel*>& channels);
// Fills the existing column col with the channel as AddGraphDataColumns fills a
// new one, over what it held; false when the channel holds no values of those types.
bool FillGraphChannelColumn(CellTable& grid, int col, const std::vector<TGraphDataRow>& rows, TimeChannel* channel);
