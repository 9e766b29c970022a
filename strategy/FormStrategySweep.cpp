#include "strategy/FormStrategy.h"

#include "strategy/model/Sweep.h"

#include "actiongraph/childActionWin.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/System.h"
#include "ui/waitFormWin.h"

#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

#include <vector>

void TFormStrategy::sgStrategyMouseDown(Qt::MouseButton button)
{
    // Without a graph (its log removed, say) the press says so instead of
    // starting nothing.
    if (button == Qt::RightButton && RequireAttached())
        RunParameterSweep();
}

namespace {

// The user's settings and choice of strategy, put back when the sweep ends,
// however it ends: the sweep only borrows the boxes.
class SweepRestore {
public:
    explicit SweepRestore(TFormStrategy& form)
        : form_(form), dropped_(form.pathListsDropped), strategy_(form.lbPath->currentRow()),
          similar_(form.lbSimilar->currentRow())
    {
        for (const QLineEdit* edit : Edits())
            texts_.push_back(edit->text());
    }
    ~SweepRestore()
    {
        const std::vector<QLineEdit*> edits = Edits();
        for (std::size_t i = 0; i < edits.size(); ++i)
            edits[i]->setText(texts_[i]);
        // Lists dropped meanwhile went with a changed graph: nothing to put back.
        if (form_.pathListsDropped != dropped_)
            return;
        if (strategy_ < form_.lbPath->count())
            form_.lbPath->setCurrentRow(strategy_);
        if (similar_ < form_.lbSimilar->count())
            form_.lbSimilar->setCurrentRow(similar_);
    }
    SweepRestore(const SweepRestore&) = delete;
    SweepRestore& operator=(const SweepRestore&) = delete;

private:
    std::vector<QLineEdit*> Edits() const
    {
        return {form_.EditMinConf, form_.EditMinDiff, form_.EditMinDist, form_.EditMaxDist, form_.EditThreshold};
    }

    TFormStrategy& form_;
    int dropped_;
    int strategy_;
    int similar_;
    std::vector<QString> texts_;
};

}  // namespace

void TFormStrategy::RunParameterSweep()
{
    if (!actionChild)
        return;
    const TLearnerCommand command(learners);
    // Every run ends in a rule test: without a test graph none could be
    // tested, and learning them first would only waste the learner's time.
    // Said once: a series of sweeps stops at it like at a failed learner.
    if (lbPath->currentRow() >= 0 && (!testGraph || !testChild)) {
        if (learners.Fail(kNoTestGraph, kNoTestGraph))
            platform::MessageBox(this, "Please assign test graph !", "Warning");
        return;
    }
    const SweepRestore restore(*this);
    const WaitCommand wait("Parameter sweep ...", WaitOver(), true);
    // Under "Test all" the rows of several sweeps collect in one memo, each
    // block under the join value it ran at.
    if (actionChild->cbTestAll->isChecked())
        MemoRules->appendPlainText(actionChild->EditValue->text());
    else
        MemoRules->clear();
    MemoRules->appendPlainText(kSweepHeader);
    for (const TSweepSetting& s : SweepSettings()) {
        EditMinConf->setText(QString::fromStdString(SweepNumber(s.conf)));
        EditMinDiff->setText(QString::fromStdString(SweepNumber(s.diff)));
        EditMinDist->setText(QString::fromStdString(SweepNumber(s.minDist)));
        EditMaxDist->setText(QString::fromStdString(SweepNumber(s.maxDist)));
        EditThreshold->setText(QString::number(s.threshold));
        if (lbPath->currentRow() >= 0) {
            learners.BeginRun();
            BtnRulesClick(nullptr);
            // A message box of the learner can let the graph window close.
            if (!actionChild)
                return;
            // Cancel ends the sweep too; its row says so unless the node's
            // line already did.
            if (learners.Cancelled()) {
                if (learners.TellCancel())
                    MemoRules->appendPlainText(QString::fromStdString(FailedSweepRow(s, "cancelled")));
                return;
            }
            if (learners.RunFailed()) {
                // Rules the learner did not give are not tested: the row says
                // the run failed, and no record takes it as a result.
                learners.CountFailedRun();
                MemoRules->appendPlainText(QString::fromStdString(FailedSweepRow(s, learners.FirstFailureText())));
            } else if (!learners.RunNotLearnt().empty()) {
                // Nor are the rules of a strategy with a node left unlearnt.
                learners.CountNotLearntRun();
                MemoRules->appendPlainText(
                    QString::fromStdString(FailedSweepRow(s, "not learnt: " + learners.RunNotLearnt())));
            } else {
                BtnTestRulesClick();
            }
        }
        // Shows the progress; user input waits, so nothing can change the
        // lists while the sweep still works on them.
        platform::ProcessPendingEventsNoInput();
        if (!actionChild)
            return;
    }
    TellNodesNotLearnt();
    // The test paths are found anew by every test; the strategies listed from
    // the window stay the user's to choose from.
    if (testChild)
        testChild->ClearPaths(testStrategies);
}

void TFormStrategy::RunTestAllStep()
{
    if (!actionChild)
        return;
    if (lbPath->currentRow() >= 0) {
        ++testFoundSteps_;
        RunParameterSweep();
        return;
    }
    const QString value = actionChild->EditValue->text();
    testMissedAt_.push_back(value.toStdString());
    MemoRules->appendPlainText(value);
    MemoRules->appendPlainText("// the test strategy is not in the graph at this join value: nothing tested");
    // As after a sweep: the test paths are found anew by the next test.
    if (testChild)
        testChild->ClearPaths(testStrategies);
}

void TFormStrategy::BtnCheckRulesClick()
{
    TMDIActionChild* child = testChild ? testChild : actionChild;
    if (!child || !child->File || !child->File->features)
        return;
    const Qt::CheckState verbose = cbVerbose->checkState();
    const TRuleCheck check = CheckRules(*child->File->features, chunks, verbose != Qt::Unchecked);
    if (verbose != Qt::Unchecked)
        MemoRules->clear();
    MemoRules->appendPlainText(QString::fromStdString(check.text));
}
