#include "ui/common.h"

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
