// The main window's "Merge Files": the team chooser, the merge of the team's
// logs into one new log, and the windows that open on it.
#include "ui/main.h"

#include "core/load/MergeLogs.h"
#include "core/model/RoboCupFile.h"
#include "platform/qt/Dialogs.h"
#include "ui/FormControls.h"
#include "ui/OpenLogs.h"
#include "ui/Program.h"
#include "ui/TeamDlg.h"
#include "ui/waitFormWin.h"

#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSlider>

#include <memory>

namespace {

// Removes the wait window at the end of a scope only when the scope showed it:
// an outer operation that shows it keeps it.
class OwnWaitForm {
public:
    explicit OwnWaitForm(const QString& text) : shown_(ShowWaitForm(text)) {}
    ~OwnWaitForm()
    {
        if (shown_)
            HideWaitForm();
    }
    OwnWaitForm(const OwnWaitForm&) = delete;
    OwnWaitForm& operator=(const OwnWaitForm&) = delete;

private:
    bool shown_;
};

}  // namespace

void TMainForm::ConnectMergeHandlers()
{
    ConnectClicks({{BtnMergeFiles, &TMainForm::BtnMergeFilesClick}, {BtnTestFiles, &TMainForm::BtnTestFilesClick}});
}

void TMainForm::BtnTestFilesClick()
{
    // Without an open log the chooser would offer no team to test.
    if (NoCurrentLog())
        return;
    if (BatchTestRunner run = InstalledBatchTest())
        run(*this);
}

void TMainForm::BtnMergeFilesClick()
{
    // Without an open log the chooser would offer no team to merge.
    if (NoCurrentLog())
        return;
    // The program's chooser; a main window of its own (tests) makes one.
    std::unique_ptr<TChooseTeamDlg> own;
    TChooseTeamDlg* dialog = ChooseTeamDlg;
    if (dialog == nullptr) {
        own = std::make_unique<TChooseTeamDlg>(this);
        dialog = own.get();
    }
    dialog->Logs = Logs;
    dialog->EditPrefix->clear();
    if (dialog->ShowModal() == QDialog::Accepted) {
        RoboCupFileT* merged = nullptr;
        {
            WaitFormGuard wait("Merging files ...");
            const QString team = dialog->GetTeamName();
            const QString name = team + dialog->EditPrefix->text();
            std::vector<RoboCupFileT*> open;
            for (int i = 0; i < Logs->Count(); ++i)
                open.push_back(Logs->At(i));
            // An earlier merged log of the same name is no source: the new one replaces it.
            const std::vector<RoboCupFileT*> sources = MergeSources(open, team.toStdString(), name.toStdString());
            merged = MergeFiles(name, team, sources);
            if (merged != nullptr) {
                // The merged log stands in for its sources, which go with their windows.
                for (RoboCupFileT* source : sources)
                    RemoveFileEntry(source);
                // A source's window that came forward as another closed made
                // its log current and took it along: the roles and the windows
                // below are the merged log's.
                SelectCurrentFile(QString::fromStdString(merged->fileName), true);
                cbUseRolesClick();
            }
        }
        if (merged != nullptr) {
            BtnAdd2dClick();
            btnAnalyzeClick();
            SelectCurrentFile(QString::fromStdString(merged->fileName), true);
        }
    }
    // Cancel, or a merge that failed, changed no log: the user's current log stays.
    lbFiles->viewport()->repaint();
}

RoboCupFileT* TMainForm::MergeFiles(const QString& name, const QString& team, const std::vector<RoboCupFileT*>& logs)
{
    OwnWaitForm wait("Merging files ...");
    const std::vector<const RoboCupFileT*> sources(logs.begin(), logs.end());
    std::unique_ptr<RoboCupFileT> merged = MergeLogs(name.toStdString(), team.toStdString(), sources);
    if (!merged) {
        platform::MessageBox(this, "No open log has the team \"" + team + "\"", "Error", platform::Buttons::Ok);
        return nullptr;
    }
    // Only now that the merge has read them may an earlier merged log of the
    // same name go.
    if (RoboCupFileT* old = Logs->Find(merged->fileName))
        RemoveFileEntry(old);
    return AddCurrentLog(std::move(merged));
}
