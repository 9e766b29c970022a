// The program's one pseudo-random source. Node positions before layout, the
// random layout and the demonstration graphs draw from it; tests seed it so
// that what they see is the same on every run and every machine.
#pragma once

#include <cstdint>

namespace platform {

// Restarts the sequence; the program starts as if seeded with 1.
void SeedRandom(std::uint32_t seed);
// The next number of the sequence, 0 to n - 1; 0 (and no number used) for n <= 0.
int RandomBelow(int n);

}  // namespace platform
