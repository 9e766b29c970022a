#include "actiongraph/model/PathGrowth.h"

#include "actiongraph/model/Actiongraph.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <memory>
#include <utility>

void MarkGrowth(TGraph& graph, TNode* start, int depth)
{
    for (int i = 0; i < graph.NodeCount(); ++i)
        graph.GetNode(i)->SetMark(0);
    if (!start)
        return;
    // Breadth first, the first visit of a node is along a shortest route, so it
    // already carries the largest remaining depth any route could give it: the
    // same nodes a walk along every route would reach, each looked at once.
    const bool forward = depth > 0;
    const std::int64_t steps = depth < 0 ? -static_cast<std::int64_t>(depth) : depth;
    std::deque<std::pair<TNode*, std::int64_t>> queue;
    start->SetMark(1);
    queue.emplace_back(start, steps);
    while (!queue.empty()) {
        auto [node, left] = queue.front();
        queue.pop_front();
        if (left == 0)
            continue;
        for (const TConnection* c : forward ? node->OutList() : node->InList()) {
            TNode* next = forward ? c->To() : c->From();
            if (next && next->GetMark() == 0) {
                next->SetMark(1);
                queue.emplace_back(next, left - 1);
            }
        }
    }
}

int GrowGraph(TGraph& graph, TNode* start, int depth)
{
    MarkGrowth(graph, start, depth);
    int removed = 0;
    for (int i = 0; i < graph.NodeCount();) {
        if (graph.GetNode(i)->GetMark() == 0) {
            graph.RemoveNodeAt(i);
            ++removed;
        } else {
            ++i;
        }
    }
    return removed;
}

namespace {

void AppendOutgoingCycles(const TNode& node, std::vector<int>& cycles)
{
    for (const TConnection* c : node.OutList())
        for (const auto& d : c->Data())
            if (d)
                for (int t = d->start; t < d->start + d->duration; ++t)
                    cycles.push_back(t);
}

}  // namespace

std::vector<int> CollectOutgoingCycles(const TGraph& graph, const TNode* selected, const std::string& filter)
{
    std::vector<int> cycles;
    if (selected) {
        AppendOutgoingCycles(*selected, cycles);
        return cycles;
    }
    for (int i = 0; i < graph.NodeCount(); ++i) {
        const TNode* node = graph.GetNode(i);
        if (node->GetName().find(filter) != std::string::npos)
            AppendOutgoingCycles(*node, cycles);
    }
    return cycles;
}

namespace {

using TSpan = std::pair<std::int64_t, std::int64_t>;  // first, last (inclusive)

// The cycles near the collected ones as sorted, disjoint spans: a filter that
// matches many nodes collects tens of thousands of cycles, each looked at once.
std::vector<TSpan> NearSpans(const std::vector<int>& cycles, int span, TTimeSide side)
{
    std::vector<TSpan> spans;
    spans.reserve(cycles.size());
    for (int e : cycles) {
        if (side == TTimeSide::History)
            spans.emplace_back(static_cast<std::int64_t>(e) - span, e);
        else
            spans.emplace_back(e, static_cast<std::int64_t>(e) + span);
    }
    std::sort(spans.begin(), spans.end());
    std::vector<TSpan> merged;
    for (const TSpan& s : spans) {
        if (s.first > s.second)
            continue;
        if (!merged.empty() && s.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, s.second);
        else
            merged.push_back(s);
    }
    return merged;
}

// Whether [first, last] meets one of the sorted disjoint spans.
bool Meets(const std::vector<TSpan>& spans, std::int64_t first, std::int64_t last)
{
    auto it = std::lower_bound(spans.begin(), spans.end(), first,
                               [](const TSpan& s, std::int64_t v) { return s.second < v; });
    return it != spans.end() && it->first <= last;
}

}  // namespace

int KeepConnectionsNearCycles(TGraph& graph, const std::vector<int>& cycles, int span, TTimeSide side)
{
    if (cycles.empty())
        return 0;
    const std::vector<TSpan> spans = NearSpans(cycles, span, side);
    int removed = 0;
    for (int i = 0; i < graph.ConnectionCount();) {
        const TConnection* c = graph.GetConnection(i);
        const bool near = std::any_of(c->Data().begin(), c->Data().end(), [&](const auto& d) {
            return d && d->duration > 0 &&
                   Meets(spans, d->start, static_cast<std::int64_t>(d->start) + d->duration - 1);
        });
        if (near) {
            ++i;
        } else {
            graph.RemoveConnectionAt(i);
            ++removed;
        }
    }
    return removed;
}

void FindPathsEndingAt(const TPathSearch& search, TNode* node, int minCount, std::vector<TPathItem>& found)
{
    if (!node)
        return;
    std::vector<int> times;
    for (TConnection* c : node->InList()) {
        if (c->Weight() < minCount)
            continue;
        times.clear();
        for (const auto& d : c->Data())
            if (d)
                times.push_back(d->start);
        auto path = std::make_shared<TPathObject>();
        path->Connections().push_back(c);
        search.EvaluatePath(path, found);
        search.ExtendPath(c->From(), times, *path, minCount, found);
    }
}
