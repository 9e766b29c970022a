// The data window's table of channel values, kept in a CellTable (the layout
// that core/io/DataExport.h describes and its writers read): row 0 the channel's
// name with one name component per line, rows 1-3 its minimum, maximum and type
// word, row 4 + c the value at cycle c; column 0 labels rows 1-3 and numbers the
// cycles, columns 1 .. last hold one channel each, in the order of adding.
#pragma once

#include "core/model/CellTable.h"

#include <string>
#include <vector>

class TimeChannel;

namespace datagrid {

// The empty table: 5 rows, 1 column, "min", "max" and "type" in column 0 of rows 1-3.
void InitDataGrid(CellTable& grid);
// cycles + 4 rows; column 0 of row 4 + c holds c.
void SetCycleRows(CellTable& grid, int cycles);
// One new column per channel, in order (a channel given twice gets two): the
// full name with "." as "\r\n", min and max, the type word and every value the
// channel holds. "double": min, max and values rounded to 8 significant digits
// with 4 decimals; "char" and "short": min and max as integers, values in the
// general 15-digit form; "long": no min and max, values as "char".
void AddChannelColumns(CellTable& grid, const std::vector<TimeChannel*>& channels);
// Fills the existing column col as AddChannelColumns fills a new one, over
// what it held; false when the channel holds no values of those types.
bool FillChannelColumn(CellTable& grid, int col, TimeChannel* channel);
// The same with one row per cycle given, row 4 + i holding the value at
// cycles[i] (empty for a cycle the channel does not reach); rows 1 and 2 hold
// the least and the greatest of these values that are numbers, "long" too.
bool FillChannelCycles(CellTable& grid, int col, TimeChannel* channel, const std::vector<int>& cycles);
// The full name with every "." as "\r\n": a column's name, one part a line.
std::string StackedName(const std::string& fullName);

}  // namespace datagrid
