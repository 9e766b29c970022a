// Running one test of this test program again, in a fresh process: for a case
// that must share nothing with the process that runs the others (a forked copy
// of a process with threads may hang on a lock one of them held; memory that
// other tests left free; a limit that would bind the other tests), or that runs
// as another user.
#pragma once

#include <string>

// Starts this test program again with only the test `test` ("Suite.Name"), with
// variable=value added to its environment (the test tells by it that it is the
// one started), as "nobody" when asNobody and this process is the superuser's
// (else as this user), and waits for it to end. Gives its exit code; -1 when it
// could not be started or did not end normally.
int RunTestInFreshProcess(const std::string& test, const std::string& variable, const std::string& value,
                          bool asNobody = false);
