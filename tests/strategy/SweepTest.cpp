// The sweep's settings and header, and the rule check's text over a hand-built
// feature list: per chunk and instance whether its decision list covers it.
#include "strategy/model/Sweep.h"

#include "core/concepts/Concepts.h"
#include "core/learning/Features.h"
#include "core/learning/RuleTexts.h"
#include "core/learning/StrategyChunk.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

namespace {

TEST(Sweep, TwelveSettingsInRunOrder)
{
    const std::vector<TSweepSetting> settings = SweepSettings();
    const std::pair<double, double> bands[] = {{0, 8},   {0, 16},  {0, 24},  {0, 32},  {8, 16},  {8, 24},
                                               {8, 32},  {8, 40},  {16, 24}, {16, 32}, {16, 40}, {16, 48}};
    ASSERT_EQ(settings.size(), 12u);
    for (std::size_t i = 0; i < 12; ++i) {
        EXPECT_EQ(settings[i].minDist, bands[i].first) << i;
        EXPECT_EQ(settings[i].maxDist, bands[i].second) << i;
        EXPECT_EQ(settings[i].conf, 0.0);
        EXPECT_EQ(settings[i].diff, 0.0);
        EXPECT_EQ(settings[i].threshold, 85);
    }
    EXPECT_EQ(SweepNumber(0.0), "0.00");
    EXPECT_EQ(SweepNumber(8.0), "8.00");
    EXPECT_EQ(SweepNumber(48.0), "48.00");
    EXPECT_EQ(SweepNumber(0.125), "0.12");
}

TEST(Sweep, AFailedRowIsOneLine)
{
    EXPECT_EQ(FailedSweepRow({0.0, 0.0, 0.0, 8.0, 85}, "not learnt: too few\rexamples\n"),
              "0.00\t0.00\t8.00\t85\tnot learnt: too few examples ");
}

TEST(Sweep, HeaderHas24NamesEachButTheLastFollowedByABlank)
{
    std::vector<std::string> names;
    std::stringstream in(kSweepHeader);
    for (std::string name; std::getline(in, name, '\t');)
        names.push_back(name);
    ASSERT_EQ(names.size(), 24u);
    EXPECT_EQ(names.front(), "conf ");
    EXPECT_EQ(names[8], "descacc ");
    EXPECT_EQ(names[14], "all ");
    EXPECT_EQ(names[22], "#+ ");
    EXPECT_EQ(names.back(), "#-");
    for (std::size_t i = 0; i + 1 < names.size(); ++i)
        EXPECT_EQ(names[i].back(), ' ') << i;
}

// Five instances; feature 0 (group "Has-ball", team level) holds at 1 and 3.
class RuleCheck : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = std::make_unique<ConceptObject>("Position", nullptr, false);
        key = root->AddChild(new ConceptObject("Has-ball", nullptr, false));
        ConceptObject::Number(root.get(), 1, 0, nullptr);
        list.Allocate(1, 5);
        list.SetObjectIndex(0, -1);
        list.SetGroupKey(0, key);
        list.AddToGroup(0);
        list.SetBit(0, 1);
        list.SetBit(0, 3);
        auto ruled = std::make_unique<StrategyChunk>("A", nullptr, nullptr, 0.0, 0.0, 1.0, false);
        auto rule = std::make_unique<RuleObject>(true);
        rule->AddCondition(nullptr, key, 1);
        ruled->AddRule(std::move(rule));
        chunks.push_back(std::move(ruled));
        chunks.push_back(std::make_unique<StrategyChunk>("B-END", nullptr, nullptr, 0.0, 0.0, 1.0, true));
        chunks.back()->SetLeftOut();
    }
    std::unique_ptr<ConceptObject> root;
    ConceptObject* key = nullptr;
    FeatureList list;
    TChunkList chunks;
};

TEST_F(RuleCheck, EveryInstanceOfEveryChunkThenTheCounts)
{
    // Only the node learning left out is skipped, not an end node learnt.
    chunks.push_back(std::make_unique<StrategyChunk>("C-END", nullptr, nullptr, 0.0, 0.0, 1.0, true));
    auto learnt = std::make_unique<RuleObject>(true);
    learnt->AddCondition(nullptr, key, 0);
    chunks[2]->AddRule(std::move(learnt));
    const TRuleCheck check = CheckRules(list, chunks, false);
    EXPECT_EQ(check.text,
              "0: false\n1: true\n2: false\n3: true\n4: false\n"
              "0: true\n1: false\n2: true\n3: false\n4: true\n"
              "Rule evaluation: \ttp 5\ttn 5");
    EXPECT_EQ(check.covered, 5);
    EXPECT_EQ(check.uncovered, 5);
    // A node without rules says why once and counts nowhere.
    chunks.pop_back();
    chunks[0]->SetNotAsked();
    for (const std::string said : {"no rules yet", "not learnt: cancelled"}) {
        const TRuleCheck without = CheckRules(list, chunks, false);
        EXPECT_EQ(without.covered + without.uncovered, 0) << said;
        EXPECT_EQ(without.text, "A: " + said + "\nRule evaluation: \ttp 0\ttn 0");
        chunks[0]->SetNotLearnt("cancelled");
    }
}

TEST_F(RuleCheck, EndChunkLeftOutAndVerboseRulesFirst)
{
    const TRuleCheck check = CheckRules(list, chunks, true);
    const std::string head = "Rules:\nA <= \t" + RulesToString(&list, chunks[0]->GetRules(), false) +
                             "\nB-END <= \tTRUE\n----------------------------\n";
    EXPECT_EQ(check.text, head + "0: false\n1: true\n2: false\n3: true\n4: false\nRule evaluation: \ttp 2\ttn 3");
}

TEST_F(RuleCheck, EmptyStrategyGivesTheCountsOnly)
{
    chunks.clear();
    EXPECT_EQ(CheckRules(list, chunks, false).text, "No rules learnt\nRule evaluation: \ttp 0\ttn 0");
    EXPECT_EQ(CheckRules(list, chunks, true).text,
              "Rules:\n----------------------------\nNo rules learnt\nRule evaluation: \ttp 0\ttn 0");
}

}  // namespace

// "Test all" names its test strategy as the window's grid names roles: at the
// window's role depth, the role's ancestor there.
TEST(Sweep, TheTestStrategyIsNamedAtTheWindowsRoleDepth)
{
    ConceptObject team("LTeam", nullptr, false);
    team.SetInPath(true);
    ConceptObject* back = team.AddChild(new ConceptObject("FB", nullptr, false));
    back->SetInPath(true);
    ConceptObject* own = back->AddChild(new ConceptObject("LC-FB", nullptr, false));
    TChunkList chunks;
    chunks.push_back(std::make_unique<StrategyChunk>("Pass", own, nullptr, 0.0, 0.0, 1.0, false));
    chunks.push_back(std::make_unique<StrategyChunk>("Shoot", nullptr, nullptr, 0.0, 0.0, 1.0, true));
    EXPECT_EQ(StrategyName(chunks, {}), "\"LTeam.FB.LC-FB:Pass -> Shoot\"");
    EXPECT_EQ(StrategyName(chunks, {.action = 0, .role = 2}), "\"LTeam.FB:Pass -> Shoot\"");
}
