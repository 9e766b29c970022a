// A log read while memory runs out for real, in a process with a limited
// address space: the reading says so and blames no record, and so does the
// reading of a file of the program's own.
#include "core/io/Convertlog.h"
#include "core/io/FieldsFile.h"

#include "core/model/Parallel.h"
#include "core/model/RoboCupFile.h"
#include "platform/ReadFile.h"
#include "support/AsNobody.h"
#include "support/FreshProcess.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr const char* kHeadroom = "VELO_READ_WITH_HEADROOM";

// Reads the file allowing only headroom bytes of address space more than the
// process has mapped (0: no limit), and ends the process: 0 out of memory with
// no record blamed, 1 read whole, 2 anything else. "own": half the file's
// size, read as a file of the program's own (a learner's result) and as a
// fields file, each told as memory.
[[noreturn]] void ReadAndExit(const std::string& file, const std::string& headroomText)
{
    const bool own = headroomText == "own";
    const std::uint64_t headroom = own ? std::filesystem::file_size(file) / 2 : std::stoull(headroomText);
    SetWorkerThreads(1);  // no thread to start under the limit
    std::unique_ptr<RoboCupFileT> log = CreateFileRecord(file);
    RcgReadResult read;
    std::ostringstream errors;
    platform::FileBytes bytes;
    platform::ReadError error;
    std::uint64_t pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlimit limit{pages * ::sysconf(_SC_PAGESIZE) + headroom, RLIM_INFINITY};
    if (headroom != 0 && ::setrlimit(RLIMIT_AS, &limit) != 0)
        ::_exit(2);
    if (own) {
        // The message names the bytes that did not fit: the file's 9 525 141.
        const std::string message = "Not enough memory to read " + file + " (9.1 MiB)";
        const bool ownFile = !platform::ReadOwnFile(file, platform::kLogFileLimit, bytes, &error) &&
                             error.outOfMemory && error.Message() == message;
        ::_exit(ownFile && LoadFieldsFile(file, 1000).error == message ? 0 : 2);
    }
    ReadRcgFile(file, *log, errors, &read);
    if (read.outOfMemory && read.error.empty() && read.refusal.empty())
        ::_exit(0);
    ::_exit(!read.outOfMemory && log->cycles == 6659 ? 1 : 2);
}

// Runs this test anew in a fresh process, where no memory that other tests
// left free can serve the reading, and gives its exit code.
int ReadInFreshProcess(std::uint64_t headroom)
{
    return RunTestInFreshProcess("LogMemory.*", kHeadroom, std::to_string(headroom));
}

TEST(LogMemory, ALogReadWithoutEnoughMemorySaysSoAndBlamesNoRecord)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the address and thread sanitizers map terabytes of shadow and abort on a failed "
                    "allocation; the suite's builds of the core tests without them run this";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
    GTEST_SKIP() << "the address and thread sanitizers abort on a failed allocation";
#endif
#endif
    const std::string file = GunzippedTestFile("match-full-HELIOS_A_4-vs-HELIOS_B_2.rcg");
    if (const char* headroom = std::getenv(kHeadroom))
        ReadAndExit(file, headroom);
    const std::uint64_t size = std::filesystem::file_size(file);
    // No limit; not even the file's bytes fit; the bytes fit, the channels do not.
    const std::pair<std::uint64_t, int> cases[] = {{0, 1}, {size / 2, 0}, {size + (4 << 20), 0}};
    for (const auto& [headroom, outcome] : cases)
        EXPECT_EQ(ReadInFreshProcess(headroom), outcome) << headroom;
    EXPECT_EQ(RunTestInFreshProcess("LogMemory.*", kHeadroom, "own"), 0);
}

}  // namespace

TEST(FreshProcess, NobodyRunsTheProgramWhereItLiesOrACopyInAFolderOfItsOwn)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "running as another user needs the superuser";
    for (const auto folder : {0755, 0711, 0700}) {
        const std::string dir = MakeTempDir("checkout"), program = dir + "/program";
        std::filesystem::copy_file("/bin/true", program);
        std::filesystem::permissions(dir, std::filesystem::perms(folder));
        const std::string runnable = ProgramNobodyMayRun(program);
        EXPECT_EQ(runnable == program, folder != 0700) << runnable;
        EXPECT_EQ(AsNobody([&] { return ::execl(runnable.c_str(), "true", nullptr); }), 0) << folder << runnable;
    }
}
