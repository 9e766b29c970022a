// "Test" on the main window's file page runs the batch test the layer above
// installed, with the window; without one it does nothing.
#include "ui/Program.h"
#include "ui/main.h"

#include "MainFormFixture.h"

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
    g_ranWith = nullptr;
    form->BtnTestFiles->click();
    EXPECT_EQ(g_ranWith, nullptr);
    SetBatchTestRunner([](TMainForm& f) { g_ranWith = &f; });
    form->BtnTestFiles->click();
    EXPECT_EQ(g_ranWith, form.get());
}

}  // namespace
