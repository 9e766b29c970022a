#include "ui/Application.h"
#include "ui/Program.h"
#include "ui/UiHooks.h"
#include "actiongraph/childActionWin.h"
#include "strategy/BatchTest.h"
#include "strategy/FormStrategy.h"
#include "platform/WorkFolder.h"
#include "platform/qt/System.h"

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    platform::UseCNumericLocale();
    UiHooks hooks;
    platform::SetHooks(&hooks);
    RegisterActionGraphWindow();
    RegisterStrategyWindow();
    RegisterBatchTest();
    // The learner runs of copies that ended in the middle of one (killed,
    // crashed) left their work folders behind.
    platform::RemoveEndedWorkFolders("run");
    const int rc = RunProgram();
    platform::SetHooks(nullptr);
    return rc;
}
