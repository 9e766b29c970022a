// The strategy window's form: the strategy and similar lists on the left, the
// feature groups, and the rules panel with its settings, the strategy grid and
// the output.
#include "strategy/FormStrategy.h"

#include "platform/PrivateFolder.h"
#include "ui/FormBuild.h"
#include "ui/FormControls.h"
#include "ui/StringGrid.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

#include <qcustomplot.h>

#include <filesystem>

namespace {

TRadioGroup* Radio(QWidget* parent, const char* name, const QString& caption, const QStringList& items, int chosen)
{
    auto* g = new TRadioGroup(caption, items, 1, parent);
    g->setObjectName(name);
    g->SetItemIndex(chosen);
    return g;
}

QLineEdit* Edit(QWidget* parent, const char* name, const QString& text)
{
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(name);
    return e;
}

QLabel* Label(QWidget* parent, const QString& text)
{
    return new QLabel(text, parent);
}

// The learner's data file lies in the program's private folder, where no
// other user reads the datasets and results or plants a link; even when the
// folder cannot be had now (the window says so), as every learner run asks
// for it again.
QString DefaultDataFile()
{
    return QString::fromStdString((std::filesystem::path(platform::PrivateTempFolderName()) / "test.data").string());
}

}  // namespace

using form::Button;
using form::CheckBox;

void TFormStrategy::BuildForm()
{
    auto* top = new QHBoxLayout(this);
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);

    // Strategy list over similar list.
    auto* split = new QSplitter(Qt::Vertical, this);
    split->setFixedWidth(349);
    auto* strategies = new QWidget(split);
    auto* sl = new QGridLayout(strategies);
    sl->addWidget(Label(strategies, "Strategy list"), 0, 0);
    lStrategyCount = Label(strategies, "#0");
    lStrategyCount->setObjectName("lStrategyCount");
    sl->addWidget(lStrategyCount, 0, 1);
    BtnCopyStrategies = Button(strategies, "BtnCopyStrategies", "Copy");
    sl->addWidget(BtnCopyStrategies, 0, 2);
    lbPath = new QListWidget(strategies);
    lbPath->setObjectName("lbPath");
    sl->addWidget(lbPath, 1, 0, 1, 4);
    EditStartCycle = Edit(strategies, "EditStartCycle", "");
    btnFindStart = Button(strategies, "btnFindStart", "Find");
    btnStoreTest = Button(strategies, "btnStoreTest", "Store test");
    btnFindTest = Button(strategies, "btnFindTest", "Find test");
    sl->addWidget(EditStartCycle, 2, 0);
    sl->addWidget(btnFindStart, 2, 1);
    sl->addWidget(btnStoreTest, 2, 2);
    sl->addWidget(btnFindTest, 2, 3);
    BtnEraseTest = Button(strategies, "BtnEraseTest", "Clear test");
    EditFilter = Edit(strategies, "EditFilter", "");
    btnSetFilter = Button(strategies, "btnSetFilter", "Set Filter");
    btnAllRules = Button(strategies, "btnAllRules", "All Rules");
    sl->addWidget(BtnEraseTest, 3, 0);
    sl->addWidget(EditFilter, 3, 1);
    sl->addWidget(btnSetFilter, 3, 2);
    sl->addWidget(btnAllRules, 3, 3);

    auto* similar = new QWidget(split);
    auto* ml = new QGridLayout(similar);
    btnUpdateSimilar = Button(similar, "btnUpdateSimilar", "Similar strategies");
    lSimilarCount = Label(similar, "#0");
    lSimilarCount->setObjectName("lSimilarCount");
    BtnStoreSimilar = Button(similar, "BtnStoreSimilar", "Store");
    BtnCopySimilar = Button(similar, "BtnCopySimilar", "Copy");
    // The long caption takes the first two columns, so that the list's 349
    // pixels show it whole beside "Store" and "Copy".
    auto* head = new QHBoxLayout;
    head->addWidget(btnUpdateSimilar);
    head->addWidget(lSimilarCount);
    head->addStretch(1);
    ml->addLayout(head, 0, 0, 1, 2);
    ml->addWidget(BtnStoreSimilar, 0, 2);
    ml->addWidget(BtnCopySimilar, 0, 3);
    cbUseTest = CheckBox(similar, "cbUseTest", "Use test");
    cbAverageDist = CheckBox(similar, "cbAverageDist", "Avg. dist");
    EditThreshold = Edit(similar, "EditThreshold", "85");
    ml->addWidget(cbUseTest, 1, 0);
    ml->addWidget(cbAverageDist, 1, 1);
    ml->addWidget(EditThreshold, 1, 2);
    lbSimilar = new QListWidget(similar);
    lbSimilar->setObjectName("lbSimilar");
    ml->addWidget(lbSimilar, 2, 0, 1, 4);
    top->addWidget(split);

    PanelHide = new QWidget(this);
    PanelHide->setObjectName("PanelHide");
    PanelHide->setFixedWidth(6);
    PanelHide->setAutoFillBackground(true);
    PanelHide->setStyleSheet("background: black; color: white; font-weight: bold;");
    PanelHide->setCursor(Qt::PointingHandCursor);
    PanelHideCaption = new QLabel("<", PanelHide);
    top->addWidget(PanelHide);

    lbFeatures = new QListWidget(this);
    lbFeatures->setObjectName("lbFeatures");
    lbFeatures->setFixedWidth(135);
    lbFeatures->setSelectionMode(QAbstractItemView::ExtendedSelection);
    top->addWidget(lbFeatures);

    PanelRules = new QWidget(this);
    PanelRules->setObjectName("PanelRules");
    auto* rl = new QVBoxLayout(PanelRules);
    auto* settings = new QGridLayout;
    rl->addLayout(settings);
    BtnRules = Button(PanelRules, "BtnRules", "Display Data");
    BtnRules->setDefault(true);
    BtnSaveRules = Button(PanelRules, "BtnSaveRules", "Generate rules");
    BtnCheckRules = Button(PanelRules, "BtnCheckRules", "Check Rules");
    BtnWholeTestRules = Button(PanelRules, "BtnWholeTestRules", "Test whole");
    BtnTestRules = Button(PanelRules, "BtnTestRules", "Test rules");
    btnClear = Button(PanelRules, "btnClear", "Clear Output");
    BtnClose = Button(PanelRules, "BtnClose", "Close (Esc)");
    BtnBrowse = Button(PanelRules, "BtnBrowse", "Browse");
    BtnEvaluateRule = Button(PanelRules, "BtnEvaluateRule", "Evaluate rule");
    BtnBrowseResults = Button(PanelRules, "BtnBrowseResults", "Open results file");
    btnGenerateTestGraph = Button(PanelRules, "btnGenerateTestGraph", "Generate test");
    btnClearTest = Button(PanelRules, "btnClearTest", "Clear test");
    int col = 0;
    for (QPushButton* b : {BtnRules, BtnSaveRules, BtnCheckRules, BtnWholeTestRules, BtnTestRules, btnClear, BtnClose})
        settings->addWidget(b, 0, col++);
    col = 0;
    for (QPushButton* b : {BtnBrowse, BtnEvaluateRule, BtnBrowseResults, btnGenerateTestGraph, btnClearTest})
        settings->addWidget(b, 1, col++);

    cbComputerOutput = CheckBox(PanelRules, "cbComputerOutput", "Computer output");
    cbMinDiff = CheckBox(PanelRules, "cbMinDiff", "Min. diff.");
    cbNegativeRules = CheckBox(PanelRules, "cbNegativeRules", "Negative rules");
    cbNegativeRules->setTristate(true);
    cbStrictTimes = CheckBox(PanelRules, "cbStrictTimes", "Strict Times");
    cbStrictTimes->setChecked(true);
    cbNoLastNode = CheckBox(PanelRules, "cbNoLastNode", "No Last Node");
    cbNoLastNode->setChecked(true);
    cbVerbose = CheckBox(PanelRules, "cbVerbose", "Verbose");
    cbVerbose->setTristate(true);
    cbVerbose->setCheckState(Qt::Checked);
    cbTestAll = CheckBox(PanelRules, "cbTestAll", "Test all nodes");
    cbAllowDefaultNegative = CheckBox(PanelRules, "cbAllowDefaultNegative", "Allow default negative rules");
    cbHomeRules = CheckBox(PanelRules, "cbHomeRules", "Home rules");
    cbPruneRules = CheckBox(PanelRules, "cbPruneRules", "Prune");
    cbFirstSlipperRule = CheckBox(PanelRules, "cbFirstSlipperRule", "First Slipper Rule");
    col = 0;
    for (QCheckBox* c : {cbComputerOutput, cbMinDiff, cbNegativeRules, cbStrictTimes, cbNoLastNode, cbVerbose})
        settings->addWidget(c, 2, col++);
    col = 0;
    for (QCheckBox* c : {cbTestAll, cbAllowDefaultNegative, cbHomeRules, cbPruneRules, cbFirstSlipperRule})
        settings->addWidget(c, 3, col++);

    rgCopyClassData = Radio(PanelRules, "rgCopyClassData", "Copy class data:", {"None", "Positive", "Negative", "Both"}, 0);
    rgNegativeExamples =
        Radio(PanelRules, "rgNegativeExamples", " Negative Examples  ", {"Similar strat.", "Near nodes", "All nodes"}, 1);
    rgDuration = Radio(PanelRules, "rgDuration", " Duration ", {"First cycle", "Duration", "Visual dur."}, 0);
    rgFileType = Radio(PanelRules, "rgFileType", " File type ", {"Apriori", "Weka", "CN2", "Orange", "Slipper"}, 1);
    rgFeatureWeight = Radio(PanelRules, "rgFeatureWeight", " Feature Weighting ",
                            {"TF*IDF", "simple TF*IDF", "weighted TF*IDF", "Conf. && Diff."}, 1);
    // The framework's "&&" shows one ampersand; a radio button shows text as it is.
    rgFeatureWeight->Group()->button(3)->setText("Conf. & Diff.");
    auto* radios = new QHBoxLayout;
    for (TRadioGroup* g : {rgCopyClassData, rgNegativeExamples, rgDuration, rgFileType, rgFeatureWeight})
        radios->addWidget(g);
    rl->addLayout(radios);

    auto* edits = new QGridLayout;
    EditMinConf = Edit(PanelRules, "EditMinConf", "0");
    EditMinDiff = Edit(PanelRules, "EditMinDiff", "0");
    EditSampling = Edit(PanelRules, "EditSampling", "100");
    UpDownSampling = new QSpinBox(PanelRules);
    UpDownSampling->setObjectName("UpDownSampling");
    UpDownSampling->setRange(1, 100000);
    UpDownSampling->setValue(100);
    // The edit holds the text (a typed "0" stays); the arrows write into it.
    connect(UpDownSampling, &QSpinBox::valueChanged, this, [this](int v) { EditSampling->setText(QString::number(v)); });
    EditMinDist = Edit(PanelRules, "EditMinDist", "0");
    EditMaxDist = Edit(PanelRules, "EditMaxDist", "16");
    EditFName = Edit(PanelRules, "EditFName", DefaultDataFile());
    EditRule = Edit(PanelRules, "EditRule", "");
    EditParameterL = Edit(PanelRules, "EditParameterL", "1");
    EditNumFeatures = Edit(PanelRules, "EditNumFeatures", "5");
    edits->addWidget(Label(PanelRules, "Min. conf."), 0, 0);
    edits->addWidget(EditMinConf, 0, 1);
    edits->addWidget(EditMinDiff, 0, 2);
    edits->addWidget(EditSampling, 0, 3);
    edits->addWidget(UpDownSampling, 0, 4);
    edits->addWidget(Label(PanelRules, "Dist. range:"), 0, 5);
    edits->addWidget(EditMinDist, 0, 6);
    edits->addWidget(Label(PanelRules, "-"), 0, 7);
    edits->addWidget(EditMaxDist, 0, 8);
    edits->addWidget(EditFName, 1, 0, 1, 3);
    edits->addWidget(Label(PanelRules, "Rule"), 1, 3);
    edits->addWidget(EditRule, 1, 4, 1, 2);
    edits->addWidget(Label(PanelRules, "Param. L"), 1, 6);
    edits->addWidget(EditParameterL, 1, 7);
    edits->addWidget(Label(PanelRules, "Num. features in rule"), 1, 8);
    edits->addWidget(EditNumFeatures, 1, 9);
    rl->addLayout(edits);

    sgStrategy = new TStringGrid(PanelRules);
    sgStrategy->setObjectName("sgStrategy");
    sgStrategy->SetDefaultColWidth(145);
    sgStrategy->SetDefaultRowHeight(16);
    sgStrategy->SetColCount(4);
    sgStrategy->SetRowCount(3);
    sgStrategy->SetFixedRows(0);
    // Rows are 16 pixels high: the grid's text is the small Arial that fits them.
    QFont gridFont("Arial");
    gridFont.setPointSize(8);
    sgStrategy->setFont(gridFont);
    rl->addWidget(sgStrategy);

    PageRules = new QTabWidget(PanelRules);
    MemoRules = new QPlainTextEdit(PageRules);
    MemoRules->setObjectName("MemoRules");
    MemoRules->setLineWrapMode(QPlainTextEdit::NoWrap);
    PageRules->addTab(MemoRules, "Rules");
    ChartRules = new QCustomPlot(PageRules);
    ChartRules->setObjectName("ChartRules");
    for (QCPAxis* axis : {ChartRules->xAxis, ChartRules->yAxis}) {
        axis->setRange(-0.1, 1.1);
        auto ticker = QSharedPointer<QCPAxisTickerFixed>::create();
        ticker->setTickStep(0.1);
        axis->setTicker(ticker);
    }
    ChartRules->xAxis->setLabel("FP rate");
    ChartRules->yAxis->setLabel("TP rate");
    PageRules->addTab(ChartRules, "Graph");
    rl->addWidget(PageRules, 1);
    top->addWidget(PanelRules, 1);
}
