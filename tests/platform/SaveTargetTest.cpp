// Where a save may go: only over regular files, through links only where the
// system would follow them, into folders that cannot be listed, under names as
// long as the file system takes; and what it does when the system refuses a
// step.
#include "platform/SaveFile.h"

#include "CallFaults.h"
#include "support/AsNobody.h"

#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

std::string Read(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return in ? s.str() : std::string("<missing>");
}

void Put(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

std::vector<std::string> Entries(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::function<void(std::ostream&)> Text(const std::string& s)
{
    return [s](std::ostream& o) { o << s; };
}

struct Folder {
    QTemporaryDir dir;
    fs::path operator/(const std::string& name) const { return path() / name; }
    fs::path path() const { return dir.path().toStdString(); }
};

unsigned KindOf(const fs::path& p)
{
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

}  // namespace

// Nothing but a regular file is replaced, named directly or through a link:
// the save says what stands there, and it stays what it was.
TEST(SaveTarget, WhatIsNoRegularFileIsRefusedAndStaysAsItWas)
{
    Folder f;
    ASSERT_EQ(::mkfifo((f / "pipe").c_str(), 0600), 0);
    fs::create_directory(f / "folder");
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, (f / "socket").c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    // A copy of /dev/null, where the system lets us make one.
    const bool device = ::mknod((f / "null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0;
    for (const char* to : {"pipe", "folder", "socket", "null"})
        fs::create_symlink(f / to, f / (std::string("link-to-") + to));
    struct Case {
        std::string name;   // what the save is given
        std::string shown;  // what the reason names
        const char* kind;
    };
    const std::vector<Case> cases = {
        {"pipe", "it", "a named pipe"},
        {"socket", "it", "a socket"},
        {"link-to-pipe", (f / "pipe").string(), "a named pipe"},
        {"link-to-folder", (f / "folder").string(), "a folder"},
        {"link-to-socket", (f / "socket").string(), "a socket"},
        {"link-to-null", (f / "null").string(), "a character device"},
    };
    const std::vector<std::string> before = Entries(f.path());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.name == "link-to-null" && !device)
            continue;  // mknod refused here
        const fs::path named = f / c.name;
        const unsigned kind = KindOf(named), pointedKind = KindOf(f / c.shown);
        platform::SaveError error;
        EXPECT_FALSE(platform::SaveFile(named.string(), Text("new"), &error));
        EXPECT_EQ(error.Message(),
                  "Cannot write the file " + named.string() + ": " + c.shown + " is not a regular file (" + c.kind + ")");
        EXPECT_EQ(KindOf(named), kind);
        EXPECT_EQ(KindOf(f / c.shown), pointedKind);
        EXPECT_EQ(Entries(f.path()), before);
    }
    ::close(sock);
}

// In a sticky folder everyone may write (/tmp), a link is followed only when
// it is the user's or the folder owner's: another user cannot steer a save
// onto a file of theirs outside it. Elsewhere a link is followed.
TEST(SaveTarget, ALinkInASharedStickyFolderIsFollowedOnlyWhereTheSystemWould)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a link to another user needs the superuser";
    const uid_t nobody = 65534;
    struct Case {
        mode_t folderMode;
        uid_t folderOwner, linkOwner;
        bool followed;
    };
    const std::vector<Case> cases = {
        {01777, 0, nobody, false},
        {01777, 0, 0, true},           // the user's own link
        {01777, nobody, nobody, true}, // the folder owner's link
        {0777, 0, nobody, true},       // not sticky
        {01755, 0, nobody, true},      // not open to everyone
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::oct << c.folderMode << std::dec << " folder " << c.folderOwner
                                        << " link " << c.linkOwner);
        Folder f;
        const fs::path shared = f / "shared", outside = f / "passwd";
        const std::string old = std::string("root:x:0:0\n\0\xff", 13);
        Put(outside, old);
        fs::create_directory(shared);
        ASSERT_EQ(::chmod(shared.c_str(), c.folderMode), 0);
        ASSERT_EQ(::chown(shared.c_str(), c.folderOwner, c.folderOwner), 0);
        const fs::path link = shared / "RoleConcepts.gml";
        fs::create_symlink(outside, link);
        ASSERT_EQ(::lchown(link.c_str(), c.linkOwner, c.linkOwner), 0);
        platform::SaveError error;
        EXPECT_EQ(platform::SaveFile(link.string(), Text("graph"), &error), c.followed) << error.Message();
        EXPECT_EQ(Read(outside), c.followed ? "graph" : old);
        EXPECT_TRUE(fs::is_symlink(link));
        if (!c.followed) {
            EXPECT_EQ(error.reason, "the link " + link.string() +
                                        " belongs to another user in a folder open to everyone, so it is not followed");
        }
    }
}

// Names up to the longest the file system takes save, alone and in a pair
// whose old content is kept under a spare name meanwhile.
TEST(SaveTarget, NamesAsLongAsTheFileSystemTakesSave)
{
    const std::vector<std::string> names = {std::string(246, 'n') + ".txt", std::string(251, 'n') + ".txt",
                                            [] {
                                                std::string accents;
                                                for (int i = 0; i < 125; ++i)
                                                    accents += "\xc3\xa9";  // é
                                                return accents + ".txt";
                                            }()};
    for (const std::string& name : names) {
        SCOPED_TRACE(name.size());
        Folder f;
        Put(f / name, "old");
        platform::SaveError error;
        EXPECT_TRUE(platform::SaveFile((f / name).string(), Text("one"), &error)) << error.Message();
        EXPECT_EQ(Read(f / name), "one");
        EXPECT_TRUE(platform::SaveFiles({{(f / name).string(), Text("two")}, {(f / "b.data").string(), Text("b")}},
                                        &error))
            << error.Message();
        EXPECT_EQ(Read(f / name), "two");
        EXPECT_EQ(Entries(f.path()), (std::vector<std::string>{"b.data", name}));
    }
}

// A folder others may write into but not list takes saves, new files and
// replaced ones alike.
TEST(SaveTarget, ADropBoxFolderTakesSaves)
{
    Folder f;
    const fs::path box = f / "box";
    fs::create_directory(box);
    ::chmod(f.path().c_str(), 0755);
    ::chmod(box.c_str(), 0733);
    const int result = AsNobody([&] {
        for (const char* content : {"first", "second"}) {
            platform::SaveError error;
            if (!platform::SaveFiles({{(box / "a.names").string(), Text(content)}, {(box / "a.data").string(), Text(content)}},
                                     &error)) {
                std::fprintf(stderr, "%s\n", error.Message().c_str());
                return 1;
            }
        }
        return 0;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Read(box / "a.names"), "second");
    EXPECT_EQ(Read(box / "a.data"), "second");
    EXPECT_EQ(Entries(box), (std::vector<std::string>{"a.data", "a.names"}));
}

// The system refuses a step: second names and the rename that keeps a name
// (some network and user-space file systems), the removal of a new file when
// putting back, the sync of the folder.
TEST(SaveTarget, WhenTheSystemRefusesAStep)
{
    const auto noSecondNames = [](const std::string& call, int, const std::string&) {
        return call == "linkat" ? EPERM : call == "renameat2" ? EINVAL : 0;
    };
    const auto newFileStays = [](const std::string& call, int, const std::string& name) {
        return call == "unlinkat" && name == "a.names" ? EBUSY : 0;
    };
    const auto folderUnsynced = [](const std::string& call, int fd, const std::string&) {
        struct stat st {};
        return call == "fsync" && ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) ? EIO : 0;
    };
    struct Case {
        const char* what;
        CallFaults::Rule rule;
        bool namesExisted, secondRenameRefused, saved;
        std::string reasonEnd;  // how the reason ends ("" when saved)
        std::string names;      // a.names afterwards
    };
    const std::vector<Case> cases = {
        {"no second names, saved", noSecondNames, true, false, true, "", "new names"},
        {"no second names, put back", noSecondNames, true, true, false, std::strerror(EISDIR), "old names"},
        {"a new file that cannot go again", newFileStays, false, true, false, "a.names is left with the new content",
         "new names"},
        {"the folder cannot be synced", folderUnsynced, true, false, false, std::strerror(EIO), "new names"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Folder f;
        if (c.namesExisted)
            Put(f / "a.names", "old names");
        Put(f / "a.data", "old data");
        ::chmod((f / "a.data").c_str(), 0640);
        const auto second = [&](std::ostream& o) {
            if (c.secondRenameRefused) {
                fs::rename(f / "a.data", f / "moved.data");
                fs::create_directory(f / "a.data");
            }
            o << "new data";
        };
        platform::SaveError error;
        bool saved = false;
        {
            const CallFaults faults(c.rule);
            saved = platform::SaveFiles({{(f / "a.names").string(), Text("new names")}, {(f / "a.data").string(), second}},
                                        &error);
        }
        EXPECT_EQ(saved, c.saved) << error.Message();
        EXPECT_TRUE(error.reason.size() >= c.reasonEnd.size() &&
                    error.reason.compare(error.reason.size() - c.reasonEnd.size(), c.reasonEnd.size(), c.reasonEnd) == 0)
            << error.reason;
        EXPECT_EQ(Read(f / "a.names"), c.names);
        if (!c.secondRenameRefused) {
            EXPECT_EQ(Read(f / "a.data"), "new data");
            EXPECT_EQ(fs::status(f / "a.data").permissions(), fs::perms(0640));
        }
        // No spare or temporary file stays.
        EXPECT_EQ(Entries(f.path()).size(), c.secondRenameRefused ? 3u : 2u);
    }
}
