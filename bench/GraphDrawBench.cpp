// Drawing the action graph of the full match as the window does after every
// change of a display control: the graph of all 23 objects, at a large
// window's picture size (1131 x 753), over the drawn pitch, with arrows and
// names; and the same with the time points of every occurrence.
#include "BenchLog.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/GraphBuilder.h"
#include "actiongraph/GraphRenderer.h"
#include "actiongraph/GraphView.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/load/LoadLog.h"
#include "core/model/RoboCupFile.h"

#include "support/Gunzip.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Names are drawn with fonts, which need the application object.
void EnsureGuiApp()
{
    static int argc = 1;
    static char name[] = "velo_bench";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}

// The bench log with its graph, loaded and built once.
struct Match {
    RoboCupFileT* log = nullptr;
    TGraph graph;
};

Match& FullMatch()
{
    static Match* match = [] {
        auto* m = new Match;
        m->log = &LoadedBenchLog();
        TObjectChoice all{};
        all.fill(true);
        BuildActionGraph(*m->log, all, {}, m->graph);
        RemoveNodesWithDegreeBelow(m->graph, 1);
        return m;
    }();
    return *match;
}

void DrawFullMatch(benchmark::State& state, bool timePoints)
{
    EnsureGuiApp();
    Match& match = FullMatch();
    TGraphView view;
    view.Resize(1131, 753);
    view.DrawPitch(false);
    TGraphScene scene;
    scene.tracks = TObjectTracks(*match.log);
    TGraphDrawOptions options;
    options.showNames = true;
    options.timeSteps = timePoints;
    for (auto _ : state) {
        QImage image = DrawGraph(view, match.graph, scene, options, false, false);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["nodes"] = match.graph.NodeCount();
    state.counters["connections"] = match.graph.ConnectionCount();
}

void BM_DrawGraphFullMatch(benchmark::State& state) { DrawFullMatch(state, false); }
void BM_DrawGraphFullMatchWithTimePoints(benchmark::State& state) { DrawFullMatch(state, true); }

}  // namespace

BENCHMARK(BM_DrawGraphFullMatch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawGraphFullMatchWithTimePoints)->Unit(benchmark::kMillisecond);
