#include "UiTestMain.h"
#include "ui/common.h"

#include <QWidget>
#include <gtest/gtest.h>

TEST(RunAndWait, TrueOnlyForAProgramThatEndsWell)
{
    EnsureApp();
    EXPECT_TRUE(RunAndWait("true"));
    EXPECT_FALSE(RunAndWait("false"));  // started, but failed
    EXPECT_FALSE(RunAndWait("sh -c \"exit 3\""));
    EXPECT_FALSE(RunAndWait("/nonexistent/callweka.sh data.arff results.txt"));
    EXPECT_FALSE(RunAndWait(""));
}

TEST(RunAndWait, QuotedWordsStayOneArgumentAndNoShellRuns)
{
    EnsureApp();
    // test(1) succeeds only with exactly the three arguments "a b", "=", "a b".
    EXPECT_TRUE(RunAndWait("test \"a b\" = \"a b\""));
    EXPECT_FALSE(RunAndWait("test \"a b\" = \"a  b\""));
    // A shell would run both commands; here "true;" is no program at all.
    EXPECT_FALSE(RunAndWait("true; true"));
}

TEST(MainWindow, RegisteredWindowIsForgottenWhenItGoes)
{
    EnsureApp();
    EXPECT_EQ(MainWindow(), nullptr);
    auto* w = new QWidget;
    SetMainWindow(w);
    EXPECT_EQ(MainWindow(), w);
    delete w;
    EXPECT_EQ(MainWindow(), nullptr);
}
