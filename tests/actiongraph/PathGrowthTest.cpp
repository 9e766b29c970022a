#include "actiongraph/model/PathGrowth.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/GraphBuilder.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/load/LoadLog.h"
#include "core/model/RoboCupFile.h"

#include "support/TestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

// The short real match's graph of every object, loaded once.
class RealGraph : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CreateConceptHierarchies();
        log_ = LoadLog(GunzippedTestFile("match-full-HELIOS_A_4-vs-HELIOS_B_2.rcg"), true).release();
    }
    static void TearDownTestSuite()
    {
        delete log_;
        log_ = nullptr;
        FreeConceptHierarchies();
    }
    void SetUp() override
    {
        ASSERT_NE(log_, nullptr);
        TObjectChoice all{};
        all[0] = true;
        BuildActionGraph(*log_, all, {}, g);
        RemoveNodesWithDegreeBelow(g, 1);
        ASSERT_GT(g.NodeCount(), 20);
    }

    static RoboCupFileT* log_;
    TGraph g;
};
RoboCupFileT* RealGraph::log_ = nullptr;

// The growth as first written: every route walked, no visited set. The oracle
// for small depths.
void GrowAlongEveryRoute(TNode* node, int d, std::set<const TNode*>& kept)
{
    kept.insert(node);
    if (d > 0)
        for (TConnection* c : node->OutList())
            GrowAlongEveryRoute(c->To(), d - 1, kept);
    if (d < 0)
        for (TConnection* c : node->InList())
            GrowAlongEveryRoute(c->From(), d + 1, kept);
}

// Reachability without a bound, by repeating one step until nothing is added.
std::set<const TNode*> Closure(TNode* start, bool forward)
{
    std::set<const TNode*> kept{start};
    for (bool grew = true; grew;) {
        grew = false;
        for (const TNode* n : std::vector<const TNode*>(kept.begin(), kept.end()))
            for (const TConnection* c : forward ? n->OutList() : n->InList())
                grew |= kept.insert(forward ? c->To() : c->From()).second;
    }
    return kept;
}

std::set<const TNode*> Marked(const TGraph& g)
{
    std::set<const TNode*> marked;
    for (int i = 0; i < g.NodeCount(); ++i)
        if (g.GetNode(i)->GetMark() == 1)
            marked.insert(g.GetNode(i));
        else
            EXPECT_EQ(g.GetNode(i)->GetMark(), 0);
    return marked;
}

TEST_F(RealGraph, GrowKeepsWhatEveryRouteReaches)
{
    int checked = 0;
    for (int i = 0; i < g.NodeCount(); i += 7) {
        TNode* start = g.GetNode(i);
        for (const int depth : {-4, -3, -2, -1, 0, 1, 2, 3, 4}) {
            std::set<const TNode*> expected;
            GrowAlongEveryRoute(start, depth, expected);
            MarkGrowth(g, start, depth);
            ASSERT_EQ(Marked(g), expected) << "node " << i << " depth " << depth;
            ++checked;
        }
    }
    EXPECT_GT(checked, 20);
}

// Nodes of equal names merged: a joined graph of hubs and cycles, where
// walking every route would never end.
void MergeEqualNames(TGraph& g)
{
    for (bool merged = true; merged;) {
        merged = false;
        std::map<std::string, TNode*> first;
        for (int i = 0; i < g.NodeCount() && !merged; ++i) {
            TNode* n = g.GetNode(i);
            auto [at, fresh] = first.emplace(n->GetName(), n);
            if (!fresh) {
                g.MergeNodes(at->second, n);
                merged = true;
            }
        }
    }
}

TEST_F(RealGraph, AHugeDepthKeepsAllThatIsReachableAtOnce)
{
    MergeEqualNames(g);
    std::size_t widest = 0;
    TNode* start = nullptr;
    for (int i = 0; i < g.NodeCount(); ++i) {
        TNode* node = g.GetNode(i);
        for (const bool forward : {true, false}) {
            MarkGrowth(g, node, forward ? 100000 : -100000);
            const std::set<const TNode*> reach = Closure(node, forward);
            ASSERT_EQ(Marked(g), reach) << i;
            if (forward && reach.size() > widest) {
                widest = reach.size();
                start = node;
            }
        }
    }
    ASSERT_GT(widest, 10u) << g.NodeCount();
    const int nodes = g.NodeCount();
    EXPECT_EQ(GrowGraph(g, start, 100000), nodes - static_cast<int>(widest));
    ASSERT_EQ(g.NodeCount(), static_cast<int>(widest));
    for (int i = 0; i < g.NodeCount(); ++i)
        for (const TConnection* c : g.GetNode(i)->OutList())
            EXPECT_GE(g.IndexOfNode(c->To()), 0);  // no connection to a removed node
}

TEST(PathGrowth, DepthsOnAChainAndItsSelfLoop)
{
    // n0 -> n1 -> ... -> n9, a self-loop on n3 and a back edge n5 -> n2.
    TGraph g;
    for (int i = 0; i < 10; ++i)
        g.AddNode("n" + std::to_string(i));
    for (int i = 0; i + 1 < 10; ++i)
        g.AddConnectionByIndex("c", i, i + 1);
    g.AddConnectionByIndex("loop", 3, 3);
    g.AddConnectionByIndex("back", 5, 2);
    struct Case {
        int start, depth;
        std::vector<std::string> kept;
    };
    const std::vector<Case> cases = {
        {3, 0, {"n3"}},
        {3, 1, {"n3", "n4"}},
        {3, -1, {"n2", "n3"}},
        {3, 2, {"n3", "n4", "n5"}},
        {3, 3, {"n2", "n3", "n4", "n5", "n6"}},
        {2, -2, {"n1", "n2", "n0", "n5", "n4"}},
        {0, 100000, {"n0", "n1", "n2", "n3", "n4", "n5", "n6", "n7", "n8", "n9"}},
        {9, 1, {"n9"}},
    };
    for (const Case& c : cases) {
        TGraph copy;
        for (int i = 0; i < g.NodeCount(); ++i)
            copy.AddNode(g.GetNode(i)->GetName());
        for (int i = 0; i < g.ConnectionCount(); ++i) {
            const TConnection* k = g.GetConnection(i);
            copy.AddConnectionByIndex(k->GetName(), g.IndexOfNode(k->From()), g.IndexOfNode(k->To()));
        }
        GrowGraph(copy, copy.GetNode(c.start), c.depth);
        std::vector<std::string> names;
        for (int i = 0; i < copy.NodeCount(); ++i)
            names.push_back(copy.GetNode(i)->GetName());
        std::vector<std::string> expected = c.kept;
        std::sort(expected.begin(), expected.end());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, expected) << "start n" << c.start << " depth " << c.depth;
    }
}

// Connections with occurrences (start, duration).
struct TimedGraph {
    TGraph g;
    TConnection* Add(int from, int to, std::vector<std::pair<int, int>> occurrences)
    {
        while (g.NodeCount() <= std::max(from, to))
            g.AddNode("N" + std::to_string(g.NodeCount()));
        TConnection* c = g.AddConnectionByIndex("c", from, to);
        for (auto [s, d] : occurrences)
            c->AddData(TConnectionData{s, d, 1, 1, d, -1});
        return c;
    }
    std::vector<std::string> Left() const
    {
        std::vector<std::string> left;
        for (int i = 0; i < g.ConnectionCount(); ++i) {
            const TConnection* c = g.GetConnection(i);
            left.push_back(c->From()->GetName() + ">" + c->To()->GetName());
        }
        return left;
    }
};

TEST(PathGrowth, HistoryAndFutureWindowsAroundCycles)
{
    struct Case {
        std::vector<int> cycles;
        int span;
        TTimeSide side;
        std::vector<std::string> left;
    };
    // N0>N1 covers 100..104, N1>N2 covers 110, N2>N3 covers 120..121 and 90,
    // N3>N0 has only an empty occurrence, N1>N1 covers 200..299.
    const std::vector<Case> cases = {
        {{}, 0, TTimeSide::History, {"N0>N1", "N1>N2", "N2>N3", "N3>N0", "N1>N1"}},
        {{110}, 0, TTimeSide::History, {"N1>N2"}},
        {{104, 121}, 0, TTimeSide::Future, {"N0>N1", "N2>N3"}},
        {{115}, 5, TTimeSide::History, {"N1>N2"}},
        {{115}, 4, TTimeSide::History, {}},
        {{115}, 5, TTimeSide::Future, {"N2>N3"}},
        {{115}, 4, TTimeSide::Future, {}},
        {{89}, 1, TTimeSide::Future, {"N2>N3"}},
        {{300}, 1, TTimeSide::History, {"N1>N1"}},
        {{300}, 100, TTimeSide::Future, {}},
        {{106, 94}, 10, TTimeSide::Future, {"N0>N1", "N1>N2"}},
    };
    for (const Case& c : cases) {
        TimedGraph t;
        t.Add(0, 1, {{100, 5}});
        t.Add(1, 2, {{110, 1}});
        t.Add(2, 3, {{120, 2}, {90, 1}});
        t.g.AddConnectionByIndex("c", 3, 0)->AddData(nullptr);
        t.Add(1, 1, {{200, 100}, {250, 0}});
        const int removed = KeepConnectionsNearCycles(t.g, c.cycles, c.span, c.side);
        EXPECT_EQ(t.Left(), c.left) << "first cycle " << (c.cycles.empty() ? -1 : c.cycles[0]) << " span " << c.span;
        EXPECT_EQ(removed, 5 - static_cast<int>(c.left.size()));
        EXPECT_EQ(t.g.NodeCount(), 4);  // nodes stay
    }
}

TEST(PathGrowth, CyclesOfTheSelectedNodeOrTheFilter)
{
    TimedGraph t;
    t.Add(0, 1, {{100, 3}});
    t.Add(1, 2, {{110, 1}});
    t.Add(2, 0, {{120, 2}});
    t.g.GetNode(0)->SetName("L-FW:Pass");
    t.g.GetNode(1)->SetName("L-FW:Dribble");
    t.g.GetNode(2)->SetName("R-FW:Pass");
    EXPECT_EQ(CollectOutgoingCycles(t.g, t.g.GetNode(1), "Pass"), (std::vector<int>{110}));
    EXPECT_EQ(CollectOutgoingCycles(t.g, nullptr, "Pass"), (std::vector<int>{100, 101, 102, 120, 121}));
    EXPECT_EQ(CollectOutgoingCycles(t.g, nullptr, "L-FW"), (std::vector<int>{100, 101, 102, 110}));
    EXPECT_TRUE(CollectOutgoingCycles(t.g, nullptr, "pass").empty());  // case counts
}

TEST_F(RealGraph, WindowsAroundMarksMatchACycleByCycleCheck)
{
    std::mt19937 random(7);
    for (const TTimeSide side : {TTimeSide::History, TTimeSide::Future}) {
        for (const int span : {0, 3, 40}) {
            TGraph h;
            TObjectChoice all{};
            all[0] = true;
            BuildActionGraph(*log_, all, {}, h);
            std::vector<int> marks;
            for (int i = 0; i < 6; ++i)
                marks.push_back(static_cast<int>(random() % static_cast<unsigned>(log_->cycles)));
            // Which connections stay, by testing every cycle against every mark.
            std::vector<const TConnection*> expected;
            for (int i = 0; i < h.ConnectionCount(); ++i) {
                const TConnection* c = h.GetConnection(i);
                bool near = false;
                for (const auto& d : c->Data())
                    for (int cycle = d ? d->start : 0; d && cycle < d->start + d->duration; ++cycle)
                        for (int e : marks)
                            near |= side == TTimeSide::History ? (e - span <= cycle && cycle <= e)
                                                               : (e <= cycle && cycle <= e + span);
                if (near)
                    expected.push_back(c);
            }
            const int nodes = h.NodeCount();
            KeepConnectionsNearCycles(h, marks, span, side);
            std::vector<const TConnection*> left;
            for (int i = 0; i < h.ConnectionCount(); ++i)
                left.push_back(h.GetConnection(i));
            EXPECT_EQ(left, expected) << "span " << span;
            EXPECT_EQ(h.NodeCount(), nodes);
            if (span == 40) {
                EXPECT_FALSE(expected.empty());
            }
        }
    }
}

TEST_F(RealGraph, RevalidateListsExactlyThePathsEndingAtTheNode)
{
    std::vector<TPathItem> all;
    const TPathSearch search(0, log_, {});
    search.FindPaths(g, 1, all);
    int withPaths = 0;
    for (int i = 0; i < g.NodeCount(); ++i) {
        TNode* node = g.GetNode(i);
        std::multiset<std::string> expected;
        for (const TPathItem& item : all)
            if (item.path->Connections().front()->To() == node)
                expected.insert(item.text);
        std::vector<TPathItem> found;
        FindPathsEndingAt(search, node, 1, found);
        std::multiset<std::string> texts;
        for (const TPathItem& item : found) {
            texts.insert(item.text);
            EXPECT_EQ(item.path->Connections().front()->To(), node);
        }
        ASSERT_EQ(texts, expected) << node->GetName();
        withPaths += !found.empty();
        if (node->InList().empty()) {
            EXPECT_TRUE(found.empty());
        }
    }
    EXPECT_GT(withPaths, 10);
}

}  // namespace
