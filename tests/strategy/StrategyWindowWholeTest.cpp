// The strategy window shows every control whole.
#include "strategy/FormStrategy.h"

#include "support/GuiApp.h"
#include "support/PanelFaults.h"

#include <QApplication>

#include <gtest/gtest.h>

TEST(StrategyWindowWhole, ShowsEveryControlWhole)
{
    EnsureGuiApp();
    TFormStrategy window;
    window.show();
    QApplication::processEvents();
    for (const std::string& fault : PanelFaults(&window))
        ADD_FAILURE() << fault;
}
