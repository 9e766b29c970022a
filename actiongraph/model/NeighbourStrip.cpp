#include "actiongraph/model/NeighbourStrip.h"

#include "actiongraph/model/Actiongraph.h"
#include "core/concepts/Concepts.h"
#include "core/io/DataGrid.h"
#include "core/model/CellTable.h"
#include "core/model/RoboCupFile.h"
#include "core/model/Situation.h"
#include "core/model/timestream.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

StripThird StripThirdAt(int w, int x)
{
    if (x < w / 3)
        return StripThird::Left;
    if (x > 2 * w / 3)
        return StripThird::Right;
    return StripThird::Middle;
}

std::pair<int, int> StripBand(int i, int n, int h)
{
    if (n <= 0)
        return {0, 0};
    return {i * h / n, (i + 1) * h / n};
}

int StripBandAt(int n, int h, int y)
{
    for (int i = 0; i < n; ++i) {
        const auto [top, bottom] = StripBand(i, n, h);
        if (top < y && y < bottom)
            return i;
    }
    return -1;
}

std::string StripMiddleText(const TGraph& graph, const TNode& node)
{
    std::string text = node.GetName() + ":" + std::to_string(graph.IndexOfNode(&node));
    for (const TConnection* c : node.OutList())
        for (const auto& o : c->Data())
            if (o) {
                // Appended piece by piece: GCC 12 misreads the joined temporaries
                // as overlapping copies.
                text += ' ';
                text += std::to_string(o->start);
                text += '/';
                text += std::to_string(o->duration);
                text += ':';
                text += std::to_string(o->otherLength);
            }
    std::replace(text.begin(), text.end(), '.', ' ');
    return text;
}

std::string StripBandText(const TNode* neighbour, int weight)
{
    return (neighbour ? neighbour->GetName() : std::string()) + " - " + std::to_string(weight);
}

std::vector<int> NodeOccurrenceCycles(const TNode& node)
{
    std::vector<int> cycles;
    for (const TConnection* c : node.OutList())
        for (const auto& o : c->Data())
            if (o)
                for (int t = o->start; t < o->start + o->duration; ++t)
                    cycles.push_back(t);
    return cycles;
}

std::vector<int> ConceptCycles(const RoboCupFileT& log, int object, const ConceptObject& area)
{
    std::vector<int> cycles;
    if (object < 0 || object >= RoboCupFileT::kObjectCount || area.GetEvaluator() == nullptr)
        return cycles;
    const auto* xs = log.posXChannel[static_cast<std::size_t>(object)];
    const auto* ys = log.posYChannel[static_cast<std::size_t>(object)];
    if (xs == nullptr || ys == nullptr)
        return cycles;
    const int n = std::min({log.cycles, xs->GetCount(), ys->GetCount()});
    // The position alone: the region tests read nothing else, and without a
    // log they never take the log's length into account.
    BasicGameData situation;
    for (int t = 0; t < n; ++t) {
        situation.x = xs->Get(t);
        situation.y = ys->Get(t);
        if (area.Evaluate(&situation))
            cycles.push_back(t);
    }
    return cycles;
}

std::vector<std::pair<int, int>> TimelineSpans(int left, int right, int from, int to, std::vector<int> cycles)
{
    std::vector<std::pair<int, int>> spans;
    if (to <= from)
        return spans;
    const double scale = static_cast<double>(right - left) / (to - from);
    std::sort(cycles.begin(), cycles.end());
    for (int t : cycles) {
        if (t < from || t >= to)
            continue;
        const int k = t - from;
        const int x1 = static_cast<int>(std::trunc(left + k * scale));
        const int x2 = static_cast<int>(std::trunc(left + (k + 1) * scale + 0.5));
        if (x2 <= x1)
            continue;
        // Spans grow from left to right, so a span that starts at or before the
        // last one's end joins it.
        if (!spans.empty() && x1 <= spans.back().second)
            spans.back().second = std::max(spans.back().second, x2);
        else
            spans.emplace_back(x1, x2);
    }
    return spans;
}

std::vector<TGraphDataRow> GraphDataRows(const TGraph& graph, const TNode* selected, int logCycles)
{
    std::vector<TGraphDataRow> rows;
    const auto addNode = [&](const TNode& node, int nodeClass) {
        for (const TConnection* c : node.OutList()) {
            int cls = nodeClass;
            if (selected) {
                const int mark = c->To() ? c->To()->GetMark() : 0;
                cls = ((mark % 22) + 22) % 22;
            }
            for (const auto& o : c->Data()) {
                if (!o)
                    continue;
                for (int t = o->start; t < o->start + o->duration; ++t)
                    if (t >= 0 && t < logCycles)
                        rows.push_back({t, cls});
            }
        }
    };
    if (selected) {
        addNode(*selected, 0);
        return rows;
    }
    for (int i = 0; i < graph.NodeCount(); ++i)
        addNode(*graph.GetNode(i), i);
    return rows;
}

namespace {
constexpr int kFirstDataRow = 4;
}  // namespace

void AddGraphDataColumns(CellTable& grid, const std::vector<TGraphDataRow>& rows, bool selectedNode,
                         const std::vector<TimeChannel*>& channels)
{
    const int n = static_cast<int>(rows.size());
    grid.SetRowCount(std::max(grid.RowCount(), kFirstDataRow + n));
    std::vector<std::int32_t> numbers(rows.size());
    std::vector<std::int32_t> classes(rows.size());
    for (int i = 0; i < n; ++i) {
        numbers[static_cast<std::size_t>(i)] = i;
        classes[static_cast<std::size_t>(i)] = rows[static_cast<std::size_t>(i)].cls;
    }
    grid.Column(0).SetNumbers(kFirstDataRow, std::move(numbers), CellNumberFormat::General15());

    int col = grid.ColCount();
    grid.SetColCount(col + 1);
    grid.SetCell(col, 0, selectedNode ? "Next\r\nNode\r\nId" : "Graph\r\nNode\r\nId");
    grid.SetCell(col, 3, "short");
    CellColumn& column = grid.Column(col);
    if (n > 0) {
        const auto [lo, hi] = std::minmax_element(classes.begin(), classes.end());
        column.SetText(1, std::to_string(*lo));
        column.SetText(2, std::to_string(*hi));
    }
    column.SetNumbers(kFirstDataRow, std::move(classes), CellNumberFormat::General15());

    for (TimeChannel* channel : channels) {
        if (channel == nullptr)
            continue;
        col = grid.ColCount();
        grid.SetColCount(col + 1);
        FillGraphChannelColumn(grid, col, rows, channel);
    }
}

bool FillGraphChannelColumn(CellTable& grid, int col, const std::vector<TGraphDataRow>& rows, TimeChannel* channel)
{
    std::vector<int> cycles(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        cycles[i] = rows[i].cycle;
    return datagrid::FillChannelCycles(grid, col, channel, cycles);
}
