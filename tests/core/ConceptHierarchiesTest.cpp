#include "core/concepts/ConceptHierarchies.h"

#include "support/HierarchyTestUtil.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using namespace hierarchytest;

namespace {

// The GML text of a tree listed in pre-order as (level, label), written from
// the file layout alone: ids count up in the listed order, and every node but
// the first has one edge to the nearest earlier node a level up.
std::string TreeGml(const std::vector<std::pair<int, std::string>>& tree)
{
    std::string text = "Creator \"Velotrask\"\r\nVersion\t2.2\r\ngraph\r\n[\r\n  hierarchic\t1\r\n  label \"" +
                       tree.front().second + "\"\r\n  directed\t1\r\n";
    for (std::size_t i = 0; i < tree.size(); ++i)
        text += "  node\r\n  [\r\n    id " + std::to_string(i + 1) + "\r\n    label \"" + tree[i].second +
                "\"\r\n    graphics\r\n    [\r\n      w 140\r\n      h 20\r\n    ]\r\n    LabelGraphics\r\n    [\r\n"
                "      text \"" + tree[i].second + " \"\r\n      fontSize 12\r\n      fontName \"Dialog\"\r\n"
                "      anchor \"c\"\r\n    ]\r\n  ]\r\n";
    std::vector<std::size_t> openAt;  // index of the latest node on each level
    for (std::size_t i = 0; i < tree.size(); ++i) {
        const auto level = static_cast<std::size_t>(tree[i].first);
        openAt.resize(level);
        if (level > 0)
            text += "  edge\r\n  [\r\n    source " + std::to_string(i + 1) + "\r\n    target " +
                    std::to_string(openAt[level - 1] + 1) +
                    "\r\n    graphics\r\n    [\r\n      width 1\r\n      targetArrow \"standard\"\r\n    ]\r\n"
                    "    LabelGraphics\r\n    [\r\n      text \"\"\r\n      fontSize 12\r\n      fontName\t\"Dialog\"\r\n"
                    "    ]\r\n  ]\r\n";
        openAt.push_back(i);
    }
    return text + "]\r\n";
}

// The hierarchies write their GML files into the current folder: every test
// runs in a fresh temporary one and frees whatever it built.
class ConceptHierarchies : public ::testing::Test {
protected:
    void TearDown() override { FreeConceptHierarchies(); }

private:
    InTempDir dir_{"hierarchies"};
};

struct Expected {
    const char* name;
    int level;
    ConceptObject** global;  // the pointer that must hold the node, or null
};

// The action hierarchy in pre-order, as the program documents it.
const std::vector<Expected> kActions = {
    {"Action", 0, nullptr},
    {"Keepaway", 1, nullptr},
    {"Hold", 2, &coHold},
    {"Pass-K2K3", 2, &coPassK2K3},
    {"Pass-K2", 3, &coPassK2},
    {"Pass-K3", 3, &coPassK3},
    {"Intercepted-pass", 2, &coInterceptedPass},
    {"Movement", 1, &coMovement},
    {"Defensive-movement", 2, &coDefensiveMovement},
    {"Intercept", 3, &coIntercept},
    {"Cover", 3, nullptr},
    {"Area-of-the-field", 4, &coAreaOfTheField},
    {"An-opponent", 4, &coAnOpponent},
    {"Tracking", 5, &coTracking},
    {"Passing-on", 5, &coPassingOn},
    {"Defensive-support", 4, &coDefensiveSupport},
    {"Tackle", 3, &coTackle},
    {"Undecided-movement", 2, nullptr},
    {"Run-for-ball", 3, nullptr},
    {"Offensive-movement", 2, &coOffensiveMovement},
    {"Movement-off-the-ball", 3, nullptr},
    {"Creating-space", 4, &coCreatingSpace},
    {"Attack-support", 4, &coAttackSupport},
    {"Movement-on-the-ball", 3, &coMovementOnTheBall},
    {"Control-dribble", 4, &coControlDribble},
    {"Speed-dribble", 4, &coSpeedDribble},
    {"Long-dribble", 4, &coLongDribble},
    {"Catch", 1, nullptr},
    {"No-action", 1, nullptr},
    {"Kick", 1, &coKick},
    {"Successful-shoot", 2, &coSuccessfulShoot},
    {"Pass", 2, &coPass},
    {"To-player", 3, &coToPlayer},
    {"To-space", 3, &coToSpace},
    {"Square-pass", 4, &coSquarePass},
    {"Cross-pass", 4, &coCrossPass},
    {"Through-pass", 4, &coThroughBall},
    {"Diagonal-through-pass", 5, &coDiagonalThroughPass},
    {"Straight-through-pass", 5, &coStraightThroughPass},
    {"Miss", 2, &coMiss},
    {"Unsuccessful-shoot", 3, &coUnsuccessfulShoot},
    {"To-opponent", 3, &coToOpponent},
    {"Sideline", 3, &coSideline},
    {"Corner", 3, &coCorner},
    {"Goalline", 3, &coGoalline},
};

// One side's role subtree in pre-order with its two-entry tables.
struct SideRole {
    const char* name;
    int levelBelowSide;
    ConceptObject** table;
};
const std::vector<SideRole> kSideRoles = {
    {"Field-player", 1, coFieldPlayer}, {"FW", 2, nullptr}, {"L-FW", 3, coLFW},   {"C-FW", 3, coCFW},
    {"LC-FW", 4, coLCFW},               {"RC-FW", 4, coRCFW}, {"R-FW", 3, coRFW}, {"MF", 2, nullptr},
    {"L-MF", 3, coLMF},                 {"C-MF", 3, coCMF},   {"LC-MF", 4, coLCMF}, {"RC-MF", 4, coRCMF},
    {"R-MF", 3, coRMF},                 {"FB", 2, nullptr},   {"L-FB", 3, coLFB},   {"C-FB", 3, coCFB},
    {"LC-FB", 4, coLCFB},               {"RC-FB", 4, coRCFB}, {"R-FB", 3, coRFB},   {"SW", 2, coSW},
    {"ST", 2, coST},                    {"GK", 1, coGK},
};

// A node of the role hierarchy as the program documents it.
struct RoleNode {
    int level;
    std::string path;
    bool prune;
    bool inPath;
    ConceptObject* const* global;  // the pointer that must hold the node, or null
};

// The role hierarchy in pre-order.
std::vector<RoleNode> RoleTree()
{
    std::vector<RoleNode> tree = {{0, "Team", false, false, nullptr},
                                  {1, "Ball", true, false, &coBall},
                                  {1, "Team-Numbers", true, false, nullptr}};
    const std::string sides[2] = {"LTeam", "RTeam"};
    for (int s = 0; s < 2; ++s) {
        tree.push_back({2, sides[s], false, true, nullptr});
        for (int n = 0; n < 11; ++n)
            tree.push_back({3, sides[s] + "." + std::to_string(n + 1), true, false, &coTeamNumber[s][n]});
    }
    tree.push_back({1, "Team-Roles", true, false, nullptr});
    for (int s = 0; s < 2; ++s) {
        tree.push_back({2, sides[s], false, true, nullptr});
        for (const SideRole& r : kSideRoles)
            tree.push_back({2 + r.levelBelowSide, sides[s] + "." + r.name, true, false, r.table ? r.table + s : nullptr});
    }
    return tree;
}

// The roots of the seven hierarchies.
ConceptObject** const kRoots[] = {&g_positionConcepts, &g_actionConcepts,     &g_roleConcepts,   &g_speedConcepts,
                                  &g_ballRelativeConcepts, &g_teamplayConcepts, &g_relativeConcepts};

}  // namespace

TEST_F(ConceptHierarchies, ActionHierarchyHasTheDocumentedNodesIdsAndPointers)
{
    g_actionConcepts = CreateActionConcepts();
    std::vector<ConceptObject*> nodes;
    ConceptObject::CollectConcepts(g_actionConcepts, &nodes, true);
    ASSERT_EQ(nodes.size(), kActions.size());
    ASSERT_EQ(nodes.size(), 45u);
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const Expected& e = kActions[i];
        ConceptObject* n = nodes[i];
        EXPECT_EQ(n->GetName(), e.name);
        EXPECT_EQ(n->GetId(), static_cast<int>(i) + 1) << e.name;
        EXPECT_EQ(n->GetLevel(), e.level) << e.name;
        EXPECT_EQ(n->GetTreeDepth(), 5) << e.name;
        EXPECT_EQ(n->GetPrune(), i != 0) << e.name;
        EXPECT_FALSE(n->GetInPath()) << e.name;
        EXPECT_EQ(n->GetEvaluator(), nullptr) << e.name;
        EXPECT_EQ(ConceptObject::GetPathName(n), e.name);
        if (e.global) {
            EXPECT_EQ(*e.global, n) << e.name;
        }
    }
    EXPECT_EQ(coThroughBall->GetName(), "Through-pass");

    // The root's five children share its weight; below, every child of a node
    // with n children weighs 1/n.
    EXPECT_DOUBLE_EQ(g_actionConcepts->GetWeight(), 1.0);
    EXPECT_DOUBLE_EQ(coKick->GetWeight(), 0.2);
    EXPECT_DOUBLE_EQ(coPass->GetWeight(), 1.0 / 3.0);
    EXPECT_DOUBLE_EQ(coGoalline->GetWeight(), 0.2);
    EXPECT_DOUBLE_EQ(coTracking->GetWeight(), 0.5);
    EXPECT_DOUBLE_EQ(ConceptObject::GetWeightSum(coThroughBall), 1.0 / 3.0 + 1.0);
}

TEST_F(ConceptHierarchies, ActionRelationsAndDistance)
{
    g_actionConcepts = CreateActionConcepts();
    EXPECT_TRUE(ConceptObject::IsA(coDiagonalThroughPass, coPass));
    EXPECT_TRUE(ConceptObject::IsA(coCrossPass, coToSpace));
    EXPECT_FALSE(ConceptObject::IsA(coHold, coKick));
    EXPECT_FALSE(ConceptObject::IsA(coPass, coDiagonalThroughPass));
    EXPECT_EQ(ConceptObject::CommonAncestor(coLongDribble, coSpeedDribble), coMovementOnTheBall);
    // ((5 - 3) + 2 / 10) / 6
    EXPECT_NEAR(ConceptObject::Distance(coLongDribble, coSpeedDribble, 1.0), 2.2 / 6.0, 1e-12);
    EXPECT_NEAR(ConceptObject::Distance(coLongDribble, coSpeedDribble, 1.0), 0.36667, 1e-5);
}

TEST_F(ConceptHierarchies, RoleHierarchyHasTheDocumentedNodesIdsPathsAndTables)
{
    g_roleConcepts = CreateRoleConcepts();
    const std::vector<RoleNode> tree = RoleTree();
    const std::vector<ConceptObject*> nodes = Collect(g_roleConcepts, true);
    ASSERT_EQ(nodes.size(), 74u);
    ASSERT_EQ(nodes.size(), tree.size());
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const RoleNode& want = tree[i];
        ConceptObject* n = nodes[i];
        EXPECT_EQ(ConceptObject::GetPathName(n), want.path) << i;
        EXPECT_EQ(n->GetId(), static_cast<int>(i) + 1) << want.path;
        EXPECT_EQ(n->GetLevel(), want.level) << want.path;
        EXPECT_EQ(n->GetTreeDepth(), 6) << want.path;
        EXPECT_EQ(n->GetPrune(), want.prune) << want.path;
        EXPECT_EQ(n->GetInPath(), want.inPath) << want.path;
        EXPECT_EQ(n->GetEvaluator(), nullptr) << want.path;
        if (want.global) {
            EXPECT_EQ(*want.global, n) << want.path;
        }
    }
    // Spot checks written out by hand.
    EXPECT_EQ(coGK[0]->GetId(), 51);
    EXPECT_EQ(coGK[1]->GetId(), 74);
    EXPECT_EQ(ConceptObject::GetPathName(coTeamNumber[0][6]), "LTeam.7");
    EXPECT_EQ(ConceptObject::GetPathName(coLCMF[0]), "LTeam.LC-MF");
}

TEST_F(ConceptHierarchies, RoleDistances)
{
    g_roleConcepts = CreateRoleConcepts();
    // Same side: common ancestor "FB" (level 4), D = 6: ((6 - 4) + 2 / 12) / 7.
    EXPECT_NEAR(ConceptObject::Distance(coLFB[0], coRFB[0], 1.0), (2.0 + 2.0 / 12.0) / 7.0, 1e-12);
    EXPECT_NEAR(ConceptObject::Distance(coLFB[0], coRFB[0], 1.0), 0.309524, 1e-6);
    // Across sides: common ancestor "Team-Roles" (level 1): ((6 - 1) + 8 / 12) / 7.
    EXPECT_EQ(ConceptObject::CommonAncestor(coLFB[0], coLFB[1]), g_roleConcepts->GetChildren()[2]);
    EXPECT_NEAR(ConceptObject::Distance(coLFB[0], coLFB[1], 1.0), 0.809524, 1e-6);
    EXPECT_FALSE(ConceptObject::IsRelated(coGK[0], coGK[1]));

}

// The distances the action graph's joining and the strategy learning rely on,
// on the program's own hierarchies (alpha 1).
TEST_F(ConceptHierarchies, DistancesTheActionGraphReliesOn)
{
    g_actionConcepts = CreateActionConcepts();
    g_roleConcepts = CreateRoleConcepts();
    EXPECT_EQ(ConceptObject::GetPathName(coSpeedDribble), "Speed-dribble");  // actions name no path
    EXPECT_EQ(ConceptObject::GetPathName(coLFW[0]), "LTeam.L-FW");
    EXPECT_EQ(ConceptObject::GetPathName(coGK[1]), "RTeam.GK");
    EXPECT_EQ(g_actionConcepts->GetTreeDepth(), 5);
    EXPECT_EQ(g_roleConcepts->GetTreeDepth(), 6);
    struct Case {
        ConceptObject* a;
        ConceptObject* b;
        double want;
    };
    const Case cases[] = {
        {coLongDribble, coSpeedDribble, (2 + 0.2) / 6},    // lca Movement-on-the-ball
        {coSpeedDribble, coAttackSupport, (3 + 0.4) / 6},  // lca Offensive-movement
        {coSpeedDribble, coToPlayer, (5 + 0.7) / 6},       // lca the root
        {coLFW[0], coRFW[0], (2 + 2.0 / 12) / 7},           // lca FW
        {coLFW[0], coLMF[0], (3 + 4.0 / 12) / 7},           // lca Field-player
        {coLCFW[0], coCFW[0], (1 + 1.0 / 12) / 7},
        {coLFW[0], coLFW[1], (5 + 8.0 / 12) / 7},           // the two sides
        {coLFW[0], coLFW[0], 0.0},
        {coLFW[0], coSpeedDribble, 99999.0},
        {nullptr, coSpeedDribble, 99999.0},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(ConceptObject::Distance(c.a, c.b, 1.0), c.want, 1e-12)
            << ConceptObject::GetPathName(c.a) << " / " << ConceptObject::GetPathName(c.b);
        EXPECT_NEAR(ConceptObject::Distance(c.b, c.a, 1.0), c.want, 1e-12);
    }
    EXPECT_NEAR(ConceptObject::Distance(coSpeedDribble, coAttackSupport, 1.0), 0.566667, 1e-6);
    EXPECT_NEAR(ConceptObject::Distance(coLFW[0], coLMF[0], 1.0), 0.476190, 1e-6);
    EXPECT_NEAR(ConceptObject::Distance(coLCFW[0], coCFW[0], 1.0), 0.154762, 1e-6);
}

TEST_F(ConceptHierarchies, GmlFilesFollowTheDocumentedTreesByteForByte)
{
    g_actionConcepts = CreateActionConcepts();
    std::vector<std::pair<int, std::string>> actions;
    for (const Expected& e : kActions)
        actions.emplace_back(e.level, e.name);
    EXPECT_EQ(ReadBytes("ActionConcepts.gml"), TreeGml(actions));

    g_roleConcepts = CreateRoleConcepts();
    std::vector<std::pair<int, std::string>> roles;
    for (const RoleNode& n : RoleTree())
        roles.emplace_back(n.level, n.path);
    EXPECT_EQ(ReadBytes("RoleConcepts.gml"), TreeGml(roles));
}

TEST_F(ConceptHierarchies, RoleWeightsShareEachParentsTotal)
{
    g_roleConcepts = CreateRoleConcepts();
    // Every child of a node with n children weighs 1/n, at any depth.
    EXPECT_DOUBLE_EQ(g_roleConcepts->GetWeight(), 1.0);
    EXPECT_DOUBLE_EQ(coBall->GetWeight(), 1.0 / 3.0);
    EXPECT_DOUBLE_EQ(coTeamNumber[1][4]->GetWeight(), 1.0 / 11.0);
    EXPECT_DOUBLE_EQ(coFieldPlayer[0]->GetWeight(), 0.5);  // beside "GK"
    EXPECT_DOUBLE_EQ(coGK[1]->GetWeight(), 0.5);
    EXPECT_DOUBLE_EQ(coSW[0]->GetWeight(), 0.2);  // "FW", "MF", "FB", "SW", "ST"
    EXPECT_DOUBLE_EQ(coCMF[0]->GetWeight(), 1.0 / 3.0);
    EXPECT_DOUBLE_EQ(coRCMF[1]->GetWeight(), 0.5);
    // Numbers: 1/3 + 2 x 1/2 + 22 x 1/11; a side below its node: 1/2 + 1/2 +
    // 5 x 1/5 + 3 x (3 x 1/3 + 2 x 1/2) = 8; roles: 1/3 + 2 x 1/2 + 2 x 8.
    EXPECT_DOUBLE_EQ(ConceptObject::GetWeightSum(g_roleConcepts), 1.0 + 1.0 / 3.0 + 10.0 / 3.0 + 52.0 / 3.0);
    // Weight form: "FB" sums 1/5 + 3 x 1/3 + 2 x 1/2 = 2.2; "L-FB" and "R-FB" 1/3 each.
    EXPECT_NEAR(ConceptObject::Distance(coLFB[0], coRFB[0], -1.0), 2.2 - 1.0 / 3.0, 1e-12);
    EXPECT_DOUBLE_EQ(ConceptObject::Distance(coLCFB[0], coFieldPlayer[0], -1.0), 0.0);
}

TEST_F(ConceptHierarchies, TeamplayIsOneUnnumberedInPathNode)
{
    g_teamplayConcepts = CreateTeamplayConcepts();
    ConceptObject* t = g_teamplayConcepts;
    EXPECT_EQ(t->GetName(), "Teamplay");
    EXPECT_TRUE(t->GetInPath());
    EXPECT_FALSE(t->GetPrune());
    EXPECT_EQ(t->GetChildCount(), 0);
    EXPECT_EQ(t->GetId(), 0);  // not numbered
    EXPECT_EQ(ConceptObject::GetWeightSum(t), 0.0);  // not weighted
    std::vector<ConceptObject*> evaluable;
    ConceptObject::CollectConcepts(t, &evaluable, false);
    EXPECT_TRUE(evaluable.empty());
    EXPECT_TRUE(fs::is_empty(fs::current_path()));
}

TEST_F(ConceptHierarchies, BuildingAndFreedRepeatedlyLeavesNoStalePointers)
{
    std::int32_t oldHandle = 0;
    for (int round = 0; round < 3; ++round) {
        CreateConceptHierarchies();
        for (ConceptObject** root : kRoots)
            ASSERT_NE(*root, nullptr);
        // Six of the seven are written at every start; teamplay is not.
        for (const char* gml : {"PositionConcepts.gml", "ActionConcepts.gml", "RoleConcepts.gml", "SpeedConcepts.gml",
                                "BallRelativeConcepts.gml", "RelativeConcepts.gml"})
            EXPECT_TRUE(fs::exists(gml)) << gml;
        EXPECT_TRUE(ConceptObject::IsA(coLongDribble, g_actionConcepts));
        EXPECT_TRUE(ConceptObject::IsA(coTeamNumber[1][10], g_roleConcepts));
        // Channels store handles: they lead back to the node while it lives.
        EXPECT_EQ(ConceptFromHandle(ConceptHandle(coGK[1])), coGK[1]);
        if (oldHandle != 0) {
            EXPECT_EQ(ConceptFromHandle(oldHandle), nullptr);
        }
        oldHandle = ConceptHandle(coLongDribble);
        std::vector<std::int32_t> handles;
        for (ConceptObject** root : kRoots)
            for (ConceptObject* n : Collect(*root, true))
                handles.push_back(ConceptHandle(n));

        FreeConceptHierarchies();
        // Every node of every hierarchy is gone, shared ones included.
        for (std::int32_t h : handles)
            ASSERT_EQ(ConceptFromHandle(h), nullptr) << h;
        for (ConceptObject** root : kRoots)
            EXPECT_EQ(*root, nullptr);
        EXPECT_EQ(ConceptFromHandle(oldHandle), nullptr);
        for (const Expected& e : kActions) {
            if (e.global) {
                EXPECT_EQ(*e.global, nullptr) << e.name;
            }
        }
        for (const RoleNode& n : RoleTree()) {
            if (n.global) {
                EXPECT_EQ(*n.global, nullptr) << n.path;
            }
        }
    }
    // Building again over built hierarchies frees the old ones first.
    CreateConceptHierarchies();
    const std::int32_t first = ConceptHandle(coKick);
    CreateConceptHierarchies();
    EXPECT_EQ(ConceptFromHandle(first), nullptr);
    EXPECT_NE(coKick, nullptr);
}

// The GML files are written unasked at every start: a link in their place is
// never followed, whoever owns it, and each file that cannot be written is
// told to the caller (and on the error stream) while the others are written.
TEST_F(ConceptHierarchies, StartFilesNeverGoThroughALinkAndTheirFailuresAreTold)
{
    std::ofstream("elsewhere.txt") << "someone's own";
    fs::create_symlink("elsewhere.txt", "RoleConcepts.gml");
    fs::create_symlink("missing.txt", "PositionConcepts.gml");
    fs::create_directory("SpeedConcepts.gml");
    testing::internal::CaptureStderr();
    const std::vector<std::string> failures = CreateConceptHierarchies();
    const std::string stderrText = testing::internal::GetCapturedStderr();
    const std::vector<std::string> expected = {
        "Cannot write the file PositionConcepts.gml: it is a link, and this file is never written through one",
        "Cannot write the file RoleConcepts.gml: it is a link, and this file is never written through one",
        "Cannot write the file SpeedConcepts.gml: it is not a regular file (a folder)"};
    EXPECT_EQ(failures, expected);
    EXPECT_EQ(stderrText, expected[0] + "\n" + expected[1] + "\n" + expected[2] + "\n");
    EXPECT_EQ(ReadBytes("elsewhere.txt"), "someone's own");
    EXPECT_FALSE(fs::exists("missing.txt"));
    EXPECT_TRUE(fs::is_symlink("RoleConcepts.gml"));
    EXPECT_TRUE(fs::exists("ActionConcepts.gml"));
    // Told once: the next build starts a fresh list.
    fs::remove("RoleConcepts.gml");
    fs::remove("PositionConcepts.gml");
    EXPECT_EQ(CreateConceptHierarchies().size(), 1u);
}
