// The test program as "nobody" may run it: where a checkout lies in a folder
// only its owner may enter, the case that runs as "nobody" runs a copy.
#include "support/FreshProcess.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(FreshProcess, NobodyRunsTheProgramWhereItLiesOrACopyInAFolderOfItsOwn)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "running as another user needs the superuser";
    struct Case {
        mode_t folder;
        bool copied;
    };
    for (const Case& c : {Case{0755, false}, Case{0700, true}, Case{0711, false}}) {
        const std::string dir = MakeTempDir("checkout");
        const std::string program = dir + "/program";
        std::filesystem::copy_file("/bin/true", program);
        ASSERT_EQ(::chmod(program.c_str(), 0755), 0);
        ASSERT_EQ(::chmod(dir.c_str(), c.folder), 0);
        std::string whyNot;
        const std::string runnable = ProgramNobodyMayRun(program, whyNot);
        ASSERT_FALSE(runnable.empty()) << whyNot;
        EXPECT_EQ(runnable != program, c.copied) << std::oct << c.folder;
        EXPECT_EQ(NobodyMayExecute(program), !c.copied) << std::oct << c.folder;
        EXPECT_TRUE(NobodyMayExecute(runnable)) << runnable;
    }
}

}  // namespace
