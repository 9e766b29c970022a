#include "TestData.h"

#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

std::string TestDataPath(const std::string& name) { return std::string(VELO_TEST_DATA_DIR) + "/" + name; }

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
    const std::string src = TestDataPath(name + ".gz");
    gzFile in = gzopen(src.c_str(), "rb");
    if (!in)
        throw std::runtime_error("cannot open " + src);
    const std::string dst = MakeTempDir("data") + "/" + name;
    std::ofstream out(dst, std::ios::binary);
    char buf[1 << 16];
    int n;
    while ((n = gzread(in, buf, sizeof buf)) > 0)
        out.write(buf, n);
    gzclose(in);
    if (n < 0)
        throw std::runtime_error("cannot decompress " + src);
    done[name] = dst;
    return dst;
}
