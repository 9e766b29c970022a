// A file descriptor owned by one scope: closed when it goes, whichever way
// the scope ends.
#pragma once

#include <unistd.h>

#include <utility>

namespace platform {

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { Reset(-1); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    // Closes the one held and holds fd instead.
    void Reset(int fd)
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    // Hands the descriptor over to the caller, who closes it.
    int Release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

}  // namespace platform
