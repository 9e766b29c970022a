#include "ui/TeamDlg.h"

#include "core/load/MergeLogs.h"
#include "platform/qt/Dialogs.h"
#include "ui/OpenLogs.h"

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
    // Filled in its own order: the widget's sorting would differ from it.
    lbTeams->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(lbTeams, &QListWidget::itemDoubleClicked, this, [this] { lbTeamsDblClick(); });

    OKBtn = new QPushButton("OK", this);
    OKBtn->setObjectName("OKBtn");
    OKBtn->setGeometry(220, 8, 75, 25);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });

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
    // The prefix names the merge, and with it which earlier merge it leaves out.
    connect(EditPrefix, &QLineEdit::textChanged, this, [this] {
        if (isVisible())
            FormShow();
    });
}

void TChooseTeamDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TChooseTeamDlg::FormShow()
{
    std::vector<const RoboCupFileT*> logs;
    for (int i = 0; Logs && i < Logs->Count(); ++i)
        logs.push_back(Logs->At(i));
    const TeamList list = CountTeams(logs, EditPrefix->text().toStdString());
    // A new count for another prefix keeps the user's choice where it stays listed.
    const QListWidgetItem* chosen = isVisible() ? lbTeams->currentItem() : nullptr;
    const std::string team = chosen ? TeamOfEntry(chosen->text().toStdString()) : std::string();
    lbTeams->clear();
    int row = list.best;
    for (std::size_t i = 0; i < list.teams.size(); ++i) {
        lbTeams->addItem(QString::fromStdString(TeamEntryText(list.teams[i])));
        if (chosen && list.teams[i].name == team)
            row = static_cast<int>(i);
    }
    if (row >= 0)
        lbTeams->setCurrentRow(row);
}

void TChooseTeamDlg::OKBtnClick()
{
    const QList<QListWidgetItem*> selected = lbTeams->selectedItems();
    if (selected.isEmpty()) {
        platform::MessageBox(this, "No team selected !", "Error", platform::Buttons::Ok);
        return;
    }
    TeamName = QString::fromStdString(TeamOfEntry(selected.front()->text().toStdString()));
    accept();
}

std::function<int(TChooseTeamDlg&)>& TChooseTeamDlg::ModalRunner()
{
    static std::function<int(TChooseTeamDlg&)> runner = [](TChooseTeamDlg& dialog) { return dialog.exec(); };
    return runner;
}

int TChooseTeamDlg::ShowModal() { return ModalRunner()(*this); }
