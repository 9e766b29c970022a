#include "actiongraph/childActionWin.h"

#include "ui/main.h"

#include <QHBoxLayout>
#include <QListWidget>

TMDIActionChild::TMDIActionChild(QMdiArea* area, RoboCupFileT* log) : TMDIChild(area, log)
{
    Kind = ChildKind::ActionGraph;
    auto* content = new QWidget;
    auto* row = new QHBoxLayout(content);
    row->setContentsMargins(0, 0, 0, 0);
    lbPlayers = NewPlayersList(content, 80);
    row->addWidget(lbPlayers);
    row->addStretch(1);
    setWidget(content);
    resize(500, 400);
}

void TMDIActionChild::BuildActionGraph(TGraph* graph)
{
    // The graph model comes with the action-graph subsystem.
    (void)graph;
}

void TMDIActionChild::FormResize(QObject* Sender)
{
    // Drawing comes with the action-graph subsystem.
    (void)Sender;
}

void RegisterActionGraphWindow()
{
    ActionGraphWindowKind kind;
    kind.create = [](QMdiArea* area, RoboCupFileT* log, const QString& title) {
        auto* child = new TMDIActionChild(area, log);
        child->SetTitle(title);
        TMDIChild::SelectAllPlayers(child->lbPlayers);
        child->BuildActionGraph(child->Graph);
        child->FormResize(nullptr);
        child->show();
        return child;
    };
    SetActionGraphWindowKind(std::move(kind));
}
