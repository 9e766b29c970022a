#include "FreshProcess.h"

#include <climits>
#include <vector>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

int RunTestInFreshProcess(const std::string& test, const std::string& variable, const std::string& value,
                          bool asNobody)
{
    // By its path: to "nobody", /proc/self is no longer its own to read.
    char program[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", program, sizeof program - 1);
    if (length <= 0)
        return -1;
    program[length] = '\0';
    // Made before the fork: a copy of a process with threads may only call the system.
    std::string filter = "--gtest_filter=" + test;
    std::vector<char*> argv{program, filter.data(), nullptr};
    std::string added = variable + "=" + value;
    std::vector<char*> envp;
    for (char** e = environ; *e != nullptr; ++e)
        envp.push_back(*e);  // the variable is not among them: a test starts a child only without it
    envp.push_back(added.data());
    envp.push_back(nullptr);
    const bool dropRoot = asNobody && ::geteuid() == 0;
    const pid_t child = ::fork();
    if (child == 0) {
        if (!dropRoot || (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0))
            ::execve(program, argv.data(), envp.data());
        ::_exit(127);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}
