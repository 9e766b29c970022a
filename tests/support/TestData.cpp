#include "TestData.h"

#include "Gunzip.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <unistd.h>

namespace fs = std::filesystem;

std::string TestDataPath(const std::string& name) { return std::string(VELO_TEST_DATA_DIR) + "/" + name; }

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string MakeTempDir(const std::string& tag)
{
    static int counter = 0;
    fs::path p = fs::temp_directory_path() /
                 ("velotrask-" + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    fs::remove_all(p);
    fs::create_directories(p);
    return p.string();
}

std::string GunzippedTestFile(const std::string& name)
{
    static std::map<std::string, std::string> done;
    auto it = done.find(name);
    if (it != done.end())
        return it->second;
    const std::string dst = MakeTempDir("data") + "/" + name;
    GunzipFile(TestDataPath(name + ".gz"), dst);
    done[name] = dst;
    return dst;
}

InTempDir::InTempDir(const std::string& tag) : previous_(fs::current_path()) { fs::current_path(MakeTempDir(tag)); }

InTempDir::~InTempDir() { fs::current_path(previous_); }
