// The user's place across changes, offscreen on a real match: the selected
// mark, the data window's row at the current cycle, and new windows inside the
// part of the workspace the user sees.
#include "MainFormFixture.h"
#include "UiTestMain.h"

#include "core/model/RoboCupFile.h"
#include "core/model/timestream.h"
#include "platform/qt/Dialogs.h"
#include "support/TestData.h"
#include "ui/FormControls.h"
#include "ui/OpenLogs.h"
#include "ui/StringGrid.h"
#include "ui/WindowPlacement.h"
#include "ui/childDataWin.h"
#include "ui/main.h"

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

const char* const kShort = "match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg";

class WindowsKeepPlace : public MainFormFixture {
protected:
    void SetUp() override
    {
        MainFormFixture::SetUp();
        form->OpenLogFiles({QString::fromStdString(GunzippedTestFile(kShort))});
        log = form->Logs->Current();
        ASSERT_NE(log, nullptr);
    }
    TMDIDataChild* NewDataWindow()
    {
        form->BtnAddData->click();
        return qobject_cast<TMDIDataChild*>(form->MdiArea->subWindowList().back());
    }
    QString SelectedMark() const
    {
        const QListWidgetItem* item = form->lbMarks->currentItem();
        return item && item->isSelected() ? item->text() : QString();
    }

    platform::DialogScript script;
    RoboCupFileT* log = nullptr;
};

}  // namespace

TEST_F(WindowsKeepPlace, TheSelectedMarkStaysSelectedAcrossChangesOfTheMarks)
{
    form->Marks.Assign({10, 20, 30});
    form->lbMarks->setCurrentRow(1);  // 20
    // Added before and after it by "Add".
    form->MemoMarksFunction->setPlainText("5");
    form->BtnAddMarks->click();
    EXPECT_EQ(SelectedMark(), "    20");
    form->MemoMarksFunction->setPlainText("25");
    form->BtnAddMarks->click();
    EXPECT_EQ(SelectedMark(), "    20");
    // Added by a double click in a data window, at an earlier row.
    TMDIDataChild* data = NewDataWindow();
    data->AddChannels({log->stream->FindChannel("Ball.pos.x")});
    data->SetTimeRange(3, 0, 100);
    data->dataGridDblClick();
    EXPECT_EQ(form->Marks.Cycles(), (std::vector<int>{3, 5, 10, 20, 25, 30}));
    EXPECT_EQ(SelectedMark(), "    20");
    // Stepping goes on from it.
    form->cbUseTimeMarks->setChecked(true);
    form->sbNextClick(nullptr);
    EXPECT_EQ(SelectedMark(), "    25");
    // A removed selection leaves none.
    form->Marks.RemoveAll({25});
    EXPECT_EQ(SelectedMark(), "");
}

TEST_F(WindowsKeepPlace, ANewDataWindowShowsTheCurrentCycleAtOnce)
{
    form->TrackBar1->setValue(57);
    TMDIDataChild* data = NewDataWindow();
    EXPECT_EQ(data->CurrentCycle, 57);
    data->AddChannels({log->stream->FindChannel("Ball.pos.x"), log->stream->FindChannel("Ball.pos.y")});
    EXPECT_EQ(data->dataGrid->Row(), 57 + 4);
    EXPECT_EQ(data->dataGrid->TopRow(), 57 + 4);
    EXPECT_EQ(data->dataGrid->Cell(0, data->dataGrid->Row()), "57");
}

TEST_F(WindowsKeepPlace, NewWindowsOpenInsideTheVisibleWorkspace)
{
    form->show();
    QApplication::processEvents();
    const QRect workspace = form->MdiArea->viewport()->rect();
    ASSERT_FALSE(workspace.isEmpty());
    for (QPushButton* add : {form->BtnAdd2d, form->BtnAdd1d, form->BtnAddData, form->BtnAddUsage})
        add->click();
    form->NewActionGraphWindow(log);
    QApplication::processEvents();
    const QList<QMdiSubWindow*> windows = form->MdiArea->subWindowList(QMdiArea::CreationOrder);
    ASSERT_EQ(windows.size(), 5);
    QPoint previous(-1, -1);
    for (const QMdiSubWindow* w : windows) {
        SCOPED_TRACE(w->windowTitle().toStdString());
        EXPECT_TRUE(workspace.contains(w->geometry())) << w->x() << "," << w->y() << " " << w->width() << "x"
                                                         << w->height();
        // Cascaded: each further right and down than the one before.
        EXPECT_GT(w->x(), previous.x());
        EXPECT_GT(w->y(), previous.y());
        previous = w->pos();
    }
    form->hide();
}

TEST(NewWindowGeometry, CascadesFromTheCornerAndFitsTheWorkspace)
{
    struct Case {
        QRect workspace;
        QSize wanted;
        int index;
        QRect expected;
    };
    const Case cases[] = {
        {{0, 0, 800, 600}, {300, 200}, 0, {0, 0, 300, 200}},
        {{0, 0, 800, 600}, {300, 200}, 2, {40, 40, 300, 200}},
        // Too big: cut to what is left right of and below the corner.
        {{0, 0, 553, 746}, {946, 648}, 1, {20, 20, 533, 648}},
        {{0, 0, 553, 746}, {1131, 753}, 0, {0, 0, 553, 746}},
        // A third of 300 holds six steps of 20: the seventh window starts over.
        {{0, 0, 300, 300}, {100, 100}, 5, {100, 100, 100, 100}},
        {{0, 0, 300, 300}, {100, 100}, 6, {0, 0, 100, 100}},
        {{10, 30, 300, 300}, {400, 100}, 1, {30, 50, 280, 100}},
        // No workspace: left as wanted.
        {{0, 0, 0, 0}, {100, 50}, 3, {0, 0, 100, 50}},
    };
    for (const Case& c : cases) {
        const QRect r = NewWindowGeometry(c.workspace, c.wanted, c.index, 20);
        EXPECT_EQ(r, c.expected) << c.index << " " << c.wanted.width();
    }
}
