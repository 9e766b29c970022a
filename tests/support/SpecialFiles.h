// Files the readers must refuse before reading a byte, and a bound on a call
// that might wait on them for ever.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <future>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

// Ends the test program with a failure when the scope is not left within ten
// seconds: a read that blocks on a pipe fails the suite instead of hanging it.
class Watchdog {
public:
    explicit Watchdog(std::string what)
        : thread_([this, what = std::move(what)] {
              if (done_.get_future().wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
                  std::fprintf(stderr, "FAILED: %s did not return within 10 s\n", what.c_str());
                  std::_Exit(1);
              }
          })
    {
    }
    ~Watchdog()
    {
        done_.set_value();
        thread_.join();
    }

private:
    std::promise<void> done_;
    std::thread thread_;
};

// A file of size bytes: head, then zeros that take no disk space.
inline std::string MakeSparseFile(const std::string& path, std::uint64_t size, const std::string& head = {})
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    EXPECT_EQ(::write(fd, head.data(), head.size()), static_cast<ssize_t>(head.size())) << path;
    EXPECT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0) << path;
    ::close(fd);
    return path;
}

struct RefusedFile {
    std::string path;
    std::string message;  // what the user is told
};

// In dir, named as files of the extension: a named pipe nobody writes to, a
// folder and a file one byte over the limit; and /dev/zero, which never ends.
inline std::vector<RefusedFile> SpecialFiles(const std::string& dir, const std::string& ext, std::uint64_t limit,
                                             const std::string& limitText)
{
    const std::string pipe = dir + "/pipe" + ext, folder = dir + "/folder" + ext;
    EXPECT_EQ(::mkfifo(pipe.c_str(), 0600), 0) << pipe;
    EXPECT_EQ(::mkdir(folder.c_str(), 0700), 0) << folder;
    const std::string big = MakeSparseFile(dir + "/big" + ext, limit + 1);
    const auto refused = [](const std::string& path, const std::string& reason) {
        return RefusedFile{path, "Cannot read the file " + path + ": " + reason};
    };
    return {refused(pipe, "it is not a regular file (a named pipe)"),
            refused("/dev/zero", "it is not a regular file (a character device)"),
            refused(folder, "it is not a regular file (a folder)"),
            refused(big, "it is larger than " + limitText + " (" + std::to_string(limit + 1) + " bytes)")};
}
