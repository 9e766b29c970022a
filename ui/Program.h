// The program's run: the five windows that live from start to end, the event
// loop, and the end.
#pragma once

class QWidget;

// The strategy window belongs to a layer above this one: the program entry
// hands in how to make it before the run. Without a maker none is made.
using StrategyWindowMaker = QWidget* (*)();
void SetStrategyWindowMaker(StrategyWindowMaker make);
// The strategy window made at start (null before, after, or without a maker).
QWidget* StrategyWindow();

class TMainForm;
// The main window's batch test ("Test") drives the strategy window too, so it
// lives in that layer and is handed in the same way. Without one "Test" does
// nothing.
using BatchTestRunner = void (*)(TMainForm& form);
void SetBatchTestRunner(BatchTestRunner run);
BatchTestRunner InstalledBatchTest();

// Creates, in this order, MainForm, ChooseTeamDlg, FormAbout, FormSaveData and
// the strategy window. Only the main window ends the run when it closes.
void CreateLongLivedWindows();
// Destroys the main window first (it frees the open logs, their windows and the
// concept hierarchies), then the other four; every global is null afterwards.
void DestroyLongLivedWindows();
// Creates the windows, shows the main window and runs the event loop until it
// closes; an exception that escapes is shown and the run ends normally. Returns 0.
int RunProgram();
