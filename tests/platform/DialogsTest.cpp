#include "platform/qt/Dialogs.h"
#include "platform/qt/System.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace {
QApplication& App()
{
    static int argc = 1;
    static char name[] = "platform_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}
}  // namespace

TEST(Dialogs, ScriptAnswersAndRecordsMessageBoxes)
{
    App();
    platform::DialogScript script;
    script.answers.push_back(platform::Answer::Cancel);
    EXPECT_EQ(platform::MessageBox(nullptr, "Change it?", "Question", platform::Buttons::OkCancel),
              platform::Answer::Cancel);
    // An empty script answers the affirmative button.
    EXPECT_EQ(platform::MessageBox(nullptr, "Use roles?", "Question", platform::Buttons::YesNo), platform::Answer::Yes);
    ASSERT_EQ(script.messages.size(), 2u);
    EXPECT_EQ(script.messages[0].text, "Change it?");
    EXPECT_EQ(script.messages[1].caption, "Question");
}

TEST(Dialogs, ScriptedFileDialogsCancelWhenEmpty)
{
    App();
    platform::DialogScript script;
    platform::FileDialogResult pick;
    pick.accepted = true;
    pick.files << "/tmp/a.rcg" << "/tmp/b.rcg";
    script.files.push_back(pick);
    auto r = platform::OpenFileDialog(nullptr, "Open", "Logs (*.rcg)", true);
    EXPECT_TRUE(r.accepted);
    EXPECT_EQ(r.files.size(), 2);
    auto r2 = platform::SaveFileDialog(nullptr, "Save", "Text (*.txt)");
    EXPECT_FALSE(r2.accepted);
    ASSERT_EQ(script.fileDialogs.size(), 2u);
    EXPECT_TRUE(script.fileDialogs[1].save);
}

TEST(System, CommandLineSplitsWithoutShell)
{
    const QStringList parts = platform::SplitCommandLine("prog \"a b\" c");
    ASSERT_EQ(parts.size(), 3);
    EXPECT_EQ(parts[1], "a b");
    EXPECT_TRUE(platform::RunProgramAndWait("true"));
    EXPECT_FALSE(platform::RunProgramAndWait("/nonexistent/program-xyz"));
    EXPECT_FALSE(platform::RunProgramAndWait(""));
}

TEST(System, BeepsAreCountedWhileACounterIsInstalled)
{
    App();
    int beeps = 0;
    platform::SetBeepCounter(&beeps);
    platform::SystemBeep();
    platform::SystemBeep();
    platform::SetBeepCounter(nullptr);
    EXPECT_EQ(beeps, 2);
}

TEST(System, NumericLocaleIsCAfterStart)
{
    App();
    platform::UseCNumericLocale();
    EXPECT_EQ(QString::number(1.5), "1.5");
    EXPECT_EQ(QLocale().toString(1234.5, 'f', 1), "1234.5");
}
