#include "platform/Random.h"

#include <random>

namespace platform {

namespace {
// mt19937's output is fixed by the standard, so a seed gives the same numbers
// with every standard library (unlike its distributions).
std::mt19937& Generator()
{
    static std::mt19937 generator(1u);
    return generator;
}
}  // namespace

void SeedRandom(std::uint32_t seed) { Generator().seed(seed); }

int RandomBelow(int n)
{
    if (n <= 0)
        return 0;
    return static_cast<int>(Generator()() % static_cast<std::uint32_t>(n));
}

}  // namespace platform
