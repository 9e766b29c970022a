#include "strategy/FormStrategy.h"

#include "actiongraph/childActionWin.h"
#include "platform/Hooks.h"
#include "platform/PrivateFolder.h"
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
    learners.SetCommandEnd([this] { TellDatasetsKept(); });
}

void TFormStrategy::WarnIfNoPrivateFolder()
{
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
    attached(btnFindStart, &TFormStrategy::btnFindStartClick);
    attached(btnStoreTest, &TFormStrategy::btnStoreTestClick);
    attached(btnFindTest, &TFormStrategy::btnFindTestClick);
    click(BtnEraseTest, &TFormStrategy::BtnEraseTestClick);
    attached(btnSetFilter, &TFormStrategy::btnSetFilterClick);
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
    options.depths = actionChild->Depths;
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
