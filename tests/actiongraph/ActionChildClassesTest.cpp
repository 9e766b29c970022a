#include "actiongraph/childActionWin.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/ExampleClasses.h"
#include "actiongraph/model/GraphBuilder.h"
#include "actiongraph/model/NodeView.h"
#include "actiongraph/StrategyLink.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/load/LoadLog.h"
#include "core/learning/Features.h"
#include "core/model/Pitch.h"
#include "core/model/RoboCupFile.h"
#include "platform/qt/Dialogs.h"

#include "support/GuiApp.h"
#include "support/RecordingHooks.h"
#include "support/TestData.h"

#include <QComboBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using Ints = std::vector<int>;

class RecordingLink final : public TStrategyLink {
public:
    void Init(TMDIActionChild*, bool, tTest*) override {}
    void SetTestGraph(TMDIActionChild* child) override { tests.push_back(child); }
    void AppendMemo(const std::string&) override {}
    std::vector<TMDIActionChild*> tests;
};

// The short real match's graph in a window, its paths listed.
class ActionChildClasses : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGuiApp();
        {
            InTempDir hierarchies("action-child-classes");
            CreateConceptHierarchies();
        }
        log = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), true);
        window = std::make_unique<TMDIActionChild>(nullptr, log.get());
        TMDIChild::SelectAllPlayers(window->lbPlayers);
        window->BuildActionGraph(window->Graph);
        window->cbPathFunc->setCurrentIndex(0);
        window->FindPaths(window->Graph, 1, window->Paths);
    }
    void TearDown() override
    {
        window.reset();
        log.reset();
        FreeConceptHierarchies();
    }
    void Mark(int mode, double epsilon = 0.0)
    {
        window->MarkCycles(mode, cycles, names, classes, marked, epsilon);
    }
    Ints NodeCycles(TNode* node) const
    {
        Ints c;
        CollectNodeCycles(nullptr, node, c, true);
        return c;
    }

    std::unique_ptr<RoboCupFileT> log;
    std::unique_ptr<TMDIActionChild> window;
    platform::DialogScript script;
    Ints cycles{1};
    std::vector<std::string> names{"x"};
    Ints classes{1};
    Ints marked{1};
};

}  // namespace

TEST_F(ActionChildClasses, DataModesOnARealMatch)
{
    const TGraph& g = *window->Graph;
    ASSERT_GT(g.NodeCount(), 10);
    Mark(0);
    std::size_t all = 0;
    std::set<std::string> expected;
    for (int i = 0; i < g.NodeCount(); ++i) {
        const Ints c = NodeCycles(g.GetNode(i));
        all += c.size();
        if (!c.empty())
            expected.insert(NodeClassName(g, g.GetNode(i), {}));
    }
    EXPECT_EQ(cycles.size(), all);
    EXPECT_EQ(marked, cycles);
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), expected);
    EXPECT_EQ(names.size(), expected.size());  // each once
    EXPECT_TRUE(script.messages.empty());

    // The busiest node selected: its examples are the SELECTED ones.
    TNode* busiest = g.GetNode(0);
    for (int i = 0; i < g.NodeCount(); ++i)
        if (NodeCycles(g.GetNode(i)).size() > NodeCycles(busiest).size())
            busiest = g.GetNode(i);
    window->SelectNode(busiest);
    Mark(1);
    EXPECT_EQ(names, (std::vector<std::string>{"OTHER", "SELECTED"}));
    EXPECT_EQ(cycles.size(), all);
    EXPECT_EQ(std::count(classes.begin(), classes.end(), 1), static_cast<long>(NodeCycles(busiest).size()));
    EXPECT_EQ(marked, NodeCycles(busiest));
    Mark(4);
    EXPECT_EQ(cycles, NodeCycles(busiest));
    EXPECT_EQ(names, (std::vector<std::string>{NodeClassName(g, busiest, {})}));

    // Without a path the path modes say so; with one, path-only examples
    // are the marked examples of the path modes.
    Mark(5);
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "Select a path first!");
    EXPECT_EQ(script.messages[0].caption, "Warning !");
    EXPECT_TRUE(cycles.empty());
    ASSERT_GT(window->cbPaths->count(), 1);
    window->cbPaths->setCurrentIndex(1);
    Mark(5);
    const Ints pathOnly = cycles;
    EXPECT_FALSE(pathOnly.empty());
    Mark(6);
    EXPECT_EQ(marked, pathOnly);
    EXPECT_GE(cycles.size(), pathOnly.size());
    Mark(7);
    EXPECT_EQ(marked, pathOnly);
    EXPECT_EQ(script.messages.size(), 1u);

    window->SelectNode(nullptr);
    Mark(3);
    ASSERT_EQ(script.messages.size(), 2u);
    EXPECT_EQ(script.messages[1].text, "Select a node first!");
    Mark(0, 0.5);  // epsilon without a selected node marks nothing
    EXPECT_TRUE(marked.empty());
    EXPECT_EQ(cycles.size(), all);
}

TEST_F(ActionChildClasses, RuleCoverageBeepsOnceForManyOverCoveredExamples)
{
    Mark(0);
    // A rule naming every item of an example's set features covers it, and
    // with one condition fewer over-covers it and every example like it.
    const FeatureList& f = *log->features;
    std::size_t k = 0;
    int best = 0;
    for (std::size_t i = 0; i < cycles.size(); ++i) {
        int set = 0;
        for (int j = 0; j < f.GetNumFeatures(); ++j)
            set += f.GetBit(j, cycles[i]);
        if (set > best) {
            best = set;
            k = i;
        }
    }
    ASSERT_GT(best, 1);
    const int t = cycles[k];
    std::set<std::string> items;
    for (int j = 0; j < f.GetNumFeatures(); ++j)
        if (f.GetBit(j, t)) {
            const int o = f.GetObjectIndex(j);
            ConceptObject* role = o >= 0 ? RoleAt(*log, o, t) : nullptr;
            const std::string prefix = o < 0 ? "Team" : role ? ConceptObject::GetPathName(role) : ObjectName(o);
            items.insert(prefix + ":" + ConceptObject::GetPathName(f.GetGroupKey(j)));
        }
    std::string rule;
    for (const std::string& item : items)
        rule += item + " ";
    RecordingHooks hooks;
    Ints counts(names.size(), 0);
    double depth = 0.0;
    window->RuleCoverage(rule, best, counts, cycles, classes, depth);
    EXPECT_GE(counts[static_cast<std::size_t>(classes[k])], 1);
    EXPECT_GT(depth, 0.0);
    EXPECT_EQ(hooks.beeps, 0);
    window->RuleCoverage(rule, best - 1, counts, cycles, classes, depth);
    EXPECT_EQ(counts[static_cast<std::size_t>(classes[k])], 0);
    EXPECT_EQ(hooks.beeps, 1);
}

TEST_F(ActionChildClasses, SetAndClearTestGoThroughTheStrategyLink)
{
    window->BtnSetTest->click();  // no strategy window: nothing happens
    RecordingLink link;
    TStrategyLink* previous = StrategyLink();
    SetStrategyLink(&link);
    window->BtnSetTest->click();
    window->BtnClearTest->click();
    SetStrategyLink(previous);
    EXPECT_EQ(link.tests, (std::vector<TMDIActionChild*>{window.get(), nullptr}));
}
