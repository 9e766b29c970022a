// The main window's "Test" with the program's strategy window.
#include "strategy/BatchTest.h"

#include "strategy/FormStrategy.h"

#include "ui/MainServices.h"
#include "ui/Program.h"
#include "ui/TeamDlg.h"
#include "ui/main.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

#include <memory>

void TWindowBatchStrategy::Init(TMDIActionChild* child, bool batch, tTest* target) { form_.Init(child, batch, target); }
void TWindowBatchStrategy::SetTestGraph(TMDIActionChild* child) { form_.SetTestGraph(child); }
void TWindowBatchStrategy::SetTestChunks(const TChunkList& source) { form_.SetTestChunks(source); }
const TChunkList& TWindowBatchStrategy::TestChunks() const { return form_.testChunks; }
const TChunkList& TWindowBatchStrategy::Chunks() const { return form_.chunks; }
void TWindowBatchStrategy::SetMemo(const std::vector<std::string>& lines)
{
    QString text;
    for (const std::string& line : lines)
        text += (text.isEmpty() ? "" : "\n") + QString::fromStdString(line);
    form_.MemoRules->setPlainText(text);
}
void TWindowBatchStrategy::ForgetTarget() { form_.target = nullptr; }
void TWindowBatchStrategy::ResetAndShow() { form_.ResetAndShow(); }
bool TWindowBatchStrategy::StrategyFound() const { return form_.lbPath->currentRow() >= 0; }
void TWindowBatchStrategy::BeginCommand() { form_.learners.Begin(); }
void TWindowBatchStrategy::EndCommand() { form_.learners.End(); }
bool TWindowBatchStrategy::Cancelled() const { return form_.learners.Cancelled(); }
int TWindowBatchStrategy::FailedRuns() const { return form_.learners.FailedRuns(); }
std::string TWindowBatchStrategy::RunFailure() const { return form_.learners.FirstFailureText(); }
int TWindowBatchStrategy::NotLearntRuns() const { return form_.learners.NotLearntRuns(); }
std::string TWindowBatchStrategy::NotLearnt() const { return form_.learners.FirstNotLearnt(); }

void BatchTestCommand(TMainForm& form)
{
    if (!FormStrategy)
        return;
    // The program's chooser; a main window of its own (tests) makes one.
    std::unique_ptr<TChooseTeamDlg> own;
    TChooseTeamDlg* dialog = ChooseTeamDlg;
    if (!dialog) {
        own = std::make_unique<TChooseTeamDlg>(&form);
        dialog = own.get();
    }
    dialog->Logs = form.Logs;
    dialog->EditPrefix->clear();
    // Cancel in the chooser ends "Test" with nothing run and nothing shown.
    if (dialog->ShowModal() != QDialog::Accepted)
        return;
    const std::string team = dialog->GetTeamName().toStdString();
    const std::string prefix = dialog->EditPrefix->text().toStdString();
    TMainFormServices services(form);
    TWindowBatchStrategy strategy(*FormStrategy);
    RunBatchTest(services, strategy, &team, prefix);
}

void RegisterBatchTest() { SetBatchTestRunner(&BatchTestCommand); }
