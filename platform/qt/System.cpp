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

#include <signal.h>
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
    // A session of its own makes the program the leader of a new process
    // group that holds everything it starts, so that the group can be ended
    // as one.
    p.setChildProcessModifier([] { ::setsid(); });
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
