// How a "Test all" series ends, by Cancel or by a failed learner: the graph
// window lists its paths again, the strategy window shows and says how.
#include "LearnNodeWindow.h"
#include "LearnerStandIn.h"

#include "actiongraph/StrategyLink.h"

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
