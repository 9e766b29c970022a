// The "Remove:" group of the action-graph window and the hierarchy-depth
// labels. The removals themselves run in actiongraph/model/GraphEdit.* and
// GraphBuilder.*; here the window reads its controls and keeps its selection,
// path list and node list in step with the graph.
#include "actiongraph/childActionWin.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/GraphBuilder.h"
#include "actiongraph/model/GraphEdit.h"
#include "platform/Hooks.h"
#include "platform/qt/Dialogs.h"
#include "ui/FormControls.h"
#include "ui/MainServices.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

void TMDIActionChild::ConnectEditHandlers()
{
    connect(btnRemoveEdgesWeightLessThan, &QPushButton::clicked, this,
            [this] { btnRemoveEdgesWeightLessThanClick(); });
    connect(BtnRemoveEdgesDisplayerd, &QPushButton::clicked, this, [this] { BtnRemoveEdgesDisplayerdClick(); });
    connect(btnRemoveEdgesTimeMarks, &QPushButton::clicked, this, [this] { btnRemoveEdgesTimeMarksClick(); });
    connect(btnRemoveCurrent, &QPushButton::clicked, this, [this] { btnRemoveCurrentClick(); });
}

bool TMDIActionChild::ReadValue(int* value)
{
    try {
        *value = StrToIntTrim(EditValue->text().toStdString());
        return true;
    } catch (const EConvertError& e) {
        platform::MessageBox(this, QString::fromStdString(e.what()), "Error");
        return false;
    }
}

void TMDIActionChild::RemoveMarkedFinish()
{
    // A selected node that went with the others is forgotten without being
    // touched; the strip shows what is left around the selection either way.
    if (SelectedNode && (!Graph || Graph->IndexOfNode(SelectedNode) < 0))
        SelectedNode = nullptr;
    RefillActionNodes();
    DrawImageGraph();
}

void TMDIActionChild::btnRemoveEdgesWeightLessThanClick()
{
    int v = 0;
    if (!ReadValue(&v))
        return;
    ClearPaths();
    RemoveConnectionsWeightBelow(*Graph, v);
    RemoveMarkedFinish();
    DrawGraph();
}

void TMDIActionChild::btnRemoveNodesDegreeLessThanClick()
{
    int v = 0;
    if (!ReadValue(&v))
        return;
    ClearPaths();
    RemoveNodesWithDegreeBelow(*Graph, v);
    RemoveMarkedFinish();
    DrawGraph();
}

void TMDIActionChild::BtnRemoveEdgesDisplayerdClick()
{
    ClearPaths();
    RemoveConnectionsShown(*Graph, EditFilter->text().toStdString());
    RemoveMarkedFinish();
    DrawGraph();
}

void TMDIActionChild::btnRemoveEdgesTimeMarksClick()
{
    IMainWindowServices* main = MainServices();
    const std::vector<int> marks = main ? main->TimeMarkCycles() : std::vector<int>{};
    ClearPaths();
    RemoveConnectionsNotInMarks(*Graph, marks);
    RemoveMarkedFinish();
    DrawGraph();
}

void TMDIActionChild::btnRemoveCurrentClick()
{
    if (!SelectedNode) {
        platform::Beep();
        return;
    }
    const int i = Graph->IndexOfNode(SelectedNode);
    SelectNode(nullptr);
    ClearPaths();
    if (i >= 0)
        Graph->RemoveNodeAt(i);
    RemoveMarkedFinish();
    DrawGraph();
}

void TMDIActionChild::sbSimilarityDepthChange()
{
    const int p = sbSimilarityDepth->value();
    labelActionLevel->setText(p == 0 ? QString("All action hierarchy levels")
                                     : QString::number(p) + " action hierarchy levels");
}

void TMDIActionChild::sbSimilarityDepth2Change()
{
    const int p = sbSimilarityDepth2->value();
    labelRoleLevel->setText(p == 0 ? QString("All role hierarchy levels")
                                   : QString::number(p) + " role hierarchy levels");
}
