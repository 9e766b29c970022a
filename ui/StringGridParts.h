// The pieces of the string grid's view that its two source files share: the
// model over the non-fixed cells, the delegate that draws every cell through
// the grid, and the headers that draw the fixed rows and columns. Only
// StringGrid.cpp and StringGridView.cpp include this.
#pragma once

#include "ui/StringGrid.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>

// A cell text as drawn: "\r\n" line breaks as Qt's "\n".
inline QString GridDisplayText(const QString& text)
{
    QString t = text;
    t.replace("\r\n", "\n");
    return t;
}

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
