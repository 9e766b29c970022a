// What the main window could not write at start is told on its status line,
// once, with no box to click away at every start.
#include "ui/main.h"

#include "UiTestMain.h"
#include "support/TestData.h"

#include <QCoreApplication>
#include <QEvent>
#include <QStatusBar>

#include <filesystem>
#include <fstream>
#include <memory>

#include <gtest/gtest.h>

TEST(StartFiles, WhatCannotBeWrittenIsToldOnTheStatusLine)
{
    EnsureApp();
    TMainForm::AboutBoxRunner() = [] {};
    for (const bool blocked : {false, true}) {
        InTempDir dir("start-files");
        if (blocked) {
            std::ofstream("elsewhere.txt") << "kept";
            std::filesystem::create_symlink("elsewhere.txt", "RoleConcepts.gml");
            std::filesystem::create_directory("SpeedConcepts.gml");
        }
        testing::internal::CaptureStderr();
        auto form = std::make_unique<TMainForm>();
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(form->statusBar()->currentMessage(),
                  blocked ? "Cannot write the file RoleConcepts.gml: it is a link, and this file is never written "
                            "through one (and 1 more of the files written at start)"
                          : "");
        form->FirstActivation = false;
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    TMainForm::AboutBoxRunner() = &TMainForm::ShowAboutBox;
}
