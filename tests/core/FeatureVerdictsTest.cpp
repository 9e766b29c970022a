// The fast feature verdicts at every vector level against the concepts' own, on
// values drawn from every bound, its neighbours and values no comparison passes,
// over three blocks of 64 cycles and a remainder, from an unaligned offset.
#include "core/learning/FeatureVerdicts.h"

#include "core/concepts/Evaluators.h"
#include "core/model/Pitch.h"

#include "support/SimdLevels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kFirst = 3;
constexpr int kCycles = 3 * 64 + 5;
constexpr int kLast = kFirst + kCycles;
constexpr int kShift = 5;  // the feature's bit; the other bits of each byte are set and must stay
constexpr double kInf = std::numeric_limits<double>::infinity();

// kFirst + kCycles values drawn from the bounds with their two neighbours, -0, a
// NaN, the infinities and huge values (rng() % n: the same draws everywhere).
std::vector<double> Draw(std::mt19937& rng, std::initializer_list<double> bounds)
{
    std::vector<double> from = {0.0, -0.0, std::numeric_limits<double>::quiet_NaN(), kInf, -kInf, 1e308, -1e308};
    for (double b : bounds)
        from.insert(from.end(), {b, std::nextafter(b, -kInf), std::nextafter(b, kInf)});
    std::vector<double> v(kFirst + kCycles);
    for (double& x : v)
        x = from[rng() % from.size()];
    return v;
}

// The verdicts judge packs (and says it could) for the cycles kFirst .. are
// holds(k), the other bits of the bytes stay set, and the count is right.
template <class Judge, class Holds>
void ExpectVerdicts(const std::string& what, Judge judge, Holds holds)
{
    std::vector<std::uint8_t> bytes(kCycles, static_cast<std::uint8_t>(0xFF ^ (1u << kShift)));
    PackedVerdicts out{bytes.data(), kShift};
    ASSERT_TRUE(judge(out)) << what;
    int holding = 0;
    for (int k = 0; k < kCycles; ++k) {
        const bool h = holds(kFirst + k);
        holding += h ? 1 : 0;
        ASSERT_EQ(bytes[k], h ? 0xFFu : 0xFFu ^ (1u << kShift)) << what << " at " << k;
    }
    EXPECT_EQ(out.set, holding) << what;
}

class FeatureVerdictsAtLevel : public ::testing::TestWithParam<SimdLevel> {};

TEST_P(FeatureVerdictsAtLevel, RangesOnTheirBoundsAreLowIncludedHighExcluded)
{
    VELO_AT_SIMD_LEVEL(GetParam());
    std::mt19937 rng(11);
    for (const auto& range : {std::pair{-3.5, 12.25}, std::pair{0.0, 0.0}, std::pair{-kInf, 0.0},
                              std::pair{5.0, kInf}, std::pair{1.0, std::nextafter(1.0, 2.0)}}) {
        const double lo = range.first;
        const double hi = range.second;
        const std::vector<double> v = Draw(rng, {lo, hi});
        ExpectVerdicts(
            std::to_string(lo) + " .. " + std::to_string(hi),
            [&](PackedVerdicts& out) { return RangeVerdicts(lo, hi, v.data() + kFirst, kCycles, out), true; },
            [&](int k) { return lo <= v[k] && v[k] < hi; });
    }
}

TEST_P(FeatureVerdictsAtLevel, RegionsOnTheirBoundsAreTheirConceptsVerdicts)
{
    VELO_AT_SIMD_LEVEL(GetParam());
    std::mt19937 rng(12);
    // Both coordinates drawn from the region's bounds.
    auto check = [&](const char* what, const auto& region, std::initializer_list<double> bounds) {
        const std::vector<double> xs = Draw(rng, bounds);
        const std::vector<double> ys = Draw(rng, bounds);
        ExpectVerdicts(
            what,
            [&](PackedVerdicts& out) { return RegionVerdicts(&region, xs.data(), ys.data(), kFirst, kLast, out); },
            [&](int k) { return region.Holds(xs[k], ys[k]); });
    };
    const double hl = pitch::kHalfLength;
    const double hw = pitch::kHalfWidth;
    check("inside a square", SquareRegionEvaluator(10.0, 10.0, 20.0, 20.0, 0), {10.0, 20.0});
    check("outside a square", SquareRegionEvaluator(10.0, 10.0, 20.0, 20.0, 1), {10.0, 20.0});
    check("anywhere", SquareRegionEvaluator(10.0, 10.0, 20.0, 20.0, 2), {10.0, 20.0});
    check("a disc, (3, 4) on its rim", CircleRegionEvaluator(0.0, 0.0, 5.0), {3.0, -3.0, 4.0, -4.0, 5.0});
    check("beyond either side line", SidelineEvaluator(true, true), {-hw, hw});
    check("beyond the upper side line", SidelineEvaluator(false, true), {-hw, hw});
    check("beyond either goal line", GoallineEvaluator(true, true), {-hl, hl});
    check("beyond the left goal line", GoallineEvaluator(true, false), {-hl, hl});
}

TEST_P(FeatureVerdictsAtLevel, BallSidesOnTheirBoundsAreTheirConceptsVerdicts)
{
    VELO_AT_SIMD_LEVEL(GetParam());
    std::mt19937 rng(13);
    // Player and ball drawn from the same few values: many a ball lies level with the player.
    std::vector<double> p[4];  // player x and y, ball x and y
    for (std::vector<double>& v : p)
        v = Draw(rng, {-1.5, 2.0});
    for (const auto& [sx, sy] : {std::pair{1, 1}, std::pair{-1, 0}, std::pair{0, -1}, std::pair{-1, 1}}) {
        const RelativePosEvaluator side(sx, sy);
        ExpectVerdicts(
            std::to_string(sx) + ", " + std::to_string(sy),
            [&](PackedVerdicts& out) {
                return BallSideVerdicts(&side, 1, p[0].data(), p[1].data(), p[2].data(), p[3].data(), kFirst, kLast,
                                        out);
            },
            [&](int k) { return side.Holds(p[0][k], p[1][k], p[2][k], p[3][k]); });
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, FeatureVerdictsAtLevel, ::testing::ValuesIn(kSimdLevels), SimdLevelParamName);

}  // namespace
