// The one application object of the ui test program.
#pragma once

class QApplication;

// Creates the application object on first use (offscreen under CTest) with the
// program's numeric locale, and returns it.
QApplication& EnsureApp();
