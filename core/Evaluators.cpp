#include "Evaluators.h"

#include "Common.h"
#include "Keepaway.h"
#include "RoboCupFile.h"

#include <cmath>

namespace {

constexpr int kObjectCount = 23;
constexpr double kOneThird = 1.0 / 3.0;

// The situation's object at the situation's cycle can be read from its log.
bool Readable(const BasicGameData* s)
{
    return s != nullptr && s->file != nullptr && s->cycle >= 0 && s->cycle < s->file->cycles
        && s->object >= 0 && s->object < kObjectCount;
}

// Position of object o at cycle t; false when the log has no channel for it.
bool Position(const RoboCupFileT& f, int o, int t, double& x, double& y)
{
    auto* cx = f.posXChannel[o];
    auto* cy = f.posYChannel[o];
    if (cx == nullptr || cy == nullptr)
        return false;
    x = cx->Get(t);
    y = cy->Get(t);
    return true;
}

// Distance between object o and the ball at cycle t; NaN without channels.
double BallDistance(const RoboCupFileT& f, int o, int t)
{
    double px, py, bx, by;
    if (!Position(f, o, t, px, py) || !Position(f, 0, t, bx, by))
        return std::nan("");
    return PointDistance(px, py, bx, by);
}

}  // namespace

SquareRegionEvaluator::SquareRegionEvaluator(double x1_, double y1_, double x2_, double y2_, char mode_)
    : x1(x1_), y1(y1_), x2(x2_), y2(y2_), mode(mode_)
{
}

bool SquareRegionEvaluator::Evaluate(BasicGameData* s)
{
    if (s == nullptr)
        return false;
    const bool inside = x1 <= s->x && s->x <= x2 && y1 <= s->y && s->y <= y2;
    return inside ? mode != 1 : mode != 0;
}

CircleRegionEvaluator::CircleRegionEvaluator(double cx_, double cy_, double r_) : cx(cx_), cy(cy_), r(r_) {}

bool CircleRegionEvaluator::Evaluate(BasicGameData* s)
{
    return s != nullptr && PointDistance(s->x, s->y, cx, cy) <= r;
}

SidelineEvaluator::SidelineEvaluator(bool low, bool high) : beyondLow(low), beyondHigh(high) {}

bool SidelineEvaluator::Evaluate(BasicGameData* s)
{
    return s != nullptr && ((s->y < -34.0 && beyondLow) || (s->y > 34.0 && beyondHigh));
}

GoallineEvaluator::GoallineEvaluator(bool left, bool right) : beyondLeft(left), beyondRight(right) {}

bool GoallineEvaluator::Evaluate(BasicGameData* s)
{
    return s != nullptr && ((s->x < -52.5 && beyondLeft) || (s->x > 52.5 && beyondRight));
}

SpeedEvaluator::SpeedEvaluator(int window_, double lo_, double hi_) : window(window_), lo(lo_), hi(hi_) {}

bool SpeedEvaluator::Evaluate(BasicGameData* s)
{
    if (!Readable(s) || window < 1)
        return false;
    const int cycles = s->file->cycles;
    const int t = s->cycle;
    int first = t - window / 2;
    int last = t + (window - 1) / 2;
    if (first < 0) {
        last -= first;
        first = 0;
    }
    if (last >= cycles) {
        first -= last - cycles + 1;
        last = cycles - 1;
    }
    // A log shorter than the window: take what there is.
    if (first < 0)
        first = 0;

    double x1, y1, x2, y2;
    if (!Position(*s->file, s->object, first, x1, y1) || !Position(*s->file, s->object, last, x2, y2))
        return false;
    const double speed = PointDistance(x1, y1, x2, y2) / window;
    return lo <= speed && speed < hi;
}

bool HasBallEvaluator::Evaluate(BasicGameData* s)
{
    if (!Readable(s) || s->object == 0)
        return false;
    auto* possessor = s->file->possessorChannel[s->object];
    return possessor != nullptr && possessor->Get(s->cycle) == 1;
}

RelativePosEvaluator::RelativePosEvaluator(int sx_, int sy_) : sx(sx_), sy(sy_) {}

bool RelativePosEvaluator::Evaluate(BasicGameData* s)
{
    if (!Readable(s) || s->object == 0)
        return false;
    double px, py, bx, by;
    if (!Position(*s->file, s->object, s->cycle, px, py) || !Position(*s->file, 0, s->cycle, bx, by))
        return false;
    return sx * (bx - px) >= 0.0 && sy * (by - py) >= 0.0;
}

RelativeSpeedEvaluator::RelativeSpeedEvaluator(double lo_, double hi_) : lo(lo_), hi(hi_) {}

bool RelativeSpeedEvaluator::Evaluate(BasicGameData* s)
{
    if (!Readable(s) || s->object == 0)
        return false;
    const int cycles = s->file->cycles;
    int a = s->cycle - 1;
    int b = s->cycle + 1;
    if (a < 0) {
        b -= a;
        a = 0;
    } else if (b >= cycles) {
        b = cycles - 1;
        a = b - 2;
    }
    // A log of fewer than three cycles: take what there is.
    if (a < 0)
        a = 0;
    if (b > cycles - 1)
        b = cycles - 1;

    const double v = (BallDistance(*s->file, s->object, b) - BallDistance(*s->file, s->object, a)) * kOneThird;
    return lo <= v && v < hi;
}

RelativeDistEvaluator::RelativeDistEvaluator(double lo_, double hi_, int a_, int b_, bool sorted_)
    : lo(lo_), hi(hi_), a(a_), b(b_), sorted(sorted_)
{
}

bool RelativeDistEvaluator::Evaluate(BasicGameData* s)
{
    const double value = KeepawayFeature(s, a, b, sorted);
    return lo <= value && value < hi;
}
