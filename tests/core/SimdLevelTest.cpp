// The processor check against the processor's own flags, as the kernel lists
// them: a check that missed a level would skip every test at that level on a
// machine that has it, and nothing would fail.
#include "core/model/SimdLevel.h"

#include "support/SimdLevels.h"

#include <fstream>
#include <string>

#include <gtest/gtest.h>

namespace {

// The flags of the first processor in /proc/cpuinfo, each between blanks; empty
// when it lists none.
std::string CpuFlags()
{
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);)
        if (line.rfind("flags", 0) == 0 && line.find(':') != std::string::npos)
            return line.substr(line.find(':') + 1) + " ";
    return {};
}

}  // namespace

TEST(SimdLevel, TheMachinesLevelIsTheWidestItsProcessorHas)
{
#if !defined(__x86_64__)
    GTEST_SKIP() << "the vector code paths are those of x86-64 processors";
#endif
    const std::string flags = CpuFlags();
    ASSERT_FALSE(flags.empty()) << "/proc/cpuinfo lists no processor flags";
    const auto has = [&](const char* flag) { return flags.find(" " + std::string(flag) + " ") != std::string::npos; };
    const SimdLevel widest = has("avx2") ? SimdLevel::kAvx2 : has("sse2") ? SimdLevel::kSse2 : SimdLevel::kPlain;
    EXPECT_EQ(SimdLevelName(MachineSimdLevel()), std::string(SimdLevelName(widest))) << flags;
    // Each level the processor has can be chosen, and none beyond.
    for (const SimdLevel level : kSimdLevels) {
        const SimdLevelScope scope(level);
        EXPECT_EQ(scope.set, level <= widest) << SimdLevelName(level);
        EXPECT_EQ(CurrentSimdLevel(), scope.set ? level : MachineSimdLevel()) << SimdLevelName(level);
    }
}
