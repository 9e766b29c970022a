// The building of the action-graph window's graph: from the players list, by
// "Rebuild graph" at the depths of the hierarchy bars, and the two
// demonstration graphs. The builders themselves run in
// actiongraph/model/GraphBuilder.*; here the window reads its controls, keeps
// the depths its names use, and empties its selection and path list before the
// graph they point into changes.
#include "actiongraph/childActionWin.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/GraphBuilder.h"
#include "core/model/RoboCupFile.h"
#include "platform/Hooks.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>

void TMDIActionChild::ConnectBuildHandlers()
{
    connect(lbPlayers, &QListWidget::itemClicked, this, [this] { lbPlayersClick(); });
    connect(lbPlayers, &QListWidget::itemDoubleClicked, this, [this] { lbPlayersDblClick(); });
    connect(btnDepth, &QPushButton::clicked, this, [this] { btnDepthClick(); });
    connect(btnConcepts, &QPushButton::clicked, this, [this] { btnConceptsClick(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

std::array<bool, 23> TMDIActionChild::ChosenObjects() const
{
    std::array<bool, 23> chosen{};
    for (int i = 0; i < 23 && i < lbPlayers->count(); ++i)
        chosen[static_cast<std::size_t>(i)] = lbPlayers->item(i)->isSelected();
    return chosen;
}

void TMDIActionChild::BuildActionGraph(TGraph* graph)
{
    if (!graph)
        return;
    const bool own = graph == Graph;
    if (own) {
        // Paths and the selection point into the graph about to be emptied.
        SelectNode(nullptr);
        ClearPaths();
    }
    if (File)
        ::BuildActionGraph(*File, ChosenObjects(), Depths, *graph);
    else
        graph->Clear();
    if (!own)
        return;
    RefillActionNodes();
    DrawGraph();
    EditValue->setText("1");
    btnRemoveNodesDegreeLessThanClick();
}

void TMDIActionChild::lbPlayersClick()
{
    SelectNode(nullptr);
    const int o = lbPlayers->currentRow();
    sgActions->clearContents();
    sgActions->setRowCount(1);
    if (File && o >= 0 && o < RoboCupFileT::kObjectCount) {
        const auto& events = File->events[static_cast<std::size_t>(o)];
        sgActions->setRowCount(1 + static_cast<int>(events.size()));
        int row = 1;
        for (const auto& e : events) {
            sgActions->setItem(row, 0, new QTableWidgetItem(QString::number(e->start)));
            sgActions->setItem(row, 1, new QTableWidgetItem(QString::number(e->end)));
            sgActions->setItem(row, 2,
                               new QTableWidgetItem(QString::fromStdString(Depths.Action(e->action))));
            ++row;
        }
    }
    DrawGraph();
}

void TMDIActionChild::lbPlayersDblClick()
{
    lbPlayersClick();
    BuildActionGraph(Graph);
    DrawGraph();
}

void TMDIActionChild::btnDepthClick()
{
    SelectNode(nullptr);
    ClearPaths();
    // The depths are this window's: another window's names stay as they are.
    Depths = TNameDepths{sbSimilarityDepth->value(), sbSimilarityDepth2->value()};
    BuildActionGraph(Graph);
    DrawGraph();
}

void TMDIActionChild::Button1Click()
{
    SelectNode(nullptr);
    ClearPaths();
    BuildDemoGraph1(*Graph);
    RefillActionNodes();
    DrawGraph();
}

void TMDIActionChild::Button2Click()
{
    int n = 0;
    if (!ReadValue(&n))
        return;
    const int cycles = File ? File->cycles : 0;
    if (n > 0 && n > cycles - 1) {
        // Actions shorter than a cycle make no graph worth the memory.
        platform::Beep();
        return;
    }
    SelectNode(nullptr);
    ClearPaths();
    if (File)
        BuildDemoGraph2(*File, n, Depths, *Graph);
    RefillActionNodes();
    DrawGraph();
}
