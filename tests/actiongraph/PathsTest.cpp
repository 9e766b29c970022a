#include "actiongraph/model/Paths.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/GraphBuilder.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/load/LoadLog.h"
#include "core/model/RoboCupFile.h"

#include "support/FilledRecord.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using Conns = std::vector<TConnection*>;

class Paths : public ::testing::Test {
protected:
    void SetUp() override { CreateConceptHierarchies(); }
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
    // The pass of Lplayer3 (LC-MF) to Lplayer7 (L-FW), who supports the attack
    // and dribbles on: c0 N0->N2, c1 N1->N2, c2 N2->N3, N2's in list [c1, c0].
    void PassAndDribble()
    {
        Role(3, coLCMF[0]);
        Role(7, coLFW[0]);
        Event(coToPlayer, 3, 100, 100, 0, 109, 7);
        Event(coAttackSupport, 7, 100, 109, 7, 109, -1);
        Event(coSpeedDribble, 7, 110, 120, 7, 120, -1);
        TObjectChoice all{};
        all[0] = true;
        BuildActionGraph(record.File(), all, {}, g);
        RemoveNodesWithDegreeBelow(g, 1);
        ASSERT_EQ(g.ConnectionCount(), 3);
    }
    // A node per name, without data.
    TNode* Node(const std::string& name) { return g.GetNode(g.AddNode(name)); }
    // A connection with occurrences starting at the cycles, each with the
    // given length to the other end (empty entries for start < 0).
    TConnection* Connect(TNode* a, TNode* b, const std::vector<int>& starts, int otherLength = 10)
    {
        TConnection* c = g.AddConnection(a->GetName(), a, b);
        for (const int s : starts) {
            if (s < 0)
                c->AddData(nullptr);
            else
                c->AddData(TConnectionData{s, otherLength, 1, 1, otherLength, -1});
        }
        return c;
    }
    std::vector<Conns> Search(int function, int minCount, std::vector<TPathItem>* found = nullptr)
    {
        std::vector<TPathItem> items;
        TPathSearch(function, &record.File(), {}).FindPaths(g, minCount, items);
        std::vector<Conns> paths;
        for (const auto& item : items)
            paths.push_back(item.path->Connections());
        if (found)
            *found = items;
        return paths;
    }

    FilledRecord record{300};
    TGraph g;

private:
    InTempDir dir_{"paths"};
};

std::vector<std::string> Texts(const TPathList& list)
{
    std::vector<std::string> texts;
    for (const auto& item : list.Items())
        texts.push_back(item.text);
    return texts;
}

}  // namespace

TEST_F(Paths, TheWorkedGraphGivesFivePathsAndTwoOfLengthTwo)
{
    PassAndDribble();
    TConnection* c0 = g.GetConnection(0);
    TConnection* c1 = g.GetConnection(1);
    TConnection* c2 = g.GetConnection(2);
    // "avg" lists every path, in the order of the search.
    EXPECT_EQ(Search(0, 1), (std::vector<Conns>{{c1}, {c0}, {c2}, {c2, c1}, {c2, c0}}));

    std::vector<TPathItem> found;
    EXPECT_EQ(Search(14, 1, &found), (std::vector<Conns>{{c2, c1}, {c2, c0}}));
    TPathList list;
    list.Add("All", nullptr);
    list.AddAll(found);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"   1.00 #2 LTeam.L-FW:Attack-support LTeam.L-FW:Speed-dribble",
                                                     "   1.00 #2 LTeam.LC-MF:To-player LTeam.L-FW:Speed-dribble",
                                                     "All"}));
    EXPECT_EQ(list.IndexOfPath(nullptr), 2);
    // The default "avg, len=3" lists nothing; a minimum of 2 finds nothing.
    EXPECT_TRUE(Search(kDefaultPathFunction, 1).empty());
    EXPECT_TRUE(Search(0, 2).empty());
    // Without a chosen function every value is 0.
    EXPECT_TRUE(Search(-1, 1).empty());
}

TEST_F(Paths, EveryPathFunctionOnKnownWeights)
{
    // A chain a -> b -> c -> d of weights 5, 3, 2 (start first), every
    // occurrence continuing into the next connection's.
    TNode* a = Node("a");
    TNode* b = Node("b");
    TNode* c = Node("c");
    TNode* d = Node("d");
    Connect(a, b, {0, 20, 40, 60, 80});
    Connect(b, c, {10, 30, 50});
    Connect(c, d, {20, 40});
    struct Case {
        int function;
        std::vector<double> values;  // of the paths [cd], [cd,bc], [cd,bc,ab], [bc], [bc,ab], [ab]
    };
    // weights: [2], [2,3], [2,3,5], [3], [3,5], [5]
    const Case cases[] = {
        {0, {2, 2.5, 10.0 / 3, 3, 4, 5}},  // avg
        {1, {2, 5, 10, 3, 8, 5}},          // sum
        {2, {2, 2, 2, 3, 3, 5}},           // min
        {3, {2, 3, 5, 3, 5, 5}},           // max
        {4, {1, 2, 3, 1, 2, 1}},           // len
        {5, {2, 4, 6, 3, 6, 5}},           // len*min
        {6, {2, 6, 15, 3, 10, 5}},         // len*max
        {7, {0, 2, 2, 0, 3, 0}},           // min>1, len>1
        {8, {0, 0, 2, 0, 0, 0}},           // min>1, len>2
        {9, {0, 0, 0, 0, 3, 0}},           // min>2, len>1
        {10, {0, 0, 0, 0, 0, 0}},          // min>2, len>2
        {11, {0, 2.5, 10.0 / 3, 0, 4, 0}}, // avg, len>1
        {12, {0, 0, 10.0 / 3, 0, 0, 0}},   // avg, len>2
        {13, {2, 0, 0, 3, 0, 5}},          // avg, len=1
        {14, {0, 2.5, 0, 0, 4, 0}},        // avg, len=2
        {15, {0, 0, 10.0 / 3, 0, 0, 0}},   // avg, len=3
        {16, {0, 0, 0, 0, 0, 0}},          // avg, len=4
    };
    const std::vector<std::vector<int>> chains = {{2}, {1, 2}, {0, 1, 2}, {1}, {0, 1}, {0}};
    for (const Case& k : cases) {
        for (std::size_t p = 0; p < chains.size(); ++p) {
            TPathObject path;
            for (auto it = chains[p].rbegin(); it != chains[p].rend(); ++it)
                path.Connections().push_back(g.GetConnection(*it));
            EXPECT_DOUBLE_EQ(PathValue(path, k.function), k.values[p]) << kPathFunctionNames[k.function] << " " << p;
        }
        // The search lists exactly the paths of non-zero value, with those values.
        std::vector<TPathItem> found;
        Search(k.function, 1, &found);
        std::vector<double> listed;
        for (const auto& item : found)
            listed.push_back(item.path->Value());
        std::vector<double> want;
        for (const double v : k.values)
            if (v != 0.0)
                want.push_back(v);
        std::sort(listed.begin(), listed.end());
        std::sort(want.begin(), want.end());
        EXPECT_EQ(listed, want) << kPathFunctionNames[k.function];
    }
    EXPECT_STREQ(kPathFunctionNames[15], "avg, len=3");
    // min starts at 10000, max at 0; beyond the list nothing counts.
    EXPECT_EQ(PathFunctionValue(2, 2, 30000, 10000, 20000), 10000.0);
    EXPECT_EQ(PathFunctionValue(3, 0, 0, 10000, 0), 0.0);
    EXPECT_EQ(PathFunctionValue(17, 3, 9, 3, 3), 0.0);
}

TEST_F(Paths, TheMinimumFunctionsDrawTheirLineBetweenTheWeightsNamed)
{
    // Every connection of a graph that was never joined has weight 1, so
    // "min>1" must leave all its paths out; weight 2 passes "min>1" and fails
    // "min>2". Two chains, of weights 1, 1, 1 and 2, 2, 2.
    std::vector<TNode*> n;
    for (const char* name : {"a1", "b1", "c1", "d1", "a2", "b2", "c2", "d2"})
        n.push_back(Node(name));
    Connect(n[0], n[1], {0});
    Connect(n[1], n[2], {10});
    Connect(n[2], n[3], {20});
    Connect(n[4], n[5], {0, 40});
    Connect(n[5], n[6], {10, 50});
    Connect(n[6], n[7], {20, 60});
    struct Case {
        int function;
        double weightOne[2];  // the chains of two and three connections of weight 1
        double weightTwo[2];  // and of weight 2
        std::size_t listed;   // paths the search lists, all on the weight-2 chain
    };
    const Case cases[] = {
        {7, {0, 0}, {2, 2}, 3},   // min>1, len>1
        {8, {0, 0}, {0, 2}, 1},   // min>1, len>2
        {9, {0, 0}, {0, 0}, 0},   // min>2, len>1
        {10, {0, 0}, {0, 0}, 0},  // min>2, len>2
    };
    // The last length connections of the chain that ends with connection last.
    auto fill = [&](TPathObject& path, int last, int length) {
        for (int i = last; i > last - length; --i)
            path.Connections().push_back(g.GetConnection(i));
    };
    for (const Case& k : cases) {
        for (int length : {2, 3}) {
            TPathObject one;
            TPathObject two;
            fill(one, 2, length);
            fill(two, 5, length);
            EXPECT_DOUBLE_EQ(PathValue(one, k.function), k.weightOne[length - 2])
                << kPathFunctionNames[k.function] << " weight 1, length " << length;
            EXPECT_DOUBLE_EQ(PathValue(two, k.function), k.weightTwo[length - 2])
                << kPathFunctionNames[k.function] << " weight 2, length " << length;
        }
        // The search over the whole graph lists no path of the weight-1 chain.
        std::vector<TPathItem> found;
        Search(k.function, 1, &found);
        EXPECT_EQ(found.size(), k.listed) << kPathFunctionNames[k.function];
        for (const auto& item : found)
            for (const TConnection* c : item.path->Connections())
                EXPECT_EQ(c->Weight(), 2) << kPathFunctionNames[k.function];
    }
}

TEST_F(Paths, OnlyContinuingOccurrencesCarryAChain)
{
    TNode* a = Node("a");
    TNode* b = Node("b");
    TNode* c = Node("c");
    TNode* x = Node("x");
    // b -> c at 50 and 70; a -> b continues into 50 (40 + 10) and 70 (60 + 10);
    // the heavy x -> b never continues (its occurrences end at 0 + 10 = 10 ...).
    TConnection* bc = Connect(b, c, {50, 70});
    TConnection* ab = Connect(a, b, {40, 60, 90});
    TConnection* xb = Connect(x, b, {0, 1, 2, 3, 4, 5, -1});
    EXPECT_EQ(Search(0, 2), (std::vector<Conns>{{ab}, {xb}, {bc}, {bc, ab}}));
    // Two continuing occurrences are needed with minimum 3: the chain stops.
    EXPECT_EQ(Search(0, 3), (std::vector<Conns>{{ab}, {xb}}));
    // One of a -> b's occurrences continuing (the other ending a cycle late) is
    // not enough for minimum 2.
    ab->RemoveDataAt(1);
    ab->AddData(TConnectionData{61, 10, 1, 1, 10, -1});
    EXPECT_EQ(Search(0, 2), (std::vector<Conns>{{ab}, {xb}, {bc}}));
    // ExtendPath takes its start cycles from the caller.
    TPathObject start;
    start.Connections().push_back(bc);
    std::vector<TPathItem> found;
    TPathSearch(0, nullptr, {}).ExtendPath(b, {71}, start, 1, found);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].path->Connections(), (Conns{bc, ab}));
}

TEST_F(Paths, LoopsAreFollowedOnceAndPathsStopAtFiveConnections)
{
    // A self-loop on s whose occurrences continue into each other, then s -> t.
    TNode* s = Node("s");
    TNode* t = Node("t");
    TConnection* loop = Connect(s, s, {0, 10, 20, 30, 40, 50, 60, 70});
    TConnection* st = Connect(s, t, {80});
    const auto paths = Search(1, 1);
    EXPECT_EQ(paths, (std::vector<Conns>{{loop}, {st}, {st, loop}}));

    // A chain of seven connections: the longest path holds five.
    g.Clear();
    std::vector<TNode*> n;
    for (int i = 0; i < 8; ++i)
        n.push_back(Node("n" + std::to_string(i)));
    std::vector<TConnection*> c;
    for (int i = 0; i < 7; ++i)
        c.push_back(Connect(n[i], n[i + 1], {10 * i}));
    std::size_t longest = 0;
    int count = 0;
    for (const auto& p : Search(0, 1)) {
        longest = std::max(longest, p.size());
        ++count;
    }
    EXPECT_EQ(longest, 5u);
    EXPECT_EQ(count, 1 + 2 + 3 + 4 + 5 + 5 + 5);  // paths ending at c0 .. c6
}

TEST_F(Paths, ValueTextsAreRightAlignedWithTwoDecimals)
{
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {10.0 / 3, "   3.33"}, {4.0, "   4.00"}, {10.0, "  10.00"},      {1234.56, "1235.00"},
        {123.456, " 123.50"},  {0.5, "   0.50"}, {99.996, " 100.00"},     {9999.6, "10000.00"},
        {12345.0, "12345.00"}, {1.0, "   1.00"}, {20000.25, "20000.25"},
    };
    for (const Case& k : cases)
        EXPECT_EQ(PathValueText(k.value), k.text) << k.value;
}

TEST_F(Paths, LabelsReadTheRolesOfThePathsOccurrences)
{
    Role(3, coLCMF[0]);
    Role(7, coLFW[0]);
    Role(9, coCFW[0]);
    TNode* a = Node("a");
    TNode* b = Node("b");
    TNode* e = Node("e");
    a->SetData(std::make_unique<TNodeConcepts>(TNodeConcepts{coSpeedDribble, coRMF[0]}));
    b->SetData(std::make_unique<TNodeConcepts>(TNodeConcepts{coToPlayer, coRFB[0]}));
    TConnection* ab = g.AddConnection("a", a, b);
    ab->AddData(TConnectionData{10, 5, 7, 7, 5, -1});
    ab->AddData(TConnectionData{30, 5, 9, 9, 5, -1});
    ab->AddData(TConnectionData{50, 5, 3, 3, 0, -1});  // no other length: no role
    ab->AddData(nullptr);
    TConnection* be = g.AddConnection("b", b, e);
    be->AddData(TConnectionData{15, 5, 3, 3, 0, -1});  // only an occurrence without other length
    TPathObject path;
    path.Connections() = {be, ab};
    path.SetValue(4.0 / 2);
    const std::string fw = ConceptObject::GetPathName(ConceptObject::CommonAncestor(coLFW[0], coCFW[0]));
    ASSERT_NE(fw, ConceptObject::GetPathName(coLFW[0]));
    // a: the common role of players 7 and 9; b falls back to its own role.
    EXPECT_EQ(PathItemText(path, &record.File(), {}),
              "   2.00 #2 " + fw + ":Speed-dribble LTeam.R-FB:To-player");
    // Without own role the piece has an empty role; without log every piece falls back.
    b->SetData(std::make_unique<TNodeConcepts>(TNodeConcepts{coToPlayer, nullptr}));
    EXPECT_EQ(PathLabel(path, &record.File(), {}), " " + fw + ":Speed-dribble :To-player");
    EXPECT_EQ(PathLabel(path, nullptr, {}), " LTeam.R-MF:Speed-dribble :To-player");
}

TEST_F(Paths, TheListSortsByBytesAndAllPathsConcatenates)
{
    TPathList list;
    list.Add("All", nullptr);
    auto p1 = std::make_shared<TPathObject>();
    auto p2 = std::make_shared<TPathObject>();
    auto p3 = std::make_shared<TPathObject>();
    TNode* a = Node("a");
    TConnection* c1 = Connect(a, a, {1});
    TConnection* c2 = Connect(Node("b"), a, {2});
    p1->Connections() = {c1};
    p1->SetValue(2.5);
    p2->Connections() = {c2, c1};
    p2->SetValue(10.0);
    // The empty list's "All paths": nothing.
    TPathItem none = AllPathsItem(list);
    EXPECT_EQ(none.text, "All paths");
    EXPECT_EQ(none.path->Value(), 0.0);
    EXPECT_TRUE(none.path->Connections().empty());

    list.AddAll({{"  10.00 #2 b", p2}, {"   2.50 #1 a", p1}});
    EXPECT_EQ(list.Add("   2.50 #1 a", p3), 1);  // an equal text goes after
    EXPECT_EQ(list.Add("   2.50 #1 LC-MF", p3), 0);
    EXPECT_EQ(list.Add("   2.50 #1 L-FW", p3), 0);  // '-' before 'C' byte by byte
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"   2.50 #1 L-FW", "   2.50 #1 LC-MF", "   2.50 #1 a",
                                                     "   2.50 #1 a", "  10.00 #2 b", "All"}));
    EXPECT_EQ(list.Path(2), p1);
    EXPECT_EQ(list.IndexOfPath(p2.get()), 4);
    TPathList few;
    few.AddAll({{"x", p2}, {"y", p1}});
    TPathItem all = AllPathsItem(few);
    EXPECT_EQ(all.path->Value(), 12.5);
    EXPECT_EQ(all.path->Connections(), (Conns{c2, c1, c1}));
    // An unsorted list keeps the order of adding.
    TPathList plain(false);
    plain.Add("b", p1);
    plain.AddAll({{"c", p2}, {"a", p3}});
    EXPECT_EQ(Texts(plain), (std::vector<std::string>{"b", "c", "a"}));
}

TEST_F(Paths, ARealMatchsPathsAreChainsOfItsGraph)
{
    auto log = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), true);
    ASSERT_TRUE(log);
    TObjectChoice all{};
    all[0] = true;
    BuildActionGraph(*log, all, {}, g);
    RemoveNodesWithDegreeBelow(g, 1);
    std::vector<TPathItem> found;
    TPathSearch(0, log.get(), {}).FindPaths(g, 1, found);
    int longer = 0;
    ASSERT_FALSE(found.empty());
    for (const auto& item : found) {
        const auto& list = item.path->Connections();
        ASSERT_GE(list.size(), 1u);
        ASSERT_LE(list.size(), 5u);
        for (std::size_t k = 0; k + 1 < list.size(); ++k)
            ASSERT_EQ(list[k + 1]->To(), list[k]->From());
        longer += list.size() > 1;
        EXPECT_EQ(item.text, PathItemText(*item.path, log.get(), {}));
    }
    // Every connection ends a path of its own.
    EXPECT_EQ(static_cast<int>(found.size()) - longer, g.ConnectionCount());
    EXPECT_GT(longer, 0);
}
