#include "actiongraph/model/Distances.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/GraphBuilder.h"
#include "actiongraph/GraphRenderer.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/load/LoadLog.h"
#include "core/learning/Features.h"
#include "core/model/Common.h"
#include "core/model/RoboCupFile.h"

#include "support/TestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using Pairs = std::vector<std::pair<int, int>>;

Pairs PairsOf(TDistances& d)
{
    Pairs out;
    for (const TDistances::Entry& e : d.Sorted())
        out.emplace_back(e.first, e.second);
    return out;
}

std::vector<double> DistancesOf(TDistances& d)
{
    std::vector<double> out;
    for (const TDistances::Entry& e : d.Sorted())
        out.push_back(e.distance);
    return out;
}

class Distances : public ::testing::Test {
protected:
    void SetUp() override { CreateConceptHierarchies(); }
    void TearDown() override { FreeConceptHierarchies(); }

    // A node at (x, y) standing for the action in the role.
    TNode* Node(ConceptObject* role, ConceptObject* action, double x, double y)
    {
        TNode* node = graph.GetNode(graph.AddNode(ConceptObject::GetPathName(role) + ":" +
                                                  ConceptObject::GetPathName(action)));
        node->SetData(std::make_unique<TNodeConcepts>(TNodeConcepts{action, role}));
        node->SetX(x);
        node->SetY(y);
        return node;
    }
    // A connection a -> b with one occurrence per start cycle.
    TConnection* Connect(TNode* a, TNode* b, std::vector<int> starts, int duration = 1, int otherLength = 1)
    {
        TConnection* c = graph.AddConnection(a->GetName(), a, b);
        for (int s : starts)
            c->AddData(TConnectionData{s, duration, 1, 1, otherLength, -1});
        return c;
    }

    InTempDir dir_{"distances"};
    TGraph graph;
    const TDistanceWeights defaults{1.0, 30.0, 30.0, 0.0};
};

class Recorder : public TJoinHooks {
public:
    void Status(const std::string& text) override { texts.push_back(text); }
    void LightRedraw() override { ++redraws; }
    std::vector<std::string> texts;
    int redraws = 0;
};

// Each join as "<first> <second> <distance>": the positions the two merged
// nodes had and the distance the status line told.
class JoinRecorder : public Recorder {
public:
    explicit JoinRecorder(TGraph& graph) : graph_(graph) {}
    void Place(TNode* node) override
    {
        for (std::size_t i = 0; node != nullptr && i < before_.size(); ++i)
            lines += graph_.IndexOfNode(before_[i]) < 0 ? std::to_string(i) + " " : "";
        if (node != nullptr)  // told "Joining vertices with dist 1.0000. Graph size ..."
            lines += texts.back().substr(27, texts.back().find(". Graph") - 27) + "\n";
        before_.clear();
        for (int i = 0; i < graph_.NodeCount(); ++i)
            before_.push_back(graph_.GetNode(i));
    }
    std::string lines;
    TGraph& graph_;
    std::vector<const TNode*> before_;
};

}  // namespace

TEST_F(Distances, ZeroWeightsOnlySeparateEndNodes)
{
    TNode* a = Node(coLFW[0], coLongDribble, 0, 0);
    TNode* b = Node(coRFB[1], coPass, 40, 20);
    TNode* end = Node(coGK[0], coTackle, 5, 5);
    TNode* end2 = Node(coST[1], coKick, -30, 7);
    Connect(a, b, {1});
    Connect(b, a, {2});
    const TDistanceWeights zero;
    EXPECT_EQ(NodeDistance(*a, *b, zero, nullptr), 0.0);
    EXPECT_EQ(NodeDistance(*end, *end2, zero, nullptr), 0.0);
    EXPECT_EQ(NodeDistance(*a, *end, zero, nullptr), 99999.0);
    EXPECT_EQ(NodeDistance(*end, *b, zero, nullptr), 99999.0);
    // Two end nodes are compared like any others.
    EXPECT_NEAR(NodeDistance(*end, *end2, defaults, nullptr),
                PointDistance(5, 5, -30, 7) + 30 * ConceptObject::Distance(coTackle, coKick, 1.0) +
                    30 * ConceptObject::Distance(coGK[0], coST[1], 1.0),
                1e-9);
}

TEST_F(Distances, WorkedDistancesWithTheDefaultWeights)
{
    struct Case {
        ConceptObject *roleA, *actionA;
        double xa, ya;
        ConceptObject *roleB, *actionB;
        double xb, yb;
        double want;
    } cases[] = {
        {coLFW[0], coPass, 0, 0, coLFW[0], coPass, 3, 4, 5.0},
        {coLFW[0], coLongDribble, 0, 0, coLFW[0], coSpeedDribble, 1, 0, 12.0},
        {coLFW[0], coPass, 10, 10, coRFW[0], coPass, 10, 10, 9.285714},
        {coLCFW[0], coPass, 10, 10, coCFW[0], coPass, 10, 10, 4.642857},
    };
    for (const Case& c : cases) {
        TNode* a = Node(c.roleA, c.actionA, c.xa, c.ya);
        TNode* b = Node(c.roleB, c.actionB, c.xb, c.yb);
        EXPECT_NEAR(NodeDistance(*a, *b, defaults, nullptr), c.want, 1e-6) << a->GetName() << " / " << b->GetName();
    }
}

TEST_F(Distances, FeatureTermCountsTheNodesCycles)
{
    FeatureList features;
    features.Allocate(2, 40);
    features.SetBit(0, 10);
    features.SetBit(0, 20);
    features.SetBit(1, 20);
    features.SetBit(1, 30);  // only reached through b's incoming occurrence

    TNode* a = Node(coLFW[0], coPass, 0, 0);
    TNode* b = Node(coLFW[0], coPass, 0, 0);
    TNode* c = Node(coLFW[0], coPass, 0, 0);  // no outgoing connection
    TNode* d = Node(coLFW[0], coPass, 0, 0);  // no connection at all
    Connect(a, c, {10}, 2);                   // cycles 10, 11
    Connect(b, c, {20});                      // cycle 20

    const TDistanceWeights feat{0, 0, 0, 10.0};
    EXPECT_NEAR(NodeDistance(*a, *b, feat, &features), 7.5, 1e-12);
    TFeatureCache cache(&features);
    EXPECT_NEAR(NodeDistance(*a, *b, feat, &features, &cache), 7.5, 1e-12);
    EXPECT_NEAR(NodeDistance(*b, *a, feat, &features, &cache), 7.5, 1e-12);

    // c counts the other player's last cycle of its incoming occurrences:
    // 10 + 1 - 1 and 20 + 1 - 1 -> rates (1, 0.5).
    const TFeatureCounts counts = CountNodeFeatures(*c, features);
    EXPECT_EQ(counts.cycles, 2);
    EXPECT_EQ(counts.counts, (std::vector<int>{2, 1}));
    EXPECT_NEAR(NodeDistance(*c, *d, feat, &features), 10.0, 1e-12);  // d counts nothing: F = 1
    EXPECT_NEAR(NodeDistance(*d, *c, feat, &features), 10.0, 1e-12);  // either way round

    FeatureList none;
    none.Allocate(0, 40);
    EXPECT_EQ(NodeDistance(*a, *b, feat, &none), 0.0);
}

TEST(DistancesArray, AddSortAndRemoveTouching)
{
    TDistances d(2);
    EXPECT_FALSE(d.First());
    const Pairs added = {{0, 1}, {1, 2}, {2, 3}, {0, 3}, {3, 4}};
    for (size_t k = 0; k < added.size(); ++k)
        EXPECT_TRUE(d.Add(added[k].first, added[k].second, 1.0 + k) && static_cast<int>(d.Sorted().size()) == static_cast<int>(k) + 1) << k;
    d.RemoveTouching();
    EXPECT_EQ(PairsOf(d), (Pairs{{0, 1}, {1, 2}}));  // were (2, 3) and (3, 4)
    EXPECT_EQ(DistancesOf(d), (std::vector<double>{3.0, 5.0}));

    // Positions between and above the pair: x > q goes down by two, p < x < q by one.
    TDistances e(4);
    e.Add(2, 5, 0.5);
    e.Add(0, 1, 1.0);
    e.Add(3, 4, 1.0);
    e.Add(1, 6, 1.0);
    e.Add(4, 5, 1.0);
    e.RemoveTouching();
    EXPECT_EQ(PairsOf(e), (Pairs{{0, 1}, {2, 3}, {1, 4}}));

    // Sorting puts the smaller distance first, whichever was added first.
    TDistances f(2);
    f.Add(0, 1, 2.0);
    f.Add(3, 4, 1.0);
    f.Add(5, 6, 2.0);
    f.Sort();
    EXPECT_EQ(PairsOf(f), (Pairs{{3, 4}, {0, 1}, {5, 6}}));
}

TEST(DistancesArray, SortKeepsEqualDistancesInAddedOrder)
{
    TDistances d(3);
    Pairs want;
    for (int i = 0; i < 200; ++i) {
        d.Add(i, i + 1000, static_cast<double>((i * 7) % 5));
    }
    d.Sort();
    for (int v = 0; v < 5; ++v)
        for (int i = 0; i < 200; ++i)
            if ((i * 7) % 5 == v)
                want.emplace_back(i, i + 1000);
    EXPECT_EQ(PairsOf(d), want);
}

TEST(DistancesArray, SortedInsertAgainstBruteForce)
{
    std::mt19937 random(5);
    for (int round = 0; round < 300; ++round) {
        TDistances d(1 + round % 4);
        std::vector<std::pair<double, int>> model;  // distance, tag
        const int n = static_cast<int>(random() % 12);
        for (int k = 0; k < n; ++k) {
            const double v = static_cast<double>(random() % 6);
            const int tag = k;
            // The rule: in front of the first or second entry when equal to
            // them, else after every entry of equal distance.
            size_t place;
            if (model.empty() || v >= model.back().first)
                place = model.size();
            else if (v <= model[0].first)
                place = 0;
            else if (v <= model[1].first)
                place = 1;
            else
                place = static_cast<size_t>(
                    std::upper_bound(model.begin(), model.end(), v,
                                     [](double x, const std::pair<double, int>& e) { return x < e.first; }) -
                    model.begin());
            model.insert(model.begin() + static_cast<long>(place), {v, tag});
            ASSERT_TRUE(d.InsertSorted(tag, tag + 100, v) && static_cast<int>(d.Sorted().size()) == k + 1);
        }
        ASSERT_EQ(static_cast<int>(d.Sorted().size()), n);
        const std::vector<TDistances::Entry> entries = d.Sorted();
        for (int k = 0; k < n; ++k) {
            EXPECT_EQ(entries[static_cast<size_t>(k)].distance, model[static_cast<size_t>(k)].first) << round;
            EXPECT_EQ(entries[static_cast<size_t>(k)].first, model[static_cast<size_t>(k)].second) << round;
        }
        const std::vector<double> sorted = DistancesOf(d);
        EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end()));
    }
    // The worked ties: equal to the first goes in front, equal to a later one after it.
    TDistances t(2);
    t.InsertSorted(0, 1, 1.0);
    t.InsertSorted(0, 2, 2.0);
    t.InsertSorted(0, 3, 3.0);
    t.InsertSorted(0, 4, 4.0);
    t.InsertSorted(1, 2, 1.0);
    t.InsertSorted(1, 3, 3.0);
    EXPECT_EQ(PairsOf(t), (Pairs{{1, 2}, {0, 1}, {0, 2}, {0, 3}, {1, 3}, {0, 4}}));
    // The pairs of nodes that left, still in the tree, never decide a place.
    TDistances g(2);
    const std::tuple<int, int, double> stored[] = {{0, 1, 0.5}, {2, 3, 1.0}, {1, 4, 1.5}, {2, 4, 2.0}, {0, 5, 9.0}};
    for (const auto& [p, q, v] : stored)
        g.InsertSorted(p, q, v);
    g.RemoveTouching();         // (1, 4) and (0, 5) are left; 2 .. 5 are now 0 .. 3
    g.InsertSorted(1, 3, 2.0);  // equal to the last, (0, 2): after it
    g.InsertSorted(0, 3, 3.0);
    g.InsertSorted(1, 2, 2.0);  // equal to the second, (0, 2): in front of it
    EXPECT_EQ(PairsOf(g), (Pairs{{0, 1}, {1, 2}, {0, 2}, {1, 3}, {0, 3}}));
}

TEST_F(Distances, JoinsMergeNearNodesUnderTheirCommonAncestors)
{
    TNode* target = Node(coGK[1], coTackle, -40, 0);
    TNode* longDribble = Node(coLFW[0], coLongDribble, 0, 0);
    TNode* speedDribble = Node(coLFW[0], coSpeedDribble, 1, 0);
    TNode* far = Node(coLFW[0], coLongDribble, 30, 0);
    Connect(longDribble, target, {10, 20});
    Connect(speedDribble, target, {30});
    Connect(far, target, {40});
    Connect(target, far, {50});

    Recorder hooks;
    // 12.0 apart: a value of 11.9 joins nothing, 12.0001 joins the two dribbles.
    EXPECT_EQ(JoinNearestNodes(graph, defaults, nullptr, 11.9, {}, hooks), 0);
    EXPECT_EQ(graph.NodeCount(), 4);
    EXPECT_EQ(JoinNearestNodes(graph, defaults, nullptr, 12.0001, {}, hooks), 1);
    ASSERT_EQ(graph.NodeCount(), 3);
    TNode* joined = graph.GetNode(2);
    EXPECT_EQ(joined->GetName(), "LTeam.L-FW:Movement-on-the-ball");
    EXPECT_EQ(joined->Data()->action, coMovementOnTheBall);
    EXPECT_EQ(joined->Data()->role, coLFW[0]);
    ASSERT_EQ(joined->OutList().size(), 1u);
    EXPECT_EQ(joined->OutList()[0]->Weight(), 3);  // 2 + 1 occurrences
    EXPECT_EQ(joined->OutList()[0]->To(), target);
    EXPECT_EQ(graph.GetNode(0), target);
    EXPECT_EQ(graph.GetNode(1), far);
    EXPECT_EQ(hooks.texts.back(), "Joining vertices with dist 12.0000. Graph size 4 nodes.");
    EXPECT_EQ(hooks.texts.front(), "Computing distances 0.0 %");

    // Different roles: the role ancestor names the node.
    graph.Clear();
    TNode* end = Node(coGK[1], coTackle, 0, 0);
    TNode* left = Node(coLFW[0], coPass, 0, 0);
    TNode* right = Node(coRFW[0], coPass, 0, 0);
    Connect(left, end, {1});
    Connect(right, end, {2});
    EXPECT_EQ(JoinNearestNodes(graph, defaults, nullptr, 10.0, {}, hooks), 1);
    EXPECT_EQ(graph.GetNode(1)->GetName(),
              ConceptObject::GetPathName(ConceptObject::CommonAncestor(coLFW[0], coRFW[0])) + ":Pass");
    EXPECT_EQ(graph.GetNode(1)->Data()->role, ConceptObject::CommonAncestor(coLFW[0], coRFW[0]));
    EXPECT_NE(graph.GetNode(1)->Data()->role, coLFW[0]);
}

TEST_F(Distances, EqualPairsJoinInTheOrderTheyWereFound)
{
    // a-b and c-d both 1.0 apart, c-d found second; the end node e is far off.
    TNode* e = Node(coGK[1], coTackle, -50, 0);
    TNode* a = Node(coLFW[0], coPass, 0, 0);
    TNode* b = Node(coLFW[0], coPass, 1, 0);
    TNode* c = Node(coLFW[0], coPass, 10, 0);
    TNode* d = Node(coLFW[0], coPass, 11, 0);
    for (TNode* n : {a, b, c, d})
        Connect(n, e, {1});
    a->SetName("a");
    b->SetName("b");
    c->SetName("c");
    d->SetName("d");
    Recorder hooks;
    EXPECT_EQ(JoinNearestNodes(graph, defaults, nullptr, 1.0, {}, hooks), 2);
    ASSERT_EQ(graph.NodeCount(), 3);
    EXPECT_EQ(graph.GetNode(0), e);
    EXPECT_EQ(graph.GetNode(1)->GetX(), 0.5);  // a-b first
    EXPECT_EQ(graph.GetNode(2)->GetX(), 10.5);
    EXPECT_EQ(graph.GetNode(1)->GetName(), "LTeam.L-FW:Pass");
    // The end node joins only at 99999.
    EXPECT_EQ(JoinNearestNodes(graph, defaults, nullptr, 99998.0, {}, hooks), 1);
    EXPECT_EQ(graph.NodeCount(), 2);
    EXPECT_EQ(JoinNearestNodes(graph, defaults, nullptr, 99999.0, {}, hooks), 1);
    EXPECT_EQ(graph.NodeCount(), 1);
    // Value 0 stores nothing.
    EXPECT_EQ(JoinNearestNodes(graph, TDistanceWeights{}, nullptr, 0.0, {}, hooks), 0);
}

// The order in which "Join" merges pairs, against a list recorded once: a grid
// of look-alike nodes whose distances tie everywhere, and the left team's graph
// of the full match weighed by its concepts alone, where most distances are
// equal. Which of two equal pairs goes first decides every later node.
TEST_F(Distances, PairsJoinInTheRecordedOrder)
{
    // 6 x 6 passes a metre apart, each to its own end node, 99999 from every pass.
    for (int k = 0; k < 36; ++k) {
        TNode* from = Node(coLFW[0], coPass, k % 6, k / 6);
        Connect(from, Node(coLFW[0], coPass, (k * 7) % 4, (k * 5) % 3), {k});
    }
    JoinRecorder grid(graph);
    ASSERT_EQ(JoinNearestNodes(graph, defaults, nullptr, 100000.0, {}, grid), 71);

    auto log = LoadLog(GunzippedTestFile("match-full-HELIOS_A_4-vs-HELIOS_B_2.rcg"), true);
    ASSERT_TRUE(log);
    TObjectChoice left{};
    std::fill(left.begin() + 1, left.begin() + 12, true);
    BuildActionGraph(*log, left, {}, graph);
    RemoveNodesWithDegreeBelow(graph, 1);
    const int nodes = graph.NodeCount();
    JoinRecorder match(graph);
    ASSERT_EQ(JoinNearestNodes(graph, {0.0, 30.0, 30.0, 0.0}, nullptr, 100000.0, {}, match), nodes - 1);
    EXPECT_EQ("# grid\n" + grid.lines + "# full match, left team\n" + match.lines,
              ReadBytes(TestDataPath("golden/join-order.txt")));
}

TEST_F(Distances, LightRedrawEveryTwentyFiveNodes)
{
    TNode* end = Node(coGK[1], coTackle, 0, 0);
    for (int i = 0; i < 30; ++i)
        Connect(Node(coLFW[0], coPass, i * 0.1, 0), end, {i});
    Recorder hooks;
    // 31 nodes join down to 2: passing 25 redraws once.
    EXPECT_EQ(JoinNearestNodes(graph, defaults, nullptr, 5.0, {}, hooks), 29);
    EXPECT_EQ(graph.NodeCount(), 2);
    EXPECT_EQ(hooks.redraws, 1);
    EXPECT_EQ(graph.GetNode(1)->OutList()[0]->Weight(), 30);
}

// Offers at the given milliseconds after the join began, and which of them draw
// when a picture may come every 100 ms.
TEST(RedrawPacer, DrawsAnOfferOnlyWhenTheIntervalHasPassedSinceTheLastPicture)
{
    using std::chrono::milliseconds;
    const struct {
        std::vector<int> offers;
        std::vector<bool> drawn;
    } cases[] = {
        {{10, 50, 99}, {false, false, false}},     // a quick join shows no picture of its own
        {{100, 150, 199, 200}, {true, false, false, true}},
        {{30, 130, 229, 231}, {false, true, false, true}},  // counted from the last drawn, not offered
        {{500, 500, 650}, {true, false, true}},
    };
    const TRedrawPacer::Clock::time_point start{};
    for (const auto& c : cases) {
        TRedrawPacer pacer(start, milliseconds(100));
        std::vector<bool> drawn;
        for (int at : c.offers)
            drawn.push_back(pacer.Due(start + milliseconds(at)));
        EXPECT_EQ(drawn, c.drawn) << "first offer at " << c.offers.front() << " ms";
    }
}

TEST_F(Distances, ARealMatchJoinsUntilNoPairIsWithinTheValue)
{
    auto log = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), true);
    ASSERT_TRUE(log);
    TObjectChoice all;
    all.fill(true);
    BuildActionGraph(*log, all, {}, graph);
    const int before = graph.NodeCount();
    ASSERT_GT(before, 10);
    int occurrences = 0;
    for (int i = 0; i < graph.ConnectionCount(); ++i)
        occurrences += graph.GetConnection(i)->Weight();

    class Placing : public TJoinHooks {
    public:
        Placing(TGraph& g, const RoboCupFileT& log) : graph(g), tracks(log) {}
        void Place(TNode* node) override { PlaceNodes(graph, tracks, nullptr, node); }
        TGraph& graph;
        TObjectTracks tracks;
    } hooks(graph, *log);
    const TDistanceWeights weights{1.0, 30.0, 30.0, 2.0};
    const double value = 20.0;
    const int joins = JoinNearestNodes(graph, weights, log->features.get(), value, {}, hooks);
    EXPECT_GT(joins, 0);
    EXPECT_EQ(graph.NodeCount(), before - joins);
    int after = 0;
    for (int i = 0; i < graph.ConnectionCount(); ++i)
        after += graph.GetConnection(i)->Weight();
    EXPECT_EQ(after, occurrences);
    for (int i = 0; i < graph.NodeCount(); ++i)
        for (int j = i + 1; j < graph.NodeCount(); ++j)
            ASSERT_GT(NodeDistance(*graph.GetNode(i), *graph.GetNode(j), weights, log->features.get()), value)
                << graph.GetNode(i)->GetName() << " / " << graph.GetNode(j)->GetName();
}

TEST(DistancesText, NumbersAndHelpers)
{
    EXPECT_EQ(StrToFloatDot(" 2.5 "), 2.5);
    EXPECT_EQ(StrToFloatDot("1e2"), 100.0);
    EXPECT_EQ(StrToFloatDot("-3"), -3.0);
    for (const char* bad : {"", "2,5", "abc", "1.5x", "nan", "inf"})
        EXPECT_THROW(StrToFloatDot(bad), EConvertError) << bad;
    try {
        StrToFloatDot(" 2,5");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'2,5' is not a valid floating point value");
    }

    FeatureList f;
    f.Allocate(4, 1);
    f.SetValue(0, 1.0);
    f.SetValue(1, 3.0);
    f.SetValue(2, 1.0);
    f.SetValue(3, -2.0);
    EXPECT_EQ(CompareFeatureByValue(f, 0, 1), 1);
    EXPECT_EQ(CompareFeatureByValue(f, 1, 0), -1);
    EXPECT_EQ(CompareFeatureByValue(f, 0, 2), 0);
    std::vector<int> order = {0, 1, 2, 3};
    std::stable_sort(order.begin(), order.end(), [&](int x, int y) { return CompareFeatureByValue(f, x, y) < 0; });
    EXPECT_EQ(order, (std::vector<int>{1, 0, 2, 3}));

    std::vector<std::string> texts = {"a", "b"};
    EXPECT_EQ(IndexOfTextAppend(texts, "b"), 1);
    EXPECT_EQ(IndexOfTextAppend(texts, "c"), 2);
    EXPECT_EQ(IndexOfTextAppend(texts, "a"), 0);
    EXPECT_EQ(texts, (std::vector<std::string>{"a", "b", "c"}));
}
