// The fast feature verdicts at every vector level against the concepts' own
// verdicts, on values drawn from every bound, its neighbours and the values no
// comparison passes, over more cycles than a block of 64 with a remainder of
// both the eights and the pairs, from an offset that leaves no load aligned.
#include "core/learning/FeatureVerdicts.h"

#include "core/concepts/Evaluators.h"
#include "core/model/Pitch.h"

#include "support/SimdLevels.h"

#include <gtest/gtest.h>

#include <algorithm>
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
constexpr int kShift = 5;  // the feature's bit; the other bits of each byte are set and must stay

constexpr double kInf = std::numeric_limits<double>::infinity();

// Every bound with its two neighbours, and -0, a NaN, the infinities and a huge value.
std::vector<double> Candidates(std::initializer_list<double> bounds)
{
    std::vector<double> c = {0.0, -0.0, std::numeric_limits<double>::quiet_NaN(), kInf, -kInf, 1e308, -1e308};
    for (double b : bounds)
        c.insert(c.end(), {b, std::nextafter(b, -kInf), std::nextafter(b, kInf)});
    return c;
}

// kFirst + kCycles values drawn from the candidates.
std::vector<double> Draw(std::mt19937& rng, const std::vector<double>& from)
{
    std::uniform_int_distribution<std::size_t> pick(0, from.size() - 1);
    std::vector<double> v(kFirst + kCycles);
    for (double& x : v)
        x = from[pick(rng)];
    return v;
}

// The verdicts judge packs as '0'/'1' per cycle; the other bits of the bytes
// stay set and the count is that of the verdicts that hold.
template <class Judge>
std::string Packed(Judge judge)
{
    std::vector<std::uint8_t> bytes(kCycles, static_cast<std::uint8_t>(0xFF ^ (1u << kShift)));
    PackedVerdicts out{bytes.data(), kShift};
    judge(out);
    std::string bits;
    for (std::uint8_t b : bytes) {
        EXPECT_EQ(b | (1u << kShift), 0xFFu) << "another feature's bit was cleared";
        bits += (b >> kShift) & 1u ? '1' : '0';
    }
    EXPECT_EQ(out.set, std::count(bits.begin(), bits.end(), '1'));
    return bits;
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
        const std::vector<double> v = Draw(rng, Candidates({lo, hi}));
        std::string expected;
        for (int k = 0; k < kCycles; ++k)
            expected += lo <= v[kFirst + k] && v[kFirst + k] < hi ? '1' : '0';
        EXPECT_EQ(Packed([&](PackedVerdicts& out) { RangeVerdicts(lo, hi, v.data() + kFirst, kCycles, out); }),
                  expected)
            << lo << " .. " << hi;
        EXPECT_GT(std::count(v.begin() + kFirst, v.end(), hi), 1) << "no value on the upper bound";
    }
}

TEST_P(FeatureVerdictsAtLevel, RegionsOnTheirBoundsAreTheirConceptsVerdicts)
{
    VELO_AT_SIMD_LEVEL(GetParam());
    std::mt19937 rng(12);
    // Positions drawn from the region's own bounds on either axis.
    auto check = [&](const auto& region, std::initializer_list<double> xBounds, std::initializer_list<double> yBounds,
                     const char* what) {
        const std::vector<double> xs = Draw(rng, Candidates(xBounds));
        const std::vector<double> ys = Draw(rng, Candidates(yBounds));
        std::string expected;
        for (int k = kFirst; k < kFirst + kCycles; ++k)
            expected += region.Holds(xs[k], ys[k]) ? '1' : '0';
        const std::string bits = Packed([&](PackedVerdicts& out) {
            EXPECT_TRUE(RegionVerdicts(&region, xs.data(), ys.data(), kFirst, kFirst + kCycles, out)) << what;
        });
        EXPECT_EQ(bits, expected) << what;
    };
    const double hl = pitch::kHalfLength;
    const double hw = pitch::kHalfWidth;
    check(SquareRegionEvaluator(10.0, 10.0, 20.0, 20.0, 0), {10.0, 20.0}, {10.0, 20.0}, "inside a square");
    check(SquareRegionEvaluator(10.0, 10.0, 20.0, 20.0, 1), {10.0, 20.0}, {10.0, 20.0}, "outside a square");
    check(SquareRegionEvaluator(10.0, 10.0, 20.0, 20.0, 2), {10.0, 20.0}, {10.0, 20.0}, "anywhere");
    check(CircleRegionEvaluator(0.0, 0.0, 5.0), {3.0, -3.0, 5.0}, {4.0, -4.0, 5.0}, "a disc, (3, 4) on its rim");
    check(SidelineEvaluator(true, true), {hl}, {-hw, hw}, "beyond either side line");
    check(SidelineEvaluator(false, true), {hl}, {-hw, hw}, "beyond the upper side line");
    check(GoallineEvaluator(true, true), {-hl, hl}, {hw}, "beyond either goal line");
    check(GoallineEvaluator(true, false), {-hl, hl}, {hw}, "beyond the left goal line");
}

TEST_P(FeatureVerdictsAtLevel, BallSidesOnTheirBoundsAreTheirConceptsVerdicts)
{
    VELO_AT_SIMD_LEVEL(GetParam());
    std::mt19937 rng(13);
    const std::vector<double> candidates = Candidates({-1.5, 2.0});
    const std::vector<double> px = Draw(rng, candidates);
    const std::vector<double> py = Draw(rng, candidates);
    std::vector<double> bx = Draw(rng, candidates);
    std::vector<double> by = Draw(rng, candidates);
    // Half of the balls level with the player on one axis or both.
    for (int k = 0; k < kFirst + kCycles; k += 2) {
        bx[k] = k % 4 == 0 ? px[k] : bx[k];
        by[k] = k % 3 == 0 ? py[k] : by[k];
    }
    for (const auto& [sx, sy] : {std::pair{1, 1}, std::pair{-1, 0}, std::pair{0, -1}, std::pair{-1, 1}}) {
        const RelativePosEvaluator side(sx, sy);
        std::string expected;
        for (int k = kFirst; k < kFirst + kCycles; ++k)
            expected += side.Holds(px[k], py[k], bx[k], by[k]) ? '1' : '0';
        const std::string bits = Packed([&](PackedVerdicts& out) {
            EXPECT_TRUE(BallSideVerdicts(&side, 1, px.data(), py.data(), bx.data(), by.data(), kFirst,
                                         kFirst + kCycles, out));
        });
        EXPECT_EQ(bits, expected) << sx << ", " << sy;
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, FeatureVerdictsAtLevel, ::testing::ValuesIn(kSimdLevels), SimdLevelParamName);

}  // namespace
