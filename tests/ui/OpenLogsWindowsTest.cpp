// The windows of an open log through the real main window: the commands on the
// windows of the selected log, new windows of every kind, and "Use player roles".
#include "OpenLogsFixture.h"
#include "UiTestMain.h"

#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/learning/Features.h"
#include "ui/FormControls.h"
#include "ui/ChildUsageWin.h"
#include "ui/MDIChild.h"
#include "ui/childChartWin.h"
#include "ui/childDataWin.h"
#include "ui/childFieldWin.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <qcustomplot.h>

#include <algorithm>
#include <filesystem>

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
