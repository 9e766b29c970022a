#include "core/analysis/Analyze.h"

#include "core/model/Common.h"
#include "core/model/Parallel.h"
#include "core/model/Pitch.h"
#include "core/model/RoboCupFile.h"
#include "core/model/SimdLevel.h"
#include "core/analysis/Roles.h"
#include "core/model/timestream.h"

#include "platform/ByteOrder.h"
#include "platform/Hooks.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define VELO_NEAREST_AVX2 1
#endif

namespace {

constexpr int kObjects = pitch::kObjectCount;
// Fixed-point fields of the stored parameter records that possession needs.
constexpr std::size_t kPlayerSizeOffset = 24;      // in a player type
constexpr std::size_t kKickableMarginOffset = 28;  // in a player type
constexpr std::size_t kBallSizeOffset = 104;       // in the server parameters
constexpr int kCommandCount = 8;
// The commands in the order they are evaluated; count channel "<name>_count",
// action channel "<name>".
constexpr const char* kCommands[kCommandCount] = {"kick", "dash", "turn", "say", "tneck", "catch", "move", "chng_view"};

// The leaves of one player that the derived pass reads and writes.
struct PlayerDerivedLeaves {
    std::int16_t* nearestOpponent = nullptr;
    double* distOpponent = nullptr;
    std::int16_t* nearestTeammate = nullptr;
    double* distTeammate = nullptr;
    std::int8_t* possessor = nullptr;
    std::int8_t* realPossessor = nullptr;
    const std::int16_t* type = nullptr;
    const std::int16_t* counts[kCommandCount] = {};
    std::int8_t* actions[kCommandCount] = {};
    const double* vx = nullptr;
    const double* vy = nullptr;
    std::int8_t* speed = nullptr;

    // Player p's leaves (p from 1), each looked at first where a fresh record holds it.
    static PlayerDerivedLeaves Find(const TimeStream& s, int p, DataTimeChannel<std::int8_t>* possessorChannel)
    {
        namespace k = playerleaf;
        const std::string player = ObjectName(p);
        auto at = [p](int leaf) { return PlayerLeafIndex(p - 1, leaf); };
        PlayerDerivedLeaves l;
        l.nearestOpponent =
            RawValues(FindLeaf<std::int16_t>(s, player + ".calculated.nearest_opponent", at(k::kNearestOpponent)));
        l.distOpponent = RawValues(FindLeaf<double>(s, player + ".calculated.dist_opponent", at(k::kDistOpponent)));
        l.nearestTeammate =
            RawValues(FindLeaf<std::int16_t>(s, player + ".calculated.nearest_teammate", at(k::kNearestTeammate)));
        l.distTeammate = RawValues(FindLeaf<double>(s, player + ".calculated.dist_teammate", at(k::kDistTeammate)));
        l.possessor = RawValues(possessorChannel);
        l.realPossessor =
            RawValues(FindLeaf<std::int8_t>(s, player + ".calculated.real_possessor", at(k::kRealPossessor)));
        l.type = ReadValues(FindLeaf<std::int16_t>(s, player + ".type", at(k::kType)));
        for (int c = 0; c < kCommandCount; ++c) {
            const std::string command = kCommands[c];
            l.counts[c] =
                ReadValues(FindLeaf<std::int16_t>(s, player + ".counts." + command + "_count", at(k::kKickCount + c)));
            l.actions[c] = RawValues(FindLeaf<std::int8_t>(s, player + ".actions." + command, at(k::kKick + c)));
        }
        l.vx = ReadValues(FindLeaf<double>(s, player + ".vel.dx", at(k::kVelDx)));
        l.vy = ReadValues(FindLeaf<double>(s, player + ".vel.dy", at(k::kVelDy)));
        l.speed = RawValues(FindLeaf<std::int8_t>(s, player + ".calculated.speed", at(k::kSpeed)));
        return l;
    }
};

// Every value replaced by its square root, two at a time where the processor
// can: a square root is correctly rounded either way, and the checks the
// library call makes for a negative value keep a plain loop from doing so.
void SquareRoots(double* values, int n)
{
    int k = 0;
#if defined(__SSE2__)
    if (CurrentSimdLevel() >= SimdLevel::kSse2)
        for (; k + 2 <= n; k += 2)
            _mm_storeu_pd(values + k, _mm_sqrt_pd(_mm_loadu_pd(values + k)));
#endif
    for (; k < n; ++k)
        values[k] = std::sqrt(values[k]);
}

// What every player's derivation reads: the cycles, every object's positions and
// the reach of each player type.
struct PlayerDerivation {
    int n;
    const double* const* x;
    const double* const* y;
    const bool* located;
    const std::vector<double>& reachByType;
    double defaultReach;

    // Possession, commands and speed class of player p, written into his own
    // leaves; hasBall gets his possession per cycle.
    void Derive(int p, const PlayerDerivedLeaves& l, std::vector<std::int8_t>& hasBall) const
    {
        // A local count: the loops below write bytes, which could be any member,
        // and would otherwise read the count again at every step.
        const int n = this->n;
        const double* px = x[p];
        const double* py = y[p];

        // Possession: within reach of the ball (the reach itself included). The
        // distances first, as PointDistance takes them.
        hasBall.assign(static_cast<std::size_t>(n), 0);
        std::vector<double> norms(static_cast<std::size_t>(n));
        if (located[0]) {
            for (int t = 0; t < n; ++t) {
                const double dx = px[t] - x[0][t];
                const double dy = py[t] - y[0][t];
                norms[static_cast<std::size_t>(t)] = dx * dx + dy * dy;
            }
            SquareRoots(norms.data(), n);
            // A player's type changes seldom: one reach per run of cycles of one
            // type, and a plain comparison over the run.
            for (int from = 0; from < n;) {
                int to = from + 1;
                double reach = defaultReach;
                if (l.type != nullptr) {
                    const std::int16_t type = l.type[from];
                    while (to < n && l.type[to] == type)
                        ++to;
                    if (type >= 0 && static_cast<std::size_t>(type) < reachByType.size())
                        reach = reachByType[static_cast<std::size_t>(type)];
                } else {
                    to = n;
                }
                for (int t = from; t < to; ++t)
                    hasBall[static_cast<std::size_t>(t)] = norms[static_cast<std::size_t>(t)] <= reach ? 1 : 0;
                from = to;
            }
        }
        if (l.possessor != nullptr)
            std::copy(hasBall.begin(), hasBall.end(), l.possessor);
        if (l.realPossessor != nullptr)
            std::copy(hasBall.begin(), hasBall.end(), l.realPossessor);

        // Commands: a count that rises from t to t + 1 means the command was issued
        // at t; a kick needs the ball within reach at t. The last cycle has no
        // next one to rise to.
        for (int k = 0; k < kCommandCount; ++k) {
            const std::int16_t* count = l.counts[k];
            std::int8_t* action = l.actions[k];
            if (action == nullptr || n <= 0)
                continue;
            if (count == nullptr) {
                std::fill_n(action, n, std::int8_t{0});
                continue;
            }
            for (int t = 0; t + 1 < n; ++t)
                action[t] = static_cast<std::int8_t>(count[t + 1] > count[t]);
            action[n - 1] = 0;
            if (k == 0)
                for (int t = 0; t + 1 < n; ++t)
                    action[t] = static_cast<std::int8_t>(action[t] & hasBall[static_cast<std::size_t>(t)]);
        }

        // Speed class of the player's velocity.
        if (l.vx != nullptr && l.vy != nullptr && l.speed != nullptr) {
            for (int t = 0; t < n; ++t)
                norms[static_cast<std::size_t>(t)] = l.vx[t] * l.vx[t] + l.vy[t] * l.vy[t];
            SquareRoots(norms.data(), n);
            static_assert(kSpeedClassLimits[0] < kSpeedClassLimits[1] && kSpeedClassLimits[1] < kSpeedClassLimits[2]);
            // The class as SpeedClass gives it, without a branch: one step up for
            // every limit the speed is not below (a NaN is below none: class 3).
            for (int t = 0; t < n; ++t) {
                const double v = norms[static_cast<std::size_t>(t)];
                l.speed[t] = static_cast<std::int8_t>(!(v < kSpeedClassLimits[0]) + !(v < kSpeedClassLimits[1]) +
                                                      !(v < kSpeedClassLimits[2]));
            }
        }
    }
};

#if defined(VELO_NEAREST_AVX2)
// One pair's squared distances offered to both players, four cycles at a time on
// a processor that has AVX2: the same operations as the two-at-a-time loop below,
// each correctly rounded alike. Returns how many cycles it took (a multiple of 4).
__attribute__((target("avx2"))) int OfferPairFourAtATime(const double* px, const double* py, const double* ox,
                                                        const double* oy, double* bestP, double* bestO,
                                                        std::int64_t* indexP, std::int64_t* indexO, std::int64_t op,
                                                        std::int64_t pp, int n)
{
    const __m256i opv = _mm256_set1_epi64x(op);
    const __m256i ppv = _mm256_set1_epi64x(pp);
    int k = 0;
    for (; k + 4 <= n; k += 4) {
        const __m256d dx = _mm256_sub_pd(_mm256_loadu_pd(ox + k), _mm256_loadu_pd(px + k));
        const __m256d dy = _mm256_sub_pd(_mm256_loadu_pd(oy + k), _mm256_loadu_pd(py + k));
        const __m256d d2 = _mm256_add_pd(_mm256_mul_pd(dx, dx), _mm256_mul_pd(dy, dy));
        const __m256d bP = _mm256_loadu_pd(bestP + k);
        const __m256d bO = _mm256_loadu_pd(bestO + k);
        const __m256i nearerP = _mm256_castpd_si256(_mm256_cmp_pd(d2, bP, _CMP_LT_OQ));
        const __m256i nearerO = _mm256_castpd_si256(_mm256_cmp_pd(d2, bO, _CMP_LT_OQ));
        _mm256_storeu_pd(bestP + k, _mm256_min_pd(d2, bP));
        _mm256_storeu_pd(bestO + k, _mm256_min_pd(d2, bO));
        auto* iP = reinterpret_cast<__m256i*>(indexP + k);
        auto* iO = reinterpret_cast<__m256i*>(indexO + k);
        _mm256_storeu_si256(iP, _mm256_blendv_epi8(_mm256_loadu_si256(iP), opv, nearerP));
        _mm256_storeu_si256(iO, _mm256_blendv_epi8(_mm256_loadu_si256(iO), ppv, nearerO));
    }
    return k;
}
#endif

// At most this many cycles are measured at once: every player's running minima
// of a block then stay in the nearest cache while all pairs pass over them.
constexpr int kNearestBlock = 64;

// Every player's nearest opponent and team-mate over the cycles [first, last),
// at most kNearestBlock of them: each pair of players is measured once and
// offered to both, the players in ascending order on either side, so that the
// first of equal minima wins, as if every player searched the others himself.
// Nobody within the search radius leaves index -1 at that radius.
void NearestOverCycles(const double* const* x, const double* const* y, const bool* located,
                       const PlayerDerivedLeaves* leaves, int first, int last)
{
    const int n = last - first;
    if (n <= 0 || n > kNearestBlock)
        return;
    const SimdLevel level = CurrentSimdLevel();
    constexpr int kPlayers = kObjects - 1;
    // [player - 1][side][k]: side 0 the opponents, 1 the team-mates. The index
    // is held as wide as the distance, so that one mask chooses both.
    double best[kPlayers][2][kNearestBlock];
    std::int64_t index[kPlayers][2][kNearestBlock];
    for (int p = 0; p < kPlayers; ++p)
        for (int side = 0; side < 2; ++side) {
            std::fill_n(best[p][side], n, kNearestSearchRadius * kNearestSearchRadius);
            std::fill_n(index[p][side], n, std::int64_t{-1});
        }
    for (int p = 1; p < kObjects; ++p) {
        if (!located[p])
            continue;
        const double* px = x[p] + first;
        const double* py = y[p] + first;
        for (int o = p + 1; o < kObjects; ++o) {
            if (!located[o])
                continue;
            const int side = (p <= 11) == (o <= 11) ? 1 : 0;
            const double* ox = x[o] + first;
            const double* oy = y[o] + first;
            double* bestP = best[p - 1][side];
            double* bestO = best[o - 1][side];
            std::int64_t* indexP = index[p - 1][side];
            std::int64_t* indexO = index[o - 1][side];
            const std::int64_t op = o;
            const std::int64_t pp = p;
            int k = 0;
#if defined(VELO_NEAREST_AVX2)
            if (level == SimdLevel::kAvx2)
                k = OfferPairFourAtATime(px, py, ox, oy, bestP, bestO, indexP, indexO, op, pp, n);
#endif
#if defined(__SSE2__)
            // Two cycles at once, the same operations on each as below.
            const __m128i opv = _mm_set1_epi64x(op);
            const __m128i ppv = _mm_set1_epi64x(pp);
            for (; level >= SimdLevel::kSse2 && k + 2 <= n; k += 2) {
                const __m128d dx = _mm_sub_pd(_mm_loadu_pd(ox + k), _mm_loadu_pd(px + k));
                const __m128d dy = _mm_sub_pd(_mm_loadu_pd(oy + k), _mm_loadu_pd(py + k));
                const __m128d d2 = _mm_add_pd(_mm_mul_pd(dx, dx), _mm_mul_pd(dy, dy));
                const __m128d bP = _mm_loadu_pd(bestP + k);
                const __m128d bO = _mm_loadu_pd(bestO + k);
                const __m128i nearerP = _mm_castpd_si128(_mm_cmplt_pd(d2, bP));
                const __m128i nearerO = _mm_castpd_si128(_mm_cmplt_pd(d2, bO));
                // min(d2, b) is d2 exactly where d2 < b, else b (also for a NaN).
                _mm_storeu_pd(bestP + k, _mm_min_pd(d2, bP));
                _mm_storeu_pd(bestO + k, _mm_min_pd(d2, bO));
                auto* iP = reinterpret_cast<__m128i*>(indexP + k);
                auto* iO = reinterpret_cast<__m128i*>(indexO + k);
                _mm_storeu_si128(iP, _mm_or_si128(_mm_and_si128(nearerP, opv),
                                                  _mm_andnot_si128(nearerP, _mm_loadu_si128(iP))));
                _mm_storeu_si128(iO, _mm_or_si128(_mm_and_si128(nearerO, ppv),
                                                  _mm_andnot_si128(nearerO, _mm_loadu_si128(iO))));
            }
#endif
            for (; k < n; ++k) {
                // (-dx)^2 is dx^2 exactly: o's distance to p is p's to o.
                const double dx = ox[k] - px[k];
                const double dy = oy[k] - py[k];
                const double d2 = dx * dx + dy * dy;
                if (d2 < bestP[k]) {
                    bestP[k] = d2;
                    indexP[k] = op;
                }
                if (d2 < bestO[k]) {
                    bestO[k] = d2;
                    indexO[k] = pp;
                }
            }
        }
    }
    for (int p = 1; p < kObjects; ++p) {
        if (!located[p])
            continue;
        const PlayerDerivedLeaves& l = leaves[p];
        std::int16_t* indexOut[2] = {l.nearestOpponent, l.nearestTeammate};
        double* distOut[2] = {l.distOpponent, l.distTeammate};
        for (int side = 0; side < 2; ++side) {
            const double* b = best[p - 1][side];
            const std::int64_t* i = index[p - 1][side];
            if (indexOut[side] != nullptr)
                for (int k = 0; k < n; ++k)
                    indexOut[side][first + k] = static_cast<std::int16_t>(i[k]);
            if (distOut[side] != nullptr) {
                std::copy(b, b + n, distOut[side] + first);
                SquareRoots(distOut[side] + first, n);
            }
        }
    }
}

}  // namespace

std::int8_t SpeedClass(double speed)
{
    if (speed < kSpeedClassLimits[0])
        return 0;
    if (speed < kSpeedClassLimits[1])
        return 1;
    if (speed < kSpeedClassLimits[2])
        return 2;
    return 3;
}

double BallSize(const RoboCupFileT& file)
{
    if (!file.serverParamsRead)
        return kDefaultBallSize;
    return platform::ReadNetFixed(file.serverParams.bytes + kBallSizeOffset);
}

double PossessionReach(const RoboCupFileT& file, int playerType)
{
    double size = kDefaultPlayerSize;
    double margin = kDefaultKickableMargin;
    if (playerType >= 0 && static_cast<std::size_t>(playerType) < file.playerTypes.size()) {
        const unsigned char* record = file.playerTypes[static_cast<std::size_t>(playerType)].bytes;
        size = platform::ReadNetFixed(record + kPlayerSizeOffset);
        margin = platform::ReadNetFixed(record + kKickableMarginOffset);
    }
    return margin + size + BallSize(file);
}

int RoboCupFileT::ComputeCalculatedFields()
{
    TimeStream& s = *stream;
    platform::SetWaitText("Initializing lookup data structures");
    // Every reference later parts read directly (play mode, positions, possession,
    // kicks, events, roles, kick events, nearest opponents, score and time).
    ResolveChannelReferences();

    // Every derived loop runs over the cycles that every leaf holds: a record whose
    // channels disagree with its cycle count is never read or written past an end.
    int n = std::max(cycles, 0);
    for (TimeChannel* leaf : s.GetLeaves())
        n = std::min(n, leaf->GetCount());

    // Moving objects and the keepaway flag.
    const double* x[kObjects] = {};
    const double* y[kObjects] = {};
    int movingCount = 0;
    for (int i = 0; i < kObjects; ++i) {
        x[i] = ReadValues(posXChannel[i]);
        y[i] = ReadValues(posYChannel[i]);
        bool changes = false;
        if (x[i] != nullptr && y[i] != nullptr) {
            for (int t = 1; t < n && !changes; ++t)
                changes = x[i][t] != x[i][t - 1] || y[i][t] != y[i][t - 1];
        }
        moving[i] = changes;
        movingCount += changes ? 1 : 0;
    }
    isKeepaway = movingCount < 10;

    // An object without a position cannot take part in any distance: it is
    // reported and left out of what follows.
    bool located[kObjects] = {};
    for (int i = 0; i < kObjects; ++i) {
        // The channels, not their values: a leaf without values has no storage.
        if (posXChannel[i] == nullptr)
            platform::Notify("tsPosX", "Assert failed");
        if (posYChannel[i] == nullptr)
            platform::Notify("tsPosY", "Assert failed");
        located[i] = posXChannel[i] != nullptr && posYChannel[i] != nullptr;
    }

    // Distances of the ball to the two goals.
    if (located[0]) {
        double* left = RawValues(FindLeaf<double>(s, "Ball.goal_distance.l_team"));
        double* right = RawValues(FindLeaf<double>(s, "Ball.goal_distance.r_team"));
        for (int t = 0; t < n; ++t) {
            if (left != nullptr)
                left[t] = PointDistance(x[0][t], y[0][t], kLeftGoalX, 0.0);
            if (right != nullptr)
                right[t] = PointDistance(x[0][t], y[0][t], kRightGoalX, 0.0);
        }
    }

    DataTimeChannel<std::int8_t>* sidePossession[2] = {leftPossessionChannel, rightPossessionChannel};
    platform::SetWaitText("Evaluating calculated fields");

    // Reach per player type, looked up once instead of per player and cycle.
    std::vector<double> reachByType(playerTypes.size());
    for (std::size_t k = 0; k < reachByType.size(); ++k)
        reachByType[k] = PossessionReach(*this, static_cast<int>(k));
    const double defaultReach = PossessionReach(*this, -1);

    // Each player's derived leaves, looked up by name here, once, so that the
    // players can be worked on side by side: every player writes only his own
    // leaves and his own row of hasBall.
    PlayerDerivedLeaves leaves[kObjects];
    for (int p = 1; p < kObjects; ++p)
        if (located[p])
            leaves[p] = PlayerDerivedLeaves::Find(s, p, possessorChannel[p]);
    // Nearest opponents and team-mates, a range of cycles per piece, measured in
    // blocks small enough that every player's running minima of a block stay in
    // the nearest cache while all pairs pass over them.
    constexpr int kNearestCycles = 512;
    ParallelFor((n + kNearestCycles - 1) / kNearestCycles, [&](int piece) {
        const int end = std::min(n, (piece + 1) * kNearestCycles);
        for (int first = piece * kNearestCycles; first < end; first += kNearestBlock)
            NearestOverCycles(x, y, located, leaves, first, std::min(end, first + kNearestBlock));
    });
    const PlayerDerivation derivation{n, x, y, located, reachByType, defaultReach};
    std::vector<std::vector<std::int8_t>> hasBall(kObjects);
    int playersDone = 0;
    ParallelFor(
        kObjects - 1,
        [&](int piece) {
            const int p = piece + 1;
            if (located[p])
                derivation.Derive(p, leaves[p], hasBall[static_cast<std::size_t>(p)]);
        },
        [&](int done) {
            for (; playersDone < done; ++playersDone)
                platform::ProcessPendingEvents();
        });

    // Possession of a side: one of its players within reach of the ball.
    for (int p = 1; p < kObjects; ++p) {
        std::int8_t* side = RawValues(sidePossession[p <= 11 ? 0 : 1]);
        const std::vector<std::int8_t>& owns = hasBall[static_cast<std::size_t>(p)];
        if (!located[p] || !located[0] || side == nullptr)
            continue;
        for (int t = 0; t < n; ++t)
            if (owns[static_cast<std::size_t>(t)] != 0)
                side[t] = 1;
    }

    platform::SetWaitText("Computing events");

    // Cycles to the next score change, walking back from the end: 0 at the last
    // cycle before a change, -1 after the last change.
    const std::int16_t* diff = ReadValues(FindLeaf<std::int16_t>(s, "score.diff"));
    std::int16_t* time2goal = RawValues(time2goalChannel);
    if (diff != nullptr && time2goal != nullptr && n > 0) {
        int change = -1;
        std::int16_t seen = diff[n - 1];
        for (int t = n - 1; t >= 0; --t) {
            if (diff[t] != seen) {
                seen = diff[t];
                change = t;
            }
            const int toGo = change >= 0 ? change - t : -1;
            time2goal[t] = static_cast<std::int16_t>(std::min(toGo, int{std::numeric_limits<std::int16_t>::max()}));
        }
    }

    RecognizeActionEvents(*this);
    // Only the leaves written in place since reading: the others kept their
    // extremes as they were read.
    s.RefreshAllMinMax();
    SortActionEvents(*this);
    CalculateRoles(this, false);
    platform::SetWaitText("");
    return 0;
}
