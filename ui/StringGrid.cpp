#include "ui/StringGrid.h"

#include <QAbstractButton>
#include <QAbstractTableModel>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

QString Displayed(const QString& text)
{
    QString t = text;
    t.replace("\r\n", "\n");
    return t;
}

}  // namespace

// The non-fixed cells as Qt sees them: row r, column c of the model is grid
// cell (c + FixedCols, r + FixedRows). Cells are formatted only when asked.
class TStringGridModel : public QAbstractTableModel {
public:
    explicit TStringGridModel(TStringGrid* grid) : QAbstractTableModel(grid), grid_(grid) {}

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : std::max(0, grid_->RowCount() - grid_->FixedRows());
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : std::max(0, grid_->ColCount() - grid_->FixedCols());
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        return grid_->CellText(index.column() + grid_->FixedCols(), index.row() + grid_->FixedRows());
    }
    QVariant headerData(int, Qt::Orientation, int) const override { return {}; }
    void Reset()
    {
        beginResetModel();
        endResetModel();
    }
    void CellChanged(const QModelIndex& index) { emit dataChanged(index, index); }

private:
    TStringGrid* grid_;
};

// Draws every cell through the grid, so that the hook sees fixed and scrolling cells alike.
class TStringGridDelegate : public QStyledItemDelegate {
public:
    explicit TStringGridDelegate(TStringGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        TStringGrid::CellState state;
        state.selected = option.state & QStyle::State_Selected;
        state.current = index == grid_->currentIndex();
        grid_->PaintCell(*painter, option.rect, index.column() + grid_->FixedCols(),
                         index.row() + grid_->FixedRows(), state);
    }

private:
    TStringGrid* grid_;
};

// A header that draws the fixed rows (horizontal) or fixed columns (vertical)
// of its sections and is exactly as high (wide) as they are.
class TGridHeader : public QHeaderView {
public:
    TGridHeader(Qt::Orientation o, TStringGrid* grid) : QHeaderView(o, grid), grid_(grid)
    {
        setSectionsClickable(false);
        setHighlightSections(false);
        setMinimumSectionSize(1);
        setSectionResizeMode(QHeaderView::Interactive);
    }
    QSize sizeHint() const override
    {
        const QSize s = QHeaderView::sizeHint();
        return orientation() == Qt::Horizontal ? QSize(s.width(), grid_->FixedRowsHeight())
                                               : QSize(grid_->FixedColsWidth(), s.height());
    }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logical) const override
    {
        painter->save();
        painter->setFont(grid_->font());
        TStringGrid::CellState state;
        state.fixed = true;
        if (orientation() == Qt::Horizontal) {
            const int col = logical + grid_->FixedCols();
            int y = rect.top();
            for (int r = 0; r < grid_->FixedRows(); ++r) {
                const int h = grid_->RowHeight(r);
                grid_->PaintCell(*painter, QRect(rect.left(), y, rect.width(), h), col, r, state);
                y += h;
            }
        } else {
            const int row = logical + grid_->FixedRows();
            int x = rect.left();
            for (int c = 0; c < grid_->FixedCols(); ++c) {
                const int w = grid_->ColWidth(c);
                grid_->PaintCell(*painter, QRect(x, rect.top(), w, rect.height()), c, row, state);
                x += w;
            }
        }
        painter->restore();
    }

private:
    TStringGrid* grid_;
};

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
        .boundingRect(QRect(0, 0, width, 100000), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, Displayed(text))
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

// ---- Current cell, selection, scrolling ---------------------------------------

QModelIndex TStringGrid::IndexOf(int col, int row) const
{
    return model_->index(row - fixedRows_, col - fixedCols_);
}

int TStringGrid::Row() const
{
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() + fixedRows_ : -1;
}

int TStringGrid::Col() const
{
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.column() + fixedCols_ : -1;
}

void TStringGrid::SetCurrent(int col, int row)
{
    const QModelIndex i = IndexOf(col, row);
    if (i.isValid())
        setCurrentIndex(i);
}

void TStringGrid::SetSelection(int left, int top, int right, int bottom)
{
    left = std::max(left, fixedCols_);
    top = std::max(top, fixedRows_);
    right = std::min(right, ColCount() - 1);
    bottom = std::min(bottom, RowCount() - 1);
    const QModelIndex tl = IndexOf(left, top);
    const QModelIndex br = IndexOf(right, bottom);
    if (!tl.isValid() || !br.isValid() || left > right || top > bottom) {
        selectionModel()->clearSelection();
        return;
    }
    selectionModel()->setCurrentIndex(tl, QItemSelectionModel::NoUpdate);
    selectionModel()->select(QItemSelection(tl, br), QItemSelectionModel::ClearAndSelect);
}

TStringGrid::GridRect TStringGrid::Selection() const
{
    GridRect r{-1, -1, -1, -1};
    const QItemSelection s = selectionModel()->selection();
    for (const QItemSelectionRange& range : s) {
        const int l = range.left() + fixedCols_, t = range.top() + fixedRows_;
        const int rr = range.right() + fixedCols_, b = range.bottom() + fixedRows_;
        if (r.left < 0) {
            r = {l, t, rr, b};
        } else {
            r = {std::min(r.left, l), std::min(r.top, t), std::max(r.right, rr), std::max(r.bottom, b)};
        }
    }
    return r;
}

bool TStringGrid::IsSelected(int col, int row) const
{
    const QModelIndex i = IndexOf(col, row);
    return i.isValid() && selectionModel()->isSelected(i);
}

int TStringGrid::TopRow() const
{
    const int r = rowAt(0);
    return r < 0 ? fixedRows_ : r + fixedRows_;
}

void TStringGrid::SetTopRow(int row)
{
    if (row < fixedRows_ || row >= RowCount())
        return;
    verticalScrollBar()->setValue(verticalScrollMode() == ScrollPerItem ? row - fixedRows_
                                                                         : rowViewportPosition(row - fixedRows_) +
                                                                               verticalOffset());
}

bool TStringGrid::MouseToCell(const QWidget* source, QPoint pos, int* col, int* row) const
{
    *col = -1;
    *row = -1;
    int c = -1;
    int r = -1;
    if (source == this)
        return MouseToCell(viewport(), viewport()->mapFrom(this, pos), col, row);
    if (source == viewport()) {
        const int vc = columnAt(pos.x());
        const int vr = rowAt(pos.y());
        if (vc >= 0 && vr >= 0) {
            c = vc + fixedCols_;
            r = vr + fixedRows_;
        }
    } else if (source == top_ || source == top_->viewport()) {
        const int logical = top_->logicalIndexAt(pos.x());
        for (int y = 0, i = 0; logical >= 0 && i < fixedRows_; y += RowHeight(i), ++i)
            if (pos.y() >= y && pos.y() < y + RowHeight(i)) {
                c = logical + fixedCols_;
                r = i;
            }
    } else if (source == left_ || source == left_->viewport()) {
        const int logical = left_->logicalIndexAt(pos.y());
        for (int x = 0, i = 0; logical >= 0 && i < fixedCols_; x += ColWidth(i), ++i)
            if (pos.x() >= x && pos.x() < x + ColWidth(i)) {
                c = i;
                r = logical + fixedRows_;
            }
    } else if (source == corner_) {
        for (int x = 0, i = 0; i < fixedCols_; x += ColWidth(i), ++i)
            if (pos.x() >= x && pos.x() < x + ColWidth(i))
                c = i;
        for (int y = 0, i = 0; i < fixedRows_; y += RowHeight(i), ++i)
            if (pos.y() >= y && pos.y() < y + RowHeight(i))
                r = i;
    }
    if (c < 0 || r < 0)
        return false;
    *col = c;
    *row = r;
    return true;
}

// ---- Events and drawing ------------------------------------------------------------

bool TStringGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == corner_ && event->type() == QEvent::Paint) {
        QPainter painter(corner_);
        painter.setFont(font());
        PaintCorner(painter);
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress &&
        (watched == corner_ || watched == top_->viewport() || watched == left_->viewport())) {
        auto* me = static_cast<QMouseEvent*>(event);
        int c = -1;
        int r = -1;
        const QWidget* source = watched == top_->viewport() ? top_ : watched == left_->viewport() ? left_ : corner_;
        MouseToCell(source, me->position().toPoint(), &c, &r);
        emit MouseDown(me->button(), c, r, me->globalPosition().toPoint());
        // Right clicks belong to the window's menu, not to the header.
        if (me->button() != Qt::LeftButton)
            return true;
    }
    return QTableView::eventFilter(watched, event);
}

void TStringGrid::mousePressEvent(QMouseEvent* event)
{
    int c = -1;
    int r = -1;
    MouseToCell(viewport(), event->position().toPoint(), &c, &r);
    // Only the left button moves the current cell; the others are the window's.
    if (event->button() == Qt::LeftButton)
        QTableView::mousePressEvent(event);
    emit MouseDown(event->button(), c, r, event->globalPosition().toPoint());
}

void TStringGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    emit DoubleClicked();
}

void TStringGrid::PaintCorner(QPainter& painter) const
{
    CellState state;
    state.fixed = true;
    int x = 0;
    for (int c = 0; c < fixedCols_; ++c) {
        int y = 0;
        for (int r = 0; r < fixedRows_; ++r) {
            PaintCell(painter, QRect(x, y, ColWidth(c), RowHeight(r)), c, r, state);
            y += RowHeight(r);
        }
        x += ColWidth(c);
    }
}

void TStringGrid::PaintCell(QPainter& painter, const QRect& rect, int col, int row, const CellState& state) const
{
    painter.save();
    painter.setClipRect(rect);
    const QPalette& pal = palette();
    QColor background = pal.color(QPalette::Base);
    QColor foreground = pal.color(QPalette::Text);
    if (state.fixed) {
        background = pal.color(QPalette::Button);
        foreground = pal.color(QPalette::ButtonText);
    } else if (state.selected) {
        background = pal.color(QPalette::Highlight);
        foreground = pal.color(QPalette::HighlightedText);
    }
    painter.fillRect(rect, background);
    painter.setPen(foreground);
    painter.drawText(rect.adjusted(2, 2, -2, -2), Qt::AlignLeft | Qt::AlignTop, Displayed(CellText(col, row)));
    if (state.fixed) {
        painter.setPen(pal.color(QPalette::Dark));
        painter.drawLine(rect.topRight(), rect.bottomRight());
        painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    }
    if (OnDrawCell)
        OnDrawCell(painter, rect, col, row, state);
    painter.restore();
}

void TStringGrid::DrawWrappedText(QPainter& painter, const QRect& rect, const QString& text, const QColor& background,
                                  const QColor& foreground)
{
    painter.fillRect(rect, background);
    painter.setPen(foreground);
    painter.drawText(rect, Qt::AlignTop | Qt::AlignHCenter | Qt::TextWordWrap, Displayed(text));
}
