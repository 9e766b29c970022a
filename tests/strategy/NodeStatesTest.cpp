// How strategy nodes stand after "Generate rules" on a real match gives them
// no rules: none reads "FALSE", and the rule tests refuse them.
#include "LearnNodeWindow.h"
#include "LearnerStandIn.h"

#include <QComboBox>
#include <QRegularExpression>

using standin::Runs;

// A learner that fails, and a dataset that cannot be written (which stops the
// command, told once): the user's own rule is evaluated for the nodes learnt
// from only, and Test rules refuses, naming the first node.
TEST_F(GenerateRules, ANodeWithoutRulesNeverReadsFalseNorCountsACycle)
{
    const struct {
        std::string dataFile;
        int runs;
        QString reason;
        int evaluated;
    } cases[] = {
        {folder + "/test.data", 1, "not learnt: learner failed: callweka exit code 1", 3},
        {folder + "/no-such/test.data", 0, "not learnt: Cannot write the file " + QString::fromStdString(folder), 0},
    };
    WriteScript(folder + "/callweka", "echo run >> \"" + folder + "/runs\"\nexit 1\n");
    form->SetTestGraph(child);
    form->EditRule->setText(QString::fromStdString("(" + log_->features->GetName(0) + " = 1)"));
    form->BtnEvaluateRuleClick();
    form->cbVerbose->setCheckState(Qt::PartiallyChecked);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dataFile);
        std::filesystem::remove(folder + "/runs");
        form->EditFName->setText(QString::fromStdString(c.dataFile));
        form->MemoRules->clear();
        platform::DialogScript script;
        form->BtnSaveRules->click();
        EXPECT_EQ(Runs(folder), c.runs);
        const QStringList memo = Lines(form->MemoRules);
        EXPECT_TRUE(memo.filter(" <= \t").value(0).contains(c.reason)) << memo.join('\n').toStdString();
        EXPECT_EQ(memo.filter("FALSE").size(), 0);
        EXPECT_EQ(memo.filter("Evaluating rule").size(), c.evaluated);
        form->BtnTestRulesClick();
        ASSERT_EQ(script.messages.size(), 2u);
        EXPECT_EQ(script.messages[1].text.toStdString(), "Rules of " + form->chunks[0]->GetName() + " not learnt !");
    }
}

// A dataset type no learner reads: the datasets' folder is said once, Test
// rules refuses the nodes, and each sweep row says why.
TEST_F(GenerateRules, NodesNoLearnerWasAskedForAreNotTested)
{
    form->SetTestGraph(child);
    form->cbNoLastNode->setChecked(true);
    form->fileType = 2;  // CN2
    platform::DialogScript script;
    form->BtnSaveRules->click();
    ASSERT_EQ(form->chunks.size(), 3u);
    EXPECT_EQ(form->chunks[0]->State(), TChunkState::NotAsked);
    EXPECT_EQ(form->chunks[2]->State(), TChunkState::LeftOut);
    EXPECT_EQ(Lines(form->MemoRules).filter("// Datasets written to " + QString::fromStdString(folder)).size(), 1);
    form->BtnTestRulesClick();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_TRUE(script.messages[0].detail.startsWith("no rules yet"));
    form->RunParameterSweep();
    EXPECT_EQ(Lines(form->MemoRules).filter(QRegularExpression("\tnot learnt: no learner reads this dataset type$")).size(),
              12);
}

// "Generate rules" that stops before it builds the nodes leaves none of an
// earlier run; "All Rules" tells why once for all its strategies. As source
// text it refuses at once a path function of no fixed length.
TEST_F(GenerateRules, AGenerateThatStopsEarlyLeavesNoEarlierNodes)
{
    const TPathPtr chain = form->pathItems.Path(form->lbPath->currentRow());
    child->Paths.Add("chain B", chain);
    form->Attach(child, nullptr);
    form->lbPath->setCurrentRow(form->pathItems.IndexOfPath(chain.get()));
    form->BtnRules->click();
    ASSERT_EQ(form->chunks.size(), 3u);
    const QString threshold = form->EditThreshold->text();
    form->EditThreshold->setText("abc");
    platform::DialogScript script;
    form->BtnSaveRules->click();
    EXPECT_TRUE(form->chunks.empty());
    form->btnAllRulesClick();
    EXPECT_EQ(script.messages.size(), 2u);

    WriteScript(folder + "/callweka", "echo run >> \"" + folder + "/runs\"\n");
    form->EditThreshold->setText(threshold);
    child->cbPathFunc->setCurrentIndex(11);  // "avg, len>1"
    form->cbComputerOutput->setChecked(true);
    form->btnAllRulesClick();
    ASSERT_EQ(script.messages.size(), 3u);
    EXPECT_TRUE(script.messages[2].text.contains("\"avg, len=1\"")) << script.messages[2].text.toStdString();
    EXPECT_EQ(Runs(folder), 0);
}
