#include "ui/StringGrid.h"

#include "ui/StringGridParts.h"

#include <QAbstractButton>

#include <algorithm>

TStringGrid::TStringGrid(QWidget* parent)
    : QTableView(parent),
      model_(new TStringGridModel(this)),
      top_(new TGridHeader(Qt::Horizontal, this)),
      left_(new TGridHeader(Qt::Vertical, this))
{
    setHorizontalHeader(top_);
    setVerticalHeader(left_);
    setModel(model_);
    setItemDelegate(new TStringGridDelegate(this));
    setCornerButtonEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    corner_ = findChild<QAbstractButton*>();
    if (corner_)
        corner_->installEventFilter(this);
    top_->viewport()->installEventFilter(this);
    left_->viewport()->installEventFilter(this);
    connect(top_, &QHeaderView::sectionMoved, this, &TStringGrid::OnSectionMoved);
    connect(top_, &QHeaderView::sectionResized, this,
            [this](int logical, int, int size) { OnSectionResized(true, logical, size); });
    connect(left_, &QHeaderView::sectionResized, this,
            [this](int logical, int, int size) { OnSectionResized(false, logical, size); });
    table_.SetColCount(1);
    table_.SetRowCount(1);
    Refresh();
}

TStringGrid::~TStringGrid() = default;

// ---- Cells -------------------------------------------------------------------

void TStringGrid::SetRowCount(int rows)
{
    table_.SetRowCount(rows);
    Refresh();
}

void TStringGrid::SetColCount(int cols)
{
    table_.SetColCount(cols);
    Refresh();
}

void TStringGrid::SetCell(int col, int row, const std::string& text)
{
    table_.SetCell(col, row, text);
    if (col >= fixedCols_ && row >= fixedRows_)
        model_->CellChanged(IndexOf(col, row));
    else
        UpdateHeaders();
}

void TStringGrid::Refresh()
{
    // A grid keeps at least one scrolling row and column, as fixed parts need one.
    fixedRows_ = std::clamp(fixedRows_, 0, std::max(0, RowCount() - 1));
    fixedCols_ = std::clamp(fixedCols_, 0, std::max(0, ColCount() - 1));
    colWidths_.resize(static_cast<std::size_t>(ColCount()), defaultColWidth_);
    for (auto it = rowHeights_.begin(); it != rowHeights_.end();)
        it = it->first >= RowCount() ? rowHeights_.erase(it) : std::next(it);
    model_->Reset();
    ApplySizes();
    UpdateHeaders();
}

void TStringGrid::MoveColumn(int from, int to)
{
    if (from < fixedCols_ || to < fixedCols_ || from >= ColCount() || to >= ColCount() || from == to)
        return;
    table_.MoveColumn(from, to);
    const int w = colWidths_[static_cast<std::size_t>(from)];
    colWidths_.erase(colWidths_.begin() + from);
    colWidths_.insert(colWidths_.begin() + to, w);
    Refresh();
    emit ColumnMoved(from, to);
}

void TStringGrid::DeleteColumn(int col)
{
    if (col < 0 || col >= ColCount())
        return;
    table_.DeleteColumn(col);
    colWidths_.erase(colWidths_.begin() + col);
    Refresh();
}

void TStringGrid::PermuteRows(const std::vector<int>& order, int first)
{
    table_.PermuteRows(order, first);
    Refresh();
}

// ---- Layout --------------------------------------------------------------------

void TStringGrid::SetFixedRows(int n)
{
    fixedRows_ = n;
    Refresh();
}

void TStringGrid::SetFixedCols(int n)
{
    fixedCols_ = n;
    Refresh();
}

void TStringGrid::SetDefaultColWidth(int w)
{
    defaultColWidth_ = w;
    std::fill(colWidths_.begin(), colWidths_.end(), w);
    Refresh();
}

void TStringGrid::SetDefaultRowHeight(int h)
{
    defaultRowHeight_ = h;
    rowHeights_.clear();
    Refresh();
}

int TStringGrid::ColWidth(int col) const
{
    if (col < 0 || col >= static_cast<int>(colWidths_.size()))
        return defaultColWidth_;
    return colWidths_[static_cast<std::size_t>(col)];
}

int TStringGrid::RowHeight(int row) const
{
    const auto it = rowHeights_.find(row);
    return it == rowHeights_.end() ? defaultRowHeight_ : it->second;
}

void TStringGrid::SetColWidth(int col, int w)
{
    if (col < 0 || col >= ColCount())
        return;
    colWidths_[static_cast<std::size_t>(col)] = w;
    applying_ = true;
    if (col >= fixedCols_)
        top_->resizeSection(col - fixedCols_, w);
    applying_ = false;
    UpdateHeaders();
}

void TStringGrid::SetRowHeight(int row, int h)
{
    if (row < 0 || row >= RowCount())
        return;
    if (h == defaultRowHeight_)
        rowHeights_.erase(row);
    else
        rowHeights_[row] = h;
    applying_ = true;
    if (row >= fixedRows_)
        left_->resizeSection(row - fixedRows_, h);
    applying_ = false;
    UpdateHeaders();
}

void TStringGrid::SetColumnMoving(bool on)
{
    top_->setSectionsMovable(on);
}

QSize TStringGrid::WrappedTextSize(const QString& text, int width) const
{
    return fontMetrics()
        .boundingRect(QRect(0, 0, width, 100000), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, GridDisplayText(text))
        .size();
}

int TStringGrid::TextWidth(const QString& text) const
{
    return fontMetrics().horizontalAdvance(text);
}

void TStringGrid::ApplySizes()
{
    applying_ = true;
    top_->setDefaultSectionSize(defaultColWidth_);
    left_->setDefaultSectionSize(defaultRowHeight_);
    for (int c = fixedCols_; c < ColCount(); ++c)
        if (top_->sectionSize(c - fixedCols_) != ColWidth(c))
            top_->resizeSection(c - fixedCols_, ColWidth(c));
    for (const auto& [row, h] : rowHeights_)
        if (row >= fixedRows_)
            left_->resizeSection(row - fixedRows_, h);
    applying_ = false;
}

void TStringGrid::UpdateHeaders()
{
    top_->setVisible(fixedRows_ > 0);
    left_->setVisible(fixedCols_ > 0);
    updateGeometries();
    top_->viewport()->update();
    left_->viewport()->update();
    if (corner_)
        corner_->update();
    viewport()->update();
}

int TStringGrid::FixedRowsHeight() const
{
    int h = 0;
    for (int r = 0; r < fixedRows_; ++r)
        h += RowHeight(r);
    return h;
}

int TStringGrid::FixedColsWidth() const
{
    int w = 0;
    for (int c = 0; c < fixedCols_; ++c)
        w += ColWidth(c);
    return w;
}

void TStringGrid::OnSectionMoved(int logical, int oldVisual, int newVisual)
{
    (void)logical;
    if (applying_)
        return;
    // The header only shows where the user dropped the column; the data moves
    // instead and the header goes back to its plain order.
    applying_ = true;
    top_->moveSection(newVisual, oldVisual);
    applying_ = false;
    MoveColumn(oldVisual + fixedCols_, newVisual + fixedCols_);
}

void TStringGrid::OnSectionResized(bool columns, int logical, int size)
{
    if (applying_)
        return;
    if (columns) {
        const int col = logical + fixedCols_;
        if (col < ColCount())
            colWidths_[static_cast<std::size_t>(col)] = size;
    } else {
        const int row = logical + fixedRows_;
        if (size == defaultRowHeight_)
            rowHeights_.erase(row);
        else
            rowHeights_[row] = size;
    }
}
