#include "platform/Clock.h"

#include <chrono>
#include <utility>

namespace platform {

namespace {
std::function<std::int64_t()>& Installed()
{
    static std::function<std::int64_t()> clock;
    return clock;
}
}  // namespace

std::int64_t NowSeconds()
{
    if (Installed())
        return Installed()();
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

void SetClock(std::function<std::int64_t()> clock) { Installed() = std::move(clock); }

}  // namespace platform
