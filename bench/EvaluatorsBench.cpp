// The evaluators are asked once per feature, object and cycle of a log: how long
// one sweep of a 6000-cycle record takes for each kind, or of the log named by
// VELOTRASK_BENCH_LOG.
#include "BenchLog.h"
#include "core/concepts/Evaluators.h"
#include "core/analysis/Keepaway.h"
#include "core/model/RoboCupFile.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace {

constexpr int kCycles = 6000;

// A record whose every object wanders on its own circle, with the ball held now
// and then, so that no evaluator takes a shortcut.
std::unique_ptr<RoboCupFileT> MakeRecord()
{
    auto file = CreateFileRecord("bench.rcg");
    for (int o = 0; o < RoboCupFileT::kObjectCount; ++o) {
        for (int t = 0; t < kCycles; ++t) {
            const double phase = 0.01 * t + o;
            file->posXChannel[o]->AddValue(30.0 * std::cos(phase) + o - 11);
            file->posYChannel[o]->AddValue(20.0 * std::sin(1.3 * phase));
            if (file->possessorChannel[o] != nullptr)
                file->possessorChannel[o]->AddValue(static_cast<std::int8_t>((t / 50) % 23 == o));
        }
    }
    file->cycles = kCycles;
    return file;
}

RoboCupFileT& Record()
{
    if (!BenchLogIsTheFullMatch())
        return ReadBenchLog();
    static std::unique_ptr<RoboCupFileT> file = MakeRecord();
    return *file;
}

// One sweep over every cycle for one object; counts the cycles that hold.
void Sweep(benchmark::State& state, BasicEvaluator& e, int object)
{
    RoboCupFileT& file = Record();
    BasicGameData s;
    s.file = &file;
    s.object = object;
    const int cycles = file.cycles;
    for (auto _ : state) {
        int holds = 0;
        for (int t = 0; t < cycles; ++t) {
            s.cycle = t;
            s.x = file.posXChannel[object]->Get(t);
            s.y = file.posYChannel[object]->Get(t);
            holds += e.Evaluate(&s) ? 1 : 0;
        }
        benchmark::DoNotOptimize(holds);
    }
    state.SetItemsProcessed(state.iterations() * cycles);
    state.counters["cycles"] = cycles;
}

void BM_SquareRegion(benchmark::State& state)
{
    SquareRegionEvaluator e(-52.5, -15.16, -36, 15.16, 0);
    Sweep(state, e, 5);
}
void BM_Speed(benchmark::State& state)
{
    SpeedEvaluator e(3, 0.1, 0.3);
    Sweep(state, e, 5);
}
void BM_HasBall(benchmark::State& state)
{
    HasBallEvaluator e;
    Sweep(state, e, 5);
}
void BM_RelativePos(benchmark::State& state)
{
    RelativePosEvaluator e(-1, 0);
    Sweep(state, e, 5);
}
void BM_RelativeSpeed(benchmark::State& state)
{
    RelativeSpeedEvaluator e(-1, -0.3);
    Sweep(state, e, 5);
}
void BM_BallDistance(benchmark::State& state)
{
    RelativeDistEvaluator e(5, 13, 0, 0, false);
    Sweep(state, e, 5);
}
void BM_KeepawayDistance(benchmark::State& state)
{
    RelativeDistEvaluator e(2, 6, 1, 12, true);  // "DistK1T1.2-6"
    Sweep(state, e, 0);
}
void BM_KeepawayAngle(benchmark::State& state)
{
    RelativeDistEvaluator e(0, 45, 2, -3, true);  // "MinAngK2K1T1T2.0-45"
    Sweep(state, e, 0);
}

}  // namespace

BENCHMARK(BM_SquareRegion);
BENCHMARK(BM_Speed);
BENCHMARK(BM_HasBall);
BENCHMARK(BM_RelativePos);
BENCHMARK(BM_RelativeSpeed);
BENCHMARK(BM_BallDistance);
BENCHMARK(BM_KeepawayDistance);
BENCHMARK(BM_KeepawayAngle);
