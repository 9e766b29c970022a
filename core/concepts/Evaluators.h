// Concept evaluators: the test attached to a concept node that decides whether
// one object of one log belongs to the concept at one cycle.
#pragma once

#include "core/model/Pitch.h"
#include "core/model/Situation.h"

#include <cmath>

class RoboCupFileT;

class BasicEvaluator {
public:
    virtual ~BasicEvaluator() = default;
    // The feature computation asks one evaluator from several threads at once, each
    // with its own situation: a verdict reads the log and changes nothing shared.
    virtual bool Evaluate(BasicGameData* situation) = 0;
};

// The nine kinds. Their fields are their constructor arguments in the same
// order. An evaluator that reads the log's channels holds for no situation
// without a log, with a cycle outside the log, or with an object index outside
// 0 to 22; windows that reach past either end of the log are moved into it.
// The region kinds judge the situation's x and y alone, but hold for nothing
// when the situation's log has no cycles. Every comparison with NaN fails.

// A rectangle, all four bounds included. mode 0: holds inside; mode 1: holds
// outside; any other mode always holds. Tests only the situation's x and y.
class SquareRegionEvaluator : public BasicEvaluator {
public:
    SquareRegionEvaluator(double x1, double y1, double x2, double y2, char mode);
    bool Evaluate(BasicGameData* situation) override;
    // The verdict on a position of a log with cycles: what the feature computation
    // asks without a virtual call.
    bool Holds(double x, double y) const
    {
        const bool inside = x1 <= x && x <= x2 && y1 <= y && y <= y2;
        return inside ? mode != 1 : mode != 0;
    }

    double x1, y1, x2, y2;
    char mode;
};

// A disc around (cx, cy) of radius r, the rim included.
class CircleRegionEvaluator : public BasicEvaluator {
public:
    CircleRegionEvaluator(double cx, double cy, double r);
    bool Evaluate(BasicGameData* situation) override;
    bool Holds(double x, double y) const
    {
        const double dx = x - cx;
        const double dy = y - cy;
        return std::sqrt(dx * dx + dy * dy) <= r;
    }

    double cx, cy, r;
};

// Beyond a side line: y < -34 (beyondLow) or y > 34 (beyondHigh); a position on
// the line is not beyond it.
class SidelineEvaluator : public BasicEvaluator {
public:
    SidelineEvaluator(bool beyondLow, bool beyondHigh);
    bool Evaluate(BasicGameData* situation) override;
    bool Holds(double x, double y) const
    {
        (void)x;
        return (y < -pitch::kHalfWidth && beyondLow) || (y > pitch::kHalfWidth && beyondHigh);
    }

    bool beyondLow, beyondHigh;
};

// Beyond a goal line: x < -52.5 (beyondLeft) or x > 52.5 (beyondRight).
class GoallineEvaluator : public BasicEvaluator {
public:
    GoallineEvaluator(bool beyondLeft, bool beyondRight);
    bool Evaluate(BasicGameData* situation) override;
    bool Holds(double x, double y) const
    {
        (void)y;
        return (x < -pitch::kHalfLength && beyondLeft) || (x > pitch::kHalfLength && beyondRight);
    }

    bool beyondLeft, beyondRight;
};

// Average speed over a window of `window` cycles around the cycle, any object
// including the ball: lo <= d / window < hi, with d the displacement between the
// window's first and last cycle. Dividing by the window rather than by the steps
// between those cycles is how the speed classes' bounds were calibrated.
class SpeedEvaluator : public BasicEvaluator {
public:
    SpeedEvaluator(int window, double lo, double hi);
    bool Evaluate(BasicGameData* situation) override;
    // d / window, the value the bounds are tested on; NaN where Evaluate holds
    // for no bounds (no log, a cycle or object outside it, a window below 1).
    double Value(const BasicGameData* situation) const;
    // Value at the cycles first .. last - 1 (out[t - first]) of the situation's
    // object, the same numbers for less work per cycle.
    void Values(const BasicGameData& situation, int first, int last, double* out) const;

    int window;
    double lo, hi;
};

// The player holds the ball (its possessor flag is 1); never the ball itself.
class HasBallEvaluator : public BasicEvaluator {
public:
    HasBallEvaluator() = default;
    bool Evaluate(BasicGameData* situation) override;
};

// Where the ball lies from the player: sx * (bx - px) >= 0 and
// sy * (by - py) >= 0; 0 leaves an axis free. Never the ball itself.
class RelativePosEvaluator : public BasicEvaluator {
public:
    RelativePosEvaluator(int sx, int sy);
    bool Evaluate(BasicGameData* situation) override;
    // The verdict for a player at (px, py) and the ball at (bx, by).
    bool Holds(double px, double py, double bx, double by) const
    {
        return sx * (bx - px) >= 0.0 && sy * (by - py) >= 0.0;
    }

    int sx, sy;
};

// Change of the player's distance to the ball over the cycles before and after:
// lo <= (dist(t + 1) - dist(t - 1)) / 3 < hi (negative: the ball comes closer;
// the third is the bounds' calibration). Never the ball itself.
class RelativeSpeedEvaluator : public BasicEvaluator {
public:
    RelativeSpeedEvaluator(double lo, double hi);
    bool Evaluate(BasicGameData* situation) override;
    // The change the bounds are tested on; NaN for the ball and where the
    // situation cannot be read.
    double Value(const BasicGameData* situation) const;
    // Value at the cycles first .. last - 1 (out[t - first]) of the situation's
    // object, the same numbers for less work per cycle.
    void Values(const BasicGameData& situation, int first, int last, double* out) const;

    double lo, hi;
};

// A keepaway state variable in a range: lo <= KeepawayFeature(s, a, b, sorted) < hi.
class RelativeDistEvaluator : public BasicEvaluator {
public:
    RelativeDistEvaluator(double lo, double hi, int a, int b, bool sorted);
    bool Evaluate(BasicGameData* situation) override;

    double lo, hi;
    int a, b;
    bool sorted;
};
