// The concept-usage window and the time marks: the items at every mark, marking
// the cycles where enough selected items hold, and selecting pasted items.
#include "ui/ChildUsageWin.h"

#include "core/model/Common.h"
#include "core/model/Format.h"
#include "core/model/RoboCupFile.h"
#include "core/model/TimeMarks.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/System.h"
#include "ui/MarksLink.h"
#include "ui/StringGrid.h"
#include "ui/waitFormWin.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QHash>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStringList>
#include <QTime>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

// Lets pending events through (never the user's but a press of Cancel) at
// most every 50 ms: a run of millions of evaluations stays responsive without
// going to the event loop for each of them. True once Cancel was pressed.
class EventPacer {
public:
    EventPacer() { clock_.start(); }
    bool Tick()
    {
        if (clock_.elapsed() >= 50) {
            clock_.restart();
            return WaitFormCancelled();
        }
        return false;
    }

private:
    QElapsedTimer clock_;
};

QString Now() { return QTime::currentTime().toString("hh:mm:ss"); }

}  // namespace

void TMDIUsageChild::BtnShowMarksClick()
{
    if (!g_timeMarks.InUse())
        platform::SystemBeep();
    const std::vector<int> rows = SelectedItems();
    const std::vector<int> marks = Marks();
    counter_.Reset(File ? File->features.get() : nullptr);
    const int n = static_cast<int>(marks.size());
    CellTable& table = sgConcepts->Table();
    table = CellTable(n + 2, static_cast<int>(rows.size()) + 1);
    table.SetCell(n + 1, 0, "Sum");
    for (int k = 0; k < n; ++k)
        table.SetCell(k + 1, 0, std::to_string(marks[static_cast<std::size_t>(k)]));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const int row = static_cast<int>(r) + 1;
        const UsageItem& item = Item(rows[r]);
        table.SetCell(0, row, item.label);
        int held = 0;
        for (int k = 0; k < n; ++k) {
            const int t = marks[static_cast<std::size_t>(k)];
            const bool holds = File && EvaluateItem(item, *File, t);
            held += holds ? 1 : 0;
            table.SetCell(k + 1, row, std::string(holds ? "1" : "0") + "/" + (counter_.Bit(item.feature, t) ? "1" : "0"));
        }
        table.SetCell(n + 1, row, std::to_string(held));
    }
    sgConcepts->SetFixedRows(1);
    sgConcepts->SetFixedCols(1);
    sgConcepts->Refresh();
    // The row after the marks' count, where the grid has one.
    if (n + 1 < sgConcepts->RowCount())
        sgConcepts->SetCurrent(1, n + 1);
}

void TMDIUsageChild::BtnMarkSelectedClick()
{
    const std::vector<int> rows = SelectedItems();
    if (markingRules_ || !File || !g_timeMarks.marks)
        return;
    if (rows.empty()) {
        platform::SystemBeep();
        return;
    }
    double threshold = 0;
    bool ok = false;
    threshold = EditMarkRatio->text().trimmed().toDouble(&ok);
    if (!ok) {
        platform::MessageBox(this, "'" + EditMarkRatio->text() + "' is not a valid floating point value", "Error");
        return;
    }
    // Events are let through during the run: the window or its log may go.
    // Guards therefore reach the window only through a QPointer, and the user's
    // marks come back unless the run finishes.
    const QPointer<TMDIUsageChild> self(this);
    markingRules_ = true;
    struct Running {
        const QPointer<TMDIUsageChild>& window;
        std::vector<int> before;
        bool finished = false;
        ~Running()
        {
            if (!finished && g_timeMarks.marks)
                g_timeMarks.marks->Assign(std::move(before));
            if (window)
                window->markingRules_ = false;
        }
    } running{self, g_timeMarks.marks->Cycles()};
    const WaitCommand wait("Generating timeline concepts ...", this, true);
    // Showing the wait window lets events through already.
    if (!self || !File)
        return;
    // Cancel leaves the grid and the memo as they were (and the marks, see
    // Running): the new grid goes in once the run is done.
    const QString memoBefore = MemoClusters->toPlainText();
    const auto cancelled = [&] {
        if (self)
            MemoClusters->setPlainText(memoBefore);
    };
    MemoClusters->appendPlainText("*** Generating timeline concepts " + QString::fromStdString(File->fileName) +
                                  " ***");
    MemoClusters->appendPlainText("");
    MemoClusters->appendPlainText("Start time:" + Now());

    const int items = static_cast<int>(rows.size());
    const int cycles = File->cycles;
    CellTable table(cycles + 1, items + 2);
    for (int r = 0; r < items; ++r)
        table.SetCell(0, r + 1, Item(rows[static_cast<std::size_t>(r)]).label);
    table.SetCell(0, items + 1, "Ratio");
    g_timeMarks.marks->Clear();

    std::vector<int> marked;
    EventPacer pacer;
    for (int t = 0; t < cycles; ++t) {
        table.SetCell(t + 1, 0, std::to_string(t));
        if (t % 100 == 0) {
            SetWaitText("Evaluating concepts, time = " + QString::number(t));
            if (self && WaitFormCancelled())
                return cancelled();
        }
        std::vector<std::int8_t> holds(static_cast<std::size_t>(items));
        int ones = 0;
        for (int r = 0; r < items; ++r) {
            const bool cancel = pacer.Tick();
            // The log may have gone while events were let through.
            if (!self || !File)
                return;
            if (cancel)
                return cancelled();
            const bool h = EvaluateItem(Item(rows[static_cast<std::size_t>(r)]), *File, t);
            holds[static_cast<std::size_t>(r)] = h ? 1 : 0;
            ones += h ? 1 : 0;
        }
        table.Column(t + 1).SetNumbers(1, std::move(holds), CellNumberFormat::General15());
        const double ratio = 100.0 * ones / items;
        table.SetCell(t + 1, items + 1, FormatFloatFixed(ratio, 8, 3));
        if (ratio >= threshold)
            marked.push_back(t);
    }
    sgConcepts->Table() = std::move(table);
    sgConcepts->SetFixedRows(1);
    sgConcepts->SetFixedCols(1);
    sgConcepts->Refresh();
    sgConcepts->SetCurrent(1, 1);
    if (!g_timeMarks.marks)
        return;
    g_timeMarks.marks->Assign(std::move(marked));
    running.finished = true;
    MemoClusters->appendPlainText("End time:" + Now());
    if (g_timeMarks.useMarks)
        g_timeMarks.useMarks->setChecked(true);
}

void TMDIUsageChild::BtnPasteRulesClick()
{
    const QString text = platform::ClipboardText() + " ";
    lbConcepts->clearSelection();
    QHash<QString, int> rowOf;  // the first row of each label
    for (int i = lbConcepts->count() - 1; i >= 0; --i)
        rowOf.insert(lbConcepts->item(i)->text(), i);
    std::vector<std::string> unknown;
    for (const QString& word : text.split(' ')) {
        if (word.isEmpty())
            break;
        if (const auto found = rowOf.constFind(word); found != rowOf.cend())
            lbConcepts->item(*found)->setSelected(true);
        else
            unknown.push_back("'" + word.toStdString() + "'");
    }
    // One message for all of them: a clipboard of foreign words is no reason
    // for a box per word.
    if (unknown.empty())
        return;
    constexpr std::size_t kListed = 10;
    platform::MessageBox(this, "Not Found " + QString::fromStdString(ListFirst(unknown, kListed, ", ", "words")),
                         "word");
}
