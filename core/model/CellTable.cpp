#include "core/model/CellTable.h"

#include "core/model/Format.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <type_traits>

std::string CellNumberFormat::Format(double value) const
{
    if (kind == Fixed)
        return FormatFloatFixed(value, precision, digits);
    return FormatFloatGeneral(value, precision);
}

int CellColumn::NumberCount() const
{
    return std::visit(
        [](const auto& v) -> int {
            if constexpr (std::is_same_v<std::decay_t<decltype(v)>, std::monostate>)
                return 0;
            else
                return static_cast<int>(v.size());
        },
        numbers_);
}

bool CellColumn::NumberAt(int row, double* value) const
{
    const int i = row - firstRow_;
    if (i < 0)
        return false;
    return std::visit(
        [&](const auto& v) -> bool {
            if constexpr (std::is_same_v<std::decay_t<decltype(v)>, std::monostate>) {
                return false;
            } else {
                if (static_cast<std::size_t>(i) >= v.size())
                    return false;
                *value = static_cast<double>(v[static_cast<std::size_t>(i)]);
                return true;
            }
        },
        numbers_);
}

std::string CellColumn::Text(int row) const
{
    if (!texts_.empty()) {
        const auto it = texts_.find(row);
        if (it != texts_.end())
            return it->second;
    }
    double v = 0;
    if (!NumberAt(row, &v))
        return {};
    // Whole numbers of the integer runs skip the general formatter's digit work.
    if (format_.kind == CellNumberFormat::General && !std::holds_alternative<std::vector<double>>(numbers_))
        return std::to_string(static_cast<long long>(v));
    return format_.Format(v);
}

void CellColumn::SetText(int row, std::string text)
{
    texts_[row] = std::move(text);
}

void CellColumn::DropTexts(int from, int to)
{
    for (auto it = texts_.begin(); it != texts_.end();)
        it = (it->first >= from && it->first < to) ? texts_.erase(it) : std::next(it);
}

void CellColumn::Truncate(int rowCount)
{
    DropTexts(rowCount, std::numeric_limits<int>::max());
    const int keep = std::max(0, rowCount - firstRow_);
    std::visit(
        [&](auto& v) {
            if constexpr (!std::is_same_v<std::decay_t<decltype(v)>, std::monostate>) {
                if (v.size() > static_cast<std::size_t>(keep))
                    v.resize(static_cast<std::size_t>(keep));
            }
        },
        numbers_);
}

void CellColumn::NumbersToTexts()
{
    const int n = NumberCount();
    for (int i = 0; i < n; ++i) {
        const int row = firstRow_ + i;
        if (!texts_.count(row))
            texts_[row] = Text(row);
    }
    numbers_ = std::monostate{};
}

void CellColumn::PermuteRows(const std::vector<int>& order, int firstRow)
{
    const int n = static_cast<int>(order.size());
    if (HasNumbers() && firstRow < firstRow_ + NumberCount() && firstRow + n > firstRow_)
        NumbersToTexts();
    std::unordered_map<int, std::string> moved;
    for (int i = 0; i < n; ++i) {
        auto it = texts_.find(firstRow + order[static_cast<std::size_t>(i)]);
        if (it != texts_.end())
            moved[firstRow + i] = std::move(it->second);
    }
    DropTexts(firstRow, firstRow + n);
    for (auto& [row, text] : moved)
        texts_[row] = std::move(text);
}

void CellTable::SetRowCount(int rows)
{
    rows = std::max(0, rows);
    if (rows < rows_)
        for (CellColumn& c : columns_)
            c.Truncate(rows);
    rows_ = rows;
}

void CellTable::SetColCount(int cols)
{
    columns_.resize(static_cast<std::size_t>(std::max(0, cols)));
}

std::string CellTable::Cell(int col, int row) const
{
    if (col < 0 || col >= ColCount() || row < 0 || row >= rows_)
        return {};
    return columns_[static_cast<std::size_t>(col)].Text(row);
}

void CellTable::SetCell(int col, int row, std::string text)
{
    if (col < 0 || col >= ColCount() || row < 0 || row >= rows_)
        return;
    columns_[static_cast<std::size_t>(col)].SetText(row, std::move(text));
}

void CellTable::MoveColumn(int from, int to)
{
    const int n = ColCount();
    if (from < 0 || from >= n || to < 0 || to >= n || from == to)
        return;
    auto first = columns_.begin();
    if (from < to)
        std::rotate(first + from, first + from + 1, first + to + 1);
    else
        std::rotate(first + to, first + from, first + from + 1);
}

void CellTable::DeleteColumn(int col)
{
    if (col < 0 || col >= ColCount())
        return;
    columns_.erase(columns_.begin() + col);
}

void CellTable::PermuteRows(const std::vector<int>& order, int first)
{
    for (CellColumn& c : columns_)
        c.PermuteRows(order, first);
}

void CellTable::MoveRow(int from, int to)
{
    if (from < 0 || from >= rows_ || to < 0 || to >= rows_ || from == to)
        return;
    const int lo = std::min(from, to);
    std::vector<int> order(static_cast<std::size_t>(std::max(from, to) - lo + 1));
    std::iota(order.begin(), order.end(), 0);
    if (from < to)
        std::rotate(order.begin(), order.begin() + 1, order.end());
    else
        std::rotate(order.begin(), order.end() - 1, order.end());
    PermuteRows(order, lo);
}
