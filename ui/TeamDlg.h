// The team chooser: a modal dialog listing the teams of the open logs, with an
// optional prefix for the merged log's name.
#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class TOpenLogs;

class TChooseTeamDlg : public QDialog {
    Q_OBJECT
public:
    explicit TChooseTeamDlg(QWidget* parent = nullptr);

    QListWidget* lbTeams = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* EditPrefix = nullptr;

    // The logs whose teams the list offers (not owned; null: none).
    const TOpenLogs* Logs = nullptr;

    // The chosen team; empty until a choice is accepted.
    const QString& GetTeamName() const { return TeamName; }

    // Fills lbTeams, each time the dialog is shown and as the prefix changes:
    // every team of the open logs once, whatever its letter case, sorted, as
    // "name (count x)" with count the logs and sides a merge under that prefix
    // would take; the first team of the largest count selected (on a change of
    // the prefix, the team chosen before while it is listed).
    void FormShow();
    // Accept the selected team (the entry up to its " ("); without a selection
    // "No team selected !" and the dialog stays.
    void OKBtnClick();
    void lbTeamsDblClick() { OKBtnClick(); }

    // Shows the dialog modally and returns its result (QDialog::Accepted or
    // Rejected) through ModalRunner: tests answer the dialog there.
    int ShowModal();
    static std::function<int(TChooseTeamDlg&)>& ModalRunner();

protected:
    void showEvent(QShowEvent* event) override;

    QString TeamName;
};

// The team chooser; created by the program entry for the whole run.
extern TChooseTeamDlg* ChooseTeamDlg;
