#include "platform/qt/System.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString ReadAll(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString("<missing>");
}

}  // namespace

TEST(RunProgram, ArgumentsReachTheProgramAsTheyStandInItsWorkingFolder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Quotes, blanks and shell metacharacters are plain text to the program.
    const QStringList args = {"-c", "printf '%s|' \"$@\" > out.txt; pwd >> out.txt", "sh", "a b", "x\"y", "$(true); rm"};
    const platform::ProgramRun run = platform::RunProgram("sh", args, 10000, dir.path());
    EXPECT_TRUE(run.Succeeded());
    EXPECT_EQ(ReadAll(dir.filePath("out.txt")), "a b|x\"y|$(true); rm|" + QDir(dir.path()).canonicalPath() + "\n");
}

TEST(RunProgram, TheGivenEnvironmentIsAddedToThisProcesssOne)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    qputenv("VELO_RUN_KEPT", "kept");
    const platform::ProgramRun run = platform::RunProgram(
        "sh", {"-c", "printf '%s|%s' \"$TMPDIR\" \"$VELO_RUN_KEPT\" > out.txt"}, 10000, dir.path(),
        {"TMPDIR=/private/folder=x"});
    qunsetenv("VELO_RUN_KEPT");
    EXPECT_TRUE(run.Succeeded());
    EXPECT_EQ(ReadAll(dir.filePath("out.txt")), "/private/folder=x|kept");
}

TEST(RunProgram, EveryWayOfFailingIsToldApart)
{
    platform::ProgramRun run = platform::RunProgram("/nonexistent/callweka", {"a", "b"}, 10000);
    EXPECT_FALSE(run.started);
    EXPECT_FALSE(run.Succeeded());
    EXPECT_TRUE(run.Describe(10000).startsWith("could not be started ("));

    run = platform::RunProgram("sh", {"-c", "exit 3"}, 10000);
    EXPECT_TRUE(run.started && run.finished && !run.crashed);
    EXPECT_FALSE(run.Succeeded());
    EXPECT_EQ(run.Describe(10000), "exit code 3");

    run = platform::RunProgram("sh", {"-c", "kill -9 $$"}, 10000);
    EXPECT_TRUE(run.crashed);
    EXPECT_FALSE(run.Succeeded());
    EXPECT_EQ(run.Describe(10000), "crashed");

    run = platform::RunProgram("sleep", {"30"}, 300);
    EXPECT_TRUE(run.started);
    EXPECT_FALSE(run.finished);
    EXPECT_FALSE(run.Succeeded());
    EXPECT_EQ(run.Describe(3000), "stopped after 3 s");

    EXPECT_FALSE(platform::RunProgram("", {}, 1000).started);
}
