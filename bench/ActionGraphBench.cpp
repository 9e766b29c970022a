// Building the action graph of every object of the full match, as a new
// action-graph window does (passes 1 to 3 and the degree filter).
#include "BenchLog.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/GraphBuilder.h"
#include "actiongraph/model/Paths.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/load/LoadLog.h"
#include "core/model/RoboCupFile.h"

#include "support/Gunzip.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <map>
#include <string>
#include <vector>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The bench log (the full match unless another is named), loaded once with
// roles.
RoboCupFileT& FullMatch()
{
    return LoadedBenchLog();
}

void BM_BuildActionGraphAllObjects(benchmark::State& state)
{
    RoboCupFileT& log = FullMatch();
    TObjectChoice all{};
    all[0] = true;
    TGraph graph;
    int events = 0;
    for (const auto& list : log.events)
        events += static_cast<int>(list.size());
    for (auto _ : state) {
        BuildActionGraph(log, all, {}, graph);
        RemoveNodesWithDegreeBelow(graph, 1);
        benchmark::DoNotOptimize(graph.NodeCount());
    }
    state.counters["events"] = events;
    state.counters["nodes"] = graph.NodeCount();
    state.counters["connections"] = graph.ConnectionCount();
}
BENCHMARK(BM_BuildActionGraphAllObjects)->Unit(benchmark::kMillisecond);

// The path search with minimum 1 and "avg" (every path listed, texts made) on
// the full match's graph: as built (arg 0), and with the nodes of equal names
// merged (arg 1), a heavily joined graph of hubs, parallels and self-loops.
void BM_FindPathsFullMatch(benchmark::State& state)
{
    RoboCupFileT& log = FullMatch();
    TObjectChoice all{};
    all[0] = true;
    TGraph graph;
    BuildActionGraph(log, all, {}, graph);
    RemoveNodesWithDegreeBelow(graph, 1);
    if (state.range(0) == 1) {
        bool merged = true;
        while (merged) {
            merged = false;
            std::map<std::string, TNode*> first;
            for (int i = 0; i < graph.NodeCount() && !merged; ++i) {
                TNode* n = graph.GetNode(i);
                auto [at, fresh] = first.emplace(n->GetName(), n);
                if (!fresh) {
                    graph.MergeNodes(at->second, n);
                    merged = true;
                }
            }
        }
    }
    std::size_t paths = 0;
    for (auto _ : state) {
        std::vector<TPathItem> found;
        TPathSearch(0, &log, {}).FindPaths(graph, 1, found);
        TPathList list;
        list.Add("All", nullptr);
        list.AddAll(std::move(found));
        paths = static_cast<std::size_t>(list.Count());
        benchmark::DoNotOptimize(paths);
    }
    state.counters["nodes"] = graph.NodeCount();
    state.counters["connections"] = graph.ConnectionCount();
    state.counters["paths"] = static_cast<double>(paths);
}
BENCHMARK(BM_FindPathsFullMatch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
