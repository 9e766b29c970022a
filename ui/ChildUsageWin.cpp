#include "ui/ChildUsageWin.h"

#include <QListWidget>

TMDIUsageChild::TMDIUsageChild(QMdiArea* area, RoboCupFileT* log) : TMDIChild(area, log)
{
    Kind = ChildKind::Usage;
    SetPanelOverPlayers(77, &lbPlayers);
    lbPlayers->selectAll();
    resize(600, 400);
}

void TMDIUsageChild::SetTimeRange(int cycle, int start, int end)
{
    if (cycle == CurrentCycle && start == RangeStart && end == RangeEnd)
        return;
    CurrentCycle = cycle;
    RangeStart = start;
    RangeEnd = end;
}
