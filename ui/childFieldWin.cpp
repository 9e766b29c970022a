#include "ui/childFieldWin.h"

TMDIFieldChild::TMDIFieldChild(QMdiArea* area, RoboCupFileT* log) : TMDIChild(area, log)
{
    Kind = ChildKind::Field;
    setWindowTitle("Field");
    SetPanelOverPlayers(110, &lbPlayers);
    resize(946, 648);
}

void TMDIFieldChild::SetTimeRange(int cycle, int from, int to)
{
    Cycle = cycle;
    RangeFrom = from;
    RangeTo = to;
    Redraw();
}

void TMDIFieldChild::TimeWindowChanged() { Redraw(); }

void TMDIFieldChild::Redraw() {}
