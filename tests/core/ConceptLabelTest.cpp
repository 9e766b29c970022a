// The label of a situation (the paths of the concepts that hold, pruned subtrees
// hidden) and the word test that colours the field window's expression box.
#include "core/concepts/ConceptLabel.h"

#include "core/concepts/Concepts.h"
#include "core/concepts/Evaluators.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Left (x < 0) with a pruned "Deep" child and "Deeper" below it, right (x > 0)
// unpruned with an always-holding child; the root holds everywhere.
struct Regions {
    Regions()
    {
        root.reset(new ConceptObject("Pitch", new SquareRegionEvaluator(-60, -40, 60, 40, 0), false));
        root->SetInPath(true);
        left = root->AddChild(new ConceptObject("Left", new SquareRegionEvaluator(-60, -40, 0, 40, 0), false));
        left->SetInPath(true);
        deep = left->AddChild(new ConceptObject("Deep", new SquareRegionEvaluator(-60, -40, -30, 40, 0), true));
        deep->AddChild(new ConceptObject("Deeper", new SquareRegionEvaluator(-60, -40, 60, 40, 0), false));
        ConceptObject* right =
            root->AddChild(new ConceptObject("Right", new SquareRegionEvaluator(0.1, -40, 60, 40, 0), false));
        right->AddChild(new ConceptObject("Anywhere", new SquareRegionEvaluator(-60, -40, 60, 40, 0), false));
    }
    std::unique_ptr<ConceptObject> root;
    ConceptObject* left;
    ConceptObject* deep;
};

std::string LabelAt(ConceptObject* root, double x, const std::string& prefix = "")
{
    BasicGameData situation;
    situation.x = x;
    std::string label;
    FindConceptLabel(root, situation, prefix, label);
    return label;
}

}  // namespace

TEST(ConceptLabel, CollectsThePathsThatHoldAndHidesPrunedSubtrees)
{
    Regions r;
    // Region evaluators judge x and y alone; paths name the in-path ancestors.
    EXPECT_EQ(LabelAt(r.root.get(), -40), "Pitch Pitch.Left Pitch.Left.Deep Pitch.Left.Deeper Pitch.Anywhere");
    // Not deep: the pruned node hides "Deeper"; "Right" does not hold but is not
    // pruned, so its child is still looked at.
    EXPECT_EQ(LabelAt(r.root.get(), -10), "Pitch Pitch.Left Pitch.Anywhere");
    EXPECT_EQ(LabelAt(r.root.get(), 10, "K:"), "K:Pitch K:Pitch.Right K:Pitch.Anywhere");
    EXPECT_EQ(LabelAt(nullptr, 10), "");
}

TEST(ConceptLabel, EveryWordMustOccurInTheLabel)
{
    const std::string label = "Keepaway.dist_K1_T1.range_3_5 Keepaway.ang_K1_T1";
    struct Case {
        const char* text;
        bool match;
    } cases[] = {
        {"dist_K1_T1", true},
        {"(dist_K1_T1 > range_3)", true},
        {"dist_K1_T1=range_3_5~ang", true},
        {"dist_K1_T2", false},
        {"range_3 range_9", false},
        {"  ( ) = > ~ ", true},  // no words at all
        {"", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LabelHasAllWords(c.text, label), c.match) << c.text;
}
