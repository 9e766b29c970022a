#include "ConceptHierarchies.h"

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

namespace {

std::string ReadBytes(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> SplitCrLf(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t pos; (pos = text.find("\r\n", start)) != std::string::npos; start = pos + 2)
        lines.push_back(text.substr(start, pos - start));
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

int CountLines(const std::vector<std::string>& lines, const std::string& line)
{
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

std::string Header(const std::string& rootLabel)
{
    return "Creator \"Velotrask\"\r\nVersion\t2.2\r\ngraph\r\n[\r\n  hierarchic\t1\r\n  label \"" + rootLabel +
           "\"\r\n  directed\t1\r\n  node\r\n  [\r\n    id 1\r\n    label \"" + rootLabel + "\"\r\n";
}

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
    void SetUp() override
    {
        previous_ = fs::current_path();
        fs::current_path(MakeTempDir("hierarchies"));
    }
    void TearDown() override
    {
        FreeConceptHierarchies();
        fs::current_path(previous_);
    }

private:
    fs::path previous_;
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

TEST_F(ConceptHierarchies, ActionGmlFileHasItsBlocksAndExactFirstLines)
{
    g_actionConcepts = CreateActionConcepts();
    const std::string text = ReadBytes("ActionConcepts.gml");
    const std::string header = Header("Action");
    ASSERT_GE(text.size(), header.size());
    EXPECT_EQ(text.substr(0, header.size()), header);

    const std::vector<std::string> lines = SplitCrLf(text);
    EXPECT_EQ(lines.size(), 1477u);
    EXPECT_EQ(lines.size(), 7u + 17u * 45u + 16u * 44u + 1u);
    EXPECT_EQ(CountLines(lines, "  node"), 45);
    EXPECT_EQ(CountLines(lines, "  edge"), 44);
    EXPECT_EQ(CountLines(lines, "    id 45"), 1);
    EXPECT_EQ(CountLines(lines, "    label \"Goalline\""), 1);
    // The last link walked is "Miss" (40) to "Goalline" (45).
    ASSERT_GE(lines.size(), 16u);
    EXPECT_EQ(lines[lines.size() - 15], "    source 45");
    EXPECT_EQ(lines[lines.size() - 14], "    target 40");
    EXPECT_EQ(text.substr(text.size() - 3), "]\r\n");
    EXPECT_EQ(text.find('\n', 0), text.find("\r\n", 0) + 1);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), std::count(text.begin(), text.end(), '\r'));
}

TEST_F(ConceptHierarchies, RoleHierarchyHasTheDocumentedNodesIdsPathsAndTables)
{
    g_roleConcepts = CreateRoleConcepts();
    std::vector<ConceptObject*> nodes;
    ConceptObject::CollectConcepts(g_roleConcepts, &nodes, true);
    ASSERT_EQ(nodes.size(), 74u);
    for (ConceptObject* n : nodes) {
        EXPECT_EQ(n->GetTreeDepth(), 6);
        EXPECT_EQ(n->GetEvaluator(), nullptr);
    }

    ConceptObject* root = g_roleConcepts;
    EXPECT_EQ(root->GetName(), "Team");
    EXPECT_EQ(root->GetId(), 1);
    EXPECT_FALSE(root->GetPrune());
    EXPECT_FALSE(root->GetInPath());
    EXPECT_EQ(ConceptObject::GetPathName(root), "Team");
    EXPECT_EQ(coBall, nodes[1]);
    EXPECT_EQ(coBall->GetId(), 2);
    EXPECT_TRUE(coBall->GetPrune());
    EXPECT_EQ(ConceptObject::GetPathName(coBall), "Ball");

    ConceptObject* numbers = nodes[2];
    EXPECT_EQ(numbers->GetName(), "Team-Numbers");
    EXPECT_EQ(numbers->GetId(), 3);
    EXPECT_TRUE(numbers->GetPrune());
    const int numberSideIds[2] = {4, 16};
    const char* const sideNames[2] = {"LTeam", "RTeam"};
    for (int s = 0; s < 2; ++s) {
        ConceptObject* side = numbers->GetChildren()[s];
        EXPECT_EQ(side->GetId(), numberSideIds[s]);
        EXPECT_EQ(ConceptObject::GetPathName(side), sideNames[s]);
        EXPECT_TRUE(side->GetInPath());
        EXPECT_FALSE(side->GetPrune());
        for (int n = 0; n < 11; ++n) {
            ConceptObject* number = coTeamNumber[s][n];
            ASSERT_NE(number, nullptr);
            EXPECT_EQ(number->GetParent(), side);
            EXPECT_EQ(number->GetId(), numberSideIds[s] + 1 + n);
            EXPECT_EQ(number->GetLevel(), 3);
            EXPECT_TRUE(number->GetPrune());
            EXPECT_EQ(ConceptObject::GetPathName(number), std::string(sideNames[s]) + "." + std::to_string(n + 1));
        }
    }
    EXPECT_EQ(ConceptObject::GetPathName(coTeamNumber[0][6]), "LTeam.7");

    ConceptObject* roles = nodes[27];
    EXPECT_EQ(roles->GetName(), "Team-Roles");
    EXPECT_EQ(roles->GetId(), 28);
    const int roleSideIds[2] = {29, 52};
    for (int s = 0; s < 2; ++s) {
        ConceptObject* side = roles->GetChildren()[s];
        EXPECT_EQ(side->GetId(), roleSideIds[s]);
        EXPECT_EQ(side->GetName(), sideNames[s]);
        EXPECT_TRUE(side->GetInPath());
        EXPECT_FALSE(side->GetPrune());
        for (std::size_t i = 0; i < kSideRoles.size(); ++i) {
            const SideRole& r = kSideRoles[i];
            ConceptObject* n = nodes[static_cast<std::size_t>(roleSideIds[s]) + i];  // the node with id + 1
            EXPECT_EQ(n->GetName(), r.name);
            EXPECT_EQ(n->GetId(), roleSideIds[s] + 1 + static_cast<int>(i));
            EXPECT_EQ(n->GetLevel(), 2 + r.levelBelowSide) << r.name;
            EXPECT_TRUE(n->GetPrune()) << r.name;
            EXPECT_FALSE(n->GetInPath()) << r.name;
            EXPECT_TRUE(ConceptObject::IsA(n, side)) << r.name;
            EXPECT_EQ(ConceptObject::GetPathName(n), std::string(sideNames[s]) + "." + r.name);
            if (r.table) {
                EXPECT_EQ(r.table[s], n) << r.name;
            }
        }
    }
    EXPECT_EQ(coGK[0]->GetId(), 51);
    EXPECT_EQ(coGK[1]->GetId(), 74);
    EXPECT_EQ(ConceptObject::GetPathName(coGK[1]), "RTeam.GK");
    EXPECT_EQ(ConceptObject::GetPathName(coLCMF[0]), "LTeam.LC-MF");
}

TEST_F(ConceptHierarchies, RoleDistancesAndGmlFile)
{
    g_roleConcepts = CreateRoleConcepts();
    // Same side: common ancestor "FB" (level 4), D = 6: ((6 - 4) + 2 / 12) / 7.
    EXPECT_NEAR(ConceptObject::Distance(coLFB[0], coRFB[0], 1.0), (2.0 + 2.0 / 12.0) / 7.0, 1e-12);
    EXPECT_NEAR(ConceptObject::Distance(coLFB[0], coRFB[0], 1.0), 0.309524, 1e-6);
    // Across sides: common ancestor "Team-Roles" (level 1): ((6 - 1) + 8 / 12) / 7.
    EXPECT_EQ(ConceptObject::CommonAncestor(coLFB[0], coLFB[1]), g_roleConcepts->GetChildren()[2]);
    EXPECT_NEAR(ConceptObject::Distance(coLFB[0], coLFB[1], 1.0), 0.809524, 1e-6);
    EXPECT_FALSE(ConceptObject::IsRelated(coGK[0], coGK[1]));

    const std::string text = ReadBytes("RoleConcepts.gml");
    const std::string header = Header("Team");
    ASSERT_GE(text.size(), header.size());
    EXPECT_EQ(text.substr(0, header.size()), header);
    const std::vector<std::string> lines = SplitCrLf(text);
    EXPECT_EQ(lines.size(), 2434u);
    EXPECT_EQ(CountLines(lines, "  node"), 74);
    EXPECT_EQ(CountLines(lines, "  edge"), 73);
    // Labels are dotted paths, so both side nodes of a kind share one.
    EXPECT_EQ(CountLines(lines, "    label \"LTeam\""), 2);
    EXPECT_EQ(CountLines(lines, "      text \"RTeam.GK \""), 1);
    // The last link walked is the right "GK" (74) under its side node (52).
    ASSERT_GE(lines.size(), 16u);
    EXPECT_EQ(lines[lines.size() - 15], "    source 74");
    EXPECT_EQ(lines[lines.size() - 14], "    target 52");
}

TEST_F(ConceptHierarchies, GmlFilesFollowTheDocumentedTreesByteForByte)
{
    g_actionConcepts = CreateActionConcepts();
    std::vector<std::pair<int, std::string>> actions;
    for (const Expected& e : kActions)
        actions.emplace_back(e.level, e.name);
    EXPECT_EQ(ReadBytes("ActionConcepts.gml"), TreeGml(actions));

    g_roleConcepts = CreateRoleConcepts();
    const std::string sides[2] = {"LTeam", "RTeam"};
    std::vector<std::pair<int, std::string>> roles = {{0, "Team"}, {1, "Ball"}, {1, "Team-Numbers"}};
    for (const std::string& side : sides) {
        roles.emplace_back(2, side);
        for (int n = 1; n <= 11; ++n)
            roles.emplace_back(3, side + "." + std::to_string(n));
    }
    roles.emplace_back(1, "Team-Roles");
    for (const std::string& side : sides) {
        roles.emplace_back(2, side);
        for (const SideRole& r : kSideRoles)
            roles.emplace_back(2 + r.levelBelowSide, side + "." + r.name);
    }
    ASSERT_EQ(roles.size(), 74u);
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
    EXPECT_EQ(t->GetId(), 0);
    EXPECT_EQ(t->GetLevel(), 0);
    EXPECT_EQ(t->GetTreeDepth(), 0);
    EXPECT_EQ(ConceptObject::GetWeightSum(t), 0.0);
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
        ASSERT_NE(g_actionConcepts, nullptr);
        ASSERT_NE(g_roleConcepts, nullptr);
        ASSERT_NE(g_teamplayConcepts, nullptr);
        ASSERT_NE(g_positionConcepts, nullptr);
        ASSERT_NE(g_speedConcepts, nullptr);
        ASSERT_NE(g_ballRelativeConcepts, nullptr);
        ASSERT_NE(g_relativeConcepts, nullptr);
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
        for (ConceptObject* root : {g_positionConcepts, g_actionConcepts, g_roleConcepts, g_speedConcepts,
                                    g_ballRelativeConcepts, g_teamplayConcepts, g_relativeConcepts}) {
            std::vector<ConceptObject*> nodes;
            ConceptObject::CollectConcepts(root, &nodes, true);
            for (ConceptObject* n : nodes)
                handles.push_back(ConceptHandle(n));
        }

        FreeConceptHierarchies();
        // Every node of every hierarchy is gone, shared ones included.
        for (std::int32_t h : handles)
            ASSERT_EQ(ConceptFromHandle(h), nullptr) << h;
        EXPECT_EQ(g_actionConcepts, nullptr);
        EXPECT_EQ(g_roleConcepts, nullptr);
        EXPECT_EQ(g_teamplayConcepts, nullptr);
        EXPECT_EQ(g_positionConcepts, nullptr);
        EXPECT_EQ(g_speedConcepts, nullptr);
        EXPECT_EQ(g_ballRelativeConcepts, nullptr);
        EXPECT_EQ(g_relativeConcepts, nullptr);
        EXPECT_EQ(ConceptFromHandle(oldHandle), nullptr);
        for (const Expected& e : kActions) {
            if (e.global) {
                EXPECT_EQ(*e.global, nullptr) << e.name;
            }
        }
        EXPECT_EQ(coBall, nullptr);
        for (int s = 0; s < 2; ++s) {
            for (ConceptObject* n : coTeamNumber[s])
                EXPECT_EQ(n, nullptr);
            for (const SideRole& r : kSideRoles) {
                if (r.table) {
                    EXPECT_EQ(r.table[s], nullptr) << r.name;
                }
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
