// Creating the fields of a fields file on the short match of tests/data, as the
// main window's "Create fields" does: n rows "r<i>=cycle", or n player rows
// "p<i>=dist(PLAYER, Ball, cycle)" (22 leaves each), each row named, parsed,
// made and evaluated at every cycle. Every run starts from the log as read.
// The sizes are 1,000 and 10,000 rows (100 and 1,000 player rows); a tenth of
// them when a log is named (the test suite's short run).
#include "BenchLog.h"

#include "core/expr/UserChannels.h"
#include "core/io/Convertlog.h"
#include "core/model/RoboCupFile.h"

#include "support/Gunzip.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const std::string& ShortMatch()
{
    static const std::string path = [] {
        const std::filesystem::path plain =
            std::filesystem::temp_directory_path() / ("velotrask-bench-short-" + std::to_string(::getpid()) + ".rcg");
        GunzipFile(std::string(VELO_TEST_DATA_DIR) + "/match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg.gz", plain.string());
        std::atexit([] { std::remove(ShortMatch().c_str()); });
        return plain.string();
    }();
    return path;
}

void CreateFields(benchmark::State& state, const std::string& expression, int leavesPerRow)
{
    const int rows = static_cast<int>(state.range(0)) / (BenchLogIsTheFullMatch() ? 1 : 10);
    std::vector<FieldDefinition> fields;
    for (int i = 0; i < rows; ++i)
        fields.push_back({(leavesPerRow == 1 ? "r" : "p") + std::to_string(i), expression});
    for (auto _ : state) {
        state.PauseTiming();
        auto log = CreateFileRecord(ShortMatch());
        ReadRcgFile(ShortMatch(), *log);
        state.ResumeTiming();
        const UserChannelsRun run = CreateUserChannels(*log, fields);
        if (run.computed != rows * leavesPerRow || !run.refused.empty())
            state.SkipWithError("rows were refused");
        state.PauseTiming();
        log.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
}

void BM_FieldRowsCycle(benchmark::State& state) { CreateFields(state, "cycle", 1); }
BENCHMARK(BM_FieldRowsCycle)->ArgName("rows")->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_FieldPlayerRows(benchmark::State& state) { CreateFields(state, "dist(PLAYER, Ball, cycle)", 22); }
BENCHMARK(BM_FieldPlayerRows)->ArgName("rows")->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
