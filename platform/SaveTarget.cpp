#include "platform/SaveTarget.h"

#include "platform/Descriptor.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace platform::save {

std::string PrivateFolderName()
{
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec)
        base = "/tmp";
    return (base / ("velotrask-" + std::to_string(::geteuid()))).lexically_normal().string();
}

namespace {

// The folder's path as one name after the other, absolute and without "." or
// ".."; empty when it cannot be had.
std::filesystem::path NormalFolder(std::filesystem::path folder)
{
    if (folder.empty())
        folder = ".";
    std::error_code ec;
    std::filesystem::path normal = std::filesystem::absolute(folder, ec).lexically_normal();
    if (!normal.has_filename() && normal != normal.root_path())
        normal = normal.parent_path();
    return ec ? std::filesystem::path() : normal;
}

}  // namespace

int PrivateDepth(const std::filesystem::path& folder)
{
    const std::filesystem::path normal = NormalFolder(folder);
    if (normal.empty())
        return 0;
    const std::string own = PrivateFolderName();
    if (normal.string() == own)
        return 1;
    return normal.has_filename() && normal.parent_path().string() == own ? 2 : 0;
}

bool IsPrivateFolder(std::filesystem::path folder) { return PrivateDepth(folder) > 0; }

namespace {

// A path as the messages show it: no slash at the end but for the root, "."
// for the current folder.
std::string Shown(const std::filesystem::path& p)
{
    std::string s = p.string();
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s.empty() ? "." : s;
}

// The system's own rule for a link in a shared sticky folder, where another
// user could have planted it: followed only when it is the follower's or the
// folder's owner's.
bool MayFollow(int folder, const struct stat& link)
{
    struct stat st {};
    if (::fstat(folder, &st) != 0)
        return false;
    const bool shared = (st.st_mode & (S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH);
    return !shared || link.st_uid == ::geteuid() || link.st_uid == st.st_uid;
}

}  // namespace

namespace {

// The system gives up on a chain of links this long as well.
constexpr int kMostLinks = 40;

// One name still to walk. The private folder's own name is marked: it is
// never a link, wherever links before it led.
struct Name {
    std::string text;
    bool privateFolder = false;
};

// A walk of one path, a name at a time, from a folder held open.
struct Walk {
    std::deque<Name> names;  // still to walk
    Descriptor at;                 // the folder reached
    std::filesystem::path where;  // its path, as the messages show it
    int hops = 0;                 // links followed
    int privateDepth = 0;         // the file goes to the private folder (1) or a work folder in it (2)
    std::string privateShown;     // that folder
    std::string* reason = nullptr;

    // A system error on the way: where the file goes to the private folder
    // or a work folder in it, told with that folder's name, as it is what
    // cannot be had.
    bool SystemError(int e)
    {
        *reason = privateDepth > 0 ? "the folder " + privateShown + ": " + std::strerror(e) : std::strerror(e);
        return false;
    }
    // A refusal, which names what it refuses.
    bool Refused(const std::string& why)
    {
        *reason = why;
        return false;
    }
};

// Puts the names of a path, in order and without the empty ones between
// slashes, in front of those still to walk.
void PrependNames(const std::string& path, std::deque<Name>& names)
{
    std::vector<Name> split;
    for (std::size_t at = 0; at < path.size();) {
        const std::size_t end = std::min(path.find('/', at), path.size());
        if (end > at)
            split.push_back({path.substr(at, end - at)});
        at = end + 1;
    }
    names.insert(names.begin(), split.begin(), split.end());
}

// Open the start folder: the root for a whole path and for the private folder,
// which is reached by its one name, else the current folder. False with the
// reason when there is no file name to walk to.
bool OpenStart(const std::string& path, Walk& walk)
{
    const std::filesystem::path given(path);
    if (walk.privateDepth > 0) {
        // The private folder, and the work folder in it, by their names alone
        // and never through a link.
        const std::string own = PrivateFolderName();
        const std::string work = walk.privateDepth == 2 ? NormalFolder(given.parent_path()).filename().string() : "";
        walk.privateShown = work.empty() ? own : own + "/" + work;
        PrependNames(given.filename().string(), walk.names);
        if (!work.empty())
            walk.names.push_front({work, true});
        const std::size_t after = walk.names.size();
        PrependNames(own, walk.names);
        walk.names[walk.names.size() - after - 1].privateFolder = true;
    } else {
        PrependNames(path, walk.names);
    }
    if (walk.names.empty() || path.back() == '/' || walk.names.back().text == "." || walk.names.back().text == "..") {
        *walk.reason = std::strerror(path.empty() ? ENOENT : EISDIR);
        return false;
    }
    const bool fromRoot = walk.privateDepth > 0 || path.front() == '/';
    walk.at.Reset(::open(fromRoot ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    walk.where = fromRoot ? "/" : "";
    return walk.at.Get() >= 0 || walk.SystemError(errno);
}

// Opens a name in the folder reached without following it. A folder on the
// way is opened as a folder first, which mounts it where the system mounts
// folders on first use; anything else (a link) is opened as it stands, and is
// checked for what it is then.
int OpenName(const Walk& walk, const std::string& name, bool isLast)
{
    int fd = isLast ? -1 : ::openat(walk.at.Get(), name.c_str(), O_PATH | O_NOFOLLOW | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 && (isLast || errno == ENOTDIR))
        fd = ::openat(walk.at.Get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    return fd;
}

// "." stays, ".." goes up: the folder held has no links in its name, so going
// up is going up the name.
bool StayOrGoUp(Walk& walk, const std::string& name)
{
    if (name == "..") {
        walk.at.Reset(::openat(walk.at.Get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
        walk.where = (walk.where / "..").lexically_normal();
    }
    return walk.at.Get() >= 0 || walk.SystemError(errno);
}

// Go into a folder opened on the way: it must be one.
bool EnterFolder(Walk& walk, const std::string& name, Descriptor& here, const struct stat& st)
{
    if (!S_ISDIR(st.st_mode))
        return walk.SystemError(ENOTDIR);
    walk.at.Reset(here.Release());
    walk.where /= name;
    return true;
}

// Follow a link under the sticky-folder rule: in a folder everyone may write
// that is sticky, only the user's or the folder owner's. Its names go in front
// of those still to walk, relative to the folder holding it, absolute from
// the root.
bool FollowLink(Walk& walk, const std::string& shown, bool isLast, const Descriptor& here, const struct stat& st)
{
    if (!MayFollow(walk.at.Get(), st))
        return walk.Refused("the link " + shown +
                            " belongs to another user in a folder open to everyone, so it is not followed");
    if (++walk.hops > kMostLinks)
        return walk.SystemError(ELOOP);
    char to[PATH_MAX];
    const ssize_t n = ::readlinkat(here.Get(), "", to, sizeof to);
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof to)
        return walk.SystemError(n < 0 ? errno : n == 0 ? ENOENT : ENAMETOOLONG);
    const std::string link(to, static_cast<std::size_t>(n));
    if (isLast && link.back() == '/')
        return walk.SystemError(EISDIR);
    if (link.front() == '/') {
        walk.at.Reset(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
        walk.where = "/";
    }
    PrependNames(link, walk.names);
    if (walk.names.empty() || (isLast && (walk.names.back().text == "." || walk.names.back().text == "..")))
        return walk.SystemError(EISDIR);
    return walk.at.Get() >= 0 || walk.SystemError(errno);
}

// Open the last name: what stands there (or that nothing does, a new file)
// is the target's, a link kept as the name itself.
void TakeLastName(const std::string& name, const struct stat* st, Target& target)
{
    target.name = name;
    target.exists = st != nullptr;
    if (st)
        target.st = *st;
}

// Holds the folder reached for the target: opened for reading where the user
// may list it, so that it can be synced; the private folder must be ours with
// rights 0700.
bool HoldFolder(Walk& walk, Target& target)
{
    Folder& folder = target.folder;
    target.followed = walk.hops > 0;
    target.shown = Shown(walk.where / target.name);
    folder.path = Shown(walk.where);
    folder.fd = ::openat(walk.at.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    folder.readable = folder.fd >= 0;
    if (!folder.readable && (errno != EACCES || folder.isPrivate))
        return walk.SystemError(errno);
    if (!folder.readable)
        folder.fd = walk.at.Release();
    struct stat st {};
    if (folder.isPrivate && (::fstat(folder.fd, &st) != 0 || st.st_uid != ::geteuid() || (st.st_mode & 0777) != 0700)) {
        ::close(folder.fd);
        folder.fd = -1;
        return walk.Refused("the folder " + folder.path + " is not private to this user");
    }
    return true;
}

}  // namespace

bool OpenTarget(const std::string& path, LastLink last, Target& target, std::string* reason)
{
    Walk walk;
    walk.reason = reason;
    walk.privateDepth = PrivateDepth(std::filesystem::path(path).parent_path());
    target.folder.isPrivate = walk.privateDepth > 0;
    // In the private folder a link in the file's place is replaced.
    if (target.folder.isPrivate)
        last = LastLink::Keep;
    if (!OpenStart(path, walk))
        return false;
    while (!walk.names.empty()) {
        const Name name = walk.names.front();
        walk.names.pop_front();
        const bool isLast = walk.names.empty();
        if (name.text == "." || name.text == "..") {
            if (!StayOrGoUp(walk, name.text))
                return false;
            continue;
        }
        struct stat st {};
        Descriptor here(OpenName(walk, name.text, isLast));
        if (here.Get() < 0 && isLast && errno == ENOENT) {
            TakeLastName(name.text, nullptr, target);  // a new file
            break;
        }
        if (here.Get() < 0 || ::fstat(here.Get(), &st) != 0)
            return walk.SystemError(errno);
        const std::string shown = Shown(walk.where / name.text);
        const bool link = S_ISLNK(st.st_mode);
        if (link && name.privateFolder)
            return walk.Refused("the folder " + shown + " is a link, not a folder of its own");
        if (isLast && (!link || last == LastLink::Keep)) {
            TakeLastName(name.text, &st, target);
            break;
        }
        if (!link) {
            if (!EnterFolder(walk, name.text, here, st))
                return false;
            continue;
        }
        if (isLast && last == LastLink::Refuse)
            return walk.Refused((walk.hops == 0 ? std::string("it") : shown) +
                                " is a link, and this file is never written through one");
        if (!FollowLink(walk, shown, isLast, here, st))
            return false;
    }
    return HoldFolder(walk, target);
}

std::string SpareName(const std::string& name, const char* tag, long nameMax)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 random{std::random_device{}() ^ static_cast<std::uint64_t>(::getpid())};
    constexpr std::size_t kLetters = 6;
    const std::size_t fixed = 2 + std::strlen(tag) + kLetters;
    std::size_t keep = name.size();
    if (nameMax > 0 && fixed + keep > static_cast<std::size_t>(nameMax)) {
        keep = static_cast<std::size_t>(nameMax) > fixed ? static_cast<std::size_t>(nameMax) - fixed : 0;
        // Not in the middle of a UTF-8 character.
        while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
            --keep;
    }
    std::string spare = "." + name.substr(0, keep) + "." + tag;
    for (std::size_t i = 0; i < kLetters; ++i)
        spare += letters[random() % (sizeof letters - 1)];
    return spare;
}

}  // namespace platform::save
