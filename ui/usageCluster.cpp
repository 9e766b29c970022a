// The concept-usage window's "Cluster": the log as a timeline of how many
// cycles of a window around each time step the selected items hold, shown in
// the grid, and the time steps grouped bottom-up with a report in the memo.
// The timeline and the clustering themselves live in core/analysis/Timeline.h.
#include "ui/ChildUsageWin.h"

#include "core/analysis/Timeline.h"
#include "core/model/CellTable.h"
#include "core/model/Common.h"
#include "core/model/RoboCupFile.h"
#include "platform/Memory.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/System.h"
#include "ui/Application.h"
#include "ui/FormControls.h"
#include "ui/MarksLink.h"
#include "ui/StringGrid.h"
#include "ui/waitFormWin.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTime>

#include <algorithm>
#include <cstdint>
#include <new>
#include <utility>

namespace {

QString Now() { return QTime::currentTime().toString("hh:mm:ss"); }

void Append(QPlainTextEdit* memo, const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        memo->appendPlainText(QString::fromStdString(line));
}

double ReadFloat(const QLineEdit* edit) { return StrToFloatDot(edit->text().toStdString()); }

// While clustering: pending events between rounds, how far the table of
// distances is and then the nearest pair in the wait window, each join in the
// memo.
class ClusterProgress : public ClusterObserver {
public:
    explicit ClusterProgress(QPlainTextEdit* memo) : memo_(memo) {}
    // Asked per time step of the table and before each round: lets pending
    // events through, Cancel among them.
    bool Cancelled() override { return WaitFormCancelled(); }
    void Table(std::uint64_t done, std::uint64_t total) override
    {
        SetWaitText(QString::fromStdString(TableWaitText(done, total)));
    }
    void Nearest(double best, int clusters) override
    {
        SetWaitText(QString::fromStdString(JoinWaitText(best, clusters)));
    }
    void Joining(int clusters, double best) override
    {
        if (memo_)
            memo_->appendPlainText(QString::fromStdString(JoinLine(clusters, best)));
    }

private:
    QPointer<QPlainTextEdit> memo_;
};

}  // namespace

void TMDIUsageChild::btnGenerateClick()
{
    // One run at a time.
    if (clustering_ || !File)
        return;
    TimelineSettings settings;
    try {
        settings.window = StrToIntTrim(EditWindow->text().toStdString());
        settings.step = StrToIntTrim(EditStep->text().toStdString());
        settings.maxClusters = StrToIntTrim(EditMaxClusters->text().toStdString());
        settings.maxDist = ReadFloat(EditMaxDist);
    } catch (const EConvertError& error) {
        ShowException(QString::fromUtf8(error.what()));
        return;
    }
    settings.align = static_cast<WindowAlign>(std::clamp(rgWindowType->ItemIndex(), 0, 2));
    settings.useMarks = g_timeMarks.InUse();
    const int cycles = File->cycles;
    const std::string refused = CheckTimelineSettings(settings, cycles);
    if (!refused.empty()) {
        platform::MessageBox(this, QString::fromStdString(refused), "Error");
        return;
    }

    const std::vector<TimeStep> steps = TimelineSteps(settings, cycles, Marks());
    const std::vector<int> rows = SelectedItems();
    const int n = static_cast<int>(rows.size());
    const int count = static_cast<int>(steps.size());
    // The table of distances grows with the square of the time steps: one the
    // memory cannot hold is refused before anything starts.
    const std::string tooBig = CheckClusterMemory(count, n, platform::AvailableMemory());
    if (!tooBig.empty()) {
        platform::MessageBox(this, QString::fromStdString(tooBig), "Error");
        return;
    }

    const QPointer<TMDIUsageChild> self(this);
    clustering_ = true;
    struct Running {
        const QPointer<TMDIUsageChild>& window;
        ~Running()
        {
            if (window)
                window->clustering_ = false;
        }
    } running{self};
    const WaitCommand wait("Generating timeline concepts ...", this, true);
    // Cancel leaves the grid and the memo as they were: the new timeline goes
    // into the grid once the run is done, and the memo's lines of the run go
    // again.
    const QString memoBefore = MemoClusters->toPlainText();
    const auto cancelled = [&] {
        if (self)
            MemoClusters->setPlainText(memoBefore);
    };
    const std::string fileName = File->fileName;
    Append(MemoClusters, TimelineStartLines(fileName, settings.align, Now().toStdString()));

    CellTable table(count + 1, n + 1);
    for (int r = 0; r < n; ++r)
        table.SetCell(0, r + 1, Item(rows[static_cast<std::size_t>(r)]).label);
    RoboCupFileT* log = File;
    TimelineCounter counter(n, cycles, [this, log, &rows](int r, int t) {
        return EvaluateItem(Item(rows[static_cast<std::size_t>(r)]), *log, t);
    });
    std::vector<std::vector<double>> counts(steps.size(), std::vector<double>(static_cast<std::size_t>(n)));
    std::vector<int> times;
    for (int k = 0; k < count; ++k) {
        const TimeStep& step = steps[static_cast<std::size_t>(k)];
        times.push_back(step.t0);
        table.SetCell(k + 1, 0, std::to_string(step.t0));
        SetWaitText("Evaluating concepts, time = " + QString::number(step.t0));
        // The log may have gone while events were let through.
        if (!self || File != log)
            return;
        if (WaitFormCancelled())
            return cancelled();
        std::vector<double>& column = counts[static_cast<std::size_t>(k)];
        for (int r = 0; r < n; ++r)
            column[static_cast<std::size_t>(r)] = counter.Count(r, step.a, step.b);
        table.Column(k + 1).SetNumbers(1, column, CellNumberFormat::FixedDigits(15, 3));
    }

    Append(MemoClusters, ClusteringStartLines(fileName, settings, count, Now().toStdString(), Now().toStdString()));
    ClusterProgress progress(MemoClusters);
    ClusterResult result;
    try {
        result = ClusterTimeSteps(counts, settings.maxClusters, settings.maxDist, &progress);
    } catch (const std::bad_alloc&) {
        // The memory free at the start went elsewhere meanwhile.
        if (!self)
            return;
        cancelled();
        platform::MessageBox(this,
                             "Clustering " + QString::number(count) +
                                 " time steps ran out of memory. Nothing was clustered.",
                             "Error");
        return;
    }
    if (!self)
        return;
    if (result.end == ClusterEnd::Cancelled)
        return cancelled();
    sgConcepts->Table() = std::move(table);
    sgConcepts->SetFixedRows(1);
    sgConcepts->SetFixedCols(1);
    sgConcepts->Refresh();
    sgConcepts->SetCurrent(1, 1);
    Append(MemoClusters, ClusterReportLines(result, times, Now().toStdString()));
    // Later time pushes keep the timeline in the grid.
    cbDynamicTimeRange->setChecked(false);
}
