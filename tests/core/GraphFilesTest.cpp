// The action graph's four file formats over plain graph data: golden files of
// the pass-and-dribble graph, and the layout rules case by case.
#include "core/io/GraphFiles.h"

#include "support/TestData.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

// Lplayer3 (LC-MF) passes to Lplayer7 (L-FW), who supported the attack and
// dribbles on: four nodes, three connections of one occurrence each.
GraphFileData PassAndDribble()
{
    GraphFileData g;
    g.nodes = {{"LTeam.LC-MF:To-player", 12.5, -3.0, 0, 1, {}, {0}},
               {"LTeam.L-FW:Attack-support", 100.0, 35.0, 0, 1, {}, {1}},
               {"LTeam.L-FW:Speed-dribble", 250.25, 120.0, 2, 1, {1, 0}, {2}},
               {"LTeam.L-FW:Speed-dribble-END", 499.0, 0.0, 1, 0, {2}, {}}};
    g.connections = {{"LTeam.LC-MF:To-player", 0, 2, 1, {100}},
                     {"LTeam.L-FW:Attack-support", 1, 2, 1, {100}},
                     {"LTeam.L-FW:Speed-dribble", 2, 3, 1, {110}}};
    return g;
}

std::string Gml(const GraphFileData& g, bool thin, bool fixed, const std::string& filter)
{
    std::ostringstream out;
    WriteGraphGml(out, g, thin, fixed, filter);
    return out.str();
}

template <typename Writer>
std::string Write(Writer writer, const GraphFileData& g)
{
    std::ostringstream out;
    writer(out, g);
    return out.str();
}

}  // namespace

TEST(GraphFiles, ThePassAndDribbleGraphAsTheGoldenFiles)
{
    const GraphFileData g = PassAndDribble();
    EXPECT_EQ(Gml(g, false, false, ""), ReadBytes(TestDataPath("golden/actiongraph.gml")));
    EXPECT_EQ(Gml(g, true, true, "Speed"), ReadBytes(TestDataPath("golden/actiongraph-speed.gml")));
    EXPECT_EQ(Write(WritePajek, g), ReadBytes(TestDataPath("golden/actiongraph.net")));
    EXPECT_EQ(Write(WriteChaco, g), ReadBytes(TestDataPath("golden/actiongraph-chaco.txt")));
    EXPECT_EQ(Write(WriteGraphText, g), ReadBytes(TestDataPath("golden/actiongraph.text")));
}

TEST(GraphFiles, NodePositionsAreTimesTenInSixDigitsAndSizesFollowTheInWeight)
{
    GraphFileData g;
    g.nodes = {{"A", 12.5, -3.0, 4, 0, {}, {}}, {"B", 0.0123456789, 123456.0, 0, 0, {}, {}}};
    const std::string gml = Gml(g, false, false, "");
    EXPECT_NE(gml.find("      x 125\r\n      y -30\r\n      w 5\r\n      h 5\r\n"), std::string::npos) << gml;
    EXPECT_NE(gml.find("      x 0.123457\r\n      y 1.23456e+06\r\n      w 1\r\n"), std::string::npos) << gml;
    const std::string fixed = Gml(g, false, true, "");
    EXPECT_NE(fixed.find("      x 125\r\n      y -30\r\n      w 20\r\n      h 20\r\n"), std::string::npos);
}

TEST(GraphFiles, TheFilterPicksNodesByTheirConnectionsNamesOnly)
{
    const GraphFileData g = PassAndDribble();
    // Only the END node's own name holds "END": no node and no edge.
    EXPECT_EQ(Gml(g, false, false, "END"), Gml(GraphFileData{}, false, false, ""));
    // "Attack" passes one edge and both its ends (node 2 through its incoming connection).
    const std::string attack = Gml(g, false, false, "Attack");
    EXPECT_EQ(attack.find("    id 0\r\n"), std::string::npos);
    EXPECT_NE(attack.find("    id 1\r\n"), std::string::npos);
    EXPECT_NE(attack.find("    id 2\r\n"), std::string::npos);
    EXPECT_EQ(attack.find("    id 3\r\n"), std::string::npos);
    EXPECT_NE(attack.find("    source 1\r\n    target 2\r\n"), std::string::npos);
    EXPECT_EQ(attack.find("    source 0\r\n"), std::string::npos);
}

TEST(GraphFiles, PajekColoursBySide)
{
    struct Case {
        const char* name;
        const char* colour;
    };
    const Case cases[] = {{"!Our.Opp", "Yellow"}, {"Our:Opp", "Red"}, {"Opp:Our", "Blue"}, {"x.Our", "Red"},
                          {"x.Opp", "Blue"},      {"plain", "Blue"}, {"our:opp", "Blue"}, {"a!Our", "Red"}};
    for (const Case& c : cases) {
        GraphFileData g;
        g.nodes = {{c.name, 0, 0, 0, 0, {}, {}}};
        EXPECT_EQ(Write(WritePajek, g), std::string("*Network Global\r\n*Vertices 1\r\n1 \"") + c.name + "\" ic " +
                                            c.colour + " lc " + c.colour + "\r\n*Arcs\r\n")
            << c.name;
    }
}

// Readers key Pajek vertices by their labels: a name several nodes hold gets
// the vertex number, once more where a node is called so; the rest keep the names.
TEST(GraphFiles, PajekLabelsAreUniqueAndTheOtherFormatsKeepTheNames)
{
    GraphFileData g;
    g.nodes = {{"Pass", 0, 0, 0, 1, {}, {0}}, {"Pass #3", 0, 0, 0, 0, {}, {}}, {"Pass", 0, 0, 1, 0, {0}, {}}};
    g.connections = {{"Pass", 0, 2, 1, {4}}};
    EXPECT_EQ(Write(WritePajek, g), "*Network Global\r\n*Vertices 3\r\n1 \"Pass #1\" ic Blue lc Blue\r\n"
                                    "2 \"Pass #3\" ic Blue lc Blue\r\n3 \"Pass #3 #3\" ic Blue lc Blue\r\n"
                                    "*Arcs\r\n1 3 1 l \"Pass\"\r\n");
    EXPECT_NE(Write(WriteGraphText, g).find("\r\n0 Pass(1): 4 \r\n - 2 Pass(1): 4 \r\n"), std::string::npos);
    EXPECT_NE(Gml(g, false, false, "").find("    label \"Pass\"\r\n"), std::string::npos);
}

TEST(GraphFiles, WeightsParallelsLoopsAndEmptyOccurrences)
{
    GraphFileData g;
    // Node 0 -> node 2 three times (one occurrence empty), a parallel and a loop on node 1.
    g.nodes = {{"a", 0, 0, 0, 5, {}, {0, 1}}, {"b", 0, 0, 1, 1, {2}, {2}}, {"c", 0, 0, 5, 0, {0, 1}, {}}};
    g.connections = {{"a", 0, 2, 3, {7, 9}}, {"a", 0, 2, 2, {11, 12}}, {"b", 1, 1, 1, {}}};
    EXPECT_EQ(Write(WritePajek, g), "*Network Global\r\n*Vertices 3\r\n1 \"a\" ic Blue lc Blue\r\n"
                                    "2 \"b\" ic Blue lc Blue\r\n3 \"c\" ic Blue lc Blue\r\n*Arcs\r\n"
                                    "1 3 3 l \"c\"\r\n1 3 2 l \"c\"\r\n2 2 1 l \"b\"\r\n");
    EXPECT_EQ(Write(WriteChaco, g), "3 3\r\n2/1 2/1 \r\n1/1 \r\n\r\n");
    EXPECT_EQ(Write(WriteGraphText, g), "Num nodes =  3\r\n0 a(5): 7 9 11 12 \r\n - 2 c(3): 7 9 \r\n"
                                        " - 2 c(2): 11 12 \r\n1 b(1): \r\n - 1 b(1): \r\n2 c(0): \r\n");
    const std::string gml = Gml(g, false, false, "");
    EXPECT_NE(gml.find("      width 3\r\n"), std::string::npos);
    EXPECT_NE(Gml(g, true, false, "").find("      width 1\r\n"), std::string::npos);
    EXPECT_EQ(Gml(g, true, false, "").find("      width 3\r\n"), std::string::npos);
}

TEST(GraphFiles, AnEmptyGraphWritesItsHeadOnly)
{
    const GraphFileData g;
    EXPECT_EQ(Gml(g, false, false, "x"), "Creator \"Velotrask\"\r\nVersion\t2.2\r\ngraph\r\n[\r\n  hierarchic\t1\r\n"
                                         "  label \"\"\r\n  directed\t1\r\n]\r\n");
    EXPECT_EQ(Write(WritePajek, g), "*Network Global\r\n*Vertices 0\r\n*Arcs\r\n");
    EXPECT_EQ(Write(WriteChaco, g), "0 0\r\n");
    EXPECT_EQ(Write(WriteGraphText, g), "Num nodes =  0\r\n");
}
