// A table of text cells, stored column by column and compactly: a column may
// hold a run of numbers (one per row from a first row on, in their own element
// type) that become text only when a cell is read, and the texts written into
// single cells, which win over the numbers of their rows. A data window of a
// whole match (thousands of rows times hundreds of columns) costs the numbers
// themselves, not millions of strings; the texts read back are the same as if
// every cell had been written as text.
//
// This is the storage behind the program's string grids (ui/StringGrid.h) and
// what the grid exports read (core/io/DataExport.h). It knows nothing of
// drawing; cell (col, row) addresses are counted from 0, the fixed rows and
// columns of a grid included.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

// How a column's numbers become text.
struct CellNumberFormat {
    enum Kind : std::uint8_t { General, Fixed };
    Kind kind = General;
    int precision = 15;  // significant digits
    int digits = 0;      // decimals of the fixed form

    // General with 15 digits: "0", "0.5", "16", "1E20" (FormatFloatGeneral).
    static CellNumberFormat General15() { return {}; }
    // Rounded to `precision` significant digits, written with exactly `digits`
    // decimals (FormatFloatFixed): 12.34567 with 8 and 4 is "12.3457".
    static CellNumberFormat FixedDigits(int precision, int digits) { return {Fixed, precision, digits}; }

    std::string Format(double value) const;
};

class CellColumn {
public:
    // The text of the cell: a text written into it, else its number, else "".
    std::string Text(int row) const;
    // Writes the text; it is kept as written, also over a number of the run.
    void SetText(int row, std::string text);
    // The numbers of rows firstRow, firstRow + 1, ... replace any earlier run;
    // texts written into those rows before are dropped.
    template <typename T>
    void SetNumbers(int firstRow, std::vector<T> values, CellNumberFormat format)
    {
        DropTexts(firstRow, firstRow + static_cast<int>(values.size()));
        firstRow_ = firstRow;
        format_ = format;
        numbers_ = std::move(values);
    }
    // Forgets everything at and below the row.
    void Truncate(int rowCount);
    // Exchanges the rows' contents (texts and numbers alike).
    void PermuteRows(const std::vector<int>& order, int firstRow);
    bool HasNumbers() const { return NumberCount() > 0; }
    int NumberCount() const;
    std::size_t TextCount() const { return texts_.size(); }

private:
    bool NumberAt(int row, double* value) const;
    void DropTexts(int from, int to);
    // Turns the numbers into written texts (for rare row moves).
    void NumbersToTexts();

    std::unordered_map<int, std::string> texts_;
    int firstRow_ = 0;
    CellNumberFormat format_;
    std::variant<std::monostate, std::vector<std::int8_t>, std::vector<std::int16_t>, std::vector<std::int32_t>,
                 std::vector<double>>
        numbers_;
};

class CellTable {
public:
    CellTable(int cols = 1, int rows = 1) : rows_(rows) { columns_.resize(static_cast<std::size_t>(cols)); }

    int RowCount() const { return rows_; }
    int ColCount() const { return static_cast<int>(columns_.size()); }
    // Shrinking forgets the cells beyond; growing adds empty ones. Counts below 0 are 0.
    void SetRowCount(int rows);
    void SetColCount(int cols);

    // "" outside the table.
    std::string Cell(int col, int row) const;
    // Ignored outside the table.
    void SetCell(int col, int row, std::string text);
    // The column for bulk filling (SetNumbers); col must lie inside the table.
    CellColumn& Column(int col) { return columns_.at(static_cast<std::size_t>(col)); }
    const CellColumn& Column(int col) const { return columns_.at(static_cast<std::size_t>(col)); }

    // Takes column `from` out and puts it in at index `to`, the columns between
    // shifting by one: what dragging a column does. Out-of-range indices do nothing.
    void MoveColumn(int from, int to);
    // Removes the column; the ones after it move left. Out of range: nothing.
    void DeleteColumn(int col);
    // Reorders rows first .. first + order.size() - 1: afterwards row first + i
    // holds what row first + order[i] held. order must be a permutation of 0..n-1.
    void PermuteRows(const std::vector<int>& order, int first);
    // Moves row `from` to index `to`, the rows between shifting by one.
    void MoveRow(int from, int to);

private:
    std::vector<CellColumn> columns_;
    int rows_;
};
