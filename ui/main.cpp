#include "ui/main.h"

#include "ui/FormControls.h"
#include "ui/MDIChild.h"
#include "ui/OpenLogs.h"
#include "ui/TimeSource.h"
#include "ui/About.h"
#include "ui/common.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/model/RoboCupFile.h"
#include "platform/Hooks.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/System.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>

TMainForm* MainForm = nullptr;

std::function<void()>& TMainForm::AboutBoxRunner()
{
    static std::function<void()> runner = &TMainForm::ShowAboutBox;
    return runner;
}

void TMainForm::ShowAboutBox()
{
    if (FormAbout)
        FormAbout->exec();
}

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent)
{
    // 2. No open log yet.
    Logs = new TOpenLogs(this);
    // 1. The form: every control exists after this.
    BuildForm();
    // 3. Playback stands still.
    PlayStep = 0;
    FileSwitching = false;
    // The wait window and the dialogs are shown over this window.
    SetMainWindow(this);
    // 4. Numbers are read and written with "." whatever the locale.
    platform::UseCNumericLocale();
    // 5. The seven concept hierarchies, in order; six of them are written as GML
    // files into the current folder. The program works without those files, so
    // a failure is said on the status line, not in a box at every start.
    if (const std::vector<std::string> failed = CreateConceptHierarchies(); !failed.empty()) {
        QString text = QString::fromStdString(failed.front());
        if (failed.size() > 1)
            text += QString(" (and %1 more of the files written at start)").arg(failed.size() - 1);
        statusBar()->showMessage(text);
    }
    // 6. The "File" page comes first.
    pcWindow->setCurrentWidget(tsFiles);
    // 7. The GUI thread runs one step below normal priority.
    platform::LowerThreadPriority();
}

TMainForm::~TMainForm() { FormDestroy(); }

void TMainForm::ConnectClicks(std::initializer_list<std::pair<QPushButton*, void (TMainForm::*)()>> clicks)
{
    for (const auto& [button, handler] : clicks)
        connect(button, &QPushButton::clicked, this, [this, handler = handler] { (this->*handler)(); });
}

void TMainForm::ConnectHandlers()
{
    ConnectClicks({{btnCascade, &TMainForm::btnCascadeClick},
                   {btnTileV, &TMainForm::btnTileVClick},
                   {btnTileH, &TMainForm::btnTileHClick},
                   {btnMinimize, &TMainForm::btnMinimizeClick},
                   {btnExit, &TMainForm::btnExitClick},
                   {btnSetTimeWindow, &TMainForm::btnSetTimeWindowClick},
                   {btnOpenFile, &TMainForm::btnOpenFileClick},
                   {btnAnalyze, &TMainForm::btnAnalyzeClick}});
    connect(Panel7, &TClickStrip::clicked, this, [this] { Panel7Click(); });
    connect(&TimeSource(), &TTimeSource::CycleRequested, TrackBar1, &QSlider::setValue);
    ConnectFileHandlers();
    ConnectTimeHandlers();
    ConnectMarksHandlers();
    ConnectTreeHandlers();
    ConnectChartHandlers();
    ConnectFieldHandlers();
    ConnectDataHandlers();
    ConnectMergeHandlers();
}

bool TMainForm::event(QEvent* e)
{
    const bool handled = QMainWindow::event(e);
    if (e->type() == QEvent::WindowActivate)
        FormActivate();
    return handled;
}

void TMainForm::FormActivate()
{
    TrackBar1Change(this);
    // The About box and the file dialog are modal: closing them activates the
    // frame again while this first activation is still running. That nested
    // activation only re-runs the time change.
    if (!FirstActivation || activating_)
        return;
    struct Running {
        bool& flag;
        explicit Running(bool& f) : flag(f) { flag = true; }
        ~Running() { flag = false; }  // also when the About box or the dialog fails
    } running(activating_);
    if (AboutBoxRunner())
        AboutBoxRunner()();
    FirstActivation = false;
    // Again, before any log is read: whatever ran meanwhile may have changed it.
    platform::UseCNumericLocale();
    btnOpenFileClick();
}

void TMainForm::FormDestroy()
{
    if (destroyed_)
        return;
    destroyed_ = true;
    // Closing a log's windows activates other windows, which make their log
    // current by walking the open logs. So each log stops being current and
    // leaves the list before its windows close and it is freed: whatever runs
    // on the way can only reach logs that are still alive.
    Logs->SetCurrent(nullptr);
    while (!Logs->Empty()) {
        std::unique_ptr<RoboCupFileT> log = Logs->Take(Logs->At(0));
        if (log) {
            DeleteFileEntry(log.get());
            TimeSource().Forget(log.get());
        }
    }
    // The child windows that remain are destroyed with the frame after this:
    // their activation must not call into a main window that is gone.
    g_onChildActivated = nullptr;
    FreeConceptHierarchies();
}

void TMainForm::btnExitClick() { close(); }

void TMainForm::Panel7Click() { TopPanel->setHidden(!TopPanel->isHidden()); }

void TMainForm::btnSetTimeWindowClick() { ChangeTimeWindow(1); }

void TMainForm::DeleteFileEntry(RoboCupFileT* log)
{
    CloseFileWindows(log);
    if (log == Logs->Current()) {
        // The log goes: its remembered range and cycle are not overwritten
        // (a log kept aside for a reopen may come back with them).
        const bool outer = FileSwitching;
        FileSwitching = true;
        TrackBar2->setValue(1);
        TrackBar1->setValue(0);
        FileSwitching = outer;
    }
}

QList<QPointer<QMdiSubWindow>> TMainForm::GuardedChildren() const
{
    QList<QPointer<QMdiSubWindow>> children;
    for (QMdiSubWindow* w : MdiArea->subWindowList(QMdiArea::CreationOrder))
        children << w;
    return children;
}

void TMainForm::CloseFileWindows(RoboCupFileT* log)
{
    for (const QPointer<QMdiSubWindow>& w : GuardedChildren()) {
        if (auto* child = qobject_cast<TMDIChild*>(w.data()))
            child->ForgetFile(log);
    }
}

void TMainForm::btnAnalyzeClick()
{
    if (NoCurrentLog())
        return;
    NewActionGraphWindow(Logs->Current());
}

namespace {
ActionGraphWindowKind g_actionGraphKind;
}

void SetActionGraphWindowKind(ActionGraphWindowKind kind) { g_actionGraphKind = std::move(kind); }

TMDIActionChild* TMainForm::NewActionGraphWindow(RoboCupFileT* log)
{
    if (!g_actionGraphKind.create)
        return nullptr;
    // The window about to be made counts too.
    return g_actionGraphKind.create(MdiArea, log, "Action graph " + QString::number(MdiArea->subWindowList().size() + 1));
}
