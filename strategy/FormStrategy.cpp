#include "strategy/FormStrategy.h"

#include "actiongraph/childActionWin.h"
#include "platform/Hooks.h"
#include "ui/Program.h"
#include "ui/FormControls.h"
#include "ui/StringGrid.h"

#include "core/concepts/Concepts.h"
#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"

#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

TFormStrategy* FormStrategy = nullptr;

TFormStrategy::TFormStrategy(QWidget* parent) : QDialog(parent)
{
    setObjectName("FormStrategy");
    setWindowTitle("Strategy");
    BuildForm();
    resize(1150, 598);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    connect(BtnStoreSimilar, &QPushButton::clicked, this, &TFormStrategy::BtnStoreSimilarClick);
    connect(BtnCopySimilar, &QPushButton::clicked, this, &TFormStrategy::BtnCopySimilarClick);
    connect(BtnCopyStrategies, &QPushButton::clicked, this, &TFormStrategy::BtnCopyStrategiesClick);
    connect(btnClear, &QPushButton::clicked, this, &TFormStrategy::btnClearClick);
    connect(BtnEvaluateRule, &QPushButton::clicked, this, &TFormStrategy::BtnEvaluateRuleClick);
    connect(BtnTestRules, &QPushButton::clicked, this, &TFormStrategy::BtnTestRulesClick);
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(rgFileType->Group(), &QButtonGroup::idClicked, this, [this](int) { rgFileTypeClick(); });
    connect(BtnCheckRules, &QPushButton::clicked, this, &TFormStrategy::BtnCheckRulesClick);
    connect(btnAllRules, &QPushButton::clicked, this, &TFormStrategy::btnAllRulesClick);
    connect(sgStrategy, &TStringGrid::MouseDown, this,
            [this](Qt::MouseButton button, int, int, QPoint) { sgStrategyMouseDown(button); });
}

TFormStrategy::~TFormStrategy()
{
    if (FormStrategy == this)
        FormStrategy = nullptr;
}

void TFormStrategy::Connect(TMDIActionChild* child)
{
    connect(child, &TMDIActionChild::Closing, this, &TFormStrategy::ForgetWindow, Qt::UniqueConnection);
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

void TFormStrategy::PanelHideClick()
{
    if (PanelRules->isHidden() || PanelRules->width() < 2) {
        PanelRules->show();
        resize(1070, height());
        PanelHideCaption->setText("<");
    } else {
        const int w = PanelRules->width();
        PanelRules->hide();
        resize(width() - w, height());
        PanelHideCaption->setText(">");
    }
}

void TFormStrategy::btnClearClick() { MemoRules->clear(); }

bool TFormStrategy::ShowStrategy(const TPathObject& path, TChunkList& out)
{
    if (!actionChild) {
        platform::Beep();
        return false;
    }
    TStrategyOptions options;
    bool ok = false;
    const double value = actionChild->EditValue->text().trimmed().toDouble(&ok);
    options.value = ok ? value : 0.0;
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

void RegisterStrategyWindow()
{
    SetStrategyWindowMaker([]() -> QWidget* {
        FormStrategy = new TFormStrategy;
        return FormStrategy;
    });
}
