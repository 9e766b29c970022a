// The concept-usage window on the full match: one time push with every item
// selected (the statistics of every item over the new range and the marks).
#include "core/load/LoadLog.h"
#include "core/model/RoboCupFile.h"
#include "core/model/TimeMarks.h"
#include "ui/ChildUsageWin.h"
#include "ui/MarksLink.h"

#include "support/Gunzip.h"

#include <QListWidget>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

void BM_UsageTimePush(benchmark::State& state)
{
    // The program's main has made the application object and the main window,
    // and with it the concept hierarchies, in a temporary current folder.
    const auto dir = std::filesystem::temp_directory_path() / ("velo-usagebench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "full.rcg").string();
    GunzipFile(std::string(VELO_TEST_DATA_DIR) + "/match-full-HELIOS_A_4-vs-HELIOS_B_2.rcg.gz", path);
    auto log = LoadLog(path, true);
    TimeMarks marks;
    for (int t = 0; t < log->cycles; t += 50)
        marks.Add(t);
    const TimeMarksLink previous = g_timeMarks;
    g_timeMarks.marks = &marks;
    {
        TMDIUsageChild window(nullptr, log.get());
        int cycle = 100;
        for (auto _ : state) {
            window.SetTimeRange(cycle, cycle - 50, cycle + 51);
            cycle = cycle % (log->cycles - 200) + 1;
        }
        state.counters["items"] = window.lbConcepts->count();
        state.counters["marks"] = marks.Count();
    }
    g_timeMarks = previous;
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_UsageTimePush)->Unit(benchmark::kMillisecond);

}  // namespace
