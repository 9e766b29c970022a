// Labelled examples, rule coverage and time marks from the action graph, and
// the window as the strategy window's test graph.
#include "actiongraph/childActionWin.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/ExampleClasses.h"
#include "actiongraph/StrategyLink.h"
#include "core/model/RoboCupFile.h"
#include "platform/Hooks.h"
#include "platform/qt/Dialogs.h"
#include "ui/MainServices.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

void TMDIActionChild::ConnectClassHandlers()
{
    connect(BtnSetTest, &QPushButton::clicked, this, [this] { BtnSetTestClick(); });
    connect(BtnClearTest, &QPushButton::clicked, this, [this] { BtnClearTestClick(); });
    connect(BtnSaveNodeMarks, &QPushButton::clicked, this, [this] { BtnSaveNodeMarksClick(); });
    connect(btnSaveEdgesMark, &QPushButton::clicked, this, [this] { btnSaveEdgesMarkClick(); });
    connect(BtnSavePathMarks, &QPushButton::clicked, this, [this] { BtnSavePathMarksClick(); });
    ConnectAssocHandlers();
}

FeatureList* TMDIActionChild::Features() { return File ? File->features.get() : nullptr; }

int TMDIActionChild::NumCycles() const { return File ? File->cycles : 0; }

void TMDIActionChild::MarkCycles(int mode, std::vector<int>& instanceCycles, std::vector<std::string>& classNames,
                                 std::vector<int>& instanceClasses, std::vector<int>& markedCycles, double epsilon)
{
    TExampleLists lists;
    TMarkProblem problem = TMarkProblem::None;
    if (Graph)
        problem = MarkExampleCycles(*Graph, mode, SelectedNode, PathAt(cbPaths->currentIndex()), epsilon,
                                    [this](TNode* a, TNode* b) { return NodeDistance(a, b); }, Depths, lists);
    instanceCycles = std::move(lists.cycles);
    classNames = std::move(lists.classNames);
    instanceClasses = std::move(lists.classes);
    markedCycles = std::move(lists.marked);
    if (problem != TMarkProblem::None && tellMissing)
        platform::MessageBox(this, problem == TMarkProblem::NoNode ? "Select a node first!" : "Select a path first!",
                             "Warning !", platform::Buttons::Ok);
}

void TMDIActionChild::RuleCoverage(const std::string& rule, int conditions, std::vector<int>& counts,
                                   const std::vector<int>& instanceCycles, const std::vector<int>& instanceClasses,
                                   double& avgDepth)
{
    if (!File) {
        std::fill(counts.begin(), counts.end(), 0);
        return;
    }
    if (CountRuleCoverage(*File, Depths.role, rule, conditions, counts, instanceCycles, instanceClasses, &avgDepth) > 0)
        platform::Beep();  // once, however many examples the rule over-covers
}

void TMDIActionChild::DrawExampleCycles(const std::vector<int>& cycles, const std::vector<int>& classes,
                                        const std::vector<int>& marked, int jitter)
{
    DrawExampleCycles(cycles, classes, &marked, jitter);
}

void TMDIActionChild::BtnSetTestClick()
{
    if (TStrategyLink* link = StrategyLink())
        link->SetTestGraph(this);
}

void TMDIActionChild::BtnClearTestClick()
{
    if (TStrategyLink* link = StrategyLink())
        link->SetTestGraph(nullptr);
}

void TMDIActionChild::BtnSaveNodeMarksClick()
{
    IMainWindowServices* main = MainServices();
    if (main && Graph)
        main->AddTimeMarks(NodeMarkCycles(*Graph, SelectedNode, PathAt(cbPaths->currentIndex())));
}

void TMDIActionChild::btnSaveEdgesMarkClick()
{
    IMainWindowServices* main = MainServices();
    if (main && Graph)
        main->AddTimeMarks(EdgeMarkCycles(*Graph, EditFilter->text().toStdString()));
}

void TMDIActionChild::BtnSavePathMarksClick()
{
    const TPathObject* path = PathAt(cbPaths->currentIndex());
    if (!path) {
        platform::MessageBox(this, "Please select a path first !", "Warning", platform::Buttons::Ok);
        return;
    }
    if (IMainWindowServices* main = MainServices())
        main->AddTimeMarks(PathMarkCycles(*path));
}
