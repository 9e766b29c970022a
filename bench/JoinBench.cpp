// "Join" with value 5 and all four weights set on the full match's graph: the
// distance pass over every pair with the feature term, then the joins.
#include "BenchLog.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/Distances.h"
#include "actiongraph/model/GraphBuilder.h"
#include "actiongraph/GraphRenderer.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/load/LoadLog.h"
#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"

#include "support/Gunzip.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

RoboCupFileT& JoinMatch()
{
    return LoadedBenchLog();
}

class BenchPlacing final : public TJoinHooks {
public:
    BenchPlacing(TGraph& graph, const RoboCupFileT& log) : graph_(graph), tracks_(log) {}
    void Place(TNode* node) override { PlaceNodes(graph_, tracks_, nullptr, node); }

private:
    TGraph& graph_;
    TObjectTracks tracks_;
};

void BM_JoinFullMatchValue5(benchmark::State& state)
{
    RoboCupFileT& log = JoinMatch();
    TObjectChoice all{};
    all[0] = true;
    const TDistanceWeights weights{1.0, 30.0, 30.0, 10.0};
    int before = 0;
    int joins = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TGraph graph;
        BuildActionGraph(log, all, graph);
        RemoveNodesWithDegreeBelow(graph, 1);
        before = graph.NodeCount();
        BenchPlacing hooks(graph, log);
        state.ResumeTiming();
        joins = JoinNearestNodes(graph, weights, log.features.get(), 5.0, hooks);
        benchmark::DoNotOptimize(joins);
    }
    state.counters["nodes"] = before;
    state.counters["joins"] = joins;
    state.counters["features"] = log.features ? log.features->GetNumFeatures() : 0;
}
BENCHMARK(BM_JoinFullMatchValue5)->Unit(benchmark::kMillisecond);

}  // namespace
