// The action-graph window: a child window on one log whose graph is built from
// the actions of the objects selected in lbPlayers. The main window creates it,
// selects every object, builds the graph and lays the window out.
#pragma once

#include "ui/MDIChild.h"

class QListWidget;
class TGraph;

class TMDIActionChild : public TMDIChild {
    Q_OBJECT
public:
    TMDIActionChild(QMdiArea* area, RoboCupFileT* log);

    // Builds graph from the window's log for the objects selected in lbPlayers.
    void BuildActionGraph(TGraph* graph);
    // Sizes the drawing to the window and draws the graph.
    void FormResize(QObject* Sender);

    // "ball", "Lplayer1".."Lplayer11", "Rplayer1".."Rplayer11": item i is object i.
    QListWidget* lbPlayers = nullptr;
    TGraph* Graph = nullptr;  // the window's own graph
};

// Tells the main window how to open an action-graph window.
void RegisterActionGraphWindow();
