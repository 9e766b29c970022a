#include "platform/qt/System.h"

#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QLocale>
#include <QProcess>
#include <clocale>

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
    if (!finished)
        return "stopped after " + QString::number(timeoutMs / 1000) + " s";
    if (crashed)
        return "crashed";
    return "exit code " + QString::number(exitCode);
}

ProgramRun RunProgram(const QString& program, const QStringList& arguments, int timeoutMs,
                      const QString& workingFolder, const QStringList& environment)
{
    ProgramRun run;
    if (program.isEmpty()) {
        run.startError = "no program";
        return run;
    }
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
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
    run.finished = p.waitForFinished(timeoutMs);
    if (!run.finished) {
        // Past the limit the program is stopped here rather than left to run on.
        p.kill();
        p.waitForFinished();
        return run;
    }
    run.crashed = p.exitStatus() != QProcess::NormalExit;
    run.exitCode = p.exitCode();
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
