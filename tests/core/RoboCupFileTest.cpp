#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::string LeafName(const RoboCupFileT& file, int leafIndex)
{
    return file.stream->GetChannel(leafIndex)->GetFullName();
}

std::vector<std::string> ChildNames(const TimeChannel* channel)
{
    std::vector<std::string> names;
    for (const TimeChannel* child : dynamic_cast<const CompositeTimeChannel&>(*channel).GetChildren())
        names.push_back(child->GetName());
    return names;
}

// The type word of player leaf k, by the ranges of the player layout.
std::string PlayerLeafType(int k)
{
    if (k == 0 || (k >= 23 && k <= 30) || (k >= 35 && k <= 38) || k == 41)
        return "char";
    if ((k >= 1 && k <= 3) || k == 11 || (k >= 15 && k <= 22) || k == 31 || k == 33)
        return "short";
    if (k == 39 || k == 40)
        return "long";
    return "double";  // 4-10, 12-14, 32, 34
}

}  // namespace

TEST(Schema, CountsAndTopLevelOrder)
{
    auto file = CreateFileRecord("logs/a.rcg");
    const TimeStream& s = *file->stream;
    EXPECT_EQ(s.GetRootChannels().size(), 26u);
    EXPECT_EQ(s.GetLeaves().size(), 939u);
    EXPECT_EQ(s.GetChannels().size(), 1144u);
    EXPECT_EQ(s.GetLastLeafIndex(), 938);
    EXPECT_EQ(s.GetName(), "RoboCup");

    std::vector<std::string> expected{"time", "play_mode", "score", "Ball"};
    for (int i = 1; i <= 11; ++i)
        expected.push_back("Lplayer" + std::to_string(i));
    for (int i = 1; i <= 11; ++i)
        expected.push_back("Rplayer" + std::to_string(i));
    std::vector<std::string> roots;
    for (const TimeChannel* root : s.GetRootChannels())
        roots.push_back(root->GetName());
    EXPECT_EQ(roots, expected);

    for (const TimeChannel* leaf : s.GetLeaves())
        EXPECT_EQ(leaf->GetCount(), 0) << leaf->GetFullName();
}

TEST(Schema, GroupsBelowTheTopLevelChannels)
{
    auto file = CreateFileRecord("a.rcg");
    const TimeStream& s = *file->stream;
    EXPECT_EQ(ChildNames(s.FindChannel("score")),
              (std::vector<std::string>{"diff", "l_team", "r_team", "time2goal"}));
    EXPECT_EQ(ChildNames(s.FindChannel("Ball")),
              (std::vector<std::string>{"pos", "vel", "possessor", "goal_distance", "calculated"}));
    const std::vector<std::string> player{"side", "unum",  "type",   "mode",    "pos",
                                          "vel",  "angles", "view", "stamina", "counts",
                                          "actions", "calculated"};
    EXPECT_EQ(ChildNames(s.FindChannel("Lplayer1")), player);
    EXPECT_EQ(ChildNames(s.FindChannel("Rplayer11")), player);
    EXPECT_EQ(ChildNames(s.FindChannel("Lplayer4.counts")),
              (std::vector<std::string>{"kick_count", "dash_count", "turn_count", "say_count", "tneck_count",
                                        "catch_count", "move_count", "chng_view_count"}));
    EXPECT_EQ(ChildNames(s.FindChannel("Rplayer2.actions")),
              (std::vector<std::string>{"kick", "dash", "turn", "say", "tneck", "catch", "move", "chng_view"}));
    EXPECT_EQ(ChildNames(s.FindChannel("Lplayer9.calculated")),
              (std::vector<std::string>{"nearest_opponent", "dist_opponent", "nearest_teammate", "dist_teammate",
                                        "possessor", "prev_possessor", "real_possessor", "speed", "event", "role",
                                        "kick_event"}));
    using Names = std::vector<std::string>;
    EXPECT_EQ(ChildNames(s.FindChannel("Ball.pos")), (Names{"x", "y"}));
    EXPECT_EQ(ChildNames(s.FindChannel("Ball.vel")), (Names{"dx", "dy"}));
    EXPECT_EQ(ChildNames(s.FindChannel("Ball.possessor")), (Names{"l_team", "r_team"}));
    EXPECT_EQ(ChildNames(s.FindChannel("Ball.goal_distance")), (Names{"l_team", "r_team"}));
    EXPECT_EQ(ChildNames(s.FindChannel("Ball.calculated")), (Names{"kick_event"}));
    EXPECT_EQ(ChildNames(s.FindChannel("Rplayer7.pos")), (Names{"x", "y"}));
    EXPECT_EQ(ChildNames(s.FindChannel("Rplayer7.vel")), (Names{"dx", "dy"}));
    EXPECT_EQ(ChildNames(s.FindChannel("Rplayer7.angles")), (Names{"body_angle", "head_angle"}));
    EXPECT_EQ(ChildNames(s.FindChannel("Rplayer7.view")), (Names{"view_width", "view_quality"}));
    EXPECT_EQ(ChildNames(s.FindChannel("Rplayer7.stamina")), (Names{"stamina", "effort", "recovery"}));
    EXPECT_EQ(s.FindChannel("Ball")->GetTypeName(), "COMPOSITE");
    EXPECT_EQ(s.FindChannel("Lplayer3.stamina")->GetTypeName(), "COMPOSITE");
}

TEST(Schema, LeafIndicesOfNamedLeaves)
{
    auto file = CreateFileRecord("a.rcg");
    EXPECT_EQ(LeafName(*file, 0), "time");
    EXPECT_EQ(LeafName(*file, 5), "score.time2goal");
    EXPECT_EQ(LeafName(*file, 14), "Ball.calculated.kick_event");
    EXPECT_EQ(LeafName(*file, 15), "Lplayer1.side");
    EXPECT_EQ(LeafName(*file, 19), "Lplayer1.pos.x");
    EXPECT_EQ(LeafName(*file, 54), "Lplayer1.calculated.event");
    EXPECT_EQ(LeafName(*file, 55), "Lplayer1.calculated.role");
    EXPECT_EQ(LeafName(*file, 56), "Lplayer1.calculated.kick_event");
    EXPECT_EQ(LeafName(*file, 57), "Lplayer2.side");
    EXPECT_EQ(LeafName(*file, 477), "Rplayer1.side");
    EXPECT_EQ(LeafName(*file, 938), "Rplayer11.calculated.kick_event");
    try {
        file->stream->GetChannel(939);
        ADD_FAILURE() << "leaf 939 exists";
    } catch (const EAssertionFailed& e) {
        EXPECT_STREQ(e.what(), "Index out of range");
        EXPECT_STREQ(e.File(), "timestream.h");
    }
    EXPECT_NE(file->stream->FindChannel("score.time2goal"), nullptr);
    EXPECT_EQ(file->stream->FindChannel("time2goal"), nullptr);
}

TEST(Schema, LeafIndexTableNamesTheSameLeavesInEveryNewRecord)
{
    auto first = CreateFileRecord("a.rcg");
    auto second = CreateFileRecord("b.rcg");
    for (const auto* file : {first.get(), second.get()}) {
        EXPECT_EQ(LeafName(*file, kSchemaLeaf.time), "time");
        EXPECT_EQ(LeafName(*file, kSchemaLeaf.playMode), "play_mode");
        EXPECT_EQ(LeafName(*file, kSchemaLeaf.scoreDiff), "score.diff");
        EXPECT_EQ(LeafName(*file, kSchemaLeaf.leftScore), "score.l_team");
        EXPECT_EQ(LeafName(*file, kSchemaLeaf.rightScore), "score.r_team");
        EXPECT_EQ(LeafName(*file, kSchemaLeaf.time2goal), "score.time2goal");
        EXPECT_EQ(LeafName(*file, kSchemaLeaf.ballX), "Ball.pos.x");
        EXPECT_EQ(LeafName(*file, kSchemaLeaf.ballY), "Ball.pos.y");
        EXPECT_EQ(LeafName(*file, kSchemaLeaf.ballDx), "Ball.vel.dx");
        EXPECT_EQ(LeafName(*file, kSchemaLeaf.ballDy), "Ball.vel.dy");
        EXPECT_EQ(LeafName(*file, kSchemaLeaf.leftPossession), "Ball.possessor.l_team");
        EXPECT_EQ(LeafName(*file, kSchemaLeaf.rightPossession), "Ball.possessor.r_team");
        EXPECT_EQ(LeafName(*file, kSchemaLeaf.leftGoalDistance), "Ball.goal_distance.l_team");
        EXPECT_EQ(LeafName(*file, kSchemaLeaf.rightGoalDistance), "Ball.goal_distance.r_team");
        EXPECT_EQ(LeafName(*file, kSchemaLeaf.ballKickEvent), "Ball.calculated.kick_event");
        EXPECT_EQ(LeafName(*file, kSchemaLeaf.firstPlayerLeaf), "Lplayer1.side");
        EXPECT_EQ(LeafName(*file, PlayerLeafIndex(0, playerleaf::kPosX)), "Lplayer1.pos.x");
        EXPECT_EQ(LeafName(*file, PlayerLeafIndex(13, playerleaf::kChngView)), "Rplayer3.actions.chng_view");
        EXPECT_EQ(LeafName(*file, PlayerLeafIndex(21, playerleaf::kRole)), "Rplayer11.calculated.role");
    }
    for (int i = 0; i < 939; ++i)
        EXPECT_EQ(LeafName(*first, i), LeafName(*second, i)) << i;
}

TEST(Schema, TypeWordOfEveryLeaf)
{
    auto file = CreateFileRecord("a.rcg");
    const char* head[15] = {"short", "short", "short", "short", "short", "short", "double", "double",
                            "double", "double", "char",  "char",  "double", "double", "char"};
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(file->stream->GetChannel(i)->GetTypeName(), head[i]) << LeafName(*file, i);
    for (int p = 0; p < 22; ++p) {
        const std::string prefix = ObjectName(p + 1) + ".";
        for (int k = 0; k < 42; ++k) {
            const int index = 15 + 42 * p + k;
            const TimeChannel* leaf = file->stream->GetChannel(index);
            EXPECT_EQ(leaf->GetTypeName(), PlayerLeafType(k)) << leaf->GetFullName();
            // Every player has the same layout as the first one.
            EXPECT_EQ(leaf->GetFullName(), prefix + LeafName(*file, 15 + k).substr(std::string("Lplayer1.").size()));
        }
    }
    EXPECT_EQ(file->stream->FindChannel("Lplayer3.calculated.role")->GetTypeName(), "long");
    EXPECT_EQ(file->stream->FindChannel("Ball.possessor.l_team")->GetTypeName(), "char");
    // The element types behind the words.
    EXPECT_NE(dynamic_cast<DataTimeChannel<std::int8_t>*>(file->stream->FindChannel("Lplayer1.side")), nullptr);
    EXPECT_NE(dynamic_cast<DataTimeChannel<std::int16_t>*>(file->stream->FindChannel("time")), nullptr);
    EXPECT_NE(dynamic_cast<DataTimeChannel<std::int32_t>*>(file->stream->FindChannel("Rplayer5.calculated.event")),
              nullptr);
    EXPECT_NE(dynamic_cast<DataTimeChannel<double>*>(file->stream->FindChannel("Ball.pos.x")), nullptr);
}

TEST(Schema, RowHeaderNamesEveryLeafThenTheCycle)
{
    auto file = CreateFileRecord("a.rcg");
    const std::string& header = file->stream->GetRowHeader();
    EXPECT_EQ(header.rfind("time,play_mode,score_diff,score_l_team,", 0), 0u);
    const std::string tail = ",Rplayer11_calculated_kick_event,cycle";
    ASSERT_GE(header.size(), tail.size());
    EXPECT_EQ(header.substr(header.size() - tail.size()), tail);
    EXPECT_EQ(std::count(header.begin(), header.end(), ','), 939);
    EXPECT_EQ(header.find('.'), std::string::npos);
    EXPECT_EQ(file->stream->GetRowBuffer().size(), 940u);
}

TEST(Schema, WordFilterOverTheWholeSchema)
{
    auto file = CreateFileRecord("a.rcg");
    auto collect = [&](std::vector<std::string> accept, std::vector<std::string> reject) {
        std::vector<TimeChannel*> list;
        for (TimeChannel* root : file->stream->GetRootChannels())
            root->CollectFiltered(list, accept, reject);
        return list;
    };
    EXPECT_EQ(collect({}, {}).size(), 939u);
    EXPECT_TRUE(collect({"Pos"}, {}).empty());
    const auto pos = collect({"pos"}, {"Ball"});
    // pos.x, pos.y, calculated.possessor, prev_possessor and real_possessor of 22 players.
    EXPECT_EQ(pos.size(), 22u * 5);
    EXPECT_EQ(pos.front()->GetFullName(), "Lplayer1.pos.x");
    EXPECT_EQ(std::count_if(pos.begin(), pos.end(),
                            [](const TimeChannel* c) { return c->GetFullName().find("Ball") != std::string::npos; }),
              0);
}

TEST(LogRecord, StartsEmptyWithDefinedValues)
{
    // The scores (-1: no team record yet) and the remembered range show in the
    // window tests, through the file list and the sliders.
    auto file = CreateFileRecord("/data/logs/match.rcg");
    EXPECT_EQ(file->cycles, 0);
    EXPECT_EQ(file->currentCycle, 0);
    EXPECT_TRUE(file->isKeepaway);
    for (bool m : file->moving)
        EXPECT_FALSE(m);
    EXPECT_EQ(file->events.size(), 23u);
    for (const auto& list : file->events)
        EXPECT_TRUE(list.empty());
    EXPECT_NE(file->features, nullptr);
    EXPECT_TRUE(file->playerTypes.empty());
    EXPECT_FALSE(file->serverParamsRead);
    EXPECT_FALSE(file->playerParamsRead);
    EXPECT_TRUE(std::all_of(std::begin(file->serverParams.bytes), std::end(file->serverParams.bytes),
                            [](unsigned char b) { return b == 0; }));
    EXPECT_TRUE(std::all_of(std::begin(file->playerParams.bytes), std::end(file->playerParams.bytes),
                            [](unsigned char b) { return b == 0; }));
    EXPECT_EQ(sizeof(file->serverParams), 396u);
    EXPECT_EQ(sizeof(file->playerParams), 132u);
}

TEST(LogRecord, ChannelReferencesPointAtTheirLeaves)
{
    auto file = CreateFileRecord("a.rcg");
    auto name = [](const TimeChannel* c) { return c != nullptr ? c->GetFullName() : std::string("null"); };
    EXPECT_EQ(name(file->playModeChannel), "play_mode");
    EXPECT_EQ(name(file->leftPossessionChannel), "Ball.possessor.l_team");
    EXPECT_EQ(name(file->rightPossessionChannel), "Ball.possessor.r_team");
    EXPECT_EQ(name(file->time2goalChannel), "score.time2goal");
    EXPECT_EQ(name(file->leftScoreChannel), "score.l_team");
    EXPECT_EQ(name(file->rightScoreChannel), "score.r_team");
    EXPECT_EQ(name(file->timeChannel), "time");

    EXPECT_EQ(name(file->posXChannel[0]), "Ball.pos.x");
    EXPECT_EQ(name(file->posYChannel[0]), "Ball.pos.y");
    EXPECT_EQ(name(file->kickEventChannel[0]), "Ball.calculated.kick_event");
    // The ball has none of the player leaves.
    EXPECT_EQ(file->possessorChannel[0], nullptr);
    EXPECT_EQ(file->kickChannel[0], nullptr);
    EXPECT_EQ(file->eventChannel[0], nullptr);
    EXPECT_EQ(file->roleChannel[0], nullptr);
    EXPECT_EQ(file->nearestOpponentChannel[0], nullptr);
    for (int i = 1; i < 23; ++i) {
        const std::string object = ObjectName(i);
        EXPECT_EQ(name(file->posXChannel[i]), object + ".pos.x");
        EXPECT_EQ(name(file->posYChannel[i]), object + ".pos.y");
        EXPECT_EQ(name(file->possessorChannel[i]), object + ".calculated.possessor");
        EXPECT_EQ(name(file->kickChannel[i]), object + ".actions.kick");
        EXPECT_EQ(name(file->eventChannel[i]), object + ".calculated.event");
        EXPECT_EQ(name(file->roleChannel[i]), object + ".calculated.role");
        EXPECT_EQ(name(file->kickEventChannel[i]), object + ".calculated.kick_event");
        EXPECT_EQ(name(file->nearestOpponentChannel[i]), object + ".calculated.nearest_opponent");
    }
    EXPECT_EQ(file->posXChannel[12], file->stream->GetChannel(PlayerLeafIndex(11, playerleaf::kPosX)));
}

TEST(LogRecord, ObjectNames)
{
    EXPECT_EQ(ObjectName(0), "Ball");
    EXPECT_EQ(ObjectName(1), "Lplayer1");
    EXPECT_EQ(ObjectName(11), "Lplayer11");
    EXPECT_EQ(ObjectName(12), "Rplayer1");
    EXPECT_EQ(ObjectName(22), "Rplayer11");
    EXPECT_EQ(ObjectName(-1), "");
    EXPECT_EQ(ObjectName(23), "");
}
