#include "platform/Hooks.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {

namespace {
Hooks g_silent;
Hooks* g_hooks = &g_silent;
}  // namespace

Hooks* SetHooks(Hooks* h)
{
    Hooks* old = g_hooks == &g_silent ? nullptr : g_hooks;
    g_hooks = h ? h : &g_silent;
    return old;
}

Hooks& CurrentHooks() { return *g_hooks; }

void LowerThreadPriority()
{
    // On Linux a thread's nice value is per thread (by its tid); one step lower
    // is +1. The step is taken from the level the thread had when first asked,
    // so that a second main window in one process (every GUI test builds its
    // own) leaves it one step down instead of pushing it down until it starves.
    const id_t tid = static_cast<id_t>(::syscall(SYS_gettid));
    thread_local const std::optional<int> normal = [tid]() -> std::optional<int> {
        errno = 0;
        const int now = ::getpriority(PRIO_PROCESS, tid);
        return errno == 0 ? std::optional<int>(now) : std::nullopt;
    }();
    if (normal)
        ::setpriority(PRIO_PROCESS, tid, std::min(*normal + 1, 19));
}

}  // namespace platform
