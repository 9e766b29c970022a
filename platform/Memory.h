// How much memory the system can still give the program: what a command that
// needs a large table weighs before it asks for one. Tests put a figure of
// their own in its place.
#pragma once

#include <cstdint>
#include <functional>

namespace platform {

// Bytes the system can give without swapping (MemAvailable); the physical
// memory when that cannot be read; 0 when neither can.
std::uint64_t AvailableMemory();
// Replaces the figure; an empty function restores the system's.
void SetAvailableMemory(std::function<std::uint64_t()> available);

}  // namespace platform
