// How a "Test all" series ends, by Cancel, by a failed learner or with a test
// strategy missing at join values: the graph window lists its paths again, the
// strategy window shows and says how, and where the datasets it kept are.
#include "LearnNodeWindow.h"
#include "LearnerStandIn.h"

#include "actiongraph/StrategyLink.h"
#include "strategy/model/Sweep.h"
#include "ui/StringGrid.h"

#include <QComboBox>
#include <QRegularExpression>
#include <QScrollBar>

#include <filesystem>
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
    // The end line names a failure as the other commands' lines do; a dataset's
    // name goes on with the node's name (tail, a pattern).
    const struct { bool cancel; std::string dataFile; int runs; std::string last; QString tail; } cases[] = {
        {true, "test.data", 1, "// Test all ended by Cancel", ""},
        {false, "test.data", 1, "// Test all stopped: learner failed: callweka exit code 3 (no Java)", ""},
        {false, "no-such/test.data", 0,
         "// Test all stopped: dataset not written: Cannot write the file " + folder + "/no-such/test-1-",
         "[\\w.-]+\\.data: No such file or directory"},
    };
    for (const auto& [cancel, dataFile, runs, last, tail] : cases) {
        std::filesystem::remove(folder + "/runs");
        form->EditFName->setText(QString::fromStdString(folder + "/" + dataFile));
        std::optional<User> user;
        if (cancel) {
            WriteSleepingLearner(folder, "*");
            user.emplace(folder);
        } else {
            WriteScript(folder + "/callweka", "echo run >> \"" + folder + "/runs\"\necho 'no Java' >&2\nexit 3\n");
        }
        platform::DialogScript script;
        child->btnRevalidateAll->click();
        EXPECT_EQ(Runs(folder), runs) << last;  // stopped in the first run, at the first join value
        EXPECT_EQ(child->EditValue->text(), "0");
        TPathList found;
        child->FindPaths(child->Graph, 1, found);
        ASSERT_GT(found.Count(), 1);
        // The paths of the graph as it stands (and "All"), in both windows.
        EXPECT_EQ(child->cbPaths->count(), found.Count() + 1) << last;
        EXPECT_EQ(form->lbPath->count(), found.Count() + 1);
        EXPECT_TRUE(form->isVisible());
        const QString said = Lines(form->MemoRules).last();
        EXPECT_TRUE(QRegularExpression("^" + QRegularExpression::escape(QString::fromStdString(last)) + tail + "$")
                        .match(said).hasMatch()) << said.toStdString();
        form->hide();
    }
}

// A test strategy stored at the first join value of the real match is found at
// some join values of "Test all" only: the memo says at which it was not.
TEST_F(GenerateRules, TestAllSaysAtWhichJoinValuesTheTestStrategyWasNotFound)
{
    StoreTestStrategyOfFirstJoin();
    if (HasFatalFailure())
        return;
    const QString action = form->sgStrategy->CellText(1, 1);  // as the grid showed it
    form->SetTestGraph(child);
    form->cbVerbose->setCheckState(Qt::Unchecked);
    form->rgFileType->SetItemIndex(3);  // Orange: the sweeps run no learner
    form->rgFileTypeClick();
    SetStrategyLink(form.get());
    const struct Unlink { ~Unlink() { SetStrategyLink(nullptr); } } unlink;
    child->cbTestAll->setChecked(true);
    child->sbMinConnected->setValue(1);
    // Joined by position alone, the path's nodes merge into others at the higher values.
    child->EditRoleW->setText("0");
    child->EditActionW->setText("0");
    platform::DialogScript script;
    child->btnRevalidateAll->click();
    const QStringList memo = Lines(form->MemoRules);
    QStringList missed;  // the join values whose sweep found no test strategy
    for (int i = 1; i < memo.size(); ++i)
        if (memo[i] == "// the test strategy is not in the graph at this join value: nothing tested")
            missed << memo[i - 1];
    ASSERT_TRUE(missed.size() > 0 && missed.size() < 21) << missed.size();
    EXPECT_EQ(memo.count(kSweepHeader), 21 - missed.size());
    EXPECT_TRUE(memo.last().startsWith("// Test all done; the test strategy \"") && memo.last().contains(action) &&
                memo.last().endsWith("\" was not found at join values " + missed.join(", ")))
        << memo.last().toStdString();
}

// "Test all" with "Home rules" and the data file in the private folder: the
// datasets of every sweep go into one folder of the series' own, and the
// series names it once, with all its files.
TEST_F(GenerateRules, ATestAllSeriesNamesTheFolderOfTheDatasetsItKept)
{
    StoreTestStrategyOfFirstJoin();
    if (HasFatalFailure())
        return;
    form->SetTestGraph(child);
    form->cbVerbose->setCheckState(Qt::Unchecked);
    form->cbHomeRules->setChecked(true);
    form->EditFName->setText(QString::fromStdString(own + "/test.data"));
    SetStrategyLink(form.get());
    const struct Unlink { ~Unlink() { SetStrategyLink(nullptr); } } unlink;
    child->cbTestAll->setChecked(true);
    child->sbMinConnected->setValue(1);
    platform::DialogScript script;
    child->btnRevalidateAll->click();
    const QStringList said = Lines(form->MemoRules).filter("// Datasets written to ");
    ASSERT_EQ(said.size(), 1) << Lines(form->MemoRules).join('\n').toStdString();
    const std::string line = said[0].toStdString(), kept = line.substr(23, line.find(": ") - 23);
    EXPECT_EQ(std::filesystem::path(kept).parent_path().string(), own);
    const auto files = std::distance(std::filesystem::directory_iterator(kept), std::filesystem::directory_iterator());
    EXPECT_GT(files, 0);
    EXPECT_EQ(line.substr(line.find(": ")), ": " + std::to_string(files) + " files");
}
