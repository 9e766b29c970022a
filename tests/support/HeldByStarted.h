// Telling that every process a test started has ended, without looking up
// process ids after the fact (where another process may have been given one).
#pragma once

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <utility>

#include <gtest/gtest.h>

// A pipe whose write end every program started meanwhile inherits, and with it
// every process that program starts: once the test has let go of its own end,
// the read end sees the end of the pipe exactly when no process that held it
// runs any more (a zombie holds nothing).
class HeldByStarted {
public:
    HeldByStarted()
    {
        EXPECT_EQ(::pipe(fds_), 0);
        ::fcntl(fds_[0], F_SETFD, FD_CLOEXEC);
        ::fcntl(fds_[0], F_SETFL, O_NONBLOCK);
    }
    ~HeldByStarted()
    {
        ::close(fds_[0]);
        if (fds_[1] >= 0)
            ::close(fds_[1]);
    }
    // True while a process started since still runs.
    bool StillHeld()
    {
        if (fds_[1] >= 0)
            ::close(std::exchange(fds_[1], -1));
        char byte = 0;
        return ::read(fds_[0], &byte, 1) < 0 && errno == EAGAIN;
    }

    // Waits for every process started since to end, at most limitMs (a bound
    // for a slow machine, not a measure): false when one still runs then.
    bool EndsWithin(int limitMs)
    {
        if (fds_[1] >= 0)
            ::close(std::exchange(fds_[1], -1));
        pollfd end{fds_[0], POLLIN, 0};
        return ::poll(&end, 1, limitMs) == 1 && !StillHeld();
    }

private:
    int fds_[2] = {-1, -1};
};
