// Cost of one field-window redraw on the full match at the window's default
// picture size (946 x 648): over the whole log (all 23 objects with faded paths
// and body angles), and over +-100 cycles, which playback redraws at every tick.
#include "BenchLog.h"

#include "ui/FieldPicture.h"

#include "core/concepts/ConceptHierarchies.h"
#include "core/load/LoadLog.h"
#include "core/model/RoboCupFile.h"

#include "support/Gunzip.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The bench log with roles and features, loaded once; the field's text needs
// fonts, so a GUI application lives for the run.
RoboCupFileT& FullMatch()
{
    static RoboCupFileT& log = [&]() -> RoboCupFileT& {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "velo_bench";
        static char* argv[] = {name, nullptr};
        new QGuiApplication(argc, argv);
        return LoadedBenchLog();
    }();
    return log;
}

void Redraw(benchmark::State& state, FieldTime time, const std::string& customEvent = {})
{
    RoboCupFileT& log = FullMatch();
    const int w = 946, h = 648;
    const ViewRect view(20, 20, w - 20, h - 20);
    QImage pitch(w, h, QImage::Format_RGB32);
    QImage field(w, h, QImage::Format_RGB32);
    DrawPitch(pitch, view, false);
    FieldOptions options;
    options.selected.fill(true);
    options.showPath = true;  // fading and body angles are on by default
    options.customEvent = !customEvent.empty();
    options.eventText = customEvent;
    CustomEventCache events;  // as the window keeps them
    for (auto _ : state) {
        FieldPaintResult result = PaintFieldPicture(field, pitch, view, options, log, time, &events);
        benchmark::DoNotOptimize(result);
    }
}

void BM_FieldRedrawWholeLog(benchmark::State& state)
{
    const int last = FullMatch().cycles - 1;
    Redraw(state, {last / 2, 0, last});
}
BENCHMARK(BM_FieldRedrawWholeLog)->Unit(benchmark::kMillisecond);

void BM_FieldRedrawPlayback(benchmark::State& state)
{
    Redraw(state, {3000, 2900, 3100});
}
BENCHMARK(BM_FieldRedrawPlayback)->Unit(benchmark::kMillisecond);

// The same with a custom event per object, parsed once and kept as the window does.
void BM_FieldRedrawPlaybackCustomEvent(benchmark::State& state)
{
    Redraw(state, {3000, 2900, 3100}, "PLAYER.pos.x > 0.5");
}
BENCHMARK(BM_FieldRedrawPlaybackCustomEvent)->Unit(benchmark::kMillisecond);

}  // namespace
