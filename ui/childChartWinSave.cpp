// The chart window's saves: the picture (a bitmap or a vector picture of the
// chart as shown) and the series as text.
#include "ui/childChartWin.h"

#include "core/io/ChartText.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/SavePicture.h"
#include "ui/ChartSeries.h"

#include <QFile>
#include <QSvgGenerator>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

// The part of the segment a-b inside the rectangle, as the fractions t0 <= t1
// of its length (Liang-Barsky); false when none of it is. Long double, so
// that the differences of values near the largest double stay finite.
bool ClipSegment(long double ax, long double ay, long double bx, long double by, const QCPRange& x,
                 const QCPRange& y, long double& t0, long double& t1)
{
    t0 = 0;
    t1 = 1;
    const long double dx = bx - ax, dy = by - ay;
    const long double p[4] = {-dx, dx, -dy, dy};
    const long double q[4] = {ax - x.lower, x.upper - ax, ay - y.lower, y.upper - ay};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const long double r = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, r);
        else
            t1 = std::min(t1, r);
    }
    return t0 <= t1;
}

// A line series as much of it as lies in the axes' ranges: each segment cut
// at the rectangle's edges, a gap (a value that is no number) where it leaves
// it. Dots keep the points inside.
QSharedPointer<QCPGraphDataContainer> ClippedGraph(const QCPGraphDataContainer& data, bool lines, const QCPRange& x,
                                                   const QCPRange& y)
{
    QVector<QCPGraphData> kept;
    const auto inside = [&](const QCPGraphData& p) { return x.contains(p.key) && y.contains(p.value); };
    for (auto it = data.constBegin(); it != data.constEnd(); ++it) {
        if (!lines) {
            if (inside(*it))
                kept.push_back(*it);
            continue;
        }
        const auto next = it + 1;
        if (next == data.constEnd() || !std::isfinite(it->value) || !std::isfinite(next->value))
            continue;
        long double t0, t1;
        if (!ClipSegment(it->key, it->value, next->key, next->value, x, y, t0, t1))
            continue;
        const auto at = [&](long double t, const QCPGraphData& end) {
            if (t == 0)
                return *it;
            if (t == 1)
                return end;
            return QCPGraphData(static_cast<double>(it->key + t * (end.key - it->key)),
                                static_cast<double>(it->value + t * (static_cast<long double>(end.value) - it->value)));
        };
        const QCPGraphData from = at(t0, *next), to = at(t1, *next);
        const bool joins = !kept.isEmpty() && kept.back().key == from.key && kept.back().value == from.value;
        if (!joins) {
            if (!kept.isEmpty())
                kept.push_back(QCPGraphData(from.key, std::nan("")));
            kept.push_back(from);
        }
        kept.push_back(to);
    }
    auto clipped = QSharedPointer<QCPGraphDataContainer>::create();
    clipped->add(kept, true);
    return clipped;
}

// Qt's vector pictures keep no clip: while one is drawn, every series holds
// only what the screen shows of it inside the axis rectangle. Bars wholly
// inside the time range stay, cut to the value range (bars share one base);
// the series get their own points back at the end of the scope.
class ClippedToAxes {
public:
    explicit ClippedToAxes(QCustomPlot* chart)
    {
        const QCPRange x = chart->xAxis->range(), y = chart->yAxis->range();
        for (int i = 0; i < ChartSeriesCount(chart); ++i) {
            QCPAbstractPlottable* series = ChartSeries(chart, i);
            if (auto* graph = qobject_cast<QCPGraph*>(series)) {
                graphs_.emplace_back(graph, graph->data());
                graph->setData(ClippedGraph(*graph->data(), graph->lineStyle() != QCPGraph::lsNone, x, y));
            } else if (auto* bars = qobject_cast<QCPBars*>(series)) {
                bars_.push_back({bars, bars->data(), bars->baseValue()});
                const double base = std::clamp(bars->baseValue(), y.lower, y.upper);
                QVector<QCPBarsData> kept;
                for (const QCPBarsData& b : *bars->data()) {
                    const double v = std::clamp(b.value, y.lower, y.upper);
                    if (v != base && b.key - bars->width() / 2 >= x.lower && b.key + bars->width() / 2 <= x.upper)
                        kept.push_back(QCPBarsData(b.key, v));
                }
                auto clipped = QSharedPointer<QCPBarsDataContainer>::create();
                clipped->add(kept, true);
                bars->setBaseValue(base);
                bars->setData(clipped);
            }
        }
    }
    ~ClippedToAxes()
    {
        for (auto& [graph, data] : graphs_)
            graph->setData(data);
        for (Bars& b : bars_) {
            b.bars->setBaseValue(b.base);
            b.bars->setData(b.data);
        }
    }
    ClippedToAxes(const ClippedToAxes&) = delete;
    ClippedToAxes& operator=(const ClippedToAxes&) = delete;

private:
    struct Bars {
        QCPBars* bars;
        QSharedPointer<QCPBarsDataContainer> data;
        double base;
    };
    std::vector<std::pair<QCPGraph*, QSharedPointer<QCPGraphDataContainer>>> graphs_;
    std::vector<Bars> bars_;
};

}  // namespace

bool TMDIChartChild::SavePicture(const QString& fileName)
{
    if (!Chart)
        return false;
    const int w = Chart->width();
    const int h = Chart->height();
    platform::SaveError error;
    if (fileName.endsWith(".bmp")) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QCPPainter painter(&image);
            Chart->toPainter(&painter, w, h);
        }
        if (platform::SaveImage(image, fileName, "BMP", &error))
            return true;
    } else if (fileName.endsWith(".svg")) {
        const auto drawSvg = [&](QIODevice& device) {
            QSvgGenerator svg;
            svg.setOutputDevice(&device);
            svg.setSize(QSize(w, h));
            svg.setViewBox(QRect(0, 0, w, h));
            svg.setTitle(windowTitle());
            QCPPainter painter;
            if (!painter.begin(&svg))
                return false;
            {
                const ClippedToAxes clipped(Chart);
                Chart->toPainter(&painter, w, h);
            }
            return painter.end();
        };
        if (platform::SaveEncoded(fileName, drawSvg, &error))
            return true;
    } else {
        platform::MessageBox(this, "Unknown file type! Nothing was saved. ", "Warning !", platform::Buttons::Ok);
        return false;
    }
    platform::MessageBox(this, platform::SaveFailureText(error, fileName), "Error", platform::Buttons::Ok);
    return false;
}

void TMDIChartChild::btnSaveBitmapClick()
{
    const platform::FileDialogResult r = platform::SaveFileDialog(
        this, "Save As", "Windows bitmap files (*.bmp);;SVG files (*.svg)", "bmp", ".",
        platform::FileOfKinds({".bmp", ".svg"}));
    if (r.accepted && !r.files.isEmpty())
        SavePicture(r.files.front());
}

bool TMDIChartChild::NoSeriesToSave()
{
    FollowChannels();
    if (ChartSeriesCount(Chart) > 0)
        return false;
    platform::MessageBox(this, "The chart holds no series to save: add a series first", "Warning");
    return true;
}

bool TMDIChartChild::SaveSeriesText(const QString& fileName)
{
    if (NoSeriesToSave())
        return false;
    std::vector<ChartSeriesColumn> columns;
    for (int i = 0; i < ChartSeriesCount(Chart); ++i) {
        ChartSeriesColumn c;
        const QCPAbstractPlottable* s = ChartSeries(Chart, i);
        c.title = s->name().toStdString();
        ChartSeriesPoints(s, c.x, c.values);
        columns.push_back(std::move(c));
    }
    platform::SaveError error;
    if (platform::SaveFile(QFile::encodeName(fileName).toStdString(),
                           [&](std::ostream& out) { WriteChartSeriesText(out, columns); }, &error))
        return true;
    platform::MessageBox(this, platform::SaveFailureText(error, fileName), "Error", platform::Buttons::Ok);
    return false;
}

void TMDIChartChild::BtnSaveClick()
{
    if (NoSeriesToSave())
        return;
    const platform::FileDialogResult r = platform::SaveFileDialog(this, "Save As", "Text files (*.txt)", "txt", ".");
    if (r.accepted && !r.files.isEmpty())
        SaveSeriesText(r.files.front());
}
