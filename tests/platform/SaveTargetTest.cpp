// Where a save goes and whose the file is afterwards: links on the way are
// followed only as the system would, and a replaced file keeps its owner.
#include "platform/PrivateFolder.h"
#include "platform/SaveFile.h"
#include "platform/WorkFolder.h"

#include "support/AsNobody.h"
#include "support/SaveFailure.h"
#include "support/TestData.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <dlfcn.h>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <tuple>
#include <utility>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;

void Put(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

std::function<void(std::ostream&)> Text(const std::string& s) { return [s](std::ostream& o) { o << s; }; }

std::function<void()> g_beforeChmod = [] {};  // run once before the next change of rights, as by another process
int g_chmodFails = 0;  // the error the next change of rights fails with; 0: none

template <class... Args>
int ChangeRights(const char* call, Args... args)
{
    std::exchange(g_beforeChmod, [] {})();
    if (const int e = std::exchange(g_chmodFails, 0); e != 0) {
        errno = e;
        return -1;
    }
    return reinterpret_cast<int (*)(Args...)>(::dlsym(RTLD_NEXT, call))(args...);
}

}  // namespace

extern "C" int chmod(const char* name, mode_t mode) noexcept { return ChangeRights("chmod", name, mode); }
extern "C" int fchmod(int fd, mode_t mode) noexcept { return ChangeRights("fchmod", fd, mode); }

TEST(PrivateFolder, ALinkSwappedInAfterTheCheckTakesNoChangeOfRights)
{
    const fs::path f = MakeTempDir("private-swap"), own = f / "velotrask-test";
    fs::permissions(f, fs::perms(0755));
    fs::create_directory(own, f);  // as open as f: closing it is a change of rights
    g_beforeChmod = [&] { fs::rename(own, f / "checked"); fs::create_directory_symlink(f, own); };
    platform::MakePrivateFolder(own.string());
    EXPECT_EQ(fs::status(f).permissions(), fs::perms(0755));
    EXPECT_EQ(fs::status(f / "checked").permissions(), fs::perms::owner_all);
}

// In a sticky folder everyone may write (/tmp), a link is followed only when
// it is the user's or the folder owner's, in the file's place as on the way to
// it: another user cannot steer a save onto a file of theirs outside it.
// Elsewhere a link is followed, ".." going up from where it led. A refusal
// writes nothing, not the other file of a pair either.
TEST(SaveFile, ALinkInASharedStickyFolderIsFollowedOnlyWhereTheSystemWould)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a link to another user needs the superuser";
    struct Case {
        const char* what;
        std::vector<std::tuple<std::string, std::string, uid_t>> links;  // where, to, owner
        std::string save;         // in the scratch folder
        std::string refusedLink;  // the link the refusal names; empty when saved
    };
    const std::string passwd = "outside/passwd";
    const std::vector<Case> cases = {
        {"another user's link", {{"shared/x.gml", passwd, kNobody}}, "shared/x.gml", "shared/x.gml"},
        {"the user's own link", {{"shared/x.gml", passwd, 0}}, "shared/x.gml", ""},
        {"the folder owner's link", {{"nobodys/x.gml", passwd, kNobody}}, "nobodys/x.gml", ""},
        {"not sticky", {{"plain/x.gml", passwd, kNobody}}, "plain/x.gml", ""},
        {"not open to everyone", {{"closed/x.gml", passwd, kNobody}}, "closed/x.gml", ""},
        {"another user's folder link on the way", {{"shared/ndir", "outside", kNobody}}, "shared/ndir/passwd",
         "shared/ndir"},
        {"the user's own folder link there", {{"shared/ndir", "outside", 0}}, "shared/ndir/passwd", ""},
        {"a folder link outside a sticky folder", {{"plain/ndir", "outside", kNobody}}, "plain/ndir/passwd", ""},
        {"a chain whose second link is another user's", {{"shared/l1", "l2", 0}, {"shared/l2", "outside", kNobody}},
         "shared/l1/passwd", "shared/l2"},
        {"a chain followed, then up from where it led",
         {{"plain/l1", "../shared/l2", kNobody}, {"shared/l2", "outside/deep", 0}}, "plain/l1/../passwd", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path f = MakeTempDir("sticky");
        const std::string old = std::string("root:x:0:0\n\0\xff", 13);
        fs::create_directories(f / "outside/deep");
        Put(f / passwd, old);
        for (const auto& [name, mode, owner] : {std::tuple{"shared", 01777, 0u}, {"nobodys", 01777, kNobody},
                                                {"plain", 0777, 0u}, {"closed", 01755, 0u}}) {
            fs::create_directory(f / name);
            ASSERT_EQ(::chmod((f / name).c_str(), static_cast<mode_t>(mode)), 0);
            ASSERT_EQ(::chown((f / name).c_str(), owner, owner), 0);
        }
        for (const auto& [at, to, owner] : c.links) {
            fs::create_symlink(to.starts_with("outside") ? f / to : fs::path(to), f / at);
            ASSERT_EQ(::lchown((f / at).c_str(), owner, owner), 0);
        }
        const bool followed = c.refusedLink.empty();
        bool besideWritten = false;
        const auto beside = [&](std::ostream& o) { besideWritten = bool(o << "beside"); };
        platform::SaveError error;
        EXPECT_EQ(platform::SaveFiles({{(f / "beside.txt").string(), beside}, {(f / c.save).string(), Text("graph")}},
                                      &error),
                  followed)
            << error.Message();
        EXPECT_EQ(besideWritten, followed);
        EXPECT_EQ(ReadBytes(f / passwd), followed ? "graph" : old);
        EXPECT_EQ(FolderEntries(f / "outside"), (std::vector<std::string>{"deep", "passwd"}));
        for (const auto& [at, to, owner] : c.links)
            EXPECT_TRUE(fs::is_symlink(f / at)) << at;
        EXPECT_EQ(error.reason, followed ? "" : "the link " + (f / c.refusedLink).string() +
                                                    " belongs to another user in a folder open to everyone, so it is "
                                                    "not followed");
    }
}

// A file saved over keeps its owner, group and rights where the saver may give
// them, never a set-user-id, set-group-id or sticky bit. Where they cannot be
// kept, the file is the saver's.
TEST(SaveFile, ASavedOverFileKeepsItsOwnerWhereTheSaverMay)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "files of another user need the superuser";
    constexpr gid_t kUsers = 100, kNogroup = 65534;
    struct Case {
        const char* what;
        bool asRoot;  // else as "nobody", who is in the group kUsers too
        uid_t owner;
        gid_t group, groupAfter;
        mode_t mode;
    };
    const std::vector<Case> cases = {
        {"the superuser over another user's file", true, kNobody, kNogroup, kNogroup, 0640},
        {"the superuser over a set-user-id file", true, kNobody, kUsers, kUsers, 07754},
        {"another user's file of a group of the user's", false, 0, kUsers, kUsers, 0666},
        {"another user's file open to all", false, 0, 0, kNogroup, 0666},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path f = MakeTempDir("owner"), file = f / "a.names";
        ::chmod(f.c_str(), 0777);
        Put(file, "old");
        ASSERT_EQ(::chown(file.c_str(), c.owner, c.group), 0);
        ASSERT_EQ(::chmod(file.c_str(), c.mode), 0);
        const auto save = [&] { return platform::SaveFile(file.string(), Text("new")) ? 0 : 1; };
        EXPECT_EQ(c.asRoot ? save() : AsNobody(save, {kUsers}), 0);
        struct stat st {};
        ASSERT_EQ(::stat(file.c_str(), &st), 0);
        EXPECT_EQ(ReadBytes(file), "new");
        EXPECT_EQ(st.st_uid, c.asRoot ? c.owner : kNobody);
        EXPECT_EQ(st.st_gid, c.groupAfter);
        EXPECT_EQ(st.st_mode & 07777, c.mode & 0777);
    }
}

// In the private folder a link in a file's place is replaced by the new file,
// whether it leads nowhere or to a set-user-id program: nothing is written
// where it leads, and the new file takes no rights from there.
TEST(PrivateFolder, ALinkInAFilesPlaceIsReplacedNeverFollowed)
{
    const fs::path f = MakeTempDir("private"), tool = f / "tool";
    const OwnTmpDir tmp(f);
    Put(tool, "#!/bin/sh\n");
    ASSERT_EQ(::chmod(tool.c_str(), 04755), 0);
    const mode_t mask = ::umask(022);
    ::umask(mask);
    for (const auto& [name, to] : {std::pair{"Dangling.txt", f / "nowhere"}, {"TempResults.txt", tool}}) {
        SCOPED_TRACE(name);
        std::string why;
        const std::string own = platform::PrivateTempFolder(&why), file = own + "/" + name;
        ASSERT_FALSE(own.empty()) << why;
        fs::create_symlink(to, file);
        platform::SaveError error;
        EXPECT_TRUE(platform::SaveFile(file, Text("// rules\n"), &error)) << error.Message();
        struct stat st {};
        ASSERT_EQ(::lstat(file.c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(st.st_mode & 07777, 0666 & ~mask);
        EXPECT_EQ(ReadBytes(file), "// rules\n");
    }
    EXPECT_EQ(ReadBytes(tool), "#!/bin/sh\n");
}

// A work folder is owner only, never written through when swapped for a link,
// and removed with a link in it without touching what the link leads to.
TEST(PrivateFolder, AWorkFolderIsOwnerOnlyNeverALinkAndGoesAlone)
{
    const fs::path f = MakeTempDir("private-work");
    const OwnTmpDir tmp(f);
    std::string why;
    const std::string work = platform::MakeWorkFolder("run", &why), file = work + "/results.txt";
    ASSERT_FALSE(work.empty()) << why;
    EXPECT_EQ(fs::path(work).parent_path(), platform::PrivateTempFolder());
    EXPECT_EQ(fs::status(work).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_TRUE(platform::SaveFile(file, Text("first")));
    fs::create_directory(f / "elsewhere");
    Put(f / "elsewhere" / "outside.txt", "someone's");
    fs::rename(work, f / "gone");
    fs::create_directory_symlink(f / "elsewhere", work);
    platform::SaveError error;
    EXPECT_FALSE(platform::SaveFile(file, Text("new"), &error));
    EXPECT_EQ(error.reason, "the folder " + work + " is a link, not a folder of its own");
    EXPECT_TRUE(platform::RemoveWorkFolder(work, &why)) << why;  // the link goes, not what it leads to
    fs::rename(f / "gone", work);
    fs::create_directory(fs::path(work) / "java");
    fs::create_directory_symlink(f / "elsewhere", fs::path(work) / "java" / "link");
    EXPECT_TRUE(platform::RemoveWorkFolder(work, &why)) << why;
    EXPECT_FALSE(fs::exists(fs::symlink_status(work)));
    EXPECT_EQ(FolderEntries(f / "elsewhere"), std::vector<std::string>{"outside.txt"});
}

// A work folder made but not given its rights is not left behind.
TEST(PrivateFolder, AWorkFolderThatCannotBeMadePrivateIsNotLeft)
{
    const OwnTmpDir tmp(MakeTempDir("private-work-rights"));
    const std::string own = platform::PrivateTempFolder();
    ASSERT_FALSE(own.empty());
    g_chmodFails = EPERM;
    std::string why;
    EXPECT_EQ(platform::MakeWorkFolder("run", &why), "");
    EXPECT_EQ(why, "No work folder can be made in " + own + ": " + std::strerror(EPERM));
    EXPECT_EQ(FolderEntries(own), std::vector<std::string>{});
}
