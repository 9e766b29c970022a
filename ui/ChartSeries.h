// The chart series on QCustomPlot: the points of a series source become a
// graph (lines, dots) or bars of the chart, and the chart window and
// its exports read the series back through these helpers, in chart order.
#pragma once

#include "core/expr/SeriesSource.h"
#include "core/model/timestream.h"

#include <QMetaType>
#include <QString>
#include <QVector>

#include <vector>

class QCPAbstractPlottable;
class QCPAxis;
class QCPRange;
class QCustomPlot;

// Series kinds, as the main window's "Series type" offers them.
enum : int { kSeriesLines = 0, kSeriesDots = 1, kSeriesBars = 2 };

class TChartSeriesSink {
public:
    explicit TChartSeriesSink(QCustomPlot* chart) : chart_(chart) {}
    // One series of the kind (lines for an unknown kind) with the given points,
    // handed over in one piece (keys ascending); the chart owns it.
    QCPAbstractPlottable* AddXYSeries(int kind, const QString& title, const QVector<double>& x,
                                      const QVector<double>& y);

private:
    QCustomPlot* chart_;
};

// The chart's series in chart order.
int ChartSeriesCount(const QCustomPlot* chart);
QCPAbstractPlottable* ChartSeries(QCustomPlot* chart, int index);
// The series' points in key order, those that are no number included.
void ChartSeriesPoints(const QCPAbstractPlottable* series, std::vector<double>& x, std::vector<double>& y);
// Puts the points in place of the series' points (keys ascending).
void SetChartSeriesPoints(QCPAbstractPlottable* series, const std::vector<double>& x, const std::vector<double>& y);
// The kind the series was made as.
int ChartSeriesKind(const QCPAbstractPlottable* series);
// What the series shows, for drawing it again from the channels; false for a
// series of fixed points (a refused expression, points handed in).
void SetChartSeriesSource(QCPAbstractPlottable* series, const SeriesSource& source);
bool ChartSeriesSource(const QCPAbstractPlottable* series, SeriesSource& source);

// Sets the axis to the range nearest low .. high that the chart takes, and
// gives the range the axis has then. QCustomPlot refuses, without a word, a
// range reaching 1e250 or beyond, one as wide, or one narrower than 1e-280:
// such a range is cut to the widest it takes around its middle (or widened
// to the narrowest). A bound that is no number changes nothing.
QCPRange SetAxisRange(QCPAxis* axis, double low, double high);

Q_DECLARE_METATYPE(SeriesSource)
