// The private folder made and checked through the folder opened, never its
// name; removals that take a link and never what it leads to.
#include "platform/ReadFile.h"
#include "platform/SaveFile.h"

#include "support/TestData.h"

#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

// Set by a test: runs once just before the next change of rights, as another
// process that swaps a folder for a link at the worst moment would.
std::function<void()> g_beforeChmod;

template <class... Args>
int ChangeRights(const char* call, Args... args)
{
    if (const auto swap = std::exchange(g_beforeChmod, nullptr))
        swap();
    return reinterpret_cast<int (*)(Args...)>(::dlsym(RTLD_NEXT, call))(args...);
}

void Put(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

fs::perms Rights(const fs::path& p) { return fs::symlink_status(p).permissions() & fs::perms::all; }

// TMPDIR pointed at a folder of the test's own while it lives.
struct OwnTmpDir {
    bool had = std::getenv("TMPDIR") != nullptr;
    std::string saved = had ? std::getenv("TMPDIR") : "";
    explicit OwnTmpDir(const fs::path& dir) { ::setenv("TMPDIR", dir.c_str(), 1); }
    ~OwnTmpDir() { had ? ::setenv("TMPDIR", saved.c_str(), 1) : ::unsetenv("TMPDIR"); }
};

}  // namespace

extern "C" {
int chmod(const char* name, mode_t mode) noexcept { return ChangeRights("chmod", name, mode); }
int fchmod(int fd, mode_t mode) noexcept { return ChangeRights("fchmod", fd, mode); }
}

// The folder is checked, and just before its rights are closed its name is
// swapped for a link to a folder of the same user: the rights change lands on
// the folder that was checked, never on where the link leads.
TEST(PrivateFolder, ALinkSwappedInAfterTheCheckTakesNoChangeOfRights)
{
    const fs::path f = MakeTempDir("private-swap");
    const fs::path own = f / "velotrask-test", victim = f / "victim", checked = f / "checked";
    fs::create_directory(own);
    fs::create_directory(victim);
    ASSERT_EQ(::chmod(own.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(victim.c_str(), 0755), 0);
    bool swapped = false;
    g_beforeChmod = [&] {
        fs::rename(own, checked);
        fs::create_directory_symlink(victim, own);
        swapped = true;
    };
    std::string error;
    platform::MakePrivateFolder(own.string(), &error);
    g_beforeChmod = nullptr;
    ASSERT_TRUE(swapped) << error;
    EXPECT_EQ(Rights(victim), fs::perms(0755));
    EXPECT_EQ(Rights(checked), fs::perms::owner_all);
    EXPECT_TRUE(fs::is_symlink(own));
}

// RemoveFile takes the name it is given: a file goes, a link goes and what it
// leads to stays, in the private folder as elsewhere; nothing there is no
// failure.
TEST(RemoveFile, TakesALinkAndNeverWhatItLeadsTo)
{
    const fs::path f = MakeTempDir("remove");
    const OwnTmpDir tmp(f);
    std::string why;
    const fs::path own = fs::path(platform::PrivateTempFile("x", &why)).parent_path();
    ASSERT_FALSE(own.empty()) << why;
    fs::create_directory(f / "plain");
    struct Case {
        const char* what;
        fs::path folder;
        std::string linkTo;  // "" for a file of its own
    };
    const std::vector<Case> cases = {
        {"a file", f / "plain", ""},
        {"a link to a file", f / "plain", (f / "target").string()},
        {"a link to a file, in the private folder", own, (f / "target").string()},
        {"a link that leads nowhere", f / "plain", (f / "nowhere").string()},
        {"a link to a folder", own, (f / "plain").string()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Put(f / "target", "kept");
        const fs::path name = c.folder / "results.txt";
        if (c.linkTo.empty())
            Put(name, "old result");
        else
            fs::create_symlink(c.linkTo, name);
        platform::SaveError error;
        EXPECT_TRUE(platform::RemoveFile(name.string(), &error)) << error.Message();
        EXPECT_FALSE(fs::exists(fs::symlink_status(name)));
        EXPECT_EQ(ReadBytes((f / "target").string()), "kept");
        EXPECT_TRUE(fs::is_directory(f / "plain"));
        // Gone already: no failure.
        EXPECT_TRUE(platform::RemoveFile(name.string(), &error)) << error.Message();
    }
}

// The program reads its own files (a learner's result) by the checked walk: a
// file there is read, while a link in its place, in the private folder or
// elsewhere, is refused and nothing behind it is read.
TEST(ReadOwnFile, ReadsTheFileAndNeverThroughALinkInItsPlace)
{
    const fs::path f = MakeTempDir("read-own");
    const OwnTmpDir tmp(f);
    std::string why;
    const fs::path own = fs::path(platform::PrivateTempFile("x", &why)).parent_path();
    ASSERT_FALSE(own.empty()) << why;
    fs::create_directory(f / "plain");
    Put(f / "planted", "JRIP rules: planted");
    const std::string link = "it is a link, and this file is never read through one";
    struct Case {
        const char* what;
        fs::path file;
        std::string linkTo;  // "" for a file of its own
        std::string read;    // what is read; "" when refused
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"a file in the private folder", own / "results.txt", "", "JRIP rules: learnt", ""},
        {"a link there", own / "results.txt", (f / "planted").string(), "", link},
        {"a file elsewhere", f / "plain" / "results.txt", "", "JRIP rules: learnt", ""},
        {"a link elsewhere", f / "plain" / "results.txt", (f / "planted").string(), "", link},
        {"nothing there", own / "results.txt", "-", "", std::strerror(ENOENT)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(c.file);
        if (c.linkTo.empty())
            Put(c.file, "JRIP rules: learnt");
        else if (c.linkTo != "-")
            fs::create_symlink(c.linkTo, c.file);
        platform::FileBytes bytes;
        platform::ReadError error;
        EXPECT_EQ(platform::ReadOwnFile(c.file.string(), 1024, bytes, &error), c.reason.empty());
        EXPECT_EQ(std::string(bytes.View()), c.read);
        EXPECT_EQ(error.reason, c.reason);
    }
}

// What keeps a save from its folder is told by what failed: a system error on
// the way to the private folder names that folder; a refusal names what it
// refuses; elsewhere the system's reason is the whole reason.
TEST(PrivateFolder, ASaveThatCannotReachItTellsWhatFailed)
{
    const fs::path f = MakeTempDir("private-reasons");
    const OwnTmpDir tmp(f);
    const std::string own = platform::PrivateTempFolderName();
    fs::create_directory(f / "elsewhere");
    struct Case {
        const char* what;
        std::function<void()> make;  // what stands where the private folder goes
        std::string file;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"no private folder", [] {}, own + "/test.data", "the folder " + own + ": " + std::strerror(ENOENT)},
        {"a file in its place", [&] { Put(own, "x"); }, own + "/test.data",
         "the folder " + own + ": " + std::strerror(ENOTDIR)},
        {"a link in its place", [&] { fs::create_directory_symlink(f / "elsewhere", own); }, own + "/test.data",
         "the folder " + own + " is a link, not a folder of its own"},
        {"open to others", [&] { fs::create_directory(own); ::chmod(own.c_str(), 0755); }, own + "/test.data",
         "the folder " + own + " is not private to this user"},
        {"no folder elsewhere", [] {}, (f / "nowhere" / "test.data").string(), std::strerror(ENOENT)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(own);
        c.make();
        platform::SaveError error;
        EXPECT_FALSE(platform::SaveFile(c.file, [](std::ostream& o) { o << "x"; }, &error));
        EXPECT_EQ(error.reason, c.reason);
        EXPECT_TRUE(fs::is_empty(f / "elsewhere"));
    }
}
