// Merging three full matches into one log of the team, derived pass and
// features included: once with the team on the left in every match, once with
// it on the right (every directed value mirrored). The matches are the bench
// log (VELOTRASK_BENCH_LOG or the full match of tests/data), loaded once.
#include "BenchLog.h"

#include "core/load/MergeLogs.h"
#include "core/model/RoboCupFile.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

void MergeThreeMatches(benchmark::State& state, bool right)
{
    const RoboCupFileT& match = LoadedBenchLog();
    const std::string team = right ? match.rightTeam : match.leftTeam;
    for (auto _ : state) {
        std::unique_ptr<RoboCupFileT> merged = MergeLogs(team, team, {&match, &match, &match});
        if (!merged || merged->cycles != 3 * match.cycles)
            state.SkipWithError("the merge lost cycles");
        benchmark::DoNotOptimize(merged.get());
    }
    state.counters["cycles"] = 3.0 * match.cycles;
}

void BM_MergeThreeMatchesTeamLeft(benchmark::State& state) { MergeThreeMatches(state, false); }
void BM_MergeThreeMatchesTeamRight(benchmark::State& state) { MergeThreeMatches(state, true); }

}  // namespace

BENCHMARK(BM_MergeThreeMatchesTeamLeft)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MergeThreeMatchesTeamRight)->Unit(benchmark::kMillisecond)->UseRealTime();
