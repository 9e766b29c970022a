#include "ui/ChartSeries.h"

#include <qcustomplot.h>

#include <array>

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

}  // namespace

void TChartSeriesSink::AddSeries(int kind, const std::string& title, const std::vector<double>& values)
{
    QVector<double> x(static_cast<qsizetype>(values.size()));
    for (qsizetype i = 0; i < x.size(); ++i)
        x[i] = static_cast<double>(i);
    AddXYSeries(kind, QString::fromStdString(title), x, QVector<double>(values.begin(), values.end()));
}

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
        bars->setData(x, y, true);
        series = bars;
    } else {
        auto* graph = chart_->addGraph();
        graph->setPen(QPen(color));
        if (kind == kSeriesDots) {
            graph->setLineStyle(QCPGraph::lsNone);
            graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, Qt::NoPen, color, 3));
        }
        graph->setData(x, y, true);
        series = graph;
    }
    series->setName(title);
    series->setProperty("seriesKind", kind == kSeriesBars || kind == kSeriesDots ? kind : kSeriesLines);
    return series;
}

int ChartSeriesCount(const QCustomPlot* chart) { return chart ? chart->plottableCount() : 0; }

QCPAbstractPlottable* ChartSeries(QCustomPlot* chart, int index)
{
    return chart && index >= 0 && index < chart->plottableCount() ? chart->plottable(index) : nullptr;
}

namespace {
template <typename Container>
void Points(const Container& data, std::vector<double>& x, std::vector<double>& y)
{
    x.reserve(static_cast<std::size_t>(data.size()));
    y.reserve(static_cast<std::size_t>(data.size()));
    for (auto it = data.constBegin(); it != data.constEnd(); ++it) {
        x.push_back(it->mainKey());
        y.push_back(it->mainValue());
    }
}
}  // namespace

void ChartSeriesPoints(const QCPAbstractPlottable* series, std::vector<double>& x, std::vector<double>& y)
{
    x.clear();
    y.clear();
    if (auto* graph = qobject_cast<const QCPGraph*>(series))
        Points(*graph->data(), x, y);
    else if (auto* bars = qobject_cast<const QCPBars*>(series))
        Points(*bars->data(), x, y);
}

int ChartSeriesKind(const QCPAbstractPlottable* series)
{
    return series ? series->property("seriesKind").toInt() : kSeriesLines;
}
