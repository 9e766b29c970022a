// What the save tests make and look at: files with a content, a scratch
// folder, and the system temporary folder pointed elsewhere.
#pragma once

#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace savetest {

namespace fs = std::filesystem;

inline std::string Read(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return in ? s.str() : std::string("<missing>");
}

inline void Put(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

// Everything in the folder, so that a temporary file left behind shows.
inline std::vector<std::string> Entries(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

inline std::function<void(std::ostream&)> Text(const std::string& s)
{
    return [s](std::ostream& o) { o << s; };
}

inline unsigned KindOf(const fs::path& p)
{
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

struct Folder {
    QTemporaryDir dir;
    fs::path operator/(const std::string& name) const { return fs::path(dir.path().toStdString()) / name; }
    fs::path path() const { return dir.path().toStdString(); }
};

// TMPDIR pointed at a folder of the test's own while it lives.
struct OwnTmpDir {
    bool had = std::getenv("TMPDIR") != nullptr;
    std::string saved = had ? std::getenv("TMPDIR") : "";
    explicit OwnTmpDir(const fs::path& dir) { ::setenv("TMPDIR", dir.c_str(), 1); }
    ~OwnTmpDir() { had ? ::setenv("TMPDIR", saved.c_str(), 1) : ::unsetenv("TMPDIR"); }
};

}  // namespace savetest
