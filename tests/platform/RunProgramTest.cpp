#include "platform/qt/System.h"

#include "support/HeldByStarted.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

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
        "sh", {"-c", "printf '%s|%s' \"$TMPDIR\" \"$VELO_RUN_KEPT\" > out.txt"}, 10000, dir.path(), {},
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

// A program that leaves children: whether it is stopped at the limit, by the
// caller or ends by itself, none of them runs on once the call returns, and a
// member that ends in its own time when asked is given that time.
TEST(RunProgram, NothingOfTheProgramsGroupRunsOnAfterItsEnd)
{
    constexpr int kWhenReady = 0;  // stopped once the script has made the file "ready"
    struct Case {
        const char* script;
        int limitMs;
        int pollsBeforeStop;  // -1: never stopped
        const char* told;
        bool succeeded;
        const char* left;  // the files the script leaves in its working folder
    };
    const Case cases[] = {
        {"sleep 300 & sleep 300", 400, -1, "stopped after 0 s", false, ""},
        {"sleep 300 & sleep 300", 20000, 5, "cancelled", false, ""},
        {"sleep 300 & exit 0", 20000, -1, "exit code 0", true, ""},
        // A member deaf to SIGTERM while the program itself ends on it: only the
        // kill after the grace ends the member.
        {"(trap '' TERM; : > ready; exec sleep 300) & sleep 300", 20000, kWhenReady, "cancelled", false, "ready"},
        // Everything deaf to SIGTERM.
        {"trap '' TERM; sleep 300 & : > ready; sleep 300", 20000, kWhenReady, "cancelled", false, "ready"},
        // A member that tidies up when asked to end, while the program itself
        // ends at once: asked before it is killed (its tidying waits for nothing).
        {"(trap ': > tidied; exit 0' TERM; sleep 300 & : > ready; wait) & sleep 300", 20000, kWhenReady,
         "cancelled", false, "ready tidied"},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        int polls = 0;
        const platform::KeepRunning keepRunning = [&] {
            if (c.pollsBeforeStop == kWhenReady)
                return !QFile::exists(dir.filePath("ready"));
            return c.pollsBeforeStop < 0 || ++polls < c.pollsBeforeStop;
        };
        HeldByStarted group;
        QElapsedTimer clock;
        clock.start();
        const platform::ProgramRun run =
            platform::RunProgram("sh", {"-c", c.script}, c.limitMs, dir.path(), keepRunning);
        // The children would sleep five minutes: far past any stop, however slow the machine.
        EXPECT_LT(clock.elapsed(), 60000) << c.script;
        ASSERT_TRUE(run.started) << c.script;
        EXPECT_GT(run.processId, 0);
        EXPECT_EQ(run.Describe(c.limitMs), c.told) << c.script;
        EXPECT_EQ(run.Succeeded(), c.succeeded) << c.script;
        EXPECT_FALSE(group.StillHeld()) << c.script;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).join(' ').toStdString(), c.left) << c.script;
    }
}

// A program killed while its learner runs: the learner's whole group (a script
// and the "Java" it started) ends with it, not at a time limit that died with it.
TEST(RunProgram, TheLearnersGroupEndsWhenTheProgramIsKilled)
{
    constexpr const char* kProgram = "VELO_TEST_KILLED_PROGRAM";
    if (const QByteArray ready = qgetenv(kProgram); !ready.isEmpty()) {
        // The program: its learner tells its group once the "Java" runs.
        platform::RunProgram("sh", {"-c", "sleep 300 & echo $$ >&" + ready + "; sleep 300"}, 600000);
        return;
    }
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    ::fcntl(ready[0], F_SETFD, FD_CLOEXEC);
    HeldByStarted started;
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kProgram, QString::number(ready[1]));
    program.setProcessEnvironment(environment);
    program.start(QFile::symLinkTarget("/proc/self/exe"), {"--gtest_filter=RunProgram.TheLearnersGroupEnds*"});
    ::close(ready[1]);
    ASSERT_TRUE(program.waitForStarted());
    // The learner's word, or the pipe's end should the program end first.
    pollfd told{ready[0], POLLIN, 0};
    char text[32] = {};
    const bool running = ::poll(&told, 1, 300000) == 1 && ::read(ready[0], text, sizeof text - 1) > 0;
    ::close(ready[0]);
    const pid_t group = static_cast<pid_t>(std::atol(text));
    program.kill();
    program.waitForFinished();
    ASSERT_TRUE(running && group > 0) << program.readAll().toStdString();
    EXPECT_TRUE(started.EndsWithin(120000));  // not the learner's 300 s
    ::kill(-group, SIGKILL);  // whatever the verdict, nothing of the test runs on
}

TEST(RunProgram, TheProgramsOwnWordsAreKept)
{
    const platform::ProgramRun run =
        platform::RunProgram("sh", {"-c", "echo 'no Java runtime' >&2; echo second; exit 3"}, 10000);
    EXPECT_EQ(run.Describe(10000), "exit code 3");
    EXPECT_EQ(run.output, "no Java runtime\nsecond\n");
    EXPECT_EQ(run.Describe(10 * 60 * 1000), "exit code 3");
    platform::ProgramRun hung;
    hung.started = true;
    EXPECT_EQ(hung.Describe(10 * 60 * 1000), "stopped after 10 min");
    EXPECT_EQ(hung.Describe(90 * 1000), "stopped after 90 s");
}

// The start and the end of a long output are kept in whole lines, with a line
// "..." where the rest was left out; an output within the bounds as written.
TEST(RunProgram, TheStartAndTheEndOfALongOutputAreKept)
{
    platform::ProgramRun run = platform::RunProgram(
        "sh", {"-c", "echo 'callweka: no Java runtime' >&2; seq -f 'progress line %g' 100000; exit 3"}, 20000);
    const qsizetype gap = run.output.indexOf("\n...\n");
    ASSERT_GT(gap, 0);
    EXPECT_EQ(run.output.indexOf("\n...\n", gap + 1), -1);
    const QStringList before = run.output.left(gap).split('\n');
    const QStringList after = run.output.mid(gap + 5).split('\n');  // ends in ""
    EXPECT_EQ(before.first(), "callweka: no Java runtime");
    EXPECT_EQ(before.last(), QString("progress line %1").arg(before.size() - 1));
    EXPECT_EQ(after.first(), QString("progress line %1").arg(100002 - after.size()));
    EXPECT_EQ(after[after.size() - 2], "progress line 100000");

    run = platform::RunProgram("sh", {"-c", "seq -f '%05g' 10000"}, 20000);  // 60000 bytes
    EXPECT_TRUE(run.output.size() == 60000 && run.output.endsWith("\n10000\n"));
    // One line longer than both parts is cut where the parts end.
    run = platform::RunProgram("sh", {"-c", "head -c 100000 /dev/zero | tr '\\0' x"}, 20000);
    EXPECT_EQ(run.output, QString(16 * 1024, 'x') + "\n...\n" + QString(48 * 1024, 'x'));
}

TEST(RunProgram, LongOutputIsShortenedToItsStartAndEnd)
{
    EXPECT_EQ(platform::ShortenText("  short \n", 20), "short");
    const QString text = QString(50, 'a') + QString(50, 'b');
    EXPECT_EQ(platform::ShortenText(text, 25), QString(10, 'a') + "\n...\n" + QString(10, 'b'));
}
