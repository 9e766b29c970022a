#include "actiongraph/model/ExampleClasses.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/PathObject.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/learning/Features.h"

#include "support/FilledRecord.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using Ints = std::vector<int>;
using Names = std::vector<std::string>;

std::string P(ConceptObject* c) { return ConceptObject::GetPathName(c); }

// A (LC-MF to player) -> B (L-FW speed dribble) -> C (L-FW attack support, an
// end node); A -> C only with occurrences without length to the other end;
// D (no data) -> B. The path is B -> C after A -> B.
//   c0 A->B: (10, dur 1, len 5), (40, dur 2, len 3)
//   c1 B->C: (20, dur 4, len 4)
//   c2 A->C: (50, dur 1, len 0)
//   c3 D->B: (60, dur 2, len 2)
class ExampleClasses : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateConceptHierarchies();
        for (const char* name : {"A", "B", "C", "D"})
            graph.AddNode(name);
        Data(0, coLCMF[0], coToPlayer);
        Data(1, coLFW[0], coSpeedDribble);
        Data(2, coLFW[0], coAttackSupport);
        c0 = Connect(0, 1, {{10, 1, 5}, {40, 2, 3}});
        c1 = Connect(1, 2, {{20, 4, 4}});
        c2 = Connect(0, 2, {{50, 1, 0}});
        c3 = Connect(3, 1, {{60, 2, 2}});
        c0->AddData(nullptr);  // empty entries are passed over
        path.Connections() = {c1, c0};
        for (int i = 0; i < 4; ++i)
            name[i] = NodeClassName(graph, graph.GetNode(i), {});
    }
    void TearDown() override
    {
        graph.Clear();
        FreeConceptHierarchies();
    }
    void Data(int node, ConceptObject* role, ConceptObject* action)
    {
        graph.GetNode(node)->SetData(std::make_unique<TNodeConcepts>(TNodeConcepts{action, role}));
    }
    TConnection* Connect(int from, int to, std::vector<std::array<int, 3>> occurrences)
    {
        TConnection* c = graph.AddConnectionByIndex("c", from, to);
        for (const auto& [start, duration, length] : occurrences) {
            TConnectionData d;
            d.start = start;
            d.duration = duration;
            d.otherLength = length;
            c->AddData(d);
        }
        return c;
    }
    TNode* N(int i) const { return graph.GetNode(i); }
    TMarkProblem Mark(int mode, TNode* selected, const TPathObject* p, double epsilon = 0.0)
    {
        lists.classNames = {"stale"};
        return MarkExampleCycles(
            graph, mode, selected, p, epsilon,
            [this](TNode* a, TNode* b) { return std::abs(graph.IndexOfNode(a) - graph.IndexOfNode(b)) * 1.0; },
            {}, lists);
    }
    void Expect(const Ints& cycles, const Names& names, const Ints& classes, const Ints& marked) const
    {
        EXPECT_EQ(lists.cycles, cycles);
        EXPECT_EQ(lists.classNames, names);
        EXPECT_EQ(lists.classes, classes);
        EXPECT_EQ(lists.marked, marked);
    }

    TGraph graph;
    TConnection* c0 = nullptr;
    TConnection* c1 = nullptr;
    TConnection* c2 = nullptr;
    TConnection* c3 = nullptr;
    TPathObject path;
    std::string name[4];
    TExampleLists lists;

private:
    InTempDir dir_{"example-classes"};
};

}  // namespace

TEST_F(ExampleClasses, ClassNamesAreRoleActionAndIndex)
{
    EXPECT_EQ(name[0], P(coLCMF[0]) + "_" + P(coToPlayer) + "_0");
    EXPECT_EQ(name[1], P(coLFW[0]) + "_" + P(coSpeedDribble) + "_1");
    EXPECT_EQ(name[3], "none_none_3");
    Data(3, nullptr, coSpeedDribble);
    EXPECT_EQ(NodeClassName(graph, N(3), {}), "none_" + P(coSpeedDribble) + "_3");
    // Equal concepts, different nodes, different classes.
    Data(3, coLFW[0], coSpeedDribble);
    EXPECT_NE(NodeClassName(graph, N(3), {}), name[1]);
}

TEST_F(ExampleClasses, TheTenDataModes)
{
    EXPECT_EQ(Mark(0, nullptr, nullptr), TMarkProblem::None);
    Expect({10, 40, 20, 23, 60}, {name[0], name[1], name[2], name[3]}, {0, 0, 1, 2, 3}, {10, 40, 20, 23, 60});
    Mark(1, N(1), nullptr);
    Expect({10, 40, 20, 23, 60}, {"OTHER", "SELECTED"}, {0, 0, 1, 0, 0}, {20});
    Mark(2, nullptr, &path);
    Expect({10, 40, 20, 23, 60}, {"OTHER", "PATH"}, {1, 1, 1, 1, 0}, {10, 40, 20, 23});
    Mark(3, N(0), nullptr);
    Expect({10, 40}, {name[0], name[1]}, {1, 1}, {10, 40});
    Mark(3, N(2), nullptr);  // an end node: the sources of its incoming connections
    Expect({23}, {name[2], name[1]}, {1}, {23});
    Mark(3, N(3), nullptr);  // its own class first, also without an example of it
    Expect({60}, {name[3], name[1]}, {1}, {60});
    Mark(4, N(1), nullptr);
    Expect({20}, {name[1]}, {0}, {20});
    Mark(5, nullptr, &path);
    Expect({10, 40, 20, 23}, {name[0], name[1], name[2]}, {0, 0, 1, 2}, {10, 40, 20, 23});
    Mark(6, nullptr, &path);
    Expect({10, 40, 20, 23, 60}, {"OTHER", "PATH"}, {1, 1, 1, 1, 0}, {10, 40, 20, 23});
    Mark(7, nullptr, &path);
    Expect({10, 40, 20, 23, 60}, {"OTHER", name[0], name[1], name[2]}, {1, 1, 2, 3, 0}, {10, 40, 20, 23});
    Mark(8, N(1), &path);
    Expect({10, 40, 20, 23}, {"OTHER", name[1]}, {0, 0, 1, 0}, {20});
    Mark(9, N(1), &path);
    Expect({20}, {name[1]}, {0}, {20});
    Mark(9, N(3), &path);  // a node off the path
    Expect({}, {}, {}, {});
}

TEST_F(ExampleClasses, AMissingNodeOrPathStopsTheMode)
{
    const struct {
        int mode;
        bool node;
        bool path;
        TMarkProblem problem;
        Names names;
    } cases[] = {
        {1, false, true, TMarkProblem::NoNode, {"OTHER", "SELECTED"}},  // named before the check
        {2, true, false, TMarkProblem::NoPath, {}},
        {3, false, true, TMarkProblem::NoNode, {}},
        {4, false, true, TMarkProblem::NoNode, {}},
        {5, true, false, TMarkProblem::NoPath, {}},
        {6, true, false, TMarkProblem::NoPath, {}},
        {7, true, false, TMarkProblem::NoPath, {}},
        {8, false, false, TMarkProblem::NoNode, {}},
        {8, true, false, TMarkProblem::NoPath, {}},
        {9, false, true, TMarkProblem::NoNode, {}},
        {9, true, false, TMarkProblem::NoPath, {}},
    };
    for (const auto& c : cases) {
        lists.cycles = {1};
        lists.marked = {1};
        // Epsilon does not run after a failed mode either.
        EXPECT_EQ(Mark(c.mode, c.node ? N(1) : nullptr, c.path ? &path : nullptr, 5.0), c.problem) << c.mode;
        Expect({}, c.names, {}, {});
    }
}

TEST_F(ExampleClasses, EpsilonMarksTheNodesNearTheSelectedOne)
{
    // Distances are index differences: A, B and C lie within 1.5 of B.
    Mark(0, N(1), nullptr, 1.5);
    EXPECT_EQ(lists.cycles, (Ints{10, 40, 20, 23, 60}));
    EXPECT_EQ(lists.marked, (Ints{10, 40, 20, 23}));
    Mark(4, N(1), nullptr, 1.0);  // strictly below: only B itself
    EXPECT_EQ(lists.marked, (Ints{20}));
    Mark(0, nullptr, nullptr, 1.5);  // no selected node: nothing near
    EXPECT_TRUE(lists.marked.empty());
    EXPECT_EQ(lists.cycles.size(), 5u);
}

TEST_F(ExampleClasses, TimeMarkCycles)
{
    EXPECT_EQ(NodeMarkCycles(graph, N(0), nullptr), (Ints{10, 40, 41, 50}));
    EXPECT_EQ(NodeMarkCycles(graph, N(0), &path), (Ints{10, 40, 41}));
    EXPECT_EQ(NodeMarkCycles(graph, N(2), nullptr), (Ints{23, 49}));  // an end node: last cycles
    EXPECT_EQ(NodeMarkCycles(graph, nullptr, nullptr), (Ints{10, 40, 41, 50, 20, 21, 22, 23, 23, 49, 60, 61}));
    EXPECT_EQ(EdgeMarkCycles(graph, ""), (Ints{10, 11, 12, 13, 14, 40, 41, 42, 20, 21, 22, 23, 60, 61}));
    EXPECT_EQ(EdgeMarkCycles(graph, "D"), (Ints{60, 61}));
    EXPECT_EQ(EdgeMarkCycles(graph, "d"), Ints{});  // case counts
    EXPECT_EQ(PathMarkCycles(path), (Ints{20, 21, 22, 23, 10, 11, 12, 13, 14, 40, 41, 42}));
}

namespace {

// Features at cycles of a filled log: f0 Lplayer7 (L-FW) in group g1, f1 the
// ball in g2, f2 the team in g3, f3 Lplayer3 (no role) in g1.
class RuleCoverage : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateConceptHierarchies();
        g1 = coLFW[0];
        g2 = coToPlayer;
        g3 = coSpeedDribble;
        for (auto& v : record.File().roleChannel[7]->GetValues())
            v = ConceptHandle(coLFW[1]);
        FeatureList& f = *record.File().features;
        f.Allocate(4, 100);
        const int objects[] = {7, 0, -1, 3};
        ConceptObject* groups[] = {g1, g2, g3, g1};
        for (int i = 0; i < 4; ++i) {
            f.SetObjectIndex(i, objects[i]);
            f.SetGroupKey(i, groups[i]);
        }
        Set(10, {0, 1});
        Set(11, {0});
        Set(12, {0, 1, 2});
        Set(13, {0, 1, 3});
        rule = P(coLFW[1]) + ":" + P(g1) + " Ball:" + P(g2) + " ";
    }
    void TearDown() override { FreeConceptHierarchies(); }
    void Set(int cycle, std::vector<int> features)
    {
        for (int f : features)
            record.File().features->SetBit(f, cycle);
    }
    double Level(ConceptObject* c) const { return c->GetLevel(); }

    FilledRecord record{100};
    ConceptObject* g1 = nullptr;
    ConceptObject* g2 = nullptr;
    ConceptObject* g3 = nullptr;
    std::string rule;
    const Ints cycles{10, 11, 12, 13};
    const Ints classes{1, 1, 0, 1};

private:
    InTempDir dir_{"rule-coverage"};
};

}  // namespace

TEST_F(RuleCoverage, ExamplesWithExactlyTheConditionsAreCounted)
{
    Ints counts(2, 7);
    double depth = -1.0;
    EXPECT_EQ(CountRuleCoverage(record.File(), 0, rule, 2, counts, cycles, classes, &depth), 0);
    EXPECT_EQ(counts, (Ints{1, 2}));  // 10, 12 and 13; 11 has one hit
    EXPECT_DOUBLE_EQ(depth, (Level(g1) + Level(g2)) / 2.0);

    // One condition: 11 is covered, the others have more hits.
    EXPECT_EQ(CountRuleCoverage(record.File(), 0, rule, 1, counts, cycles, classes, &depth), 3);
    EXPECT_EQ(counts, (Ints{0, 1}));
    EXPECT_DOUBLE_EQ(depth, Level(g1));

    // Items by team and by object name when there is no role.
    const std::string other = "Team:" + P(g3) + " Lplayer3:" + P(g1) + " ";
    EXPECT_EQ(CountRuleCoverage(record.File(), 0, other, 1, counts, cycles, classes, &depth), 0);
    EXPECT_EQ(counts, (Ints{1, 1}));
}

TEST_F(RuleCoverage, NoConditionsNoTrailingBlankNoCoveredExample)
{
    Ints counts(2, 7);
    double depth = 42.0;
    EXPECT_EQ(CountRuleCoverage(record.File(), 0, rule, 0, counts, cycles, classes, &depth), 0);
    EXPECT_EQ(counts, (Ints{0, 0}));
    EXPECT_EQ(depth, 42.0);  // left alone

    // The last condition needs a blank after it.
    const std::string cut = rule.substr(0, rule.size() - 1);
    EXPECT_EQ(CountRuleCoverage(record.File(), 0, cut, 2, counts, cycles, classes, &depth), 0);
    EXPECT_EQ(counts, (Ints{0, 0}));
    EXPECT_EQ(depth, 0.0);  // nothing covered
    // An object's name does not stand for its role.
    EXPECT_EQ(CountRuleCoverage(record.File(), 0, "Lplayer7:" + P(g1) + " ", 1, counts, cycles, classes, nullptr), 0);
    EXPECT_EQ(counts, (Ints{0, 0}));
}
