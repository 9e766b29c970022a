#include "ChildUsageWin.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QVBoxLayout>

TMDIUsageChild::TMDIUsageChild(QMdiArea* area, RoboCupFileT* log) : TMDIChild(area, log)
{
    Kind = kUsage;
    auto* content = new QWidget;
    auto* col = new QVBoxLayout(content);
    col->setContentsMargins(0, 0, 0, 0);
    auto* panel = new QWidget(content);
    panel->setObjectName("ChartPanel");
    panel->setFixedHeight(77);
    auto* panelRow = new QHBoxLayout(panel);
    cbDynamicTimeRange = new QCheckBox("Dynamic time range", panel);
    cbDynamicTimeRange->setObjectName("cbDynamicTimeRange");
    cbDynamicTimeRange->setChecked(true);
    panelRow->addWidget(cbDynamicTimeRange, 0, Qt::AlignTop);
    panelRow->addStretch(1);
    col->addWidget(panel);

    auto* row = new QHBoxLayout;
    lbPlayers = new QListWidget(content);
    lbPlayers->setObjectName("lbPlayers");
    lbPlayers->setSelectionMode(QAbstractItemView::MultiSelection);
    lbPlayers->addItem("ball");
    for (const char* side : {"Lplayer", "Rplayer"})
        for (int i = 1; i <= 11; ++i)
            lbPlayers->addItem(QString(side) + QString::number(i));
    lbPlayers->setFixedWidth(65);
    lbPlayers->selectAll();
    row->addWidget(lbPlayers);
    row->addStretch(1);
    col->addLayout(row, 1);
    setWidget(content);
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
