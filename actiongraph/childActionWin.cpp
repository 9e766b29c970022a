#include "actiongraph/childActionWin.h"

#include "actiongraph/model/Actiongraph.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"
#include "ui/FormControls.h"
#include "ui/main.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>

#include <utility>

TMDIActionChild::TMDIActionChild(QMdiArea* area, RoboCupFileT* log)
    : TMDIChild(area, log), graph_(std::make_unique<TGraph>())
{
    Kind = ChildKind::ActionGraph;
    Graph = graph_.get();
    BuildForm();
    ConnectHandlers();
    FormCreate();
}

TMDIActionChild::~TMDIActionChild()
{
    // FormDestroy: those holding on to the graph or the paths let go first.
    emit Closing(this);
    ClearPaths();
    SelectedNode = nullptr;
    Graph = nullptr;
    graph_.reset();
}

void TMDIActionChild::ConnectHandlers()
{
    ConnectBuildHandlers();
    connect(btnRemoveNodesDegreeLessThan, &QPushButton::clicked, this,
            [this] { btnRemoveNodesDegreeLessThanClick(); });
    connect(BtnDrawGraph, &QPushButton::clicked, this, [this] {
        DrawGraph();
        DrawImageGraph();
    });
    ConnectDrawHandlers();
    connect(sbSimilarityDepth, &QScrollBar::valueChanged, this, [this] { sbSimilarityDepthChange(); });
    connect(sbSimilarityDepth2, &QScrollBar::valueChanged, this, [this] { sbSimilarityDepth2Change(); });
    connect(sbHistory, &QScrollBar::valueChanged, this, [this] { sbHistoryChange(); });
    connect(sbMinConnected, &QScrollBar::valueChanged, this, [this] { sbMinConnectedChange(); });
    ConnectSaveHandlers();
    connect(PanelShowHide, &TClickStrip::clicked, this,
            [this] { ActionGraphPanel->setVisible(!ActionGraphPanel->isVisible()); });
    // Return is no window-wide shortcut: a join cannot be undone, so it runs
    // only where its value is typed, and Return in the display filter shows
    // the graph through the filter.
    connect(EditValue, &QLineEdit::returnPressed, BtnJoinNearest, &QPushButton::click);
    connect(EditFilter, &QLineEdit::returnPressed, this, [this] { DrawGraph(); });
    ConnectPathHandlers();
    ConnectEditHandlers();
    ConnectMouseHandlers();
    ConnectJoinHandlers();
    ConnectStripHandlers();
    ConnectClassHandlers();
    ConnectGrowHandlers();
}

void TMDIActionChild::FormCreate()
{
    ReLayout = false;
    GraphView.SetZoom(1);  // zoom 1 drops the pan
    // Focused, not selected: a list of several choices tells the two apart.
    lbPlayers->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    SelectNode(nullptr);
    sbHistoryChange();
    // Each bar reaches every level of its hierarchy: at the last, no name is cut.
    for (auto [bar, root] : {std::pair{sbSimilarityDepth, g_actionConcepts}, {sbSimilarityDepth2, g_roleConcepts}})
        if (root)
            bar->setMaximum(root->GetTreeDepth() + 1);
    sbSimilarityDepthChange();
    sbSimilarityDepth2Change();
    ClearPaths();
    const int features = File && File->features ? File->features->GetNumFeatures() : 0;
    sgFeatures->setRowCount(features);
    sgFeatures->setColumnWidth(0, 200);
    sgFeatures->setColumnWidth(1, 30);
    sgFeatures->setColumnWidth(2, 30);
}

void TMDIActionChild::sbHistoryChange()
{
    labelHistory->setText(QString::number(sbHistory->value()) + " history cycles");
}

void TMDIActionChild::sbMinConnectedChange()
{
    LabelNumConn->setText(QString::number(sbMinConnected->value()) + " conn");
}

// ---------------------------------------------------------------------------
// Selection, node list, paths

void TMDIActionChild::SelectNode(TNode* node)
{
    // The previous node may be gone with a rebuilt graph; only a node still
    // in the graph is touched.
    if (SelectedNode && Graph && Graph->IndexOfNode(SelectedNode) >= 0)
        SelectedNode->SetColour(TNode::kDefaultColour);
    SelectedNode = node;
    if (node) {
        node->SetColour(TNode::kSelectedColour);
        node->SetMark(0);
        int k = 0;
        for (TConnection* c : node->OutList())
            if (c->To())
                c->To()->SetMark(k++);
        k = 0;
        for (TConnection* c : node->InList())
            if (c->From())
                c->From()->SetMark(k++);
    }
    DrawImageGraph();
}

void TMDIActionChild::RefillActionNodes()
{
    cbActionNodes->clear();
    for (int i = 0; i < Graph->NodeCount(); ++i) {
        TNode* n = Graph->GetNode(i);
        cbActionNodes->addItem(QString::fromStdString(n->GetName()),
                               QVariant::fromValue(reinterpret_cast<quintptr>(n)));
    }
    cbActionNodes->setCurrentIndex(cbActionNodes->count() > 0 ? 0 : -1);
}

TNode* TMDIActionChild::ActionNodeAt(int item) const
{
    if (item < 0 || item >= cbActionNodes->count())
        return nullptr;
    return reinterpret_cast<TNode*>(cbActionNodes->itemData(item).value<quintptr>());
}

// ---------------------------------------------------------------------------

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
