// Running the strategy window: attaching it to an action-graph window and
// showing it, the link through which the action-graph window reaches it, and
// the small handlers of the lists, the grid and the dialogs.
#include "strategy/FormStrategy.h"

#include "strategy/model/Sweep.h"

#include "actiongraph/childActionWin.h"
#include "platform/Hooks.h"
#include "platform/qt/Dialogs.h"
#include "ui/Program.h"
#include "ui/waitFormWin.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

void TFormStrategy::Init(TMDIActionChild* child, bool batch, tTest* batchTarget)
{
    if (!child) {
        platform::Beep();
        return;
    }
    Attach(child, batchTarget);
    if (batch) {
        btnFindTestClick();
        return;
    }
    if (!testChunks.empty()) {
        btnFindTestClick();
        if (child->cbTestAll->isChecked()) {
            RunTestAllStep();
            return;
        }
    } else if (!EditStartCycle->text().isEmpty()) {
        if (lbPath->count() > 0)
            lbPath->setCurrentRow(0);
        btnFindStartClick();
        if (child->cbTestAll->isChecked()) {
            RunParameterSweep();
            return;
        }
    }
    // The searches above may have let go of the window (a rebuilt graph, a
    // closed window): what is left of it decides.
    if (actionChild == child && child->cbGenerateAll->isChecked()) {
        cbComputerOutput->setChecked(true);
        show();
        raise();
        activateWindow();
        btnAllRulesClick();
    } else {
        // The user's own commands in the window are commands of their own.
        const TLearnerPause pause(learners);
        const WaitPause waitPause;
        platform::ShowModal(this);
    }
}

bool TFormStrategy::HasTestStrategy() const { return !testChunks.empty() || !EditStartCycle->text().isEmpty(); }

void TFormStrategy::SeriesEnded(TMDIActionChild* child, const std::string& series)
{
    std::string line = "// " + series;
    if (learners.Cancelled())
        line += " ended by Cancel";
    else if (!learners.FirstFailureText().empty())
        line += " stopped: " + CommentText(learners.FirstFailureText());
    else if (series == "Test all")
        line += TestAllEnding(StrategyName(testChunks, child ? child->Depths : TNameDepths{}), testMissedAt_,
                              testFoundSteps_);
    else
        line += " done";
    MemoRules->appendPlainText(QString::fromStdString(line));
    if (child && (child == actionChild || !actionChild))
        Attach(child, nullptr);
    show();
    raise();
    activateWindow();
}

void TFormStrategy::ResetAndShow()
{
    // The lists hold paths of the windows let go of: nothing may reach their
    // graphs through them any more.
    actionChild = nullptr;
    graph = nullptr;
    testChild = nullptr;
    testGraph = nullptr;
    // The batch run that ends here frees its test records next.
    target = nullptr;
    ClearStrategyLists();
    const TLearnerPause pause(learners);
    platform::ShowModal(this);
}

void TFormStrategy::SetTestGraph(TMDIActionChild* child)
{
    testChild = child;
    if (child) {
        Connect(child);
        btnGenerateTestGraphClick();
    } else {
        btnClearTestClick();
    }
}

void TFormStrategy::AppendMemo(const std::string& line) { MemoRules->appendPlainText(QString::fromStdString(line)); }

void TFormStrategy::lbPathClick()
{
    if (!RequireAttached())
        return;
    const int row = lbPath->currentRow();
    if (row < 0 || row >= pathItems.Count())
        return;
    // One item without text: the window draws this path alone. The path stays
    // shared with the strategy lists.
    TPathList one(false);
    one.Add("", pathItems.Path(row));
    actionChild->SetPaths(one, 0, true);
}

void TFormStrategy::lbPathDblClick() { btnUpdateSimilarClick(); }

void TFormStrategy::lbSimilarDblClick()
{
    if (RequireAttached())
        BtnRulesClick(lbSimilar);
}

void TFormStrategy::BtnSaveRulesClick()
{
    if (RequireAttached())
        BtnRulesClick(nullptr);
}

void TFormStrategy::BtnBrowseClick()
{
    // The name chosen is no file of its own: each node's dataset goes beside
    // it under the node's name (st1-<node>.arff), and the run that would
    // replace one asks then. Nothing is asked here.
    const platform::FileDialogResult r = platform::SaveFileDialog(this, "Save As", saveFilter, saveSuffix, {},
                                                                  [](const QString&) { return QStringList(); });
    if (!r.accepted || r.files.isEmpty())
        return;
    dataFileName = r.files.front().toStdString();
    EditFName->setText(r.files.front());
}

void TFormStrategy::BtnBrowseResultsClick()
{
    // The results are read from their fixed place; the choice only shows the file exists.
    platform::OpenFileDialog(this, "Open", "Weka results file (*)", false);
}

void TFormStrategy::BtnCloseClick() { reject(); }

void TFormStrategy::done(int result)
{
    // The window showed single strategies in the attached window's path list:
    // left so, that window would keep drawing the last one only.
    if (actionChild) {
        if (!windowPaths_.Empty()) {
            int chosen = -1;
            const TPathList own = windowPaths_.Restore(chosen);
            actionChild->SetPaths(own, chosen, false);
        }
        actionChild->DrawGraph();
    }
    QDialog::done(result);
}

void RegisterStrategyWindow()
{
    SetStrategyWindowMaker([]() -> QWidget* {
        FormStrategy = new TFormStrategy;
        SetStrategyLink(FormStrategy);
        return FormStrategy;
    });
}
