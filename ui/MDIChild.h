// The base of every child window of the main window: it knows the log it shows
// (never owns it) and its kind, makes that log current when activated, closes
// itself when its log goes, and puts the teams and the score in front of its
// caption. It follows the program's time source while its "Dynamic time range"
// box is checked. A child frees itself when it is closed.
#pragma once

#include <QMdiSubWindow>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>

class QCheckBox;
class QListWidget;
class QMdiArea;
class RoboCupFileT;

// What activating a child window does with its log's file name: the main window
// sets it to make that log current (not forced). Nothing happens while unset.
extern std::function<void(const std::string& fileName)> g_onChildActivated;

// What a child window shows.
enum class ChildKind : uint8_t { ActionGraph = 0, Chart = 1, Field = 2, Data = 3, Usage = 4 };

class TMDIChild : public QMdiSubWindow {
    Q_OBJECT
public:
    // Adds the window to the area when one is given; derived windows set Kind
    // and their content (setWidget) and show it.
    TMDIChild(QMdiArea* area, RoboCupFileT* log);

    // The activation handler: makes the window's log current. A window that
    // does more on activation overrides it and calls this one.
    virtual void ActivateChild();
    // Closes the window when it shows that log; windows of other logs stay.
    // FileForgotten tells it first, File already null.
    void ForgetFile(const RoboCupFileT* log);
    // "<left> : <right> (<left score>:<right score>): " + text, or text alone
    // once the log is forgotten. The caption does not follow later changes.
    void SetTitle(const QString& text);

    // The time of the window's log: cycle p and the range [from, to] around it.
    // The time source calls it while "Dynamic time range" is checked; the main
    // window also calls it once on a new window. Windows without a time do
    // nothing here.
    virtual void SetTimeRange(int cycle, int from, int to);
    // The averaging time window of the log changed: windows that show averaged
    // values refresh them. Nothing by default.
    virtual void TimeWindowChanged();

    // Selects every object of a window's lbPlayers; selecting in code is not a
    // click on the list, so the list's handlers do not run.
    static void SelectAllPlayers(QListWidget* players);

    RoboCupFileT* File;  // not owned; null once forgotten
    ChildKind Kind = ChildKind::ActionGraph;
    // "Dynamic time range": the window follows the main window's time while it
    // is checked. Null in windows that have no time range (the action graph).
    QCheckBox* cbDynamicTimeRange = nullptr;

signals:
    // The window's log goes (File is null now) and the window closes next:
    // whoever built on the window lets go of it here rather than when the
    // closed window is freed later.
    void FileForgotten(TMDIChild* window);

protected:
    // Shown the first time in a visible workspace, the window is placed in
    // it (see NewWindowGeometry), cascaded after the other open windows.
    void showEvent(QShowEvent* event) override;

    // The objects a window can show, several selectable at once: "ball",
    // "Lplayer1".."Lplayer11", "Rplayer1".."Rplayer11" (item i is object i).
    static QListWidget* NewPlayersList(QWidget* parent, int width);
    // The panel on top of a window's content, "ChartPanel", of that height, with
    // "Dynamic time range" (checked; it becomes cbDynamicTimeRange) at its left.
    QWidget* NewTimeRangePanel(QWidget* parent, int height, Qt::Alignment boxAlignment = {});
    // The content of the windows that show objects over time: the time-range
    // panel over the objects list, the rest of the window for the view.
    void SetPanelOverPlayers(int panelHeight, QListWidget** players);

private:
    bool placed_ = false;
    // A time pushed by the time source: taken when it is for this window's log
    // and the window follows the time.
    void FollowTime(RoboCupFileT* log, int cycle, int from, int to);
};
