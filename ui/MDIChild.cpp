#include "ui/MDIChild.h"

#include "ui/TimeSource.h"
#include "ui/WindowPlacement.h"
#include "ui/common.h"
#include "core/model/RoboCupFile.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMdiArea>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

std::function<void(const std::string& fileName)> g_onChildActivated;

TMDIChild::TMDIChild(QMdiArea* area, RoboCupFileT* log) : QMdiSubWindow(nullptr), File(log)
{
    setAttribute(Qt::WA_DeleteOnClose);
    connect(this, &QMdiSubWindow::windowStateChanged, this,
            [this](Qt::WindowStates oldState, Qt::WindowStates newState) {
                if (!(oldState & Qt::WindowActive) && (newState & Qt::WindowActive))
                    ActivateChild();
            });
    connect(&TimeSource(), &TTimeSource::TimeChanged, this, &TMDIChild::FollowTime);
    if (area)
        area->addSubWindow(this);
}

void TMDIChild::showEvent(QShowEvent* event)
{
    QMdiSubWindow::showEvent(event);
    QMdiArea* area = mdiArea();
    if (placed_ || event->spontaneous() || !area || !area->isVisible())
        return;
    placed_ = true;
    if (isMaximized() || isMinimized())
        return;
    int others = 0;
    for (const QMdiSubWindow* w : area->subWindowList())
        if (w != this && w->isVisible() && !w->isMinimized())
            ++others;
    // One title bar further per window, so that every caption stays in sight.
    const int step = std::max(16, style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this));
    setGeometry(NewWindowGeometry(area->viewport()->rect(), size(), others, step));
}

void TMDIChild::ActivateChild()
{
    if (File && g_onChildActivated)
        g_onChildActivated(File->fileName);
}

void TMDIChild::ForgetFile(const RoboCupFileT* log)
{
    if (!File || File != log)
        return;
    // Forget first: whatever runs while the window closes must not reach the log.
    File = nullptr;
    emit FileForgotten(this);
    close();
}

void TMDIChild::SetTitle(const QString& text)
{
    if (!File) {
        setWindowTitle(text);
        return;
    }
    setWindowTitle(TeamsAndScore(*File) + ": " + text);
}

void TMDIChild::SetTimeRange(int cycle, int from, int to)
{
    (void)cycle;
    (void)from;
    (void)to;
}

void TMDIChild::TimeWindowChanged() {}

void TMDIChild::FollowTime(RoboCupFileT* log, int cycle, int from, int to)
{
    if (!File || log != File || !cbDynamicTimeRange || !cbDynamicTimeRange->isChecked())
        return;
    SetTimeRange(cycle, from, to);
}

void TMDIChild::SelectAllPlayers(QListWidget* players)
{
    const QSignalBlocker quiet(players);
    players->selectAll();
}

QListWidget* TMDIChild::NewPlayersList(QWidget* parent, int width)
{
    auto* players = new QListWidget(parent);
    players->setObjectName("lbPlayers");
    players->setSelectionMode(QAbstractItemView::MultiSelection);
    players->addItem("ball");
    for (const char* side : {"Lplayer", "Rplayer"})
        for (int i = 1; i <= 11; ++i)
            players->addItem(QString(side) + QString::number(i));
    players->setFixedWidth(width);
    return players;
}

QWidget* TMDIChild::NewTimeRangePanel(QWidget* parent, int height, Qt::Alignment boxAlignment)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName("ChartPanel");
    panel->setFixedHeight(height);
    auto* row = new QHBoxLayout(panel);
    auto* box = new QCheckBox("Dynamic time range", panel);
    box->setObjectName("cbDynamicTimeRange");
    box->setChecked(true);
    row->addWidget(box, 0, boxAlignment);
    row->addStretch(1);
    cbDynamicTimeRange = box;
    // Checked again by the user: the window catches up with the time it missed.
    connect(box, &QCheckBox::clicked, this, [this](bool checked) {
        const TTimeSource& t = TimeSource();
        if (checked && File && t.Log() == File)
            SetTimeRange(t.Cycle(), t.From(), t.To());
    });
    return panel;
}

void TMDIChild::SetPanelOverPlayers(int panelHeight, QListWidget** players)
{
    auto* content = new QWidget;
    auto* col = new QVBoxLayout(content);
    col->setContentsMargins(0, 0, 0, 0);
    col->addWidget(NewTimeRangePanel(content, panelHeight, Qt::AlignTop));
    auto* row = new QHBoxLayout;
    *players = NewPlayersList(content, 65);
    row->addWidget(*players);
    row->addStretch(1);
    col->addLayout(row, 1);
    setWidget(content);
}
