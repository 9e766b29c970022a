// The action graph saved for outside graph tools: a built graph through the
// file writers (golden files), the "Save Graph" command's choice by extension,
// and a real match's graph read back by networkx.
#include "actiongraph/model/GraphFiles.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/GraphBuilder.h"
#include "actiongraph/childActionWin.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/load/LoadLog.h"
#include "core/model/RoboCupFile.h"
#include "platform/qt/Dialogs.h"

#include "support/GuiApp.h"
#include "support/FilledRecord.h"
#include "support/SaveFailure.h"
#include "support/TestData.h"

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPointer>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

namespace {

class SaveGraph : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGuiApp();
        CreateConceptHierarchies();
    }
    void TearDown() override
    {
        delete window.data();
        FreeConceptHierarchies();
    }
    // Lplayer3 (LC-MF) passes to Lplayer7 (L-FW), who dribbles on; the nodes
    // placed where the plain-data golden files expect them.
    void PassAndDribble(TGraph& g)
    {
        for (auto& v : record.File().roleChannel[3]->GetValues())
            v = ConceptHandle(coLCMF[0]);
        for (auto& v : record.File().roleChannel[7]->GetValues())
            v = ConceptHandle(coLFW[0]);
        auto event = [this](ConceptObject* action, int player, int first, int last, int other, int otherEnd,
                            int partner) {
            record.File().events[static_cast<std::size_t>(player)].push_back(
                std::make_unique<ActionEvent>(ActionEvent{action, player, first, last, other, otherEnd, partner}));
        };
        event(coToPlayer, 3, 100, 100, 0, 109, 7);
        event(coAttackSupport, 7, 100, 109, 7, 109, -1);
        event(coSpeedDribble, 7, 110, 120, 7, 120, -1);
        TObjectChoice all{};
        all[0] = true;
        BuildActionGraph(record.File(), all, {}, g);
        RemoveNodesWithDegreeBelow(g, 1);
        const double xy[4][2] = {{12.5, -3.0}, {100.0, 35.0}, {250.25, 120.0}, {499.0, 0.0}};
        for (int i = 0; i < g.NodeCount(); ++i) {
            g.GetNode(i)->SetX(xy[i][0]);
            g.GetNode(i)->SetY(xy[i][1]);
        }
    }
    TMDIActionChild* Open()
    {
        window = new TMDIActionChild(nullptr, &record.File());
        PassAndDribble(*window->Graph);
        return window;
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    FilledRecord record{300};
    QPointer<TMDIActionChild> window;
    platform::DialogScript script;

private:
    std::string dir_ = MakeTempDir("save-graph");
};

// The output of a command, with its exit status.
std::string RunCommand(const std::string& command, int* status)
{
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    std::string out;
    if (!pipe)
        return out;
    char buf[4096];
    while (const std::size_t n = fread(buf, 1, sizeof buf, pipe))
        out.append(buf, n);
    *status = pclose(pipe);
    return out;
}

}  // namespace

TEST_F(SaveGraph, ABuiltGraphSavesAsTheGoldenFiles)
{
    TGraph g;
    PassAndDribble(g);
    ASSERT_EQ(g.NodeCount(), 4);
    ASSERT_TRUE(SaveGML(g, Path("g.gml"), false, false, ""));
    ASSERT_TRUE(SavePajek(g, Path("g.net")));
    ASSERT_TRUE(SaveChaco(g, Path("g.txt")));
    ASSERT_TRUE(SaveText(g, Path("g.text")));
    EXPECT_EQ(ReadBytes(Path("g.gml")), ReadBytes(TestDataPath("golden/actiongraph.gml")));
    EXPECT_EQ(ReadBytes(Path("g.net")), ReadBytes(TestDataPath("golden/actiongraph.net")));
    EXPECT_EQ(ReadBytes(Path("g.txt")), ReadBytes(TestDataPath("golden/actiongraph-chaco.txt")));
    EXPECT_EQ(ReadBytes(Path("g.text")), ReadBytes(TestDataPath("golden/actiongraph.text")));
    // An existing file is overwritten, not appended to.
    ASSERT_TRUE(SaveText(g, Path("g.text")));
    EXPECT_EQ(ReadBytes(Path("g.text")), ReadBytes(TestDataPath("golden/actiongraph.text")));
    EXPECT_FALSE(SavePajek(g, Path("no-such-folder/g.net")));
}

TEST_F(SaveGraph, TheCommandPicksTheWriterByTheExtension)
{
    Open();
    window->cbThinEdges->setChecked(true);
    window->cbSmallNodes->setChecked(true);
    window->EditFilter->setText("Speed");
    script.files = {{true, {QString::fromStdString(Path("a.gml"))}, 0},
                    {true, {QString::fromStdString(Path("a.net"))}, 1},
                    {true, {QString::fromStdString(Path("a.txt"))}, 2},
                    {true, {QString::fromStdString(Path("a.text"))}, 3}};
    for (int i = 0; i < 4; ++i)
        window->btnSaveClick();
    ASSERT_EQ(script.fileDialogs.size(), 4u);
    EXPECT_TRUE(script.fileDialogs[0].save);
    EXPECT_EQ(script.fileDialogs[0].filter,
              "GML files (*.gml);;NET files (*.net);;Chaco files (*.txt);;Text files (*.text);;Windows bitmap (*.bmp)");
    EXPECT_TRUE(script.messages.empty());
    EXPECT_EQ(ReadBytes(Path("a.gml")), ReadBytes(TestDataPath("golden/actiongraph-speed.gml")));
    EXPECT_EQ(ReadBytes(Path("a.net")), ReadBytes(TestDataPath("golden/actiongraph.net")));
    EXPECT_EQ(ReadBytes(Path("a.txt")), ReadBytes(TestDataPath("golden/actiongraph-chaco.txt")));
    EXPECT_EQ(ReadBytes(Path("a.text")), ReadBytes(TestDataPath("golden/actiongraph.text")));
    // Cancelled: nothing happens.
    window->btnSaveClick();
    EXPECT_TRUE(script.messages.empty());
}

TEST_F(SaveGraph, UnknownOrUpperCaseExtensionsAndUnwritableFilesAreReported)
{
    Open();
    for (const char* name : {"a.GML", "a.png", "noextension"}) {
        script.messages.clear();
        EXPECT_FALSE(window->SaveGraphFile(QString::fromStdString(Path(name)))) << name;
        ASSERT_EQ(script.messages.size(), 1u) << name;
        EXPECT_EQ(script.messages[0].text, "Unknown file type! Nothing was saved. ");
        EXPECT_EQ(script.messages[0].caption, "Warning !");
        EXPECT_FALSE(std::filesystem::exists(Path(name))) << name;
    }
    script.messages.clear();
    const QString bad = QString::fromStdString(Path("missing/a.net"));
    EXPECT_FALSE(window->SaveGraphFile(bad));
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "Cannot write the file " + bad + ": No such file or directory");
}

TEST_F(SaveGraph, ThePictureSavesAsABitmapOrAJpeg)
{
    Open();
    QImage picture(463, 300, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    window->Image->setPixmap(QPixmap::fromImage(picture));
    ASSERT_TRUE(window->SaveGraphFile(QString::fromStdString(Path("g.bmp"))));
    ASSERT_TRUE(window->SaveGraphFile(QString::fromStdString(Path("g.jpg"))));
    EXPECT_EQ(ReadBytes(Path("g.bmp")).substr(0, 2), "BM");
    EXPECT_EQ(ReadBytes(Path("g.jpg")).substr(0, 3), "\xFF\xD8\xFF");
    for (const char* name : {"g.bmp", "g.jpg"}) {
        const QImage back(QString::fromStdString(Path(name)));
        EXPECT_EQ(back.size(), QSize(463, 300)) << name;
    }
    EXPECT_TRUE(script.messages.empty());
}

// On a full disk every kind of "Save Graph" file, text or picture, leaves the
// old file byte for byte and no temporary file, and names the file.
TEST_F(SaveGraph, AFullDiskLeavesTheOldFile)
{
    Open();
    QImage picture(463, 300, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    window->Image->setPixmap(QPixmap::fromImage(picture));
    const std::string old = "an older file of the same name\n";
    const char* const names[] = {"a.gml", "a.net", "a.txt", "a.text", "a.bmp", "a.jpg"};
    for (const char* name : names)
        std::ofstream(Path(name), std::ios::binary) << old;
    const std::vector<std::string> before = FolderEntries(Path("."));
    for (const char* name : names) {
        script.files.push_back({true, {QString::fromStdString(Path(name))}, 0});
        FileSizeLimit disk(16);
        window->btnSaveClick();
    }
    for (const char* name : names)
        EXPECT_EQ(ReadBytes(Path(name)), old) << name;
    EXPECT_EQ(FolderEntries(Path(".")), before);
    ASSERT_EQ(script.messages.size(), 2 * std::size(names));  // each asked first whether to replace it
    for (std::size_t i = 0; i < std::size(names); ++i)
        EXPECT_EQ(script.messages[2 * i + 1].text,
                  "Cannot write the file " + QString::fromStdString(Path(names[i])) + ": File too large");
    std::ofstream(Path("a.png")) << old;  // of a kind it does not write: told so, never asked to replace it
    script.files.push_back({true, {QString::fromStdString(Path("a.png"))}, 0});
    window->btnSaveClick();
    EXPECT_EQ(script.messages.size(), 2 * std::size(names) + 1);
}

// networkx (Debian's python3-networkx) reads the GML and the Pajek network of
// the short match's graph with every node and connection.
TEST_F(SaveGraph, NetworkxReadsARealMatchsGraph)
{
    int status = 0;
    RunCommand("python3 -c 'import networkx'", &status);
    if (status != 0)
        GTEST_SKIP() << "networkx is not installed";
    auto log = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), true);
    ASSERT_NE(log, nullptr);
    TGraph g;
    TObjectChoice all{};
    all[0] = true;
    BuildActionGraph(*log, all, {}, g);
    RemoveNodesWithDegreeBelow(g, 1);
    ASSERT_GT(g.ConnectionCount(), 10);
    ASSERT_TRUE(SaveGML(g, Path("match.gml"), false, false, ""));
    ASSERT_TRUE(SavePajek(g, Path("match.net")));
    const std::string reader =
        "import networkx as nx\n"
        "g = nx.read_gml('" + Path("match.gml") + "', label='id')\n"
        "p = nx.read_pajek('" + Path("match.net") + "')\n"
        "print(g.is_directed(), g.number_of_nodes(), g.number_of_edges(), p.number_of_nodes(), p.number_of_edges())\n";
    {
        std::FILE* f = std::fopen(Path("read.py").c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs(reader.c_str(), f);
        std::fclose(f);
    }
    const std::string out = RunCommand("python3 " + Path("read.py"), &status);
    ASSERT_EQ(status, 0) << out;
    // networkx keys Pajek vertices by their labels, and node names repeat
    // (several nodes can stand for one action of one role): the labels tell
    // them apart, so every node is read.
    std::set<std::string> names;
    for (int i = 0; i < g.NodeCount(); ++i)
        names.insert(g.GetNode(i)->GetName());
    ASSERT_LT(names.size(), static_cast<std::size_t>(g.NodeCount()));
    const std::string n = std::to_string(g.NodeCount());
    const std::string e = std::to_string(g.ConnectionCount());
    EXPECT_EQ(out, "True " + n + " " + e + " " + n + " " + e + "\n");
}
