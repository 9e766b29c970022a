// Running a piece of a test as a user without privileges, for what the suite,
// run as root, would otherwise never meet (a file the user may not read or write).
#pragma once

#include <functional>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

// Runs act as an unprivileged user and returns what it returns (0 to 255).
// Under root act runs in a forked child turned into "nobody" and the child's
// exit code comes back (-1 when it did not end by itself); the child leaves
// without the test program's exit handlers. Any other user runs act here.
inline int AsUnprivilegedUser(const std::function<int()>& act)
{
    if (::geteuid() != 0)
        return act();
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0 ? act() : 255);
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
