#include "platform/Hooks.h"

#include <cerrno>
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
    // On Linux a thread's nice value is per thread (by its tid); one step lower is +1.
    const id_t tid = static_cast<id_t>(::syscall(SYS_gettid));
    errno = 0;
    const int now = ::getpriority(PRIO_PROCESS, tid);
    if (errno == 0)
        ::setpriority(PRIO_PROCESS, tid, now + 1);
}

}  // namespace platform
