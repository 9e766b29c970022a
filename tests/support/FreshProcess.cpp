#include "FreshProcess.h"

#include "TestData.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

bool BecomeNobody() { return ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0; }

}  // namespace

bool NobodyMayAccess(const std::string& path, int mode)
{
    // Made before the fork: a copy of a process with threads may only call the system.
    const char* p = path.c_str();
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(BecomeNobody() && ::access(p, mode) == 0 ? 0 : 1);
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool NobodyMayExecute(const std::string& path) { return NobodyMayAccess(path, X_OK); }

namespace {

// A sanitizer's suppressions file that "nobody" may not read (it lies in the
// closed checkout) ends the run with an error: the variable names a copy in
// a folder open to all instead.
std::string WithReadableSuppressions(const std::string& entry)
{
    static const char* const kSanitizerOptions[] = {"ASAN_OPTIONS=", "LSAN_OPTIONS=", "UBSAN_OPTIONS=", "TSAN_OPTIONS="};
    static const std::string kKey = "suppressions=";
    bool options = false;
    for (const char* name : kSanitizerOptions)
        options = options || entry.rfind(name, 0) == 0;
    const std::size_t at = entry.find(kKey);
    if (!options || at == std::string::npos)
        return entry;
    const std::size_t from = at + kKey.size();
    const std::size_t to = std::min(entry.find(':', from), entry.size());
    const std::string file = entry.substr(from, to - from);
    if (file.empty() || NobodyMayAccess(file, R_OK))
        return entry;
    namespace fs = std::filesystem;
    const fs::path dir = MakeTempDir("nobody-suppressions");
    const fs::path copy = dir / fs::path(file).filename();
    std::error_code error;
    fs::copy_file(file, copy, error);
    if (error || ::chmod(dir.c_str(), 0755) != 0 || ::chmod(copy.c_str(), 0644) != 0)
        return entry;
    return entry.substr(0, from) + copy.string() + entry.substr(to);
}

}  // namespace

std::string ProgramNobodyMayRun(const std::string& program, std::string& whyNot)
{
    if (::geteuid() != 0 || NobodyMayExecute(program))
        return program;
    namespace fs = std::filesystem;
    // A folder of its own, removed with the others this test program made.
    const fs::path dir = MakeTempDir("nobody-program");
    const fs::path copy = dir / fs::path(program).filename();
    if (::chmod(dir.c_str(), 0755) != 0) {
        whyNot = "cannot open " + dir.string() + " to others: " + std::strerror(errno);
        return {};
    }
    // A second name of the same file where the file system allows it, else a copy.
    std::error_code error;
    fs::create_hard_link(program, copy, error);
    if (error) {
        error.clear();
        fs::copy_file(program, copy, error);
    }
    if (error) {
        whyNot = "cannot copy the test program into " + dir.string() + ": " + error.message();
        return {};
    }
    ::chmod(copy.c_str(), 0755);
    if (!NobodyMayExecute(copy.string())) {
        whyNot = "\"nobody\" may not execute the test program, nor its copy " + copy.string() +
                 " (is the temporary folder closed to others, or mounted noexec?)";
        return {};
    }
    return copy.string();
}

int RunTestInFreshProcess(const std::string& test, const std::string& variable, const std::string& value,
                          bool asNobody, std::string* whyNot)
{
    // By its path: to "nobody", /proc/self is no longer its own to read.
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return -1;
    self[length] = '\0';
    const bool dropRoot = asNobody && ::geteuid() == 0;
    std::string program = self;
    if (dropRoot) {
        std::string reason;
        program = ProgramNobodyMayRun(program, reason);
        if (program.empty()) {
            if (whyNot != nullptr)
                *whyNot = reason;
            return kNoProgramForNobody;
        }
    }
    // Made before the fork: a copy of a process with threads may only call the system.
    std::string filter = "--gtest_filter=" + test;
    std::vector<char*> argv{program.data(), filter.data(), nullptr};
    std::string added = variable + "=" + value;
    std::vector<std::string> kept;
    for (char** e = environ; *e != nullptr; ++e)
        kept.push_back(dropRoot ? WithReadableSuppressions(*e) : std::string(*e));
    std::vector<char*> envp;
    for (std::string& e : kept)
        envp.push_back(e.data());  // the variable is not among them: a test starts a child only without it
    envp.push_back(added.data());
    envp.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        // Started in the root folder: the test's own may be closed to "nobody".
        if (!dropRoot || (BecomeNobody() && ::chdir("/") == 0))
            ::execve(program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}
