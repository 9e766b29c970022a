#include "core/analysis/Analyze.h"

#include "core/concepts/ConceptHierarchies.h"
#include "core/io/Convertlog.h"
#include "core/model/RoboCupFile.h"
#include "core/model/timestream.h"

#include "support/HandFilledLog.h"
#include "support/RcgWriter.h"
#include "support/RecordingHooks.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <set>
#include <sstream>
#include <tuple>
#include <type_traits>
#include <utility>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string Name(int object) { return ObjectName(object); }

// The hand-filled log of the support library, with the derived pass at hand.
class HandLog : public HandFilledLog {
public:
    using HandFilledLog::HandFilledLog;
    void Derive() { ASSERT_EQ(log->ComputeCalculatedFields(), 0); }
};

// Every leaf's stored values, to compare two states of a log.
std::vector<std::vector<double>> Snapshot(RoboCupFileT& log)
{
    std::vector<std::vector<double>> all;
    for (TimeChannel* leaf : log.stream->GetLeaves()) {
        std::vector<double> v;
        for (int t = 0; t < leaf->GetCount(); ++t)
            v.push_back(leaf->GetValue(t));
        all.push_back(std::move(v));
    }
    return all;
}

// A copy of a stream's leaves and values, without the named leaves.
std::unique_ptr<TimeStream> StreamWithout(const TimeStream& from, const std::set<std::string>& omit)
{
    auto copy = std::make_unique<TimeStream>("RoboCup");
    std::map<std::string, CompositeTimeChannel*> composites;
    std::vector<TimeChannel*> roots;
    for (TimeChannel* leaf : from.GetLeaves()) {
        const std::string full = leaf->GetFullName();
        if (omit.count(full) != 0)
            continue;
        CompositeTimeChannel* parent = nullptr;
        std::size_t from_ = 0;
        for (std::size_t dot = full.find('.'); dot != std::string::npos; dot = full.find('.', dot + 1)) {
            const std::string prefix = full.substr(0, dot);
            auto it = composites.find(prefix);
            if (it == composites.end()) {
                auto* c = new CompositeTimeChannel(full.substr(from_, dot - from_));
                if (parent != nullptr)
                    parent->AddChild(c);
                else
                    roots.push_back(c);
                it = composites.emplace(prefix, c).first;
            }
            parent = it->second;
            from_ = dot + 1;
        }
        const std::string name = full.substr(from_);
        const std::string type = leaf->GetTypeName();
        TimeChannel* made = nullptr;
        auto fill = [&](auto* c) {
            using T = std::remove_reference_t<decltype(c->GetValues()[0])>;
            for (int t = 0; t < leaf->GetCount(); ++t)
                c->AddValue(static_cast<T>(leaf->GetValue(t)));
            made = c;
        };
        if (type == "char")
            fill(new DataTimeChannel<std::int8_t>(name));
        else if (type == "short")
            fill(new DataTimeChannel<std::int16_t>(name));
        else if (type == "long")
            fill(new DataTimeChannel<std::int32_t>(name));
        else
            fill(new DataTimeChannel<double>(name));
        if (parent != nullptr)
            parent->AddChild(made);
        else
            roots.push_back(made);
    }
    for (TimeChannel* root : roots)
        copy->AddChannel(root);
    copy->BuildRowHeader();
    return copy;
}

// ---------------------------------------------------------------------------
// Moving objects and keepaway detection

TEST(DerivedPassMoving, NineMovingObjectsMakeAKeepawayLogTenDoNot)
{
    RecordingHooks hooks;
    HandLog nine(5);
    nine.Nudge(0);
    for (int p : {1, 2, 3, 4, 12, 13, 14, 15})
        nine.Nudge(p);
    nine.Derive();
    EXPECT_TRUE(nine.log->isKeepaway);
    EXPECT_TRUE(nine.log->moving[0]);
    EXPECT_TRUE(nine.log->moving[15]);
    EXPECT_FALSE(nine.log->moving[16]);
    EXPECT_FALSE(nine.log->moving[5]);

    HandLog ten(5);
    ten.Nudge(0);
    for (int p : {1, 2, 3, 4, 12, 13, 14, 15, 22})
        ten.Nudge(p);
    ten.Derive();
    EXPECT_FALSE(ten.log->isKeepaway);
    EXPECT_TRUE(ten.log->moving[22]);
}

TEST(DerivedPassMoving, AChangeOfYAloneIsMovementAndAConstantPositionIsNot)
{
    RecordingHooks hooks;
    HandLog log(3);
    log.Y(7)[1] = 1.25;  // moves away and back
    log.Derive();
    EXPECT_TRUE(log.log->moving[7]);
    EXPECT_FALSE(log.log->moving[8]);
    EXPECT_FALSE(log.log->moving[0]);
}

TEST(DerivedPassMoving, LogsWithoutCyclesOrWithOneCycleAreKeepawayAndDeriveNothing)
{
    for (int n : {0, 1}) {
        RecordingHooks hooks;
        HandLog log(n);
        log.Derive();
        EXPECT_TRUE(log.log->isKeepaway) << n;
        for (int i = 0; i < 23; ++i)
            EXPECT_FALSE(log.log->moving[i]) << n << " object " << i;
        EXPECT_EQ(log.Of<double>("Ball.goal_distance.l_team").size(), static_cast<std::size_t>(n));
        EXPECT_TRUE(hooks.notices.empty());
    }
}

// ---------------------------------------------------------------------------
// Channel references and progress

TEST(DerivedPassReferences, PointsTheRecordsReferencesIntoItsCurrentStream)
{
    RecordingHooks hooks;
    HandLog h(2);
    // A stream put in place after creation (as a merge or a rebuild would do).
    h.log->stream = StreamWithout(*h.log->stream, {});
    h.Derive();
    RoboCupFileT& log = *h.log;
    const TimeStream& s = *log.stream;
    EXPECT_EQ(static_cast<TimeChannel*>(log.playModeChannel), s.FindChannel("play_mode"));
    EXPECT_EQ(static_cast<TimeChannel*>(log.time2goalChannel), s.FindChannel("score.time2goal"));
    EXPECT_EQ(static_cast<TimeChannel*>(log.timeChannel), s.FindChannel("time"));
    EXPECT_EQ(static_cast<TimeChannel*>(log.rightPossessionChannel), s.FindChannel("Ball.possessor.r_team"));
    for (int i = 0; i < 23; ++i) {
        const std::string o = Name(i);
        EXPECT_EQ(static_cast<TimeChannel*>(log.posXChannel[i]), s.FindChannel(o + ".pos.x")) << o;
        EXPECT_EQ(static_cast<TimeChannel*>(log.kickEventChannel[i]), s.FindChannel(o + ".calculated.kick_event")) << o;
        EXPECT_EQ(static_cast<TimeChannel*>(log.roleChannel[i]), s.FindChannel(o + ".calculated.role")) << o;
        EXPECT_EQ(static_cast<TimeChannel*>(log.possessorChannel[i]), s.FindChannel(o + ".calculated.possessor")) << o;
    }
    EXPECT_EQ(log.roleChannel[0], nullptr);
    EXPECT_NE(log.roleChannel[1], nullptr);
}

TEST(DerivedPassReferences, ShowsItsPhasesInOrderAndLetsEventsThroughOncePerPlayer)
{
    RecordingHooks hooks;
    HandLog h(4);
    h.Derive();
    std::vector<std::string> expected = {"Initializing lookup data structures", "Evaluating calculated fields",
                                         "Computing events"};
    for (int p = 1; p <= 22; ++p)
        expected.push_back("Computing moving events for player " + std::to_string(p));
    expected.push_back("");
    EXPECT_EQ(hooks.waitTexts, expected);
    // Once per player in the derived channels, once per player for the moving events.
    EXPECT_EQ(hooks.pendingEventCalls, 44);
    EXPECT_TRUE(hooks.notices.empty());
}

// ---------------------------------------------------------------------------
// Goal distances

TEST(DerivedPassGoalDistance, MeasuresFromTheBallToBothGoalCentres)
{
    RecordingHooks hooks;
    HandLog h(3);
    h.X(0) = {0.0, -49.5, 52.5};
    h.Y(0) = {0.0, 4.0, -34.0};
    h.Derive();
    const auto& left = h.Of<double>("Ball.goal_distance.l_team");
    const auto& right = h.Of<double>("Ball.goal_distance.r_team");
    EXPECT_DOUBLE_EQ(left[0], 52.5);
    EXPECT_DOUBLE_EQ(right[0], 52.5);
    EXPECT_DOUBLE_EQ(left[1], 5.0);  // a 3-4-5 triangle
    EXPECT_DOUBLE_EQ(right[1], std::sqrt(102.0 * 102.0 + 16.0));
    EXPECT_DOUBLE_EQ(left[2], std::sqrt(105.0 * 105.0 + 34.0 * 34.0));
    EXPECT_DOUBLE_EQ(right[2], 34.0);
}

// ---------------------------------------------------------------------------
// Nearest opponent and team-mate

TEST(DerivedPassNearest, EqualDistancesGoToTheLowerIndex)
{
    RecordingHooks hooks;
    HandLog h(1);
    // Everybody far away, then Lplayer1 at the origin with Rplayer9 and Rplayer4
    // both exactly 3 away, and team-mates Lplayer8 and Lplayer6 both 2 away.
    for (int i = 1; i <= 22; ++i)
        h.Place(i, i <= 11 ? -50.0 : 50.0, i <= 11 ? -30.0 + i : 30.0 - i);
    h.Place(1, 0.0, 0.0);
    h.Place(20, 3.0, 0.0);
    h.Place(15, 0.0, -3.0);
    h.Place(8, -2.0, 0.0);
    h.Place(6, 0.0, 2.0);
    h.Derive();
    EXPECT_EQ(h.Of<std::int16_t>(1, "calculated.nearest_opponent")[0], 15);
    EXPECT_DOUBLE_EQ(h.Of<double>(1, "calculated.dist_opponent")[0], 3.0);
    EXPECT_EQ(h.Of<std::int16_t>(1, "calculated.nearest_teammate")[0], 6);
    EXPECT_DOUBLE_EQ(h.Of<double>(1, "calculated.dist_teammate")[0], 2.0);
    // Seen from the right: Rplayer4 (15) finds Lplayer1 and skips itself among mates.
    EXPECT_EQ(h.Of<std::int16_t>(15, "calculated.nearest_opponent")[0], 1);
    EXPECT_EQ(h.Of<std::int16_t>(15, "calculated.nearest_teammate")[0], 20);
    EXPECT_DOUBLE_EQ(h.Of<double>(15, "calculated.dist_teammate")[0], std::sqrt(18.0));
}

TEST(DerivedPassNearest, NobodyCloserThanAHundredMeansNoOne)
{
    RecordingHooks hooks;
    HandLog h(2);
    // The left team at x = -50, the right team at x = 50: exactly 100 apart at
    // best at cycle 0, one right player 99.5 away at cycle 1.
    for (int k = 1; k <= 11; ++k) {
        h.Place(k, -50.0, 3.0 * k);
        h.Place(k + 11, 50.0, 3.0 * k);
    }
    h.X(18)[1] = 49.5;  // Rplayer7 at (49.5, 21)
    h.Derive();
    const auto& index = h.Of<std::int16_t>(7, "calculated.nearest_opponent");
    const auto& dist = h.Of<double>(7, "calculated.dist_opponent");
    EXPECT_EQ(index[0], -1);
    EXPECT_DOUBLE_EQ(dist[0], 100.0);
    EXPECT_EQ(index[1], 18);
    EXPECT_DOUBLE_EQ(dist[1], 99.5);
    EXPECT_EQ(h.Of<std::int16_t>(2, "calculated.nearest_opponent")[1], -1);
    EXPECT_EQ(h.Of<std::int16_t>(2, "calculated.nearest_teammate")[0], 1);
    EXPECT_DOUBLE_EQ(h.Of<double>(2, "calculated.dist_teammate")[0], 3.0);
    // Extremes of the rewritten channels are those of the new values.
    auto* channel = dynamic_cast<DataTimeChannel<std::int16_t>*>(h.log->stream->FindChannel("Lplayer7.calculated.nearest_opponent"));
    ASSERT_NE(channel, nullptr);
    EXPECT_EQ(channel->GetMin(), -1);
    EXPECT_EQ(channel->GetMax(), 18);
}

// ---------------------------------------------------------------------------
// Possession

// Writes a fixed-point value into a parameter record, big-endian as in the log.
void PutFixed(unsigned char* field, double value)
{
    const auto raw = static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(value * 65536.0)));
    field[0] = static_cast<unsigned char>(raw >> 24);
    field[1] = static_cast<unsigned char>(raw >> 16);
    field[2] = static_cast<unsigned char>(raw >> 8);
    field[3] = static_cast<unsigned char>(raw);
}

rcss::player_type_t PlayerType(double size, double kickableMargin)
{
    rcss::player_type_t type{};
    PutFixed(type.bytes + 24, size);
    PutFixed(type.bytes + 28, kickableMargin);
    return type;
}

TEST(DerivedPassPossession, APlayerExactlyAtReachPossessesAndOneStepFurtherDoesNot)
{
    RecordingHooks hooks;
    HandLog h(4);
    // Sizes that fixed point holds exactly: reach = 0.5 + 0.25 + 0.125 = 0.875.
    PutFixed(h.log->serverParams.bytes + 104, 0.125);
    h.log->serverParamsRead = true;
    h.log->playerTypes = {PlayerType(0.25, 0.5), PlayerType(1.0, 1.0)};
    h.X(9) = {0.875, 0.875 + 1.0 / 65536.0, 1.5, -20.0};
    h.Y(9) = {0.0, 0.0, 0.0, 0.0};
    h.Of<std::int16_t>(9, "type") = {0, 0, 1, 0};  // type 1 reaches 2.125
    h.X(13)[3] = 0.0;                              // Rplayer2 on the ball at the end
    h.Y(13)[3] = -0.875;
    h.Derive();
    EXPECT_DOUBLE_EQ(PossessionReach(*h.log, 0), 0.875);
    EXPECT_DOUBLE_EQ(PossessionReach(*h.log, 1), 2.125);
    const std::vector<std::int8_t> expected = {1, 0, 1, 0};
    EXPECT_EQ(h.Of<std::int8_t>(9, "calculated.possessor"), expected);
    EXPECT_EQ(h.Of<std::int8_t>(9, "calculated.real_possessor"), expected);
    EXPECT_EQ(h.Of<std::int8_t>(9, "calculated.prev_possessor"), std::vector<std::int8_t>(4, 0));
    EXPECT_EQ(h.Of<std::int8_t>(13, "calculated.possessor"), (std::vector<std::int8_t>{0, 0, 0, 1}));
    EXPECT_EQ(h.Of<std::int8_t>("Ball.possessor.l_team"), (std::vector<std::int8_t>{1, 0, 1, 0}));
    EXPECT_EQ(h.Of<std::int8_t>("Ball.possessor.r_team"), (std::vector<std::int8_t>{0, 0, 0, 1}));
}

TEST(DerivedPassPossession, UnknownPlayerTypesAndMissingServerParametersTakeTheServerDefaults)
{
    RecordingHooks hooks;
    HandLog h(3);
    // No parameter records: reach = 0.7 + 0.3 + 0.085 = 1.085.
    h.X(3) = {1.0625, 1.09375, 1.0625};  // inside, outside, inside
    h.Y(3) = {0.0, 0.0, 0.0};
    h.Of<std::int16_t>(3, "type") = {0, 0, -2};
    h.Derive();
    EXPECT_EQ(h.Of<std::int8_t>(3, "calculated.possessor"), (std::vector<std::int8_t>{1, 0, 1}));
    EXPECT_DOUBLE_EQ(BallSize(*h.log), 0.085);
    EXPECT_DOUBLE_EQ(PossessionReach(*h.log, 0), 1.085);

    // With server parameters but only one player type, type 3 is the default type.
    PutFixed(h.log->serverParams.bytes + 104, 0.25);
    h.log->serverParamsRead = true;
    h.log->playerTypes = {PlayerType(0.5, 0.5)};
    EXPECT_DOUBLE_EQ(PossessionReach(*h.log, 0), 1.25);
    EXPECT_DOUBLE_EQ(PossessionReach(*h.log, 3), 0.3 + 0.7 + 0.25);
    EXPECT_DOUBLE_EQ(PossessionReach(*h.log, -1), 0.3 + 0.7 + 0.25);
}

TEST(DerivedPassPossession, SideChannelsAreOnlyEverRaised)
{
    RecordingHooks hooks;
    HandLog h(3);
    h.Of<std::int8_t>("Ball.possessor.r_team")[1] = 1;  // left over from an earlier pass
    h.X(4)[2] = 0.5;                                     // Lplayer4 on the ball at cycle 2
    h.Y(4)[2] = 0.0;
    h.Derive();
    EXPECT_EQ(h.Of<std::int8_t>("Ball.possessor.r_team"), (std::vector<std::int8_t>{0, 1, 0}));
    EXPECT_EQ(h.Of<std::int8_t>("Ball.possessor.l_team"), (std::vector<std::int8_t>{0, 0, 1}));
}

// ---------------------------------------------------------------------------
// Commands

TEST(DerivedPassCommands, ACountRiseMarksTheEarlierCycleAndAKickNeedsTheBall)
{
    RecordingHooks hooks;
    HandLog h(5);
    // Lplayer2 is on the ball at cycles 2 and 3 only.
    h.X(2) = {-20.0, -20.0, 0.5, 0.5, -20.0};
    h.Y(2) = {0.0, 0.0, 0.0, 0.0, 0.0};
    h.Of<std::int16_t>(2, "counts.kick_count") = {0, 1, 2, 3, 4};  // rises every cycle
    h.Of<std::int16_t>(2, "counts.dash_count") = {5, 6, 6, 4, 9};   // rises, stays, falls, rises
    h.Of<std::int16_t>(2, "counts.chng_view_count") = {0, 0, 0, 0, 1};
    h.Derive();
    EXPECT_EQ(h.Of<std::int8_t>(2, "actions.kick"), (std::vector<std::int8_t>{0, 0, 1, 1, 0}));
    EXPECT_EQ(h.Of<std::int8_t>(2, "actions.dash"), (std::vector<std::int8_t>{1, 0, 0, 1, 0}));
    EXPECT_EQ(h.Of<std::int8_t>(2, "actions.chng_view"), (std::vector<std::int8_t>{0, 0, 0, 1, 0}));
    EXPECT_EQ(h.Of<std::int8_t>(2, "actions.turn"), std::vector<std::int8_t>(5, 0));
}

TEST(DerivedPassCommands, EveryCommandReadsItsOwnCount)
{
    RecordingHooks hooks;
    HandLog h(3);
    const char* commands[] = {"dash", "turn", "say", "tneck", "catch", "move", "chng_view"};
    for (int k = 0; k < 7; ++k) {
        // Command k rises only for player k + 12, between cycles 0 and 1.
        h.Of<std::int16_t>(k + 12, std::string("counts.") + commands[k] + "_count") = {0, 1, 1};
    }
    h.Derive();
    for (int k = 0; k < 7; ++k) {
        for (int p = 12; p <= 18; ++p) {
            const std::vector<std::int8_t> expected = p == k + 12 ? std::vector<std::int8_t>{1, 0, 0}
                                                                   : std::vector<std::int8_t>{0, 0, 0};
            EXPECT_EQ(h.Of<std::int8_t>(p, std::string("actions.") + commands[k]), expected)
                << commands[k] << " of object " << p;
        }
    }
}

// ---------------------------------------------------------------------------
// Speed classes

TEST(DerivedPassSpeed, ClassLimitsBelongToTheFasterClass)
{
    RecordingHooks hooks;
    HandLog h(10);
    // Lengths 0.3 and 0.088 follow; a velocity that is no number is below no limit.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    h.Of<double>(10, "vel.dx") = {0.0, 0.0299, 0.03, 0.0999, 0.1, 0.0, -0.3, 0.18, 0.0625, nan};
    h.Of<double>(10, "vel.dy") = {0.0, 0.0, 0.0, 0.0, 0.0, 0.3, 0.0, -0.24, 0.0625, 0.0};
    h.Derive();
    EXPECT_EQ(h.Of<std::int8_t>(10, "calculated.speed"), (std::vector<std::int8_t>{0, 0, 1, 1, 2, 3, 3, 3, 1, 3}));
    EXPECT_EQ(SpeedClass(nan), 3);
    EXPECT_EQ(SpeedClass(0.29999), 2);
    EXPECT_EQ(SpeedClass(12.0), 3);
}

// ---------------------------------------------------------------------------
// Cycles to the next score change

TEST(DerivedPassTimeToGoal, CountsDownToTheLastCycleBeforeTheChange)
{
    RecordingHooks hooks;
    HandLog h(100);
    auto& diff = h.Of<std::int16_t>("score.diff");
    for (int t = 50; t < 100; ++t)
        diff[static_cast<std::size_t>(t)] = 1;
    h.Derive();
    const auto& t2g = h.Of<std::int16_t>("score.time2goal");
    EXPECT_EQ(t2g[0], 49);
    EXPECT_EQ(t2g[10], 39);
    EXPECT_EQ(t2g[49], 0);
    for (int t = 50; t < 100; ++t)
        EXPECT_EQ(t2g[static_cast<std::size_t>(t)], -1) << t;
}

TEST(DerivedPassTimeToGoal, SeveralChangesEachCountAndNoChangeGivesMinusOne)
{
    RecordingHooks hooks;
    HandLog h(8);
    h.Of<std::int16_t>("score.diff") = {0, 0, 1, 1, 1, 0, 0, 0};
    h.Derive();
    EXPECT_EQ(h.Of<std::int16_t>("score.time2goal"), (std::vector<std::int16_t>{1, 0, 2, 1, 0, -1, -1, -1}));

    HandLog still(6);
    still.Of<std::int16_t>("score.diff") = {2, 2, 2, 2, 2, 2};
    still.Derive();
    EXPECT_EQ(still.Of<std::int16_t>("score.time2goal"), std::vector<std::int16_t>(6, -1));

    // A change right after the first cycle counts as well.
    HandLog early(4);
    early.Of<std::int16_t>("score.diff") = {0, -1, -1, -1};
    early.Derive();
    EXPECT_EQ(early.Of<std::int16_t>("score.time2goal"), (std::vector<std::int16_t>{0, -1, -1, -1}));
}

// ---------------------------------------------------------------------------
// Whole pass

TEST(DerivedPassWhole, RunningItAgainChangesNothing)
{
    RecordingHooks hooks;
    HandLog h(30);
    for (int t = 0; t < 30; ++t) {
        h.X(0)[static_cast<std::size_t>(t)] = -10.0 + 0.5 * t;
        h.X(3)[static_cast<std::size_t>(t)] = -10.0 + 0.5 * t;
        h.Y(3)[static_cast<std::size_t>(t)] = 0.5;
        h.Of<std::int16_t>(3, "counts.kick_count")[static_cast<std::size_t>(t)] = static_cast<std::int16_t>(t / 2);
        h.Of<double>(3, "vel.dx")[static_cast<std::size_t>(t)] = 0.5;
        h.X(14)[static_cast<std::size_t>(t)] = 20.0 - t;
    }
    h.Of<std::int16_t>("score.diff")[20] = 1;
    // With the action concepts there, the dribble becomes an event.
    std::unique_ptr<ConceptObject> actions;
    {
        const InTempDir dir("derived");
        actions.reset(CreateActionConcepts());
    }
    auto events = [&] {
        std::vector<std::tuple<ConceptObject*, int, int, int, int, int, int>> all;
        for (const auto& list : h.log->events)
            for (const auto& e : list)
                all.emplace_back(e->action, e->player, e->start, e->end, e->other, e->otherEnd, e->extra);
        return all;
    };
    h.Derive();
    const auto once = Snapshot(*h.log);
    const auto eventsOnce = events();
    ASSERT_FALSE(eventsOnce.empty());
    h.Derive();
    EXPECT_EQ(Snapshot(*h.log), once);
    EXPECT_EQ(events(), eventsOnce);
    actions.reset();
    ClearActionConceptPointers();
}

TEST(DerivedPassWhole, ExtremesOfWrittenChannelsAreRestored)
{
    RecordingHooks hooks;
    HandLog h(3);
    h.X(0) = {0.0, 10.0, -40.0};
    h.Of<double>(5, "vel.dx") = {0.0, 1.0, 0.05};
    h.Derive();
    auto* left = dynamic_cast<DataTimeChannel<double>*>(h.log->stream->FindChannel("Ball.goal_distance.l_team"));
    ASSERT_NE(left, nullptr);
    EXPECT_DOUBLE_EQ(left->GetMin(), 12.5);
    EXPECT_DOUBLE_EQ(left->GetMax(), 62.5);
    auto* speed = dynamic_cast<DataTimeChannel<std::int8_t>*>(h.log->stream->FindChannel("Lplayer5.calculated.speed"));
    ASSERT_NE(speed, nullptr);
    EXPECT_EQ(speed->GetMin(), 0);
    EXPECT_EQ(speed->GetMax(), 3);
    auto* t2g = dynamic_cast<DataTimeChannel<std::int16_t>*>(h.log->stream->FindChannel("score.time2goal"));
    ASSERT_NE(t2g, nullptr);
    EXPECT_EQ(t2g->GetMin(), -1);
    EXPECT_EQ(t2g->GetMax(), -1);
}

TEST(DerivedPassWhole, DerivesFromStoredValuesWhateverTheUsersWindow)
{
    RecordingHooks hooks;
    HandLog plain(6);
    HandLog windowed(6);
    for (HandLog* h : {&plain, &windowed}) {
        h->X(0) = {0.0, 1.0, 2.0, 3.0, 4.0, 5.0};
        h->Of<double>(8, "vel.dx") = {0.0, 0.5, 0.0, 0.5, 0.0, 0.5};
    }
    windowed.log->stream->SetTimeWindow(4);
    plain.Derive();
    windowed.Derive();
    windowed.log->stream->SetTimeWindow(1);
    EXPECT_EQ(Snapshot(*windowed.log), Snapshot(*plain.log));
}

TEST(DerivedPassWhole, AnObjectWithoutPositionIsReportedAndLeftOut)
{
    RecordingHooks hooks;
    HandLog h(2);
    h.Place(5, 0.25, 0.0);  // on the ball, and nearest to everybody around
    h.Place(14, 0.0, 1.0);
    h.Of<std::int16_t>(5, "counts.dash_count") = {0, 1};
    h.log->stream = StreamWithout(*h.log->stream, {"Lplayer5.pos.x", "Lplayer5.pos.y"});
    h.Derive();
    using Notice = std::pair<std::string, std::string>;
    EXPECT_EQ(hooks.notices, (std::vector<Notice>{{"tsPosX", "Assert failed"}, {"tsPosY", "Assert failed"}}));
    EXPECT_FALSE(h.log->moving[5]);
    // Nobody sees the player without a position, and his own channels stay as read.
    EXPECT_EQ(h.Of<std::int16_t>(14, "calculated.nearest_opponent")[0], 2);
    EXPECT_EQ(h.Of<std::int16_t>(4, "calculated.nearest_teammate")[0], 3);
    EXPECT_EQ(h.Of<std::int8_t>(5, "calculated.possessor"), (std::vector<std::int8_t>{0, 0}));
    EXPECT_EQ(h.Of<std::int8_t>(5, "actions.dash"), (std::vector<std::int8_t>{0, 0}));
    EXPECT_EQ(h.Of<std::int8_t>("Ball.possessor.l_team"), (std::vector<std::int8_t>{0, 0}));
    // The others are derived as usual.
    EXPECT_EQ(h.Of<std::int8_t>(14, "calculated.possessor"), (std::vector<std::int8_t>{1, 1}));
    EXPECT_DOUBLE_EQ(h.Of<double>("Ball.goal_distance.r_team")[1], 52.5);
}

// ---------------------------------------------------------------------------
// A log written for the purpose

TEST(DerivedPassWrittenLog, ReachFromTheLogsRecordsKicksInReachAndTheCountdownToAGoal)
{
    RecordingHooks hooks;
    // Reach 0.5 + 0.25 + 0.125 = 0.875 from the parameter records, exact in fixed point.
    RcgWriter w;
    w.Teams("Near", 0, "Far", 0).ServerParams(0.125).PlayerType(0.25, 0.5);
    ShowState s;
    s.Left(9).y = 0.0;
    const double x[5] = {0.875, 0.875 + 1.0 / 65536.0, 2.0, 2.0, 2.0};
    const std::uint16_t kicks[5] = {0, 1, 2, 2, 2};  // kicks at 0 (in reach) and 1 (out of reach)
    const std::uint16_t dashes[5] = {0, 0, 1, 1, 0};  // a dash at 1; a falling count at 3
    for (int t = 0; t < 5; ++t) {
        if (t == 3)
            w.PlayMode(PM_GoalLeft);
        s.time = static_cast<std::uint16_t>(t + 1);
        s.Left(9).x = x[t];
        s.Left(9).counts[CountKick] = kicks[t];
        s.Left(9).counts[CountDash] = dashes[t];
        w.Show(s);
    }
    auto log = CreateFileRecord("written.rcg");
    ASSERT_EQ(ReadRcgFile(w.Save("written"), *log), 0);
    ASSERT_EQ(log->cycles, 5);
    RoboCupFileT& r = *log;
    EXPECT_EQ(LeafValues<std::int8_t>(r, "Lplayer9.calculated.possessor"), (std::vector<std::int8_t>{1, 0, 0, 0, 0}));
    EXPECT_EQ(LeafValues<std::int8_t>(r, "Ball.possessor.l_team"), (std::vector<std::int8_t>{1, 0, 0, 0, 0}));
    EXPECT_EQ(LeafValues<std::int8_t>(r, "Lplayer9.actions.kick"), (std::vector<std::int8_t>{1, 0, 0, 0, 0}));
    EXPECT_EQ(LeafValues<std::int8_t>(r, "Lplayer9.actions.dash"), (std::vector<std::int8_t>{0, 1, 0, 0, 0}));
    EXPECT_EQ(LeafValues<std::int16_t>(r, "score.time2goal"), (std::vector<std::int16_t>{2, 1, 0, -1, -1}));
}

// ---------------------------------------------------------------------------
// Real matches

// The final score "L-R" that the description beside a test log gives.
std::pair<int, int> FinalScoreOf(const std::string& logName)
{
    std::ifstream in(TestDataPath(logName.substr(0, logName.size() - 4) + ".txt"));
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("final_score", 0) == 0) {
            std::istringstream fields(line.substr(11));
            int left = -1;
            int right = -1;
            char dash = 0;
            fields >> left >> dash >> right;
            return {left, right};
        }
    }
    return {-1, -1};
}

class DerivedPassRealMatch : public ::testing::TestWithParam<const char*> {};

TEST_P(DerivedPassRealMatch, SatisfiesWhatHoldsForEveryMatch)
{
    RecordingHooks hooks;
    const std::string name = GetParam();
    const auto [leftGoals, rightGoals] = FinalScoreOf(name);
    ASSERT_GE(leftGoals, 0);
    auto log = CreateFileRecord(name);
    ASSERT_EQ(ReadRcgFile(GunzippedTestFile(name), *log), 0);
    RoboCupFileT& r = *log;
    const int n = r.cycles;
    ASSERT_GT(n, 100);
    EXPECT_FALSE(r.isKeepaway);

    const auto& l = LeafValues<std::int16_t>(r, "score.l_team");
    const auto& rs = LeafValues<std::int16_t>(r, "score.r_team");
    EXPECT_EQ(l.back(), leftGoals);
    EXPECT_EQ(rs.back(), rightGoals);

    // After the last change of the score difference, no goal is to come.
    const auto& diff = LeafValues<std::int16_t>(r, "score.diff");
    const auto& t2g = LeafValues<std::int16_t>(r, "score.time2goal");
    int lastChange = 0;
    for (int t = 1; t < n; ++t)
        if (diff[t] != diff[t - 1])
            lastChange = t;
    ASSERT_GT(lastChange, 0);
    for (int t = lastChange; t < n; ++t)
        ASSERT_EQ(t2g[t], -1) << t;
    EXPECT_EQ(t2g[lastChange - 1], 0);

    // Nearest opponents are players of the other side, and really the nearest;
    // real possession is the ball within the reach of the player's type.
    const double* xs[23];
    const double* ys[23];
    for (int i = 0; i < 23; ++i) {
        xs[i] = LeafValues<double>(r, Name(i) + ".pos.x").data();
        ys[i] = LeafValues<double>(r, Name(i) + ".pos.y").data();
    }
    // The log's own records say: type 0 has size + kickable margin 1.0, the ball 0.084991455078125.
    EXPECT_DOUBLE_EQ(PossessionReach(r, 0), 1.0 + 0.084991455078125);
    for (int p = 1; p <= 22; ++p) {
        const auto& index = LeafValues<std::int16_t>(r, Name(p) + ".calculated.nearest_opponent");
        const auto& dist = LeafValues<double>(r, Name(p) + ".calculated.dist_opponent");
        const auto& real = LeafValues<std::int8_t>(r, Name(p) + ".calculated.real_possessor");
        const auto& type = LeafValues<std::int16_t>(r, Name(p) + ".type");
        for (int t = 0; t < n; ++t) {
            const int o = index[t];
            if (p <= 11)
                ASSERT_TRUE(o == -1 || (o >= 12 && o <= 22)) << Name(p) << " at " << t << ": " << o;
            else
                ASSERT_TRUE(o == -1 || (o >= 1 && o <= 11)) << Name(p) << " at " << t << ": " << o;
            double best = 100.0;
            for (int q = p <= 11 ? 12 : 1, end = q + 11; q < end; ++q)
                best = std::min(best, std::hypot(xs[q][t] - xs[p][t], ys[q][t] - ys[p][t]));
            ASSERT_NEAR(dist[t], best, 1e-9) << Name(p) << " at " << t;
            const double toBall = std::hypot(xs[p][t] - xs[0][t], ys[p][t] - ys[0][t]);
            ASSERT_EQ(real[t] == 1, toBall <= PossessionReach(r, type[t])) << Name(p) << " at " << t;
        }
    }

    // Someone has the ball in most cycles of running play (the time advancing).
    int running = 0;
    int owned = 0;
    const auto& time = LeafValues<std::int16_t>(r, "time");
    const auto& lPoss = LeafValues<std::int8_t>(r, "Ball.possessor.l_team");
    const auto& rPoss = LeafValues<std::int8_t>(r, "Ball.possessor.r_team");
    for (int t = 1; t < n; ++t) {
        if (time[t] != time[t - 1] + 1)
            continue;
        ++running;
        if (lPoss[t] || rPoss[t])
            ++owned;
    }
    ASSERT_GT(running, n / 2);
    EXPECT_GT(owned * 2, running) << owned << " of " << running;

    // The ball goal distances agree with the ball's position.
    const auto& gl = LeafValues<double>(r, "Ball.goal_distance.l_team");
    for (int t = 0; t < n; ++t)
        ASSERT_NEAR(gl[t], std::hypot(xs[0][t] + 52.5, ys[0][t]), 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Logs, DerivedPassRealMatch,
                         ::testing::Values("match-full-HELIOS_A_4-vs-HELIOS_B_2.rcg",
                                           "match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"));

TEST(DerivedPassRealKeepaway, SixMovingObjectsMakeAKeepawayLog)
{
    RecordingHooks hooks;
    auto log = CreateFileRecord("keepaway");
    ASSERT_EQ(ReadRcgFile(GunzippedTestFile("keepaway-3v2-Keepers-vs-Takers-helios-1500.rcg"), *log), 0);
    EXPECT_TRUE(log->isKeepaway);
    int moving = 0;
    for (int i = 0; i < 23; ++i)
        moving += log->moving[i];
    EXPECT_EQ(moving, 6);  // the ball, three keepers and two takers
    for (int i : {0, 1, 2, 3, 12, 13})
        EXPECT_TRUE(log->moving[i]) << i;
}

}  // namespace
