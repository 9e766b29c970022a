#include "platform/SaveFile.h"

#include "platform/ReadFile.h"
#include "platform/SaveTarget.h"

#include <cerrno>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
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

}  // namespace

namespace {

struct PendingFile {
    std::string shown;  // as the caller named it
    save::Folder folder;
    long nameMax = 255; // the longest name the folder's file system takes
    std::string name;   // in the folder, link resolved
    std::string temp;   // the new content, complete once written
    std::string backup; // the old content while the files are put in place
    bool existed = false;
    struct stat old {}; // what stood at the name
    int syncFd = -1;    // the new file, to sync a folder that cannot be read
};

void CloseFolders(std::vector<PendingFile>& pending)
{
    for (PendingFile& p : pending)
        for (int* fd : {&p.folder.fd, &p.syncFd})
            if (*fd >= 0) {
                ::close(*fd);
                *fd = -1;
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

// Gives a file the owner and group of the one it replaces, where the user may:
// the superuser may give both, another user their own file a group they
// belong to. Where neither is allowed, the file stays the user's.
bool KeepOwner(int fd, const struct stat& old)
{
    return ::fchown(fd, old.st_uid, old.st_gid) == 0 || ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0;
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
        const std::string temp = save::SpareName(pending.name, "new-", pending.nameMax);
        fd = ::openat(pending.folder.fd, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0)
            pending.temp = temp;
        else if (errno != EEXIST)
            break;
    }
    if (fd < 0)
        return Fail(error, pending.shown, ErrnoText(errno));

    // A replaced file keeps its owner, group and rights, though never a
    // set-user-id, set-group-id or sticky bit: the content is new. A link in
    // the private folder is no file of the user's and gives nothing. The owner
    // goes first, as a change of owner may clear rights.
    const bool replaces = pending.existed && S_ISREG(pending.old.st_mode);
    if (replaces)
        KeepOwner(fd, pending.old);
    ::fchmod(fd, replaces ? pending.old.st_mode & 0777 : NewFileMode());

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
    if (reason.empty() && !pending.folder.readable)
        pending.syncFd = ::dup(fd);
    if (::close(fd) != 0 && reason.empty())
        reason = ErrnoText(errno);
    if (!reason.empty())
        return Fail(error, pending.shown, reason);
    return true;
}

// Copies the old content to the spare name, with its rights; errno tells a
// failure, after which no spare file is left.
bool CopyOld(const PendingFile& p, const std::string& backup)
{
    const int from = ::openat(p.folder.fd, p.name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (from < 0)
        return false;
    const int to = ::openat(p.folder.fd, backup.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    int e = to < 0 ? errno : 0;
    char buffer[1 << 16];
    for (ssize_t n = 0; e == 0 && (n = ::read(from, buffer, sizeof buffer)) != 0;) {
        if (n < 0) {
            e = errno == EINTR ? 0 : errno;
            continue;
        }
        for (ssize_t done = 0, w = 0; e == 0 && done < n; done += w > 0 ? w : 0)
            if ((w = ::write(to, buffer + done, static_cast<size_t>(n - done))) < 0 && errno != EINTR)
                e = errno;
    }
    struct stat st {};
    if (e == 0 && ::fstat(from, &st) != 0)
        e = errno;
    if (e == 0)
        KeepOwner(to, st);
    if (e == 0 && (::fchmod(to, st.st_mode & 07777) != 0 || ::fsync(to) != 0))
        e = errno;
    ::close(from);
    if (to >= 0 && ::close(to) != 0 && e == 0)
        e = errno;
    if (to >= 0 && e != 0)
        ::unlinkat(p.folder.fd, backup.c_str(), 0);
    errno = e;
    return e == 0;
}

// Keeps the old content under a spare name while the new one takes its
// place: a second name for the same file, so the target is never missing;
// on a file system without such names (FAT) the old file is moved aside, and
// where neither is offered (some network and user-space file systems) it is
// copied.
bool KeepOld(PendingFile& p, std::string* reason)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string backup = save::SpareName(p.name, "old-", p.nameMax);
        bool kept = ::linkat(p.folder.fd, p.name.c_str(), p.folder.fd, backup.c_str(), 0) == 0;
        if (!kept && errno != EEXIST)
            kept = ::renameat2(p.folder.fd, p.name.c_str(), p.folder.fd, backup.c_str(), RENAME_NOREPLACE) == 0;
        if (!kept && (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP))
            kept = CopyOld(p, backup);
        if (kept) {
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
        } else {
            kept += "; " + p.shown + " is left with the new content";
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
    std::string reason;
    save::Target target;
    if (!save::OpenTarget(f.path, f.links == Links::AsTheSystem ? save::LastLink::Follow : save::LastLink::Refuse,
                          target, &reason))
        return Fail(error, f.path, reason);
    p.folder = target.folder;
    if (const long most = ::fpathconf(p.folder.fd, _PC_NAME_MAX); most > 0)
        p.nameMax = most;
    p.name = target.name;
    p.existed = target.exists;
    p.old = target.st;
    // Only a file is replaced by a file: a device or a pipe the user pointed
    // at is no content of theirs, and a folder in the way would refuse the
    // rename only after the files before it were replaced. A link in the
    // private folder is replaced, never followed.
    const mode_t kind = p.old.st_mode & S_IFMT;
    if (p.existed && kind != S_IFREG && !(kind == S_IFLNK && p.folder.isPrivate))
        return Fail(error, f.path,
                    (target.followed ? target.shown : "it") + " is not a regular file (" + FileKindText(kind) + ")");
    // A file its owner made read-only is not replaced behind their back, as
    // writing into it would not have been allowed either; the superuser, who
    // could have written into it, may replace it.
    if (p.existed && kind == S_IFREG && ::faccessat(p.folder.fd, p.name.c_str(), W_OK, 0) != 0)
        return Fail(error, f.path, ErrnoText(errno));
    return true;
}

// Two targets that lead to one file (a link to its partner, a second name of
// it, one name twice) would have the later content replace the earlier, so
// that the files would not be written whole: refused, naming both.
bool Distinct(const std::vector<PendingFile>& pending, SaveError* error)
{
    std::vector<struct stat> folders(pending.size());
    for (std::size_t i = 0; i < pending.size(); ++i) {
        if (::fstat(pending[i].folder.fd, &folders[i]) != 0)
            return Fail(error, pending[i].shown, ErrnoText(errno));
        for (std::size_t j = 0; j < i; ++j) {
            const PendingFile &a = pending[j], &b = pending[i];
            const bool sameName = folders[i].st_dev == folders[j].st_dev && folders[i].st_ino == folders[j].st_ino &&
                                  a.name == b.name;
            const bool sameFile = a.existed && b.existed && a.old.st_dev == b.old.st_dev && a.old.st_ino == b.old.st_ino;
            if (sameName || sameFile)
                return Fail(error, b.shown, "it leads to the same file as " + a.shown);
        }
    }
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
    // Every target is checked before any writer runs: a refused one leaves
    // nothing made, not even a temporary file.
    for (std::size_t i = 0; i < files.size(); ++i) {
        pending[i].shown = files[i].path;
        if (!Check(files[i], pending[i], error))
            return fail();
    }
    if (!Distinct(pending, error))
        return fail();
    for (std::size_t i = 0; i < files.size(); ++i)
        if (!WriteTemp(files[i], pending[i], error))
            return fail();
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
    // bring back the old names. A folder that cannot be read is reached
    // through its file system. A file system that offers no sync has nothing
    // to fail.
    SaveError unsynced;
    for (PendingFile& p : pending) {
        const int done = p.folder.readable ? ::fsync(p.folder.fd) : ::syncfs(p.syncFd);
        if (done != 0 && errno != EINVAL && errno != EROFS && unsynced.file.empty())
            unsynced = {p.shown, "the new content is in place, but the folder " + p.folder.path +
                                     " could not be synced: " + ErrnoText(errno)};
    }
    CloseFolders(pending);
    return unsynced.file.empty() || Fail(error, unsynced.file, unsynced.reason);
}

bool CheckSaveTargets(const std::vector<std::string>& paths, std::vector<std::string>& existing, SaveError* error)
{
    std::vector<PendingFile> pending(paths.size());
    bool passed = true;
    for (std::size_t i = 0; passed && i < paths.size(); ++i) {
        pending[i].shown = paths[i];
        passed = Check(FileContent{paths[i], {}}, pending[i], error);
        if (passed && pending[i].existed)
            existing.push_back(paths[i]);
    }
    passed = passed && Distinct(pending, error);
    CloseFolders(pending);
    return passed;
}

bool SaveFile(const std::string& path, const std::function<void(std::ostream&)>& write, SaveError* error)
{
    return SaveFiles({FileContent{path, write}}, error);
}

bool SaveBytes(const std::string& path, std::string_view bytes, SaveError* error, Links links)
{
    const auto write = [bytes](std::ostream& out) { out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())); };
    return SaveFiles({FileContent{path, write, links}}, error);
}

bool RemoveFile(const std::string& path, SaveError* error)
{
    save::Target target;
    std::string reason;
    if (!save::OpenTarget(path, save::LastLink::Keep, target, &reason))
        return Fail(error, path, reason);
    int e = 0;
    if (::unlinkat(target.folder.fd, target.name.c_str(), 0) != 0 && errno != ENOENT)
        e = errno;
    ::close(target.folder.fd);
    return e == 0 || Fail(error, path, ErrnoText(e));
}

}  // namespace platform
