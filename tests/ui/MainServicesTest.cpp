// The main window's services as the action-graph and strategy windows see
// them, on a real main window driven offscreen.
#include "ui/MainServices.h"

#include "MainFormFixture.h"
#include "UiTestMain.h"
#include "actiongraph/childActionWin.h"
#include "core/model/RoboCupFile.h"
#include "core/model/timestream.h"
#include "platform/qt/Dialogs.h"
#include "ui/FormControls.h"
#include "ui/MDIChild.h"
#include "ui/OpenLogs.h"
#include "ui/TimeSource.h"
#include "ui/main.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QListWidget>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTabWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class MainServicesTest : public MainFormFixture {
protected:
    void SetUp() override
    {
        MainFormFixture::SetUp();
        services = std::make_unique<TMainFormServices>(*form);
    }
    void TearDown() override
    {
        services.reset();
        MainFormFixture::TearDown();
    }
    RoboCupFileT* AddLog(const std::string& name, int cycles)
    {
        std::unique_ptr<RoboCupFileT> log = CreateFileRecord(name);
        log->cycles = cycles;
        return form->Logs->Add(std::move(log));
    }

    platform::DialogScript script;
    std::unique_ptr<TMainFormServices> services;
};

}  // namespace

TEST_F(MainServicesTest, TimeMarksAreAddedOnceInOrderAndShown)
{
    form->Marks.Add(50);
    services->AddTimeMarks({120, 5, 50, 120, 7});
    EXPECT_EQ(services->TimeMarkCycles(), (std::vector<int>{5, 7, 50, 120}));
    EXPECT_TRUE(services->IsTimeMark(7));
    EXPECT_FALSE(services->IsTimeMark(8));
    ASSERT_EQ(form->lbMarks->count(), 4);
    EXPECT_EQ(form->lbMarks->item(0)->text(), "     5");
    EXPECT_EQ(form->lbMarks->item(3)->text(), "   120");
    EXPECT_FALSE(services->UseTimeMarks());
    form->cbUseTimeMarks->setChecked(true);
    EXPECT_TRUE(services->UseTimeMarks());
}

TEST_F(MainServicesTest, SettingTheCycleMovesTheSliderAndPushesTheTimeOnce)
{
    RoboCupFileT* log = AddLog("/logs/a.rcg", 500);
    form->SelectCurrentFile("/logs/a.rcg", true);
    form->TrackBar1->setMaximum(499);
    std::vector<int> pushed;
    QObject::connect(&TimeSource(), &TTimeSource::TimeChanged, form.get(),
                     [&](RoboCupFileT*, int cycle, int, int) { pushed.push_back(cycle); });
    services->SetCurrentCycle(240);
    EXPECT_EQ(services->CurrentCycle(), 240);
    EXPECT_EQ(form->TrackBar1->value(), 240);
    EXPECT_EQ(pushed, (std::vector<int>{240}));
    EXPECT_EQ(log->currentCycle, 240);
    services->SetCurrentCycle(240);  // the same cycle is pushed again
    EXPECT_EQ(pushed.size(), 2u);
}

TEST_F(MainServicesTest, TheBrowsersChoiceGivesItsFilteredLeaves)
{
    AddLog("/logs/a.rcg", 10);
    form->SelectCurrentFile("/logs/a.rcg", true);
    std::vector<TimeChannel*> leaves;
    form->pcDataView->setCurrentWidget(form->tsTree);
    EXPECT_FALSE(services->ChosenChannels(leaves));
    const QList<QTreeWidgetItem*> ball = form->TreeView->findItems("Ball", Qt::MatchExactly);
    ASSERT_EQ(ball.size(), 1);
    ball.front()->setSelected(true);
    form->MemoGoodFields->setPlainText("pos");
    ASSERT_TRUE(services->ChosenChannels(leaves));
    ASSERT_FALSE(leaves.empty());
    for (const TimeChannel* leaf : leaves)
        EXPECT_EQ(leaf->GetFullName().rfind("Ball.pos", 0), 0u) << leaf->GetFullName();

    // The list page: every selected item, in list order.
    form->pcDataView->setCurrentIndex(form->pcDataView->indexOf(form->tsTree) == 0 ? 1 : 0);
    form->MemoGoodFields->clear();
    leaves.clear();
    form->ListView->setCurrentRow(-1);
    EXPECT_FALSE(services->ChosenChannels(leaves));
    form->ListView->setCurrentRow(3);
    form->ListView->item(1)->setSelected(true);
    ASSERT_TRUE(services->ChosenChannels(leaves));
    std::vector<std::string> names;
    for (const TimeChannel* leaf : leaves)
        names.push_back(leaf->GetFullName());
    std::vector<std::string> want;
    for (int i = 0; i < form->ListView->count(); ++i)
        if (form->ListView->item(i)->isSelected())
            want.push_back(form->ListView->item(i)->text().toStdString());
    EXPECT_EQ(names, want);
    EXPECT_GE(names.size(), 2u);
}

TEST_F(MainServicesTest, WindowsAndLogs)
{
    RoboCupFileT* a = AddLog("/logs/a.rcg", 10);
    RoboCupFileT* b = AddLog("/logs/b.rcg", 10);
    EXPECT_EQ(services->OpenLogs(), (std::vector<RoboCupFileT*>{a, b}));
    EXPECT_EQ(services->SelectCurrentFile("/logs/b.rcg"), b);
    EXPECT_EQ(services->CurrentLog(), b);
    EXPECT_EQ(services->SelectCurrentFile("/logs/none.rcg"), nullptr);
    EXPECT_EQ(services->ChildWindowCount(), 0);
    QPointer<TMDIActionChild> window = services->NewActionGraphWindow(b);
    ASSERT_FALSE(window.isNull());
    EXPECT_EQ(services->ChildWindowCount(), 1);
    services->TileWindows();
    // Removing a log closes its windows; the first remaining log is current.
    services->RemoveLog(b);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(services->OpenLogs(), (std::vector<RoboCupFileT*>{a}));
    EXPECT_EQ(services->CurrentLog(), a);
    services->RemoveLog(b);  // not open: nothing
    EXPECT_EQ(services->OpenLogs().size(), 1u);
}

TEST_F(MainServicesTest, InstalledServicesStandInForTheMainWindow)
{
    TMainForm* previous = MainForm;
    MainForm = form.get();
    IMainWindowServices* fromForm = MainServices();
    ASSERT_NE(fromForm, nullptr);
    form->Marks.Add(3);
    EXPECT_EQ(fromForm->TimeMarkCycles(), (std::vector<int>{3}));
    TMainFormServices other(*form);
    EXPECT_EQ(SetMainServices(&other), nullptr);
    EXPECT_EQ(MainServices(), &other);
    EXPECT_EQ(SetMainServices(nullptr), &other);
    EXPECT_EQ(MainServices(), fromForm);
    MainForm = nullptr;
    EXPECT_EQ(MainServices(), nullptr);
    MainForm = previous;
}
