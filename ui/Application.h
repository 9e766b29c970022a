// The application object. Qt lets no exception cross its event loop, so every
// event is dispatched inside a guard: an exception that escapes a handler is
// shown in the standard message box and the program goes on with the next event.
#pragma once

#include <QApplication>
#include <QString>

#include <exception>
#include <functional>

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

// The caption of the standard exception display.
inline constexpr const char* kApplicationTitle = "VeloTrask";

// Shows the standard exception display for a message: a modal box with the
// message (a full stop added when it ends without a closing mark) and the application's
// title. An empty message (a foreign exception) shows an empty box.
void ShowException(const QString& message);

// Shows the exception that is being handled (call it inside a catch block):
// a std::exception shows its text, anything else an empty message.
void ShowCurrentException();

// Runs f; an exception that escapes it is shown and false returned.
bool RunGuarded(const std::function<void()>& f);
