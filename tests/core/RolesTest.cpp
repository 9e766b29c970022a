#include "core/analysis/Roles.h"

#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/io/Convertlog.h"
#include "core/model/RoboCupFile.h"
#include "core/model/timestream.h"

#include "support/HandFilledLog.h"
#include "support/RcgWriter.h"
#include "support/RecordingHooks.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

std::string Name(int object) { return ObjectName(object); }

ConceptObject* RoleAt(RoboCupFileT& log, int object, int t)
{
    return ConceptFromHandle(LeafValues<std::int32_t>(log, Name(object) + ".calculated.role").at(static_cast<std::size_t>(t)));
}

std::string RoleName(ConceptObject* role) { return role != nullptr ? ConceptObject::GetPathName(role) : "(none)"; }

// The role hierarchy exists for every test (roles are its concepts), and the
// action hierarchy for the events of the logs read; their GML files go to a
// temporary folder.
class Roles : public ::testing::Test {
protected:
    void SetUp() override
    {
        roles_.reset(CreateRoleConcepts());
        actions_.reset(CreateActionConcepts());
    }
    void TearDown() override
    {
        roles_.reset();
        actions_.reset();
        ClearRoleConceptPointers();
        ClearActionConceptPointers();
    }

    // The roles of players first + 1 .. first + 11 at cycle t, by path name.
    static std::vector<std::string> TeamRoles(RoboCupFileT& log, int side, int t)
    {
        std::vector<std::string> names;
        for (int i = side * 11 + 1; i <= side * 11 + 11; ++i)
            names.push_back(RoleName(RoleAt(log, i, t)));
        return names;
    }

    RecordingHooks hooks;

private:
    InTempDir dir_{"roles"};
    std::unique_ptr<ConceptObject> roles_;
    std::unique_ptr<ConceptObject> actions_;
};

// A team's shape in its own terms: x towards the opponent's goal (own goal at
// -52.5), y negative on the team's own left. Entry k is shirt number k + 1.
using Shape = std::array<std::pair<double, double>, 11>;

const Shape k442 = {{{-50, 0},                                       // GK
                     {-35, -20}, {-35, -7}, {-35, 7}, {-35, 20},     // backs
                     {-15, -20}, {-15, -7}, {-15, 7}, {-15, 20},     // midfield
                     {2, -6}, {2, 6}}};                              // forwards
const Shape k433 = {{{-50, 0},
                     {-35, -20}, {-35, -7}, {-35, 7}, {-35, 20},
                     {-15, -10}, {-15, 0}, {-15, 10},
                     {5, -15}, {5, 0}, {5, 15}}};
// Five in the back line right behind the goalkeeper, then four, then one up front
// alone.
const Shape k541 = {{{-50, 0},
                     {-35, 18}, {-35, -18}, {-35, 0}, {-35, 9}, {-35, -9},
                     {-15, -20}, {-15, -7}, {-15, 7}, {-15, 20},
                     {5, 0}}};
// Two keepers side by side at the back, then 4-3-2.
const Shape kTwoAtTheBack = {{{-50, -3}, {-50, 3},
                              {-35, -20}, {-35, -7}, {-35, 7}, {-35, 20},
                              {-15, -10}, {-15, 0}, {-15, 10},
                              {5, -6}, {5, 6}}};
// 3-5-2 with the wide midfielders deeper than the inner three.
const Shape k352 = {{{-50, 0},
                     {-35, -10}, {-35, 0}, {-35, 10},
                     {-16, -25}, {-14, -12}, {-14, 0}, {-14, 12}, {-16, 25},
                     {5, -6}, {5, 6}}};
// A goalkeeper, a sweeper, five backs and four midfielders: no forwards at all.
const Shape kNoForwards = {{{-50, 0}, {-42, 0},
                            {-32, -20}, {-32, -10}, {-32, 0}, {-32, 10}, {-32, 20},
                            {-15, -20}, {-15, -7}, {-15, 7}, {-15, 20}}};

struct Game {
    Shape left;
    Shape right;
    int cycles = 20;
    int firstTime = 1;
    int timeStep = 1;  // 0: the time stands still (before kick-off)
};

// Writes the games one after the other into a version-3 log (everybody sways a
// little around his place, so that every object moves) and reads it, which runs
// the derived pass and with it the role analysis.
std::unique_ptr<RoboCupFileT> ReadGames(const std::vector<Game>& games, const std::string& tag)
{
    RcgWriter w;
    w.Teams("Left", 0, "Right", 0).ServerParams().PlayerType();
    for (const Game& game : games) {
        for (int k = 0; k < game.cycles; ++k) {
            ShowState s;
            s.time = static_cast<uint16_t>(game.firstTime + k * game.timeStep);
            const double sway = (k % 2) * 0.25;
            s.ball.x = sway;
            for (int n = 1; n <= 11; ++n) {
                s.Left(n).x = game.left[n - 1].first + sway;
                s.Left(n).y = game.left[n - 1].second;
                s.Right(n).x = -game.right[n - 1].first - sway;
                s.Right(n).y = -game.right[n - 1].second;
            }
            w.Show(s);
        }
    }
    auto log = CreateFileRecord(tag + ".rcg");
    ReadRcgFile(w.Save(tag), *log);
    return log;
}

// ---------------------------------------------------------------------------
// Clustering

// A work state whose left players 1..11 have the given mean x (and mean y = -x).
RoleWorkState StateWithMeans(const std::array<double, 11>& xs)
{
    RoleWorkState state;
    for (int k = 0; k < 11; ++k) {
        state.meanX[k + 1] = xs[k];
        state.meanY[k + 1] = -xs[k];
    }
    return state;
}

std::vector<std::vector<int>> Members(const RoleWorkState& state)
{
    std::vector<std::vector<int>> all;
    for (int c = 0; c < state.clusterCount; ++c)
        all.emplace_back(state.clusters[c].members, state.clusters[c].members + state.clusters[c].size);
    return all;
}

TEST(RoleClustering, CentresExactlyAtTheThresholdStayApart)
{
    RoleWorkState apart = StateWithMeans({0, 5, 20, 30, 40, 50, 60, 70, 80, 90, 100});
    EXPECT_EQ(ClusterPositions(nullptr, 5.0, 0, apart), 11);
    RoleWorkState merged = StateWithMeans({0, 4.999, 20, 30, 40, 50, 60, 70, 80, 90, 100});
    EXPECT_EQ(ClusterPositions(nullptr, 5.0, 0, merged), 10);
    EXPECT_EQ(merged.clusters[0].size, 2);
    EXPECT_DOUBLE_EQ(merged.clusters[0].centre, 4.999 / 2);
}

TEST(RoleClustering, OfEqualDistancesTheFirstPairMergesFirst)
{
    // 0-3 and 3-6 are equally close. Merging 0 and 3 first leaves the new
    // centre 1.5 too far from 6 for a threshold of 3.5.
    RoleWorkState state = StateWithMeans({6, 3, 0, 20, 30, 40, 50, 60, 70, 80, 90});
    // Pairs are looked at in cluster order, and the clusters start in player order:
    // players 1 (6) and 2 (3) form the first pair.
    ASSERT_EQ(ClusterPositions(nullptr, 3.5, 0, state), 10);
    EXPECT_EQ(Members(state)[0], (std::vector<int>{3}));
    EXPECT_DOUBLE_EQ(state.clusters[1].centre, 4.5);
    EXPECT_EQ(state.clusters[1].size, 2);

    RoleWorkState other = StateWithMeans({0, 3, 6, 20, 30, 40, 50, 60, 70, 80, 90});
    ASSERT_EQ(ClusterPositions(nullptr, 3.5, 0, other), 10);
    EXPECT_DOUBLE_EQ(other.clusters[0].centre, 1.5);
    EXPECT_EQ(other.clusters[1].size, 1);
    EXPECT_DOUBLE_EQ(other.clusters[1].centre, 6.0);
}

TEST(RoleClustering, ACentreIsThePlainMeanOfAllItsMembers)
{
    // {0, 1} then 2 join: centre 1.0 (a mean of the two centres would say 1.25,
    // close enough to pull in 6.0).
    RoleWorkState state = StateWithMeans({0, 1, 2, 6, 20, 30, 40, 50, 60, 70, 80});
    ASSERT_EQ(ClusterPositions(nullptr, 5.0, 0, state), 9);
    EXPECT_DOUBLE_EQ(state.clusters[0].centre, 1.0);
    EXPECT_EQ(state.clusters[0].size, 3);
    EXPECT_DOUBLE_EQ(state.clusters[1].centre, 6.0);
}

TEST(RoleClustering, OrdersClustersByCentreAndMembersByY)
{
    RoleWorkState state;
    const double xs[11] = {30, -10, 30, -10, 31, 0, -50, 29, -11, 0, 0.5};
    const double ys[11] = {5, 3, -5, -3, 0, 8, 0, 10, -20, -8, 0};
    for (int k = 0; k < 11; ++k) {
        state.meanX[k + 12] = xs[k];
        state.meanY[k + 12] = ys[k];
    }
    ASSERT_EQ(ClusterPositions(nullptr, 5.0, 11, state), 4);
    EXPECT_EQ(Members(state), (std::vector<std::vector<int>>{{18}, {20, 15, 13}, {21, 22, 17}, {14, 16, 12, 19}}));
    EXPECT_LT(state.clusters[0].centre, state.clusters[1].centre);
    EXPECT_LT(state.clusters[2].centre, state.clusters[3].centre);
}

TEST(RoleClustering, PlayersWithARoleAreLeftOut)
{
    RoleWorkState state = StateWithMeans({0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100});
    ConceptObject given("given", nullptr, false);
    state.role[3] = &given;
    state.role[7] = &given;
    ASSERT_EQ(ClusterPositions(nullptr, 5.0, 0, state), 9);
    for (const auto& members : Members(state))
        for (int m : members)
            EXPECT_TRUE(m != 3 && m != 7) << m;
}

// ---------------------------------------------------------------------------
// Role analysis of normal matches

// A single game of two shapes and the roles one side's players 1..11 get at
// every cycle, by name below the side's node.
struct Formation {
    const char* name;
    Shape left;
    Shape right;
    int side;
    std::vector<std::string> roles;
    int beeps;  // -1: not counted
};

const Formation kFormations[] = {
    {"442", k442, k442, 0, {"GK", "L-FB", "LC-FB", "RC-FB", "R-FB", "L-MF", "LC-MF", "RC-MF", "R-MF", "L-FW", "R-FW"}, 0},
    // The right team is seen from its own side: its own left is at positive
    // pitch y, so its player with the greatest y in a line takes the left role.
    {"433right", k442, k433, 1, {"GK", "L-FB", "LC-FB", "RC-FB", "R-FB", "L-MF", "C-MF", "R-MF", "L-FW", "C-FW", "R-FW"},
     0},
    // A five-man line behind the keeper has a stopper in its centre (members by
    // y: 3, 6, 4, 5, 2). The lone man up front is taken by the step for a single
    // central midfielder, and step 7 finds no line left.
    {"541", k541, k442, 0, {"GK", "R-FB", "L-FB", "ST", "RC-FB", "LC-FB", "L-MF", "LC-MF", "RC-MF", "R-MF", "C-MF"}, 0},
    // Two players at the back: steps 1 and 3 beep at the two-man cluster, step 5
    // takes it as midfield, step 7 the four backs as a forward line; the rest
    // are field players and nobody is keeper.
    {"twoatback", kTwoAtTheBack, k442, 0,
     {"L-MF", "R-MF", "L-FW", "LC-FW", "RC-FW", "R-FW", "Field-player", "Field-player", "Field-player", "Field-player",
      "Field-player"},
     2},
    // A five-man midfield is taken as the forward line: with the wide
    // midfielders deeper than their neighbours, wide midfielders around three
    // forwards; the two real forwards remain field players. Step 5 finds no row
    // for five.
    {"352", k352, k442, 0,
     {"GK", "L-FB", "C-FB", "R-FB", "L-MF", "LC-FW", "C-FW", "RC-FW", "R-MF", "Field-player", "Field-player"}, 1},
    // Wide players further up than their neighbours: wide forwards around three
    // midfielders.
    {"352pushed",
     [] {
         Shape pushed = k352;
         pushed[4].first = -12;
         pushed[8].first = -12;
         return pushed;
     }(),
     k442, 0, {"GK", "L-FB", "C-FB", "R-FB", "L-FW", "LC-MF", "C-MF", "RC-MF", "R-FW", "Field-player", "Field-player"},
     -1},
    // Sweeper, five backs and four midfielders use up the lines at step 5;
    // steps 6 and 7 find nothing, and nothing beeps.
    {"noforwards", kNoForwards, kNoForwards, 1,
     {"GK", "SW", "L-FB", "LC-FB", "ST", "RC-FB", "R-FB", "L-MF", "LC-MF", "RC-MF", "R-MF"}, 0},
};

TEST_F(Roles, FormationsGiveTheirLinesRoles)
{
    for (const Formation& f : kFormations) {
        const int beepsBefore = hooks.beeps;
        auto log = ReadGames({{f.left, f.right}}, std::string("r") + f.name);
        ASSERT_FALSE(log->isKeepaway) << f.name;
        std::vector<std::string> expected;
        for (const std::string& role : f.roles)
            expected.push_back((f.side == 0 ? "LTeam." : "RTeam.") + role);
        for (int t = 0; t < 20; ++t)
            EXPECT_EQ(TeamRoles(*log, f.side, t), expected) << f.name << " at " << t;
        if (f.beeps >= 0) {
            EXPECT_EQ(hooks.beeps - beepsBefore, f.beeps) << f.name;
        }
    }
}

TEST_F(Roles, EachGameOfARestartedLogHasItsOwnRoles)
{
    // Time runs 1..20, then starts again at 1 with other shapes.
    auto log = ReadGames({{k442, k442, 20, 1}, {k433, k541, 30, 1}}, "rgames");
    ASSERT_EQ(log->cycles, 50);
    EXPECT_EQ(RoleAt(*log, 6, 19), coLMF[0]);
    EXPECT_EQ(RoleAt(*log, 6, 20), coLMF[0]);
    EXPECT_EQ(RoleAt(*log, 7, 19), coLCMF[0]);
    EXPECT_EQ(RoleAt(*log, 7, 20), coCMF[0]);
    EXPECT_EQ(RoleAt(*log, 10, 19), coLFW[0]);
    EXPECT_EQ(RoleAt(*log, 10, 49), coCFW[0]);
    EXPECT_EQ(RoleAt(*log, 15, 19), coRCFB[1]);
    EXPECT_EQ(RoleAt(*log, 15, 20), coST[1]);
}

TEST_F(Roles, CyclesBeforeKickOffFormTheirOwnGame)
{
    // Ten cycles at time 0 in a 4-4-2, then the match from time 1 in a 4-3-3:
    // time never returns to 1 after that, so there are exactly two games.
    auto log = ReadGames({{k442, k442, 10, 0, 0}, {k433, k442, 41, 1, 1}}, "rkickoff");
    ASSERT_EQ(log->cycles, 51);
    EXPECT_EQ(RoleAt(*log, 7, 9), coLCMF[0]);
    EXPECT_EQ(RoleAt(*log, 7, 10), coCMF[0]);
    EXPECT_EQ(RoleAt(*log, 7, 50), coCMF[0]);
}

TEST_F(Roles, ShirtNumbersOnRequestAndAnalysisBackAgain)
{
    auto log = ReadGames({{k442, k433}}, "rnumbers");
    const auto analysed = LeafValues<std::int32_t>(*log, "Rplayer9.calculated.role");
    CalculateRoles(log.get(), true);
    for (int i = 1; i <= 22; ++i) {
        const int side = i <= 11 ? 0 : 1;
        for (int t : {0, 10, 19})
            EXPECT_EQ(RoleAt(*log, i, t), coTeamNumber[side][(i - 1) % 11]) << i << " at " << t;
    }
    EXPECT_EQ(RoleName(RoleAt(*log, 18, 4)), "RTeam.7");
    CalculateRoles(log.get(), false);
    EXPECT_EQ(LeafValues<std::int32_t>(*log, "Rplayer9.calculated.role"), analysed);
    EXPECT_EQ(RoleAt(*log, 20, 4), coLFW[1]);
}

TEST_F(Roles, RoleChannelsKeepTheExtremesOfTheirValues)
{
    // The roles are written after the derived pass restored the extremes, and again
    // by every switch of the shirt numbers: each write must leave them right.
    auto log = ReadGames({{k442, k433}}, "rextremes");
    auto check = [&](const char* when) {
        for (int i = 1; i <= 22; ++i) {
            auto* channel = FindLeaf<std::int32_t>(*log->stream, Name(i) + ".calculated.role");
            ASSERT_NE(channel, nullptr);
            const auto& values = channel->GetValues();
            const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
            EXPECT_EQ(channel->GetMin(), *lo) << Name(i) << " " << when;
            EXPECT_EQ(channel->GetMax(), *hi) << Name(i) << " " << when;
        }
    };
    check("after reading");
    CalculateRoles(log.get(), true);
    check("with shirt numbers");
    CalculateRoles(log.get(), false);
    check("analysed again");
}

TEST_F(Roles, ANullLogIsIgnored)
{
    CalculateRoles(nullptr, false);
    CalculateRoles(nullptr, true);
    EXPECT_EQ(hooks.beeps, 0);
}

// ---------------------------------------------------------------------------
// Keepaway

TEST_F(Roles, KeepawayRanksTheMovingPlayersByBallDistanceEveryCycle)
{
    HandFilledLog h(3);
    // Keepers 1-3 and takers 1-2 move; everybody else stands still.
    for (std::size_t t = 0; t < 3; ++t) {
        h.X(0)[t] = 10.0 * t;  // 0, 10, 20
        h.X(1)[t] = 1.0;       // near the ball at first
        h.X(2)[t] = 12.0;      // near it next
        h.X(3)[t] = 19.0 + t;  // near it last
        h.Y(1)[t] = h.Y(2)[t] = h.Y(3)[t] = 0.1 * t;
        h.X(12)[t] = 3.0 + t;
        h.X(13)[t] = 4.0 + 3.0 * t;
        h.Y(12)[t] = h.Y(13)[t] = 0.0;
    }
    h.log->ComputeCalculatedFields();
    auto& log = h.log;
    ASSERT_TRUE(log->isKeepaway);
    const std::vector<std::vector<int>> keepers = {{1, 2, 3}, {2, 1, 3}, {3, 2, 1}};
    for (int t = 0; t < 3; ++t)
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(RoleAt(*log, keepers[t][k], t), coTeamNumber[0][k]) << "cycle " << t << " rank " << k;
    // Takers: at 0 taker 1 (3 away) before taker 2 (4 away); at 2, taker 2 (10, 0) is 10 away, taker 1 (5) 15.
    EXPECT_EQ(RoleAt(*log, 12, 0), coTeamNumber[1][0]);
    EXPECT_EQ(RoleAt(*log, 13, 0), coTeamNumber[1][1]);
    EXPECT_EQ(RoleAt(*log, 13, 2), coTeamNumber[1][0]);
    // Players who never move keep no role.
    for (int i : {4, 11, 14, 22})
        for (int t = 0; t < 3; ++t)
            EXPECT_EQ(RoleAt(*log, i, t), nullptr) << i;
    // ... also after the shirt numbers were shown in between.
    CalculateRoles(log.get(), true);
    CalculateRoles(log.get(), false);
    EXPECT_EQ(RoleAt(*log, 4, 1), nullptr);
    EXPECT_EQ(RoleAt(*log, 2, 1), coTeamNumber[0][0]);
}

// ---------------------------------------------------------------------------
// Real logs

TEST_F(Roles, ARealMatchGivesEveryPlayerOneRoleOfTheHierarchyAndEachSideOneKeeper)
{
    auto log = CreateFileRecord("full.rcg");
    ReadRcgFile(GunzippedTestFile("match-full-HELIOS_A_4-vs-HELIOS_B_2.rcg"), *log);
    RoboCupFileT& r = *log;
    ASSERT_FALSE(r.isKeepaway);
    ConceptObject* sideNode[2] = {coFieldPlayer[0]->GetParent(), coFieldPlayer[1]->GetParent()};  // "LTeam", "RTeam"
    std::vector<ConceptObject*> all;
    ConceptObject::CollectConcepts(sideNode[0]->GetParent(), &all, true);  // everything below "Team-Roles"
    const std::set<ConceptObject*> known(all.begin(), all.end());
    const std::int32_t* roles[23] = {};
    for (int i = 1; i <= 22; ++i)
        roles[i] = LeafValues<std::int32_t>(r, Name(i) + ".calculated.role").data();
    for (int t = 0; t < r.cycles; ++t) {
        int keepers[2] = {0, 0};
        for (int i = 1; i <= 22; ++i) {
            ConceptObject* role = ConceptFromHandle(roles[i][t]);
            const int side = i <= 11 ? 0 : 1;
            ASSERT_TRUE(known.count(role) == 1 && ConceptObject::IsA(role, sideNode[side]))
                << Name(i) << " at " << t << ": " << RoleName(role);
            if (role == coGK[side])
                ++keepers[side];
        }
        ASSERT_EQ(keepers[0], 1) << t;
        ASSERT_EQ(keepers[1], 1) << t;
    }
    // The time starts at 1 once: one game, so nobody changes role.
    for (int i = 1; i <= 22; ++i)
        EXPECT_EQ(std::count(roles[i], roles[i] + r.cycles, roles[i][0]), r.cycles) << Name(i);
    // The goalkeepers are the players numbered 1, as the teams field them.
    EXPECT_EQ(RoleAt(r, 1, 0), coGK[0]);
    EXPECT_EQ(RoleAt(r, 12, 0), coGK[1]);
}

TEST_F(Roles, ARealKeepawayLogRanksItsFiveMovingPlayers)
{
    auto log = CreateFileRecord("keepaway.rcg");
    ReadRcgFile(GunzippedTestFile("keepaway-3v2-Keepers-vs-Takers-helios-1500.rcg"), *log);
    RoboCupFileT& r = *log;
    ASSERT_TRUE(r.isKeepaway);
    const double* xs[23];
    const double* ys[23];
    const std::int32_t* roles[23] = {};
    for (int i = 0; i < 23; ++i) {
        xs[i] = LeafValues<double>(r, Name(i) + ".pos.x").data();
        ys[i] = LeafValues<double>(r, Name(i) + ".pos.y").data();
        if (i > 0)
            roles[i] = LeafValues<std::int32_t>(r, Name(i) + ".calculated.role").data();
    }
    auto toBall = [&](int i, int t) { return std::hypot(xs[i][t] - xs[0][t], ys[i][t] - ys[0][t]); };
    // The rank a number concept stands for (0 for "1"), -1 for anything else.
    auto rankOf = [](std::int32_t handle, int side) {
        for (int k = 0; k < 11; ++k)
            if (handle == ConceptHandle(coTeamNumber[side][k]))
                return k;
        return -1;
    };
    for (int t = 0; t < r.cycles; ++t) {
        // Keepers 1-3 and takers 12-13 hold the ranks of their side, nearer ones lower.
        for (const auto& [first, count, side] : {std::tuple{1, 3, 0}, std::tuple{12, 2, 1}}) {
            std::set<ConceptObject*> seen;
            for (int i = first; i < first + count; ++i) {
                seen.insert(ConceptFromHandle(roles[i][t]));
                for (int j = first; j < first + count; ++j) {
                    if (toBall(j, t) < toBall(i, t)) {
                        ASSERT_LT(rankOf(roles[j][t], side), rankOf(roles[i][t], side))
                            << Name(j) << " nearer than " << Name(i) << " at " << t;
                    }
                }
            }
            std::set<ConceptObject*> ranks;
            for (int k = 0; k < count; ++k)
                ranks.insert(coTeamNumber[side][k]);
            ASSERT_EQ(seen, ranks) << t;
        }
        for (int i : {4, 11, 14, 22})
            ASSERT_EQ(roles[i][t], 0) << Name(i) << " at " << t;
    }
}

}  // namespace
