#include "core/expr/UserChannels.h"

#include "core/expr/Expression.h"

#include "core/io/Convertlog.h"
#include "core/io/FieldsFile.h"
#include "core/model/Common.h"
#include "core/model/RoboCupFile.h"
#include "support/HandFilledLog.h"
#include "support/RecordingHooks.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

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

    // Each new leaf goes into the lists at once where collecting them afresh puts it.
    const auto kept = [&] {
        const std::vector<TimeChannel*> channels = log->stream->GetChannels(), leaves = log->stream->GetLeaves();
        log->stream->RebuildChannelLists();
        EXPECT_TRUE(log->stream->GetChannels() == channels && log->stream->GetLeaves() == leaves);
    };
    ASSERT_EQ(CreateUserChannels(*log, {{"plain", "cycle"}, {"px", "PLAYER.pos.x"}}, kept).computed, 23);
}

// The log has no "user" group yet: the first row of each kind makes it, the
// next one puts its leaf beside the first.
TEST_F(UserChannelsTest, RowsOfOneKindShareTheGroupTheFirstMade)
{
    ASSERT_EQ(CreateUserChannels(*log, {{"a", "cycle"}, {"p", "PLAYER"}, {"b", "cycle"}, {"q", "PLAYER"}}).computed,
              46);
    for (const std::string group : {"user", "Lplayer1.user", "Rplayer11.user"})
        EXPECT_EQ(dynamic_cast<CompositeTimeChannel&>(*Find(group)).GetChildren().size(), 2u) << group;
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

// Passes as typed and for Lplayer1-9; its 100 "PLAYER" make it too long for Lplayer10.
std::string GrowsTooLong()
{
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "PLAYER+";
    text.resize(9750, '1');
    return text;
}

TEST_F(UserChannelsTest, RefusedRowsMakeNoChannelNorUserNode)
{
    const std::size_t leaves = log->stream->GetLeaves().size();
    const UserChannelsRun run = CreateUserChannels(*log, {{"bad", "user.bad + foo"},
                                                          {"badplayer", "PLAYER.pos.x + foo"},
                                                          {"long", GrowsTooLong()},
                                                          {"deep", std::string(300, '(') + "1" + std::string(300, ')')},
                                                          {"", ""}});
    const std::pair<std::string, std::string> expected[] = {
        {"", "Syntax error: Unknown identifier at \"foo\" (column 12)"},
        {"Lplayer1", "Syntax error: Unknown identifier at \"foo\" (column 18)"},
        {"Lplayer10", "Expression too long"},
        {"", "Expression nested too deeply (more than 200 levels)"},
    };
    ASSERT_EQ(run.refused.size(), std::size(expected));
    for (std::size_t i = 0; i < run.refused.size(); ++i) {
        EXPECT_EQ(run.refused[i].row, i);
        EXPECT_EQ(run.refused[i].player, expected[i].first) << i;
        EXPECT_EQ(run.refused[i].reason, expected[i].second) << i;
    }
    EXPECT_TRUE(hooks.notices.empty());  // the caller tells them, once
    EXPECT_EQ(log->stream->GetLeaves().size(), leaves);
    for (int k = 0; k < RoboCupFileT::kObjectCount; ++k)
        EXPECT_EQ(Find(k == 0 ? "user" : ObjectName(k) + ".user"), nullptr) << k;
    EXPECT_EQ(log->stream->GetRowBuffer().size(), leaves + 1);
}

TEST_F(UserChannelsTest, ARefusedTextLeavesTheExistingLeafAsItWas)
{
    ASSERT_EQ(CreateUserChannels(*log, {{"acc", "cycle + 0.5"}, {"p", "PLAYER * 100 + cycle"}}).computed, 23);
    const ChannelValues<double> acc = Values("user.acc");
    const ChannelValues<double> p7 = Values("Lplayer7.user.p");
    const std::size_t leaves = log->stream->GetLeaves().size();
    CreateUserChannels(*log, {{"acc", "user.acc + foo"}, {"p", "PLAYER + foo"}, {"p", GrowsTooLong()}});
    EXPECT_EQ(log->stream->GetLeaves().size(), leaves);
    EXPECT_EQ(Values("user.acc"), acc);
    EXPECT_EQ(Values("Lplayer7.user.p"), p7);
}

// Asked before each row and player and every 1024 cycles: the n-th question says
// stop before "a", inside "a", or inside "old" once "a" is done.
TEST(UserChannels, CancelEndsTheCommandAndTakesBackTheLeafInWork)
{
    RecordingHooks hooks;
    HandFilledLog hand(3000);
    RoboCupFileT& log = *hand.log;
    ASSERT_EQ(CreateUserChannels(log, {{"old", "cycle"}}).computed, 1);
    const ChannelValues<double> old = LeafValues<double>(log, "user.old");
    const std::size_t leaves = log.stream->GetLeaves().size();
    for (const auto& [at, computed] : {std::pair{1, 0}, std::pair{2, 0}, std::pair{5, 1}}) {
        const int stopAt = at;  // a binding of its own for the lambda
        int asked = 0;
        const UserChannelsRun run = CreateUserChannels(log, {{"a", "cycle * 2"}, {"old", "-1"}, {"c", "1"}}, {},
                                                       [&] { return ++asked == stopAt; });
        EXPECT_TRUE(run.cancelled && asked == stopAt) << stopAt;
        EXPECT_EQ(run.computed, computed) << stopAt;
        // Only a leaf computed to its end stays; the one there already is as it was.
        EXPECT_EQ(log.stream->GetLeaves().size(), leaves + computed) << stopAt;
        EXPECT_EQ(LeafValues<double>(log, "user.old"), old) << stopAt;
    }
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
    EXPECT_EQ(CheckFieldName(TLogNames(*log), *log, "_ok9", true), "");
    EXPECT_EQ(CheckFieldName(TLogNames(*log), *log, "fine_1", false), "");  // made again, no clash with itself

    // Of several clashes the first in leaf order is told, whichever player's it is.
    log->stream->AddChannel(new DataTimeChannel<double>("Lplayer3_user_x"));
    dynamic_cast<CompositeTimeChannel*>(Find("Rplayer1"))->AddChild(new DataTimeChannel<double>("user_x"));
    log->stream->RebuildChannelLists();
    EXPECT_EQ(CheckFieldName(TLogNames(*log), *log, "x", true),
              "Field name 'x' reads like the data field 'Rplayer1.user_x'");
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
    const FieldsRead read = ParseFieldDefinitions(out.str(), 10000);
    EXPECT_EQ(read.error, "");
    EXPECT_EQ(read.fields, fields);
}

}  // namespace

// Cancel inside a player row takes back the whole row, new leaves and those of
// a former run alike; the rows before it stay.
TEST_F(UserChannelsTest, CancelInsideAPlayerRowTakesBackTheWholeRow)
{
    ASSERT_EQ(CreateUserChannels(*log, {{"old", "dist(PLAYER, Ball, cycle)"}}).computed, 22);
    const ChannelValues<double> old = Values("Lplayer1.user.old");
    const std::size_t leaves = log->stream->GetLeaves().size();
    for (const std::string row : {"p", "old"}) {
        for (int players : {1, 21}) {
            int made = 0;  // the first row's leaf, then that many players of the second row
            const UserChannelsRun run = CreateUserChannels(*log, {{"first", "cycle"}, {row, "PLAYER.pos.x"}},
                                                           [&] { ++made; }, [&] { return made == players + 1; });
            EXPECT_TRUE(run.cancelled && run.computed == 1) << row << players;
            EXPECT_EQ(log->stream->GetLeaves().size(), leaves + 1) << row << players;
            EXPECT_TRUE(row == "p" || Values("Lplayer1.user.old") == old) << players;
        }
    }
}
