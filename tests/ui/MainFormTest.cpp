// The main window driven offscreen: its form (names, captions, hints and
// defaults of every control), the first activation, the window commands and the
// guarded event dispatch.
#include "ui/Application.h"
#include "UiTestMain.h"

#include "core/concepts/ConceptHierarchies.h"
#include "ui/FormControls.h"
#include "ui/MDIChild.h"
#include "ui/OpenLogs.h"
#include "ui/Program.h"
#include "core/model/RoboCupFile.h"
#include "ui/StrategyShells.h"
#include "ui/TeamDlg.h"
#include "ui/About.h"
#include "actiongraph/childActionWin.h"
#include "ui/main.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/System.h"
#include "ui/waitFormWin.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <stdexcept>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Runs the event loop until cond holds, or for ten seconds: far past what a
// loaded machine needs to deliver a few window events.
template <class Cond>
bool WaitFor(Cond cond)
{
    QElapsedTimer t;
    t.start();
    while (!cond() && t.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return cond();
}

// A main window whose first activation neither blocks on the About box nor on
// the file dialog: the About box is counted, the dialog answered by the script.
class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApp();
        TMainForm::AboutBoxRunner() = [this] {
            ++aboutShown;
            dialogsBeforeAbout = static_cast<int>(script.fileDialogs.size());
        };
        form = std::make_unique<TMainForm>();
    }
    void TearDown() override
    {
        form.reset();
        TMainForm::AboutBoxRunner() = &TMainForm::ShowAboutBox;
    }

    // An open log as the file list would hold it.
    RoboCupFileT* AddLog(const std::string& name, const std::string& left, const std::string& right)
    {
        std::unique_ptr<RoboCupFileT> log = CreateFileRecord(name);
        log->leftTeam = left;
        log->rightTeam = right;
        log->leftScore = 2;
        log->rightScore = 1;
        return form->Logs->Add(std::move(log));
    }

    QMdiSubWindow* AddChild(const QString& title)
    {
        auto* w = new QMdiSubWindow;
        w->setWidget(new QWidget);
        w->setWindowTitle(title);
        w->setAttribute(Qt::WA_DeleteOnClose);
        form->MdiArea->addSubWindow(w);
        w->resize(200, 150);
        w->show();
        return w;
    }

    platform::DialogScript script;
    int aboutShown = 0;
    int dialogsBeforeAbout = -1;
    std::unique_ptr<TMainForm> form;
};

// What a control shows: the text of a button, check box or label.
QString CaptionOf(QWidget* w)
{
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return g->title();
    return {};
}

struct ControlRow {
    const char* name;
    const char* caption;  // nullptr: the control shows no caption of its own
    const char* hint;     // nullptr: no hint
};

// Every control of the main window's form with its caption and hint.
const ControlRow kControls[] = {
    // Top bar.
    {"EditStartTime", nullptr, "First cycle of time range"},
    {"Label1", "-", nullptr},
    {"EditEndTime", nullptr, "Last cycle of time range"},
    {"BtnSetTimeRange", "Set", "Set new time range"},
    {"sbFRew", nullptr, nullptr},
    {"sbRev", nullptr, nullptr},
    {"sbPrev", nullptr, nullptr},
    {"sbStop", nullptr, nullptr},
    {"sbNext", nullptr, nullptr},
    {"sbFwd", nullptr, nullptr},
    {"sbFFwd", nullptr, nullptr},
    {"sbTimeSpeed", nullptr, "Increase (down) or decrease (up) delay between cycles"},
    {"TrackBar2", nullptr, "Time range size"},
    {"TrackBar1", nullptr, "Current time slider"},
    {"Panel7", nullptr, nullptr},
    {"PanelLeft", nullptr, nullptr},
    {"PanelHideLeft", nullptr, nullptr},
    {"pcWindow", nullptr, nullptr},
    // "File".
    {"btnCascade", "Cascade", "Cascade windows"},
    {"btnTileV", "Tile Vertically", "Tile windows vertically"},
    {"btnTileH", "Tile Horizontally", "Tile windows horizontally"},
    {"btnMinimize", "Minimize All", "Minimize all windows"},
    {"btnExit", "Exit", "Exit program"},
    {"btnOpenFile", "Open File", "Open RoboCup log file(s)"},
    {"BtnRemoveFile", "Remove File", "Remove current file"},
    {"BtnMergeFiles", "Merge Files", "Merge data for selected team from all open files"},
    {"BtnTestFiles", "Test", nullptr},
    {"BtnRestoreWindows", "Show", "Show current file windows only"},
    {"BtnRemoveWindows", "Close", "Close all current file windows"},
    {"BtnMinimizeWindows", "Minimize", "Minimize all current file windows"},
    {"lbFiles", nullptr, nullptr},
    // "Chart".
    {"BtnAdd1d", "Chart window", "Open new chart window"},
    {"MemoTimeRangeFunction", nullptr, "Function expression"},
    {"rgSeriesType", " Series type ", nullptr},
    {"cbFunction", "Use function expression :", nullptr},
    {"BtnAddTimeRange", "Add chart series", "Add selected data fields of function expression to current chart window"},
    // "Analysis".
    {"BtnAdd2d", "Field window", "New soccer field window"},
    {"BtnAddUsage", "Concepts window", "New soccer-concepts windows"},
    {"btnAnalyze", "Action graph window", "New action graph window"},
    {"btnSetTimeWindow", "Set time window=1", nullptr},
    {"cbUseRoles", "Use player roles", nullptr},
    // "Data".
    {"BtnAddData", "Data window", "New data window"},
    {"btnAddDataSeries", "Add selected data series", nullptr},
    {"Label5", "  Create new data fields:  ", nullptr},
    {"BtnAddFunctionSeries", "Create new data fields", "Create new data fields"},
    {"BtnLoadFields", "Load fields", "Load saved field names and expressions"},
    {"BtnSaveFields", "Save fields", "Save current field names and expressions"},
    {"vlFunctions", nullptr, "Define new field name and corresponding function expression"},
    // "Marks".
    {"cbUseTimeMarks", "Use Time Marks", "Use time marks instead of time slider"},
    {"lNumMarks", nullptr, nullptr},
    {"cbUseCriteriaFunction", "Use criteria function:", "Check if entry box consists time marks criteria function"},
    {"MemoMarksFunction", nullptr, "Time cycle or time mark criteria function"},
    {"lbMarks", nullptr, nullptr},
    {"BtnAddMarks", "Add", "Add new time mark(s)"},
    {"BtnRemoveMarks", "Remove", "Remove time mark(s)"},
    {"BtnClearMarks", "Clear marks", "Clear all time marks"},
    {"BtnResetMarks", "Reset marks", "Fill all time instances"},
    {"btnInvertMarks", "Invert marks", "Fill all time instances"},
    {"btnPasteMarks", "Paste Time Marks", "Paste time marks"},
    {"BtnCopyMarks", "Copy Time Marks", "Paste time marks"},
    {"cbStopAtLastMark", "Stop at last mark", nullptr},
    // Channel browser.
    {"pcDataView", nullptr, "Tree/list view of data fields"},
    {"TreeView", nullptr, nullptr},
    {"ListView", nullptr, nullptr},
    {"BtnSelAllNone", "All/None", "Select all/none data fields"},
    {"MemoGoodFields", nullptr, "Accepted words in data field names"},
    {"MemoBadFields", nullptr, "Rejected words in data field names"},
    {"BtnClearFilter", "Clear filter", "Clear filter"},
};

}  // namespace

TEST_F(MainFormTest, EveryControlOfTheFormHasItsNameCaptionAndHint)
{
    for (const ControlRow& row : kControls) {
        SCOPED_TRACE(row.name);
        auto* w = form->findChild<QWidget*>(row.name);
        ASSERT_NE(w, nullptr);
        if (row.caption) {
            EXPECT_EQ(CaptionOf(w), row.caption);
        }
        EXPECT_EQ(w->toolTip(), row.hint ? row.hint : "");
    }
    // The three headings of the "File" page and the word-list labels, found by text.
    QStringList labels;
    for (QLabel* l : form->findChildren<QLabel*>())
        labels << l->text();
    for (const char* text : {"  Windows  ", "  Current file windows only  ", "  Open files:  ", "+ words", "- words"})
        EXPECT_TRUE(labels.contains(text)) << text;
}

TEST_F(MainFormTest, PagesAndPanelsAreInPlace)
{
    EXPECT_EQ(form->windowTitle(), "RoboCup VeloTrask");
    ASSERT_EQ(form->pcWindow->count(), 5);
    const char* pages[][2] = {
        {"tsFiles", "File"}, {"tsChart", "Chart"}, {"tsField", "Analysis"}, {"tsData", "Data"}, {"tsMarks", "Marks"}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(form->pcWindow->widget(i)->objectName(), pages[i][0]);
        EXPECT_EQ(form->pcWindow->tabText(i), pages[i][1]);
    }
    EXPECT_EQ(form->pcWindow->currentWidget(), form->tsFiles);
    ASSERT_EQ(form->pcDataView->count(), 2);
    EXPECT_EQ(form->pcDataView->widget(0)->objectName(), "tsTree");
    EXPECT_EQ(form->pcDataView->tabText(0), "Tree view");
    EXPECT_EQ(form->pcDataView->widget(1)->objectName(), "tsList");
    EXPECT_EQ(form->pcDataView->tabText(1), "List view");

    // Each page's controls sit on that page.
    EXPECT_TRUE(form->tsFiles->isAncestorOf(form->btnCascade));
    EXPECT_TRUE(form->tsFiles->isAncestorOf(form->lbFiles));
    EXPECT_TRUE(form->tsChart->isAncestorOf(form->rgSeriesType));
    EXPECT_TRUE(form->tsField->isAncestorOf(form->btnAnalyze));
    EXPECT_TRUE(form->tsField->isAncestorOf(form->cbUseRoles));
    EXPECT_TRUE(form->tsData->isAncestorOf(form->vlFunctions));
    EXPECT_TRUE(form->tsMarks->isAncestorOf(form->lbMarks));
    EXPECT_TRUE(form->tsTree->isAncestorOf(form->TreeView));
    EXPECT_TRUE(form->tsList->isAncestorOf(form->ListView));
    EXPECT_TRUE(form->PanelLeft->isAncestorOf(form->pcWindow));
    EXPECT_TRUE(form->PanelLeft->isAncestorOf(form->pcDataView));
    EXPECT_TRUE(form->TopPanel->isAncestorOf(form->TrackBar1));

    // Geometry of the form and its strips.
    EXPECT_EQ(form->geometry(), QRect(0, 82, 884, 701));
    EXPECT_TRUE(form->windowState() & Qt::WindowMaximized);
    EXPECT_EQ(form->PanelLeft->width(), 225);
    EXPECT_EQ(form->Panel7->height(), 4);
    EXPECT_EQ(form->PanelHideLeft->width(), 4);
    EXPECT_EQ(form->Panel7->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(form->PanelHideLeft->cursor().shape(), Qt::PointingHandCursor);
}

// The GUI thread's priority as the program started, before any main window.
const int kStartedAt = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)));

// One step below the start, however many main windows the process has built
// (the fixture's, this one, and those of the tests before).
TEST_F(MainFormTest, TheGuiThreadRunsOneStepBelowNormal)
{
    TMainForm another;
    EXPECT_EQ(::getpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid))), std::min(kStartedAt + 1, 19));
}

TEST_F(MainFormTest, ControlsStartWithTheirDefaults)
{
    EXPECT_EQ(form->EditStartTime->text(), "1");
    EXPECT_EQ(form->EditEndTime->text(), "1000");

    // The seven playback buttons form one group in which only Stop is down.
    QToolButton* order[] = {form->sbFRew, form->sbRev, form->sbPrev, form->sbStop,
                            form->sbNext, form->sbFwd, form->sbFFwd};
    for (QToolButton* b : order) {
        EXPECT_TRUE(b->isCheckable());
        EXPECT_EQ(b->group(), form->sbGroup);
        EXPECT_EQ(b->isChecked(), b == form->sbStop) << b->objectName().toStdString();
    }
    form->sbFwd->click();
    EXPECT_TRUE(form->sbFwd->isChecked());
    EXPECT_FALSE(form->sbStop->isChecked());
    form->sbStop->click();  // playback stops again
    EXPECT_FALSE(form->sbFwd->isChecked());

    EXPECT_EQ(form->sbTimeSpeed->orientation(), Qt::Vertical);
    EXPECT_EQ(form->sbTimeSpeed->minimum(), 1);
    EXPECT_EQ(form->sbTimeSpeed->maximum(), 301);
    EXPECT_EQ(form->sbTimeSpeed->value(), 61);
    EXPECT_EQ(form->sbTimeSpeed->singleStep(), 30);
    EXPECT_EQ(form->sbTimeSpeed->pageStep(), 30);

    for (QSlider* s : {form->TrackBar2, static_cast<QSlider*>(form->TrackBar1)}) {
        EXPECT_EQ(s->minimum(), 0);
        EXPECT_EQ(s->maximum(), 0);
        EXPECT_EQ(s->value(), 0);
        EXPECT_EQ(s->singleStep(), 10);
        EXPECT_EQ(s->pageStep(), 100);
    }
    EXPECT_EQ(form->TrackBar2->tickInterval(), 1000);
    EXPECT_EQ(form->TrackBar1->tickInterval(), 100);
    EXPECT_EQ(form->TrackBar1->SelStart(), 0);
    EXPECT_EQ(form->TrackBar1->SelEnd(), 0);
    EXPECT_FALSE(form->Timer->isActive());
    EXPECT_EQ(form->Timer->interval(), 100);

    EXPECT_EQ(form->rgSeriesType->Count(), 3);
    EXPECT_EQ(form->rgSeriesType->ItemIndex(), 0);
    QStringList items;
    for (QAbstractButton* b : form->rgSeriesType->Group()->buttons())
        items << b->text();
    EXPECT_EQ(items, QStringList({"Lines", "Dots", "Bars"}));
    EXPECT_FALSE(form->cbFunction->isChecked());

    EXPECT_TRUE(form->btnSetTimeWindow->isHidden());
    EXPECT_TRUE(form->cbUseRoles->isChecked());

    EXPECT_EQ(form->vlFunctions->columnCount(), 2);
    EXPECT_EQ(form->vlFunctions->horizontalHeaderItem(0)->text(), "Field name");
    EXPECT_EQ(form->vlFunctions->horizontalHeaderItem(1)->text(), "Function");
    EXPECT_EQ(form->vlFunctions->columnWidth(0), 69);

    EXPECT_TRUE(form->cbUseTimeMarks->font().bold());
    EXPECT_FALSE(form->cbUseTimeMarks->isChecked());
    EXPECT_FALSE(form->cbUseCriteriaFunction->isChecked());
    EXPECT_FALSE(form->cbStopAtLastMark->isChecked());
    EXPECT_EQ(form->lbMarks->count(), 0);
    // Marks are kept in numeric order and shown as six-character texts.
    form->Marks.Assign({42, 5, 100, -1});
    EXPECT_EQ(form->lbMarks->item(0)->text(), "    -1");
    EXPECT_EQ(form->lbMarks->item(1)->text(), "     5");
    EXPECT_EQ(form->lbMarks->item(3)->text(), "   100");

    EXPECT_EQ(form->ListView->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(form->TreeView->indentation(), 19);
    EXPECT_EQ(form->TreeView->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_TRUE(form->MemoGoodFields->toPlainText().isEmpty());
    EXPECT_TRUE(form->MemoBadFields->toPlainText().isEmpty());
}

TEST_F(MainFormTest, FirstActivationShowsAboutThenTheLogDialogOnce)
{
    form->show();
    ASSERT_TRUE(WaitFor([&] { return !form->FirstActivation; }));
    EXPECT_EQ(aboutShown, 1);
    EXPECT_EQ(dialogsBeforeAbout, 0);  // the About box comes before the log dialog
    ASSERT_EQ(script.fileDialogs.size(), 1u);
    EXPECT_FALSE(script.fileDialogs[0].save);
    EXPECT_EQ(script.fileDialogs[0].filter, "RoboCup log files (*.rcg)");

    // The dialog was cancelled: the program goes on without a log.
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), "RoboCup VeloTrask");

    // Later activations show neither again.
    QWidget other;
    other.show();
    other.activateWindow();
    WaitFor([&] { return other.isActiveWindow(); });
    form->activateWindow();
    WaitFor([&] { return form->isActiveWindow(); });
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(form.get(), &activate);
    EXPECT_EQ(aboutShown, 1);
    EXPECT_EQ(script.fileDialogs.size(), 1u);
}

TEST_F(MainFormTest, ReactivationDuringTheFirstActivationDoesNotRepeatIt)
{
    // A modal About box gives the activation back to the frame when it closes,
    // while the first activation is still running.
    TMainForm::AboutBoxRunner() = [this] {
        ++aboutShown;
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(form.get(), &activate);
    };
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(form.get(), &activate);
    EXPECT_EQ(aboutShown, 1);
    EXPECT_EQ(script.fileDialogs.size(), 1u);
    EXPECT_FALSE(form->FirstActivation);
}

TEST_F(MainFormTest, NumbersUseTheDotFromTheStartAndAgainBeforeTheLogDialog)
{
    // Something in between (here: the About box) switches to a decimal comma.
    const QLocale german(QLocale::German, QLocale::Germany);
    struct Restore {
        ~Restore() { platform::UseCNumericLocale(); }
    } restore;
    QLocale::setDefault(german);
    form = std::make_unique<TMainForm>();
    EXPECT_EQ(QLocale().decimalPoint(), ".");
    TMainForm::AboutBoxRunner() = [&] {
        ++aboutShown;
        QLocale::setDefault(german);
    };
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(form.get(), &activate);
    ASSERT_EQ(aboutShown, 1);
    EXPECT_EQ(QLocale().decimalPoint(), ".");
    EXPECT_EQ(QLocale().groupSeparator(), ",");
    EXPECT_EQ(QLocale().toString(1234.5, 'f', 1), "1234.5");
}

TEST_F(MainFormTest, WaitWindowIsShownOverTheMainWindow)
{
    form->FirstActivation = false;
    form->show();
    ASSERT_TRUE(WaitFor([&] { return form->isActiveWindow(); }));
    ASSERT_TRUE(ShowWaitForm("Reading file a.rcg"));
    // The main window is the registered one: centring over it and going with it
    // are the wait window's own tests.
    EXPECT_EQ(WaitForm->parentWidget(), form.get());
}

TEST_F(MainFormTest, Panel7FoldsAndUnfoldsTheTopBar)
{
    form->FirstActivation = false;
    form->show();
    ASSERT_FALSE(form->TopPanel->isHidden());
    const QPointF at(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, form->Panel7->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(form->Panel7, &press);
    EXPECT_TRUE(form->TopPanel->isHidden());
    QMouseEvent again(QEvent::MouseButtonPress, at, form->Panel7->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(form->Panel7, &again);
    EXPECT_FALSE(form->TopPanel->isHidden());
}

TEST_F(MainFormTest, TilingArrangesChildrenInColumnsOrRows)
{
    form->FirstActivation = false;
    form->show();
    QMdiSubWindow* a = AddChild("a");
    QMdiSubWindow* b = AddChild("b");
    QMdiSubWindow* c = AddChild("c");
    QCoreApplication::processEvents();
    const QRect area = form->MdiArea->viewport()->rect();
    ASSERT_GT(area.width(), 30);
    ASSERT_GT(area.height(), 30);

    form->btnTileV->click();
    // Side by side: full height, the width shared out without gaps or overlap.
    EXPECT_EQ(a->geometry().left(), area.left());
    EXPECT_EQ(b->geometry().left(), a->geometry().right() + 1);
    EXPECT_EQ(c->geometry().left(), b->geometry().right() + 1);
    EXPECT_EQ(c->geometry().right(), area.right());
    for (QMdiSubWindow* w : {a, b, c}) {
        EXPECT_EQ(w->geometry().top(), area.top());
        EXPECT_EQ(w->geometry().height(), area.height());
        EXPECT_NEAR(w->geometry().width(), area.width() / 3, 1);
    }

    form->btnTileH->click();
    // One above the other: full width, the height shared out.
    EXPECT_EQ(a->geometry().top(), area.top());
    EXPECT_EQ(b->geometry().top(), a->geometry().bottom() + 1);
    EXPECT_EQ(c->geometry().top(), b->geometry().bottom() + 1);
    EXPECT_EQ(c->geometry().bottom(), area.bottom());
    for (QMdiSubWindow* w : {a, b, c}) {
        EXPECT_EQ(w->geometry().left(), area.left());
        EXPECT_EQ(w->geometry().width(), area.width());
    }

    form->btnCascade->click();
    EXPECT_LT(a->geometry().topLeft().x(), b->geometry().topLeft().x());
    EXPECT_LT(a->geometry().topLeft().y(), b->geometry().topLeft().y());
    EXPECT_LT(b->geometry().topLeft().y(), c->geometry().topLeft().y());
}

TEST_F(MainFormTest, TilingFillsTheAreaThatScrollBarsTookBefore)
{
    form->FirstActivation = false;
    form->show();
    QMdiSubWindow* a = AddChild("a");
    QMdiSubWindow* b = AddChild("b");
    // b reaches beyond the area's right and bottom edges: the area scrolls.
    b->move(form->MdiArea->viewport()->width() - 50, form->MdiArea->viewport()->height() - 50);
    ASSERT_TRUE(WaitFor([&] { return form->MdiArea->horizontalScrollBar()->isVisible(); }));
    for (bool columns : {true, false}) {
        SCOPED_TRACE(columns ? "vertically" : "horizontally");
        (columns ? form->btnTileV : form->btnTileH)->click();
        // Once tiled nothing sticks out, the scroll bars go, and the children
        // fill the whole area without a gap where the bars were.
        ASSERT_TRUE(WaitFor([&] {
            return !form->MdiArea->horizontalScrollBar()->isVisible() &&
                   !form->MdiArea->verticalScrollBar()->isVisible();
        }));
        const QRect area = form->MdiArea->viewport()->rect();
        EXPECT_EQ(a->geometry().topLeft(), area.topLeft());
        EXPECT_EQ(b->geometry().bottomRight(), area.bottomRight());
        b->move(area.width() - 50, area.height() - 50);
        ASSERT_TRUE(WaitFor([&] { return form->MdiArea->horizontalScrollBar()->isVisible(); }));
    }
}

TEST_F(MainFormTest, TilingLeavesMinimizedChildrenAlone)
{
    form->FirstActivation = false;
    form->show();
    QMdiSubWindow* a = AddChild("a");
    QMdiSubWindow* b = AddChild("b");
    QCoreApplication::processEvents();
    b->showMinimized();
    QCoreApplication::processEvents();
    const QRect minimized = b->geometry();
    form->btnTileV->click();
    EXPECT_TRUE(b->isMinimized());
    EXPECT_EQ(b->geometry(), minimized);
    // The one normal child takes the whole width above the minimized one.
    EXPECT_EQ(a->geometry().width(), form->MdiArea->viewport()->width());
    EXPECT_LT(a->geometry().bottom(), minimized.top());
}

TEST_F(MainFormTest, MinimizeAllMinimizesEveryChildAndThenChangesNothing)
{
    form->FirstActivation = false;
    form->show();
    QMdiSubWindow* a = AddChild("a");
    QMdiSubWindow* b = AddChild("b");
    QMdiSubWindow* c = AddChild("c");
    b->showMaximized();
    QCoreApplication::processEvents();
    form->btnMinimize->click();
    for (QMdiSubWindow* w : {a, b, c})
        EXPECT_TRUE(w->isMinimized()) << w->windowTitle().toStdString();
    QList<QRect> before;
    for (QMdiSubWindow* w : {a, b, c})
        before << w->geometry();
    form->btnMinimize->click();
    QList<QRect> after;
    for (QMdiSubWindow* w : {a, b, c}) {
        EXPECT_TRUE(w->isMinimized());
        after << w->geometry();
    }
    EXPECT_EQ(before, after);
}

TEST_F(MainFormTest, ExitClosesTheMainWindow)
{
    form->FirstActivation = false;
    form->show();
    ASSERT_TRUE(form->isVisible());
    form->btnExit->click();
    EXPECT_FALSE(form->isVisible());
}

TEST_F(MainFormTest, ActionGraphWindowIsNumberedByAllChildWindows)
{
    form->FirstActivation = false;
    form->show();
    RoboCupFileT* current = AddLog("/logs/a.rcg", "HELIOS_A", "HELIOS_B");
    form->Logs->SetCurrent(current);
    QMdiSubWindow* other = AddChild("other");
    form->btnAnalyze->click();
    EXPECT_TRUE(script.messages.empty());
    const QList<QMdiSubWindow*> children = form->MdiArea->subWindowList(QMdiArea::CreationOrder);
    ASSERT_EQ(children.size(), 2);
    auto* graph = qobject_cast<TMDIActionChild*>(children[1]);
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(graph->File, current);
    EXPECT_EQ(graph->Kind, ChildKind::ActionGraph);
    EXPECT_EQ(graph->windowTitle(), "HELIOS_A : HELIOS_B (2:1): Action graph 2");
    ASSERT_EQ(graph->lbPlayers->count(), 23);
    EXPECT_EQ(graph->lbPlayers->selectedItems().size(), 23);

    // After a close two windows can carry the same number.
    other->close();
    QCoreApplication::processEvents();
    TMDIActionChild* second = form->NewActionGraphWindow(current);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->windowTitle(), "HELIOS_A : HELIOS_B (2:1): Action graph 2");
}

TEST_F(MainFormTest, DestructionFreesLogsOutOfReachOfTheClosingWindows)
{
    form->FirstActivation = false;
    form->show();
    // The current log has no windows and goes first; the windows of the other
    // two activate one another while they close.
    RoboCupFileT* a = AddLog("/logs/a.rcg", "A", "B");
    RoboCupFileT* b = AddLog("/logs/b.rcg", "C", "D");
    RoboCupFileT* c = AddLog("/logs/c.rcg", "E", "F");
    QList<QPointer<TMDIActionChild>> windows;
    for (RoboCupFileT* log : {b, c, b, c})
        windows << qobject_cast<TMDIActionChild*>(form->NewActionGraphWindow(log));
    QCoreApplication::processEvents();
    // Activating a window makes its log current by walking the open logs, as
    // the file list does: every entry and the current log are read here, so a
    // freed one would be caught by the address sanitizer.
    int activations = 0;
    TOpenLogs* logs = form->Logs;  // alive until the frame's children go, after the logs
    int removed = 0, removedWhileCurrent = 0;
    QObject::connect(logs, &TOpenLogs::Removed, [&](RoboCupFileT* log) {
        ++removed;
        removedWhileCurrent += log == logs->Current();
    });
    g_onChildActivated = [&](const std::string& name) {
        ++activations;
        for (int i = 0; i < logs->Count(); ++i) {
            RoboCupFileT* f = logs->At(i);
            RoboCupFileT* current = logs->Current();
            if (f->fileName == name && (!current || current->fileName != name))
                logs->SetCurrent(f);
        }
    };
    form->MdiArea->setActiveSubWindow(windows[0]);
    QCoreApplication::processEvents();
    logs->SetCurrent(a);
    const int before = activations;
    form.reset();
    EXPECT_GT(activations, before);  // closing windows did activate others
    EXPECT_FALSE(g_onChildActivated);  // nothing reaches the main window once it is gone
    // Every log left the list, none of them while current.
    EXPECT_EQ(removed, 3);
    EXPECT_EQ(removedWhileCurrent, 0);
    for (ConceptObject* root : {g_positionConcepts, g_actionConcepts, g_roleConcepts, g_speedConcepts,
                                g_ballRelativeConcepts, g_teamplayConcepts, g_relativeConcepts})
        EXPECT_EQ(root, nullptr);
    for (const QPointer<TMDIActionChild>& w : windows)
        EXPECT_TRUE(w.isNull());
}

// ---- The program's run ---------------------------------------------------------

TEST(Program, StartsWithAboutThenTheLogDialogAndEndsCleanly)
{
    EnsureApp();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    platform::DialogScript script;
    // The strategy window comes from a layer above: a stand-in made fifth.
    SetStrategyWindowMaker([]() -> QWidget* {
        auto* w = new QWidget(nullptr, Qt::Window);
        w->setObjectName("FormStrategy");
        return w;
    });

    QStringList modalTitles;
    int fileDialogsAtAbout = -1;
    bool windowsExisted = false;
    QStringList destroyed;
    int aboutCountAfterSecondActivation = -1;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            // The real About box, shown modally: answered by closing it.
            modalTitles << modal->windowTitle();
            fileDialogsAtAbout = static_cast<int>(script.fileDialogs.size());
            modal->close();
            return;
        }
        if (!MainForm || MainForm->FirstActivation)
            return;
        poll.stop();
        windowsExisted = ChooseTeamDlg && FormAbout && FormSaveData && StrategyWindow() &&
                         ChooseTeamDlg->windowTitle() == "Choose a team to analyze" &&
                         FormAbout->windowTitle() == "About Velotrask" &&
                         FormSaveData->objectName() == "FormSaveData" && StrategyWindow()->objectName() == "FormStrategy" &&
                         !ChooseTeamDlg->isVisible() && !FormSaveData->isVisible() && !StrategyWindow()->isVisible();
        QObject::connect(MainForm, &QObject::destroyed, [&] { destroyed << "MainForm"; });
        QObject::connect(StrategyWindow(), &QObject::destroyed, [&] { destroyed << "FormStrategy"; });
        // A later activation shows neither again.
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(MainForm, &activate);
        aboutCountAfterSecondActivation = static_cast<int>(modalTitles.size());
        MainForm->btnExit->click();
    });
    poll.start();
    // Should anything hang, end every loop so the test fails instead.
    QTimer watchdog;
    watchdog.setInterval(5000);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        QApplication::closeAllWindows();
        QCoreApplication::exit(7);
    });
    watchdog.start();

    const int rc = RunProgram();
    watchdog.stop();
    QDir::setCurrent(previous);

    EXPECT_EQ(rc, 0);
    EXPECT_EQ(modalTitles, QStringList({"About Velotrask"}));
    EXPECT_EQ(fileDialogsAtAbout, 0);
    ASSERT_EQ(script.fileDialogs.size(), 1u);
    EXPECT_EQ(script.fileDialogs[0].filter, "RoboCup log files (*.rcg)");
    EXPECT_TRUE(windowsExisted);
    EXPECT_EQ(aboutCountAfterSecondActivation, 1);
    EXPECT_EQ(destroyed, QStringList({"MainForm", "FormStrategy"}));
    EXPECT_EQ(MainForm, nullptr);
    EXPECT_EQ(ChooseTeamDlg, nullptr);
    EXPECT_EQ(FormAbout, nullptr);
    EXPECT_EQ(FormSaveData, nullptr);
    EXPECT_EQ(StrategyWindow(), nullptr);
    SetStrategyWindowMaker(nullptr);
    EXPECT_EQ(g_actionConcepts, nullptr);
    for (const char* gml : {"PositionConcepts.gml", "ActionConcepts.gml", "RoleConcepts.gml", "SpeedConcepts.gml",
                            "BallRelativeConcepts.gml", "RelativeConcepts.gml"})
        EXPECT_TRUE(QFile::exists(dir.filePath(gml))) << gml;
}

// ---- Guarded event dispatch --------------------------------------------------

namespace {
class Thrower : public QObject {
public:
    enum Kind { Std, Foreign };
    explicit Thrower(Kind k) : kind(k) {}
    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        ++delivered;
        if (kind == Std)
            throw std::runtime_error("'abc' is not a valid integer value");
        throw 42;
    }
    Kind kind;
    int delivered = 0;
};
}  // namespace

TEST(ExceptionDisplay, AnExceptionEscapingAHandlerIsShownAndTheProgramGoesOn)
{
    EnsureApp();
    ASSERT_NE(qobject_cast<TApplication*>(qApp), nullptr);
    platform::DialogScript script;
    Thrower t(Thrower::Std);
    QEvent e(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&t, &e));
    // The next event is dispatched as usual.
    QEvent e2(QEvent::User);
    QCoreApplication::sendEvent(&t, &e2);
    EXPECT_EQ(t.delivered, 2);
    ASSERT_EQ(script.messages.size(), 2u);
    EXPECT_EQ(script.messages[0].text, "'abc' is not a valid integer value.");
    EXPECT_EQ(script.messages[0].caption, kApplicationTitle);
    EXPECT_EQ(script.messages[0].buttons, platform::Buttons::Ok);
}

TEST(ExceptionDisplay, ForeignExceptionsShowAnEmptyMessage)
{
    EnsureApp();
    platform::DialogScript script;
    Thrower t(Thrower::Foreign);
    // Posted events are dispatched by the loop, also through the guard.
    QCoreApplication::postEvent(&t, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    EXPECT_EQ(t.delivered, 1);
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "");

    EXPECT_FALSE(RunGuarded([] { throw std::logic_error("Index out of range!"); }));
    EXPECT_TRUE(RunGuarded([] {}));
    ASSERT_EQ(script.messages.size(), 2u);
    EXPECT_EQ(script.messages[1].text, "Index out of range!");  // a closing mark gets no full stop
    // Memory running out (a worker thread that cannot start among it) is named.
    EXPECT_FALSE(RunGuarded([] { throw std::bad_alloc(); }));
    EXPECT_EQ(script.messages.back().text, "Not enough memory to finish the command.");
}
