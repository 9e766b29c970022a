#include "ui/ChildUsageWin.h"

#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"
#include "core/model/TimeMarks.h"
#include "platform/qt/Dialogs.h"
#include "ui/FlowLayout.h"
#include "ui/FormControls.h"
#include "ui/MarksLink.h"
#include "ui/StringGrid.h"
#include "ui/waitFormWin.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <utility>

namespace {

constexpr int kPanelHeight = 77;

QPushButton* Button(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

QLineEdit* Edit(QWidget* parent, const char* name, const QString& text)
{
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(name);
    e->setFixedWidth(36);
    return e;
}

// The number a statistics cell holds; false for a text that is none.
bool CellNumber(const std::string& text, double* value)
{
    const char* first = text.data();
    const char* last = first + text.size();
    while (first < last && *first == ' ')
        ++first;
    const auto r = std::from_chars(first, last, *value);
    return r.ec == std::errc() && r.ptr == last && first < last;
}

}  // namespace

TMDIUsageChild::TMDIUsageChild(QMdiArea* area, RoboCupFileT* log) : TMDIChild(area, log)
{
    Kind = ChildKind::Usage;
    BuildForm();
    connect(lbPlayers, &QListWidget::itemClicked, this, &TMDIUsageChild::lbPlayersClick);
    connect(btnUpdate, &QPushButton::clicked, this, &TMDIUsageChild::btnUpdateClick);
    connect(cbDynamicTimeRange, &QCheckBox::clicked, this, &TMDIUsageChild::cbDynamicTimeRangeClick);
    connect(sgConcepts, &TStringGrid::ColumnMoved, this, &TMDIUsageChild::sgConceptsColumnMoved);
    connect(btnGenerate, &QPushButton::clicked, this, &TMDIUsageChild::btnGenerateClick);
    connect(BtnShowMarks, &QPushButton::clicked, this, &TMDIUsageChild::BtnShowMarksClick);
    connect(BtnMarkSelected, &QPushButton::clicked, this, &TMDIUsageChild::BtnMarkSelectedClick);
    connect(BtnPasteRules, &QPushButton::clicked, this, &TMDIUsageChild::BtnPasteRulesClick);
    connect(btnSaveAssoc, &QPushButton::clicked, this, &TMDIUsageChild::btnSaveAssocClick);
    connect(PanelShowHide, &TClickStrip::clicked, this, &TMDIUsageChild::PanelShowHideClick);
    // "Update" is the window's default button: Return runs it.
    for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, &TMDIUsageChild::btnUpdateClick);
    }
    SelectAllPlayers(lbPlayers);
    lbPlayersClick();
    FitStatisticsColumns();
    // Large enough for both lists and every column of the table; placing the
    // window cuts it to the workspace.
    int tableWidth = 2 * sgConcepts->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4;
    for (int c = 0; c < sgConcepts->ColCount(); ++c)
        tableWidth += sgConcepts->ColWidth(c);
    const int handles = 2 * Splitter1->handleWidth();
    const int frame = 2 * style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this);
    const int lists = lbPlayers->minimumWidth() + lbConcepts->minimumWidth();
    // The lists keep their own widths, the table takes the rest.
    Splitter1->setSizes({lbPlayers->minimumWidth(), lbConcepts->minimumWidth(), tableWidth});
    resize(std::max(700, lists + handles + tableWidth + frame), 600);
}

void TMDIUsageChild::BuildForm()
{
    auto* content = new QWidget;
    auto* col = new QVBoxLayout(content);
    col->setContentsMargins(0, 0, 0, 0);
    col->setSpacing(0);
    ChartPanel = BuildPanel(content);
    col->addWidget(ChartPanel);

    Splitter2 = new QSplitter(Qt::Vertical, content);
    Splitter2->setObjectName("Splitter2");
    Splitter1 = new QSplitter(Qt::Horizontal, Splitter2);
    Splitter1->setObjectName("Splitter1");
    lbPlayers = NewPlayersList(Splitter1, 65);
    lbConcepts = new QListWidget(Splitter1);
    lbConcepts->setObjectName("lbConcepts");
    lbConcepts->setSelectionMode(QAbstractItemView::MultiSelection);
    lbConcepts->setFixedWidth(176);
    sgConcepts = new TStringGrid(Splitter1);
    sgConcepts->setObjectName("sgConcepts");
    sgConcepts->setToolTip("Concepts table, can be sorted by dragging a column into the leftmost position");
    sgConcepts->SetDefaultColWidth(82);
    sgConcepts->SetDefaultRowHeight(20);
    sgConcepts->setSelectionBehavior(QAbstractItemView::SelectRows);
    sgConcepts->SetColumnMoving(true);
    sgConcepts->OnDrawCell = [this](QPainter& p, const QRect& r, int c, int row, const TStringGrid::CellState&) {
        if (row == 0)  // inside the cell's border lines
            TStringGrid::DrawWrappedText(p, r.adjusted(0, 1, -1, -1), sgConcepts->CellText(c, 0),
                                         palette().color(QPalette::Button), palette().color(QPalette::ButtonText));
    };
    Splitter1->setStretchFactor(2, 1);
    MemoClusters = new QPlainTextEdit(Splitter2);
    MemoClusters->setObjectName("MemoClusters");
    MemoClusters->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoClusters->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoClusters->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Splitter2->setStretchFactor(0, 1);
    Splitter2->setSizes({300, 97});
    col->addWidget(Splitter2, 1);
    setWidget(content);
}

QWidget* TMDIUsageChild::BuildPanel(QWidget* parent)
{
    QWidget* panel = NewTimeRangePanel(parent, kPanelHeight, Qt::AlignTop);
    panel->setToolTip("Range = whole time range, Marks = only time marks, Clean = Range without time marks");
    auto* row = static_cast<QHBoxLayout*>(panel->layout());
    row->setContentsMargins(0, 2, 4, 2);
    PanelShowHide = new TClickStrip(panel);
    PanelShowHide->setObjectName("PanelShowHide");
    PanelShowHide->setToolTip("Show/hide panel");
    PanelShowHide->setFixedWidth(5);
    row->insertWidget(0, PanelShowHide);
    // The groups of controls go in further rows when the window is too narrow
    // for one.
    auto* controls = new TFlowLayout(nullptr, 6, 2);
    row->removeWidget(cbDynamicTimeRange);
    row->insertLayout(1, controls, 1);
    row->setStretch(row->count() - 1, 0);
    controls->addWidget(cbDynamicTimeRange);
    controls->setAlignment(cbDynamicTimeRange, Qt::AlignTop);

    auto* grid = new QGridLayout;
    grid->setSpacing(3);
    btnUpdate = Button(panel, "btnUpdate", "Update");
    grid->addWidget(btnUpdate, 1, 0);
    struct EditSpec {
        QLineEdit** edit;
        const char* name;
        const char* label;
        const char* text;
    };
    const EditSpec edits[] = {{&EditWindow, "EditWindow", "Window", "30"},
                              {&EditStep, "EditStep", "Step", "10"},
                              {&EditCut, "EditCut", "Cut at", "10"},
                              {&EditMaxDist, "EditMaxDist", "Max distance", "10"},
                              {&EditMaxClusters, "EditMaxClusters", "Max clusters", "10"},
                              {&EditMarkRatio, "EditMarkRatio", "Rule support %", "90"}};
    int c = 1;
    for (const EditSpec& e : edits) {
        grid->addWidget(new QLabel(e.label, panel), 0, c);
        *e.edit = Edit(panel, e.name, e.text);
        grid->addWidget(*e.edit, 1, c++);
    }
    controls->addLayout(grid);
    rgWindowType = new TRadioGroup(" Window type ", {"Left", "Center", "Right"}, 3, panel);
    rgWindowType->setObjectName("rgWindowType");
    rgWindowType->SetItemIndex(1);
    controls->addWidget(rgWindowType);
    auto* buttons = new QGridLayout;
    buttons->setSpacing(3);
    btnGenerate = Button(panel, "btnGenerate", "Cluster");
    BtnShowMarks = Button(panel, "BtnShowMarks", "Show marks");
    BtnMarkSelected = Button(panel, "BtnMarkSelected", "Mark rules");
    BtnPasteRules = Button(panel, "BtnPasteRules", "Paste rules");
    btnSaveAssoc = Button(panel, "btnSaveAssoc", "Save Assoc. Dataset");
    BtnGetRules = Button(panel, "BtnGetRules", "Get rules");
    buttons->addWidget(btnGenerate, 0, 0);
    buttons->addWidget(BtnShowMarks, 1, 0);
    buttons->addWidget(BtnMarkSelected, 0, 1);
    buttons->addWidget(BtnPasteRules, 1, 1);
    buttons->addWidget(btnSaveAssoc, 0, 2);
    buttons->addWidget(BtnGetRules, 1, 2);
    controls->addLayout(buttons);
    FitPanelToRows(panel, kPanelHeight);
    return panel;
}

void TMDIUsageChild::FitStatisticsColumns()
{
    // Room for the ratios' limits ("999.990", "-999.990") and counts of a long match.
    const int number = sgConcepts->TextWidth("-999.990");
    const std::vector<std::string>& headers = UsageHeaders();
    int height = sgConcepts->DefaultRowHeight();
    for (int c = 1; c < static_cast<int>(headers.size()); ++c) {
        const QString header = QString::fromStdString(headers[static_cast<std::size_t>(c)]);
        int width = number;
        for (const QString& word : header.split(' '))
            width = std::max(width, sgConcepts->TextWidth(word));
        width += 6;
        sgConcepts->SetColWidth(c, width);
        height = std::max(height, sgConcepts->WrappedTextSize(header, width - 1).height() + 4);
    }
    sgConcepts->SetRowHeight(0, height);
}

void TMDIUsageChild::SetTimeRange(int cycle, int start, int end)
{
    if (cycle == CurrentCycle && start == RangeStart && end == RangeEnd)
        return;
    CurrentCycle = cycle;
    RangeStart = start;
    RangeEnd = end;
    RefreshGrid();
    AfterTimeWindowChange();
}

void TMDIUsageChild::TimeWindowChanged()
{
    RefreshGrid();
    AfterTimeWindowChange();
}

void TMDIUsageChild::RefreshGrid() { FillConceptGrid(); }

void TMDIUsageChild::btnUpdateClick()
{
    RefreshGrid();
    AfterTimeWindowChange();
}

void TMDIUsageChild::cbDynamicTimeRangeClick()
{
    if (cbDynamicTimeRange->isChecked())
        btnUpdateClick();
}

void TMDIUsageChild::ClearConceptList()
{
    lbConcepts->clear();
    labelWidths_.clear();
    items_.clear();
}

void TMDIUsageChild::lbPlayersClick()
{
    std::array<bool, 23> objects{};
    for (int p = 0; p < 23 && p < lbPlayers->count(); ++p)
        objects[static_cast<std::size_t>(p)] = lbPlayers->item(p)->isSelected();
    lbConcepts->setUpdatesEnabled(false);
    ClearConceptList();
    if (File)
        items_ = BuildUsageItems(*File, objects, ProgramFeatureRoots());
    {
        const QSignalBlocker quiet(lbConcepts);
        labelWidths_.clear();
        for (const UsageItem& item : items_) {
            const QString label = QString::fromStdString(item.label);
            lbConcepts->addItem(label);
            // The list is narrower than most labels.
            lbConcepts->item(lbConcepts->count() - 1)->setToolTip(label);
            labelWidths_.push_back(sgConcepts->TextWidth(label));
        }
        lbConcepts->selectAll();
        lbConcepts->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    }
    lbConcepts->setUpdatesEnabled(true);
    RefreshGrid();
    AfterTimeWindowChange();
}

std::vector<int> TMDIUsageChild::SelectedItems() const
{
    std::vector<int> rows;
    for (int i = 0; i < lbConcepts->count(); ++i)
        if (lbConcepts->item(i)->isSelected())
            rows.push_back(i);
    return rows;
}

std::vector<int> TMDIUsageChild::Marks() const
{
    if (!g_timeMarks.marks || !File)
        return {};
    return MarksInLog(g_timeMarks.marks->Cycles(), File->cycles);
}

void TMDIUsageChild::FillConceptGrid()
{
    const std::vector<int> rows = SelectedItems();
    const std::vector<int> marks = Marks();
    counter_.Reset(File ? File->features.get() : nullptr);
    const std::size_t n = rows.size();
    CellTable& table = sgConcepts->Table();
    table = CellTable(12, static_cast<int>(n) + 1);
    const std::vector<std::string>& headers = UsageHeaders();
    for (int c = 0; c < 12; ++c)
        table.SetCell(c, 0, headers[static_cast<std::size_t>(c)]);
    // Counts and ratios stay numbers until a cell is shown: a time push costs
    // the counting, not thousands of texts nobody looks at.
    std::vector<std::int32_t> counts[3];
    std::vector<double> ratios[8];
    for (auto& v : counts)
        v.reserve(n);
    for (auto& v : ratios)
        v.reserve(n);
    int labelWidth = sgConcepts->ColWidth(0);
    for (std::size_t r = 0; r < n; ++r) {
        const int row = rows[r];
        const UsageItem& item = Item(row);
        const UsageStats s = ComputeUsage(counter_, item.feature, RangeStart, RangeEnd, marks);
        counts[0].push_back(s.rangeCount);
        counts[1].push_back(s.marksCount);
        counts[2].push_back(s.cleanCount);
        for (const auto& [i, v] : {std::pair{0, s.rangeRatio}, {1, s.marksRatio}, {2, s.cleanRatio},
                                   {3, s.rangeToMarks}, {4, s.cleanToMarks}, {5, s.rangeIndex}, {6, s.cleanIndex},
                                   {7, s.tfIdf}})
            ratios[i].push_back(v);
        table.SetCell(0, static_cast<int>(r) + 1, item.label);
        labelWidth = std::max(labelWidth, labelWidths_[static_cast<std::size_t>(row)] + 1);
    }
    const CellNumberFormat whole = CellNumberFormat::General15();
    const CellNumberFormat fixed = CellNumberFormat::FixedDigits(8, 3);
    table.Column(1).SetNumbers(1, std::move(counts[0]), whole);
    table.Column(3).SetNumbers(1, std::move(counts[1]), whole);
    table.Column(5).SetNumbers(1, std::move(counts[2]), whole);
    const int ratioColumns[8] = {2, 4, 6, 7, 8, 9, 10, 11};
    for (int i = 0; i < 8; ++i)
        table.Column(ratioColumns[i]).SetNumbers(1, std::move(ratios[i]), fixed);
    sgConcepts->SetFixedRows(1);
    sgConcepts->SetFixedCols(1);
    sgConcepts->Refresh();
    sgConcepts->SetColWidth(0, labelWidth);
    sgConcepts->SetCurrent(1, 1);
}

void TMDIUsageChild::sgConceptsColumnMoved(int from, int to)
{
    (void)from;
    if (to != 1)
        return;
    const int rows = sgConcepts->RowCount();
    std::vector<double> values;
    for (int r = 1; r < rows; ++r) {
        double v = 0;
        const std::string text = sgConcepts->Cell(1, r);
        // A column of texts that are no numbers ("1/0") is left as it is.
        if (!CellNumber(text, &v)) {
            platform::MessageBox(this, "'" + QString::fromStdString(text) + "' is not a valid floating point value",
                                 "Error");
            return;
        }
        values.push_back(v);
    }
    const WaitFormGuard wait("Sorting columns by '" + sgConcepts->CellText(1, 0) + "' ...");
    sgConcepts->PermuteRows(ExchangeSortDescending(values), 1);
}

void TMDIUsageChild::PanelShowHideClick()
{
    const bool unfolded =
        TogglePanelFold(static_cast<QBoxLayout*>(widget()->layout()), ChartPanel, kPanelHeight);
    for (QWidget* w : ChartPanel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w != PanelShowHide)
            w->setVisible(unfolded);
    lbPlayers->setVisible(unfolded);
    lbConcepts->setVisible(unfolded);
}
