#include "actiongraph/childActionWin.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/GraphBuilder.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/load/LoadLog.h"
#include "core/model/RoboCupFile.h"
#include "core/learning/Features.h"
#include "platform/Random.h"
#include "platform/qt/Dialogs.h"
#include "ui/MainServices.h"

#include "support/GuiApp.h"
#include "support/FilledRecord.h"
#include "support/RecordingHooks.h"
#include "support/TestData.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

// Time marks only; the rest answers as a main window without logs.
class MarksOnly final : public IMainWindowServices {
public:
    std::vector<int> marks;
    bool UseTimeMarks() const override { return true; }
    std::vector<int> TimeMarkCycles() const override { return marks; }
    bool IsTimeMark(int cycle) const override
    {
        return std::find(marks.begin(), marks.end(), cycle) != marks.end();
    }
    void AddTimeMarks(const std::vector<int>&) override {}
    int CurrentCycle() const override { return 0; }
    void SetCurrentCycle(int cycle) override { cyclesSet.push_back(cycle); }
    std::vector<int> cyclesSet;
    bool ChosenChannels(std::vector<TimeChannel*>&) const override { return false; }
    int ChildWindowCount() const override { return 0; }
    TMDIActionChild* NewActionGraphWindow(RoboCupFileT*) override { return nullptr; }
    void TileWindows() override {}
    std::vector<RoboCupFileT*> OpenLogs() const override { return {}; }
    RoboCupFileT* CurrentLog() const override { return nullptr; }
    RoboCupFileT* SelectCurrentFile(const std::string&) override { return nullptr; }
    void RemoveLog(RoboCupFileT*) override {}
};

// A window whose graph is the pass of Lplayer3 to Lplayer7, who supports the
// attack (100..109) and dribbles on (110..120): c0 N0->N2, c1 N1->N2, c2 N2->N3.
class ActionChildEdit : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGuiApp();
        CreateConceptHierarchies();
        previous_ = SetMainServices(&services);
        for (const auto& [object, role] : {std::pair{3, coLCMF[0]}, std::pair{7, coLFW[0]}})
            for (auto& v : record.File().roleChannel[static_cast<std::size_t>(object)]->GetValues())
                v = ConceptHandle(role);
        Event(coToPlayer, 3, 100, 100, 0, 109, 7);
        Event(coAttackSupport, 7, 100, 109, 7, 109, -1);
        Event(coSpeedDribble, 7, 110, 120, 7, 120, -1);
        record.File().features->Allocate(5, 300);
        window = new TMDIActionChild(nullptr, &record.File());
        TMDIChild::SelectAllPlayers(window->lbPlayers);
        window->BuildActionGraph(window->Graph);
        // A listed path, to see every removal let go of the list.
        window->cbPathFunc->setCurrentIndex(0);
        window->FindPaths(window->Graph, 1, window->Paths);
    }
    void TearDown() override
    {
        delete window.data();
        SetMainServices(previous_);
        FreeConceptHierarchies();
    }
    void Event(ConceptObject* action, int player, int first, int last, int other, int otherEnd, int partner)
    {
        record.File().events[static_cast<std::size_t>(player)].push_back(
            std::make_unique<ActionEvent>(ActionEvent{action, player, first, last, other, otherEnd, partner}));
    }
    std::vector<std::string> Connections() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < window->Graph->ConnectionCount(); ++i)
            names.push_back(window->Graph->GetConnection(i)->GetName());
        return names;
    }
    // The path list emptied and the node list refilled with the graph's nodes.
    void ExpectListsFollowTheGraph() const
    {
        EXPECT_EQ(window->cbPaths->count(), 1);
        ASSERT_EQ(window->cbActionNodes->count(), window->Graph->NodeCount());
        for (int i = 0; i < window->Graph->NodeCount(); ++i)
            EXPECT_EQ(window->ActionNodeAt(i), window->Graph->GetNode(i));
        EXPECT_EQ(window->cbActionNodes->currentIndex(), window->Graph->NodeCount() > 0 ? 0 : -1);
        EXPECT_EQ(window->EditNumNodes->text().toInt(), window->Graph->NodeCount());
    }

    MarksOnly services;
    FilledRecord record{300};
    QPointer<TMDIActionChild> window;

private:
    IMainWindowServices* previous_ = nullptr;
    InTempDir dir_{"action-child-edit"};
};

using Names = std::vector<std::string>;
const Names kAll = {"LTeam.LC-MF:To-player", "LTeam.L-FW:Attack-support", "LTeam.L-FW:Speed-dribble"};

}  // namespace

TEST_F(ActionChildEdit, WeightCommandReadsTheValueFirst)
{
    ASSERT_EQ(Connections(), kAll);
    ASSERT_GT(window->cbPaths->count(), 1);
    platform::DialogScript script;
    window->EditValue->setText("abc");
    window->btnRemoveEdgesWeightLessThan->click();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "'abc' is not a valid integer value");
    EXPECT_EQ(Connections(), kAll);
    EXPECT_GT(window->cbPaths->count(), 1);  // nothing changed, paths kept

    window->Graph->GetConnection(1)->AddData(nullptr);  // weight 2, an empty entry counted
    window->EditValue->setText(" 2 ");
    window->btnRemoveEdgesWeightLessThan->click();
    EXPECT_EQ(Connections(), (Names{"LTeam.L-FW:Attack-support"}));
    EXPECT_EQ(window->Graph->NodeCount(), 4);
    ExpectListsFollowTheGraph();
}

TEST_F(ActionChildEdit, DisplayedAndMarkCommands)
{
    window->EditFilter->setText("L-FW");
    window->BtnRemoveEdgesDisplayerd->click();
    EXPECT_EQ(Connections(), (Names{"LTeam.LC-MF:To-player"}));
    ExpectListsFollowTheGraph();
    window->EditFilter->clear();
    window->BtnRemoveEdgesDisplayerd->click();
    EXPECT_TRUE(Connections().empty());
    EXPECT_EQ(window->Graph->NodeCount(), 4);

    struct Case {
        std::vector<int> marks;
        Names kept;
    };
    // To-player 100..109 (other end), Attack-support 100..109, Speed-dribble 110..120.
    const Case cases[] = {{{}, {}},
                          {{99, 121}, {}},
                          {{109}, {kAll[0], kAll[1]}},
                          {{110}, {kAll[2]}},
                          {{120, 4}, {kAll[2]}},
                          {{100, 115}, kAll}};
    for (const Case& k : cases) {
        window->BuildActionGraph(window->Graph);
        window->FindPaths(window->Graph, 1, window->Paths);
        services.marks = k.marks;
        window->btnRemoveEdgesTimeMarks->click();
        EXPECT_EQ(Connections(), k.kept) << ::testing::PrintToString(k.marks);
        ExpectListsFollowTheGraph();
    }
}

TEST_F(ActionChildEdit, RemovingTheSelectedNodeDropsTheSelection)
{
    RecordingHooks hooks;
    window->btnRemoveCurrent->click();  // nothing selected
    EXPECT_EQ(hooks.beeps, 1);
    EXPECT_EQ(window->Graph->NodeCount(), 4);
    EXPECT_GT(window->cbPaths->count(), 1);

    TGraph& g = *window->Graph;
    window->SelectNode(g.GetNode(2));
    window->btnRemoveCurrent->click();
    EXPECT_EQ(window->SelectedNode, nullptr);
    EXPECT_EQ(g.NodeCount(), 3);
    EXPECT_EQ(g.ConnectionCount(), 0);
    ExpectListsFollowTheGraph();
    EXPECT_EQ(hooks.beeps, 1);

    // A selected node that stays stays selected.
    window->BuildActionGraph(window->Graph);
    TNode* middle = window->Graph->GetNode(2);
    window->SelectNode(middle);
    window->EditValue->setText("1");
    window->btnRemoveNodesDegreeLessThan->click();
    EXPECT_EQ(window->SelectedNode, middle);
    EXPECT_EQ(window->Graph->NodeCount(), 4);
    // The degree command takes the selected node away with the others: one
    // pass, each later node judged by its lowered degree, so all four go.
    window->EditValue->setText("2");
    window->btnRemoveNodesDegreeLessThan->click();
    EXPECT_EQ(window->SelectedNode, nullptr);
    EXPECT_EQ(window->Graph->NodeCount(), 0);
    ExpectListsFollowTheGraph();
}

// The full match: each command against an independent count.
TEST_F(ActionChildEdit, ARealMatchThinsAsCounted)
{
    auto log = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), true);
    ASSERT_TRUE(log);
    auto* real = new TMDIActionChild(nullptr, log.get());
    QPointer<TMDIActionChild> guard(real);
    TMDIChild::SelectAllPlayers(real->lbPlayers);
    real->BuildActionGraph(real->Graph);
    TGraph& g = *real->Graph;
    ASSERT_GT(g.ConnectionCount(), 10);

    // Marks at every 50th cycle: the connections with an occurrence over one stay.
    services.marks.clear();
    for (int t = 0; t < log->cycles; t += 50)
        services.marks.push_back(t);
    int touching = 0;
    for (int i = 0; i < g.ConnectionCount(); ++i) {
        bool hit = false;
        for (const auto& d : g.GetConnection(i)->Data())
            for (int t = d->start; t < d->start + d->otherLength; ++t)
                hit = hit || t % 50 == 0;
        touching += hit;
    }
    ASSERT_GT(touching, 0);
    ASSERT_LT(touching, g.ConnectionCount());
    real->btnRemoveEdgesTimeMarks->click();
    EXPECT_EQ(g.ConnectionCount(), touching);
    for (int i = 0; i < g.ConnectionCount(); ++i) {
        bool hit = false;
        for (const auto& d : g.GetConnection(i)->Data())
            for (int t = d->start; t < d->start + d->otherLength; ++t)
                hit = hit || t % 50 == 0;
        EXPECT_TRUE(hit) << i;
    }

    // Degree 1 then removes exactly the nodes left without occurrences.
    int bare = 0;
    for (int i = 0; i < g.NodeCount(); ++i)
        bare += g.GetNode(i)->Weight() == 0;
    const int nodes = g.NodeCount();
    real->EditValue->setText("1");
    real->btnRemoveNodesDegreeLessThan->click();
    EXPECT_EQ(g.NodeCount(), nodes - bare);
    EXPECT_EQ(real->cbActionNodes->count(), g.NodeCount());
    delete guard.data();
}

TEST_F(ActionChildEdit, TheSelectedNodesFeaturesAreRanked)
{
    FeatureList& f = *record.File().features;
    for (int i = 0; i < 5; ++i)
        f.SetName(i, "f" + std::to_string(i));
    // The pass node's cycle is 100 (its occurrence's start); the end node's 120.
    f.SetBit(3, 100);
    f.SetCount(3, 75);  // 1 x log2(300 / 75) = 2
    f.SetBit(1, 120);
    f.SetCount(1, 30);
    f.SetCount(4, 150);  // holds elsewhere: 0
    window->SelectNode(window->Graph->GetNode(0));
    window->RankSelectedNodeFeatures();
    EXPECT_TRUE(window->sgFeatures->isVisibleTo(window));
    auto row = [this](int r) {
        return std::vector<std::string>{window->sgFeatures->item(r, 0)->text().toStdString(),
                                        window->sgFeatures->item(r, 1)->text().toStdString(),
                                        window->sgFeatures->item(r, 2)->text().toStdString()};
    };
    EXPECT_EQ(row(0), (std::vector<std::string>{"f3", "1", "2"}));
    EXPECT_EQ(row(1), (std::vector<std::string>{"f1", "0", "0"}));
    EXPECT_EQ(row(2), (std::vector<std::string>{"f4", "0", "0"}));
    EXPECT_EQ(row(3), (std::vector<std::string>{"f0", "0", "-9999"}));
    EXPECT_DOUBLE_EQ(f.GetValue(3), 2.0);
    // The end node: the last cycle of its incoming occurrence.
    window->SelectNode(window->Graph->GetNode(3));
    window->RankSelectedNodeFeatures();
    EXPECT_EQ(row(0)[0], "f1");
    EXPECT_EQ(row(0)[2], QString::number(std::log2(10.0), 'g', 15).toStdString());
}

TEST_F(ActionChildEdit, RandomCircleAndActionRows)
{
    platform::SeedRandom(3);
    window->Button3->click();
    EXPECT_FALSE(window->ReLayout);
    std::vector<double> xs;
    for (int i = 0; i < window->Graph->NodeCount(); ++i) {
        const TNode* n = window->Graph->GetNode(i);
        EXPECT_NEAR(std::hypot(n->GetX(), n->GetY()), 20.0, 1e-9);
        xs.push_back(n->GetX());
    }
    platform::SeedRandom(3);
    window->Button3->click();
    for (int i = 0; i < window->Graph->NodeCount(); ++i)
        EXPECT_EQ(window->Graph->GetNode(i)->GetX(), xs[static_cast<std::size_t>(i)]);

    // The action rows of Lplayer7: a double click moves the main time to the row's start.
    window->lbPlayers->setCurrentRow(7);
    window->lbPlayersClick();
    ASSERT_EQ(window->sgActions->rowCount(), 3);
    window->sgActions->setCurrentCell(2, 1);
    window->sgActionsDblClick();
    EXPECT_EQ(services.cyclesSet, (std::vector<int>{110}));
    window->sgActions->setCurrentCell(0, 0);  // the header row: no cycle
    window->sgActionsDblClick();
    EXPECT_EQ(services.cyclesSet.size(), 1u);
}
