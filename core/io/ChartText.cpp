#include "core/io/ChartText.h"

#include "core/model/Format.h"

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
            if (j < series[i].values.size())
                line += FormatGeneral(series[i].values[j], 6);
        }
        out << line << "\r\n";
    }
}
