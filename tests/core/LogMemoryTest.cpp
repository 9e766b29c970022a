// A log read while memory runs out for real, in a child with a limited address
// space: the reading says so, blames no record and keeps nothing.
#include "core/io/Convertlog.h"

#include "core/model/Parallel.h"
#include "core/model/RoboCupFile.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Reads the file in a child that may map only headroom bytes more than it has
// (0: no limit). 0: out of memory and nothing kept; 1: read whole; 2: else.
int ReadInChild(const std::string& file, std::uint64_t headroom)
{
    const pid_t child = ::fork();
    if (child == 0) {
        SetWorkerThreads(1);  // no thread to start under the limit
        // Blocks of some size come from new mappings, not from what earlier
        // tests left free in the heap: the limit holds for them.
        ::mallopt(M_MMAP_THRESHOLD, 16 << 10);
        std::unique_ptr<RoboCupFileT> log = CreateFileRecord(file);
        RcgReadResult read;
        std::ostringstream errors;
        std::uint64_t pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlimit limit{pages * ::sysconf(_SC_PAGESIZE) + headroom, RLIM_INFINITY};
        if (headroom != 0 && ::setrlimit(RLIMIT_AS, &limit) != 0)
            ::_exit(2);
        ReadRcgFile(file, *log, errors, &read);
        if (read.outOfMemory && log->cycles == 0 && read.error.empty() && read.refusal.empty())
            ::_exit(0);
        ::_exit(!read.outOfMemory && log->cycles == 6659 ? 1 : 2);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(LogMemory, ALogReadWithoutEnoughMemorySaysSoAndKeepsNothing)
{
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "AddressSanitizer maps terabytes of shadow and aborts on a failed allocation; "
                    "the clang UBSan build of the core tests runs this";
#endif
    const std::string file = GunzippedTestFile("match-full-HELIOS_A_4-vs-HELIOS_B_2.rcg");
    const std::uint64_t size = std::filesystem::file_size(file);
    // No limit; not even the file's bytes fit; the bytes fit, the channels do not.
    const std::pair<std::uint64_t, int> cases[] = {{0, 1}, {size / 2, 0}, {size + (4 << 20), 0}};
    for (const auto& [headroom, outcome] : cases)
        EXPECT_EQ(ReadInChild(file, headroom), outcome) << headroom;
}

}  // namespace
