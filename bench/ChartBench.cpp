// Charts of the full real match: the 42 leaves of one player added as series
// (one piece of data per series), and one full replot of such a chart.
#include "BenchLog.h"
#include "core/expr/SeriesSource.h"
#include "core/model/RoboCupFile.h"
#include "core/model/timestream.h"
#include "ui/ChartSeries.h"


#include <QApplication>
#include <qcustomplot.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

RoboCupFileT& FullMatch() { return ReadBenchLog(); }

// Charts need the application object; offscreen unless a platform is named.
void EnsureApp()
{
    static std::unique_ptr<QApplication> app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "velo_bench";
        static char* argv[] = {name, nullptr};
        return std::make_unique<QApplication>(argc, argv);
    }();
}

// The player composite's 42 leaves as line series, as "Add chart series" adds them.
int AddPlayerSeries(QCustomPlot& chart)
{
    std::vector<TimeChannel*> leaves;
    FullMatch().stream->FindChannel("Lplayer10")->CollectFiltered(leaves, {}, {});
    TChartSeriesSink sink(&chart);
    for (const TimeChannel* leaf : leaves) {
        SeriesSource source;
        source.channel = leaf->GetFullName();
        XYPoints points;
        SeriesSourcePoints(FullMatch(), source, points);
        SetChartSeriesSource(sink.AddXYSeries(kSeriesLines, QString::fromStdString(source.channel),
                                              QVector<double>(points.x.begin(), points.x.end()),
                                              QVector<double>(points.y.begin(), points.y.end())),
                             source);
    }
    return chart.plottableCount();
}

void BM_AddOnePlayersLeavesAsSeries(benchmark::State& state)
{
    EnsureApp();
    FullMatch();
    for (auto _ : state) {
        QCustomPlot chart;
        benchmark::DoNotOptimize(AddPlayerSeries(chart));
    }
    QCustomPlot chart;
    state.counters["series"] = AddPlayerSeries(chart);
    state.counters["points"] = FullMatch().cycles;
}
BENCHMARK(BM_AddOnePlayersLeavesAsSeries)->Unit(benchmark::kMillisecond);

void BM_ReplotFullMatchChart(benchmark::State& state)
{
    EnsureApp();
    QCustomPlot chart;
    chart.resize(1000, 600);
    chart.legend->setVisible(true);
    AddPlayerSeries(chart);
    chart.xAxis->setRange(0, FullMatch().cycles);
    chart.yAxis->rescale();
    for (auto _ : state) {
        chart.replot(QCustomPlot::rpImmediateRefresh);
        benchmark::DoNotOptimize(chart.replotTime());
    }
}
BENCHMARK(BM_ReplotFullMatchChart)->Unit(benchmark::kMillisecond);

}  // namespace
