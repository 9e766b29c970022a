// Similar strategies, the stored test strategy, the test graph and the filter
// of the strategy list. The comparisons themselves live in StrategySimilar.*;
// here the window supplies its lists, settings and attached windows.
#include "strategy/FormStrategy.h"

#include "strategy/model/StrategySimilar.h"

#include "actiongraph/childActionWin.h"
#include "core/model/Common.h"
#include "core/model/RoboCupFile.h"
#include "platform/Hooks.h"
#include "platform/qt/Dialogs.h"
#include "ui/waitFormWin.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

namespace {

const char* const kSelectStrategy = "Select a non-empty strategy !";

// The first item at or after from whose path holds, -1 if none.
template <class Test>
int FirstItem(const TPathList& items, int from, Test test)
{
    for (int i = std::max(from, 0); i < items.Count(); ++i) {
        if (items.Path(i) && test(*items.Path(i)))
            return i;
    }
    return -1;
}

}  // namespace

bool TFormStrategy::PathDistance(const TPathObject* a, const TPathObject* b, double t, bool avgMode, double& d)
{
    TMDIActionChild* child = actionChild;
    if (!child) {
        d = 0.0;
        return false;
    }
    return ::PathDistance(a, b, t, avgMode, d, [child](TNode* x, TNode* y) { return child->NodeDistance(x, y); });
}

int TFormStrategy::CountTargetChunks(const TChunkList& targetChunks, const TPathObject& path, const RoboCupFileT& log)
{
    return ::CountTargetChunks(StatesOfChunks(targetChunks), path, log, cbStrictTimes->isChecked());
}

bool TFormStrategy::MatchTestChunks(const TPathObject& path, const TChunkList& chunkList)
{
    if (!actionChild || !actionChild->File)
        return false;
    return ::MatchTestChunks(path, StatesPerChunk(chunkList), *actionChild->File);
}

void TFormStrategy::SetTestChunks(const TChunkList& source)
{
    DeleteChunks(testChunks);
    testChunks = CopyChunks(source);
}

void TFormStrategy::btnUpdateSimilarClick()
{
    similarItems.Clear();
    ShowList(lbSimilar, similarItems);
    if (!RequireAttached())
        return;
    const TPathPtr selected = SelectedPath();
    if (!selected) {
        platform::MessageBox(this, kSelectStrategy, "Warning !");
        return;
    }
    const bool useTest = cbUseTest->isChecked();
    if (useTest && !testChild) {
        platform::MessageBox(this, "Please assign test graph !", "Warning");
        return;
    }
    const TPathList& candidates = useTest ? testStrategies : pathItems;
    const RoboCupFileT* log = useTest ? testChild->File : actionChild->File;
    double t = 0.0;
    try {
        t = StrToFloatDot(EditThreshold->text().toStdString());
    } catch (const EConvertError& e) {
        platform::MessageBox(this, QString::fromStdString(e.what()), "Error");
        return;
    }
    const bool avgMode = cbAverageDist->isChecked();
    const WaitCommand wait("Finding similar strategies ...", WaitOver(), false);
    // The target's states once for all candidates.
    const TFieldStateSet targetStates = target ? StatesOfChunks(target->GetChunks()) : TFieldStateSet();
    std::vector<TPathItem> found;
    for (const TPathItem& item : candidates.Items()) {
        double d = 0.0;
        if (!item.path || !PathDistance(selected.get(), item.path.get(), t, avgMode, d))
            continue;
        const int count =
            target && log ? ::CountTargetChunks(targetStates, *item.path, *log, cbStrictTimes->isChecked()) : 0;
        found.push_back({SimilarLine(d, count, item.text), item.path});
    }
    similarItems.AddAll(std::move(found));
    ShowList(lbSimilar, similarItems);
    // The window's path list shares the similar paths: nothing is copied or freed twice.
    actionChild->SetPaths(similarItems, -1, false);
    lSimilarCount->setText("#" + QString::number(similarItems.Count()));
}

void TFormStrategy::lbSimilarClick()
{
    const TPathPtr path = SelectedSimilar();
    if (!path)
        return;
    if (cbUseTest->isChecked() && !testChild) {
        platform::MessageBox(this, "Please assign test graph !", "Warning");
        return;
    }
    TMDIActionChild* window = cbUseTest->isChecked() ? testChild : actionChild;
    if (!window) {
        RequireAttached();
        return;
    }
    TPathList one(false);
    one.Add("", path);
    window->SetPaths(one, 0, true);
}

void TFormStrategy::btnFindStartClick()
{
    if (lbPath->currentRow() < 0 && lbPath->count() > 0)
        lbPath->setCurrentRow(0);
    int start = 0;
    try {
        start = StrToIntTrim(EditStartCycle->text().toStdString());
    } catch (const EConvertError& e) {
        platform::MessageBox(this, QString::fromStdString(e.what()), "Error");
        return;
    }
    const WaitCommand wait("Finding the strategies starting at " + QString::number(start) + " ...", WaitOver(), false);
    const auto startsThere = [start](const TPathObject& path) { return StrategyStartsAt(path, start); };
    const int row = FirstItem(pathItems, lbPath->currentRow(), startsThere);
    if (row < 0)
        return;
    lbPath->setCurrentRow(row);
    btnUpdateSimilarClick();
    const int similar = FirstItem(similarItems, 0, startsThere);
    if (similar < 0)
        return;
    lbSimilar->setCurrentRow(similar);
    lbSimilarClick();
}

void TFormStrategy::btnStoreTestClick()
{
    const TPathPtr path = SelectedPath();
    if (!path) {
        platform::MessageBox(this, kSelectStrategy, "Warning !");
        return;
    }
    ShowStrategy(*path, testChunks);
}

void TFormStrategy::btnFindTestClick()
{
    lbPath->setCurrentRow(-1);
    if (!actionChild || !actionChild->File || testChunks.empty())
        return;  // a strategy has two nodes at least: nothing can match
    const WaitCommand wait("Finding the test strategy ...", WaitOver(), false);
    const std::vector<TFieldStateSet> states = StatesPerChunk(testChunks);
    const RoboCupFileT& log = *actionChild->File;
    const auto matches = [&](const TPathObject& path) { return ::MatchTestChunks(path, states, log); };
    int row = -1;
    for (int i = pathItems.Count() - 1; i >= 0 && row < 0; --i) {
        if (pathItems.Path(i) && matches(*pathItems.Path(i)))
            row = i;
    }
    if (row < 0)
        return;
    const TPathPtr path = pathItems.Path(row);  // held across the commands below
    lbPath->setCurrentRow(row);
    if (!ShowStrategy(*path, chunks))
        return;
    btnUpdateSimilarClick();
    const int similar = FirstItem(similarItems, 0, matches);
    if (similar < 0)
        return;
    lbSimilar->setCurrentRow(similar);
    lbSimilarClick();
}

void TFormStrategy::BtnEraseTestClick() { DeleteChunks(testChunks); }

void TFormStrategy::btnSetFilterClick()
{
    pathItems = FilterStrategies(allStrategies, EditFilter->text().toStdString());
    ShowList(lbPath, pathItems);
    lStrategyCount->setText("#" + QString::number(CountStrategies(pathItems)));
    lbPath->setCurrentRow(-1);
    if (pathItems.Count() > 0) {
        lbPath->setCurrentRow(0);
        const TPathPtr path = SelectedPath();
        if (actionChild) {
            lbPathClick();
            // The grid shows the strategy now selected, not the one shown before.
            if (path)
                ShowStrategy(*path, chunks);
        }
    }
}

void TFormStrategy::btnGenerateTestGraphClick()
{
    if (testChild) {
        testGraph = testChild->Graph;
        testChild->ClearPaths(testStrategies);
        testChild->FindPaths(testGraph, 1, testStrategies);
        return;
    }
    if (!RequireAttached())
        return;
    // The attached window's own graph is rebuilt from its log (its joins are
    // lost). Its paths went with the old graph, so the window is attached anew
    // to the paths of the new one: the test strategies are also its strategies.
    TMDIActionChild* child = actionChild;
    testGraph = child->Graph;
    child->BuildActionGraph(testGraph);
    child->ClearPaths(testStrategies);
    child->FindPaths(testGraph, 1, testStrategies);
    child->SetPaths(testStrategies, 0, true);
    Attach(child, target);
}

void TFormStrategy::btnClearTestClick()
{
    testGraph = nullptr;
    // The paths are shared: whoever else holds one keeps it.
    testStrategies.Clear();
    testStrategies.Add("All", nullptr);
}
