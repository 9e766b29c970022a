#include "core/learning/FeatureVerdicts.h"

#include "core/concepts/Evaluators.h"
#include "core/model/Pitch.h"
#include "core/model/RoboCupFile.h"
#include "core/model/SimdLevel.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <typeinfo>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

#if defined(__SSE2__)
// Bit j of eight becomes byte j of a word.
constexpr std::array<std::uint64_t, 256> kBytesOfBits = [] {
    std::array<std::uint64_t, 256> bytes{};
    for (unsigned bits = 0; bits < 256; ++bits)
        for (unsigned j = 0; j < 8; ++j)
            bytes[bits] |= static_cast<std::uint64_t>((bits >> j) & 1u) << (8 * j);
    return bytes;
}();
// How many of the eight bits are set (a processor without a counting
// instruction would otherwise call a library function for it).
constexpr std::array<std::uint8_t, 256> kHolding = [] {
    std::array<std::uint8_t, 256> holding{};
    for (unsigned bits = 0; bits < 256; ++bits)
        for (unsigned j = 0; j < 8; ++j)
            holding[bits] = static_cast<std::uint8_t>(holding[bits] + ((bits >> j) & 1u));
    return holding;
}();

// The verdicts 0 .. n - 1 eight at a time from four masks of two verdicts each
// (pair(k) gives bit 0 for verdict k and bit 1 for verdict k + 1), one at a time
// (one(k)) for the rest.
template <class Pair, class One>
void PairedVerdicts(int n, PackedVerdicts& out, Pair pair, One one)
{
    int k = 0;
    for (; k + 8 <= n; k += 8)
        out.Eight(k, static_cast<unsigned>(pair(k) | pair(k + 2) << 2 | pair(k + 4) << 4 | pair(k + 6) << 6));
    for (; k < n; ++k)
        out.One(k, one(k));
}

// The verdicts of a region on two positions at once: the same comparisons as its
// Holds, a NaN failing each of them.
int PairMask(const SquareRegionEvaluator& r, __m128d x, __m128d y)
{
    const __m128d inX = _mm_and_pd(_mm_cmple_pd(_mm_set1_pd(r.x1), x), _mm_cmple_pd(x, _mm_set1_pd(r.x2)));
    const __m128d inY = _mm_and_pd(_mm_cmple_pd(_mm_set1_pd(r.y1), y), _mm_cmple_pd(y, _mm_set1_pd(r.y2)));
    const int inside = _mm_movemask_pd(_mm_and_pd(inX, inY));
    return r.mode == 0 ? inside : r.mode == 1 ? inside ^ 3 : 3;
}
int PairMask(const CircleRegionEvaluator& r, __m128d x, __m128d y)
{
    const __m128d dx = _mm_sub_pd(x, _mm_set1_pd(r.cx));
    const __m128d dy = _mm_sub_pd(y, _mm_set1_pd(r.cy));
    const __m128d d = _mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(dx, dx), _mm_mul_pd(dy, dy)));
    return _mm_movemask_pd(_mm_cmple_pd(d, _mm_set1_pd(r.r)));
}
int PairMask(const SidelineEvaluator& r, __m128d, __m128d y)
{
    const int low = r.beyondLow ? _mm_movemask_pd(_mm_cmplt_pd(y, _mm_set1_pd(-pitch::kHalfWidth))) : 0;
    const int high = r.beyondHigh ? _mm_movemask_pd(_mm_cmpgt_pd(y, _mm_set1_pd(pitch::kHalfWidth))) : 0;
    return low | high;
}
int PairMask(const GoallineEvaluator& r, __m128d x, __m128d)
{
    const int left = r.beyondLeft ? _mm_movemask_pd(_mm_cmplt_pd(x, _mm_set1_pd(-pitch::kHalfLength))) : 0;
    const int right = r.beyondRight ? _mm_movemask_pd(_mm_cmpgt_pd(x, _mm_set1_pd(pitch::kHalfLength))) : 0;
    return left | right;
}

// Where the ball lies from a player over n cycles, two positions at once: the
// same products and comparisons as Holds.
void BallSideVerdictsTwoAtATime(const RelativePosEvaluator& side, const double* px, const double* py,
                                const double* bx, const double* by, int n, PackedVerdicts& out)
{
    const __m128d sx = _mm_set1_pd(static_cast<double>(side.sx));
    const __m128d sy = _mm_set1_pd(static_cast<double>(side.sy));
    const __m128d zero = _mm_setzero_pd();
    PairedVerdicts(
        n, out,
        [&](int k) {
            const __m128d alongX = _mm_mul_pd(sx, _mm_sub_pd(_mm_loadu_pd(bx + k), _mm_loadu_pd(px + k)));
            const __m128d alongY = _mm_mul_pd(sy, _mm_sub_pd(_mm_loadu_pd(by + k), _mm_loadu_pd(py + k)));
            return _mm_movemask_pd(_mm_and_pd(_mm_cmpge_pd(alongX, zero), _mm_cmpge_pd(alongY, zero)));
        },
        [&](int k) { return side.Holds(px[k], py[k], bx[k], by[k]); });
}
#endif

// A region kind judges the position alone: over a log with cycles its verdict
// is Holds(x, y), which needs no virtual call. False when the evaluator is not
// exactly of that kind.
template <class Region>
bool KindVerdicts(const BasicEvaluator* evaluator, const double* xs, const double* ys, int first, int last,
                  PackedVerdicts& out)
{
    if (evaluator == nullptr || typeid(*evaluator) != typeid(Region))
        return false;
    const Region region = static_cast<const Region&>(*evaluator);
#if defined(__SSE2__)
    if (xs != nullptr && ys != nullptr && CurrentSimdLevel() >= SimdLevel::kSse2) {
        const double* x = xs + first;
        const double* y = ys + first;
        PairedVerdicts(
            last - first, out, [&](int k) { return PairMask(region, _mm_loadu_pd(x + k), _mm_loadu_pd(y + k)); },
            [&](int k) { return region.Holds(x[k], y[k]); });
        return true;
    }
#endif
    for (int t = first; t < last; ++t)
        out.One(t - first, region.Holds(xs != nullptr ? xs[t] : 0.0, ys != nullptr ? ys[t] : 0.0));
    return true;
}

}  // namespace

#if defined(__SSE2__)
void PackedVerdicts::Eight(int k, unsigned bits)
{
    // Bit j of the eight becomes byte j of a word; the word's bytes go to the
    // cycles in order only where the lowest byte comes first.
    std::uint64_t bytes = kBytesOfBits[bits];
    if constexpr (std::endian::native == std::endian::big)
        bytes = __builtin_bswap64(bytes);
    std::uint64_t p;
    std::memcpy(&p, packed + k, sizeof p);
    p |= bytes << shift;  // a 0/1 byte moved by at most 7 stays in its byte
    std::memcpy(packed + k, &p, sizeof p);
    set += kHolding[bits];
}
#endif

bool RegionVerdicts(const BasicEvaluator* evaluator, const double* xs, const double* ys, int first, int last,
                    PackedVerdicts& out)
{
    return KindVerdicts<SquareRegionEvaluator>(evaluator, xs, ys, first, last, out) ||
           KindVerdicts<CircleRegionEvaluator>(evaluator, xs, ys, first, last, out) ||
           KindVerdicts<SidelineEvaluator>(evaluator, xs, ys, first, last, out) ||
           KindVerdicts<GoallineEvaluator>(evaluator, xs, ys, first, last, out);
}

bool BallSideVerdicts(const BasicEvaluator* evaluator, int object, const double* xs, const double* ys,
                      const double* ballXs, const double* ballYs, int first, int last, PackedVerdicts& out)
{
    if (evaluator == nullptr || typeid(*evaluator) != typeid(RelativePosEvaluator) || object < 0)
        return false;
    if (object == 0)
        return true;  // holds nowhere
    if (xs == nullptr || ys == nullptr || ballXs == nullptr || ballYs == nullptr)
        return false;
    const RelativePosEvaluator side = static_cast<const RelativePosEvaluator&>(*evaluator);
    const double* px = xs + first;
    const double* py = ys + first;
    const double* bx = ballXs + first;
    const double* by = ballYs + first;
#if defined(__SSE2__)
    if (CurrentSimdLevel() >= SimdLevel::kSse2) {
        BallSideVerdictsTwoAtATime(side, px, py, bx, by, last - first, out);
        return true;
    }
#endif
    for (int k = 0; k < last - first; ++k)
        out.One(k, side.Holds(px[k], py[k], bx[k], by[k]));
    return true;
}

bool HasBallVerdicts(const BasicEvaluator* evaluator, const RoboCupFileT& log, int object, int first, int last,
                     std::uint8_t* verdicts)
{
    if (evaluator == nullptr || typeid(*evaluator) != typeid(HasBallEvaluator) || object < 0 ||
        object >= RoboCupFileT::kObjectCount || last > log.cycles)
        return false;
    const RoboCupFileT::CharChannel* possessor = log.possessorChannel[static_cast<std::size_t>(object)];
    if (object == 0 || possessor == nullptr) {
        std::fill(verdicts, verdicts + (last - first), std::uint8_t{0});
        return true;
    }
    const std::int8_t* stored = StoredValues(possessor, last);
    if (stored == nullptr)
        return false;
    const std::int8_t* flags = stored + first;
    for (int k = 0; k < last - first; ++k)
        verdicts[k] = static_cast<std::uint8_t>(flags[k] == 1);
    return true;
}

void RangeVerdicts(double lo, double hi, const double* v, int n, PackedVerdicts& out)
{
#if defined(__SSE2__)
    if (CurrentSimdLevel() >= SimdLevel::kSse2) {
        // Two values at once: the same two comparisons, a NaN failing both.
        const __m128d low = _mm_set1_pd(lo);
        const __m128d high = _mm_set1_pd(hi);
        PairedVerdicts(
            n, out,
            [&](int k) {
                const __m128d x = _mm_loadu_pd(v + k);
                return _mm_movemask_pd(_mm_and_pd(_mm_cmple_pd(low, x), _mm_cmplt_pd(x, high)));
            },
            [&](int k) { return lo <= v[k] && v[k] < hi; });
        return;
    }
#endif
    for (int k = 0; k < n; ++k)
        out.One(k, lo <= v[k] && v[k] < hi);
}

// Eight verdicts go as one word (a 0/1 byte shifted by
// at most 7 stays in its byte), and the holding ones are summed per byte of a
// word, 32 words (never more than 255) before the bytes are added up.
int PackVerdicts(const std::uint8_t* verdicts, std::size_t n, int shift, std::uint8_t* packed)
{
    constexpr std::uint64_t kEvenBytes = 0x00FF00FF00FF00FFull;
    const auto total = [](std::uint64_t bytes) {
        const std::uint64_t pairs = (bytes & kEvenBytes) + ((bytes >> 8) & kEvenBytes);
        return static_cast<int>((pairs * 0x0001000100010001ull) >> 48);
    };
    int set = 0;
    std::size_t k = 0;
    while (k + 8 <= n) {
        std::uint64_t sums = 0;
        for (int words = 0; words < 32 && k + 8 <= n; ++words, k += 8) {
            std::uint64_t v;
            std::uint64_t p;
            std::memcpy(&v, verdicts + k, 8);
            std::memcpy(&p, packed + k, 8);
            p |= v << shift;
            std::memcpy(packed + k, &p, 8);
            sums += v;
        }
        set += total(sums);
    }
    for (; k < n; ++k) {
        packed[k] = static_cast<std::uint8_t>(packed[k] | (verdicts[k] << shift));
        set += verdicts[k];
    }
    return set;
}

