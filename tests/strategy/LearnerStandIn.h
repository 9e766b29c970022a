// A stand-in learner that sleeps, and a user who clicks Cancel in the wait
// window through the window system (which refuses a click on a window that a
// modal window blocks) as soon as a learner run has started.
#pragma once

#include "ui/waitFormWin.h"

#include "support/HeldByStarted.h"
#include "support/TestData.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace standin {

inline QStringList FileLines(const std::string& file)
{
    return QString::fromStdString(ReadBytes(file)).split('\n', Qt::SkipEmptyParts);
}

inline int Runs(const std::string& folder) { return static_cast<int>(FileLines(folder + "/runs").size()); }

inline void UserClick(QWidget* widget, Qt::MouseButton button = Qt::LeftButton)
{
    QWidget* top = widget->window();
    QTest::mouseClick(top->windowHandle(), button, Qt::NoModifier, widget->mapTo(top, widget->rect().center()));
}

// Clicks Cancel once in each learner run that has started (it wrote its own
// and its child's process ids) and answers any message box. Made before the
// first run, it can tell when every learner process started since has ended.
struct User {
    explicit User(const std::string& folder)
    {
        QObject::connect(&timer, &QTimer::timeout, [this, folder] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                ++messages;
                box->reject();
            } else if (WaitForm && WaitForm->CancelButton->isVisible() &&
                       FileLines(folder + "/pids").size() >= 2 * (cancels + 1)) {
                ++cancels;
                UserClick(WaitForm->CancelButton);
            }
        });
        timer.start(20);
    }
    QTimer timer;
    int cancels = 0;
    int messages = 0;
    HeldByStarted learners;
};

// No learner process runs on.
inline void ExpectNoneRunning(User& user) { EXPECT_FALSE(user.learners.StillHeld()); }

// "callweka" in the folder counts its runs in "runs" there; the runs whose
// numbers match the shell pattern ("*" every one) sleep, as does a child they
// start, until stopped; the others end at once with no result.
inline void WriteSleepingLearner(const std::string& folder, const std::string& sleepers)
{
    const std::string file = folder + "/callweka";
    std::ofstream(file) << "#!/bin/sh\necho run >> \"" + folder + "/runs\"\ncase $(wc -l < \"" + folder +
                               "/runs\") in " + sleepers + ") ;; *) exit 0 ;; esac\necho $$ >> \"" + folder +
                               "/pids\"\nsleep 300 &\necho $! >> \"" + folder + "/pids\"\nwait\n";
    std::filesystem::permissions(file, std::filesystem::perms::owner_all);
}

}  // namespace standin
