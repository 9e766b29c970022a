#include "strategy/model/TrainingExamples.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/Distances.h"
#include "actiongraph/model/GraphBuilder.h"
#include "actiongraph/model/PathObject.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/load/LoadLog.h"
#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"
#include "platform/Random.h"

#include "support/FilledRecord.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <cstdlib>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using Cycles = std::vector<int>;

// A graph of five nodes A..E with
//   A -> B: {10, dur 2, other 3}, {50, 1, 1}    B -> C: {20, 1, 2}
//   C -> D: {30, 1, 1}    A -> C: {40, 1, 1}    E -> D: {60, 1, 1}
// the strategy A -> B -> C, a similar strategy A -> C -> D and a shorter one E -> D.
class Examples : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"A", "B", "C", "D", "E"})
            g.AddNode(name);
        Connect(0, 1, {{10, 2, 3}, {50, 1, 1}});
        Connect(1, 2, {{20, 1, 2}});
        Connect(2, 3, {{30, 1, 1}});
        Connect(0, 2, {{40, 1, 1}});
        Connect(4, 3, {{60, 1, 1}});
        strategy.Connections() = {g.GetConnection(1), g.GetConnection(0)};
        similar.Connections() = {g.GetConnection(2), g.GetConnection(3)};
        shorter.Connections() = {g.GetConnection(4)};
        context.graph = &g;
        context.strategy = &strategy;
        context.similar = {&strategy, &shorter, &similar};
        // The distance of two nodes is how far apart their indices are.
        context.distance = [this](const TNode& a, const TNode& b) {
            return std::abs(g.IndexOfNode(&a) - g.IndexOfNode(&b)) * 1.0;
        };
    }
    struct Occurrence {
        int start, duration, other;
    };
    void Connect(int from, int to, std::vector<Occurrence> list)
    {
        TConnection* c = g.AddConnectionByIndex("c", from, to);
        for (const Occurrence& o : list) {
            TConnectionData d;
            d.start = o.start;
            d.duration = o.duration;
            d.otherLength = o.other;
            c->AddData(d);
        }
    }
    TNode* Node(int i) { return g.GetNode(i); }

    TGraph g;
    TPathObject strategy, similar, shorter;
    TNegativeContext context;
};

}  // namespace

TEST_F(Examples, WalksTheStrategyFromItsFirstNodeToItsEnd)
{
    const auto steps = StrategyWalk(strategy, false);
    ASSERT_EQ(steps.size(), 3u);
    const int walks[3] = {2, 1, 0};
    const char* names[3] = {"A", "B", "C-END"};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(steps[k].walk, walks[k]);
        EXPECT_EQ(steps[k].node, Node(k));
        EXPECT_EQ(steps[k].name, names[k]);
        EXPECT_EQ(steps[k].final, k == 2);
    }
    EXPECT_EQ(StrategyWalk(strategy, true).size(), 2u);
    EXPECT_EQ(WalkNode(strategy, 3), nullptr);
    EXPECT_TRUE(StrategyWalk(TPathObject(), false).empty());
}

TEST_F(Examples, PositivesAndNegativesBySource)
{
    struct Case {
        int node;
        bool strict;
        TNegativeSource source;
        double minDist, maxDist;
        Cycles positives, negatives;  // negatives with the positives taken out
    };
    using S = TNegativeSource;
    const Case cases[] = {
        // Own cycles outside the strategy stay negatives only with strict times.
        {0, true, S::None, 0, 16, {10, 50}, {40}},
        {0, false, S::None, 0, 16, {10, 50, 40}, {}},
        // The similar strategy's node A restricted to it; itself and the shorter one passed over.
        {0, true, S::SimilarStrategies, 0, 16, {10, 50}, {40}},
        {0, true, S::SimilarStrategies, 0, -1, {10, 50}, {40}},
        {1, true, S::SimilarStrategies, 0, -1, {20}, {30}},
        // Near: nodes at index distance 1..2 from A are B and C.
        {0, true, S::NearNodes, 1, 2, {10, 50}, {40, 20, 30}},
        {1, true, S::NearNodes, 1, 1, {20}, {10, 50, 40, 30}},
        // A negative maximum: neither own cycles nor near nodes.
        {0, true, S::NearNodes, -5, -1, {10, 50}, {}},
        {0, true, S::AllNodes, 0, 16, {10, 50}, {40, 20, 30, 60}},
        {0, true, S::AllNodes, 0, -1, {10, 50}, {20, 30, 60}},
        // The final node: incoming, the other end's last cycle, whatever the mode.
        {2, true, S::AllNodes, 0, 16, {21}, {40, 12, 50, 30, 60}},
    };
    for (const Case& c : cases) {
        TExampleOptions options;
        options.strictTimes = c.strict;
        options.source = c.source;
        options.minDist = c.minDist;
        options.maxDist = c.maxDist;
        const bool final = c.node == 2;
        const int walk = 2 - c.node;
        const Cycles p = CollectPositives(strategy, Node(c.node), final, options);
        Cycles n = CollectNegatives(context, Node(c.node), walk, final, options);
        RemoveCycles(n, p);
        EXPECT_EQ(p, c.positives) << c.node << " " << static_cast<int>(c.source);
        EXPECT_EQ(n, c.negatives) << c.node << " " << static_cast<int>(c.source) << " " << c.maxDist;
    }
}

TEST_F(Examples, DurationModesWidenTheCycles)
{
    TExampleOptions options;
    options.source = TNegativeSource::None;
    options.duration = TDurationMode::Duration;
    EXPECT_EQ(CollectPositives(strategy, Node(0), false, options), (Cycles{10, 11, 50}));
    options.duration = TDurationMode::Visual;
    EXPECT_EQ(CollectPositives(strategy, Node(0), false, options), (Cycles{10, 11, 12, 50}));
    EXPECT_EQ(CollectNegatives(context, Node(0), 2, false, options), (Cycles{10, 11, 12, 50, 40}));
}

TEST(ExampleSampling, RemovesTheTruncatedShareReproducibly)
{
    const Cycles nine{1, 2, 3, 4, 5, 6, 7, 8, 9};
    struct Case {
        double kept;
        int removed;
    };
    for (const Case c : {Case{1.0, 0}, Case{0.5, 4}, Case{0.0, 9}, Case{-0.5, 9}, Case{1.5, 0}, Case{0.75, 2}}) {
        Cycles a = nine, b = nine;
        platform::SeedRandom(7);
        EXPECT_EQ(SampleCycles(a, c.kept), c.removed) << c.kept;
        platform::SeedRandom(7);
        SampleCycles(b, c.kept);
        EXPECT_EQ(a, b);
        EXPECT_EQ(a.size(), nine.size() - static_cast<std::size_t>(c.removed));
        EXPECT_TRUE(std::is_sorted(a.begin(), a.end()));  // order kept
    }
    Cycles empty;
    EXPECT_EQ(SampleCycles(empty, 0.0), 0);
}

TEST(ExampleFeatures, ConfidenceByTheThreeStates)
{
    using T = TConfidenceTest;
    struct Case {
        T test;
        double rate, minConf;
        bool keep;
    };
    const Case cases[] = {{T::AtLeast, 0.5, 0.5, true},  {T::AtLeast, 0.4, 0.5, false}, {T::AtMost, 0.25, 0.75, true},
                          {T::AtMost, 0.3, 0.75, false},  {T::Either, 0.5, 0.8, false}, {T::Either, 0.1, 0.8, true},
                          {T::Either, 0.9, 0.8, true},   {T::Either, 0.3, 0.5, true},  {T::AtMost, 1.0, 0.0, true},
                          {T::AtLeast, 0.0, 0.0, true}};
    for (const Case& c : cases)
        EXPECT_EQ(PassesConfidence(c.test, c.rate, c.minConf), c.keep) << c.rate << " " << c.minConf;
    EXPECT_EQ(Rate(3, 0), 0.0);
    EXPECT_EQ(Rate(1, 4), 0.25);
}

TEST(ExampleTexts, ClassDataAndHeader)
{
    const Cycles p{101, 205, 330}, n{7};
    EXPECT_EQ(ClassDataText(1, p, n), "101 205 330 ");
    EXPECT_EQ(ClassDataText(2, p, n), "7 ");
    EXPECT_EQ(ClassDataText(3, p, n), "101 205 330 7 ");
    EXPECT_EQ(ClassDataText(0, p, n), "");
    EXPECT_EQ(VerboseHeader("LTeam.L-FW:Pass", p, 10, false),
              (std::vector<std::string>{"", "--- LTeam.L-FW:Pass --- #+3 #-10"}));
    EXPECT_EQ(VerboseHeader("X-END", p, 0, true),
              (std::vector<std::string>{"", "--- X-END --- #+3 #-0", "+Set = 101 205 330"}));
}

namespace {

// Eight cycles with hand-set features of one group; Lplayer3 and Lplayer4
// hold the role LC-MF throughout, Lplayer5 and Lplayer6 none.
class Features : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateConceptHierarchies();
        group = g_speedConcepts;
        for (const int object : {3, 4})
            for (auto& v : record.File().roleChannel[static_cast<std::size_t>(object)]->GetValues())
                v = ConceptHandle(coLCMF[0]);
    }
    void TearDown() override { FreeConceptHierarchies(); }
    FeatureList& List() { return *record.File().features; }
    // Features of the given objects, each set at the given cycles.
    void Make(const std::vector<std::pair<int, Cycles>>& features)
    {
        List().Allocate(static_cast<int>(features.size()), record.File().cycles);
        for (int f = 0; f < static_cast<int>(features.size()); ++f) {
            List().SetObjectIndex(f, features[f].first);
            List().SetGroupKey(f, group);
            List().SetName(f, "old" + std::to_string(f));
            for (const int c : features[f].second)
                List().SetBit(f, c);
            List().SetCount(f, static_cast<int>(features[f].second.size()));
        }
    }
    std::string G() const { return ":" + ConceptObject::GetPathName(group); }

    InTempDir dir_{"training-examples"};
    FilledRecord record{8};
    TGraph graph;
    ConceptObject* group = nullptr;
};

}  // namespace

TEST_F(Features, DisplayNamesAreUniqueAndDroppedFeaturesKeepTheirs)
{
    Make({{-1, {1, 2}}, {0, {1, 2}}, {3, {1, 2}}, {4, {1, 2}}, {5, {1, 2}}, {5, {}}, {6, {}}, {6, {1, 2}}});
    List().SetName(6, "Lplayer6" + G());  // an older name another feature is about to get
    TFeatureOptions options;
    options.minConf = 0.5;
    options.weighting = TFeatureWeighting::None;
    const TWeighResult r = WeighFeatures(List(), record.File(), graph, nullptr, {1, 2}, {3}, options, {});
    EXPECT_EQ(r.named, 6);
    EXPECT_EQ(r.kept, 6);
    const std::string want[8] = {"Team" + G(),
                                 "Ball" + G(),
                                 "LTeam.LC-MF" + G(),
                                 "LTeam.LC-MF" + G() + "[Lplayer4]",
                                 "Lplayer5" + G(),
                                 "old5",
                                 "Lplayer6" + G(),
                                 "Lplayer6" + G() + "[Lplayer6]"};
    for (int f = 0; f < 8; ++f) {
        EXPECT_EQ(List().GetName(f), want[f]) << f;
        EXPECT_EQ(List().IndexOf(want[f]), f);
        EXPECT_EQ(List().GetValue(f), f == 5 || f == 6 ? kDroppedFeature : kNoWeight) << f;
    }
    // Without positives no role is known: object names.
    options.minConf = 0.0;
    WeighFeatures(List(), record.File(), graph, nullptr, {}, {3}, options, {});
    EXPECT_EQ(List().GetName(2), "Lplayer3" + G());
    EXPECT_EQ(List().GetName(0), "Team" + G());
}

TEST_F(Features, SimpleTfIdfConfAndDiffAndTheDifferenceFilter)
{
    Make({{-1, {1, 5}}, {1, {0, 1, 2, 3, 4, 5, 6, 7}}, {2, {1, 3, 4, 6}}, {5, {}}});
    const Cycles p{1, 5}, n{3, 4};
    TFeatureOptions options;
    options.weighting = TFeatureWeighting::SimpleTfIdf;
    WeighFeatures(List(), record.File(), graph, nullptr, p, n, options, {});
    const double simple[4] = {4.0, 0.0, 1.0, kNoWeight};
    for (int f = 0; f < 4; ++f)
        EXPECT_DOUBLE_EQ(List().GetValue(f), simple[f]) << f;
    options.weighting = TFeatureWeighting::ConfAndDiff;
    options.filterDiff = true;
    options.minDiff = 0.5;
    const TWeighResult r = WeighFeatures(List(), record.File(), graph, nullptr, p, n, options, {});
    EXPECT_EQ(r.named, 4);
    EXPECT_EQ(r.kept, 2);
    const double diff[4] = {100.0, kDroppedFeature, 100.0, kDroppedFeature};
    const std::string names[4] = {"Team", "Lplayer1", "Lplayer2", "Lplayer5"};
    for (int f = 0; f < 4; ++f) {
        EXPECT_EQ(List().GetValue(f), diff[f]) << f;
        EXPECT_EQ(List().GetName(f), names[f] + G());  // dropped by difference, named all the same
    }
    // Below the confidence: dropped, and a dropped feature outranks one without weight.
    options.filterDiff = false;
    options.minConf = 0.6;
    options.weighting = TFeatureWeighting::None;
    WeighFeatures(List(), record.File(), graph, nullptr, p, n, options, {});
    EXPECT_EQ(List().GetValue(2), kDroppedFeature);
    EXPECT_EQ(List().GetValue(0), kNoWeight);
    EXPECT_GT(List().GetValue(2), List().GetValue(0));
}

TEST_F(Features, TfIdfSumsGrowOverTheNodes)
{
    // n0 -> n1 at 1 for 2 cycles, n1 -> n1 at 5 for 3: T is {1, 2}, then {1, 2, 5, 6, 7}.
    graph.AddNode("n0");
    graph.AddNode("n1");
    for (const auto& [from, start, duration] : {std::tuple{0, 1, 2}, std::tuple{1, 5, 3}}) {
        TConnectionData d;
        d.start = start;
        d.duration = duration;
        d.otherLength = duration;
        graph.AddConnectionByIndex("c", from, 1)->AddData(d);
    }
    Make({{-1, {1, 5}}, {-1, {7}}, {-1, {}}});
    const TNodeDistanceFn distance = [this](const TNode& a, const TNode& b) {
        return std::abs(graph.IndexOfNode(&a) - graph.IndexOfNode(&b)) * 1.0;
    };
    const TNode* ref = graph.GetNode(1);
    TTfIdfSums sums = ComputeTfIdfSums(graph, List(), TDurationMode::Duration, true, true, ref, distance, 2.0);
    EXPECT_DOUBLE_EQ(sums.plain[0], 2.0 / 1 + 5.0 / 2);
    EXPECT_DOUBLE_EQ(sums.plain[1], 5.0 / 1);
    EXPECT_EQ(sums.plain[2], 0.0);
    const double t0 = std::log2(3.0);
    EXPECT_DOUBLE_EQ(sums.weighted[0], 2.0 * t0 * t0 / 1 + 5.0 * 1.0 / 2);
    EXPECT_EQ(sums.failed, 0);
    // A factor beyond the doubles: that node's terms are left out.
    sums = ComputeTfIdfSums(graph, List(), TDurationMode::Duration, false, true, ref, distance, 5000.0);
    EXPECT_TRUE(sums.plain.empty());
    EXPECT_DOUBLE_EQ(sums.weighted[0], 2.5);
    EXPECT_EQ(sums.failed, 1);

    TFeatureOptions options;
    options.duration = TDurationMode::Duration;
    WeighFeatures(List(), record.File(), graph, ref, {1, 5}, {}, options, distance);
    EXPECT_DOUBLE_EQ(List().GetValue(0), 2 * std::log2(4.5));
    EXPECT_DOUBLE_EQ(List().GetValue(1), 0.0);       // pf 0 x log2(5)
    EXPECT_EQ(List().GetValue(2), kNoWeight);        // never set: no sum
    options.weighting = TFeatureWeighting::WeightedTfIdf;
    options.L = 2.0;
    WeighFeatures(List(), record.File(), graph, ref, {1, 5}, {}, options, distance);
    EXPECT_DOUBLE_EQ(List().GetValue(0), 2 * (2.0 * t0 * t0 + 2.5));
}

namespace {

// The TF*IDF sums of one feature as the weighting defines them, feature by
// feature: T re-collected node by node, its bits counted one by one.
double ReferenceSum(const TGraph& graph, const FeatureList& features, int f, TDurationMode mode,
                    const TNode* ref, const TNodeDistanceFn& distance, double L, bool weighted)
{
    double s = 0.0;
    Cycles t;
    for (int j = 0; j < graph.NodeCount(); ++j) {
        const double d = weighted ? distance(*graph.GetNode(j), *ref) : 0.0;
        CollectCycles(nullptr, graph.GetNode(j), t, mode, true);
        int c = 0;
        for (const int cycle : t)
            c += features.GetBit(f, cycle);
        if (c == 0)
            continue;
        double factor = 1.0;
        if (weighted) {
            double tt = std::log2(2.0 + d);
            factor = std::pow(tt <= 0.0 ? 1.0 : tt, L);
        }
        s += static_cast<double>(t.size()) * factor / c;
    }
    return s;
}

bool Holds(const Cycles& list, int cycle) { return std::find(list.begin(), list.end(), cycle) != list.end(); }

}  // namespace

// The left side's graph of a real match and a strategy of two connections.
TEST(ExamplesOnARealMatch, SetsAndWeightsOfEveryNode)
{
    InTempDir dir("training-real");
    CreateConceptHierarchies();
    {
        auto log = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), true);
        FeatureList& features = *log->features;
        ASSERT_GT(features.GetNumFeatures(), 100);
        TGraph graph;
        TObjectChoice all{};
        all[0] = true;
        BuildActionGraph(*log, all, {}, graph);
        RemoveNodesWithDegreeBelow(graph, 1);
        // Nodes of the same role and action become one, as after a join.
        TJoinHooks quiet;
        JoinNearestNodes(graph, TDistanceWeights{0.0, 1.0, 1.0, 0.0}, nullptr, 0.01, {}, quiet);
        // The two chains of two connections with the most occurrences: the
        // strategy and a similar one.
        std::vector<TPathObject> chains;
        for (int i = 0; i < graph.ConnectionCount(); ++i) {
            TConnection* first = graph.GetConnection(i);
            for (TConnection* second : first->To()->OutList()) {
                if (second != first && second->To() != first->From()) {
                    chains.emplace_back();
                    chains.back().Connections() = {second, first};
                }
            }
        }
        auto weight = [](const TPathObject& c) { return c.Connections()[0]->Weight() + c.Connections()[1]->Weight(); };
        std::stable_sort(chains.begin(), chains.end(),
                         [&weight](const TPathObject& a, const TPathObject& b) { return weight(a) > weight(b); });
        ASSERT_GE(chains.size(), 2u);
        const TPathObject& strategy = chains[0];
        const TDistanceWeights weights{0.2, 30.0, 0.0, 0.0};
        TNegativeContext context;
        context.graph = &graph;
        context.strategy = &strategy;
        context.similar = {&chains[1], &strategy};
        context.distance = [&weights](const TNode& a, const TNode& b) {
            return NodeDistance(a, b, weights, nullptr);
        };
        const auto steps = StrategyWalk(strategy, false);
        ASSERT_EQ(steps.size(), 3u);
        for (const TDurationMode mode : {TDurationMode::FirstCycle, TDurationMode::Duration, TDurationMode::Visual}) {
            for (const TWalkStep& step : steps) {
                TExampleOptions options;
                options.duration = mode;
                options.maxDist = 40.0;
                const Cycles p = CollectPositives(strategy, step.node, step.final, options);
                Cycles own;
                CollectCycles(nullptr, step.node, own, mode, !step.final);
                Cycles want;
                CollectCycles(&strategy, step.node, want, mode, !step.final);
                EXPECT_EQ(p, want);
                ASSERT_FALSE(p.empty());
                Cycles sets[3];
                for (int source = 0; source < 3; ++source) {
                    options.source = static_cast<TNegativeSource>(source);
                    Cycles& n = sets[source];
                    n = CollectNegatives(context, step.node, step.walk, step.final, options);
                    RemoveCycles(n, p);
                    for (const int c : n)
                        EXPECT_FALSE(Holds(p, c)) << c;
                    for (const int c : own)
                        EXPECT_EQ(Holds(n, c), !Holds(p, c)) << c;  // own cycles off the strategy stay
                    EXPECT_EQ(std::set<int>(n.begin(), n.end()).size(), n.size());
                }
                // Similar: exactly the other chain's node on that chain.
                Cycles similar = own;
                CollectCycles(&chains[1], WalkNode(chains[1], step.walk), similar, mode, !step.final);
                RemoveCycles(similar, p);
                EXPECT_EQ(sets[0], similar);
                // All: every node's cycles, own first, the others in index order.
                Cycles all = own;
                for (int j = 0; j < graph.NodeCount(); ++j)
                    if (graph.GetNode(j) != step.node)
                        CollectCycles(nullptr, graph.GetNode(j), all, mode, !step.final);
                RemoveCycles(all, p);
                EXPECT_EQ(sets[2], all);
                // Near: some of them, and fewer than all here.
                for (const int c : sets[1])
                    EXPECT_TRUE(Holds(all, c)) << c;
                EXPECT_LT(sets[1].size(), sets[2].size());
                // Sampling half the negatives again from the same seed gives the same set.
                Cycles a = sets[2], b = sets[2];
                platform::SeedRandom(11);
                SampleCycles(a, 0.5);
                platform::SeedRandom(11);
                SampleCycles(b, 0.5);
                EXPECT_EQ(a, b);
                EXPECT_EQ(a.size(), sets[2].size() - sets[2].size() / 2);
            }
        }

        // Every weighting of the first node against the definition, on every 41st feature.
        const TWalkStep& step = steps[0];
        TExampleOptions exampleOptions;
        const Cycles p = CollectPositives(strategy, step.node, false, exampleOptions);
        const Cycles n = CollectNegatives(context, step.node, step.walk, false, exampleOptions);
        const std::vector<int> pf = CountBits(features, p);
        for (int w = 0; w < 4; ++w) {
            TFeatureOptions options;
            options.weighting = static_cast<TFeatureWeighting>(w);
            options.duration = TDurationMode::Duration;
            options.L = 1.5;
            const TWeighResult r =
                WeighFeatures(features, *log, graph, step.node, p, n, options, context.distance);
            EXPECT_EQ(r.kept, features.GetNumFeatures());
            std::set<std::string> names;
            for (int f = 0; f < features.GetNumFeatures(); ++f)
                names.insert(features.GetName(f));
            EXPECT_EQ(static_cast<int>(names.size()), features.GetNumFeatures());
            for (int f = 0; f < features.GetNumFeatures(); f += 41) {
                double want = kNoWeight;
                if (w == 0 || w == 2) {
                    const double s = ReferenceSum(graph, features, f, options.duration, step.node,
                                                  context.distance, options.L, w == 2);
                    if (s > 0.0)
                        want = w == 0 ? pf[f] * std::log2(s) : pf[f] * s;
                } else if (w == 1) {
                    if (features.GetCount(f) > 0)
                        want = pf[f] * std::log2(static_cast<double>(log->cycles) / features.GetCount(f));
                } else {
                    want = 100.0;
                }
                EXPECT_NEAR(features.GetValue(f), want, 1e-9 * std::max(1.0, std::fabs(want))) << w << " " << f;
            }
        }
        graph.Clear();
    }
    FreeConceptHierarchies();
}
