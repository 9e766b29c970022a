#include "platform/SaveFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <random>
#include <streambuf>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::string ErrnoText(int e) { return std::strerror(e); }

// A stream buffer straight onto a file descriptor that remembers the first
// write error, so that a full disk fails the save instead of being lost in a
// buffer.
class FdBuffer : public std::streambuf {
public:
    explicit FdBuffer(int fd) : fd_(fd) { setp(buffer_, buffer_ + sizeof buffer_); }
    int Error() const { return error_; }
    bool Flush() { return sync() == 0; }

protected:
    int_type overflow(int_type ch) override
    {
        if (!Drain())
            return traits_type::eof();
        if (!traits_type::eq_int_type(ch, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(ch);
            pbump(1);
        }
        return traits_type::not_eof(ch);
    }
    int sync() override { return Drain() ? 0 : -1; }

private:
    bool Drain()
    {
        const char* p = pbase();
        while (p < pptr()) {
            if (error_ != 0)
                return false;
            const ssize_t n = ::write(fd_, p, static_cast<size_t>(pptr() - p));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                error_ = errno;
                return false;
            }
            p += n;
        }
        setp(buffer_, buffer_ + sizeof buffer_);
        return error_ == 0;
    }

    int fd_;
    int error_ = 0;
    char buffer_[1 << 16];
};

mode_t NewFileMode()
{
    // The umask can only be read by setting it; done once, before any thread
    // of ours could make files.
    static const mode_t mask = [] {
        const mode_t m = ::umask(022);
        ::umask(m);
        return m;
    }();
    return 0666 & ~mask;
}

// A name beside the target nobody uses yet: ".<name>.<tag><six letters>".
std::string SpareName(const std::string& name, const char* tag)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 random{std::random_device{}() ^ static_cast<std::uint64_t>(::getpid())};
    std::string spare = "." + name + "." + tag;
    for (int i = 0; i < 6; ++i)
        spare += letters[random() % (sizeof letters - 1)];
    return spare;
}

}  // namespace

std::string PrivateTempFolderName()
{
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec)
        base = "/tmp";
    return (base / ("velotrask-" + std::to_string(::geteuid()))).lexically_normal().string();
}

namespace {

bool IsPrivateFolder(std::filesystem::path folder)
{
    if (folder.empty())
        folder = ".";
    std::error_code ec;
    std::filesystem::path normal = std::filesystem::absolute(folder, ec).lexically_normal();
    if (!normal.has_filename() && normal != normal.root_path())
        normal = normal.parent_path();
    return !ec && normal.string() == PrivateTempFolderName();
}

// A folder held open while its files are written, renamed and synced: every
// step works on this very folder, whatever its name comes to mean meanwhile.
struct Folder {
    std::string path;
    int fd = -1;
    bool isPrivate = false;
};

// Opens the folder of a file. The private folder is opened without following
// a link in its place and must be ours and closed to others, as
// MakePrivateFolder left it; any other folder is the user's and may well be a
// link.
bool OpenFolder(const std::filesystem::path& file, Folder& folder, std::string* reason)
{
    std::filesystem::path parent = file.parent_path();
    if (parent.empty())
        parent = ".";
    folder.path = parent.string();
    folder.isPrivate = IsPrivateFolder(parent);
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (folder.isPrivate ? O_NOFOLLOW : 0);
    folder.fd = ::open(folder.path.c_str(), flags);
    if (folder.fd < 0) {
        const int e = errno;
        struct stat st {};
        const bool link = folder.isPrivate && ::lstat(folder.path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
        *reason = link                ? "the folder " + folder.path + " is a link, not a folder of its own"
                  : folder.isPrivate ? "the folder " + folder.path + ": " + ErrnoText(e)
                                     : ErrnoText(e);
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

// Where the content really goes: a link's target, so that saving over a link
// replaces the file it points to and keeps the link. In the private folder a
// name is taken as it stands: a link there is replaced, never followed out.
std::string ResolvedTarget(const std::string& path)
{
    std::error_code ec;
    if (IsPrivateFolder(std::filesystem::path(path).parent_path()))
        return path;
    if (std::filesystem::is_symlink(path, ec)) {
        const std::filesystem::path target = std::filesystem::weakly_canonical(path, ec);
        if (!ec)
            return target.string();
    }
    return path;
}

struct PendingFile {
    std::string shown;  // as the caller named it
    Folder folder;
    std::string name;   // in the folder, link resolved
    std::string temp;   // the new content, complete once written
    std::string backup; // the old content while the files are put in place
    bool existed = false;
};

void CloseFolders(std::vector<PendingFile>& pending)
{
    for (PendingFile& p : pending)
        if (p.folder.fd >= 0) {
            ::close(p.folder.fd);
            p.folder.fd = -1;
        }
}

void RemoveTemps(std::vector<PendingFile>& pending)
{
    for (PendingFile& p : pending)
        if (!p.temp.empty()) {
            ::unlinkat(p.folder.fd, p.temp.c_str(), 0);
            p.temp.clear();
        }
}

bool Fail(SaveError* error, const std::string& file, const std::string& reason)
{
    if (error)
        *error = SaveError{file, reason};
    return false;
}

// Writes one content into a fresh temporary file beside the target; on
// success pending.temp names the complete, flushed and closed file.
bool WriteTemp(const FileContent& content, PendingFile& pending, SaveError* error)
{
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        const std::string temp = SpareName(pending.name, "new-");
        fd = ::openat(pending.folder.fd, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0)
            pending.temp = temp;
        else if (errno != EEXIST)
            break;
    }
    if (fd < 0)
        return Fail(error, pending.shown, ErrnoText(errno));

    struct stat old {};
    const mode_t mode =
        ::fstatat(pending.folder.fd, pending.name.c_str(), &old, 0) == 0 ? (old.st_mode & 07777) : NewFileMode();
    ::fchmod(fd, mode);

    FdBuffer buffer(fd);
    std::ostream out(&buffer);
    std::string reason;
    try {
        if (content.write)
            content.write(out);
    } catch (const std::exception& e) {
        reason = e.what();
    } catch (...) {
        reason = "the writer failed";
    }
    if (reason.empty()) {
        out.flush();
        if (buffer.Error() != 0)
            reason = ErrnoText(buffer.Error());
        else if (!out)
            reason = "the content could not be written";
    }
    if (reason.empty() && ::fsync(fd) != 0)
        reason = ErrnoText(errno);
    if (::close(fd) != 0 && reason.empty())
        reason = ErrnoText(errno);
    if (!reason.empty())
        return Fail(error, pending.shown, reason);
    return true;
}

// Keeps the old content under a spare name while the new one takes its
// place: a second name for the same file, so the target is never missing;
// on a file system without such names (FAT) the old file is moved aside.
bool KeepOld(PendingFile& p, std::string* reason)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string backup = SpareName(p.name, "old-");
        if (::linkat(p.folder.fd, p.name.c_str(), p.folder.fd, backup.c_str(), 0) == 0 ||
            (errno != EEXIST &&
             ::renameat2(p.folder.fd, p.name.c_str(), p.folder.fd, backup.c_str(), RENAME_NOREPLACE) == 0)) {
            p.backup = backup;
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    *reason = ErrnoText(errno);
    return false;
}

// Puts back what the files before a failed rename held; a file that cannot be
// put back keeps its old content under its spare name, which the reason tells.
std::string PutBack(std::vector<PendingFile>& pending, std::size_t count)
{
    std::string kept;
    for (std::size_t i = 0; i < count; ++i) {
        PendingFile& p = pending[i];
        if (p.existed && p.backup.empty())
            continue;  // the failed one, never replaced
        // A second name of the file it replaces: the rename leaves both names.
        const bool back = p.existed ? ::renameat(p.folder.fd, p.backup.c_str(), p.folder.fd, p.name.c_str()) == 0
                                    : i + 1 == count || ::unlinkat(p.folder.fd, p.name.c_str(), 0) == 0;
        if (back) {
            if (p.existed)
                ::unlinkat(p.folder.fd, p.backup.c_str(), 0);
            p.backup.clear();
        } else if (p.existed) {
            kept += "; the old " + p.shown + " is kept as " + (std::filesystem::path(p.folder.path) / p.backup).string();
        }
    }
    return kept;
}

void RemoveBackups(std::vector<PendingFile>& pending)
{
    for (PendingFile& p : pending)
        if (!p.backup.empty()) {
            ::unlinkat(p.folder.fd, p.backup.c_str(), 0);
            p.backup.clear();
        }
}

bool Check(const FileContent& f, PendingFile& p, SaveError* error)
{
    if (f.path.empty())
        return Fail(error, f.path, "no file name");
    const std::filesystem::path target(ResolvedTarget(f.path));
    std::string reason;
    if (!OpenFolder(target, p.folder, &reason))
        return Fail(error, f.path, reason);
    p.name = target.filename().string();
    struct stat st {};
    p.existed = ::fstatat(p.folder.fd, p.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    // A folder in the way would refuse the rename only after the files
    // before it were replaced.
    if (p.existed && S_ISDIR(st.st_mode))
        return Fail(error, f.path, ErrnoText(EISDIR));
    // A file its owner made read-only is not replaced behind their back, as
    // writing into it would not have been allowed either; the superuser, who
    // could have written into it, may replace it.
    if (p.existed && ::faccessat(p.folder.fd, p.name.c_str(), W_OK, 0) != 0)
        return Fail(error, f.path, ErrnoText(errno));
    return true;
}

}  // namespace

std::string SaveError::Message() const { return "Cannot write the file " + file + ": " + reason; }

bool SaveFiles(const std::vector<FileContent>& files, SaveError* error)
{
    std::vector<PendingFile> pending(files.size());
    const auto fail = [&] {
        RemoveTemps(pending);
        CloseFolders(pending);
        return false;
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        pending[i].shown = files[i].path;
        if (!Check(files[i], pending[i], error) || !WriteTemp(files[i], pending[i], error))
            return fail();
    }
    // Every file is complete: only now are the old ones replaced. Each but the
    // last keeps its old content under a spare name until all are in place,
    // so that a rename refused midway can put the earlier files back.
    for (std::size_t i = 0; i < pending.size(); ++i) {
        PendingFile& p = pending[i];
        std::string reason;
        const bool kept = i + 1 == pending.size() || !p.existed || KeepOld(p, &reason);
        if (kept && ::renameat(p.folder.fd, p.temp.c_str(), p.folder.fd, p.name.c_str()) == 0) {
            p.temp.clear();
            continue;
        }
        if (kept)
            reason = ErrnoText(errno);
        reason += PutBack(pending, i + 1);
        Fail(error, p.shown, reason);
        return fail();
    }
    RemoveBackups(pending);
    // The renames reach the disk with the folder: without this a crash could
    // bring back the old names.
    for (PendingFile& p : pending)
        ::fsync(p.folder.fd);
    CloseFolders(pending);
    return true;
}

bool SaveFile(const std::string& path, const std::function<void(std::ostream&)>& write, SaveError* error)
{
    return SaveFiles({FileContent{path, write}}, error);
}

bool SaveBytes(const std::string& path, std::string_view bytes, SaveError* error)
{
    return SaveFile(path, [bytes](std::ostream& out) { out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())); },
                    error);
}

bool RemoveFile(const std::string& path, SaveError* error)
{
    PendingFile p;
    std::string reason;
    if (!OpenFolder(std::filesystem::path(path), p.folder, &reason))
        return Fail(error, path, reason);
    const std::string name = std::filesystem::path(path).filename().string();
    int e = 0;
    if (::unlinkat(p.folder.fd, name.c_str(), 0) != 0 && errno != ENOENT)
        e = errno;
    ::close(p.folder.fd);
    return e == 0 || Fail(error, path, ErrnoText(e));
}

bool MakePrivateFolder(const std::string& folder, std::string* error)
{
    auto refuse = [&](const std::string& why) {
        if (error)
            *error = "The folder " + folder + " " + why;
        return false;
    };
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return refuse("cannot be made: " + ErrnoText(errno));
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0)
        return refuse("cannot be read: " + ErrnoText(errno));
    if (S_ISLNK(st.st_mode))
        return refuse("is a link, not a folder of its own");
    if (!S_ISDIR(st.st_mode))
        return refuse("is not a folder");
    if (st.st_uid != ::geteuid())
        return refuse("belongs to another user");
    // Ours, but once made with wider rights: close it before use.
    if ((st.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0)
        return refuse("cannot be made private: " + ErrnoText(errno));
    return true;
}

std::string PrivateTempFolder(std::string* error)
{
    const std::string folder = PrivateTempFolderName();
    return MakePrivateFolder(folder, error) ? folder : std::string();
}

bool InPrivateFolder(const std::string& path) { return IsPrivateFolder(std::filesystem::path(path).parent_path()); }

std::string PrivateTempFile(const std::string& name, std::string* error)
{
    const std::string folder = PrivateTempFolder(error);
    return folder.empty() ? std::string() : (std::filesystem::path(folder) / name).string();
}

}  // namespace platform
