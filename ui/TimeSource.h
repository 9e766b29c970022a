// The one time the child windows follow: the current cycle and the range
// around it, for one log. The main window's sliders write it; every child
// window listens (see TMDIChild) and takes the time when it shows that log and
// its "Dynamic time range" is checked. Pushing does no work per cycle: each
// receiver decides what it has to redraw.
#pragma once

#include <QObject>

class RoboCupFileT;

class TTimeSource : public QObject {
    Q_OBJECT
public:
    // The cycle p of the log and the range [from, to] around it, announced to
    // every follower even when the values did not change (a window that was
    // cleared of "Dynamic time range" and checked again catches up this way).
    void Push(RoboCupFileT* log, int cycle, int from, int to);
    // The log leaves: the source no longer names it (the pointer is never read,
    // only compared, but a later log may be given the same address).
    void Forget(const RoboCupFileT* log);

    // A window asks for the main window's current cycle to move to the cycle
    // (the main window then pushes the time as for any move of its slider).
    void RequestCycle(int cycle) { emit CycleRequested(cycle); }

    // The last pushed values; a new window starts from them.
    RoboCupFileT* Log() const { return log_; }
    int Cycle() const { return cycle_; }
    int From() const { return from_; }
    int To() const { return to_; }

signals:
    void TimeChanged(RoboCupFileT* log, int cycle, int from, int to);
    void CycleRequested(int cycle);

private:
    RoboCupFileT* log_ = nullptr;
    int cycle_ = 0;
    int from_ = 0;
    int to_ = 0;
};

// The program's time source; it lives for the whole run.
TTimeSource& TimeSource();
