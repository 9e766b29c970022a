// Strategy nodes "Generate rules" on a real match leaves without rules.
#include "LearnNodeWindow.h"

// A dataset not written (told once, ends the command) or no learner's: the nodes say why, Test rules refuses.
TEST_F(GenerateRules, ANodeWithoutRulesNeverReadsFalseNorCountsACycle)
{
    const struct { std::string dataFile; int fileType; QString reason; int evaluated; } cases[] = {
        {folder + "/no-such/test.data", 1, "not learnt: Cannot write the file " + QString::fromStdString(folder), 0},
        {folder + "/test.data", 2, "", 3},  // CN2: no rule line
    };
    form->SetTestGraph(child);
    form->EditRule->setText(QString::fromStdString("(" + log_->features->GetName(0) + " = 1)"));
    form->BtnEvaluateRuleClick();
    form->cbVerbose->setCheckState(Qt::PartiallyChecked);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dataFile + " " + std::to_string(c.fileType));
        form->EditFName->setText(QString::fromStdString(c.dataFile));
        form->fileType = c.fileType;
        form->MemoRules->clear();
        platform::DialogScript script;
        form->BtnSaveRules->click();
        const QStringList memo = Lines(form->MemoRules);
        EXPECT_TRUE(memo.filter(" <= \t").value(0).contains(c.reason)) << memo.join('\n').toStdString();
        EXPECT_EQ(memo.filter("FALSE").size(), 0);
        EXPECT_EQ(memo.filter("Evaluating rule").size(), c.evaluated);
        form->BtnTestRulesClick();
        ASSERT_EQ(script.messages.size(), c.fileType == 2 ? 1u : 2u);
        EXPECT_EQ(script.messages.back().text.toStdString(), "Rules of " + form->chunks[0]->GetName() + " not learnt !");
    }
    form->cbVerbose->setCheckState(Qt::Unchecked);
    platform::DialogScript script;
    form->RunParameterSweep();
    EXPECT_TRUE(script.messages.empty());
    EXPECT_EQ(Lines(form->MemoRules).filter("\tnot learnt: no learner reads this dataset type").size(), 12);
    ASSERT_EQ(form->chunks.size(), 3u);
    form->EditThreshold->setText("abc");  // stops before it builds the nodes: none of the earlier run is left
    form->BtnSaveRules->click();
    EXPECT_TRUE(form->chunks.empty());
}

