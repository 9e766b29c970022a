// The GML writer over plain graph data, against a golden file.
#include "core/io/GmlWriter.h"

#include "support/TestData.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(GmlWriter, WritesNodesThenEdgesWithCrLfAsTheGoldenFile)
{
    GmlGraph g;
    g.label = "Team";
    g.nodes = {{1, "Team"}, {2, "Team.Left side"}, {3, "Team.Left side.Back"}, {4, "Team.Right"}};
    // A shared node has one edge per parent; edges keep the order given.
    g.edges = {{2, 1}, {3, 2}, {4, 1}, {3, 4}};
    std::ostringstream out;
    WriteGml(out, g);
    EXPECT_EQ(out.str(), ReadBytes(TestDataPath("golden/hierarchy.gml")));
}

TEST(GmlWriter, AnEmptyGraphIsHeadAndEndOnly)
{
    std::ostringstream out;
    WriteGml(out, GmlGraph{});
    EXPECT_EQ(out.str(), "Creator \"Velotrask\"\r\nVersion\t2.2\r\ngraph\r\n[\r\n  hierarchic\t1\r\n  label \"\"\r\n"
                         "  directed\t1\r\n]\r\n");
}
