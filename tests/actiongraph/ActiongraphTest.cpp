#include "actiongraph/model/Actiongraph.h"

#include "platform/Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <tuple>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

// One occurrence whose start cycle identifies it.
TConnectionData Occ(int start)
{
    TConnectionData d;
    d.start = start;
    return d;
}

std::vector<int> Starts(const TConnection* c)
{
    std::vector<int> starts;
    for (const auto& d : c->Data())
        starts.push_back(d ? d->start : -1);
    return starts;
}

TConnection* Connect(TGraph& g, const std::string& name, int from, int to, std::vector<int> starts)
{
    TConnection* c = g.AddConnectionByIndex(name, from, to);
    for (const int s : starts)
        c->AddData(Occ(s));
    return c;
}

// Every connection sits once in its source's out list and its target's in
// list, every listed connection is in the graph, and the cached weights are the
// sums over the lists.
void ExpectConsistent(const TGraph& g)
{
    for (int i = 0; i < g.ConnectionCount(); ++i) {
        const TConnection* c = g.GetConnection(i);
        ASSERT_GE(g.IndexOfNode(c->From()), 0);
        ASSERT_GE(g.IndexOfNode(c->To()), 0);
        EXPECT_EQ(std::count(c->From()->OutList().begin(), c->From()->OutList().end(), c), 1);
        EXPECT_EQ(std::count(c->To()->InList().begin(), c->To()->InList().end(), c), 1);
    }
    for (int i = 0; i < g.NodeCount(); ++i) {
        const TNode* n = g.GetNode(i);
        int in = 0;
        int out = 0;
        for (const TConnection* c : n->InList()) {
            EXPECT_GE(g.IndexOfConnection(c), 0);
            EXPECT_EQ(c->To(), n);
            in += c->Weight();
        }
        for (const TConnection* c : n->OutList()) {
            EXPECT_GE(g.IndexOfConnection(c), 0);
            EXPECT_EQ(c->From(), n);
            out += c->Weight();
        }
        EXPECT_EQ(n->InWeight(), in) << n->GetName();
        EXPECT_EQ(n->OutWeight(), out) << n->GetName();
    }
}

class GraphModel : public ::testing::Test {
protected:
    void SetUp() override { platform::SeedRandom(20); }
    TGraph g;
};

}  // namespace

TEST_F(GraphModel, NewNodeDefaultsAndSeededPosition)
{
    platform::SeedRandom(5);
    const int x = platform::RandomBelow(500);
    const int y = platform::RandomBelow(500);
    platform::SeedRandom(5);
    TNode* n = g.GetNode(g.AddNode("A"));
    EXPECT_EQ(n->GetX(), x);
    EXPECT_EQ(n->GetY(), y);
    EXPECT_TRUE(n->InList().empty() && n->OutList().empty());
    EXPECT_EQ(n->Data(), nullptr);
    EXPECT_EQ(n->Weight(), 0);
    EXPECT_EQ(n->GetWidth(), 10.0);
    EXPECT_EQ(n->GetHeight(), 10.0);
    EXPECT_EQ(n->GetColour(), 0xFFFFFFu);
    EXPECT_EQ(n->GetMark(), 0);
    for (int i = 0; i < 200; ++i) {
        TNode* m = g.GetNode(g.AddNode("B"));
        EXPECT_TRUE(m->GetX() >= 0 && m->GetX() < 500 && m->GetX() == static_cast<int>(m->GetX()));
        EXPECT_TRUE(m->GetY() >= 0 && m->GetY() < 500 && m->GetY() == static_cast<int>(m->GetY()));
    }
}

TEST_F(GraphModel, BadIndicesRaiseOutOfRange)
{
    g.AddNode("A");
    EXPECT_THROW(g.GetNode(1), std::out_of_range);
    EXPECT_THROW(g.GetNode(-1), std::out_of_range);
    EXPECT_THROW(g.GetConnection(0), std::out_of_range);
    EXPECT_THROW(g.AddConnectionByIndex("x", 0, 3), std::out_of_range);
    EXPECT_EQ(g.ConnectionCount(), 0);
    TNode stranger("S");
    EXPECT_EQ(g.IndexOfNode(&stranger), -1);
}

TEST_F(GraphModel, AddConnectionReturnsTheFirstParallelUnchanged)
{
    g.AddNode("A");
    g.AddNode("B");
    TConnection* first = g.AddConnectionByIndex("first", 0, 1);
    TConnection* again = g.AddConnectionByIndex("second", 0, 1);
    EXPECT_EQ(again, first);
    EXPECT_EQ(first->GetName(), "first");
    EXPECT_EQ(g.ConnectionCount(), 1);
    // The other direction is another connection.
    EXPECT_NE(g.AddConnectionByIndex("back", 1, 0), first);
    EXPECT_EQ(g.ConnectionCount(), 2);
}

TEST_F(GraphModel, RetargetingMakesParallelsAndAddConnectionFindsTheEarlierOne)
{
    for (const char* name : {"A", "B", "C"})
        g.AddNode(name);
    TConnection* ab = g.AddConnectionByIndex("ab", 0, 1);
    TConnection* ac = g.AddConnectionByIndex("ac", 0, 2);
    EXPECT_EQ(ac->SetTo(g.GetNode(1)), g.GetNode(2));
    EXPECT_EQ(g.ConnectionCount(), 2);
    EXPECT_EQ(g.GetNode(1)->InList(), (std::vector<TConnection*>{ab, ac}));
    EXPECT_TRUE(g.GetNode(2)->InList().empty());
    EXPECT_EQ(g.AddConnectionByIndex("again", 0, 1), ab);
    // Moving the source too: the parallel from B's side.
    EXPECT_EQ(ab->SetFrom(g.GetNode(2)), g.GetNode(0));
    EXPECT_EQ(g.AddConnectionByIndex("again", 0, 1), ac);
    ExpectConsistent(g);
}

TEST_F(GraphModel, CachedWeightsFollowAttachingAndOccurrences)
{
    for (const char* name : {"T", "X", "Y", "Z"})
        g.AddNode(name);
    Connect(g, "x", 1, 0, {1, 2, 3});
    TConnection* y = Connect(g, "y", 2, 0, {4, 5});
    EXPECT_EQ(g.GetNode(0)->InWeight(), 5);
    y->SetTo(g.GetNode(3));
    EXPECT_EQ(g.GetNode(0)->InWeight(), 3);
    EXPECT_EQ(g.GetNode(3)->InWeight(), 2);
    // Occurrences added after a weight was read count at once.
    y->AddData(Occ(6));
    y->AddData(nullptr);  // an empty entry counts
    EXPECT_EQ(g.GetNode(3)->InWeight(), 4);
    EXPECT_EQ(g.GetNode(2)->OutWeight(), 4);
    EXPECT_EQ(g.GetNode(2)->Weight(), 4);
    y->RemoveDataAt(0);
    EXPECT_EQ(g.GetNode(3)->InWeight(), 3);
    EXPECT_EQ(Starts(y), (std::vector<int>{5, 6, -1}));
    EXPECT_THROW(y->RemoveDataAt(3), std::out_of_range);
}

TEST_F(GraphModel, RemovalsShiftIndicesAndTakeSelfLoopsOnce)
{
    for (const char* name : {"A", "B", "C"})
        g.AddNode(name);
    Connect(g, "loop", 1, 1, {1});
    Connect(g, "ab", 0, 1, {2});
    TConnection* bc = Connect(g, "bc", 1, 2, {3});
    TConnection* ca = Connect(g, "ca", 2, 0, {4});
    g.RemoveNodeAt(1);
    EXPECT_EQ(g.NodeCount(), 2);
    EXPECT_EQ(g.GetNode(1)->GetName(), "C");
    ASSERT_EQ(g.ConnectionCount(), 1);
    EXPECT_EQ(g.GetConnection(0), ca);
    EXPECT_EQ(g.GetNode(1)->InWeight(), 0);  // bc went with B
    (void)bc;
    ExpectConsistent(g);
    // Not of this graph: nothing happens.
    TNode stranger("S");
    g.RemoveNode(&stranger);
    g.RemoveNode(nullptr);
    g.RemoveConnection(nullptr);
    EXPECT_EQ(g.NodeCount(), 2);
    g.RemoveConnectionAt(0);
    EXPECT_EQ(g.ConnectionCount(), 0);
    EXPECT_EQ(g.GetNode(0)->Weight(), 0);
    EXPECT_THROW(g.RemoveNodeAt(2), std::out_of_range);
}

TEST_F(GraphModel, ClearAndDestroyingLeaveNoDanglingEnds)
{
    for (const char* name : {"A", "B"})
        g.AddNode(name);
    Connect(g, "ab", 0, 1, {1});
    Connect(g, "bb", 1, 1, {2});
    g.GetNode(0)->SetData(std::make_unique<TNodeConcepts>());
    g.Clear();  // under the sanitizers, a connection deleted after its nodes would show here
    EXPECT_EQ(g.NodeCount(), 0);
    EXPECT_EQ(g.ConnectionCount(), 0);

    // A node deleted with a connection still attached detaches it.
    auto a = std::make_unique<TNode>("A");
    TNode b("B");
    TConnection c("ab", a.get(), &b);
    a.reset();
    EXPECT_EQ(c.From(), nullptr);
    EXPECT_EQ(c.To(), &b);
}

TEST_F(GraphModel, SetDataHandsBackThePreviousRecord)
{
    TNode* n = g.GetNode(g.AddNode("A"));
    auto first = std::make_unique<TNodeConcepts>();
    TNodeConcepts* raw = first.get();
    EXPECT_EQ(n->SetData(std::move(first)), nullptr);
    EXPECT_EQ(n->Data(), raw);
    EXPECT_EQ(n->SetData(nullptr).get(), raw);
    EXPECT_EQ(n->Data(), nullptr);
}

TEST_F(GraphModel, MergeNames)
{
    const std::vector<std::tuple<std::string, std::string, std::string>> cases{
        {"A", "A", "A"}, {"A", "B", "A-B"}, {"LTeam.L-FW:Pass", "LTeam.L-FW:Pass-END", "LTeam.L-FW:Pass-LTeam.L-FW:Pass-END"}};
    for (const auto& [a, b, merged] : cases) {
        TGraph graph;
        graph.AddNode(a);
        graph.AddNode(b);
        EXPECT_EQ(graph.GetNode(graph.JoinNodes(0, 1))->GetName(), merged);
    }
}

TEST_F(GraphModel, MergeTakesSizeColourMarkFromTheFirstAndTheMidpoint)
{
    for (const char* name : {"A", "B", "C"})
        g.AddNode(name);
    TNode* a = g.GetNode(0);
    TNode* b = g.GetNode(2);
    a->SetX(10);
    a->SetY(-4);
    b->SetX(20);
    b->SetY(5);
    a->SetWidth(3);
    a->SetHeight(7);
    a->SetColour(0x00FF00);
    a->SetMark(4);
    b->SetColour(0x0000FF);
    b->SetMark(9);
    a->SetData(std::make_unique<TNodeConcepts>());
    const int i = g.MergeNodes(a, b);
    EXPECT_EQ(i, 1);
    EXPECT_EQ(g.NodeCount(), 2);
    const TNode* n = g.GetNode(i);
    EXPECT_EQ(n->GetName(), "A-C");
    EXPECT_EQ(n->GetX(), 15.0);
    EXPECT_EQ(n->GetY(), 0.5);
    EXPECT_EQ(n->GetWidth(), 3.0);
    EXPECT_EQ(n->GetHeight(), 7.0);
    EXPECT_EQ(n->GetColour(), 0x00FF00u);
    EXPECT_EQ(n->GetMark(), 4);
    EXPECT_EQ(n->Data(), nullptr);
    // Without connections between them or loops there is no self-loop.
    EXPECT_EQ(g.ConnectionCount(), 0);
    EXPECT_THROW(g.MergeNodes(g.GetNode(0), g.GetNode(0)), std::invalid_argument);
    TNode stranger("S");
    EXPECT_THROW(g.MergeNodes(g.GetNode(0), &stranger), std::invalid_argument);
    EXPECT_EQ(g.NodeCount(), 2);
}

TEST_F(GraphModel, MergeTurnsConnectionsBetweenTheTwoIntoOneSelfLoop)
{
    for (const char* name : {"A", "B"})
        g.AddNode(name);
    Connect(g, "ab", 0, 1, {1, 2});
    Connect(g, "ba", 1, 0, {3});
    const int i = g.JoinNodes(0, 1);
    ASSERT_EQ(g.NodeCount(), 1);
    ASSERT_EQ(g.ConnectionCount(), 1);
    const TConnection* s = g.GetConnection(0);
    EXPECT_EQ(s->From(), g.GetNode(i));
    EXPECT_EQ(s->To(), g.GetNode(i));
    EXPECT_EQ(s->GetName(), "A-B");
    EXPECT_EQ(s->Weight(), 3);
    // a's incoming (ba) moves first, then a's outgoing (ab), each last-first.
    EXPECT_EQ(Starts(s), (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(g.GetNode(i)->InWeight(), 3);
    EXPECT_EQ(g.GetNode(i)->OutWeight(), 3);
    ExpectConsistent(g);
}

TEST_F(GraphModel, MergeCollapsesConnectionsFromAThirdNodeKeepingTheFirstName)
{
    for (const char* name : {"X", "A", "B", "Y"})
        g.AddNode(name);
    Connect(g, "xa", 0, 1, {1, 2});
    Connect(g, "xb", 0, 2, {3, 4, 5});
    Connect(g, "ay", 1, 3, {6});
    Connect(g, "by", 2, 3, {7});
    Connect(g, "aa", 1, 1, {8});
    const int i = g.JoinNodes(1, 2);
    EXPECT_EQ(i, 2);
    const TNode* x = g.GetNode(0);
    const TNode* n = g.GetNode(i);
    ASSERT_EQ(x->OutList().size(), 1u);
    const TConnection* xn = x->OutList()[0];
    EXPECT_EQ(xn->To(), n);
    EXPECT_EQ(xn->GetName(), "xa");
    EXPECT_EQ(xn->Weight(), 5);
    EXPECT_EQ(Starts(xn), (std::vector<int>{2, 1, 5, 4, 3}));
    ASSERT_EQ(n->OutList().size(), 2u);  // the self-loop and one to Y
    const TConnection* ny = n->OutList()[0] == n->InList()[0] ? n->OutList()[1] : n->OutList()[0];
    EXPECT_EQ(ny->GetName(), "ay");
    EXPECT_EQ(Starts(ny), (std::vector<int>{6, 7}));
    EXPECT_EQ(g.ConnectionCount(), 3);
    EXPECT_EQ(n->Weight(), 5 + 2 + 2);  // the self-loop counts in and out
    ExpectConsistent(g);
}

TEST_F(GraphModel, MergeKeepsEmptyOccurrenceEntries)
{
    for (const char* name : {"X", "A", "B"})
        g.AddNode(name);
    g.AddConnectionByIndex("xa", 0, 1)->AddData(nullptr);
    g.AddConnectionByIndex("xb", 0, 2)->AddData(nullptr);
    g.JoinNodes(1, 2);
    ASSERT_EQ(g.ConnectionCount(), 1);
    EXPECT_EQ(g.GetConnection(0)->Weight(), 2);
    EXPECT_EQ(g.GetNode(0)->OutWeight(), 2);
}

// Random small graphs merged step by step, checked against a plain reference:
// a map from (source, target) to the occurrences between them.
TEST(GraphModelRandom, MergeKeepsEveryOccurrenceBetweenTheRightEnds)
{
    platform::SeedRandom(3);
    std::mt19937 rng(12345);
    for (int round = 0; round < 60; ++round) {
        TGraph g;
        const int nodes = 2 + static_cast<int>(rng() % 6);
        std::map<const TNode*, int> id;  // reference id of each graph node
        for (int i = 0; i < nodes; ++i)
            id[g.GetNode(g.AddNode(std::to_string(i)))] = i;
        std::map<std::pair<int, int>, std::multiset<int>> ref;
        int nextOcc = 0;
        const int connections = static_cast<int>(rng() % 12);
        for (int k = 0; k < connections; ++k) {
            const int s = static_cast<int>(rng() % nodes);
            const int t = static_cast<int>(rng() % nodes);
            TConnection* c = g.AddConnectionByIndex("c", s, t);
            for (int w = 1 + static_cast<int>(rng() % 3); w > 0; --w) {
                c->AddData(Occ(nextOcc));
                ref[{s, t}].insert(nextOcc++);
            }
        }
        int nextId = nodes;
        while (g.NodeCount() > 1) {
            const int ia = static_cast<int>(rng() % g.NodeCount());
            int ib = static_cast<int>(rng() % (g.NodeCount() - 1));
            if (ib >= ia)
                ++ib;
            const int a = id[g.GetNode(ia)];
            const int b = id[g.GetNode(ib)];
            const int before = g.NodeCount();
            const int n = g.JoinNodes(ia, ib);
            ASSERT_EQ(g.NodeCount(), before - 1);
            ASSERT_EQ(n, g.NodeCount() - 1);
            id[g.GetNode(n)] = nextId;
            std::map<std::pair<int, int>, std::multiset<int>> merged;
            for (const auto& [ends, occs] : ref) {
                const auto map = [&](int v) { return v == a || v == b ? nextId : v; };
                merged[{map(ends.first), map(ends.second)}].insert(occs.begin(), occs.end());
            }
            ref = std::move(merged);
            ++nextId;

            // The graph, read back the same way.
            std::map<std::pair<int, int>, std::multiset<int>> seen;
            std::map<std::pair<int, int>, int> parallels;
            for (int c = 0; c < g.ConnectionCount(); ++c) {
                const TConnection* conn = g.GetConnection(c);
                const std::pair<int, int> ends{id[conn->From()], id[conn->To()]};
                ++parallels[ends];
                for (const auto& d : conn->Data())
                    seen[ends].insert(d->start);
            }
            for (const auto& [ends, count] : parallels)
                EXPECT_EQ(count, 1) << "parallel connections after a merge";
            std::erase_if(ref, [](const auto& e) { return e.second.empty(); });
            EXPECT_EQ(seen, ref) << "round " << round;
            ExpectConsistent(g);
        }
    }
}

// A copy keeps the order of the lists (a merge walks them) and draws nothing from the random source.
TEST_F(GraphModel, ACopyIsTheSameGraph)
{
    for (const char* name : {"a", "b", "c"})
        g.AddNode(name);
    g.GetNode(0)->SetData(std::make_unique<TNodeConcepts>());
    g.GetNode(1)->SetMark(2);
    Connect(g, "x", 0, 1, {1});
    Connect(g, "y", 1, 2, {2});
    Connect(g, "z", 0, 2, {3});
    g.GetConnection(0)->SetTo(g.GetNode(2));  // c's incoming list: y, z, x
    platform::SeedRandom(7);
    const std::unique_ptr<TGraph> copy = g.Copy();
    const int next = platform::RandomBelow(1000000);
    platform::SeedRandom(7);
    EXPECT_EQ(platform::RandomBelow(1000000), next);
    EXPECT_NE(copy->GetNode(0)->Data(), nullptr);
    EXPECT_EQ(copy->GetNode(1)->GetMark(), 2);
    EXPECT_EQ(copy->GetNode(2)->InList(),
              (std::vector<TConnection*>{copy->GetConnection(1), copy->GetConnection(2), copy->GetConnection(0)}));
}
