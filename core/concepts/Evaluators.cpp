#include "core/concepts/Evaluators.h"

#include "core/model/Pitch.h"
#include "core/model/Common.h"
#include "core/analysis/Keepaway.h"
#include "core/model/RoboCupFile.h"

#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>
#include <utility>

namespace {

using pitch::kObjectCount;
constexpr double kOneThird = 1.0 / 3.0;

// A situation of a log without cycles has nothing to judge, not even by its
// position alone. A situation without a log is judged by its position.
inline bool EmptyLog(const BasicGameData* s)
{
    return s->file != nullptr && s->file->cycles <= 0;
}

// The situation's object at the situation's cycle can be read from its log.
inline bool Readable(const BasicGameData* s)
{
    return s != nullptr && s->file != nullptr && s->cycle >= 0 && s->cycle < s->file->cycles
        && s->object >= 0 && s->object < kObjectCount;
}

// The positions of one object over the log's cycles. When both channels hold
// every cycle of the log and are read unwindowed (as after loading), a read is
// the stored value itself: the checks that the typed read makes on every call
// are made once here. Otherwise every read goes through the typed read, with its
// time window and its range check.
class Track {
public:
    // False when the log has no position channel for the object.
    bool Open(const RoboCupFileT& f, int o)
    {
        cx_ = f.posXChannel[static_cast<std::size_t>(o)];
        cy_ = f.posYChannel[static_cast<std::size_t>(o)];
        if (cx_ == nullptr || cy_ == nullptr)
            return false;
        xs_ = StoredValues(cx_, f.cycles);
        ys_ = StoredValues(cy_, f.cycles);
        if (xs_ == nullptr || ys_ == nullptr)
            xs_ = ys_ = nullptr;
        return true;
    }

    // Whether a read is the stored value itself.
    bool Direct() const { return xs_ != nullptr && ys_ != nullptr; }
    // At a cycle of the log (0 to cycles - 1).
    double X(int t) const { return xs_ != nullptr ? xs_[t] : cx_->Get(t); }
    double Y(int t) const { return ys_ != nullptr ? ys_[t] : cy_->Get(t); }

private:
    const RoboCupFileT::DoubleChannel* cx_ = nullptr;
    const RoboCupFileT::DoubleChannel* cy_ = nullptr;
    const double* xs_ = nullptr;
    const double* ys_ = nullptr;
};

}  // namespace

SquareRegionEvaluator::SquareRegionEvaluator(double x1_, double y1_, double x2_, double y2_, char mode_)
    : x1(x1_), y1(y1_), x2(x2_), y2(y2_), mode(mode_)
{
}

bool SquareRegionEvaluator::Evaluate(BasicGameData* s)
{
    return s != nullptr && !EmptyLog(s) && Holds(s->x, s->y);
}

CircleRegionEvaluator::CircleRegionEvaluator(double cx_, double cy_, double r_) : cx(cx_), cy(cy_), r(r_) {}

bool CircleRegionEvaluator::Evaluate(BasicGameData* s)
{
    return s != nullptr && !EmptyLog(s) && Holds(s->x, s->y);
}

SidelineEvaluator::SidelineEvaluator(bool low, bool high) : beyondLow(low), beyondHigh(high) {}

bool SidelineEvaluator::Evaluate(BasicGameData* s)
{
    return s != nullptr && !EmptyLog(s) && Holds(s->x, s->y);
}

GoallineEvaluator::GoallineEvaluator(bool left, bool right) : beyondLeft(left), beyondRight(right) {}

bool GoallineEvaluator::Evaluate(BasicGameData* s)
{
    return s != nullptr && !EmptyLog(s) && Holds(s->x, s->y);
}

namespace {

// The first and last cycle of a speed window of the given width around cycle
// t, moved inside the log at its ends; a log shorter than the window gives
// what there is.
std::pair<int, int> SpeedWindow(int t, int window, int cycles)
{
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
    if (first < 0)
        first = 0;
    return {first, last};
}

// The cycles before and after t, moved inside the log at its ends; a log of
// fewer than three cycles gives what there is.
std::pair<int, int> NeighbourCycles(int t, int cycles)
{
    int a = t - 1;
    int b = t + 1;
    if (a < 0) {
        b -= a;
        a = 0;
    } else if (b >= cycles) {
        b = cycles - 1;
        a = b - 2;
    }
    if (a < 0)
        a = 0;
    if (b > cycles - 1)
        b = cycles - 1;
    return {a, b};
}

}  // namespace

SpeedEvaluator::SpeedEvaluator(int window_, double lo_, double hi_) : window(window_), lo(lo_), hi(hi_) {}

double SpeedEvaluator::Value(const BasicGameData* s) const
{
    if (!Readable(s) || window < 1)
        return std::numeric_limits<double>::quiet_NaN();
    Track track;
    if (!track.Open(*s->file, s->object))
        return std::numeric_limits<double>::quiet_NaN();
    const auto [first, last] = SpeedWindow(s->cycle, window, s->file->cycles);
    return PointDistance(track.X(first), track.Y(first), track.X(last), track.Y(last)) / window;
}

void SpeedEvaluator::Values(const BasicGameData& situation, int first, int last, double* out) const
{
    BasicGameData s = situation;
    s.cycle = first;
    Track track;
    // Read straight from the stored positions only where Value would read them so.
    const bool direct = first < last && last <= (s.file != nullptr ? s.file->cycles : 0) && Readable(&s) &&
                        window >= 1 && track.Open(*s.file, s.object) && track.Direct();
    if (!direct) {
        for (int t = first; t < last; ++t) {
            s.cycle = t;
            out[t - first] = Value(&s);
        }
        return;
    }
    const int cycles = s.file->cycles;
    for (int t = first; t < last; ++t) {
        const auto [a, b] = SpeedWindow(t, window, cycles);
        out[t - first] = PointDistance(track.X(a), track.Y(a), track.X(b), track.Y(b)) / window;
    }
}

bool SpeedEvaluator::Evaluate(BasicGameData* s)
{
    const double speed = Value(s);
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
    const RoboCupFileT& f = *s->file;
    const auto* px = f.posXChannel[static_cast<std::size_t>(s->object)];
    const auto* py = f.posYChannel[static_cast<std::size_t>(s->object)];
    const auto* bx = f.posXChannel[0];
    const auto* by = f.posYChannel[0];
    if (px == nullptr || py == nullptr || bx == nullptr || by == nullptr)
        return false;
    const int t = s->cycle;
    return Holds(px->Get(t), py->Get(t), bx->Get(t), by->Get(t));
}

RelativeSpeedEvaluator::RelativeSpeedEvaluator(double lo_, double hi_) : lo(lo_), hi(hi_) {}

double RelativeSpeedEvaluator::Value(const BasicGameData* s) const
{
    if (!Readable(s) || s->object == 0)
        return std::numeric_limits<double>::quiet_NaN();
    Track player;
    Track ball;
    if (!player.Open(*s->file, s->object) || !ball.Open(*s->file, 0))
        return std::numeric_limits<double>::quiet_NaN();
    const auto [a, b] = NeighbourCycles(s->cycle, s->file->cycles);
    const double before = PointDistance(player.X(a), player.Y(a), ball.X(a), ball.Y(a));
    const double after = PointDistance(player.X(b), player.Y(b), ball.X(b), ball.Y(b));
    return (after - before) * kOneThird;
}

void RelativeSpeedEvaluator::Values(const BasicGameData& situation, int first, int last, double* out) const
{
    BasicGameData s = situation;
    s.cycle = first;
    Track player;
    Track ball;
    const bool direct = first < last && last <= (s.file != nullptr ? s.file->cycles : 0) && Readable(&s) &&
                        s.object != 0 && player.Open(*s.file, s.object) && ball.Open(*s.file, 0) &&
                        player.Direct() && ball.Direct();
    if (!direct) {
        for (int t = first; t < last; ++t) {
            s.cycle = t;
            out[t - first] = Value(&s);
        }
        return;
    }
    // Every cycle's distance is taken before and after two others: each is measured
    // once over the cycles the range reaches (the neighbours only move forward).
    const int cycles = s.file->cycles;
    const int from = NeighbourCycles(first, cycles).first;
    const int to = NeighbourCycles(last - 1, cycles).second;
    std::vector<double> distance(static_cast<std::size_t>(to - from + 1));
    for (int k = from; k <= to; ++k)
        distance[static_cast<std::size_t>(k - from)] = PointDistance(player.X(k), player.Y(k), ball.X(k), ball.Y(k));
    for (int t = first; t < last; ++t) {
        const auto [a, b] = NeighbourCycles(t, cycles);
        const double before = distance[static_cast<std::size_t>(a - from)];
        const double after = distance[static_cast<std::size_t>(b - from)];
        out[t - first] = (after - before) * kOneThird;
    }
}

bool RelativeSpeedEvaluator::Evaluate(BasicGameData* s)
{
    const double v = Value(s);
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
