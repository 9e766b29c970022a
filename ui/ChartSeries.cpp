#include "ui/ChartSeries.h"

#include <qcustomplot.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// The colours new series take in turn.
QColor SeriesColor(int index)
{
    static const std::array<QColor, 12> colors = {
        QColor(255, 0, 0),   QColor(0, 128, 0),   QColor(0, 0, 255),   QColor(255, 128, 0),
        QColor(128, 0, 128), QColor(0, 128, 128), QColor(128, 0, 0),   QColor(0, 0, 128),
        QColor(128, 128, 0), QColor(255, 0, 255), QColor(0, 160, 255), QColor(64, 64, 64),
    };
    return colors[static_cast<std::size_t>(index) % colors.size()];
}

// Hands the points to the series. QCPBars draws a value that is no finite
// number as a bar over the whole height: bars get the finite points only and
// keep all of them for reading back.
void SetPoints(QCPAbstractPlottable* series, const QVector<double>& x, const QVector<double>& y)
{
    if (auto* graph = qobject_cast<QCPGraph*>(series)) {
        graph->setData(x, y, true);
    } else if (auto* bars = qobject_cast<QCPBars*>(series)) {
        QVector<double> keys, values;
        for (qsizetype i = 0; i < std::min(x.size(), y.size()); ++i) {
            if (std::isfinite(y[i])) {
                keys.push_back(x[i]);
                values.push_back(y[i]);
            }
        }
        bars->setData(keys, values, true);
        bars->setProperty("seriesKeys", QVariant::fromValue(x));
        bars->setProperty("seriesValues", QVariant::fromValue(y));
    }
}

}  // namespace

QCPAbstractPlottable* TChartSeriesSink::AddXYSeries(int kind, const QString& title, const QVector<double>& x,
                                                    const QVector<double>& y)
{
    const QColor color = SeriesColor(chart_->plottableCount());
    QCPAbstractPlottable* series = nullptr;
    if (kind == kSeriesBars) {
        auto* bars = new QCPBars(chart_->xAxis, chart_->yAxis);
        bars->setWidth(1);  // one cycle wide, at its cycle
        bars->setPen(Qt::NoPen);
        bars->setBrush(color);
        series = bars;
    } else {
        auto* graph = chart_->addGraph();
        graph->setPen(QPen(color));
        if (kind == kSeriesDots) {
            graph->setLineStyle(QCPGraph::lsNone);
            graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, Qt::NoPen, color, 3));
        }
        series = graph;
    }
    SetPoints(series, x, y);
    series->setName(title);
    series->setProperty("seriesKind", kind == kSeriesBars || kind == kSeriesDots ? kind : kSeriesLines);
    return series;
}

int ChartSeriesCount(const QCustomPlot* chart) { return chart ? chart->plottableCount() : 0; }

QCPAbstractPlottable* ChartSeries(QCustomPlot* chart, int index)
{
    return chart && index >= 0 && index < chart->plottableCount() ? chart->plottable(index) : nullptr;
}

void ChartSeriesPoints(const QCPAbstractPlottable* series, std::vector<double>& x, std::vector<double>& y)
{
    x.clear();
    y.clear();
    if (auto* graph = qobject_cast<const QCPGraph*>(series)) {
        const QCPGraphDataContainer& data = *graph->data();
        for (auto it = data.constBegin(); it != data.constEnd(); ++it) {
            x.push_back(it->key);
            y.push_back(it->value);
        }
    } else if (qobject_cast<const QCPBars*>(series)) {
        const QVector<double> keys = series->property("seriesKeys").value<QVector<double>>();
        const QVector<double> values = series->property("seriesValues").value<QVector<double>>();
        x.assign(keys.begin(), keys.end());
        y.assign(values.begin(), values.end());
    }
}

void SetChartSeriesPoints(QCPAbstractPlottable* series, const std::vector<double>& x, const std::vector<double>& y)
{
    SetPoints(series, QVector<double>(x.begin(), x.end()), QVector<double>(y.begin(), y.end()));
}

int ChartSeriesKind(const QCPAbstractPlottable* series)
{
    return series ? series->property("seriesKind").toInt() : kSeriesLines;
}

void SetChartSeriesSource(QCPAbstractPlottable* series, const SeriesSource& source)
{
    if (series)
        series->setProperty("seriesSource", QVariant::fromValue(source));
}

bool ChartSeriesSource(const QCPAbstractPlottable* series, SeriesSource& source)
{
    const QVariant v = series ? series->property("seriesSource") : QVariant();
    if (!v.canConvert<SeriesSource>())
        return false;
    source = v.value<SeriesSource>();
    return true;
}

QCPRange SetAxisRange(QCPAxis* axis, double low, double high)
{
    if (std::isnan(low) || std::isnan(high))
        return axis->range();
    if (low > high)
        std::swap(low, high);
    // Below the chart's bound by more than any rounding of the sums here.
    const double most = QCPRange::maxRange * (1 - 1e-9);
    low = std::clamp(low, -most, most);
    high = std::clamp(high, -most, most);
    if (high - low >= most) {
        const double middle = std::clamp(low / 2 + high / 2, -most / 2, most / 2);
        low = middle - most / 2;
        high = middle + most / 2;
    }
    // So narrow that the chart cannot tell its bounds apart, or they are one.
    const double middle = low / 2 + high / 2;
    const double least = std::max(QCPRange::minRange, std::abs(middle) * 1e-12);
    if (high - low <= least) {
        low = middle - least;
        high = middle + least;
    }
    // Bounds of one sign whose ratio is no number the chart can draw: the
    // axis reaches to zero instead.
    if (low > 0 && std::isinf(high / low))
        low = 0;
    if (high < 0 && std::isinf(low / high))
        high = 0;
    axis->setRange(low, high);
    return axis->range();
}
