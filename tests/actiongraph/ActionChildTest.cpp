#include "actiongraph/childActionWin.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/GraphBuilder.h"
#include "actiongraph/model/PathObject.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/load/LoadLog.h"
#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"
#include "platform/qt/Dialogs.h"
#include "ui/FormControls.h"

#include "support/GuiApp.h"
#include "support/FilledRecord.h"
#include "support/RecordingHooks.h"
#include "support/TestData.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// A window on a filled log of 300 cycles with the hierarchies built.
class ActionChild : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGuiApp();
        CreateConceptHierarchies();
    }
    void TearDown() override
    {
        delete window.data();
        FreeConceptHierarchies();
    }
    TMDIActionChild* Open()
    {
        window = new TMDIActionChild(nullptr, &record.File());
        return window;
    }
    void Event(ConceptObject* action, int player, int first, int last, int other, int otherEnd, int partner)
    {
        record.File().events[static_cast<std::size_t>(player)].push_back(
            std::make_unique<ActionEvent>(ActionEvent{action, player, first, last, other, otherEnd, partner}));
    }
    void Role(int object, ConceptObject* role)
    {
        for (auto& v : record.File().roleChannel[static_cast<std::size_t>(object)]->GetValues())
            v = ConceptHandle(role);
    }
    // The pass of Lplayer3 (LC-MF) to Lplayer7 (L-FW), who dribbles on.
    void PassAndDribble()
    {
        Role(3, coLCMF[0]);
        Role(7, coLFW[0]);
        Event(coToPlayer, 3, 100, 100, 0, 109, 7);
        Event(coAttackSupport, 7, 100, 109, 7, 109, -1);
        Event(coSpeedDribble, 7, 110, 120, 7, 120, -1);
    }
    std::vector<std::string> NodeNames() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < window->Graph->NodeCount(); ++i)
            names.push_back(window->Graph->GetNode(i)->GetName());
        return names;
    }

    FilledRecord record{300};
    QPointer<TMDIActionChild> window;
    platform::DialogScript script;

private:
    InTempDir dir_{"action-child"};
};

}  // namespace

TEST_F(ActionChild, TheFormStartsWithItsDefaults)
{
    record.File().features->Allocate(7, 300);
    Open();
    EXPECT_EQ(window->windowTitle(), "MDIActionChild");
    EXPECT_EQ(window->size(), QSize(1131, 753));
    EXPECT_EQ(window->labelHistory->text(), "100 history cycles");
    EXPECT_EQ(window->labelActionLevel->text(), "All action hierarchy levels");
    EXPECT_EQ(window->labelRoleLevel->text(), "All role hierarchy levels");
    ASSERT_EQ(window->cbPaths->count(), 1);
    EXPECT_EQ(window->cbPaths->itemText(0), "All");
    EXPECT_EQ(window->PathAt(0), nullptr);
    EXPECT_EQ(window->LabelNumConn->text(), "2 conn");
    EXPECT_EQ(window->cbPathFunc->count(), 17);
    EXPECT_EQ(window->cbPathFunc->currentText(), "avg, len=3");
    EXPECT_TRUE(window->sgFeatures->isHidden());
    EXPECT_EQ(window->sgFeatures->rowCount(), 7);
    EXPECT_EQ(window->sgFeatures->columnWidth(0), 200);
    EXPECT_EQ(window->sgFeatures->columnWidth(2), 30);
    EXPECT_EQ(window->EditValue->text(), "2");
    EXPECT_EQ(window->EditNumNodes->text(), "0");
    EXPECT_TRUE(window->EditNumNodes->isReadOnly());
    EXPECT_EQ(window->lbPlayers->currentRow(), 0);
    EXPECT_TRUE(window->lbPlayers->selectedItems().isEmpty());
    EXPECT_EQ(window->PageControl1->currentWidget(), window->tsGraph);
    EXPECT_FALSE(window->PageControl1->isTabEnabled(2));
    EXPECT_EQ(window->cbBW->text(), "Black && white");  // shown as "Black & white"
    EXPECT_TRUE(window->cbShowNodes->isChecked());
    EXPECT_FALSE(window->btnConcepts->isVisibleTo(window));
    EXPECT_EQ(window->sbAlpha->value(), 200);
    EXPECT_EQ(window->sbEmphasize->value(), 250);
    EXPECT_EQ(window->EditRoleW->toolTip(), "Role weight");
    EXPECT_EQ(window->SelectedNode, nullptr);
    EXPECT_EQ(window->AttrW + window->RoleW + window->ActionW + window->FeatW, 0.0);
    // The labels follow their scroll bars.
    window->sbSimilarityDepth->setValue(3);
    EXPECT_EQ(window->labelActionLevel->text(), "3 action hierarchy levels");
    window->sbSimilarityDepth2->setValue(1);
    EXPECT_EQ(window->labelRoleLevel->text(), "1 role hierarchy levels");
    window->sbMinConnected->setValue(7);
    EXPECT_EQ(window->LabelNumConn->text(), "7 conn");
}

TEST_F(ActionChild, BuildingTheOwnGraphEndsWithTheDegreeFilterAndTheNodeList)
{
    PassAndDribble();
    Open();
    window->AddPath("   1.00 #1 x", std::make_unique<TPathObject>());
    TMDIChild::SelectAllPlayers(window->lbPlayers);
    window->BuildActionGraph(window->Graph);
    EXPECT_EQ(NodeNames(), (std::vector<std::string>{"LTeam.LC-MF:To-player", "LTeam.L-FW:Attack-support",
                                                     "LTeam.L-FW:Speed-dribble", "LTeam.L-FW:Speed-dribble-END"}));
    ASSERT_EQ(window->Graph->ConnectionCount(), 3);
    TGraph& g = *window->Graph;
    EXPECT_EQ(g.GetNode(2)->InList(), (std::vector<TConnection*>{g.GetConnection(1), g.GetConnection(0)}));
    EXPECT_EQ(window->EditValue->text(), "1");
    ASSERT_EQ(window->cbActionNodes->count(), 4);
    EXPECT_EQ(window->cbActionNodes->currentIndex(), 0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(window->ActionNodeAt(i), g.GetNode(i));
        EXPECT_EQ(window->cbActionNodes->itemText(i).toStdString(), g.GetNode(i)->GetName());
    }
    EXPECT_EQ(window->cbPaths->count(), 1);  // the rebuild emptied the path list

    // Another graph is built without the window's own steps.
    TGraph other;
    window->EditValue->setText("5");
    window->BuildActionGraph(&other);
    EXPECT_EQ(other.NodeCount(), 5);
    EXPECT_EQ(window->EditValue->text(), "5");
}

TEST_F(ActionChild, PlayersListChoosesTheObjectsAndShowsTheFocusedOnesEvents)
{
    PassAndDribble();
    Event(coLongDribble, 7, 150, 160, 7, 160, -1);
    Open();
    window->lbPlayers->item(3)->setSelected(true);
    window->lbPlayers->setCurrentRow(7, QItemSelectionModel::NoUpdate);
    window->lbPlayersDblClick();
    EXPECT_EQ(NodeNames(), (std::vector<std::string>{"LTeam.LC-MF:To-player", "LTeam.LC-MF:To-player-END"}));
    ASSERT_EQ(window->sgActions->rowCount(), 4);  // the header row and three events
    EXPECT_EQ(window->sgActions->item(0, 0), nullptr);
    const char* const want[3][3] = {
        {"100", "109", "Attack-support"}, {"110", "120", "Speed-dribble"}, {"150", "160", "Long-dribble"}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(window->sgActions->item(r + 1, c)->text(), want[r][c]) << r << "," << c;
}

TEST_F(ActionChild, RebuildWithCutHierarchyPaths)
{
    PassAndDribble();
    Open();
    TMDIChild::SelectAllPlayers(window->lbPlayers);
    window->sbSimilarityDepth2->setValue(3);
    window->btnDepthClick();
    // Three levels name a role after its ancestor on the third level.
    ConceptObject* ancestor = coLFW[0];
    while (ancestor->GetLevel() > 2)
        ancestor = ancestor->GetParent();
    const std::string role = ConceptObject::GetPathName(ancestor);
    EXPECT_NE(role, "LTeam.L-FW");
    EXPECT_EQ(NodeNames()[1], role + ":Attack-support");
    // The depth is the window's: the hierarchy names the role in full.
    EXPECT_EQ(ConceptObject::GetPathName(coLFW[0]), "LTeam.L-FW");
    window->sbSimilarityDepth2->setValue(0);
    window->btnDepthClick();
    EXPECT_EQ(NodeNames()[1], "LTeam.L-FW:Attack-support");
}

TEST_F(ActionChild, DemonstrationButtons)
{
    RecordingHooks hooks;
    Open();
    window->Button1->click();
    EXPECT_EQ(window->Graph->NodeCount(), 12);
    EXPECT_EQ(window->Graph->ConnectionCount(), 20);
    EXPECT_EQ(window->cbActionNodes->count(), 12);

    // Select a node, then the second demonstration replaces the graph.
    window->SelectNode(window->Graph->GetNode(1));
    EXPECT_EQ(window->Graph->GetNode(1)->GetColour(), 0x0000FFu);
    window->EditValue->setText(" 3 ");
    window->Button2->click();
    EXPECT_EQ(window->SelectedNode, nullptr);
    EXPECT_EQ(window->Graph->NodeCount(), 4);
    EXPECT_EQ(window->cbActionNodes->count(), 4);
    EXPECT_EQ(window->ActionNodeAt(3), window->Graph->GetNode(3));

    // Not a number: the conversion error, nothing changed.
    window->EditValue->setText("abc");
    window->Button2->click();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "'abc' is not a valid integer value");
    EXPECT_EQ(script.messages[0].caption, "Error");
    EXPECT_EQ(window->Graph->NodeCount(), 4);
    // More actions than the log has cycles: a beep, nothing changed.
    window->EditValue->setText("300");
    window->Button2->click();
    EXPECT_EQ(hooks.beeps, 1);
    EXPECT_EQ(window->Graph->NodeCount(), 4);
    window->EditValue->setText("0");
    window->Button2->click();
    EXPECT_EQ(window->Graph->NodeCount(), 0);
    EXPECT_EQ(window->cbActionNodes->count(), 0);
}

TEST_F(ActionChild, SelectionColoursTheNodeAndNumbersItsNeighbours)
{
    Open();
    window->Button1->click();
    TGraph& g = *window->Graph;
    window->SelectNode(g.GetNode(6));  // out: 7, 4; in: 5
    EXPECT_EQ(g.GetNode(6)->GetColour(), TNode::kSelectedColour);
    EXPECT_EQ(g.GetNode(6)->GetMark(), 0);
    EXPECT_EQ(g.GetNode(7)->GetMark(), 0);
    EXPECT_EQ(g.GetNode(4)->GetMark(), 1);
    EXPECT_EQ(g.GetNode(5)->GetMark(), 0);
    window->SelectNode(g.GetNode(0));
    EXPECT_EQ(g.GetNode(6)->GetColour(), TNode::kDefaultColour);
    EXPECT_EQ(window->SelectedNode, g.GetNode(0));
    // The degree filter takes the selected node with it: the selection goes too.
    window->EditValue->setText("100");
    window->btnRemoveNodesDegreeLessThan->click();
    EXPECT_EQ(g.NodeCount(), 0);
    EXPECT_EQ(window->SelectedNode, nullptr);
    EXPECT_EQ(window->cbActionNodes->count(), 0);
    window->EditValue->setText("x1");
    window->btnRemoveNodesDegreeLessThan->click();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "'x1' is not a valid integer value");
}

TEST_F(ActionChild, ClosingTellsTheHoldersWhileTheGraphStillStands)
{
    PassAndDribble();
    Open();
    TMDIChild::SelectAllPlayers(window->lbPlayers);
    window->BuildActionGraph(window->Graph);
    int nodesSeen = -1;
    QObject::connect(window, &TMDIActionChild::Closing, [&](TMDIActionChild* w) { nodesSeen = w->Graph->NodeCount(); });
    window->close();  // frees itself
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(nodesSeen, 4);
}

TEST_F(ActionChild, ReturnJoinsOnlyInTheJoinValue)
{
    Open();
    int joins = 0;
    QObject::connect(window->BtnJoinNearest, &QPushButton::clicked, [&] { ++joins; });
    window->show();
    QApplication::setActiveWindow(window);
    // Return in the display filter draws the graph and joins nothing; elsewhere neither.
    for (QLineEdit* edit : {window->EditFilter, window->EditAttrW}) {
        window->EditNumNodes->setText("not drawn");
        edit->setFocus();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(edit, &press);
        EXPECT_EQ(window->EditNumNodes->text() == "0", edit == window->EditFilter);
    }
    EXPECT_EQ(joins, 0);
    window->EditValue->setFocus();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(window->EditValue, &press);
    EXPECT_EQ(joins, 1);
}

TEST_F(ActionChild, RealMatchWithEveryObject)
{
    auto log = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), true);
    window = new TMDIActionChild(nullptr, log.get());
    EXPECT_EQ(window->sgFeatures->rowCount(), log->features->GetNumFeatures());
    TMDIChild::SelectAllPlayers(window->lbPlayers);
    window->BuildActionGraph(window->Graph);
    const TGraph& g = *window->Graph;
    EXPECT_GT(g.NodeCount(), 10);
    EXPECT_EQ(window->cbActionNodes->count(), g.NodeCount());
    for (int i = 0; i < g.NodeCount(); ++i)
        EXPECT_GE(g.GetNode(i)->Weight(), 1);
    delete window.data();
}
