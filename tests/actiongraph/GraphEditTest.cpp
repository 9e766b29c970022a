#include "actiongraph/model/GraphEdit.h"

#include "actiongraph/model/Actiongraph.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Four nodes and connections of weights 0, 1, 2 (one of them an empty entry)
// and 3 from "LTeam.LC-MF:Pass", "LTeam.L-FW:Dribble", "x", "LTeam.LC-MF:Pass".
class GraphEdit : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"LTeam.LC-MF:Pass", "LTeam.L-FW:Dribble", "x", "LTeam.LC-MF:Pass"})
            g.AddNode(name);
        Connect(0, 1, {});
        Connect(1, 2, {100});
        Connect(2, 3, {200, -1});
        Connect(3, 0, {300, 310, 320});
    }
    TConnection* Connect(int a, int b, const std::vector<int>& starts, int otherLength = 3)
    {
        TConnection* c = g.AddConnectionByIndex("c" + std::to_string(g.ConnectionCount()), a, b);
        for (const int s : starts) {
            if (s < 0)
                c->AddData(nullptr);
            else
                c->AddData(TConnectionData{s, otherLength, 1, 1, otherLength, -1});
        }
        return c;
    }
    std::vector<std::string> Kept() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < g.ConnectionCount(); ++i)
            names.push_back(g.GetConnection(i)->GetName());
        return names;
    }

    TGraph g;
};

using Names = std::vector<std::string>;

}  // namespace

TEST_F(GraphEdit, WeightBelowTheValueGoesWithEmptyEntriesCounted)
{
    struct Case {
        int v;
        Names kept;
    };
    const Case cases[] = {{-3, {"c0", "c1", "c2", "c3"}}, {0, {"c0", "c1", "c2", "c3"}}, {1, {"c1", "c2", "c3"}},
                          {2, {"c2", "c3"}},               {3, {"c3"}},                   {4, {}}};
    for (const Case& k : cases) {
        g.Clear();
        SetUp();
        const int before = g.ConnectionCount();
        EXPECT_EQ(RemoveConnectionsWeightBelow(g, k.v), before - static_cast<int>(k.kept.size())) << k.v;
        EXPECT_EQ(Kept(), k.kept) << k.v;
        EXPECT_EQ(g.NodeCount(), 4);
    }
}

TEST_F(GraphEdit, TheShownConnectionsAreThoseFromNodesMatchingTheFilter)
{
    EXPECT_EQ(RemoveConnectionsShown(g, "lc-mf"), 0);  // case-sensitive
    EXPECT_EQ(RemoveConnectionsShown(g, "Dribble"), 1);  // the source decides, not the target
    EXPECT_EQ(Kept(), (Names{"c0", "c2", "c3"}));
    EXPECT_EQ(RemoveConnectionsShown(g, "LC-MF"), 2);
    EXPECT_EQ(Kept(), (Names{"c2"}));
    EXPECT_EQ(RemoveConnectionsShown(g, ""), 1);  // an empty filter shows them all
    EXPECT_EQ(g.ConnectionCount(), 0);
    EXPECT_EQ(g.NodeCount(), 4);
}

TEST_F(GraphEdit, AConnectionStaysWhenAnOccurrenceCoversAMark)
{
    struct Case {
        std::vector<int> marks;
        Names kept;
    };
    // c1 covers 100..102, c2 200..202 (and an empty entry), c3 300..302, 310..312, 320..322.
    const Case cases[] = {
        {{}, {}},
        {{100}, {"c1"}},
        {{102}, {"c1"}},
        {{103}, {}},
        {{99}, {}},
        {{5, 202, 400}, {"c2"}},
        {{311, 101}, {"c1", "c3"}},  // given in any order
        {{323, 313, 303}, {}},
    };
    for (const Case& k : cases) {
        g.Clear();
        SetUp();
        RemoveConnectionsNotInMarks(g, k.marks);
        EXPECT_EQ(Kept(), k.kept) << ::testing::PrintToString(k.marks);
    }
}
