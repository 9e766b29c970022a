#include "core/io/DataGrid.h"

#include "core/model/timestream.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <type_traits>

namespace datagrid {
namespace {

constexpr int kFirstDataRow = 4;

template <typename T>
bool AddTyped(CellTable& grid, int col, TimeChannel* channel, const std::vector<int>* cycles)
{
    auto* typed = dynamic_cast<DataTimeChannel<T>*>(channel);
    if (typed == nullptr)
        return false;
    // Values as the channel shows them now (through its averaging window), in
    // the channel's own element type: the windowed value of an integer channel
    // is a whole number of that type.
    const int count = typed->GetCount();
    const std::size_t n = cycles != nullptr ? cycles->size() : static_cast<std::size_t>(count);
    std::vector<T> values(n);
    std::vector<int> missing;
    bool any = false;
    T lo{};
    T hi{};
    for (std::size_t i = 0; i < n; ++i) {
        const int c = cycles != nullptr ? (*cycles)[i] : static_cast<int>(i);
        if (c < 0 || c >= count) {
            missing.push_back(kFirstDataRow + static_cast<int>(i));
            continue;
        }
        const T v = typed->Get(c);
        values[i] = v;
        // The extremes of the values as shown now (the channel's kept ones may
        // be of values since written over, or not averaged); a value that is
        // no number has no place among them.
        if constexpr (std::is_floating_point_v<T>) {
            if (std::isnan(v))
                continue;
        }
        lo = !any || v < lo ? v : lo;
        hi = !any || v > hi ? v : hi;
        any = true;
    }
    const CellNumberFormat format =
        std::is_same_v<T, double> ? CellNumberFormat::FixedDigits(8, 4) : CellNumberFormat::General15();
    CellColumn& column = grid.Column(col);
    column.SetNumbers(kFirstDataRow, std::move(values), format);
    for (int row : missing)
        column.SetText(row, "");
    // Without a number among the values the header says so ("NAN"), never
    // keeping one of an earlier filling; the whole channel of "long" (concept
    // identities) has no extremes worth showing.
    const bool none = cycles == nullptr && std::is_same_v<T, std::int32_t>;
    column.SetText(1, none ? std::string() : any ? format.Format(static_cast<double>(lo)) : std::string("NAN"));
    column.SetText(2, none ? std::string() : any ? format.Format(static_cast<double>(hi)) : std::string("NAN"));
    return true;
}

}  // namespace

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

namespace {

bool FillColumn(CellTable& grid, int col, TimeChannel* channel, const std::vector<int>* cycles)
{
    grid.SetCell(col, 0, StackedName(channel->GetFullName()));
    grid.SetCell(col, 3, channel->GetTypeName());
    return AddTyped<double>(grid, col, channel, cycles) || AddTyped<std::int8_t>(grid, col, channel, cycles) ||
           AddTyped<std::int16_t>(grid, col, channel, cycles) || AddTyped<std::int32_t>(grid, col, channel, cycles);
}

}  // namespace

bool FillChannelColumn(CellTable& grid, int col, TimeChannel* channel) { return FillColumn(grid, col, channel, nullptr); }

bool FillChannelCycles(CellTable& grid, int col, TimeChannel* channel, const std::vector<int>& cycles)
{
    return FillColumn(grid, col, channel, &cycles);
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
