#include "platform/Clock.h"
#include "platform/CrLfStream.h"
#include "platform/Random.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

TEST(RandomSource, ASeedRepeatsTheSequenceAndNumbersStayBelowTheBound)
{
    const auto draw = [] {
        std::vector<int> v;
        for (int i = 0; i < 50; ++i)
            v.push_back(platform::RandomBelow(500));
        return v;
    };
    platform::SeedRandom(42);
    const std::vector<int> first = draw();
    platform::SeedRandom(42);
    EXPECT_EQ(draw(), first);
    for (const int x : first)
        EXPECT_TRUE(x >= 0 && x < 500);
    platform::SeedRandom(43);
    EXPECT_NE(draw(), first);
    // No bound, no number used: the sequence goes on where it was.
    platform::SeedRandom(42);
    EXPECT_EQ(platform::RandomBelow(0), 0);
    EXPECT_EQ(platform::RandomBelow(-3), 0);
    EXPECT_EQ(platform::RandomBelow(500), first[0]);
}

TEST(Clock, AnInstalledClockReplacesTheSystemOne)
{
    const auto system = platform::NowSeconds();
    EXPECT_GT(system, 1600000000);  // after September 2020
    platform::SetClock([] { return std::int64_t{1234}; });
    EXPECT_EQ(platform::NowSeconds(), 1234);
    platform::SetClock({});
    EXPECT_GE(platform::NowSeconds(), system);
}

TEST(CrLfStream, EveryLineFeedBecomesCrLf)
{
    std::ostringstream target;
    {
        platform::CrLfStream out(target);
        out << "graph [\n" << 12 << '\n' << "a\n\nb";
        out.put('\n');
        out.flush();
    }
    EXPECT_EQ(target.str(), "graph [\r\n12\r\na\r\n\r\nb\r\n");
}
