// The one application object of the ui test program. It is the program's own
// application class, so events dispatched in tests are guarded exactly as in
// the running program. Every ui test calls UiTestApp() before making widgets.
#pragma once

#include "Application.h"

inline QApplication& UiTestApp()
{
    if (!qApp) {
        static int argc = 1;
        static char name[] = "ui_tests";
        static char* argv[] = {name, nullptr};
        static TApplication* app = new TApplication(argc, argv);
        (void)app;
    }
    return *qApp;
}
