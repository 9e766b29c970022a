#include "actiongraph/model/GraphEdit.h"

#include "actiongraph/model/Actiongraph.h"

#include <algorithm>

namespace {

template <typename Remove>
int RemoveConnectionsWhere(TGraph& graph, Remove remove)
{
    int removed = 0;
    int i = 0;
    while (i < graph.ConnectionCount()) {
        if (remove(*graph.GetConnection(i))) {
            graph.RemoveConnectionAt(i);
            ++removed;
        } else {
            ++i;
        }
    }
    return removed;
}

}  // namespace

int RemoveConnectionsWeightBelow(TGraph& graph, int v)
{
    return RemoveConnectionsWhere(graph, [v](const TConnection& c) { return c.Weight() < v; });
}

int RemoveConnectionsShown(TGraph& graph, const std::string& filter)
{
    return RemoveConnectionsWhere(graph, [&filter](const TConnection& c) {
        return filter.empty() || (c.From() && c.From()->GetName().find(filter) != std::string::npos);
    });
}

int RemoveConnectionsNotInMarks(TGraph& graph, const std::vector<int>& marks)
{
    std::vector<int> sorted = marks;
    std::sort(sorted.begin(), sorted.end());
    // An occurrence covers [start, start + other length): one search for the
    // first mark not before its start answers it.
    auto touches = [&sorted](const TConnection& c) {
        for (const auto& d : c.Data()) {
            if (!d)
                continue;
            const auto first = std::lower_bound(sorted.begin(), sorted.end(), d->start);
            if (first != sorted.end() && static_cast<long long>(*first) < static_cast<long long>(d->start) + d->otherLength)
                return true;
        }
        return false;
    };
    return RemoveConnectionsWhere(graph, [&touches](const TConnection& c) { return !touches(c); });
}
