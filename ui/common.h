// What the windows share: the core's small routines (distances, identifiers,
// integer reading, colours, the pitch-to-view transform, number formats), the
// main window that dialogs centre on, and running outside programs.
#pragma once

#include "core/model/Common.h"
#include "core/model/Format.h"

#include <QString>

class QWidget;
class RoboCupFileT;

// "<left> : <right> (<left score>:<right score>)", scores as decimal integers:
// how captions and lists name a log.
QString TeamsAndScore(const RoboCupFileT& log);
// A log being read has neither cycles (counted when its records are all read)
// nor a score yet; once read, even one without a team record has a score.
bool BeingRead(const RoboCupFileT& log);

// The main window, which owns the wait window and centres it and the About box.
// The main window registers itself when it is made; null until then and after it
// is gone.
void SetMainWindow(QWidget* window);
QWidget* MainWindow();

// How long RunAndWait waits for an outside program (about 16 days 7 hours).
inline constexpr int kRunAndWaitTimeoutMs = 1410065408;

// Runs the outside program of the command line and waits for its end. The line
// is split into the program and its arguments (double quotes group words); no
// shell is involved. The GUI thread is blocked meanwhile. True only when the
// program started, ended by itself within the time limit and exited with code 0,
// so that callers never read the result files of a failed run as its results.
bool RunAndWait(const QString& commandLine);
