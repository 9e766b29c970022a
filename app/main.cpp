#include "UiHooks.h"
#include "platform/qt/System.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    platform::UseCNumericLocale();
    UiHooks hooks;
    platform::SetHooks(&hooks);
    QMainWindow w;
    w.setWindowTitle("RoboCup VeloTrask");
    w.resize(1000, 700);
    w.show();
    const int rc = app.exec();
    platform::SetHooks(nullptr);
    return rc;
}
