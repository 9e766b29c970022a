#include "WorkedExampleWindow.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/PathObject.h"
#include "actiongraph/StrategyLink.h"
#include "actiongraph/childActionWin.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "platform/qt/Dialogs.h"
#include "strategy/model/Sweep.h"
#include "strategy/model/TestRecords.h"
#include "ui/MDIChild.h"
#include "ui/waitFormWin.h"

#include "support/FilledRecord.h"
#include "support/RecordingHooks.h"
#include "support/TestData.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>

#include <gtest/gtest.h>

#include "support/GuiApp.h"

#include <memory>
#include <string>

namespace {

tTestResults Setting(double distMax, double abstract)
{
    tTestResults r;
    r.distMax = distMax;
    r.abstract = abstract;
    r.rule = {3, 1, 0, 0};
    r.numTests = 1;
    return r;
}

// The strategy window as the link of an action-graph window on a pass and a
// dribble, showing the window's two-connection strategy.
class RevalidateRecords : public WorkedExampleWindow {
protected:
    void SetUp() override
    {
        WorkedExampleWindow::SetUp();
        SetStrategyLink(form.get());
        form->Attach(child, nullptr);
        ASSERT_TRUE(form->ShowStrategy(path, form->chunks));
        ASSERT_EQ(form->chunks.size(), 3u);
    }
    void TearDown() override
    {
        SetStrategyLink(nullptr);
        WorkedExampleWindow::TearDown();
    }
    QStringList Memo() const { return form->MemoRules->toPlainText().split('\n'); }

    platform::DialogScript script;
};

}  // namespace

TEST_F(RevalidateRecords, TheRecordHoldsTheChunksAndWritesMergedResultsBeforeItGoes)
{
    TStrategyLink* link = StrategyLink();
    tTest* test = link->NewTestRecord();
    link->StoreTestChunks(test, 7.0);
    EXPECT_EQ(test->GetValue(), 7.0);
    ASSERT_EQ(test->GetChunks().size(), 3u);
    EXPECT_NE(test->GetChunks()[0].get(), form->chunks[0].get());  // copies
    test->AddResult(Setting(16, 7));
    test->AddResult(Setting(24, 7));
    test->AddResult(Setting(16, 7));
    form->target = test;
    link->WriteTestResults(test);
    link->FreeTestRecord(test);  // freed with its copies (sanitizers)
    EXPECT_EQ(form->target, nullptr);
    const QStringList memo = Memo();
    ASSERT_EQ(memo.size(), 3);
    EXPECT_TRUE(memo[0].startsWith("conf\tdiff\tdistMin\tdistMax\tabstract\t"));
    EXPECT_TRUE(memo[1].startsWith("0\t0\t0\t16\t7\t")) << memo[1].toStdString();
    EXPECT_TRUE(memo[1].endsWith("\t2"));
    EXPECT_TRUE(memo[2].startsWith("0\t0\t0\t24\t7\t"));
    EXPECT_TRUE(memo[2].endsWith("\t1"));
}

TEST_F(RevalidateRecords, CancelledInItsFirstJoinASeriesJoinsNothingMore)
{
    const int nodes = child->Graph->NodeCount();
    struct PressCancel final : RecordingHooks {
        void SetWaitText(const std::string&) override { WaitForm ? WaitForm->CancelButton->click() : void(); }
    };
    form->SetTestGraph(child);
    form->SetTestChunks(form->chunks);
    for (QCheckBox* series : {child->cbGenerateAll, child->cbTestAll}) {
        child->cbGenerateAll->setChecked(series == child->cbGenerateAll);
        child->cbTestAll->setChecked(series == child->cbTestAll);
        PressCancel hooks;
        child->btnRevalidateAllClick();
        EXPECT_TRUE(script.modals.empty());
        EXPECT_EQ(child->Graph->NodeCount(), nodes);
        EXPECT_EQ(child->EditValue->text(), series == child->cbTestAll ? "0" : "0.5");
        EXPECT_EQ(Memo().last(), "// " + series->text() + " ended by Cancel");
    }
}

TEST_F(RevalidateRecords, TheJoinValueTestLeavesItsTableInTheMemo)
{
    child->cbTestAll->setChecked(true);
    child->btnRevalidateAllClick();  // without a test graph: told so, nothing run
    EXPECT_TRUE(script.messages.size() == 1 && script.messages[0].text.contains("test graph"));
    form->SetTestGraph(child);
    child->btnRevalidateAllClick();  // nor without a test strategy to look for
    ASSERT_EQ(script.messages.size(), 2u);
    EXPECT_TRUE(script.messages[1].text.contains("\"Store test\""));
    EXPECT_EQ(Memo(), QStringList{""});
    // A test strategy the joined graphs do not hold: each join value looks for
    // it and says it is not there, no window waits for the user, and the
    // series says it tested nothing, naming the strategy as the grid shows it.
    form->SetTestChunks(form->chunks);
    child->sbMinConnected->setValue(1);
    child->btnRevalidateAllClick();
    EXPECT_TRUE(script.messages.size() == 2u && script.modals.empty());
    EXPECT_EQ(form->target, nullptr);
    const QStringList memo = Memo();
    ASSERT_EQ(memo.size(), 21 * 2 + 1);
    for (int x = 0; x <= 20; ++x)
        EXPECT_TRUE(memo[2 * x] == QString::number(x) &&
                    memo[2 * x + 1] == "// the test strategy is not in the graph at this join value: nothing tested")
            << x;
    EXPECT_EQ(memo.last(), "// Test all tested nothing: the test strategy \"LTeam.LC-MF:To-player -> "
                           "LTeam.L-FW:Speed-dribble -> LTeam.L-FW:Speed-dribble (end)\" was not found at any join "
                           "value");
}
