// Merging three full matches into one log of the team, derived pass and
// features included: once with the team on the left in every match, once with
// it on the right (every directed value mirrored). The matches are the bench
// log (VELOTRASK_BENCH_LOG or the full match of tests/data), loaded once.
#include "BenchLog.h"

#include "core/concepts/ConceptHierarchies.h"
#include "core/io/LoadLog.h"
#include "core/io/MergeLogs.h"
#include "core/model/RoboCupFile.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The hierarchies (built once, their GML files written into a temporary
// folder) and the bench log, loaded once.
const RoboCupFileT& Match()
{
    static const RoboCupFileT* log = [] {
        const fs::path previous = fs::current_path();
        const fs::path folder = fs::temp_directory_path() / ("velotrask-mergebench-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        fs::current_path(folder);
        CreateConceptHierarchies();
        fs::current_path(previous);
        fs::remove_all(folder);
        static std::unique_ptr<RoboCupFileT> loaded = LoadLog(BenchLog(), true);
        std::atexit([] {
            loaded.reset();
            FreeConceptHierarchies();
        });
        return loaded.get();
    }();
    return *log;
}

void MergeThreeMatches(benchmark::State& state, bool right)
{
    const RoboCupFileT& match = Match();
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
