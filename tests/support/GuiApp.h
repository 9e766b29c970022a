// The one application object of a test program, for the tests that draw text
// or drive widgets.
#pragma once

#include <QApplication>

inline QApplication& EnsureGuiApp()
{
    static int argc = 1;
    static char name[] = "velotrask_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance()))
            return existing;
        return new QApplication(argc, argv);
    }();
    return *app;
}
