#include "strategy/FormStrategy.h"

#include "strategy/model/WholeTest.h"

#include "actiongraph/childActionWin.h"
#include "core/learning/Features.h"
#include "core/model/Common.h"
#include "core/model/RoboCupFile.h"
#include "platform/qt/Dialogs.h"
#include "ui/waitFormWin.h"

#include <QCheckBox>
#include <QLineEdit>

void TFormStrategy::BtnWholeTestRulesClick()
{
    const WaitCommand wait("Testing rules on whole strategies ...", WaitOver(), false);
    TNodeTestInput node;
    if (!StartRuleTest(node))
        return;
    TWholeTestInput in;
    in.chunks = node.chunks;
    in.strategies = &testStrategies;
    in.graph = node.graph;
    in.features = node.features;
    in.log = node.log;
    in.targetChunks = node.targetChunks;
    in.weights = node.weights;
    in.value = node.value;
    in.testAll = node.testAll;
    in.averageDist = cbAverageDist->isChecked();
    in.strictTimes = cbStrictTimes->isChecked();
    in.verbose = node.verbose;
    const TWholeTestOutput out = RunWholeTest(in);
    WriteRuleTestLines(out.lines, in.verbose);
    if (target) {
        // The record's averages divide by the number of tests: this is one,
        // under the settings the boxes show.
        tTestResults r;
        r.rule = out.result.rule;
        r.strategic = out.result.strategic;
        r.description = out.result.description;
        if (!StoreSettings(node.settings, node.value, r))
            platform::MessageBox(this, "-1 !!!", "!!!");
        target->AddResult(r);
    }
}

void TFormStrategy::sgStrategyDblClick()
{
    const bool useTest = cbUseTest->isChecked();
    if (useTest && !testChild) {
        platform::MessageBox(this, "Please assign test graph !", "Warning");
        return;
    }
    if (!actionChild) {
        platform::MessageBox(this, "No action graph attached !", "Warning");
        return;
    }
    // The rules are read on the log whose cycles are tested.
    TMDIActionChild* source = useTest ? testChild : actionChild;
    if (!source->File || !source->File->features) {
        platform::MessageBox(this, "The graph's log has no features !", "Warning");
        return;
    }
    if (!RequireLearnt())
        return;
    const WaitCommand wait("Evaluating rules on the strategies ...", WaitOver(), false);
    TGridEvaluationInput in;
    in.chunks = &chunks;
    in.strategies = useTest ? &testStrategies : &pathItems;
    in.features = source->File->features.get();
    in.log = source->File;
    in.joinValue = [this] { return StrToFloatDot(actionChild->EditValue->text().toStdString()); };
    in.testAll = cbTestAll->isChecked();
    in.noLastNode = cbNoLastNode->isChecked();
    in.verbose = VerboseState();
    in.settings = {EditMinConf->text().toStdString(), EditMinDiff->text().toStdString(),
                   EditMinDist->text().toStdString(), EditMaxDist->text().toStdString()};
    const TGridEvaluationOutput out = RunGridEvaluation(in);
    WriteRuleTestLines(out.lines, in.verbose);
    if (!out.error.empty())
        platform::MessageBox(this, QString::fromStdString(out.error), "Error");
}
