// The path list of the action-graph window: the search and scoring run in
// actiongraph/model/Paths.*; here the window supplies the path function and the log,
// and cbPaths shows the window's list.
#include "actiongraph/childActionWin.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/PathObject.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <QStringList>

void TMDIActionChild::ConnectPathHandlers()
{
    connect(cbPaths, &QComboBox::currentIndexChanged, this, [this] { cbPathsChange(); });
}

void TMDIActionChild::cbPathsChange()
{
    DrawGraph();
}

void TMDIActionChild::ShowPaths()
{
    if (!cbPaths)
        return;
    // Choosing an item redraws; rebuilding the list is no choice of the user's.
    const QSignalBlocker block(cbPaths);
    const TPathObject* chosen = PathAt(cbPaths->currentIndex());
    QStringList texts;
    texts.reserve(Paths.Count());
    for (const TPathItem& item : Paths.Items())
        texts.push_back(QString::fromStdString(item.text));
    cbPaths->clear();
    cbPaths->addItems(texts);
    for (int i = 0; i < Paths.Count(); ++i)
        cbPaths->setItemData(i, QVariant::fromValue(reinterpret_cast<quintptr>(Paths.Path(i).get())));
    const int at = Paths.IndexOfPath(chosen);
    cbPaths->setCurrentIndex(at >= 0 ? at : (Paths.Count() > 0 ? 0 : -1));
}

void TMDIActionChild::ClearPaths()
{
    emit PathsCleared(this);
    Paths.Clear();
    Paths.Add("All", nullptr);
    ShowPaths();
    if (cbPaths) {
        const QSignalBlocker block(cbPaths);
        cbPaths->setCurrentIndex(0);
    }
}

void TMDIActionChild::SetPaths(const TPathList& items, int chosen, bool redraw)
{
    Paths.Clear();
    for (const TPathItem& item : items.Items())
        Paths.Add(item.text, item.path);
    ShowPaths();
    if (cbPaths && chosen >= 0 && chosen < cbPaths->count()) {
        const QSignalBlocker block(cbPaths);
        cbPaths->setCurrentIndex(chosen);
    }
    if (redraw)
        cbPathsChange();
}

void TMDIActionChild::ClearPaths(TPathList& items)
{
    // Another list's paths may still be held elsewhere (shared); the window's
    // own choice is not touched by clearing another list.
    if (&items == &Paths) {
        ClearPaths();
        return;
    }
    items.Clear();
    items.Add("All", nullptr);
}

void TMDIActionChild::AddPath(const QString& text, TPathPtr path)
{
    Paths.Add(text.toStdString(), std::move(path));
    ShowPaths();
}

TPathObject* TMDIActionChild::PathAt(int item) const
{
    if (!cbPaths || item < 0 || item >= cbPaths->count())
        return nullptr;
    return reinterpret_cast<TPathObject*>(cbPaths->itemData(item).value<quintptr>());
}

TPathPtr TMDIActionChild::SharedPathAt(int item) const
{
    const TPathObject* path = PathAt(item);
    const int at = path ? Paths.IndexOfPath(path) : -1;
    return at >= 0 ? Paths.Path(at) : nullptr;
}

namespace {

// The window's scoring: its path function, its log and its depths for the texts.
TPathSearch SearchOf(const QComboBox* functions, const RoboCupFileT* log, const TNameDepths& depths)
{
    return TPathSearch(functions ? functions->currentIndex() : -1, log, depths);
}

}  // namespace

void TMDIActionChild::FindPaths(TGraph* graph, int minCount, TPathList& items)
{
    if (!graph)
        return;
    std::vector<TPathItem> found;
    SearchOf(cbPathFunc, File, Depths).FindPaths(*graph, minCount, found);
    items.AddAll(std::move(found));
    if (&items == &Paths)
        ShowPaths();
}

void TMDIActionChild::ExtendPath(TPathList& items, TNode* node, const std::vector<int>& times,
                                 const TPathObject& path, int k)
{
    std::vector<TPathItem> found;
    SearchOf(cbPathFunc, File, Depths).ExtendPath(node, times, path, k, found);
    items.AddAll(std::move(found));
    if (&items == &Paths)
        ShowPaths();
}

void TMDIActionChild::EvaluatePath(const TPathPtr& path, TPathList& items)
{
    std::vector<TPathItem> found;
    SearchOf(cbPathFunc, File, Depths).EvaluatePath(path, found);
    items.AddAll(std::move(found));
    if (&items == &Paths)
        ShowPaths();
}

void TMDIActionChild::AddAllPathsItem(TPathList& items)
{
    TPathItem all = AllPathsItem(items);
    items.Add(std::move(all.text), std::move(all.path));
    if (&items == &Paths)
        ShowPaths();
}
