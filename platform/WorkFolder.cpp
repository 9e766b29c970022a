#include "platform/WorkFolder.h"

#include "platform/Descriptor.h"
#include "platform/PrivateFolder.h"
#include "platform/SaveTarget.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

// A learner's work folder holds a few levels at most; deeper ones are left
// rather than walked without end.
constexpr int kDeepest = 32;
// Our own reason beside the system's: a folder nested deeper than kDeepest.
constexpr int kTooDeep = -1;

std::string Reason(int e)
{
    if (e == kTooDeep)
        return "it holds folders nested more than " + std::to_string(kDeepest) + " deep";
    return std::strerror(e);
}

// The private folder opened as it stands, never through a link: -1 with errno
// (ELOOP or ENOTDIR for a link or no folder) when it cannot be had.
int OpenPrivateFolder()
{
    return ::open(PrivateTempFolderName().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

int OpenFolderIn(int at, const std::string& name)
{
    return ::openat(at, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// Whether the open folder is the user's own with rights 0700.
bool OwnAndPrivate(int fd)
{
    struct stat st {};
    return ::fstat(fd, &st) == 0 && st.st_uid == ::geteuid() && (st.st_mode & 0777) == 0700;
}

std::string RandomLetters()
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 random{std::random_device{}() ^ static_cast<std::uint64_t>(::getpid())};
    std::string text(6, 'x');
    for (char& c : text)
        c = letters[random() % (sizeof letters - 1)];
    return text;
}

// The names in the open folder (the descriptor is taken), "." and ".." left
// out; false with errno when it cannot be read.
bool ReadNames(int fd, std::vector<std::string>& names)
{
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        const int e = errno;
        ::close(fd);
        errno = e;
        return false;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    return true;
}

// Empties the folder open as fd (the descriptor is taken): files and links
// are unlinked, never followed, folders emptied first. 0, or the first
// error met (kTooDeep for a folder nested too deep).
int Empty(int fd, int depth)
{
    // The names first: a folder changed while it is read may skip some.
    std::vector<std::string> names;
    const Descriptor folder(::dup(fd));
    if (folder.Get() < 0) {
        const int e = errno;
        ::close(fd);
        return e;
    }
    if (!ReadNames(fd, names))
        return errno;
    const int at = folder.Get();
    int error = 0;
    const auto note = [&error](int e) {
        if (error == 0 && e != ENOENT)
            error = e;
    };
    for (const std::string& name : names) {
        struct stat st {};
        if (::fstatat(at, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            note(errno);
            continue;
        }
        if (!S_ISDIR(st.st_mode)) {
            if (::unlinkat(at, name.c_str(), 0) != 0)
                note(errno);
            continue;
        }
        if (depth >= kDeepest) {
            note(kTooDeep);
            continue;
        }
        const int sub = OpenFolderIn(at, name);
        const int e = sub < 0 ? errno : Empty(sub, depth + 1);
        if (e != 0)
            note(e);
        else if (::unlinkat(at, name.c_str(), AT_REMOVEDIR) != 0)
            note(errno);
    }
    return error;
}

// Removes the folder at the name in the open folder with everything in it:
// 0, or the first error met.
int RemoveIn(int at, const std::string& name)
{
    const int work = OpenFolderIn(at, name);
    if (work < 0)
        return errno;
    if (const int e = Empty(work, 0); e != 0)
        return e;
    return ::unlinkat(at, name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT ? 0 : errno;
}

// The steps of making a work folder, each with its one way out: a step that
// fails says why in error and the later ones are not taken.
struct Making {
    std::string prefix;
    std::string own;     // the private folder
    Descriptor folder;   // the private folder as checked
    std::string name;    // the new folder's, in it
    Descriptor made;     // the new folder
    std::string error;
};

bool Fail(Making& m, const std::string& why)
{
    m.error = why;
    return false;
}

bool FailToMake(Making& m, int e) { return Fail(m, "No work folder can be made in " + m.own + ": " + Reason(e)); }

// The folder just checked is the one opened: a link swapped in since is not
// followed, and the check is made again on what was opened.
bool OpenPrivate(Making& m)
{
    m.own = PrivateTempFolder(&m.error);
    if (m.own.empty())
        return false;
    m.folder.Reset(OpenPrivateFolder());
    if (m.folder.Get() < 0 && (errno == ELOOP || errno == ENOTDIR))
        return Fail(m, "The folder " + m.own + " is a link, not a folder of its own");
    struct stat st {};
    if (m.folder.Get() < 0 || ::fstat(m.folder.Get(), &st) != 0)
        return Fail(m, "The folder " + m.own + " cannot be read: " + std::strerror(errno));
    if (!OwnAndPrivate(m.folder.Get()))
        return Fail(m, "The folder " + m.own + " is not private to this user");
    return true;
}

// "<prefix>.<six letters>", owner only whatever the umask took away. A folder
// made but not opened or not made private goes again before the error is told.
bool MakeNew(Making& m)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        m.name = m.prefix + "." + RandomLetters();
        if (::mkdirat(m.folder.Get(), m.name.c_str(), 0700) != 0) {
            if (errno == EEXIST)
                continue;
            return FailToMake(m, errno);
        }
        m.made.Reset(OpenFolderIn(m.folder.Get(), m.name));
        if (m.made.Get() >= 0 && ::fchmod(m.made.Get(), 0700) == 0)
            return true;
        const int e = errno;
        m.made.Reset(-1);
        ::unlinkat(m.folder.Get(), m.name.c_str(), AT_REMOVEDIR);
        return FailToMake(m, e);
    }
    return FailToMake(m, EEXIST);
}

// The new folder locked for as long as the caller holds it: a start of the
// program clears away only folders that nobody holds (RemoveEndedWorkFolders).
// It cannot be locked by another before: that start waits for the private
// folder, held shared while folders are made.
bool MakeLocked(Making& m)
{
    if (::flock(m.folder.Get(), LOCK_SH) != 0)
        return FailToMake(m, errno);
    if (!MakeNew(m))
        return false;
    if (::flock(m.made.Get(), LOCK_EX | LOCK_NB) == 0)
        return true;
    const int e = errno;
    m.made.Reset(-1);
    ::unlinkat(m.folder.Get(), m.name.c_str(), AT_REMOVEDIR);
    return FailToMake(m, e);
}

// Its path, or empty with the reason in *error; *lock, when given, holds the
// folder locked.
std::string Make(const std::string& prefix, std::string* error, Descriptor* lock)
{
    Making m;
    m.prefix = prefix;
    const bool made = OpenPrivate(m) && (lock ? MakeLocked(m) : MakeNew(m));
    if (!made) {
        if (error)
            *error = m.error;
        return {};
    }
    if (lock)
        lock->Reset(m.made.Release());
    return (std::filesystem::path(m.own) / m.name).string();
}

// The folder's own name, whether or not its path ends in a slash.
std::string FolderName(const std::string& path)
{
    std::filesystem::path normal = std::filesystem::path(path).lexically_normal();
    if (!normal.has_filename())
        normal = normal.parent_path();
    return normal.filename().string();
}

}  // namespace

std::string MakeWorkFolder(const std::string& prefix, std::string* error) { return Make(prefix, error, nullptr); }

bool RemoveWorkFolder(const std::string& path, std::string* error)
{
    const auto fail = [error, &path](const std::string& why) {
        if (error)
            *error = "The folder " + path + " cannot be removed: " + why;
        return false;
    };
    const std::string name = FolderName(path);
    if (save::PrivateDepth(path) != 2 || name.empty() || name == "." || name == "..")
        return fail("it is no work folder in " + PrivateTempFolderName());
    const Descriptor folder(OpenPrivateFolder());
    if (folder.Get() < 0)
        return errno == ENOENT || fail(Reason(errno));
    struct stat st {};
    if (::fstatat(folder.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT || fail(Reason(errno));
    // Whatever stands at the name instead of the folder goes, never what it leads to.
    if (!S_ISDIR(st.st_mode))
        return ::unlinkat(folder.Get(), name.c_str(), 0) == 0 || errno == ENOENT || fail(Reason(errno));
    const int e = RemoveIn(folder.Get(), name);
    return e == 0 || fail(Reason(e));
}

int RemoveEndedWorkFolders(const std::string& prefix)
{
    const Descriptor folder(OpenPrivateFolder());
    // Not ours, or none: nothing in it is touched.
    if (folder.Get() < 0 || !OwnAndPrivate(folder.Get()))
        return 0;
    // No folder is being made meanwhile (see MakeLocked).
    if (::flock(folder.Get(), LOCK_EX) != 0)
        return 0;
    std::vector<std::string> names;
    if (!ReadNames(::dup(folder.Get()), names))
        return 0;
    int removed = 0;
    for (const std::string& name : names) {
        if (!name.starts_with(prefix + "."))
            continue;
        // A folder only (a link there is left as it stands), and one that no
        // running copy holds: its lock is free once the copy has ended,
        // however it ended.
        const Descriptor work(OpenFolderIn(folder.Get(), name));
        if (work.Get() < 0 || ::flock(work.Get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        if (RemoveIn(folder.Get(), name) == 0)
            ++removed;
    }
    return removed;
}

WorkFolder::~WorkFolder()
{
    // Removed while still locked: no start of the program takes it meanwhile.
    if (!path_.empty())
        RemoveWorkFolder(path_);
}

bool WorkFolder::Make(const std::string& prefix, std::string* error)
{
    if (!path_.empty())
        RemoveWorkFolder(path_);
    lock_.Reset(-1);
    path_ = platform::Make(prefix, error, &lock_);
    return !path_.empty();
}

std::string WorkFolder::File(const std::string& name) const { return (std::filesystem::path(path_) / name).string(); }

}  // namespace platform
