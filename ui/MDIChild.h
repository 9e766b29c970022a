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

    RoboCupFileT* File;  // not owned; null once forgotten
    uint8_t Kind;
};
