#include "strategy/FormStrategy.h"

#include "actiongraph/childActionWin.h"
#include "platform/Hooks.h"
#include "ui/Program.h"
#include "ui/StringGrid.h"

#include <QLineEdit>
#include <QVBoxLayout>

TFormStrategy* FormStrategy = nullptr;

TFormStrategy::TFormStrategy(QWidget* parent) : QDialog(parent)
{
    setObjectName("FormStrategy");
    setWindowTitle("Strategy");
    resize(1150, 598);
    auto* layout = new QVBoxLayout(this);
    sgStrategy = new TStringGrid(this);
    sgStrategy->setObjectName("sgStrategy");
    sgStrategy->SetDefaultColWidth(145);
    sgStrategy->SetDefaultRowHeight(16);
    sgStrategy->SetColCount(4);
    sgStrategy->SetRowCount(3);
    sgStrategy->SetFixedRows(0);
    layout->addWidget(sgStrategy);
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
    }
    if (child == testChild) {
        testChild = nullptr;
        testGraph = nullptr;
    }
}

void TFormStrategy::Attach(TMDIActionChild* child, tTest* batchTarget)
{
    actionChild = child;
    graph = child ? child->Graph : nullptr;
    target = batchTarget;
    if (child)
        Connect(child);
}

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
