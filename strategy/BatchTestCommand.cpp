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

namespace {
class TWindowBatchStrategy : public TBatchStrategy {
public:
    explicit TWindowBatchStrategy(TFormStrategy& form) : form_(form) {}

    void Init(TMDIActionChild* child, bool batch, tTest* target) override { form_.Init(child, batch, target); }
    void SetTestGraph(TMDIActionChild* child) override { form_.SetTestGraph(child); }
    void SetTestChunks(const TChunkList& source) override { form_.SetTestChunks(source); }
    const TChunkList& TestChunks() const override { return form_.testChunks; }
    const TChunkList& Chunks() const override { return form_.chunks; }
    void SetMemo(const std::vector<std::string>& lines) override
    {
        QString text;
        for (const std::string& line : lines)
            text += (text.isEmpty() ? "" : "\n") + QString::fromStdString(line);
        form_.MemoRules->setPlainText(text);
    }
    void ForgetTarget() override { form_.target = nullptr; }
    void ResetAndShow() override { form_.ResetAndShow(); }
    bool StrategyFound() const override { return form_.lbPath->currentRow() >= 0; }
    void BeginCommand() override { form_.learners.Begin(); }
    void EndCommand() override { form_.learners.End(); }
    bool Cancelled() const override { return form_.learners.Cancelled(); }
    int FailedRuns() const override { return form_.learners.FailedRuns(); }
    std::string LearnerFailure() const override { return form_.learners.FirstFailure(); }

private:
    TFormStrategy& form_;
};
}  // namespace

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
    const bool chosen = dialog->ShowModal() == QDialog::Accepted;
    const std::string team = dialog->GetTeamName().toStdString();
    const std::string prefix = dialog->EditPrefix->text().toStdString();
    TMainFormServices services(form);
    TWindowBatchStrategy strategy(*FormStrategy);
    RunBatchTest(services, strategy, chosen ? &team : nullptr, prefix);
}

void RegisterBatchTest() { SetBatchTestRunner(&BatchTestCommand); }
