#include "actiongraph/model/GraphBuilder.h"

#include "actiongraph/model/Actiongraph.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/load/LoadLog.h"
#include "core/model/RoboCupFile.h"
#include "platform/Random.h"

#include "support/FilledRecord.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<int> Fields(const TConnectionData& d)
{
    return {d.start, d.duration, d.player, d.other, d.otherLength, d.partner};
}

std::vector<std::string> Names(const TGraph& g)
{
    std::vector<std::string> names;
    for (int i = 0; i < g.NodeCount(); ++i)
        names.push_back(g.GetNode(i)->GetName());
    return names;
}

// The hierarchies, a filled log of 300 cycles without events, every player
// without role.
class Builder : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateConceptHierarchies();
        platform::SeedRandom(1);
    }
    void TearDown() override { FreeConceptHierarchies(); }

    void Role(int object, ConceptObject* role)
    {
        for (auto& v : record.File().roleChannel[static_cast<std::size_t>(object)]->GetValues())
            v = ConceptHandle(role);
    }
    void Event(ConceptObject* action, int player, int first, int last, int other, int otherEnd, int partner)
    {
        record.File().events[static_cast<std::size_t>(player)].push_back(
            std::make_unique<ActionEvent>(ActionEvent{action, player, first, last, other, otherEnd, partner}));
    }
    static TObjectChoice Only(std::initializer_list<int> objects)
    {
        TObjectChoice c{};
        for (const int o : objects)
            c[static_cast<std::size_t>(o)] = true;
        return c;
    }
    static TObjectChoice All() { return Only({0}); }

    FilledRecord record{300};
    TGraph g;

private:
    InTempDir dir_{"graph-builder"};
};

}  // namespace

// Lplayer3 (LC-MF) passes to Lplayer7 (L-FW), who supports the attack until the
// ball arrives and then dribbles on.
TEST_F(Builder, PassToASupportingPlayerWhoDribblesOn)
{
    Role(3, coLCMF[0]);
    Role(7, coLFW[0]);
    Event(coToPlayer, 3, 100, 100, 0, 109, 7);
    Event(coAttackSupport, 7, 100, 109, 7, 109, -1);
    Event(coSpeedDribble, 7, 110, 120, 7, 120, -1);
    BuildActionGraph(record.File(), All(), {}, g);
    // Pass 1 made five nodes; the pass's own end node is left without connections.
    EXPECT_EQ(Names(g), (std::vector<std::string>{"LTeam.LC-MF:To-player", "LTeam.LC-MF:To-player-END",
                                                  "LTeam.L-FW:Attack-support", "LTeam.L-FW:Speed-dribble",
                                                  "LTeam.L-FW:Speed-dribble-END"}));
    EXPECT_EQ(RemoveNodesWithDegreeBelow(g, 1), 1);
    ASSERT_EQ(g.NodeCount(), 4);
    ASSERT_EQ(g.ConnectionCount(), 3);
    struct Want {
        int from, to;
        const char* name;
        std::vector<int> occurrence;
    };
    const Want want[] = {{0, 2, "LTeam.LC-MF:To-player", {100, 1, 3, 0, 10, 7}},
                         {1, 2, "LTeam.L-FW:Attack-support", {100, 10, 7, 7, 10, -1}},
                         {2, 3, "LTeam.L-FW:Speed-dribble", {110, 11, 7, 7, 11, -1}}};
    for (int i = 0; i < 3; ++i) {
        const TConnection* c = g.GetConnection(i);
        EXPECT_EQ(g.IndexOfNode(c->From()), want[i].from) << i;
        EXPECT_EQ(g.IndexOfNode(c->To()), want[i].to) << i;
        EXPECT_EQ(c->GetName(), want[i].name);
        ASSERT_EQ(c->Weight(), 1);
        EXPECT_EQ(Fields(*c->Data()[0]), want[i].occurrence) << i;
    }
    EXPECT_EQ(g.GetNode(2)->InList(), (std::vector<TConnection*>{g.GetConnection(1), g.GetConnection(0)}));
    // Node data: the action, and the role of the acting player.
    EXPECT_EQ(g.GetNode(2)->Data()->action, coSpeedDribble);
    EXPECT_EQ(g.GetNode(2)->Data()->role, coLFW[0]);
    EXPECT_EQ(g.GetNode(3)->Data()->action, coSpeedDribble);
    EXPECT_EQ(g.GetNode(0)->Data()->role, coLCMF[0]);
}

TEST_F(Builder, ChainingFollowsTheOtherEnd)
{
    // B right after A's other end: A's end node becomes B's start node.
    Event(coLongDribble, 5, 10, 12, 5, 12, -1);
    Event(coSpeedDribble, 5, 13, 15, 5, 15, -1);
    BuildActionGraph(record.File(), Only({5}), {}, g);
    EXPECT_EQ(Names(g), (std::vector<std::string>{"Lplayer5:Long-dribble", "Lplayer5:Speed-dribble",
                                                  "Lplayer5:Speed-dribble-END"}));
    EXPECT_EQ(g.ConnectionCount(), 2);

    // A gap of one cycle: two separate actions.
    record.File().events[5].back()->start = 14;
    BuildActionGraph(record.File(), Only({5}), {}, g);
    EXPECT_EQ(Names(g), (std::vector<std::string>{"Lplayer5:Long-dribble", "Lplayer5:Long-dribble-END",
                                                  "Lplayer5:Speed-dribble", "Lplayer5:Speed-dribble-END"}));
    EXPECT_EQ(g.ConnectionCount(), 2);

    // The other end counts, not the action's own last cycle.
    record.File().events[5].front()->otherEnd = 13;
    BuildActionGraph(record.File(), Only({5}), {}, g);
    EXPECT_EQ(g.NodeCount(), 3);
}

TEST_F(Builder, OnlyTheChosenObjectsTakePartUnlessTheBallIsChosen)
{
    Event(coLongDribble, 3, 10, 12, 3, 12, -1);
    Event(coLongDribble, 14, 20, 22, 14, 22, -1);
    BuildActionGraph(record.File(), Only({3}), {}, g);
    EXPECT_EQ(g.ConnectionCount(), 1);
    EXPECT_EQ(g.GetConnection(0)->Data()[0]->player, 3);
    BuildActionGraph(record.File(), Only({0}), {}, g);
    EXPECT_EQ(g.ConnectionCount(), 2);
    BuildActionGraph(record.File(), Only({1, 2}), {}, g);
    EXPECT_EQ(g.ConnectionCount(), 0);
    EXPECT_EQ(g.NodeCount(), 0);
    // Rplayer3 has no role: its node carries its name.
    BuildActionGraph(record.File(), Only({14}), {}, g);
    EXPECT_EQ(g.GetNode(0)->GetName(), "Rplayer3:Long-dribble");
    EXPECT_EQ(g.GetNode(0)->Data()->role, nullptr);
}

TEST_F(Builder, APassMovesOntoTheReceiversNextActionOnlyWhenThereIsOne)
{
    Event(coToPlayer, 2, 40, 40, 0, 49, 7);
    Event(coLongDribble, 7, 50, 55, 7, 55, -1);
    BuildActionGraph(record.File(), All(), {}, g);
    // The pass (connection 0) ends where Lplayer7's dribble leaves.
    EXPECT_EQ(g.GetConnection(0)->To(), g.GetConnection(1)->From());
    // Without an action starting at 50 it stays on its own end node.
    record.File().events[7].back()->start = 51;
    BuildActionGraph(record.File(), All(), {}, g);
    EXPECT_EQ(g.GetConnection(0)->To()->GetName(), "Lplayer2:To-player-END");
}

TEST_F(Builder, ALooseEndMovesToTheLastNodeWhereThePlayerActsNext)
{
    // Lplayer4's dribble ends at 30; at 31 he starts an action that does not
    // chain (another object's list), seen from two source nodes: the last
    // one in node order wins.
    Event(coLongDribble, 4, 20, 30, 4, 30, -1);
    Event(coToPlayer, 6, 31, 31, 0, 35, 4);     // a pass by Lplayer6 whose partner is 4, from 31
    Event(coSpeedDribble, 9, 31, 33, 9, 33, 4);  // Lplayer9's dribble naming 4 as partner
    BuildActionGraph(record.File(), Only({4, 6, 9}), {}, g);
    const TConnection* dribble = g.GetConnection(0);
    EXPECT_EQ(dribble->To()->GetName(), "Lplayer9:Speed-dribble");
    EXPECT_EQ(RemoveNodesWithDegreeBelow(g, 1), 1);  // the dribble's own end node
}

TEST_F(Builder, DegreeFilterIsOnePassInIndexOrder)
{
    // X -> Y -> Z, one occurrence each; with the nodes in the order Y, X, Z
    // the value 2 keeps Y; in the order X, Y, Z all three go.
    for (const auto& order : {std::vector<std::string>{"Y", "X", "Z"}, std::vector<std::string>{"X", "Y", "Z"}}) {
        TGraph graph;
        for (const std::string& name : order)
            graph.AddNode(name);
        const auto at = [&](const std::string& name) {
            return static_cast<int>(std::find(order.begin(), order.end(), name) - order.begin());
        };
        graph.AddConnectionByIndex("xy", at("X"), at("Y"))->AddData(TConnectionData{});
        graph.AddConnectionByIndex("yz", at("Y"), at("Z"))->AddData(TConnectionData{});
        RemoveNodesWithDegreeBelow(graph, 2);
        EXPECT_EQ(Names(graph), order[0] == "Y" ? std::vector<std::string>{"Y"} : std::vector<std::string>{});
    }
    EXPECT_EQ(RemoveNodesWithDegreeBelow(g, 0), 0);
}

TEST_F(Builder, DemonstrationGraphOne)
{
    BuildDemoGraph1(g);
    ASSERT_EQ(g.NodeCount(), 12);
    ASSERT_EQ(g.ConnectionCount(), 20);
    const std::vector<std::pair<int, int>> ends{{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 1}, {1, 0}, {1, 3},
                                                {2, 3}, {2, 0}, {3, 1}, {1, 4}, {4, 5}, {5, 6}, {6, 7},
                                                {6, 4}, {7, 3}, {8, 3}, {9, 3}, {10, 3}, {11, 5}};
    for (int i = 0; i < 20; ++i) {
        const TConnection* c = g.GetConnection(i);
        EXPECT_EQ(g.IndexOfNode(c->From()), ends[static_cast<std::size_t>(i)].first) << i;
        EXPECT_EQ(g.IndexOfNode(c->To()), ends[static_cast<std::size_t>(i)].second) << i;
        EXPECT_EQ(c->GetName(), i < 11 ? "Attack-support" : i < 16 ? "Movement-on-the-ball" : "Pass") << i;
        ASSERT_EQ(c->Weight(), 1);
        EXPECT_EQ(c->Data()[0], nullptr);
    }
    EXPECT_EQ(g.GetNode(5)->GetName(), "coLongDribble");
    EXPECT_EQ(g.GetNode(5)->GetY(), 35.0);  // off the pitch
    EXPECT_EQ(g.GetNode(10)->GetName(), "coThroughBall");
    EXPECT_EQ(g.GetNode(10)->Data()->action, coThroughBall);
    EXPECT_EQ(g.GetNode(0)->GetColour(), 0x0000FFu);
    EXPECT_EQ(g.GetNode(7)->GetColour(), 0xFF0000u);
    EXPECT_EQ(g.GetNode(8)->GetColour(), 0xFFFFFFu);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(g.GetNode(i)->Data()->role, coLFW[0]);
    EXPECT_EQ(g.GetNode(3)->InWeight(), 7);
}

TEST_F(Builder, DemonstrationGraphTwo)
{
    // 300 cycles in 4 actions of 74 cycles, players from the seeded source.
    platform::SeedRandom(9);
    std::vector<int> players;
    for (int k = 0; k < 4; ++k) {
        players.push_back(1 + platform::RandomBelow(22));
        platform::RandomBelow(500);  // every new node draws x and y
        platform::RandomBelow(500);
        if (k == 0) {
            platform::RandomBelow(500);
            platform::RandomBelow(500);
        }
    }
    platform::SeedRandom(9);
    ASSERT_TRUE(BuildDemoGraph2(record.File(), 4, {}, g));
    ASSERT_EQ(g.NodeCount(), 5);
    ASSERT_EQ(g.ConnectionCount(), 4);
    for (int k = 0; k < 4; ++k) {
        const TConnection* c = g.GetConnection(k);
        EXPECT_EQ(c->GetName(), "LTeam.L-FW:Speed-dribble");
        const int p = players[static_cast<std::size_t>(k)];
        EXPECT_EQ(Fields(*c->Data()[0]), (std::vector<int>{74 * k, 74, p, p, 74, -1})) << k;
        EXPECT_EQ(c->To(), g.GetNode(k + 1));
    }
    EXPECT_EQ(g.GetNode(4)->GetName(), "LTeam.L-FW:Speed-dribble-END");
    EXPECT_TRUE(BuildDemoGraph2(record.File(), 0, {}, g));
    EXPECT_EQ(g.NodeCount(), 0);
    // More actions than cycles would make actions of no length: refused.
    BuildDemoGraph1(g);
    EXPECT_FALSE(BuildDemoGraph2(record.File(), 300, {}, g));
    EXPECT_EQ(g.NodeCount(), 12);
    EXPECT_TRUE(BuildDemoGraph2(record.File(), 299, {}, g));
    EXPECT_EQ(g.ConnectionCount(), 299);
}

// A real match, one side at a time: the graph is not empty, every occurrence
// lies inside the log and belongs to a player of the side its node stands for.
TEST_F(Builder, RealMatchSideBySide)
{
    auto log = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), true);
    ASSERT_GT(log->cycles, 0);
    for (const bool left : {true, false}) {
        TObjectChoice side{};
        for (int o = 1; o <= 11; ++o)
            side[static_cast<std::size_t>(left ? o : o + 11)] = true;
        BuildActionGraph(*log, side, {}, g);
        RemoveNodesWithDegreeBelow(g, 1);
        ASSERT_GT(g.ConnectionCount(), 0) << (left ? "left" : "right");
        const std::string prefixes[] = {left ? "LTeam." : "RTeam.", left ? "Lplayer" : "Rplayer"};
        for (int i = 0; i < g.ConnectionCount(); ++i) {
            const TConnection* c = g.GetConnection(i);
            const std::string& from = c->From()->GetName();
            EXPECT_TRUE(from.rfind(prefixes[0], 0) == 0 || from.rfind(prefixes[1], 0) == 0) << from;
            for (const auto& d : c->Data()) {
                ASSERT_NE(d, nullptr);
                EXPECT_GE(d->start, 0);
                EXPECT_GE(d->duration, 1);
                EXPECT_LE(d->start + d->duration, log->cycles);
                EXPECT_LE(d->start + d->otherLength, log->cycles);
                EXPECT_EQ(d->player >= 1 && d->player <= 11, left) << d->player;
                EXPECT_EQ(d->player >= 12 && d->player <= 22, !left) << d->player;
            }
        }
        for (int i = 0; i < g.NodeCount(); ++i)
            EXPECT_GE(g.GetNode(i)->Weight(), 1);
    }
}
