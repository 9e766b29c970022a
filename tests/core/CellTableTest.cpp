#include "core/model/CellTable.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// The texts of one column, rows 0..n-1.
std::vector<std::string> ColumnTexts(const CellTable& t, int col)
{
    std::vector<std::string> out;
    for (int r = 0; r < t.RowCount(); ++r)
        out.push_back(t.Cell(col, r));
    return out;
}

}  // namespace

TEST(CellTable, NumbersReadAsTheTextsTheirFormatGives)
{
    struct Case {
        CellNumberFormat format;
        double value;
        const char* text;
    } cases[] = {
        {CellNumberFormat::FixedDigits(8, 4), 12.34567, "12.3457"},
        {CellNumberFormat::FixedDigits(8, 4), 0.0, "0.0000"},
        {CellNumberFormat::FixedDigits(8, 3), 999.99, "999.990"},
        {CellNumberFormat::General15(), 0.5, "0.5"},
        {CellNumberFormat::General15(), 16.0, "16"},
        {CellNumberFormat::General15(), 1e20, "1E20"},
    };
    for (const Case& c : cases) {
        CellTable t(1, 3);
        t.Column(0).SetNumbers(2, std::vector<double>{c.value}, c.format);
        EXPECT_EQ(t.Cell(0, 2), c.text) << c.value;
        EXPECT_EQ(t.Cell(0, 1), "");  // before the run
    }
    CellTable t(1, 4);
    t.Column(0).SetNumbers(1, std::vector<std::int8_t>{-3, 0, 7}, CellNumberFormat::General15());
    EXPECT_EQ(ColumnTexts(t, 0), (std::vector<std::string>{"", "-3", "0", "7"}));
}

TEST(CellTable, WrittenTextsWinOverNumbersAndStayAsWritten)
{
    CellTable t(2, 5);
    t.Column(1).SetNumbers(1, std::vector<std::int16_t>{1, 2, 3, 4}, CellNumberFormat::General15());
    t.SetCell(1, 2, " two ");
    t.SetCell(1, 0, "Ball\r\npos");
    t.SetCell(5, 0, "outside");  // ignored
    EXPECT_EQ(ColumnTexts(t, 1), (std::vector<std::string>{"Ball\r\npos", "1", " two ", "3", "4"}));
    // A new run of numbers replaces the texts written into its rows only.
    t.Column(1).SetNumbers(2, std::vector<std::int32_t>{9}, CellNumberFormat::General15());
    EXPECT_EQ(ColumnTexts(t, 1), (std::vector<std::string>{"Ball\r\npos", "", "9", "", ""}));
    // Shrinking forgets what lies beyond; growing again shows empty cells.
    t.SetRowCount(2);
    t.SetRowCount(5);
    EXPECT_EQ(ColumnTexts(t, 1), (std::vector<std::string>{"Ball\r\npos", "", "", "", ""}));
}

TEST(CellTable, MovingAndDeletingColumnsMovesTheirCells)
{
    struct Case {
        int from, to;
        std::vector<std::string> row0;
    } cases[] = {
        {1, 3, {"a", "c", "d", "b"}},
        {3, 1, {"a", "d", "b", "c"}},
        {0, 0, {"a", "b", "c", "d"}},
        {2, 4, {"a", "b", "c", "d"}},  // out of range: nothing
    };
    for (const Case& c : cases) {
        CellTable t(4, 2);
        for (int i = 0; i < 4; ++i)
            t.SetCell(i, 0, std::string(1, static_cast<char>('a' + i)));
        t.Column(1).SetNumbers(1, std::vector<double>{2.5}, CellNumberFormat::General15());
        t.MoveColumn(c.from, c.to);
        std::vector<std::string> row0;
        for (int i = 0; i < 4; ++i)
            row0.push_back(t.Cell(i, 0));
        EXPECT_EQ(row0, c.row0) << c.from << "->" << c.to;
        for (int i = 0; i < 4; ++i)  // the number travels with its column
            EXPECT_EQ(t.Cell(i, 1), t.Cell(i, 0) == "b" ? "2.5" : "");
    }
    CellTable t(3, 1);
    t.SetCell(0, 0, "x");
    t.SetCell(2, 0, "z");
    t.DeleteColumn(1);
    t.DeleteColumn(7);
    ASSERT_EQ(t.ColCount(), 2);
    EXPECT_EQ(t.Cell(1, 0), "z");
}

TEST(CellTable, RowMovesCarryTextsAndNumbers)
{
    CellTable t(2, 5);
    for (int r = 0; r < 5; ++r)
        t.SetCell(0, r, "r" + std::to_string(r));
    t.Column(1).SetNumbers(1, std::vector<std::int8_t>{10, 20, 30, 40}, CellNumberFormat::General15());
    t.PermuteRows({2, 0, 3, 1}, 1);  // rows 1..4 become old 3, 1, 4, 2
    EXPECT_EQ(ColumnTexts(t, 0), (std::vector<std::string>{"r0", "r3", "r1", "r4", "r2"}));
    EXPECT_EQ(ColumnTexts(t, 1), (std::vector<std::string>{"", "30", "10", "40", "20"}));
    t.MoveRow(4, 1);
    EXPECT_EQ(ColumnTexts(t, 0), (std::vector<std::string>{"r0", "r2", "r3", "r1", "r4"}));
    t.MoveRow(1, 3);
    EXPECT_EQ(ColumnTexts(t, 0), (std::vector<std::string>{"r0", "r3", "r1", "r2", "r4"}));
}
