// Work folders in the private folder: removed whole or not at all, and at a
// start only those of copies that have ended.
#include "platform/SaveFile.h"
#include "platform/WorkFolder.h"

#include "support/SaveFailure.h"
#include "support/TestData.h"

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <string>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

// Folders "a" levels deep under the folder, a file in each.
void Fill(const fs::path& folder, int levels)
{
    fs::path at = folder;
    for (int level = 0; level < levels; ++level) {
        std::ofstream(at / "file") << "data";
        at /= "a";
        fs::create_directory(at);
    }
}

}  // namespace

// However the path is spelt and however deep the folder goes, a work folder
// goes whole, or the call says why and nothing outside it goes.
TEST(WorkFolder, ARemovalTakesTheWholeFolderOrSaysWhy)
{
    const fs::path f = MakeTempDir("work-remove");
    const OwnTmpDir tmp(f);
    struct Case {
        const char* what;
        const char* tail;  // after the folder's path
        bool outside;      // the path names a folder of that name outside the private folder
        int levels;
        const char* said;  // the reason given; empty: removed
    };
    const Case cases[] = {
        {"two levels deep", "", false, 3, ""},
        {"a path that ends in a slash", "/", false, 1, ""},
        {"a path that ends in /.", "/.", false, 1, ""},
        {"a folder of its name elsewhere", "", true, 1, "it is no work folder in "},
        {"deeper than 32 levels", "", false, 40, "it holds folders nested more than 32 deep"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string why;
        const fs::path work = platform::MakeWorkFolder("run", &why), elsewhere = f / "elsewhere" / work.filename();
        ASSERT_FALSE(work.empty()) << why;
        Fill(work, c.levels);
        fs::create_directories(elsewhere);
        const std::string path = (c.outside ? elsewhere : work).string() + c.tail;
        why.clear();
        const bool removed = platform::RemoveWorkFolder(path, &why);
        EXPECT_EQ(removed, *c.said == '\0');
        EXPECT_EQ(fs::exists(work), !removed);
        EXPECT_TRUE(removed ? why.empty() : why.starts_with("The folder " + path + " cannot be removed: " + c.said)) << why;
        EXPECT_TRUE(fs::exists(elsewhere));
        fs::remove_all(work);
    }
}

// A start of the program removes the run folders of copies that ended without
// removing them, never one that a running copy holds, nor what is no run
// folder of the program's.
TEST(WorkFolder, AStartRemovesTheFoldersOfEndedCopiesOnly)
{
    const fs::path f = MakeTempDir("work-start");
    const OwnTmpDir tmp(f);
    std::string why;
    // A run of an ended copy, two levels deep.
    const fs::path ended = platform::MakeWorkFolder("run", &why);
    ASSERT_FALSE(ended.empty()) << why;
    Fill(ended, 2);
    // A run of this copy.
    platform::WorkFolder running;
    ASSERT_TRUE(running.Make("run", &why)) << why;
    std::ofstream(running.File("dataset.arff")) << "data";
    // A run of another copy, which holds it as WorkFolder does.
    const fs::path other = platform::MakeWorkFolder("run", &why);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t copy = ::fork();
    if (copy == 0) {
        const int fd = ::open(other.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd >= 0 && ::flock(fd, LOCK_EX) == 0 && ::write(ready[1], "x", 1) == 1)
            ::pause();
        ::_exit(1);
    }
    ::close(ready[1]);
    char byte = 0;
    const bool held = ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
    // The folder a command keeps for the user, and a link in a run's place.
    const fs::path kept = platform::MakeWorkFolder("command", &why), link = fs::path(platform::PrivateTempFolder()) / "run.link";
    fs::create_directory(f / "elsewhere");
    std::ofstream(f / "elsewhere" / "file") << "data";
    fs::create_directory_symlink(f / "elsewhere", link);

    EXPECT_EQ(platform::RemoveEndedWorkFolders("run"), 1);
    ::kill(copy, SIGKILL);
    ::waitpid(copy, nullptr, 0);
    ASSERT_TRUE(held);
    EXPECT_FALSE(fs::exists(ended));
    EXPECT_TRUE(fs::exists(running.File("dataset.arff")));
    EXPECT_TRUE(fs::exists(other));
    EXPECT_TRUE(fs::exists(kept));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(FolderEntries(f / "elsewhere"), std::vector<std::string>{"file"});
    // Once the other copy has ended, its folder goes too.
    EXPECT_EQ(platform::RemoveEndedWorkFolders("run"), 1);
    EXPECT_FALSE(fs::exists(other));
    EXPECT_TRUE(fs::exists(running.Path()));
}
