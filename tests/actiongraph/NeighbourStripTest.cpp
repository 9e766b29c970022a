#include "actiongraph/model/NeighbourStrip.h"

#include "actiongraph/model/Actiongraph.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/io/DataGrid.h"
#include "core/model/CellTable.h"
#include "core/model/timestream.h"

#include "support/FilledRecord.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

using Rows = std::vector<std::pair<int, int>>;  // (cycle, class)

Rows Pairs(const std::vector<TGraphDataRow>& rows)
{
    Rows out;
    for (const auto& r : rows)
        out.emplace_back(r.cycle, r.cls);
    return out;
}

TConnectionData Occurrence(int start, int duration, int otherLength)
{
    TConnectionData d;
    d.start = start;
    d.duration = duration;
    d.otherLength = otherLength;
    return d;
}

// A -> B twice (10..12, an empty entry, 20..21), A -> C (30), B -> C (40..41).
class SmallGraph : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"LTeam.LC-MF:To-player", "B", "C"})
            graph.AddNode(name);
        a = graph.GetNode(0);
        b = graph.GetNode(1);
        c = graph.GetNode(2);
        TConnection* ab = graph.AddConnection("ab", a, b);
        ab->AddData(Occurrence(10, 3, 9));
        ab->AddData(nullptr);
        ab->AddData(Occurrence(20, 2, 4));
        graph.AddConnection("ac", a, c)->AddData(Occurrence(30, 1, 1));
        graph.AddConnection("bc", b, c)->AddData(Occurrence(40, 2, 2));
    }
    TGraph graph;
    TNode* a = nullptr;
    TNode* b = nullptr;
    TNode* c = nullptr;
};

}  // namespace

TEST(NeighbourStrip, BandsSplitTheHeightAndBordersBelongToNoBand)
{
    EXPECT_EQ(StripBand(0, 3, 76), std::make_pair(0, 25));
    EXPECT_EQ(StripBand(1, 3, 76), std::make_pair(25, 50));
    EXPECT_EQ(StripBand(2, 3, 76), std::make_pair(50, 76));
    const std::vector<std::pair<int, int>> cases = {{0, -1}, {1, 0},  {24, 0}, {25, -1}, {26, 1},
                                                    {49, 1}, {50, -1}, {51, 2}, {75, 2},  {76, -1}};
    for (const auto& [y, band] : cases)
        EXPECT_EQ(StripBandAt(3, 76, y), band) << "y " << y;
    EXPECT_EQ(StripBandAt(0, 76, 30), -1);
    EXPECT_EQ(StripBandAt(1, 76, 30), 0);
}

TEST(NeighbourStrip, ThirdsBySpecifiedDivisions)
{
    const std::vector<std::pair<int, StripThird>> cases = {{0, StripThird::Left},     {99, StripThird::Left},
                                                           {100, StripThird::Middle}, {200, StripThird::Middle},
                                                           {201, StripThird::Right},  {299, StripThird::Right}};
    for (const auto& [x, third] : cases)
        EXPECT_EQ(StripThirdAt(300, x), third) << "x " << x;
    EXPECT_EQ(StripThirdAt(301, 100), StripThird::Middle);  // 301 div 3 = 100, 602 div 3 = 200
    EXPECT_EQ(StripThirdAt(301, 201), StripThird::Right);
}

TEST_F(SmallGraph, StripTextsNameIndexAndOccurrences)
{
    EXPECT_EQ(StripMiddleText(graph, *a), "LTeam LC-MF:To-player:0 10/3:9 20/2:4 30/1:1");
    EXPECT_EQ(StripMiddleText(graph, *c), "C:2");  // no outgoing connection
    EXPECT_EQ(StripBandText(b, 3), "B - 3");
    EXPECT_EQ(StripBandText(nullptr, 1), " - 1");
    EXPECT_EQ(NodeOccurrenceCycles(*a), (std::vector<int>{10, 11, 12, 20, 21, 30}));
}

TEST_F(SmallGraph, DataRowsOfTheSelectedNodeCarryTheNeighbourNumbers)
{
    b->SetMark(0);
    c->SetMark(1);
    EXPECT_EQ(Pairs(GraphDataRows(graph, a, 100)), (Rows{{10, 0}, {11, 0}, {12, 0}, {20, 0}, {21, 0}, {30, 1}}));
    c->SetMark(22);  // modulo 22
    b->SetMark(23);
    EXPECT_EQ(Pairs(GraphDataRows(graph, a, 100)), (Rows{{10, 1}, {11, 1}, {12, 1}, {20, 1}, {21, 1}, {30, 0}}));
    EXPECT_TRUE(GraphDataRows(graph, c, 100).empty());
}

TEST_F(SmallGraph, DataRowsOfTheWholeGraphByNodeIndexSkippingCyclesOutsideTheLog)
{
    EXPECT_EQ(Pairs(GraphDataRows(graph, nullptr, 100)),
              (Rows{{10, 0}, {11, 0}, {12, 0}, {20, 0}, {21, 0}, {30, 0}, {40, 1}, {41, 1}}));
    EXPECT_EQ(Pairs(GraphDataRows(graph, nullptr, 41)),
              (Rows{{10, 0}, {11, 0}, {12, 0}, {20, 0}, {21, 0}, {30, 0}, {40, 1}}));
    EXPECT_TRUE(GraphDataRows(graph, nullptr, 0).empty());
}

TEST(NeighbourStrip, TimelineSpansOfAThirdOfAPixelMergeIntoBars)
{
    // 3000 cycles over 1000 pixels from x = 200.
    EXPECT_TRUE(TimelineSpans(200, 1200, 0, 3000, {0}).empty());  // 200 .. trunc(200.83): no width
    EXPECT_EQ(TimelineSpans(200, 1200, 0, 3000, {2}), (std::vector<std::pair<int, int>>{{200, 201}}));
    EXPECT_EQ(TimelineSpans(200, 1200, 0, 3000, {0, 1, 2, 3, 4, 5}),
              (std::vector<std::pair<int, int>>{{200, 202}}));
    EXPECT_EQ(TimelineSpans(200, 1200, 0, 3000, {2999}), (std::vector<std::pair<int, int>>{{1199, 1200}}));
    // 100 cycles over 1000 pixels: ten pixels a cycle, touching cycles joined.
    EXPECT_EQ(TimelineSpans(0, 1000, 0, 100, {7, 5, 6, 9}),
              (std::vector<std::pair<int, int>>{{50, 80}, {90, 100}}));
    // Outside the axis, and an empty axis, nothing.
    EXPECT_TRUE(TimelineSpans(0, 1000, 0, 100, {-1, 100, 250}).empty());
    EXPECT_TRUE(TimelineSpans(0, 1000, 0, 0, {0, 1}).empty());
}

TEST(NeighbourStrip, ConceptCyclesJudgeThePositionAlone)
{
    CreateConceptHierarchies();
    FilledRecord record(50);
    for (int t = 10; t < 20; ++t)
        record.Place(0, t, 5.0, -30.0);  // on the left wing
    record.Place(4, 30, 5.0, -30.0);
    std::vector<ConceptObject*> concepts;
    ConceptObject::CollectConcepts(g_positionConcepts, &concepts, false);
    ConceptObject* leftWing = nullptr;
    for (ConceptObject* c : concepts)
        if (c->GetName() == "Left-wing")
            leftWing = c;
    ASSERT_NE(leftWing, nullptr);
    std::vector<int> expected;
    for (int t = 10; t < 20; ++t)
        expected.push_back(t);
    EXPECT_EQ(ConceptCycles(record.File(), 0, *leftWing), expected);
    EXPECT_EQ(ConceptCycles(record.File(), 4, *leftWing), std::vector<int>{30});
    EXPECT_EQ(ConceptCycles(record.File(), 0, *g_positionConcepts).size(), 50u);  // the whole field
    EXPECT_TRUE(ConceptCycles(record.File(), 23, *leftWing).empty());
    FreeConceptHierarchies();
}

TEST_F(SmallGraph, DataColumnsClassThenFieldsAtTheRowCycles)
{
    DataTimeChannel<double> x("x");
    DataTimeChannel<std::int8_t> flag("flag");
    for (int t = 0; t < 41; ++t) {  // one cycle short of the graph's last occurrence
        x.AddValue(t * 0.123456789);
        flag.AddValue(static_cast<std::int8_t>(t % 3));
    }
    CellTable grid;
    datagrid::InitDataGrid(grid);
    b->SetMark(0);
    c->SetMark(1);
    AddGraphDataColumns(grid, GraphDataRows(graph, nullptr, 100), false, {&x, &flag});
    ASSERT_EQ(grid.ColCount(), 4);
    ASSERT_EQ(grid.RowCount(), 4 + 8);
    EXPECT_EQ(grid.Cell(1, 0), "Graph\r\nNode\r\nId");
    EXPECT_EQ(grid.Cell(1, 3), "short");
    EXPECT_EQ(grid.Cell(2, 0), "x");
    EXPECT_EQ(grid.Cell(2, 3), "double");
    EXPECT_EQ(grid.Cell(3, 3), "char");
    const std::vector<std::tuple<int, std::string, std::string, std::string>> rows = {
        {0, "0", "1.2346", "1"}, {2, "0", "1.4815", "0"}, {5, "0", "3.7037", "0"},
        {6, "1", "4.9383", "1"}, {7, "1", "", ""}};  // cycle 41 lies beyond the channels
    for (const auto& [r, cls, value, small] : rows) {
        EXPECT_EQ(grid.Cell(0, 4 + r), std::to_string(r));
        EXPECT_EQ(grid.Cell(1, 4 + r), cls) << "row " << r;
        EXPECT_EQ(grid.Cell(2, 4 + r), value) << "row " << r;
        EXPECT_EQ(grid.Cell(3, 4 + r), small) << "row " << r;
    }
    // Extremes over the rows only: cycles 10 .. 40.
    EXPECT_EQ(grid.Cell(1, 1), "0");
    EXPECT_EQ(grid.Cell(1, 2), "1");
    EXPECT_EQ(grid.Cell(2, 1), "1.2346");
    EXPECT_EQ(grid.Cell(2, 2), "4.9383");
    EXPECT_EQ(grid.Cell(3, 1), "0");
    EXPECT_EQ(grid.Cell(3, 2), "2");

    CellTable selected;
    datagrid::InitDataGrid(selected);
    AddGraphDataColumns(selected, GraphDataRows(graph, a, 100), true, {});
    EXPECT_EQ(selected.Cell(1, 0), "Next\r\nNode\r\nId");
    EXPECT_EQ(selected.Cell(1, 4 + 5), "1");  // cycle 30 leads to C
}
