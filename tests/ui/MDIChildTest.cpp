#include "ui/MDIChild.h"
#include "UiTestMain.h"

#include "ui/TimeSource.h"
#include "core/model/RoboCupFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMdiArea>
#include <QPointer>
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

class MDIChildTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        left.leftTeam = "HELIOS_A";
        left.rightTeam = "HELIOS_B";
        left.leftScore = 4;
        left.rightScore = 2;
        g_onChildActivated = [this](const std::string& name) { activated.push_back(name); };
    }
    void TearDown() override
    {
        g_onChildActivated = nullptr;
        // Let closed windows free themselves before the logs go.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    TMDIChild* NewChild(RoboCupFileT* log)
    {
        auto* child = new TMDIChild(&area, log);
        child->setWidget(new QLabel("content"));
        child->show();
        return child;
    }

    const bool appReady = (EnsureApp(), true);  // before any widget member
    RoboCupFileT left{"/logs/match-full.rcg"};
    RoboCupFileT other{"/logs/keepaway.rcg"};
    QMdiArea area;
    std::vector<std::string> activated;
};

}  // namespace

TEST_F(MDIChildTest, NewChildFreesItselfOnCloseAndSitsInTheArea)
{
    TMDIChild* child = NewChild(&left);
    EXPECT_TRUE(child->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_TRUE(area.subWindowList().contains(child));
    EXPECT_FALSE(child->isMinimized() || child->isMaximized());
}

TEST_F(MDIChildTest, TitleHasTeamsAndScoreInFront)
{
    TMDIChild* child = NewChild(&left);
    child->SetTitle("Chart 1");
    EXPECT_EQ(child->windowTitle(), "HELIOS_A : HELIOS_B (4:2): Chart 1");

    // A log whose team records were not read yet.
    TMDIChild* fresh = NewChild(&other);
    fresh->SetTitle("Field 2");
    EXPECT_EQ(fresh->windowTitle(), " :  (-1:-1): Field 2");

    // The caption is made once and does not follow the log.
    left.leftScore = 5;
    EXPECT_EQ(child->windowTitle(), "HELIOS_A : HELIOS_B (4:2): Chart 1");
    child->SetTitle("Chart 1");
    EXPECT_EQ(child->windowTitle(), "HELIOS_A : HELIOS_B (5:2): Chart 1");

    TMDIChild* none = NewChild(nullptr);
    none->SetTitle("Action graph 3");
    EXPECT_EQ(none->windowTitle(), "Action graph 3");
}

TEST_F(MDIChildTest, ForgetFileClosesOnlyTheWindowsOfThatLog)
{
    TMDIChild* mine = NewChild(&left);
    mine->SetTitle("Data 1");
    QPointer<TMDIChild> theirs = NewChild(&other);
    QPointer<TMDIChild> watched = mine;

    mine->ForgetFile(&other);
    EXPECT_EQ(mine->File, &left);
    EXPECT_FALSE(mine->isHidden());

    theirs->ForgetFile(&other);
    EXPECT_FALSE(watched.isNull());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(theirs.isNull());  // closed windows free themselves
    EXPECT_FALSE(watched.isNull());
    EXPECT_EQ(area.subWindowList().size(), 1);
    EXPECT_EQ(area.subWindowList().value(0), mine);
}

TEST_F(MDIChildTest, ForgottenWindowHasNoLogAndKeepsItsCaption)
{
    TMDIChild* child = NewChild(&left);
    child->SetTitle("Concepts 1");
    child->ForgetFile(&left);
    EXPECT_EQ(child->File, nullptr);
    EXPECT_TRUE(child->isHidden());
    EXPECT_EQ(child->windowTitle(), "HELIOS_A : HELIOS_B (4:2): Concepts 1");
    // Activating a forgotten window changes nothing.
    activated.clear();
    child->ActivateChild();
    EXPECT_TRUE(activated.empty());
    // A second forget of the same log finds nothing to do.
    child->ForgetFile(&left);
    EXPECT_EQ(child->File, nullptr);
}

TEST_F(MDIChildTest, ActivationMakesTheWindowsLogCurrent)
{
    area.resize(800, 600);
    area.show();
    TMDIChild* a = NewChild(&left);
    TMDIChild* b = NewChild(&other);
    TMDIChild* none = NewChild(nullptr);

    activated.clear();
    area.setActiveSubWindow(a);
    ASSERT_EQ(activated.size(), 1u);
    EXPECT_EQ(activated.back(), "/logs/match-full.rcg");

    area.setActiveSubWindow(b);
    ASSERT_EQ(activated.size(), 2u);
    EXPECT_EQ(activated.back(), "/logs/keepaway.rcg");

    // Activating the active window again is no new activation.
    area.setActiveSubWindow(b);
    EXPECT_EQ(activated.size(), 2u);

    // A window without a log makes nothing current.
    area.setActiveSubWindow(none);
    EXPECT_EQ(activated.size(), 2u);

    // Without the main window's hook nothing happens either.
    g_onChildActivated = nullptr;
    area.setActiveSubWindow(a);
    EXPECT_EQ(activated.size(), 2u);
}

// ---- Following the time source --------------------------------------------------

namespace {

// A window with the time-range panel that records the times it is given.
class TimeRecordingChild : public TMDIChild {
public:
    TimeRecordingChild(QMdiArea* area, RoboCupFileT* log, bool withPanel) : TMDIChild(area, log)
    {
        if (withPanel)
            setWidget(NewTimeRangePanel(nullptr, 40));
    }
    void SetTimeRange(int cycle, int from, int to) override { got.push_back({cycle, from, to}); }
    std::vector<std::array<int, 3>> got;
};

}  // namespace

TEST_F(MDIChildTest, WindowsFollowTheTimeOfTheirLogWhileDynamicTimeRangeIsChecked)
{
    auto* mine = new TimeRecordingChild(&area, &left, true);
    auto* ofOther = new TimeRecordingChild(&area, &other, true);
    auto* noPanel = new TimeRecordingChild(&area, &left, false);  // as the action graph
    ASSERT_NE(mine->cbDynamicTimeRange, nullptr);
    EXPECT_TRUE(mine->cbDynamicTimeRange->isChecked());
    EXPECT_EQ(noPanel->cbDynamicTimeRange, nullptr);

    TimeSource().Push(&left, 300, 200, 401);
    EXPECT_EQ(mine->got, (std::vector<std::array<int, 3>>{{300, 200, 401}}));
    EXPECT_TRUE(ofOther->got.empty());
    EXPECT_TRUE(noPanel->got.empty());

    // Cleared: the window keeps what it had.
    mine->cbDynamicTimeRange->click();
    TimeSource().Push(&left, 310, 210, 411);
    EXPECT_EQ(mine->got.size(), 1u);
    // Checked again by the user: it catches up with the time it missed.
    mine->cbDynamicTimeRange->click();
    EXPECT_EQ(mine->got.back(), (std::array<int, 3>{310, 210, 411}));
    // A forgotten window follows nothing.
    mine->ForgetFile(&left);
    TimeSource().Push(&left, 5, 0, 6);
    EXPECT_EQ(mine->got.size(), 2u);
    // The time of another log's window.
    TimeSource().Push(&other, 7, 0, 8);
    EXPECT_EQ(ofOther->got, (std::vector<std::array<int, 3>>{{7, 0, 8}}));
    // A log that goes is no longer named by the source.
    TimeSource().Forget(&other);
    EXPECT_EQ(TimeSource().Log(), nullptr);
    EXPECT_EQ(TimeSource().Cycle(), 7);
}
