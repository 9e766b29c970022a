// The concept-usage window: how often the concepts hold for the objects of one
// log over the current time range. It is made with every object selected; the
// main window gives it the current time. The statistics, the timeline and the
// clustering come with the concept-usage window itself.
#pragma once

#include "ui/MDIChild.h"

class QListWidget;

class TMDIUsageChild : public TMDIChild {
    Q_OBJECT
public:
    TMDIUsageChild(QMdiArea* area, RoboCupFileT* log);

    // Stores the cycle and the range; the same values again change nothing.
    void SetTimeRange(int cycle, int start, int end) override;

    // "ball", "Lplayer1".."Lplayer11", "Rplayer1".."Rplayer11": item i is object i.
    QListWidget* lbPlayers = nullptr;
    int CurrentCycle = 0;
    int RangeStart = 0;
    int RangeEnd = 0;
};
