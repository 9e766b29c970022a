#include "core/io/DataExport.h"

#include "core/io/DatasetNames.h"
#include "core/model/Format.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace dataexport {
namespace {

constexpr const char* kEol = "\r\n";

std::string ReplaceBreaks(const std::string& header, const std::string& with)
{
    std::string out;
    out.reserve(header.size() + 8);
    for (std::size_t i = 0; i < header.size(); ++i) {
        if (header.compare(i, 2, "\r\n") == 0) {
            out += with;
            ++i;
        } else {
            out += header[i];
        }
    }
    return out;
}

// The number a min or max cell holds; 0 when it holds none (the empty cells of
// "long" columns, or anything a caller wrote there).
double CellNumber(const std::string& text)
{
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ')
        --e;
    const char* first = text.data() + b;
    if (b < e && *first == '+')
        ++first;
    double v = 0;
    const auto r = std::from_chars(first, text.data() + e, v);
    if (r.ec != std::errc() || r.ptr != text.data() + e || b == e)
        return 0.0;
    return v;
}

struct ColumnInfo {
    std::string header;
    std::string type;
    double min = 0;
    double max = 0;
    // Values are numbers of no fixed set: doubles, and "long" columns, whose
    // identities have no min and max cells to make a set from.
    bool numeric() const { return type == "double" || type == "long"; }
};

ColumnInfo Info(const CellTable& grid, int col)
{
    ColumnInfo info;
    info.header = grid.Cell(col, 0);
    info.min = CellNumber(grid.Cell(col, 1));
    info.max = CellNumber(grid.Cell(col, 2));
    info.type = grid.Cell(col, 3);
    return info;
}

bool Marked(const MarkSet& marks, int row)
{
    return marks.count(row - kFirstDataRow) != 0;
}

// A row of values for a learner: an empty cell is a missing value there, and
// so is a value that is no finite number, which no learner reads ("INF").
// Returns how many of the latter were written.
int WriteDatasetRow(std::ostream& out, const CellTable& grid, int row, const MarkSet& marks, MarkMode mode)
{
    int nonFinite = 0;
    if (mode == MarkMode::MarksAsTarget)
        out << (Marked(marks, row) ? "true, " : "false, ");
    for (int c = 1; c < grid.ColCount(); ++c) {
        if (c > 1)
            out << ", ";
        const std::string v = grid.Cell(c, row);
        const bool missing = v.empty() || IsNonFiniteText(v);
        if (missing && !v.empty())
            ++nonFinite;
        out << (missing ? "?" : v);
    }
    out << kEol;
    return nonFinite;
}

int WriteDatasetRows(std::ostream& out, const CellTable& grid, const MarkSet& marks, MarkMode mode)
{
    int nonFinite = 0;
    for (int row = kFirstDataRow; row < grid.RowCount(); ++row) {
        if (mode == MarkMode::MarksAsFilter && !Marked(marks, row))
            continue;
        nonFinite += WriteDatasetRow(out, grid, row, marks, mode);
    }
    return nonFinite;
}

// The columns' names in one of the name forms, a repeated one renamed.
datasetnames::UniqueNames ColumnNames(const CellTable& grid, std::string (*form)(const std::string&),
                                      const std::vector<std::string>& reserved)
{
    std::vector<std::string> names;
    for (int c = 1; c < grid.ColCount(); ++c)
        names.push_back(form(grid.Cell(c, 0)));
    return datasetnames::MakeUnique(names, reserved);
}

// The comment line before a renamed column's declaration, if it was renamed.
void WriteRenamedNote(std::ostream& out, const datasetnames::UniqueNames& names, int col, const char* comment)
{
    for (const auto& r : names.renamed)
        if (r.index == static_cast<std::size_t>(col - 1))
            out << comment << ' ' << datasetnames::RenamedNote(names.names[r.index], r.original) << kEol;
}

}  // namespace

std::string DottedName(const std::string& header) { return ReplaceBreaks(header, "."); }
std::string EscapedName(const std::string& header) { return ReplaceBreaks(header, "\\."); }
std::string JoinedName(const std::string& header) { return ReplaceBreaks(header, "_"); }

void WriteText(std::ostream& out, const CellTable& grid, const MarkSet& marks, MarkMode mode)
{
    std::vector<std::string> names;
    for (int c = 1; c < grid.ColCount(); ++c)
        names.push_back(JoinedName(grid.Cell(c, 0)));
    for (int row = kFirstDataRow; row < grid.RowCount(); ++row) {
        if (mode == MarkMode::MarksAsTarget)
            out << (Marked(marks, row) ? "REGION=true " : "REGION=false ");
        for (int c = 1; c < grid.ColCount(); ++c) {
            if (c > 1)
                out << ' ';
            out << names[static_cast<std::size_t>(c - 1)] << '=' << grid.Cell(c, row);
        }
        out << kEol;
    }
}

void WriteRaw(std::ostream& out, const CellTable& grid, const MarkSet& marks, MarkMode mode)
{
    for (int row = kFirstDataRow; row < grid.RowCount(); ++row) {
        if (mode == MarkMode::MarksAsTarget)
            out << (Marked(marks, row) ? "true, " : "false, ");
        for (int c = 1; c < grid.ColCount(); ++c) {
            if (c > 1)
                out << ", ";
            out << grid.Cell(c, row);
        }
        out << kEol;
    }
}

void WriteC45Names(std::ostream& out, const CellTable& grid, MarkMode mode)
{
    // The target is named as it is declared below, escaped: a dotted name
    // would be read as its first component only.
    if (mode == MarkMode::MarksAsTarget)
        out << "REGION. | target attribute" << kEol;
    else
        out << EscapedName(grid.Cell(1, 0)) << ". | target attribute" << kEol;
    out << kEol;
    if (mode == MarkMode::MarksAsTarget)
        out << "REGION : true, false. | class attribute" << kEol;
    const datasetnames::UniqueNames names =
        ColumnNames(grid, EscapedName, mode == MarkMode::MarksAsTarget ? std::vector<std::string>{"REGION"}
                                                                         : std::vector<std::string>{});
    for (int c = 1; c < grid.ColCount(); ++c) {
        const ColumnInfo info = Info(grid, c);
        WriteRenamedNote(out, names, c, "|");
        out << names.names[static_cast<std::size_t>(c - 1)];
        if (info.numeric()) {
            out << ": continuous";
        } else if (info.min == info.max) {
            out << ": ignore";
        } else if (info.max - info.min < 500) {
            out << ": [ordered] ";
            bool first = true;
            for (double v = info.min; v <= info.max; v += 1) {
                out << (first ? "" : ", ") << static_cast<std::int64_t>(std::trunc(v));
                first = false;
            }
        } else {
            out << ": continuous";
        }
        out << '.' << kEol;
    }
    out << kEol;
}

int WriteC45Data(std::ostream& out, const CellTable& grid, const MarkSet& marks, MarkMode mode)
{
    return WriteDatasetRows(out, grid, marks, mode);
}

int WriteArff(std::ostream& out, const CellTable& grid, const MarkSet& marks, MarkMode mode)
{
    out << "@relation RoboCup" << kEol << kEol;
    if (mode == MarkMode::MarksAsTarget)
        out << "@attribute region {true, false}" << kEol;
    const datasetnames::UniqueNames names =
        ColumnNames(grid, JoinedName, mode == MarkMode::MarksAsTarget ? std::vector<std::string>{"region"}
                                                                        : std::vector<std::string>{});
    for (int c = 1; c < grid.ColCount(); ++c) {
        const ColumnInfo info = Info(grid, c);
        WriteRenamedNote(out, names, c, "%");
        out << "@attribute " << names.names[static_cast<std::size_t>(c - 1)];
        if (info.numeric() || info.max - info.min > 500) {
            out << " real";
        } else {
            out << " {";
            const auto lo = static_cast<std::int64_t>(std::trunc(info.min));
            const auto hi = static_cast<std::int64_t>(std::trunc(info.max));
            for (std::int64_t v = lo; v <= hi; ++v)
                out << (v == lo ? "" : ", ") << v;
            out << '}';
        }
        out << kEol;
    }
    out << kEol << "@data" << kEol;
    return WriteDatasetRows(out, grid, marks, mode);
}

std::string NonFiniteNotice(int count)
{
    if (count <= 0)
        return {};
    return std::to_string(count) + (count == 1 ? " value is" : " values are") +
           " no finite number (INF or NAN) and " + (count == 1 ? "was" : "were") + " written as missing (?).";
}

}  // namespace dataexport
