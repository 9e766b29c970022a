// The string grid's current cell, selection, scrolling, mouse and drawing.
#include "ui/StringGrid.h"

#include "ui/StringGridParts.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

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
    painter.drawText(rect.adjusted(2, 2, -2, -2), Qt::AlignLeft | Qt::AlignTop, GridDisplayText(CellText(col, row)));
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
    painter.drawText(rect, Qt::AlignTop | Qt::AlignHCenter | Qt::TextWordWrap, GridDisplayText(text));
}
