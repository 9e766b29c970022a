// Where a save goes and whose the file is afterwards: links on the way are
// followed only as the system would, and a replaced file keeps its owner.
#include "platform/SaveFile.h"

#include "SaveTestFiles.h"
#include "support/AsNobody.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace savetest;

namespace {
constexpr uid_t kNobody = 65534;
}  // namespace

TEST(SaveFile, ALinkKeepsPointingAtTheNewContent)
{
    Folder f;
    Put(f / "real.txt", "old");
    fs::create_symlink(f / "real.txt", f / "link.txt");
    ASSERT_TRUE(platform::SaveFile((f / "link.txt").string(), Text("new")));
    EXPECT_TRUE(fs::is_symlink(f / "link.txt"));
    EXPECT_EQ(Read(f / "real.txt"), "new");
}

// In a sticky folder everyone may write (/tmp), a link is followed only when
// it is the user's or the folder owner's, in the file's place as on the way to
// it: another user cannot steer a save onto a file of theirs outside it.
// Elsewhere a link is followed, relative to its folder, ".." going up from
// where it led.
TEST(SaveFile, ALinkInASharedStickyFolderIsFollowedOnlyWhereTheSystemWould)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a link to another user needs the superuser";
    struct Link {
        std::string at, to;
        uid_t owner;
    };
    struct Case {
        const char* what;
        std::vector<Link> links;
        std::string save;         // in the scratch folder
        std::string lands;        // where the content goes; empty when refused
        std::string refusedLink;  // the link the refusal names
    };
    const std::string outside = "outside", passwd = "outside/passwd";
    const std::vector<Case> cases = {
        {"another user's link", {{"shared/RoleConcepts.gml", passwd, kNobody}}, "shared/RoleConcepts.gml", "",
         "shared/RoleConcepts.gml"},
        {"the user's own link", {{"shared/own.gml", passwd, 0}}, "shared/own.gml", passwd, ""},
        {"the folder owner's link", {{"nobodys/x.gml", passwd, kNobody}}, "nobodys/x.gml", passwd, ""},
        {"not sticky", {{"plain/x.gml", passwd, kNobody}}, "plain/x.gml", passwd, ""},
        {"not open to everyone", {{"closed/x.gml", passwd, kNobody}}, "closed/x.gml", passwd, ""},
        {"another user's folder link on the way", {{"shared/ndir", outside, kNobody}}, "shared/ndir/passwd", "",
         "shared/ndir"},
        {"the user's own folder link there", {{"shared/ndir", outside, 0}}, "shared/ndir/passwd", passwd, ""},
        {"a folder link outside a sticky folder", {{"plain/ndir", outside, kNobody}}, "plain/ndir/passwd", passwd, ""},
        {"a chain whose second link is another user's",
         {{"shared/l1", "l2", 0}, {"shared/l2", outside, kNobody}}, "shared/l1/passwd", "", "shared/l2"},
        {"a chain followed, then up from where it led",
         {{"plain/l1", "../shared/l2", kNobody}, {"shared/l2", "outside/deep", 0}}, "plain/l1/../passwd", passwd, ""},
        {"a loop", {{"plain/a", "b", 0}, {"plain/b", "a", 0}}, "plain/a/passwd", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Folder f;
        const std::string old = std::string("root:x:0:0\n\0\xff", 13);
        fs::create_directories(f / "outside/deep");
        Put(f / passwd, old);
        for (const auto& [name, mode, owner] : {std::tuple{"shared", 01777, 0u}, {"nobodys", 01777, kNobody},
                                                {"plain", 0777, 0u}, {"closed", 01755, 0u}}) {
            fs::create_directory(f / name);
            ASSERT_EQ(::chmod((f / name).c_str(), static_cast<mode_t>(mode)), 0);
            ASSERT_EQ(::chown((f / name).c_str(), owner, owner), 0);
        }
        for (const Link& l : c.links) {
            // Absolute where it names the scratch folder, as written otherwise.
            fs::create_symlink(l.to.starts_with("outside") ? f / l.to : fs::path(l.to), f / l.at);
            ASSERT_EQ(::lchown((f / l.at).c_str(), l.owner, l.owner), 0);
        }
        // With a file beside it, as in a pair: a refusal runs no writer.
        bool besideWritten = false;
        const auto beside = [&](std::ostream& o) { besideWritten = bool(o << "beside"); };
        platform::SaveError error;
        EXPECT_EQ(platform::SaveFiles({{(f / "beside.txt").string(), beside}, {(f / c.save).string(), Text("graph")}},
                                      &error),
                  !c.lands.empty())
            << error.Message();
        EXPECT_EQ(besideWritten, !c.lands.empty());
        EXPECT_EQ(fs::exists(f / "beside.txt"), !c.lands.empty());
        EXPECT_EQ(Read(f / passwd), c.lands.empty() ? old : "graph");
        EXPECT_EQ(Entries(f / outside), (std::vector<std::string>{"deep", "passwd"}));
        EXPECT_TRUE(Entries(f / "outside/deep").empty());
        for (const Link& l : c.links)
            EXPECT_TRUE(fs::is_symlink(f / l.at));
        const std::string refusal = "the link " + (f / c.refusedLink).string() +
                                    " belongs to another user in a folder open to everyone, so it is not followed";
        EXPECT_EQ(error.reason, c.lands.empty() ? (c.refusedLink.empty() ? std::strerror(ELOOP) : refusal) : "");
    }
}

// A file saved over keeps its owner, group and rights where the saver may give
// them, in a pair as alone; a set-user-id, set-group-id or sticky bit never
// goes to the new content. Where they cannot be kept, the file is the saver's.
TEST(SaveFile, ASavedOverFileKeepsItsOwnerWhereTheSaverMay)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "files of another user need the superuser";
    constexpr gid_t kUsers = 100, kNogroup = 65534;
    struct Case {
        const char* what;
        bool asRoot;
        std::vector<gid_t> saverGroups;
        uid_t owner;
        gid_t group;
        mode_t mode;
        uid_t ownerAfter;
        gid_t groupAfter;
        mode_t modeAfter;
    };
    const std::vector<Case> cases = {
        {"the superuser over another user's file", true, {}, kNobody, kNogroup, 0640, kNobody, kNogroup, 0640},
        {"the superuser over a set-user-id file", true, {}, kNobody, kUsers, 07754, kNobody, kUsers, 0754},
        {"a user keeps a group of theirs", false, {kUsers}, kNobody, kUsers, 0664, kNobody, kUsers, 0664},
        {"another user's file of a group of the user's", false, {kUsers}, 0, kUsers, 0666, kNobody, kUsers, 0666},
        {"a group not the user's", false, {}, kNobody, kUsers, 0664, kNobody, kNogroup, 0664},
        {"another user's file open to all", false, {}, 0, 0, 0666, kNobody, kNogroup, 0666},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Folder f;
        ::chmod(f.path().c_str(), 0777);
        const std::vector<fs::path> files = {f / "a.names", f / "a.data", f / "alone.txt"};
        for (const fs::path& file : files) {
            Put(file, "old");
            ASSERT_EQ(::chown(file.c_str(), c.owner, c.group), 0);
            ASSERT_EQ(::chmod(file.c_str(), c.mode), 0);
        }
        const auto save = [&] {
            const bool pair = platform::SaveFiles({{files[0].string(), Text("new")}, {files[1].string(), Text("new")}});
            return pair && platform::SaveFile(files[2].string(), Text("new")) ? 0 : 1;
        };
        EXPECT_EQ(c.asRoot ? save() : AsNobody(save, c.saverGroups), 0);
        for (const fs::path& file : files) {
            SCOPED_TRACE(file.filename().string());
            struct stat st {};
            ASSERT_EQ(::stat(file.c_str(), &st), 0);
            EXPECT_EQ(Read(file), "new");
            EXPECT_EQ(st.st_uid, c.ownerAfter);
            EXPECT_EQ(st.st_gid, c.groupAfter);
            EXPECT_EQ(st.st_mode & 07777, c.modeAfter);
        }
        EXPECT_EQ(Entries(f.path()).size(), files.size());
    }
}
