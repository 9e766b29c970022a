#include "strategy/FormStrategy.h"

#include "actiongraph/childActionWin.h"
#include "core/learning/Features.h"
#include "core/model/Common.h"
#include "core/model/RoboCupFile.h"
#include "platform/Hooks.h"
#include "platform/qt/Dialogs.h"
#include "ui/waitFormWin.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

double ReadFloat(const QLineEdit* edit) { return StrToFloatDot(edit->text().toStdString()); }

}  // namespace

TVerbose TFormStrategy::VerboseState() const
{
    switch (cbVerbose->checkState()) {
    case Qt::Unchecked:
        return TVerbose::Unchecked;
    case Qt::PartiallyChecked:
        return TVerbose::Grayed;
    default:
        return TVerbose::Checked;
    }
}

bool TFormStrategy::StartRuleTest(TNodeTestInput& in)
{
    if (!testGraph || !testChild) {
        platform::MessageBox(this, "Please assign test graph !", "Warning");
        return false;
    }
    // The weights live in the attached window; without it nothing can be measured.
    if (!actionChild) {
        platform::MessageBox(this, "No action graph attached !", "Warning");
        return false;
    }
    if (!testChild->File || !testChild->File->features) {
        platform::MessageBox(this, "The test graph's log has no features !", "Warning");
        return false;
    }
    if (!RequireLearnt())
        return false;
    try {
        in.weights.pos = ReadFloat(actionChild->EditAttrW);
        in.weights.role = ReadFloat(actionChild->EditRoleW);
        in.weights.action = ReadFloat(actionChild->EditActionW);
        in.value = ReadFloat(EditThreshold);
    } catch (const EConvertError& e) {
        platform::MessageBox(this, QString::fromStdString(e.what()), "Error");
        return false;
    }
    if (target)
        in.value = target->GetValue();
    in.chunks = &chunks;
    in.testChunks = &testChunks;
    in.targetChunks = target ? &target->GetChunks() : nullptr;
    in.testAll = cbTestAll->isChecked();
    in.verbose = VerboseState();
    in.settings = {EditMinConf->text().toStdString(), EditMinDiff->text().toStdString(),
                   EditMinDist->text().toStdString(), EditMaxDist->text().toStdString()};
    btnGenerateTestGraphClick();
    // Finding the paths anew may have let go of the test graph.
    if (!testGraph || !testChild || !testChild->File || !testChild->File->features) {
        platform::MessageBox(this, "Please assign test graph !", "Warning");
        return false;
    }
    in.graph = testGraph;
    in.features = testChild->File->features.get();
    in.log = testChild->File;
    return true;
}

bool TFormStrategy::RequireLearnt()
{
    if (chunks.empty()) {
        platform::MessageBox(this, "No rules learnt !", "Warning", platform::Buttons::Ok,
                             "\"Generate rules\" learns the rules of the chosen strategy.");
        return false;
    }
    // A node not learnt, or no learner was asked for, has no rules to test.
    if (const StrategyChunk* chunk = FirstWithoutRules(chunks)) {
        platform::MessageBox(this, QString::fromStdString("Rules of " + chunk->GetName() + " not learnt !"),
                             "Warning", platform::Buttons::Ok, QString::fromStdString(chunk->NoRulesText()));
        return false;
    }
    return true;
}

void TFormStrategy::TellNodesNotLearnt()
{
    if (learners.Nested())
        return;
    // Where the datasets kept for the user are is told as the command ends
    // (TellDatasetsKept), however it ends.
    if (const std::string line = NotLearntLine(learners.NodesNotLearnt(), learners.FirstNotLearnt()); !line.empty())
        MemoRules->appendPlainText(QString::fromStdString(line));
}

void TFormStrategy::TellDatasetsKept()
{
    if (const std::string line = learners.TakeDatasetsLine(); !line.empty())
        MemoRules->appendPlainText(QString::fromStdString(line));
}

void TFormStrategy::WriteRuleTestLines(const std::vector<std::string>& lines, TVerbose verbose)
{
    if (verbose != TVerbose::Unchecked)
        MemoRules->clear();
    QString text;
    for (const std::string& line : lines) {
        if (!text.isEmpty())
            text += '\n';
        text += QString::fromStdString(line);
    }
    if (!lines.empty())
        MemoRules->appendPlainText(text);
}

void TFormStrategy::BtnTestRulesClick()
{
    const WaitCommand wait("Testing rules ...", WaitOver(), false);
    TNodeTestInput in;
    if (!StartRuleTest(in))
        return;
    TNodeTestOutput out = RunNodeTest(in);
    if (out.asymmetric)
        platform::Beep();
    WriteRuleTestLines(out.lines, in.verbose);
    if (target) {
        if (!StoreSettings(in.settings, in.value, out.result))
            platform::MessageBox(this, "-1 !!!", "!!!");
        target->AddResult(out.result);
    }
}
