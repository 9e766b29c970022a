#include "Application.h"
#include "UiHooks.h"
#include "main.h"
#include "platform/qt/System.h"

#include <memory>

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    platform::UseCNumericLocale();
    UiHooks hooks;
    platform::SetHooks(&hooks);
    RunGuarded([] {
        auto form = std::make_unique<TMainForm>();
        MainForm = form.get();
        form->show();
        QApplication::exec();
        MainForm = nullptr;
    });
    platform::SetHooks(nullptr);
    return 0;
}
