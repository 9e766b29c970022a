#include "childFieldWin.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QVBoxLayout>

TMDIFieldChild::TMDIFieldChild(QMdiArea* area, RoboCupFileT* log) : TMDIChild(area, log)
{
    Kind = kField;
    setWindowTitle("Field");
    auto* content = new QWidget;
    auto* col = new QVBoxLayout(content);
    col->setContentsMargins(0, 0, 0, 0);
    auto* panel = new QWidget(content);
    panel->setObjectName("ChartPanel");
    panel->setFixedHeight(110);
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
    row->addWidget(lbPlayers);
    row->addStretch(1);
    col->addLayout(row, 1);
    setWidget(content);
    resize(946, 648);
}

void TMDIFieldChild::SetTimeRange(int cycle, int from, int to)
{
    Cycle = cycle;
    RangeFrom = from;
    RangeTo = to;
    Redraw();
}

void TMDIFieldChild::Redraw() {}
