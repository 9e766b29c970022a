// Makes chosen file system calls fail while a CallFaults lives, the way a file
// system that lacks them or a failing disk would. The test program defines
// these calls itself, in front of the C library's, and passes every call on
// that the rule lets through.
#pragma once

#include <functional>
#include <string>

class CallFaults {
public:
    // Told the call ("linkat", "renameat2", "unlinkat", "fsync") and the
    // descriptor and name it is about (-1 or "" when none); returns the errno
    // to fail with, or 0 to let the call through.
    using Rule = std::function<int(const std::string& call, int fd, const std::string& name)>;
    explicit CallFaults(Rule rule);
    ~CallFaults();
    CallFaults(const CallFaults&) = delete;
    CallFaults& operator=(const CallFaults&) = delete;
};
