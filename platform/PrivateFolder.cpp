#include "platform/PrivateFolder.h"

#include "platform/SaveTarget.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::string ErrnoText(int e) { return std::strerror(e); }

}  // namespace

std::string PrivateTempFolderName() { return save::PrivateFolderName(); }

bool MakePrivateFolder(const std::string& folder, std::string* error)
{
    auto refuse = [&](const std::string& why) {
        if (error)
            *error = "The folder " + folder + " " + why;
        return false;
    };
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return refuse("cannot be made: " + ErrnoText(errno));
    // From here on only the folder opened is asked and changed, never its
    // name: a link swapped in after the check cannot take the change of rights
    // to what it leads to.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 && errno == ENOTDIR) {
        // A link or no folder: which one, asked of what stands there, for the message.
        const int what = ::open(folder.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
        struct stat st {};
        const bool link = what >= 0 && ::fstat(what, &st) == 0 && S_ISLNK(st.st_mode);
        if (what >= 0)
            ::close(what);
        return refuse(link ? "is a link, not a folder of its own" : "is not a folder");
    }
    if (fd < 0)
        return refuse("cannot be read: " + ErrnoText(errno));
    struct stat st {};
    std::string why;
    if (::fstat(fd, &st) != 0)
        why = "cannot be read: " + ErrnoText(errno);
    else if (!S_ISDIR(st.st_mode))
        why = "is not a folder";
    else if (st.st_uid != ::geteuid())
        why = "belongs to another user";
    // Ours, but once made with other rights: made private before use, as
    // every save there checks.
    else if ((st.st_mode & 0777) != 0700 && ::fchmod(fd, 0700) != 0)
        why = "cannot be made private: " + ErrnoText(errno);
    ::close(fd);
    return why.empty() || refuse(why);
}

std::string PrivateTempFolder(std::string* error)
{
    const std::string folder = PrivateTempFolderName();
    return MakePrivateFolder(folder, error) ? folder : std::string();
}

bool InPrivateFolder(const std::string& path) { return save::IsPrivateFolder(std::filesystem::path(path).parent_path()); }

}  // namespace platform
