#include "TestData.h"

#include "Gunzip.h"

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <system_error>
#include <vector>
#include <unistd.h>

namespace fs = std::filesystem;

std::string TestDataPath(const std::string& name) { return std::string(VELO_TEST_DATA_DIR) + "/" + name; }

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

namespace {

// Every folder a test program made, removed when the program ends: CTest runs
// each test in a process of its own, so folders left behind would pile up by
// the thousand (each with its unpacked logs) over a few runs of the suite.
class TempDirs {
public:
    ~TempDirs()
    {
        // A forked child leaves its parent's folders alone.
        if (::getpid() != owner_)
            return;
        std::error_code ignored;
        for (const fs::path& p : made_)
            fs::remove_all(p, ignored);
    }
    void Add(const fs::path& p) { made_.push_back(p); }

private:
    pid_t owner_ = ::getpid();
    std::vector<fs::path> made_;
};

TempDirs& MadeTempDirs()
{
    static TempDirs dirs;
    return dirs;
}

}  // namespace

std::string MakeTempDir(const std::string& tag)
{
    static int counter = 0;
    TempDirs& made = MadeTempDirs();  // made first, so that it is destroyed after any later static
    fs::path p = fs::temp_directory_path() /
                 ("velotrask-" + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    fs::remove_all(p);
    fs::create_directories(p);
    made.Add(p);
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

std::string CommaDecimalLocale()
{
    static const std::string name = [] {
        const char* saved = std::setlocale(LC_NUMERIC, nullptr);
        const std::string restore = saved ? saved : "C";
        auto usable = [&](const std::string& candidate) {
            const bool ok = std::setlocale(LC_NUMERIC, candidate.c_str()) != nullptr &&
                            std::string(std::localeconv()->decimal_point) == ",";
            std::setlocale(LC_NUMERIC, restore.c_str());
            return ok;
        };
        if (usable("de_DE.UTF-8"))
            return std::string("de_DE.UTF-8");
        // Compiled for this run into a folder of our own, which LOCPATH makes
        // the place glibc looks for locales from then on in this test program.
        const std::string dir = MakeTempDir("locale");
        const std::string compiled = dir + "/de_DE.UTF-8";
        std::filesystem::create_directories(compiled);
        const std::string command = "localedef -i de_DE -f UTF-8 '" + compiled + "' >/dev/null 2>&1";
        // localedef may exit non-zero over warnings about its sources that do not matter here.
        (void)std::system(command.c_str());
        ::setenv("LOCPATH", dir.c_str(), 1);
        return usable("de_DE.UTF-8") ? std::string("de_DE.UTF-8") : std::string();
    }();
    return name;
}
