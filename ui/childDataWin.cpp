#include "childDataWin.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

TMDIDataChild::TMDIDataChild(QMdiArea* area, RoboCupFileT* log) : TMDIChild(area, log)
{
    Kind = kData;
    auto* content = new QWidget;
    auto* col = new QVBoxLayout(content);
    col->setContentsMargins(0, 0, 0, 0);
    auto* panel = new QWidget(content);
    panel->setObjectName("ChartPanel");
    panel->setFixedHeight(46);
    auto* row = new QHBoxLayout(panel);
    cbDynamicTimeRange = new QCheckBox("Dynamic time range", panel);
    cbDynamicTimeRange->setObjectName("cbDynamicTimeRange");
    cbDynamicTimeRange->setChecked(true);
    row->addWidget(cbDynamicTimeRange);
    row->addStretch(1);
    col->addWidget(panel);
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
