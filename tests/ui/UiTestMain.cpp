#include "UiTestMain.h"

#include "platform/qt/System.h"

#include <QApplication>

QApplication& EnsureApp()
{
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        auto* a = new QApplication(argc, argv);
        platform::UseCNumericLocale();
        return a;
    }();
    return *app;
}
