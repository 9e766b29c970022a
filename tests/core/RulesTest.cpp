#include "core/learning/DecisionList.h"
#include "core/learning/RuleTexts.h"
#include "core/learning/StrategyChunk.h"

#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/learning/Features.h"
#include "core/learning/GraphNode.h"
#include "core/load/LoadLog.h"
#include "core/model/RoboCupFile.h"

#include "support/RecordingHooks.h"
#include "support/EndChunk.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <unordered_map>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The action and role hierarchies (built in a temporary folder, where it writes its GML
// file) and two feature-group concepts of a small position hierarchy.
class RulesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_actionConcepts = CreateActionConcepts();
        g_roleConcepts = CreateRoleConcepts();
        positions_ = std::make_unique<ConceptObject>("Position", nullptr, false);
        defendingHalf = positions_->AddChild(new ConceptObject("Defending-half", nullptr, false));
        hasBall = positions_->AddChild(new ConceptObject("Has-ball", nullptr, false));
        otherKey = positions_->AddChild(new ConceptObject("Attacking-half", nullptr, false));
        ConceptObject::Number(positions_.get(), 1, 0, nullptr);
    }
    void TearDown() override
    {
        positions_.reset();
        FreeConceptHierarchies();
    }

    ConceptObject* defendingHalf = nullptr;
    ConceptObject* hasBall = nullptr;
    ConceptObject* otherKey = nullptr;

private:
    InTempDir dir_{"rules"};
    std::unique_ptr<ConceptObject> positions_;
};

// A feature list of `instances` cycles whose features are given as (object,
// group key); every object's role column holds `roles[object]` at every cycle.
struct FeatureSpec {
    int object;
    ConceptObject* key;
};

void Fill(FeatureList& list, const std::vector<FeatureSpec>& features, int instances,
          const std::vector<std::pair<int, ConceptObject*>>& roles)
{
    list.Allocate(static_cast<int>(features.size()), instances);
    for (int f = 0; f < static_cast<int>(features.size()); ++f) {
        list.SetObjectIndex(f, features[static_cast<std::size_t>(f)].object);
        list.SetGroupKey(f, features[static_cast<std::size_t>(f)].key);
        list.AddToGroup(f);
    }
    for (const auto& [object, role] : roles)
        for (int t = 0; t < instances; ++t)
            list.SetObjectConcept(object, t, role);
}

RuleList ListOf(std::vector<RuleObject> rules)
{
    RuleList list;
    for (auto& r : rules)
        list.push_back(std::make_unique<RuleObject>(r));
    return list;
}

// An action-graph node as the action graph will offer it.
class FakeNode : public GraphNode {
public:
    FakeNode(int outWeight, ConceptObject* action, ConceptObject* role, double x, double y, bool withData = true)
        : outWeight_(outWeight), data_{action, role}, withData_(withData), x_(x), y_(y)
    {
    }
    int OutWeight() const override { return outWeight_; }
    const TNodeConcepts* Data() const override { return withData_ ? &data_ : nullptr; }
    double GetX() const override { return x_; }
    double GetY() const override { return y_; }

private:
    int outWeight_;
    TNodeConcepts data_;
    bool withData_;
    double x_, y_;
};

// ---------------------------------------------------------------------------
// RuleObject

TEST_F(RulesTest, ConditionsStayAlignedAndOutOfRangeIndicesGiveNull)
{
    RuleObject r(true);
    r.AddCondition(coLFB[0], defendingHalf, 1);
    r.AddCondition(nullptr, hasBall, 0);
    ASSERT_EQ(r.Size(), 2);
    EXPECT_EQ(r.GetObjectConcept(0), coLFB[0]);
    EXPECT_EQ(r.GetObjectConcept(1), nullptr);
    EXPECT_EQ(r.GetFeatureKey(1), hasBall);
    EXPECT_EQ(r.GetValue(1), 0);
    for (const int outside : {-1, 2}) {
        EXPECT_EQ(r.GetObjectConcept(outside), nullptr);
        EXPECT_EQ(r.GetFeatureKey(outside), nullptr);
    }

    r.SetPositive(false);
    r.Clear();
    EXPECT_EQ(r.Size(), 0);
    EXPECT_FALSE(r.IsPositive());
}

// ---------------------------------------------------------------------------
// Texts

TEST_F(RulesTest, RuleAndRuleListTextsInFullAndCompactForm)
{
    RuleObject r(true);
    r.AddCondition(coLFB[0], defendingHalf, 1);
    r.AddCondition(coGK[0], hasBall, 0);
    EXPECT_EQ(RuleToString(nullptr, r, false), "(LTeam.L-FB:Defending-half = 1) AND (LTeam.GK:Has-ball = 0)");
    // The compact form keeps the bit asked for: "~" before a condition on 0.
    EXPECT_EQ(RuleToString(nullptr, r, true), "LTeam.L-FB:Defending-half ~LTeam.GK:Has-ball");
    r.SetPositive(false);
    EXPECT_EQ(RuleToString(nullptr, r, false), "~((LTeam.L-FB:Defending-half = 1) AND (LTeam.GK:Has-ball = 0))");
    EXPECT_EQ(RuleToString(nullptr, r, true), "~(LTeam.L-FB:Defending-half ~LTeam.GK:Has-ball)");

    RuleObject ones(true);
    ones.AddCondition(coRFB[0], defendingHalf, 1);
    ones.AddCondition(coGK[1], hasBall, 1);
    EXPECT_EQ(RuleToString(nullptr, ones, true), "LTeam.R-FB:Defending-half RTeam.GK:Has-ball");

    EXPECT_EQ(RuleToString(nullptr, RuleObject(true), false), "TRUE");
    EXPECT_EQ(RuleToString(nullptr, RuleObject(false), false), "~(TRUE)");
    EXPECT_EQ(RuleToString(nullptr, RuleObject(false), true), "~(TRUE)");

    EXPECT_EQ(RulesToString(nullptr, RuleList{}, false), "FALSE");
    EXPECT_EQ(RulesToString(nullptr, RuleList{}, true), "FALSE");

    RuleObject a(true);
    a.AddCondition(coGK[1], hasBall, 1);
    RuleObject b(false);
    b.AddCondition(coRFB[0], defendingHalf, 0);
    const RuleList rules = ListOf({a, b, RuleObject(true)});
    // The default rule after a negated one adds nothing: "~(B) AND TRUE" is "~(B)".
    EXPECT_EQ(RulesToString(nullptr, rules, false), "(RTeam.GK:Has-ball = 1) OR ~((LTeam.R-FB:Defending-half = 0))");
    EXPECT_EQ(RulesToString(nullptr, rules, true), "RTeam.GK:Has-ball OR ~(~LTeam.R-FB:Defending-half)");

    // JRip's rules for OTHER before its default for the node; nested lists.
    RuleObject c(true), notA(a);
    c.AddCondition(coLFB[0], defendingHalf, 1);
    notA.SetPositive(false);
    EXPECT_EQ(RulesToString(nullptr, ListOf({notA, b, RuleObject(true)}), true),
              "~(RTeam.GK:Has-ball) AND ~(~LTeam.R-FB:Defending-half)");
    // Three rules for OTHER in a row, as JRip often writes: one run, no parentheses.
    RuleObject notC(c);
    notC.SetPositive(false);
    EXPECT_EQ(RulesToString(nullptr, ListOf({notA, b, notC, RuleObject(true)}), true),
              "~(RTeam.GK:Has-ball) AND ~(~LTeam.R-FB:Defending-half) AND ~(LTeam.L-FB:Defending-half)");
    EXPECT_EQ(RulesToString(nullptr, ListOf({a, b, c}), true),
              "RTeam.GK:Has-ball OR (~(~LTeam.R-FB:Defending-half) AND LTeam.L-FB:Defending-half)");
}

// ---------------------------------------------------------------------------
// Matching

TEST_F(RulesTest, ARoleConditionIsMetByThatRoleAndEveryMoreGeneralRole)
{
    // Player 2 (object 2) has "Defending-half" set at every cycle; its role
    // changes per test below.
    FeatureList list;
    Fill(list, {{2, defendingHalf}}, 1, {});
    list.SetBit(0, 0);
    RuleObject onLeftFullback(true);
    onLeftFullback.AddCondition(coLFB[0], defendingHalf, 1);

    ConceptObject* fb = coLFB[0]->GetParent();
    ConceptObject* leftSide = coFieldPlayer[0]->GetParent();
    ASSERT_EQ(fb->GetName(), "FB");
    ASSERT_EQ(leftSide->GetName(), "LTeam");
    for (ConceptObject* role : {coLFB[0], fb, coFieldPlayer[0], leftSide, leftSide->GetParent(), g_roleConcepts}) {
        list.SetObjectConcept(2, 0, role);
        EXPECT_TRUE(RuleMatches(list, onLeftFullback, 0)) << ConceptObject::GetPathName(role);
    }
    // A sibling, a more specific role, the other side's full-back and no role at all do not stand for L-FB.
    RuleObject onFullback(true);
    onFullback.AddCondition(fb, defendingHalf, 1);
    list.SetObjectConcept(2, 0, coLFB[0]);
    EXPECT_FALSE(RuleMatches(list, onFullback, 0));
    for (ConceptObject* role : {coRFB[0], coLFB[1], static_cast<ConceptObject*>(nullptr)}) {
        list.SetObjectConcept(2, 0, role);
        EXPECT_FALSE(RuleMatches(list, onLeftFullback, 0)) << ConceptObject::GetPathName(role);
    }
}

TEST_F(RulesTest, TheRequiredBitDecidesAndEveryConditionMustHold)
{
    // Features: 0 Lplayer1 has the ball, 1 Lplayer2 in the defending half.
    FeatureList list;
    Fill(list, {{1, hasBall}, {2, defendingHalf}}, 4, {{1, coGK[0]}, {2, coLFB[0]}});
    // Bits (has ball, defending half): t0 (0,0), t1 (1,0), t2 (0,1), t3 (1,1).
    list.SetBit(0, 1);
    list.SetBit(0, 3);
    list.SetBit(1, 2);
    list.SetBit(1, 3);

    RuleObject both(true);
    both.AddCondition(coGK[0], hasBall, 1);
    both.AddCondition(coLFB[0], defendingHalf, 1);
    RuleObject withoutBall(true);
    withoutBall.AddCondition(coGK[0], hasBall, 0);
    withoutBall.AddCondition(coLFB[0], defendingHalf, 1);
    RuleObject notBoth(both);
    notBoth.SetPositive(false);

    const bool expectBoth[4] = {false, false, false, true};
    const bool expectWithoutBall[4] = {false, false, true, false};
    for (int t = 0; t < 4; ++t) {
        EXPECT_EQ(RuleMatches(list, both, t), expectBoth[t]) << t;
        EXPECT_EQ(RuleMatches(list, notBoth, t), !expectBoth[t]) << t;
        EXPECT_EQ(RuleMatches(list, withoutBall, t), expectWithoutBall[t]) << t;
    }
    // A rule without conditions holds by its polarity alone.
    EXPECT_TRUE(RuleMatches(list, RuleObject(true), 0));
    EXPECT_FALSE(RuleMatches(list, RuleObject(false), 0));
}

TEST_F(RulesTest, TheGroupIsSearchedForAnyFittingFeatureWithTheRequiredBit)
{
    // Three players in the "Has-ball" group: two left full-backs and a keeper.
    FeatureList list;
    Fill(list, {{1, hasBall}, {3, hasBall}, {4, hasBall}}, 2, {{1, coGK[0]}, {3, coLFB[0]}, {4, coLFB[0]}});
    list.SetBit(0, 0);  // only the keeper has the ball at t0
    list.SetBit(2, 1);  // the second full-back has it at t1, after the first one who has not

    RuleObject fullbackHasBall(true);
    fullbackHasBall.AddCondition(coLFB[0], hasBall, 1);
    EXPECT_FALSE(RuleMatches(list, fullbackHasBall, 0));
    EXPECT_TRUE(RuleMatches(list, fullbackHasBall, 1));

    RuleObject fullbackWithoutBall(true);
    fullbackWithoutBall.AddCondition(coLFB[0], hasBall, 0);
    EXPECT_TRUE(RuleMatches(list, fullbackWithoutBall, 0));
    EXPECT_TRUE(RuleMatches(list, fullbackWithoutBall, 1));  // the first full-back has not

    RuleObject keeperWithoutBall(true);
    keeperWithoutBall.AddCondition(coGK[0], hasBall, 0);
    EXPECT_FALSE(RuleMatches(list, keeperWithoutBall, 0));
    EXPECT_TRUE(RuleMatches(list, keeperWithoutBall, 1));
}

TEST_F(RulesTest, ATeamLevelFeatureMeetsAnyRole)
{
    FeatureList list;
    Fill(list, {{-1, hasBall}}, 2, {});
    list.SetBit(0, 1);
    for (ConceptObject* role : {coGK[1], coLFB[0], coBall, g_roleConcepts}) {
        RuleObject r(true);
        r.AddCondition(role, hasBall, 1);
        EXPECT_FALSE(RuleMatches(list, r, 0)) << role->GetName();
        EXPECT_TRUE(RuleMatches(list, r, 1)) << role->GetName();
    }
}

TEST_F(RulesTest, AConditionWithoutObjectConceptIsMetByAnyObjectOfItsGroup)
{
    // The in-house learner's conditions: the keeper (object 1), a full-back
    // (object 3) and a player without a role (object 5) in one group.
    FeatureList list;
    Fill(list, {{1, hasBall}, {3, hasBall}, {5, hasBall}, {1, defendingHalf}}, 4, {{1, coGK[0]}, {3, coLFB[0]}});
    list.SetBit(1, 1);  // t1: the full-back
    list.SetBit(2, 2);  // t2: the player without a role
    for (int t = 0; t < 4; ++t)
        list.SetBit(0, t);
    list.ClearBit(0, 3);  // t3: nobody
    list.SetBit(3, 3);
    RuleObject anyone(true);
    anyone.AddCondition(nullptr, hasBall, 1);
    const bool want[] = {true, true, true, false};
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(RuleMatches(list, anyone, t), want[t]) << t;
    RuleObject anyoneWithout(true);
    anyoneWithout.AddCondition(nullptr, hasBall, 0);
    EXPECT_TRUE(RuleMatches(list, anyoneWithout, 1));  // the keeper and object 5 have not
    anyone.SetPositive(false);
    EXPECT_FALSE(RuleMatches(list, anyone, 1));
    EXPECT_TRUE(RuleMatches(list, anyone, 3));
    // Empty object paths in the texts.
    RuleObject learnt(true);
    learnt.AddCondition(nullptr, hasBall, 1);
    learnt.AddCondition(nullptr, defendingHalf, 1);
    EXPECT_EQ(RuleToString(&list, learnt, false), "(:Has-ball = 1) AND (:Defending-half = 1)");
    EXPECT_EQ(RuleToString(&list, learnt, true), ":Has-ball :Defending-half");
    EXPECT_TRUE(RuleMatches(list, learnt, 3) == false && RuleMatches(list, learnt, 0) == false);
    list.SetBit(3, 0);
    EXPECT_TRUE(RuleMatches(list, learnt, 0));
}

TEST_F(RulesTest, ActionRuleTableLine)
{
    EXPECT_EQ(FormatActionRule({"LTeam_L_FW_Speed_dribble", ":Has-ball :Defending-half"}),
              "  tActionRule(_LTeam_L_FW_Speed_dribble_, \":Has-ball :Defending-half\"),");
}

TEST_F(RulesTest, ConditionsOnEmptyGroupsNeverHold)
{
    FeatureList list;
    Fill(list, {{2, defendingHalf}}, 3, {{2, coLFB[0]}});
    for (int t = 0; t < 3; ++t)
        list.SetBit(0, t);
    RuleObject r(true);
    r.AddCondition(coLFB[0], hasBall, 1);  // never filed
    r.AddCondition(coLFB[0], otherKey, 0);
    RuleObject negated(r);
    negated.SetPositive(false);
    for (int t = 0; t < 3; ++t) {
        EXPECT_FALSE(RuleMatches(list, r, t));
        EXPECT_TRUE(RuleMatches(list, negated, t));
    }
}

TEST_F(RulesTest, AnInstanceOutsideTheListBeepsPerFeatureAndMeetsNoCondition)
{
    FeatureList list;
    Fill(list, {{1, hasBall}, {3, hasBall}, {2, defendingHalf}}, 5, {{1, coGK[0]}, {2, coLFB[0]}, {3, coGK[0]}});
    RuleObject r(true);
    r.AddCondition(coGK[0], hasBall, 0);         // would hold everywhere: no bit is set
    r.AddCondition(coLFB[0], defendingHalf, 0);  // likewise
    RuleObject negated(r);
    negated.SetPositive(false);
    ASSERT_TRUE(RuleMatches(list, r, 4));

    for (const int t : {-1, 5, 1000000}) {
        RecordingHooks hooks;
        EXPECT_FALSE(RuleMatches(list, r, t)) << t;
        EXPECT_EQ(hooks.beeps, 3) << t;  // two features of the first group, one of the second
        EXPECT_TRUE(RuleMatches(list, negated, t)) << t;
        EXPECT_EQ(hooks.beeps, 6) << t;
    }
}

TEST_F(RulesTest, AFeatureOfAnObjectOutsideTheLogBeepsAndLeavesItsConditionUnmet)
{
    FeatureList list;
    Fill(list, {{1, hasBall}, {1, defendingHalf}}, 2, {{1, coGK[0]}});
    RuleObject r(true);
    r.AddCondition(coGK[0], hasBall, 0);
    r.AddCondition(coGK[0], defendingHalf, 0);
    ASSERT_TRUE(RuleMatches(list, r, 0));
    for (const int bad : {23, -2}) {
        list.SetObjectIndex(0, bad);
        RecordingHooks hooks;
        EXPECT_FALSE(RuleMatches(list, r, 0)) << bad;
        EXPECT_EQ(hooks.beeps, 1) << bad;
    }
    // A fitting feature later in the group does not rescue the condition.
    FeatureList two;
    Fill(two, {{30, hasBall}, {1, hasBall}}, 1, {{1, coGK[0]}});
    RuleObject keeper(true);
    keeper.AddCondition(coGK[0], hasBall, 0);
    RecordingHooks hooks;
    EXPECT_FALSE(RuleMatches(two, keeper, 0));
    EXPECT_EQ(hooks.beeps, 1);
}

// ---------------------------------------------------------------------------
// Decision lists and counts

TEST_F(RulesTest, ANegatedRuleThatFailsDecidesBeforeLaterRules)
{
    // t0: keeper has the ball, t1: he has not. R2 (full-back in defending half) holds at both.
    FeatureList list;
    Fill(list, {{1, hasBall}, {2, defendingHalf}}, 2, {{1, coGK[0]}, {2, coLFB[0]}});
    list.SetBit(0, 0);
    list.SetBit(1, 0);
    list.SetBit(1, 1);
    RuleObject notKeeperBall(false);
    notKeeperBall.AddCondition(coGK[0], hasBall, 1);
    RuleObject fullbackBack(true);
    fullbackBack.AddCondition(coLFB[0], defendingHalf, 1);
    ASSERT_TRUE(RuleMatches(list, fullbackBack, 0));

    for (int t = 0; t < 2; ++t)
        EXPECT_TRUE(RulesCover(list, RuleList{}, t));  // the empty list covers everything

    const RuleList rules = ListOf({notKeeperBall, fullbackBack});
    EXPECT_FALSE(RulesCover(list, rules, 0));  // R1's conjunction holds: refused whatever R2 says
    EXPECT_TRUE(RulesCover(list, rules, 1));   // it fails and passes on: R2 holds and covers

    // Positive rules that do not hold pass on; none deciding means not covered.
    RuleObject keeperBall(true);
    keeperBall.AddCondition(coGK[0], hasBall, 1);
    RuleObject fullbackForward(true);
    fullbackForward.AddCondition(coLFB[0], defendingHalf, 0);
    EXPECT_TRUE(RulesCover(list, ListOf({keeperBall, fullbackBack}), 1));
    EXPECT_FALSE(RulesCover(list, ListOf({keeperBall, fullbackForward}), 1));
    EXPECT_TRUE(RulesCover(list, ListOf({keeperBall, fullbackForward}), 0));
}

TEST_F(RulesTest, EvaluationCountsAnInstanceInBothListsOnceAsPositive)
{
    // The keeper has the ball at 3, 5 and 7.
    FeatureList list;
    Fill(list, {{1, hasBall}}, 10, {{1, coGK[0]}});
    for (const int t : {3, 5, 7})
        list.SetBit(0, t);
    RuleObject keeperBall(true);
    keeperBall.AddCondition(coGK[0], hasBall, 1);
    const std::vector<int> p = {3, 5};
    const std::vector<int> n = {5, 7};

    int tp = -1, fp = -1, tn = -1, fn = -1;
    EvaluateRules(list, ListOf({keeperBall}), p, n, &tp, &fp, &tn, &fn);
    EXPECT_EQ(tp, 2);
    EXPECT_EQ(fn, 0);
    EXPECT_EQ(fp, 1);
    EXPECT_EQ(tn, 0);

    RuleObject notKeeperBall(keeperBall);
    notKeeperBall.SetPositive(false);
    EvaluateRule(list, notKeeperBall, p, n, &tp, &fp, &tn, &fn);
    EXPECT_EQ(tp, 0);
    EXPECT_EQ(fn, 2);
    EXPECT_EQ(fp, 0);
    EXPECT_EQ(tn, 1);

    // The empty list covers all; null outs are left alone.
    tp = fn = -1;
    EvaluateRules(list, RuleList{}, p, {5, 7, 8, 8}, nullptr, &fp, nullptr, &tn);
    EXPECT_EQ(fp, 3);
    EXPECT_EQ(tn, 0);
    EXPECT_EQ(tp, -1);
    EXPECT_EQ(fn, -1);
}

// ---------------------------------------------------------------------------
// Field states

tFieldState StateWith(int cycle, double shift)
{
    tFieldState s;
    s.cycle = cycle;
    for (int i = 0; i < tFieldState::kObjects; ++i) {
        s.x[static_cast<std::size_t>(i)] = i + shift;
        s.y[static_cast<std::size_t>(i)] = -i - shift;
    }
    return s;
}

TEST_F(RulesTest, FieldStatesCompareAllPositionsExactlyButNotTheCycle)
{
    const tFieldState a = StateWith(10, 0.5);
    const tFieldState b = StateWith(99, 0.5);
    EXPECT_TRUE(a == b);
    tFieldState c = a;
    c.y[22] += 1e-12;
    EXPECT_FALSE(a == c);
    c = a;
    c.x[0] = -c.x[0] - 1.0;
    EXPECT_FALSE(a == c);

    StrategyChunk chunk("n", coGK[0], coPass, 0, 0, 0, false);
    chunk.AddFieldState(a);
    chunk.AddFieldState(b);
    chunk.AddFieldState(c);
    chunk.AddFieldState(a);
    ASSERT_EQ(chunk.GetFieldStates().size(), 2u);
    EXPECT_EQ(chunk.GetFieldStates()[0].cycle, 10);
    EXPECT_TRUE(chunk.GetFieldStates()[1] == c);
}

TEST_F(RulesTest, AFieldStateIsReadFromThePositionChannelsAndABadCycleChangesNothing)
{
    auto log = CreateFileRecord("state.rcg");
    for (int t = 0; t < 3; ++t) {
        for (int i = 0; i < tFieldState::kObjects; ++i) {
            log->posXChannel[static_cast<std::size_t>(i)]->AddValue(100.0 * t + i);
            log->posYChannel[static_cast<std::size_t>(i)]->AddValue(-100.0 * t - i - 0.25);
        }
    }
    log->cycles = 3;

    tFieldState s;
    {
        RecordingHooks hooks;
        s.Read(2, *log);
        EXPECT_EQ(hooks.beeps, 0);
    }
    EXPECT_EQ(s.cycle, 2);
    EXPECT_EQ(s.x[0], 200.0);
    EXPECT_EQ(s.x[22], 222.0);
    EXPECT_EQ(s.y[11], -211.25);

    const tFieldState before = s;
    for (const int bad : {-1, 3}) {
        RecordingHooks hooks;
        s.Read(bad, *log);
        EXPECT_EQ(hooks.beeps, 1);
        EXPECT_EQ(s.cycle, 2);
        EXPECT_TRUE(s == before);
    }
}

// ---------------------------------------------------------------------------
// Strategy chunks

TEST_F(RulesTest, ACopiedChunkOwnsItsOwnRules)
{
    auto original = std::make_unique<StrategyChunk>("GK:Pass", coGK[0], coPass, 1.5, -2.0, 0.75, true);
    EXPECT_EQ(original->GetPositiveCount(), 0);
    EXPECT_EQ(original->GetNegativeCount(), 0);
    auto rule = std::make_unique<RuleObject>(false);
    rule->AddCondition(coGK[0], hasBall, 1);
    original->AddRule(std::move(rule));
    original->AddRule(nullptr);
    original->AddFieldState(StateWith(4, 1.0));
    original->SetPositiveCount(7);
    original->SetNegativeCount(9);

    StrategyChunk copy(*original);
    StrategyChunk assigned("other", nullptr, nullptr, 0, 0, 0, false);
    assigned.AddRule(std::make_unique<RuleObject>(true));
    assigned = *original;
    const RuleObject* originalRule = original->GetRules()[0].get();
    original.reset();

    for (const StrategyChunk* c : {&copy, &assigned}) {
        EXPECT_EQ(c->GetName(), "GK:Pass");
        EXPECT_EQ(c->GetRoleConcept(), coGK[0]);
        EXPECT_EQ(c->GetActionConcept(), coPass);
        EXPECT_EQ(c->GetX(), 1.5);
        EXPECT_EQ(c->GetY(), -2.0);
        EXPECT_EQ(c->GetValue(), 0.75);
        EXPECT_TRUE(IsEndChunk(*c));
        EXPECT_EQ(c->GetPositiveCount(), 7);
        EXPECT_EQ(c->GetNegativeCount(), 9);
        ASSERT_EQ(c->GetRules().size(), 1u);
        EXPECT_NE(c->GetRules()[0].get(), originalRule);
        EXPECT_EQ(RulesToString(nullptr, c->GetRules(), false), "~((LTeam.GK:Has-ball = 1))");
        ASSERT_EQ(c->GetFieldStates().size(), 1u);
        EXPECT_EQ(c->GetFieldStates()[0].cycle, 4);
    }
    EXPECT_NE(copy.GetRules()[0].get(), assigned.GetRules()[0].get());
}

TEST_F(RulesTest, ChunkDistanceAddsOnlyTheWeightedTerms)
{
    const StrategyChunk a("a", coLFB[0], coPass, 0.0, 0.0, 0, false);
    const StrategyChunk same("same", coLFB[0], coPass, 0.0, 0.0, 0, false);
    const StrategyChunk b("b", coRFB[0], coKick, 3.0, 4.0, 0, false);
    const StrategyChunk end("end", coLFB[0], coPass, 0.0, 0.0, 0, true);
    const StrategyChunk unknown("unknown", nullptr, nullptr, 3.0, 4.0, 0, false);

    EXPECT_EQ(StrategyChunk::Distance(a, same, 1.0, 1.0, 1.0), 0.0);
    EXPECT_EQ(StrategyChunk::Distance(a, b, 0.0, 0.0, 0.0), 0.0);
    EXPECT_EQ(StrategyChunk::Distance(a, end, 0.0, 0.0, 0.0), 99999.0);
    EXPECT_EQ(StrategyChunk::Distance(end, b, 1.0, 1.0, 1.0), 99999.0);
    EXPECT_DOUBLE_EQ(StrategyChunk::Distance(a, b, 2.0, 0.0, 0.0), 10.0);

    // Two full-backs of one side: depth 6, common ancestor "FB" at level 4, two edges apart.
    const double roleTerm = StrategyChunk::Distance(a, b, 0.0, 1.0, 0.0);
    EXPECT_NEAR(roleTerm, (2.0 + 2.0 / 12.0) / 7.0, 1e-12);
    const double actionTerm = StrategyChunk::Distance(a, b, 0.0, 0.0, 1.0);
    EXPECT_GT(actionTerm, 0.0);
    EXPECT_LT(actionTerm, 1.0);
    EXPECT_NEAR(StrategyChunk::Distance(a, b, 0.5, 3.0, 2.0), 2.5 + 3.0 * roleTerm + 2.0 * actionTerm, 1e-12);

    // Concepts that are unknown only count when their term is weighted.
    EXPECT_DOUBLE_EQ(StrategyChunk::Distance(a, unknown, 1.0, 0.0, 0.0), 5.0);
    EXPECT_GE(StrategyChunk::Distance(a, unknown, 1.0, 1.0, 0.0), 99999.0);
}

TEST_F(RulesTest, ChunksMeetActionGraphNodesThroughTheNodeView)
{
    ConceptObject* toPlayer = coToPlayer;  // a kind of pass
    ASSERT_TRUE(ConceptObject::IsA(toPlayer, coPass));
    const StrategyChunk chunk("c", coLFB[0], coPass, 10.0, 10.0, 0, false);
    const StrategyChunk endChunk("e", coLFB[0], coPass, 10.0, 10.0, 0, true);

    const FakeNode near(2, toPlayer, coLFB[0]->GetParent(), 13.0, 14.0);
    const FakeNode endNode(0, coPass, coLFB[0], 10.0, 10.0);
    EXPECT_DOUBLE_EQ(StrategyChunk::DistanceToNode(chunk, near, 1.0, 0.0, 0.0), 5.0);
    EXPECT_EQ(StrategyChunk::DistanceToNode(chunk, endNode, 1.0, 1.0, 1.0), 99999.0);
    EXPECT_EQ(StrategyChunk::DistanceToNode(endChunk, endNode, 1.0, 1.0, 1.0), 0.0);
    EXPECT_EQ(StrategyChunk::DistanceToNode(endChunk, near, 0.0, 0.0, 0.0), 99999.0);
    // The node's concepts take the place of the other chunk's.
    const StrategyChunk asNode("n", coLFB[0]->GetParent(), toPlayer, 13.0, 14.0, 0, false);
    EXPECT_DOUBLE_EQ(StrategyChunk::DistanceToNode(chunk, near, 1.0, 2.0, 3.0),
                     StrategyChunk::Distance(chunk, asNode, 1.0, 2.0, 3.0));

    EXPECT_TRUE(StrategyChunk::MatchesNode(chunk, near, 1.0, 0.0, 0.0, 5.0));
    EXPECT_FALSE(StrategyChunk::MatchesNode(chunk, near, 1.0, 0.0, 0.0, 4.99));
    EXPECT_TRUE(StrategyChunk::MatchesNode(endChunk, endNode, 1.0, 1.0, 1.0, 0.0));
    // Unrelated concepts or a missing record never match, however near.
    const FakeNode otherSide(2, coPass, coLFB[1], 10.0, 10.0);
    const FakeNode otherAction(2, coHold, coLFB[0], 10.0, 10.0);
    const FakeNode noData(2, coPass, coLFB[0], 10.0, 10.0, false);
    for (const FakeNode* n : {&otherSide, &otherAction, &noData})
        EXPECT_FALSE(StrategyChunk::MatchesNode(chunk, *n, 0.0, 0.0, 0.0, 1e9));
    EXPECT_EQ(StrategyChunk::DistanceToNode(chunk, noData, 1.0, 0.0, 0.0), 0.0);
}

// ---------------------------------------------------------------------------
// Rules over the features of real logs. The expected answers are worked out
// here from the packed feature rows, the group key of every feature and the
// log's own role channels, without the feature list's groups and role columns.

class RulesOnRealLogs : public ::testing::Test {
protected:
    void SetUp() override { CreateConceptHierarchies(); }
    void TearDown() override { FreeConceptHierarchies(); }

private:
    InTempDir dir_{"rules-real"};
};

// True when `role` is the condition's concept or lies above it.
bool StandsFor(const ConceptObject* role, const ConceptObject* condition)
{
    if (!condition)
        return true;  // a condition without object concept speaks of any object
    if (!role)
        return false;
    for (const ConceptObject* c = condition; c; c = c->GetParent())
        if (c == role)
            return true;
    return false;
}

class IndependentMatcher {
public:
    IndependentMatcher(const RoboCupFileT& log, const FeatureList& list) : log_(log), list_(list)
    {
        for (int f = 0; f < list.GetNumFeatures(); ++f)
            byKey_[list.GetGroupKey(f)].push_back(f);
    }

    const ConceptObject* RoleOf(int object, int t) const
    {
        if (object == -1)
            return g_roleConcepts;
        if (object == 0)
            return coBall;
        const auto& roles = log_.roleChannel[static_cast<std::size_t>(object)]->GetValues();
        return ConceptFromHandle(roles.at(static_cast<std::size_t>(t)));
    }
    int Bit(int f, int t) const { return (list_.GetRow(t)[f / 8] >> (f % 8)) & 1; }

    bool Condition(const ConceptObject* object, const ConceptObject* key, int value, int t) const
    {
        const auto found = byKey_.find(key);
        if (found == byKey_.end())
            return false;
        for (const int f : found->second)
            if (StandsFor(RoleOf(list_.GetObjectIndex(f), t), object) && Bit(f, t) == value)
                return true;
        return false;
    }
    bool Body(const RuleObject& r, int t) const
    {
        bool all = true;
        for (int c = 0; c < r.Size(); ++c)
            all = all && Condition(r.GetObjectConcept(c), r.GetFeatureKey(c), r.GetValue(c), t);
        return all;
    }
    bool Rule(const RuleObject& r, int t) const { return r.IsPositive() == Body(r, t); }
    // JRip's decision list: the first rule whose body holds gives its class;
    // none does, the default class, the node's after rules for OTHER.
    bool Cover(const RuleList& rules, int t) const
    {
        if (rules.empty())
            return true;
        for (const auto& r : rules)
            if (Body(*r, t))
                return r->IsPositive();
        return !rules.back()->IsPositive();
    }

private:
    const RoboCupFileT& log_;
    const FeatureList& list_;
    std::unordered_map<const ConceptObject*, std::vector<int>> byKey_;  // every feature of a key
};

struct Counts {
    int tp = 0, fp = 0, tn = 0, fn = 0;
    bool operator==(const Counts&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const Counts& c)
    {
        return out << "tp " << c.tp << " fp " << c.fp << " tn " << c.tn << " fn " << c.fn;
    }
};

// Positives every third cycle, negatives every second one: cycles divisible by
// six are in both lists and count as positives only.
Counts ExpectedCounts(const std::function<bool(int)>& covers, int cycles)
{
    Counts c;
    for (int t = 0; t < cycles; ++t) {
        if (t % 3 == 0)
            (covers(t) ? c.tp : c.fn)++;
        else if (t % 2 == 0)
            (covers(t) ? c.fp : c.tn)++;
    }
    return c;
}

void Examples(int cycles, std::vector<int>& positives, std::vector<int>& negatives)
{
    for (int t = 0; t < cycles; ++t) {
        if (t % 3 == 0)
            positives.push_back(t);
        if (t % 2 == 0)
            negatives.push_back(t);
    }
}

void ExpectRulesAgreeWithTheBits(RoboCupFileT& log, const std::vector<ConceptObject*>& objects)
{
    FeatureList& list = *log.features;
    ASSERT_GT(list.GetNumFeatures(), 0);
    ASSERT_EQ(list.GetNumInstances(), log.cycles);
    const IndependentMatcher expect(log, list);
    // The keys in feature order; of the hundreds of a keepaway log an even spread of about 60.
    std::vector<ConceptObject*> allKeys;
    for (int f = 0; f < list.GetNumFeatures(); ++f)
        if (std::find(allKeys.begin(), allKeys.end(), list.GetGroupKey(f)) == allKeys.end())
            allKeys.push_back(list.GetGroupKey(f));
    const std::size_t stride = allKeys.size() / 60 + 1;
    std::vector<ConceptObject*> keys;
    for (std::size_t k = 0; k < allKeys.size(); k += stride)
        keys.push_back(allKeys[k]);
    std::vector<int> positives, negatives;
    Examples(log.cycles, positives, negatives);

    // Single conditions: every key, every object concept, both bits.
    int coveringSome = 0, missingSome = 0;
    for (ConceptObject* key : keys) {
        for (ConceptObject* object : objects) {
            for (const int value : {0, 1}) {
                RuleObject r(true);
                r.AddCondition(object, key, value);
                const Counts want = ExpectedCounts([&](int t) { return expect.Rule(r, t); }, log.cycles);
                Counts got;
                EvaluateRule(list, r, positives, negatives, &got.tp, &got.fp, &got.tn, &got.fn);
                ASSERT_EQ(got, want) << RuleToString(&list, r, false);
                coveringSome += want.tp + want.fp > 0 ? 1 : 0;
                missingSome += want.fn + want.tn > 0 ? 1 : 0;
            }
        }
    }
    // The data must tell the answers apart, or the comparison proves nothing.
    EXPECT_GT(coveringSome, 0);
    EXPECT_GT(missingSome, 0);

    // Conjunctions, their negations and decision lists over neighbouring keys.
    const std::size_t n = keys.size();
    for (std::size_t k = 0; k < n; ++k) {
        ConceptObject* a = objects[k % objects.size()];
        ConceptObject* b = objects[(k + 1) % objects.size()];
        RuleObject both(true);
        both.AddCondition(a, keys[k], 1);
        both.AddCondition(b, keys[(k + 1) % n], 0);
        RuleObject notBoth(both);
        notBoth.SetPositive(false);
        RuleObject other(true);
        other.AddCondition(b, keys[(k + 2) % n], 1);
        RuleObject notOther(other);
        notOther.SetPositive(false);
        // JRip's shape too: rules for OTHER before the default, implicit or the node's own.
        const RuleList lists[] = {ListOf({both}), ListOf({notBoth, other}), ListOf({both, other}),
                                  ListOf({other, notBoth}), ListOf({notBoth, notOther}),
                                  ListOf({notBoth, notOther, RuleObject(true)})};
        for (const RuleList& rules : lists) {
            for (int t = 0; t < log.cycles; ++t)
                ASSERT_EQ(RulesCover(list, rules, t), expect.Cover(rules, t))
                    << RulesToString(&list, rules, false) << " at " << t;
            const Counts want = ExpectedCounts([&](int t) { return expect.Cover(rules, t); }, log.cycles);
            Counts got;
            EvaluateRules(list, rules, positives, negatives, &got.tp, &got.fp, &got.tn, &got.fn);
            ASSERT_EQ(got, want) << RulesToString(&list, rules, false);
        }
    }
}

TEST_F(RulesOnRealLogs, RuleCountsOverAMatchAgreeWithTheFeatureBitsAndRoles)
{
    RecordingHooks hooks;
    auto log = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), true);
    const int loadBeeps = hooks.beeps;
    ASSERT_FALSE(log->isKeepaway);
    ConceptObject* leftSide = coFieldPlayer[0]->GetParent();
    ExpectRulesAgreeWithTheBits(*log, {coGK[0], coFieldPlayer[1], leftSide, coBall, g_roleConcepts, coLFB[0],
                                       coCMF[1], coTeamNumber[0][6], nullptr});
    EXPECT_EQ(hooks.beeps, loadBeeps);  // nothing was outside the log
}

// The in-house learner on a real match: the weights are the features' counts
// over the positive cycles; the learnt rule names the groups of the best
// features and covers the cycles the independent reading says.
TEST_F(RulesOnRealLogs, TheInHouseLearnerOnAMatchRanksByValueAndMatchesAnyObject)
{
    auto log = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), true);
    FeatureList& list = *log->features;
    std::vector<int> positives, negatives;
    Examples(log->cycles, positives, negatives);
    std::vector<int> counts(static_cast<std::size_t>(list.GetNumFeatures()), 0);
    for (const int t : positives)
        list.AddInstanceBits(t, counts.data());
    for (int f = 0; f < list.GetNumFeatures(); ++f)
        list.SetValue(f, counts[static_cast<std::size_t>(f)]);
    std::vector<int> order(counts.size());
    for (std::size_t f = 0; f < order.size(); ++f)
        order[f] = static_cast<int>(f);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        const int ca = counts[static_cast<std::size_t>(a)], cb = counts[static_cast<std::size_t>(b)];
        return ca != cb ? ca > cb : a < b;
    });
    const IndependentMatcher expect(*log, list);
    int coveredPositives = 0;
    for (const int k : {1, 4, 12}) {
        RuleObject rule(true);
        LearnTopFeatureRule(&list, &rule, positives, negatives, k, log.get());
        ASSERT_EQ(rule.Size(), k);
        for (int c = 0; c < k; ++c)
            EXPECT_EQ(rule.GetFeatureKey(c), list.GetGroupKey(order[static_cast<std::size_t>(c)])) << c;
        Counts got;
        EvaluateRule(list, rule, positives, negatives, &got.tp, &got.fp, &got.tn, &got.fn);
        EXPECT_EQ(got, ExpectedCounts([&](int t) { return expect.Rule(rule, t); }, log->cycles))
            << RuleToString(&list, rule, true);
        if (k == 1)
            coveredPositives = got.tp;
    }
    // The best single feature holds at most positive cycles; so does its rule.
    EXPECT_GE(coveredPositives, counts[static_cast<std::size_t>(order[0])]);
}

TEST_F(RulesOnRealLogs, RuleCountsOverAKeepawayLogAgreeWithItsTeamLevelFeatures)
{
    RecordingHooks hooks;
    auto log = LoadLog(GunzippedTestFile("keepaway-3v2-Keepers-vs-Takers-helios-1500.rcg"), true);
    const int loadBeeps = hooks.beeps;
    ASSERT_TRUE(log->isKeepaway);
    ExpectRulesAgreeWithTheBits(*log, {coGK[0], coBall, g_roleConcepts, nullptr});
    EXPECT_EQ(hooks.beeps, loadBeeps);  // nothing was outside the log
}

}  // namespace
