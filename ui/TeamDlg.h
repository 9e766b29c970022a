// The team chooser: a modal dialog listing the teams of the open logs, with an
// optional prefix for the merged log's name.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class TChooseTeamDlg : public QDialog {
    Q_OBJECT
public:
    explicit TChooseTeamDlg(QWidget* parent = nullptr);

    QListWidget* lbTeams = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* EditPrefix = nullptr;

    // The chosen team; empty until a choice is accepted.
    const QString& GetTeamName() const { return TeamName; }

protected:
    QString TeamName;
};

// The team chooser; created by the program entry for the whole run.
extern TChooseTeamDlg* ChooseTeamDlg;
