#include "strategy/model/StrategySimilar.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/GraphBuilder.h"
#include "actiongraph/model/PathObject.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/load/LoadLog.h"
#include "core/model/RoboCupFile.h"

#include "support/FilledRecord.h"
#include "support/RecordingHooks.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <utility>

namespace {

// Two strategies a (nodes 0 -> 1 -> 2) and b (3 -> 4 -> 5) of two
// connections and c (6 -> 7) of one; the node distances are a table.
class Distances : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateConceptHierarchies();
        for (int i = 0; i < 8; ++i) {
            g.AddNode("n" + std::to_string(i));
            g.GetNode(i)->SetData(std::make_unique<TNodeConcepts>(TNodeConcepts{coSpeedDribble, coLFW[0]}));
        }
        a.Connections() = {g.AddConnectionByIndex("a1", 1, 2), g.AddConnectionByIndex("a0", 0, 1)};
        b.Connections() = {g.AddConnectionByIndex("b1", 4, 5), g.AddConnectionByIndex("b0", 3, 4)};
        c.Connections() = {g.AddConnectionByIndex("c0", 6, 7)};
        // Final nodes first, then back in time: 1, 2, 3.
        Set(2, 5, 1.0);
        Set(1, 4, 2.0);
        Set(0, 3, 3.0);
    }
    void TearDown() override
    {
        g.Clear();
        FreeConceptHierarchies();
    }
    void Set(int x, int y, double d) { table[{g.GetNode(x), g.GetNode(y)}] = d; }
    TNodeDistance Distance()
    {
        return [this](TNode* x, TNode* y) {
            const auto it = table.find({x, y});
            return it == table.end() ? 0.0 : it->second;
        };
    }

    TGraph g;
    TPathObject a, b, c;
    std::map<std::pair<TNode*, TNode*>, double> table;
};

}  // namespace

TEST_F(Distances, ThresholdAndAverageMode)
{
    struct Case {
        double t;
        bool avg;
        bool similar;
        double d;
    };
    const Case cases[] = {
        {2.5, false, false, 1.0},  // the pair at 3 stops the walk: (1 + 2) / 3
        {2.5, true, true, 2.0},    // only the mean counts
        {1.5, true, false, 2.0},   // the mean lies beyond
        {3.0, false, true, 2.0},   // every pair within
        {0.5, false, false, 1.0},  // the final pair alone is beyond: d keeps it, undivided
    };
    for (const Case& k : cases) {
        double d = -1.0;
        EXPECT_EQ(PathDistance(&a, &b, k.t, k.avg, d, Distance()), k.similar) << k.t << " " << k.avg;
        EXPECT_DOUBLE_EQ(d, k.d) << k.t << " " << k.avg;
    }
}

TEST_F(Distances, DifferentLengthsOrMissingPathsAreNeverSimilar)
{
    double d = -1.0;
    EXPECT_FALSE(PathDistance(&a, &c, 1e9, true, d, Distance()));
    EXPECT_EQ(d, 0.0);
    EXPECT_FALSE(PathDistance(nullptr, &a, 1e9, true, d, Distance()));
    EXPECT_FALSE(PathDistance(&a, nullptr, 1e9, false, d, Distance()));
    TPathObject empty;
    EXPECT_FALSE(PathDistance(&empty, &empty, 1e9, true, d, Distance()));
}

TEST_F(Distances, ZeroThresholdAsksForRelatedConceptsAndZeroDistances)
{
    table.clear();
    double d = -1.0;
    EXPECT_TRUE(PathDistance(&a, &b, 0.0, false, d, Distance()));
    EXPECT_EQ(d, 0.0);
    // An unrelated action at a node before the final one.
    g.GetNode(3)->Data()->action = coToPlayer;
    EXPECT_FALSE(PathDistance(&a, &b, 0.0, true, d, Distance()));
    // The final nodes' concepts are not compared.
    g.GetNode(3)->Data()->action = coSpeedDribble;
    g.GetNode(5)->Data()->action = coToPlayer;
    EXPECT_TRUE(PathDistance(&a, &b, 0.0, false, d, Distance()));
    // An unrelated role; a distance above 0 without average mode.
    g.GetNode(4)->Data()->role = coLCMF[0];
    EXPECT_FALSE(PathDistance(&a, &b, 0.0, true, d, Distance()));
    g.GetNode(4)->Data()->role = coLFW[0];
    Set(1, 4, 0.5);
    EXPECT_FALSE(PathDistance(&a, &b, 0.0, false, d, Distance()));
    EXPECT_TRUE(PathDistance(&a, &b, 0.0, true, d, Distance()));
    EXPECT_DOUBLE_EQ(d, 0.5 / 3);
}

TEST(SimilarLines, DistanceCountAndTarget)
{
    EXPECT_EQ(SimilarLine(2.0, 0, "   4.00 #2 x"), "      2.00 - 0 -    4.00 #2 x");
    EXPECT_EQ(SimilarLine(2.0, 2, "s"), "      2.00 - 2 - s");
    EXPECT_EQ(SimilarLine(2.0, 3, "s"), "      2.00 - 3 TARGET - s");
    EXPECT_EQ(SimilarLine(12345.678, 4, "s"), "  12345.68 - 4 TARGET - s");
    EXPECT_EQ(SimilarLine(123456789.0, 0, "s"), "123456789.00 - 0 - s");  // longer, not cut
    EXPECT_EQ(SimilarLine(99999.0, 0, "s"), "  99999.00 - 0 - s");
}

TEST(StrategyFilter, KeepsTextsHoldingTheFilter)
{
    TPathList all(false);
    auto p = std::make_shared<TPathObject>();
    all.Add("All", nullptr);
    all.Add("   2.00 #2 ab", p);
    all.Add("   1.00 #1 b", p);
    EXPECT_EQ(FilterStrategies(all, "").Count(), 3);
    const TPathList b = FilterStrategies(all, "b");
    ASSERT_EQ(b.Count(), 2);
    EXPECT_EQ(b.Text(0), "   2.00 #2 ab");
    EXPECT_EQ(b.Path(1), p);
    EXPECT_EQ(FilterStrategies(all, "B").Count(), 0);  // case-sensitive
    ASSERT_EQ(FilterStrategies(all, "Al").Count(), 1);
    EXPECT_EQ(FilterStrategies(all, "Al").Path(0), nullptr);
}

namespace {

// The builder's worked example: the strategy's nodes act at 100, 110 and 120.
// The ball stands at x = cycle, so every cycle has its own field state.
class Recognise : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateConceptHierarchies();
        for (int t = 0; t < 300; ++t)
            record.Place(0, t, t, 0.0);
        for (auto& v : record.File().roleChannel[3]->GetValues())
            v = ConceptHandle(coLCMF[0]);
        for (auto& v : record.File().roleChannel[7]->GetValues())
            v = ConceptHandle(coLFW[0]);
        Event(coToPlayer, 3, 100, 100, 0, 109, 7);
        Event(coAttackSupport, 7, 100, 109, 7, 109, -1);
        Event(coSpeedDribble, 7, 110, 120, 7, 120, -1);
        TObjectChoice all{};
        all[0] = true;
        BuildActionGraph(record.File(), all, {}, g);
        RemoveNodesWithDegreeBelow(g, 1);
        path.Connections() = {g.GetConnection(2), g.GetConnection(0)};
        BuildStrategy(path, &record.File(), TStrategyOptions{}, stored);
    }
    void TearDown() override
    {
        g.Clear();
        FreeConceptHierarchies();
    }
    void Event(ConceptObject* action, int player, int first, int last, int other, int otherEnd, int partner)
    {
        record.File().events[static_cast<std::size_t>(player)].push_back(
            std::make_unique<ActionEvent>(ActionEvent{action, player, first, last, other, otherEnd, partner}));
    }
    std::unique_ptr<StrategyChunk> ChunkAt(std::initializer_list<int> cycles)
    {
        auto chunk = std::make_unique<StrategyChunk>("x", nullptr, nullptr, 0, 0, 1, false);
        for (int cycle : cycles) {
            tFieldState s;
            s.Read(cycle, record.File());
            chunk->AddFieldState(s);
        }
        return chunk;
    }

    InTempDir dir_{"strategy-similar"};
    FilledRecord record{300};
    TGraph g;
    TPathObject path;
    TChunkList stored;
    RecordingHooks hooks;
};

}  // namespace

TEST_F(Recognise, CountsNodesAtTargetStates)
{
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(CountTargetChunks(StatesOfChunks(stored), path, record.File(), true), 3);
    TChunkList target;
    target.push_back(ChunkAt({100, 5}));
    target.push_back(ChunkAt({120}));
    EXPECT_EQ(CountTargetChunks(StatesOfChunks(target), path, record.File(), true), 2);
    // Equal positions at another cycle count: the cycle is not compared.
    for (int o = 0; o < 23; ++o)
        record.Place(o, 50, record.File().posXChannel[o]->GetValues()[110], 0.0);
    target.push_back(ChunkAt({50}));
    EXPECT_EQ(CountTargetChunks(StatesOfChunks(target), path, record.File(), false), 3);
    EXPECT_EQ(CountTargetChunks(TFieldStateSet(), path, record.File(), true), 0);
    EXPECT_EQ(hooks.beeps, 0);
}

TEST_F(Recognise, MatchesTheStoredStrategyNodeByNode)
{
    EXPECT_TRUE(MatchTestChunks(path, StatesPerChunk(stored), record.File()));
    // One chunk per node, in time order.
    TChunkList swapped = CopyChunks(stored);
    std::swap(swapped[0], swapped[1]);
    EXPECT_FALSE(MatchTestChunks(path, StatesPerChunk(swapped), record.File()));
    TChunkList shorter = CopyChunks(stored);
    shorter.pop_back();
    EXPECT_FALSE(MatchTestChunks(path, StatesPerChunk(shorter), record.File()));
    EXPECT_FALSE(MatchTestChunks(path, {}, record.File()));
    // -0.0 and 0.0 are equal positions.
    TChunkList negated = CopyChunks(stored);
    for (auto& s : negated[1]->GetFieldStates())
        s.y[0] = -0.0;
    EXPECT_TRUE(MatchTestChunks(path, StatesPerChunk(negated), record.File()));
    negated[1]->GetFieldStates()[0].x[0] += 1e-9;
    EXPECT_FALSE(MatchTestChunks(path, StatesPerChunk(negated), record.File()));
}

TEST_F(Recognise, StartsAtTheFirstNodesOwnCycles)
{
    EXPECT_TRUE(StrategyStartsAt(path, 100));
    EXPECT_FALSE(StrategyStartsAt(path, 110));  // the second node's
    EXPECT_FALSE(StrategyStartsAt(path, 101));
    EXPECT_FALSE(StrategyStartsAt(TPathObject(), 100));
}

TEST(RecogniseOnARealMatch, AStrategyIsFoundAgainInAGraphBuiltAnew)
{
    InTempDir dir("strategy-similar-real");
    CreateConceptHierarchies();
    {
        auto log = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), true);
        TObjectChoice left{};
        for (int o = 1; o <= 11; ++o)
            left[static_cast<std::size_t>(o)] = true;
        TGraph first, second;
        BuildActionGraph(*log, left, {}, first);
        BuildActionGraph(*log, left, {}, second);
        std::vector<TPathItem> found1, found2;
        TPathSearch(0, log.get(), {}).FindPaths(first, 1, found1);
        TPathSearch(0, log.get(), {}).FindPaths(second, 1, found2);
        ASSERT_EQ(found1.size(), found2.size());
        int checked = 0;
        for (std::size_t i = 0; i < found1.size() && checked < 20; ++i) {
            const TPathObject& p = *found1[i].path;
            if (p.Connections().size() < 2)
                continue;
            TChunkList chunks;
            BuildStrategy(p, log.get(), TStrategyOptions{}, chunks);
            const auto states = StatesPerChunk(chunks);
            // The same strategy in the other graph matches (other strategies
            // may share its states): one match has the same nodes by name.
            int matches = 0;
            for (const TPathItem& q : found2) {
                if (!MatchTestChunks(*q.path, states, *log))
                    continue;
                const auto a = PathNodes(p), b = PathNodes(*q.path);
                bool same = a.size() == b.size();
                for (std::size_t k = 0; same && k < a.size(); ++k)
                    same = a[k]->GetName() == b[k]->GetName();
                matches += same ? 1 : 0;
            }
            EXPECT_GE(matches, 1) << found1[i].text;
            EXPECT_EQ(CountTargetChunks(StatesOfChunks(chunks), *found2[i].path, *log, true),
                      static_cast<int>(chunks.size()));
            ++checked;
        }
        EXPECT_GT(checked, 0);
        first.Clear();
        second.Clear();
    }
    FreeConceptHierarchies();
}
