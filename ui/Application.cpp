#include "ui/Application.h"

#include "platform/qt/Dialogs.h"

#include <new>

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(kApplicationTitle);
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowCurrentException();
        return false;
    }
}

void ShowException(const QString& message)
{
    QString text = message.trimmed();
    if (!text.isEmpty() && !text.endsWith('.') && !text.endsWith('!') && !text.endsWith('?'))
        text += '.';
    platform::MessageBox(QApplication::activeWindow(), text, kApplicationTitle, platform::Buttons::Ok);
}

void ShowCurrentException()
{
    try {
        throw;
    } catch (const std::bad_alloc&) {
        // Its own words name no memory ("std::bad_alloc").
        ShowException("Not enough memory to finish the command");
    } catch (const std::exception& e) {
        ShowException(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowException(QString());
    }
}

bool RunGuarded(const std::function<void()>& f)
{
    try {
        f();
        return true;
    } catch (...) {
        ShowCurrentException();
        return false;
    }
}
