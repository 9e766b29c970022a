// Cost of a log record's life: creating the full schema, filling a long match (6000
// cycles of all 939 leaves, the way the log writer appends, or as many cycles as
// the log named by VELOTRASK_BENCH_LOG holds), and reading it back one value at a
// time and row by row (the expression language's way).
#include "BenchLog.h"
#include "core/model/RoboCupFile.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace {

int Cycles()
{
    static const int cycles = BenchLogIsTheFullMatch() ? 6000 : ReadBenchLog().cycles;
    return cycles;
}

// The leaves of a record by element type, looked up once.
struct TypedLeaves {
    std::vector<DataTimeChannel<std::int8_t>*> chars;
    std::vector<DataTimeChannel<std::int16_t>*> shorts;
    std::vector<DataTimeChannel<std::int32_t>*> longs;
    std::vector<DataTimeChannel<double>*> doubles;

    explicit TypedLeaves(const TimeStream& stream)
    {
        for (TimeChannel* leaf : stream.GetLeaves()) {
            if (auto* c = dynamic_cast<DataTimeChannel<std::int8_t>*>(leaf))
                chars.push_back(c);
            else if (auto* s = dynamic_cast<DataTimeChannel<std::int16_t>*>(leaf))
                shorts.push_back(s);
            else if (auto* l = dynamic_cast<DataTimeChannel<std::int32_t>*>(leaf))
                longs.push_back(l);
            else if (auto* d = dynamic_cast<DataTimeChannel<double>*>(leaf))
                doubles.push_back(d);
        }
    }
};

void FillCycles(RoboCupFileT& file, int cycles)
{
    TypedLeaves leaves(*file.stream);
    for (int t = 0; t < cycles; ++t) {
        for (auto* c : leaves.chars)
            c->AddValue(static_cast<std::int8_t>(t & 1));
        for (auto* s : leaves.shorts)
            s->AddValue(static_cast<std::int16_t>(t));
        for (auto* l : leaves.longs)
            l->AddValue(t * 3);
        for (auto* d : leaves.doubles)
            d->AddValue(t * 0.25 - 52.5);
    }
    file.cycles = cycles;
}

std::unique_ptr<RoboCupFileT> FilledRecord(int window)
{
    auto file = CreateFileRecord("bench.rcg");
    FillCycles(*file, Cycles());
    file->stream->ComputeAllMinMax();
    file->stream->SetTimeWindow(window);
    return file;
}

void BM_CreateRecord(benchmark::State& state)
{
    for (auto _ : state) {
        auto file = CreateFileRecord("bench.rcg");
        benchmark::DoNotOptimize(file.get());
    }
}
BENCHMARK(BM_CreateRecord)->Unit(benchmark::kMillisecond);

void BM_CreateAndFill6000(benchmark::State& state)
{
    for (auto _ : state) {
        auto file = CreateFileRecord("bench.rcg");
        FillCycles(*file, Cycles());
        benchmark::DoNotOptimize(file.get());
    }
    state.SetItemsProcessed(state.iterations() * Cycles() * kSchemaLeaves);
    state.counters["cycles"] = Cycles();
}
BENCHMARK(BM_CreateAndFill6000)->Unit(benchmark::kMillisecond);

// Every value of every leaf through the virtual windowed read; arg = time window.
void BM_GetValueAll(benchmark::State& state)
{
    const int cycles = Cycles();
    auto file = FilledRecord(static_cast<int>(state.range(0)));
    const auto& leaves = file->stream->GetLeaves();
    for (auto _ : state) {
        double sum = 0.0;
        for (TimeChannel* leaf : leaves)
            for (int t = 0; t < cycles; ++t)
                sum += leaf->GetValue(t);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * Cycles() * kSchemaLeaves);
    state.counters["cycles"] = Cycles();
}
BENCHMARK(BM_GetValueAll)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond);

// One row of all leaves per cycle into the stream's row buffer; arg = time window.
void BM_FillRowAll(benchmark::State& state)
{
    const int cycles = Cycles();
    auto file = FilledRecord(static_cast<int>(state.range(0)));
    TimeStream& stream = *file->stream;
    for (auto _ : state) {
        for (int t = 0; t < cycles; ++t) {
            if (stream.FillRow(t) != 0)
                state.SkipWithError("row buffer too small");
            benchmark::DoNotOptimize(stream.GetRowBuffer().data());
        }
    }
    state.SetItemsProcessed(state.iterations() * Cycles() * kSchemaLeaves);
    state.counters["cycles"] = Cycles();
}
BENCHMARK(BM_FillRowAll)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond);

}  // namespace
