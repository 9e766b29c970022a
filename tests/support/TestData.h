// Access to the test inputs in tests/data.
#pragma once

#include <string>

// Full path of a file in tests/data.
std::string TestDataPath(const std::string& name);
// Decompresses tests/data/<name>.gz once per test run into a temporary file and
// returns that file's path.
std::string GunzippedTestFile(const std::string& name);
// A fresh, empty temporary folder for one test.
std::string MakeTempDir(const std::string& tag);
