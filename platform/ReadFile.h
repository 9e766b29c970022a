// Reading a file the user chose, whole, without ever waiting on it.
//
// Every reader of a file the user named (a match log, a fields file) gets its
// bytes from ReadUserFile. The file is opened without blocking, so a named pipe
// nobody writes to cannot hold the program; what the descriptor is, and how big,
// is asked of the descriptor itself, so nothing can swap the file between the
// check and the read. Only a regular file within the limit of its kind is read;
// anything else is refused before a byte is read, with the reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

// The largest match log the program reads, and the largest fields file.
inline constexpr std::uint64_t kLogFileLimit = std::uint64_t(1) << 30;
inline constexpr std::uint64_t kFieldsFileLimit = std::uint64_t(16) << 20;

// Why a read was refused or failed: the file it was about and the reason
// ("it is not a regular file (a named pipe)", "it is larger than 16 MiB",
// or the system's reason).
struct ReadError {
    std::string file;
    std::string reason;
    bool outOfMemory = false;  // the file was fine: there was no memory to hold it
    std::uint64_t size = 0;    // then the bytes that did not fit
    // "Cannot read the file <file>: <reason>", or NotEnoughMemoryText
    std::string Message() const;
};

// "Not enough memory to read <file> (<size>)": what the user reads when memory
// ran out while a file of that many bytes was read; the file is not to blame.
std::string NotEnoughMemoryText(const std::string& file, std::uint64_t size);

// A file's whole content in one block (not filled before it is read, so a big
// log costs one pass over its bytes).
struct FileBytes {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
    std::string_view View() const { return {data.get(), size}; }
};

// Called now and then while the bytes come in: how many so far, of how many.
using ReadProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;

// Reads the whole file into bytes when it is a regular file the user may read
// of at most limit bytes; otherwise false with the reason in *error and bytes
// left as they were. Memory that cannot be had is a refusal too, not an
// exception.
bool ReadUserFile(const std::string& path, std::uint64_t limit, FileBytes& bytes, ReadError* error = nullptr,
                  const ReadProgress& progress = {});

// Reads a file the program had written for itself (a learner's result in the
// private folder) as ReadUserFile reads, its path walked as the saves walk it
// (the private folder checked as a save there checks it): a link in the
// file's place is never followed but refused ("it is a link, and this file is
// never read through one"), so that nothing put there by another can be read
// as the program's own.
bool ReadOwnFile(const std::string& path, std::uint64_t limit, FileBytes& bytes, ReadError* error = nullptr);

// The same check without reading: false, with the reason, when ReadUserFile
// would refuse the file as it is now. For a caller that would otherwise change
// something (close windows, make an entry) before it reads.
bool CheckUserFile(const std::string& path, std::uint64_t limit, ReadError* error = nullptr);

// What a file that is no regular file is, in the user's words: "a named pipe",
// "a character device", "a folder"; the reads and the saves refuse such files.
std::string FileKindText(unsigned mode);

// "16 MiB", "1 GiB", "1.5 GiB", "900 bytes": a size as the messages say it.
std::string SizeText(std::uint64_t bytes);

// True when both names lead (through any links) to one file: the same device
// and inode. False when either cannot be asked.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace platform
