// The program's string grid: a table of text cells with fixed (frozen) rows at
// the top and fixed columns at the left, sizable rows and columns, column moves
// that move the data, a cell-drawing hook and text measuring for fitting. The
// data window, the concept-usage window and the grids of the action graph and
// the strategy window all use it.
//
// Storage is a CellTable (core/model/CellTable.h): columns of numbers formatted
// only when a cell is shown, plus texts written into cells. The view asks only
// for the cells it shows, so a grid of a whole match scrolls without formatting
// anything off screen.
//
// How it is put together: a QTableView over the non-fixed cells. The fixed rows
// are drawn inside the horizontal header (one header section per column, the
// fixed rows stacked in it), the fixed columns inside the vertical header, and
// the fixed corner inside the view's corner button, so they stay in place while
// the rest scrolls, as a frozen area should. Every cell, fixed or not, is drawn
// by PaintCell: background and text first, then the OnDrawCell hook.
//
// Using it:
//   grid->SetColCount(3); grid->SetRowCount(10); grid->SetFixedRows(1);
//   grid->SetCell(1, 0, "name");                      // one cell (kept as written)
//   grid->Table().Column(1).SetNumbers(1, values, CellNumberFormat::General15());
//   grid->Refresh();                                   // after bulk edits of Table()
// Coordinates are (column, row) from 0 over the whole grid, fixed cells included.
#pragma once

#include "core/model/CellTable.h"

#include <QTableView>

#include <functional>
#include <map>
#include <string>
#include <vector>

class TStringGridModel;
class TGridHeader;

class TStringGrid : public QTableView {
    Q_OBJECT
public:
    explicit TStringGrid(QWidget* parent = nullptr);
    ~TStringGrid() override;

    // ---- Cells --------------------------------------------------------------
    int RowCount() const { return table_.RowCount(); }
    int ColCount() const { return table_.ColCount(); }
    void SetRowCount(int rows);
    void SetColCount(int cols);
    std::string Cell(int col, int row) const { return table_.Cell(col, row); }
    QString CellText(int col, int row) const { return QString::fromStdString(table_.Cell(col, row)); }
    void SetCell(int col, int row, const std::string& text);
    void SetCell(int col, int row, const QString& text) { SetCell(col, row, text.toStdString()); }
    // The storage, for bulk filling; call Refresh afterwards.
    CellTable& Table() { return table_; }
    const CellTable& Table() const { return table_; }
    // Shows whatever Table() holds now (counts, cells and moves included).
    void Refresh();

    // Column `from` is taken out and put in at `to` (data, width and all), as a
    // drag of its header does; emits ColumnMoved(from, to). The fixed columns stay.
    void MoveColumn(int from, int to);
    void DeleteColumn(int col);
    // Rows first .. first + n - 1 in the new order: row first + i gets old row first + order[i].
    void PermuteRows(const std::vector<int>& order, int first);

    // ---- Layout -------------------------------------------------------------
    int FixedRows() const { return fixedRows_; }
    int FixedCols() const { return fixedCols_; }
    // Clamped so that at least one row (column) stays scrollable, as the grid needs one.
    void SetFixedRows(int n);
    void SetFixedCols(int n);
    int DefaultColWidth() const { return defaultColWidth_; }
    int DefaultRowHeight() const { return defaultRowHeight_; }
    void SetDefaultColWidth(int w);
    void SetDefaultRowHeight(int h);
    int ColWidth(int col) const;
    int RowHeight(int row) const;
    void SetColWidth(int col, int w);
    void SetRowHeight(int row, int h);
    // Lets the user drag column headers to move columns (ColumnMoved follows).
    void SetColumnMoving(bool on);

    // The size of a text drawn in a box of the given width, centred and wrapped
    // at word breaks ("\r\n" and "\n" break lines), in the grid's font: what
    // fitting a header to its text measures.
    QSize WrappedTextSize(const QString& text, int width) const;
    // The width of the text on one line in the grid's font.
    int TextWidth(const QString& text) const;

    // ---- Current cell, selection, scrolling -----------------------------------
    // The current cell; -1 when there is none. Only non-fixed cells can be current.
    int Row() const;
    int Col() const;
    void SetCurrent(int col, int row);
    // Selects the rectangle of cells (fixed parts are left out); the old selection goes.
    void SetSelection(int left, int top, int right, int bottom);
    // Selected non-fixed cells as (col, row) rectangles: left, top, right, bottom.
    struct GridRect { int left, top, right, bottom; };
    GridRect Selection() const;
    bool IsSelected(int col, int row) const;
    int TopRow() const;
    // Scrolls so that the row is the first one below the fixed rows.
    void SetTopRow(int row);
    // The cell under a point of the given widget (the grid, its viewport or a
    // header); false and -1s outside every cell.
    bool MouseToCell(const QWidget* source, QPoint pos, int* col, int* row) const;

    // ---- Drawing --------------------------------------------------------------
    struct CellState {
        bool fixed = false;
        bool selected = false;
        bool current = false;
    };
    // Called after a cell's own drawing (background, text) with the painter
    // clipped to the cell: a window draws its own colours and texts over it.
    std::function<void(QPainter& painter, const QRect& rect, int col, int row, const CellState& state)> OnDrawCell;
    // Fills the rectangle and draws the text from the top, centred and wrapped
    // at word breaks: what the hooks of the program's windows draw.
    static void DrawWrappedText(QPainter& painter, const QRect& rect, const QString& text, const QColor& background,
                                const QColor& foreground);
    void PaintCell(QPainter& painter, const QRect& rect, int col, int row, const CellState& state) const;

signals:
    // A column was moved (by the user or MoveColumn), in grid coordinates.
    void ColumnMoved(int from, int to);
    // A mouse button was pressed over the grid: the cell (or -1s) and where, on screen.
    void MouseDown(Qt::MouseButton button, int col, int row, QPoint globalPos);
    // A double click anywhere on the grid; the current cell tells where.
    void DoubleClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    friend class TGridHeader;
    friend class TStringGridModel;
    void ApplySizes();
    void UpdateHeaders();
    void OnSectionMoved(int logical, int oldVisual, int newVisual);
    void OnSectionResized(bool columns, int logical, int newSize);
    int FixedRowsHeight() const;
    int FixedColsWidth() const;
    void PaintCorner(QPainter& painter) const;
    QModelIndex IndexOf(int col, int row) const;

    CellTable table_;
    TStringGridModel* model_;
    TGridHeader* top_;
    TGridHeader* left_;
    QWidget* corner_ = nullptr;
    int fixedRows_ = 0;
    int fixedCols_ = 0;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    std::vector<int> colWidths_;    // one per column
    std::map<int, int> rowHeights_;  // only rows sized away from the default
    bool applying_ = false;         // sizes are being pushed to the headers
};
