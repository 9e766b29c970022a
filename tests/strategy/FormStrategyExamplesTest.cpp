// "Display Data" and "Generate rules" up to the learner, through a real
// action-graph window on the pass scenario and the strategy window.
#include "strategy/FormStrategy.h"
#include "strategy/model/TrainingExamples.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/PassScenario.h"
#include "core/learning/Features.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/System.h"
#include "ui/FormControls.h"

#include "support/RecordingHooks.h"

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <qcustomplot.h>

#include <tuple>

namespace {

// The strategy: the pass LC-MF -> L-FW, then the dribble to the end node.
class StrategyExamples : public PassScenarioWindow {
protected:
    StrategyExamples() : PassScenarioWindow("strategy-examples") {}
    void SetUp() override
    {
        PassScenarioWindow::SetUp();
        ASSERT_EQ(window->Graph->ConnectionCount(), 3);
        auto path = std::make_shared<TPathObject>();
        path->Connections() = {window->Graph->GetConnection(2), window->Graph->GetConnection(0)};
        window->Paths.Add("   1.00 #2 pass", path);
        // Three features: the team at 100 and 110, Lplayer7 (L-FW) at 100, the ball never.
        FeatureList& features = *record.File().features;
        features.Allocate(3, 300);
        const int objects[3] = {-1, 7, 0};
        for (int f = 0; f < 3; ++f) {
            features.SetObjectIndex(f, objects[f]);
            features.SetGroupKey(f, g_speedConcepts);
        }
        for (const auto& [f, c] : {std::pair{0, 100}, std::pair{0, 110}, std::pair{1, 100}}) {
            features.SetBit(f, c);
            features.SetCount(f, features.GetCount(f) + 1);
        }
        // The ball somewhere else at each example cycle.
        for (const auto& [c, x, y] : {std::tuple{100, -20.0, 5.0}, std::tuple{109, 0.0, -10.0},
                                      std::tuple{110, 10.0, 10.0}, std::tuple{120, 30.0, -5.0}})
            record.Place(0, c, x, y);
        form = std::make_unique<TFormStrategy>();
        form->Attach(window, nullptr);
        form->lbPath->setCurrentRow(form->pathItems.IndexOfPath(path.get()));
        form->cbNoLastNode->setChecked(false);
        form->MemoRules->clear();
        end = window->Graph->GetConnection(2)->To()->GetName();
    }
    void TearDown() override
    {
        form.reset();
        PassScenarioWindow::TearDown();
    }
    QImage Shown() const { return window->Image->pixmap().toImage(); }
    QStringList Memo() const { return form->MemoRules->toPlainText().split('\n'); }
    std::vector<int> Cycles(int chunk) const
    {
        std::vector<int> cycles;
        for (const tFieldState& s : form->chunks[static_cast<std::size_t>(chunk)]->GetFieldStates())
            cycles.push_back(s.cycle);
        return cycles;
    }

    std::unique_ptr<TFormStrategy> form;
    std::string end;
    RecordingHooks hooks;
};

}  // namespace

TEST_F(StrategyExamples, DisplayModeNamesChunksAndPrintsEachNodesExamples)
{
    window->ActionW = 5.0;
    form->EditMaxDist->setText("0");  // near only while the action weight is off
    form->rgCopyClassData->SetItemIndex(3);
    platform::SetClipboardText("before");
    const QImage graphShown = Shown();
    form->BtnRulesClick(form->BtnRules);
    EXPECT_EQ(window->ActionW, 5.0);
    // The examples on the pitch: the positives by walk position, the negatives before sampling.
    const QImage examplesShown = Shown();
    EXPECT_NE(examplesShown, graphShown);
    window->DrawExampleCycles({100, 110, 120}, {2, 1, 0}, nullptr, 4);
    EXPECT_NE(Shown(), examplesShown);
    const std::vector<int> negatives{110, 100};
    window->DrawExampleCycles({100, 110, 120}, {2, 1, 0}, &negatives, 4);
    EXPECT_EQ(Shown(), examplesShown);
    ASSERT_EQ(form->chunks.size(), 3u);
    EXPECT_EQ(form->chunks[0]->GetName(), "LTeam.LC-MF:To-player");
    EXPECT_EQ(form->chunks[1]->GetName(), "LTeam.L-FW:Speed-dribble");
    EXPECT_EQ(form->chunks[2]->GetName(), end + "-END");
    EXPECT_EQ(Cycles(0), std::vector<int>{100});
    EXPECT_EQ(Cycles(1), std::vector<int>{110});
    EXPECT_EQ(Cycles(2), std::vector<int>{120});
    // (An empty memo and one holding an empty line look the same.)
    const QStringList want{"--- LTeam.LC-MF:To-player --- #+1 #-1",
                           "+Set = 100",
                           "",
                           "--- LTeam.L-FW:Speed-dribble --- #+1 #-1",
                           "+Set = 110",
                           "",
                           QString::fromStdString("--- " + end + "-END --- #+1 #-0"),
                           "+Set = 120"};
    EXPECT_EQ(Memo(), want);
    // The last node's examples: its positive; an end node is near no node that acts on.
    EXPECT_EQ(platform::ClipboardText(), "120 ");
    // The last node's names and simple TF*IDF weights stay in the feature list.
    const FeatureList& features = *record.File().features;
    const std::string group = ":" + ConceptObject::GetPathName(g_speedConcepts);
    EXPECT_EQ(features.GetName(0), "Team" + group);
    EXPECT_EQ(features.GetName(1), "LTeam.L-FW" + group);
    EXPECT_EQ(features.GetName(2), "Ball" + group);
    EXPECT_EQ(features.GetValue(0), 0.0);        // pf 0 x log2(300 / 2)
    EXPECT_EQ(features.GetValue(2), kNoWeight);  // never set
    // One empty point series per node on the rule chart; a second run replaces them.
    for (int run = 0; run < 2; ++run) {
        ASSERT_EQ(form->ChartRules->graphCount(), 3);
        for (int k = 0; k < 3; ++k) {
            const QCPGraph* series = form->ChartRules->graph(k);
            EXPECT_EQ(series->name().toStdString(), form->chunks[k]->GetName());
            EXPECT_TRUE(series->data()->isEmpty());
            EXPECT_EQ(series->lineStyle(), QCPGraph::lsNone);
            EXPECT_EQ(series->scatterStyle().shape(), QCPScatterStyle::ssCircle);
            EXPECT_EQ(series->scatterStyle().pen().style(), Qt::NoPen);
        }
        form->BtnRulesClick(form->lbSimilar);
    }
}

TEST_F(StrategyExamples, DisplayDrawsTheNegativesASampleOfNoneLeavesOut)
{
    // A 0 % sample leaves no node a negative to learn from, yet the pitch
    // shows every negative found: the same picture as drawing them outright.
    form->EditMaxDist->setText("0");
    form->EditSampling->setText("0");
    form->BtnRulesClick(form->BtnRules);
    EXPECT_EQ(Memo().first(), "--- LTeam.LC-MF:To-player --- #+1 #-0");
    const QImage examplesShown = Shown();
    const std::vector<int> negatives{110, 100};
    window->DrawExampleCycles({100, 110, 120}, {2, 1, 0}, &negatives, 4);
    EXPECT_EQ(Shown(), examplesShown);
    window->DrawExampleCycles({100, 110, 120}, {2, 1, 0}, nullptr, 4);
    EXPECT_NE(Shown(), examplesShown);
}

TEST_F(StrategyExamples, NegativeSourcesAndTheVerboseStates)
{
    // Only the node's own cycles: nothing outside the strategy, so no negatives.
    form->rgNegativeExamples->SetItemIndex(-1);
    form->cbVerbose->setCheckState(Qt::PartiallyChecked);
    form->cbNoLastNode->setChecked(true);
    form->BtnRulesClick(form->BtnRules);
    EXPECT_EQ(Memo(), (QStringList{"--- LTeam.LC-MF:To-player --- #+1 #-0", "",
                                   "--- LTeam.L-FW:Speed-dribble --- #+1 #-0"}));
    // The final chunk, left out, is named in full all the same, as when it is learnt.
    EXPECT_EQ(form->chunks[2]->GetName(), end + "-END");
    // Generate mode with the in-house learner. All nodes, every cycle taken
    // away by a 0 % sample; then all kept, without verbose output.
    platform::DialogScript script;
    form->cbHomeRules->setChecked(true);
    form->EditFName->setText("test.data");
    form->MemoRules->clear();
    form->rgNegativeExamples->SetItemIndex(2);
    form->EditSampling->setText("0");
    form->rgCopyClassData->SetItemIndex(2);
    const int series = form->ChartRules->graphCount();
    form->BtnRulesClick(nullptr);
    EXPECT_EQ(form->ChartRules->graphCount(), series);  // generate mode leaves the chart
    EXPECT_EQ(platform::ClipboardText(), "");
    EXPECT_EQ(form->chunks[0]->GetPositiveCount(), 1);
    EXPECT_EQ(form->chunks[0]->GetNegativeCount(), 0);
    form->EditSampling->setText("100");
    form->cbVerbose->setCheckState(Qt::Unchecked);
    form->MemoRules->clear();
    form->BtnRulesClick(nullptr);
    EXPECT_EQ(platform::ClipboardText(), "100 ");  // the second node's negative
    EXPECT_EQ(form->MemoRules->toPlainText(), "");
    for (int k = 0; k < 2; ++k) {
        EXPECT_EQ(form->chunks[k]->GetPositiveCount(), 1);
        EXPECT_EQ(form->chunks[k]->GetNegativeCount(), 1);
        EXPECT_EQ(form->chunks[k]->GetRules().size(), 1u);
    }
    EXPECT_EQ(form->chunks[2]->GetRules().size(), 0u);  // the final node is skipped
    EXPECT_TRUE(script.messages.empty());
}

TEST_F(StrategyExamples, RefusesWithoutStrategyOrWithBadNumbers)
{
    platform::DialogScript script;
    const std::string file = form->dataFileName;
    form->EditSampling->setText("half");
    form->BtnRulesClick(form->BtnRules);
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "'half' is not a valid floating point value");
    EXPECT_EQ(form->dataFileName, file);
    EXPECT_TRUE(form->chunks.empty());

    form->EditSampling->setText("100");
    form->lbPath->setCurrentRow(form->pathItems.IndexOfPath(nullptr));  // "All"
    window->ActionW = 2.0;
    form->BtnRulesClick(nullptr);
    ASSERT_EQ(script.messages.size(), 2u);
    EXPECT_EQ(script.messages[1].text, "Select a strategy !");
    EXPECT_EQ(script.messages[1].caption, "Warning !");
    EXPECT_TRUE(form->chunks.empty());
    EXPECT_EQ(form->MemoRules->toPlainText(), "");
    EXPECT_EQ(window->ActionW, 2.0);
}
