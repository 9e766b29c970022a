// How a "Test all" series ends, by Cancel or by a failed learner: the graph
// window lists its paths again, the strategy window shows and says how.
#include "LearnNodeWindow.h"
#include "LearnerStandIn.h"

#include "actiongraph/StrategyLink.h"

#include <QComboBox>
#include <QRegularExpression>
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
    // The end line names a failure as the other commands' lines do; a dataset's
    // name goes on with the node's name (tail, a pattern).
    const struct {
        bool cancel;
        std::string dataFile;
        int runs;
        std::string last;
        QString tail;
    } cases[] = {
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
        const QRegularExpression ended(
            QRegularExpression::anchoredPattern(QRegularExpression::escape(QString::fromStdString(last)) + tail));
        EXPECT_TRUE(ended.match(Lines(form->MemoRules).last()).hasMatch()) << Lines(form->MemoRules).last().toStdString();
        form->hide();
    }
}
