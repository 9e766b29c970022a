// The "Action graph" command of the main window on a real match: the window
// opens with every object chosen and its graph built.
#include "UiTestMain.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/childActionWin.h"
#include "core/model/RoboCupFile.h"
#include "platform/qt/Dialogs.h"
#include "support/TestData.h"
#include "ui/OpenLogs.h"
#include "ui/main.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cstdlib>

TEST(ActionGraphCommand, OpensTheWindowOnARealMatch)
{
    EnsureApp();
    platform::DialogScript script;
    TMainForm::AboutBoxRunner() = [] {};
    auto form = std::make_unique<TMainForm>();
    form->FirstActivation = false;
    form->resize(1400, 900);
    form->show();
    form->OpenLogFiles({QString::fromStdString(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"))});
    ASSERT_NE(form->Logs->Current(), nullptr);
    form->btnAnalyze->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(script.messages.empty());
    const QList<QMdiSubWindow*> windows = form->MdiArea->subWindowList();
    ASSERT_EQ(windows.size(), 1);
    auto* window = qobject_cast<TMDIActionChild*>(windows.front());
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->windowTitle().endsWith("Action graph 1")) << window->windowTitle().toStdString();
    EXPECT_EQ(window->lbPlayers->selectedItems().size(), 23);
    EXPECT_EQ(window->EditValue->text(), "1");
    const TGraph& g = *window->Graph;
    EXPECT_GT(g.NodeCount(), 10);
    EXPECT_GT(g.ConnectionCount(), 10);
    EXPECT_EQ(window->cbActionNodes->count(), g.NodeCount());
    // Under a real display (VELOTRASK_SHOT names a file) the window is saved as a picture.
    if (const char* shot = std::getenv("VELOTRASK_SHOT")) {
        form->MdiArea->setActiveSubWindow(window);
        window->showMaximized();
        QCoreApplication::processEvents();
        form->grab().save(shot);
        std::printf("%d nodes, %d connections; first nodes:", g.NodeCount(), g.ConnectionCount());
        for (int i = 0; i < 5 && i < g.NodeCount(); ++i)
            std::printf(" [%s]", g.GetNode(i)->GetName().c_str());
        std::printf("\n");
    }
    form.reset();
    TMainForm::AboutBoxRunner() = &TMainForm::ShowAboutBox;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
