#include "platform/qt/Dialogs.h"
#include "platform/qt/System.h"
#include "platform/SaveFile.h"
#include "support/SaveFailure.h"
#include "support/TestData.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QLocale>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QApplication& App()
{
    static int argc = 1;
    static char name[] = "platform_tests";
    static char* argv[] = {name, nullptr};
    // One application object per test program, whichever test makes it first.
    static QApplication* app =
        qobject_cast<QApplication*>(QCoreApplication::instance()) ? qApp : new QApplication(argc, argv);
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

TEST(Dialogs, ASaveAsksToReplaceOnlyAFileThereOfAKindItWrites)
{
    App();
    QTemporaryDir dir;
    ASSERT_TRUE(QFile(dir.filePath("a.csv")).open(QIODevice::WriteOnly));
    const platform::SaveFilesOf txt = platform::FileOfKinds({".txt"}), both = platform::FileOfKinds({".txt", ".csv"});
    for (const auto& [name, filesOf, asked] :
         {std::tuple<const char*, platform::SaveFilesOf, bool>{"a.csv", both, true}, {"a.csv", txt, false},
          {"b.txt", txt, false}, {"a.csv", {}, true}}) {
        platform::DialogScript script;
        script.files.push_back({true, {dir.filePath(name)}, 0});
        script.answers.push_back(platform::Answer::No);  // a question asked is answered No
        EXPECT_EQ(platform::SaveFileDialog(nullptr, "Save", "Text (*.txt)", "txt", {}, filesOf).accepted, !asked)
            << name;
    }
}

// The selected type's extension; a type of any name: the save's own default; one typed stays.
TEST(Dialogs, ANameTypedWithoutExtensionTakesTheSelectedTypesOne)
{
    App();
    QTemporaryDir dir;
    for (const auto& [typed, selected, saved] :
         {std::tuple{"d3", 1, "d3.arff"}, {"d3", 2, "d3.raw"}, {"d3.data", 0, "d3.data"}}) {
        platform::DialogScript script;
        script.files.push_back({true, {dir.filePath(typed)}, selected});
        EXPECT_EQ(platform::SaveFileDialog(nullptr, "Save", "C5 (*.names);;ARFF (*.arff);;Any file (*)", "raw").files,
                  QStringList{dir.filePath(saved)}) << typed << " as " << selected;
    }
}

// A target the save would refuse is told at once, as the save tells it, unasked:
// no answer could lead past it. Only a file it will replace brings the question.
TEST(Dialogs, WhatTheSaveWouldRefuseIsToldBeforeAnyQuestion)
{
    App();
    QTemporaryDir tmp;
    const std::string d = tmp.path().toStdString(), cannot = "Cannot write the file " + d + "/";
    ASSERT_EQ(::mkfifo((d + "/pipe.txt").c_str(), 0600), 0);
    ASSERT_EQ(::symlink((d + "/nowhere/x.txt").c_str(), (d + "/dangling.txt").c_str()), 0);
    ASSERT_EQ(::symlink("fresh/", (d + "/slash.txt").c_str()), 0);  // the system opens no file by that name
    ASSERT_TRUE(QFile(tmp.filePath("own.txt")).open(QIODevice::WriteOnly));
    const std::pair<std::string, std::string> cases[] = {
        {"pipe.txt", cannot + "pipe.txt: it is not a regular file (a named pipe)"},
        {"dangling.txt", cannot + "dangling.txt: " + std::strerror(ENOENT)},
        {"slash.txt", cannot + "slash.txt: " + std::strerror(EISDIR)},
        {"own.txt", "own.txt already exists.\nDo you want to replace it?"},
    };
    for (const auto& [name, message] : cases) {
        platform::DialogScript script;  // a question asked is answered Yes
        script.files.push_back({true, {QString::fromStdString(d + "/" + name)}, 0});
        const bool accepted = platform::SaveFileDialog(nullptr, "Save As", "Text (*.txt)").accepted;
        ASSERT_EQ(script.messages.size(), 1u) << name;
        EXPECT_EQ(script.messages[0].text.toStdString(), message);
        EXPECT_EQ(script.messages[0].caption, accepted ? "Save As" : "Error") << name;
        EXPECT_EQ(accepted, name == "own.txt");
    }
    EXPECT_FALSE(QFile::exists(tmp.filePath("fresh")));
}

TEST(Dialogs, AnInnerScriptHandsBackToTheOuterOne)
{
    App();
    platform::DialogScript outer;
    {
        platform::DialogScript inner;
        EXPECT_EQ(platform::DialogScript::Active(), &inner);
        platform::MessageBox(nullptr, "inner", "Warning");
        EXPECT_EQ(inner.messages.size(), 1u);
    }
    // Were no script active now, the next box would wait for a user who never comes.
    ASSERT_EQ(platform::DialogScript::Active(), &outer);
    outer.answers.push_back(platform::Answer::No);
    EXPECT_EQ(platform::MessageBox(nullptr, "outer", "Question", platform::Buttons::YesNo), platform::Answer::No);
    ASSERT_EQ(outer.messages.size(), 1u);
    EXPECT_EQ(outer.messages[0].text, "outer");
}

TEST(System, CommandLineSplitsWithoutShell)
{
    const QStringList parts = platform::SplitCommandLine("prog \"a b\" c");
    ASSERT_EQ(parts.size(), 3);
    EXPECT_EQ(parts[1], "a b");
    EXPECT_TRUE(platform::RunProgramAndWait("true"));
    EXPECT_FALSE(platform::RunProgramAndWait("/nonexistent/program-xyz"));
    EXPECT_FALSE(platform::RunProgramAndWait(""));
    bool endedWell = true;
    EXPECT_TRUE(platform::RunProgramAndWait("sh -c \"exit 3\"", -1, &endedWell));
    EXPECT_FALSE(endedWell);
    EXPECT_TRUE(platform::RunProgramAndWait("sh -c \"exit 0\"", -1, &endedWell));
    EXPECT_TRUE(endedWell);
}

TEST(System, AProgramStillRunningAtTheLimitIsStopped)
{
    QElapsedTimer clock;
    clock.start();
    bool endedWell = true;
    EXPECT_TRUE(platform::RunProgramAndWait("sleep 30", 200, &endedWell));
    EXPECT_FALSE(endedWell);
    EXPECT_LT(clock.elapsed(), 10000);
}

TEST(System, ClipboardTextRoundTrips)
{
    App();
    platform::SetClipboardText("    12     40 ");
    EXPECT_EQ(platform::ClipboardText(), "    12     40 ");
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
    // What a German desktop leaves behind once the application object exists.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    std::setlocale(LC_NUMERIC, "C.UTF-8");
    ASSERT_EQ(QLocale().toString(1.5, 'f', 1), "1,5");
    platform::UseCNumericLocale();
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", 1.5);
    EXPECT_STREQ(text, "1.5");
    EXPECT_EQ(QLocale().decimalPoint(), ".");
    EXPECT_EQ(QLocale().groupSeparator(), ",");
    EXPECT_EQ(QLocale().toString(1234.5, 'f', 1), "1234.5");
    bool ok = false;
    EXPECT_DOUBLE_EQ(QLocale().toDouble("2.25", &ok), 2.25);
    EXPECT_TRUE(ok);
}

TEST(Dialogs, ATypedNameWithoutExtensionGetsTheDefaultOne)
{
    App();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString bare = dir.filePath("README");  // an existing file without extension stays as it is
    QFile(bare).open(QIODevice::WriteOnly);
    struct Case {
        QString typed;
        QString opened;
    };
    const Case cases[] = {
        {dir.filePath("match"), dir.filePath("match.rcg")},
        {dir.filePath("match.rcg"), dir.filePath("match.rcg")},
        {dir.filePath("match.log"), dir.filePath("match.log")},
        {bare, bare},
    };
    platform::DialogScript script;
    for (const Case& c : cases) {
        platform::FileDialogResult pick;
        pick.accepted = true;
        pick.files << c.typed;
        script.files.push_back(pick);
        const auto r = platform::OpenFileDialog(nullptr, "Open", "Logs (*.rcg)", true, {}, "rcg");
        ASSERT_EQ(r.files.size(), 1);
        EXPECT_EQ(r.files[0], c.opened);
    }
    // Without a default extension nothing is added.
    platform::FileDialogResult pick;
    pick.accepted = true;
    pick.files << dir.filePath("match");
    script.files.push_back(pick);
    EXPECT_EQ(platform::OpenFileDialog(nullptr, "Open", "Logs (*.rcg)", true).files[0], dir.filePath("match"));
}

TEST(Dialogs, ScriptedModalWindowsAreNeverShown)
{
    App();
    platform::DialogScript script;
    QDialog dialog;
    dialog.setWindowTitle("Strategy");
    bool visible = true;
    script.whileModal = [&](QDialog* d) { visible = d->isVisible(); };
    EXPECT_EQ(platform::ShowModal(&dialog), QDialog::Rejected);
    script.modalResults.push_back(QDialog::Accepted);
    EXPECT_EQ(platform::ShowModal(&dialog), QDialog::Accepted);
    EXPECT_FALSE(visible);
    EXPECT_EQ(script.modals, (std::vector<QString>{"Strategy", "Strategy"}));
}

// A save of two files (C5's ".names" with its ".data") is refused whole, with
// one message and before any question, when its second file leads to the
// first, and also when its first is refused: the files keep what they held.
TEST(Dialogs, ASaveOfTwoFilesWhereOneIsRefusedOrBothAreOneFileAsksNothing)
{
    App();
    namespace fs = std::filesystem;
    const auto pair = [](const QString& chosen) { return QStringList{chosen, chosen.chopped(6) + ".data"}; };
    const struct {
        const char* what;
        void (*make)(const std::string& d);
        const char* refused;  // the name told, and the one it leads to
        const char* partner;
    } cases[] = {
        {"a link", [](const std::string& d) { fs::create_symlink("y.names", d + "/y.data"); }, "y.data", "y.names"},
        {"a link through a folder",
         [](const std::string& d) {
             fs::create_directory_symlink(".", d + "/here");
             fs::create_symlink(d + "/here/y.names", d + "/y.data");
         },
         "y.data", "y.names"},
        {"a second name", [](const std::string& d) { fs::create_hard_link(d + "/y.names", d + "/y.data"); }, "y.data",
         "y.names"},
        {"a named pipe first",
         [](const std::string& d) {
             fs::remove(d + "/y.names");
             ASSERT_EQ(::mkfifo((d + "/y.names").c_str(), 0600), 0);
             std::ofstream(d + "/y.data") << "own data";
         },
         "y.names", nullptr},
    };
    for (const auto& c : cases) {
        const std::string d = MakeTempDir("two-files");
        SCOPED_TRACE(c.what);
        std::ofstream(d + "/y.names") << "own names";
        c.make(d);
        const std::vector<std::string> before = FolderEntries(d);
        const std::string told = "Cannot write the file " + d + "/" + c.refused + ": " +
                                 (c.partner ? "it leads to the same file as " + d + "/" + c.partner
                                            : std::string("it is not a regular file (a named pipe)"));
        platform::DialogScript script;  // a question asked is answered Yes
        script.files.push_back({true, {QString::fromStdString(d + "/y.names")}, 0});
        EXPECT_FALSE(platform::SaveFileDialog(nullptr, "Save Data", "C5 (*.names)", "names", {}, pair).accepted);
        ASSERT_EQ(script.messages.size(), 1u);
        EXPECT_EQ(script.messages[0].text.toStdString() + " / " + script.messages[0].caption.toStdString(),
                  told + " / Error");

        // The save itself, asked without the dialog, refuses it the same way.
        platform::SaveError error;
        const auto text = [](std::ostream& out) { out << "new"; };
        EXPECT_FALSE(platform::SaveFiles({{d + "/y.names", text}, {d + "/y.data", text}}, &error));
        EXPECT_EQ(error.Message(), told);
        EXPECT_EQ(ReadBytes(d + "/y.data"), c.partner ? "own names" : "own data");
        EXPECT_EQ(FolderEntries(d), before);
    }
}
