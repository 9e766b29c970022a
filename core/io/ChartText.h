// The text export of a chart's series: a header line, then one line per point
// index up to the longest series, so that every point of every series is in it.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// One series as the export sees it: its title and its points in order (x the
// cycle each y value belongs to, as many as values; none given: point j at j).
struct ChartSeriesColumn {
    std::string title;
    std::vector<double> values;
    std::vector<double> x = {};
};

// Writes one line per point index j, from 0 to the point count of the longest
// series, every line ending in CR LF. Where every series that has a point j
// has it at the same x, for every j, the lines hold the y values only: the
// titles joined by ", ", then the values of point j joined by ", ". Where the
// series part (a series of blocks, one over the marks beside one over every
// cycle), each series takes two columns, "x(<title>), <title>", and each line
// its x and y of point j, so that no value stands beside a cycle it does not
// belong to. A series without a point j leaves its cells empty, so every line
// keeps its columns. Values are in the general notation with 6 significant
// digits ("12.5", "0.333333", "1e+06"; a value that is no finite number as
// "NAN", "INF" or "-INF"), x with 10. No series: nothing is written.
void WriteChartSeriesText(std::ostream& out, const std::vector<ChartSeriesColumn>& series);
