// The examples of one strategy node over the full match: positives, negatives
// from all nodes, sampling, and the features filtered and weighted, with the
// log's features repeated up to 4000 (the most a log may have without warning).
#include "BenchLog.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/Distances.h"
#include "actiongraph/model/GraphBuilder.h"
#include "actiongraph/model/PathObject.h"
#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"
#include "platform/Random.h"
#include "strategy/model/TrainingExamples.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct NodeBench {
    TGraph graph;
    FeatureList features;
    TPathObject strategy;  // the busiest node's first outgoing connection
    TNode* node = nullptr;
};

NodeBench& Bench()
{
    static std::unique_ptr<NodeBench> bench = [] {
        RoboCupFileT& log = LoadedBenchLog();
        auto b = std::make_unique<NodeBench>();
        TObjectChoice all{};
        all[0] = true;
        BuildActionGraph(log, all, {}, b->graph);
        RemoveNodesWithDegreeBelow(b->graph, 1);
        // Nodes of one role and action made one, as a join does.
        TJoinHooks quiet;
        JoinNearestNodes(b->graph, TDistanceWeights{0.0, 1.0, 1.0, 0.0}, nullptr, 0.01, {}, quiet);
        for (int i = 0; i < b->graph.NodeCount(); ++i) {
            TNode* n = b->graph.GetNode(i);
            if (!n->OutList().empty() && (!b->node || n->OutWeight() > b->node->OutWeight()))
                b->node = n;
        }
        b->strategy.Connections() = {b->node->OutList().front()};
        const FeatureList& source = *log.features;
        const int count = 4000;
        b->features.Allocate(count, source.GetNumInstances());
        for (int f = 0; f < count; ++f) {
            const int s = f % source.GetNumFeatures();
            b->features.SetObjectIndex(f, source.GetObjectIndex(s));
            b->features.SetGroupKey(f, source.GetGroupKey(s));
            b->features.SetCount(f, source.GetCount(s));
            for (int t = 0; t < source.GetNumInstances(); ++t)
                if (source.GetBit(s, t))
                    b->features.SetBit(f, t);
        }
        return b;
    }();
    return *bench;
}

void NodeExamples(benchmark::State& state, TFeatureWeighting weighting)
{
    NodeBench& b = Bench();
    RoboCupFileT& log = LoadedBenchLog();
    TExampleOptions options;
    options.duration = TDurationMode::Duration;
    options.source = TNegativeSource::AllNodes;
    TFeatureOptions featureOptions;
    featureOptions.weighting = weighting;
    featureOptions.duration = options.duration;
    featureOptions.minConf = 0.0;
    const TDistanceWeights weights{1.0, 30.0, 0.0, 10.0};
    std::size_t positives = 0, negatives = 0;
    for (auto _ : state) {
        TFeatureCache cache(&b.features);
        TNegativeContext context;
        context.graph = &b.graph;
        context.strategy = &b.strategy;
        context.distance = [&](const TNode& x, const TNode& y) {
            return NodeDistance(x, y, weights, &b.features, &cache);
        };
        platform::SeedRandom(1);
        const std::vector<int> p = CollectPositives(b.strategy, b.node, false, options);
        std::vector<int> n = CollectNegatives(context, b.node, 1, false, options);
        RemoveCycles(n, p);
        SampleCycles(n, 0.5);
        const TWeighResult r = WeighFeatures(b.features, log, b.graph, b.node, p, n, featureOptions, context.distance);
        benchmark::DoNotOptimize(r.kept);
        positives = p.size();
        negatives = n.size();
    }
    state.counters["nodes"] = b.graph.NodeCount();
    state.counters["positives"] = static_cast<double>(positives);
    state.counters["negatives"] = static_cast<double>(negatives);
}

void BM_NodeExamplesTfIdf4000(benchmark::State& state) { NodeExamples(state, TFeatureWeighting::TfIdf); }
void BM_NodeExamplesWeightedTfIdf4000(benchmark::State& state)
{
    NodeExamples(state, TFeatureWeighting::WeightedTfIdf);
}
BENCHMARK(BM_NodeExamplesTfIdf4000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NodeExamplesWeightedTfIdf4000)->Unit(benchmark::kMillisecond);

}  // namespace
