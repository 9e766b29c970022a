#include "strategy/FormStrategy.h"

#include "actiongraph/childActionWin.h"
#include "platform/Hooks.h"
#include "platform/SaveFile.h"
#include "platform/qt/Dialogs.h"
#include "core/model/Common.h"
#include "ui/Program.h"
#include "ui/FormControls.h"
#include "ui/StringGrid.h"

#include "core/concepts/Concepts.h"
#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"

#include <QApplication>
#include <QEvent>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <algorithm>

TFormStrategy* FormStrategy = nullptr;

TFormStrategy::TFormStrategy(QWidget* parent) : QDialog(parent)
{
    setObjectName("FormStrategy");
    setWindowTitle("Strategy");
    // No minimise button: a minimised modal window leaves the program blocked
    // with nothing visible to close.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    BuildForm();
    resize(1150, 598);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    ConnectHandlers();
    // The default data file's folder, made now; when it cannot be had, the
    // user learns why here rather than at the first learner run.
    std::string refused;
    if (platform::PrivateTempFolder(&refused).empty())
        platform::MessageBox(this, "No private folder for the learner's files !", "Warning !", platform::Buttons::Ok,
                             QString::fromStdString(refused));
}

TFormStrategy::~TFormStrategy()
{
    if (FormStrategy == this)
        FormStrategy = nullptr;
    if (StrategyLink() == this)
        SetStrategyLink(nullptr);
}

void TFormStrategy::ConnectHandlers()
{
    // Every command of the window is bound here, once; the commands that need
    // an attached window warn at the button when there is none.
    auto click = [this](QPushButton* button, void (TFormStrategy::*handler)()) {
        connect(button, &QPushButton::clicked, this, handler);
    };
    auto attached = [this](QPushButton* button, void (TFormStrategy::*handler)()) {
        connect(button, &QPushButton::clicked, this, [this, handler] {
            if (RequireAttached())
                (this->*handler)();
        });
    };
    click(BtnStoreSimilar, &TFormStrategy::BtnStoreSimilarClick);
    click(BtnCopySimilar, &TFormStrategy::BtnCopySimilarClick);
    click(BtnCopyStrategies, &TFormStrategy::BtnCopyStrategiesClick);
    click(btnClear, &TFormStrategy::btnClearClick);
    click(BtnClose, &TFormStrategy::BtnCloseClick);
    click(BtnSaveRules, &TFormStrategy::BtnSaveRulesClick);
    connect(BtnRules, &QPushButton::clicked, this, [this] {
        if (RequireAttached())
            BtnRulesClick(BtnRules);
    });
    attached(BtnCheckRules, &TFormStrategy::BtnCheckRulesClick);
    attached(btnAllRules, &TFormStrategy::btnAllRulesClick);
    click(BtnWholeTestRules, &TFormStrategy::BtnWholeTestRulesClick);
    click(BtnTestRules, &TFormStrategy::BtnTestRulesClick);
    click(BtnEvaluateRule, &TFormStrategy::BtnEvaluateRuleClick);
    click(BtnBrowse, &TFormStrategy::BtnBrowseClick);
    click(BtnBrowseResults, &TFormStrategy::BtnBrowseResultsClick);
    click(btnUpdateSimilar, &TFormStrategy::btnUpdateSimilarClick);
    click(btnFindStart, &TFormStrategy::btnFindStartClick);
    click(btnStoreTest, &TFormStrategy::btnStoreTestClick);
    click(btnFindTest, &TFormStrategy::btnFindTestClick);
    click(BtnEraseTest, &TFormStrategy::BtnEraseTestClick);
    click(btnSetFilter, &TFormStrategy::btnSetFilterClick);
    click(btnGenerateTestGraph, &TFormStrategy::btnGenerateTestGraphClick);
    click(btnClearTest, &TFormStrategy::btnClearTestClick);
    connect(rgFileType->Group(), &QButtonGroup::idClicked, this, [this](int) { rgFileTypeClick(); });
    connect(lbPath, &QListWidget::itemClicked, this, [this] { lbPathClick(); });
    connect(lbPath, &QListWidget::itemDoubleClicked, this, [this] { lbPathDblClick(); });
    connect(lbSimilar, &QListWidget::itemClicked, this, [this] { lbSimilarClick(); });
    connect(lbSimilar, &QListWidget::itemDoubleClicked, this, [this] { lbSimilarDblClick(); });
    // The sweep starts once the press is over: run inside the press, it would
    // keep the mouse held by the grid, and no click would reach the wait
    // window's Cancel.
    connect(sgStrategy, &TStringGrid::MouseDown, this, [this](Qt::MouseButton button, int, int, QPoint) {
        QTimer::singleShot(0, this, [this, button] { sgStrategyMouseDown(button); });
    });
    connect(sgStrategy, &TStringGrid::DoubleClicked, this, &TFormStrategy::sgStrategyDblClick);
    PanelHide->installEventFilter(this);
}

void TFormStrategy::Connect(TMDIActionChild* child)
{
    connect(child, &TMDIActionChild::Closing, this, &TFormStrategy::ForgetWindow, Qt::UniqueConnection);
    connect(child, &TMDIActionChild::PathsCleared, this, &TFormStrategy::PathsDropped, Qt::UniqueConnection);
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
    lStrategyCount->setText("#" + QString::number(lbPath->count()));
}

void TFormStrategy::rgFileTypeClick()
{
    struct Type {
        const char* filter;
        const char* suffix;
    };
    static const Type types[] = {{"Apriori format (*.dat)", "dat"},
                                 {"Weka format (*.arff)", "arff"},
                                 {"CN2 (*.cn2)", "cn2"},
                                 {"Orange (*.tab)", "tab"},
                                 {"Slipper (*.data)", "data"}};
    const int i = rgFileType->ItemIndex();
    if (i < 0 || i >= 5)
        return;
    fileType = i;
    saveFilter = types[i].filter;
    saveSuffix = types[i].suffix;
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

void TFormStrategy::btnClearClick() { MemoRules->clear(); }

bool TFormStrategy::ShowStrategy(const TPathObject& path, TChunkList& out)
{
    if (!actionChild) {
        platform::Beep();
        return false;
    }
    TStrategyOptions options;
    options.duration = static_cast<TDurationMode>(std::clamp(rgDuration->ItemIndex(), 0, 2));
    options.strictTimes = cbStrictTimes->isChecked();
    try {
        options.value = StrToFloatDot(actionChild->EditValue->text().toStdString());
    } catch (const EConvertError& e) {
        // Before anything changes: the grid and the chunks stay as they were.
        platform::MessageBox(this, QString::fromStdString(e.what()), "Error");
        return false;
    }
    const std::vector<TStrategyColumn> columns = BuildStrategy(path, actionChild->File, options, out);
    sgStrategy->SetColCount(static_cast<int>(columns.size()) + 1);
    sgStrategy->SetColWidth(0, 64);
    for (int row = 0; row < 3; ++row)
        sgStrategy->SetCell(0, row, std::string(kStrategyRowNames[row]));
    for (std::size_t k = 0; k < columns.size(); ++k) {
        const int c = static_cast<int>(k) + 1;
        sgStrategy->SetCell(c, 0, columns[k].role);
        sgStrategy->SetCell(c, 1, columns[k].action);
        sgStrategy->SetCell(c, 2, columns[k].position);
    }
    return true;
}
