// The core's few ways out to the window system: the wait text, letting pending
// events through, the default beep and a modal notice. The core calls these free
// functions; the UI installs an implementation at start, tests install a recording
// double. With nothing installed every call does nothing.
#pragma once

#include <string>

namespace platform {

class Hooks {
public:
    virtual ~Hooks() = default;
    // Shows the text in the wait window (when one is shown) and lets pending
    // events through, user input excluded.
    virtual void SetWaitText(const std::string& text) { (void)text; }
    virtual void ProcessPendingEvents() {}
    // The system's default beep: how quiet failures make themselves known.
    virtual void Beep() {}
    // A modal notice with an OK button.
    virtual void Notify(const std::string& text, const std::string& caption) { (void)text; (void)caption; }
};

// Installs h (not owned) and returns the previous one; null restores the silent default.
Hooks* SetHooks(Hooks* h);
Hooks& CurrentHooks();

inline void SetWaitText(const std::string& text) { CurrentHooks().SetWaitText(text); }
inline void ProcessPendingEvents() { CurrentHooks().ProcessPendingEvents(); }
inline void Beep() { CurrentHooks().Beep(); }
inline void Notify(const std::string& text, const std::string& caption) { CurrentHooks().Notify(text, caption); }

// Puts the calling thread one step below the priority it had when first asked
// (the GUI thread does this at start); asked again, it changes nothing.
void LowerThreadPriority();

}  // namespace platform
