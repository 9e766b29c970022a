// The base of every child window of the main window: it knows the log it shows
// (never owns it) and its kind, makes that log current when activated, closes
// itself when its log goes, and puts the teams and the score in front of its
// caption. A child frees itself when it is closed.
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

class TMDIChild : public QMdiSubWindow {
    Q_OBJECT
public:
    // Kind values: what a window shows, for the time changes the main window sends.
    enum : uint8_t { kActionGraph = 0, kChart = 1, kField = 2, kData = 3, kUsage = 4 };

    // Adds the window to the area when one is given; derived windows set Kind
    // and their content (setWidget) and show it.
    TMDIChild(QMdiArea* area, RoboCupFileT* log);

    // The activation handler: makes the window's log current. A window that
    // does more on activation overrides it and calls this one.
    virtual void ActivateChild();
    // Closes the window when it shows that log; windows of other logs stay.
    void ForgetFile(const RoboCupFileT* log);
    // "<left> : <right> (<left score>:<right score>): " + text, or text alone
    // once the log is forgotten. The caption does not follow later changes.
    void SetTitle(const QString& text);

    // Selects every object of a window's lbPlayers; selecting in code is not a
    // click on the list, so the list's handlers do not run.
    static void SelectAllPlayers(QListWidget* players);

    RoboCupFileT* File;  // not owned; null once forgotten
    uint8_t Kind;

protected:
    // The objects a window can show, several selectable at once: "ball",
    // "Lplayer1".."Lplayer11", "Rplayer1".."Rplayer11" (item i is object i).
    static QListWidget* NewPlayersList(QWidget* parent, int width);
    // The panel on top of a window's content, "ChartPanel", of that height, with
    // "Dynamic time range" (checked) at its left.
    static QWidget* NewTimeRangePanel(QWidget* parent, int height, QCheckBox** dynamicTimeRange,
                                      Qt::Alignment boxAlignment = {});
    // The content of the windows that show objects over time: the time-range
    // panel over the objects list, the rest of the window for the view.
    void SetPanelOverPlayers(int panelHeight, QCheckBox** dynamicTimeRange, QListWidget** players);
};
