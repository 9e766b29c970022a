#include "ui/childDataWin.h"

#include <QVBoxLayout>

TMDIDataChild::TMDIDataChild(QMdiArea* area, RoboCupFileT* log) : TMDIChild(area, log)
{
    Kind = ChildKind::Data;
    auto* content = new QWidget;
    auto* col = new QVBoxLayout(content);
    col->setContentsMargins(0, 0, 0, 0);
    col->addWidget(NewTimeRangePanel(content, 46));
    col->addStretch(1);
    setWidget(content);
    resize(600, 400);
}

void TMDIDataChild::SetTimeRange(int cycle, int from, int to)
{
    (void)from;
    (void)to;
    CurrentCycle = cycle;
}
