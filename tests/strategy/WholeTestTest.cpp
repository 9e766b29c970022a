#include "strategy/model/WholeTest.h"

#include "strategy/model/StrategySimilar.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/GraphBuilder.h"
#include "actiongraph/model/PathObject.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/load/LoadLog.h"
#include "core/learning/Features.h"
#include "core/model/Common.h"
#include "core/model/RoboCupFile.h"

#include "support/FilledRecord.h"
#include "support/RecordingHooks.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Hand-made graphs whose every cycle shows its own situation (object 1 stands
// at x = cycle), with two features A and B the rules ask for.
class WholeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateConceptHierarchies();
        for (int t = 0; t < 60; ++t)
            record.Place(1, t, t, 0.0);
        features.Allocate(2, 60);
        for (int f = 0; f < 2; ++f) {
            features.SetObjectIndex(f, -1);
            features.SetGroupKey(f, f == 0 ? coHold : coMovement);
            features.AddToGroup(f);
        }
    }
    void TearDown() override
    {
        graph.Clear();
        FreeConceptHierarchies();
    }
    TNode* Node(const std::string& name, double x, ConceptObject* role)
    {
        TNode* n = graph.GetNode(graph.AddNode(name));
        n->SetX(x);
        n->SetY(0.0);
        n->SetData(std::make_unique<TNodeConcepts>(TNodeConcepts{coToPlayer, role}));
        return n;
    }
    // Occurrences as (start, other length) pairs.
    TConnection* Link(TNode* a, TNode* b, std::vector<std::pair<int, int>> occurrences)
    {
        TConnection* c = graph.AddConnection(a->GetName() + "-" + b->GetName(), a, b);
        for (const auto& [start, length] : occurrences)
            c->AddData(TConnectionData{start, 1, 1, 1, length, -1});
        return c;
    }
    void AddPath(std::vector<TConnection*> endFirst)
    {
        auto p = std::make_shared<TPathObject>();
        p->Connections() = std::move(endFirst);
        strategies.Add("p" + std::to_string(strategies.Count()), p);
    }
    StrategyChunk& Chunk(const std::string& name, double x, bool end)
    {
        chunks.push_back(std::make_unique<StrategyChunk>(name, coLFW[0], coToPlayer, x, 0.0, 1.0, end));
        return *chunks.back();
    }
    static std::unique_ptr<RuleObject> Rule(ConceptObject* key)
    {
        auto rule = std::make_unique<RuleObject>(true);
        rule->AddCondition(nullptr, key, 1);
        return rule;
    }
    tFieldState At(int cycle)
    {
        tFieldState s;
        s.Read(cycle, record.File());
        return s;
    }

    InTempDir dir_{"whole-test"};
    RecordingHooks hooks;
    FilledRecord record{60};
    FeatureList features;
    TGraph graph;
    TPathList strategies{false};
    TChunkList chunks;
};

// The whole test's worked example: n0 (cycles 10, 20) -> n1 (30) -> n2 (40, 50
// entering); the rules cover 10 and 30 only.
class WholeStrategy : public WholeTest {
protected:
    void SetUp() override
    {
        WholeTest::SetUp();
        n0 = Node("n0", 0.0, coLFW[0]);
        n1 = Node("n1", 10.0, coLFW[0]);
        n2 = Node("n2", 20.0, coLFW[0]);
        TConnection* a = Link(n0, n1, {{10, 20}, {20, 10}});
        TConnection* b = Link(n1, n2, {{30, 11}, {30, 21}});
        AddPath({b, a});
        Chunk("c0", 0.0, false).AddRule(Rule(coHold));
        Chunk("c1", 10.0, false).AddRule(Rule(coHold));
        Chunk("c2", 20.0, true).AddRule(Rule(coMovement));
        features.SetBit(0, 10);
        features.SetBit(0, 30);
        in.chunks = &chunks;
        in.strategies = &strategies;
        in.graph = &graph;
        in.features = &features;
        in.log = &record.File();
        in.value = 16.0;
    }
    TNode *n0 = nullptr, *n1 = nullptr, *n2 = nullptr;
    TWholeTestInput in;
};

}  // namespace

TEST_F(WholeStrategy, WorkedExampleChecked)
{
    const TWholeTestOutput out = RunWholeTest(in);
    EXPECT_EQ(out.result.description, (tConfusion{1, 0, 0, 0}));
    EXPECT_EQ(out.result.rule, (tConfusion{2, 0, 0, 3}));
    EXPECT_EQ(out.result.strategic, (tConfusion{0, 0, 0, 1}));
    const std::vector<std::string> tail(out.lines.begin() + 5, out.lines.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"n0 n1 n2  dist 0", "True candidate: n0 n1 n2 ", "Decision: false",
                                              "----------------------------"}));
    EXPECT_EQ(out.lines[0], "Rules:");
    chunks[1]->GetRules().clear();  // its learner's default rule only: "FALSE", no cycle
    EXPECT_EQ(RunWholeTest(in).result.rule, (tConfusion{1, 0, 0, 4}));
}

TEST_F(WholeStrategy, UncheckedTracesTheTrueCandidate)
{
    in.verbose = TVerbose::Unchecked;
    const std::vector<std::string> want = {"Testing strategy", "Node n0 true, dist=0", "Node n1 true, dist=0",
                                           "Node n2 true, dist=0", "Testing n0", "Rule is True", "Rule is False",
                                           "Testing n1", "Rule is True", "Testing n2", "Rule is False",
                                           "Rule is False"};
    EXPECT_EQ(RunWholeTest(in).lines, want);
    // Grayed: the same between the head and the hyphens; with "Test all" the evaluation lines follow.
    in.verbose = TVerbose::Grayed;
    in.testAll = true;
    const TWholeTestOutput out = RunWholeTest(in);
    ASSERT_EQ(out.lines.size(), 5u + want.size() + 1u + 3u);
    EXPECT_EQ(out.lines[5], "Testing strategy");
    EXPECT_EQ(out.lines[out.lines.size() - 2],
              "Rule evaluation:        \ttp 2\tfp 0\ttn 0\tfn 3\tacc 0.4000\tdepth " +
                  DepthText(2 * coHold->GetLevel() + coMovement->GetLevel(), 3));
}

TEST_F(WholeStrategy, FarCandidatesAndOtherLengths)
{
    n2->SetX(40.0);  // 20 > 16: counts as 16 + 99999
    TWholeTestOutput out = RunWholeTest(in);
    EXPECT_EQ(tTestResults::Total(out.result.description), 0);
    EXPECT_EQ(out.lines[5], "n0 n1 n2  dist 33338.3333333333");
    // "Avg. dist": the far node is averaged out.
    in.averageDist = true;
    EXPECT_EQ(RunWholeTest(in).result.description, (tConfusion{0, 0, 0, 1}));  // true, n2 no match
    // "Test all nodes": the far candidate is a false one.
    in.averageDist = false;
    in.testAll = true;
    out = RunWholeTest(in);
    EXPECT_EQ(out.result.description, (tConfusion{0, 1, 0, 0}));
    EXPECT_EQ(out.result.rule, (tConfusion{0, 3, 2, 0}));
    EXPECT_EQ(out.result.strategic, (tConfusion{0, 1, 0, 0}));
    // A strategy of two chunks has no candidate of three nodes.
    chunks.pop_back();
    out = RunWholeTest(in);
    EXPECT_EQ(tTestResults::Total(out.result.rule), 0);
}

TEST_F(WholeStrategy, TargetCandidatesPassThreeRecordedSituations)
{
    TChunkList recorded;
    recorded.push_back(std::make_unique<StrategyChunk>("r", nullptr, nullptr, 0, 0, 1, false));
    recorded[0]->AddFieldState(At(20));
    recorded[0]->AddFieldState(At(30));
    const TPathObject& path = *strategies.Path(0);
    EXPECT_EQ(CountTargetChunks(StatesOfChunks(recorded), path, record.File(), true), 2);
    in.targetChunks = &recorded;
    EXPECT_EQ(RunWholeTest(in).result.rule, (tConfusion{0, 3, 2, 0}));
    recorded[0]->AddFieldState(At(50));
    EXPECT_EQ(CountTargetChunks(StatesOfChunks(recorded), path, record.File(), true), 3);
    const TWholeTestOutput out = RunWholeTest(in);
    EXPECT_EQ(out.result.rule, (tConfusion{2, 0, 0, 3}));
    EXPECT_EQ(out.lines[5], "True candidate: ");
}

// The grid evaluation's worked example: A matches and its cycles are stored,
// B's role is unrelated, C lies 5 away with cycles not stored; v = 2.
TEST_F(WholeTest, GridEvaluationWorkedExample)
{
    TNode* a0 = Node("a0", 0.0, coLFW[0]);
    TNode* a1 = Node("a1", 10.0, coLFW[0]);
    TNode* b0 = Node("b0", 0.0, coLCMF[0]);
    TNode* b1 = Node("b1", 10.0, coLFW[0]);
    TNode* c0 = Node("c0", 5.0, coLFW[0]);
    TNode* c1 = Node("c1", 10.0, coLFW[0]);
    AddPath({Link(a0, a1, {{10, 11}, {20, 1}})});
    AddPath({Link(b0, b1, {{25, 1}})});
    AddPath({Link(c0, c1, {{30, 11}})});
    StrategyChunk& first = Chunk("ch0", 0.0, false);
    first.AddFieldState(At(10));
    first.AddFieldState(At(20));
    first.SetPositiveCount(6);
    Chunk("ch1", 10.0, true).AddFieldState(At(20));
    for (auto& chunk : chunks)  // left out: no condition
        chunk->SetLeftOut();
    TGridEvaluationInput in;
    in.chunks = &chunks;
    in.strategies = &strategies;
    in.features = &features;
    in.log = &record.File();
    in.joinValue = [] { return 2.0; };
    in.settings = {"0", "0", "0", "16"};
    TGridEvaluationOutput out = RunGridEvaluation(in);
    EXPECT_EQ(out.all, 3);
    EXPECT_EQ(out.excluded, 1);
    const std::vector<std::string> want = {"Rules:",
                                           "ch0 <= \tTRUE",
                                           "ch1 <= \tTRUE",
                                           "----------------------------",
                                           "True candidate: a0 a1 ",
                                           "Decision: true",
                                           "False candidate: c0 c1 ",
                                           "Decision: true",
                                           "----------------------------",
                                           "Rule evaluation: \tall 3\texcluded 1\ttp 3\tfp 2\ttn 0\tfn 0\tacc "
                                           "0.6000\tdepth 0.0000",
                                           "Tested #strategies 2 : \ttp 1\tfp 1\ttn 0\tfn 0\tacc 0.5000"};
    EXPECT_EQ(out.lines, want);
    in.verbose = TVerbose::Unchecked;
    out = RunGridEvaluation(in);
    EXPECT_EQ(out.lines, (std::vector<std::string>{
                             "0\t0\t16\t3\t2\t0\t0\t0.6000\t1\t1\t0\t0\t0.5000\t0.0000\t0\t6\t0"}));
    // "Test all nodes": B goes on as a false candidate (its cycle is not stored).
    in.testAll = true;
    out = RunGridEvaluation(in);
    EXPECT_EQ(out.rule, (tConfusion{3, 0, 4, 0}));
    EXPECT_EQ(out.strategic, (tConfusion{1, 0, 2, 0}));
    for (auto& chunk : chunks)  // lists of the learner's default rule only ("FALSE") cover no cycle
        chunk->SetLearnt();
    EXPECT_EQ(RunGridEvaluation(in).rule, (tConfusion{0, 4, 0, 3}));
    // A join value that is no number stops the run at the first related candidate.
    in.joinValue = [] { return StrToFloatDot("x"); };
    out = RunGridEvaluation(in);
    EXPECT_EQ(out.error, "'x' is not a valid floating point value");
    EXPECT_EQ(tTestResults::Total(out.strategic), 0);
}

// A real match against its own paths: a strategy found there is a true
// candidate of both tests, and its own cycles are the stored situations.
TEST(WholeTestOnARealMatch, AStrategyFindsItself)
{
    InTempDir dir("whole-test-real");
    CreateConceptHierarchies();
    {
        RecordingHooks hooks;
        auto log = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), true);
        TGraph graph;
        TObjectChoice left{};
        for (int o = 1; o <= 11; ++o)
            left[static_cast<std::size_t>(o)] = true;
        BuildActionGraph(*log, left, {}, graph);
        RemoveNodesWithDegreeBelow(graph, 1);
        // The first chain of two connections, listed among all single connections.
        TPathList strategies(false);
        auto chosen = std::make_shared<TPathObject>();
        for (int i = 0; i < graph.ConnectionCount(); ++i) {
            TConnection* first = graph.GetConnection(i);
            auto single = std::make_shared<TPathObject>();
            single->Connections() = {first};
            strategies.Add("single", single);
            if (chosen->Connections().empty() && first->To() != first->From() && !first->To()->OutList().empty() &&
                first->To()->OutList()[0]->To() != first->To())
                chosen->Connections() = {first->To()->OutList()[0], first};
        }
        ASSERT_EQ(chosen->Connections().size(), 2u);
        strategies.Add("chain", chosen);
        TChunkList chunks;
        BuildStrategy(*chosen, log.get(), TStrategyOptions{TDurationMode::FirstCycle, true, 0.0, {}}, chunks);
        for (auto& chunk : chunks)  // learnt, each a rule without condition
            chunk->AddRule(std::make_unique<RuleObject>(true));
        std::vector<int> own;
        const std::vector<TNode*> nodes = PathNodes(*chosen);
        for (std::size_t k = 0; k < nodes.size(); ++k)
            CollectCycles(chosen.get(), nodes[k], own, TDurationMode::FirstCycle, k + 1 < nodes.size());

        TGridEvaluationInput grid;
        grid.chunks = &chunks;
        grid.strategies = &strategies;
        grid.features = log->features.get();
        grid.log = log.get();
        grid.joinValue = [] { return 0.0; };
        grid.verbose = TVerbose::Unchecked;
        const TGridEvaluationOutput g = RunGridEvaluation(grid);
        EXPECT_GE(g.all, 1);
        EXPECT_GE(g.strategic.tp, 1);
        EXPECT_GE(g.rule.tp, 1);  // its own cycles are stored and every one is covered
        EXPECT_EQ(g.rule.fn + g.rule.tn, 0);
        ASSERT_EQ(g.lines.size(), 1u);
        int tabs = 0;
        for (const char ch : g.lines[0])
            tabs += ch == '\t';
        EXPECT_EQ(tabs, 16);

        TWholeTestInput whole;
        whole.chunks = &chunks;
        whole.strategies = &strategies;
        whole.graph = &graph;
        whole.features = log->features.get();
        whole.log = log.get();
        whole.value = 0.0;
        const TWholeTestOutput w = RunWholeTest(whole);
        EXPECT_GE(w.result.description.tp, 1);
        EXPECT_GE(w.result.strategic.tp, 1);
        EXPECT_EQ(w.result.description.fp + w.result.description.tn, 0);  // far candidates are dropped
        EXPECT_GE(tTestResults::Total(w.result.rule), static_cast<int>(own.size()));
        whole.targetChunks = &chunks;  // the recorded situations are the strategy's own
        EXPECT_GE(RunWholeTest(whole).result.strategic.tp, 1);
        graph.Clear();
    }
    FreeConceptHierarchies();
}
