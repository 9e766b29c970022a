#include "strategy/model/TestRecords.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

tTestResults Setting(double conf, double diff, double distMin, double distMax, double abstract)
{
    tTestResults r;
    r.conf = conf;
    r.diff = diff;
    r.distMin = distMin;
    r.distMax = distMax;
    r.abstract = abstract;
    r.numTests = 1;
    return r;
}

std::vector<std::string> Split(const std::string& row)
{
    std::vector<std::string> cells;
    std::size_t from = 0;
    for (std::size_t tab; (tab = row.find('\t', from)) != std::string::npos; from = tab + 1)
        cells.push_back(row.substr(from, tab - from));
    cells.push_back(row.substr(from));
    return cells;
}

}  // namespace

TEST(TestRecords, AccuracyAndTotal)
{
    struct Case {
        tConfusion c;
        std::string acc;
        int total;
    };
    // tp, tn, fp, fn
    const Case cases[] = {{{0, 0, 0, 0}, "-1.0000", 0}, {{3, 1, 0, 0}, "1.0000", 4}, {{1, 1, 1, 1}, "0.5000", 4},
                          {{2, 0, 1, 0}, "0.6667", 3}};
    for (const Case& c : cases) {
        tTestResults r;
        r.description = c.c;
        EXPECT_EQ(tTestResults::Total(c.c), c.total);
        EXPECT_EQ(Split(tTestResults::ToString(r))[9], c.acc) << c.total;
    }
}

TEST(TestRecords, TheWorkedRow)
{
    tTestResults r = Setting(0, 0, 0, 8, 10);
    r.description = {1, 1, 0, 0};  // tp tn fp fn
    r.rule = {2, 2, 1, 1};
    r.strategic = {2, 3, 0, 1};
    r.depth = 6;
    r.count = 4;
    r.plus = 12;
    r.minus = 30;
    EXPECT_EQ(tTestResults::ToString(r),
              "0\t0\t0\t8\t10\t1\t0\t1\t0\t1.0000\t2\t1\t2\t1\t0.6667\t6\t2\t0\t3\t1\t0.8333\t1.5000\t4\t12.0000\t30."
              "0000\t1");
    std::vector<std::string> header;
    tTest::WriteHeader(header);
    ASSERT_EQ(header.size(), 1u);
    EXPECT_EQ(Split(header[0]).size(), 26u);
    EXPECT_EQ(Split(tTestResults::ToString(r)).size(), 26u);
    EXPECT_EQ(header[0].substr(0, 9), "conf\tdiff");
    EXPECT_EQ(header[0].substr(header[0].size() - 10), "num. tests");
}

TEST(TestRecords, GeneralSettingsAndNothingToDivideBy)
{
    tTestResults r = Setting(0.5, -1, 16, 0.85, 1e20);
    r.numTests = 0;
    const auto cells = Split(tTestResults::ToString(r));
    EXPECT_EQ(std::vector<std::string>(cells.begin(), cells.begin() + 5),
              (std::vector<std::string>{"0.5", "-1", "16", "0.85", "1E20"}));
    // Depth over no count and averages over no test print as 0, never nan.
    EXPECT_EQ(cells[21], "0.0000");
    EXPECT_EQ(cells[23], "0.0000");
    EXPECT_EQ(cells[24], "0.0000");
}

TEST(TestRecords, MergingEqualSettings)
{
    tTest test;
    tTestResults a = Setting(0, 0, 0, 16, 10), b = Setting(0, 0, 0, 24, 10), c = a, d = a;
    a.plus = 3;
    c.plus = 6;
    d.plus = 9;
    a.minus = 1;
    d.minus = 2;
    a.rule = {1, 0, 0, 0};
    c.rule = {0, 1, 0, 0};
    d.rule = {0, 0, 1, 1};
    b.plus = 100;
    for (const auto& r : {a, b, c, d})
        test.AddResult(r);
    test.MergeEqualResults();
    ASSERT_EQ(test.Results().size(), 2u);
    const tTestResults& m = test.Results()[0];
    EXPECT_EQ(m.distMax, 16);
    EXPECT_EQ(m.numTests, 3);
    EXPECT_EQ(m.plus, 18);
    EXPECT_EQ(m.rule, (tConfusion{1, 1, 1, 1}));
    EXPECT_EQ(test.Results()[1].plus, 100);
    std::vector<std::string> lines;
    test.WriteResults(lines);
    ASSERT_EQ(lines.size(), 2u);
    const auto cells = Split(lines[0]);
    EXPECT_EQ(cells[23], "6.0000");  // 18 over 3 tests
    EXPECT_EQ(cells[24], "1.0000");
    EXPECT_EQ(cells[25], "3");

    // One ulp apart stays apart; an empty list stays empty.
    tTest near;
    near.AddResult(Setting(0.1, 0, 0, 16, 0));
    near.AddResult(Setting(std::nextafter(0.1, 1.0), 0, 0, 16, 0));
    near.MergeEqualResults();
    EXPECT_EQ(near.Results().size(), 2u);
    tTest empty;
    empty.MergeEqualResults();
    std::vector<std::string> none;
    empty.WriteResults(none);
    EXPECT_TRUE(none.empty());
}

TEST(TestRecords, ChunksAreDeepCopies)
{
    TChunkList source;
    source.push_back(std::make_unique<StrategyChunk>("a", nullptr, nullptr, 1, 2, 1, false));
    source[0]->AddRule(std::make_unique<RuleObject>(true));
    tTest test;
    test.SetChunks({}, 3.5);
    EXPECT_TRUE(test.GetChunks().empty());
    EXPECT_EQ(test.GetValue(), 3.5);
    test.SetChunks(source, 1.0);
    test.SetChunks(source, 2.0);  // the first copies go (leak sanitizer)
    source.clear();
    ASSERT_EQ(test.GetChunks().size(), 1u);
    EXPECT_EQ(test.GetChunks()[0]->GetName(), "a");
    EXPECT_EQ(test.GetChunks()[0]->GetRules().size(), 1u);
    EXPECT_EQ(test.GetValue(), 2.0);
}
