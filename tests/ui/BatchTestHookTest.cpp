// "Test" on the main window's file page runs the batch test the layer above
// installed, with the window and an open log; without one it does nothing.
#include "ui/Program.h"
#include "ui/main.h"
#include "platform/qt/Dialogs.h"

#include "MainFormFixture.h"
#include "support/TestData.h"

#include <QPushButton>

#include <gtest/gtest.h>

namespace {

TMainForm* g_ranWith = nullptr;

class BatchTestHook : public MainFormFixture {
protected:
    void TearDown() override
    {
        SetBatchTestRunner(nullptr);
        MainFormFixture::TearDown();
    }
};

TEST_F(BatchTestHook, TestRunsTheInstalledBatchTestWithTheWindow)
{
    platform::DialogScript script;
    form->OpenLogFiles({QString::fromStdString(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"))});
    g_ranWith = nullptr;
    form->BtnTestFiles->click();
    EXPECT_EQ(g_ranWith, nullptr);
    SetBatchTestRunner([](TMainForm& f) { g_ranWith = &f; });
    form->BtnTestFiles->click();
    EXPECT_EQ(g_ranWith, form.get());
}

}  // namespace
