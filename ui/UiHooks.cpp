#include "ui/UiHooks.h"

#include "platform/qt/Dialogs.h"
#include "platform/qt/System.h"
#include "ui/waitFormWin.h"

#include <QApplication>

void UiHooks::SetWaitText(const std::string& text)
{
    // The wait window lets pending events through itself; without one the core
    // still expects them to be let through.
    if (!::SetWaitText(QString::fromStdString(text)))
        ProcessPendingEvents();
}

void UiHooks::ProcessPendingEvents() { platform::ProcessPendingEventsNoInput(); }

void UiHooks::Beep() { platform::SystemBeep(); }

void UiHooks::Notify(const std::string& text, const std::string& caption)
{
    platform::MessageBox(QApplication::activeWindow(), QString::fromStdString(text),
                         QString::fromStdString(caption), platform::Buttons::Ok);
}
