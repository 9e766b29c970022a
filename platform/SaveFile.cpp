#include "platform/SaveFile.h"

#include <cerrno>
#include <cstdlib>
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

// Where the content really goes: a link's target, so that saving over a link
// replaces the file it points to and keeps the link.
std::string ResolvedTarget(const std::string& path)
{
    std::error_code ec;
    if (std::filesystem::is_symlink(path, ec)) {
        const std::filesystem::path target = std::filesystem::weakly_canonical(path, ec);
        if (!ec)
            return target.string();
    }
    return path;
}

struct PendingFile {
    std::string target;  // resolved
    std::string shown;   // as the caller named it
    std::string temp;
};

void RemoveTemps(const std::vector<PendingFile>& pending)
{
    for (const PendingFile& p : pending)
        if (!p.temp.empty())
            ::unlink(p.temp.c_str());
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
    const std::filesystem::path target(pending.target);
    std::filesystem::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return Fail(error, pending.shown, ErrnoText(errno));
    pending.temp = pattern;

    struct stat old {};
    const mode_t mode = ::stat(pending.target.c_str(), &old) == 0 ? (old.st_mode & 07777) : NewFileMode();
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

}  // namespace

std::string SaveError::Message() const { return "Cannot write the file " + file + ": " + reason; }

bool SaveFiles(const std::vector<FileContent>& files, SaveError* error)
{
    std::vector<PendingFile> pending;
    pending.reserve(files.size());
    for (const FileContent& f : files) {
        pending.push_back({ResolvedTarget(f.path), f.path, {}});
        if (f.path.empty()) {
            RemoveTemps(pending);
            return Fail(error, f.path, "no file name");
        }
        // A folder in the way would refuse the rename only after the files
        // before it were replaced: a format of several files would be left
        // half new.
        std::error_code ec;
        if (std::filesystem::is_directory(pending.back().target, ec)) {
            RemoveTemps(pending);
            return Fail(error, f.path, ErrnoText(EISDIR));
        }
        // A file its owner made read-only is not replaced behind their back,
        // as writing into it would not have been allowed either.
        if (::access(pending.back().target.c_str(), F_OK) == 0 && ::access(pending.back().target.c_str(), W_OK) != 0) {
            const int e = errno;
            RemoveTemps(pending);
            return Fail(error, f.path, ErrnoText(e));
        }
        if (!WriteTemp(f, pending.back(), error)) {
            RemoveTemps(pending);
            return false;
        }
    }
    // Every file is complete: only now are the old ones replaced.
    for (size_t i = 0; i < pending.size(); ++i) {
        if (std::rename(pending[i].temp.c_str(), pending[i].target.c_str()) != 0) {
            const int e = errno;
            RemoveTemps(std::vector<PendingFile>(pending.begin() + static_cast<std::ptrdiff_t>(i), pending.end()));
            return Fail(error, pending[i].shown, ErrnoText(e));
        }
    }
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
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec)
        base = "/tmp";
    const std::string folder = (base / ("velotrask-" + std::to_string(::geteuid()))).string();
    return MakePrivateFolder(folder, error) ? folder : std::string();
}

std::string PrivateTempFile(const std::string& name, std::string* error)
{
    const std::string folder = PrivateTempFolder(error);
    return folder.empty() ? std::string() : (std::filesystem::path(folder) / name).string();
}

}  // namespace platform
