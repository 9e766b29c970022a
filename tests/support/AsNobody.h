// Running part of a test as an unprivileged user: "nobody" in a forked child
// when the suite runs as the superuser, else in the test itself.
#pragma once

#include <functional>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// The body's result (0 to 255) as the child ends with it; -1 when the child
// did not end normally. Under the superuser the child belongs to the given
// groups besides nobody's own.
inline int AsNobody(const std::function<int()>& body, const std::vector<gid_t>& groups = {})
{
    if (::geteuid() != 0)
        return body();
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(::setgroups(groups.size(), groups.data()) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0 ? body()
                                                                                                                : 255);
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
