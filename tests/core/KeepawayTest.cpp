#include "core/analysis/Keepaway.h"

#include "core/io/Convertlog.h"
#include "core/model/RoboCupFile.h"
#include "core/model/Situation.h"

#include "support/FilledRecord.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>
#include <utility>
#include <vector>

namespace {

// Codes of the sorted form: 1..3 the keepers by ball distance, 12/13 the takers.
constexpr int K1 = 1, K2 = 2, K3 = 3, T1 = 12, T2 = 13;

double Sorted(FilledRecord& log, int cycle, int a, int b)
{
    BasicGameData s = log.At(-1, cycle);  // a team-level situation
    return KeepawayFeature(&s, a, b, true);
}

}  // namespace

TEST(VectorAngleDeg, DegreesWithPi)
{
    EXPECT_DOUBLE_EQ(VectorAngleDeg(1, 0, 0, 3), 90.0);
    EXPECT_DOUBLE_EQ(VectorAngleDeg(2, 0, -4, 0), 180.0);
    EXPECT_DOUBLE_EQ(VectorAngleDeg(1, 1, 2, 0), 45.0);
    EXPECT_DOUBLE_EQ(VectorAngleDeg(3, 0, 6, 0), 0.0);
}

TEST(VectorAngleDeg, RoundingAndZeroLengthGiveDefinedAngles)
{
    // These parallel vectors compute a cosine of 1 + 2^-52 (and -1 - 2^-52), where
    // acos would give no value.
    EXPECT_EQ(VectorAngleDeg(1, 5, 2, 10), 0.0);
    EXPECT_EQ(VectorAngleDeg(1, 5, -2, -10), 180.0);
    EXPECT_EQ(VectorAngleDeg(0, 0, 2, 10), 0.0);
    EXPECT_EQ(VectorAngleDeg(2, 10, 0, 0), 0.0);
}

TEST(KeepawayUnsorted, DistancesFromTheJudgedObject)
{
    FilledRecord log(1);
    log.PlaceAlways(0, 3, 4);
    log.PlaceAlways(5, 6, 8);
    log.PlaceAlways(12, 6, 11);  // 3 from object 5
    log.PlaceAlways(13, 10, 8);  // 4 from object 5
    BasicGameData ball = log.At(0, 0);
    EXPECT_EQ(KeepawayFeature(&ball, 0, 0, false), 0.0);
    EXPECT_DOUBLE_EQ(KeepawayFeature(&ball, -1, 0, false), 5.0);
    BasicGameData player = log.At(5, 0);
    EXPECT_DOUBLE_EQ(KeepawayFeature(&player, 0, 0, false), 5.0);
    EXPECT_DOUBLE_EQ(KeepawayFeature(&player, 0, 99, false), 5.0);  // b is not used
    EXPECT_DOUBLE_EQ(KeepawayFeature(&player, -1, 0, false), 10.0);
    EXPECT_DOUBLE_EQ(KeepawayFeature(&player, -2, 0, false), 3.0);
    EXPECT_DOUBLE_EQ(KeepawayFeature(&player, 13, 0, false), 4.0);
    EXPECT_EQ(KeepawayFeature(&player, 5, 0, false), 0.0);
}

TEST(KeepawaySorted, KeepersFollowTheExchangeOrder)
{
    FilledRecord log(2);
    // Ball at (10, 0); the keepers' distances from the centre tell them apart.
    log.PlaceAlways(0, 10, 0);
    log.PlaceAlways(1, 15, 0);  // 5 from the ball, 15 from the centre
    log.PlaceAlways(2, 10, 5);  // 5 from the ball
    log.Place(3, 0, 10, -7);    // cycle 0: 7 from the ball
    log.Place(3, 1, 10, -3);    // cycle 1: 3 from the ball
    const double norm1 = 15.0, norm2 = std::sqrt(125.0);

    // Ball distances 5, 5, 7: K1 = 1, K2 = 2, K3 = 3.
    EXPECT_DOUBLE_EQ(Sorted(log, 0, K1, -1), norm1);
    EXPECT_DOUBLE_EQ(Sorted(log, 0, K2, -1), norm2);
    EXPECT_DOUBLE_EQ(Sorted(log, 0, K3, -1), std::sqrt(149.0));
    // 5, 5, 3: the exchange swaps 1 and 3 and then keeps 2 before 1 (equal), so
    // K1 = 3, K2 = 2, K3 = 1 (a stable sort would give 3, 1, 2).
    EXPECT_DOUBLE_EQ(Sorted(log, 1, K1, -1), std::sqrt(109.0));
    EXPECT_DOUBLE_EQ(Sorted(log, 1, K2, -1), norm2);
    EXPECT_DOUBLE_EQ(Sorted(log, 1, K3, -1), norm1);
    // The situation's object does not matter in the sorted form.
    BasicGameData s = log.At(7, 1);
    EXPECT_DOUBLE_EQ(KeepawayFeature(&s, K3, -1, true), norm1);
}

TEST(KeepawaySorted, TakersByBallDistanceAndNearestKeeperFollowsTheBall)
{
    FilledRecord log(3);
    log.PlaceAlways(1, -10, 0);
    log.PlaceAlways(2, 20, 0);
    log.PlaceAlways(3, 0, 30);
    log.PlaceAlways(12, 0, -6);
    log.PlaceAlways(13, 0, 8);
    log.Place(0, 0, -9, 0);  // near keeper 1 and taker 12
    log.Place(0, 1, 19, 7);  // near keeper 2 and taker 13
    log.Place(0, 2, 0, 1);   // takers equally far: 12 stays T1
    EXPECT_DOUBLE_EQ(Sorted(log, 0, K1, -1), 10.0);  // "DistK1C"
    EXPECT_DOUBLE_EQ(Sorted(log, 1, K1, -1), 20.0);
    EXPECT_DOUBLE_EQ(Sorted(log, 0, T1, -1), 6.0);  // "DistT1C"
    EXPECT_DOUBLE_EQ(Sorted(log, 0, T2, -1), 8.0);
    EXPECT_DOUBLE_EQ(Sorted(log, 1, T1, -1), 8.0);
    EXPECT_DOUBLE_EQ(Sorted(log, 2, T1, -1), 6.0);
    EXPECT_DOUBLE_EQ(Sorted(log, 0, K1, K2), 30.0);  // "DistK1K2": keeper 1 to keeper 2
    EXPECT_DOUBLE_EQ(Sorted(log, 1, K1, K2), 30.0);
    EXPECT_DOUBLE_EQ(Sorted(log, 0, K1, T2), std::sqrt(164.0));  // "DistK1T2"
    // "MinDistK2T1T2": keeper 2 at (20, 0) is nearer taker 12 at cycle 0.
    EXPECT_DOUBLE_EQ(Sorted(log, 0, K2, -2), std::sqrt(436.0));
    // Object numbers outside the codes keep their meaning: the ball to keeper 3.
    EXPECT_DOUBLE_EQ(Sorted(log, 2, 0, 3), std::sqrt(841.0));
}

TEST(KeepawaySorted, SmallestAngleAtTheNearestKeeper)
{
    FilledRecord log(1);
    log.PlaceAlways(0, 0.5, 0);  // keeper 1 at (0, 0) is K1
    log.PlaceAlways(1, 0, 0);
    log.PlaceAlways(2, 2, 0);
    log.PlaceAlways(3, 0, -9);
    // "MinAngK2K1T1T2": one taker straight behind K2.
    log.PlaceAlways(12, 4, 0);
    log.PlaceAlways(13, 0, 5);
    EXPECT_EQ(Sorted(log, 0, K2, -3), 0.0);
    // Both takers on the far side: a straight angle, 180 with pi.
    log.PlaceAlways(12, -4, 0);
    log.PlaceAlways(13, -4, 0);
    EXPECT_DOUBLE_EQ(Sorted(log, 0, K2, -3), 180.0);
    // A right angle, and the smaller of the two.
    log.PlaceAlways(13, 0, 7);
    EXPECT_DOUBLE_EQ(Sorted(log, 0, K2, -3), 90.0);
    EXPECT_DOUBLE_EQ(Sorted(log, 0, K3, -3), 90.0);  // K3 at (0, -9): 90 to the first, 180 to the second
    // A taker standing on K1 gives 0, not "no value".
    log.PlaceAlways(12, 0, 0);
    EXPECT_EQ(Sorted(log, 0, K2, -3), 0.0);
    // Vectors whose cosine rounds past 1 still give 0.
    log.PlaceAlways(2, 1, 5);
    log.PlaceAlways(12, 2, 10);
    log.PlaceAlways(13, -9, 0);
    EXPECT_EQ(Sorted(log, 0, K2, -3), 0.0);
}

TEST(KeepawayGuards, UnknownCodesAndOutsideSituationsHaveNoValue)
{
    FilledRecord log(2);
    BasicGameData player = log.At(4, 0);
    EXPECT_TRUE(std::isnan(KeepawayFeature(&player, -3, 0, false)));
    EXPECT_TRUE(std::isnan(KeepawayFeature(&player, 23, 0, false)));
    BasicGameData team = log.At(-1, 0);
    EXPECT_TRUE(std::isnan(KeepawayFeature(&team, 0, 0, false)));
    BasicGameData beyond = log.At(23, 0);
    EXPECT_TRUE(std::isnan(KeepawayFeature(&beyond, 0, 0, false)));

    EXPECT_TRUE(std::isnan(KeepawayFeature(&team, K1, -4, true)));
    EXPECT_TRUE(std::isnan(KeepawayFeature(&team, K1, 23, true)));
    EXPECT_TRUE(std::isnan(KeepawayFeature(&team, -1, -1, true)));
    EXPECT_FALSE(std::isnan(KeepawayFeature(&team, K1, 22, true)));

    for (int cycle : {-1, 2}) {
        BasicGameData outside = log.At(4, cycle);
        EXPECT_TRUE(std::isnan(KeepawayFeature(&outside, 0, 0, false)));
        EXPECT_TRUE(std::isnan(KeepawayFeature(&outside, K1, -1, true)));
        EXPECT_TRUE(std::isnan(KeepawayObjectDistance(&outside, 1, 2)));
        EXPECT_TRUE(std::isnan(KeepawayObjectNorm(&outside, 1)));
    }
    EXPECT_TRUE(std::isnan(KeepawayFeature(nullptr, 0, 0, false)));
    FilledRecord empty(0);
    BasicGameData none = empty.At(1, 0);
    EXPECT_TRUE(std::isnan(KeepawayFeature(&none, K1, -1, true)));
}

TEST(KeepawayHelpers, DistanceAndNormByObjectIndex)
{
    FilledRecord log(1);
    log.PlaceAlways(22, -3, -4);
    log.PlaceAlways(11, 3, 4);
    BasicGameData s = log.At(0, 0);
    EXPECT_DOUBLE_EQ(KeepawayObjectDistance(&s, 22, 11), 10.0);
    EXPECT_DOUBLE_EQ(KeepawayObjectNorm(&s, 22), 5.0);
    EXPECT_TRUE(std::isnan(KeepawayObjectDistance(&s, 22, 23)));
    EXPECT_TRUE(std::isnan(KeepawayObjectNorm(&s, -1)));
}

// The range form against the value cycle by cycle, to the bit: on real logs, for
// every code and object (also outside the known ones), both forms, ranges that
// reach past the log, and positions read through a window.
TEST(KeepawayRange, EveryCodeOverARangeIsItsValueCycleByCycle)
{
    for (const char* name : {"keepaway-3v2-Keepers-vs-Takers-helios-1500.rcg", "match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"}) {
        auto log = CreateFileRecord(name);
        std::ostringstream quiet;
        ReadRcgFile(GunzippedTestFile(name), *log, quiet);
        ASSERT_GT(log->cycles, 300) << name;
        const int cycles = log->cycles;
        for (int window : {1, 3}) {
            log->stream->SetTimeWindow(window);
            for (const auto& [first, last] : {std::pair{0, cycles}, std::pair{cycles - 37, cycles + 5},
                                               std::pair{-3, 11}, std::pair{100, 100}}) {
                for (int object : {-1, 0, 1, 5, 12, 13, 22, 23}) {
                    for (int a : {-3, -2, -1, 0, 1, 3, 5, 12, 13, 22, 23}) {
                        for (bool sorted : {false, true}) {
                            const int b = sorted ? -2 : 7;
                            BasicGameData s;
                            s.file = log.get();
                            s.object = object;
                            std::vector<double> range(static_cast<std::size_t>(std::max(0, last - first)), -7.0);
                            KeepawayFeatures(s, a, b, sorted, first, last, range.data());
                            for (int t = first; t < last; ++t) {
                                s.cycle = t;
                                const double one = KeepawayFeature(&s, a, b, sorted);
                                const double got = range[static_cast<std::size_t>(t - first)];
                                ASSERT_TRUE(std::memcmp(&one, &got, sizeof one) == 0 || (std::isnan(one) && std::isnan(got)))
                                    << name << " window " << window << " object " << object << " a " << a
                                    << (sorted ? " sorted" : "") << " at " << t << ": " << got << " for " << one;
                            }
                        }
                    }
                }
            }
        }
    }
}
