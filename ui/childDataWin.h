// The data window: a grid of channel values of one log, one row per cycle. The
// main window creates it; the grid, its exports and its filter come with the
// data window itself.
#pragma once

#include "ui/MDIChild.h"

class TMDIDataChild : public TMDIChild {
    Q_OBJECT
public:
    TMDIDataChild(QMdiArea* area, RoboCupFileT* log);

    // Follows the main window's time: only the current cycle is kept.
    void SetTimeRange(int cycle, int from, int to) override;

    int CurrentCycle = 0;
    bool FilterEnabled = false;
};
