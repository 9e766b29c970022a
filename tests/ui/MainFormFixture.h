// A main window for each test: made with the About box silenced and no first
// activation pending, and gone (with every deferred deletion run) before the
// About box is restored.
#pragma once

#include "ui/main.h"
#include "MainFormFixture.h"
#include "UiTestMain.h"

#include <QCoreApplication>
#include <QEvent>

#include <gtest/gtest.h>

#include <memory>

class MainFormFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApp();
        TMainForm::AboutBoxRunner() = [] {};
        form = std::make_unique<TMainForm>();
        form->FirstActivation = false;
    }
    void TearDown() override
    {
        form.reset();
        TMainForm::AboutBoxRunner() = &TMainForm::ShowAboutBox;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    std::unique_ptr<TMainForm> form;
};
