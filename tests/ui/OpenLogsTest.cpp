// Opening logs through the real main window, offscreen, with scripted dialogs:
// the file list, the current log and the caption, reopening, several files at
// once, removing logs, the commands on the windows of the selected log, the new
// windows, "Use player roles", and files that are broken or cut short.
#include "MainFormFixture.h"
#include "UiTestMain.h"

#include "ui/ChildUsageWin.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/learning/Features.h"
#include "ui/FileList.h"
#include "ui/FormControls.h"
#include "ui/MDIChild.h"
#include "ui/OpenLogs.h"
#include "core/model/RoboCupFile.h"
#include "ui/UiHooks.h"
#include "ui/childChartWin.h"
#include "ui/childDataWin.h"
#include "ui/childFieldWin.h"
#include "ui/main.h"
#include "platform/ReadFile.h"
#include "platform/qt/Dialogs.h"
#include "support/RcgWriter.h"
#include "support/TestData.h"
#include "ui/waitFormWin.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QLabel>
#include <QItemSelectionModel>
#include <QListView>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <qcustomplot.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <set>
#include <stdexcept>

// Readable QStrings in failure messages.
static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

const char* const kShort = "match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg";
const char* const kFull = "match-full-HELIOS_A_4-vs-HELIOS_B_2.rcg";
const char* const kKeepaway = "keepaway-3v2-Keepers-vs-Takers-helios-1500.rcg";

// The real short match under another name, so that several logs can be open.
QString CopyOfShortMatch(const std::string& dir, const std::string& name)
{
    const std::string path = dir + "/" + name;
    std::filesystem::copy_file(GunzippedTestFile(kShort), path, std::filesystem::copy_options::overwrite_existing);
    return QString::fromStdString(path);
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

class OpenLogsTest : public MainFormFixture {
protected:

    // "Open File" with the files chosen in this order.
    void Open(const QStringList& files)
    {
        platform::FileDialogResult r;
        r.accepted = true;
        r.files = files;
        script.files.push_back(r);
        form->btnOpenFileClick();
    }

    TOpenLogs& logs() const { return *form->Logs; }
    std::size_t NumLogs() const { return static_cast<std::size_t>(logs().Count()); }
    std::vector<RoboCupFileT*> AllLogs() const
    {
        std::vector<RoboCupFileT*> all;
        for (int i = 0; i < logs().Count(); ++i)
            all.push_back(logs().At(i));
        return all;
    }
    int ListCount() const { return form->lbFiles->model()->rowCount(); }
    // The second line of row i: the file name without the folder.
    QString RowText(int i) const { return form->lbFiles->model()->index(i, 0).data().toString(); }
    // What lbFiles shows: the first and second line of every item.
    std::vector<std::pair<QString, QString>> ListShows() const
    {
        std::vector<std::pair<QString, QString>> items;
        for (int i = 0; i < ListCount(); ++i) {
            const auto* log = static_cast<const RoboCupFileT*>(
                form->lbFiles->model()->index(i, 0).data(TOpenLogs::LogRole).value<void*>());
            items.emplace_back(FileListHeadline(log), RowText(i));
        }
        return items;
    }
    int SelectedRow() const
    {
        const QModelIndexList sel = form->lbFiles->selectionModel()->selectedRows();
        return sel.size() == 1 ? sel.front().row() : -1;
    }
    // The user selects row i, as a click on it does.
    void SelectRow(int i)
    {
        form->lbFiles->selectionModel()->setCurrentIndex(form->lbFiles->model()->index(i, 0),
                                                        QItemSelectionModel::ClearAndSelect);
    }
    QPoint RowCentre(int i) const
    {
        return form->lbFiles->visualRect(form->lbFiles->model()->index(i, 0)).center();
    }
    // A click of the left button at that point of the list, with the keys held.
    void ClickList(QPoint at, Qt::KeyboardModifiers keys = Qt::NoModifier)
    {
        QWidget* viewport = form->lbFiles->viewport();
        const QPointF global = viewport->mapToGlobal(QPointF(at));
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), global, Qt::LeftButton, Qt::LeftButton, keys);
        QCoreApplication::sendEvent(viewport, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), global, Qt::LeftButton, Qt::NoButton, keys);
        QCoreApplication::sendEvent(viewport, &release);
    }
    std::vector<std::string> OpenNames() const
    {
        std::vector<std::string> names;
        for (RoboCupFileT* f : AllLogs())
            names.push_back(f ? f->fileName : "<null>");
        return names;
    }
    // A log entry as the list holds it, without reading a file.
    RoboCupFileT* Entry(const std::string& name, const std::string& left, const std::string& right, int ls, int rs)
    {
        RoboCupFileT* log = form->CreateFileEntry(Q(name));
        log->leftTeam = left;
        log->rightTeam = right;
        log->leftScore = ls;
        log->rightScore = rs;
        return log;
    }
    void ExpectOneMessage(const QString& text, const QString& caption)
    {
        ASSERT_EQ(script.messages.size(), 1u) << (script.messages.empty() ? "" : script.messages[0].text.toStdString());
        EXPECT_EQ(script.messages[0].text, text);
        EXPECT_EQ(script.messages[0].caption, caption);
        EXPECT_EQ(script.messages[0].buttons, platform::Buttons::Ok);
        script.messages.clear();
    }

    platform::DialogScript script;
};

// Records every text the wait window shows while the core reports progress,
// and whether a wait window was up each time.
class WaitTextRecorder : public UiHooks {
public:
    explicit WaitTextRecorder(const QWidget* window) : window_(window) { previous_ = platform::SetHooks(this); }
    ~WaitTextRecorder() override { platform::SetHooks(previous_); }
    void SetWaitText(const std::string& text) override
    {
        captions.insert(window_->windowTitle());
        if (!WaitForm) {
            ++callsWithoutWaitWindow;
        } else {
            Note(WaitForm->LabelText->text());
        }
        UiHooks::SetWaitText(text);
        if (WaitForm)
            Note(WaitForm->LabelText->text());
    }
    void Note(const QString& t)
    {
        if (shown.empty() || shown.back() != t)
            shown.push_back(t);
    }
    std::vector<QString> shown;
    std::set<QString> captions;  // of the main window
    int callsWithoutWaitWindow = 0;

private:
    const QWidget* window_;
    platform::Hooks* previous_ = nullptr;
};

}  // namespace

// ---- Opening real logs ----------------------------------------------------------

// The real logs with their show records as their descriptions give them, how
// the list heads them and the score the caption names.
struct RealLog {
    const char* file;
    int cycles;
    const char* headline;
    const char* caption;
};
const RealLog kRealLogs[] = {
    {kShort, 409, "HELIOS_A : HELIOS_B (0:1)", "RoboCup VeloTrask [HELIOS_A : HELIOS_B (0:1)]"},
    {kFull, 6659, "HELIOS_A : HELIOS_B (4:2)", "RoboCup VeloTrask [HELIOS_A : HELIOS_B (4:2)]"},
    // The list shows "Keepaway" instead of the score; the caption always carries the score.
    {kKeepaway, 1500, "Keepers : Takers (Keepaway)", "RoboCup VeloTrask [Keepers : Takers (0:0)]"},
};

TEST_F(OpenLogsTest, OpeningARealLogListsItAndMakesItCurrent)
{
    for (const RealLog& real : kRealLogs) {
        SCOPED_TRACE(real.file);
        form.reset();  // the old window frees the hierarchies the new one builds
        form = std::make_unique<TMainForm>();
        form->FirstActivation = false;
        script.fileDialogs.clear();
        const QString path = Q(GunzippedTestFile(real.file));
        WaitTextRecorder waits(form.get());
        QElapsedTimer timer;
        timer.start();
        Open({path});
        if (real.file == kFull)
            RecordProperty("load_ms", static_cast<int>(timer.elapsed()));

        ASSERT_EQ(script.fileDialogs.size(), 1u);
        EXPECT_TRUE(script.messages.empty());
        ASSERT_EQ(NumLogs(), 1u);
        RoboCupFileT* log = logs().At(0);
        EXPECT_EQ(logs().Current(), log);
        EXPECT_EQ(log->fileName, path.toStdString());
        EXPECT_EQ(log->cycles, real.cycles);
        EXPECT_EQ(ListShows(), (std::vector<std::pair<QString, QString>>{{real.headline, real.file}}));
        EXPECT_EQ(SelectedRow(), 0);
        EXPECT_EQ(form->windowTitle(), real.caption);
        // The sliders span the log's cycles at its remembered range and cycle.
        EXPECT_EQ(form->TrackBar1->maximum(), real.cycles - 1);
        EXPECT_EQ(form->TrackBar1->value(), 0);
        EXPECT_EQ(form->TrackBar2->maximum(), real.cycles - 1);
        EXPECT_EQ(form->TrackBar2->value(), 100);
        EXPECT_EQ(log->timeRange, 100);
        // Roles and features were computed, the roles first.
        ASSERT_TRUE(log->features);
        EXPECT_EQ(log->features->GetNumInstances(), real.cycles);
        EXPECT_GT(log->features->GetNumFeatures(), 0);
        EXPECT_EQ(WaitForm, nullptr);

        // The wait window was up whenever the core reported progress, and showed
        // the entry text, never its own reading text, then the features.
        EXPECT_EQ(waits.callsWithoutWaitWindow, 0);
        ASSERT_FALSE(waits.shown.empty());
        EXPECT_EQ(waits.shown.front(), "Adding file entry for " + path);
        EXPECT_EQ(std::count(waits.shown.begin(), waits.shown.end(), "Reading file " + path), 0);
        const auto computing = std::find(waits.shown.begin(), waits.shown.end(), "Computing features ...");
        const auto first = std::find(waits.shown.begin(), waits.shown.end(), "Computing features 0.00%");
        EXPECT_NE(computing, waits.shown.end());
        EXPECT_NE(first, waits.shown.end());
        EXPECT_LT(computing, first);
        // While the log is read the caption names it, never a placeholder score.
        EXPECT_EQ(waits.captions, (std::set<QString>{"RoboCup VeloTrask [Reading " + path + "]", real.caption}));
    }
}

TEST_F(OpenLogsTest, OpeningTheSameFileAgainReplacesItAndClosesItsWindows)
{
    const std::string dir = MakeTempDir("reopen");
    const QString a = CopyOfShortMatch(dir, "a.rcg");
    const QString b = CopyOfShortMatch(dir, "b.rcg");
    Open({a, b});
    ASSERT_EQ(NumLogs(), 2u);
    RoboCupFileT* oldA = logs().At(0);
    ASSERT_TRUE(form->SelectCurrentFile(a, false));
    form->BtnAdd1dClick();
    form->BtnAdd2dClick();
    ASSERT_EQ(form->MdiArea->subWindowList().size(), 2);
    QList<QPointer<QMdiSubWindow>> windowsOfA;
    for (QMdiSubWindow* w : form->MdiArea->subWindowList())
        windowsOfA << w;
    // A window of the other log stays.
    form->SelectCurrentFile(b, false);
    form->BtnAddDataClick();
    QPointer<QMdiSubWindow> windowOfB = form->MdiArea->subWindowList().back();

    Open({a});
    EXPECT_TRUE(script.messages.empty());
    EXPECT_EQ(OpenNames(), (std::vector<std::string>{b.toStdString(), a.toStdString()}));
    EXPECT_NE(logs().At(1), oldA);  // a new record at the end of the list
    EXPECT_EQ(logs().Current(), logs().At(1));
    EXPECT_EQ(logs().Current()->cycles, 409);
    EXPECT_EQ(SelectedRow(), 1);
    EXPECT_EQ(ListCount(), 2);
    EXPECT_EQ(RowText(0), "b.rcg");
    EXPECT_EQ(RowText(1), "a.rcg");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const QPointer<QMdiSubWindow>& w : windowsOfA)
        EXPECT_TRUE(w.isNull());
    ASSERT_FALSE(windowOfB.isNull());
    EXPECT_EQ(qobject_cast<TMDIChild*>(windowOfB.data())->File, logs().At(0));
}

TEST_F(OpenLogsTest, SeveralChosenFilesLoadInTheirOrderAndTheLastIsCurrent)
{
    const std::string dir = MakeTempDir("several");
    const QString z = CopyOfShortMatch(dir, "z.rcg");
    const QString k = Q(GunzippedTestFile(kKeepaway));
    const QString m = CopyOfShortMatch(dir, "m.rcg");
    Open({z, k, m});
    EXPECT_EQ(OpenNames(), (std::vector<std::string>{z.toStdString(), k.toStdString(), m.toStdString()}));
    for (RoboCupFileT* f : AllLogs())
        EXPECT_TRUE(f->features && f->features->GetNumInstances() == f->cycles) << f->fileName;
    EXPECT_EQ(logs().Current(), logs().At(2));
    EXPECT_EQ(SelectedRow(), 2);
    EXPECT_EQ(ListShows()[1].first, "Keepers : Takers (Keepaway)");
    EXPECT_EQ(form->TrackBar1->maximum(), 408);
    // Every log started with its own half-width of 100, also those opened after another.
    for (RoboCupFileT* f : AllLogs())
        EXPECT_EQ(f->timeRange, 100) << f->fileName;
}

// ---- The current log ----------------------------------------------------------------

TEST_F(OpenLogsTest, SelectingTheCurrentLogWithoutForceChangesNothing)
{
    Entry("/logs/a.rcg", "A", "B", 2, 1);
    RoboCupFileT* b = Entry("/logs/b.rcg", "C", "D", 0, 3);
    b->cycles = 500;  // as if read
    b->timeRange = 40;
    b->currentCycle = 250;
    form->lbFilesClick();  // forced: the sliders take b's remembered positions
    EXPECT_EQ(form->TrackBar1->maximum(), 499);
    EXPECT_EQ(form->TrackBar1->value(), 250);
    EXPECT_EQ(form->TrackBar2->value(), 40);
    EXPECT_EQ(form->windowTitle(), "RoboCup VeloTrask [C : D (0:3)]");

    {
        // Moved without the time change: the log keeps remembering 250.
        const QSignalBlocker quiet(form->TrackBar1);
        form->TrackBar1->setValue(17);
    }
    form->setWindowTitle("something else");
    EXPECT_EQ(form->SelectCurrentFile("/logs/b.rcg", false), b);
    EXPECT_EQ(form->TrackBar1->value(), 17);
    EXPECT_EQ(form->windowTitle(), "something else");

    EXPECT_EQ(form->SelectCurrentFile("/logs/b.rcg", true), b);
    EXPECT_EQ(form->TrackBar1->value(), 250);
    EXPECT_EQ(form->windowTitle(), "RoboCup VeloTrask [C : D (0:3)]");

    // Names compare exactly; no match changes nothing.
    EXPECT_EQ(form->SelectCurrentFile("/logs/A.rcg", true), nullptr);
    EXPECT_EQ(form->SelectCurrentFile("a.rcg", true), nullptr);
    EXPECT_EQ(logs().Current(), b);
    EXPECT_EQ(SelectedRow(), 1);
}

TEST_F(OpenLogsTest, ClickingAnItemOrActivatingAWindowMakesItsLogCurrent)
{
    RoboCupFileT* a = Entry("/logs/a.rcg", "A", "B", 2, 1);
    RoboCupFileT* b = Entry("/logs/b.rcg", "C", "D", 0, 3);
    EXPECT_EQ(logs().Current(), b);
    SelectRow(0);  // as the user's click does
    EXPECT_EQ(logs().Current(), a);
    EXPECT_EQ(form->windowTitle(), "RoboCup VeloTrask [A : B (2:1)]");
    // The main window answers child-window activations.
    ASSERT_TRUE(g_onChildActivated);
    g_onChildActivated("/logs/b.rcg");
    EXPECT_EQ(logs().Current(), b);
    EXPECT_EQ(SelectedRow(), 1);
    // Clearing the selection is no click on a log, and the current log's row
    // stays selected.
    form->lbFiles->clearSelection();
    EXPECT_EQ(logs().Current(), b);
    EXPECT_EQ(SelectedRow(), 1);
}

TEST_F(OpenLogsTest, TheCurrentLogsRowStaysSelectedAndTheCommandsActOnIt)
{
    form->resize(1000, 800);
    form->show();
    Entry("/logs/a.rcg", "A", "B", 2, 1);
    Entry("/logs/b.rcg", "C", "D", 0, 3);
    ASSERT_EQ(SelectedRow(), 1);
    // A Ctrl+click on the selected row would take the selection away.
    ClickList(RowCentre(1), Qt::ControlModifier);
    EXPECT_EQ(SelectedRow(), 1);
    EXPECT_EQ(logs().Current()->fileName, "/logs/b.rcg");
    // So would a click below the last row.
    const QRect lastRow = form->lbFiles->visualRect(form->lbFiles->model()->index(1, 0));
    ASSERT_LT(lastRow.bottom() + 20, form->lbFiles->viewport()->height());
    ClickList(QPoint(lastRow.center().x(), lastRow.bottom() + 15));
    EXPECT_EQ(SelectedRow(), 1);
    // The commands act on the current log without a word.
    form->BtnMinimizeWindows->click();
    form->BtnRemoveFile->click();
    EXPECT_TRUE(script.messages.empty());
    EXPECT_EQ(OpenNames(), std::vector<std::string>{"/logs/a.rcg"});
    EXPECT_EQ(SelectedRow(), 0);
}

TEST_F(OpenLogsTest, AClickOnTheSelectedRowMakesItsLogCurrentAgain)
{
    form->resize(1000, 800);
    form->show();
    Entry("/logs/a.rcg", "A", "B", 2, 1);
    RoboCupFileT* b = Entry("/logs/b.rcg", "C", "D", 0, 3);
    b->cycles = 500;
    b->timeRange = 40;
    b->currentCycle = 250;
    ASSERT_EQ(SelectedRow(), 1);
    ASSERT_EQ(form->TrackBar1->value(), 0);  // what the sliders showed before b was read
    ClickList(RowCentre(1));
    EXPECT_EQ(form->TrackBar1->maximum(), 499);
    EXPECT_EQ(form->TrackBar1->value(), 250);
    EXPECT_EQ(form->TrackBar2->value(), 40);
}

TEST_F(OpenLogsTest, ListRowsAreTwoLinesOfTwentySixPixels)
{
    Entry("/some/folder/a.rcg", "A", "B", 2, 1);
    auto* delegate = dynamic_cast<TFileListDelegate*>(form->lbFiles->itemDelegate());
    ASSERT_NE(delegate, nullptr);
    form->lbFiles->resize(200, 200);
    EXPECT_EQ(form->lbFiles->visualRect(form->lbFiles->model()->index(0, 0)).height(), 26);
    EXPECT_EQ(RowText(0), "a.rcg");

    // Headlines of entries that stand for no loaded log (those of loaded logs:
    // OpeningARealLogListsItAndMakesItCurrent).
    RoboCupFileT log("x.rcg");
    EXPECT_EQ(FileListHeadline(nullptr), " Deleted ! ");
    EXPECT_EQ(FileListHeadline(&log), " ... Loading ... ");  // no team record yet
}

// ---- Removing logs ------------------------------------------------------------------

TEST_F(OpenLogsTest, RemovingLogsInEveryOrder)
{
    const std::array<std::string, 3> names = {"/logs/a.rcg", "/logs/b.rcg", "/logs/c.rcg"};
    std::array<int, 3> order = {0, 1, 2};
    do {
        Entry(names[0], "A", "B", 1, 0);
        Entry(names[1], "C", "D", 2, 0);
        Entry(names[2], "E", "F", 3, 0);
        for (RoboCupFileT* f : AllLogs())
            f->cycles = 300;
        std::vector<std::string> left(names.begin(), names.end());
        for (int k : order) {
            const auto it = std::find(left.begin(), left.end(), names[static_cast<std::size_t>(k)]);
            const int row = static_cast<int>(it - left.begin());
            SelectRow(row);  // the user selects it
            ASSERT_EQ(logs().Current()->fileName, *it);
            form->BtnRemoveFileClick();
            left.erase(it);
            EXPECT_EQ(OpenNames(), left);
            ASSERT_EQ(ListCount(), static_cast<int>(left.size()));
            for (std::size_t i = 0; i < left.size(); ++i)
                EXPECT_EQ(RowText(static_cast<int>(i)).toStdString(),
                          left[i].substr(left[i].rfind('/') + 1));
            if (!left.empty()) {
                ASSERT_NE(logs().Current(), nullptr);
                EXPECT_EQ(logs().Current()->fileName, left.front());  // the first remaining log
                EXPECT_EQ(SelectedRow(), 0);
                EXPECT_EQ(form->windowTitle().toStdString(),
                          "RoboCup VeloTrask [" + logs().Current()->leftTeam + " : " + logs().Current()->rightTeam + " (" +
                              std::to_string(logs().Current()->leftScore) + ":0)]");
            }
        }
        EXPECT_EQ(logs().Current(), nullptr);
        EXPECT_EQ(SelectedRow(), -1);
        EXPECT_EQ(form->windowTitle(), "RoboCup VeloTrask");
        EXPECT_EQ(form->TrackBar2->value(), 1);
        EXPECT_EQ(form->TrackBar1->value(), 0);
        EXPECT_TRUE(script.messages.empty());
    } while (std::next_permutation(order.begin(), order.end()));
}

TEST_F(OpenLogsTest, RemovingALogClosesItsWindowsOnly)
{
    RoboCupFileT* a = Entry("/logs/a.rcg", "A", "B", 1, 0);
    Entry("/logs/b.rcg", "C", "D", 2, 0);
    form->SelectCurrentFile("/logs/a.rcg", false);
    form->BtnAdd1dClick();
    form->BtnAddUsageClick();
    QPointer<QMdiSubWindow> ofA1 = form->MdiArea->subWindowList()[0];
    QPointer<QMdiSubWindow> ofA2 = form->MdiArea->subWindowList()[1];
    form->SelectCurrentFile("/logs/b.rcg", false);
    form->BtnAdd2dClick();
    QPointer<QMdiSubWindow> ofB = form->MdiArea->subWindowList()[2];

    form->SelectCurrentFile("/logs/a.rcg", false);
    EXPECT_EQ(logs().Current(), a);
    form->BtnRemoveFileClick();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(ofA1.isNull());
    EXPECT_TRUE(ofA2.isNull());
    ASSERT_FALSE(ofB.isNull());
    EXPECT_EQ(qobject_cast<TMDIChild*>(ofB.data())->File, logs().At(0));
    EXPECT_EQ(OpenNames(), std::vector<std::string>{"/logs/b.rcg"});
}

TEST_F(OpenLogsTest, CommandsWithoutASelectedLogOrACurrentLogOnlyWarn)
{
    for (QPushButton* b : {form->BtnRemoveFile, form->BtnRestoreWindows, form->BtnRemoveWindows,
                           form->BtnMinimizeWindows}) {
        b->click();
        ExpectOneMessage("No file selected !", "Error");
    }
    for (QPushButton* b : {form->BtnAdd1d, form->BtnAdd2d, form->BtnAddData, form->BtnAddUsage, form->btnAnalyze}) {
        b->click();
        ExpectOneMessage("No log file loaded", "Warning");
    }
    EXPECT_TRUE(form->MdiArea->subWindowList().isEmpty());

}

// ---- Windows of the selected log ------------------------------------------------------

TEST_F(OpenLogsTest, ShowCloseAndMinimizeActOnTheSelectedLogsWindows)
{
    form->resize(1000, 800);
    form->show();
    RoboCupFileT* a = Entry("/logs/a.rcg", "A", "B", 1, 0);
    RoboCupFileT* b = Entry("/logs/b.rcg", "C", "D", 2, 0);
    form->SelectCurrentFile("/logs/a.rcg", false);
    form->BtnAdd1dClick();
    form->BtnAddDataClick();
    form->SelectCurrentFile("/logs/b.rcg", false);
    form->BtnAdd2dClick();
    auto* logless = new TMDIChild(form->MdiArea, nullptr);
    logless->setWidget(new QLabel("no log"));
    logless->show();
    QCoreApplication::processEvents();

    QList<QMdiSubWindow*> all = form->MdiArea->subWindowList(QMdiArea::CreationOrder);
    ASSERT_EQ(all.size(), 4);
    auto windowsOf = [&](const RoboCupFileT* log) {
        QList<QMdiSubWindow*> w;
        for (QMdiSubWindow* s : all)
            if (qobject_cast<TMDIChild*>(s)->File == log)
                w << s;
        return w;
    };
    const QList<QMdiSubWindow*> ofA = windowsOf(a), ofB = windowsOf(b);
    ASSERT_EQ(ofA.size(), 2);
    ASSERT_EQ(ofB.size(), 1);

    form->SelectCurrentFile("/logs/a.rcg", false);
    form->BtnMinimizeWindows->click();
    for (QMdiSubWindow* w : ofA)
        EXPECT_TRUE(w->isMinimized());
    EXPECT_FALSE(ofB[0]->isMinimized());
    EXPECT_FALSE(logless->isMinimized());

    EXPECT_EQ(logs().Current(), a);  // the windows coming forward did not take the selection
    EXPECT_EQ(SelectedRow(), 0);

    form->BtnRestoreWindows->click();
    for (QMdiSubWindow* w : ofA)
        EXPECT_FALSE(w->isMinimized() || w->isMaximized());
    EXPECT_TRUE(ofA.contains(form->MdiArea->activeSubWindow()));
    EXPECT_EQ(logs().Current(), a);
    EXPECT_TRUE(ofB[0]->isMinimized());
    EXPECT_TRUE(logless->isMinimized());

    QPointer<QMdiSubWindow> keptB = ofB[0], keptLogless = logless;
    QList<QPointer<QMdiSubWindow>> closedA = {ofA[0], ofA[1]};
    form->BtnRemoveWindows->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const auto& w : closedA)
        EXPECT_TRUE(w.isNull());
    EXPECT_FALSE(keptB.isNull());
    EXPECT_FALSE(keptLogless.isNull());
    EXPECT_EQ(NumLogs(), 2u);  // the logs stay open
    EXPECT_EQ(logs().Current(), a);
    EXPECT_TRUE(script.messages.empty());
}

// ---- New windows ---------------------------------------------------------------------

TEST_F(OpenLogsTest, NewWindowsAreOfTheirKindTitledAndSetUpForTheCurrentTime)
{
    RoboCupFileT* log = Entry("/logs/a.rcg", "HELIOS_A", "HELIOS_B", 4, 2);
    log->cycles = 1000;
    log->currentCycle = 300;
    form->lbFilesClick();
    form->TrackBar1->SetSelStart(200);
    form->TrackBar1->SetSelEnd(401);
    ASSERT_EQ(form->TrackBar1->value(), 300);

    form->BtnAdd1d->click();
    auto* chart = qobject_cast<TMDIChartChild*>(form->MdiArea->subWindowList().back());
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->Kind, ChildKind::Chart);
    EXPECT_EQ(chart->File, log);
    EXPECT_EQ(chart->windowTitle(), "HELIOS_A : HELIOS_B (4:2): Chart 1");
    EXPECT_EQ(chart->width(), 500);
    EXPECT_EQ(chart->CurrentCycle, 0);
    ASSERT_NE(chart->Chart, nullptr);
    EXPECT_TRUE(chart->Chart->legend->visible());
    EXPECT_EQ(chart->Chart->xAxis->range().lower, 200.0);
    EXPECT_EQ(chart->Chart->xAxis->range().upper, 401.0);
    EXPECT_TRUE(chart->isAncestorOf(chart->Chart));

    form->BtnAdd2d->click();
    auto* field = qobject_cast<TMDIFieldChild*>(form->MdiArea->subWindowList().back());
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->Kind, ChildKind::Field);
    EXPECT_EQ(field->windowTitle(), "HELIOS_A : HELIOS_B (4:2): Field 2");
    EXPECT_EQ(field->lbPlayers->count(), 23);
    EXPECT_EQ(field->lbPlayers->selectedItems().size(), 23);
    EXPECT_EQ(field->Cycle, 300);
    EXPECT_EQ(field->RangeFrom, 200);
    EXPECT_EQ(field->RangeTo, 401);

    form->BtnAddData->click();
    auto* data = qobject_cast<TMDIDataChild*>(form->MdiArea->subWindowList().back());
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->Kind, ChildKind::Data);
    EXPECT_EQ(data->windowTitle(), "HELIOS_A : HELIOS_B (4:2): Data 3");

    form->BtnAddUsage->click();
    auto* usage = qobject_cast<TMDIUsageChild*>(form->MdiArea->subWindowList().back());
    ASSERT_NE(usage, nullptr);
    EXPECT_EQ(usage->Kind, ChildKind::Usage);
    EXPECT_EQ(usage->windowTitle(), "HELIOS_A : HELIOS_B (4:2): Concepts 4");
    EXPECT_EQ(usage->lbPlayers->selectedItems().size(), 23);
    EXPECT_EQ(usage->CurrentCycle, 300);
    EXPECT_EQ(usage->RangeStart, 200);
    EXPECT_EQ(usage->RangeEnd, 401);

    // Each follows the main window's time from the start.
    for (QCheckBox* box : {chart->cbDynamicTimeRange, field->cbDynamicTimeRange, data->cbDynamicTimeRange,
                           usage->cbDynamicTimeRange}) {
        EXPECT_EQ(box->text(), "Dynamic time range");
        EXPECT_TRUE(box->isChecked());
    }

    // The number counts every child window, so after a close two can share one.
    chart->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    form->BtnAddData->click();
    EXPECT_EQ(form->MdiArea->subWindowList().back()->windowTitle(), "HELIOS_A : HELIOS_B (4:2): Data 4");
    EXPECT_TRUE(script.messages.empty());
}

// ---- Player roles ------------------------------------------------------------------------

TEST_F(OpenLogsTest, UsePlayerRolesDecidesTheRolesOfLoadingAndOfTheCurrentLog)
{
    const std::string dir = MakeTempDir("roles");
    // Unchecked before opening: the log's roles and its features' role columns
    // are the shirt numbers.
    form->cbUseRoles->setChecked(false);
    Open({CopyOfShortMatch(dir, "numbers.rcg")});
    ASSERT_EQ(NumLogs(), 1u);
    RoboCupFileT* log = logs().Current();
    const std::int32_t shirt3 = ConceptHandle(coTeamNumber[0][2]);
    const std::int32_t shirt14 = ConceptHandle(coTeamNumber[1][2]);  // object 14: right player 3
    ASSERT_NE(shirt3, 0);
    for (int t = 0; t < log->cycles; t += 37) {
        EXPECT_EQ(log->roleChannel[3]->GetValue(t), shirt3);
        EXPECT_EQ(log->roleChannel[14]->GetValue(t), shirt14);
        EXPECT_EQ(log->features->GetObjectConcept(3, t), coTeamNumber[0][2]);
    }

    // Checking the box: role analysis for the current log; the features stay.
    form->cbUseRoles->click();
    ASSERT_TRUE(form->cbUseRoles->isChecked());
    std::vector<double> analysed;
    for (int t = 0; t < log->cycles; ++t)
        analysed.push_back(log->roleChannel[3]->GetValue(t));
    EXPECT_NE(std::count(analysed.begin(), analysed.end(), static_cast<double>(shirt3)),
              static_cast<long>(analysed.size()));
    EXPECT_EQ(log->features->GetObjectConcept(3, 0), coTeamNumber[0][2]);

    // Opened with the box checked: the same analysed roles as after the click.
    Open({CopyOfShortMatch(dir, "roles.rcg")});
    RoboCupFileT* second = logs().Current();
    ASSERT_NE(second, log);
    for (int t = 0; t < second->cycles; ++t)
        ASSERT_EQ(second->roleChannel[3]->GetValue(t), analysed[static_cast<std::size_t>(t)]) << t;

    // Unchecking acts on the current log only.
    form->cbUseRoles->click();
    EXPECT_EQ(second->roleChannel[3]->GetValue(100), shirt3);
    EXPECT_EQ(log->roleChannel[3]->GetValue(100), analysed[100]);
}

// ---- Bad input ----------------------------------------------------------------------------

TEST_F(OpenLogsTest, AFileWithoutCyclesLeavesTheListAgainAndSaysWhy)
{
    const std::string dir = MakeTempDir("bad");
    const QString good = CopyOfShortMatch(dir, "good.rcg");
    const QString other = CopyOfShortMatch(dir, "other.rcg");
    Open({good, other});
    form->SelectCurrentFile(good, false);  // the user's current log
    RoboCupFileT* goodLog = logs().Current();
    const int goodCycles = goodLog->cycles;
    form->BtnAdd1dClick();
    QPointer<QMdiSubWindow> window = form->MdiArea->subWindowList().back();

    RcgWriter v2(2);
    v2.Teams("Old", 0, "Older", 0).OldShow().OldShow();
    RcgWriter onlyTeams;
    onlyTeams.Teams("A", 0, "B", 0);
    RcgWriter badFirst;
    badFirst.Teams("A", 0, "B", 0).Tag(4);
    RcgWriter cutFirst;
    cutFirst.Teams("A", 0, "B", 0).Show(ShowState()).Truncate(10);
    struct Case {
        std::string path;
        QString why;
    };
    const std::string missing = dir + "/gone.rcg";
    const Case cases[] = {
        {SaveTempFile("text", "ULG5\n(server_param (goal_width 14.02))\n"), "(log version 5)"},
        {v2.Save("v2"), "(log version 2)"},
        {SaveTempFile("empty", ""), "(the file is empty)"},
        {SaveTempFile("tiny", "UL"), "(the file is too short for a match log)"},
        {SaveTempFile("junk", std::string(3000, 'x')), "(no log header)"},
        {onlyTeams.Save("teams"), "(log version 3; no show records)"},
        {badFirst.Save("bad"), "(log version 3; bad record: Unknown mode)"},
        {cutFirst.Save("cut"), "(log version 3; the file ends inside a record)"},
    };
    for (const Case& c : cases) {
        Open({Q(c.path)});
        ExpectOneMessage(Q(c.path) + " holds no cycles that this program can read " + c.why, "Error");
        EXPECT_EQ(OpenNames(), (std::vector<std::string>{good.toStdString(), other.toStdString()})) << c.path;
        EXPECT_EQ(ListCount(), 2);
        EXPECT_EQ(logs().Current(), goodLog);  // the log current before stays current
        EXPECT_EQ(SelectedRow(), 0);
        EXPECT_EQ(form->windowTitle(), "RoboCup VeloTrask [HELIOS_A : HELIOS_B (0:1)]");
        EXPECT_EQ(goodLog->cycles, goodCycles);
        EXPECT_EQ(WaitForm, nullptr);
    }
    Open({Q(missing)});
    ExpectOneMessage("Cannot read the file " + Q(missing) + ": No such file or directory", "Error");
    EXPECT_EQ(NumLogs(), 2u);
    EXPECT_FALSE(window.isNull());  // the windows of other logs stay open

    // A log as the soccer server writes it compressed: the user learns what to do.
    const std::string gz = dir + "/match.rcg.gz";
    std::filesystem::copy_file(TestDataPath(std::string(kShort) + ".gz"), gz);
    Open({Q(gz)});
    ExpectOneMessage(Q(gz) + " is compressed (gzip): unpack it first, for example with \"gunzip\", and open the "
                             "unpacked log",
                     "Error");
    EXPECT_EQ(NumLogs(), 2u);

    // A name typed without extension opens the log of that name.
    const QString typed = CopyOfShortMatch(dir, "typed.rcg");
    Open({Q(dir + "/typed")});
    EXPECT_TRUE(script.messages.empty());
    EXPECT_EQ(logs().Current()->fileName, typed.toStdString());
    form->BtnRemoveFileClick();
    form->SelectCurrentFile(good, false);

    // Several files at once: the good ones load, the bad one is told of.
    const QString third = CopyOfShortMatch(dir, "third.rcg");
    Open({Q(cases[0].path), third});
    ExpectOneMessage(Q(cases[0].path) + " holds no cycles that this program can read (log version 5)", "Error");
    EXPECT_EQ(OpenNames(),
              (std::vector<std::string>{good.toStdString(), other.toStdString(), third.toStdString()}));
    EXPECT_EQ(logs().Current(), logs().At(2));
}

TEST_F(OpenLogsTest, AFileGoneBadSinceItWasOpenedKeepsItsLoadedLog)
{
    const std::string dir = MakeTempDir("gonebad");
    const QString a = CopyOfShortMatch(dir, "a.rcg");
    const QString b = CopyOfShortMatch(dir, "b.rcg");
    Open({a, b});
    ASSERT_EQ(NumLogs(), 2u);
    RoboCupFileT* loadedA = logs().At(0);
    const int cyclesA = loadedA->cycles;
    // The file is overwritten with something that yields no cycle; opening it
    // again must not cost the user the log already loaded from it.
    std::ofstream(a.toStdString(), std::ios::binary | std::ios::trunc) << "ULG5\n(junk)";
    Open({a});
    ExpectOneMessage(a + " holds no cycles that this program can read (log version 5)", "Error");
    ASSERT_EQ(OpenNames(), (std::vector<std::string>{a.toStdString(), b.toStdString()}));
    EXPECT_EQ(logs().At(0), loadedA);
    EXPECT_EQ(logs().At(0)->cycles, cyclesA);
    EXPECT_EQ(ListCount(), 2);
    EXPECT_EQ(RowText(0), "a.rcg");
    EXPECT_NE(logs().Current(), nullptr);
}

// Stands for any failure deep inside a load (a broken channel, or memory
// running out): it throws at the first wait text that starts as given.
class ThrowAt : public UiHooks {
public:
    explicit ThrowAt(std::string at = "Computing features", bool memory = false) : at_(std::move(at)), memory_(memory)
    {
        previous_ = platform::SetHooks(this);
    }
    ~ThrowAt() override { platform::SetHooks(previous_); }
    void SetWaitText(const std::string& text) override
    {
        if (text.starts_with(at_))
            memory_ ? throw std::bad_alloc() : throw std::runtime_error("broken");
        UiHooks::SetWaitText(text);
    }

private:
    std::string at_;
    bool memory_;
    platform::Hooks* previous_ = nullptr;
};

TEST_F(OpenLogsTest, ALoadThatFailsMidwayLeavesNoEntryAndKeepsTheLogItReplaced)
{
    const std::string dir = MakeTempDir("throws");
    const QString a = CopyOfShortMatch(dir, "a.rcg");
    const QString b = CopyOfShortMatch(dir, "b.rcg");
    const QString c = CopyOfShortMatch(dir, "c.rcg");
    Open({a, b});
    RoboCupFileT* loadedA = logs().At(0);
    RoboCupFileT* loadedB = logs().At(1);
    {
        ThrowAt failing;
        // Opened again: the log loaded from a is not lost.
        EXPECT_THROW(form->OpenLogFiles({a}), std::runtime_error);
        EXPECT_EQ(OpenNames(), (std::vector<std::string>{a.toStdString(), b.toStdString()}));
        EXPECT_EQ(logs().At(0), loadedA);
        EXPECT_EQ(loadedA->cycles, 409);
        EXPECT_EQ(logs().Current(), loadedB);  // current before, current after
        EXPECT_EQ(SelectedRow(), 1);
        EXPECT_EQ(WaitForm, nullptr);
        // A new file leaves no half-read entry.
        EXPECT_THROW(form->OpenLogFiles({c}), std::runtime_error);
        EXPECT_EQ(OpenNames(), (std::vector<std::string>{a.toStdString(), b.toStdString()}));
        EXPECT_EQ(ListCount(), 2);
        EXPECT_EQ(logs().Current(), loadedB);
    }
    EXPECT_TRUE(script.messages.empty());
}

TEST_F(OpenLogsTest, MemoryRunningOutIsSaidAndKeepsTheOpenLogs)
{
    const std::string dir = MakeTempDir("memory");
    const QString a = CopyOfShortMatch(dir, "a.rcg");
    Open({a, CopyOfShortMatch(dir, "b.rcg")});
    const std::vector<RoboCupFileT*> before = AllLogs();
    // While the records are read, while they are derived, while the features are computed.
    for (const char* at : {"Reading file (", "Evaluating calculated fields", "Computing features"}) {
        {
            ThrowAt memory(at, true);
            Open({a});
        }
        ExpectOneMessage("Not enough memory to read " + a + " (" + Q(platform::SizeText(QFileInfo(a).size())) + ")",
                         "Error");
        EXPECT_EQ(AllLogs(), before);
        EXPECT_EQ(logs().Current(), before[1]);
    }
}

TEST_F(OpenLogsTest, AnotherNameOfTheSameFileReplacesItsLog)
{
    namespace fs = std::filesystem;
    const std::string a = CopyOfShortMatch(MakeTempDir("samefile"), "a.rcg").toStdString();
    using Make = void (*)(const fs::path&, const fs::path&);
    const std::pair<Make, bool> cases[] = {{[](auto& t, auto& l) { fs::create_symlink(t, l); }, true},
                                           {[](auto& t, auto& l) { fs::create_hard_link(t, l); }, true},
                                           {[](auto& t, auto& l) { fs::copy_file(t, l); }, false}};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const std::string other = a + std::to_string(i);
        cases[i].first(a, other);
        Open({Q(a), Q(other)});  // a replaces the log read under a link to it before
        EXPECT_EQ(OpenNames(), (cases[i].second ? std::vector{other} : std::vector{a, other}));
    }
    EXPECT_TRUE(script.messages.empty());
}

TEST_F(OpenLogsTest, ABadFileAsTheOnlyLogLeavesNoLog)
{
    const std::string path = SaveTempFile("alone", "ULG4\n");
    Open({Q(path)});
    ExpectOneMessage(Q(path) + " holds no cycles that this program can read (log version 4)", "Error");
    EXPECT_TRUE(logs().Empty());
    EXPECT_EQ(ListCount(), 0);
    EXPECT_EQ(logs().Current(), nullptr);
    EXPECT_EQ(form->windowTitle(), "RoboCup VeloTrask");
}

TEST_F(OpenLogsTest, ACutOrBrokenFileKeepsTheCyclesReadAndSaysSo)
{
    const std::string real = ReadBytes(GunzippedTestFile(kShort));
    ASSERT_EQ(real.size(), 587190u);
    // Cut in the middle of the last records: every whole record before stays.
    const std::string cut = SaveTempFile("cut", real.substr(0, real.size() - 700));
    Open({Q(cut)});
    ASSERT_EQ(NumLogs(), 1u);
    RoboCupFileT* log = logs().Current();
    EXPECT_GT(log->cycles, 400);
    EXPECT_LT(log->cycles, 409);
    ExpectOneMessage(Q(cut) + " ends inside a record: the " + QString::number(log->cycles) +
                         " cycles read before it were kept",
                     "Warning");
    EXPECT_EQ(ListShows()[0].first, "HELIOS_A : HELIOS_B (0:1)");
    EXPECT_EQ(log->features->GetNumInstances(), log->cycles);

    // A bad record after 3 cycles.
    RcgWriter w;
    w.Teams("A", 1, "B", 2);
    for (int t = 1; t <= 3; ++t) {
        ShowState s;
        s.time = static_cast<uint16_t>(t);
        w.Show(s);
    }
    RcgWriter negative = w;
    negative.MessageWithLength(1, -1, "x");
    w.Tag(4);
    const std::string broken = w.Save("broken");
    Open({Q(broken)});
    ExpectOneMessage(Q(broken) + " has a bad record (Unknown mode): the 3 cycles read before it were kept",
                     "Warning");
    ASSERT_EQ(NumLogs(), 2u);
    EXPECT_EQ(logs().Current()->cycles, 3);
    // Nobody moves in these three cycles: a keepaway log by the program's rule.
    EXPECT_EQ(ListShows()[1].first, "A : B (Keepaway)");
    EXPECT_EQ(form->windowTitle(), "RoboCup VeloTrask [A : B (1:2)]");
    EXPECT_EQ(logs().At(0)->cycles, log->cycles);  // the first log untouched

    // A message of negative length is told as what it is.
    const std::string badLength = negative.Save("negative");
    Open({Q(badLength)});
    ExpectOneMessage(Q(badLength) + " has a bad record (negative message length): the 3 cycles read before it were kept",
                     "Warning");
}
