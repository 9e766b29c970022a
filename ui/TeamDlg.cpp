#include "ui/TeamDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>

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
    Label1->move(8, 134);
    Label1->adjustSize();

    // The edit ends under the list's right edge; it starts after the label,
    // which a wide system font can push past its usual place.
    EditPrefix = new QLineEdit(this);
    EditPrefix->setObjectName("EditPrefix");
    const int left = std::max(88, Label1->geometry().right() + 5);
    EditPrefix->setGeometry(left, 130, 209 - left, 22);
}
