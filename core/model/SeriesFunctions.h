// The average, lowest and highest value of a chart series over blocks of
// consecutive points: the series the chart window derives from a chosen one.
#pragma once

#include <vector>

enum class SeriesFunction { Average, Low, High };

struct XYPoints {
    std::vector<double> x;
    std::vector<double> y;
};

// One point per consecutive block of `period` points of the source (the last
// block takes what is left): the block's average, lowest or highest y at the
// middle of its first and last x. A period of 0 or below, or one longer than the
// source, makes one block of the whole series. No points give no points. x and y
// are taken pairwise up to the shorter of the two. A y that is no finite number
// (a failed evaluation) is left out; a block with no other y is not-a-number.
XYPoints BlockFunction(SeriesFunction function, const std::vector<double>& x, const std::vector<double>& y,
                       int period);
