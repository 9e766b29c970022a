#include "platform/WorkFolder.h"

#include "platform/Descriptor.h"
#include "platform/SaveFile.h"
#include "platform/SaveTarget.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

// The private folder opened as it stands, never through a link: -1 with errno
// (ELOOP or ENOTDIR for a link or no folder) when it cannot be had.
int OpenPrivateFolder()
{
    return ::open(PrivateTempFolderName().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
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

// A learner's work folder holds a few levels at most; deeper ones are left
// rather than walked without end.
constexpr int kDeepest = 32;

// Empties the folder open as fd (the descriptor is taken): files and links
// are unlinked, never followed, folders emptied first. 0, or the first
// system error met.
int Empty(int fd, int depth)
{
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        const int e = errno;
        ::close(fd);
        return e;
    }
    // The names first: a folder changed while it is read may skip some.
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    const int at = ::dirfd(dir);
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
            note(ELOOP);
            continue;
        }
        const int sub = ::openat(at, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int e = sub < 0 ? errno : Empty(sub, depth + 1);
        if (e != 0)
            note(e);
        else if (::unlinkat(at, name.c_str(), AT_REMOVEDIR) != 0)
            note(errno);
    }
    ::closedir(dir);
    return error;
}

}  // namespace

std::string MakeWorkFolder(const std::string& prefix, std::string* error)
{
    std::string why;
    const std::string own = PrivateTempFolder(&why);
    const auto fail = [error](const std::string& text) {
        if (error)
            *error = text;
        return std::string();
    };
    if (own.empty())
        return fail(why);
    // The folder just checked is the one opened: a link swapped in since is
    // not followed, and the check is made again on what was opened.
    const Descriptor folder(OpenPrivateFolder());
    struct stat st {};
    if (folder.Get() < 0 && (errno == ELOOP || errno == ENOTDIR))
        return fail("The folder " + own + " is a link, not a folder of its own");
    if (folder.Get() < 0 || ::fstat(folder.Get(), &st) != 0)
        return fail("The folder " + own + " cannot be read: " + std::strerror(errno));
    if (st.st_uid != ::geteuid() || (st.st_mode & 0777) != 0700)
        return fail("The folder " + own + " is not private to this user");
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = prefix + "." + RandomLetters();
        if (::mkdirat(folder.Get(), name.c_str(), 0700) != 0) {
            if (errno == EEXIST)
                continue;
            return fail("No work folder can be made in " + own + ": " + std::strerror(errno));
        }
        // Owner only whatever the umask took away.
        const Descriptor made(::openat(folder.Get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (made.Get() < 0 || ::fchmod(made.Get(), 0700) != 0)
            return fail("No work folder can be made in " + own + ": " + std::strerror(errno));
        return (std::filesystem::path(own) / name).string();
    }
    return fail("No work folder can be made in " + own + ": " + std::strerror(EEXIST));
}

bool RemoveWorkFolder(const std::string& path, std::string* error)
{
    const auto fail = [error, &path](int e) {
        if (error)
            *error = "The folder " + path + " cannot be removed: " + std::strerror(e);
        return false;
    };
    if (save::PrivateDepth(path) != 2)
        return fail(EINVAL);
    const std::string name = std::filesystem::path(path).lexically_normal().filename().string();
    const Descriptor folder(OpenPrivateFolder());
    if (folder.Get() < 0)
        return errno == ENOENT || fail(errno);
    struct stat st {};
    if (::fstatat(folder.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT || fail(errno);
    // Whatever stands at the name instead of the folder goes, never what it leads to.
    if (!S_ISDIR(st.st_mode))
        return ::unlinkat(folder.Get(), name.c_str(), 0) == 0 || errno == ENOENT || fail(errno);
    const int work = ::openat(folder.Get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (work < 0)
        return fail(errno);
    if (const int e = Empty(work, 0); e != 0)
        return fail(e);
    return ::unlinkat(folder.Get(), name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT || fail(errno);
}

WorkFolder::~WorkFolder()
{
    if (!path_.empty())
        RemoveWorkFolder(path_);
}

bool WorkFolder::Make(const std::string& prefix, std::string* error)
{
    if (!path_.empty())
        RemoveWorkFolder(path_);
    path_ = MakeWorkFolder(prefix, error);
    return !path_.empty();
}

std::string WorkFolder::File(const std::string& name) const { return (std::filesystem::path(path_) / name).string(); }

}  // namespace platform
