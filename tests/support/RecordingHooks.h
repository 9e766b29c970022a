// A recording double of the core's hooks: what the core showed, beeped and said.
#pragma once

#include "platform/Hooks.h"

#include <string>
#include <utility>
#include <vector>

class RecordingHooks : public platform::Hooks {
public:
    RecordingHooks() { previous_ = platform::SetHooks(this); }
    ~RecordingHooks() override { platform::SetHooks(previous_); }
    RecordingHooks(const RecordingHooks&) = delete;
    RecordingHooks& operator=(const RecordingHooks&) = delete;

    void SetWaitText(const std::string& text) override { waitTexts.push_back(text); }
    void ProcessPendingEvents() override { ++pendingEventCalls; }
    void Beep() override { ++beeps; }
    void Notify(const std::string& text, const std::string& caption) override { notices.emplace_back(text, caption); }

    std::vector<std::string> waitTexts;
    int pendingEventCalls = 0;
    int beeps = 0;
    std::vector<std::pair<std::string, std::string>> notices;

private:
    platform::Hooks* previous_ = nullptr;
};
