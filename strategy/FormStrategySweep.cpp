#include "strategy/FormStrategy.h"

#include "strategy/model/Sweep.h"

#include "actiongraph/childActionWin.h"
#include "platform/qt/System.h"

#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

void TFormStrategy::sgStrategyMouseDown(Qt::MouseButton button)
{
    if (button == Qt::RightButton)
        RunParameterSweep();
}

void TFormStrategy::RunParameterSweep()
{
    if (!actionChild)
        return;
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
            BtnRulesClick(nullptr);
            // A message box of the learner can let the graph window close.
            if (!actionChild)
                return;
            BtnTestRulesClick();
        }
        // Shows the progress; user input waits, so nothing can change the
        // lists while the sweep still works on them.
        platform::ProcessPendingEventsNoInput();
        if (!actionChild)
            return;
    }
    if (testChild)
        testChild->ClearPaths(testStrategies);
    actionChild->ClearPaths();
    // The strategy lists were copies of the path box: they follow it, so no
    // strategy of the old search stays offered.
    allStrategies = TPathList(false);
    pathItems = TPathList(false);
    for (const TPathItem& item : actionChild->Paths.Items()) {
        allStrategies.Add(item.text, item.path);
        pathItems.Add(item.text, item.path);
    }
    similarItems.Clear();
    ShowList(lbPath, pathItems);
    ShowList(lbSimilar, similarItems);
    lStrategyCount->setText("#" + QString::number(lbPath->count()));
    lSimilarCount->setText("#0");
}

void TFormStrategy::BtnCheckRulesClick()
{
    TMDIActionChild* child = testChild ? testChild : actionChild;
    if (!child || !child->File || !child->File->features)
        return;
    const Qt::CheckState verbose = cbVerbose->checkState();
    const TRuleCheck check =
        CheckRules(*child->File->features, chunks, cbNoLastNode->isChecked(), verbose != Qt::Unchecked);
    if (verbose != Qt::Unchecked)
        MemoRules->clear();
    MemoRules->appendPlainText(QString::fromStdString(check.text));
}
