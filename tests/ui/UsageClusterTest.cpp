// "Cluster" in the concept-usage window on a real match: the timeline grid,
// the memo's report, the time steps at the marks, the refused settings and a
// second start during a run.
#include "MainFormFixture.h"
#include "UiTestMain.h"

#include "core/analysis/ConceptUsage.h"
#include "core/model/RoboCupFile.h"
#include "platform/Memory.h"
#include "platform/qt/Dialogs.h"
#include "support/TestData.h"
#include "ui/ChildUsageWin.h"
#include "ui/OpenLogs.h"
#include "ui/StringGrid.h"
#include "ui/main.h"
#include "ui/waitFormWin.h"

#include <QCheckBox>
#include <QLabel>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace {

class UsageClusterTest : public MainFormFixture {
protected:
    void SetUp() override
    {
        MainFormFixture::SetUp();
        form->OpenLogFiles({QString::fromStdString(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"))});
        log = form->Logs->Current();
        ASSERT_NE(log, nullptr);
        form->BtnAddUsageClick();
        w = qobject_cast<TMDIUsageChild*>(form->MdiArea->subWindowList().back());
        ASSERT_NE(w, nullptr);
        // A few items keep the run short: the ball's and the first left player's first ones.
        w->lbConcepts->clearSelection();
        const int perObject = w->lbConcepts->count() / 23;
        for (int row : {0, 1, 2, perObject, perObject + 3})
            w->lbConcepts->item(row)->setSelected(true);
        w->MemoClusters->clear();
    }
    QStringList Memo() const { return w->MemoClusters->toPlainText().split('\n'); }
    // The settings, then "Cluster".
    void Cluster(const QString& window, const QString& step, const QString& maxClusters, const QString& maxDist)
    {
        w->EditWindow->setText(window);
        w->EditStep->setText(step);
        w->EditMaxClusters->setText(maxClusters);
        w->EditMaxDist->setText(maxDist);
        w->btnGenerate->click();
    }

    platform::DialogScript script;
    RoboCupFileT* log = nullptr;
    TMDIUsageChild* w = nullptr;
};

const QRegularExpression kTimeLine("^(Start|End) time:\\d\\d:\\d\\d:\\d\\d$");

}  // namespace

TEST_F(UsageClusterTest, TimelineGridAndReportEveryStepCycles)
{
    const int cycles = log->cycles;
    ASSERT_EQ(cycles, 409);
    ASSERT_TRUE(w->cbDynamicTimeRange->isChecked());
    Cluster("30", "10", "5", "1000");
    EXPECT_TRUE(script.messages.empty());
    EXPECT_EQ(WaitForm, nullptr);
    EXPECT_FALSE(w->cbDynamicTimeRange->isChecked());

    // Items as rows, the 41 time steps 0, 10, ... 400 as columns.
    const std::vector<int> rows = w->SelectedItems();
    ASSERT_EQ(w->sgConcepts->RowCount(), 6);
    ASSERT_EQ(w->sgConcepts->ColCount(), 42);
    EXPECT_EQ(w->sgConcepts->Cell(1, 0), "0");
    EXPECT_EQ(w->sgConcepts->Cell(41, 0), "400");
    EXPECT_EQ(w->sgConcepts->Cell(0, 4), w->lbConcepts->item(rows[3])->text().toStdString());
    // Center: step 0 counts [0, 30), step 10 [0, 30) too, step 100 [85, 115),
    // step 400 [379, 409).
    for (const auto& [col, a] : {std::pair{1, 0}, {2, 0}, {11, 85}, {41, 379}}) {
        for (int r = 0; r < 5; ++r) {
            int holds = 0;
            for (int t = a; t < a + 30; ++t)
                holds += EvaluateItem(w->Item(rows[static_cast<std::size_t>(r)]), *log, t) ? 1 : 0;
            EXPECT_EQ(w->sgConcepts->Cell(col, r + 1), std::to_string(holds) + ".000") << col << " row " << r;
        }
    }

    const QStringList memo = Memo();
    const QString file = QString::fromStdString(log->fileName);
    ASSERT_EQ(memo.size(), 11 + 36 + 2 + 5 + 1);
    EXPECT_EQ(memo[0], "*** Generating timeline concepts " + file + " ***");
    EXPECT_EQ(memo[1], "");
    EXPECT_EQ(memo[2], "Window alignment is center.");
    EXPECT_TRUE(kTimeLine.match(memo[3]).hasMatch()) << memo[3].toStdString();
    EXPECT_TRUE(kTimeLine.match(memo[4]).hasMatch()) << memo[4].toStdString();
    EXPECT_EQ(memo[5], "*** Clustering " + file + " ***");
    EXPECT_EQ(memo[6], "");
    EXPECT_TRUE(memo[7].startsWith("Start time:"));
    EXPECT_EQ(memo[8], "Window:30 Time step:10 Max dist.:1000");
    EXPECT_EQ(memo[9], "Number of initial time steps:41");
    EXPECT_EQ(memo[10], "");
    // 36 joins bring 41 steps down to 5 clusters.
    for (int j = 0; j < 36; ++j)
        EXPECT_TRUE(memo[11 + j].startsWith(QString::number(41 - j) + "\t")) << memo[11 + j].toStdString();
    EXPECT_TRUE(memo[47].startsWith("Minimal distance: "));
    EXPECT_EQ(memo[48], "5 clusters :");
    std::multiset<int> times;
    for (int c = 0; c < 5; ++c) {
        const QStringList parts = memo[49 + c].split(' ');
        EXPECT_TRUE(parts[0] == QString::number(c + 1) + ".") << memo[49 + c].toStdString();
        for (int i = 2; i < parts.size(); ++i)
            times.insert(parts[i].toInt());
    }
    ASSERT_EQ(times.size(), 41u);
    EXPECT_EQ(*times.rbegin(), 400);
    EXPECT_EQ(times.count(150), 1u);
    EXPECT_TRUE(kTimeLine.match(memo[54]).hasMatch()) << memo[54].toStdString();
}

TEST_F(UsageClusterTest, TimeStepsAtTheMarksInsideTheLog)
{
    form->Marks.Assign({5, 150, 500});
    form->cbUseTimeMarks->setChecked(true);
    Cluster("30", "0", "10", "10");
    EXPECT_TRUE(script.messages.empty());
    ASSERT_EQ(w->sgConcepts->ColCount(), 3);
    EXPECT_EQ(w->sgConcepts->Cell(1, 0), "5");
    EXPECT_EQ(w->sgConcepts->Cell(2, 0), "150");
    const QStringList memo = Memo();
    EXPECT_TRUE(memo.contains("Using time marks, window:30 Max dist.:10"));
    EXPECT_TRUE(memo.contains("Number of initial time steps:2"));
    // Two clusters are not more than ten: nothing joined.
    const qsizetype report = memo.indexOf("Minimal distance: -1");
    ASSERT_GE(report, 0);
    EXPECT_EQ(memo[report + 1], "2 clusters :");
    EXPECT_EQ(memo[report + 2], "1. (1): 5");
    EXPECT_EQ(memo[report + 3], "2. (1): 150");
}

TEST_F(UsageClusterTest, SettingsThatCannotWorkAreRefusedBeforeAnythingStarts)
{
    const int columns = w->sgConcepts->ColCount();
    struct Case {
        const char *window, *step, *maxDist;
        QString message;
    };
    const Case cases[] = {
        {"0", "10", "10", "The window must be at least 1 cycle long"},
        {"30", "0", "10", "The time step must be at least 1 cycle"},
        {"410", "10", "10", "The window (410 cycles) is longer than the log (409 cycles)"},
        {"30", "x", "10", "'x' is not a valid integer value."},
        {"30", "10", "ten", "'ten' is not a valid floating point value."},
        {"30", "1", "10", "Clustering 410 time steps needs 0.7 MB of memory (a table of 83845 distances), more than "
                          "the 0.1 MB free. Nothing was clustered: a longer time step, or fewer time marks, makes "
                          "fewer time steps."},
    };
    platform::SetAvailableMemory([] { return std::uint64_t{64} * 1024; });
    const struct Restore { ~Restore() { platform::SetAvailableMemory({}); } } restore;
    for (const Case& c : cases) {
        script.messages.clear();
        Cluster(c.window, c.step, "10", c.maxDist);
        ASSERT_EQ(script.messages.size(), 1u) << c.window << " " << c.step << " " << c.maxDist;
        EXPECT_EQ(script.messages[0].text, c.message);
        EXPECT_EQ(WaitForm, nullptr);
        EXPECT_EQ(w->MemoClusters->toPlainText(), "");
        EXPECT_EQ(w->sgConcepts->ColCount(), columns);
        EXPECT_TRUE(w->cbDynamicTimeRange->isChecked());
    }
}

TEST_F(UsageClusterTest, ASecondStartDuringARunIsRefused)
{
    bool fired = false;
    QTimer::singleShot(0, w, [&] {
        fired = true;
        w->btnGenerate->click();
    });
    Cluster("30", "10", "10", "10");
    EXPECT_TRUE(fired);
    EXPECT_EQ(Memo().filter("*** Generating timeline concepts").size(), 1);
    // Once the run is over, another one starts.
    Cluster("30", "10", "10", "10");
    EXPECT_EQ(Memo().filter("*** Generating timeline concepts").size(), 2);
}

// Cancel while the steps are evaluated, their distance table is made or they
// are joined: the run ends there, the grid and the memo keep the earlier result.
TEST_F(UsageClusterTest, CancelKeepsTheEarlierResult)
{
    Cluster("30", "10", "5", "1000");
    const QString memo = w->MemoClusters->toPlainText();
    for (const char* at : {"time = 100", "Building the distance table: 0 of 3,321", "Join distance"}) {
        QString atPress;  // the wait text at the press of Cancel
        bool goneOn = false;
        QTimer press;
        QObject::connect(&press, &QTimer::timeout, [&] {
            if (!WaitForm || !WaitForm->CancelButton->isVisible())
                return;
            goneOn = goneOn || (!atPress.isEmpty() && WaitForm->LabelText->text() != atPress);
            if (atPress.isEmpty() && WaitForm->LabelText->text().contains(at)) {
                atPress = WaitForm->LabelText->text();
                WaitForm->CancelButton->click();
            }
        });
        press.start(0);
        Cluster("30", "5", "2", "1000");
        EXPECT_FALSE(atPress.isEmpty() || goneOn) << at;
        EXPECT_EQ(w->sgConcepts->ColCount(), 42);
        EXPECT_EQ(w->MemoClusters->toPlainText(), memo);
    }
}
