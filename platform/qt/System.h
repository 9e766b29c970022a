// Small window-system services: the beep, pending events, the clipboard,
// outside programs and the numeric locale.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace platform {

// The default beep. While a beep counter is installed (tests) beeps are counted
// instead of sounded.
void SystemBeep();
void SetBeepCounter(int* counter);

// Lets pending events through without user input, so that nothing the user does
// can act on data that a long operation is still working on.
void ProcessPendingEventsNoInput();

QString ClipboardText();
void SetClipboardText(const QString& text);

// Splits a command line into program and arguments (double quotes group words;
// no shell is involved).
QStringList SplitCommandLine(const QString& commandLine);

// Runs the program of the command line without a window of its own and waits for
// it to end. True when the program could be started. When endedWell is given it
// tells whether the program also ended by itself within the time limit with exit
// code 0 (a program still running at the limit is killed).
bool RunProgramAndWait(const QString& commandLine, int timeoutMs = -1, bool* endedWell = nullptr);

// How one run of an outside program ended.
struct ProgramRun {
    bool started = false;    // the program could be started
    bool finished = false;   // it ended by itself within the time limit
    bool crashed = false;    // it ended by a signal or crash
    bool cancelled = false;  // the caller's poll asked to stop it
    int exitCode = -1;
    qint64 processId = 0;    // also the id of its process group
    QString startError;      // why it could not be started
    // What the program wrote to its standard output and error, in the order
    // written. Of a longer output only the start (its first 16 KiB) and the end
    // (its last 48 KiB) are kept, each in whole lines, with a line "..." between.
    QString output;
    // Started, ended by itself within the limit, exit code 0.
    bool Succeeded() const { return started && finished && !crashed && exitCode == 0; }
    // For messages: "exit code 3", "crashed", "cancelled", "stopped after 60 s"
    // ("stopped after 10 min" for whole minutes) or "could not be started (<reason>)".
    QString Describe(int timeoutMs) const;
};

// Called again and again while an outside program runs (every few hundredths
// of a second); false stops the program.
using KeepRunning = std::function<bool()>;

// Runs the program with its arguments as they stand (no shell sees them) in the
// working folder (the current one when empty), without a window of its own,
// and waits for its end; its output is collected, not shown. The program runs
// in a process group of its own: at the time limit, when keepRunning says
// stop, and when it ends leaving children behind, the whole group is asked to
// terminate and, after a short grace, killed, so that nothing it started runs on:
// the call returns once no member of the group runs any more (a member that
// cannot end even when killed is waited for a few seconds at most).
// environment holds "NAME=value" entries the program gets on top of this
// process's environment.
ProgramRun RunProgram(const QString& program, const QStringList& arguments, int timeoutMs,
                      const QString& workingFolder = {}, const KeepRunning& keepRunning = {},
                      const QStringList& environment = {});

// The text shortened for a message: blanks trimmed; when longer than maxChars,
// its start and its end with a line "..." between them.
QString ShortenText(const QString& text, int maxChars);

// Numbers are always read and written with "." as decimal and "," as thousands
// separator: called right after the application object is made (Qt adopts the
// environment's locale then).
void UseCNumericLocale();

}  // namespace platform
