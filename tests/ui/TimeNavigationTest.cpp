// Time navigation and playback through the real main window on a real match,
// offscreen: the range arithmetic, the two edits and "Set", playback cycle by
// cycle and mark by mark, the memory of each log, the pushes to the windows and
// the question before the averaging window changes.
#include "UiTestMain.h"

#include "ui/FormControls.h"
#include "ui/MDIChild.h"
#include "ui/OpenLogs.h"
#include "ui/TimeSource.h"
#include "ui/childChartWin.h"
#include "ui/childFieldWin.h"
#include "ui/main.h"
#include "core/model/RoboCupFile.h"
#include "platform/qt/Dialogs.h"
#include "support/TestData.h"

#include <QCheckBox>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <qcustomplot.h>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <memory>
#include <vector>

// Readable QStrings in failure messages.
static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

const char* const kShort = "match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg";
constexpr int kLast = 408;  // the short match has 409 cycles

// Every time the source pushes, as (cycle, from, to).
struct Pushes {
    Pushes()
    {
        connection = QObject::connect(&TimeSource(), &TTimeSource::TimeChanged,
                                      [this](RoboCupFileT*, int c, int f, int t) { seen.push_back({c, f, t}); });
    }
    ~Pushes() { QObject::disconnect(connection); }
    std::vector<std::array<int, 3>> seen;
    QMetaObject::Connection connection;
};

// A window that counts what it is told about the averaging window.
class CountingChild : public TMDIChild {
public:
    using TMDIChild::TMDIChild;
    void TimeWindowChanged() override { ++refreshed; }
    int refreshed = 0;
};

// One main window with two copies of the short match open (a, then b), shared
// by the tests of this file: loading is the slow part.
class TimeNavigationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        EnsureApp();
        TMainForm::AboutBoxRunner() = [] {};
        form = new TMainForm;
        form->FirstActivation = false;
        const std::string dir = MakeTempDir("timenav");
        for (const char* name : {"a.rcg", "b.rcg"}) {
            const std::string path = dir + "/" + name;
            std::filesystem::copy_file(GunzippedTestFile(kShort), path);
            form->OpenLogFiles({QString::fromStdString(path)});
        }
        a = form->Logs->At(0);
        b = form->Logs->At(1);
    }
    static void TearDownTestSuite()
    {
        delete form;
        form = nullptr;
        TMainForm::AboutBoxRunner() = &TMainForm::ShowAboutBox;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void SetUp() override
    {
        ASSERT_NE(a, nullptr);
        form->SelectCurrentFile(QString::fromStdString(a->fileName), true);
        form->sbStopClick();
        form->cbUseTimeMarks->setChecked(false);
        form->cbStopAtLastMark->setChecked(false);
        form->lbMarks->clear();
    }
    void TearDown() override
    {
        form->MdiArea->closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The sliders at half-width r and cycle p, as the user drags them.
    static void Drag(int p, int r)
    {
        form->TrackBar2->setValue(r);
        form->TrackBar1->setValue(p);
    }
    static std::array<int, 4> Shown()
    {
        return {form->TrackBar1->value(), form->TrackBar2->value(), form->EditStartTime->text().toInt(),
                form->EditEndTime->text().toInt()};
    }
    static void Enter(QLineEdit* edit, const QString& text)
    {
        edit->setText(text);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(edit, &press);
    }
    static void AddMarks(const QStringList& marks)
    {
        form->lbMarks->addItems(marks);
        form->cbUseTimeMarks->setChecked(true);
    }

    platform::DialogScript script;
    static TMainForm* form;
    static RoboCupFileT* a;
    static RoboCupFileT* b;
};

TMainForm* TimeNavigationTest::form = nullptr;
RoboCupFileT* TimeNavigationTest::a = nullptr;
RoboCupFileT* TimeNavigationTest::b = nullptr;

}  // namespace

TEST_F(TimeNavigationTest, TheRangeAroundTheCycleAtBothEndsOfTheLog)
{
    ASSERT_EQ(form->TrackBar1->maximum(), kLast);
    struct Case {
        int p, r, from, to;
    };
    const Case cases[] = {
        {0, 0, 0, 1},          // the end one past the cycle
        {kLast, 10, 398, kLast + 1},  // the exclusive end one past the last cycle, not beyond
        {kLast, 0, kLast, kLast + 1}, {50, 50, 0, 101},  // a start of exactly 0
        {51, 50, 1, 102},      // a start of 1 stays 1
        {30, 50, 0, 81},       // below 0 shows 0
        {200, 100, 100, 301},  {kLast - 5, kLast, 0, kLast + 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "p " << c.p << " r " << c.r);
        Pushes pushes;
        Drag(c.p, c.r);
        EXPECT_EQ(Shown(), (std::array<int, 4>{c.p, c.r, c.from, c.to}));
        EXPECT_EQ(form->TrackBar1->SelStart(), c.from);
        EXPECT_EQ(form->TrackBar1->SelEnd(), c.to);
        // The log remembers both; the windows of the log hear the last push.
        EXPECT_EQ(a->currentCycle, c.p);
        EXPECT_EQ(a->timeRange, c.r);
        ASSERT_FALSE(pushes.seen.empty());
        EXPECT_EQ(pushes.seen.back(), (std::array<int, 3>{c.p, c.from, c.to}));
        EXPECT_EQ(TimeSource().Log(), a);
    }
}

TEST_F(TimeNavigationTest, EnterInEitherEditAndSetTakeTheTypedRange)
{
    Drag(10, 5);
    // Enter in the start edit: one cycle at the start.
    form->EditEndTime->setText("999");
    Enter(form->EditStartTime, "250");
    EXPECT_EQ(Shown(), (std::array<int, 4>{250, 0, 250, 251}));
    // Enter in the end edit: the range as typed, the end one past the middle's reach.
    form->EditStartTime->setText("100");
    Enter(form->EditEndTime, "200");
    EXPECT_EQ(Shown(), (std::array<int, 4>{150, 50, 100, 201}));
    // "Set" with the start after the end: one cycle at the start.
    form->EditStartTime->setText("300");
    form->EditEndTime->setText("200");
    form->BtnSetTimeRange->click();
    EXPECT_EQ(Shown(), (std::array<int, 4>{300, 0, 300, 301}));
    // Beyond the log: the sliders clamp.
    form->EditStartTime->setText("1000");
    form->EditEndTime->setText("2000");
    form->BtnSetTimeRange->click();
    EXPECT_EQ(form->TrackBar1->value(), kLast);
    EXPECT_TRUE(form->TrackBar1->isEnabled());
    EXPECT_TRUE(form->TrackBar2->isEnabled());
    EXPECT_TRUE(script.messages.empty());
}

TEST_F(TimeNavigationTest, ABadNumberIsShownAndTheRangeStays)
{
    Drag(120, 20);
    for (QLineEdit* edit : {form->EditStartTime, form->EditEndTime}) {
        const QString kept = edit->text();
        Enter(edit, "12a");
        ASSERT_EQ(script.messages.size(), 1u);
        EXPECT_EQ(script.messages[0].text, "'12a' is not a valid integer value.");
        EXPECT_EQ(script.messages[0].caption, "VeloTrask");
        script.messages.clear();
        EXPECT_EQ(form->TrackBar1->value(), 120);
        EXPECT_EQ(form->TrackBar2->value(), 20);
        EXPECT_EQ(form->TrackBar1->SelStart(), 100);
        EXPECT_EQ(form->TrackBar1->SelEnd(), 141);
        edit->setText(kept);
    }
}

TEST_F(TimeNavigationTest, PlaybackRunsUntilStoppedAndStandsAtTheEnds)
{
    // The delay stays 100 ms until the speed bar is first moved, though it shows 61.
    EXPECT_EQ(form->Timer->interval(), 100);
    EXPECT_EQ(form->sbTimeSpeed->value(), 61);

    Drag(400, 0);
    form->sbFFwd->click();
    EXPECT_TRUE(form->Timer->isActive());
    EXPECT_EQ(form->PlayStep, 10);
    form->TimerTimer();
    EXPECT_EQ(form->TrackBar1->value(), kLast);
    form->TimerTimer();
    EXPECT_EQ(form->TrackBar1->value(), kLast);
    EXPECT_TRUE(form->Timer->isActive());  // playback never stops by itself at the end
    form->sbStop->click();
    EXPECT_FALSE(form->Timer->isActive());
    EXPECT_EQ(form->PlayStep, 10);  // stop leaves the step

    form->sbRev->click();
    form->TimerTimer();
    EXPECT_EQ(form->TrackBar1->value(), kLast - 1);
    form->sbFRew->click();
    Drag(4, 0);
    form->TimerTimer();
    EXPECT_EQ(form->TrackBar1->value(), 0);
    // A step by hand stops playback.
    form->sbNext->click();
    EXPECT_FALSE(form->Timer->isActive());
    EXPECT_EQ(form->TrackBar1->value(), 1);
    form->sbPrev->click();
    EXPECT_EQ(form->TrackBar1->value(), 0);

    form->sbTimeSpeed->setValue(121);
    EXPECT_EQ(form->Timer->interval(), 121);
    form->sbTimeSpeed->setValue(61);
    EXPECT_EQ(form->Timer->interval(), 61);
    form->Timer->setInterval(100);
}

TEST_F(TimeNavigationTest, EachLogRemembersItsCycleAndRange)
{
    Drag(300, 50);
    const QModelIndex rowB = form->Logs->index(1);
    form->lbFiles->selectionModel()->setCurrentIndex(rowB, QItemSelectionModel::ClearAndSelect);
    ASSERT_EQ(form->Logs->Current(), b);
    Drag(20, 7);
    form->lbFiles->selectionModel()->setCurrentIndex(form->Logs->index(0), QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(Shown(), (std::array<int, 4>{300, 50, 250, 351}));
    form->lbFiles->selectionModel()->setCurrentIndex(rowB, QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(Shown(), (std::array<int, 4>{20, 7, 13, 28}));
}

TEST_F(TimeNavigationTest, TheTimeReachesOnlyTheFollowingWindowsOfTheCurrentLog)
{
    Drag(100, 10);
    form->BtnAdd1dClick();
    auto* chart = qobject_cast<TMDIChartChild*>(form->MdiArea->subWindowList().back());
    form->BtnAdd2dClick();
    auto* field = qobject_cast<TMDIFieldChild*>(form->MdiArea->subWindowList().back());
    form->SelectCurrentFile(QString::fromStdString(b->fileName), false);
    form->BtnAdd2dClick();
    auto* fieldOfB = qobject_cast<TMDIFieldChild*>(form->MdiArea->subWindowList().back());
    ASSERT_TRUE(chart && field && fieldOfB);
    const int bCycle = fieldOfB->Cycle;
    form->SelectCurrentFile(QString::fromStdString(a->fileName), false);

    Drag(200, 20);
    EXPECT_EQ(chart->CurrentCycle, 200);
    EXPECT_EQ(chart->Chart->xAxis->range().lower, 180.0);
    EXPECT_EQ(chart->Chart->xAxis->range().upper, 221.0);
    EXPECT_EQ(field->Cycle, 200);
    EXPECT_EQ(field->RangeFrom, 180);
    EXPECT_EQ(field->RangeTo, 221);
    EXPECT_EQ(fieldOfB->Cycle, bCycle);  // a window of another log never follows

    // Cleared "Dynamic time range": the chart keeps its axis and cursor.
    chart->cbDynamicTimeRange->setChecked(false);
    Drag(250, 20);
    EXPECT_EQ(chart->CurrentCycle, 200);
    EXPECT_EQ(chart->Chart->xAxis->range().lower, 180.0);
    EXPECT_EQ(field->Cycle, 250);
}

TEST_F(TimeNavigationTest, PlaybackOverMarksStopsAtTheLastOrWrapsAround)
{
    AddMarks({"   100", "   200", "   300"});
    // Fast forward with "Stop at last mark", the second selected: one tick goes
    // to the third mark and stops there.
    form->cbStopAtLastMark->setChecked(true);
    form->lbMarks->setCurrentRow(1);
    form->sbFFwd->click();
    form->TimerTimer();
    EXPECT_EQ(form->TrackBar1->value(), 300);
    EXPECT_EQ(form->lbMarks->currentRow(), 2);
    EXPECT_FALSE(form->Timer->isActive());
    EXPECT_TRUE(form->sbStop->isChecked());

    // Without the box the marks go round, ten steps a tick, each one pushed.
    form->cbStopAtLastMark->setChecked(false);
    form->lbMarks->setCurrentRow(1);
    Drag(50, 0);
    form->sbFFwd->click();
    Pushes pushes;
    form->TimerTimer();
    std::vector<int> cycles;
    for (const auto& p : pushes.seen)
        cycles.push_back(p[0]);
    EXPECT_EQ(cycles, (std::vector<int>{300, 100, 200, 300, 100, 200, 300, 100, 200, 300}));
    EXPECT_TRUE(form->Timer->isActive());

    // Backwards the first mark is the end; without the box it wraps to the last.
    form->sbRev->click();
    form->lbMarks->setCurrentRow(0);
    form->TimerTimer();
    EXPECT_EQ(form->TrackBar1->value(), 300);
    form->cbStopAtLastMark->setChecked(true);
    form->lbMarks->setCurrentRow(0);
    form->TimerTimer();
    EXPECT_FALSE(form->Timer->isActive());
    EXPECT_EQ(form->TrackBar1->value(), 100);

    // "Stop at last mark" with no mark selected stops at once.
    form->lbMarks->clearSelection();
    Drag(50, 0);
    form->sbFwd->click();
    form->TimerTimer();
    EXPECT_FALSE(form->Timer->isActive());
    EXPECT_EQ(form->TrackBar1->value(), 50);

    // A step by hand stops playback and moves one mark.
    form->cbStopAtLastMark->setChecked(false);
    form->lbMarks->setCurrentRow(0);
    form->sbFwd->click();
    form->sbNext->click();
    EXPECT_FALSE(form->Timer->isActive());
    EXPECT_EQ(form->TrackBar1->value(), 200);
    form->sbPrev->click();
    EXPECT_EQ(form->TrackBar1->value(), 100);
    EXPECT_TRUE(script.messages.empty());
}

TEST_F(TimeNavigationTest, AMarkThatIsNoNumberStopsPlaybackWithTheConversionError)
{
    AddMarks({"   100", "  x7"});
    form->lbMarks->setCurrentRow(0);
    Drag(10, 0);
    form->sbFwd->click();
    form->TimerTimer();
    EXPECT_FALSE(form->Timer->isActive());
    EXPECT_EQ(form->TrackBar1->value(), 10);
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "'x7' is not a valid integer value.");
}

TEST_F(TimeNavigationTest, TheTimeWindowChangesOnlyAfterOk)
{
    auto* ofA = new CountingChild(form->MdiArea, a);
    auto* ofB = new CountingChild(form->MdiArea, b);
    const int before = a->stream->GetTimeWindow();
    script.answers.push_back(platform::Answer::Cancel);
    form->ChangeTimeWindow(5);
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text,
              "Changing time window will update the current log's values in all windows, charts included. Do you "
              "want to change it?");
    EXPECT_EQ(script.messages[0].caption, "Warning");
    EXPECT_EQ(script.messages[0].buttons, platform::Buttons::OkCancel);
    EXPECT_EQ(a->stream->GetTimeWindow(), before);
    EXPECT_EQ(ofA->refreshed, 0);

    form->ChangeTimeWindow(5);  // an empty script answers OK
    EXPECT_EQ(a->stream->GetTimeWindow(), 5);
    EXPECT_EQ(b->stream->GetTimeWindow(), before);  // only the current log's
    EXPECT_EQ(ofA->refreshed, 1);
    EXPECT_EQ(ofB->refreshed, 1);  // windows of every log refresh
    form->ChangeTimeWindow(0);
    EXPECT_EQ(a->stream->GetTimeWindow(), 1);
    // The hidden button asks for 1.
    form->ChangeTimeWindow(before);
}

TEST(SelTrackBar, PaintsTheSelectedRangeAlongItsGroove)
{
    EnsureApp();
    auto bandPixels = [](int from, int to) {
        TSelTrackBar bar;
        bar.resize(300, 30);
        bar.setRange(0, 100);
        bar.SetSelStart(from);
        bar.SetSelEnd(to);
        QImage image(bar.size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        bar.render(&image);
        const QRgb band = bar.palette().color(QPalette::Highlight).rgb();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixel(x, y) == band;
        return n;
    };
    const int none = bandPixels(0, 0);
    const int half = bandPixels(0, 50);
    const int all = bandPixels(0, 100);
    EXPECT_GT(half, none);
    EXPECT_GT(all, half + 100);
}
