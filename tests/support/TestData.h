// Access to the test inputs in tests/data.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

// Full path of a file in tests/data.
std::string TestDataPath(const std::string& name);
// Decompresses tests/data/<name>.gz once per test run into a temporary file and
// returns that file's path.
std::string GunzippedTestFile(const std::string& name);
// The whole content of a file, byte for byte; empty when it cannot be read.
std::string ReadBytes(const std::string& path);
// A fresh, empty temporary folder for one test.
std::string MakeTempDir(const std::string& tag);
// The name to hand setlocale for a locale whose decimal separator is a comma:
// the installed German one, or else one compiled for this test run with
// localedef (found through LOCPATH). Empty when neither works.
std::string CommaDecimalLocale();

// Makes a fresh temporary folder the current one while it lives: the concept
// hierarchies write their GML files into the current folder.
class InTempDir {
public:
    explicit InTempDir(const std::string& tag);
    ~InTempDir();
    InTempDir(const InTempDir&) = delete;
    InTempDir& operator=(const InTempDir&) = delete;

private:
    std::filesystem::path previous_;
};

// TMPDIR pointed at a folder of the test's own while it lives, however the
// test ends.
struct OwnTmpDir {
    bool had = std::getenv("TMPDIR") != nullptr;
    std::string saved = had ? std::getenv("TMPDIR") : "";
    explicit OwnTmpDir(const std::filesystem::path& dir) { ::setenv("TMPDIR", dir.c_str(), 1); }
    ~OwnTmpDir() { had ? ::setenv("TMPDIR", saved.c_str(), 1) : ::unsetenv("TMPDIR"); }
    OwnTmpDir(const OwnTmpDir&) = delete;
    OwnTmpDir& operator=(const OwnTmpDir&) = delete;
};
