// The learner datasets over plain feature data: golden files of the five
// formats, the declared features, the SLIPPER rates and selection, the second
// file's name and the progress text.
#include "core/io/AssocData.h"
#include "core/io/DatasetNames.h"

#include "support/TestData.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using namespace assocdata;

namespace {

// Four features in three groups (the team feature of little value), two
// classes, four examples; Lplayer7 plays L-FW in the first and third.
Dataset Example()
{
    Dataset d;
    d.features = {{"Lplayer7:Left-wing", 0.9, 7}, {"Ball:Centre", 0.6, 0}, {"Team:Attacking", 0.2, -1},
                  {"Lplayer3:Left-wing", 0.8, 3}};
    d.groups = {{"Position.Left-wing", {0, 3}}, {"Position.Centre", {1}}, {"Situation.Attacking", {2}}};
    d.classNames = {"OTHER", "SELECTED"};
    const std::vector<std::vector<std::uint8_t>> bits = {{1, 0, 1, 1}, {0, 1, 0, 0}, {1, 1, 0, 0}, {1, 0, 1, 1}};
    const int classes[] = {1, 0, 1, 0};
    for (int i = 0; i < 4; ++i) {
        Instance& in = d.instances.emplace_back();
        in.cycle = 10 + i;
        in.classIndex = classes[i];
        in.bits = bits[static_cast<std::size_t>(i)];
    }
    d.instances[0].roles[7] = "LTeam.L-FW";
    d.instances[2].roles[7] = "LTeam.L-FW";
    return d;
}

std::string Golden(const std::string& name) { return ReadBytes(TestDataPath("golden/" + name)); }

}  // namespace

TEST(AssocData, FiveFormatsAsTheGoldenFiles)
{
    const Dataset d = Example();
    std::ostringstream app, names, roles, app2, weka, cn2, orange;
    WriteApriori(names, app, d, 0.5, false);
    WriteApriori(roles, app2, d, 0.0, true);
    WriteWeka(weka, d, 0.5);
    WriteCN2(cn2, d, 0.5);
    WriteOrange(orange, d, 0.5);
    EXPECT_EQ(app.str(), Golden("assoc.app"));
    EXPECT_EQ(app2.str(), Golden("assoc.app"));
    EXPECT_EQ(names.str(), Golden("assoc-names.dat"));
    EXPECT_EQ(roles.str(), Golden("assoc-roles.dat"));
    EXPECT_EQ(weka.str(), Golden("assoc.arff"));
    EXPECT_EQ(cn2.str(), Golden("assoc.cn2"));
    EXPECT_EQ(orange.str(), Golden("assoc.tab"));
    std::ostringstream data, namesFile;
    WriteSlipper(data, namesFile, d, 0.5, nullptr);
    EXPECT_EQ(data.str(), Golden("assoc.data"));
    EXPECT_EQ(namesFile.str(), Golden("assoc.names"));
}

// The selected groups that fail the rates leave the caller's list; names
// not of a group stay.
TEST(AssocData, SlipperPrunesTheSelection)
{
    const Dataset d = Example();
    std::vector<std::string> selection = {"Situation.Attacking", "Position.Left-wing", "No.Such.Group"};
    std::ostringstream data, names;
    WriteSlipper(data, names, d, 0.5, &selection);
    EXPECT_EQ(selection, (std::vector<std::string>{"Position.Left-wing", "No.Such.Group"}));
    EXPECT_EQ(data.str(), Golden("assoc-selected.data"));
    EXPECT_EQ(names.str(), Golden("assoc-selected.names"));
    // Left-wing's positive rate is (2 + 1) / 2 = 1.5: a threshold above it removes it too.
    WriteSlipper(data, names, d, 1.51, &selection);
    EXPECT_EQ(selection, (std::vector<std::string>{"No.Such.Group"}));
}

TEST(AssocData, SlipperRatesTable)
{
    // classes [1,1,0,0], bits [1,0,0,0]: positive rate 0.5, negative 0.
    Dataset d;
    d.features = {{"Lplayer2:X", 1.0, 2}};
    d.groups = {{"X", {0}}};
    d.classNames = {"NO", "YES", "MAYBE"};
    const int classes[] = {1, 1, 0, 0};
    for (int i = 0; i < 4; ++i)
        d.instances.push_back({i, classes[i], {static_cast<std::uint8_t>(i == 0)}, {}});
    struct Case {
        double threshold;
        const char* firstRow;
    };
    for (const Case c : {Case{0.5, "Lplayer2,YES.\r\n"}, Case{0.0, "Lplayer2,YES.\r\n"}, Case{0.51, ",YES.\r\n"}}) {
        std::ostringstream data, names;
        WriteSlipper(data, names, d, c.threshold, nullptr);
        EXPECT_EQ(data.str().substr(0, data.str().find('\n') + 1), c.firstRow) << c.threshold;
    }
    // A third class counts in the positive count but never as a hit: 1 / 3 < 0.5.
    d.instances[1].classIndex = 2;
    d.instances[2].classIndex = 2;
    std::ostringstream data, names, data3;
    WriteSlipper(data, names, d, 0.34, nullptr);
    EXPECT_EQ(data.str(), ",YES.\r\n,MAYBE.\r\n,MAYBE.\r\n,NO.\r\n");
    WriteSlipper(data3, names, d, 0.33, nullptr);
    EXPECT_EQ(data3.str(), "Lplayer2,YES.\r\n,MAYBE.\r\n,MAYBE.\r\n,NO.\r\n");
    // No example of class 1: nothing passes, and a selection loses every group.
    for (Instance& in : d.instances)
        in.classIndex = 0;
    std::vector<std::string> selection = {"X"};
    std::ostringstream data2, names2;
    WriteSlipper(data2, names2, d, 0.0, &selection);
    EXPECT_TRUE(selection.empty());
    EXPECT_EQ(data2.str(), ",NO.\r\n,NO.\r\n,NO.\r\n,NO.\r\n");
    EXPECT_EQ(names2.str(), "NO,YES,MAYBE.\r\n\r\n");
}

TEST(AssocData, NoDeclaredFeatureLeavesTheClassOnly)
{
    Dataset d = Example();
    d.instances.resize(1);
    EXPECT_TRUE(DeclaredFeatures(d, 0.9).empty());
    EXPECT_EQ(DeclaredFeatures(d, 0.6), (std::vector<int>{0, 3}));
    EXPECT_EQ(DeclaredFeatures(d, -1.0), (std::vector<int>{0, 1, 2, 3}));
    std::ostringstream apriori, app, weka, cn2, orange;
    WriteApriori(apriori, app, d, 0.9, true);
    WriteWeka(weka, d, 0.9);
    WriteCN2(cn2, d, 0.9);
    WriteOrange(orange, d, 0.9);
    EXPECT_EQ(apriori.str(), " SELECTED\r\n");
    EXPECT_EQ(weka.str().substr(weka.str().rfind("@data")), "@data\r\n, SELECTED\r\n");
    EXPECT_EQ(cn2.str().substr(cn2.str().find("@\r\n")), "@\r\n SELECTED;\r\n@\r\n");
    EXPECT_EQ(orange.str(), "class\r\nd\r\nclass\r\n\tSELECTED\r\n");
}

TEST(AssocData, ClassNamesAreIdentifiersInSlipperOnly)
{
    Dataset d = Example();
    d.classNames = {"LTeam.L-FW:Pass.Short", "OTHER"};
    std::ostringstream data, names, weka, app, apriori;
    WriteSlipper(data, names, d, 0.5, nullptr);
    WriteWeka(weka, d, 0.5);
    WriteApriori(apriori, app, d, 0.5, false);
    EXPECT_EQ(names.str().substr(0, names.str().find('\r')), "LTeam_L_FW_Pass_Short,OTHER.");
    EXPECT_NE(data.str().find(",LTeam_L_FW_Pass_Short.\r\n"), std::string::npos);
    EXPECT_NE(weka.str().find("@attribute class {LTeam.L-FW:Pass.Short, OTHER}"), std::string::npos);
    EXPECT_NE(app.str().find("LTeam.L-FW:Pass.Short head\r\n"), std::string::npos);
}

TEST(AssocData, SecondFileNames)
{
    struct Case {
        const char* file;
        const char* ext;
        const char* second;
    };
    const Case cases[] = {{"x.dat", ".app", "x.app"},
                          {"run.data", ".names", "run.names"},
                          {"a.dat/x.dat", ".app", "a.dat/x.app"},
                          {"dir.v2/x", ".names", "dir.v2/x.names"},
                          {"x", ".app", "x.app"},
                          {"x.app", ".app", ""},
                          {"x.names", ".names", ""},
                          {"x.names.data", ".names", "x.names.names"}};
    for (const Case& c : cases)
        EXPECT_EQ(SecondFileName(c.file, c.ext), c.second) << c.file;
}

TEST(AssocData, ProgressBeforeEveryInstanceAndItsText)
{
    Dataset d = Example();
    d.instances.resize(250, d.instances[0]);
    std::vector<int> seen;
    std::ostringstream out;
    WriteWeka(out, d, 0.0, [&](int done, int total) {
        EXPECT_EQ(total, 250);
        seen.push_back(done);
    });
    ASSERT_EQ(seen.size(), 250u);
    EXPECT_EQ(seen.front(), 1);
    EXPECT_EQ(seen.back(), 250);
    EXPECT_EQ(ProgressText("/tmp/a.arff", 100, 300), "Saving /tmp/a.arff 33.3 % ...");
    EXPECT_EQ(ProgressText("a", 200, 250), "Saving a 80.0 % ...");
}

TEST(DatasetNames, ARepeatedNameGetsTheFirstFreeSuffix)
{
    using datasetnames::MakeUnique;
    struct Case {
        std::vector<std::string> names, reserved, unique;
        std::vector<std::size_t> renamed;
    };
    for (const Case& c : {
             Case{{"a", "b", "a", "a"}, {}, {"a", "b", "a_2", "a_3"}, {2, 3}},
             Case{{"a", "a", "a_2"}, {}, {"a", "a_3", "a_2"}, {1}},  // a later "a_2" keeps its name
             Case{{"class", "x"}, {"class"}, {"class_2", "x"}, {0}},
             Case{{"x", "y"}, {"class"}, {"x", "y"}, {}},
         }) {
        const datasetnames::UniqueNames got = MakeUnique(c.names, c.reserved);
        EXPECT_EQ(got.names, c.unique);
        std::vector<std::size_t> renamed;
        for (const auto& r : got.renamed) {
            renamed.push_back(r.index);
            EXPECT_EQ(r.original, c.names[r.index]);
        }
        EXPECT_EQ(renamed, c.renamed);
    }
}

// Two features of one name (and two groups whose identifiers meet): every
// format declares each attribute once, ARFF with a comment.
TEST(AssocData, RepeatedFeatureNamesAreDeclaredOnce)
{
    Dataset d = Example();
    d.features[3].name = d.features[0].name;
    d.groups[1].path = "Position_Left_wing";
    std::ostringstream weka, cn2, orange, data, names;
    WriteWeka(weka, d, 0.5);
    WriteCN2(cn2, d, 0.5);
    WriteOrange(orange, d, 0.5);
    WriteSlipper(data, names, d, 0.0, nullptr);
    EXPECT_NE(weka.str().find("\r\n% Lplayer7:Left-wing_2 is a further attribute named Lplayer7:Left-wing"
                              " (renamed: names must be unique)\r\n"),
              std::string::npos)
        << weka.str();
    EXPECT_NE(weka.str().find("@attribute Lplayer7:Left-wing {0,1}\r\n@attribute Ball:Centre {0,1}\r\n"
                              "@attribute Lplayer7:Left-wing_2 {0,1}\r\n"),
              std::string::npos)
        << weka.str();
    EXPECT_NE(cn2.str().find("Lplayer7:Left-wing: _0 _1;\r\nBall:Centre: _0 _1;\r\nLplayer7:Left-wing_2: _0 _1;"),
              std::string::npos)
        << cn2.str();
    EXPECT_EQ(orange.str().substr(0, orange.str().find('\r')), "Lplayer7:Left-wing\tBall:Centre\tLplayer7:Left-wing_2\tclass");
    EXPECT_NE(names.str().find("Position_Left_wing: set.\r\nPosition_Left_wing_2: set.\r\n"), std::string::npos)
        << names.str();
}
