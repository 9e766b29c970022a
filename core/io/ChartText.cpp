#include "core/io/ChartText.h"

#include "core/model/Format.h"

#include <cmath>

void WriteChartSeriesText(std::ostream& out, const std::vector<ChartSeriesColumn>& series)
{
    if (series.empty())
        return;
    std::string line;
    for (std::size_t i = 0; i < series.size(); ++i) {
        if (i > 0)
            line += ", ";
        line += series[i].title;
    }
    out << line << "\r\n";
    const std::size_t points = series.front().values.size();
    for (std::size_t j = 0; j < points; ++j) {
        line.clear();
        for (std::size_t i = 0; i < series.size(); ++i) {
            if (i > 0)
                line += ", ";
            if (j >= series[i].values.size())
                continue;
            // A value that is no finite number is written as the data window
            // writes it: "NAN", "INF", "-INF".
            const double v = series[i].values[j];
            line += std::isfinite(v) ? FormatGeneral(v, 6) : FormatFloatGeneral(v, 6);
        }
        out << line << "\r\n";
    }
}
