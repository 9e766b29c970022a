// The expression language over the full real match: one expression set up and
// evaluated at every cycle, as a chart function series or an expression channel
// does it.
#include "BenchLog.h"
#include "core/expr/Expression.h"
#include "core/expr/UserChannels.h"
#include "core/model/RoboCupFile.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

RoboCupFileT& FullMatch() { return ReadBenchLog(); }

void Run(benchmark::State& state, const std::string& text)
{
    RoboCupFileT& log = FullMatch();
    double sink = 0.0;
    for (auto _ : state) {
        LogExpression e(log);
        if (!e.Parse(text).empty()) {
            state.SkipWithError("expression refused");
            return;
        }
        for (int c = 0; c < log.cycles; ++c)
            sink += e.Evaluate(c);
        benchmark::DoNotOptimize(sink);
    }
    state.counters["cycles"] = log.cycles;
}

// Set-up (about 960 constants, a variable list of every leaf) plus every cycle.
void BM_BallSpeedOverFullMatch(benchmark::State& state) { Run(state, "sqrt(sqr(Ball.vel.dx) + sqr(Ball.vel.dy))"); }
BENCHMARK(BM_BallSpeedOverFullMatch)->Unit(benchmark::kMillisecond);

// A function that reads a window of another cycle's values at every cycle.
void BM_CentredAverageOverFullMatch(benchmark::State& state) { Run(state, "avg(id_Ball_pos_x, cycle, 10) - Ball.pos.x"); }
BENCHMARK(BM_CentredAverageOverFullMatch)->Unit(benchmark::kMillisecond);

// The set-up alone.
void BM_ParseOnly(benchmark::State& state)
{
    RoboCupFileT& log = FullMatch();
    for (auto _ : state) {
        LogExpression e(log);
        benchmark::DoNotOptimize(e.Parse("Ball.pos.x > 0.5"));
    }
}
BENCHMARK(BM_ParseOnly)->Unit(benchmark::kMillisecond);

// An expression channel made once per player over the full match: 22 set-ups,
// 22 passes over every cycle (the leaves are made by the first run, refreshed after).
void BM_PlayerRowOverFullMatch(benchmark::State& state)
{
    RoboCupFileT& log = FullMatch();
    const std::vector<FieldDefinition> rows{{"bdist", "dist(PLAYER, Ball, cycle)"}};
    for (auto _ : state) {
        const UserChannelsRun run = CreateUserChannels(log, rows);
        if (run.computed != 22 || !run.refused.empty()) {
            state.SkipWithError("player row refused");
            return;
        }
    }
}
BENCHMARK(BM_PlayerRowOverFullMatch)->Unit(benchmark::kMillisecond);

}  // namespace
