// Files chosen in the main window that cannot be read as what they are opened
// as: one message, and what was loaded or typed stays as it was.
#include "MainFormFixture.h"

#include "core/io/FieldsFile.h"
#include "core/model/RoboCupFile.h"
#include "platform/ReadFile.h"
#include "platform/qt/Dialogs.h"
#include "support/FreshProcess.h"
#include "support/SpecialFiles.h"
#include "support/TestData.h"
#include "ui/OpenLogs.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class RefusedFilesTest : public MainFormFixture {
protected:
    void Choose(std::initializer_list<std::string> files)
    {
        QStringList chosen;
        for (const std::string& f : files)
            chosen << QString::fromStdString(f);
        script.files.push_back({true, chosen});
    }
    // "caption: text" of each message shown since the last call.
    std::string Messages()
    {
        QString shown;
        for (const platform::ShownMessage& m : script.messages)
            shown += m.caption + ": " + m.text;
        script.messages.clear();
        return shown.toStdString();
    }

    platform::DialogScript script;
};

TEST_F(RefusedFilesTest, OpenFileRefusesWhatIsNoLogFileAtOnceAndKeepsTheOpenLogsAndTheirWindows)
{
    const std::string dir = MakeTempDir("open-refused"), a = dir + "/a.rcg", b = dir + "/b.rcg";
    std::filesystem::copy_file(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), a);
    std::filesystem::copy_file(a, b);
    Choose({a});
    form->btnOpenFileClick();
    RoboCupFileT* loaded = form->Logs->Current();
    form->BtnAdd2dClick();
    const QPointer<QMdiSubWindow> window = form->MdiArea->subWindowList().back();

    auto cases = SpecialFiles(dir, ".rcg", platform::kLogFileLimit, "1 GiB");
    // The open log's own file become a pipe: opening it again does not even begin.
    std::filesystem::remove(a);
    ASSERT_EQ(::mkfifo(a.c_str(), 0600), 0);
    cases.push_back({a, "Cannot read the file " + a + ": it is not a regular file (a named pipe)"});
    for (const RefusedFile& c : cases) {
        Choose({c.path});
        const Watchdog bound("opening " + c.path);
        form->btnOpenFileClick();
        EXPECT_EQ(Messages(), "Error: " + c.message);
        EXPECT_EQ(form->Logs->Count(), 1);
        EXPECT_EQ(form->Logs->Current(), loaded);
        EXPECT_EQ(loaded->cycles, 409);
        EXPECT_TRUE(form->MdiArea->subWindowList().contains(window.data())) << c.path;
    }
    // Chosen among others, the refused file is told of and the others load.
    Choose({cases[0].path, b});
    form->btnOpenFileClick();
    EXPECT_EQ(Messages(), "Error: " + cases[0].message);
    ASSERT_EQ(form->Logs->Count(), 2);
    EXPECT_EQ(form->Logs->Current()->fileName, b);
    EXPECT_EQ(form->Logs->Current()->cycles, 409);
}

// A log the user may not read, chosen under the name of the open log: refused
// before the open log of that name and its windows are touched. Run as "nobody"
// (root may read anything) in a fresh process, not a fork of this threaded one.
TEST_F(RefusedFilesTest, OpenFileRefusesALogTheUserMayNotReadAndKeepsTheOpenLogAndItsWindows)
{
    constexpr const char* kChild = "VELO_UNREADABLE_LOG_FOLDER";
    if (const char* dir = std::getenv(kChild)) {
        const std::string a = std::string(dir) + "/a.rcg";
        Choose({a});
        form->btnOpenFileClick();
        RoboCupFileT* loaded = form->Logs->Current();
        ASSERT_NE(loaded, nullptr);
        form->BtnAdd2dClick();
        const QPointer<QMdiSubWindow> window = form->MdiArea->subWindowList().back();
        // The folder open to all, the file (the user's own) to none: only the
        // read itself is refused.
        ASSERT_EQ(::chmod(a.c_str(), 0), 0);
        Choose({a});
        form->btnOpenFileClick();
        EXPECT_EQ(Messages(), "Error: Cannot read the file " + a + ": Permission denied");
        EXPECT_EQ(form->Logs->Count(), 1);
        EXPECT_EQ(form->Logs->Current(), loaded);
        EXPECT_EQ(loaded->cycles, 409);
        EXPECT_TRUE(form->MdiArea->subWindowList().contains(window.data()));
        return;
    }
    const std::string dir = MakeTempDir("open-unreadable"), a = dir + "/a.rcg";
    std::filesystem::copy_file(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), a);
    ASSERT_EQ(::chmod(dir.c_str(), 0755), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(a.c_str(), 65534, 65534), 0);  // the file of the user the case runs as
    }
    std::string whyNot;
    const int code = RunTestInFreshProcess(
        "RefusedFilesTest.OpenFileRefusesALogTheUserMayNotReadAndKeepsTheOpenLogAndItsWindows", kChild, dir, true,
        &whyNot);
    if (code == kNoProgramForNobody)
        GTEST_SKIP() << whyNot;
    EXPECT_EQ(code, 0);
}

TEST_F(RefusedFilesTest, LoadFieldsRefusesWhatIsNoFieldsFileAndKeepsTheRows)
{
    const std::vector<FieldDefinition> rows{{"speed", "sqr(Ball.vel.dx)"}, {"near", "dist(Ball, PLAYER, cycle) < 5"}};
    form->SetFieldRows(rows);
    const std::string dir = MakeTempDir("fields-refused");
    for (const RefusedFile& c : SpecialFiles(dir, ".txt", platform::kFieldsFileLimit, "16 MiB")) {
        Choose({c.path});
        const Watchdog bound("loading fields from " + c.path);
        form->BtnLoadFields->click();
        EXPECT_EQ(Messages(), "Error: " + c.message);
        EXPECT_EQ(form->FieldRows(), rows) << c.path;
    }
}

}  // namespace
