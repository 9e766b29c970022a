// The field window: the pitch with the objects of one log over the current time
// range. The main window creates it, selects every object in lbPlayers and gives
// it the current time; the drawing and the options come with the field window.
#pragma once

#include "ui/MDIChild.h"

class QListWidget;

class TMDIFieldChild : public TMDIChild {
    Q_OBJECT
public:
    TMDIFieldChild(QMdiArea* area, RoboCupFileT* log);

    // Stores the cycle and the range, then redraws.
    void SetTimeRange(int cycle, int from, int to) override;
    // The averaged values changed: redraws.
    void TimeWindowChanged() override;
    // Repaints the picture for the current state; draws nothing yet.
    void Redraw();

    // "ball", "Lplayer1".."Lplayer11", "Rplayer1".."Rplayer11": item i is object i.
    QListWidget* lbPlayers = nullptr;
    int Cycle = 0;
    int RangeFrom = 0;
    int RangeTo = 0;
};
