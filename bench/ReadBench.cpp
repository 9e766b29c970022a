// Cost of reading a match log (the file named by VELOTRASK_BENCH_LOG, or the real
// full match of 6659 show records): the reader alone, and the reader with the
// conversion into the 939 channels. The derived pass is not part of this measure.
// Reported as show records (cycles) per second.
#include "BenchLog.h"

#include "core/io/Convertlog.h"
#include "core/model/RoboCupFile.h"
#include "core/io/rcsslogplayer/rcgparser.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <ostream>
#include <string>

namespace {

class CountingHandler : public rcss::RCGDataHandler {
public:
    int version = 0;
    long shows = 0;

protected:
    void doHandleLogVersion(int v) override { version = v; }
    int doGetLogVersion() const override { return version; }
    void doHandleShortShowInfo2(std::streampos, const rcss::short_showinfo_t2&) override { ++shows; }
};

void BM_ReaderOnly(benchmark::State& state)
{
    const std::string& path = BenchLog();
    long shows = 0;
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        CountingHandler handler;
        rcss::RCGParser parser(handler);
        while (parser.parse(in)) {
        }
        shows += handler.shows;
        benchmark::DoNotOptimize(handler.shows);
    }
    state.counters["cycles/s"] = benchmark::Counter(static_cast<double>(shows), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReaderOnly)->Unit(benchmark::kMillisecond);

// The parse alone, into a record made fresh for every read (outside the timed
// part): a record grown by an earlier read would hide what growing the leaves costs.
void BM_ReadIntoChannels(benchmark::State& state)
{
    const std::string& path = BenchLog();
    std::ostream quiet(nullptr);
    long cycles = 0;
    int lastCycles = -1;
    for (auto _ : state) {
        state.PauseTiming();
        auto log = CreateFileRecord(path);
        state.ResumeTiming();
        ParseRcgFile(path, *log, quiet);
        cycles += log->cycles;
        lastCycles = log->cycles;
        state.PauseTiming();
        log.reset();
        state.ResumeTiming();
    }
    if (lastCycles <= 0 || (BenchLogIsTheFullMatch() && lastCycles != kFullMatchCycles))
        state.SkipWithError("the log did not read whole");
    state.counters["cycles/s"] = benchmark::Counter(static_cast<double>(cycles), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReadIntoChannels)->Unit(benchmark::kMillisecond);

// The same into a record made fresh per read, as opening a log does.
void BM_ReadIntoNewRecord(benchmark::State& state)
{
    const std::string& path = BenchLog();
    std::ostream quiet(nullptr);
    long cycles = 0;
    for (auto _ : state) {
        auto log = CreateFileRecord(path);
        ParseRcgFile(path, *log, quiet);
        cycles += log->cycles;
    }
    state.counters["cycles/s"] = benchmark::Counter(static_cast<double>(cycles), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReadIntoNewRecord)->Unit(benchmark::kMillisecond);

}  // namespace
