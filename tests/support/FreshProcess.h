// Runs one test of this test program again in a fresh process, for a case that
// must share nothing with the others (a forked copy of a process with threads
// may hang on a lock; memory others left free; a limit) or runs as another user.
#pragma once

#include <string>

// What RunTestInFreshProcess gives when it was to run as "nobody" and no copy
// of the test program that "nobody" may execute could be had.
constexpr int kNoProgramForNobody = -2;

// Runs only `test` ("Suite.Name") with variable=value added to the environment,
// as "nobody" when asNobody and we are the superuser; gives its exit code, -1
// when it could not start or did not end normally, kNoProgramForNobody (with
// the reason in *whyNot) when "nobody" may reach no copy of the test program.
int RunTestInFreshProcess(const std::string& test, const std::string& variable, const std::string& value,
                          bool asNobody = false, std::string* whyNot = nullptr);

// The path of `program`, or of a copy of it in a folder of its own that anyone
// may enter when "nobody" may not execute it where it lies (a checkout in a
// folder only its owner may enter). Empty, with the reason in whyNot, where no
// such copy can be had. Only the superuser can tell or need it.
std::string ProgramNobodyMayRun(const std::string& program, std::string& whyNot);

// Whether "nobody" may access the file at path as access(2) with the mode asks,
// or execute it (asked in a forked child that has become "nobody"; the
// superuser only).
bool NobodyMayAccess(const std::string& path, int mode);
bool NobodyMayExecute(const std::string& path);
