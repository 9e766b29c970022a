// "Grow", "Create history path", "Create future path", "Revalidate" and
// "Revalidate all" of the action-graph window. The graph work runs in
// actiongraph/model/PathGrowth.*; the strategy window is reached only through the
// link it installs (actiongraph/StrategyLink.h).
#include "actiongraph/childActionWin.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/Distances.h"
#include "actiongraph/model/PathGrowth.h"
#include "actiongraph/StrategyLink.h"
#include "core/model/Common.h"
#include "core/model/TimeMarks.h"
#include "platform/Hooks.h"
#include "platform/qt/Dialogs.h"
#include "ui/MarksLink.h"
#include "ui/waitFormWin.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>

#include <string>
#include <vector>

namespace {

const char* const kSelectFirst = "Select a node first!";
const char* const kWarning = "Warning !";

// The main window's time marks as the history and future commands read them:
// the list's items, each a whole number. False, after the conversion error,
// when an item is not one.
bool ReadTimeMarks(QWidget* parent, std::vector<int>& cycles)
{
    if (g_timeMarks.list) {
        for (int i = 0; i < g_timeMarks.list->count(); ++i) {
            try {
                cycles.push_back(StrToIntTrim(g_timeMarks.list->item(i)->text().toStdString()));
            } catch (const EConvertError& e) {
                platform::MessageBox(parent, QString::fromStdString(e.what()), "Error");
                return false;
            }
        }
    } else if (g_timeMarks.marks) {
        cycles = g_timeMarks.marks->Cycles();
    }
    return true;
}

// Marks the window as running a series and clears the mark on every way out,
// unless the window itself went meanwhile.
class SeriesRun {
public:
    explicit SeriesRun(TMDIActionChild* window) : window_(window) { window->Revalidating = true; }
    ~SeriesRun()
    {
        if (window_)
            window_->Revalidating = false;
    }
    SeriesRun(const SeriesRun&) = delete;
    SeriesRun& operator=(const SeriesRun&) = delete;
    // False once the window is gone: the series stops.
    bool WindowAlive() const { return !window_.isNull(); }

private:
    QPointer<TMDIActionChild> window_;
};

// The join-value test's record: its table goes to the memo and it is freed on
// every way out of the series, also when the window goes while the strategy
// window is shown.
class TestRecordGuard {
public:
    explicit TestRecordGuard(TStrategyLink* link) : link_(link), record_(link ? link->NewTestRecord() : nullptr) {}
    ~TestRecordGuard()
    {
        if (!record_)
            return;
        link_->WriteTestResults(record_);
        link_->FreeTestRecord(record_);
    }
    TestRecordGuard(const TestRecordGuard&) = delete;
    TestRecordGuard& operator=(const TestRecordGuard&) = delete;
    tTest* Record() const { return record_; }

private:
    TStrategyLink* link_;
    tTest* record_;
};

}  // namespace

void TMDIActionChild::ConnectGrowHandlers()
{
    connect(BtnGrow, &QPushButton::clicked, this, [this] { BtnGrowClick(); });
    connect(btnCreateHistoryPath, &QPushButton::clicked, this, [this] { btnCreateHistoryPathClick(); });
    connect(btnCreateFuturePath, &QPushButton::clicked, this, [this] { btnCreateFuturePathClick(); });
    connect(btnRevalidate, &QPushButton::clicked, this, [this] { btnRevalidateClick(); });
    connect(btnRevalidateAll, &QPushButton::clicked, this, [this] { btnRevalidateAllClick(); });
}

void TMDIActionChild::BtnGrowClick()
{
    int depth = 0;
    if (!ReadValue(&depth))
        return;
    if (!SelectedNode) {
        platform::MessageBox(this, kSelectFirst, kWarning);
        return;
    }
    // Paths may run over nodes that go; the selected node itself always stays.
    ClearPaths();
    GrowGraph(*Graph, SelectedNode, depth);
    RemoveMarkedFinish();
    DrawGraph();
}

void TMDIActionChild::btnCreateHistoryPathClick()
{
    CreateTimePath(false);
}

void TMDIActionChild::btnCreateFuturePathClick()
{
    CreateTimePath(true);
}

void TMDIActionChild::CreateTimePath(bool future)
{
    const int span = sbHistory->value();
    std::vector<int> cycles;
    if (g_timeMarks.InUse()) {
        if (!ReadTimeMarks(this, cycles))
            return;
    } else {
        const std::string filter = EditFilter->text().toStdString();
        if (!SelectedNode && filter.empty()) {
            platform::MessageBox(this,
                                 "Cannot create history for the whole graph! Please use time marks, select a node "
                                 "or filter display.",
                                 kWarning);
            return;
        }
        cycles = CollectOutgoingCycles(*Graph, SelectedNode, filter);
    }
    SelectNode(nullptr);
    if (!future)
        EditFilter->clear();
    ClearPaths();
    KeepConnectionsNearCycles(*Graph, cycles, span, future ? TTimeSide::Future : TTimeSide::History);
    RemoveMarkedFinish();
    DrawGraph();
}

void TMDIActionChild::btnRevalidateClick()
{
    if (!SelectedNode) {
        platform::MessageBox(this, kSelectFirst, kWarning);
        return;
    }
    ClearPaths();
    const int k = sbMinConnected->value();
    SelectedNode->SetMark(1);
    std::vector<TPathItem> found;
    FindPathsEndingAt(TPathSearch(cbPathFunc->currentIndex(), File, Depths), SelectedNode, k, found);
    Paths.AddAll(std::move(found));
    SelectNode(nullptr);
    DrawGraph();
    AddAllPathsItem(Paths);
    cbPaths->setFocus();
    platform::Beep();
    if (TStrategyLink* link = StrategyLink())
        link->Init(this, false, nullptr);
}

void TMDIActionChild::btnRevalidateAllClick()
{
    if (Revalidating || Joining) {
        platform::Beep();
        return;
    }
    if (cbGenerateAll->isChecked()) {
        RevalidateSeries();
        return;
    }
    if (cbTestAll->isChecked()) {
        RevalidateTestSeries();
        return;
    }
    ClearPaths();
    FindPaths(Graph, sbMinConnected->value(), Paths);
    SelectNode(nullptr);
    AddAllPathsItem(Paths);
    DrawGraph();
    cbPaths->setFocus();
    platform::Beep();
    if (TStrategyLink* link = StrategyLink())
        link->Init(this, false, nullptr);
}

namespace {

// Every join of a series reads the four weight edits again: one that is no
// number stops the series before the graph changes rather than at each level.
bool WeightsReadable(const std::vector<QLineEdit*>& edits, QWidget* parent)
{
    for (QLineEdit* edit : edits) {
        try {
            StrToFloatDot(edit->text().toStdString());
        } catch (const EConvertError& e) {
            platform::MessageBox(parent, QString::fromStdString(e.what()), "Error");
            return false;
        }
    }
    return true;
}

// Holds the series open as one command of the strategy window's learners,
// with one wait window (and its Cancel) from its first step to its last.
class SeriesCommand {
public:
    SeriesCommand(TStrategyLink* link, QWidget* window, const QString& series)
        : link_(link), wait_(series + " ...", window, true)
    {
        if (link_)
            link_->BeginSeries();
    }
    ~SeriesCommand()
    {
        if (link_)
            link_->EndSeries();
    }
    bool Stopped() const { return link_ && link_->SeriesStopped(); }
    // A step of the series was cancelled: the series ends by Cancel.
    void Cancel() const
    {
        if (link_)
            link_->CancelSeries();
    }
    SeriesCommand(const SeriesCommand&) = delete;
    SeriesCommand& operator=(const SeriesCommand&) = delete;

private:
    TStrategyLink* link_;
    WaitCommand wait_;
};

// However a series ends while its window lives, the window gets back its
// whole graph with the path list of the level it stopped at (the strategy
// window may have left it a single strategy or none), and the user learns
// how it ended.
class SeriesEnd {
public:
    SeriesEnd(TMDIActionChild* window, TStrategyLink* link, std::string series, bool allPathsItem)
        : window_(window), link_(link), series_(std::move(series)), allPathsItem_(allPathsItem)
    {
    }
    ~SeriesEnd()
    {
        if (!window_)
            return;
        window_->ClearPaths();
        window_->FindPaths(window_->Graph, window_->sbMinConnected->value(), window_->Paths);
        if (allPathsItem_)
            window_->AddAllPathsItem(window_->Paths);
        window_->SelectNode(nullptr);
        window_->DrawGraph();
        if (link_ && link_ == StrategyLink())
            link_->SeriesEnded(window_, series_);
    }
    SeriesEnd(const SeriesEnd&) = delete;
    SeriesEnd& operator=(const SeriesEnd&) = delete;

private:
    QPointer<TMDIActionChild> window_;
    TStrategyLink* link_;
    std::string series_;
    bool allPathsItem_;
};

}  // namespace

void TMDIActionChild::RevalidateSeries()
{
    if (!WeightsReadable({EditAttrW, EditRoleW, EditActionW, EditFeatW}, this))
        return;
    // The strategy window may be shown modally between the steps: should this
    // window go meanwhile, the series stops.
    TStrategyLink* link = StrategyLink();
    const SeriesEnd end(this, link, "Generate all", true);
    const SeriesRun run(this);
    const SeriesCommand command(link, this, "Generate all");
    SelectNode(nullptr);
    static const char* const kJoinValues[] = {"0.5", "1", "2", "3", "4", "5", "6"};
    for (const char* value : kJoinValues) {
        EditValue->setText(value);
        if (link)
            link->AppendMemo("// *** Abstraction " + EditValue->text().toStdString() + " ***");
        // Cancel in the join ends the whole series.
        if (BtnJoinNearestClick() == TJoinEnd::Cancelled)
            return command.Cancel();
        if (!run.WindowAlive())
            return;
        // "avg, len=1" to "avg, len=4".
        for (int function = 13; function <= 16; ++function) {
            cbPathFunc->setCurrentIndex(function);
            if (link)
                link->AppendMemo("// * Generating " + cbPathFunc->itemText(function).toStdString() + " *");
            ClearPaths();
            FindPaths(Graph, sbMinConnected->value(), Paths);
            AddAllPathsItem(Paths);
            if (link)
                link->Init(this, false, nullptr);
            if (!run.WindowAlive() || command.Stopped())
                return;
        }
    }
}

void TMDIActionChild::RevalidateTestSeries()
{
    TStrategyLink* link = StrategyLink();
    // Each step joins the graph for good: without a test graph, or a test
    // strategy to look for in it, no step could test anything (each would only
    // wait for the user in the strategy window), so the series does not start.
    if (!link || !link->HasTestGraph()) {
        platform::MessageBox(this,
                             "\"Test all\" needs a test graph: choose one with \"Set as test\" first. Nothing was "
                             "joined.",
                             kWarning);
        return;
    }
    if (!link->HasTestStrategy()) {
        platform::MessageBox(this,
                             "\"Test all\" needs a test strategy: choose one in the strategy window and press "
                             "\"Store test\" (or type its start cycle) first. Nothing was joined.",
                             kWarning);
        return;
    }
    if (!WeightsReadable({EditAttrW, EditRoleW, EditActionW, EditFeatW}, this))
        return;
    const SeriesEnd end(this, link, "Test all", false);
    const SeriesRun run(this);
    TestRecordGuard record(link);
    const SeriesCommand command(link, this, "Test all");
    SelectNode(nullptr);
    for (int x = 0; x <= 20; ++x) {
        if (record.Record())
            link->StoreTestChunks(record.Record(), x);
        EditValue->setText(QString::number(x));
        if (BtnJoinNearestClick() == TJoinEnd::Cancelled)
            return command.Cancel();
        if (!run.WindowAlive())
            return;
        ClearPaths();
        FindPaths(Graph, sbMinConnected->value(), Paths);
        if (link)
            link->Init(this, false, record.Record());
        if (!run.WindowAlive() || command.Stopped())
            return;
    }
}
