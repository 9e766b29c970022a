#include "ui/common.h"

#include "core/model/RoboCupFile.h"
#include "platform/qt/System.h"

#include <QPointer>
#include <QWidget>

namespace {
QPointer<QWidget> g_mainWindow;
}

void SetMainWindow(QWidget* window) { g_mainWindow = window; }

QWidget* MainWindow() { return g_mainWindow.data(); }

bool RunAndWait(const QString& commandLine)
{
    bool endedWell = false;
    return platform::RunProgramAndWait(commandLine, kRunAndWaitTimeoutMs, &endedWell) && endedWell;
}

QString TeamsAndScore(const RoboCupFileT& log)
{
    return QString::fromStdString(log.leftTeam) + " : " + QString::fromStdString(log.rightTeam) + " (" +
           QString::number(log.leftScore) + ":" + QString::number(log.rightScore) + ")";
}

bool BeingRead(const RoboCupFileT& log) { return log.cycles == 0 && log.leftScore == -1; }
