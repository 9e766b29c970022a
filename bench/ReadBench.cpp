// Cost of loading a real full match (6659 show records): the reader alone, and the
// reader with the conversion into the 939 channels. The derived pass is not part
// of this measure. Reported as show records (cycles) per second.
#include "core/io/Convertlog.h"
#include "core/model/RoboCupFile.h"
#include "core/io/rcsslogplayer/rcgparser.h"

#include "support/Gunzip.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

// The full match, decompressed once into a temporary file.
const std::string& MatchFile()
{
    static const std::string path = [] {
        const std::string src = std::string(VELO_TEST_DATA_DIR) + "/match-full-HELIOS_A_4-vs-HELIOS_B_2.rcg.gz";
        const std::string dst = (std::filesystem::temp_directory_path() /
                                 ("velotrask-bench-" + std::to_string(::getpid()) + ".rcg"))
                                    .string();
        GunzipFile(src, dst);
        return dst;
    }();
    // Registered after the path exists, so it runs before the path is destroyed.
    static const bool removeAtExit = (std::atexit([] { std::remove(MatchFile().c_str()); }), true);
    (void)removeAtExit;
    return path;
}

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
    const std::string& path = MatchFile();
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

void BM_ReadIntoChannels(benchmark::State& state)
{
    const std::string& path = MatchFile();
    auto log = CreateFileRecord(path);
    std::ostream quiet(nullptr);
    long cycles = 0;
    for (auto _ : state) {
        // What a read does before parsing: the channels emptied, their room kept.
        log->cycles = 0;
        log->stream->ClearChannels();
        log->playerTypes.clear();
        ParseRcgFile(path, *log, quiet);
        cycles += log->cycles;
    }
    if (log->cycles != 6659)
        state.SkipWithError("the match did not read whole");
    state.counters["cycles/s"] = benchmark::Counter(static_cast<double>(cycles), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReadIntoChannels)->Unit(benchmark::kMillisecond);

// The same into a record made fresh per read, as opening a log does.
void BM_ReadIntoNewRecord(benchmark::State& state)
{
    const std::string& path = MatchFile();
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
