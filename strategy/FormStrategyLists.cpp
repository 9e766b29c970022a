// The window's attachment to an action-graph window and the lists of its
// paths: the strategies, the similar strategies and the test strategies, kept
// in step with the attached window's graph as it changes or closes.
#include "strategy/FormStrategy.h"

#include "strategy/model/StrategySimilar.h"

#include "actiongraph/childActionWin.h"
#include "platform/qt/Dialogs.h"
#include "ui/StringGrid.h"

#include "core/concepts/Concepts.h"
#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>

void TFormStrategy::Connect(TMDIActionChild* child)
{
    connect(child, &TMDIActionChild::Closing, this, &TFormStrategy::ForgetWindow, Qt::UniqueConnection);
    connect(child, &TMDIActionChild::PathsCleared, this, &TFormStrategy::PathsDropped, Qt::UniqueConnection);
    connect(child, &TMDIChild::FileForgotten, this, &TFormStrategy::LogRemoved, Qt::UniqueConnection);
}

void TFormStrategy::LogRemoved(TMDIChild* child)
{
    // Told before the window closes: no command between its close and its end
    // may find the window without its log, nor show a strategy of that log.
    if (child == nullptr)
        return;
    const bool attached = child == actionChild;
    if (attached || child == testChild)
        ForgetWindow(attached ? actionChild : testChild);
    if (attached)
        EmptyStrategy();
}

void TFormStrategy::EmptyStrategy()
{
    DeleteChunks(chunks);
    for (int c = 0; c < sgStrategy->ColCount(); ++c)
        for (int r = 0; r < sgStrategy->RowCount(); ++r)
            sgStrategy->SetCell(c, r, std::string());
    sgStrategy->SetColCount(4);
    lbFeatures->clear();
}

void TFormStrategy::PathsDropped(TMDIActionChild* child)
{
    // The child's graph is about to change: paths into it would soon point at
    // deleted connections. The windows stay attached.
    if (child == actionChild) {
        ++pathListsDropped;
        const bool testsHere = testGraph && testGraph == graph;
        // What the window is left with: "All" alone.
        TPathList cleared(false);
        cleared.Add("All", nullptr);
        windowPaths_.Keep(cleared, 0);
        pathItems.Clear();
        similarItems.Clear();
        allStrategies.Clear();
        ShowList(lbPath, pathItems);
        ShowList(lbSimilar, similarItems);
        lStrategyCount->setText("#0");
        lSimilarCount->setText("#0");
        if (testsHere) {
            testStrategies.Clear();
            testStrategies.Add("All", nullptr);
        }
    }
    if (child && child == testChild) {
        testStrategies.Clear();
        testStrategies.Add("All", nullptr);
    }
}

bool TFormStrategy::RequireAttached()
{
    if (actionChild)
        return true;
    platform::MessageBox(this, "No action graph attached", "Warning");
    return false;
}

TPathPtr TFormStrategy::SelectedPath() const
{
    const int row = lbPath->currentRow();
    return row >= 0 && row < pathItems.Count() ? pathItems.Path(row) : nullptr;
}

TPathPtr TFormStrategy::SelectedSimilar() const
{
    const int row = lbSimilar->currentRow();
    return row >= 0 && row < similarItems.Count() ? similarItems.Path(row) : nullptr;
}

void TFormStrategy::ForgetWindow(TMDIActionChild* child)
{
    // Chunks hold no pointer into the graph but concepts, which outlive it.
    if (child == actionChild) {
        actionChild = nullptr;
        graph = nullptr;
        ClearStrategyLists();
    }
    if (child == testChild) {
        testChild = nullptr;
        testGraph = nullptr;
        testStrategies.Clear();
    }
}

void TFormStrategy::ClearStrategyLists()
{
    windowPaths_.Forget();
    pathItems.Clear();
    similarItems.Clear();
    allStrategies.Clear();
    testStrategies.Clear();
    ShowList(lbPath, pathItems);
    ShowList(lbSimilar, similarItems);
    lStrategyCount->setText("#0");
    lSimilarCount->setText("#0");
}

void TFormStrategy::ShowList(QListWidget* box, const TPathList& items)
{
    box->clear();
    for (const TPathItem& item : items.Items())
        box->addItem(QString::fromStdString(item.text));
}

void TFormStrategy::Attach(TMDIActionChild* child, tTest* batchTarget)
{
    actionChild = child;
    graph = child ? child->Graph : nullptr;
    target = batchTarget;
    if (!child)
        return;
    Connect(child);
    if (attachedBefore_ && child != shownFor_) {
        EmptyStrategy();
        MemoRules->clear();
    }
    attachedBefore_ = true;
    shownFor_ = child;
    lbFeatures->clear();
    if (child->File && child->File->features) {
        std::vector<ConceptObject*> keys;
        child->File->features->GetGroupKeys(keys);
        QStringList names;
        for (ConceptObject* key : keys)
            names << QString::fromStdString(ConceptObject::GetPathName(key));
        names.sort(Qt::CaseInsensitive);
        lbFeatures->addItems(names);
        lbFeatures->selectAll();
    }
    allStrategies = TPathList(false);
    pathItems = TPathList(false);
    for (const TPathItem& item : child->Paths.Items()) {
        allStrategies.Add(item.text, item.path);
        pathItems.Add(item.text, item.path);
    }
    windowPaths_.Keep(child->Paths, child->cbPaths->currentIndex());
    ShowList(lbPath, pathItems);
    lbPath->setCurrentRow(child->cbPaths->currentIndex());
    similarItems.Clear();
    ShowList(lbSimilar, similarItems);
    lStrategyCount->setText("#" + QString::number(CountStrategies(pathItems)));
}

void TFormStrategy::BtnStoreSimilarClick()
{
    allStrategies = TPathList(false);
    for (const TPathItem& item : similarItems.Items())
        allStrategies.Add(item.text, item.path);
    allStrategies.Add("All", nullptr);
}

namespace {
QString Lines(const QListWidget* box)
{
    QString text;
    for (int i = 0; i < box->count(); ++i)
        text += box->item(i)->text() + "\n";
    return text;
}
}  // namespace

void TFormStrategy::BtnCopySimilarClick() { QGuiApplication::clipboard()->setText(Lines(lbSimilar)); }

void TFormStrategy::BtnCopyStrategiesClick() { QGuiApplication::clipboard()->setText(Lines(lbPath)); }
