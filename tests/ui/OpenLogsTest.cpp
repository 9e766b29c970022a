// Opening logs through the real main window, offscreen, with scripted dialogs:
// the file list, the current log and the caption, reopening, several files at
// once, and removing logs.
#include "OpenLogsFixture.h"
#include "UiTestMain.h"

#include "core/learning/Features.h"
#include "support/RcgWriter.h"
#include "ui/FormControls.h"
#include "ui/TeamDlg.h"
#include "ui/MDIChild.h"
#include "ui/UiHooks.h"
#include "ui/waitFormWin.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>
#include <array>
#include <memory>
#include <set>

namespace {

// Records every text the wait window shows (whole, not as cut to the screen)
// while the core reports progress, and whether a wait window was up each time.
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
            Note(WaitForm->Text());
        }
        UiHooks::SetWaitText(text);
        if (WaitForm)
            Note(WaitForm->Text());
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

// Read whole, a log without a team record is listed with no team names and
// the score of its goals, as the caption names it.
TEST_F(OpenLogsTest, ALogWithoutATeamRecordIsListedAsLoaded)
{
    RcgWriter w;
    ShowState s;
    for (; s.time <= 20; ++s.time) {
        for (PlayerState& player : s.players)
            player.x += 0.5;  // a match, not keepaway: the players move
        if (s.time == 10)
            w.PlayMode(PM_GoalRight);
        w.Show(s);
    }
    Open({Q(w.Save("noteams"))});
    EXPECT_TRUE(script.messages.empty());
    EXPECT_EQ(ListShows(), (std::vector<std::pair<QString, QString>>{{" :  (0:1)", "noteams.rcg"}}));
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
    form->cbUseCriteriaFunction->setChecked(true);  // marks added and removed by criteria
    TChooseTeamDlg::ModalRunner() = [](TChooseTeamDlg&) { return int(QDialog::Rejected); };  // no team merged
    for (QPushButton* b : {form->BtnAdd1d, form->BtnAdd2d, form->BtnAddData, form->BtnAddUsage, form->btnAnalyze,
                           form->BtnAddFunctionSeries, form->BtnAddMarks, form->BtnRemoveMarks, form->btnInvertMarks,
                           form->BtnResetMarks, form->BtnMergeFiles, form->btnSetTimeWindow, form->BtnTestFiles}) {
        b->click();
        ExpectOneMessage("No log file loaded", "Warning");
    }
    form->cbUseCriteriaFunction->setChecked(false);  // "Add" takes the empty box as a cycle
    form->BtnAddMarks->click();
    ExpectOneMessage("No log file loaded", "Warning");
    TChooseTeamDlg::ModalRunner() = [](TChooseTeamDlg& d) { return d.exec(); };
    EXPECT_TRUE(form->MdiArea->subWindowList().isEmpty());

}
