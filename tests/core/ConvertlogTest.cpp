#include "core/io/Convertlog.h"

#include "core/model/RoboCupFile.h"
#include "support/RcgWriter.h"
#include "support/RecordingHooks.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>

namespace {

// Every value of the named leaf, as doubles (the stream's window is 1).
std::vector<double> Values(RoboCupFileT& log, const std::string& fullName)
{
    TimeChannel* c = log.stream->FindChannel(fullName);
    if (c == nullptr || !c->IsLeaf()) {
        ADD_FAILURE() << "no leaf " << fullName;
        return {};
    }
    std::vector<double> v;
    for (int t = 0; t < c->GetCount(); ++t)
        v.push_back(c->GetValue(t));
    return v;
}

double At(RoboCupFileT& log, const std::string& fullName, int cycle)
{
    const auto v = Values(log, fullName);
    if (cycle < 0 || static_cast<std::size_t>(cycle) >= v.size()) {
        ADD_FAILURE() << fullName << " has no cycle " << cycle;
        return 0.0;
    }
    return v[static_cast<std::size_t>(cycle)];
}

// Parses the bytes into a fresh record; what went to the error stream lands in errors.
std::unique_ptr<RoboCupFileT> Parse(const std::string& bytes, std::string* errors = nullptr)
{
    auto log = CreateFileRecord("test.rcg");
    std::istringstream in(bytes, std::ios::binary);
    std::ostringstream err;
    EXPECT_EQ(ParseRcgStream(in, *log, err), 0);
    if (errors)
        *errors = err.str();
    return log;
}

// Every leaf holds exactly one value per cycle read.
void ExpectEveryLeafHas(const RoboCupFileT& log, int n)
{
    ASSERT_EQ(log.stream->GetLeaves().size(), 939u);
    for (TimeChannel* leaf : log.stream->GetLeaves())
        ASSERT_EQ(leaf->GetCount(), n) << leaf->GetFullName();
}

ShowState At(int time)
{
    ShowState s;
    s.time = static_cast<uint16_t>(time);
    return s;
}

}  // namespace

TEST(Convertlog, FixedPointAndShortDecodeFromNetworkOrder)
{
    const unsigned char one[] = {0x00, 0x01, 0x00, 0x00};
    const unsigned char minusHalf[] = {0xFF, 0xFF, 0x80, 0x00};
    const unsigned char smallest[] = {0x00, 0x00, 0x00, 0x01};
    const unsigned char most[] = {0x80, 0x00, 0x00, 0x00};
    EXPECT_EQ(rcss::NetFixedToDouble(one), 1.0);
    EXPECT_EQ(rcss::NetFixedToDouble(minusHalf), -0.5);
    EXPECT_EQ(rcss::NetFixedToDouble(smallest), 1.0 / 65536.0);
    EXPECT_EQ(rcss::NetFixedToDouble(most), -32768.0);
    const unsigned char s1[] = {0x01, 0x02};
    const unsigned char s2[] = {0xFF, 0xFE};
    EXPECT_EQ(rcss::NetShort(s1), 0x0102);
    EXPECT_EQ(rcss::NetShort(s2), -2);
}

TEST(Convertlog, EveryFieldOfAShowLandsInItsLeaf)
{
    ShowState s = At(42);
    s.ball = {1.25, -2.5, 0.75, -0.125};
    PlayerState& l1 = s.Left(1);
    l1.mode = static_cast<int16_t>(0x8001);  // flag bits: negative as a signed 16-bit number
    l1.type = 7;
    l1.x = -10.5;
    l1.y = 3.25;
    l1.vx = 0.5;
    l1.vy = -0.25;
    l1.body = 45.0;
    l1.head = -90.0;
    l1.viewWidth = 180.0;
    l1.viewQuality = 0;
    l1.stamina = 7654.5;
    l1.effort = 0.875;
    l1.recovery = 0.5;
    l1.counts = {1, 2, 3, 4, 5, 6, 7, 8};
    PlayerState& r11 = s.Right(11);
    r11.x = 52.5;
    r11.y = -34.0;
    r11.type = 17;
    r11.counts = {100, 200, 300, 400, 500, 600, 700, 800};

    RcgWriter w;
    w.Show(s);
    auto log = Parse(w.Bytes());
    ASSERT_EQ(log->cycles, 1);
    ExpectEveryLeafHas(*log, 1);

    EXPECT_EQ(At(*log, "time", 0), 42);
    EXPECT_EQ(At(*log, "Ball.pos.x", 0), 1.25);
    EXPECT_EQ(At(*log, "Ball.pos.y", 0), -2.5);
    EXPECT_EQ(At(*log, "Ball.vel.dx", 0), 0.75);
    EXPECT_EQ(At(*log, "Ball.vel.dy", 0), -0.125);

    EXPECT_EQ(At(*log, "Lplayer1.mode", 0), -32767);
    EXPECT_EQ(At(*log, "Lplayer1.type", 0), 7);
    EXPECT_EQ(At(*log, "Lplayer1.pos.x", 0), -10.5);
    EXPECT_EQ(At(*log, "Lplayer1.pos.y", 0), 3.25);
    EXPECT_EQ(At(*log, "Lplayer1.vel.dx", 0), 0.5);
    EXPECT_EQ(At(*log, "Lplayer1.vel.dy", 0), -0.25);
    EXPECT_EQ(At(*log, "Lplayer1.angles.body_angle", 0), 45.0);
    EXPECT_EQ(At(*log, "Lplayer1.angles.head_angle", 0), -90.0);
    EXPECT_EQ(At(*log, "Lplayer1.view.view_width", 0), 180.0);
    EXPECT_EQ(At(*log, "Lplayer1.view.view_quality", 0), 0);
    EXPECT_EQ(At(*log, "Lplayer1.stamina.stamina", 0), 7654.5);
    EXPECT_EQ(At(*log, "Lplayer1.stamina.effort", 0), 0.875);
    EXPECT_EQ(At(*log, "Lplayer1.stamina.recovery", 0), 0.5);
    const char* counts[] = {"kick_count", "dash_count",  "turn_count",  "say_count",
                            "tneck_count", "catch_count", "move_count", "chng_view_count"};
    for (int c = 0; c < 8; ++c) {
        EXPECT_EQ(At(*log, std::string("Lplayer1.counts.") + counts[c], 0), c + 1) << counts[c];
        EXPECT_EQ(At(*log, std::string("Rplayer11.counts.") + counts[c], 0), 100 * (c + 1)) << counts[c];
    }
    EXPECT_EQ(At(*log, "Rplayer11.pos.x", 0), 52.5);
    EXPECT_EQ(At(*log, "Rplayer11.pos.y", 0), -34.0);
    EXPECT_EQ(At(*log, "Rplayer11.type", 0), 17);
    // The writer's default places: left n at (-4n, 3n - 18), right n at (4n, 18 - 3n).
    EXPECT_EQ(At(*log, "Lplayer5.pos.x", 0), -20.0);
    EXPECT_EQ(At(*log, "Rplayer3.pos.y", 0), 9.0);

    // Side and place in the team (counted from 0).
    for (int n = 1; n <= 11; ++n) {
        EXPECT_EQ(At(*log, "Lplayer" + std::to_string(n) + ".side", 0), 'l');
        EXPECT_EQ(At(*log, "Rplayer" + std::to_string(n) + ".side", 0), 'r');
        EXPECT_EQ(At(*log, "Lplayer" + std::to_string(n) + ".unum", 0), n - 1);
        EXPECT_EQ(At(*log, "Rplayer" + std::to_string(n) + ".unum", 0), n - 1);
    }

    // Everything the derived passes fill later starts at 0.
    for (const char* leaf : {"score.time2goal", "Ball.possessor.l_team", "Ball.possessor.r_team",
                             "Ball.goal_distance.l_team", "Ball.goal_distance.r_team", "Ball.calculated.kick_event"})
        EXPECT_EQ(At(*log, leaf, 0), 0.0) << leaf;
    for (const char* player : {"Lplayer1", "Rplayer11"}) {
        for (const char* leaf :
             {"actions.kick", "actions.dash", "actions.turn", "actions.say", "actions.tneck", "actions.catch",
              "actions.move", "actions.chng_view", "calculated.nearest_opponent", "calculated.dist_opponent",
              "calculated.nearest_teammate", "calculated.dist_teammate", "calculated.possessor",
              "calculated.prev_possessor", "calculated.real_possessor", "calculated.speed", "calculated.event",
              "calculated.role", "calculated.kick_event"})
            EXPECT_EQ(At(*log, std::string(player) + "." + leaf, 0), 0.0) << player << "." << leaf;
    }
}

TEST(Convertlog, PlayModesAndGoalsAreWrittenAtTheNextCycle)
{
    RcgWriter w;
    w.Show(At(1));
    w.PlayMode(PM_KickOffLeft).PlayMode(PM_PlayOn);  // play_on does not replace the kick-off
    w.Show(At(2));                                   // cycle 1: 4
    w.Show(At(3));                                   // cycle 2: 0
    w.PlayMode(PM_GoalLeft);
    w.Show(At(4));  // cycle 3: 14, left 1, diff 1
    w.Show(At(5));  // cycle 4: 0, left 1
    w.PlayMode(PM_GoalRight).PlayMode(PM_KickOffLeft);  // the goal mark is lost, the goal is counted
    w.Show(At(6));  // cycle 5: 4, right 1, diff 0
    w.PlayMode(PM_GoalRight);
    w.Show(At(7));  // cycle 6: 15, right 2, diff -1
    w.PlayMode(PM_PlayOn);
    w.Show(At(8));  // cycle 7: 0

    auto log = Parse(w.Bytes());
    ASSERT_EQ(log->cycles, 8);
    EXPECT_EQ(Values(*log, "play_mode"), (std::vector<double>{0, 4, 0, 14, 0, 4, 15, 0}));
    EXPECT_EQ(Values(*log, "score.l_team"), (std::vector<double>{0, 0, 0, 1, 1, 1, 1, 1}));
    EXPECT_EQ(Values(*log, "score.r_team"), (std::vector<double>{0, 0, 0, 0, 0, 1, 2, 2}));
    EXPECT_EQ(Values(*log, "score.diff"), (std::vector<double>{0, 0, 0, 1, 1, 0, -1, -1}));
    EXPECT_EQ(Values(*log, "time"), (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(Convertlog, PlayModesBeyondOlderServersAndAboveTheSignedByteComeThrough)
{
    RcgWriter w;
    w.PlayMode(34).Show(At(1)).PlayMode(200).Show(At(2));
    auto log = Parse(w.Bytes());
    // The play-mode byte is read as a signed character.
    EXPECT_EQ(Values(*log, "play_mode"), (std::vector<double>{34, -56}));
}

TEST(Convertlog, WaitTextEveryHundredServerCycles)
{
    RecordingHooks hooks;
    RcgWriter w;
    for (int t : {0, 1, 99, 100, 100, 101, 250, 300})
        w.Show(At(t));
    const std::string path = w.Save("wait");
    auto log = CreateFileRecord(path);
    ParseRcgFile(path, *log);
    EXPECT_EQ(log->cycles, 8);
    // A time repeated while play stands still shows its text again.
    EXPECT_EQ(hooks.waitTexts, (std::vector<std::string>{"Reading file (0)", "Reading file (100)",
                                                         "Reading file (100)", "Reading file (300)"}));
    EXPECT_EQ(hooks.pendingEventCalls, 4);
}

TEST(Convertlog, TimesAboveTheSignedRangeWrapInTheShortChannel)
{
    RecordingHooks hooks;
    RcgWriter w;
    w.Show(At(32767)).Show(At(32800)).Show(At(65535));
    auto log = Parse(w.Bytes());
    EXPECT_EQ(Values(*log, "time"), (std::vector<double>{32767, 32800 - 65536, -1}));
    // The wait text shows the server's time, not the wrapped one.
    EXPECT_EQ(hooks.waitTexts, std::vector<std::string>{"Reading file (32800)"});
}

TEST(Convertlog, TeamRecordsGiveNamesAndScoresButNotScoreChannels)
{
    RcgWriter w;
    w.Teams("Early", 0, "Other", 0).Show(At(1));
    w.Teams("SixteenCharsLong", 3, std::string("Right\0\x7F\x01leftover", 16), 2).Show(At(2));
    auto log = Parse(w.Bytes());
    EXPECT_EQ(log->leftTeam, "SixteenCharsLong");
    EXPECT_EQ(log->rightTeam, "Right");
    EXPECT_EQ(log->leftScore, 3);
    EXPECT_EQ(log->rightScore, 2);
    // The score channels count only goals seen as play modes.
    EXPECT_EQ(Values(*log, "score.l_team"), (std::vector<double>{0, 0}));
    EXPECT_EQ(Values(*log, "score.r_team"), (std::vector<double>{0, 0}));
}

TEST(Convertlog, ParameterRecordsAreKeptAsReadAndTypesAppended)
{
    RcgWriter w;
    w.ServerParams(0.5).ServerParams(0.25).PlayerParams(0x11).PlayerParams(0x22);
    w.PlayerType(0.3, 0.7).PlayerType(0.25, 0.875).PlayerType(0.5, 1.0);
    auto log = Parse(w.Bytes());
    EXPECT_TRUE(log->serverParamsRead);
    EXPECT_TRUE(log->playerParamsRead);
    // The last record wins, still in network order.
    EXPECT_EQ(rcss::NetFixedToDouble(log->serverParams.bytes + 104), 0.25);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(log->playerParams.bytes), 132), std::string(132, '\x22'));
    ASSERT_EQ(log->playerTypes.size(), 3u);
    EXPECT_EQ(rcss::NetFixedToDouble(log->playerTypes[1].bytes + 24), 0.25);
    EXPECT_EQ(rcss::NetFixedToDouble(log->playerTypes[1].bytes + 28), 0.875);
    EXPECT_EQ(rcss::NetFixedToDouble(log->playerTypes[2].bytes + 24), 0.5);
    EXPECT_EQ(log->cycles, 0);
}

TEST(Convertlog, LogWithoutParameterRecordsLeavesThemUnread)
{
    RcgWriter w;
    w.Show(At(1));
    auto log = Parse(w.Bytes());
    EXPECT_FALSE(log->serverParamsRead);
    EXPECT_FALSE(log->playerParamsRead);
    EXPECT_TRUE(log->playerTypes.empty());
}

TEST(Convertlog, VersionTwoLogGivesTeamsButNoCycles)
{
    RcgWriter w(2);
    w.Teams("Old", 1, "Older", 4).OldShow().PlayMode(PM_GoalLeft).OldShow().PlayerType();
    std::string errors;
    auto log = Parse(w.Bytes(), &errors);
    EXPECT_EQ(log->cycles, 0);
    ExpectEveryLeafHas(*log, 0);
    EXPECT_EQ(log->leftTeam, "Old");
    EXPECT_EQ(log->rightTeam, "Older");
    EXPECT_EQ(log->leftScore, 1);
    EXPECT_EQ(log->rightScore, 4);
    EXPECT_EQ(log->playerTypes.size(), 1u);
    EXPECT_EQ(errors, "");
}

TEST(Convertlog, BadRecordKeepsTheCyclesBeforeIt)
{
    struct Case {
        const char* what;
        std::function<void(RcgWriter&)> bad;
        const char* said;
    };
    const Case cases[] = {
        {"mode 4", [](RcgWriter& w) { w.Tag(4); }, "Unknown mode\n\n"},
        {"negative mode", [](RcgWriter& w) { w.Tag(-3); }, "Unknown mode\n\n"},
        {"negative message length", [](RcgWriter& w) { w.MessageWithLength(1, -1, "x"); },
         "negative message length\n\n"},
    };
    for (const Case& c : cases) {
        RcgWriter w;
        w.Show(At(1)).Show(At(2)).Show(At(3));
        c.bad(w);
        w.Show(At(4));
        std::string errors;
        auto log = Parse(w.Bytes(), &errors);
        EXPECT_EQ(log->cycles, 3) << c.what;
        ExpectEveryLeafHas(*log, 3);
        EXPECT_EQ(errors, c.said) << c.what;
    }
}

TEST(Convertlog, CutFinalShowIsDroppedSilently)
{
    RcgWriter w;
    w.Show(At(1)).Show(At(2)).Truncate(500);
    std::string errors;
    auto log = Parse(w.Bytes(), &errors);
    EXPECT_EQ(log->cycles, 1);
    ExpectEveryLeafHas(*log, 1);
    EXPECT_EQ(errors, "");
}

TEST(Convertlog, FilesThatAreNotVersionThreeLogsGiveNoCycles)
{
    std::string errors;
    auto text = Parse("ULG5\n(server_param (goal_width 14.02))\n", &errors);
    EXPECT_EQ(text->cycles, 0);
    EXPECT_EQ(errors, "Unknown mode\n\n");

    auto log = CreateFileRecord("missing.rcg");
    std::ostringstream err;
    ParseRcgFile(MakeTempDir("missing") + "/missing.rcg", *log, err);
    EXPECT_EQ(log->cycles, 0);
    ExpectEveryLeafHas(*log, 0);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(log->leftScore, -1);

    // The whole load, derived pass included, over nothing.
    ReadRcgFile(MakeTempDir("missing") + "/missing.rcg", *log, err);
    EXPECT_EQ(log->cycles, 0);
    ExpectEveryLeafHas(*log, 0);
    EXPECT_EQ(err.str(), "");
}

TEST(Convertlog, LoadAfterABadRecordDerivesTheCyclesReadAndGivesTheReason)
{
    RcgWriter w;
    for (int t = 1; t <= 4; ++t)
        w.Show(At(t));
    w.Tag(11).Show(At(5));
    const std::string path = w.Save("bad");
    auto log = CreateFileRecord(path);
    std::ostringstream err;
    ReadRcgFile(path, *log, err);
    EXPECT_EQ(log->cycles, 4);
    ExpectEveryLeafHas(*log, 4);
    EXPECT_EQ(err.str(), "Unknown mode\n\n");
}

TEST(Convertlog, RecordWithoutTheSchemaIsRefusedWithoutWriting)
{
    // A record built by hand with too few leaves: nothing may be appended.
    RoboCupFileT log("bare.rcg");
    auto* time = new DataTimeChannel<std::int16_t>("time");
    log.stream->AddChannel(time);
    RcgWriter w;
    w.Show(At(1));
    std::istringstream in(w.Bytes(), std::ios::binary);
    std::ostringstream err;
    ParseRcgStream(in, log, err);
    EXPECT_EQ(err.str(), "Unknown error occured\n");
    EXPECT_EQ(log.cycles, 0);
    EXPECT_EQ(time->GetCount(), 0);
}

TEST(Convertlog, ReadingAgainReplacesCyclesAndPlayerTypes)
{
    RcgWriter w;
    w.PlayerType().PlayerType().Teams("A", 0, "B", 0);
    for (int t = 1; t <= 5; ++t)
        w.Show(At(t));
    const std::string path = w.Save("again");
    auto log = CreateFileRecord(path);
    ReadRcgFile(path, *log);
    ReadRcgFile(path, *log);
    EXPECT_EQ(log->cycles, 5);
    ExpectEveryLeafHas(*log, 5);
    EXPECT_EQ(log->playerTypes.size(), 2u);
    EXPECT_EQ(Values(*log, "time"), (std::vector<double>{1, 2, 3, 4, 5}));
}

namespace {

// The raw show records of a file as the reader hands them on.
class ShowCollector : public rcss::RCGDataHandler {
public:
    std::vector<rcss::short_showinfo_t2> shows;
    int version = 0;

protected:
    void doHandleLogVersion(int v) override { version = v; }
    int doGetLogVersion() const override { return version; }
    void doHandleShortShowInfo2(std::streampos, const rcss::short_showinfo_t2& s) override { shows.push_back(s); }
};

std::set<int> PlayModesSeen(RoboCupFileT& log)
{
    std::set<int> seen;
    for (double v : Values(log, "play_mode"))
        if (v != 0)
            seen.insert(static_cast<int>(v));
    return seen;
}

std::set<int> PlayerModesSeen(RoboCupFileT& log)
{
    std::set<int> seen;
    for (int n = 1; n <= 22; ++n)
        for (double v : Values(log, ObjectName(n) + ".mode"))
            seen.insert(static_cast<int>(v) & 0xFFFF);
    return seen;
}

int MovingObjects(RoboCupFileT& log)
{
    int moving = 0;
    for (int o = 0; o <= 22; ++o) {
        const auto x = Values(log, ObjectName(o) + ".pos.x");
        const auto y = Values(log, ObjectName(o) + ".pos.y");
        for (std::size_t t = 1; t < x.size(); ++t)
            if (x[t] != x[0] || y[t] != y[0]) {
                ++moving;
                break;
            }
    }
    return moving;
}

}  // namespace

TEST(Convertlog, FullMatchHasTheCountsOfItsDescription)
{
    RecordingHooks hooks;
    const std::string path = GunzippedTestFile("match-full-HELIOS_A_4-vs-HELIOS_B_2.rcg");
    auto log = CreateFileRecord(path);
    ReadRcgFile(path, *log);
    ASSERT_EQ(log->cycles, 6659);
    ExpectEveryLeafHas(*log, 6659);
    EXPECT_EQ(log->leftTeam, "HELIOS_A");
    EXPECT_EQ(log->rightTeam, "HELIOS_B");
    EXPECT_EQ(log->leftScore, 4);
    EXPECT_EQ(log->rightScore, 2);
    EXPECT_EQ(At(*log, "score.l_team", 6658), 4);
    EXPECT_EQ(At(*log, "score.r_team", 6658), 2);
    EXPECT_EQ(At(*log, "score.diff", 6658), 2);

    const auto time = Values(*log, "time");
    EXPECT_EQ(time.front(), 1);
    EXPECT_EQ(time.back(), 6000);
    EXPECT_EQ(std::set<double>(time.begin(), time.end()).size(), 5999u);
    int repeats = 0;
    for (std::size_t t = 1; t < time.size(); ++t) {
        EXPECT_GE(time[t], time[t - 1]);
        repeats += time[t] == time[t - 1];
    }
    EXPECT_EQ(repeats, 660);

    // Every play mode of the log but play_on reaches the channel.
    EXPECT_EQ(PlayModesSeen(*log), (std::set<int>{2, 4, 5, 6, 7, 8, 9, 10, 12, 14, 15, 24, 25}));
    EXPECT_EQ(PlayerModesSeen(*log),
              (std::set<int>{0x1, 0x3, 0x7, 0x9, 0xb, 0x19, 0x39, 0x441, 0x443, 0x449, 0x459, 0x801, 0x803, 0x809,
                             0x80b, 0xc41, 0x1001, 0x1441, 0x1801, 0x1c41, 0x3001, 0x3801}));
    EXPECT_EQ(log->playerTypes.size(), 18u);
    EXPECT_TRUE(log->serverParamsRead);
    EXPECT_EQ(rcss::NetFixedToDouble(log->serverParams.bytes + 104), 0.084991455078125);
    EXPECT_EQ(rcss::NetFixedToDouble(log->playerTypes[0].bytes + 24) +
                  rcss::NetFixedToDouble(log->playerTypes[0].bytes + 28),
              1.0);
    EXPECT_EQ(MovingObjects(*log), 23);
    // Times 100, 200, ..., 6000; the half-time 3000 has no show record in this log.
    std::vector<std::string> expected;
    for (int t = 100; t <= 6000; t += 100)
        if (t != 3000)
            expected.push_back("Reading file (" + std::to_string(t) + ")");
    std::vector<std::string> reading;
    for (const std::string& text : hooks.waitTexts)
        if (text.rfind("Reading file", 0) == 0)
            reading.push_back(text);
    EXPECT_EQ(reading, expected);
    // The derived pass ran after the reading.
    EXPECT_FALSE(log->isKeepaway);
}

TEST(Convertlog, ShortMatchRoundTripsThroughTheWriterByteForByte)
{
    const std::string path = GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg");
    auto log = CreateFileRecord(path);
    ReadRcgFile(path, *log);
    ASSERT_EQ(log->cycles, 409);
    EXPECT_EQ(log->leftTeam, "HELIOS_A");
    EXPECT_EQ(log->rightTeam, "HELIOS_B");
    EXPECT_EQ(log->leftScore, 0);
    EXPECT_EQ(log->rightScore, 1);
    EXPECT_EQ(PlayModesSeen(*log), (std::set<int>{2, 4, 5, 9, 15, 24}));
    EXPECT_EQ(PlayerModesSeen(*log), (std::set<int>{0x1, 0x3, 0x9, 0x441, 0x801, 0x803, 0xc41, 0x1001, 0x1c41}));

    // Each cycle's channels, written back by the test-side writer, give the
    // server's bytes again (but for the alignment bytes nobody reads).
    ShowCollector raw;
    std::ifstream in(path, std::ios::binary);
    rcss::RCGParser parser(raw);
    while (parser.parse(in)) {
    }
    ASSERT_EQ(raw.shows.size(), 409u);
    const char* counts[] = {"kick_count", "dash_count",  "turn_count",  "say_count",
                            "tneck_count", "catch_count", "move_count", "chng_view_count"};
    std::map<std::string, TimeChannel*> byName;
    for (TimeChannel* leaf : log->stream->GetLeaves())
        byName[leaf->GetFullName()] = leaf;
    auto v = [&](const std::string& name, int t) { return byName.at(name)->GetValue(t); };
    for (int t = 0; t < log->cycles; ++t) {
        ShowState s;
        s.time = static_cast<uint16_t>(static_cast<int16_t>(v("time", t)));
        s.ball = {v("Ball.pos.x", t), v("Ball.pos.y", t), v("Ball.vel.dx", t), v("Ball.vel.dy", t)};
        for (int o = 1; o <= 22; ++o) {
            const std::string n = ObjectName(o) + ".";
            PlayerState& p = s.Object(o);
            p.mode = static_cast<int16_t>(v(n + "mode", t));
            p.type = static_cast<int16_t>(v(n + "type", t));
            p.x = v(n + "pos.x", t);
            p.y = v(n + "pos.y", t);
            p.vx = v(n + "vel.dx", t);
            p.vy = v(n + "vel.dy", t);
            p.body = v(n + "angles.body_angle", t);
            p.head = v(n + "angles.head_angle", t);
            p.viewWidth = v(n + "view.view_width", t);
            p.viewQuality = static_cast<int16_t>(v(n + "view.view_quality", t));
            p.stamina = v(n + "stamina.stamina", t);
            p.effort = v(n + "stamina.effort", t);
            p.recovery = v(n + "stamina.recovery", t);
            for (int c = 0; c < 8; ++c)
                p.counts[static_cast<std::size_t>(c)] =
                    static_cast<uint16_t>(static_cast<int16_t>(v(n + "counts." + counts[c], t)));
        }
        std::string expected(reinterpret_cast<const char*>(raw.shows[static_cast<std::size_t>(t)].bytes), 1428);
        std::string written = RcgWriter::ShowBody(s);
        for (std::size_t i = 0; i < 22; ++i)
            for (std::size_t b = 34; b < 36; ++b)
                expected[16 + 64 * i + b] = written[16 + 64 * i + b];
        expected[1426] = written[1426];
        expected[1427] = written[1427];
        ASSERT_EQ(written, expected) << "cycle " << t;
        if (HasFatalFailure())
            return;
    }
}

TEST(Convertlog, KeepawayLogHasSixMovingObjects)
{
    const std::string path = GunzippedTestFile("keepaway-3v2-Keepers-vs-Takers-helios-1500.rcg");
    auto log = CreateFileRecord(path);
    ReadRcgFile(path, *log);
    ASSERT_EQ(log->cycles, 1500);
    EXPECT_EQ(log->leftTeam, "Keepers");
    EXPECT_EQ(log->rightTeam, "Takers");
    EXPECT_EQ(log->leftScore, 0);
    EXPECT_EQ(log->rightScore, 0);
    EXPECT_EQ(Values(*log, "time").front(), 1);
    EXPECT_EQ(Values(*log, "time").back(), 1500);
    EXPECT_EQ(PlayModesSeen(*log), std::set<int>{2});
    EXPECT_EQ(PlayerModesSeen(*log), (std::set<int>{0x0, 0x1, 0x3, 0x7, 0x441, 0x443, 0x801, 0x803}));
    EXPECT_EQ(MovingObjects(*log), 6);
    EXPECT_TRUE(log->isKeepaway);
}

namespace {

// Parses the bytes into a fresh record and returns what the reading met.
RcgReadResult ParseResult(const std::string& bytes, int* cycles = nullptr)
{
    auto log = CreateFileRecord("test.rcg");
    std::istringstream in(bytes, std::ios::binary);
    std::ostringstream err;
    RcgReadResult r;
    r.version = -7;  // must be overwritten
    ParseRcgStream(in, *log, err, &r);
    if (cycles)
        *cycles = log->cycles;
    return r;
}

}  // namespace

TEST(Convertlog, ReadResultTellsVersionSizeAndHowTheReadingEnded)
{
    RcgWriter whole;
    whole.Teams("A", 0, "B", 0).Show(At(1)).Show(At(2));
    int cycles = -1;
    RcgReadResult r = ParseResult(whole.Bytes(), &cycles);
    EXPECT_TRUE(r.opened);
    EXPECT_EQ(r.version, 3);
    EXPECT_EQ(r.size, static_cast<std::int64_t>(whole.Size()));
    EXPECT_FALSE(r.truncated);
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(cycles, 2);

    // Cut inside the last show, and cut right after a mode tag.
    RcgWriter cut = whole;
    cut.Truncate(500);
    r = ParseResult(cut.Bytes(), &cycles);
    EXPECT_TRUE(r.truncated);
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(cycles, 1);
    RcgWriter tagOnly = whole;
    tagOnly.Tag(1);
    r = ParseResult(tagOnly.Bytes(), &cycles);
    EXPECT_TRUE(r.truncated);
    EXPECT_EQ(cycles, 2);

    // A bad record is an error, not a cut.
    RcgWriter bad = whole;
    bad.Tag(4).Show(At(3));
    r = ParseResult(bad.Bytes(), &cycles);
    EXPECT_EQ(r.error, "Unknown mode");
    EXPECT_FALSE(r.truncated);
    EXPECT_EQ(cycles, 2);
}

TEST(Convertlog, ReadResultOfInputsThatAreNoVersionThreeLogs)
{
    // A text log of a newer server: its version is a digit character.
    RcgReadResult r = ParseResult("ULG5\n(server_param (goal_width 14.02))\n");
    EXPECT_EQ(r.version, '5');
    EXPECT_EQ(r.error, "Unknown mode");

    RcgWriter two(2);
    two.Teams("Old", 0, "Older", 0).OldShow();
    r = ParseResult(two.Bytes());
    EXPECT_EQ(r.version, 2);
    EXPECT_EQ(r.error, "");
    EXPECT_FALSE(r.truncated);

    r = ParseResult("");
    EXPECT_TRUE(r.opened);
    EXPECT_EQ(r.version, 0);
    EXPECT_EQ(r.size, 0);
    EXPECT_FALSE(r.truncated);

    r = ParseResult("UL");  // shorter than a header
    EXPECT_EQ(r.version, 0);
    EXPECT_EQ(r.size, 2);
    EXPECT_TRUE(r.truncated);

    // A whole header and nothing after it: a log without records, not a cut one.
    int cycles = -1;
    r = ParseResult(RcgWriter(3).Bytes(), &cycles);
    EXPECT_EQ(r.version, 3);
    EXPECT_EQ(r.size, 4);
    EXPECT_FALSE(r.truncated);
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(cycles, 0);

    auto log = CreateFileRecord("missing.rcg");
    std::ostringstream err;
    r.opened = true;
    ParseRcgFile(MakeTempDir("missing") + "/missing.rcg", *log, err, &r);
    EXPECT_FALSE(r.opened);
    EXPECT_EQ(r.version, 0);
    EXPECT_EQ(r.size, -1);
    EXPECT_FALSE(r.truncated);
}

TEST(Convertlog, ReadResultOfARealMatchIsCleanAndTheLoadIsTheSame)
{
    const std::string path = GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg");
    auto withResult = CreateFileRecord(path);
    RcgReadResult r;
    ReadRcgFile(path, *withResult, &r);
    EXPECT_TRUE(r.opened);
    EXPECT_EQ(r.version, 3);
    EXPECT_EQ(r.size, 587190);  // the description's uncompressed size
    EXPECT_FALSE(r.truncated);
    EXPECT_EQ(r.error, "");

    auto plain = CreateFileRecord(path);
    ReadRcgFile(path, *plain);
    ASSERT_EQ(withResult->cycles, 409);
    ASSERT_EQ(plain->cycles, withResult->cycles);
    EXPECT_EQ(Values(*plain, "Lplayer7.calculated.role"), Values(*withResult, "Lplayer7.calculated.role"));
}
