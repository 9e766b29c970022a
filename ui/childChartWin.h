// The chart window: channels of one log over time as series of one chart. The
// main window creates it and sets its chart up (AttachChart); the series, the
// panel's commands and the cursor line come with the chart window itself.
#pragma once

#include "ui/MDIChild.h"

class QCustomPlot;
class QVBoxLayout;

class TMDIChartChild : public TMDIChild {
    Q_OBJECT
public:
    TMDIChartChild(QMdiArea* area, RoboCupFileT* log);

    // Takes the chart over: it fills the window under the panel and the window
    // owns it from now on.
    void AttachChart(QCustomPlot* chart);
    // Runs after the chart has drawn itself; draws nothing yet.
    void ChartAfterDraw();
    // The cursor goes to the cycle and the bottom axis spans the range; the
    // axis stays automatic for what the user does later.
    void SetTimeRange(int cycle, int from, int to) override;

    QWidget* ChartPanel = nullptr;
    QCustomPlot* Chart = nullptr;  // null until the creator attaches one
    int CurrentCycle = 0;          // where the cursor line stands

private:
    QVBoxLayout* body_ = nullptr;
};
