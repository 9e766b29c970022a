// "Join" with value 5 and all four weights set on the full match's graph: the
// distance pass over every pair with the feature term, then the joins. And
// "Join" 200000 with the window's weights, which joins a graph down to one node:
// once on one match's graph, once on the graph of the merge of that match with
// itself (twice the nodes), the merge the main window's "Merge Files" makes of
// two logs of one team. The full match gives about 915 and 1,830 nodes; the
// short match the test suite names, a handful.
#include "BenchLog.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/Distances.h"
#include "actiongraph/model/GraphBuilder.h"
#include "actiongraph/GraphRenderer.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/load/LoadLog.h"
#include "core/learning/Features.h"
#include "core/load/MergeLogs.h"
#include "core/model/RoboCupFile.h"

#include "support/Gunzip.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
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

// Builds the log's action graph afresh for every round (untimed) and times
// joining it at the value; the graph's nodes before and the joins made are
// counted. Each round's joined graph goes to check.
template <typename Check>
void TimeJoin(benchmark::State& state, RoboCupFileT& log, const TDistanceWeights& weights, double value, Check check)
{
    TObjectChoice all{};
    all[0] = true;
    int before = 0;
    int joins = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TGraph graph;
        BuildActionGraph(log, all, {}, graph);
        RemoveNodesWithDegreeBelow(graph, 1);
        before = graph.NodeCount();
        BenchPlacing hooks(graph, log);
        state.ResumeTiming();
        joins = JoinNearestNodes(graph, weights, log.features.get(), value, {}, hooks);
        benchmark::DoNotOptimize(joins);
        check(graph);
    }
    state.counters["nodes"] = before;
    state.counters["joins"] = joins;
}

void BM_JoinFullMatchValue5(benchmark::State& state)
{
    RoboCupFileT& log = JoinMatch();
    TimeJoin(state, log, {1.0, 30.0, 30.0, 10.0}, 5.0, [](const TGraph&) {});
    state.counters["features"] = log.features ? log.features->GetNumFeatures() : 0;
}
BENCHMARK(BM_JoinFullMatchValue5)->Unit(benchmark::kMillisecond);

// The bench log merged with itself, made once.
RoboCupFileT& MergedTwice()
{
    static std::unique_ptr<RoboCupFileT> merged;
    if (!merged) {
        RoboCupFileT& log = JoinMatch();
        merged = MergeLogs(log.leftTeam, log.leftTeam, {&log, &log});
        // Freed before the hierarchies it refers to (registered after them).
        std::atexit([] { merged.reset(); });
    }
    return *merged;
}

// Joins the graph of one match (argument 1) or of two merged (2) to one node.
void BM_JoinToOneNode(benchmark::State& state)
{
    TimeJoin(state, state.range(0) == 1 ? JoinMatch() : MergedTwice(), {1.0, 30.0, 30.0, 0.0}, 200000.0,
             [&state](const TGraph& graph) {
                 if (graph.NodeCount() != 1)
                     state.SkipWithError("the graph was not joined to one node");
             });
}
BENCHMARK(BM_JoinToOneNode)->ArgName("matches")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
