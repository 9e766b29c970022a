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
constexpr int kGraceMs = 2000;
constexpr qsizetype kOutputLimit = 64 * 1024;

// A member of the process group that still runs (a zombie runs no more; it
// only waits for a parent that may never reap it).
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
        if (fields.size() >= 3 && fields[2].toLongLong() == group && fields[0] != "Z")
            return true;
    }
    return false;
}

// Asks the whole group to terminate, gives it a short grace to clean up, then
// kills whatever is left.
void EndGroup(QProcess& p, pid_t group)
{
    ::kill(-group, SIGTERM);
    QElapsedTimer grace;
    grace.start();
    while (grace.elapsed() < kGraceMs) {
        if (p.state() != QProcess::NotRunning)
            p.waitForFinished(kSliceMs);
        else if (GroupHasLiveMember(group))
            QThread::msleep(kSliceMs);
        else
            break;
    }
    ::kill(-group, SIGKILL);
    if (p.state() != QProcess::NotRunning)
        p.waitForFinished(kGraceMs);
}

void Collect(QProcess& p, QByteArray& output)
{
    output += p.readAllStandardOutput();
    if (output.size() > kOutputLimit)
        output.remove(0, output.size() - kOutputLimit);
}

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
    QByteArray output;
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
    run.output = QString::fromLocal8Bit(output);
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
