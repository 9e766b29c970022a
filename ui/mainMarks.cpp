// The "Marks" page of the main window: adding and removing time marks by a cycle
// number or by a criteria expression, inverting, filling, clearing, the
// clipboard, and jumping to a mark. The marks themselves are a TimeMarks model;
// lbMarks only shows them.
#include "ui/main.h"

#include "core/expr/Criteria.h"
#include "core/model/Common.h"
#include "core/model/Format.h"
#include "core/model/RoboCupFile.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/System.h"
#include "ui/Application.h"
#include "ui/FormControls.h"
#include "ui/OpenLogs.h"
#include "ui/childFieldWin.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

// The cycle of the selected mark; false when no item is selected.
bool SelectedMark(const QListWidget* list, int& cycle)
{
    const QListWidgetItem* item = list->currentItem();
    if (item == nullptr || !item->isSelected())
        return false;
    try {
        cycle = StrToIntTrim(item->text().toStdString());
        return true;
    } catch (const EConvertError&) {
        return false;
    }
}

}  // namespace

void TMainForm::ConnectMarksHandlers()
{
    // The model keeps the marks in numeric order; text order would put "    -1"
    // after "     3".
    lbMarks->setSortingEnabled(false);
    lbMarks->setSelectionMode(QAbstractItemView::SingleSelection);
    Marks.SetOnChanged([this] { ShowMarks(); });
    // The count follows the list itself, whatever changed it; items that
    // another window put into the list directly become marks as well.
    QAbstractItemModel* items = lbMarks->model();
    auto listChanged = [this] {
        lNumMarks->setText(QString::number(lbMarks->count()));
        if (!showingMarks_)
            ReadMarksFromList();
    };
    connect(items, &QAbstractItemModel::rowsInserted, &marksWatch_, listChanged);
    connect(items, &QAbstractItemModel::rowsRemoved, &marksWatch_, listChanged);
    connect(items, &QAbstractItemModel::modelReset, &marksWatch_, listChanged);
    connect(items, &QAbstractItemModel::dataChanged, &marksWatch_, listChanged);
    ConnectClicks({{BtnAddMarks, &TMainForm::BtnAddMarksClick},
                   {BtnRemoveMarks, &TMainForm::BtnRemoveMarksClick},
                   {BtnClearMarks, &TMainForm::BtnClearMarksClick},
                   {BtnResetMarks, &TMainForm::BtnResetMarksClick},
                   {btnInvertMarks, &TMainForm::btnInvertMarksClick},
                   {btnPasteMarks, &TMainForm::btnPasteMarksClick},
                   {BtnCopyMarks, &TMainForm::BtnCopyMarksClick}});
    connect(lbMarks, &QListWidget::itemClicked, this, [this] { lbMarksClick(); });
    connect(lbMarks, &QListWidget::itemDoubleClicked, this, [this] { lbMarksDblClick(); });
    ShowMarks();
}

void TMainForm::ShowMarks()
{
    // Stepping through the marks goes on from the selected one: it stays
    // selected (by its cycle) while it is still a mark.
    int selected = 0;
    const bool hadSelection = SelectedMark(lbMarks, selected);
    QStringList texts;
    texts.reserve(Marks.Count());
    int keep = -1;
    for (int c : Marks.Cycles()) {
        if (hadSelection && keep < 0 && c == selected)
            keep = static_cast<int>(texts.size());
        texts << QString::fromStdString(FormatInt6(c));
    }
    showingMarks_ = true;
    lbMarks->setUpdatesEnabled(false);
    lbMarks->clear();
    lbMarks->addItems(texts);
    if (keep >= 0)
        lbMarks->setCurrentRow(keep, QItemSelectionModel::ClearAndSelect);
    lbMarks->setUpdatesEnabled(true);
    showingMarks_ = false;
    lNumMarks->setText(QString::number(lbMarks->count()));
}

void TMainForm::ReadMarksFromList()
{
    // Marks takes the items as they are; the list is redrawn in order only at
    // the next change of Marks, not inside the list's own signal.
    std::vector<int> cycles;
    cycles.reserve(static_cast<std::size_t>(lbMarks->count()));
    for (int i = 0; i < lbMarks->count(); ++i) {
        try {
            cycles.push_back(StrToIntTrim(lbMarks->item(i)->text().toStdString()));
        } catch (const EConvertError&) {
            // An item that is no cycle marks nothing.
        }
    }
    Marks.SetOnChanged(nullptr);
    Marks.Assign(std::move(cycles));
    Marks.SetOnChanged([this] { ShowMarks(); });
}

bool TMainForm::MarksCriteriaCycles(std::vector<int>& cycles)
{
    // A criteria is evaluated on the current log: without one it says so, as
    // the window buttons do.
    if (NoCurrentLog())
        return false;
    std::string error;
    cycles = CriteriaCycles(*Logs->Current(), MemoMarksFunction->toPlainText().toStdString(), error);
    if (error.empty())
        return true;
    platform::MessageBox(this, QString::fromStdString(error), "Function evaluation error !", platform::Buttons::Ok);
    return false;
}

void TMainForm::BtnAddMarksClick()
{
    if (cbUseCriteriaFunction->isChecked()) {
        std::vector<int> cycles;
        if (MarksCriteriaCycles(cycles))
            Marks.AddAll(std::move(cycles));
        return;
    }
    // A cycle is one of the current log's, as a criteria's cycles are.
    if (NoCurrentLog())
        return;
    RunGuarded([this] { Marks.Add(StrToIntTrim(MemoMarksFunction->toPlainText().toStdString())); });
}

void TMainForm::BtnRemoveMarksClick()
{
    if (cbUseCriteriaFunction->isChecked()) {
        std::vector<int> cycles;
        if (MarksCriteriaCycles(cycles))
            Marks.RemoveAll(std::move(cycles));
        return;
    }
    int cycle = 0;
    if (!SelectedMark(lbMarks, cycle) || Marks.RemoveAll({cycle}) == 0)
        platform::SystemBeep();
}

void TMainForm::btnInvertMarksClick()
{
    if (NoCurrentLog())
        return;
    Marks.Invert(Logs->Current()->cycles);
}

void TMainForm::BtnResetMarksClick()
{
    if (NoCurrentLog())
        return;
    Marks.Reset(Logs->Current()->cycles);
}

void TMainForm::BtnClearMarksClick() { Marks.Clear(); }

void TMainForm::btnPasteMarksClick()
{
    // Every token is read before the marks change: a bad one costs no marks.
    const std::string text = platform::ClipboardText().toStdString();
    RunGuarded([this, &text] {
        if (!Marks.Paste(text))
            platform::MessageBox(this, "The clipboard holds no time marks: the marks are kept", "Warning");
    });
}

void TMainForm::BtnCopyMarksClick() { platform::SetClipboardText(QString::fromStdString(Marks.ToText())); }

void TMainForm::lbMarksClick()
{
    int cycle = 0;
    if (SelectedMark(lbMarks, cycle))
        TrackBar1->setValue(cycle);
}

void TMainForm::lbMarksDblClick()
{
    int cycle = 0;
    if (!SelectedMark(lbMarks, cycle))
        return;
    lbMarksClick();
    BtnAdd2dClick();
    // The new field window stays at the mark while the slider moves on.
    QMdiSubWindow* active = MdiArea->activeSubWindow();
    if (auto* field = qobject_cast<TMDIFieldChild*>(active ? active : MdiArea->currentSubWindow())) {
        field->cbDynamicTimeRange->setChecked(false);
        field->PanelShowHideClick();
    }
}
