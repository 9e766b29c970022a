#include "platform/SaveTarget.h"

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

bool IsPrivateFolder(std::filesystem::path folder)
{
    if (folder.empty())
        folder = ".";
    std::error_code ec;
    std::filesystem::path normal = std::filesystem::absolute(folder, ec).lexically_normal();
    if (!normal.has_filename() && normal != normal.root_path())
        normal = normal.parent_path();
    return !ec && normal.string() == PrivateFolderName();
}

namespace {

// A descriptor closed when it goes out of scope.
class Held {
public:
    explicit Held(int fd = -1) : fd_(fd) {}
    ~Held() { Reset(-1); }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    int Get() const { return fd_; }
    void Reset(int fd)
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    int Release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

// Puts the names of a path, in order and without the empty ones between
// slashes, in front of those still to walk.
void PrependNames(const std::string& path, std::deque<std::string>& names)
{
    std::vector<std::string> split;
    for (std::size_t at = 0; at < path.size();) {
        const std::size_t end = std::min(path.find('/', at), path.size());
        if (end > at)
            split.push_back(path.substr(at, end - at));
        at = end + 1;
    }
    names.insert(names.begin(), split.begin(), split.end());
}

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

bool OpenTarget(const std::string& path, LastLink last, Target& target, std::string* reason)
{
    // The system gives up on a chain this long as well.
    constexpr int kMostLinks = 40;
    const std::filesystem::path given(path);
    Folder& folder = target.folder;
    folder.isPrivate = IsPrivateFolder(given.parent_path());
    std::deque<std::string> names;
    if (folder.isPrivate) {
        // The folder is reached by its one name; a link in the file's place is
        // replaced.
        PrependNames(PrivateFolderName() + "/" + given.filename().string(), names);
        last = LastLink::Keep;
    } else {
        PrependNames(path, names);
    }
    if (names.empty() || path.back() == '/' || names.back() == "." || names.back() == "..") {
        *reason = std::strerror(path.empty() ? ENOENT : EISDIR);
        return false;
    }
    const bool fromRoot = folder.isPrivate || path.front() == '/';
    Held at(::open(fromRoot ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    std::filesystem::path where = fromRoot ? "/" : "";
    int hops = 0;
    const auto fail = [&](const std::string& why) {
        // What keeps the private folder from being had is told with its name.
        *reason = folder.isPrivate && !why.starts_with("the ") ? "the folder " + PrivateFolderName() + ": " + why : why;
        return false;
    };
    while (at.Get() >= 0 && !names.empty()) {
        const std::string name = names.front();
        names.pop_front();
        const bool isLast = names.empty();
        if (name == "." || name == "..") {
            if (name == "..")
                at.Reset(::openat(at.Get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
            // The folder held has no links in its name: going up is going up the name.
            where = name == ".." ? (where / "..").lexically_normal() : where;
            continue;
        }
        // A folder on the way is opened as a folder first, which mounts it
        // where the system mounts folders on first use; anything else (a link)
        // is opened as it stands, and is checked for what it is then.
        Held here(isLast ? -1 : ::openat(at.Get(), name.c_str(), O_PATH | O_NOFOLLOW | O_DIRECTORY | O_CLOEXEC));
        if (here.Get() < 0 && (isLast || errno == ENOTDIR))
            here.Reset(::openat(at.Get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat st {};
        if (here.Get() < 0 && isLast && errno == ENOENT) {
            target.name = name;  // a new file
            break;
        }
        if (here.Get() < 0 || ::fstat(here.Get(), &st) != 0)
            return fail(std::strerror(errno));
        const std::string shown = Shown(where / name);
        if (S_ISLNK(st.st_mode) && folder.isPrivate && names.size() == 1)
            return fail("the folder " + shown + " is a link, not a folder of its own");
        if (!S_ISLNK(st.st_mode) || (isLast && last == LastLink::Keep)) {
            if (isLast) {
                target.name = name;
                target.exists = true;
                target.st = st;
                break;
            }
            if (!S_ISDIR(st.st_mode))
                return fail(std::strerror(ENOTDIR));
            at.Reset(here.Release());
            where /= name;
            continue;
        }
        if (isLast && last == LastLink::Refuse)
            return fail((hops == 0 ? std::string("it") : shown) + " is a link, and this file is never written through one");
        if (!MayFollow(at.Get(), st))
            return fail("the link " + shown + " belongs to another user in a folder open to everyone, so it is not followed");
        if (++hops > kMostLinks)
            return fail(std::strerror(ELOOP));
        char to[PATH_MAX];
        const ssize_t n = ::readlinkat(here.Get(), "", to, sizeof to);
        if (n <= 0 || static_cast<std::size_t>(n) >= sizeof to)
            return fail(std::strerror(n < 0 ? errno : n == 0 ? ENOENT : ENAMETOOLONG));
        const std::string link(to, static_cast<std::size_t>(n));
        if (isLast && (link.back() == '/'))
            return fail(std::strerror(EISDIR));
        // Relative to the folder holding the link, absolute from the root.
        if (link.front() == '/') {
            at.Reset(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
            where = "/";
        }
        PrependNames(link, names);
        if (names.empty() || (isLast && (names.back() == "." || names.back() == "..")))
            return fail(std::strerror(EISDIR));
    }
    if (at.Get() < 0)
        return fail(std::strerror(errno));
    target.followed = hops > 0;
    target.shown = Shown(where / target.name);
    folder.path = Shown(where);
    // Opened for reading where the user may list it, so that it can be synced.
    folder.fd = ::openat(at.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    folder.readable = folder.fd >= 0;
    if (!folder.readable && (errno != EACCES || folder.isPrivate))
        return fail(std::strerror(errno));
    if (!folder.readable)
        folder.fd = at.Release();
    struct stat st {};
    if (folder.isPrivate && (::fstat(folder.fd, &st) != 0 || st.st_uid != ::geteuid() || (st.st_mode & 0777) != 0700)) {
        ::close(folder.fd);
        folder.fd = -1;
        return fail("the folder " + folder.path + " is not private to this user");
    }
    return true;
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
