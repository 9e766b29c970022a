#include "core/analysis/ConceptUsage.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/load/LoadLog.h"
#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// One feature over 100 cycles, set at the given cycles.
std::unique_ptr<FeatureList> OneFeature(const std::vector<int>& set)
{
    auto list = std::make_unique<FeatureList>();
    list->Allocate(1, 100);
    for (int t : set)
        list->SetBit(0, t);
    return list;
}

}  // namespace

TEST(ConceptUsage, CountsAndRatiosOverTheRangeAndTheMarks)
{
    const auto list = OneFeature({5, 10, 20, 30, 99});
    UsageCounter counter(list.get());
    struct Case {
        int from, to;
        std::vector<int> marks;
        int R, K, I;
        std::vector<std::string> texts;  // columns 2, 4, 6 .. 11
    } cases[] = {
        // No marks: marks ratio 999.99, range index 999.99 - clean ratio.
        {0, 50, {}, 4, 0, 0, {"0.080", "999.990", "0.080", "-999.910", "-999.910", "999.910", "1.000", "0.000"}},
        // A mark listed twice counts twice; only the one inside the range is inner.
        {0, 15, {10, 20, 20, 11}, 2, 3, 1, {"0.133", "0.750", "0.071", "-0.617", "-0.679", "0.679", "0.826", "8.721"}},
        // Never set in the range: TF*IDF -999.99.
        {40, 90, {5}, 0, 1, 0, {"0.000", "1.000", "0.000", "-1.000", "-1.000", "1.000", "1.000", "-999.990"}},
        // An empty range: the ratios over it have no divisor.
        {30, 30, {30}, 0, 1, 0, {"999.990", "1.000", "999.990", "998.990", "998.990", "-998.990", "0.998", "-999.990"}},
    };
    for (const Case& c : cases) {
        const UsageStats s = ComputeUsage(counter, 0, c.from, c.to, c.marks);
        EXPECT_EQ(s.rangeCount, c.R) << c.from << ".." << c.to;
        EXPECT_EQ(s.marksCount, c.K);
        EXPECT_EQ(s.innerMarks, c.I);
        EXPECT_EQ(s.cleanCount, c.R - c.I);
        const std::vector<std::string> row = UsageRowTexts("Ball:x", s);
        ASSERT_EQ(row.size(), 12u);
        EXPECT_EQ(row[0], "Ball:x");
        EXPECT_EQ(row[1], std::to_string(c.R));
        EXPECT_EQ(row[3], std::to_string(c.K));
        EXPECT_EQ((std::vector<std::string>{row[2], row[4], row[6], row[7], row[8], row[9], row[10], row[11]}), c.texts)
            << c.from << ".." << c.to;
    }
    // Marks at cycles the log does not have are left out before counting.
    EXPECT_EQ(MarksInLog({-1, 3, 100, 99, 3}, 100), (std::vector<int>{3, 99, 3}));
    // An item without a feature counts nothing and reads nothing.
    EXPECT_EQ(ComputeUsage(counter, -1, 0, 100, {5}).marksCount, 0);
    EXPECT_EQ(counter.RangeCount(1, 0, 100), 0);
    EXPECT_EQ(counter.RangeCount(0, -50, 500), 5);
}

TEST(ConceptUsage, SortsDescendingByExchangesAsTheGridAlwaysHas)
{
    struct Case {
        std::vector<double> values;
        std::vector<int> order;
    } cases[] = {
        {{3, 1, 2}, {0, 2, 1}},
        {{1, 2, 2, 3}, {3, 2, 1, 0}},  // equal values do not keep their order
        {{}, {}},
        {{-1, 999.99, 0}, {1, 2, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExchangeSortDescending(c.values), c.order);
}

class ConceptUsageLogTest : public ::testing::Test {
protected:
    void SetUp() override { CreateConceptHierarchies(); }
    void TearDown() override { FreeConceptHierarchies(); }
    InTempDir dir_{"usage"};
};

TEST_F(ConceptUsageLogTest, ItemsFindTheirFeaturesByNameInAMatchAndAKeepawayLog)
{
    for (const char* name : {"match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg", "keepaway-3v2-Keepers-vs-Takers-helios-1500.rcg"}) {
        const auto log = LoadLog(GunzippedTestFile(name), true);
        ASSERT_NE(log, nullptr);
        const FeatureList& features = *log->features;
        std::array<bool, 23> objects{};
        objects.fill(true);
        const std::vector<UsageItem> items = BuildUsageItems(*log, objects, ProgramFeatureRoots());
        UsageCounter counter(&features);
        int withFeature = 0;
        int teamLevel = 0;
        for (const UsageItem& item : items) {
            if (item.object < 0)
                ++teamLevel;
            if (item.feature < 0)
                continue;
            ++withFeature;
            // The feature is the one of the item's name, and the counts are the feature's.
            const std::string expected = (item.object < 0 ? "Team:" : "") + item.label;
            EXPECT_EQ(features.GetName(item.feature), expected);
            EXPECT_EQ(counter.RangeCount(item.feature, 0, log->cycles), features.GetCount(item.feature));
        }
        EXPECT_EQ(withFeature, features.GetNumFeatures()) << name;
        EXPECT_EQ(items.front().label.rfind("Ball:", 0), 0u);
        if (log->isKeepaway)
            EXPECT_EQ(teamLevel, features.GetNumFeatures()) << "keepaway features are all team level";
        else
            EXPECT_EQ(teamLevel, 0) << "no teamplay concept of a match has an evaluator";
    }
}

TEST_F(ConceptUsageLogTest, EvaluatingAnItemAgreesWithItsFeatureBits)
{
    const auto log = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), true);
    std::array<bool, 23> objects{};
    objects[0] = objects[7] = true;
    const std::vector<UsageItem> items = BuildUsageItems(*log, objects, ProgramFeatureRoots());
    UsageCounter counter(log->features.get());
    int checked = 0;
    for (const UsageItem& item : items) {
        if (item.feature < 0)
            continue;
        for (int t = 0; t < log->cycles; t += 23, ++checked)
            ASSERT_EQ(EvaluateItem(item, *log, t), counter.Bit(item.feature, t) == 1) << item.label << " at " << t;
    }
    EXPECT_GT(checked, 1000);
    EXPECT_FALSE(EvaluateItem(items.front(), *log, log->cycles));
}
