#include "Concepts.h"
#include "Features.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
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
    EXPECT_THROW(list.SetBit(-1, 0), std::out_of_range);
    EXPECT_THROW(list.SetBit(9, 0), std::out_of_range);
    EXPECT_THROW(list.ClearBit(0, 2), std::out_of_range);
    EXPECT_THROW(list.SetBit(0, -1), std::out_of_range);
    EXPECT_THROW(list.GetRow(2), std::out_of_range);
    int counts[9] = {};
    EXPECT_THROW(list.AddInstanceBits(2, counts), std::out_of_range);
    EXPECT_THROW(list.SetName(9, "x"), std::out_of_range);
    EXPECT_THROW(list.GetName(-1), std::out_of_range);
    EXPECT_THROW(list.SetValue(9, 1.0), std::out_of_range);
    EXPECT_THROW(list.SetCount(-1, 1), std::out_of_range);
    EXPECT_THROW(list.SetObjectIndex(9, 1), std::out_of_range);
    EXPECT_THROW(list.SetGroupKey(9, &key), std::out_of_range);
    EXPECT_THROW(list.AddToGroup(9), std::out_of_range);
    EXPECT_THROW(list.SetObjectConcept(23, 0, &key), std::out_of_range);
    EXPECT_THROW(list.SetObjectConcept(-1, 0, &key), std::out_of_range);
    EXPECT_THROW(list.SetObjectConcept(0, 2, &key), std::out_of_range);
    EXPECT_THROW(list.GetObjectConcept(0, 2), std::out_of_range);
    EXPECT_THROW(list.Allocate(-1, 2), std::invalid_argument);
    for (int i = 0; i < 2; ++i)
        for (int f = 0; f < 9; ++f)
            EXPECT_EQ(list.GetBit(f, i), 0);

    FeatureList empty;
    EXPECT_THROW(empty.GetBit(0, 0), std::out_of_range);
    EXPECT_THROW(empty.GetObjectConcept(0, 0), std::out_of_range);
}

TEST(FeatureList, TheLearnerEntriesHandBackTheRuleUntouched)
{
    // The rule is only passed through; its bytes must be the same afterwards.
    alignas(std::max_align_t) unsigned char storage[64];
    std::memset(storage, 0x5a, sizeof storage);
    auto* rule = reinterpret_cast<RuleObject*>(storage);
    FeatureList list;
    list.Allocate(2, 4);
    list.SetValue(1, 3.0);
    const std::vector<int> positive{0, 1};
    const std::vector<int> negative{2, 3};
    EXPECT_EQ(FeatureList::LearnTopFeatureRule(&list, rule, positive, negative, 2, nullptr), rule);
    MakeScratchRules(&list, rule, positive, negative);
    for (unsigned char b : storage)
        EXPECT_EQ(b, 0x5a);
    EXPECT_EQ(list.GetValue(1), 3.0);
    EXPECT_EQ(list.GetValue(0), 0.0);
    EXPECT_EQ(FeatureList::LearnTopFeatureRule(&list, nullptr, positive, negative, 2, nullptr), nullptr);
}

}  // namespace
