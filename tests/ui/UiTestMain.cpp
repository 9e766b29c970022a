#include "actiongraph/childActionWin.h"
#include "UiTestMain.h"

#include "ui/Application.h"
#include "platform/qt/System.h"

#include <QApplication>

QApplication& EnsureApp()
{
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        // The program's own application class: events are dispatched under the
        // same exception guard as in the running program.
        auto* a = new TApplication(argc, argv);
        platform::UseCNumericLocale();
        RegisterActionGraphWindow();
        return a;
    }();
    return *app;
}
