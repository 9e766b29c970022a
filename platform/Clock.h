// The wall clock as the program reads it: whole seconds since 1970. Tests put a
// clock of their own in its place so that time-seeded results repeat.
#pragma once

#include <cstdint>
#include <functional>

namespace platform {

std::int64_t NowSeconds();
// Replaces the clock; an empty function restores the system clock.
void SetClock(std::function<std::int64_t()> clock);

}  // namespace platform
