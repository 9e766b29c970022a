#include "actiongraph/childActionWin.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/GraphBuilder.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/load/LoadLog.h"
#include "core/model/Pitch.h"
#include "core/model/RoboCupFile.h"
#include "platform/qt/Dialogs.h"

#include "support/GuiApp.h"
#include "support/HierarchyTestUtil.h"
#include "support/TestData.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Two graph windows on the short real match; the names they ought to give are
// read from the hierarchy files, where a node's ancestors are its parent links.
class ActionChildDepth : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGuiApp();
        {
            InTempDir hierarchies("action-child-depth");
            CreateConceptHierarchies();
            actions = hierarchytest::ReadGmlPaths(ReadBytes("ActionConcepts.gml"));
            roles = hierarchytest::ReadGmlPaths(ReadBytes("RoleConcepts.gml"));
        }
        log = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), true);
        first = Open();
        second = Open();
    }
    void TearDown() override
    {
        first.reset(), second.reset(), log.reset();
        FreeConceptHierarchies();
    }
    // A window as the main window opens one: every player chosen, built.
    std::unique_ptr<TMDIActionChild> Open()
    {
        auto window = std::make_unique<TMDIActionChild>(nullptr, log.get());
        TMDIChild::SelectAllPlayers(window->lbPlayers);
        window->BuildActionGraph(window->Graph);
        return window;
    }
    static void Rebuild(TMDIActionChild& window, int action, int role)
    {
        window.sbSimilarityDepth->setValue(action);
        window.sbSimilarityDepth2->setValue(role);
        window.btnDepth->click();
    }
    // "<role>:<action>" and "<role>_<action>" of the node, each the label of
    // its ancestor on that level in the hierarchy file (0: its own).
    std::string Expected(const TNode& node, int action, int role, const char* between) const
    {
        const TNodeConcepts* data = node.Data();
        if (!data || !data->role || !data->action)
            return "(no role and action)";
        return roles.Named(data->role->GetId(), role) + between + actions.Named(data->action->GetId(), action);
    }
    // Every node of the window named at those depths; the number named at a
    // depth that cuts its name (so that the check says something).
    int ExpectNamedAt(const TMDIActionChild& window, int action, int role) const
    {
        int cut = 0;
        for (int i = 0; i < window.Graph->NodeCount(); ++i) {
            const TNode& node = *window.Graph->GetNode(i);
            const std::string want = Expected(node, action, role, ":");
            EXPECT_TRUE(node.GetName() == want || node.GetName() == want + "-END")
                << node.GetName() << ", not " << want;
            cut += want != Expected(node, 0, 0, ":") ? 1 : 0;
        }
        return cut;
    }
    hierarchytest::GmlPaths actions, roles;
    std::unique_ptr<RoboCupFileT> log;
    std::unique_ptr<TMDIActionChild> first, second;
    platform::DialogScript script;
};

}  // namespace

TEST_F(ActionChildDepth, AWindowNamesAtItsOwnDepthsWhateverAnotherRebuiltSince)
{
    const int action = 4, role = 5;
    Rebuild(*first, action, role);
    Rebuild(*second, 0, 0);
    EXPECT_GT(ExpectNamedAt(*first, action, role), 0);
    EXPECT_EQ(ExpectNamedAt(*second, 0, 0), 0);

    // A rebuild from the players list keeps the window's depths.
    first->lbPlayersDblClick();
    EXPECT_GT(ExpectNamedAt(*first, action, role), 0);
    EXPECT_EQ(first->labelActionLevel->text(), "4 action hierarchy levels");
    EXPECT_EQ(first->labelRoleLevel->text(), "5 role hierarchy levels");

    // The class values of its datasets.
    std::vector<int> cycles, classes, marked;
    std::vector<std::string> names;
    first->MarkCycles(0, cycles, names, classes, marked, 0.0);
    ASSERT_GT(names.size(), 10u);
    for (const std::string& name : names) {
        const int index = std::stoi(name.substr(name.rfind('_') + 1));
        ASSERT_LT(index, first->Graph->NodeCount()) << name;
        EXPECT_EQ(name, Expected(*first->Graph->GetNode(index), action, role, "_") + "_" + std::to_string(index));
    }

    // The roles of its Apriori data: each player's item begins with his
    // role at the cycle, at the window's role depth.
    const std::string file = MakeTempDir("action-child-depth") + "/roles.dat";
    ASSERT_TRUE(first->SaveAssocData(QString::fromStdString(file), 0, 0.0, cycles, classes, names, nullptr, nullptr,
                                     true));
    std::istringstream lines(ReadBytes(file));
    int roled = 0;
    std::size_t row = 0;
    for (std::string line; row < cycles.size() && std::getline(lines, line); ++row) {
        std::istringstream items(line);
        for (std::string item; items >> item;) {
            const std::size_t at = std::min(item.find(":Lplayer"), item.find(":Rplayer"));
            if (at == std::string::npos)
                continue;
            const int o = std::stoi(item.substr(at + 8)) + (item[at + 1] == 'R' ? 11 : 0);
            const ConceptObject* held = RoleAt(*log, o, cycles[row]);
            EXPECT_EQ(item.substr(0, at), held ? roles.Named(held->GetId(), role) : ObjectName(o)) << item;
            roled += held ? 1 : 0;
        }
    }
    EXPECT_GT(roled, 100);

    // Its paths name their nodes at its depths.
    std::set<std::string> named;
    for (int i = 0; i < first->Graph->NodeCount(); ++i)
        named.insert(Expected(*first->Graph->GetNode(i), action, role, ":"));
    first->cbPathFunc->setCurrentIndex(0);
    first->FindPaths(first->Graph, 1, first->Paths);
    ASSERT_GT(first->cbPaths->count(), 2);
    for (int i = 1; i < first->cbPaths->count(); ++i) {
        std::istringstream pieces(first->cbPaths->itemText(i).toStdString());
        std::string piece;
        pieces >> piece >> piece;  // the value and the length
        while (pieces >> piece)
            EXPECT_TRUE(named.count(piece)) << piece;
    }

    // A join names the merged nodes at the window's depths too.
    const int nodes = first->Graph->NodeCount();
    first->EditAttrW->setText("0");
    first->EditRoleW->setText("1");
    first->EditActionW->setText("1");
    first->EditValue->setText("0.3");
    ASSERT_EQ(first->BtnJoinNearestClick(), TMDIActionChild::TJoinEnd::Done);
    EXPECT_LT(first->Graph->NodeCount(), nodes);
    EXPECT_GT(ExpectNamedAt(*first, action, role), 0);
}

TEST_F(ActionChildDepth, ANewWindowNamesAsItsBarsSay)
{
    Rebuild(*first, 0, 4);
    EXPECT_GT(ExpectNamedAt(*first, 0, 4), 0);
    const std::unique_ptr<TMDIActionChild> fresh = Open();
    EXPECT_EQ(fresh->labelActionLevel->text(), "All action hierarchy levels");
    EXPECT_EQ(fresh->labelRoleLevel->text(), "All role hierarchy levels");
    EXPECT_GT(fresh->Graph->NodeCount(), 10);
    EXPECT_EQ(ExpectNamedAt(*fresh, 0, 0), 0);
    // The window that was there already keeps the names it had.
    EXPECT_EQ(ExpectNamedAt(*second, 0, 0), 0);
}
