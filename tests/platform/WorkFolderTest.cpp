// Work folders in the private folder: removed whole or not at all, and at a
// start only those of copies that have ended.
#include "platform/PrivateFolder.h"
#include "platform/WorkFolder.h"

#include "support/SaveFailure.h"
#include "support/TestData.h"

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

// A work folder with folders "levels" deep, a file in each.
fs::path Filled(int levels)
{
    std::string why;
    const fs::path work = platform::MakeWorkFolder("run", &why);
    EXPECT_FALSE(work.empty()) << why;
    fs::path at = work;
    for (int level = 0; level < levels; ++level, fs::create_directory(at /= "a"))
        std::ofstream(at / "file") << "data";
    return work;
}

}  // namespace

// However the path is spelt and however deep the folder goes, a work folder
// goes whole, or the call says why and nothing outside it goes.
TEST(WorkFolder, ARemovalTakesTheWholeFolderOrSaysWhy)
{
    const fs::path f = MakeTempDir("work-remove");
    const OwnTmpDir tmp(f);
    const struct {
        const char* tail;  // after the folder's path
        bool outside;      // the path names a folder of that name outside the private folder
        int levels;
        const char* said;  // the reason given; empty: removed
    } cases[] = {{"", false, 3, ""}, {"/", false, 1, ""}, {"/.", false, 1, ""},
                 {"", true, 1, "it is no work folder in "}, {"", false, 40, "it holds folders nested more than 32 deep"}};
    for (const auto& c : cases) {
        const fs::path work = Filled(c.levels), elsewhere = f / "elsewhere" / work.filename();
        fs::create_directories(elsewhere);
        const std::string path = (c.outside ? elsewhere : work).string() + c.tail;
        std::string why;
        const bool removed = platform::RemoveWorkFolder(path, &why);
        EXPECT_EQ(removed, *c.said == '\0') << path;
        EXPECT_EQ(fs::exists(work), !removed) << path;
        EXPECT_TRUE(removed ? why.empty() : why.starts_with("The folder " + path + " cannot be removed: " + c.said)) << why;
        EXPECT_TRUE(fs::exists(elsewhere)) << path;
        fs::remove_all(work);
    }
}

// A start removes the run folders of copies that ended without removing them,
// never one a running copy holds, nor what is no run folder of the program's.
TEST(WorkFolder, AStartRemovesTheFoldersOfEndedCopiesOnly)
{
    const fs::path f = MakeTempDir("work-start");
    const OwnTmpDir tmp(f);
    const fs::path ended = Filled(2), other = Filled(1);
    platform::WorkFolder running;
    ASSERT_TRUE(running.Make("run"));
    // Another copy holds "other" as WorkFolder does (a lock of its own open).
    const int held = ::open(other.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_TRUE(held >= 0 && ::flock(held, LOCK_EX) == 0);
    // The folder a command keeps for the user, and a link in a run's place.
    const fs::path kept = platform::MakeWorkFolder("command"), link = fs::path(platform::PrivateTempFolder()) / "run.link";
    fs::create_directory(f / "elsewhere");
    std::ofstream(f / "elsewhere" / "file") << "data";
    fs::create_directory_symlink(f / "elsewhere", link);

    EXPECT_EQ(platform::RemoveEndedWorkFolders("run"), 1);
    EXPECT_FALSE(fs::exists(ended));
    EXPECT_TRUE(fs::exists(running.Path()) && fs::exists(other) && fs::exists(kept) && fs::is_symlink(link));
    EXPECT_EQ(FolderEntries(f / "elsewhere"), std::vector<std::string>{"file"});
    ::close(held);  // once the other copy has ended, its folder goes too
    EXPECT_EQ(platform::RemoveEndedWorkFolders("run"), 1);
    EXPECT_FALSE(fs::exists(other));
    EXPECT_TRUE(fs::exists(running.Path()));
}
