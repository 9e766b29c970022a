#include "platform/SaveFile.h"

#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

struct Folder {
    QTemporaryDir dir;
    fs::path operator/(const std::string& name) const { return fs::path(dir.path().toStdString()) / name; }
    fs::path path() const { return dir.path().toStdString(); }
};

}  // namespace

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
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Folder f;
        Put(f / "a.arff", "old arff");
        Put(f / "a.names", "old names");
        Put(f / "a.data", "old data");
        fs::create_directory(f / "taken");
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
    if (::geteuid() != 0)
        return save();
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0 ? save() : 2);
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// TMPDIR pointed at a folder of the test's own while it lives.
struct OwnTmpDir {
    bool had = std::getenv("TMPDIR") != nullptr;
    std::string saved = had ? std::getenv("TMPDIR") : "";
    explicit OwnTmpDir(const fs::path& dir) { ::setenv("TMPDIR", dir.c_str(), 1); }
    ~OwnTmpDir() { had ? ::setenv("TMPDIR", saved.c_str(), 1) : ::unsetenv("TMPDIR"); }
};

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

    // Back as it was, but open to others: refused too.
    fs::remove(folder);
    fs::rename(f / "gone", folder);
    ::chmod(folder.c_str(), 0755);
    EXPECT_FALSE(platform::SaveFile(file, Text("new"), &error));
    EXPECT_EQ(Read(file), "first");
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
