#include "core/concepts/Concepts.h"
#include "core/concepts/Evaluators.h"
#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"
#include "core/learning/RuleTexts.h"
#include "core/learning/Rules.h"
#include "core/model/timestream.h"

#include "support/FilledRecord.h"
#include "support/RecordingHooks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// FeatureList

TEST(FeatureList, NineFeaturesTakeTwoBytesPerRowAndFeatureEightIsBitZeroOfTheSecond)
{
    FeatureList list;
    list.Allocate(9, 3);
    EXPECT_EQ(list.GetBytesPerRow(), 2);
    list.SetBit(8, 1);
    const std::uint8_t* row1 = list.GetRow(1);
    EXPECT_EQ(row1[0], 0);
    EXPECT_EQ(row1[1], 1);
    // Neighbouring rows are untouched.
    EXPECT_EQ(list.GetRow(0)[1], 0);
    EXPECT_EQ(list.GetRow(2)[0], 0);
    EXPECT_EQ(list.GetBit(8, 1), 1);
    EXPECT_EQ(list.GetBit(8, 0), 0);
    EXPECT_EQ(list.GetBit(0, 1), 0);

    list.Allocate(8, 1);
    EXPECT_EQ(list.GetBytesPerRow(), 1);
    list.Allocate(16, 1);
    EXPECT_EQ(list.GetBytesPerRow(), 2);
    list.Allocate(17, 1);
    EXPECT_EQ(list.GetBytesPerRow(), 3);
}

TEST(FeatureList, SetThenClearLeavesTheOtherBitsOfTheByte)
{
    FeatureList list;
    list.Allocate(8, 2);
    for (int f : {0, 2, 3, 7})
        list.SetBit(f, 1);
    list.SetBit(5, 1);
    EXPECT_EQ(list.GetRow(1)[0], 0b10101101);
    list.ClearBit(5, 1);
    EXPECT_EQ(list.GetRow(1)[0], 0b10001101);
    list.ClearBit(5, 1);  // clearing a clear bit changes nothing
    EXPECT_EQ(list.GetRow(1)[0], 0b10001101);
    EXPECT_EQ(list.GetRow(0)[0], 0);
}

TEST(FeatureList, AllocateReplacesEverythingWithZerosAndEmptyNames)
{
    ConceptObject key("Key", nullptr, false);
    ConceptObject role("Role", nullptr, false);
    FeatureList list;
    list.Allocate(3, 4);
    list.SetBit(1, 2);
    list.SetName(0, "Ball:X");
    list.SetValue(0, 2.5);
    list.SetCount(1, 7);
    list.SetObjectIndex(2, -1);
    list.SetGroupKey(2, &key);
    list.AddToGroup(2);
    list.SetObjectConcept(22, 3, &role);

    list.Allocate(3, 4);
    EXPECT_EQ(list.GetNumFeatures(), 3);
    EXPECT_EQ(list.GetNumInstances(), 4);
    for (int f = 0; f < 3; ++f) {
        EXPECT_EQ(list.GetName(f), "");
        EXPECT_EQ(list.GetValue(f), 0.0);
        EXPECT_EQ(list.GetCount(f), 0);
        EXPECT_EQ(list.GetObjectIndex(f), 0);
        EXPECT_EQ(list.GetGroupKey(f), nullptr);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(list.GetBit(f, i), 0);
    }
    for (int o = 0; o < FeatureList::kObjectColumns; ++o)
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(list.GetObjectConcept(o, i), nullptr);
    std::vector<ConceptObject*> keys;
    list.GetGroupKeys(keys);
    EXPECT_TRUE(keys.empty());
}

TEST(FeatureList, ResetNamesKeepsTheBitsAndClearsThePerFeatureData)
{
    FeatureList list;
    list.Allocate(2, 2);
    list.SetBit(1, 1);
    list.SetName(1, "Lplayer1:Near");
    list.SetValue(1, 0.5);
    list.SetCount(1, 1);
    list.SetObjectIndex(1, 1);
    list.ResetNames();
    EXPECT_EQ(list.GetName(1), "");
    EXPECT_EQ(list.GetValue(1), 0.0);
    EXPECT_EQ(list.GetCount(1), 0);
    EXPECT_EQ(list.GetObjectIndex(1), 0);
    EXPECT_EQ(list.GetBit(1, 1), 1);
}

TEST(FeatureList, AddInstanceBitsAddsEachFeaturesBitToItsCounter)
{
    FeatureList list;
    list.Allocate(10, 3);
    list.SetBit(0, 0);
    list.SetBit(9, 0);
    list.SetBit(9, 2);
    list.SetBit(4, 2);
    std::vector<int> counts(10, 1);
    list.AddInstanceBits(0, counts.data());
    list.AddInstanceBits(2, counts.data());
    list.AddInstanceBits(2, counts.data());  // an instance given twice counts twice
    EXPECT_EQ(counts, (std::vector<int>{2, 1, 1, 1, 3, 1, 1, 1, 1, 4}));
}

TEST(FeatureList, IndexOfFindsTheFirstExactNameOnly)
{
    FeatureList list;
    list.Allocate(3, 1);
    list.SetName(0, "Ball:Field-area");
    list.SetName(1, "Lplayer1:Near");
    list.SetName(2, "Lplayer1:Near");
    EXPECT_EQ(list.IndexOf("Lplayer1:Near"), 1);
    EXPECT_EQ(list.IndexOf("Ball:Field-area"), 0);
    EXPECT_EQ(list.IndexOf("ball:field-area"), -1);
    EXPECT_EQ(list.IndexOf("Ball:Field"), -1);
}

TEST(FeatureList, GroupsKeepFilingOrderAndAnUnknownKeyGetsAnEmptyGroup)
{
    std::array<ConceptObject*, 3> nodes{new ConceptObject("A", nullptr, false), new ConceptObject("B", nullptr, false),
                                        new ConceptObject("C", nullptr, false)};
    // File the keys from the highest address down, so that a map ordered by
    // address would list them the other way round.
    std::array<ConceptObject*, 3> byAddress = nodes;
    std::sort(byAddress.begin(), byAddress.end(), std::greater<>());

    FeatureList list;
    list.Allocate(5, 1);
    const int keyOf[5] = {0, 1, 0, 2, 1};  // feature f is filed under byAddress[keyOf[f]]
    for (int f = 0; f < 5; ++f) {
        list.SetGroupKey(f, byAddress[keyOf[f]]);
        list.AddToGroup(f);
    }
    EXPECT_EQ(list.GetGroup(byAddress[0]), (std::vector<int>{0, 2}));
    EXPECT_EQ(list.GetGroup(byAddress[1]), (std::vector<int>{1, 4}));
    EXPECT_EQ(list.GetGroup(byAddress[2]), (std::vector<int>{3}));

    std::vector<ConceptObject*> keys;
    list.GetGroupKeys(keys);
    EXPECT_EQ(keys, (std::vector<ConceptObject*>{byAddress[0], byAddress[1], byAddress[2]}));

    ConceptObject unknown("D", nullptr, false);
    std::vector<int>& fresh = list.GetGroup(&unknown);
    EXPECT_TRUE(fresh.empty());
    // Asking again gives the same group, and the earlier reference still holds.
    EXPECT_EQ(&list.GetGroup(&unknown), &fresh);
    std::vector<ConceptObject*> more{nullptr};
    list.GetGroupKeys(more);  // appends, keeping what the caller had
    EXPECT_EQ(more, (std::vector<ConceptObject*>{nullptr, byAddress[0], byAddress[1], byAddress[2], &unknown}));

    for (ConceptObject* node : nodes)
        delete node;
}

TEST(FeatureList, IndicesOutsideTheListAreRefusedWithoutTouchingMemory)
{
    ConceptObject key("Key", nullptr, false);
    FeatureList list;
    list.Allocate(9, 2);
    EXPECT_THROW(list.GetBit(list.IndexOf("nowhere"), 0), std::out_of_range);
    EXPECT_THROW(list.SetBit(9, 0), std::out_of_range);
    EXPECT_THROW(list.ClearBit(0, 2), std::out_of_range);
    EXPECT_THROW(list.SetBit(0, -1), std::out_of_range);
    int counts[9] = {};
    EXPECT_THROW(list.AddInstanceBits(2, counts), std::out_of_range);
    EXPECT_THROW(list.SetName(9, "x"), std::out_of_range);
    EXPECT_THROW(list.SetCount(-1, 1), std::out_of_range);
    EXPECT_THROW(list.SetGroupKey(9, &key), std::out_of_range);
    EXPECT_THROW(list.SetObjectConcept(23, 0, &key), std::out_of_range);
    EXPECT_THROW(list.SetObjectConcept(0, 2, &key), std::out_of_range);
    // A run of instances: wholly inside or refused whole.
    EXPECT_THROW(list.SetObjectConcepts(0, 1, 2, &key), std::out_of_range);
    EXPECT_THROW(list.SetObjectConcepts(0, -1, 2, &key), std::out_of_range);
    EXPECT_THROW(list.SetObjectConcepts(23, 0, 1, &key), std::out_of_range);
    EXPECT_EQ(list.GetObjectConcept(0, 0), nullptr);
    EXPECT_EQ(list.GetObjectConcept(0, 1), nullptr);
    list.SetObjectConcepts(22, 0, 2, &key);
    list.SetObjectConcepts(22, 1, 0, nullptr);  // nothing to set
    EXPECT_EQ(list.GetObjectConcept(22, 0), &key);
    EXPECT_EQ(list.GetObjectConcept(22, 1), &key);
    EXPECT_THROW(list.Allocate(-1, 2), std::invalid_argument);
    for (int i = 0; i < 2; ++i)
        for (int f = 0; f < 9; ++f)
            EXPECT_EQ(list.GetBit(f, i), 0);
}

TEST(FeatureList, TheInHouseLearnerTakesTheFeaturesOfLargestValue)
{
    // Five features, each the only one of its group: values 1, 3, 3, -2, 5.
    std::vector<std::unique_ptr<ConceptObject>> keys;
    FeatureList list;
    list.Allocate(5, 4);
    const double values[] = {1.0, 3.0, 3.0, -2.0, 5.0};
    for (int f = 0; f < 5; ++f) {
        keys.push_back(std::make_unique<ConceptObject>("K" + std::to_string(f), nullptr, false));
        list.SetGroupKey(f, keys.back().get());
        list.SetValue(f, values[f]);
    }
    const std::vector<int> positive{0, 1};
    const std::vector<int> negative{2, 3};
    // k -> the features whose groups the conditions name, in order.
    const std::vector<std::pair<int, std::vector<int>>> cases{
        {-1, {}}, {0, {}}, {1, {4}}, {2, {4, 1}}, {3, {4, 1, 2}}, {5, {4, 1, 2, 0, 3}}, {9, {4, 1, 2, 0, 3}}};
    for (const auto& [k, want] : cases) {
        RuleObject rule(false);
        rule.AddCondition(keys[0].get(), keys[3].get(), 0);  // replaced, not kept
        EXPECT_EQ(LearnTopFeatureRule(&list, &rule, positive, negative, k, nullptr), &rule);
        ASSERT_EQ(rule.Size(), static_cast<int>(want.size())) << "k " << k;
        for (int c = 0; c < rule.Size(); ++c) {
            EXPECT_EQ(rule.GetObjectConcept(c), nullptr);
            EXPECT_EQ(rule.GetFeatureKey(c), keys[static_cast<std::size_t>(want[static_cast<std::size_t>(c)])].get())
                << "k " << k << " condition " << c;
            EXPECT_EQ(rule.GetValue(c), 1);
        }
        EXPECT_FALSE(rule.IsPositive());
        // The pruning service leaves the learnt rule as it is.
        const RuleObject learnt = rule;
        MakeScratchRules(&list, &rule, positive, negative);
        EXPECT_EQ(RuleToString(&list, rule, false), RuleToString(&list, learnt, false));
    }
    EXPECT_EQ(list.GetValue(4), 5.0);
}

TEST(FeatureList, TheInHouseLearnerRanksOnlyTheFirst4096Features)
{
    ConceptObject early("Early", nullptr, false);
    ConceptObject late("Late", nullptr, false);
    FeatureList list;
    list.Allocate(kTopFeatureCandidates + 2, 1);
    for (int f = 0; f < list.GetNumFeatures(); ++f)
        list.SetGroupKey(f, f < kTopFeatureCandidates ? &early : &late);
    list.SetValue(kTopFeatureCandidates, 100.0);  // beyond the ranking
    RuleObject rule(true);
    LearnTopFeatureRule(&list, &rule, {}, {}, 100000, nullptr);
    ASSERT_EQ(rule.Size(), kTopFeatureCandidates - 1);
    for (int c = 0; c < rule.Size(); ++c)
        ASSERT_EQ(rule.GetFeatureKey(c), &early);
}

// ---------------------------------------------------------------------------
// The feature computation, on hand-made hierarchies whose evaluators are plain
// functions of the situation, so that every expected bit follows from the test's
// own placements.

using Test = std::function<bool(const BasicGameData&)>;

class FunctionEvaluator : public BasicEvaluator {
public:
    explicit FunctionEvaluator(Test test) : test_(std::move(test)) {}
    bool Evaluate(BasicGameData* situation) override { return test_(*situation); }

private:
    Test test_;
};

// A node (prune clear) with an evaluator, or none when test is empty.
ConceptObject* Node(const std::string& name, Test test = {})
{
    return new ConceptObject(name, test ? new FunctionEvaluator(std::move(test)) : nullptr, false);
}

// A normal log of the given cycles: every position and role holds 0, and no
// object moves.
std::unique_ptr<RoboCupFileT> Record(int cycles)
{
    auto file = FilledRecord(cycles).Take();
    file->isKeepaway = false;
    return file;
}

void Place(RoboCupFileT& file, int object, int cycle, double x, double y)
{
    file.posXChannel[object]->GetValues().at(cycle) = x;
    file.posYChannel[object]->GetValues().at(cycle) = y;
}

// A feature's bits over the first n instances, as "0110".
std::string Bits(const FeatureList& list, int f, int n)
{
    std::string b;
    for (int t = 0; t < n; ++t)
        b += static_cast<char>('0' + list.GetBit(f, t));
    return b;
}

std::vector<std::string> Names(const FeatureList& list)
{
    std::vector<std::string> names;
    for (int f = 0; f < list.GetNumFeatures(); ++f)
        names.push_back(list.GetName(f));
    return names;
}

// Roots with n evaluable children each; owned by the fixture.
class ComputeFeaturesTest : public ::testing::Test {
protected:
    ConceptObject* Own(ConceptObject* root)
    {
        owned_.emplace_back(root);
        return root;
    }
    // A root without evaluator holding n children that always hold.
    ConceptObject* Flat(const std::string& name, int n)
    {
        ConceptObject* root = Own(Node(name));
        for (int i = 0; i < n; ++i)
            root->AddChild(Node(name + std::to_string(i), [](const BasicGameData&) { return true; }));
        return root;
    }

    RecordingHooks hooks;
    ConceptObject ball{"Ball", nullptr, false};

private:
    std::vector<std::unique_ptr<ConceptObject>> owned_;
};

TEST_F(ComputeFeaturesTest, NormalLogMakesOneFeaturePerMovingObjectAndConceptInOrder)
{
    auto file = Record(4);
    ConceptObject* position = Own(Node("Area", [](const BasicGameData& s) { return s.x > 0.0; }));
    ConceptObject* defending = position->AddChild(Node("Defending", [](const BasicGameData& s) { return s.x < 0.0; }));
    defending->SetInPath(true);
    ConceptObject* box = defending->AddChild(Node("Box", [](const BasicGameData& s) { return s.x < -40.0; }));
    position->AddChild(Node("Grouping"));  // no evaluator: no feature
    ConceptObject* speed = Own(Node("Speed"));
    ConceptObject* slower = speed->AddChild(Node("Slower", [](const BasicGameData&) { return false; }));
    ConceptObject* faster = speed->AddChild(Node("Faster", [](const BasicGameData&) { return false; }));
    ConceptObject* medium = slower->AddChild(Node("Medium", [](const BasicGameData& s) { return s.cycle == 2; }));
    faster->AddChild(medium);  // reached through two parents: still one feature per object
    ConceptObject* relative = Own(Node("Near", [](const BasicGameData& s) { return s.object == 0; }));
    ConceptObject* teamplay = Own(Node("Teamplay", [](const BasicGameData&) { return true; }));
    ConceptObject* keepaway = Flat("Keep", 2);

    file->moving[0] = true;
    file->moving[1] = true;
    file->moving[13] = true;  // Rplayer2
    Place(*file, 1, 0, -45.0, 3.0);
    Place(*file, 1, 1, -20.0, 3.0);
    Place(*file, 1, 2, 10.0, 3.0);
    Place(*file, 13, 3, 5.0, -1.0);

    ComputeFeatures(file.get(), {position, speed, relative, teamplay, keepaway, &ball});
    FeatureList& list = *file->features;

    const std::vector<std::string> perObject{"Area", "Defending", "Defending.Box", "Slower", "Medium", "Faster",
                                             "Near"};
    std::vector<std::string> expected;
    for (const std::string object : {"Ball", "Lplayer1", "Rplayer2"})
        for (const std::string& path : perObject)
            expected.push_back(object + ":" + path);
    EXPECT_EQ(Names(list), expected);
    ASSERT_EQ(list.GetNumFeatures(), 21);
    EXPECT_EQ(list.GetNumInstances(), 4);

    const ConceptObject* keys[7] = {position, defending, box, slower, medium, faster, relative};
    const int objects[3] = {0, 1, 13};
    for (int f = 0; f < 21; ++f) {
        EXPECT_EQ(list.GetObjectIndex(f), objects[f / 7]) << f;
        EXPECT_EQ(list.GetGroupKey(f), keys[f % 7]) << f;
        EXPECT_EQ(list.GetValue(f), 0.0);
    }
    EXPECT_EQ(list.GetGroup(box), (std::vector<int>{2, 9, 16}));
    EXPECT_EQ(list.GetGroup(medium), (std::vector<int>{4, 11, 18}));
    std::vector<ConceptObject*> groupKeys;
    list.GetGroupKeys(groupKeys);
    EXPECT_EQ(groupKeys, (std::vector<ConceptObject*>{position, defending, box, slower, medium, faster, relative}));

    // Lplayer1 (features 7..13): x -45, -20, 10, 0 at cycles 0..3.
    auto bits = [&](int f) { return Bits(list, f, 4); };
    EXPECT_EQ(bits(7), "0010");   // Area: x > 0
    EXPECT_EQ(bits(8), "1100");   // Defending: x < 0
    EXPECT_EQ(bits(9), "1000");   // Box: x < -40
    EXPECT_EQ(bits(11), "0010");  // Medium: cycle 2
    EXPECT_EQ(bits(13), "0000");  // Near: ball only
    EXPECT_EQ(bits(6), "1111");   // Ball:Near
    EXPECT_EQ(bits(14), "0001");  // Rplayer2:Area at its cycle-3 place
    for (int f = 0; f < 21; ++f) {
        int set = 0;
        for (int t = 0; t < 4; ++t)
            set += list.GetBit(f, t);
        EXPECT_EQ(list.GetCount(f), set) << list.GetName(f);
    }
}

TEST_F(ComputeFeaturesTest, KeepawayLogMakesTeamLevelFeaturesOnly)
{
    auto file = Record(2);
    file->isKeepaway = true;
    for (int o : {0, 1, 2, 3, 12, 13})
        file->moving[o] = true;
    ConceptObject* position = Flat("Area", 3);
    std::vector<std::pair<int, double>> seen;
    ConceptObject* keepaway = Own(Node("Keepaway"));
    ConceptObject* dist = keepaway->AddChild(Node("DistK1C"));
    dist->SetInPath(true);
    dist->AddChild(Node("0-15", [&](const BasicGameData& s) {
        seen.emplace_back(s.object, s.x + s.y);
        return s.cycle == 1;
    }));
    dist->AddChild(Node("1-20", [](const BasicGameData&) { return true; }));
    Place(*file, 1, 0, 7.0, 7.0);

    ComputeFeatures(file.get(), {position, nullptr, nullptr, nullptr, keepaway, &ball});
    const FeatureList& list = *file->features;
    EXPECT_EQ(Names(list), (std::vector<std::string>{"Team:DistK1C.0-15", "Team:DistK1C.1-20"}));
    EXPECT_EQ(list.GetObjectIndex(0), -1);
    EXPECT_EQ(list.GetObjectIndex(1), -1);
    EXPECT_EQ(list.GetCount(0), 1);
    EXPECT_EQ(list.GetCount(1), 2);
    EXPECT_EQ(list.GetBit(0, 0), 0);
    EXPECT_EQ(list.GetBit(0, 1), 1);
    // A team-level situation speaks of no object and of no place.
    EXPECT_EQ(seen, (std::vector<std::pair<int, double>>{{-1, 0.0}, {-1, 0.0}}));
}

TEST_F(ComputeFeaturesTest, RoleColumnsHoldTheBallAndTheStoredRoles)
{
    auto file = Record(4);
    ConceptObject role1("LFB", nullptr, false);
    ConceptObject role2("GK", nullptr, false);
    ChannelValues<std::int32_t>& lp3 = file->roleChannel[3]->GetValues();
    lp3 = {ConceptHandle(&role1), ConceptHandle(&role2), ConceptHandle(&role2), 0};
    ChannelValues<std::int32_t>& rp1 = file->roleChannel[12]->GetValues();
    rp1 = {ConceptHandle(&role2), 0x7ffffff0, ConceptHandle(&role1), ConceptHandle(&role1)};
    // A wide reading window must not blend two handles into a third.
    file->stream->SetTimeWindow(3);
    file->moving[3] = true;
    ComputeFeatures(file.get(), {Flat("Area", 1), nullptr, nullptr, nullptr, nullptr, &ball});
    const FeatureList& list = *file->features;
    const ConceptObject* lp3Roles[4] = {&role1, &role2, &role2, nullptr};
    const ConceptObject* rp1Roles[4] = {&role2, nullptr, &role1, &role1};  // an unknown handle gives none
    for (int t = 0; t < 4; ++t) {
        EXPECT_EQ(list.GetObjectConcept(0, t), &ball);
        EXPECT_EQ(list.GetObjectConcept(1, t), nullptr);  // handle 0: no role
        EXPECT_EQ(list.GetObjectConcept(3, t), lp3Roles[t]);
        EXPECT_EQ(list.GetObjectConcept(12, t), rp1Roles[t]);
    }
}

TEST_F(ComputeFeaturesTest, ProgressIsShownEveryFifthFeatureAndEventsAreLetThroughOnce)
{
    auto file = Record(1);
    file->moving[0] = true;
    ComputeFeatures(file.get(), {Flat("Area", 7), nullptr, nullptr, nullptr, nullptr, &ball});
    EXPECT_EQ(hooks.waitTexts, (std::vector<std::string>{"Computing features 0.00%", "Computing features 71.43%"}));
    EXPECT_EQ(hooks.pendingEventCalls, 1);

    hooks.waitTexts.clear();
    auto other = Record(1);
    other->moving[5] = true;
    ComputeFeatures(other.get(), {Flat("Area", 8), nullptr, nullptr, nullptr, nullptr, &ball});
    EXPECT_EQ(hooks.waitTexts, (std::vector<std::string>{"Computing features 0.00%", "Computing features 62.50%"}));
    EXPECT_TRUE(hooks.notices.empty());
}

TEST_F(ComputeFeaturesTest, FourThousandFeaturesBringAWarningButAllStay)
{
    auto file = Record(1);
    file->isKeepaway = true;
    ComputeFeatures(file.get(), {nullptr, nullptr, nullptr, nullptr, Flat("K", 3999), &ball});
    EXPECT_EQ(file->features->GetNumFeatures(), 3999);
    EXPECT_TRUE(hooks.notices.empty());

    ComputeFeatures(file.get(), {nullptr, nullptr, nullptr, nullptr, Flat("K", 4000), &ball});
    EXPECT_EQ(file->features->GetNumFeatures(), 4000);
    ASSERT_EQ(hooks.notices.size(), 1u);
    EXPECT_EQ(hooks.notices[0], (std::pair<std::string, std::string>{"Too many features !!!", "Warning"}));
    EXPECT_EQ(file->features->GetName(3999), "Team:K3999");
    EXPECT_EQ(file->features->GetCount(3999), 1);
}

// A range test that judges otherwise than by its range.
class InvertedRange : public RelativeDistEvaluator {
public:
    using RelativeDistEvaluator::RelativeDistEvaluator;
    bool Evaluate(BasicGameData* s) override { return !RelativeDistEvaluator::Evaluate(s); }
};

TEST_F(ComputeFeaturesTest, RangesOfOneStateVariableGiveTheirEvaluatorsVerdicts)
{
    auto file = Record(4);
    // Distances of Lplayer1 to the ball: 0, 4, 8, 12 (unsorted form, a = ball).
    file->moving[0] = true;
    file->moving[1] = true;
    for (int t = 0; t < 4; ++t)
        Place(*file, 1, t, 4.0 * t, 0.0);
    ConceptObject* relative = Own(Node("BallRelative"));
    relative->AddChild(new ConceptObject("Near", new RelativeDistEvaluator(0, 5, 0, 0, false), false));
    relative->AddChild(new ConceptObject("Mid", new RelativeDistEvaluator(4, 12, 0, 0, false), false));
    relative->AddChild(new ConceptObject("NotMid", new InvertedRange(4, 12, 0, 0, false), false));
    relative->AddChild(new ConceptObject("Self", new RelativeDistEvaluator(0, 0.5, 1, 0, false), false));
    ComputeFeatures(file.get(), {nullptr, nullptr, relative, nullptr, nullptr, &ball});
    FeatureList& list = *file->features;
    ASSERT_EQ(Names(list), (std::vector<std::string>{"Ball:Near", "Ball:Mid", "Ball:NotMid", "Ball:Self",
                                                     "Lplayer1:Near", "Lplayer1:Mid", "Lplayer1:NotMid",
                                                     "Lplayer1:Self"}));
    auto bits = [&](int f) { return Bits(list, f, 4); };
    EXPECT_EQ(bits(0), "1111");  // the ball is 0 from itself
    EXPECT_EQ(bits(1), "0000");
    EXPECT_EQ(bits(2), "1111");
    EXPECT_EQ(bits(3), "1000");  // a = 1: the distance from Lplayer1 to the ball
    EXPECT_EQ(bits(4), "1100");
    EXPECT_EQ(bits(5), "0110");
    EXPECT_EQ(bits(6), "1001");
    EXPECT_EQ(bits(7), "1111");  // a == the object itself: 0
    EXPECT_EQ(list.GetCount(6), 2);
}

// Positions on the very bounds of the regions, just past them, not numbers and
// out of range, more of them than a whole number of eights: every bit is what
// the concept itself says, asked one cycle at a time.
TEST_F(ComputeFeaturesTest, RegionsAndBallSidesOnTheirBoundsGiveTheirEvaluatorsVerdicts)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double above = std::nextafter(52.5, 100.0);
    const std::vector<std::pair<double, double>> player = {
        {-52.5, -34.0}, {52.5, 34.0}, {-above, 0.0}, {above, 0.0}, {0.0, std::nextafter(-34.0, -40.0)},
        {0.0, std::nextafter(34.0, 40.0)}, {nan, 0.0}, {0.0, nan}, {10.0, 10.0}, {20.0, 20.0},
        {10.0, std::nextafter(20.0, 30.0)}, {3.0, 4.0}, {3.0, std::nextafter(4.0, 5.0)}, {-0.0, 0.0},
        {1e308, 1e308}, {-inf, 0.0}, {inf, inf}, {std::nextafter(10.0, 0.0), 15.0}, {15.0, 9.99999},
        {-10.0, -20.0}, {5.0, -5.0}};
    const std::vector<std::pair<double, double>> ballAt = {
        {-52.5, -34.0}, {0.0, 0.0}, {nan, 0.0}, {1.0, nan}, {0.0, -34.0}, {0.0, 40.0}, {0.0, 0.0},
        {0.0, 0.0}, {10.0, 9.0}, {20.0, 21.0}, {9.0, 20.0}, {3.0, 4.0}, {2.0, 5.0}, {0.0, -0.0},
        {-1e308, 1e308}, {0.0, 0.0}, {inf, -inf}, {10.0, 15.0}, {15.0, 10.0}, {-11.0, -19.0}, {6.0, -6.0}};
    const int n = static_cast<int>(player.size());
    auto file = Record(n);
    file->moving[0] = true;
    file->moving[1] = true;
    for (int t = 0; t < n; ++t) {
        Place(*file, 1, t, player[t].first, player[t].second);
        Place(*file, 0, t, ballAt[t].first, ballAt[t].second);
    }
    ConceptObject* position = Own(Node("Position"));
    position->AddChild(new ConceptObject("In", new SquareRegionEvaluator(10.0, 10.0, 20.0, 20.0, 0), false));
    position->AddChild(new ConceptObject("Out", new SquareRegionEvaluator(10.0, 10.0, 20.0, 20.0, 1), false));
    position->AddChild(new ConceptObject("Any", new SquareRegionEvaluator(10.0, 10.0, 20.0, 20.0, 2), false));
    position->AddChild(new ConceptObject("Disc", new CircleRegionEvaluator(0.0, 0.0, 5.0), false));
    position->AddChild(new ConceptObject("Low", new SidelineEvaluator(true, false), false));
    position->AddChild(new ConceptObject("High", new SidelineEvaluator(false, true), false));
    position->AddChild(new ConceptObject("Sides", new SidelineEvaluator(true, true), false));
    position->AddChild(new ConceptObject("Left", new GoallineEvaluator(true, false), false));
    position->AddChild(new ConceptObject("Ends", new GoallineEvaluator(true, true), false));
    ConceptObject* relative = Own(Node("BallRelative"));
    for (const auto& [sx, sy] : {std::pair{1, 1}, std::pair{-1, 0}, std::pair{0, -1}, std::pair{-1, 1}})
        relative->AddChild(new ConceptObject("Side" + std::to_string(sx) + std::to_string(sy),
                                             new RelativePosEvaluator(sx, sy), false));
    ComputeFeatures(file.get(), {position, nullptr, relative, nullptr, nullptr, &ball});
    const FeatureList& list = *file->features;
    ASSERT_EQ(list.GetNumFeatures(), 2 * 13);
    int set = 0;
    for (int f = 0; f < list.GetNumFeatures(); ++f) {
        BasicGameData s;
        s.file = file.get();
        s.object = list.GetObjectIndex(f);
        std::string expected;
        for (int t = 0; t < n; ++t) {
            s.cycle = t;
            const auto& at = s.object == 0 ? ballAt[t] : player[t];
            s.x = at.first;
            s.y = at.second;
            expected += list.GetGroupKey(f)->Evaluate(&s) ? '1' : '0';
        }
        EXPECT_EQ(Bits(list, f, n), expected) << list.GetName(f);
        set += list.GetCount(f);
    }
    EXPECT_GT(set, n);
}

TEST_F(ComputeFeaturesTest, AShortOrMissingPositionOrRoleChannelIsAnIndexError)
{
    // A channel that is not there has no value for any cycle: the same error as
    // a channel that is too short, not a silently empty role column.
    const std::pair<const char*, std::function<void(RoboCupFileT&)>> cases[] = {
        {"short position", [](RoboCupFileT& f) { f.posYChannel[4]->GetValues().pop_back(); }},
        {"short role", [](RoboCupFileT& f) { f.roleChannel[20]->GetValues().pop_back(); }},
        {"missing position", [](RoboCupFileT& f) { f.posXChannel[4] = nullptr; }},
        {"missing role", [](RoboCupFileT& f) { f.roleChannel[7] = nullptr; }},
    };
    for (const auto& [name, spoil] : cases) {
        auto file = Record(3);
        file->moving[4] = true;
        spoil(*file);
        try {
            ComputeFeatures(file.get(), {Flat("Area", 1), nullptr, nullptr, nullptr, nullptr, &ball});
            ADD_FAILURE() << name << ": no error";
        } catch (const EAssertionFailed& e) {
            EXPECT_STREQ(e.what(), "Index out of range") << name;
            EXPECT_STREQ(e.File(), "timestream.h") << name;
        }
    }

    // Without cycles nothing is read, so nothing is missed.
    auto empty = Record(0);
    empty->roleChannel[7] = nullptr;
    empty->moving[4] = true;
    empty->posYChannel[4] = nullptr;
    ComputeFeatures(empty.get(), {Flat("Area", 1), nullptr, nullptr, nullptr, nullptr, &ball});
    EXPECT_EQ(empty->features->GetNumFeatures(), 1);
}

}  // namespace
