// The text export of a chart's series: a header line of the series titles, then
// one line per point index of the first series with every series' value there.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// One series as the export sees it: its title and its y values in point order.
struct ChartSeriesColumn {
    std::string title;
    std::vector<double> values;
};

// Writes the titles joined by ", ", then for j = 0 .. (points of the first
// series) - 1 the values of point j of every series joined by ", ", each in the
// general notation with 6 significant digits ("12.5", "0.333333", "1e+06"; a
// value that is no finite number as "NAN", "INF" or "-INF"). A
// series with fewer points leaves its field empty there, so every line keeps its
// columns. Every line ends in CR LF. No series: nothing is written.
void WriteChartSeriesText(std::ostream& out, const std::vector<ChartSeriesColumn>& series);
