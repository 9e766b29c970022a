#include "core/io/ChartText.h"

#include "core/model/Format.h"

#include <algorithm>
#include <cmath>

namespace {

// A value that is no finite number is written as the data window writes it:
// "NAN", "INF", "-INF".
std::string Cell(double v, int significant)
{
    return std::isfinite(v) ? FormatGeneral(v, significant) : FormatFloatGeneral(v, significant);
}

double XAt(const ChartSeriesColumn& s, std::size_t j) { return j < s.x.size() ? s.x[j] : static_cast<double>(j); }

// Whether the point index alone tells a value's x: every series with a point
// j has it at the x of the others'.
bool SharedX(const std::vector<ChartSeriesColumn>& series, std::size_t rows)
{
    for (std::size_t j = 0; j < rows; ++j) {
        const ChartSeriesColumn* first = nullptr;
        for (const ChartSeriesColumn& s : series) {
            if (j >= s.values.size())
                continue;
            if (!first)
                first = &s;
            else if (XAt(s, j) != XAt(*first, j))
                return false;
        }
    }
    return true;
}

}  // namespace

void WriteChartSeriesText(std::ostream& out, const std::vector<ChartSeriesColumn>& series)
{
    if (series.empty())
        return;
    std::size_t rows = 0;
    for (const ChartSeriesColumn& s : series)
        rows = std::max(rows, s.values.size());
    const bool withX = !SharedX(series, rows);
    std::string line;
    for (std::size_t i = 0; i < series.size(); ++i) {
        if (i > 0)
            line += ", ";
        if (withX)
            line += "x(" + series[i].title + "), ";
        line += series[i].title;
    }
    out << line << "\r\n";
    for (std::size_t j = 0; j < rows; ++j) {
        line.clear();
        for (std::size_t i = 0; i < series.size(); ++i) {
            const ChartSeriesColumn& s = series[i];
            const bool has = j < s.values.size();
            if (i > 0)
                line += ", ";
            if (withX)
                line += (has ? Cell(XAt(s, j), 10) : std::string()) + ", ";
            if (has)
                line += Cell(s.values[j], 6);
        }
        out << line << "\r\n";
    }
}
