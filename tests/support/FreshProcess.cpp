#include "FreshProcess.h"

#include "AsNobody.h"
#include "TestData.h"

#include <climits>
#include <deque>
#include <filesystem>
#include <vector>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

// A second name of the file, else a copy, in a folder anyone may enter; empty where neither can be had.
static std::string InAnOpenFolder(const std::string& file, const std::string& tag)
{
    const std::filesystem::path dir = MakeTempDir(tag), copy = dir / std::filesystem::path(file).filename();
    std::error_code error;
    std::filesystem::create_hard_link(file, copy, error);
    if (error)
        std::filesystem::copy_file(file, copy, error);
    return error || ::chmod(dir.c_str(), 0755) != 0 ? std::string() : copy.string();
}

// The leak suppressions file of a closed checkout, unreadable to "nobody", would end its run.
static std::string WithReadableSuppressions(const std::string& entry)
{
    const std::string key = "LSAN_OPTIONS=suppressions=";
    const std::string copy = entry.starts_with(key) ? InAnOpenFolder(entry.substr(key.size()), "suppressions") : "";
    return copy.empty() ? entry : key + copy;
}

bool NobodyMayAccess(const std::string& path, int mode)
{
    return AsNobody([&] { return ::access(path.c_str(), mode) == 0 ? 0 : 1; }) == 0;
}

std::string ProgramNobodyMayRun(const std::string& program, std::string& whyNot)
{
    if (::geteuid() != 0 || NobodyMayAccess(program, X_OK))
        return program;
    const std::string copy = InAnOpenFolder(program, "nobody-program");
    if (!copy.empty() && NobodyMayAccess(copy, X_OK))
        return copy;
    whyNot = "\"nobody\" may not execute " + program + " nor a copy in a temporary folder (closed, or mounted noexec?)";
    return {};
}

int RunTestInFreshProcess(const std::string& test, const std::string& variable, const std::string& value,
                          bool asNobody, std::string* whyNot)
{
    // By its path: to "nobody", /proc/self is no longer its own to read.
    char program[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", program, sizeof program - 1);
    if (length <= 0)
        return -1;
    program[length] = '\0';
    const bool dropRoot = asNobody && ::geteuid() == 0;
    std::string reason, runnable = dropRoot ? ProgramNobodyMayRun(program, reason) : std::string(program);
    if (runnable.empty())
        return whyNot != nullptr ? (*whyNot = reason, kNoProgramForNobody) : kNoProgramForNobody;
    // Made before the fork: a copy of a process with threads may only call the system.
    std::string filter = "--gtest_filter=" + test;
    std::vector<char*> argv{runnable.data(), filter.data(), nullptr};
    std::string added = variable + "=" + value;
    std::vector<char*> envp;
    for (char** e = environ; *e != nullptr; ++e)
        envp.push_back(*e);  // the variable is not among them: a test starts a child only without it
    std::deque<std::string> kept;
    for (char*& e : envp)
        e = dropRoot ? kept.emplace_back(WithReadableSuppressions(e)).data() : e;
    envp.push_back(added.data());
    envp.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        // In the root folder: the test's own may be closed to "nobody".
        if (!dropRoot ||
            (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0 && ::chdir("/") == 0))
            ::execve(runnable.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}
