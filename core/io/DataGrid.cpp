#include "core/io/DataGrid.h"

#include "core/model/timestream.h"

#include <cstdint>
#include <string>

namespace datagrid {
namespace {

constexpr int kFirstDataRow = 4;

template <typename T>
bool AddTyped(CellTable& grid, int col, TimeChannel* channel)
{
    auto* typed = dynamic_cast<DataTimeChannel<T>*>(channel);
    if (typed == nullptr)
        return false;
    // Values as the channel shows them now (through its averaging window), in
    // the channel's own element type: the windowed value of an integer channel
    // is a whole number of that type.
    const int n = typed->GetCount();
    std::vector<T> values(static_cast<std::size_t>(n));
    for (int c = 0; c < n; ++c)
        values[static_cast<std::size_t>(c)] = typed->Get(c);
    CellColumn& column = grid.Column(col);
    if constexpr (std::is_same_v<T, double>) {
        const CellNumberFormat fixed = CellNumberFormat::FixedDigits(8, 4);
        column.SetText(1, fixed.Format(typed->GetMin()));
        column.SetText(2, fixed.Format(typed->GetMax()));
        column.SetNumbers(kFirstDataRow, std::move(values), fixed);
    } else {
        if (!std::is_same_v<T, std::int32_t>) {
            column.SetText(1, std::to_string(static_cast<long long>(typed->GetMin())));
            column.SetText(2, std::to_string(static_cast<long long>(typed->GetMax())));
        }
        column.SetNumbers(kFirstDataRow, std::move(values), CellNumberFormat::General15());
    }
    return true;
}

std::string StackedName(const std::string& fullName)
{
    std::string out;
    for (char ch : fullName) {
        if (ch == '.')
            out += "\r\n";
        else
            out += ch;
    }
    return out;
}

}  // namespace

void InitDataGrid(CellTable& grid)
{
    grid = CellTable(1, 5);
    grid.SetCell(0, 1, "min");
    grid.SetCell(0, 2, "max");
    grid.SetCell(0, 3, "type");
}

void SetCycleRows(CellTable& grid, int cycles)
{
    if (cycles < 0)
        cycles = 0;
    grid.SetRowCount(cycles + kFirstDataRow);
    std::vector<std::int32_t> numbers(static_cast<std::size_t>(cycles));
    for (int c = 0; c < cycles; ++c)
        numbers[static_cast<std::size_t>(c)] = c;
    grid.Column(0).SetNumbers(kFirstDataRow, std::move(numbers), CellNumberFormat::General15());
}

bool FillChannelColumn(CellTable& grid, int col, TimeChannel* channel)
{
    grid.SetCell(col, 0, StackedName(channel->GetFullName()));
    grid.SetCell(col, 3, channel->GetTypeName());
    return AddTyped<double>(grid, col, channel) || AddTyped<std::int8_t>(grid, col, channel) ||
           AddTyped<std::int16_t>(grid, col, channel) || AddTyped<std::int32_t>(grid, col, channel);
}

void AddChannelColumns(CellTable& grid, const std::vector<TimeChannel*>& channels)
{
    for (TimeChannel* channel : channels) {
        const int col = grid.ColCount();
        grid.SetColCount(col + 1);
        FillChannelColumn(grid, col, channel);
    }
}

}  // namespace datagrid
