#include "core/concepts/SpatialConcepts.h"

#include "core/concepts/Concepts.h"
#include "support/FilledRecord.h"
#include "support/HierarchyTestUtil.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using namespace hierarchytest;

namespace {

// The builders write into the current folder: each test gets a fresh one.
class SpatialConcepts : public ::testing::Test {
    InTempDir dir_{"spatial"};
};

BasicGameData Point(double x, double y)
{
    BasicGameData s;
    s.x = x;
    s.y = y;
    return s;
}

}  // namespace

TEST_F(SpatialConcepts, PositionNodesIdsAndFeatureOrder)
{
    Root root(CreatePositionConcepts());
    const std::vector<std::string> table{
        "Field-area", "Vertical-area", "Left-wing", "Center-of-the-field", "Right-wing", "Left-half",
        "Right-half", "Horizontal-area", "Defending-half", "Defending-third", "Danger-zone", "Goal-box",
        "Penalty-box", "Attacking-half", "Attacking-third", "Danger-zone", "Goal-box", "Penalty-box",
        "Middle-third", "Center-circle", "Out-of-field", "Out-of-bounds", "Right-sideline", "Left-sideline",
        "Out-of-goalline", "Our-side", "Our-goal", "Opponent-side", "Opponent-goal"};
    const std::vector<ConceptObject*> all = Collect(root.get(), true);
    ASSERT_EQ(all.size(), table.size());
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i]->GetName(), table[i]);
        EXPECT_EQ(all[i]->GetId(), static_cast<int>(i) + 1) << table[i];  // a tree: ids in table order
        EXPECT_EQ(all[i]->GetTreeDepth(), 4);
    }
    EXPECT_EQ(Paths(Collect(root.get(), false)),
              (std::vector<std::string>{"Field-area", "Left-wing", "Center-of-the-field", "Right-wing", "Left-half",
                                        "Right-half", "Defending-half", "Defending-half.Defending-third",
                                        "Defending-half.Defending-third.Danger-zone",
                                        "Defending-half.Defending-third.Goal-box",
                                        "Defending-half.Defending-third.Penalty-box", "Attacking-half",
                                        "Attacking-half.Attacking-third", "Attacking-half.Attacking-third.Danger-zone",
                                        "Attacking-half.Attacking-third.Goal-box",
                                        "Attacking-half.Attacking-third.Penalty-box", "Middle-third",
                                        "Center-circle", "Out-of-field", "Out-of-bounds", "Right-sideline",
                                        "Left-sideline", "Out-of-goalline", "Our-side", "Our-goal",
                                        "Opponent-side", "Opponent-goal"}));
    EXPECT_FALSE(root->GetInPath());
    EXPECT_TRUE(root->GetPrune());
    EXPECT_FALSE(Find(root.get(), "Out-of-field")->GetPrune());
    EXPECT_TRUE(Find(root.get(), "Out-of-bounds")->GetPrune());
    EXPECT_TRUE(Find(root.get(), "Vertical-area")->GetPrune());
}

TEST_F(SpatialConcepts, PositionWeightsShareByParent)
{
    Root root(CreatePositionConcepts());
    EXPECT_DOUBLE_EQ(root->GetWeight(), 1.0);
    const std::vector<std::pair<const char*, double>> expected{
        {"Vertical-area", 1.0 / 3},
        {"Horizontal-area", 1.0 / 3},
        {"Out-of-field", 1.0 / 3},
        {"Left-wing", 0.2},
        {"Right-half", 0.2},
        {"Defending-half", 1.0 / 3},
        {"Middle-third", 1.0 / 3},
        {"Defending-half.Defending-third", 1.0},
        {"Attacking-half.Attacking-third", 1.0},
        {"Center-circle", 1.0},
        {"Defending-half.Defending-third.Goal-box", 1.0 / 3},
        {"Attacking-half.Attacking-third.Penalty-box", 1.0 / 3},
        {"Out-of-bounds", 0.5},
        {"Left-sideline", 0.5},
        {"Opponent-side", 0.5},
        {"Our-goal", 1.0},
        {"Opponent-goal", 1.0},
    };
    for (const auto& [path, weight] : expected) {
        ConceptObject* n = Find(root.get(), path);
        ASSERT_NE(n, nullptr) << path;
        EXPECT_DOUBLE_EQ(n->GetWeight(), weight) << path;
    }
}

TEST_F(SpatialConcepts, PositionRegionsOfWorkedPoints)
{
    Root root(CreatePositionConcepts());
    // y = 0 lies in both halves.
    EXPECT_EQ(Holding(root.get(), Point(-50, 0)),
              (std::set<std::string>{"Field-area", "Center-of-the-field", "Left-half", "Right-half", "Defending-half",
                                     "Defending-half.Defending-third", "Defending-half.Defending-third.Danger-zone",
                                     "Defending-half.Defending-third.Goal-box",
                                     "Defending-half.Defending-third.Penalty-box"}));
    EXPECT_EQ(Holding(root.get(), Point(53, 0)),
              (std::set<std::string>{"Out-of-field", "Out-of-goalline", "Opponent-side", "Opponent-goal"}));
    // The wing boundary is 34 - 68/3: a point just inside the left wing.
    EXPECT_EQ(Holding(root.get(), Point(0, -11.34)),
              (std::set<std::string>{"Field-area", "Left-wing", "Left-half", "Defending-half", "Attacking-half",
                                     "Middle-third"}));
    // The wings end one unit in the last place short of a third of the width:
    // W = 34 - 68/3 lies on both sides of the boundary, 34/3 beyond it.
    const double w = 34.0 - 68.0 / 3.0;
    ASSERT_LT(-34.0 / 3.0, -w);
    for (double x : {-30.0, 30.0}) {
        const std::set<std::string> onBoundary = Holding(root.get(), Point(x, -w));
        EXPECT_EQ(onBoundary.count("Left-wing"), 1u);
        EXPECT_EQ(onBoundary.count("Center-of-the-field"), 1u);
        const std::set<std::string> beyond = Holding(root.get(), Point(x, -34.0 / 3.0));
        EXPECT_EQ(beyond.count("Left-wing"), 1u);
        EXPECT_EQ(beyond.count("Center-of-the-field"), 0u);
        EXPECT_EQ(Holding(root.get(), Point(x, w)).count("Right-wing"), 1u);
        EXPECT_EQ(Holding(root.get(), Point(x, w)).count("Center-of-the-field"), 1u);
        EXPECT_EQ(Holding(root.get(), Point(x, 34.0 / 3.0)).count("Center-of-the-field"), 0u);
    }
    // Beyond the negative-y touch line: the side of "Left-wing", named "Right-sideline".
    EXPECT_EQ(Holding(root.get(), Point(10, -35)),
              (std::set<std::string>{"Out-of-field", "Out-of-bounds", "Right-sideline"}));
    EXPECT_EQ(Holding(root.get(), Point(3, 4)),
              (std::set<std::string>{"Field-area", "Center-of-the-field", "Right-half", "Attacking-half",
                                     "Middle-third", "Center-circle"}));
}

TEST_F(SpatialConcepts, PositionGmlFile)
{
    Root root(CreatePositionConcepts());
    const std::string gml = ReadBytes("PositionConcepts.gml");
    EXPECT_EQ(gml.substr(0, GmlHead("Field-area").size()), GmlHead("Field-area"));
    EXPECT_EQ(Count(gml, "  node\r\n"), 29);
    EXPECT_EQ(Count(gml, "  edge\r\n"), 28);
    // 7 header lines, 17 per node, 16 per edge, the closing bracket.
    EXPECT_EQ(Count(gml, "\r\n"), 949);
    EXPECT_NE(gml.find("label \"Defending-half.Defending-third.Goal-box\""), std::string::npos);
}

TEST_F(SpatialConcepts, SpeedSharesMediumSpeed)
{
    Root root(CreateSpeedConcepts());
    const std::vector<ConceptObject*> all = Collect(root.get(), true);
    ASSERT_EQ(all.size(), 8u);
    EXPECT_EQ(Collect(root.get(), false).size(), 7u);
    EXPECT_EQ(root->GetTreeDepth(), 3);
    // Pre-order ids; the shared node is numbered on both visits and keeps the later id.
    const std::vector<std::pair<const char*, int>> ids{{"Speed", 1},  {"Stationary", 2},   {"Moving", 3},
                                                       {"Slower", 4}, {"Slow", 5},         {"Faster", 7},
                                                       {"Medium-speed", 8}, {"Fast", 9}};
    for (const auto& [name, id] : ids) {
        ConceptObject* n = Find(root.get(), name);
        ASSERT_NE(n, nullptr) << name;
        EXPECT_EQ(n->GetId(), id) << name;
        EXPECT_DOUBLE_EQ(n->GetWeight(), n == root.get() ? 1.0 : 0.5) << name;
    }
    EXPECT_EQ(Find(root.get(), "Medium-speed")->GetParent(), Find(root.get(), "Faster"));
    // Feature order: the shared class once, at its first place.
    EXPECT_EQ(Paths(Collect(root.get(), false)),
              (std::vector<std::string>{"Stationary", "Moving", "Slower", "Slow", "Medium-speed", "Faster", "Fast"}));

    const std::string gml = ReadBytes("SpeedConcepts.gml");
    EXPECT_EQ(gml.substr(0, GmlHead("Speed").size()), GmlHead("Speed"));
    EXPECT_EQ(Count(gml, "  node\r\n"), 8);
    EXPECT_EQ(Count(gml, "\r\n"), 272);
    EXPECT_EQ(Edges(gml), (std::vector<std::pair<int, int>>{{2, 1}, {3, 1}, {4, 3}, {5, 4}, {8, 4}, {7, 3}, {8, 7},
                                                            {9, 7}}));
}

TEST_F(SpatialConcepts, SpeedClassesOfAMovingPlayer)
{
    Root root(CreateSpeedConcepts());
    FilledRecord log(3);
    log.Place(2, 2, 0.6, 0);  // 0.2 per cycle over the window of three
    EXPECT_EQ(Holding(root.get(), log.At(2, 1)),
              (std::set<std::string>{"Moving", "Slower", "Medium-speed", "Faster"}));
    EXPECT_EQ(Holding(root.get(), log.At(5, 1)), (std::set<std::string>{"Stationary"}));
}

TEST_F(SpatialConcepts, BallRelativeNodesIdsAndFile)
{
    Root root(CreateBallRelativeConcepts());
    const std::vector<ConceptObject*> all = Collect(root.get(), true);
    ASSERT_EQ(all.size(), 23u);
    EXPECT_EQ(root->GetTreeDepth(), 3);
    EXPECT_EQ(Paths(Collect(root.get(), false)),
              (std::vector<std::string>{"Has-ball", "Front", "Back", "Left", "Right", "Incoming", "Incoming-slow",
                                        "Incoming-fast", "Moving-away", "Moving-away-slow", "Moving-away-fast",
                                        "Still", "Short-distance", "Immediate", "Near", "Medium-distance", "Far",
                                        "Long-distance", "Very-far"}));
    // Ids 1 to 18 in table order up to "Immediate"; "Near" and "Far" are visited
    // twice and keep their second ids.
    for (int i = 0; i < 18; ++i)
        EXPECT_EQ(all[static_cast<std::size_t>(i)]->GetId(), i + 1) << all[static_cast<std::size_t>(i)]->GetName();
    EXPECT_EQ(Find(root.get(), "Near")->GetId(), 21);
    EXPECT_EQ(Find(root.get(), "Medium-distance")->GetId(), 20);
    EXPECT_EQ(Find(root.get(), "Far")->GetId(), 24);
    EXPECT_EQ(Find(root.get(), "Long-distance")->GetId(), 23);
    EXPECT_EQ(Find(root.get(), "Very-far")->GetId(), 25);
    for (const char* child : {"Has-ball", "Ball-pos", "Ball-movement", "Ball-dist"})
        EXPECT_DOUBLE_EQ(Find(root.get(), child)->GetWeight(), 0.25) << child;
    EXPECT_FALSE(Find(root.get(), "Has-ball")->GetPrune());
    EXPECT_TRUE(Find(root.get(), "Front")->GetPrune());

    const std::string gml = ReadBytes("BallRelativeConcepts.gml");
    EXPECT_EQ(gml.substr(0, GmlHead("BallRelative").size()), GmlHead("BallRelative"));
    EXPECT_EQ(Count(gml, "  node\r\n"), 23);
    EXPECT_EQ(Count(gml, "  edge\r\n"), 24);
    EXPECT_EQ(Count(gml, "\r\n"), 783);
    const std::vector<std::pair<int, int>> edges = Edges(gml);
    for (std::pair<int, int> shared : {std::pair{21, 17}, {21, 20}, {24, 20}, {24, 23}})
        EXPECT_NE(std::find(edges.begin(), edges.end(), shared), edges.end())
            << shared.first << " -> " << shared.second;
}

TEST_F(SpatialConcepts, BallRelativeConceptsOfAPlayer)
{
    Root root(CreateBallRelativeConcepts());
    FilledRecord log(3);
    log.PlaceAlways(0, 0, 0);
    log.PlaceAlways(4, 18, 24);  // 30 from the ball at every cycle
    log.SetPossessor(4, 1, 1);
    EXPECT_EQ(Holding(root.get(), log.At(4, 1)),
              (std::set<std::string>{"Has-ball", "Front", "Right", "Still", "Long-distance", "Very-far"}));
    // The ball rushes in from 30 to 3 away over two cycles and ends at the
    // player's x, at smaller y.
    log.PlaceAlways(4, 0, 4);
    log.Place(0, 0, 0, -26);
    log.Place(0, 2, 0, 1);
    EXPECT_EQ(Holding(root.get(), log.At(4, 2)),
              (std::set<std::string>{"Front", "Back", "Right", "Incoming", "Incoming-fast", "Short-distance",
                                     "Immediate"}));
    // The ball itself relates to nothing but its own distance 0.
    EXPECT_EQ(Holding(root.get(), log.At(0, 1)), (std::set<std::string>{"Short-distance", "Immediate"}));
}
