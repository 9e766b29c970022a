// Small window-system services: the beep, pending events, the clipboard,
// outside programs and the numeric locale.
#pragma once

#include <QString>
#include <QStringList>

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

// Numbers are always read and written with "." as decimal and "," as thousands
// separator: called right after the application object is made (Qt adopts the
// environment's locale then).
void UseCNumericLocale();

}  // namespace platform
