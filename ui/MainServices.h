// What the action-graph and strategy windows use of the main window, behind
// one small interface: the time marks, the cycle slider, the channel
// browser's choice, the child windows and the open logs. The main window
// answers through TMainFormServices; tests of those windows put a fake in its
// place with SetMainServices.
#pragma once

#include <string>
#include <vector>

class RoboCupFileT;
class TimeChannel;
class TMainForm;
class TMDIActionChild;

class IMainWindowServices {
public:
    virtual ~IMainWindowServices() = default;

    // ---- Time marks ------------------------------------------------------------
    // "Use Time Marks" is checked.
    virtual bool UseTimeMarks() const = 0;
    // The marked cycles in ascending order.
    virtual std::vector<int> TimeMarkCycles() const = 0;
    virtual bool IsTimeMark(int cycle) const = 0;
    // Marks each given cycle that is not marked yet (a cycle given twice is
    // marked once); lbMarks shows the result.
    virtual void AddTimeMarks(const std::vector<int>& cycles) = 0;

    // ---- The cycle slider ----------------------------------------------------------
    virtual int CurrentCycle() const = 0;
    // Moves the slider to the cycle (limited to its range) and pushes the time
    // to the windows, as moving the slider does.
    virtual void SetCurrentCycle(int cycle) = 0;

    // ---- The channel browser ---------------------------------------------------------
    // The leaf channels of the browser's choice that pass its plus and minus
    // words: on the tree page those below the selected node, on the list page
    // those below every selected item, in list order. False when nothing is
    // chosen (no selected node; no current item).
    virtual bool ChosenChannels(std::vector<TimeChannel*>& leaves) const = 0;

    // ---- Windows -----------------------------------------------------------------
    virtual int ChildWindowCount() const = 0;
    // A new action-graph window on the log: titled, every object selected, its
    // graph built and drawn. Null when the program has no action-graph window.
    virtual TMDIActionChild* NewActionGraphWindow(RoboCupFileT* log) = 0;
    // Tiles the child windows one above the other.
    virtual void TileWindows() = 0;

    // ---- Open logs -----------------------------------------------------------------
    // In the order they were opened.
    virtual std::vector<RoboCupFileT*> OpenLogs() const = 0;
    virtual RoboCupFileT* CurrentLog() const = 0;
    // Makes the first open log of that file name current; null when none has it.
    virtual RoboCupFileT* SelectCurrentFile(const std::string& fileName) = 0;
    // Closes the log's windows and frees it; the first remaining log becomes
    // current. A log that is not open changes nothing.
    virtual void RemoveLog(RoboCupFileT* log) = 0;
    // Merges the team's play of every log of logs that has the team into a new
    // open log "<name>-Others.rcg" (team on the left, opponents "Others"),
    // analysed anew, current; the logs stay open, but an open log of the new
    // log's file name is replaced: do not use it afterwards. Null, after telling
    // the user, when no log has the team. A main window without merging (the
    // default) gives null.
    virtual RoboCupFileT* MergeFiles(const std::string& name, const std::string& team,
                                     const std::vector<RoboCupFileT*>& logs)
    {
        (void)name; (void)team; (void)logs;
        return nullptr;
    }
};

// The services of the main window over its controls.
class TMainFormServices final : public IMainWindowServices {
public:
    explicit TMainFormServices(TMainForm& form) : form_(form) {}

    bool UseTimeMarks() const override;
    std::vector<int> TimeMarkCycles() const override;
    bool IsTimeMark(int cycle) const override;
    void AddTimeMarks(const std::vector<int>& cycles) override;
    int CurrentCycle() const override;
    void SetCurrentCycle(int cycle) override;
    bool ChosenChannels(std::vector<TimeChannel*>& leaves) const override;
    int ChildWindowCount() const override;
    TMDIActionChild* NewActionGraphWindow(RoboCupFileT* log) override;
    void TileWindows() override;
    std::vector<RoboCupFileT*> OpenLogs() const override;
    RoboCupFileT* CurrentLog() const override;
    RoboCupFileT* SelectCurrentFile(const std::string& fileName) override;
    void RemoveLog(RoboCupFileT* log) override;
    RoboCupFileT* MergeFiles(const std::string& name, const std::string& team,
                             const std::vector<RoboCupFileT*>& logs) override;

private:
    TMainForm& form_;
};

// The services in use: the installed ones, else those of the program's main
// window (MainForm), else null (no main window).
IMainWindowServices* MainServices();
// Installs services (not owned) in place of the main window's; null goes back
// to the main window. Returns the previously installed ones.
IMainWindowServices* SetMainServices(IMainWindowServices* services);
