#include "actiongraph/childActionWin.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/ExampleClasses.h"
#include "actiongraph/model/GraphBuilder.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/load/LoadLog.h"
#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"
#include "platform/qt/Dialogs.h"
#include "ui/FormControls.h"
#include "ui/StrategyShells.h"
#include "ui/waitFormWin.h"

#include "support/GuiApp.h"
#include "support/HierarchyTestUtil.h"
#include "support/RecordingHooks.h"
#include "support/SaveFailure.h"
#include "support/TestData.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find("\r\n", from)) != std::string::npos; from = at + 2)
        lines.push_back(text.substr(from, at - from));
    return lines;
}

// The items of an Apriori transaction line (" item item class").
std::vector<std::string> Items(const std::string& line)
{
    std::vector<std::string> items;
    std::istringstream in(line);
    for (std::string item; in >> item;)
        items.push_back(item);
    if (!items.empty())
        items.pop_back();  // the class
    return items;
}

// The short real match's graph in a window, its features computed.
class ActionChildAssoc : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGuiApp();
        {
            InTempDir hierarchies("action-child-assoc-concepts");
            CreateConceptHierarchies();
        }
        log = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), true);
        window = std::make_unique<TMDIActionChild>(nullptr, log.get());
        TMDIChild::SelectAllPlayers(window->lbPlayers);
        window->BuildActionGraph(window->Graph);
        dir = MakeTempDir("action-child-assoc");
    }
    void TearDown() override
    {
        window.reset();
        log.reset();
        FreeConceptHierarchies();
    }
    std::string Path(const std::string& name) const { return dir + "/" + name; }

    std::unique_ptr<RoboCupFileT> log;
    std::unique_ptr<TMDIActionChild> window;
    std::string dir;
    platform::DialogScript script;
};

}  // namespace

TEST_F(ActionChildAssoc, AprioriAsksForRolesAndShowsProgressEveryHundredInstances)
{
    ASSERT_NE(log->features, nullptr);
    std::vector<int> cycles;
    std::vector<int> classes;
    for (int t = 0; t < 250; ++t) {
        cycles.push_back(t);
        classes.push_back(t % 2);
    }
    const std::vector<std::string> names{"OTHER", "SELECTED"};
    const std::string byName = Path("names.dat");
    RecordingHooks hooks;
    script.answers = {platform::Answer::No};
    ASSERT_TRUE(window->SaveAssocData(QString::fromStdString(byName), 0, 0.0, cycles, classes, names, nullptr, nullptr,
                                      TMDIActionChild::AskUseRoles(window.get())));
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "Use player roles instead of names?");
    EXPECT_EQ(script.messages[0].caption, "Question");
    EXPECT_EQ(script.messages[0].buttons, platform::Buttons::YesNo);
    EXPECT_EQ(hooks.waitTexts,
              (std::vector<std::string>{"Saving " + byName + " 40.0 % ...", "Saving " + byName + " 80.0 % ..."}));
    EXPECT_TRUE(WaitForm.isNull());
    EXPECT_EQ(ReadBytes(Path("names.app")), "body\r\nOTHER head\r\nSELECTED head\r\n");

    const std::vector<std::string> plain = Lines(ReadBytes(byName));
    ASSERT_EQ(plain.size(), 250u);
    int items = 0;
    for (std::size_t i = 0; i < plain.size(); ++i) {
        ASSERT_EQ(plain[i].substr(0, 1), " ");
        const std::string cls = " " + names[static_cast<std::size_t>(classes[i])];
        ASSERT_EQ(plain[i].substr(plain[i].size() - cls.size()), cls) << i;
        for (const std::string& item : Items(plain[i])) {
            ++items;
            const bool named = item.rfind("Team:", 0) == 0 || item.rfind("Ball:", 0) == 0 ||
                               item.rfind("Lplayer", 0) == 0 || item.rfind("Rplayer", 0) == 0;
            ASSERT_TRUE(named) << item;
        }
    }
    EXPECT_GT(items, 250);

    // With roles a player's item begins with his role at the cycle.
    const std::string byRole = Path("roles.dat");
    script.answers = {platform::Answer::Yes};
    ASSERT_TRUE(window->SaveAssocData(QString::fromStdString(byRole), 0, 0.0, cycles, classes, names, nullptr, nullptr,
                                      TMDIActionChild::AskUseRoles(window.get())));
    const std::vector<std::string> roled = Lines(ReadBytes(byRole));
    ASSERT_EQ(roled.size(), plain.size());
    int rolePrefixed = 0;
    for (std::size_t i = 0; i < roled.size(); ++i) {
        const std::vector<std::string> a = Items(plain[i]);
        const std::vector<std::string> b = Items(roled[i]);
        ASSERT_EQ(a.size(), b.size());
        for (std::size_t k = 0; k < a.size(); ++k) {
            // "<object>:<feature name>" becomes "<role>:<feature name>".
            const std::string feature = a[k].substr(a[k].find(':') + 1);
            ASSERT_EQ(b[k].substr(b[k].size() - feature.size()), feature);
            const std::string object = feature.substr(0, feature.find(':'));
            for (int o = 1; o < 23; ++o)
                if (object == (o <= 11 ? "Lplayer" + std::to_string(o) : "Rplayer" + std::to_string(o - 11)))
                    if (ConceptObject* role = RoleAt(*log, o, cycles[i])) {
                        ASSERT_EQ(b[k], ConceptObject::GetPathName(role) + ":" + feature);
                        ++rolePrefixed;
                    }
        }
    }
    EXPECT_GT(rolePrefixed, 0);
}

TEST_F(ActionChildAssoc, AShallowerHierarchyNamesTheNodesAfterTheirAncestors)
{
    const auto ancestorAt = [](ConceptObject* node, int level) {
        while (node->GetLevel() > level && node->GetParent())
            node = node->GetParent();
        return node->GetName();
    };
    window->sbSimilarityDepth->setValue(2);
    window->sbSimilarityDepth2->setValue(1);
    window->btnDepth->click();
    std::set<std::string> actions;
    for (int i = 0; i < window->Graph->NodeCount(); ++i) {
        const TNode& node = *window->Graph->GetNode(i);
        if (const TNodeConcepts* data = node.Data(); data && data->action && data->role) {
            const std::string want = ancestorAt(data->role, 0) + ":" + ancestorAt(data->action, 1);
            EXPECT_TRUE(node.GetName() == want || node.GetName() == want + "-END") << node.GetName();
            actions.insert(ancestorAt(data->action, 1));
        }
    }
    TExampleLists lists;
    ASSERT_EQ(MarkExampleCycles(*window->Graph, 0, nullptr, nullptr, 0.0, {}, window->Depths, lists), TMarkProblem::None);
    ASSERT_GT(lists.classNames.size(), 10u);
    for (const std::string& value : lists.classNames) {
        const std::size_t a = value.find('_'), b = value.rfind('_');
        EXPECT_EQ(value.substr(0, a) + std::to_string(actions.count(value.substr(a + 1, b - a - 1))), "Team1") << value;
    }
}

// The full match has a node at the deepest level of both hierarchies.
TEST(ActionChildNames, AtEveryDepthANodeIsNamedAfterItsAncestorInTheHierarchyFiles)
{
    EnsureGuiApp();
    InTempDir start("action-child-names");
    CreateConceptHierarchies();
    struct Freed {
        ~Freed() { FreeConceptHierarchies(); }
    } freed;  // after the window and the log
    const hierarchytest::GmlPaths actions = hierarchytest::ReadGmlPaths(ReadBytes("ActionConcepts.gml"));
    const hierarchytest::GmlPaths roles = hierarchytest::ReadGmlPaths(ReadBytes("RoleConcepts.gml"));
    auto log = LoadLog(GunzippedTestFile("match-full-HELIOS_A_4-vs-HELIOS_B_2.rcg"), true);
    auto window = std::make_unique<TMDIActionChild>(nullptr, log.get());
    TMDIChild::SelectAllPlayers(window->lbPlayers);
    ASSERT_EQ(window->sbSimilarityDepth->maximum(), actions.levels);
    ASSERT_EQ(window->sbSimilarityDepth2->maximum(), roles.levels);
    int deepestAction = 0, deepestRole = 0;
    for (int k = 0; k <= std::max(actions.levels, roles.levels); ++k) {
        const int a = std::min(k, actions.levels), r = std::min(k, roles.levels);
        window->sbSimilarityDepth->setValue(a);
        window->sbSimilarityDepth2->setValue(r);
        window->btnDepth->click();
        const TGraph& graph = *window->Graph;
        EXPECT_GT(graph.NodeCount(), 500) << k;
        for (int i = 0; i < graph.NodeCount(); ++i) {
            const TNode& node = *graph.GetNode(i);
            const TNodeConcepts* data = node.Data();
            ASSERT_TRUE(data && data->action && data->role) << node.GetName();
            const std::string& role = roles.Named(data->role->GetId(), r);
            const std::string& action = actions.Named(data->action->GetId(), a);
            ASSERT_TRUE(node.GetName() == role + ":" + action || node.GetName() == role + ":" + action + "-END")
                << a << "/" << r << " " << node.GetName() << ", not " << role << ":" << action;
            // The datasets' classes take the same names.
            ASSERT_EQ(NodeClassName(graph, &node, window->Depths), role + "_" + action + "_" + std::to_string(i));
            deepestAction = std::max(deepestAction, actions.Depth(data->action->GetId()));
            deepestRole = std::max(deepestRole, roles.Depth(data->role->GetId()));
        }
    }
    EXPECT_TRUE(deepestAction == actions.levels && deepestRole == roles.levels);
}

TEST_F(ActionChildAssoc, ASecondFileThatWouldBeTheMainFileIsRefused)
{
    const std::vector<int> cycles{10, 20};
    const std::vector<int> classes{0, 1};
    const std::vector<std::string> names{"OTHER", "SELECTED"};
    const struct {
        std::string file;
        int format;
        std::string ext;
    } cases[] = {{"x.app", 0, ".app"}, {"run.names", 4, ".names"}};
    for (const auto& c : cases) {
        platform::DialogScript local;
        const QString file = QString::fromStdString(Path(c.file));
        EXPECT_FALSE(window->SaveAssocData(file, c.format, 0.0, cycles, classes, names, nullptr));
        ASSERT_EQ(local.messages.size(), 1u) << c.file;  // no roles question first
        EXPECT_EQ(local.messages[0].text, "The file " + file + " would be its own " +
                                              QString::fromStdString(c.ext) + " file. Nothing was saved.");
        EXPECT_EQ(local.messages[0].caption, "Warning");
        EXPECT_FALSE(std::filesystem::exists(Path(c.file)));
    }
}

TEST_F(ActionChildAssoc, AFileThatCannotBeWrittenIsNamed)
{
    const std::vector<int> cycles{10, 20};
    const std::vector<int> classes{0, 1};
    const std::vector<std::string> names{"OTHER", "SELECTED"};
    for (int format : {1, 2, 3, 4}) {
        platform::DialogScript local;
        const QString file = QString::fromStdString(Path("missing/data.txt"));
        EXPECT_FALSE(window->SaveAssocData(file, format, 0.0, cycles, classes, names, nullptr));
        ASSERT_EQ(local.messages.size(), 1u) << format;
        EXPECT_EQ(local.messages[0].text, "Cannot write the file " + file + ": No such file or directory");
        EXPECT_EQ(local.messages[0].caption, "Error");
        EXPECT_TRUE(WaitForm.isNull());
    }
}

// A format of two files is written whole or not at all: when the second file
// cannot be made (a folder in its place) or the disk is full, both old files
// stay byte for byte and no temporary file is left.
TEST_F(ActionChildAssoc, ATwoFileDatasetIsSavedWholeOrNotAtAll)
{
    const std::vector<int> cycles{10, 20, 30, 40};
    const std::vector<int> classes{0, 1, 0, 1};
    const std::vector<std::string> names{"OTHER", "SELECTED"};
    const struct {
        int format;
        std::string main, second;
        bool blocked;  // else a full disk
    } cases[] = {
        {0, "x.dat", "x.app", true},
        {4, "s.data", "s.names", true},
        {0, "x.dat", "x.app", false},
        {4, "s.data", "s.names", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.main + (c.blocked ? " blocked" : " full disk"));
        const std::string folder = MakeTempDir("assoc-pair");
        const std::string old = "an older dataset\n";
        std::ofstream(folder + "/" + c.main, std::ios::binary) << old;
        if (c.blocked)
            std::filesystem::create_directory(folder + "/" + c.second);
        else
            std::ofstream(folder + "/" + c.second, std::ios::binary) << old;
        const std::vector<std::string> before = FolderEntries(folder);
        platform::DialogScript local;
        local.answers = {platform::Answer::No};
        bool saved = true;
        {
            FileSizeLimit disk(c.blocked ? RLIM_INFINITY : 8);
            saved = window->SaveAssocData(QString::fromStdString(folder + "/" + c.main), c.format, 0.0, cycles,
                                          classes, names, nullptr);
        }
        EXPECT_FALSE(saved);
        EXPECT_EQ(ReadBytes(folder + "/" + c.main), old);
        if (!c.blocked) {
            EXPECT_EQ(ReadBytes(folder + "/" + c.second), old);
        }
        EXPECT_EQ(FolderEntries(folder), before);
        ASSERT_FALSE(local.messages.empty());
        EXPECT_EQ(local.messages.back().text,
                  "Cannot write the file " + QString::fromStdString(folder + "/" + (c.blocked ? c.second : c.main)) +
                      (c.blocked ? ": it is not a regular file (a folder)" : ": File too large"));
    }
}

// Weka 3.6 reads the ARFF of the busiest node of a real match: its cycles are
// SELECTED, every tenth other cycle OTHER.
TEST_F(ActionChildAssoc, WekaLoadsARealNodesDataset)
{
    const std::string jar = "/usr/share/java/weka.jar";
    if (!std::filesystem::exists(jar) || std::system("java -version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "java or Weka is not installed";
    std::vector<int> best;
    for (int i = 0; i < window->Graph->NodeCount(); ++i) {
        std::vector<int> cycles;
        window->CollectNodeCycles(nullptr, window->Graph->GetNode(i), cycles, true);
        if (cycles.size() > best.size())
            best = cycles;
    }
    ASSERT_FALSE(best.empty());
    std::vector<int> cycles = best;
    std::vector<int> classes(best.size(), 1);
    const std::set<int> selected(best.begin(), best.end());
    for (int t = 0; t < log->features->GetNumInstances(); t += 10)
        if (!selected.count(t)) {
            cycles.push_back(t);
            classes.push_back(0);
        }
    const std::string arff = Path("node.arff");
    ASSERT_TRUE(window->SaveAssocData(QString::fromStdString(arff), 1, 0.0, cycles, classes,
                                      {"OTHER", "SELECTED"}, nullptr));
    const std::string report = Path("weka.txt");
    std::system(("java -cp " + jar + " weka.core.Instances '" + arff + "' >'" + report + "' 2>&1").c_str());
    const std::string text = ReadBytes(report);
    EXPECT_EQ(text.find("Exception"), std::string::npos) << text.substr(0, 2000);
    EXPECT_NE(text.find("Num Instances:  " + std::to_string(cycles.size()) + "\n"), std::string::npos)
        << text.substr(0, 2000);
    EXPECT_NE(text.find("Num Attributes: " + std::to_string(log->features->GetNumFeatures() + 1) + "\n"),
              std::string::npos)
        << text.substr(0, 2000);
}

namespace {

// The dataset dialog as the program has it, driven while it is shown.
class SaveAssocButton : public ActionChildAssoc {
protected:
    void SetUp() override
    {
        ActionChildAssoc::SetUp();
        dialog = std::make_unique<TFormSaveData>();
        previous_ = FormSaveData;
        FormSaveData = dialog.get();
        // The busiest node and the first path are chosen.
        TNode* busiest = window->Graph->GetNode(0);
        for (int i = 0; i < window->Graph->NodeCount(); ++i)
            if (Cycles(window->Graph->GetNode(i)).size() > Cycles(busiest).size())
                busiest = window->Graph->GetNode(i);
        window->SelectNode(busiest);
        window->cbPathFunc->setCurrentIndex(0);
        window->FindPaths(window->Graph, 1, window->Paths);
        window->cbPaths->setCurrentIndex(1);
    }
    void TearDown() override
    {
        FormSaveData = previous_;
        dialog.reset();
        ActionChildAssoc::TearDown();
    }
    std::vector<int> Cycles(TNode* node) const
    {
        std::vector<int> c;
        window->CollectNodeCycles(nullptr, node, c, true);
        return c;
    }
    // Presses "Save Assoc. Data"; while the dialog is up, `inside` runs.
    void Press(const std::function<void()>& inside)
    {
        QTimer::singleShot(0, dialog.get(), inside);
        window->BtnSaveAssoc->click();
    }

    std::unique_ptr<TFormSaveData> dialog;  // made once the application is there

private:
    TFormSaveData* previous_ = nullptr;
};

}  // namespace

TEST_F(SaveAssocButton, TheDialogCountsEachDataModeOfTheWindow)
{
    Press([&] {
        for (int mode = 0; mode < 10; ++mode) {
            dialog->rgData->SetItemIndex(mode);
            dialog->btnUpdate->click();
            std::vector<int> cycles, classes, marked;
            std::vector<std::string> names;
            window->MarkCycles(mode, cycles, names, classes, marked, 0.0);
            EXPECT_EQ(dialog->lNumInstances->text(), "Instances = " + QString::number(cycles.size())) << mode;
            EXPECT_EQ(dialog->lNumClasses->text(), "Classes = " + QString::number(names.size())) << mode;
        }
        dialog->BtnCancel->click();
    });
    ASSERT_EQ(script.messages.size(), 1u);  // node and path chosen: no mode complained
    EXPECT_EQ(script.messages[0].text, "!!! Data not saved !!!");
    EXPECT_EQ(script.messages[0].caption, "Warning");
}

TEST_F(SaveAssocButton, TheDialogOpensWithTheCountsOfTheWindowItSavesFor)
{
    const std::unique_ptr<RoboCupFileT> keepaway =
        LoadLog(GunzippedTestFile("keepaway-3v2-Keepers-vs-Takers-helios-1500.rcg"), true);
    TMDIActionChild other(nullptr, keepaway.get());
    TMDIChild::SelectAllPlayers(other.lbPlayers);
    other.BuildActionGraph(other.Graph);
    QString first, opened;
    Press([&] {
        dialog->btnUpdate->click();
        first = dialog->lNumInstances->text();
        dialog->BtnCancel->click();
    });
    QTimer::singleShot(0, dialog.get(), [&] {
        opened = dialog->lNumInstances->text();
        dialog->BtnCancel->click();
    });
    other.BtnSaveAssoc->click();
    std::vector<int> cycles, classes, marked;
    std::vector<std::string> names;
    other.MarkCycles(0, cycles, names, classes, marked, 0.0);
    EXPECT_NE(first, opened);
    EXPECT_EQ(opened, "Instances = " + QString::number(cycles.size()));
}

TEST_F(SaveAssocButton, OkWritesTheChosenDatasetAndNoExampleSavesNothing)
{
    const std::string arff = Path("selected.arff");
    dialog->rgFileType->SetItemIndex(1);
    dialog->rgData->SetItemIndex(1);  // the selected node against the others
    script.files.push_back({true, {QString::fromStdString(arff)}, 0});
    Press([&] { dialog->BtnSave->click(); });
    EXPECT_TRUE(script.messages.empty());
    const std::string text = ReadBytes(arff);
    EXPECT_NE(text.find("@attribute class {OTHER, SELECTED}\r\n"), std::string::npos);
    std::vector<int> cycles, classes, marked;
    std::vector<std::string> names;
    window->MarkCycles(1, cycles, names, classes, marked, 0.0);
    const std::vector<std::string> lines = Lines(text);
    ASSERT_GT(lines.size(), cycles.size());
    int selected = 0;
    for (std::size_t i = lines.size() - cycles.size(); i < lines.size(); ++i)
        selected += lines[i].size() > 10 && lines[i].substr(lines[i].size() - 10) == ", SELECTED";
    EXPECT_EQ(selected, static_cast<int>(Cycles(window->SelectedNode).size()));

    // Without a selected node the mode finds no example.
    window->SelectNode(nullptr);
    const std::string none = Path("none.arff");
    script.files.push_back({true, {QString::fromStdString(none)}, 0});
    Press([&] { dialog->BtnSave->click(); });
    ASSERT_EQ(script.messages.size(), 2u);
    EXPECT_EQ(script.messages[0].text, "Select a node first!");
    EXPECT_EQ(script.messages[1].text, "No temporal data ! Nothing saved");
    EXPECT_EQ(script.messages[1].caption, "Warning");
    EXPECT_FALSE(std::filesystem::exists(none));
}
