#include "ui/childChartWin.h"

#include <QVBoxLayout>
#include <qcustomplot.h>

TMDIChartChild::TMDIChartChild(QMdiArea* area, RoboCupFileT* log) : TMDIChild(area, log)
{
    Kind = ChildKind::Chart;
    auto* content = new QWidget;
    body_ = new QVBoxLayout(content);
    body_->setContentsMargins(0, 0, 0, 0);
    body_->setSpacing(0);
    ChartPanel = NewTimeRangePanel(content, 53);
    body_->addWidget(ChartPanel);
    setWidget(content);
    resize(712, 440);
}

void TMDIChartChild::AttachChart(QCustomPlot* chart)
{
    if (Chart)
        delete Chart;
    Chart = chart;
    if (Chart)
        body_->addWidget(Chart, 1);
}

void TMDIChartChild::ChartAfterDraw() {}

void TMDIChartChild::SetTimeRange(int cycle, int from, int to)
{
    CurrentCycle = cycle;
    if (!Chart)
        return;
    Chart->xAxis->setRange(from, to);
    // Drawn once the events are through: a run of time changes costs one redraw.
    Chart->replot(QCustomPlot::rpQueuedReplot);
}
