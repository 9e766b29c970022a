// Files the user chooses that cannot be read as what they are opened as: a
// named pipe, a device, a folder, a file over the limit, a file of another
// kind. Through the real main window: one message, and what was loaded or
// typed stays as it was.
#include "MainFormFixture.h"
#include "UiTestMain.h"

#include "core/io/FieldsFile.h"
#include "core/model/RoboCupFile.h"
#include "platform/ReadFile.h"
#include "platform/qt/Dialogs.h"
#include "support/SpecialFiles.h"
#include "support/TestData.h"
#include "ui/OpenLogs.h"
#include "ui/waitFormWin.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

class RefusedFilesTest : public MainFormFixture {
protected:
    void Choose(const std::string& file)
    {
        platform::FileDialogResult r;
        r.accepted = true;
        r.files = QStringList{Q(file)};
        script.files.push_back(r);
    }
    std::vector<std::string> OpenNames() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < form->Logs->Count(); ++i)
            names.push_back(form->Logs->At(i)->fileName);
        return names;
    }
    // The one message shown since the last call.
    QString Message()
    {
        EXPECT_EQ(script.messages.size(), 1u);
        const QString text = script.messages.empty() ? QString() : script.messages.back().text;
        if (!script.messages.empty()) {
            EXPECT_EQ(script.messages.back().caption, "Error");
        }
        script.messages.clear();
        return text;
    }

    platform::DialogScript script;
};

TEST_F(RefusedFilesTest, OpenFileRefusesWhatIsNoLogFileAtOnceAndKeepsTheOpenLogsAndTheirWindows)
{
    const std::string dir = MakeTempDir("open-refused");
    const std::string a = dir + "/a.rcg";
    std::filesystem::copy_file(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), a);
    Choose(a);
    form->btnOpenFileClick();
    ASSERT_EQ(OpenNames(), std::vector<std::string>{a});
    RoboCupFileT* loaded = form->Logs->Current();
    form->BtnAdd2dClick();
    QPointer<QMdiSubWindow> window = form->MdiArea->subWindowList().back();

    ::mkdir((dir + "/folder.rcg").c_str(), 0700);
    const struct {
        std::string path;
        std::string reason;
    } cases[] = {
        {MakePipe(dir + "/x.rcg"), "it is not a regular file (a named pipe)"},
        {"/dev/zero", "it is not a regular file (a character device)"},
        {dir + "/folder.rcg", "it is not a regular file (a folder)"},
        {MakeSparseFile(dir + "/big.rcg", platform::kLogFileLimit + 1, "ULG\3"),
         "it is larger than 1 GiB (1073741825 bytes)"},
    };
    for (const auto& c : cases) {
        Choose(c.path);
        {
            const Watchdog bound("opening " + c.path);
            form->btnOpenFileClick();
        }
        EXPECT_EQ(Message(), Q("Cannot read the file " + c.path + ": " + c.reason));
        EXPECT_EQ(OpenNames(), std::vector<std::string>{a});
        EXPECT_EQ(form->Logs->Current(), loaded);
        EXPECT_EQ(WaitForm, nullptr);
    }
    // The open log's own file turned into a pipe: the log read before and its
    // window stay; opening it again does not even begin.
    std::filesystem::remove(a);
    MakePipe(a);
    Choose(a);
    {
        const Watchdog bound("opening the log's file become a pipe");
        form->btnOpenFileClick();
    }
    EXPECT_EQ(Message(), Q("Cannot read the file " + a + ": it is not a regular file (a named pipe)"));
    EXPECT_EQ(form->Logs->Current(), loaded);
    EXPECT_EQ(loaded->cycles, 409);
    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(form->MdiArea->subWindowList().contains(window.data()));

    // Chosen among others, the refused file is told of and the others load.
    const std::string b = dir + "/b.rcg";
    std::filesystem::copy_file(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), b);
    platform::FileDialogResult both;
    both.accepted = true;
    both.files = QStringList{Q(dir + "/x.rcg"), Q(b)};
    script.files.push_back(both);
    form->btnOpenFileClick();
    EXPECT_EQ(Message(), Q("Cannot read the file " + dir + "/x.rcg: it is not a regular file (a named pipe)"));
    EXPECT_EQ(OpenNames(), (std::vector<std::string>{a, b}));
    EXPECT_EQ(form->Logs->Current()->cycles, 409);
}

TEST_F(RefusedFilesTest, LoadFieldsRefusesWhatIsNoFieldsFileAndKeepsTheRows)
{
    const std::vector<FieldDefinition> rows{{"speed", "sqr(Ball.vel.dx)"}, {"near", "dist(Ball, PLAYER, cycle) < 5"}};
    form->SetFieldRows(rows);
    const std::string dir = MakeTempDir("fields-refused");
    ::mkdir((dir + "/folder.txt").c_str(), 0700);
    const std::string exported = dir + "/data.txt";
    std::filesystem::copy_file(TestDataPath("golden/dataexport-m0.txt"), exported);
    std::ofstream(dir + "/readme.txt", std::ios::binary) << "VeloTrask\n=========\n\nRun it with ./run.sh\n";
    std::ofstream(dir + "/oneline.txt", std::ios::binary) << "a=1\r\nb\r\nc=2\r\n";
    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {MakePipe(dir + "/pipe.txt"),
         "Cannot read the file " + dir + "/pipe.txt: it is not a regular file (a named pipe)"},
        {"/dev/zero", "Cannot read the file /dev/zero: it is not a regular file (a character device)"},
        {dir + "/folder.txt", "Cannot read the file " + dir + "/folder.txt: it is not a regular file (a folder)"},
        {MakeSparseFile(dir + "/big.txt", platform::kFieldsFileLimit + 1, "a=1\n"),
         "Cannot read the file " + dir + "/big.txt: it is larger than 16 MiB (16777217 bytes)"},
        {exported, "\"" + exported + "\" is no fields file: line 1 holds two values without an operator between them"},
        {dir + "/readme.txt", "\"" + dir + "/readme.txt\" is no fields file: line 1 has no \"=\""},
        {dir + "/oneline.txt", "\"" + dir + "/oneline.txt\" is no fields file: line 2 has no \"=\""},
    };
    for (const auto& c : cases) {
        Choose(c.path);
        {
            const Watchdog bound("loading fields from " + c.path);
            form->BtnLoadFields->click();
        }
        EXPECT_EQ(Message(), Q(c.message));
        EXPECT_EQ(form->FieldRows(), rows) << c.path;
    }
    // A file with a byte-order mark and CR LF replaces the rows as a whole.
    std::ofstream(dir + "/good.txt", std::ios::binary) << "\xEF\xBB\xBFx=cycle\r\ny=Ball.pos.x\r\n";
    Choose(dir + "/good.txt");
    form->BtnLoadFields->click();
    EXPECT_TRUE(script.messages.empty());
    EXPECT_EQ(form->FieldRows(), (std::vector<FieldDefinition>{{"x", "cycle"}, {"y", "Ball.pos.x"}}));
}

}  // namespace
