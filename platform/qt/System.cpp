#include "platform/qt/System.h"

#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QLocale>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <clocale>

#include <cerrno>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {

namespace {
int* g_beepCounter = nullptr;
}

void SetBeepCounter(int* counter) { g_beepCounter = counter; }

void SystemBeep()
{
    if (g_beepCounter) {
        ++*g_beepCounter;
        return;
    }
    QApplication::beep();
}

void ProcessPendingEventsNoInput()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString ClipboardText()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return {};
    return QGuiApplication::clipboard()->text();
}

void SetClipboardText(const QString& text)
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QGuiApplication::clipboard()->setText(text);
}

QStringList SplitCommandLine(const QString& commandLine)
{
    return QProcess::splitCommand(commandLine);
}

QString ProgramRun::Describe(int timeoutMs) const
{
    if (!started)
        return "could not be started (" + startError + ")";
    if (cancelled)
        return "cancelled";
    if (!finished) {
        if (timeoutMs >= 60000 && timeoutMs % 60000 == 0)
            return "stopped after " + QString::number(timeoutMs / 60000) + " min";
        return "stopped after " + QString::number(timeoutMs / 1000) + " s";
    }
    if (crashed)
        return "crashed";
    return "exit code " + QString::number(exitCode);
}

QString ShortenText(const QString& text, int maxChars)
{
    const QString t = text.trimmed();
    if (t.size() <= maxChars)
        return t;
    const int half = std::max(1, (maxChars - 5) / 2);
    return t.left(half) + "\n...\n" + t.right(half);
}

namespace {

constexpr int kSliceMs = 20;
constexpr int kGraceMs = 2000;   // for the group to end after SIGTERM
constexpr int kKilledMs = 5000;  // for the killed group to be gone
constexpr int kPollMs = 5;
constexpr qsizetype kHeadLimit = 16 * 1024;
constexpr qsizetype kTailLimit = 48 * 1024;

// A member of the process group that still runs. A member that has ended
// but is not reaped yet (a zombie, state Z, or one on its way out, X) runs no
// more: it holds no memory or files, only its number until its parent, or the
// system's init once the group's leader is gone, collects it. kill(-group, 0)
// would count those as well, so /proc is read instead.
bool GroupHasLiveMember(pid_t group)
{
    QDir proc("/proc");
    if (!proc.exists())
        return ::kill(-group, 0) == 0;
    const QStringList entries = proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool number = false;
        entry.toInt(&number);
        if (!number)
            continue;
        QFile stat(proc.filePath(entry + "/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid pgrp ...": the name may hold anything, so
        // the fields are counted from its closing parenthesis.
        const QByteArray line = stat.readAll();
        const qsizetype close = line.lastIndexOf(')');
        if (close < 0)
            continue;
        const QList<QByteArray> fields = line.mid(close + 2).split(' ');
        const bool ended = !fields.isEmpty() && (fields[0] == "Z" || fields[0] == "X" || fields[0] == "x");
        if (fields.size() >= 3 && fields[2].toLongLong() == group && !ended)
            return true;
    }
    return false;
}

// Waits up to limitMs for the program to end and every other member of its
// group after it; false when some member still runs then.
bool WaitForGroupEnd(QProcess& p, pid_t group, int limitMs)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (p.state() != QProcess::NotRunning)
            p.waitForFinished(kSliceMs);
        else if (!GroupHasLiveMember(group))
            return true;
        else
            QThread::msleep(kPollMs);
        if (clock.elapsed() >= limitMs)
            return p.state() == QProcess::NotRunning && !GroupHasLiveMember(group);
    }
}

// Asks the whole group to terminate and gives it a short grace to clean up;
// kills whatever is left and returns only when that is gone too (a killed
// process needs a moment to end, longer on a busy machine), or after a bound
// in case a member cannot end (stuck in the kernel).
void EndGroup(QProcess& p, pid_t group)
{
    ::kill(-group, SIGTERM);
    if (WaitForGroupEnd(p, group, kGraceMs))
        return;
    ::kill(-group, SIGKILL);
    WaitForGroupEnd(p, group, kKilledMs);
}

// What a program wrote, within bounds: its start, where a program usually says
// what went wrong before it goes on, and its end, where it says how it ended.
class KeptOutput {
public:
    void Add(const QByteArray& bytes)
    {
        const qsizetype toHead = std::min(bytes.size(), kHeadLimit - head_.size());
        head_ += bytes.first(toHead);
        tail_ += bytes.sliced(toHead);
        if (tail_.size() > kTailLimit) {
            tail_.remove(0, tail_.size() - kTailLimit);
            cut_ = true;
        }
    }
    // All of it, or else the start and the end in whole lines with a line
    // "..." between them (a line longer than a part is cut where the part ends).
    QByteArray Text() const
    {
        if (!cut_)
            return head_ + tail_;
        const qsizetype headEnd = head_.lastIndexOf('\n');
        const qsizetype tailStart = tail_.indexOf('\n');
        QByteArray text = headEnd < 0 ? head_ + '\n' : head_.first(headEnd + 1);
        text += "...\n";
        text += tailStart < 0 || tailStart + 1 == tail_.size() ? tail_ : tail_.sliced(tailStart + 1);
        return text;
    }

private:
    QByteArray head_;
    QByteArray tail_;
    bool cut_ = false;  // output between head and tail was left out
};

void Collect(QProcess& p, KeptOutput& output) { output.Add(p.readAllStandardOutput()); }

// Reads a whole value from the pipe; false at its end.
bool ReadValue(int fd, pid_t& value)
{
    char* at = reinterpret_cast<char*>(&value);
    std::size_t left = sizeof value;
    while (left > 0) {
        const ssize_t n = ::read(fd, at, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        at += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// The watcher's whole life, in a copy of this process that may only call the
// system: it learns the program's group from the started child, then waits.
// The end of the pipe without the word that the run is over means that this
// process has ended while the group may still run: the group is killed.
[[noreturn]] void Watch(int in)
{
    // Out of this process's session, so that what ends it (a terminal's
    // Ctrl-C) does not end the watcher too; without the rest of its files,
    // which it must not keep open (the group's output pipe above all).
    ::setsid();
    if (::dup2(in, STDIN_FILENO) < 0)
        ::_exit(1);
    ::close_range(STDERR_FILENO + 1, ~0U, 0);
    ::close(STDOUT_FILENO);
    ::close(STDERR_FILENO);
    if (::chdir("/") != 0) {
        // Only the folder it would keep from being unmounted.
    }
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    pid_t group = 0, word = 0;
    while (ReadValue(STDIN_FILENO, word)) {
        if (word == 0)
            ::_exit(0);
        group = word;
    }
    if (group > 0)
        ::kill(-group, SIGKILL);
    ::_exit(0);
}

// Ends the program's process group with this process, however this process
// ends (killed, crashed) while the program runs: a parent-death signal would
// reach only the program itself, never what it started (a script's Java),
// and the group's own time limit ends with this process. So a watcher, a
// small copy of this process started before the program, holds the read end
// of a pipe whose write end only this process holds: the pipe ends when this
// process does. The started child tells it its group before it runs the
// program; at the run's end this process tells it that the run is over.
class GroupWatch {
public:
    GroupWatch()
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return;
        const pid_t watcher = ::fork();
        if (watcher == 0)
            Watch(fds[0]);
        ::close(fds[0]);
        if (watcher < 0) {
            ::close(fds[1]);
            return;
        }
        watcher_ = watcher;
        out_ = fds[1];
    }
    ~GroupWatch() { RunOver(); }
    GroupWatch(const GroupWatch&) = delete;
    GroupWatch& operator=(const GroupWatch&) = delete;

    // For the started child (see TellGroup); -1 without a watcher.
    int Out() const { return out_; }

    // In the started child, before it runs the program: the group to end.
    static void TellGroup(int out, pid_t group)
    {
        if (out < 0)
            return;
        const ssize_t written = ::write(out, &group, sizeof group);
        static_cast<void>(written);  // a watcher gone has nothing to be told
        ::close(out);
    }

    // Nothing of the group runs any more: the watcher leaves without a word.
    void RunOver()
    {
        if (watcher_ <= 0)
            return;
        const pid_t over = 0;
        const ssize_t written = ::write(out_, &over, sizeof over);
        static_cast<void>(written);  // a watcher gone leaves all the same
        ::close(out_);
        while (::waitpid(watcher_, nullptr, 0) < 0 && errno == EINTR) {
        }
        watcher_ = -1;
        out_ = -1;
    }

private:
    pid_t watcher_ = -1;
    int out_ = -1;
};

}  // namespace

ProgramRun RunProgram(const QString& program, const QStringList& arguments, int timeoutMs,
                      const QString& workingFolder, const KeepRunning& keepRunning,
                      const QStringList& environment)
{
    ProgramRun run;
    if (program.isEmpty()) {
        run.startError = "no program";
        return run;
    }
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    GroupWatch watch;
    // A session of its own makes the program the leader of a new process
    // group that holds everything it starts, so that the group can be ended
    // as one. The program itself is killed at once when this process ends;
    // when this process has ended already, before the signal was asked for,
    // the program is not run at all. (The child runs in this process's memory
    // until it runs the program: it only calls the system.)
    p.setChildProcessModifier([parent = ::getpid(), out = watch.Out()] {
        GroupWatch::TellGroup(out, ::getpid());
        ::setsid();
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);
    });
    if (!workingFolder.isEmpty())
        p.setWorkingDirectory(workingFolder);
    if (!environment.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& entry : environment) {
            const qsizetype eq = entry.indexOf('=');
            env.insert(entry.left(eq), eq < 0 ? QString() : entry.mid(eq + 1));
        }
        p.setProcessEnvironment(env);
    }
    p.start(program, arguments);
    if (!p.waitForStarted()) {
        run.startError = p.errorString();
        return run;
    }
    run.started = true;
    run.processId = p.processId();
    const pid_t group = static_cast<pid_t>(run.processId);
    p.closeWriteChannel();
    KeptOutput output;
    QElapsedTimer clock;
    clock.start();
    while (p.state() != QProcess::NotRunning && !p.waitForFinished(kSliceMs)) {
        Collect(p, output);
        if (timeoutMs >= 0 && clock.elapsed() >= timeoutMs)
            break;
        if (keepRunning && !keepRunning()) {
            run.cancelled = true;
            break;
        }
    }
    run.finished = p.state() == QProcess::NotRunning && !run.cancelled;
    if (run.finished) {
        run.crashed = p.exitStatus() != QProcess::NormalExit;
        run.exitCode = p.exitCode();
    }
    // Past the limit, on cancel, and for children left behind by a program
    // that ended: nothing of the group runs on.
    if (!run.finished || GroupHasLiveMember(group))
        EndGroup(p, group);
    watch.RunOver();
    Collect(p, output);
    run.output = QString::fromLocal8Bit(output.Text());
    return run;
}

bool RunProgramAndWait(const QString& commandLine, int timeoutMs, bool* endedWell)
{
    QStringList args = SplitCommandLine(commandLine);
    const QString program = args.isEmpty() ? QString() : args.takeFirst();
    const ProgramRun run = RunProgram(program, args, timeoutMs);
    if (endedWell)
        *endedWell = run.Succeeded();
    return run.started;
}

void UseCNumericLocale()
{
    std::setlocale(LC_NUMERIC, "C");
    QLocale c(QLocale::C);
    c.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(c);
}

}  // namespace platform
