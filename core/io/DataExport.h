// The data window's exports: its grid as plain text, raw text, a C4.5 dataset
// (".names" and ".data") or a Weka ARFF file. Each writer reads a CellTable laid
// out as the data window lays out its grid:
//   row 0     the column's name, one name component per line ("\r\n" between);
//   rows 1-3  its minimum, maximum and type word ("double", "char", "short", "long");
//   row 4 + c cycle c (column 0 holds c itself);
//   columns 1 .. last the data columns, in grid order; a value is the cell's text.
// Every line ends with CR LF. Marks are data rows, counted from row 4: those whose
// cycle the main window's time marks hold (in the data window, row 4 + c is cycle c).
#pragma once

#include "core/model/CellTable.h"

#include <ostream>
#include <string>
#include <unordered_set>

namespace dataexport {

// What the time marks do to a dataset (the data window's "When saving data" choice).
enum class MarkMode {
    FirstColumnTarget = 0,  // nothing; in C4.5 the first column is the target
    MarksAsTarget = 1,      // a true/false class first: is the row's cycle marked
    MarksAsFilter = 2,      // C4.5 data and ARFF keep only marked rows
};

// The marked data rows, counted from kFirstDataRow.
using MarkSet = std::unordered_set<int>;

// The first data row of a data-window grid.
inline constexpr int kFirstDataRow = 4;

// The three name forms of a column (row 0 "Ball\r\npossessor\r\nl_team"):
// dotted "Ball.possessor.l_team", escaped "Ball\.possessor\.l_team", joined
// "Ball_possessor_l_team".
std::string DottedName(const std::string& header);
std::string EscapedName(const std::string& header);
std::string JoinedName(const std::string& header);

// ".txt": per row "joined=value" joined by " ", with "REGION=true " / "REGION=false "
// in front for MarksAsTarget. Every row, whatever the mode.
void WriteText(std::ostream& out, const CellTable& grid, const MarkSet& marks, MarkMode mode);
// ".raw": per row the values joined by ", ", "true, " / "false, " in front for
// MarksAsTarget. Every row, whatever the mode.
void WriteRaw(std::ostream& out, const CellTable& grid, const MarkSet& marks, MarkMode mode);
// The C4.5 attribute file: target line, class line (MarksAsTarget), one line per
// column, final empty line. It uses C5's syntax ("[ordered]"). A column whose
// name was declared before gets a suffix ("_2", ...) and a "|" comment line.
void WriteC45Names(std::ostream& out, const CellTable& grid, MarkMode mode);
// The C4.5 data file: rows as WriteRaw, only marked ones for MarksAsFilter; an
// empty cell and a value that is no finite number ("INF", "NAN") are written as
// the missing value "?". Returns how many values were not finite.
int WriteC45Data(std::ostream& out, const CellTable& grid, const MarkSet& marks, MarkMode mode);
// ARFF, "@relation RoboCup" first; rows as the C4.5 data file, whose count it
// returns. Repeated names are renamed as in the C4.5 file, with a "%" comment.
int WriteArff(std::ostream& out, const CellTable& grid, const MarkSet& marks, MarkMode mode);

// What a save tells when values were written as missing because they were no
// finite number: "3 values are no finite number (INF or NAN) and were written
// as missing values (?)."; empty for none.
std::string NonFiniteNotice(int count);

}  // namespace dataexport
