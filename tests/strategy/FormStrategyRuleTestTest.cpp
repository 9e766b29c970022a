#include "WorkedExampleWindow.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/PathObject.h"
#include "actiongraph/childActionWin.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/learning/Features.h"
#include "platform/qt/Dialogs.h"
#include "ui/MDIChild.h"
#include "ui/StringGrid.h"

#include "support/FilledRecord.h"
#include "support/RecordingHooks.h"
#include "support/TestData.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include "support/GuiApp.h"

#include <memory>

namespace {

// The builder's worked example in an action-graph window that is also the
// test window: a pass from LC-MF to L-FW, who supports and dribbles on.
class RuleTestWindow : public WorkedExampleWindow {
protected:
    void SetUp() override
    {
        BuildWindow(true);
        form->MemoRules->setPlainText("kept");
    }
    void AttachBoth()
    {
        form->Attach(child, nullptr);
        form->testChild = child;
        form->testGraph = child->Graph;
        ASSERT_TRUE(form->ShowStrategy(path, form->chunks));
        for (auto& chunk : form->chunks)  // learnt, each a rule without condition ("TRUE")
            chunk->AddRule(std::make_unique<RuleObject>(true));
    }
    QStringList Memo() const { return form->MemoRules->toPlainText().split('\n'); }

    platform::DialogScript script;
};

}  // namespace

TEST_F(RuleTestWindow, WithoutTestOrAttachedWindowOnlyTheMessage)
{
    form->BtnTestRules->click();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "Please assign test graph !");
    EXPECT_EQ(script.messages[0].caption, "Warning");
    form->testChild = child;
    form->testGraph = child->Graph;
    form->BtnTestRules->click();
    ASSERT_EQ(script.messages.size(), 2u);
    EXPECT_EQ(script.messages[1].text, "No action graph attached !");
    form->Attach(child, nullptr);  // no strategy learnt: no nodes
    form->BtnTestRules->click();
    ASSERT_EQ(script.messages.size(), 3u);
    EXPECT_EQ(script.messages[2].text, "No rules learnt !");
    EXPECT_EQ(form->MemoRules->toPlainText(), "kept");
}

TEST_F(RuleTestWindow, ABadWeightStopsBeforeAnyOutput)
{
    AttachBoth();
    child->EditRoleW->setText("3x");
    form->BtnTestRules->click();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "'3x' is not a valid floating point value");
    EXPECT_EQ(script.messages[0].caption, "Error");
    EXPECT_EQ(form->MemoRules->toPlainText(), "kept");
}

TEST_F(RuleTestWindow, VerboseClearsUncheckedAddsRows)
{
    AttachBoth();
    form->BtnTestRules->click();
    EXPECT_TRUE(script.messages.empty());
    QStringList lines = Memo();
    ASSERT_GE(lines.size(), 9);
    EXPECT_EQ(lines[0], "Rules:");
    EXPECT_EQ(lines[1], "To-player <= \tTRUE");
    // The chunks' own nodes are their targets (distance 0), the end node has no cycles.
    EXPECT_EQ(lines[5], "Testing target node " + QString::fromStdString(child->Graph->GetNode(0)->GetName()));
    EXPECT_TRUE(lines.last().startsWith("Strategic evaluation:  \tall "));

    form->cbVerbose->setCheckState(Qt::Unchecked);
    form->BtnTestRules->click();
    form->BtnTestRules->click();
    lines = Memo();
    const QStringList row = lines.last().split('\t');
    ASSERT_EQ(row.size(), 24);
    EXPECT_EQ(row.mid(0, 4), (QStringList{"0", "0", "16", "85"}));
    EXPECT_EQ(lines[lines.size() - 2], lines.last());
    EXPECT_TRUE(lines[lines.size() - 3].startsWith("Strategic evaluation:"));
}

TEST_F(RuleTestWindow, TheResultGoesToTheTargetWithItsValue)
{
    AttachBoth();
    tTest record;
    record.SetChunks(form->chunks, 3.0);
    form->target = &record;
    form->cbVerbose->setCheckState(Qt::Unchecked);
    form->EditMinConf->setText("");
    form->EditMinDist->setText("2");
    form->BtnTestRules->click();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "-1 !!!");
    EXPECT_EQ(script.messages[0].caption, "!!!");
    ASSERT_EQ(record.Results().size(), 1u);
    const tTestResults& r = record.Results()[0];
    EXPECT_EQ(r.conf, -1.0);
    EXPECT_EQ(r.distMin, 2.0);
    EXPECT_EQ(r.abstract, 3.0);
    EXPECT_EQ(r.numTests, 1);
    // The recorded situations make the strategy's acting nodes targets.
    EXPECT_GE(r.description.tp, 2);
    const QStringList row = Memo().last().split('\t');
    EXPECT_EQ(row[0], "");
    EXPECT_EQ(row[3], "3");
    form->target = nullptr;
}

TEST_F(RuleTestWindow, WholeTestByVerboseState)
{
    AttachBoth();
    // The test paths are found anew on every run: scored by their mean weight, chains of two are listed.
    child->cbPathFunc->setCurrentIndex(0);
    form->cbVerbose->setCheckState(Qt::Unchecked);
    form->BtnWholeTestRules->click();
    QStringList lines = Memo();
    // Unchecked: the trace below the kept lines, no row.
    EXPECT_EQ(lines[0], "kept");
    EXPECT_EQ(lines[1], "Testing strategy");
    EXPECT_TRUE(lines.last().startsWith("Rule is "));
    form->cbVerbose->setCheckState(Qt::PartiallyChecked);
    form->cbTestAll->setChecked(true);
    form->BtnWholeTestRules->click();
    lines = Memo();
    EXPECT_EQ(lines[0], "Rules:");
    EXPECT_EQ(lines[5], "Testing strategy");
    EXPECT_EQ(lines.last(), "Strategic evaluation:  \tall 2\ttp 2\tfp 0\ttn 0\tfn 0\tacc 1.0000");
    form->cbVerbose->setCheckState(Qt::Checked);
    tTest record;
    record.SetChunks(form->chunks, 2.0);
    form->target = &record;
    form->BtnWholeTestRules->click();
    ASSERT_EQ(record.Results().size(), 1u);
    EXPECT_EQ(record.Results()[0].numTests, 1);
    EXPECT_EQ(record.Results()[0].distMax, 16.0);
    // Every cycle of the hand-made log shows the same situation: both chains are recorded ones.
    EXPECT_EQ(record.Results()[0].strategic.tp, 2);
    EXPECT_TRUE(Memo().contains("Decision: true"));
    form->target = nullptr;
}

TEST_F(RuleTestWindow, GridDoubleClickEvaluatesTheListedStrategies)
{
    form->cbUseTest->setChecked(true);
    emit form->sgStrategy->DoubleClicked();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "Please assign test graph !");
    form->cbUseTest->setChecked(false);
    AttachBoth();
    form->pathItems.Add("p", std::make_shared<TPathObject>(path));
    form->cbVerbose->setCheckState(Qt::Unchecked);
    emit form->sgStrategy->DoubleClicked();
    const QStringList row = Memo().last().split('\t');
    ASSERT_EQ(row.size(), 17);
    EXPECT_EQ(row.mid(3, 10), (QStringList{"2", "0", "0", "0", "1.0000", "1", "0", "0", "0", "1.0000"}));
    child->EditValue->setText("far");
    emit form->sgStrategy->DoubleClicked();
    ASSERT_EQ(script.messages.size(), 2u);
    EXPECT_EQ(script.messages[1].caption, "Error");
}
