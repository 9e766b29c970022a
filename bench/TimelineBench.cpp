// "Cluster" of the concept-usage window without its window: the bench log
// (the full match unless VELOTRASK_BENCH_LOG names another) as a timeline of
// the first 200 usage items every 10 cycles, counted over centred windows of 30
// cycles, then clustered down to 10 clusters with no distance limit.
#include "BenchLog.h"

#include "core/analysis/ConceptUsage.h"
#include "core/analysis/Timeline.h"
#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <vector>

namespace {

// The first 200 usage items of every object over the program's feature roots.
std::vector<UsageItem> BenchItems(const RoboCupFileT& log)
{
    std::array<bool, 23> objects{};
    objects.fill(true);
    std::vector<UsageItem> items = BuildUsageItems(log, objects, ProgramFeatureRoots());
    items.resize(std::min<std::size_t>(items.size(), 200));
    return items;
}

void BM_TimelineCountAndCluster(benchmark::State& state)
{
    RoboCupFileT& log = LoadedBenchLog();
    const std::vector<UsageItem> items = BenchItems(log);
    const int n = static_cast<int>(items.size());
    TimelineSettings settings;
    settings.maxDist = 1e9;
    const std::vector<TimeStep> steps = TimelineSteps(settings, log.cycles, {});
    std::size_t clusters = 0;
    for (auto _ : state) {
        TimelineCounter counter(n, log.cycles, [&](int r, int t) {
            return EvaluateItem(items[static_cast<std::size_t>(r)], log, t);
        });
        std::vector<std::vector<double>> counts(steps.size(), std::vector<double>(static_cast<std::size_t>(n)));
        for (std::size_t k = 0; k < steps.size(); ++k)
            for (int r = 0; r < n; ++r)
                counts[k][static_cast<std::size_t>(r)] = counter.Count(r, steps[k].a, steps[k].b);
        const ClusterResult result = ClusterTimeSteps(counts, settings.maxClusters, settings.maxDist);
        clusters = result.clusters.size();
        benchmark::DoNotOptimize(result.minDist);
    }
    state.counters["steps"] = static_cast<double>(steps.size());
    state.counters["items"] = n;
    state.counters["clusters"] = static_cast<double>(clusters);
}

// The clustering alone, on the counts of one run.
void BM_TimelineClusterOnly(benchmark::State& state)
{
    RoboCupFileT& log = LoadedBenchLog();
    const std::vector<UsageItem> items = BenchItems(log);
    const int n = static_cast<int>(items.size());
    TimelineSettings settings;
    const std::vector<TimeStep> steps = TimelineSteps(settings, log.cycles, {});
    TimelineCounter counter(n, log.cycles,
                            [&](int r, int t) { return EvaluateItem(items[static_cast<std::size_t>(r)], log, t); });
    std::vector<std::vector<double>> counts(steps.size(), std::vector<double>(static_cast<std::size_t>(n)));
    for (std::size_t k = 0; k < steps.size(); ++k)
        for (int r = 0; r < n; ++r)
            counts[k][static_cast<std::size_t>(r)] = counter.Count(r, steps[k].a, steps[k].b);
    for (auto _ : state) {
        const ClusterResult result = ClusterTimeSteps(counts, settings.maxClusters, 1e9);
        benchmark::DoNotOptimize(result.minDist);
    }
}

}  // namespace

BENCHMARK(BM_TimelineCountAndCluster)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TimelineClusterOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
