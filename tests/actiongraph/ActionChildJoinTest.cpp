#include "actiongraph/childActionWin.h"

#include "actiongraph/model/Actiongraph.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/load/LoadLog.h"
#include "core/model/RoboCupFile.h"
#include "platform/qt/Dialogs.h"
#include "ui/waitFormWin.h"

#include "PassScenario.h"
#include "support/FilledRecord.h"
#include "support/GuiApp.h"
#include "support/RecordingHooks.h"
#include "support/TestData.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// The pass scenario with its paths found and its first node selected.
class ActionChildJoin : public PassScenarioWindow {
protected:
    ActionChildJoin() : PassScenarioWindow("action-child-join") {}
    void SetUp() override
    {
        PassScenarioWindow::SetUp();
        window->cbPathFunc->setCurrentIndex(0);
        window->FindPaths(window->Graph, 1, window->Paths);
        window->SelectNode(window->Graph->GetNode(0));
    }
};

}  // namespace

TEST_F(ActionChildJoin, WeightsWaitUntilTheFirstJoin)
{
    TNode* a = window->Graph->GetNode(0);
    TNode* b = window->Graph->GetNode(1);
    EXPECT_EQ(window->NodeDistance(a, b), 0.0);
    window->EditValue->setText("0");
    window->BtnJoinNearest->click();
    EXPECT_EQ(window->AttrW, 1.0);
    EXPECT_EQ(window->RoleW, 30.0);
    EXPECT_EQ(window->ActionW, 30.0);
    EXPECT_EQ(window->FeatW, 0.0);
    EXPECT_GT(window->NodeDistance(a, b), 0.0);
}

TEST_F(ActionChildJoin, BadTextsStopTheCommandAndHideTheWaitWindow)
{
    const int nodes = window->Graph->NodeCount();
    platform::DialogScript script;
    window->EditAttrW->setText("2");
    window->EditRoleW->setText("x");
    window->BtnJoinNearest->click();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "'x' is not a valid floating point value");
    EXPECT_EQ(window->AttrW, 2.0);  // read before the failing edit
    EXPECT_EQ(window->RoleW, 0.0);

    window->EditRoleW->setText("30");
    window->EditValue->setText("1,5");
    window->BtnJoinNearest->click();
    ASSERT_EQ(script.messages.size(), 2u);
    EXPECT_EQ(script.messages[1].text, "'1,5' is not a valid floating point value");
    EXPECT_TRUE(WaitForm.isNull());
    EXPECT_EQ(window->RoleW, 30.0);
    EXPECT_EQ(window->Graph->NodeCount(), nodes);
    EXPECT_GT(window->cbPaths->count(), 1);  // nothing changed
    EXPECT_NE(window->SelectedNode, nullptr);
}

TEST_F(ActionChildJoin, JoinMergesAndRefreshesTheLists)
{
    {  // Cancel, offered in the wait window, puts the graph back as it was.
        struct CancelAtTheFirstJoin : RecordingHooks {
            void SetWaitText(const std::string& text) override
            {
                if (text.ends_with(" nodes.") && WaitForm && (offered = WaitForm->CancelButton->isVisible()))
                    WaitForm->CancelButton->click();
            }
            bool offered = false;
        } cancel;
        window->EditValue->setText("1000");
        EXPECT_EQ(window->BtnJoinNearestClick(), TMDIActionChild::TJoinEnd::Cancelled);
        EXPECT_TRUE(cancel.offered);
    }
    RecordingHooks hooks;
    ASSERT_EQ(window->Graph->NodeCount(), 4);
    window->EditValue->setText("1000");
    window->BtnJoinNearest->click();
    // The three nodes with outgoing connections become one; the end node stays.
    ASSERT_EQ(window->Graph->NodeCount(), 2);
    EXPECT_EQ(window->Graph->GetNode(1)->GetName(), "LTeam.Field-player:Action");
    EXPECT_EQ(window->SelectedNode, nullptr);
    EXPECT_EQ(window->cbPaths->count(), 1);
    ASSERT_EQ(window->cbActionNodes->count(), 2);
    EXPECT_EQ(window->ActionNodeAt(1), window->Graph->GetNode(1));
    EXPECT_EQ(hooks.beeps, 1);
    ASSERT_FALSE(hooks.waitTexts.empty());
    EXPECT_EQ(hooks.waitTexts.front(), "Computing distances 0.0 %");
    EXPECT_TRUE(WaitForm.isNull());

    // A second start while one runs is refused.
    window->Joining = true;
    window->EditValue->setText("100000");
    window->BtnJoinNearest->click();
    EXPECT_EQ(window->Graph->NodeCount(), 2);
    EXPECT_EQ(hooks.beeps, 2);
    window->Joining = false;

    window->BtnJoinClick();
    EXPECT_EQ(window->Graph->NodeCount(), 1);
    EXPECT_EQ(window->cbActionNodes->count(), 1);
}

// A join on a real match ends in the same graph, to the last bit of every
// place, whether the window draws every picture it is offered or none.
TEST(ActionChildJoinPictures, TheJoinedGraphIsTheSameWithEveryPictureOrNone)
{
    EnsureGuiApp();
    InTempDir dir("action-child-join-pictures");
    CreateConceptHierarchies();
    {
        auto log = LoadLog(GunzippedTestFile("match-full-HELIOS_A_4-vs-HELIOS_B_2.rcg"), true);
        std::vector<std::unique_ptr<TMDIActionChild>> windows;
        int before = 0;
        for (const auto interval : {std::chrono::milliseconds(0), std::chrono::milliseconds(3600000)}) {
            windows.push_back(std::make_unique<TMDIActionChild>(nullptr, log.get()));
            TMDIActionChild& w = *windows.back();
            TMDIChild::SelectAllPlayers(w.lbPlayers);
            w.BuildActionGraph(w.Graph);
            before = w.Graph->NodeCount();
            w.LightRedrawInterval = interval;
            w.EditValue->setText("4");
            w.BtnJoinNearestClick();
        }
        const TGraph& every = *windows[0]->Graph;
        const TGraph& none = *windows[1]->Graph;
        ASSERT_EQ(every.NodeCount(), none.NodeCount());
        EXPECT_LT(every.NodeCount(), before - 50);  // the join offered pictures
        for (int i = 0; i < every.NodeCount(); ++i) {
            const TNode& a = *every.GetNode(i);
            const TNode& b = *none.GetNode(i);
            const double places[2][2] = {{a.GetX(), a.GetY()}, {b.GetX(), b.GetY()}};
            EXPECT_EQ(a.GetName(), b.GetName()) << i;
            EXPECT_EQ(std::memcmp(places[0], places[1], sizeof places[0]), 0) << a.GetName();
            EXPECT_EQ(a.Weight(), b.Weight()) << a.GetName();
        }
    }
    FreeConceptHierarchies();
}
