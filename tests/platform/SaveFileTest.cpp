#include "platform/PrivateFolder.h"
#include "platform/SaveFile.h"

#include "support/AsNobody.h"
#include "support/TestData.h"

#include <QTemporaryDir>

#include <cerrno>
#include <dlfcn.h>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gmock/gmock.h>
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

// Everything in the folder, so that a temporary file left behind shows.
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

unsigned KindOf(const fs::path& p)
{
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

struct Folder {
    QTemporaryDir dir;
    fs::path operator/(const std::string& name) const { return fs::path(dir.path().toStdString()) / name; }
    fs::path path() const { return dir.path().toStdString(); }
};

// While a test sets it, the rule makes chosen file system calls fail, as a file
// system that lacks them or a failing disk would: this program defines the
// calls in front of the C library's and passes on what the rule lets by. Told
// the call and the descriptor and name it is about; the errno, or 0.
std::function<int(const std::string& call, int fd, const std::string& name)> g_failCall;

template <class... Args>
int Call(const char* call, int fd, const char* name, Args... args)
{
    if (const int e = g_failCall ? g_failCall(call, fd, name ? name : "") : 0) {
        errno = e;
        return -1;
    }
    return reinterpret_cast<int (*)(Args...)>(::dlsym(RTLD_NEXT, call))(args...);
}

}  // namespace

extern "C" {
int linkat(int from, const char* fromName, int to, const char* toName, int flags) noexcept
{
    return Call("linkat", to, toName, from, fromName, to, toName, flags);
}
int renameat2(int from, const char* fromName, int to, const char* toName, unsigned flags) noexcept
{
    return Call("renameat2", to, toName, from, fromName, to, toName, flags);
}
int unlinkat(int folder, const char* name, int flags) noexcept { return Call("unlinkat", folder, name, folder, name, flags); }
int fsync(int fd) { return Call("fsync", fd, nullptr, fd); }
}

TEST(SaveFile, ReplacesTheOldContentAndKeepsItsRights)
{
    Folder f;
    const fs::path target = f / "fields.txt";
    Put(target, "old rows\n");
    ::chmod(target.c_str(), 0640);
    platform::SaveError error;
    ASSERT_TRUE(platform::SaveFile(target.string(), Text("new rows\n"), &error)) << error.Message();
    EXPECT_EQ(Read(target), "new rows\n");
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(Entries(f.path()), std::vector<std::string>{"fields.txt"});
}

TEST(SaveFile, ALinkKeepsPointingAtTheNewContent)
{
    Folder f;
    Put(f / "real.txt", "old");
    fs::create_symlink(f / "real.txt", f / "link.txt");
    ASSERT_TRUE(platform::SaveFile((f / "link.txt").string(), Text("new")));
    EXPECT_TRUE(fs::is_symlink(f / "link.txt"));
    EXPECT_EQ(Read(f / "real.txt"), "new");
    ASSERT_TRUE(platform::RemoveFile((f / "link.txt").string()));  // the link goes, never what it leads to
    EXPECT_EQ(Entries(f.path()), std::vector<std::string>{"real.txt"});
}

// Each way a save can fail midway leaves the old files as they were and no
// temporary file behind.
TEST(SaveFile, AFailedSaveLeavesTheOldFilesAndNoTemporaryFile)
{
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::function<void(std::ostream&)>>> files;
    };
    const std::string big(100000, 'x');
    const std::vector<Case> cases = {
        {"writer fails its stream halfway",
         {{"a.arff", [&](std::ostream& o) { o << big; o.setstate(std::ios::failbit); }}}},
        {"writer throws halfway",
         {{"a.arff", [&](std::ostream& o) { o << big; throw std::runtime_error("value out of range"); }}}},
        {"second file of a pair fails",
         {{"a.names", Text("new names")}, {"a.data", [&](std::ostream& o) { o << big; o.setstate(std::ios::badbit); }}}},
        {"second file's folder is missing",
         {{"a.names", Text("new names")}, {"missing/a.data", Text("new data")}}},
        {"a folder stands where the second file goes",
         {{"a.names", Text("new names")}, {"taken", Text("new data")}}},
        // Two names of one file: the second content would replace the first.
        {"the second file is a link to the first",
         {{"a.names", Text("new names")}, {"link.data", Text("new data")}}},
        {"one name twice", {{"a.names", Text("new names")}, {"a.names", Text("new data")}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Folder f;
        Put(f / "a.arff", "old arff");
        Put(f / "a.names", "old names");
        Put(f / "a.data", "old data");
        fs::create_directory(f / "taken");
        fs::create_symlink("a.names", f / "link.data");
        const std::vector<std::string> before = Entries(f.path());
        std::vector<platform::FileContent> contents;
        for (const auto& [name, write] : c.files)
            contents.push_back({(f / name).string(), write});
        platform::SaveError error;
        EXPECT_FALSE(platform::SaveFiles(contents, &error));
        EXPECT_FALSE(error.reason.empty());
        EXPECT_NE(error.Message().find(error.file), std::string::npos);
        EXPECT_EQ(Read(f / "a.arff"), "old arff");
        EXPECT_EQ(Read(f / "a.names"), "old names");
        EXPECT_EQ(Read(f / "a.data"), "old data");
        EXPECT_EQ(Entries(f.path()), before);
    }
}

namespace {

// Saves over the read-only file as an unprivileged user ("nobody" in a child
// under root), after a file beside it shows that the folder is open to that
// user. 0: refused for want of rights; 1 saved; 2 anything else.
int SaveAsUserOver(const fs::path& target)
{
    const auto save = [target] {
        platform::SaveError error;
        if (!platform::SaveFile((target.parent_path() / "beside.txt").string(), Text("beside")))
            return 2;
        if (platform::SaveFile(target.string(), Text("new"), &error))
            return 1;
        return error.reason == std::strerror(EACCES) && error.file == target.string() ? 0 : 2;
    };
    return AsNobody(save);
}

}  // namespace

TEST(SaveFile, AReadOnlyFileIsNotReplaced)
{
    Folder f;
    ::chmod(f.path().c_str(), 0777);
    const fs::path target = f / "kept.txt";
    Put(target, "old");
    ::chmod(target.c_str(), 0444);
    EXPECT_EQ(SaveAsUserOver(target), 0);
    EXPECT_EQ(Read(target), "old");
    EXPECT_EQ(Entries(f.path()), (std::vector<std::string>{"beside.txt", "kept.txt"}));
    // The superuser could write into it all the same, so may replace it.
    EXPECT_TRUE(::geteuid() != 0 || (platform::SaveFile(target.string(), Text("new")) && Read(target) == "new"));
}

// The second target turns into a folder after the check, so that its rename is
// refused once the first file was replaced: the first gets its old content
// back, or goes again when it is new, and no spare copy stays.
TEST(SaveFile, ARefusedSecondRenamePutsTheFirstFileBack)
{
    for (const bool firstExisted : {true, false}) {
        SCOPED_TRACE(firstExisted);
        Folder f;
        if (firstExisted)
            Put(f / "a.names", "old names");
        Put(f / "a.data", "old data");
        const auto second = [&](std::ostream& o) {
            fs::rename(f / "a.data", f / "moved.data");
            fs::create_directory(f / "a.data");
            o << "new data";
        };
        platform::SaveError error;
        EXPECT_FALSE(platform::SaveFiles(
            {{(f / "a.names").string(), Text("new names")}, {(f / "a.data").string(), second}}, &error));
        EXPECT_EQ(error.Message(), "Cannot write the file " + (f / "a.data").string() + ": " + std::strerror(EISDIR));
        EXPECT_EQ(Read(f / "a.names"), firstExisted ? "old names" : "<missing>");
        EXPECT_EQ(Read(f / "moved.data"), "old data");
        EXPECT_EQ(Entries(f.path()).size(), firstExisted ? 3u : 2u);
    }
}

// The private folder checked, then swapped for a link to a folder of the
// same user: saving and removing there go nowhere through the link.
TEST(PrivateFolder, AFolderSwappedForALinkIsNotWrittenThrough)
{
    Folder f;
    const OwnTmpDir tmp(f.path());
    std::string why;
    const fs::path folder = platform::PrivateTempFolder(&why);
    ASSERT_FALSE(folder.empty()) << why;
    const std::string file = (folder / "test.data").string();
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
    EXPECT_EQ(error.reason, "the folder " + folder.string() + " is a link, not a folder of its own");
    EXPECT_FALSE(platform::RemoveFile((folder / "results.txt").string(), &error));
    EXPECT_EQ(Entries(f / "elsewhere"), std::vector<std::string>{"results.txt"});

    // Back as it was, but open to others, closed to its owner or another
    // user's (where we may give it away): refused too.
    fs::remove(folder);
    fs::rename(f / "gone", folder);
    for (const auto& [mode, owner] : {std::pair{0755u, ::geteuid()}, {0500u, ::geteuid()}, {0700u, 65534u}}) {
        SCOPED_TRACE(mode);
        if (::chown(folder.c_str(), owner, static_cast<gid_t>(-1)) != 0)
            continue;
        ::chmod(folder.c_str(), mode);
        EXPECT_FALSE(platform::SaveFile(file, Text("new"), &error));
        EXPECT_EQ(error.reason, "the folder " + folder.string() + " is not private to this user");
        EXPECT_EQ(Read(file), "first");
    }
    fs::remove_all(folder);  // a system error on the way is told with the folder's name
    EXPECT_FALSE(platform::SaveFile(file, Text("new"), &error));
    EXPECT_EQ(error.reason, "the folder " + folder.string() + ": " + std::strerror(ENOENT));
}

TEST(SaveFile, AFullDiskLeavesTheOldFile)
{
    // A file size limit makes the disk "full" after 4096 bytes for this
    // process; the signal it would raise is ignored so that write() fails.
    Folder f;
    const fs::path target = f / "fields.txt";
    const std::string old(200 * 40, 'o');
    Put(target, old);
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    platform::SaveError error;
    const bool saved_ok = platform::SaveFile(target.string(), Text(std::string(200 * 41, 'n')), &error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(saved_ok);
    EXPECT_EQ(error.file, target.string());
    EXPECT_EQ(error.reason, std::strerror(EFBIG));
    EXPECT_EQ(Read(target), old);
    EXPECT_EQ(Entries(f.path()), std::vector<std::string>{"fields.txt"});
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
    // Ours with wider rights: closed again.
    ::chmod(fresh.c_str(), 0777);
    ASSERT_TRUE(platform::MakePrivateFolder(fresh.string(), &error)) << error;
    ASSERT_EQ(::lstat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

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
    std::string folder;
    {
        const OwnTmpDir tmp(f.path());
        std::string error;
        folder = platform::PrivateTempFolder(&error);
        ASSERT_FALSE(folder.empty()) << error;
    }
    EXPECT_EQ(folder, (f / ("velotrask-" + std::to_string(::geteuid()))).string());
    EXPECT_TRUE(fs::is_directory(folder));
}

// Nothing but a regular file is replaced, named directly or through a link:
// the save says what stands there, and it stays what it was.
TEST(SaveFile, WhatIsNoRegularFileIsRefusedAndStaysAsItWas)
{
    Folder f;
    ASSERT_EQ(::mkfifo((f / "pipe").c_str(), 0600), 0);
    fs::create_directory(f / "folder");
    // A copy of /dev/null, where the system lets us make one.
    const bool device = ::mknod((f / "null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0;
    for (const char* to : {"pipe", "folder", "null"})
        fs::create_symlink(f / to, f / (std::string("link-to-") + to));
    struct Case {
        std::string name;   // what the save is given
        std::string shown;  // what the reason names
        const char* kind;
    };
    const std::vector<Case> cases = {
        {"pipe", "it", "a named pipe"},
        {"link-to-pipe", (f / "pipe").string(), "a named pipe"},
        {"link-to-folder", (f / "folder").string(), "a folder"},
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
}

// Names up to the longest the file system takes save, alone and in a pair
// whose old content is kept under a spare name meanwhile.
TEST(SaveFile, NamesAsLongAsTheFileSystemTakesSave)
{
    std::string accents;  // 250 bytes of "é", not to be cut midway
    for (int i = 0; i < 125; ++i)
        accents += "\xc3\xa9";
    const std::vector<std::string> names = {std::string(246, 'n') + ".txt", std::string(251, 'n') + ".txt", accents};
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
TEST(SaveFile, ADropBoxFolderTakesSaves)
{
    Folder f;
    const fs::path box = f / "box";
    fs::create_directory(box);
    ::chmod(f.path().c_str(), 0755);
    ::chmod(box.c_str(), 0733);
    const int result = AsNobody([&] {
        for (const char* content : {"first", "second"}) {
            if (!platform::SaveFiles({{(box / "a.names").string(), Text(content)}, {(box / "a.data").string(), Text(content)}}))
                return 1;
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
TEST(SaveFile, WhenTheSystemRefusesAStep)
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
        decltype(g_failCall) rule;
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
        g_failCall = c.rule;
        const bool saved = platform::SaveFiles({{(f / "a.names").string(), Text("new names")}, {(f / "a.data").string(), second}},
                                               &error);
        g_failCall = nullptr;
        EXPECT_EQ(saved, c.saved) << error.Message();
        EXPECT_THAT(error.reason, testing::EndsWith(c.reasonEnd));
        EXPECT_EQ(Read(f / "a.names"), c.names);
        if (!c.secondRenameRefused) {
            EXPECT_EQ(Read(f / "a.data"), "new data");
            EXPECT_EQ(fs::status(f / "a.data").permissions(), fs::perms(0640));
        }
        // No spare or temporary file stays.
        EXPECT_EQ(Entries(f.path()).size(), c.secondRenameRefused ? 3u : 2u);
    }
}
