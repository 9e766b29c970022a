// The "Data" page's expression channels: the editor of field names and
// expressions (rows added with Insert or Down past the last row, deleted with
// Ctrl+Delete, names kept unique), making the channels on the current log, and
// loading and saving the definitions.
#include "ui/main.h"

#include "core/expr/Expression.h"
#include "core/expr/UserChannels.h"
#include "core/io/FieldsFile.h"
#include "core/model/RoboCupFile.h"
#include "platform/Hooks.h"
#include "platform/SaveFile.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/SavePicture.h"
#include "ui/OpenLogs.h"
#include "ui/childChartWin.h"
#include "ui/childDataWin.h"
#include "ui/waitFormWin.h"

#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QMdiArea>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>

#include <algorithm>
#include <memory>
#include <new>

namespace {

constexpr const char* kFieldsFilter = "Text files (*.txt)";
constexpr const char* kFieldsFile = "fields.txt";

// Where a name cell keeps the last name it was given that was not refused.
constexpr int kKeptName = Qt::UserRole;

QString CellText(const QTableWidget* table, int row, int column)
{
    const QTableWidgetItem* item = table->item(row, column);
    return item != nullptr ? item->text() : QString();
}

// The editing keys of a value list: Insert adds a row under the current one,
// Down on the last row adds one when that row holds something, Ctrl+Delete
// deletes the current row.
class FieldKeys : public QObject {
public:
    explicit FieldKeys(QTableWidget* table) : QObject(table), table_(table) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        const auto* key = static_cast<QKeyEvent*>(event);
        const int row = table_->currentRow();
        if (key->key() == Qt::Key_Insert) {
            table_->insertRow(row + 1);
            table_->setCurrentCell(row + 1, 0);
            return true;
        }
        if (key->key() == Qt::Key_Down && row == table_->rowCount() - 1 &&
            !(CellText(table_, row, 0).isEmpty() && CellText(table_, row, 1).isEmpty())) {
            table_->insertRow(row + 1);
            table_->setCurrentCell(row + 1, table_->currentColumn());
            return true;
        }
        if (key->key() == Qt::Key_Delete && (key->modifiers() & Qt::ControlModifier) && row >= 0) {
            table_->removeRow(row);
            if (table_->rowCount() == 0)
                table_->setRowCount(1);  // the editor always offers a row to type in
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QTableWidget* table_;
};

}  // namespace

void TMainForm::ConnectFieldHandlers()
{
    ConnectClicks({{BtnAddFunctionSeries, &TMainForm::BtnAddFunctionSeriesClick},
                   {BtnLoadFields, &TMainForm::BtnLoadFieldsClick},
                   {BtnSaveFields, &TMainForm::BtnSaveFieldsClick}});
    vlFunctions->installEventFilter(new FieldKeys(vlFunctions));
    // Unique keys: a name typed a second time is refused, and the cell gets
    // back the name it had before.
    connect(vlFunctions, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() != 0)
            return;
        const QString name = item->text();
        for (int r = 0; !name.isEmpty() && r < vlFunctions->rowCount(); ++r) {
            if (r != item->row() && CellText(vlFunctions, r, 0) == name) {
                {
                    const QSignalBlocker quiet(vlFunctions);
                    item->setText(item->data(kKeptName).toString());
                }
                platform::MessageBox(this, "Duplicate Name: A key with the name \"" + name + "\" already exists",
                                     "Error");
                return;
            }
        }
        const QSignalBlocker quiet(vlFunctions);
        item->setData(kKeptName, name);
    });
}

std::vector<FieldDefinition> TMainForm::FieldRows() const
{
    std::vector<FieldDefinition> rows;
    for (int r = 0; r < vlFunctions->rowCount(); ++r)
        rows.push_back({CellText(vlFunctions, r, 0).toStdString(), CellText(vlFunctions, r, 1).toStdString()});
    return rows;
}

void TMainForm::SetFieldRows(const std::vector<FieldDefinition>& rows)
{
    // The new cells are made before the old rows go, so that running out of
    // memory on the way leaves the editor as it was.
    std::vector<std::unique_ptr<QTableWidgetItem>> cells;
    cells.reserve(rows.size() * 2);
    for (const FieldDefinition& f : rows) {
        cells.push_back(std::make_unique<QTableWidgetItem>(QString::fromStdString(f.name)));
        cells.back()->setData(kKeptName, cells.back()->text());
        cells.push_back(std::make_unique<QTableWidgetItem>(QString::fromStdString(f.expression)));
    }
    // Rows set as a whole are not typed: the unique-key check stays out.
    const bool blocked = vlFunctions->blockSignals(true);
    vlFunctions->clearContents();
    vlFunctions->setRowCount(std::max(1, static_cast<int>(rows.size())));
    for (std::size_t i = 0; i < cells.size(); ++i)
        vlFunctions->setItem(static_cast<int>(i / 2), static_cast<int>(i % 2), cells[i].release());
    vlFunctions->blockSignals(blocked);
}

void TMainForm::BtnAddFunctionSeriesClick()
{
    if (NoCurrentLog())
        return;
    RoboCupFileT* log = Logs->Current();
    UserChannelsRun run;
    int made = 0;
    {
        const WaitCommand wait("Adding new data series ...", nullptr, true);
        // Asking the wait window lets events through: every 50 ms is enough to
        // see a Cancel, and keeps thousands of short rows from waiting on it;
        // every 64th row is asked too, so that a Cancel lands within a known
        // number of rows however fast they go.
        QElapsedTimer sinceAsked;
        int rowsAsked = 0;
        run = CreateUserChannels(
            *log, FieldRows(),
            [this, &made] {
                // The tree shows the leaves as their number doubles, and all
                // of them at the end: a refill after each of thousands of
                // leaves would cost the square of their number.
                ++made;
                if ((made & (made - 1)) == 0)
                    FillDataTree();
                platform::ProcessPendingEvents();
            },
            [&sinceAsked, &rowsAsked] {
                if (sinceAsked.isValid() && sinceAsked.elapsed() < 50 && ++rowsAsked % 64 != 0)
                    return false;
                sinceAsked.start();
                return WaitFormCancelled();
            });
    }
    // Cancel may have taken back leaves the tree already showed; the data
    // and chart windows of the log show what the channels hold now.
    if (run.cancelled || made > 0)
        FillDataTree();
    for (QMdiSubWindow* window : MdiArea->subWindowList()) {
        if (auto* data = qobject_cast<TMDIDataChild*>(window); data != nullptr && data->File == log)
            data->FollowChannels();
        if (auto* chart = qobject_cast<TMDIChartChild*>(window); chart != nullptr && chart->File == log)
            chart->FollowChannels();
    }
    // Cancel ends the command, its message included. One message for all
    // refused rows: thousands of them are no reason for a box each.
    if (!run.cancelled && !run.refused.empty())
        platform::MessageBox(this, QString::fromStdString(DescribeRefusals(run.refused)), "Error");
}

void TMainForm::BtnLoadFieldsClick()
{
    const platform::FileDialogResult chosen =
        platform::OpenFileDialog(this, "Open", kFieldsFilter, false, kFieldsFile, "txt");
    if (!chosen.accepted || chosen.files.isEmpty())
        return;
    const QString path = chosen.files.front();
    // The whole file is read and checked before the editor changes: a wrong
    // file, one that cannot be read, or memory running out costs no rows.
    try {
        const FieldsRead read = LoadFieldsFile(path.toStdString(), kMaxExpressionLength);
        if (!read.error.empty()) {
            platform::MessageBox(this, QString::fromStdString(read.error), "Error");
            return;
        }
        SetFieldRows(read.fields);
    } catch (const std::bad_alloc&) {
        platform::MessageBox(this, "Cannot load \"" + path + "\": there is not enough memory", "Error");
    }
}

void TMainForm::BtnSaveFieldsClick()
{
    // No file is chosen, let alone replaced, for nothing: an empty fields file
    // is one that "Load fields" refuses.
    const std::vector<FieldDefinition> rows = FieldRows();
    if (std::ranges::all_of(rows, &FieldDefinition::Blank)) {
        platform::MessageBox(this, "No fields to save: every row of the editor is empty", "Error");
        return;
    }
    // Only what "Load fields" reads back as the same rows is written: told
    // before a file is chosen, never after the question whether to replace it.
    if (const std::string unsavable = UnsavableFieldRow(rows, kMaxExpressionLength); !unsavable.empty()) {
        platform::MessageBox(this, "Cannot save the fields: " + QString::fromStdString(unsavable), "Error");
        return;
    }
    const platform::FileDialogResult chosen = platform::SaveFileDialog(this, "Save As", kFieldsFilter, "txt", kFieldsFile);
    if (!chosen.accepted || chosen.files.isEmpty())
        return;
    const QString path = chosen.files.front();
    platform::SaveError error;
    if (!platform::SaveFile(QFile::encodeName(path).toStdString(),
                            [&](std::ostream& out) { WriteFieldDefinitions(out, rows); }, &error))
        platform::MessageBox(this, platform::SaveFailureText(error, path), "Error");
}
