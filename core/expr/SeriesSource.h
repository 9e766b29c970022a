// What a chart series shows, kept with the series so that it can be drawn
// again from the log's channels as they hold now: a leaf, or an expression at
// every cycle or at chosen cycles, then the blocks ("avg", "min", "max") taken
// of it one after the other.
#pragma once

#include "core/model/SeriesFunctions.h"

#include <string>
#include <vector>

class RoboCupFileT;

struct SeriesSource {
    std::string channel;     // a leaf's full name; "" for an expression
    std::string expression;  // the expression's text, when there is no channel
    bool everyCycle = true;  // the expression at every cycle of the log, else at cycles
    std::vector<int> cycles;
    struct Block {
        SeriesFunction function = SeriesFunction::Average;
        int period = 0;
    };
    std::vector<Block> blocks;
};

// The points the source gives on the log now: the leaf's values (through its
// averaging window) at x = 0 .. count - 1, or the expression's values at its
// cycles (no number where the evaluation fails), then each block function
// (BlockFunction). False, without points, when the leaf is gone or the
// expression no longer parses (a channel it reads is gone).
bool SeriesSourcePoints(RoboCupFileT& log, const SeriesSource& source, XYPoints& points);
