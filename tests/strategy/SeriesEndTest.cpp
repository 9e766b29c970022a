// How a "Test all" series ends, by Cancel, by a failed learner or with a test
// strategy missing at join values: the graph window lists its paths again, the
// strategy window shows and says how.
#include "LearnNodeWindow.h"
#include "LearnerStandIn.h"

#include "actiongraph/StrategyLink.h"
#include "strategy/model/Sweep.h"
#include "ui/StringGrid.h"

#include <QComboBox>
#include <QScrollBar>

#include <optional>

using namespace standin;

TEST_F(GenerateRules, ATestAllSeriesGivesTheGraphWindowItsPathsBackHoweverItEnds)
{
    StoreTestStrategyOfFirstJoin();
    if (HasFatalFailure())
        return;
    form->SetTestGraph(child);
    form->cbVerbose->setCheckState(Qt::Unchecked);
    SetStrategyLink(form.get());
    const struct Unlink { ~Unlink() { SetStrategyLink(nullptr); } } unlink;
    child->cbTestAll->setChecked(true);
    child->sbMinConnected->setValue(1);
    for (const auto& [cancel, last] : {std::pair<bool, std::string>{true, "// Test all ended by Cancel"},
                                       {false, "// Test all stopped: callweka exit code 3 (no Java)"}}) {
        std::filesystem::remove(folder + "/runs");
        std::optional<User> user;
        if (cancel) {
            WriteSleepingLearner(folder, "*");
            user.emplace(folder);
        } else {
            WriteScript(folder + "/callweka", "echo run >> \"" + folder + "/runs\"\necho 'no Java' >&2\nexit 3\n");
        }
        platform::DialogScript script;
        child->btnRevalidateAll->click();
        EXPECT_EQ(Runs(folder), 1) << last;  // stopped in the first run, at the first join value
        EXPECT_EQ(child->EditValue->text(), "0");
        TPathList found;
        child->FindPaths(child->Graph, 1, found);
        ASSERT_GT(found.Count(), 1);
        // The paths of the graph as it stands (and "All"), in both windows.
        EXPECT_EQ(child->cbPaths->count(), found.Count() + 1) << last;
        EXPECT_EQ(form->lbPath->count(), found.Count() + 1);
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(Lines(form->MemoRules).last().toStdString(), last);
        form->hide();
    }
}

// A test strategy stored at the first join value of the real match is found at
// some join values of "Test all" and not at others: the memo says where not,
// and the last line names the strategy with those values.
TEST_F(GenerateRules, TestAllSaysAtWhichJoinValuesTheTestStrategyWasNotFound)
{
    StoreTestStrategyOfFirstJoin();
    if (HasFatalFailure())
        return;
    QStringList actions;  // as the grid showed the stored strategy
    for (int c = 1; c < form->sgStrategy->ColCount(); ++c)
        actions << form->sgStrategy->CellText(c, 1);
    form->SetTestGraph(child);
    form->cbVerbose->setCheckState(Qt::Unchecked);
    // Orange: no learner reads it, so each join value's sweep runs without one.
    form->rgFileType->SetItemIndex(3);
    form->rgFileTypeClick();
    SetStrategyLink(form.get());
    const struct Unlink { ~Unlink() { SetStrategyLink(nullptr); } } unlink;
    child->cbTestAll->setChecked(true);
    child->sbMinConnected->setValue(1);
    // Joined by position alone, nodes of the path merge into others at the
    // higher join values, and the path is gone there.
    child->EditRoleW->setText("0");
    child->EditActionW->setText("0");
    platform::DialogScript script;
    child->btnRevalidateAll->click();
    const QStringList memo = Lines(form->MemoRules);
    QStringList missed;
    int swept = 0;
    for (int i = 1; i < memo.size(); ++i) {
        if (memo[i] == "// the test strategy is not in the graph at this join value: nothing tested")
            missed << memo[i - 1];
        swept += memo[i].toStdString() == kSweepHeader ? 1 : 0;
    }
    ASSERT_GT(swept, 0);
    ASSERT_FALSE(missed.isEmpty());
    EXPECT_EQ(swept + missed.size(), 21);
    const QString last = memo.last();
    EXPECT_TRUE(last.startsWith("// Test all done; the test strategy \"")) << last.toStdString();
    EXPECT_TRUE(last.endsWith("\" was not found at join values " + missed.join(", "))) << last.toStdString();
    qsizetype at = 0;
    for (const QString& action : actions) {
        at = last.indexOf(action, at);
        EXPECT_GE(at, 0) << action.toStdString();
    }
}
