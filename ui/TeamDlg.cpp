#include "TeamDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

TChooseTeamDlg* ChooseTeamDlg = nullptr;

TChooseTeamDlg::TChooseTeamDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName("ChooseTeamDlg");
    setWindowTitle("Choose a team to analyze");
    setFixedSize(304, 154);  // a dialog border: not resizable

    lbTeams = new QListWidget(this);
    lbTeams->setObjectName("lbTeams");
    lbTeams->setGeometry(4, 4, 205, 125);
    lbTeams->setSortingEnabled(true);

    OKBtn = new QPushButton("OK", this);
    OKBtn->setObjectName("OKBtn");
    OKBtn->setGeometry(220, 8, 75, 25);
    OKBtn->setDefault(true);

    CancelBtn = new QPushButton("Cancel", this);
    CancelBtn->setObjectName("CancelBtn");
    CancelBtn->setGeometry(220, 38, 75, 25);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    Label1 = new QLabel("Optional prefix:", this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(8, 136, 78, 13);

    EditPrefix = new QLineEdit(this);
    EditPrefix->setObjectName("EditPrefix");
    EditPrefix->setGeometry(88, 132, 121, 21);
}
