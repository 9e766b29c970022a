#include "strategy/model/RuleTest.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/GraphBuilder.h"
#include "actiongraph/model/PathObject.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/load/LoadLog.h"
#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"

#include "support/FilledRecord.h"
#include "support/RecordingHooks.h"
#include "support/EndChunk.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

std::unique_ptr<RuleObject> Rule(ConceptObject* object, ConceptObject* key, int value = 1)
{
    auto rule = std::make_unique<RuleObject>(true);
    rule->AddCondition(object, key, value);
    return rule;
}

// A test graph of one node n at (0, 0) with three first cycles 10, 20, 30 on
// its way to the end node m; two features whose bits the rules ask for.
class NodeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateConceptHierarchies();
        keyA = coHold;
        keyB = coMovement;
        graph.AddNode("n");
        graph.AddNode("m");
        n = graph.GetNode(0);
        n->SetX(0.0);
        n->SetY(0.0);
        TConnection* c = graph.AddConnectionByIndex("n-m", 0, 1);
        for (const int start : {10, 20, 30})
            c->AddData(TConnectionData{start, 1, 3, 3, 1, -1});
        features.Allocate(2, 50);
        for (int f = 0; f < 2; ++f) {
            features.SetObjectIndex(f, -1);
            features.SetGroupKey(f, f == 0 ? keyA : keyB);
            features.AddToGroup(f);
        }
        for (const int t : {10, 20})
            features.SetBit(0, t);
        features.SetBit(1, 30);
        // Chunk 0 lies at distance 10 and covers 10 and 20; chunk 1 at 40 covers 30.
        chunks.push_back(std::make_unique<StrategyChunk>("c0", nullptr, nullptr, 10.0, 0.0, 1.0, false));
        chunks.push_back(std::make_unique<StrategyChunk>("c1", nullptr, nullptr, 40.0, 0.0, 1.0, false));
        chunks[0]->AddRule(Rule(nullptr, keyA));
        chunks[1]->AddRule(Rule(nullptr, keyB));
        chunks[0]->SetPositiveCount(4);
        chunks[0]->SetNegativeCount(7);
        chunks[1]->SetPositiveCount(1);
        chunks[1]->SetNegativeCount(2);
        in.chunks = &chunks;
        in.graph = &graph;
        in.features = &features;
        in.weights = {1.0, 0.0, 0.0};
        in.value = 16.0;
        in.settings = {"0", "0", "0", "16"};
    }
    void TearDown() override
    {
        graph.Clear();
        FreeConceptHierarchies();
    }
    std::string Depth() const
    {
        return FormatFloatFixedForTest((keyA->GetLevel() + keyB->GetLevel()) / 2.0);
    }
    static std::string FormatFloatFixedForTest(double v)
    {
        char text[32];
        std::snprintf(text, sizeof text, "%.4f", v);
        return text;
    }

    InTempDir dir_{"rule-test"};
    RecordingHooks hooks;
    ConceptObject* keyA = nullptr;
    ConceptObject* keyB = nullptr;
    TGraph graph;
    TNode* n = nullptr;
    FeatureList features;
    TChunkList chunks;
    TNodeTestInput in;
};

}  // namespace

TEST_F(NodeTest, WorkedExampleVerbose)
{
    const TNodeTestOutput out = RunNodeTest(in);
    const tTestResults& r = out.result;
    EXPECT_EQ(r.description, (tConfusion{1, 1, 0, 0}));  // tp, tn, fp, fn
    EXPECT_EQ(r.rule, (tConfusion{2, 2, 1, 1}));
    EXPECT_EQ(r.strategic, (tConfusion{2, 3, 0, 1}));
    EXPECT_EQ(r.plus, 5);
    EXPECT_EQ(r.minus, 9);
    EXPECT_EQ(r.count, 2);
    const std::vector<std::string> want = {
        "Rules:",
        "c0 <= \t(:" + ConceptObject::GetPathName(keyA) + " = 1)",
        "c1 <= \t(:" + ConceptObject::GetPathName(keyB) + " = 1)",
        "----------------------------",
        "Testing target node n",
        "----------------------------",
        "Description evaluation: \ttp 1\tfp 0\ttn 1\tfn 0\tacc 1.0000",
        "Rule evaluation:        \ttp 2\tfp 1\ttn 2\tfn 1\tacc 0.6667\tdepth " + Depth(),
        "Strategic evaluation:  \tall 6\ttp 2\tfp 0\ttn 3\tfn 1\tacc 0.8333",
    };
    EXPECT_EQ(out.lines, want);
}

TEST_F(NodeTest, GrayedLeavesOutTheTargetLinesUncheckedPrintsTheRow)
{
    in.verbose = TVerbose::Grayed;
    std::vector<std::string> lines = RunNodeTest(in).lines;
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[4], "----------------------------");
    in.verbose = TVerbose::Unchecked;
    lines = RunNodeTest(in).lines;
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "0\t0\t16\t16\t1\t0\t1\t0\t1.0000\t2\t1\t2\t1\t0.6667\t6\t2\t0\t3\t1\t0.8333\t" + Depth() +
                            "\t2\t5\t9");
}

TEST_F(NodeTest, EmptyTablesAndNoConditions)
{
    // Nodes without outgoing occurrences count nowhere.
    in.graph = nullptr;
    for (auto& chunk : chunks)
        chunk = std::make_unique<StrategyChunk>(chunk->GetName(), chunk->GetRoleConcept(), chunk->GetActionConcept(),
                                                chunk->GetX(), chunk->GetY(), chunk->GetValue(), IsEndChunk(*chunk));
    for (auto& chunk : chunks)
        chunk->SetLearnt();  // the learner's default rule only: "FALSE"
    const TNodeTestOutput out = RunNodeTest(in);
    EXPECT_EQ(out.lines[6], "Rule evaluation:        \ttp 0\tfp 0\ttn 0\tfn 0\tacc -1.0000\tdepth 0.0000");
    // A chunk without a rule list covers every cycle.
    in.graph = &graph;
    for (auto& chunk : chunks)
        chunk->SetLeftOut();
    const tTestResults r = RunNodeTest(in).result;
    EXPECT_EQ(r.rule, (tConfusion{3, 0, 3, 0}));
    EXPECT_EQ(r.strategic, (tConfusion{3, 3, 0, 0}));
    chunks[1]->SetNotLearnt("cancelled");  // refused like a node not asked
    EXPECT_EQ(RunNodeTest(in).lines, std::vector<std::string>{"Rules of c1: not learnt: cancelled"});
}

TEST_F(NodeTest, DepthCountsOnlyPresentConcepts)
{
    TChunkList list;
    list.push_back(std::make_unique<StrategyChunk>("x", nullptr, nullptr, 0, 0, 1, false));
    auto rule = Rule(coLFW[0], keyA);
    rule->AddCondition(nullptr, keyB, 0);
    list[0]->AddRule(std::move(rule));
    double depth = 0.0;
    int count = 0;
    AddRuleDepth(list, depth, count);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(depth, coLFW[0]->GetLevel() + keyA->GetLevel() + keyB->GetLevel());
    EXPECT_EQ(DepthText(3.0, 4), "0.7500");
    EXPECT_EQ(DepthText(3.0, 0), "0.0000");
}

TEST_F(NodeTest, PairLimitsFromTheTestStrategy)
{
    // d0 = 2, d1 = 5, V = 16: L = [18, 21], M = 21.
    TChunkList tests;
    tests.push_back(std::make_unique<StrategyChunk>("t0", nullptr, nullptr, 12.0, 0.0, 1.0, false));
    tests.push_back(std::make_unique<StrategyChunk>("t1", nullptr, nullptr, 40.0, 5.0, 1.0, false));
    const TPairLimits limits = PairLimits(chunks, tests, in.weights, 16.0);
    EXPECT_EQ(limits.limits, (std::vector<double>{18.0, 21.0}));
    EXPECT_EQ(limits.max, 21.0);
    EXPECT_FALSE(limits.asymmetric);
    EXPECT_TRUE(limits.Skips(0, 19.0));
    EXPECT_FALSE(limits.Skips(0, 18.0));
    EXPECT_FALSE(limits.Skips(2, 1000.0));  // no test chunk of its own
    EXPECT_FALSE(PairLimits(chunks, {}, in.weights, 16.0).Skips(0, 1000.0));

    // Chunk 1 (distance 40 > 21) drops out; chunk 0 (10 <= 18) stays.
    in.testChunks = &tests;
    tTestResults r = RunNodeTest(in).result;
    EXPECT_EQ(r.description, (tConfusion{1, 0, 0, 0}));
    EXPECT_EQ(tTestResults::Total(r.rule), 3);
    // "Test all nodes" lifts the limits.
    in.testAll = true;
    r = RunNodeTest(in).result;
    EXPECT_EQ(r.description, (tConfusion{1, 1, 0, 0}));
}

TEST_F(NodeTest, TargetNodesFromTheRecordedSituations)
{
    FilledRecord record(50);
    record.Place(5, 20, 3.5, -7.25);
    TChunkList targets;
    targets.push_back(std::make_unique<StrategyChunk>("t0", nullptr, nullptr, 0, 0, 1, false));
    tFieldState seen;
    seen.Read(20, record.File());
    targets[0]->AddFieldState(seen);
    in.targetChunks = &targets;
    in.log = &record.File();
    // Chunk 0 targets n (cycle 20 is recorded); chunk 1 has no record, so no target.
    const tTestResults r = RunNodeTest(in).result;
    EXPECT_EQ(r.description, (tConfusion{1, 1, 0, 0}));
    EXPECT_EQ(r.rule, (tConfusion{2, 2, 1, 1}));
    // Another situation: chunk 0 targets nothing, and its near cycles are false positives.
    record.Place(5, 20, 0.0, 0.0);
    record.Place(5, 21, 3.5, -7.25);
    const tTestResults s = RunNodeTest(in).result;
    EXPECT_EQ(s.description, (tConfusion{0, 1, 1, 0}));
    EXPECT_EQ(s.strategic, (tConfusion{0, 4, 2, 0}));
}

TEST(RuleTestSettings, StoredAsNumbersWithMinusOneForText)
{
    tTestResults r;
    EXPECT_FALSE(StoreSettings({"", "0.5", "2", "16"}, 7.0, r));
    EXPECT_EQ(r.conf, -1.0);
    EXPECT_EQ(r.diff, 0.5);
    EXPECT_EQ(r.distMin, 2.0);
    EXPECT_EQ(r.distMax, 16.0);
    EXPECT_EQ(r.abstract, 7.0);
    EXPECT_EQ(r.numTests, 1);
    EXPECT_TRUE(StoreSettings({"0", "0", "0", "16"}, 7.0, r));
    EXPECT_FALSE(StoreSettings({"0", "-2", "0", "16"}, 7.0, r));
}

// A real match tested against its own graph: the nodes of a strategy taken
// from it are the targets of their chunks, in both target tests.
TEST(NodeTestOnARealMatch, ChunksFindTheirOwnNodes)
{
    InTempDir dir("rule-test-real");
    CreateConceptHierarchies();
    {
        RecordingHooks hooks;
        auto log = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), true);
        ASSERT_TRUE(log->features);
        TGraph graph;
        TObjectChoice left{};
        for (int o = 1; o <= 11; ++o)
            left[static_cast<std::size_t>(o)] = true;
        BuildActionGraph(*log, left, {}, graph);
        RemoveNodesWithDegreeBelow(graph, 1);
        TPathObject chain;
        for (int i = 0; i < graph.ConnectionCount() && chain.Connections().empty(); ++i) {
            TConnection* first = graph.GetConnection(i);
            if (first->To() != first->From() && !first->To()->OutList().empty() &&
                first->To()->OutList()[0]->To() != first->To())
                chain.Connections() = {first->To()->OutList()[0], first};
        }
        ASSERT_EQ(chain.Connections().size(), 2u);
        TChunkList chunks;
        BuildStrategy(chain, log.get(), TStrategyOptions{TDurationMode::FirstCycle, false, 1.0, {}}, chunks);
        // The first chunk's rule asks for a feature group of the log.
        std::vector<ConceptObject*> keys;
        log->features->GetGroupKeys(keys);
        ASSERT_FALSE(keys.empty());
        chunks[0]->AddRule(Rule(nullptr, keys[0]));
        for (std::size_t k = 1; k < chunks.size(); ++k)  // learnt, a rule without condition
            chunks[k]->AddRule(std::make_unique<RuleObject>(true));
        const std::vector<TNode*> nodes = PathNodes(chain);

        TNodeTestInput in;
        in.chunks = &chunks;
        in.graph = &graph;
        in.features = log->features.get();
        in.log = log.get();
        in.value = 0.0;
        in.verbose = TVerbose::Checked;
        TNodeTestOutput out = RunNodeTest(in);
        const tTestResults near = out.result;
        // Every evaluated pair counts once in the description, every cycle once in both other tables.
        int pairs = 0, cycles = 0, ownCycles = 0;
        for (int i = 0; i < graph.NodeCount(); ++i) {
            std::vector<int> list;
            CollectCycles(nullptr, graph.GetNode(i), list, TDurationMode::FirstCycle, true);
            if (!list.empty())
                pairs += 3;
            cycles += 3 * static_cast<int>(list.size());
            if (graph.GetNode(i) == nodes[0])
                ownCycles = static_cast<int>(list.size());
        }
        EXPECT_GT(pairs, 6);
        EXPECT_EQ(tTestResults::Total(near.description), pairs);
        EXPECT_EQ(tTestResults::Total(near.rule), cycles);
        EXPECT_EQ(tTestResults::Total(near.strategic), cycles);
        // Distance 0: the two acting nodes are targets of their own chunks at least.
        EXPECT_GE(near.description.tp, 2);
        EXPECT_EQ(near.description.fn, 0);
        EXPECT_EQ(near.description.fp, 0);  // V = 0: near means target
        EXPECT_GE(near.rule.tp + near.rule.fn, ownCycles);
        int targetLines = 0;
        for (const std::string& line : out.lines)
            targetLines += line.rfind("Testing target node ", 0) == 0;
        EXPECT_EQ(targetLines, near.description.tp);
        // Recorded situations: the chunks' own nodes are found again.
        in.targetChunks = &chunks;
        const tTestResults recorded = RunNodeTest(in).result;
        EXPECT_GE(recorded.description.tp, 2);
        EXPECT_EQ(tTestResults::Total(recorded.rule), cycles);
        EXPECT_EQ(recorded.rule.tp + recorded.rule.fn >= ownCycles, true);
        graph.Clear();
    }
    FreeConceptHierarchies();
}
