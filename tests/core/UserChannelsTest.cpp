#include "core/expr/UserChannels.h"

#include "core/io/Convertlog.h"
#include "core/io/FieldsFile.h"
#include "core/model/Common.h"
#include "core/model/RoboCupFile.h"
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
    EXPECT_EQ(CreateUserChannels(*log, rows, [&] { ++refreshes; }), 1);
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
    ASSERT_EQ(CreateUserChannels(*log, {{"bdist", "dist(PLAYER, Ball, cycle)"}}), 22);
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
    ASSERT_EQ(CreateUserChannels(*log, {{"c", "cycle"}, {"p", "PLAYER"}}), 23);
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
                                        {"sum", "val(id_user_sum, cycle - 1) + 1"}}),
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

TEST_F(UserChannelsTest, RefusedExpressionSaysSoOnceAndTheOtherRowsGoOn)
{
    EXPECT_EQ(CreateUserChannels(*log, {{"bad", "sqr(1, 2)"},
                                        {"badplayer", "dist(PLAYER, Ball)"},
                                        {"good", "cycle * 2"},
                                        {"", ""}}),
              1);
    EXPECT_EQ(hooks.notices,
              (std::vector<Notice>{{"Illegal number of parameters to function at \"sqr\" (column 1): it takes sqr(value)",
                                    "Function evaluation error !"},
                                   {"Illegal number of parameters to function at \"dist\" (column 1): it takes "
                                    "dist(object, object, cycle)",
                                    "Function evaluation error !"}}));
    EXPECT_EQ(hooks.beeps, 2);
    // The refused row's leaf stays with zeros; the player row stopped at its first player.
    ASSERT_NE(Find("user.bad"), nullptr);
    EXPECT_EQ(At("user.bad", 10), 0.0);
    EXPECT_NE(Find("Lplayer1.user.badplayer"), nullptr);
    EXPECT_EQ(Find("Lplayer2.user.badplayer"), nullptr);
    EXPECT_EQ(At("user.good", 10), 20.0);
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
        hooks.notices.clear();
        EXPECT_EQ(CreateUserChannels(*log, {{c.name, "cycle"}, {"fine_1", "cycle"}}), 1) << c.name;
        EXPECT_EQ(hooks.notices, (std::vector<Notice>{{c.message, "Error"}})) << c.name;
    }
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
    EXPECT_EQ(CreateUserChannels(log, {{"k", "PLAYER * 10 + cycle"}, {"t", "cycle"}}), 3);
    EXPECT_EQ(hooks.notices, (std::vector<Notice>{{"Player channel not found!", "Error"}}));
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
