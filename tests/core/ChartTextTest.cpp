#include "core/io/ChartText.h"
#include "core/model/SeriesFunctions.h"

#include "support/TestData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

TEST(ChartText, HeaderThenOneLineOfValuesPerPointOfTheLongestSeries)
{
    // The first and third series are shorter than the second: their fields stay empty.
    const std::vector<ChartSeriesColumn> series = {
        {"A", {12.5, 1e6, 0}, {0, 1, 2}},
        {"B", {1.0 / 3, -0.5, 1e-7, 99}, {0, 1, 2, 3}},
        {"Ball.pos.x", {-3}, {0}},
    };
    std::ostringstream out;
    WriteChartSeriesText(out, series);
    EXPECT_EQ(out.str(), ReadBytes(TestDataPath("chart-series-export.txt")));
}

// Series whose points stand at other cycles than the others' at the same
// index carry their cycles, each series its own.
TEST(ChartText, SeriesAtOtherCyclesWriteEachItsCycles)
{
    const std::pair<std::vector<ChartSeriesColumn>, std::string> cases[] = {
        {{{"Average(A)", {2, 7}, {1, 4}}, {"A", {1, 3, 5, NAN}, {0, 1, 2, 3}}},  // a block series first
         "x(Average(A)), Average(A), x(A), A\r\n1, 2, 0, 1\r\n4, 7, 1, 3\r\n, , 2, 5\r\n, , 3, NAN\r\n"},
        {{{"m", {1}, {6500.5}}, {"c", {8, 9}, {0, 6500.5}}},  // marks beside every cycle
         "x(m), m, x(c), c\r\n6500.5, 1, 0, 8\r\n, , 6500.5, 9\r\n"},
        {{{"m", {1}, {5}}, {"c", {8, 9}, {5, 6}}}, "m, c\r\n1, 8\r\n, 9\r\n"},  // the same cycles, one shorter
    };
    for (const auto& [series, text] : cases) {
        std::ostringstream out;
        WriteChartSeriesText(out, series);
        EXPECT_EQ(out.str(), text);
    }
}

TEST(ChartText, NoSeriesWritesNothingAndAnEmptySeriesEmptyCells)
{
    std::ostringstream none;
    WriteChartSeriesText(none, {});
    EXPECT_EQ(none.str(), "");
    std::ostringstream empty;
    WriteChartSeriesText(empty, {{"f(x)", {}}, {"g", {1}}});
    EXPECT_EQ(empty.str(), "f(x), g\r\n, 1\r\n");
}

TEST(SeriesFunctions, OnePointPerBlockOfPeriodPointsAtTheBlockMiddle)
{
    const std::vector<double> x = {10, 11, 12, 13, 14, 15, 16};
    const std::vector<double> y = {4, -2, 6, 1, 1, 9, 3};
    struct Case {
        SeriesFunction f;
        int period;
        std::vector<double> x, y;
    } cases[] = {
        {SeriesFunction::Average, 3, {11, 14, 16}, {8.0 / 3, 11.0 / 3, 3}},
        {SeriesFunction::Low, 3, {11, 14, 16}, {-2, 1, 3}},
        {SeriesFunction::High, 3, {11, 14, 16}, {6, 9, 3}},
        {SeriesFunction::High, 1, x, y},
        // 0, or longer than the series: one block of the whole series.
        {SeriesFunction::Average, 0, {13}, {22.0 / 7}},
        {SeriesFunction::Low, 8, {13}, {-2}},
        {SeriesFunction::High, 7, {13}, {9}},
    };
    for (const Case& c : cases) {
        const XYPoints p = BlockFunction(c.f, x, y, c.period);
        EXPECT_EQ(p.x, c.x) << static_cast<int>(c.f) << " period " << c.period;
        ASSERT_EQ(p.y.size(), c.y.size());
        for (std::size_t i = 0; i < c.y.size(); ++i)
            EXPECT_DOUBLE_EQ(p.y[i], c.y[i]) << static_cast<int>(c.f) << " period " << c.period << " point " << i;
    }
    EXPECT_TRUE(BlockFunction(SeriesFunction::Average, {}, {}, 5).x.empty());
}
