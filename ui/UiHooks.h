// The window system's side of the core's hooks: beep, pending events, notices.
#pragma once

#include "platform/Hooks.h"

class UiHooks : public platform::Hooks {
public:
    void SetWaitText(const std::string& text) override;
    void ProcessPendingEvents() override;
    void Beep() override;
    void Notify(const std::string& text, const std::string& caption) override;
};
