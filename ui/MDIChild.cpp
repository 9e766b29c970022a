#include "MDIChild.h"

#include "RoboCupFile.h"

#include <QMdiArea>

std::function<void(const std::string& fileName)> g_onChildActivated;

TMDIChild::TMDIChild(QMdiArea* area, RoboCupFileT* log)
    : QMdiSubWindow(nullptr), File(log), Kind(kActionGraph)
{
    setAttribute(Qt::WA_DeleteOnClose);
    connect(this, &QMdiSubWindow::windowStateChanged, this,
            [this](Qt::WindowStates oldState, Qt::WindowStates newState) {
                if (!(oldState & Qt::WindowActive) && (newState & Qt::WindowActive))
                    ActivateChild();
            });
    if (area)
        area->addSubWindow(this);
}

void TMDIChild::ActivateChild()
{
    if (File && g_onChildActivated)
        g_onChildActivated(File->fileName);
}

void TMDIChild::ForgetFile(const RoboCupFileT* log)
{
    if (!File || File != log)
        return;
    // Forget first: whatever runs while the window closes must not reach the log.
    File = nullptr;
    close();
}

void TMDIChild::SetTitle(const QString& text)
{
    if (!File) {
        setWindowTitle(text);
        return;
    }
    setWindowTitle(QString::fromStdString(File->leftTeam) + " : " + QString::fromStdString(File->rightTeam) + " (" +
                   QString::number(File->leftScore) + ":" + QString::number(File->rightScore) + "): " + text);
}
