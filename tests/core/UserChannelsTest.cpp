#include "core/expr/UserChannels.h"

#include "core/io/Convertlog.h"
#include "core/io/FieldsFile.h"
#include "core/model/Common.h"
#include "core/model/RoboCupFile.h"
#include "core/expr/Expression.h"
#include "support/HandFilledLog.h"
#include "support/RecordingHooks.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using Notice = std::pair<std::string, std::string>;

// A fresh copy of the real short match for every test: channels are added to it.
class UserChannelsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string path = GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg");
        log = CreateFileRecord(path);
        RecordingHooks quiet;
        ReadRcgFile(path, *log);
        ASSERT_GT(log->cycles, 100);
    }

    TimeChannel* Find(const std::string& name) const { return log->stream->FindChannel(name); }
    ChannelValues<double>& Values(const std::string& name) const
    {
        return dynamic_cast<DataTimeChannel<double>&>(*Find(name)).GetValues();
    }
    double At(const std::string& name, int c) const { return Find(name)->GetValue(c); }
    int LeafIndex(const std::string& name) const
    {
        const auto& leaves = log->stream->GetLeaves();
        for (std::size_t i = 0; i < leaves.size(); ++i) {
            if (leaves[i]->GetFullName() == name)
                return static_cast<int>(i);
        }
        return -1;
    }

    std::unique_ptr<RoboCupFileT> log;
    RecordingHooks hooks;
};

TEST_F(UserChannelsTest, PlainRowMakesOneLastLeafAndRecomputesIt)
{
    const std::vector<FieldDefinition> rows{{"speed", "sqrt(sqr(Ball.vel.dx) + sqr(Ball.vel.dy))"}};
    int refreshes = 0;
    EXPECT_EQ(CreateUserChannels(*log, rows, [&] { ++refreshes; }).computed, 1);
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(hooks.waitTexts,
              std::vector<std::string>{"Evaluating function 'user.speed=sqrt(sqr(Ball.vel.dx) + sqr(Ball.vel.dy))'"});
    ASSERT_EQ(static_cast<int>(log->stream->GetLeaves().size()), kSchemaLeaves + 1);
    EXPECT_EQ(log->stream->GetLeaves().back()->GetFullName(), "user.speed");
    EXPECT_EQ(log->stream->GetRootChannels().back()->GetName(), "user");
    ASSERT_EQ(static_cast<int>(Values("user.speed").size()), log->cycles);
    for (int c = 0; c < log->cycles; ++c)
        ASSERT_DOUBLE_EQ(At("user.speed", c), std::hypot(At("Ball.vel.dx", c), At("Ball.vel.dy", c))) << c;

    // Again: the same leaf, its values computed afresh.
    const ChannelValues<double> first = Values("user.speed");
    Values("user.speed").assign(first.size(), -1.0);
    CreateUserChannels(*log, rows);
    EXPECT_EQ(static_cast<int>(log->stream->GetLeaves().size()), kSchemaLeaves + 1);
    EXPECT_EQ(Values("user.speed"), first);
    EXPECT_TRUE(hooks.notices.empty());
    EXPECT_EQ(hooks.beeps, 0);
}

TEST_F(UserChannelsTest, PlayerRowMakesALeafAfterEachPlayersOwn)
{
    ASSERT_EQ(CreateUserChannels(*log, {{"bdist", "dist(PLAYER, Ball, cycle)"}}).computed, 22);
    EXPECT_EQ(Find("Ball.user"), nullptr);
    EXPECT_EQ(Find("user"), nullptr);
    for (int p = 0; p < 22; ++p) {
        const std::string player = ObjectName(p + 1);
        const std::string leaf = player + ".user.bdist";
        // Every earlier player's new leaf moves this one up by one.
        EXPECT_EQ(LeafIndex(leaf), PlayerLeafIndex(p, playerleaf::kCount) + p) << leaf;
        for (int c : {0, 50, log->cycles - 1}) {
            EXPECT_DOUBLE_EQ(At(leaf, c), PointDistance(At(player + ".pos.x", c), At(player + ".pos.y", c),
                                                        At("Ball.pos.x", c), At("Ball.pos.y", c)))
                << leaf << " at " << c;
        }
    }
    EXPECT_EQ(hooks.waitTexts.back(), "Evaluating function 'Rplayer11.user.bdist=dist(Rplayer11, Ball, cycle)'");
}

TEST_F(UserChannelsTest, NewLeavesFollowTheLogsAveragingWindow)
{
    log->stream->SetTimeWindow(4);
    ASSERT_EQ(CreateUserChannels(*log, {{"c", "cycle"}, {"p", "PLAYER"}}).computed, 23);
    EXPECT_EQ(Find("user.c")->GetTimeWindow(), 4);
    EXPECT_EQ(Find("Rplayer3.user.p")->GetTimeWindow(), 4);
    // Read like the others: the mean over c-2 .. c+1.
    EXPECT_DOUBLE_EQ(At("user.c", 10), 9.5);
}

TEST_F(UserChannelsTest, LaterRowsReadEarlierOnesAndOwnValuesFromBefore)
{
    ASSERT_EQ(CreateUserChannels(*log, {{"speed", "sqrt(sqr(Ball.vel.dx) + sqr(Ball.vel.dy))"},
                                        {"twice", "user.speed + user_speed"},
                                        {"acc", "user.acc + 1"},
                                        {"sum", "val(id_user_sum, cycle - 1) + 1"}})
                  .computed,
              4);
    for (int c = 0; c < log->cycles; ++c) {
        ASSERT_DOUBLE_EQ(At("user.twice", c), 2 * At("user.speed", c));
        ASSERT_EQ(At("user.acc", c), 1.0);
        ASSERT_EQ(At("user.sum", c), c + 1.0);
    }
    // The own values before this run: 1 everywhere, so now 2.
    CreateUserChannels(*log, {{"acc", "user.acc + 1"}});
    EXPECT_EQ(At("user.acc", 0), 2.0);
    EXPECT_EQ(At("user.acc", log->cycles - 1), 2.0);
}

// A text of the given length holding "PLAYER" n times.
std::string PlayerText(std::size_t length, int n)
{
    std::string text;
    for (int i = 0; i < n; ++i)
        text += "PLAYER+";
    return text + std::string(length - text.size(), '1');
}

TEST_F(UserChannelsTest, RefusedExpressionsMakeNoChannelAndAreToldInTheResult)
{
    const std::size_t leaves = log->stream->GetLeaves().size();
    // 100 "PLAYER": 200 characters more for Lplayer1, 300 for Lplayer10.
    const std::string growsForAll = PlayerText(9801, 100);
    const std::string growsForSome = PlayerText(9750, 100);
    ASSERT_EQ(CheckExpressionText(growsForAll), "");
    const UserChannelsRun run = CreateUserChannels(*log, {{"bad", "foo + 1"},
                                                          {"arity", "sqr(1, 2)"},
                                                          {"badplayer", "dist(PLAYER, Ball)"},
                                                          {"pl", growsForAll},
                                                          {"pl2", growsForSome},
                                                          {"deep", std::string(300, '(') + "1" + std::string(300, ')')},
                                                          {"good", "cycle * 2"},
                                                          {"", ""}});
    EXPECT_EQ(run.computed, 1);
    EXPECT_FALSE(run.cancelled);
    const std::string arity = "Illegal number of parameters to function at \"sqr\" (column 1): it takes sqr(value)";
    const std::string dist =
        "Illegal number of parameters to function at \"dist\" (column 1): it takes dist(object, object, cycle)";
    ASSERT_EQ(run.refused.size(), 6u);
    const std::pair<std::string, std::string> expected[] = {
        {"", "Syntax error: Unknown identifier at \"foo\" (column 1)"},
        {"", arity},
        {"Lplayer1", dist},
        {"Lplayer1", "Expression too long"},
        {"Lplayer10", "Expression too long"},
        {"", "Expression nested too deeply (more than 200 levels)"},
    };
    for (std::size_t i = 0; i < run.refused.size(); ++i) {
        EXPECT_EQ(run.refused[i].row, i);
        EXPECT_EQ(run.refused[i].player, expected[i].first) << i;
        EXPECT_EQ(run.refused[i].reason, expected[i].second) << i;
    }
    // Told by the caller, once: nothing shown or beeped here.
    EXPECT_TRUE(hooks.notices.empty());
    EXPECT_EQ(hooks.beeps, 0);
    for (const char* name : {"user.bad", "user.arity", "user.deep"})
        EXPECT_EQ(Find(name), nullptr) << name;
    for (int k = 1; k < RoboCupFileT::kObjectCount; ++k) {
        // Not even the players' "user" nodes made for them stay.
        EXPECT_EQ(Find(ObjectName(k) + ".user"), nullptr) << k;
    }
    EXPECT_EQ(log->stream->GetLeaves().size(), leaves + 1);
    EXPECT_EQ(log->stream->GetLeaves().back()->GetFullName(), "user.good");
    EXPECT_EQ(At("user.good", 10), 20.0);
    // The row header names the leaves there are.
    EXPECT_EQ(log->stream->GetRowBuffer().size(), leaves + 2);
}

TEST_F(UserChannelsTest, RefusedFirstRowTakesBackTheUserNodeMadeForIt)
{
    const std::size_t roots = log->stream->GetRootChannels().size();
    EXPECT_EQ(CreateUserChannels(*log, {{"bad", "user.bad + foo"}}).refused.size(), 1u);
    EXPECT_EQ(Find("user"), nullptr);
    EXPECT_EQ(log->stream->GetRootChannels().size(), roots);
    EXPECT_EQ(static_cast<int>(log->stream->GetLeaves().size()), kSchemaLeaves);
}

TEST_F(UserChannelsTest, ExistingLeafKeepsItsValuesWhenItsNewExpressionIsRefused)
{
    ASSERT_EQ(CreateUserChannels(*log, {{"acc", "cycle + 0.5"}, {"p", "PLAYER * 100 + cycle"}}).computed, 23);
    const ChannelValues<double> acc = Values("user.acc");
    const ChannelValues<double> p7 = Values("Lplayer7.user.p");
    const std::size_t leaves = log->stream->GetLeaves().size();
    const UserChannelsRun run =
        CreateUserChannels(*log, {{"acc", "user.acc + foo"}, {"p", "PLAYER + foo"}, {"p", PlayerText(9801, 100)}});
    EXPECT_EQ(run.computed, 0);
    EXPECT_EQ(run.refused.size(), 3u);
    EXPECT_EQ(log->stream->GetLeaves().size(), leaves);
    EXPECT_EQ(Values("user.acc"), acc);
    EXPECT_EQ(Values("Lplayer7.user.p"), p7);
    EXPECT_EQ(At("Lplayer1.user.p", 5), 105.0);
}

TEST(UserChannels, PlayerRowStopsAtTheRefusedPlayerAndKeepsTheEarlierOnes)
{
    RecordingHooks hooks;
    HandFilledLog hand(5);
    RoboCupFileT& log = *hand.log;
    // Only the first two players have the leaf the text names.
    for (int k : {1, 2}) {
        auto* player = dynamic_cast<CompositeTimeChannel*>(log.stream->FindChannel(ObjectName(k)));
        auto* extra = new DataTimeChannel<double>("extra");
        extra->GetValues().assign(5, k * 10.0);
        player->AddChild(extra);
    }
    const UserChannelsRun run = CreateUserChannels(log, {{"e", "PLAYER.extra + 1"}});
    EXPECT_EQ(run.computed, 2);
    ASSERT_EQ(run.refused.size(), 1u);
    EXPECT_EQ(run.refused[0].player, "Lplayer3");
    EXPECT_EQ(run.refused[0].reason, "Syntax error: Unknown identifier at \"Lplayer3.extra\" (column 1)");
    EXPECT_EQ(log.stream->FindChannel("Lplayer2.user.e")->GetValue(4), 21.0);
    EXPECT_EQ(log.stream->FindChannel("Lplayer3.user"), nullptr);
    EXPECT_EQ(log.stream->FindChannel("Lplayer4.user"), nullptr);
}

TEST(UserChannels, CancelEndsTheCommandAndTakesBackTheLeafInWork)
{
    RecordingHooks hooks;
    HandFilledLog hand(3000);
    RoboCupFileT& log = *hand.log;
    ASSERT_EQ(CreateUserChannels(log, {{"old", "cycle"}}).computed, 1);
    const ChannelValues<double> old = LeafValues<double>(log, "user.old");
    const std::size_t leaves = log.stream->GetLeaves().size();

    // Asked before each leaf and every 1024 cycles: the n-th question says stop.
    struct Case {
        int stopAt;
        int computed;
    };
    for (const Case c : {Case{1, 0}, Case{2, 0}, Case{3, 0}, Case{4, 1}, Case{5, 1}, Case{6, 1}}) {
        int asked = 0;
        const UserChannelsRun run = CreateUserChannels(
            log, {{"a", "cycle * 2"}, {"old", "-1"}, {"b", "foo"}, {"c", "1"}}, {},
            [&] { return ++asked == c.stopAt; });
        EXPECT_TRUE(run.cancelled) << c.stopAt;
        EXPECT_EQ(asked, c.stopAt);
        EXPECT_EQ(run.computed, c.computed) << c.stopAt;
        EXPECT_TRUE(run.refused.empty()) << c.stopAt;
        // Only a leaf computed to its end stays; the existing one is as it was.
        EXPECT_EQ(log.stream->FindChannel("user.a") != nullptr, c.computed == 1) << c.stopAt;
        EXPECT_EQ(LeafValues<double>(log, "user.old"), old) << c.stopAt;
        EXPECT_EQ(log.stream->FindChannel("user.c"), nullptr);
        if (auto* a = log.stream->FindChannel("user.a"))
            log.stream->DeleteChannel(a);
        EXPECT_EQ(log.stream->GetLeaves().size(), leaves);
    }
}

TEST(UserChannels, OneMessageNamesTheFirstTenRefusalsAndCountsThemAll)
{
    std::vector<FieldRefusal> refused;
    for (std::size_t i = 0; i < 1000; ++i)
        refused.push_back({i * 2, "f" + std::to_string(i), i % 2 ? "Rplayer11" : "", "why " + std::to_string(i)});
    const std::string message = DescribeRefusals(refused);
    EXPECT_EQ(message.substr(0, message.find('\n', message.find('\n') + 1)),
              "1000 rows were refused:\nrow 1 \"f0\": why 0");
    EXPECT_NE(message.find("\nrow 3 \"f1\", PLAYER = Rplayer11: why 1\n"), std::string::npos);
    EXPECT_EQ(message.substr(message.rfind("\nrow")), "\nrow 19 \"f9\", PLAYER = Rplayer11: why 9\nand 990 more (1000 rows)");
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 11);
    EXPECT_EQ(DescribeRefusals({{4, "x", "", "Expression too long"}}), "1 row was refused:\nrow 5 \"x\": Expression too long");
}

TEST_F(UserChannelsTest, BadNamesMakeNothing)
{
    // A leaf that reads "user_a_b" as a variable already exists.
    auto* a = new CompositeTimeChannel("a");
    a->AddChild(new DataTimeChannel<double>("b"));
    auto* user = new CompositeTimeChannel("user");
    user->AddChild(a);
    log->stream->AddChannel(user);
    const int leaves = static_cast<int>(log->stream->GetLeaves().size());

    const struct {
        std::string name;
        std::string message;
    } cases[] = {
        {"a b", "Invalid field name 'a b': use letters, digits and _ only, starting with a letter or _"},
        {"1x", "Invalid field name '1x': use letters, digits and _ only, starting with a letter or _"},
        {"a.c", "Invalid field name 'a.c': use letters, digits and _ only, starting with a letter or _"},
        {"x+y", "Invalid field name 'x+y': use letters, digits and _ only, starting with a letter or _"},
        {"", "Invalid field name '': use letters, digits and _ only, starting with a letter or _"},
        {"a_b", "Field name 'a_b' reads like the data field 'user.a.b'"},
    };
    for (const auto& c : cases) {
        const UserChannelsRun run = CreateUserChannels(*log, {{c.name, "cycle"}, {"fine_1", "cycle"}});
        EXPECT_EQ(run.computed, 1) << c.name;
        ASSERT_EQ(run.refused.size(), 1u) << c.name;
        EXPECT_EQ(run.refused[0].reason, c.message) << c.name;
    }
    EXPECT_TRUE(hooks.notices.empty());
    EXPECT_EQ(static_cast<int>(log->stream->GetLeaves().size()), leaves + 1);  // fine_1 only
    EXPECT_EQ(CheckFieldName(*log, "_ok9", true), "");
    EXPECT_EQ(CheckFieldName(*log, "fine_1", false), "");  // made again, no clash with itself
}

TEST(UserChannels, MissingPlayerChannelStopsThatRow)
{
    RecordingHooks hooks;
    RoboCupFileT log("hand.rcg");
    for (const char* name : {"Ball", "Lplayer1", "Lplayer2", "Lplayer4"})
        log.stream->AddChannel(new CompositeTimeChannel(name));
    log.cycles = 3;
    const UserChannelsRun run = CreateUserChannels(log, {{"k", "PLAYER * 10 + cycle"}, {"t", "cycle"}});
    EXPECT_EQ(run.computed, 3);
    ASSERT_EQ(run.refused.size(), 1u);
    EXPECT_EQ(run.refused[0].player, "Lplayer3");
    EXPECT_EQ(run.refused[0].reason, "Player channel not found");
    EXPECT_TRUE(hooks.notices.empty());
    EXPECT_EQ(log.stream->FindChannel("Lplayer2.user.k")->GetValue(2), 22.0);
    EXPECT_EQ(log.stream->FindChannel("Lplayer4.user.k"), nullptr);
    EXPECT_EQ(log.stream->FindChannel("user.t")->GetValue(1), 1.0);
}

TEST(FieldsFile, WritesTheGoldenFileAndReadsItBack)
{
    const std::vector<FieldDefinition> fields{{"speed", "sqrt(sqr(Ball.vel.dx) + sqr(Ball.vel.dy))"},
                                              {"bdist", "dist(PLAYER, Ball, cycle)"},
                                              {"half", "if(x=1, 0.5, y)"},
                                              {"empty", ""}};
    std::ostringstream out;
    WriteFieldDefinitions(out, fields);
    EXPECT_EQ(out.str(), ReadBytes(TestDataPath("golden/fields.txt")));
    std::istringstream in(out.str());
    const FieldsRead read = ReadFieldDefinitions(in, 10000);
    EXPECT_EQ(read.error, "");
    EXPECT_EQ(read.fields, fields);
}

}  // namespace
