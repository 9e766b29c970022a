#include "FreshProcess.h"

#include "AsNobody.h"
#include "TestData.h"

#include <climits>
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

std::string ProgramNobodyMayRun(const std::string& program)
{
    const auto mayRun = [](const std::string& p) { return AsNobody([&] { return ::access(p.c_str(), X_OK); }) == 0; };
    if (::geteuid() != 0 || mayRun(program))
        return program;
    const std::string copy = InAnOpenFolder(program, "nobody-program");
    return !copy.empty() && mayRun(copy) ? copy : "";
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
    std::string runnable = dropRoot ? ProgramNobodyMayRun(program) : std::string(program);
    if (runnable.empty())  // the reason goes to *whyNot, if asked
        return (whyNot != nullptr ? *whyNot : runnable) = "\"nobody\" may execute no copy of " + std::string(program),
               kNoProgramForNobody;
    // Made before the fork: a copy of a process with threads may only call the system.
    std::string filter = "--gtest_filter=" + test;
    std::vector<char*> argv{runnable.data(), filter.data(), nullptr};
    std::string added = variable + "=" + value;
    std::vector<char*> envp;
    std::string readable, lsan = "LSAN_OPTIONS=suppressions=";  // a closed checkout's file is unreadable to "nobody"
    for (char** e = environ; *e != nullptr; ++e)  // without the variable: a test starts a child only without it
        envp.push_back(!dropRoot || !std::string_view(*e).starts_with(lsan)
                           ? *e : (readable = lsan + InAnOpenFolder(*e + lsan.size(), "suppressions")).data());
    envp.push_back(added.data());
    envp.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        // In the root folder: the test's own may be closed to "nobody".
        if (!dropRoot || (!::setgroups(0, nullptr) && !::setgid(65534) && !::setuid(65534) && !::chdir("/")))
            ::execve(runnable.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}
