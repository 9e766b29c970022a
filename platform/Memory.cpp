#include "platform/Memory.h"

#include <fstream>
#include <sstream>
#include <string>
#include <utility>

#include <unistd.h>

namespace platform {

namespace {

std::function<std::uint64_t()>& Override()
{
    static std::function<std::uint64_t()> available;
    return available;
}

std::uint64_t SystemAvailable()
{
    std::ifstream meminfo("/proc/meminfo");
    for (std::string line; std::getline(meminfo, line);) {
        if (line.rfind("MemAvailable:", 0) != 0)
            continue;
        std::istringstream in(line.substr(13));
        std::uint64_t kilobytes = 0;
        if (in >> kilobytes)
            return kilobytes * 1024;
    }
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long size = sysconf(_SC_PAGESIZE);
    return pages > 0 && size > 0 ? static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(size) : 0;
}

}  // namespace

std::uint64_t AvailableMemory()
{
    return Override() ? Override()() : SystemAvailable();
}

void SetAvailableMemory(std::function<std::uint64_t()> available) { Override() = std::move(available); }

}  // namespace platform
