#include "actiongraph/model/NodeView.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/PathObject.h"
#include "core/learning/Features.h"
#include "core/model/Common.h"
#include "platform/Random.h"

#include "support/FilledRecord.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// The pitch onto 463 x 300 pixels, as zoom 1 without pan: (20, 20, 443, 280).
ViewRect ZoomOne()
{
    ViewRect v;
    v.Set(20, 20, 443, 280);
    return v;
}

TNode* NodeAt(TGraph& g, double x, double y)
{
    TNode* n = g.GetNode(g.AddNode("n"));
    n->SetX(x);
    n->SetY(y);
    return n;
}

void Occur(TConnection* c, int start, int otherLength)
{
    c->AddData(TConnectionData{start, otherLength, 1, 1, otherLength, -1});
}

}  // namespace

TEST(NodeView, AClickHitsTheFirstNodeWithinItsSquare)
{
    TGraph g;
    // The centre spot is pixel (231.5, 150) -> (231, 150).
    TNode* centre = NodeAt(g, 0, 0);
    TNode* twin = NodeAt(g, 0, 0);
    TNode* corner = NodeAt(g, -52.5, -34);  // (20, 20)
    (void)twin;
    const ViewRect v = ZoomOne();
    // Weight 0: r = trunc(sqrt(0) + 2) = 2, strict bounds.
    EXPECT_EQ(HitNode(g, v, 231, 150, false), 0);  // the lower index of two
    EXPECT_EQ(HitNode(g, v, 232, 151, false), 0);
    EXPECT_EQ(HitNode(g, v, 233, 150, false), -1);
    EXPECT_EQ(HitNode(g, v, 233, 150, true), 0);  // fixed size: r = 5
    EXPECT_EQ(HitNode(g, v, 236, 150, true), -1);
    EXPECT_EQ(HitNode(g, v, 21, 21, false), 2);
    EXPECT_EQ(HitNode(g, v, 300, 100, true), -1);
    // Weight 8 (four each way): r = trunc(4 + 2) = 6; weight 1: r = trunc(1.41 + 2) = 3.
    TConnection* c = g.AddConnection("c", corner, centre);
    for (int i = 0; i < 4; ++i)
        Occur(c, 10 * i, 3);
    TConnection* d = g.AddConnection("d", centre, corner);
    for (int i = 0; i < 4; ++i)
        Occur(d, 10 * i, 3);
    EXPECT_EQ(HitNode(g, v, 236, 150, false), 0);
    EXPECT_EQ(HitNode(g, v, 237, 150, false), -1);
    g.RemoveConnection(d);
    for (int i = 1; i < 4; ++i)
        c->RemoveDataAt(1);
    ASSERT_EQ(corner->Weight(), 1);
    EXPECT_EQ(HitNode(g, v, 22, 22, false), 2);
    EXPECT_EQ(HitNode(g, v, 23, 20, false), -1);
}

TEST(NodeView, ANodesCyclesAreItsStartsOrTheEndsComingIn)
{
    TGraph g;
    TNode* a = NodeAt(g, 0, 0);
    TNode* b = NodeAt(g, 0, 0);
    TNode* e = NodeAt(g, 0, 0);
    TConnection* ab = g.AddConnection("ab", a, b);
    Occur(ab, 100, 5);
    Occur(ab, 200, 0);  // no other length: not counted
    ab->AddData(nullptr);
    TConnection* ae = g.AddConnection("ae", a, e);
    Occur(ae, 300, 2);
    TConnection* be = g.AddConnection("be", b, e);
    Occur(be, 400, 7);
    std::vector<int> cycles = {1, 2};
    CollectNodeCycles(nullptr, a, cycles, false);
    EXPECT_EQ(cycles, (std::vector<int>{1, 2, 100, 300}));
    CollectNodeCycles(nullptr, e, cycles, true);  // end node: start + other length - 1
    EXPECT_EQ(cycles, (std::vector<int>{301, 406}));
    TPathObject path;
    path.Connections() = {be, ab};
    CollectNodeCycles(&path, a, cycles, true);
    EXPECT_EQ(cycles, (std::vector<int>{100}));
    CollectNodeCycles(&path, e, cycles, true);
    EXPECT_EQ(cycles, (std::vector<int>{406}));
    CollectNodeCycles(nullptr, nullptr, cycles, true);
    EXPECT_TRUE(cycles.empty());
}

TEST(NodeView, FeaturesRankByCountTimesTheirRarity)
{
    // 4100 features: more than any fixed-size table of 4000 would hold.
    FeatureList list;
    list.Allocate(4100, 10);
    // Feature 4099 holds at cycles 1, 2, 3 of the node and 1500 times in the
    // 6000-cycle log: 3 x log2(4) = 6. Feature 7 holds at cycle 1 only, 3000
    // times: 1. Feature 5 holds at cycle 9 (not the node's), 10 times: 0.
    for (const int t : {1, 2, 3})
        list.SetBit(4099, t);
    list.SetCount(4099, 1500);
    list.SetBit(7, 1);
    list.SetCount(7, 3000);
    list.SetBit(5, 9);
    list.SetCount(5, 10);
    list.SetBit(6, 2);
    list.SetCount(6, 6000);  // holds always: log2(1) = 0
    const auto ranks = RankNodeFeatures(list, {1, 2, 3, 3, 42, -1}, 6000);
    ASSERT_EQ(ranks.size(), 4100u);
    EXPECT_EQ(ranks[0].feature, 4099);
    EXPECT_EQ(ranks[0].count, 4);  // cycle 3 given twice counts twice
    EXPECT_DOUBLE_EQ(ranks[0].value, 8.0);
    EXPECT_EQ(ranks[1].feature, 7);
    EXPECT_DOUBLE_EQ(ranks[1].value, 1.0);
    // Then the zeros in feature order; every feature that never holds last.
    EXPECT_EQ(ranks[2].feature, 5);
    EXPECT_EQ(ranks[3].feature, 6);
    EXPECT_EQ(ranks[3].count, 1);
    EXPECT_EQ(ranks[4].feature, 0);
    EXPECT_EQ(ranks[4].value, -9999.0);
    EXPECT_EQ(ranks[5].feature, 1);
    EXPECT_EQ(ranks.back().feature, 4098);
    EXPECT_DOUBLE_EQ(list.GetValue(4099), 8.0);
    EXPECT_EQ(list.GetValue(0), -9999.0);
}

TEST(NodeView, TheCircleLayoutRepeatsWithTheSeed)
{
    TGraph g;
    for (int i = 0; i < 6; ++i)
        NodeAt(g, 99, 99);
    platform::SeedRandom(7);
    RandomCircleLayout(g);
    std::vector<double> first;
    for (int i = 0; i < 6; ++i) {
        const TNode* n = g.GetNode(i);
        EXPECT_NEAR(std::hypot(n->GetX(), n->GetY()), 20.0, 1e-9);
        first.push_back(n->GetX());
        first.push_back(n->GetY());
    }
    platform::SeedRandom(7);
    const int degrees = platform::RandomBelow(360);
    EXPECT_DOUBLE_EQ(first[0], 20.0 * std::sin(degrees * 3.1415 / 180.0));
    platform::SeedRandom(7);
    RandomCircleLayout(g);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(g.GetNode(i)->GetX(), first[2 * i]);
        EXPECT_EQ(g.GetNode(i)->GetY(), first[2 * i + 1]);
    }
}

TEST(NodeView, ExamplePointsJitterRoundTheBallOnAGeneratorOfTheirOwn)
{
    FilledRecord record(50);
    for (int t = 0; t < 50; ++t)
        record.Place(0, t, t - 20.0, 0.5 * t);
    const std::vector<int> cycles = {3, 60, 10, -1, 49};
    // Without jitter every point is the ball's position; cycles outside the log are skipped.
    const auto exact = ExamplePoints(record.File(), cycles, 0, 1000);
    ASSERT_EQ(exact.size(), 3u);
    EXPECT_EQ(exact[0].index, 0);
    EXPECT_EQ(exact[1].index, 2);
    EXPECT_EQ(exact[2].index, 4);
    EXPECT_EQ(exact[1].x, -10.0);
    EXPECT_EQ(exact[1].y, 5.0);

    platform::SeedRandom(11);
    const int next = platform::RandomBelow(1000000);
    platform::SeedRandom(11);
    std::vector<int> all;
    for (int t = 0; t < 50; ++t)
        all.push_back(t);
    const auto jittered = ExamplePoints(record.File(), all, 4, 1000);
    EXPECT_EQ(platform::RandomBelow(1000000), next) << "the program's random source is left alone";
    bool moved = false;
    for (const TExamplePoint& p : jittered) {
        for (const double d : {p.x - (p.index - 20.0), p.y - 0.5 * p.index}) {
            EXPECT_LE(std::fabs(d), 0.8 + 1e-9);
            EXPECT_NEAR(d / 0.04, std::round(d / 0.04), 1e-6);  // whole steps of 0.04 m
            moved = moved || std::fabs(d) > 1e-9;
        }
    }
    EXPECT_TRUE(moved);
    // The same seed gives the same offsets; another seed others.
    const auto again = ExamplePoints(record.File(), all, 4, 1000);
    const auto other = ExamplePoints(record.File(), all, 4, 1001);
    bool differs = false;
    for (std::size_t i = 0; i < again.size(); ++i) {
        EXPECT_EQ(again[i].x, jittered[i].x);
        EXPECT_EQ(again[i].y, jittered[i].y);
        differs = differs || other[i].x != again[i].x;
    }
    EXPECT_TRUE(differs);
    // The palette: packed r + g x 256 + b x 65536.
    EXPECT_EQ(kExamplePalette[1], 0x0000FFu);
    EXPECT_EQ(kExamplePalette[4], 255u + 251u * 256u + 240u * 65536u);
    EXPECT_EQ(kExamplePalette[17], 166u + 202u * 256u + 240u * 65536u);
    EXPECT_EQ(kExamplePalette[21], 0u);
}
