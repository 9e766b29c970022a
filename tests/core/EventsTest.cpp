// Action events: scenario logs written with the test-side writer, read and derived
// like any log, then checked for the events and kick codes the play must give; and
// sanity checks over real logs.
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/io/Convertlog.h"
#include "core/analysis/Events.h"
#include "core/model/RoboCupFile.h"

#include "support/RcgWriter.h"
#include "support/RecordingHooks.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Point {
    double x, y;
};

// A short match described cycle by cycle. Players not in the play stand parked
// along the touchlines, the ball lies at a free spot unless someone is given it.
class Scene {
public:
    static constexpr Point kFreeBall{0.0, 25.0};

    explicit Scene(int cycles) : states_(static_cast<std::size_t>(cycles)), modes_(states_.size(), 0)
    {
        for (std::size_t c = 0; c < states_.size(); ++c) {
            ShowState& s = states_[c];
            s.time = static_cast<uint16_t>(c + 1);
            s.ball.x = kFreeBall.x;
            s.ball.y = kFreeBall.y;
            for (int n = 1; n <= 11; ++n) {
                s.Left(n).x = -4.0 * n - 2.0;
                s.Left(n).y = -32.0;
                s.Right(n).x = 4.0 * n + 2.0;
                s.Right(n).y = 32.0;
            }
        }
    }

    int Cycles() const { return static_cast<int>(states_.size()); }

    // The object (0 the ball) at p from cycle c to the end.
    void Put(int object, int c, Point p)
    {
        for (int i = c; i < Cycles(); ++i)
            Set(object, i, p);
    }
    // The object moving in a straight line from a (at cycle from) to b (at cycle to),
    // staying at b afterwards.
    void Move(int object, int from, int to, Point a, Point b)
    {
        for (int i = from; i < Cycles(); ++i) {
            const double f = i >= to ? 1.0 : double(i - from) / double(to - from);
            Set(object, i, {a.x + f * (b.x - a.x), a.y + f * (b.y - a.y)});
        }
    }
    // The ball at the player's feet from cycle from to cycle to.
    void Give(int player, int from, int to)
    {
        for (int i = from; i <= to; ++i)
            Set(0, i, Pos(player, i));
    }
    // The ball back at the free spot from cycle c on.
    void Free(int c) { Put(0, c, kFreeBall); }
    // A kick command issued at cycle c: the counter is one higher from c + 1 on.
    void Kick(int player, int c)
    {
        for (int i = c + 1; i < Cycles(); ++i)
            ++states_[static_cast<std::size_t>(i)].Object(player).counts[CountKick];
    }
    void Mode(int c, int mode) { modes_[static_cast<std::size_t>(c)] = mode; }

    Point Pos(int object, int c) const
    {
        const ShowState& s = states_[static_cast<std::size_t>(c)];
        if (object == 0)
            return {s.ball.x, s.ball.y};
        const PlayerState& p = s.players[static_cast<std::size_t>(object - 1)];
        return {p.x, p.y};
    }

    // Writes the log, reads and derives it. A field game moves every player a little
    // at the last cycle, so that the log is not taken for keepaway.
    std::unique_ptr<RoboCupFileT> Load(bool keepaway = false)
    {
        if (!keepaway)
            for (int o = 1; o <= 22; ++o)
                Set(o, Cycles() - 1, {Pos(o, Cycles() - 1).x, Pos(o, Cycles() - 1).y + 0.5});
        RcgWriter w;
        w.Teams("Alpha", 0, "Beta", 0).ServerParams().PlayerType(0.3, 0.7);
        for (std::size_t c = 0; c < states_.size(); ++c) {
            if (modes_[c] != 0)
                w.PlayMode(modes_[c]);
            w.Show(states_[c]);
        }
        auto log = CreateFileRecord(w.Save("events"));
        ReadRcgFile(log->fileName, *log);
        EXPECT_EQ(log->isKeepaway, keepaway);
        return log;
    }

private:
    void Set(int object, int c, Point p)
    {
        ShowState& s = states_[static_cast<std::size_t>(c)];
        if (object == 0) {
            s.ball.x = p.x;
            s.ball.y = p.y;
        } else {
            s.Object(object).x = p.x;
            s.Object(object).y = p.y;
        }
    }

    std::vector<ShowState> states_;
    std::vector<int> modes_;
};

std::string Name(const ConceptObject* c) { return c ? c->GetName() : std::string("(none)"); }

// An event as compact text: "Name start-end other:otherEnd extra".
std::string Describe(const ActionEvent& e)
{
    std::ostringstream out;
    out << Name(e.action) << ' ' << e.start << '-' << e.end << ' ' << e.other << ':' << e.otherEnd << ' ' << e.extra;
    return out.str();
}

std::vector<std::string> EventsOf(const RoboCupFileT& log, int object)
{
    std::vector<std::string> out;
    for (const auto& e : log.events[static_cast<std::size_t>(object)]) {
        EXPECT_EQ(e->player, object);
        out.push_back(Describe(*e));
    }
    return out;
}

// Every object's events, keyed by object, for objects that have any.
std::map<int, std::vector<std::string>> AllEvents(const RoboCupFileT& log)
{
    std::map<int, std::vector<std::string>> out;
    for (int o = 0; o < RoboCupFileT::kObjectCount; ++o)
        if (!log.events[static_cast<std::size_t>(o)].empty())
            out[o] = EventsOf(log, o);
    return out;
}

// Cycles at which the object's kick code is non-zero, as "cycle:code".
std::vector<std::string> KickCodes(const RoboCupFileT& log, int object)
{
    std::vector<std::string> out;
    const auto& v = log.kickEventChannel[static_cast<std::size_t>(object)]->GetValues();
    for (std::size_t c = 0; c < v.size(); ++c)
        if (v[c] != 0)
            out.push_back(std::to_string(c) + ":" + std::to_string(v[c]));
    return out;
}

std::vector<std::string> Codes(int from, int to, int code)
{
    std::vector<std::string> out;
    for (int c = from; c <= to; ++c)
        out.push_back(std::to_string(c) + ":" + std::to_string(code));
    return out;
}

// The object's event channel must name the concept over from..to and nothing else.
void ExpectEventChannel(const RoboCupFileT& log, int object, const std::map<int, ConceptObject*>& byCycle)
{
    const auto& v = log.eventChannel[static_cast<std::size_t>(object)]->GetValues();
    for (std::size_t c = 0; c < v.size(); ++c) {
        auto it = byCycle.find(static_cast<int>(c));
        const ConceptObject* want = it == byCycle.end() ? nullptr : it->second;
        ASSERT_EQ(ConceptFromHandle(v[c]), want) << "object " << object << " cycle " << c;
    }
}

std::map<int, ConceptObject*> Span(int from, int to, ConceptObject* c)
{
    std::map<int, ConceptObject*> out;
    for (int i = from; i <= to; ++i)
        out[i] = c;
    return out;
}

class EventsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_actionConcepts = CreateActionConcepts();
        g_roleConcepts = CreateRoleConcepts();
    }
    void TearDown() override
    {
        delete g_actionConcepts;
        delete g_roleConcepts;
        g_actionConcepts = g_roleConcepts = nullptr;
        ClearActionConceptPointers();
        ClearRoleConceptPointers();
    }
    RecordingHooks hooks;
};

// ---------------------------------------------------------------- dribbles

TEST_F(EventsTest, PossessionKickedEveryCycleIsOneDribbleWithCodesOnPlayerAndBall)
{
    Scene s(180);
    s.Mode(90, PM_KickOffLeft);
    s.Put(9, 0, {-10, 0});
    s.Move(9, 100, 141, {-10, 0}, {10.5, 0});
    s.Give(9, 100, 141);
    for (int c = 100; c <= 140; ++c)
        s.Kick(9, c);
    s.Free(142);
    auto log = s.Load();

    // 20.5 * 40 / 41 = 20.0 metres between cycles 100 and 140.
    EXPECT_EQ(AllEvents(*log), (std::map<int, std::vector<std::string>>{{9, {"Long-dribble 100-140 9:140 -1"}}}));
    EXPECT_EQ(KickCodes(*log, 9), Codes(100, 140, 13));
    EXPECT_EQ(KickCodes(*log, 0), Codes(100, 140, 13));
    ExpectEventChannel(*log, 9, Span(100, 140, coLongDribble));
    const auto& left = log->leftPossessionChannel->GetValues();
    EXPECT_EQ(left[99], 0);
    EXPECT_EQ(left[100], 1);
    EXPECT_EQ(left[140], 1);

    // Every event the walk records fits the log: recognising again beeps nowhere,
    // and reports its progress player by player.
    const int beeps = hooks.beeps;
    hooks.waitTexts.clear();
    RecognizeActionEvents(*log);
    EXPECT_EQ(hooks.beeps, beeps);
    ASSERT_EQ(hooks.waitTexts.size(), 22u);
    EXPECT_EQ(hooks.waitTexts.front(), "Computing moving events for player 1");
    EXPECT_EQ(hooks.waitTexts.back(), "Computing moving events for player 22");
}

struct DribbleCase {
    double metres;
    int cycles;  // the dribble's length n
    const char* kind;
};

class DribbleKinds : public EventsTest, public ::testing::WithParamInterface<DribbleCase> {};

TEST_P(DribbleKinds, DistanceAndPaceChooseTheKind)
{
    const DribbleCase& d = GetParam();
    const int k = 30;
    const int t = k + d.cycles;  // last cycle of possession; the dribble ends at t - 1
    Scene s(t + 20);
    s.Mode(10, PM_FreeKickLeft);
    s.Put(16, 0, {0, 0});
    s.Move(16, k, t - 1, {0, 0}, {-d.metres, 0});
    s.Give(16, k, t);
    for (int c = k; c < t; ++c)
        s.Kick(16, c);
    s.Free(t + 1);
    auto log = s.Load();

    const std::string want = std::string(d.kind) + " " + std::to_string(k) + "-" + std::to_string(t - 1) + " 16:" +
                             std::to_string(t - 1) + " -1";
    EXPECT_EQ(AllEvents(*log), (std::map<int, std::vector<std::string>>{{16, {want}}}));
    EXPECT_EQ(KickCodes(*log, 16), Codes(k, t - 1, 13));
    EXPECT_EQ(log->rightPossessionChannel->GetValues()[k], 1);
    EXPECT_EQ(log->leftPossessionChannel->GetValues()[k], 0);
}

INSTANTIATE_TEST_SUITE_P(Events, DribbleKinds,
                         ::testing::Values(DribbleCase{4.0, 20, "Control-dribble"},   // 0.2 a cycle
                                           DribbleCase{12.0, 20, "Speed-dribble"},    // 0.6 a cycle
                                           DribbleCase{15.5, 20, "Long-dribble"},
                                           DribbleCase{15.0, 20, "Speed-dribble"},    // not beyond 15
                                           DribbleCase{3.0, 4, "Control-dribble"},    // short, though fast
                                           DribbleCase{3.2, 4, "Speed-dribble"}));

TEST_F(EventsTest, DribbleStartsAtTheFirstOfTheDribblersKicksAfterTheLastStop)
{
    // Received without a kick at 40, kicks at 42, 44 and 46: the dribble runs from
    // the last possession before the first kick (41) to the cycle before the last
    // possession (47).
    Scene s(70);
    s.Mode(5, PM_FreeKickLeft);
    s.Put(5, 0, {-20, 0});
    s.Give(5, 40, 48);
    for (int c : {42, 44, 46})
        s.Kick(5, c);
    s.Free(49);
    auto log = s.Load();
    EXPECT_EQ(EventsOf(*log, 5), (std::vector<std::string>{"Control-dribble 41-47 5:47 -1"}));
    EXPECT_EQ(KickCodes(*log, 5), (std::vector<std::string>{"42:13", "44:13", "46:13"}));
}

// ---------------------------------------------------------------- passes

struct PassCase {
    const char* name;
    Point ballFrom, ballTo;          // ball at the kick and at the cycle before the reception
    Point receiverFrom, receiverTo;  // receiver at the same two cycles
    const char* kind;
};

class PassKinds : public EventsTest, public ::testing::WithParamInterface<PassCase> {};

TEST_P(PassKinds, ReceiverAndBallTravelChooseTheKind)
{
    const PassCase& p = GetParam();
    const int k = 20, t = 30;  // kick by 9 at k, 10 has the ball at t only
    Scene s(50);
    s.Mode(5, PM_FreeKickLeft);
    s.Put(9, 0, p.ballFrom);
    s.Put(9, k + 1, {p.ballFrom.x, p.ballFrom.y - 3.0});  // steps aside after the kick
    s.Put(10, 0, p.receiverFrom);
    s.Move(10, k, t - 1, p.receiverFrom, p.receiverTo);
    s.Give(9, k, k);
    s.Kick(9, k);
    s.Move(0, k, t - 1, p.ballFrom, p.ballTo);
    s.Give(10, t, t);
    s.Free(t + 1);
    auto log = s.Load();

    EXPECT_EQ(AllEvents(*log), (std::map<int, std::vector<std::string>>{
                                   {9, {std::string(p.kind) + " 20-20 0:29 10"}},
                                   {10, {"Attack-support 20-29 10:29 -1"}}}));
    EXPECT_EQ(KickCodes(*log, 10), (std::vector<std::string>{"20:8"}));
    EXPECT_EQ(KickCodes(*log, 0), (std::vector<std::string>{"20:8"}));
    EXPECT_TRUE(KickCodes(*log, 9).empty());
    ExpectEventChannel(*log, 10, Span(k, t - 1, coAttackSupport));
    const auto& left = log->leftPossessionChannel->GetValues();
    for (int c = k; c < t; ++c)
        EXPECT_EQ(left[static_cast<std::size_t>(c)], 1) << c;
    // The pass itself does not give the receiver the ball before he has it.
    EXPECT_EQ(log->possessorChannel[10]->GetValues()[t - 1], 0);
}

INSTANTIATE_TEST_SUITE_P(
    Events, PassKinds,
    ::testing::Values(
        // Receiver moved 4.9: to the player, although the ball ended in the cross zone.
        PassCase{"ToPlayer", {20, -10}, {40, 5}, {37, 5}, {41.9, 5}, "To-player"},
        // 52.5 - 40 < 20 and |5| < 7.32.
        PassCase{"Cross", {20, -10}, {40, 5}, {36, 3}, {42, 3}, "Cross-pass"},
        // x = 32.5 lies exactly 20 from the goal line: no cross.
        PassCase{"CrossZoneEdge", {10, 0}, {32.5, 0}, {30, 3}, {36, 3}, "Straight-through-pass"},
        // |dy| = 20 > 15, |dx| = 5 < 8.
        PassCase{"Square", {0, -20}, {5, 0}, {7, -6}, {7, 0}, "Square-pass"},
        // Travel exactly 20.
        PassCase{"ToSpace", {-10, 0}, {-30, 0}, {-26, 4}, {-32, 4}, "To-space"},
        // Travel 20.5, |dy| = 0.
        PassCase{"Straight", {-10, 0}, {-30.5, 0}, {-26, 4}, {-32, 4}, "Straight-through-pass"},
        // Travel 22.4, |dy| exactly 10, |dx| 20.
        PassCase{"Diagonal", {-10, 0}, {-30, -10}, {-26, -6}, {-32, -6}, "Diagonal-through-pass"}),
    [](const ::testing::TestParamInfo<PassCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- interceptions

struct InterceptionCase {
    const char* name;
    Point kicker;          // player 9 at the kick; he steps aside after it
    int receiver;          // the opponent who gets the ball at cycle 30
    Point receiverAt;
    Point ballEnd;         // the ball at cycle 29
    const char* kickEvent;   // the kicker's event
    ConceptObject** kind;    // its concept
    int interceptedFrom;     // the intercept's extra: the kicker, or -1 for a keeper's save
    int code;                // the kick code of the receiver and the ball
};

class Interceptions : public EventsTest, public ::testing::WithParamInterface<InterceptionCase> {};

TEST_P(Interceptions, AKickReachingAnOpponentIsHisInterception)
{
    const InterceptionCase& c = GetParam();
    Scene s(50);
    s.Mode(5, PM_FreeKickLeft);
    s.Put(9, 0, c.kicker);
    s.Put(9, 21, {c.kicker.x, c.kicker.y - 3.0});
    s.Put(c.receiver, 0, c.receiverAt);
    s.Give(9, 20, 20);
    s.Kick(9, 20);
    s.Move(0, 20, 29, c.kicker, c.ballEnd);
    s.Give(c.receiver, 30, 30);
    s.Free(31);
    auto log = s.Load();
    const std::string r = std::to_string(c.receiver);
    EXPECT_EQ(AllEvents(*log), (std::map<int, std::vector<std::string>>{
                                   {9, {std::string(c.kickEvent) + " 20-20 0:29 " + r}},
                                   {c.receiver, {"Intercept 20-29 " + r + ":29 " + std::to_string(c.interceptedFrom)}}}));
    const std::vector<std::string> code{"20:" + std::to_string(c.code)};
    EXPECT_EQ(KickCodes(*log, c.receiver), code);
    EXPECT_EQ(KickCodes(*log, 0), code);
    ExpectEventChannel(*log, 9, Span(20, 20, *c.kind));
    // The kicker's side had the ball at the kick only.
    EXPECT_EQ(log->leftPossessionChannel->GetValues()[20], 1);
    EXPECT_EQ(log->leftPossessionChannel->GetValues()[21], 0);
}

INSTANTIATE_TEST_SUITE_P(
    Events, Interceptions,
    ::testing::Values(InterceptionCase{"Goalkeeper", {30, 0}, 12, {50, 2}, {48, 0}, "Unsuccessful-shoot",
                                       &coUnsuccessfulShoot, -1, 11},
                      InterceptionCase{"FieldPlayer", {0, 0}, 16, {18, 2}, {16, 0}, "To-opponent", &coToOpponent, 9,
                                       10}),
    [](const ::testing::TestParamInfo<InterceptionCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- stops

TEST_F(EventsTest, OwnGoalByALoneKickerIsHisSuccessfulShoot)
{
    Scene s(60);
    s.Mode(5, PM_FreeKickRight);
    s.Put(16, 0, {-40, 0});
    s.Put(16, 21, {-40, 3});
    s.Give(16, 20, 20);
    s.Kick(16, 20);
    s.Move(0, 20, 27, {-40, 0}, {-53, 0});
    s.Mode(28, PM_GoalLeft);  // the left side scores
    s.Free(28);
    auto log = s.Load();
    EXPECT_EQ(AllEvents(*log),
              (std::map<int, std::vector<std::string>>{{16, {"Successful-shoot 20-20 0:28 -1"}}}));
}

TEST_F(EventsTest, GoalAfterAKickOfBothSidesGoesToTheScoringSideOnly)
{
    Scene s(60);
    s.Mode(5, PM_FreeKickRight);
    s.Put(9, 0, {-40.5, 0});
    s.Put(9, 21, {-40.5, 3});
    s.Put(16, 0, {-39.5, 0});
    s.Put(16, 21, {-39.5, -3});
    s.Put(0, 20, {-40, 0});
    s.Kick(9, 20);
    s.Kick(16, 20);
    s.Move(0, 21, 27, {-42, 0}, {-53, 0});
    s.Mode(28, PM_GoalRight);
    s.Free(28);
    auto log = s.Load();
    EXPECT_EQ(AllEvents(*log),
              (std::map<int, std::vector<std::string>>{{16, {"Successful-shoot 20-20 0:28 -1"}}}));
}

struct StopCase {
    int mode;
    const char* kind;
};

class SetPieceStops : public EventsTest, public ::testing::WithParamInterface<StopCase> {};

TEST_P(SetPieceStops, EveryLastKickerIsCharged)
{
    Scene s(60);
    s.Mode(5, PM_FreeKickLeft);
    s.Put(3, 0, {-0.5, 0});
    s.Put(3, 21, {-0.5, 3});
    s.Put(14, 0, {0.5, 0});
    s.Put(14, 21, {0.5, 3});
    s.Put(0, 20, {0, 0});
    s.Kick(3, 20);
    s.Kick(14, 20);
    s.Move(0, 21, 27, {0, -2}, {0, -20});
    s.Mode(28, GetParam().mode);
    s.Free(28);
    auto log = s.Load();
    const std::string kind = GetParam().kind;
    if (kind.empty()) {
        EXPECT_TRUE(AllEvents(*log).empty());  // a free kick charges nobody
        return;
    }
    const std::string want = kind + " 20-20 0:28 -1";
    EXPECT_EQ(AllEvents(*log), (std::map<int, std::vector<std::string>>{{3, {want}}, {14, {want}}}));
}

INSTANTIATE_TEST_SUITE_P(Events, SetPieceStops,
                         ::testing::Values(StopCase{PM_KickInLeft, "Sideline"}, StopCase{PM_KickInRight, "Sideline"},
                                           StopCase{PM_CornerKickLeft, "Corner"},
                                           StopCase{PM_CornerKickRight, "Corner"},
                                           StopCase{PM_GoalKickLeft, "Goalline"},
                                           StopCase{PM_GoalKickRight, "Goalline"},
                                           StopCase{PM_FreeKickLeft, ""}));

// ---------------------------------------------------------------- whole logs

TEST_F(EventsTest, WithoutPossessionThereAreNoEvents)
{
    Scene s(40);
    s.Move(0, 0, 39, {0, 25}, {10, 25});
    for (int c = 3; c < 30; c += 3)
        s.Kick(9, c);  // kicks out of reach are no kicks
    auto log = s.Load();
    EXPECT_TRUE(AllEvents(*log).empty());
    for (int o = 1; o <= 22; ++o)
        ExpectEventChannel(*log, o, {});
    EXPECT_TRUE(KickCodes(*log, 0).empty());
}

TEST_F(EventsTest, EventListsComeOutSortedByStartWithEqualStartsInRecordingOrder)
{
    // 9 passes to 10 and 11 at once (both reach the ball at 30), then 10 passes
    // back to 9, who dribbles.
    Scene s(90);
    s.Mode(5, PM_FreeKickLeft);
    s.Put(9, 0, {-10, 0});
    s.Put(10, 0, {-30.5, 5});
    s.Put(11, 0, {-29.5, 5});
    s.Put(0, 20, {-10, 0});
    s.Kick(9, 20);
    s.Move(0, 21, 29, {-12, 0}, {-30, 1});
    s.Put(0, 30, {-30, 5});
    s.Kick(10, 30);
    s.Move(0, 31, 39, {-28, 4}, {-12, 1});
    s.Give(9, 40, 50);
    for (int c = 40; c < 50; ++c)
        s.Kick(9, c);
    s.Free(51);
    auto log = s.Load();

    EXPECT_EQ(EventsOf(*log, 9), (std::vector<std::string>{"To-player 20-20 0:29 10", "To-player 20-20 0:29 11",
                                                            "Attack-support 30-39 9:39 -1",
                                                            "Control-dribble 40-49 9:49 -1"}));
    EXPECT_EQ(EventsOf(*log, 10), (std::vector<std::string>{"Attack-support 20-29 10:29 -1",
                                                             "To-player 30-30 0:39 9"}));
    EXPECT_EQ(EventsOf(*log, 11), (std::vector<std::string>{"Attack-support 20-29 11:29 -1"}));
    EXPECT_TRUE(log->events[0].empty());
}

TEST_F(EventsTest, SecondRunGivesTheSameEventsNotASecondSet)
{
    Scene s(60);
    s.Mode(5, PM_FreeKickLeft);
    s.Put(5, 0, {-20, 0});
    s.Give(5, 20, 30);
    for (int c = 20; c < 30; ++c)
        s.Kick(5, c);
    s.Free(31);
    auto log = s.Load();
    const auto first = AllEvents(*log);
    ASSERT_EQ(first.size(), 1u);
    log->ComputeCalculatedFields();
    EXPECT_EQ(AllEvents(*log), first);
    EXPECT_EQ(KickCodes(*log, 5), Codes(20, 29, 13));
}

// ---------------------------------------------------------------- keepaway

class KeepawayEvents : public EventsTest {
protected:
    // Keepers 1 to 3 and takers 12 and 13 in a small box; nobody else moves.
    Scene Box()
    {
        Scene s(60);
        s.Mode(5, PM_FreeKickLeft);
        s.Put(1, 0, {0, 0});
        s.Put(2, 0, {5, 0});
        s.Put(3, 0, {-5, 0});
        s.Put(12, 0, {0, 8});
        s.Put(13, 0, {0, -8});
        return s;
    }
};

TEST_F(KeepawayEvents, EqualDistancesKeepTheKeepersOrderWhenRankingPasses)
{
    // At the kick keeper 1 has the ball; 2 and 3 both stand 5 away: 2 ranks second.
    for (int receiver : {2, 3}) {
        Scene s = Box();
        s.Give(1, 20, 20);
        s.Kick(1, 20);
        const Point to = s.Pos(receiver, 20);
        s.Move(0, 21, 29, {to.x * 0.25, 0}, {to.x * 0.75, 0});
        s.Give(receiver, 30, 30);
        s.Free(31);
        auto log = s.Load(true);
        const std::string kind = receiver == 2 ? "Pass-K2" : "Pass-K3";
        EXPECT_EQ(AllEvents(*log), (std::map<int, std::vector<std::string>>{
                                       {1, {kind + " 20-20 0:29 " + std::to_string(receiver)}},
                                       {receiver, {"Attack-support 20-29 " + std::to_string(receiver) + ":29 -1"}}}))
            << receiver;
        EXPECT_EQ(KickCodes(*log, receiver), (std::vector<std::string>{"20:8"}));
    }
}

TEST_F(KeepawayEvents, DribbleIsHoldAndTakersBallIsAnInterceptedPass)
{
    Scene s = Box();
    s.Move(2, 10, 19, {5, 0}, {25, 0});  // far enough for a long dribble elsewhere
    s.Give(2, 10, 20);
    for (int c = 10; c <= 20; ++c)
        s.Kick(2, c);
    s.Move(0, 21, 29, {25, 2}, {1, 7});
    s.Give(12, 30, 30);
    s.Free(31);
    auto log = s.Load(true);
    EXPECT_EQ(AllEvents(*log), (std::map<int, std::vector<std::string>>{
                                   {2, {"Hold 10-19 2:19 -1", "Intercepted-pass 20-20 0:29 12"}},
                                   {12, {"Intercept 20-29 12:29 -1"}}}));
    EXPECT_EQ(KickCodes(*log, 12), (std::vector<std::string>{"20:11"}));
}

TEST_F(KeepawayEvents, PassBetweenTakersIsToOpponent)
{
    Scene s = Box();
    s.Give(12, 20, 20);
    s.Kick(12, 20);
    s.Move(0, 21, 29, {2.5, 6}, {2.5, -6});
    s.Give(13, 30, 30);
    s.Free(31);
    auto log = s.Load(true);
    EXPECT_EQ(EventsOf(*log, 12), (std::vector<std::string>{"To-opponent 20-20 0:29 13"}));
}

// ---------------------------------------------------------------- AddEvent

TEST_F(EventsTest, AddEventRefusesWhatCannotBeRecordedWithABeep)
{
    Scene s(30);
    auto log = s.Load();
    ASSERT_EQ(log->cycles, 30);
    const int before = hooks.beeps;
    log->AddEvent(4, 10, 5, nullptr);           // no concept
    log->AddEvent(4, 10, 0, coIntercept);       // empty
    log->AddEvent(4, 10, -3, coIntercept);      // negative length
    log->AddEvent(4, 28, 3, coIntercept);       // past the last cycle
    log->AddEvent(4, -1, 3, coIntercept);       // before the first
    log->AddEvent(4, 20, 2, coIntercept, 0, 40);  // other part past the end
    EXPECT_EQ(hooks.beeps - before, 6);
    EXPECT_TRUE(log->events[4].empty());
    ExpectEventChannel(*log, 4, {});

    log->AddEvent(4, 28, 2, coIntercept);
    log->AddEvent(4, 3, 4, coTackle, 7, 2, 9);
    EXPECT_EQ(hooks.beeps - before, 6);
    EXPECT_EQ(EventsOf(*log, 4), (std::vector<std::string>{"Intercept 28-29 4:29 -1", "Tackle 3-6 7:4 9"}));
    auto want = Span(3, 6, coTackle);
    want[28] = want[29] = coIntercept;
    ExpectEventChannel(*log, 4, want);
}

TEST_F(EventsTest, QueriesFindPossessorsAndTheLastKickBeforeACycle)
{
    Scene s(40);
    s.Mode(10, PM_FreeKickLeft);
    s.Put(4, 0, {-10, 0});
    s.Put(15, 0, {-9, 0});
    s.Put(0, 20, {-9.5, 0});
    s.Kick(15, 25);
    s.Free(30);
    auto log = s.Load();
    std::vector<int> list{99};
    int count = -5;
    EXPECT_EQ(log->PlayersWithBallAt(22, list), 2);
    EXPECT_EQ(list, (std::vector<int>{4, 15}));
    EXPECT_EQ(log->PlayersWithBallAt(40, list), -1);
    EXPECT_EQ(log->PlayersWithBallAt(-1, list), -1);

    EXPECT_EQ(log->FindLastKickWithBall(35, count, list), 25);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(list, (std::vector<int>{15}));
    EXPECT_EQ(log->FindLastKickWithBall(25, count, list), 10);  // stopped by the play mode
    EXPECT_EQ(count, 0);
    EXPECT_EQ(log->FindLastKickWithBall(10, count, list), -1);
    EXPECT_EQ(log->FindLastKickWithBall(0, count, list), -1);
    EXPECT_EQ(log->FindLastWithBall(25, count, list), 24);
    EXPECT_EQ(count, 2);
}

// ---------------------------------------------------------------- real logs

struct Goal {
    int time;
    bool left;
};

// Goals from the log's description: the team records "(time, l, r)" after the first.
std::vector<Goal> GoalsOf(const std::string& txt)
{
    std::ifstream in(TestDataPath(txt));
    std::string line;
    std::vector<Goal> goals;
    const std::regex record(R"(\((\d+), (\d+), (\d+)\))");
    while (std::getline(in, line)) {
        if (line.rfind("team_records", 0) != 0)
            continue;
        int l = 0, r = 0;
        for (std::sregex_iterator it(line.begin(), line.end(), record), end; it != end; ++it) {
            const int nl = std::stoi((*it)[2]), nr = std::stoi((*it)[3]);
            if (nl != l || nr != r)
                goals.push_back({std::stoi((*it)[1]), nl > l});
            l = nl;
            r = nr;
        }
    }
    return goals;
}


// The counts per kind go into the test's output (and its XML report), so that a
// reader of the run sees what a real match gives.
void ReportCounts(const std::map<std::string, int>& counts)
{
    for (const auto& [kind, n] : counts) {
        std::cout << "  " << kind << ": " << n << "\n";
        ::testing::Test::RecordProperty("events_" + kind, n);
    }
}

TEST_F(EventsTest, FullMatchGivesSaneEvents)
{
    const std::string name = "match-full-HELIOS_A_4-vs-HELIOS_B_2.rcg";
    auto log = CreateFileRecord(GunzippedTestFile(name));
    ReadRcgFile(log->fileName, *log);
    ASSERT_FALSE(log->isKeepaway);
    ASSERT_GT(log->cycles, 6000);
    // Nothing the walk found was refused for reaching outside the log.
    EXPECT_EQ(hooks.beeps, 0);

    const std::vector<ConceptObject*> passes{coToPlayer, coCrossPass, coSquarePass, coToSpace,
                                             coDiagonalThroughPass, coStraightThroughPass};
    const std::vector<ConceptObject*> dribbles{coLongDribble, coControlDribble, coSpeedDribble};
    std::map<std::string, int> counts;
    int passesBySide[2] = {0, 0}, dribblesBySide[2] = {0, 0};
    EXPECT_TRUE(log->events[0].empty());
    for (int p = 1; p <= 22; ++p) {
        const int side = p <= 11 ? 0 : 1;
        int lastStart = -1;
        for (const auto& e : log->events[static_cast<std::size_t>(p)]) {
            ++counts[Name(e->action)];
            EXPECT_GE(e->start, 0);
            EXPECT_LE(e->start, e->end);
            EXPECT_LT(e->end, log->cycles);
            EXPECT_LT(e->otherEnd, log->cycles);
            EXPECT_GE(e->start, lastStart) << "player " << p << " not sorted";
            lastStart = e->start;
            if (std::find(passes.begin(), passes.end(), e->action) != passes.end()) {
                ++passesBySide[side];
                EXPECT_NE(e->extra, p);
                EXPECT_EQ(e->extra <= 11, p <= 11) << "pass of " << p << " to " << e->extra;
                EXPECT_GE(e->extra, 1);
                EXPECT_LE(e->extra, 22);
            }
            if (std::find(dribbles.begin(), dribbles.end(), e->action) != dribbles.end())
                ++dribblesBySide[side];
        }
    }
    ReportCounts(counts);
    EXPECT_GT(passesBySide[0], 10);
    EXPECT_GT(passesBySide[1], 10);
    EXPECT_GT(dribblesBySide[0], 10);
    EXPECT_GT(dribblesBySide[1], 10);
    for (const char* never : {"Hold", "Pass-K2", "Pass-K3", "Intercepted-pass"})
        EXPECT_EQ(counts.count(never), 0u) << never;

    // Each goal of the description has a successful shot whose goal cycle lies at
    // its time.
    const auto goals = GoalsOf("match-full-HELIOS_A_4-vs-HELIOS_B_2.txt");
    ASSERT_EQ(goals.size(), 6u);
    const auto& time = log->timeChannel->GetValues();
    for (const Goal& g : goals) {
        bool found = false;
        for (int p = 1; p <= 22 && !found; ++p)
            for (const auto& e : log->events[static_cast<std::size_t>(p)])
                if (e->action == coSuccessfulShoot && std::abs(time[static_cast<std::size_t>(e->otherEnd)] - g.time) <= 2)
                    found = true;
        EXPECT_TRUE(found) << "goal at " << g.time;
    }
}

TEST_F(EventsTest, KeepawayLogGivesOnlyKeepawayKindsOfPasses)
{
    auto log = CreateFileRecord(GunzippedTestFile("keepaway-3v2-Keepers-vs-Takers-helios-1500.rcg"));
    ReadRcgFile(log->fileName, *log);
    ASSERT_TRUE(log->isKeepaway);
    EXPECT_EQ(hooks.beeps, 0);
    std::map<std::string, int> counts;
    for (int p = 1; p <= 22; ++p)
        for (const auto& e : log->events[static_cast<std::size_t>(p)]) {
            ++counts[Name(e->action)];
            EXPECT_TRUE(p <= 3 || p == 12 || p == 13) << p;
        }
    ReportCounts(counts);
    EXPECT_GT(counts["Hold"], 0);
    EXPECT_GT(counts["Pass-K2"] + counts["Pass-K3"], 0);
    for (const char* never : {"To-player", "Cross-pass", "Square-pass", "To-space", "Long-dribble",
                              "Control-dribble", "Speed-dribble", "Unsuccessful-shoot"})
        EXPECT_EQ(counts.count(never), 0u) << never;
}

}  // namespace
