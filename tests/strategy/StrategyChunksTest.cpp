#include "strategy/model/StrategyChunks.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/GraphBuilder.h"
#include "actiongraph/model/PathObject.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/load/LoadLog.h"
#include "core/model/RoboCupFile.h"

#include "support/FilledRecord.h"
#include "support/RecordingHooks.h"
#include "support/EndChunk.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

// The worked example of the graph builder: Lplayer3 (LC-MF) passes to
// Lplayer7 (L-FW), who supports the attack and dribbles on. After the degree
// filter: N0 -c0-> N2 -c2-> N3 and N1 -c1-> N2.
class Chunks : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateConceptHierarchies();
        Role(3, coLCMF[0]);
        Role(7, coLFW[0]);
        Event(coToPlayer, 3, 100, 100, 0, 109, 7);
        Event(coAttackSupport, 7, 100, 109, 7, 109, -1);
        Event(coSpeedDribble, 7, 110, 120, 7, 120, -1);
        TObjectChoice all{};
        all[0] = true;
        BuildActionGraph(record.File(), all, {}, g);
        RemoveNodesWithDegreeBelow(g, 1);
        ASSERT_EQ(g.NodeCount(), 4);
        // Stored end first: the dribble, then the pass.
        path.Connections() = {g.GetConnection(2), g.GetConnection(0)};
        const double places[4][2] = {{12.345, -3.0}, {0, 0}, {20.0, 1.25}, {-7.5, 40.25}};
        for (int i = 0; i < 4; ++i) {
            g.GetNode(i)->SetX(places[i][0]);
            g.GetNode(i)->SetY(places[i][1]);
        }
    }
    void TearDown() override
    {
        g.Clear();
        FreeConceptHierarchies();
    }
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
    static std::vector<int> Cycles(const StrategyChunk& chunk)
    {
        std::vector<int> cycles;
        for (const tFieldState& s : chunk.GetFieldStates())
            cycles.push_back(s.cycle);
        return cycles;
    }

    InTempDir dir_{"strategy-chunks"};
    FilledRecord record{300};
    TGraph g;
    TPathObject path;
    RecordingHooks hooks;
};

}  // namespace

TEST_F(Chunks, OneChunkPerNodeInTimeWithTheGridColumns)
{
    TChunkList chunks;
    chunks.push_back(std::make_unique<StrategyChunk>("old", nullptr, nullptr, 0, 0, 0, false));
    TStrategyOptions options;
    options.value = 2.5;
    const std::vector<TStrategyColumn> columns = BuildStrategy(path, &record.File(), options, chunks);
    ASSERT_EQ(columns.size(), 3u);
    ASSERT_EQ(chunks.size(), 3u);
    const std::string names[3] = {"To-player", "Speed-dribble", "Speed-dribble (end)"};
    const std::string roles[3] = {"LTeam.LC-MF", "LTeam.L-FW", "LTeam.L-FW"};
    const std::string places[3] = {"(12.35, -3.00)", "(20.00, 1.25)", "(-7.50, 40.25)"};
    const TNode* nodes[3] = {g.GetNode(0), g.GetNode(2), g.GetNode(3)};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(columns[k].action, names[k]) << k;
        EXPECT_EQ(columns[k].role, roles[k]) << k;
        EXPECT_EQ(columns[k].position, places[k]) << k;
        const StrategyChunk& c = *chunks[k];
        EXPECT_EQ(c.GetName(), names[k]);
        EXPECT_EQ(c.GetActionConcept(), nodes[k]->Data()->action);
        EXPECT_EQ(c.GetRoleConcept(), nodes[k]->Data()->role);
        EXPECT_EQ(c.GetX(), nodes[k]->GetX());
        EXPECT_EQ(c.GetY(), nodes[k]->GetY());
        EXPECT_EQ(c.GetValue(), 2.5);
    }
    // Only the graph's sink is an end.
    EXPECT_FALSE(IsEndChunk(*chunks[0]));
    EXPECT_FALSE(IsEndChunk(*chunks[1]));
    EXPECT_TRUE(IsEndChunk(*chunks[2]));
    // First cycles of the outgoing path occurrences; the final node the
    // dribble's last cycle.
    EXPECT_EQ(Cycles(*chunks[0]), std::vector<int>({100}));
    EXPECT_EQ(Cycles(*chunks[1]), std::vector<int>({110}));
    EXPECT_EQ(Cycles(*chunks[2]), std::vector<int>({120}));
    EXPECT_EQ(hooks.beeps, 0);
}

TEST_F(Chunks, ThePathsLastNodeIsNoEndWhileItActsOn)
{
    TPathObject shorter;
    shorter.Connections() = {g.GetConnection(0)};  // the pass alone
    TChunkList chunks;
    const auto columns = BuildStrategy(shorter, &record.File(), {}, chunks);
    ASSERT_EQ(columns.size(), 2u);
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[1]->GetName(), "Speed-dribble (end)");
    EXPECT_FALSE(IsEndChunk(*chunks[1]));  // it dribbles on
}

TEST_F(Chunks, EqualFieldStatesAreKeptOnce)
{
    // The dribble's cycles 110..120: everyone stands still but Lplayer7, who
    // moves at 115 and 118 and is back at 119.
    record.Place(7, 115, 5.0, 5.0);
    record.Place(7, 116, 5.0, 5.0);
    record.Place(7, 117, 5.0, 5.0);
    record.Place(7, 118, 6.0, 5.0);
    TStrategyOptions options;
    options.duration = TDurationMode::Duration;
    TChunkList chunks;
    BuildStrategy(path, &record.File(), options, chunks);
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(Cycles(*chunks[1]), std::vector<int>({110, 115, 118}));
    const tFieldState& moved = chunks[1]->GetFieldStates()[2];
    EXPECT_EQ(moved.x[7], 6.0);
    EXPECT_EQ(moved.y[7], 5.0);
    EXPECT_EQ(moved.x[3], record.File().posXChannel[3]->GetValues()[118]);
}

TEST_F(Chunks, CollectingCyclesByModeDirectionAndPath)
{
    // A second, off-path occurrence out of N2 and one whose other end has no
    // length (skipped everywhere).
    TConnection* back = g.AddConnection("back", g.GetNode(2), g.GetNode(1));
    back->AddData(TConnectionData{50, 4, 7, 7, 2, -1});
    back->AddData(TConnectionData{60, 4, 7, 7, 0, -1});
    back->AddData(nullptr);
    const TNode* n2 = g.GetNode(2);
    struct Case {
        const TPathObject* path;
        TDurationMode mode;
        bool outgoing;
        std::vector<int> want;
    };
    const Case cases[] = {
        {&path, TDurationMode::FirstCycle, true, {110}},
        {nullptr, TDurationMode::FirstCycle, true, {110, 50}},
        {nullptr, TDurationMode::Duration, true, {110, 111, 112, 113, 114, 115, 116, 117, 118, 119, 120, 50, 51, 52, 53}},
        {nullptr, TDurationMode::Visual, true, {110, 111, 112, 113, 114, 115, 116, 117, 118, 119, 120, 50, 51}},
        // Incoming: the other end's last cycle whatever the mode; the pass
        // (c0) and the support (c1) end at the same cycle, kept once.
        {nullptr, TDurationMode::Duration, false, {109}},
        {&path, TDurationMode::FirstCycle, false, {109}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        std::vector<int> out;
        CollectCycles(cases[i].path, n2, out, cases[i].mode, cases[i].outgoing);
        EXPECT_EQ(out, cases[i].want) << i;
    }
    // Cycles already held are not added again; a null node adds nothing.
    std::vector<int> out = {50};
    CollectCycles(nullptr, n2, out, TDurationMode::FirstCycle, true);
    EXPECT_EQ(out, std::vector<int>({50, 110}));
    CollectCycles(nullptr, nullptr, out, TDurationMode::FirstCycle, true);
    EXPECT_EQ(out.size(), 2u);
    // Strict times keep the chunk to the strategy's own occurrences.
    record.Place(1, 50, 9.0, 9.0);  // else cycle 50 looks like cycle 110
    TChunkList chunks;
    TStrategyOptions loose;
    loose.strictTimes = false;
    BuildStrategy(path, &record.File(), loose, chunks);
    EXPECT_EQ(Cycles(*chunks[1]), std::vector<int>({110, 50}));
}

TEST_F(Chunks, CopiesOwnTheirRules)
{
    TChunkList chunks;
    BuildStrategy(path, &record.File(), {}, chunks);
    chunks[0]->AddRule(std::make_unique<RuleObject>(true));
    chunks[1]->SetLearnt();  // its learner's default rule only
    TChunkList copies = CopyChunks(chunks);
    ASSERT_EQ(copies.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k)
        EXPECT_EQ(copies[k]->State() == TChunkState::Learnt, k < 2) << k;
    EXPECT_NE(&copies[0]->GetRules(), &chunks[0]->GetRules());
    EXPECT_EQ(copies[0]->GetRules().size(), 1u);
    EXPECT_NE(copies[0]->GetRules()[0].get(), chunks[0]->GetRules()[0].get());
    DeleteChunks(chunks);
    EXPECT_TRUE(chunks.empty());
    EXPECT_EQ(copies[0]->GetFieldStates().size(), 1u);  // still whole (ASan)
}

// A real match: every chunk's states are the log's positions at its cycles,
// each cycle taken from the path's own occurrences.
TEST(ChunksOnARealMatch, StatesAreTheLogsPositions)
{
    InTempDir dir("strategy-real");
    CreateConceptHierarchies();
    {
        auto log = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), true);
        TGraph graph;
        TObjectChoice left{};
        for (int o = 1; o <= 11; ++o)
            left[static_cast<std::size_t>(o)] = true;
        BuildActionGraph(*log, left, {}, graph);
        RemoveNodesWithDegreeBelow(graph, 1);
        // The first chain of two connections.
        TPathObject chain;
        for (int i = 0; i < graph.ConnectionCount() && chain.Connections().empty(); ++i) {
            TConnection* first = graph.GetConnection(i);
            if (!first->To()->OutList().empty() && first->To()->OutList()[0] != first)
                chain.Connections() = {first->To()->OutList()[0], first};
        }
        ASSERT_EQ(chain.Connections().size(), 2u);
        TStrategyOptions options;
        options.duration = TDurationMode::Duration;
        TChunkList chunks;
        const auto columns = BuildStrategy(chain, log.get(), options, chunks);
        ASSERT_EQ(chunks.size(), 3u);
        const std::vector<TNode*> nodes = PathNodes(chain);
        for (std::size_t k = 0; k < 3; ++k) {
            std::vector<int> cycles;
            CollectCycles(&chain, nodes[k], cycles, TDurationMode::Duration, k < 2);
            ASSERT_FALSE(cycles.empty()) << k;
            const auto& states = chunks[k]->GetFieldStates();
            ASSERT_FALSE(states.empty());
            EXPECT_LE(states.size(), cycles.size());
            std::set<int> wanted(cycles.begin(), cycles.end());
            for (std::size_t a = 0; a < states.size(); ++a) {
                EXPECT_TRUE(wanted.count(states[a].cycle)) << states[a].cycle;
                for (int o = 0; o < 23; ++o) {
                    EXPECT_EQ(states[a].x[o], log->posXChannel[o]->GetValues()[states[a].cycle]);
                    EXPECT_EQ(states[a].y[o], log->posYChannel[o]->GetValues()[states[a].cycle]);
                }
                for (std::size_t b = 0; b < a; ++b)
                    EXPECT_FALSE(states[a] == states[b]);
            }
            EXPECT_EQ(chunks[k]->GetRoleConcept(), nodes[k]->Data()->role);
            EXPECT_EQ(IsEndChunk(*chunks[k]), nodes[k]->OutWeight() == 0);
        }
        graph.Clear();
    }
    FreeConceptHierarchies();
}
