#include "ui/childDataWin.h"

#include "core/io/DataGrid.h"
#include "core/model/Common.h"
#include "core/model/Format.h"
#include "core/model/RoboCupFile.h"
#include "core/model/TimeMarks.h"
#include "core/model/timestream.h"
#include "platform/qt/Dialogs.h"
#include "ui/FlowLayout.h"
#include "ui/FormControls.h"
#include "ui/MarksLink.h"
#include "ui/StringGrid.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kPanelHeight = 46;
constexpr int kHeaderRows = 4;
const QColor kCream(255, 251, 240);

}  // namespace

TMDIDataChild::TMDIDataChild(QMdiArea* area, RoboCupFileT* log) : TMDIChild(area, log)
{
    Kind = ChildKind::Data;
    auto* content = new QWidget;
    auto* col = new QVBoxLayout(content);
    col->setContentsMargins(0, 0, 0, 0);
    col->setSpacing(0);

    ChartPanel = NewTimeRangePanel(content, kPanelHeight);
    auto* row = static_cast<QHBoxLayout*>(ChartPanel->layout());
    row->setContentsMargins(0, 0, 4, 0);
    PanelShowHide = new TClickStrip(ChartPanel);
    PanelShowHide->setObjectName("PanelShowHide");
    PanelShowHide->setFixedWidth(5);
    row->insertWidget(0, PanelShowHide);
    BtnSave = new QPushButton("Save Data", ChartPanel);
    BtnSave->setObjectName("BtnSave");
    rgUseMarks = new TRadioGroup("  When saving data:  ",
                                 {"First column as target class", "Marks as target class", "Marks as data filter"}, 3,
                                 ChartPanel);
    rgUseMarks->setObjectName("rgUseMarks");
    rgUseMarks->SetItemIndex(0);
    // A window too narrow for one row puts the options in a second one.
    auto* controls = new TFlowLayout(nullptr, 6, 2);
    row->removeWidget(cbDynamicTimeRange);
    row->insertLayout(1, controls, 1);
    row->setStretch(row->count() - 1, 0);
    for (QWidget* w : std::initializer_list<QWidget*>{cbDynamicTimeRange, BtnSave, rgUseMarks})
        controls->addWidget(w);
    FitPanelToRows(ChartPanel, kPanelHeight);
    col->addWidget(ChartPanel);

    dataGrid = new TStringGrid(content);
    dataGrid->setObjectName("dataGrid");
    QFont font("Courier New");
    font.setStyleHint(QFont::Monospace);
    font.setPointSize(8);
    dataGrid->setFont(font);
    dataGrid->SetDefaultColWidth(60);
    dataGrid->SetDefaultRowHeight(16);
    dataGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    dataGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    dataGrid->SetColumnMoving(true);
    dataGrid->OnDrawCell = [this](QPainter& p, const QRect& r, int c, int rw, const TStringGrid::CellState& s) {
        dataGridDrawCell(p, r, c, rw, s.fixed, s.selected);
    };
    col->addWidget(dataGrid, 1);
    setWidget(content);

    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName("PopupMenu");
    Deletecolumn1 = PopupMenu->addAction("Delete column", this, &TMDIDataChild::Deletecolumn1Click);
    Filter1 = PopupMenu->addAction("Filter", this, &TMDIDataChild::Filter1Click);
    Filter1->setCheckable(true);

    connect(PanelShowHide, &TClickStrip::clicked, this, &TMDIDataChild::PanelShowHideClick);
    connect(BtnSave, &QPushButton::clicked, this, &TMDIDataChild::BtnSaveClick);
    connect(dataGrid, &TStringGrid::MouseDown, this, &TMDIDataChild::dataGridMouseDown);
    connect(dataGrid, &TStringGrid::DoubleClicked, this, &TMDIDataChild::dataGridDblClick);
    // Marked rows follow the marks and the "Use Time Marks" box.
    if (g_timeMarks.useMarks)
        connect(g_timeMarks.useMarks, &QCheckBox::toggled, dataGrid->viewport(), qOverload<>(&QWidget::update));
    if (g_timeMarks.list) {
        QAbstractItemModel* marks = g_timeMarks.list->model();
        connect(marks, &QAbstractItemModel::modelReset, dataGrid->viewport(), qOverload<>(&QWidget::update));
        connect(marks, &QAbstractItemModel::dataChanged, dataGrid->viewport(), qOverload<>(&QWidget::update));
        connect(marks, &QAbstractItemModel::rowsInserted, dataGrid->viewport(), qOverload<>(&QWidget::update));
        connect(marks, &QAbstractItemModel::rowsRemoved, dataGrid->viewport(), qOverload<>(&QWidget::update));
    }
    FormCreate();
    resize(600, 400);
}

void TMDIDataChild::FormCreate()
{
    datagrid::InitDataGrid(dataGrid->Table());
    dataGrid->SetFixedRows(kHeaderRows);
    dataGrid->SetColWidth(0, 35);
    dataGrid->SetCurrent(0, kHeaderRows);
}

void TMDIDataChild::AddChannels(const std::vector<TimeChannel*>& channels)
{
    CellTable& table = dataGrid->Table();
    datagrid::SetCycleRows(table, File ? File->cycles : 0);
    const int first = table.ColCount();
    datagrid::AddChannelColumns(table, channels);
    for (std::size_t i = 0; i < channels.size(); ++i)
        FollowColumn(first + static_cast<int>(i), channels[i]->GetFullName(), datagrid::FillChannelColumn);
    dataGrid->Refresh();
    FitGrid();
    // The rows are new: the current cycle's row is shown now, not at the next
    // move of the time.
    SetTimeRange(CurrentCycle, 0, 0);
}

void TMDIDataChild::FollowColumn(int col, const std::string& fullName, ColumnFill fill)
{
    if (col < 1)
        return;
    if (sources_.size() <= static_cast<std::size_t>(col))
        sources_.resize(static_cast<std::size_t>(col) + 1);
    sources_[static_cast<std::size_t>(col)] = {fullName, std::move(fill)};
}

void TMDIDataChild::FollowChannels()
{
    // The channels are looked up by name, never kept: a removed channel is no
    // pointer to read through.
    TimeStream* stream = File != nullptr ? File->stream.get() : nullptr;
    const int last = std::min(static_cast<int>(sources_.size()), dataGrid->ColCount()) - 1;
    bool changed = false;
    for (int col = last; col >= 1; --col) {
        const ColumnSource& source = sources_[static_cast<std::size_t>(col)];
        if (source.fullName.empty())
            continue;
        TimeChannel* channel = stream != nullptr ? stream->FindChannel(source.fullName) : nullptr;
        if (channel == nullptr || !source.fill(dataGrid->Table(), col, channel)) {
            dataGrid->DeleteColumn(col);
            sources_.erase(sources_.begin() + col);
        }
        changed = true;
    }
    if (!changed)
        return;
    dataGrid->Refresh();
    FitGrid();
}

void TMDIDataChild::FitGrid()
{
    if (dataGrid->ColCount() > 1)
        dataGrid->SetFixedCols(1);
    if (dataGrid->RowCount() > kHeaderRows)
        dataGrid->SetFixedRows(kHeaderRows);
    const int width = dataGrid->DefaultColWidth();
    int h = dataGrid->DefaultRowHeight();
    for (int k = 1; k < dataGrid->ColCount(); ++k) {
        const QSize text = dataGrid->WrappedTextSize(dataGrid->CellText(k, 0), width);
        h = std::max(h, text.height() + 4);
        dataGrid->SetColWidth(k, std::max(width, text.width() + 5));
    }
    dataGrid->SetRowHeight(0, h);
    dataGrid->viewport()->update();
}

int TMDIDataChild::RowOfCycle(int cycle) const
{
    if (rowCycles_.empty())
        return cycle >= 0 && cycle + kHeaderRows < dataGrid->RowCount() ? cycle + kHeaderRows : -1;
    const auto at = std::find(rowCycles_.begin(), rowCycles_.end(), cycle);
    const int row = static_cast<int>(at - rowCycles_.begin()) + kHeaderRows;
    return at != rowCycles_.end() && row < dataGrid->RowCount() ? row : -1;
}

int TMDIDataChild::CycleOfRow(int row) const
{
    if (row < kHeaderRows || row >= dataGrid->RowCount())
        return -1;
    if (rowCycles_.empty())
        return row - kHeaderRows;
    const auto i = static_cast<std::size_t>(row - kHeaderRows);
    return i < rowCycles_.size() ? rowCycles_[i] : -1;
}

void TMDIDataChild::SetTimeRange(int cycle, int from, int to)
{
    (void)from;
    (void)to;
    CurrentCycle = cycle;
    const int row = RowOfCycle(cycle);
    if (row < 0)
        return;
    dataGrid->SetSelection(1, row, dataGrid->ColCount() - 1, row);
    dataGrid->SetCurrent(std::max(1, dataGrid->FixedCols()), row);
    dataGrid->SetTopRow(row);
}

void TMDIDataChild::TimeWindowChanged() { FitGrid(); }

void TMDIDataChild::dataGridDrawCell(QPainter& painter, const QRect& rect, int col, int row, bool fixed,
                                     bool selected)
{
    (void)col;
    const QString text = dataGrid->CellText(col, row);
    const bool useMarks = g_timeMarks.InUse();
    const QColor highlight = palette().color(QPalette::Highlight);
    if (row == 0) {
        if (useMarks)
            TStringGrid::DrawWrappedText(painter, rect, text, highlight, Qt::white);
        else
            TStringGrid::DrawWrappedText(painter, rect, text, palette().color(QPalette::Button),
                                         palette().color(QPalette::ButtonText));
    } else if (row < kHeaderRows) {
        TStringGrid::DrawWrappedText(painter, rect, text, kCream, Qt::black);
    } else if (useMarks && g_timeMarks.marks && g_timeMarks.marks->Contains(CycleOfRow(row))) {
        QFont bold = painter.font();
        bold.setBold(true);
        painter.setFont(bold);
        const QColor background = fixed      ? palette().color(QPalette::Button)
                                  : selected ? highlight
                                             : palette().color(QPalette::Base);
        TStringGrid::DrawWrappedText(painter, rect, text, background, selected ? QColor(Qt::white) : highlight);
    }
}

void TMDIDataChild::dataGridMouseDown(Qt::MouseButton button, int col, int row, QPoint globalPos)
{
    (void)row;
    // Outside every cell there is no column for the menu to act on.
    if (button != Qt::RightButton || col < 0)
        return;
    dataGrid->SetSelection(col, 1, col, dataGrid->RowCount() - 1);
    menuTag_ = col - 1;
    PopupMenu->popup(globalPos);
}

void TMDIDataChild::Deletecolumn1Click()
{
    const int col = menuTag_ + 1;
    // Column 0 numbers the cycles: double clicks and the exports rely on it.
    if (col < 1 || col >= dataGrid->ColCount())
        return;
    dataGrid->DeleteColumn(col);
    if (static_cast<std::size_t>(col) < sources_.size())
        sources_.erase(sources_.begin() + col);
    FitGrid();
}

void TMDIDataChild::Filter1Click()
{
    FilterEnabled = !FilterEnabled;
    Filter1->setChecked(FilterEnabled);
}

void TMDIDataChild::dataGridDblClick()
{
    const int row = dataGrid->Row();
    if (row < 0 || !g_timeMarks.marks)
        return;
    // Rows of chosen cycles number themselves in column 0: the mark is the row's cycle.
    if (!rowCycles_.empty()) {
        if (CycleOfRow(row) >= 0)
            g_timeMarks.marks->Add(CycleOfRow(row));
        return;
    }
    try {
        g_timeMarks.marks->Add(StrToIntTrim(dataGrid->Cell(0, row)));
    } catch (const EConvertError& e) {
        platform::MessageBox(this, QString::fromStdString(e.what()), "Error");
    }
}

void TMDIDataChild::PanelShowHideClick()
{
    const bool unfolded =
        TogglePanelFold(static_cast<QBoxLayout*>(widget()->layout()), ChartPanel, kPanelHeight);
    for (QWidget* w : ChartPanel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w != PanelShowHide)
            w->setVisible(unfolded);
}

void TMDIDataChild::closeEvent(QCloseEvent* event)
{
    showNormal();
    CurrentCycle = 0;
    TMDIChild::closeEvent(event);
}
