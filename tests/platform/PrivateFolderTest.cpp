// The program's private folder: made owner-only, refused when it is not
// private, and written only through the checked folder.
#include "platform/SaveFile.h"

#include "SaveTestFiles.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace savetest;

// The private folder checked, then swapped for a link to a folder of the
// same user: saving and removing there go nowhere through the link.
TEST(PrivateFolder, AFolderSwappedForALinkIsNotWrittenThrough)
{
    Folder f;
    const OwnTmpDir tmp(f.path());
    std::string why;
    const std::string file = platform::PrivateTempFile("test.data", &why);
    ASSERT_FALSE(file.empty()) << why;
    const fs::path folder = fs::path(file).parent_path();
    EXPECT_TRUE(platform::InPrivateFolder(file));
    EXPECT_FALSE(platform::InPrivateFolder((f / "test.data").string()));
    ASSERT_TRUE(platform::SaveFile(file, Text("first")));

    fs::create_directory(f / "elsewhere");
    Put(f / "elsewhere" / "results.txt", "someone's");
    fs::rename(folder, f / "gone");
    fs::create_directory_symlink(f / "elsewhere", folder);
    platform::SaveError error;
    EXPECT_FALSE(platform::SaveFiles({{file, Text("new")}, {(folder / "test.names").string(), Text("names")}}, &error));
    EXPECT_EQ(error.file, file);
    EXPECT_NE(error.reason.find("link"), std::string::npos) << error.reason;
    EXPECT_FALSE(platform::RemoveFile((folder / "results.txt").string(), &error));
    EXPECT_EQ(Entries(f / "elsewhere"), std::vector<std::string>{"results.txt"});

    // Back as it was, but open to others, closed to its owner or another
    // user's: refused too, before anything is written or removed.
    fs::remove(folder);
    fs::rename(f / "gone", folder);
    std::vector<std::pair<mode_t, uid_t>> spoilt = {{0755, ::geteuid()}, {0500, ::geteuid()}};
    if (::geteuid() == 0)
        spoilt.push_back({0700, 65534});
    for (const auto& [mode, owner] : spoilt) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(::chown(folder.c_str(), owner, static_cast<gid_t>(-1)), 0);
        ::chmod(folder.c_str(), mode);
        EXPECT_FALSE(platform::SaveFiles({{file, Text("new")}, {(folder / "test.names").string(), Text("names")}}, &error));
        EXPECT_EQ(error.reason, "the folder " + folder.string() + " is not private to this user");
        EXPECT_FALSE(platform::RemoveFile(file, &error));
        EXPECT_EQ(Read(file), "first");
        EXPECT_EQ(Entries(folder), std::vector<std::string>{"test.data"});
    }
}

TEST(PrivateFolder, IsMadeOwnerOnlyAndRefusedWhenNotOurs)
{
    Folder f;
    std::string error;
    // Made afresh, owner only.
    const fs::path fresh = f / "velotrask-test";
    ASSERT_TRUE(platform::MakePrivateFolder(fresh.string(), &error)) << error;
    struct stat st {};
    ASSERT_EQ(::lstat(fresh.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    // Ours with other rights, wider or closed to us: made private again.
    for (const mode_t mode : {0777, 0500}) {
        ::chmod(fresh.c_str(), mode);
        ASSERT_TRUE(platform::MakePrivateFolder(fresh.string(), &error)) << error;
        ASSERT_EQ(::lstat(fresh.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
    }

    // A planted link, even to a folder of ours, is refused.
    fs::create_directory_symlink(fresh, f / "planted");
    EXPECT_FALSE(platform::MakePrivateFolder((f / "planted").string(), &error));
    EXPECT_NE(error.find("link"), std::string::npos);
    // A file in the way is refused.
    Put(f / "plainfile", "x");
    EXPECT_FALSE(platform::MakePrivateFolder((f / "plainfile").string(), &error));
    EXPECT_NE(error.find("not a folder"), std::string::npos);

    // Another user's folder is refused.
    if (::geteuid() == 0) {
        const fs::path foreign = f / "foreign";
        fs::create_directory(foreign);
        ASSERT_EQ(::chown(foreign.c_str(), 65534, 65534), 0);
        EXPECT_FALSE(platform::MakePrivateFolder(foreign.string(), &error));
        EXPECT_NE(error.find("another user"), std::string::npos);
    }
}

TEST(PrivateFolder, LiesUnderTheSystemTemporaryFolder)
{
    Folder f;
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    ::setenv("TMPDIR", f.path().c_str(), 1);
    std::string error;
    const std::string file = platform::PrivateTempFile("results.txt", &error);
    const std::string folder = platform::PrivateTempFolder(&error);
    if (old)
        ::setenv("TMPDIR", saved.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
    EXPECT_EQ(folder, (f / ("velotrask-" + std::to_string(::geteuid()))).string());
    EXPECT_EQ(file, folder + "/results.txt");
    EXPECT_TRUE(fs::is_directory(folder));
}


// In the private folder a link in a file's place is replaced by the new file,
// whether it leads nowhere or to a set-user-id program: nothing is written
// where it leads, and the new file takes no rights from there.
TEST(PrivateFolder, ALinkInAFilesPlaceIsReplacedNeverFollowed)
{
    struct Case {
        const char* what;
        bool toTool;
    };
    for (const Case& c : {Case{"a dangling link", false}, Case{"a link to a set-user-id program", true}}) {
        SCOPED_TRACE(c.what);
        Folder f;
        const OwnTmpDir tmp(f.path());
        std::string why;
        const std::string file = platform::PrivateTempFile("TempResults.txt", &why);
        ASSERT_FALSE(file.empty()) << why;
        const fs::path tool = f / "tool";
        if (c.toTool) {
            Put(tool, "#!/bin/sh\n");
            ASSERT_EQ(::chmod(tool.c_str(), 04755), 0);
        }
        fs::create_symlink(tool, file);
        const mode_t mask = ::umask(022);
        ::umask(mask);
        platform::SaveError error;
        ASSERT_TRUE(platform::SaveFile(file, Text("// rules\n"), &error)) << error.Message();
        EXPECT_EQ(KindOf(file), static_cast<unsigned>(S_IFREG));
        EXPECT_EQ(Read(file), "// rules\n");
        struct stat st {};
        ASSERT_EQ(::stat(file.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0666 & ~mask);
        EXPECT_EQ(Read(tool), c.toTool ? "#!/bin/sh\n" : "<missing>");
        EXPECT_EQ(Entries(fs::path(file).parent_path()), std::vector<std::string>{"TempResults.txt"});
    }
}
