#include "core/concepts/Concepts.h"
#include "core/io/AssocData.h"
#include "core/learning/DatasetScores.h"
#include "core/learning/Features.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// 8 cycles, 4 features: f0 holds at 0..3, f1 at 0 and 4, f2 never, f3 at 0..7.
// Groups: root (level 0) > a (level 1) > b (level 2); f0 in b, f1 in a, f3 in root.
struct Fixture {
    ConceptObject* root = new ConceptObject("root", nullptr, false);
    ConceptObject* a = root->AddChild(new ConceptObject("a", nullptr, false));
    ConceptObject* b = a->AddChild(new ConceptObject("b", nullptr, false));
    FeatureList list;
    Fixture()
    {
        list.Allocate(4, 8);
        const std::vector<std::vector<int>> holds{{0, 1, 2, 3}, {0, 4}, {}, {0, 1, 2, 3, 4, 5, 6, 7}};
        for (int f = 0; f < 4; ++f) {
            for (const int c : holds[f])
                list.SetBit(f, c);
            list.SetCount(f, static_cast<int>(holds[f].size()));
        }
        list.SetGroupKey(0, b);
        list.SetGroupKey(1, a);
        list.SetGroupKey(3, root);
    }
    ~Fixture() { delete root; }
};

TEST(DatasetScores, TfIdfCountsRepeatedMarksAndStoresTheScores)
{
    Fixture fx;
    const std::vector<int> marked{0, 0, 1, 4};
    const std::vector<double> scores = dataset::ScoreFeatures(fx.list, marked, 8);
    ASSERT_EQ(scores.size(), 4u);
    EXPECT_DOUBLE_EQ(scores[0], 3 * std::log2(8.0 / 4));  // cycle 0 listed twice counts twice
    EXPECT_DOUBLE_EQ(scores[1], 3 * std::log2(8.0 / 2));
    EXPECT_DOUBLE_EQ(scores[2], dataset::kNoScore);       // never holds
    EXPECT_DOUBLE_EQ(scores[3], 0.0);                     // holds everywhere: log2(1)
    for (int f = 0; f < 4; ++f) {
        EXPECT_DOUBLE_EQ(fx.list.GetValue(f), scores[f]);
        EXPECT_DOUBLE_EQ(dataset::TfIdf(fx.list, f, marked, 8), scores[f]);
    }
}

TEST(DatasetScores, CountsFeaturesStrictlyAboveWithTheirGroupLevels)
{
    Fixture fx;
    const std::vector<double> scores = dataset::ScoreFeatures(fx.list, {0, 0, 1, 4}, 8);  // 3, 6, -999.99, 0
    struct Case {
        double threshold;
        int count;
        double depthSum;
    };
    for (const Case& c : {Case{0.0, 2, 3.0}, Case{3.0, 1, 1.0}, Case{2.99, 2, 3.0}, Case{6.0, 0, 0.0},
                          Case{-1.0, 0, 0.0}}) {
        const dataset::AttributeCount got = dataset::CountAttributes(fx.list, scores, c.threshold);
        EXPECT_EQ(got.count, c.count) << c.threshold;
        EXPECT_DOUBLE_EQ(got.depthSum, c.depthSum) << c.threshold;
    }
    EXPECT_EQ(dataset::AverageDepthText(dataset::CountAttributes(fx.list, scores, 0.0)), "1.5");
    EXPECT_EQ(dataset::AverageDepthText(dataset::AttributeCount{-1, -0.0}), "0");
    EXPECT_EQ(dataset::AverageDepthText(dataset::AttributeCount{0, 0.0}), "0");
}

// The dialog's count is the number of attributes the dataset declares: every
// feature at a threshold of 0 or less, else those strictly above.
TEST(DatasetScores, DeclaredCountIsWhatTheWriterDeclares)
{
    Fixture fx;
    const std::vector<double> scores = dataset::ScoreFeatures(fx.list, {0, 0, 1, 4}, 8);  // 3, 6, -999.99, 0
    assocdata::Dataset data;
    for (const double score : scores)
        data.features.push_back({"f", score, -1});
    struct Case {
        double threshold;
        int count;
        double depthSum;
    };
    for (const Case& c : {Case{0.0, 4, 3.0}, Case{-5.0, 4, 3.0}, Case{2.99, 2, 3.0}, Case{3.0, 1, 1.0},
                          Case{6.0, 0, 0.0}}) {
        const dataset::AttributeCount got = dataset::CountDeclared(fx.list, scores, c.threshold);
        EXPECT_EQ(got.count, c.count) << c.threshold;
        EXPECT_DOUBLE_EQ(got.depthSum, c.depthSum) << c.threshold;
        EXPECT_EQ(static_cast<std::size_t>(got.count), assocdata::DeclaredFeatures(data, c.threshold).size())
            << c.threshold;
    }
}

TEST(DatasetScores, NegativeThresholdPicksARankCappedAtTheLast)
{
    std::vector<double> scores;
    for (int i = 0; i < 100; ++i)
        scores.push_back(i * 0.5);  // largest is 49.5
    EXPECT_DOUBLE_EQ(dataset::RankThreshold(scores, -20.7), 49.5 - 20 * 0.5);  // the 21st largest
    EXPECT_DOUBLE_EQ(dataset::RankThreshold(scores, -0.2), 49.5);
    EXPECT_DOUBLE_EQ(dataset::RankThreshold(scores, -500), 0.0);  // the smallest
    EXPECT_DOUBLE_EQ(dataset::RankThreshold({}, -3), 0.0);
}

TEST(DatasetScores, DepthTableTakesEveryTenthRank)
{
    ConceptObject root("root", nullptr, false);
    FeatureList list;
    list.Allocate(25, 30);
    // Feature f holds at cycles 0..f, so its count is f + 1 and its score
    // over mark {0} is log2(30 / (f + 1)): the scores fall with f.
    for (int f = 0; f < 25; ++f) {
        for (int c = 0; c <= f; ++c)
            list.SetBit(f, c);
        list.SetCount(f, f + 1);
        list.SetGroupKey(f, &root);
    }
    const std::vector<dataset::DepthRow> rows = dataset::EvalDepth(list, {0}, 30);
    ASSERT_EQ(rows.size(), 49u);
    EXPECT_DOUBLE_EQ(rows[0].threshold, std::log2(30.0 / 11));
    EXPECT_EQ(rows[0].attributes.count, 10);
    EXPECT_DOUBLE_EQ(rows[1].threshold, std::log2(30.0 / 21));
    EXPECT_EQ(rows[1].attributes.count, 20);
    EXPECT_DOUBLE_EQ(rows[2].threshold, std::log2(30.0 / 25));  // clamped to the last
    EXPECT_EQ(rows[48].attributes.count, 24);
    const std::vector<std::string> lines = dataset::DepthLines(rows);
    ASSERT_EQ(lines.size(), 50u);
    EXPECT_EQ(lines[0], "Testing (tfidfValue, avgDepth, numAttr)");
    EXPECT_EQ(lines[1], "1.447\t0.000\t10");
}

TEST(DatasetScores, RuleReportCountsConditionsAndPicksTheSmallestFirstClass)
{
    std::vector<std::string> seen;
    const auto coverage = [&](const std::string& rule, int conditions, std::vector<int>& counts, double& depth) {
        seen.push_back(rule);
        counts[0] = conditions == 1 ? 4 : 2;
        counts[1] = 7;
        depth = conditions;
    };
    const std::vector<std::string> out =
        dataset::EvalRules({"a>1", "no condition", "b>1 c>1", "d>1 e>1"}, {"OTHER", "PATH"}, coverage);
    EXPECT_EQ(seen, (std::vector<std::string>{"a>1 ", "b>1 c>1 ", "d>1 e>1 "}));
    const std::vector<std::string> expected{
        "#0 Evaluating rule (size 1), avg attr. depth (1.000) :", "a>1 ", "0. class OTHER = 4", "1. class PATH = 7",
        "#1 Evaluating rule (size 0), avg attr. depth (0.000) :", "no condition ", "0. class OTHER = 0",
        "1. class PATH = 0",
        "#2 Evaluating rule (size 2), avg attr. depth (2.000) :", "b>1 c>1 ", "0. class OTHER = 2",
        "1. class PATH = 7",
        "#3 Evaluating rule (size 2), avg attr. depth (2.000) :", "d>1 e>1 ", "0. class OTHER = 2",
        "1. class PATH = 7",
        "--- Average class distribution :", "0. class OTHER = 2.000", "1. class PATH = 5.250",
        "Best class 0:OTHER value = 0 #1 depth = 0.000", "Average depth = 1.250", "--- done evaluating"};
    EXPECT_EQ(out, expected);
}

TEST(DatasetScores, RuleReportGivesATieForTheSmallestFirstClassToTheEarlierRule)
{
    // Each rule covers firstClass[r] cycles of the first class; rule r has
    // r + 1 conditions, so the depth names the winner as well as its number.
    struct Case {
        std::vector<int> firstClass;
        std::string best;
    };
    const Case cases[] = {
        {{3, 3, 5}, "Best class 0:OTHER value = 3 #0 depth = 1.000"},
        {{5, 3, 3}, "Best class 0:OTHER value = 3 #1 depth = 2.000"},
        {{4, 2, 6, 2, 2}, "Best class 0:OTHER value = 2 #1 depth = 2.000"},
        {{1, 1, 1, 1}, "Best class 0:OTHER value = 1 #0 depth = 1.000"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> rules;
        for (std::size_t r = 0; r < c.firstClass.size(); ++r) {
            std::string rule;
            for (std::size_t k = 0; k <= r; ++k)
                rule += (k ? " f" : "f") + std::to_string(k) + ">1";
            rules.push_back(rule);
        }
        const auto coverage = [&](const std::string&, int conditions, std::vector<int>& counts, double& depth) {
            counts[0] = c.firstClass[static_cast<std::size_t>(conditions - 1)];
            depth = conditions;
        };
        const std::vector<std::string> out = dataset::EvalRules(rules, {"OTHER", "PATH"}, coverage);
        ASSERT_GE(out.size(), 3u);
        EXPECT_EQ(out[out.size() - 3], c.best) << rules.size() << " rules";
    }
}

TEST(DatasetScores, RuleReportOverNoLinesAveragesZero)
{
    const std::vector<std::string> out =
        dataset::EvalRules({}, {"x"}, [](const std::string&, int, std::vector<int>&, double&) { FAIL(); });
    const std::vector<std::string> expected{"--- Average class distribution :", "0. class x = 0.000",
                                            "Best class 0:x value = 99999 #-1 depth = 0.000",
                                            "Average depth = 0.000", "--- done evaluating"};
    EXPECT_EQ(out, expected);
}

}  // namespace
