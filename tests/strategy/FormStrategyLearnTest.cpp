// Rule learning for one strategy node on a real match: the in-house learner,
// outside learners (stand-in scripts, and real Weka when it is installed), the
// failure of a learner, and the user's own rule.
#include "strategy/FormStrategy.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/PathObject.h"
#include "actiongraph/childActionWin.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/load/LoadLog.h"
#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"
#include "platform/qt/Dialogs.h"
#include "strategy/model/StrategyChunks.h"
#include "ui/FormControls.h"
#include "ui/MDIChild.h"

#include "support/TestData.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

#include <gtest/gtest.h>

#include "support/GuiApp.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <cstdlib>

namespace {

QApplication& App() { return EnsureGuiApp(); }

void WriteScript(const std::string& file, const std::string& body)
{
    std::ofstream(file) << "#!/bin/sh\n" << body;
    std::filesystem::permissions(file, std::filesystem::perms::owner_all);
}

QStringList Lines(const QPlainTextEdit* memo)
{
    QStringList lines = memo->toPlainText().split('\n');
    if (lines.size() == 1 && lines[0].isEmpty())
        lines.clear();
    return lines;
}

// The short real match with its action graph, in a window the strategy window
// is attached to; the node with the most outgoing cycles is learnt against
// every other node's cycles.
class LearnNode : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        App();
        dir_ = new InTempDir("strategy-learn");
        CreateConceptHierarchies();
        log_ = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), true).release();
    }
    static void TearDownTestSuite()
    {
        delete log_;
        FreeConceptHierarchies();
        delete dir_;
    }
    void SetUp() override
    {
        child = new TMDIActionChild(nullptr, log_);
        TMDIChild::SelectAllPlayers(child->lbPlayers);
        child->BuildActionGraph(child->Graph);
        form = std::make_unique<TFormStrategy>();
        form->Attach(child, nullptr);
        folder = MakeTempDir("strategy-learn-run");
        form->dataFileName = folder + "/test.data";
        form->learnerFolder = QString::fromStdString(folder);
        // The node with the most cycles is the positive class.
        const TGraph& g = *child->Graph;
        TNode* best = nullptr;
        std::vector<int> bestCycles;
        for (int i = 0; i < g.NodeCount(); ++i) {
            std::vector<int> cycles;
            CollectCycles(nullptr, g.GetNode(i), cycles, TDurationMode::Duration, true);
            if (cycles.size() > bestCycles.size()) {
                best = g.GetNode(i);
                bestCycles = cycles;
            }
        }
        ASSERT_NE(best, nullptr);
        examples.name = best->GetName();
        examples.positives = bestCycles;
        for (int i = 0; i < g.NodeCount() && examples.negatives.size() < 300; ++i)
            if (g.GetNode(i) != best)
                CollectCycles(nullptr, g.GetNode(i), examples.negatives, TDurationMode::Duration, true);
        std::erase_if(examples.negatives, [&](int c) {
            return std::find(bestCycles.begin(), bestCycles.end(), c) != bestCycles.end();
        });
        ASSERT_GT(examples.positives.size(), 5u);
        ASSERT_GT(examples.negatives.size(), 20u);
        WeighFeatures();
        form->chunks.push_back(std::make_unique<StrategyChunk>(examples.name, nullptr, nullptr, 1.0, 2.0, 0.0, false));
        form->chunks.push_back(std::make_unique<StrategyChunk>("second", nullptr, nullptr, 0.0, 0.0, 0.0, true));
    }
    void TearDown() override
    {
        form.reset();
        delete child.data();
    }
    // Each feature's value: how much more often it holds at positives than at
    // negatives (as the weighting before the learner leaves a value per feature).
    void WeighFeatures()
    {
        FeatureList& list = *log_->features;
        for (int f = 0; f < list.GetNumFeatures(); ++f) {
            double p = 0.0, n = 0.0;
            for (int c : examples.positives)
                p += list.GetBit(f, c);
            for (int c : examples.negatives)
                n += list.GetBit(f, c);
            list.SetValue(f, p / static_cast<double>(examples.positives.size()) -
                                 n / static_cast<double>(examples.negatives.size()));
        }
    }
    StrategyChunk& Chunk(int k) { return *form->chunks[static_cast<std::size_t>(k)]; }

    static InTempDir* dir_;
    static RoboCupFileT* log_;
    QPointer<TMDIActionChild> child;
    std::unique_ptr<TFormStrategy> form;
    std::string folder;
    TNodeExamples examples;
};

InTempDir* LearnNode::dir_ = nullptr;
RoboCupFileT* LearnNode::log_ = nullptr;

}  // namespace

TEST_F(LearnNode, InHouseLearnerTakesTheTopFeaturesAndStillWritesTheDataset)
{
    const FeatureList& list = *log_->features;
    form->cbHomeRules->setChecked(true);
    form->fileType = 3;  // Orange: no outside learner in any case
    form->EditNumFeatures->setText(" 2 ");
    platform::DialogScript script;
    form->LearnNodeRules(examples);

    StrategyChunk& chunk = Chunk(0);
    ASSERT_EQ(chunk.GetRules().size(), 1u);
    const RuleObject& rule = *chunk.GetRules()[0];
    ASSERT_EQ(rule.Size(), 2);
    // The two largest values, the lower feature first among equals.
    int first = 0;
    for (int f = 1; f < list.GetNumFeatures(); ++f)
        if (list.GetValue(f) > list.GetValue(first))
            first = f;
    EXPECT_EQ(rule.GetFeatureKey(0), list.GetGroupKey(first));
    EXPECT_TRUE(rule.IsPositive());
    EXPECT_EQ(chunk.GetPositiveCount(), static_cast<int>(examples.positives.size()));
    EXPECT_EQ(chunk.GetNegativeCount(), static_cast<int>(examples.negatives.size()));
    // The rule holds at most positives it was learnt from.
    int tp = 0, fp = 0, tn = 0, fn = 0;
    EvaluateRule(*log_->features, rule, examples.positives, examples.negatives, &tp, &fp, &tn, &fn);
    EXPECT_GT(tp, 0);

    std::string part = examples.name;
    std::replace(part.begin(), part.end(), ':', '-');
    EXPECT_TRUE(std::filesystem::exists(folder + "/test-" + part + ".data"));
    const QStringList lines = Lines(form->MemoRules);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith(QString::fromStdString(examples.name) + " (1.00, 2.00) <= \t(")) << lines[0].toStdString();
    EXPECT_TRUE(script.messages.empty());

    // Not a number counts as 1; 0 gives the rule that holds everywhere.
    form->EditNumFeatures->setText("two");
    form->LearnNodeRules(examples);
    EXPECT_EQ(chunk.GetRules()[1]->Size(), 1);
    form->EditNumFeatures->setText("0");
    form->cbComputerOutput->setChecked(true);
    form->LearnNodeRules(examples);
    EXPECT_EQ(chunk.GetRules()[2]->Size(), 0);
    EXPECT_TRUE(Lines(form->MemoRules).last().startsWith("  tActionRule(_" + QString::fromStdString(examples.name) + "_, \""));
}

TEST_F(LearnNode, OutsideLearnersRunFromTheProgramFolderAndTheirResultsAreRead)
{
    const FeatureList& list = *log_->features;
    const int f = list.GetNumFeatures() / 2;
    const std::string feature = list.GetName(f);
    // Stand-ins that note their arguments and whether an old result was left.
    WriteScript(folder + "/callweka",
                "echo \"$@\" > \"" + folder + "/weka-args\"\n"
                "[ -e \"$2\" ] && echo stale >> \"" + folder + "/weka-args\"\n"
                "printf 'JRIP rules:\\n===\\n(" + feature + " = 1) and (nosuch = 1) => class=OTHER (1/0)\\n"
                " => class=N (3/0)\\nNumber of Rules : 2\\n' > \"$2\"\n");
    WriteScript(folder + "/callslipper",
                "echo \"$@\" > \"" + folder + "/slipper-args\"\n"
                "[ -e \"$1.shyp\" ] && echo stale >> \"" + folder + "/slipper-args\"\n"
                "echo 'N 2 1 IF nosuch Team . .' > \"$1.shyp\"\n");
    std::string part = examples.name;
    std::replace(part.begin(), part.end(), ':', '-');
    const std::string stem = folder + "/test-" + part;
    std::ofstream(folder + "/results.txt") << "old";
    std::ofstream(stem + ".shyp") << "old";
    form->fileType = 1;
    platform::DialogScript script;
    form->LearnNodeRules(examples);
    EXPECT_EQ(ReadBytes(folder + "/weka-args"), stem + ".data " + folder + "/results.txt\n");
    // The unknown feature adds nothing; the OTHER rule with its condition is
    // negated, the default rule positive.
    const RuleList& rules = Chunk(0).GetRules();
    ASSERT_EQ(rules.size(), 2u);
    ASSERT_EQ(rules[0]->Size(), 1);
    EXPECT_FALSE(rules[0]->IsPositive());
    EXPECT_EQ(rules[0]->GetFeatureKey(0), list.GetGroupKey(f));
    const int object = list.GetObjectIndex(f);
    EXPECT_EQ(rules[0]->GetObjectConcept(0),
              object < 0 ? g_roleConcepts : list.GetObjectConcept(object, examples.positives.front()));
    EXPECT_TRUE(rules[1]->IsPositive());
    EXPECT_EQ(rules[1]->Size(), 0);

    form->fileType = 4;
    form->LearnNodeRules(examples);
    EXPECT_EQ(ReadBytes(folder + "/slipper-args"), stem + "\n");
    ASSERT_EQ(rules.size(), 3u);
    EXPECT_EQ(rules[2]->Size(), 0);
    EXPECT_TRUE(script.messages.empty());
    EXPECT_EQ(Chunk(0).GetPositiveCount(), static_cast<int>(examples.positives.size()));
}

TEST_F(LearnNode, AFailedLearnerIsReportedOncePerRunAndItsResultIsNotRead)
{
    // A learner that writes a result and fails.
    WriteScript(folder + "/callweka", "echo 'JRIP rules: => class=N (1/0) Number' > \"$2\"\nexit 3\n");
    form->fileType = 1;
    platform::DialogScript script;
    TNodeExamples second = examples;
    second.chunk = 1;
    form->LearnNodeRules(examples);
    form->LearnNodeRules(second);
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "Call failed !");
    EXPECT_EQ(script.messages[0].caption, "Warning !");
    EXPECT_EQ(script.messages[0].detail, "callweka: exit code 3");
    EXPECT_TRUE(Chunk(0).GetRules().empty());
    EXPECT_TRUE(Chunk(1).GetRules().empty());
    // The counts are kept all the same, and the rule line says there is no rule.
    EXPECT_EQ(Chunk(1).GetNegativeCount(), static_cast<int>(examples.negatives.size()));
    EXPECT_TRUE(Lines(form->MemoRules).last().endsWith("<= \tFALSE"));

    // A new run warns again; a missing script is a failure too.
    std::filesystem::remove(folder + "/callslipper");
    form->fileType = 4;
    form->LearnNodeRules(examples);
    ASSERT_EQ(script.messages.size(), 2u);
    EXPECT_TRUE(script.messages[1].detail.startsWith("callslipper: could not be started"));
    EXPECT_TRUE(Chunk(0).GetRules().empty());
}

TEST_F(LearnNode, QuietRunsStoreRulesAndCountsWithoutPrinting)
{
    form->cbHomeRules->setChecked(true);
    form->cbVerbose->setCheckState(Qt::Unchecked);
    form->cbPruneRules->setChecked(true);
    form->EditRule->setText("(" + QString::fromStdString(log_->features->GetName(0)) + " = 1)");
    form->BtnEvaluateRule->click();
    ASSERT_EQ(form->ownRule.Size(), 1);
    form->LearnNodeRules(examples);
    form->EvaluateOwnRule(examples);
    EXPECT_TRUE(form->MemoRules->toPlainText().isEmpty());
    EXPECT_EQ(Chunk(0).GetRules().size(), 1u);
    EXPECT_EQ(Chunk(0).GetPositiveCount(), static_cast<int>(examples.positives.size()));
}

TEST_F(LearnNode, TheOwnRuleIsCountedOnTheNodesExamples)
{
    FeatureList& list = *log_->features;
    // A typed rule on a feature whose group holds at some cycles and not at others.
    std::vector<int> on, off;
    for (int f = 0; f < list.GetNumFeatures() && (on.size() < 2 || off.empty()); f += 7) {
        form->EditRule->setText(QString::fromStdString("(" + list.GetName(f) + " = 1) and"));
        form->BtnEvaluateRuleClick();
        ASSERT_EQ(form->ownRule.Size(), 1);
        EXPECT_EQ(form->ownRule.GetFeatureKey(0), list.GetGroupKey(f));
        on.clear();
        off.clear();
        for (int c = 0; c < list.GetNumInstances() && (on.size() < 2 || off.empty()); ++c)
            (RuleMatches(list, form->ownRule, c) ? on : off).push_back(c);
    }
    ASSERT_TRUE(on.size() >= 2 && !off.empty());
    // P = {a, b}, N = {b, c}: a and c covered, b not; b counts only as a positive.
    TNodeExamples node;
    node.positives = {on[0], off[0]};
    node.negatives = {off[0], on[1]};
    form->EvaluateOwnRule(node);
    EXPECT_EQ(Lines(form->MemoRules), (QStringList{"Evaluating rule", "tp 1\tfp 1\ttn 0\tfn 1"}));

    // An empty own rule is not evaluated.
    form->EditRule->setText("nosuch = 1");
    form->BtnEvaluateRuleClick();
    EXPECT_EQ(form->ownRule.Size(), 0);
    form->EvaluateOwnRule(node);
    EXPECT_EQ(Lines(form->MemoRules).size(), 2);
}

// Real Weka JRip through the installed callweka script.
TEST_F(LearnNode, WekaJRipLearnsRulesWithConditions)
{
    if (!std::filesystem::exists("/usr/share/java/weka.jar") || std::system("java -version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no Weka or Java";
    form->learnerFolder = VELO_APP_DIR;
    form->fileType = 1;
    examples.threshold = 0.3;  // only features that tell the node apart
    platform::DialogScript script;
    form->LearnNodeRules(examples);
    EXPECT_TRUE(script.messages.empty());
    const RuleList& rules = Chunk(0).GetRules();
    ASSERT_FALSE(rules.empty());
    bool withConditions = false;
    for (const auto& rule : rules)
        withConditions = withConditions || rule->Size() > 0;
    EXPECT_TRUE(withConditions) << RulesToString(nullptr, rules, false);
    // The rules tell the node from the others on its own examples.
    int tp = 0, fp = 0, tn = 0, fn = 0;
    EvaluateRules(*log_->features, rules, examples.positives, examples.negatives, &tp, &fp, &tn, &fn);
    EXPECT_GT(tp, fn);
    EXPECT_GT(tn, fp);
    EXPECT_TRUE(std::filesystem::exists(folder + "/results.txt"));
}

namespace {

// "Generate rules" on a strategy of the real match: a chain of two connections
// of the action graph, listed in the window and chosen in the strategy window.
class GenerateRules : public LearnNode {
protected:
    void SetUp() override
    {
        LearnNode::SetUp();
        form.reset();
        const TGraph& g = *child->Graph;
        // The chain of two connections between three different nodes whose
        // lighter connection is heaviest.
        auto path = std::make_shared<TPathObject>();
        int best = 0;
        for (int i = 0; i < g.ConnectionCount(); ++i) {
            TConnection* first = g.GetConnection(i);
            for (TConnection* next : first->To()->OutList()) {
                const bool three = first->From() != first->To() && next->From() != next->To() &&
                                   next->To() != first->From();
                if (three && std::min(first->Weight(), next->Weight()) > best) {
                    best = std::min(first->Weight(), next->Weight());
                    path->Connections() = {next, first};
                }
            }
        }
        ASSERT_EQ(path->Connections().size(), 2u);
        child->Paths.Add("chain", path);
        form = std::make_unique<TFormStrategy>();
        form->Attach(child, nullptr);
        form->lbPath->setCurrentRow(form->pathItems.IndexOfPath(path.get()));
        form->EditFName->setText(QString::fromStdString(folder + "/test.data"));
        form->cbNoLastNode->setChecked(false);
    }
};

}  // namespace

TEST_F(GenerateRules, TheInHouseLearnerGivesEveryNodeItsRule)
{
    form->cbHomeRules->setChecked(true);
    form->EditNumFeatures->setText("2");
    platform::DialogScript script;
    form->BtnSaveRules->click();
    ASSERT_EQ(form->chunks.size(), 3u);
    int lines = 0;
    const QStringList memo = Lines(form->MemoRules);
    for (const auto& chunk : form->chunks) {
        ASSERT_EQ(chunk->GetRules().size(), 1u) << chunk->GetName();
        EXPECT_EQ(chunk->GetRules()[0]->Size(), 2);
        EXPECT_GT(chunk->GetPositiveCount(), 0);
        const QString line = QString::fromStdString(chunk->GetName()) + " (";
        for (const QString& l : memo)
            lines += l.startsWith(line) && l.contains(" <= \t(") ? 1 : 0;
        std::string part = chunk->GetName();
        std::replace(part.begin(), part.end(), ':', '-');
        EXPECT_TRUE(std::filesystem::exists(folder + "/test-" + part + ".data")) << part;
    }
    EXPECT_EQ(lines, 3);
    EXPECT_TRUE(script.messages.empty());
}
