// The derived pass on real logs against the plain computations it stands for:
// every player's nearest opponent and team-mate as his own search over the
// others finds them, and the extremes of every leaf as a full scan finds them.
#include "support/ChannelValuesEqual.h"
#include "core/analysis/Analyze.h"
#include "core/io/Convertlog.h"
#include "core/model/Parallel.h"
#include "core/model/Pitch.h"
#include "core/model/RoboCupFile.h"
#include "core/model/timestream.h"

#include "support/HandFilledLog.h"
#include "support/SimdLevels.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::unique_ptr<RoboCupFileT> Read(const std::string& name)
{
    auto log = CreateFileRecord(name);
    std::ostringstream quiet;
    ReadRcgFile(GunzippedTestFile(name), *log, quiet);
    return log;
}

template <typename T>
const ChannelValues<T>& Values(const RoboCupFileT& log, const std::string& name)
{
    auto* leaf = FindLeaf<T>(*log.stream, name);
    if (leaf == nullptr)
        throw std::runtime_error("no leaf " + name);
    return leaf->GetValues();
}

// A leaf's extremes, whatever its element type; both 0 when it has none.
template <typename T>
bool ExtremesAs(const TimeChannel* leaf, std::pair<double, double>& out)
{
    const auto* typed = dynamic_cast<const DataTimeChannel<T>*>(leaf);
    if (typed == nullptr)
        return false;
    out = typed->IsMinMaxValid() ? std::pair<double, double>{static_cast<double>(typed->GetMin()),
                                                            static_cast<double>(typed->GetMax())}
                                 : std::pair<double, double>{0.0, 0.0};
    return true;
}
std::pair<double, double> Extremes(const TimeChannel* leaf)
{
    std::pair<double, double> e{0.0, 0.0};
    if (!ExtremesAs<std::int8_t>(leaf, e) && !ExtremesAs<std::int16_t>(leaf, e) &&
        !ExtremesAs<std::int32_t>(leaf, e) && !ExtremesAs<double>(leaf, e))
        throw std::runtime_error("a leaf of no known type");
    return e;
}

struct Nearest {
    int index;
    double dist;
};

// Player p's own search over the players from..from+10 but himself: the first
// of equal minima, -1 at the radius when nobody is within it.
Nearest Search(const RoboCupFileT& log, int p, int from, int t)
{
    double best = kNearestSearchRadius * kNearestSearchRadius;
    int index = -1;
    const auto x = [&](int o) { return log.posXChannel[static_cast<std::size_t>(o)]->GetValues()[static_cast<std::size_t>(t)]; };
    const auto y = [&](int o) { return log.posYChannel[static_cast<std::size_t>(o)]->GetValues()[static_cast<std::size_t>(t)]; };
    for (int o = from; o < from + 11; ++o) {
        if (o == p)
            continue;
        const double dx = x(o) - x(p);
        const double dy = y(o) - y(p);
        const double d2 = dx * dx + dy * dy;
        if (d2 < best) {
            best = d2;
            index = o;
        }
    }
    return {index, std::sqrt(best)};
}

// Every player's nearest opponent and team-mate and their distances are his own search's, bit for bit.
void ExpectNearestAreOwnSearches(const RoboCupFileT& log, const std::string& context)
{
    for (int p = 1; p < RoboCupFileT::kObjectCount; ++p) {
        const std::string name = ObjectName(p) + ".calculated.";
        const auto& opponent = Values<std::int16_t>(log, name + "nearest_opponent");
        const auto& opponentDist = Values<double>(log, name + "dist_opponent");
        const auto& mate = Values<std::int16_t>(log, name + "nearest_teammate");
        const auto& mateDist = Values<double>(log, name + "dist_teammate");
        const bool left = p <= 11;
        for (int t = 0; t < log.cycles; ++t) {
            const std::size_t k = static_cast<std::size_t>(t);
            const Nearest o = Search(log, p, left ? 12 : 1, t);
            const Nearest m = Search(log, p, left ? 1 : 12, t);
            ASSERT_EQ(std::make_pair(int{opponent[k]}, opponentDist[k]), std::make_pair(o.index, o.dist))
                << name << "nearest_opponent at " << t << context;
            ASSERT_EQ(std::make_pair(int{mate[k]}, mateDist[k]), std::make_pair(m.index, m.dist))
                << name << "nearest_teammate at " << t << context;
        }
    }
}

const char* const kRealLogs[] = {"match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg",
                                 "keepaway-3v2-Keepers-vs-Takers-helios-1500.rcg"};

class DerivedPassRealLog : public ::testing::TestWithParam<const char*> {};

// At every vector level the processor has.
class NearestAtLevel : public ::testing::TestWithParam<SimdLevel> {};

TEST_P(NearestAtLevel, RealLogsNearestPlayersAreEachPlayersOwnSearch)
{
    VELO_AT_SIMD_LEVEL(GetParam());
    for (const char* name : kRealLogs)
        for (int threads : {1, 3}) {
            SetWorkerThreads(threads);
            auto log = Read(name);
            SetWorkerThreads(0);
            ASSERT_GT(log->cycles, 0);
            ExpectNearestAreOwnSearches(*log, " of " + std::string(name) + ", " + std::to_string(threads) + " threads");
        }
}

// Players crowded on a few spots (many equal distances) or far out, some exactly at
// the search radius from their nearest, over two blocks of 64 cycles and a remainder
// that takes four, two and one cycle at a time (rng() % n: the same draws everywhere).
TEST_P(NearestAtLevel, TiesGoToTheLowerIndexAndTheRadiusFindsNobody)
{
    VELO_AT_SIMD_LEVEL(GetParam());
    constexpr int kCycles = 2 * 64 + 7;
    constexpr double r = kNearestSearchRadius;
    const double crowd[][2] = {{0, 0}, {1, 0}, {0, 1}, {-1, 0}, {1, 1}, {-1, -1}, {2, 0}, {0, -2}};
    const double far[][2] = {{r, 0}, {2 * r, 0}, {0, r}, {-r, -r}, {2 * r, r}};
    HandFilledLog h(kCycles);
    std::mt19937 rng(5);
    for (int o = 0; o < RoboCupFileT::kObjectCount; ++o)
        for (std::size_t t = 0; t < kCycles; ++t) {
            const unsigned w = rng() % 100;
            const double* at = w < 80 ? crowd[w % 8] : far[w % 5];
            h.X(o)[t] = at[0];
            h.Y(o)[t] = at[1];
        }
    ASSERT_EQ(h.log->ComputeCalculatedFields(), 0);
    ExpectNearestAreOwnSearches(*h.log, "");
}

INSTANTIATE_TEST_SUITE_P(Levels, NearestAtLevel, ::testing::ValuesIn(kSimdLevels), SimdLevelParamName);

// The extremes after the whole pass, against a fresh scan of every leaf.
TEST_P(DerivedPassRealLog, ExtremesOfEveryLeafAreThoseOfAFullScan)
{
    auto log = Read(GetParam());
    const std::vector<TimeChannel*>& leaves = log->stream->GetLeaves();
    std::vector<std::pair<double, double>> kept;
    for (TimeChannel* leaf : leaves)
        kept.push_back(Extremes(leaf));
    log->stream->ComputeAllMinMax();
    int derived = 0;
    for (std::size_t i = 0; i < leaves.size(); ++i) {
        ASSERT_EQ(kept[i], Extremes(leaves[i])) << leaves[i]->GetFullName();
        derived += leaves[i]->GetFullName().find("calculated") != std::string::npos && kept[i].second > kept[i].first
                       ? 1
                       : 0;
    }
    EXPECT_GT(derived, 22);  // the derived leaves were written, and their extremes moved
}

// A leaf the user added under the ball moves every player's leaves one place on:
// the pass must still read and write each player's own leaves, found by name.
TEST_P(DerivedPassRealLog, AChannelBeforeThePlayersMovesNoDerivedValue)
{
    const auto plain = Read(GetParam());
    auto moved = Read(GetParam());
    TimeStream& s = *moved->stream;
    auto* ball = dynamic_cast<CompositeTimeChannel*>(s.FindChannel("Ball"));
    ASSERT_NE(ball, nullptr);
    auto* extra = new DataTimeChannel<double>("extra");
    extra->AppendCopies(static_cast<std::size_t>(moved->cycles), 1.0);
    ball->AddChild(extra);
    s.RebuildChannelLists();
    // What the pass writes of each player, spoilt, so that only writing it again
    // brings it back.
    for (TimeChannel* leaf : s.GetLeaves()) {
        const std::string& name = leaf->GetFullName();
        const bool perPlayer = name.find("player") != std::string::npos;
        const bool written = name.find(".actions.") != std::string::npos || name.find(".nearest_") != std::string::npos ||
                             name.find(".dist_") != std::string::npos || name.find(".calculated.possessor") != std::string::npos ||
                             name.find(".real_possessor") != std::string::npos ||
                             name.find(".calculated.speed") != std::string::npos;
        if (!perPlayer || !written)
            continue;
        if (auto* c = dynamic_cast<DataTimeChannel<std::int8_t>*>(leaf))
            std::fill(c->GetValues().begin(), c->GetValues().end(), std::int8_t{9});
        else if (auto* h = dynamic_cast<DataTimeChannel<std::int16_t>*>(leaf))
            std::fill(h->GetValues().begin(), h->GetValues().end(), std::int16_t{99});
        else if (auto* d = dynamic_cast<DataTimeChannel<double>*>(leaf))
            std::fill(d->GetValues().begin(), d->GetValues().end(), 99.0);
    }
    moved->ComputeCalculatedFields();

    const std::vector<TimeChannel*>& leaves = plain->stream->GetLeaves();
    ASSERT_EQ(s.GetLeaves().size(), leaves.size() + 1);
    for (TimeChannel* leaf : leaves) {
        const TimeChannel* other = s.FindChannel(leaf->GetFullName());
        ASSERT_NE(other, nullptr) << leaf->GetFullName();
        for (int t = 0; t < plain->cycles; ++t) {
            const double a = leaf->GetValue(t);
            const double b = other->GetValue(t);
            ASSERT_TRUE(a == b || (std::isnan(a) && std::isnan(b))) << leaf->GetFullName() << " at " << t;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Logs, DerivedPassRealLog, ::testing::ValuesIn(kRealLogs));

}  // namespace
