// The main window: the multiple-document frame that holds the open logs, the
// time controls, the pages of commands, the channel browser and the child
// windows. Its form (layout, captions, hints, defaults) is described in
// mainForm.cpp and mainFormPages.cpp, its controls are declared in
// mainControls.h; the handlers of its controls live in one
// file per concern (mainFiles.cpp, mainTime.cpp, mainMarks.cpp, ...), each
// with its own Connect...Handlers called from ConnectHandlers in main.cpp.
#pragma once

#include "core/model/TimeMarks.h"
#include "ui/mainControls.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QMdiArea;
class QMdiSubWindow;
class QPlainTextEdit;
class QPushButton;
class QTreeWidgetItem;
class QListWidgetItem;

class LogExpression;
struct FieldDefinition;
class RoboCupFileT;
class TMDIActionChild;
class TimeChannel;
class TMDIChild;
class TOpenLogs;

// The action-graph window lives in a library above this one, so it tells the
// main window how to open one; the program registers it at start.
struct ActionGraphWindowKind {
    // Creates the window on the log inside the frame's MDI area with that
    // title, selects every object, builds the window's own graph, lays it out
    // and shows it.
    std::function<TMDIActionChild*(QMdiArea*, RoboCupFileT*, const QString& title)> create;
};
void SetActionGraphWindowKind(ActionGraphWindowKind kind);

// The form's controls are the members of TMainFormControls (mainControls.h).
class TMainForm : public QMainWindow, public TMainFormControls {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;


    // ---- State -------------------------------------------------------------
    // The open logs and the current one; lbFiles shows them.
    TOpenLogs* Logs = nullptr;
    int PlayStep = 0;            // cycles (or marks) one playback tick moves
    bool FileSwitching = false;  // true while the sliders are restored for a newly selected log
    bool FirstActivation = true; // cleared by the first activation

    // How the first activation shows the About box modally. Tests replace it so
    // that nothing blocks; the default (ShowAboutBox) shows FormAbout.
    static std::function<void()>& AboutBoxRunner();
    static void ShowAboutBox();

    // ---- Lifecycle ----------------------------------------------------------
    // Every activation re-runs the time change; the first one also shows the
    // About box and then offers the dialog for choosing logs.
    void FormActivate();
    // Frees the open logs (their windows first), the list, then the seven
    // hierarchies in the order they were built. Runs once, from the destructor.
    void FormDestroy();

    // ---- Window commands (arranging the children: mainWindows.cpp) -----------
    void btnCascadeClick();
    void btnTileVClick();  // side by side, in columns
    void btnTileHClick();  // one above the other, in rows
    void btnMinimizeClick();
    void btnExitClick();
    void Panel7Click();
    void btnSetTimeWindowClick();

    // ---- Logs -----------------------------------------------------------------
    // Offers the dialog for choosing logs and opens the chosen ones.
    void btnOpenFileClick();
    // Opens the given logs one after the other, in the given order, each under
    // the wait window: entry, reading, roles, features. The last one readable
    // becomes current. A file that yields no cycle leaves the list again and the
    // log current before it is current again; the user is told which file and
    // why, as for a file that keeps only the cycles before a cut or bad record.
    void OpenLogFiles(const QStringList& files);
    // A new log record for the file, with its full channel schema, appended to
    // Logs and made current. An open log of the same name is taken out first
    // (its windows closed) and kept aside until the new read is known usable.
    RoboCupFileT* CreateFileEntry(const QString& fileName);
    // What loading a log has to tell the user.
    struct LoadNotice {
        enum Kind { None, Partial, Unusable } kind = None;
        QString text;  // the message box text; empty for None
    };
    // Reads the file into the current log (derived pass, events and roles),
    // shows its teams and score, then computes the roles as "Use player roles"
    // says and the features. A file that yields no cycle is read but gets no
    // roles or features; the caller removes it.
    LoadNotice LoadLogFile(const QString& fileName);
    // Makes the first open log of that exact name current: caption, sliders at
    // the log's remembered range and cycle, the time pushed to the windows, its
    // item selected, the channel tree. Without force the current log's own name
    // changes nothing. Null when no open log has the name.
    RoboCupFileT* SelectCurrentFile(const QString& fileName, bool force);
    // Makes the selected log current (forced); nothing without a selection.
    // A click on the list runs it also when the row clicked is selected already.
    void lbFilesClick();
    // "RoboCup VeloTrask [text]"; an empty text stands for the current log's
    // teams and score, and with no current log the caption is "RoboCup VeloTrask".
    void UpdateCaption(const QString& text);
    // Removes the current log, whose row is the selected one ("No file
    // selected !" without one); the first remaining log becomes current.
    void BtnRemoveFileClick();
    // Closes the log's windows and, when it is the current log, sets the range
    // slider to 1 and the cycle slider to 0. Neither takes the entry out of
    // Logs nor changes the current log: the caller does that right after.
    void DeleteFileEntry(RoboCupFileT* log);
    // Asks every child window, in creation order, to forget the log: the
    // windows that show it close.
    void CloseFileWindows(RoboCupFileT* log);
    // The windows of the current (selected) log: close them, minimize them, or
    // show them alone (every other window minimized). "No file selected !"
    // without one.
    // The windows that come forward meanwhile do not change the current log.
    void BtnRemoveWindowsClick();
    void BtnMinimizeWindowsClick();
    void BtnRestoreWindowsClick();
    // The roles of the current log again: role analysis while "Use player
    // roles" is checked, shirt numbers otherwise. The features stay as they are.
    void cbUseRolesClick();

    // ---- Merging logs (mainMerge.cpp) -------------------------------------------
    // "Merge Files": the team chooser; on OK the chosen team's logs are merged
    // into "<team><prefix>-Others.rcg", which replaces them and opens in a field
    // window and an action-graph window. Whatever the choice, the last log of the
    // list is current afterwards.
    void BtnMergeFilesClick();
    // "Test": the batch test over the open logs (installed by the strategy layer).
    void BtnTestFilesClick();
    // Merges the team's play of every log of logs that has the team (team on
    // the left, mirrored where it played right) into a new log "<name>-Others.rcg"
    // with its own derived channels, events, roles and features, under the wait
    // window. The new log is appended to Logs and current; an open log of its
    // file name is replaced (freed) after the merge has read it. The logs stay
    // open. Null, after telling the user, when no log has the team.
    RoboCupFileT* MergeFiles(const QString& name, const QString& team, const std::vector<RoboCupFileT*>& logs);

    // ---- New windows on the current log ---------------------------------------
    // "No log file loaded" without a current log; else a chart, field, data or
    // concept-usage window on it titled "Chart <n>", "Field <n>", "Data <n>" or
    // "Concepts <n>" (n counts every child window, the new one included).
    void BtnAdd1dClick();
    void BtnAdd2dClick();
    void BtnAddDataClick();
    void BtnAddUsageClick();
    // Adds the channels selected in the tree (or list) that pass the word
    // filters as columns of the active data window of the current log.
    void btnAddDataSeriesClick();

    // ---- Action graph ---------------------------------------------------------
    // "No log file loaded" without a current log, else a new action-graph window on it.
    void btnAnalyzeClick();
    // A new action-graph window on the log, titled "Action graph <n>" (n counts
    // every child window, the new one included), with every object selected,
    // its graph built and drawn.
    TMDIActionChild* NewActionGraphWindow(RoboCupFileT* log);

    // ---- Time (mainTime.cpp) --------------------------------------------------------
    // The time change: from the cycle p of TrackBar1 and the half-width r of
    // TrackBar2 the range p - r .. p + r + 1 (0 for a start below 1, the last
    // cycle for an end beyond it) goes into TrackBar1's selection and the two
    // edits, p into the current log's memory (not while FileSwitching), and
    // cycle and range to the windows of the current log through the time source.
    void TrackBar1Change(QObject* Sender);
    // The half-width changed: remembered for the current log (not while
    // FileSwitching), then the time change.
    void TrackBar2Change(QObject* Sender);
    // The range typed into the two edits: Enter in EditStartTime (Sender) asks
    // for one cycle at the start; an end before the start gives one cycle too.
    // A text that is no integer is shown as the conversion error it is and
    // changes nothing.
    void BtnSetTimeRangeClick(QObject* Sender);
    // Playback: forward, fast forward (10), rewind, fast rewind (-10) start the
    // timer with their step; stop ends it. The speed bar sets the delay between ticks.
    void sbFwdClick();
    void sbFFwdClick();
    void sbRevClick();
    void sbFRewClick();
    void sbStopClick();
    void sbTimeSpeedChange();
    // One tick: PlayStep cycles, or PlayStep marks while "Use Time Marks" is checked.
    void TimerTimer();
    // One cycle or one mark forward / back. A press of the button (Sender not
    // null) stops playback first. With marks: the next / previous item of
    // lbMarks, wrapping around, or playback stops at the end with "Stop at last
    // mark"; then the slider jumps to that mark's cycle.
    void sbNextClick(QObject* Sender);
    void sbPrevClick(QObject* Sender);
    // Asks, then changes the averaging time window of the current log and lets
    // every child window of every log refresh what it averages. Nothing without
    // a current log.
    void ChangeTimeWindow(int window);

    // ---- Channel tree (mainTree.cpp) -----------------------------------------------
    // Fills the channel tree and list from the current log (empties them without
    // one). Every tree node and list item holds its channel: ChannelOf. Runs
    // whenever the log's channels were made, computed again or taken back.
    void FillDataTree();
    void AddTreeChildren(QTreeWidgetItem* parent, TimeChannel* channel);
    static TimeChannel* ChannelOf(const QTreeWidgetItem* node);
    static TimeChannel* ChannelOf(const QListWidgetItem* item);
    // Replaces the memo's selection by the text and leaves the text selected.
    void InsertFieldName(QPlainTextEdit* memo, const QString& text);
    // The clicked channel's full name into MemoTimeRangeFunction and MemoMarksFunction.
    void TreeViewClick();
    void ListViewClick();
    // The selected channels to the active chart (Chart page: "Add chart series")
    // or data window (Data page: "Add selected data series"); a warning otherwise.
    void TreeViewDblClick();
    void ListViewDblClick();
    void BtnSelAllNoneClick();
    void BtnClearFilterClick();
    void PanelHideLeftClick();
    // The lines of "+ words" and "- words", for PassesWordFilter and the series.
    std::vector<std::string> GoodWords() const;
    std::vector<std::string> BadWords() const;
    // Parses the text for the parser's log; a refused text shows the parser's
    // message under "Function evaluation error !" and gives -1, else 0.
    static int SetupExpressionParser(LogExpression& parser, const QString& text);

    // ---- Chart series (mainChart.cpp) -------------------------------------------
    // Adds the chosen channels, or the series of the "Chart" page's expression
    // (over every cycle, or over the marks while "Use Time Marks" is checked),
    // to the active chart window.
    void BtnAddTimeRangeClick();

    // ---- Expression channels (mainFields.cpp) -------------------------------------
    // Makes or refreshes the channels of every row of vlFunctions on the current
    // log under the wait window (a beep without a log).
    void BtnAddFunctionSeriesClick();
    // The rows from or to a chosen "fields.txt" (lines "name=expression").
    void BtnLoadFieldsClick();
    void BtnSaveFieldsClick();
    // The rows of vlFunctions as (name, expression) pairs, empty rows included.
    std::vector<FieldDefinition> FieldRows() const;
    void SetFieldRows(const std::vector<FieldDefinition>& rows);

    // ---- Time marks (mainMarks.cpp) ---------------------------------------------
    // The marks of lbMarks, shared by all logs. Change them here, never through
    // lbMarks' items: lbMarks and lNumMarks follow every change.
    TimeMarks Marks;
    void BtnAddMarksClick();
    void BtnRemoveMarksClick();
    void btnInvertMarksClick();
    void BtnResetMarksClick();
    void BtnClearMarksClick();
    void btnPasteMarksClick();
    void BtnCopyMarksClick();
    void lbMarksClick();
    void lbMarksDblClick();

protected:
    bool event(QEvent* e) override;

private:
    void BuildForm();
    QWidget* BuildTopPanel();
    QWidget* BuildLeftPanel();
    QWidget* BuildFilesPage();
    QWidget* BuildChartPage();
    QWidget* BuildFieldPage();
    QWidget* BuildDataPage();
    QWidget* BuildMarksPage();
    QWidget* BuildDataView();
    void ConnectHandlers();
    // Runs each handler when its button is clicked.
    void ConnectClicks(std::initializer_list<std::pair<QPushButton*, void (TMainForm::*)()>> clicks);
    void TileChildren(bool columns);
    // Minimizes the children that pass the test, in creation order.
    void MinimizeChildren(const std::function<bool(const QMdiSubWindow*)>& which);
    // The children in creation order, each guarded: handlers that run while
    // one of them closes can close or open others.
    QList<QPointer<QMdiSubWindow>> GuardedChildren() const;
    void ConnectFileHandlers();
    void ConnectTimeHandlers();
    // The selected item of lbMarks, or -1.
    int MarkIndex() const;
    // Selects item i of lbMarks and moves the slider to the cycle it names.
    void JumpToMark(int index);
    void ConnectMarksHandlers();
    void ConnectChartHandlers();
    // Shows Marks in lbMarks (list order, FormatInt6 texts) and lNumMarks.
    void ShowMarks();
    // Marks become the cycles of lbMarks' items, after a change made to the
    // list directly.
    void ReadMarksFromList();
    // The cycles of the current log at which the criteria of MemoMarksFunction
    // holds, in order; false (nothing to do) after a beep or the parser's message.
    bool MarksCriteriaCycles(std::vector<int>& cycles);
    void ConnectTreeHandlers();
    void ConnectFieldHandlers();
    void ConnectMergeHandlers();
    void InsertChannelName(const TimeChannel* channel);
    void AddSelectedToActiveWindow();
    void ConnectDataHandlers();
    // Takes the log out of Logs after closing its windows and frees it; when it
    // was current, no log is current afterwards.
    void RemoveFileEntry(RoboCupFileT* log);
    // The same, handing the log to the caller instead of freeing it.
    std::unique_ptr<RoboCupFileT> TakeFileEntry(RoboCupFileT* log);
    // Adds the record to the open logs and makes it the current log.
    RoboCupFileT* AddCurrentLog(std::unique_ptr<RoboCupFileT> record);
    // Undoes a file entry whose load failed: the entry leaves, the log it
    // replaced comes back where it stood, and the log current before (named
    // before) is current again, or else the first one.
    void UndoFileEntry(RoboCupFileT* log, const QString& before);
    // A log that CreateFileEntry replaced, kept until the new read of its file
    // is known to be usable: a file that has gone bad since must not cost the
    // user the log that was loaded from it.
    std::unique_ptr<RoboCupFileT> replacedLog_;
    int replacedIndex_ = -1;
    // The selected row of lbFiles, or -1.
    int SelectedFileIndex() const;
    // The current log, telling the user "No file selected !" when there is none.
    RoboCupFileT* CurrentLogOrSay();
    // Makes the first open log current; with none, the caption names no log.
    void SelectFirstFile();
    // Selects row i of lbFiles (-1: none) without that counting as a click.
    void SelectFileItem(int index);
    bool NoCurrentLog();  // warns "No log file loaded" when there is none
    QString NewWindowTitle(const QString& kind) const;

    bool selectingFileItem_ = false;  // the program, not the user, changes the selection
    bool arrangingFileWindows_ = false;  // the window buttons keep the selected log current

    bool activating_ = false;  // the first activation's About box and dialog reactivate the frame
    bool destroyed_ = false;
    // lbMarks is being filled from Marks: its own signals are not news then.
    bool showingMarks_ = false;
    // The context of what watches lbMarks: declared after Marks, so it goes
    // (and the watchers with it) before Marks does.
    QObject marksWatch_;
};

// The main window; set by the program entry for the whole run.
extern TMainForm* MainForm;
