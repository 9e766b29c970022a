// A stand-in learner that sleeps, and a user who clicks Cancel in the wait
// window through the window system (where a modal window blocks the windows
// not above it) as soon as a learner run has started.
#pragma once

#include "ui/waitFormWin.h"

#include "support/TestData.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <string>

namespace standin {

// The process runs (a zombie no longer does).
inline bool Running(const std::string& pid)
{
    const std::string stat = ReadBytes("/proc/" + pid + "/stat");
    const std::size_t close = stat.rfind(')');
    return close != std::string::npos && stat.size() > close + 2 && stat[close + 2] != 'Z';
}

// A left click at the widget's centre, delivered by the window system to the
// widget's window: refused there when a modal window blocks it.
inline void UserClick(QWidget* widget)
{
    QWidget* top = widget->window();
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      widget->mapTo(top, widget->rect().center()));
}

// What the user does while a command runs: each learner run that has
// started (it wrote its own and its child's process ids) gets Cancel clicked
// in the wait window once, and a message box that comes up is answered.
class User : public QObject {
public:
    explicit User(std::string folder) : folder_(std::move(folder))
    {
        timer_.setInterval(20);
        connect(&timer_, &QTimer::timeout, this, [this] { Look(); });
        timer_.start();
    }
    int cancels = 0;
    int messages = 0;
    QElapsedTimer sinceCancel;

private:
    void Look()
    {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ++messages;
            box->reject();
            return;
        }
        const QStringList pids = QString::fromStdString(ReadBytes(folder_ + "/pids")).split('\n', Qt::SkipEmptyParts);
        if (!WaitForm || !WaitForm->CancelButton->isVisible() || pids.size() < 2 * (cancels + 1))
            return;
        ++cancels;
        sinceCancel.start();
        UserClick(WaitForm->CancelButton);
    }
    std::string folder_;
    QTimer timer_;
};

// Counts its runs in "runs" beside it; the runs whose numbers match the
// shell pattern (1 is the first, "*" every one) sleep, as does a child they
// start, until they are stopped; the others end at once with no result.
inline std::string SleepingLearner(const std::string& folder, const std::string& sleepers)
{
    return "echo run >> \"" + folder + "/runs\"\n" + "n=$(wc -l < \"" + folder + "/runs\")\n" +
           "case $n in " + sleepers + ") ;; *) exit 0 ;; esac\n" + "echo $$ >> \"" + folder + "/pids\"\n" +
           "sleep 30 &\necho $! >> \"" + folder + "/pids\"\nwait\n";
}

inline int Runs(const std::string& folder)
{
    const std::string runs = ReadBytes(folder + "/runs");
    return static_cast<int>(std::count(runs.begin(), runs.end(), '\n'));
}

}  // namespace standin
