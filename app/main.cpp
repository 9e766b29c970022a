#include "Application.h"
#include "Program.h"
#include "UiHooks.h"
#include "childActionWin.h"
#include "platform/qt/System.h"

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    platform::UseCNumericLocale();
    UiHooks hooks;
    platform::SetHooks(&hooks);
    RegisterActionGraphWindow();
    const int rc = RunProgram();
    platform::SetHooks(nullptr);
    return rc;
}
