#include "actiongraph/childActionWin.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/StrategyLink.h"
#include "core/load/LoadLog.h"
#include "core/model/RoboCupFile.h"
#include "platform/qt/Dialogs.h"
#include "ui/MarksLink.h"

#include "PassScenario.h"
#include "support/RecordingHooks.h"
#include "support/TestData.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <string>
#include <vector>

namespace {

// Stands in for the strategy window: records what the graph window asks of it.
class FakeStrategyLink final : public TStrategyLink {
public:
    FakeStrategyLink() : previous_(StrategyLink()) { SetStrategyLink(this); }
    ~FakeStrategyLink() override { SetStrategyLink(previous_); }
    FakeStrategyLink(const FakeStrategyLink&) = delete;
    FakeStrategyLink& operator=(const FakeStrategyLink&) = delete;

    void Init(TMDIActionChild* child, bool batch, tTest* target) override
    {
        calls.push_back(std::string("Init") + (batch ? " batch" : "") + (target == Record() ? " record" : "") +
                        (target == nullptr ? " none" : ""));
        windows.push_back(child);
        if (child)
            shownPaths.push_back(child->cbPaths->count());
        if (onInit)
            onInit();
    }
    void SetTestGraph(TMDIActionChild*) override {}
    bool HasTestGraph() const override { return testGraph; }
    bool HasTestStrategy() const override { return testStrategy; }
    void AppendMemo(const std::string& line) override { memo.push_back(line); }
    tTest* NewTestRecord() override
    {
        calls.push_back("New");
        return Record();
    }
    void StoreTestChunks(tTest* record, double value) override
    {
        calls.push_back(std::string("Store") + (record == Record() ? " " : " other ") + std::to_string(int(value)));
    }
    void WriteTestResults(tTest* record) override { calls.push_back(record == Record() ? "Write" : "Write other"); }
    void FreeTestRecord(tTest* record) override { calls.push_back(record == Record() ? "Free" : "Free other"); }

    // Never read: the graph window only passes the record on.
    tTest* Record() { return reinterpret_cast<tTest*>(&token_); }

    std::vector<std::string> calls;
    std::vector<std::string> memo;
    std::vector<TMDIActionChild*> windows;
    std::vector<int> shownPaths;  // items of cbPaths at each Init
    std::function<void()> onInit;
    bool testGraph = true;
    bool testStrategy = true;

private:
    TStrategyLink* previous_;
    int token_ = 0;
};

// The pass scenario: To-player and Attack-support both lead into
// Speed-dribble (cycles 100 and 100..109), which leads to the end node
// (110..120).
class ActionChildGrow : public PassScenarioWindow {
protected:
    ActionChildGrow() : PassScenarioWindow("action-child-grow") {}
    void SetUp() override
    {
        PassScenarioWindow::SetUp();
        window->sbMinConnected->setValue(1);
        for (int i = 0; i < window->Graph->NodeCount(); ++i) {
            const TNode* n = window->Graph->GetNode(i);
            labels_[n] = "end";
            for (auto [action, label] : {std::pair{"To-player", "player"}, std::pair{"Attack-support", "support"},
                                         std::pair{"Speed-dribble", "dribble"}})
                if (!n->OutList().empty() && n->GetName().find(action) != std::string::npos)
                    labels_[n] = label;
        }
    }
    void TearDown() override
    {
        g_timeMarks = saved_;
        PassScenarioWindow::TearDown();
    }
    TNode* Node(const std::string& part)
    {
        for (int i = 0; i < window->Graph->NodeCount(); ++i) {
            TNode* n = window->Graph->GetNode(i);
            if (part.empty() ? n->OutList().empty() : n->GetName().find(part) != std::string::npos)
                return n;
        }
        ADD_FAILURE() << "no node " << part;
        return nullptr;
    }
    std::vector<std::string> NodeNames() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < window->Graph->NodeCount(); ++i)
            names.push_back(window->Graph->GetNode(i)->GetName());
        return names;
    }
    // Each connection as "<source action>><target action>"; "" for the end node.
    std::vector<std::string> Connections() const
    {
        std::vector<std::string> list;
        auto action = [this](const TNode* n) { return labels_.at(n); };
        for (int i = 0; i < window->Graph->ConnectionCount(); ++i) {
            const TConnection* c = window->Graph->GetConnection(i);
            list.push_back(action(c->From()) + ">" + action(c->To()));
        }
        std::sort(list.begin(), list.end());
        return list;
    }
    std::vector<std::string> PathTexts() const
    {
        std::vector<std::string> texts;
        for (int i = 0; i < window->cbPaths->count(); ++i)
            texts.push_back(window->cbPaths->itemText(i).toStdString());
        return texts;
    }
    // "Use Time Marks" checked, lbMarks holding the items.
    void UseMarks(const std::vector<QString>& items)
    {
        useMarks_ = std::make_unique<QCheckBox>();
        marks_ = std::make_unique<QListWidget>();
        useMarks_->setChecked(true);
        for (const QString& item : items)
            marks_->addItem(item);
        g_timeMarks.useMarks = useMarks_.get();
        g_timeMarks.list = marks_.get();
    }

private:
    std::map<const TNode*, std::string> labels_;  // the node's action, as the pass scenario built it
    TimeMarksLink saved_ = g_timeMarks;
    std::unique_ptr<QCheckBox> useMarks_;
    std::unique_ptr<QListWidget> marks_;
};

TEST_F(ActionChildGrow, GrowReadsTheDepthFirstAndNeedsASelectedNode)
{
    platform::DialogScript script;
    window->EditValue->setText("x");
    window->BtnGrow->click();
    window->EditValue->setText("1");
    window->BtnGrow->click();
    ASSERT_EQ(script.messages.size(), 2u);
    EXPECT_EQ(script.messages[0].caption, "Error");
    EXPECT_EQ(script.messages[1].text, "Select a node first!");
    EXPECT_EQ(script.messages[1].caption, "Warning !");
    EXPECT_EQ(window->Graph->NodeCount(), 4);
}

TEST_F(ActionChildGrow, GrowKeepsTheNeighbourhoodAndRefreshesTheLists)
{
    window->cbPathFunc->setCurrentIndex(0);
    window->FindPaths(window->Graph, 1, window->Paths);
    TNode* dribble = Node("Speed-dribble");
    window->SelectNode(dribble);
    window->EditValue->setText("-1");
    window->BtnGrow->click();
    EXPECT_EQ(window->Graph->NodeCount(), 3);
    EXPECT_EQ(window->Graph->IndexOfNode(Node("To-player")) >= 0, true);
    EXPECT_EQ(window->SelectedNode, dribble);
    EXPECT_EQ(window->cbPaths->count(), 1);  // paths over the end node are gone
    EXPECT_EQ(window->cbActionNodes->count(), 3);

    window->SelectNode(Node("Attack-support"));
    window->EditValue->setText("1");
    window->BtnGrow->click();
    EXPECT_EQ(Connections(), (std::vector<std::string>{"support>dribble"}));
    window->EditValue->setText("0");
    window->BtnGrow->click();
    ASSERT_EQ(window->Graph->NodeCount(), 1);
    EXPECT_EQ(window->Graph->GetNode(0), window->SelectedNode);
}

TEST_F(ActionChildGrow, HistoryAndFutureNeedMarksANodeOrAFilter)
{
    platform::DialogScript script;
    window->btnCreateHistoryPath->click();
    window->btnCreateFuturePath->click();
    ASSERT_EQ(script.messages.size(), 2u);
    for (const auto& m : script.messages) {
        EXPECT_EQ(m.text,
                  "Cannot create history for the whole graph! Please use time marks, select a node or filter display.");
        EXPECT_EQ(m.caption, "Warning !");
    }
    EXPECT_EQ(window->btnCreateHistoryPath->toolTip(),
              "Createtes history path from time marks, displayed nodes or selected node ");
    EXPECT_EQ(window->labelHistory->text(), "100 history cycles");
    window->sbHistory->setValue(40);
    EXPECT_EQ(window->labelHistory->text(), "40 history cycles");

    // Marks in use but none there: every connection stays.
    UseMarks({});
    window->btnCreateHistoryPath->click();
    EXPECT_EQ(window->Graph->ConnectionCount(), 3);
    EXPECT_EQ(script.messages.size(), 2u);
}

TEST_F(ActionChildGrow, HistoryAroundTheSelectedNode)
{
    window->sbHistory->setValue(0);
    window->EditFilter->setText("L-FW");
    window->SelectNode(Node("Attack-support"));
    window->btnCreateHistoryPath->click();
    // Its cycles 100..109 hold the pass at 100 as well, not the dribble.
    EXPECT_EQ(Connections(), (std::vector<std::string>{"player>dribble", "support>dribble"}));
    EXPECT_EQ(window->SelectedNode, nullptr);
    EXPECT_EQ(window->EditFilter->text(), "");
    EXPECT_EQ(window->Graph->NodeCount(), 4);  // the end node stays without connections
}

TEST_F(ActionChildGrow, FutureKeepsTheFilterAndTheNodesOwnConnections)
{
    window->sbHistory->setValue(0);
    window->EditFilter->setText("L-FW");
    window->SelectNode(Node("Speed-dribble"));
    window->btnCreateFuturePath->click();
    EXPECT_EQ(Connections(), (std::vector<std::string>{"dribble>end"}));
    EXPECT_EQ(window->EditFilter->text(), "L-FW");
    EXPECT_EQ(window->SelectedNode, nullptr);
}

TEST_F(ActionChildGrow, FilterCollectsTheMatchingNodesCycles)
{
    window->sbHistory->setValue(1);
    window->EditFilter->setText("To-player");
    window->btnCreateFuturePath->click();  // 100..101
    EXPECT_EQ(Connections(), (std::vector<std::string>{"player>dribble", "support>dribble"}));
}

TEST_F(ActionChildGrow, WindowsAroundTheTimeMarks)
{
    UseMarks({"   105"});
    window->sbHistory->setValue(5);
    window->SelectNode(Node("Speed-dribble"));  // the marks win over the node
    window->btnCreateFuturePath->click();
    EXPECT_EQ(Connections(), (std::vector<std::string>{"dribble>end", "support>dribble"}));

    platform::DialogScript script;
    UseMarks({"105", "l05"});
    window->btnCreateHistoryPath->click();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].caption, "Error");
    EXPECT_EQ(window->Graph->ConnectionCount(), 2);  // nothing changed

    UseMarks({"105"});
    window->btnCreateHistoryPath->click();  // 100..105
    EXPECT_EQ(Connections(), (std::vector<std::string>{"support>dribble"}));
}

TEST_F(ActionChildGrow, RevalidateListsThePathsEndingAtTheNode)
{
    FakeStrategyLink link;
    RecordingHooks hooks;
    platform::DialogScript script;
    window->btnRevalidate->click();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "Select a node first!");
    EXPECT_TRUE(link.calls.empty());

    window->SelectNode(Node("To-player"));
    window->btnRevalidate->click();
    EXPECT_EQ(PathTexts(), (std::vector<std::string>{"All", "All paths"}));
    EXPECT_EQ(window->PathAt(1)->Value(), 0.0);
    EXPECT_EQ(hooks.beeps, 1);
    EXPECT_EQ(link.calls, (std::vector<std::string>{"Init none"}));
    EXPECT_EQ(link.windows[0], window.data());

    window->cbPathFunc->setCurrentIndex(0);
    TNode* end = Node("");
    window->SelectNode(end);
    window->btnRevalidate->click();
    EXPECT_EQ(end->GetMark(), 1);
    EXPECT_EQ(window->SelectedNode, nullptr);
    const std::vector<std::string> texts = PathTexts();
    ASSERT_EQ(texts.size(), 5u);  // [dribble], two chains of two, "All", "All paths"
    int two = 0;
    for (std::size_t i = 0; i + 2 < texts.size(); ++i)
        two += texts[i].find(" #2 ") != std::string::npos;
    EXPECT_EQ(two, 2);
    EXPECT_EQ(texts.back(), "All paths");
    EXPECT_EQ(link.calls.size(), 2u);
}

TEST_F(ActionChildGrow, RevalidateAllPlain)
{
    FakeStrategyLink link;
    RecordingHooks hooks;
    window->cbPathFunc->setCurrentIndex(0);
    window->SelectNode(Node("To-player"));
    window->btnRevalidateAll->click();
    EXPECT_EQ(PathTexts().size(), 3u + 2u + 2u);  // three single, two chains, "All", "All paths"
    EXPECT_EQ(PathTexts().back(), "All paths");
    EXPECT_EQ(window->SelectedNode, nullptr);
    EXPECT_EQ(hooks.beeps, 1);
    EXPECT_EQ(link.calls, (std::vector<std::string>{"Init none"}));
    EXPECT_EQ(link.shownPaths, (std::vector<int>{7}));
}

TEST_F(ActionChildGrow, TheAbstractionSeriesWritesItsHeadersAndInitsPerStep)
{
    FakeStrategyLink link;
    window->cbGenerateAll->setChecked(true);
    window->SelectNode(Node("To-player"));
    window->btnRevalidateAll->click();
    std::vector<std::string> expected;
    for (const char* level : {"0.5", "1", "2", "3", "4", "5", "6"}) {
        expected.push_back(std::string("// *** Abstraction ") + level + " ***");
        for (int len = 1; len <= 4; ++len)
            expected.push_back("// * Generating avg, len=" + std::to_string(len) + " *");
    }
    EXPECT_EQ(link.memo, expected);
    ASSERT_EQ(link.calls.size(), 28u);
    for (const auto& call : link.calls)
        EXPECT_EQ(call, "Init none");
    EXPECT_EQ(window->EditValue->text(), "6");
    EXPECT_EQ(window->cbPathFunc->currentIndex(), 16);
    EXPECT_EQ(window->SelectedNode, nullptr);
    EXPECT_EQ(PathTexts().back(), "All paths");
    EXPECT_FALSE(window->Revalidating);
    EXPECT_EQ(window->AttrW, 1.0);  // the joins ran with the window's weights
}

TEST_F(ActionChildGrow, TheJoinValueTestRecordsEveryRunAndWritesBeforeFreeing)
{
    platform::DialogScript script;  // without the strategy window or a test graph: told so, nothing joined
    window->cbTestAll->setChecked(true);
    window->btnRevalidateAll->click();
    FakeStrategyLink link;
    window->cbTestAll->setChecked(true);
    link.testGraph = false;
    window->btnRevalidateAll->click();
    ASSERT_EQ(script.messages.size(), 2u);
    EXPECT_TRUE(script.messages[1].text.startsWith("\"Test all\" needs a test graph"));
    link.testGraph = true;
    std::vector<std::string> values;
    link.onInit = [&] { values.push_back(window->EditValue->text().toStdString()); };
    window->btnRevalidateAll->click();
    std::vector<std::string> expected{"New"};
    for (int x = 0; x <= 20; ++x) {
        expected.push_back("Store " + std::to_string(x));
        expected.push_back("Init record");
    }
    expected.push_back("Write");
    expected.push_back("Free");
    EXPECT_EQ(link.calls, expected);
    ASSERT_EQ(values.size(), 21u);
    EXPECT_EQ(values.front(), "0");
    EXPECT_EQ(values.back(), "20");
    EXPECT_EQ(window->EditValue->text(), "20");
    for (const auto& text : PathTexts())
        EXPECT_NE(text, "All paths");
    EXPECT_TRUE(link.memo.empty());
}

TEST_F(ActionChildGrow, ASecondStartOrABadWeightIsRefused)
{
    FakeStrategyLink link;
    RecordingHooks hooks;
    window->cbGenerateAll->setChecked(true);
    int nested = 0;
    link.onInit = [&] {
        if (nested++ == 0)
            window->btnRevalidateAll->click();
    };
    window->btnRevalidateAll->click();
    EXPECT_EQ(link.calls.size(), 28u);
    EXPECT_GE(hooks.beeps, 1);
    EXPECT_FALSE(window->Revalidating);

    platform::DialogScript script;
    link.calls.clear();
    link.memo.clear();
    window->cbGenerateAll->setChecked(false);
    window->cbTestAll->setChecked(true);
    window->EditFeatW->setText("ten");
    const int nodes = window->Graph->NodeCount();
    window->btnRevalidateAll->click();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].caption, "Error");
    EXPECT_TRUE(link.calls.empty());
    EXPECT_EQ(window->Graph->NodeCount(), nodes);
}

TEST(ActionChildGrowRealMatch, RevalidateAllWithTheDefaultFunctionListsThreeConnectionPaths)
{
    EnsureGuiApp();
    CreateConceptHierarchies();
    {
        auto log = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), true);
        ASSERT_TRUE(log);
        TMDIActionChild window(nullptr, log.get());
        TMDIChild::SelectAllPlayers(window.lbPlayers);
        window.BuildActionGraph(window.Graph);
        FakeStrategyLink link;
        window.sbMinConnected->setValue(1);
        window.btnRevalidateAll->click();
        const int n = window.cbPaths->count();
        ASSERT_GT(n, 3);
        EXPECT_EQ(window.cbPaths->itemText(n - 1), "All paths");
        for (int i = 0; i < n; ++i) {
            const QString text = window.cbPaths->itemText(i);
            if (text != "All" && text != "All paths") {
                EXPECT_TRUE(text.contains(" #3 ")) << text.toStdString();
            }
        }
        EXPECT_EQ(link.calls.size(), 1u);
    }
    FreeConceptHierarchies();
}

}  // namespace
