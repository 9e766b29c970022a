#include "core/concepts/Concepts.h"
#include "core/concepts/Evaluators.h"

#include "support/HierarchyTestUtil.h"
#include "support/RecordingHooks.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace hierarchytest;

namespace {

// An evaluator that records what it was asked and counts its own destruction.
class ScriptedEvaluator : public BasicEvaluator {
public:
    ScriptedEvaluator(bool verdict, int* destroyed) : verdict_(verdict), destroyed_(destroyed) {}
    ~ScriptedEvaluator() override { ++*destroyed_; }
    bool Evaluate(BasicGameData* situation) override
    {
        seen = situation;
        return verdict_;
    }
    BasicGameData* seen = nullptr;

private:
    bool verdict_;
    int* destroyed_;
};

// A node that counts how often nodes of its kind are freed.
class CountedConcept : public ConceptObject {
public:
    CountedConcept(const std::string& name, int* freed) : ConceptObject(name, nullptr, true), freed_(freed) {}
    ~CountedConcept() override { ++*freed_; }

private:
    int* freed_;
};

// The speed lattice: "Medium-speed" is shared by "Slower" and "Faster".
struct SpeedLattice {
    ConceptObject* root = new ConceptObject("Speed", nullptr, false);
    ConceptObject* stationary = root->AddChild(new ConceptObject("Stationary", nullptr, true));
    ConceptObject* moving = root->AddChild(new ConceptObject("Moving", nullptr, true));
    ConceptObject* slower = moving->AddChild(new ConceptObject("Slower", nullptr, true));
    ConceptObject* slow = slower->AddChild(new ConceptObject("Slow", nullptr, true));
    ConceptObject* medium = slower->AddChild(new ConceptObject("Medium-speed", nullptr, true));
    ConceptObject* faster = moving->AddChild(new ConceptObject("Faster", nullptr, true));
    ConceptObject* medium2 = faster->AddChild(medium);
    ConceptObject* fast = faster->AddChild(new ConceptObject("Fast", nullptr, true));
    ~SpeedLattice() { delete root; }
};

// A chain with in-path grouping nodes, as in the position hierarchy.
struct PathChain {
    ConceptObject* root = new ConceptObject("Field-area", nullptr, false);
    ConceptObject* area = root->AddChild(new ConceptObject("Horizontal-area", nullptr, true));
    ConceptObject* half = area->AddChild(new ConceptObject("Defending-half", nullptr, true));
    ConceptObject* third = half->AddChild(new ConceptObject("Defending-third", nullptr, true));
    ConceptObject* box = third->AddChild(new ConceptObject("Goal-box", nullptr, true));
    PathChain()
    {
        half->SetInPath(true);
        third->SetInPath(true);
    }
    ~PathChain() { delete root; }
};

}  // namespace

TEST(ConceptObject, EvaluatesThroughItsOwnedEvaluator)
{
    int destroyed = 0;
    auto* evaluator = new ScriptedEvaluator(true, &destroyed);
    {
        ConceptObject node("Near", evaluator, true);
        BasicGameData situation;
        EXPECT_TRUE(node.Evaluate(&situation));
        EXPECT_EQ(evaluator->seen, &situation);
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 1);

    ConceptObject plain("Grouping", nullptr, false);
    BasicGameData situation;
    EXPECT_FALSE(plain.Evaluate(&situation));

    int rejected = 0;
    ConceptObject no("No", new ScriptedEvaluator(false, &rejected), false);
    EXPECT_FALSE(no.Evaluate(&situation));
}

TEST(ConceptObject, HandlesAreUniqueAndResolveOnlyWhileTheNodeLives)
{
    auto* a = new ConceptObject("a", nullptr, false);
    auto* b = new ConceptObject("b", nullptr, false);
    const std::int32_t ha = a->GetHandle();
    const std::int32_t hb = b->GetHandle();
    EXPECT_GE(ha, 1);
    EXPECT_GE(hb, 1);
    EXPECT_NE(ha, hb);
    EXPECT_EQ(ConceptFromHandle(ha), a);
    EXPECT_EQ(ConceptFromHandle(hb), b);
    EXPECT_EQ(ConceptHandle(a), ha);
    EXPECT_EQ(ConceptHandle(nullptr), 0);
    EXPECT_EQ(ConceptFromHandle(0), nullptr);
    EXPECT_EQ(ConceptFromHandle(-5), nullptr);
    EXPECT_EQ(ConceptFromHandle(std::numeric_limits<std::int32_t>::max()), nullptr);

    delete a;
    EXPECT_EQ(ConceptFromHandle(ha), nullptr);
    EXPECT_EQ(ConceptFromHandle(hb), b);
    // A later node never takes the handle of a freed one.
    auto* c = new ConceptObject("c", nullptr, false);
    EXPECT_NE(c->GetHandle(), ha);
    EXPECT_NE(c->GetHandle(), hb);
    delete b;
    delete c;
}

TEST(ConceptObject, AddChildLinksParentLevelAndKeepsSharedNodesInBothParents)
{
    SpeedLattice h;
    EXPECT_EQ(h.moving->GetParent(), h.root);
    EXPECT_EQ(h.slower->GetLevel(), 2);
    EXPECT_EQ(h.medium2, h.medium);
    ASSERT_EQ(h.moving->GetChildCount(), 2);
    EXPECT_EQ(h.moving->GetChildren()[0], h.slower);
    EXPECT_EQ(h.moving->GetChildren()[1], h.faster);
    // The shared node answers to its later parent but stays reachable from both.
    EXPECT_EQ(h.medium->GetParent(), h.faster);
    EXPECT_EQ(h.slower->GetChildren()[1], h.medium);
    EXPECT_EQ(h.faster->GetChildren()[0], h.medium);
}

TEST(ConceptObject, NumberGivesPreorderIdsAndRenumbersSharedNodes)
{
    RecordingHooks hooks;
    SpeedLattice h;
    std::vector<ConceptObject*> visits;
    EXPECT_EQ(ConceptObject::Number(h.root, 1, 0, &visits), 10);
    // Pre-order with one visit per path: "Medium-speed" first gets 6, then 8.
    EXPECT_EQ(h.root->GetId(), 1);
    EXPECT_EQ(h.stationary->GetId(), 2);
    EXPECT_EQ(h.moving->GetId(), 3);
    EXPECT_EQ(h.slower->GetId(), 4);
    EXPECT_EQ(h.slow->GetId(), 5);
    EXPECT_EQ(h.faster->GetId(), 7);
    EXPECT_EQ(h.medium->GetId(), 8);
    EXPECT_EQ(h.fast->GetId(), 9);
    const std::vector<ConceptObject*> expected = {h.root, h.stationary, h.moving, h.slower, h.slow,
                                                  h.medium, h.faster, h.medium, h.fast};
    EXPECT_EQ(visits, expected);
    for (ConceptObject* n : expected)
        EXPECT_EQ(n->GetTreeDepth(), 3) << n->GetName();
    EXPECT_EQ(h.medium->GetLevel(), 3);
    EXPECT_EQ(hooks.beeps, 0);

    // Numbering from another start and level shifts everything alike.
    EXPECT_EQ(ConceptObject::Number(h.root, 100, 2, nullptr), 109);
    EXPECT_EQ(h.fast->GetId(), 108);
    EXPECT_EQ(h.fast->GetLevel(), 5);
    EXPECT_EQ(h.root->GetTreeDepth(), 5);
}

TEST(ConceptObject, SetTreeDepthBeepsOnlyOnInconsistentLevels)
{
    RecordingHooks hooks;
    PathChain h;
    ConceptObject::Number(h.root, 1, 0, nullptr);
    EXPECT_EQ(ConceptObject::SetTreeDepth(h.root, 4), 4);
    EXPECT_EQ(hooks.beeps, 0);
    EXPECT_EQ(ConceptObject::SetTreeDepth(h.root, 6), 6);
    EXPECT_EQ(h.box->GetTreeDepth(), 6);
    EXPECT_EQ(hooks.beeps, 0);

    // Depth 3 is less than the level of "Goal-box" (4).
    ConceptObject::SetTreeDepth(h.root, 3);
    EXPECT_GT(hooks.beeps, 0);
    EXPECT_EQ(h.box->GetTreeDepth(), 4);
    EXPECT_EQ(h.half->GetTreeDepth(), 3);
}

TEST(ConceptObject, PathsCarryInPathAncestorsAndObeyTheDepthLimit)
{
    PathChain h;
    EXPECT_EQ(ConceptObject::GetPathName(h.box), "Defending-half.Defending-third.Goal-box");
    EXPECT_EQ(ConceptObject::GetPathName(h.third), "Defending-half.Defending-third");
    EXPECT_EQ(ConceptObject::GetPathName(h.area), "Horizontal-area");
    EXPECT_EQ(ConceptObject::GetPathName(h.root), "Field-area");
    EXPECT_EQ(ConceptObject::GetPathName(nullptr), "");

    // "Goal-box" counts 5 levels; every level over the limit drops one component.
    EXPECT_EQ(ConceptObject::GetPathName(h.box, 4), "Defending-half.Defending-third");
    EXPECT_EQ(ConceptObject::GetPathName(h.box, 3), "Defending-half");
    EXPECT_EQ(ConceptObject::GetPathName(h.third, 3), "Defending-half");
    EXPECT_EQ(ConceptObject::GetPathName(h.box, 2), "Horizontal-area");
    EXPECT_EQ(ConceptObject::GetPathName(h.half, 1), "Field-area");
    EXPECT_EQ(ConceptObject::GetPathName(h.root, 1), "Field-area");
    EXPECT_EQ(ConceptObject::GetPathName(h.box, 0), "Defending-half.Defending-third.Goal-box");
    EXPECT_EQ(ConceptObject::GetPathName(h.half, 0), "Defending-half");
    EXPECT_EQ(ConceptObject::GetPathName(nullptr, 2), "");

    // A limit asked of one node leaves the whole path of every node as it was.
    EXPECT_EQ(ConceptObject::GetPathName(h.box), "Defending-half.Defending-third.Goal-box");
    EXPECT_EQ(ConceptObject::GetPathName(h.third), "Defending-half.Defending-third");
}

TEST(ConceptObject, CollectConceptsWalksPreorderOnceEachEvaluableOrAll)
{
    int destroyed = 0;
    ConceptObject root("root", nullptr, false);
    ConceptObject* a = root.AddChild(new ConceptObject("a", new ScriptedEvaluator(true, &destroyed), true));
    ConceptObject* a1 = a->AddChild(new ConceptObject("a1", nullptr, true));
    ConceptObject* shared = a1->AddChild(new ConceptObject("s", new ScriptedEvaluator(true, &destroyed), true));
    ConceptObject* b = root.AddChild(new ConceptObject("b", new ScriptedEvaluator(true, &destroyed), true));
    b->AddChild(shared);

    std::vector<ConceptObject*> all;
    ConceptObject::CollectConcepts(&root, &all, true);
    EXPECT_EQ(all, (std::vector<ConceptObject*>{&root, a, a1, shared, b}));

    std::vector<ConceptObject*> evaluable;
    ConceptObject::CollectConcepts(&root, &evaluable, false);
    EXPECT_EQ(evaluable, (std::vector<ConceptObject*>{a, shared, b}));

    // What the list holds already is not added again.
    std::vector<ConceptObject*> more = {b};
    ConceptObject::CollectConcepts(&root, &more, false);
    EXPECT_EQ(more, (std::vector<ConceptObject*>{b, a, shared}));
}

TEST(ConceptObject, IsAAndCommonAncestorFollowTheParentChain)
{
    SpeedLattice h;
    ConceptObject::Number(h.root, 1, 0, nullptr);
    ConceptObject other("Other", nullptr, false);

    EXPECT_TRUE(ConceptObject::IsA(h.slow, h.root));
    EXPECT_TRUE(ConceptObject::IsA(h.slow, h.slow));
    EXPECT_FALSE(ConceptObject::IsA(h.root, h.slow));
    EXPECT_FALSE(ConceptObject::IsA(h.slow, h.faster));
    EXPECT_TRUE(ConceptObject::IsRelated(h.slow, h.root));
    EXPECT_TRUE(ConceptObject::IsRelated(h.root, h.slow));
    EXPECT_FALSE(ConceptObject::IsRelated(h.slow, h.fast));
    EXPECT_FALSE(ConceptObject::IsA(nullptr, h.root));
    EXPECT_FALSE(ConceptObject::IsA(h.root, nullptr));
    // A shared node is-a only along its last parent.
    EXPECT_TRUE(ConceptObject::IsA(h.medium, h.faster));
    EXPECT_FALSE(ConceptObject::IsA(h.medium, h.slower));

    EXPECT_EQ(ConceptObject::CommonAncestor(h.slow, h.fast), h.moving);
    EXPECT_EQ(ConceptObject::CommonAncestor(h.slow, h.stationary), h.root);
    EXPECT_EQ(ConceptObject::CommonAncestor(h.slow, h.moving), h.moving);
    EXPECT_EQ(ConceptObject::CommonAncestor(h.moving, h.slow), h.moving);
    EXPECT_EQ(ConceptObject::CommonAncestor(h.slow, h.slow), h.slow);
    EXPECT_EQ(ConceptObject::CommonAncestor(nullptr, h.slow), h.slow);
    EXPECT_EQ(ConceptObject::CommonAncestor(h.slow, nullptr), h.slow);
    EXPECT_EQ(ConceptObject::CommonAncestor(h.slow, &other), nullptr);
}

TEST(ConceptObject, DistanceLevelAndWeightForms)
{
    // Depth 4: root - p - q - {s1, s2} - leaf.
    ConceptObject root("root", nullptr, false);
    ConceptObject* p = root.AddChild(new ConceptObject("p", nullptr, true));
    ConceptObject* p2 = root.AddChild(new ConceptObject("p2", nullptr, true));
    ConceptObject* q = p->AddChild(new ConceptObject("q", nullptr, true));
    ConceptObject* s1 = q->AddChild(new ConceptObject("s1", nullptr, true));
    ConceptObject* s2 = q->AddChild(new ConceptObject("s2", nullptr, true));
    ConceptObject* leaf = s1->AddChild(new ConceptObject("leaf", nullptr, true));
    ConceptObject::Number(&root, 1, 0, nullptr);
    ASSERT_EQ(root.GetTreeDepth(), 4);
    ConceptObject other("other", nullptr, false);

    // ((4 - 2) + 2 / 8) / 5
    EXPECT_DOUBLE_EQ(ConceptObject::Distance(s1, s2, 1.0), 0.45);
    EXPECT_DOUBLE_EQ(ConceptObject::Distance(s1, s2, 2.0), 0.45 * 0.45);
    EXPECT_DOUBLE_EQ(ConceptObject::Distance(s1, s2, 0.0), 1.0);
    // leaf (level 4) and p2 (level 1) meet at the root: ((4 - 0) + 5 / 8) / 5
    EXPECT_DOUBLE_EQ(ConceptObject::Distance(leaf, p2, 1.0), 4.625 / 5.0);
    EXPECT_DOUBLE_EQ(ConceptObject::Distance(p2, leaf, 1.0), 4.625 / 5.0);
    for (double alpha : {1.0, 0.0, -1.0})
        EXPECT_EQ(ConceptObject::Distance(s1, s1, alpha), 0.0);
    EXPECT_EQ(ConceptObject::Distance(s1, &other, 1.0), 99999.0);
    EXPECT_EQ(ConceptObject::Distance(nullptr, s1, 1.0), 99999.0);
    EXPECT_EQ(ConceptObject::Distance(s1, nullptr, -1.0), 99999.0);

    // Weight form. Weights: p, p2 0.5; q 1.0 (only child); s1, s2 0.5; leaf 1.0.
    // Sums: leaf 1.0, s1 1.5, s2 0.5, q 3.0, p 3.5, p2 0.5, root 5.0.
    ConceptObject::SetWeightAndSum(&root, 1.0);
    EXPECT_DOUBLE_EQ(ConceptObject::Distance(leaf, q, -1.0), 0.0);
    EXPECT_DOUBLE_EQ(ConceptObject::Distance(q, leaf, -1.0), 0.0);
    EXPECT_DOUBLE_EQ(ConceptObject::Distance(s1, s2, -1.0), 1.5);
    EXPECT_DOUBLE_EQ(ConceptObject::Distance(leaf, p2, -1.0), 4.0);
    EXPECT_DOUBLE_EQ(ConceptObject::Distance(p, p2, -1.0), 1.5);
}

TEST(ConceptObject, DistanceInAnUnnumberedHierarchyStaysFinite)
{
    ConceptObject root("root", nullptr, false);
    ConceptObject* a = root.AddChild(new ConceptObject("a", nullptr, true));
    ConceptObject* b = root.AddChild(new ConceptObject("b", nullptr, true));
    ASSERT_EQ(a->GetTreeDepth(), 0);
    // Depth taken from the levels (1): ((1 - 0) + 2 / 2) / 2.
    EXPECT_DOUBLE_EQ(ConceptObject::Distance(a, b, 1.0), 1.0);
    EXPECT_DOUBLE_EQ(ConceptObject::Distance(a, &root, 1.0), 0.75);
}

TEST(ConceptObject, WeightsShareTheTotalPerParentNotCumulatively)
{
    ConceptObject root("root", nullptr, false);
    std::vector<ConceptObject*> kids;
    for (int i = 0; i < 4; ++i)
        kids.push_back(root.AddChild(new ConceptObject("k" + std::to_string(i), nullptr, true)));
    ConceptObject* g1 = kids[0]->AddChild(new ConceptObject("g1", nullptr, true));
    ConceptObject* g2 = kids[0]->AddChild(new ConceptObject("g2", nullptr, true));
    ConceptObject* only = kids[1]->AddChild(new ConceptObject("only", nullptr, true));
    kids[2]->AddChild(g2);  // shared: its weight comes from the later parent

    ConceptObject::SetWeight(&root, 2.0, 1.0);
    EXPECT_EQ(root.GetWeight(), 2.0);
    EXPECT_EQ(kids[3]->GetWeight(), 0.25);
    EXPECT_EQ(g1->GetWeight(), 0.5);
    EXPECT_EQ(g2->GetWeight(), 1.0);
    EXPECT_EQ(only->GetWeight(), 1.0);

    // A shared node counts once under each parent.
    EXPECT_DOUBLE_EQ(ConceptObject::SumWeights(&root), 2.0 + 4 * 0.25 + 0.5 + 1.0 + 1.0 + 1.0);
    EXPECT_DOUBLE_EQ(kids[0]->GetSubtreeWeight(), 1.5);
    EXPECT_DOUBLE_EQ(ConceptObject::GetWeightSum(kids[2]), 1.25);
    EXPECT_DOUBLE_EQ(ConceptObject::GetWeightSum(g1), 0.5);

    ConceptObject::SetWeightAndSum(&root, 1.0);
    EXPECT_EQ(root.GetWeight(), 1.0);
    EXPECT_DOUBLE_EQ(ConceptObject::GetWeightSum(&root), 1.0 + 1.0 + 0.5 + 1.0 + 1.0 + 1.0);
}

TEST(ConceptObject, SaveGmlWritesTheExactLayoutWithCrLf)
{
    InTempDir dir("gml-exact");
    ConceptObject root("Top", nullptr, false);
    root.SetInPath(true);
    root.AddChild(new ConceptObject("Leaf", nullptr, true));
    // An older, longer file of the same name is replaced.
    std::ofstream("Tiny.gml") << std::string(5000, 'x');
    EXPECT_EQ(ConceptObject::SaveGML(&root, "Tiny.gml"), 0);

    const std::string expected =
        "Creator \"Velotrask\"\r\n"
        "Version\t2.2\r\n"
        "graph\r\n"
        "[\r\n"
        "  hierarchic\t1\r\n"
        "  label \"Top\"\r\n"
        "  directed\t1\r\n"
        "  node\r\n  [\r\n    id 1\r\n    label \"Top\"\r\n    graphics\r\n    [\r\n      w 140\r\n      h 20\r\n"
        "    ]\r\n    LabelGraphics\r\n    [\r\n      text \"Top \"\r\n      fontSize 12\r\n"
        "      fontName \"Dialog\"\r\n      anchor \"c\"\r\n    ]\r\n  ]\r\n"
        "  node\r\n  [\r\n    id 2\r\n    label \"Top.Leaf\"\r\n    graphics\r\n    [\r\n      w 140\r\n      h 20\r\n"
        "    ]\r\n    LabelGraphics\r\n    [\r\n      text \"Top.Leaf \"\r\n      fontSize 12\r\n"
        "      fontName \"Dialog\"\r\n      anchor \"c\"\r\n    ]\r\n  ]\r\n"
        "  edge\r\n  [\r\n    source 2\r\n    target 1\r\n    graphics\r\n    [\r\n      width 1\r\n"
        "      targetArrow \"standard\"\r\n    ]\r\n    LabelGraphics\r\n    [\r\n      text \"\"\r\n"
        "      fontSize 12\r\n      fontName\t\"Dialog\"\r\n    ]\r\n  ]\r\n"
        "]\r\n";
    EXPECT_EQ(ReadBytes("Tiny.gml"), expected);
}

TEST(ConceptObject, SaveGmlWritesASharedNodeOnceWithAnEdgePerParent)
{
    InTempDir dir("gml-shared");
    SpeedLattice h;
    ConceptObject::SaveGML(h.root, "SpeedConcepts.gml");
    const std::vector<std::string> lines = SplitCrLf(ReadBytes("SpeedConcepts.gml"));
    // 8 distinct nodes, 8 links.
    EXPECT_EQ(lines.size(), 7u + 17u * 8u + 16u * 8u + 1u);
    EXPECT_EQ(CountLines(lines, "  node"), 8);
    EXPECT_EQ(CountLines(lines, "  edge"), 8);
    EXPECT_EQ(CountLines(lines, "    id 8"), 1);
    EXPECT_EQ(CountLines(lines, "    id 6"), 0);
    EXPECT_EQ(CountLines(lines, "    label \"Medium-speed\""), 1);
    EXPECT_EQ(CountLines(lines, "    source 8"), 2);

    std::vector<std::string> mediumTargets;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i)
        if (lines[i] == "    source 8")
            mediumTargets.push_back(lines[i + 1]);
    EXPECT_EQ(mediumTargets, (std::vector<std::string>{"    target 4", "    target 7"}));
    EXPECT_EQ(lines.back(), "]");
}

TEST(ConceptObject, SaveGmlToAnUnwritablePlaceWritesNothingAndGoesOn)
{
    InTempDir dir("gml-fail");
    ConceptObject root("Top", nullptr, false);
    testing::internal::CaptureStderr();
    EXPECT_EQ(ConceptObject::SaveGML(&root, "no-such-folder/Top.gml"), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Cannot write the file no-such-folder/Top.gml: No such file or directory\n");
    EXPECT_FALSE(fs::exists("no-such-folder/Top.gml"));
    EXPECT_EQ(root.GetId(), 1);
}

TEST(ConceptObject, FreeingAHierarchyFreesEverySharedNodeOnce)
{
    int freed = 0;
    auto* root = new CountedConcept("root", &freed);
    auto* a = root->AddChild(new CountedConcept("a", &freed));
    auto* b = root->AddChild(new CountedConcept("b", &freed));
    auto* s = a->AddChild(new CountedConcept("s", &freed));
    b->AddChild(s);
    s->AddChild(new CountedConcept("below", &freed));
    const std::int32_t hs = s->GetHandle();
    delete root;
    EXPECT_EQ(freed, 5);
    EXPECT_EQ(ConceptFromHandle(hs), nullptr);
}

TEST(ConceptObject, FreeingSurvivesOwnersListedBeforeOtherParents)
{
    // The owner of "s" (its later parent) is freed before the first parent
    // looks at its children; and "s" is also a direct child of the root.
    int freed = 0;
    auto* root = new CountedConcept("root", &freed);
    auto* owner = root->AddChild(new CountedConcept("owner", &freed));
    auto* first = root->AddChild(new CountedConcept("first", &freed));
    auto* s = new CountedConcept("s", &freed);
    root->AddChild(s);
    first->AddChild(s);
    owner->AddChild(s);
    delete root;
    EXPECT_EQ(freed, 4);

    // Freeing the owner alone leaves no dangling child in the other parent.
    freed = 0;
    auto* top = new CountedConcept("top", &freed);
    auto* left = top->AddChild(new CountedConcept("left", &freed));
    auto* right = top->AddChild(new CountedConcept("right", &freed));
    auto* shared = left->AddChild(new CountedConcept("shared", &freed));
    right->AddChild(shared);
    ASSERT_EQ(top->GetChildCount(), 2);
    delete right;
    EXPECT_EQ(freed, 2);
    EXPECT_EQ(top->GetChildCount(), 1);
    EXPECT_EQ(left->GetChildCount(), 0);
    delete top;
    EXPECT_EQ(freed, 4);
}
