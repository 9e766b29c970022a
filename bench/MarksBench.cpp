// Time marks over the full real match: marking every cycle where a criteria
// holds, and inverting a list of thousands of marks.
#include "core/expr/Criteria.h"
#include "core/io/Convertlog.h"
#include "core/model/RoboCupFile.h"
#include "core/model/TimeMarks.h"

#include "support/Gunzip.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

RoboCupFileT& FullMatch()
{
    static std::unique_ptr<RoboCupFileT> log = [] {
        const std::string plain = (std::filesystem::temp_directory_path() /
                                   ("velotrask-marksbench-" + std::to_string(::getpid()) + ".rcg"))
                                      .string();
        GunzipFile(std::string(VELO_TEST_DATA_DIR) + "/match-full-HELIOS_A_4-vs-HELIOS_B_2.rcg.gz", plain);
        auto record = CreateFileRecord(plain);
        ReadRcgFile(plain, *record);
        std::remove(plain.c_str());
        if (record->cycles == 0)
            throw std::runtime_error("the full match yielded no cycles");
        return record;
    }();
    return *log;
}

// "Add" with a criteria: parse, evaluate at every cycle, add the matches.
void BM_CriteriaMarksOverFullMatch(benchmark::State& state)
{
    RoboCupFileT& log = FullMatch();
    for (auto _ : state) {
        TimeMarks marks;
        std::string error;
        marks.AddAll(CriteriaCycles(log, "Ball.pos.x > 0.5 & Lplayer10.pos.x > 0", error));
        if (!error.empty()) {
            state.SkipWithError("criteria refused");
            return;
        }
        benchmark::DoNotOptimize(marks.Count());
    }
    state.counters["cycles"] = log.cycles;
}
BENCHMARK(BM_CriteriaMarksOverFullMatch)->Unit(benchmark::kMillisecond);

// "Invert marks" on 6000 cycles holding every other cycle marked.
void BM_InvertSixThousandMarks(benchmark::State& state)
{
    TimeMarks marks;
    std::vector<int> every;
    for (int c = 0; c < 12000; c += 2)
        every.push_back(c);
    marks.Assign(every);
    for (auto _ : state) {
        marks.Invert(12000);
        benchmark::DoNotOptimize(marks.Count());
    }
}
BENCHMARK(BM_InvertSixThousandMarks)->Unit(benchmark::kMillisecond);

}  // namespace
