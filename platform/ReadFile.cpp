#include "platform/ReadFile.h"

#include "platform/Descriptor.h"
#include "platform/SaveTarget.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

std::string FileKindText(unsigned mode)
{
    if (S_ISLNK(mode))
        return "a link";
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a named pipe";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    return "a special file";
}

namespace {

// The reason a file of this kind and size is not read, or "" when it may be.
std::string Refusal(const struct stat& st, std::uint64_t limit)
{
    if (!S_ISREG(st.st_mode))
        return "it is not a regular file (" + FileKindText(st.st_mode) + ")";
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (size > limit) {
        // Rounded alike, the two would read as one size.
        std::string text = SizeText(size);
        if (text == SizeText(limit))
            text = std::to_string(size) + " bytes";
        return "it is larger than " + SizeText(limit) + " (" + text + ")";
    }
    return {};
}

// Bytes per read call, and so how often progress is told.
constexpr std::size_t kChunk = std::size_t(16) << 20;

}  // namespace

std::string ReadError::Message() const
{
    return outOfMemory ? NotEnoughMemoryText(file, size) : "Cannot read the file " + file + ": " + reason;
}

std::string NotEnoughMemoryText(const std::string& file, std::uint64_t size)
{
    return "Not enough memory to read " + file + " (" + SizeText(size) + ")";
}

bool SameFile(const std::string& a, const std::string& b)
{
    struct stat sa {}, sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

std::string SizeText(std::uint64_t bytes)
{
    const struct {
        std::uint64_t unit;
        const char* name;
    } units[] = {{std::uint64_t(1) << 30, "GiB"}, {std::uint64_t(1) << 20, "MiB"}, {std::uint64_t(1) << 10, "KiB"}};
    for (const auto& u : units) {
        // One decimal, none when it is 0; the largest unit of which there is
        // at least one once rounded.
        const std::uint64_t tenths = (bytes * 10 + u.unit / 2) / u.unit;
        if (bytes < 1024 || tenths < 10)
            continue;
        std::string text = std::to_string(tenths / 10);
        if (tenths % 10 != 0)
            text += "." + std::to_string(tenths % 10);
        return text + " " + u.name;
    }
    return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

bool CheckUserFile(const std::string& path, std::uint64_t limit, ReadError* error)
{
    struct stat st {};
    std::string reason = ::stat(path.c_str(), &st) != 0 ? std::strerror(errno) : Refusal(st, limit);
    if (reason.empty() && ::access(path.c_str(), R_OK) != 0)
        reason = std::strerror(errno);
    if (!reason.empty() && error != nullptr)
        *error = ReadError{path, reason};
    return reason.empty();
}

namespace {

// Reads the whole file open at fd (asked for what it is, regular and within
// the limit, of the descriptor itself) into bytes; the reason to fail with
// otherwise.
// How a read ended: empty reason when it was read whole; memory running out
// is told apart, with the size that did not fit.
struct Outcome {
    std::string reason;
    bool outOfMemory = false;
    std::uint64_t size = 0;
};

Outcome ReadOpened(int fd, std::uint64_t limit, FileBytes& bytes, const ReadProgress& progress)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return {std::strerror(errno)};
    if (std::string refused = Refusal(st, limit); !refused.empty())
        return {refused};
    // A regular file it is: its reads may wait for the disk as usual.
    if (const int flags = ::fcntl(fd, F_GETFL); flags != -1)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);

    const auto total = static_cast<std::uint64_t>(st.st_size);
    const auto size = static_cast<std::size_t>(total);
    std::unique_ptr<char[]> data(new (std::nothrow) char[std::max<std::size_t>(size, 1)]);
    if (!data)
        return {"there is not enough memory to hold it (" + SizeText(total) + ")", true, total};
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, data.get() + done, std::min(kChunk, size - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return {std::strerror(errno)};
        }
        if (n == 0)
            break;  // cut shorter since it was asked: what is there is the file
        done += static_cast<std::size_t>(n);
        if (progress)
            progress(done, total);
    }
    bytes.data = std::move(data);
    bytes.size = done;
    return {};
}

bool Refused(const std::string& path, const Outcome& outcome, ReadError* error)
{
    if (error != nullptr && !outcome.reason.empty())
        *error = ReadError{path, outcome.reason, outcome.outOfMemory, outcome.size};
    return outcome.reason.empty();
}

}  // namespace

bool ReadUserFile(const std::string& path, std::uint64_t limit, FileBytes& bytes, ReadError* error,
                  const ReadProgress& progress)
{
    // Asked of the name first, so that no device or pipe is even opened; asked
    // again of the descriptor below, which is what gets read.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return Refused(path, {std::strerror(errno)}, error);
    if (std::string refused = Refusal(st, limit); !refused.empty())
        return Refused(path, {refused}, error);
    // Without O_NONBLOCK, opening a named pipe put in the name's place meanwhile
    // would wait for a writer.
    const Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.Get() < 0)
        return Refused(path, {std::strerror(errno)}, error);
    return Refused(path, ReadOpened(fd.Get(), limit, bytes, progress), error);
}

constexpr const char* kLinkRefused = "it is a link, and this file is never read through one";

bool ReadOwnFile(const std::string& path, std::uint64_t limit, FileBytes& bytes, ReadError* error)
{
    save::Target target;
    std::string reason;
    if (!save::OpenTarget(path, save::LastLink::Keep, target, &reason))
        return Refused(path, {reason}, error);
    const Descriptor folder(target.folder.fd);
    if (!target.exists)
        return Refused(path, {std::strerror(ENOENT)}, error);
    if (S_ISLNK(target.st.st_mode))
        return Refused(path, {kLinkRefused}, error);
    // What stands at the name now is opened as it stands, never through a
    // link swapped in since it was looked at, and asked again what it is.
    const Descriptor fd(
        ::openat(folder.Get(), target.name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.Get() < 0)
        return Refused(path, {errno == ELOOP ? kLinkRefused : std::strerror(errno)}, error);
    return Refused(path, ReadOpened(fd.Get(), limit, bytes, {}), error);
}

}  // namespace platform
