#include "platform/SaveTarget.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

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

bool OpenFolder(const std::filesystem::path& file, Folder& folder, std::string* reason)
{
    std::filesystem::path parent = file.parent_path();
    if (parent.empty())
        parent = ".";
    folder.path = parent.string();
    folder.isPrivate = IsPrivateFolder(parent);
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (folder.isPrivate ? O_NOFOLLOW : 0);
    folder.fd = ::open(folder.path.c_str(), flags);
    folder.readable = folder.fd >= 0;
    // A drop box (write and search, no listing) cannot be opened for reading,
    // but its names can be made and replaced all the same.
    if (folder.fd < 0 && errno == EACCES && !folder.isPrivate)
        folder.fd = ::open(folder.path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder.fd < 0) {
        const int e = errno;
        struct stat st {};
        const bool link = folder.isPrivate && ::lstat(folder.path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
        *reason = link                ? "the folder " + folder.path + " is a link, not a folder of its own"
                  : folder.isPrivate ? "the folder " + folder.path + ": " + std::strerror(e)
                                     : std::strerror(e);
        return false;
    }
    if (folder.isPrivate) {
        struct stat st {};
        if (::fstat(folder.fd, &st) != 0 || st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) {
            *reason = "the folder " + folder.path + " is not private to this user";
            ::close(folder.fd);
            folder.fd = -1;
            return false;
        }
    }
    return true;
}

bool ResolveTarget(const std::string& path, bool followLinks, std::string* target, std::string* reason)
{
    // The system gives up on a chain this long as well.
    constexpr int kMostLinks = 40;
    std::string current = path;
    for (int hops = 0;; ++hops) {
        const std::filesystem::path parent = std::filesystem::path(current).parent_path();
        struct stat st {};
        if (IsPrivateFolder(parent) || ::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            *target = current;
            return true;
        }
        if (!followLinks) {
            *reason = "it is a link, and this file is never written through one";
            return false;
        }
        // The system's own rule for links in shared sticky folders: there
        // another user could have planted the link.
        struct stat folder {};
        const bool shared = ::stat(parent.empty() ? "." : parent.c_str(), &folder) == 0 &&
                            (folder.st_mode & (S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH);
        if (shared && st.st_uid != ::geteuid() && st.st_uid != folder.st_uid) {
            *reason = "the link " + current + " belongs to another user in a folder open to everyone, so it is not followed";
            return false;
        }
        if (hops == kMostLinks) {
            *reason = std::strerror(ELOOP);
            return false;
        }
        std::string to(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4095) + 1, '\0');
        const ssize_t n = ::readlink(current.c_str(), to.data(), to.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= to.size()) {
            *target = current;  // changed meanwhile: the folder and the file checks report it
            return true;
        }
        to.resize(static_cast<std::size_t>(n));
        current = to.front() == '/' || parent.empty() ? to : (parent / to).string();
    }
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
