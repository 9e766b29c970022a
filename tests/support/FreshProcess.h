// Runs one test of this test program again in a fresh process, for a case that
// must share nothing with the others (a forked copy of a process with threads
// may hang on a lock; memory others left free; a limit) or runs as another user.
#pragma once

#include <string>

// Runs only `test` ("Suite.Name") with variable=value added to the environment,
// as "nobody" when asNobody and we are the superuser; gives its exit code, -1
// when it could not start or did not end normally.
int RunTestInFreshProcess(const std::string& test, const std::string& variable, const std::string& value,
                          bool asNobody = false, std::string* whyNot = nullptr);
constexpr int kNoProgramForNobody = -2;  // "nobody" may execute no copy of the test program (why in *whyNot)

// The program, or where "nobody" may not execute it a copy in a folder open to all; empty where none can be had.
std::string ProgramNobodyMayRun(const std::string& program);
