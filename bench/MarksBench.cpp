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

// "Invert marks" on the bench log (12000 cycles when none is named, so 6000
// marks) holding every other cycle marked.
void BM_InvertSixThousandMarks(benchmark::State& state)
{
    const int cycles = BenchLogIsTheFullMatch() ? 12000 : FullMatch().cycles;
    TimeMarks marks;
    std::vector<int> every;
    for (int c = 0; c < cycles; c += 2)
        every.push_back(c);
    marks.Assign(every);
    for (auto _ : state) {
        marks.Invert(cycles);
        benchmark::DoNotOptimize(marks.Count());
    }
    state.counters["cycles"] = cycles;
    state.counters["marks"] = static_cast<double>(every.size());
}
BENCHMARK(BM_InvertSixThousandMarks)->Unit(benchmark::kMillisecond);

}  // namespace
