#include "ui/StringGrid.h"
#include "UiTestMain.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <vector>

namespace {

class StringGridTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApp(); }
    void SetUp() override
    {
        grid.resize(400, 300);
        grid.SetDefaultColWidth(60);
        grid.SetDefaultRowHeight(16);
        grid.SetColCount(4);
        grid.SetRowCount(104);
        grid.SetFixedRows(2);
        grid.SetFixedCols(1);
        for (int c = 0; c < 4; ++c)
            grid.SetCell(c, 0, "h" + std::to_string(c));
        std::vector<std::int32_t> cycles(102);
        for (int i = 0; i < 102; ++i)
            cycles[static_cast<std::size_t>(i)] = i;
        grid.Table().Column(0).SetNumbers(2, cycles, CellNumberFormat::General15());
        grid.Table().Column(2).SetNumbers(2, std::vector<double>(102, 1.5), CellNumberFormat::FixedDigits(8, 4));
        grid.Refresh();
        grid.show();
    }
    TStringGrid grid;
};

}  // namespace

TEST_F(StringGridTest, ShowsOnlyTheScrollingCellsInItsModelAndTheFixedOnesInItsHeaders)
{
    EXPECT_EQ(grid.model()->rowCount(), 102);
    EXPECT_EQ(grid.model()->columnCount(), 3);
    EXPECT_EQ(grid.model()->index(0, 1).data().toString(), "1.5000");  // cell (2, 2)
    EXPECT_EQ(grid.horizontalHeader()->sizeHint().height(), 32);      // two fixed rows of 16
    EXPECT_EQ(grid.verticalHeader()->sizeHint().width(), 60);         // one fixed column
    grid.SetRowHeight(0, 40);
    EXPECT_EQ(grid.horizontalHeader()->sizeHint().height(), 56);
    // Fixed parts never take the last row or column.
    grid.SetFixedRows(200);
    EXPECT_EQ(grid.FixedRows(), 103);
    grid.SetRowCount(1);
    EXPECT_EQ(grid.FixedRows(), 0);
}

TEST_F(StringGridTest, DraggingAColumnMovesItsDataAndLeavesTheHeaderInPlainOrder)
{
    std::vector<std::pair<int, int>> moved;
    QObject::connect(&grid, &TStringGrid::ColumnMoved, [&](int from, int to) { moved.push_back({from, to}); });
    grid.SetColWidth(3, 90);
    grid.horizontalHeader()->moveSection(2, 0);  // the user drops grid column 3 at column 1
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0], std::make_pair(3, 1));
    EXPECT_EQ(grid.Cell(1, 0), "h3");
    EXPECT_EQ(grid.Cell(3, 2), "1.5000");
    EXPECT_EQ(grid.ColWidth(1), 90);
    for (int v = 0; v < 3; ++v)
        EXPECT_EQ(grid.horizontalHeader()->logicalIndex(v), v);
    // The fixed column cannot be moved.
    grid.MoveColumn(0, 2);
    EXPECT_EQ(grid.Cell(0, 0), "h0");
}

TEST_F(StringGridTest, SelectionCurrentCellAndTopRowUseGridCoordinates)
{
    grid.SetSelection(1, 50, 3, 50);
    const TStringGrid::GridRect s = grid.Selection();
    EXPECT_EQ(s.left, 1);
    EXPECT_EQ(s.top, 50);
    EXPECT_EQ(s.right, 3);
    EXPECT_EQ(s.bottom, 50);
    EXPECT_EQ(grid.Row(), 50);
    grid.SetTopRow(50);
    EXPECT_EQ(grid.TopRow(), 50);
    // Cells under the mouse, in the scrolling part and in the fixed header rows.
    int c = -1, r = -1;
    ASSERT_TRUE(grid.MouseToCell(grid.viewport(), QPoint(65, 3), &c, &r));
    EXPECT_EQ(c, 2);
    EXPECT_EQ(r, 50);
    ASSERT_TRUE(grid.MouseToCell(grid.horizontalHeader(), QPoint(5, 20), &c, &r));
    EXPECT_EQ(c, 1);
    EXPECT_EQ(r, 1);
    EXPECT_FALSE(grid.MouseToCell(grid.viewport(), QPoint(399, 299), &c, &r));
    EXPECT_EQ(c, -1);
}

TEST_F(StringGridTest, DrawsEveryVisibleCellThroughTheHookAndFormatsNothingElse)
{
    std::vector<std::pair<int, int>> drawn;
    grid.OnDrawCell = [&](QPainter&, const QRect&, int col, int row, const TStringGrid::CellState& st) {
        drawn.push_back({col, row});
        EXPECT_EQ(st.fixed, row < 2 || col < 1);
    };
    QImage image(grid.size(), QImage::Format_ARGB32);
    grid.render(&image);
    // Fixed header cells, fixed column cells and the corner are all drawn...
    auto has = [&](int c, int r) { return std::find(drawn.begin(), drawn.end(), std::make_pair(c, r)) != drawn.end(); };
    EXPECT_TRUE(has(0, 0));
    EXPECT_TRUE(has(1, 1));
    EXPECT_TRUE(has(0, 5));
    EXPECT_TRUE(has(3, 2));
    // ...and nothing far below the visible rows.
    EXPECT_FALSE(has(1, 90));
    EXPECT_LT(drawn.size(), 4u * 40u);
}

TEST_F(StringGridTest, MeasuresWrappedHeaderTextsLineByLine)
{
    const QSize one = grid.WrappedTextSize("Ball", 60);
    const QSize three = grid.WrappedTextSize("Ball\r\npossessor\r\nl_team", 60);
    EXPECT_EQ(three.height(), 3 * one.height());
    EXPECT_EQ(three.width(), grid.TextWidth("possessor"));
}

TEST_F(StringGridTest, PressesOnFixedCellsReportTheirCellAndRightClicksLeaveTheCurrentCell)
{
    std::vector<std::tuple<int, int, int>> presses;  // button, col, row
    QObject::connect(&grid, &TStringGrid::MouseDown, [&](Qt::MouseButton b, int c, int r, QPoint) {
        presses.emplace_back(static_cast<int>(b), c, r);
    });
    grid.SetCurrent(1, 10);
    auto press = [](QWidget* target, QPoint at, Qt::MouseButton b) {
        QMouseEvent e(QEvent::MouseButtonPress, QPointF(at), target->mapToGlobal(QPointF(at)), b, b, Qt::NoModifier);
        QApplication::sendEvent(target, &e);
    };
    press(grid.horizontalHeader()->viewport(), QPoint(70, 4), Qt::RightButton);  // column 2, fixed row 0
    press(grid.viewport(), QPoint(5, 20), Qt::RightButton);                       // column 1, row 3
    ASSERT_EQ(presses.size(), 2u);
    EXPECT_EQ(presses[0], std::make_tuple(static_cast<int>(Qt::RightButton), 2, 0));
    EXPECT_EQ(presses[1], std::make_tuple(static_cast<int>(Qt::RightButton), 1, 3));
    EXPECT_EQ(grid.Row(), 10);
}
