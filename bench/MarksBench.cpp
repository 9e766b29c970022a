// Time marks over the full real match: marking every cycle where a criteria
// holds, and inverting a list of thousands of marks.
#include "BenchLog.h"
#include "core/expr/Criteria.h"
#include "core/model/RoboCupFile.h"
#include "core/model/TimeMarks.h"


#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

RoboCupFileT& FullMatch() { return ReadBenchLog(); }

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
