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

bool RunProgramAndWait(const QString& commandLine, int timeoutMs, bool* endedWell)
{
    if (endedWell)
        *endedWell = false;
    QStringList args = SplitCommandLine(commandLine);
    if (args.isEmpty())
        return false;
    const QString program = args.takeFirst();
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(program, args);
    if (!p.waitForStarted())
        return false;
    const bool finished = p.waitForFinished(timeoutMs);
    if (!finished) {
        // Past the limit the program is stopped here rather than left to run on.
        p.kill();
        p.waitForFinished();
    }
    if (endedWell)
        *endedWell = finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return true;
}

void UseCNumericLocale()
{
    std::setlocale(LC_NUMERIC, "C");
    QLocale c(QLocale::C);
    c.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(c);
}

}  // namespace platform
