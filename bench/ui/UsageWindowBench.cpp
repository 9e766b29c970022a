// The concept-usage window on the full match: one time push with every item
// selected (the statistics of every item over the new range and the marks).
#include "core/load/LoadLog.h"
#include "core/model/RoboCupFile.h"
#include "core/model/TimeMarks.h"
#include "ui/ChildUsageWin.h"
#include "ui/MarksLink.h"

#include "BenchLog.h"

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
    auto log = LoadLog(BenchLog(), true);
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
        state.counters["cycles"] = log->cycles;
    }
    g_timeMarks = previous;
}
BENCHMARK(BM_UsageTimePush)->Unit(benchmark::kMillisecond);

}  // namespace
