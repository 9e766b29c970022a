#include "core/analysis/Keepaway.h"

#include "core/model/Pitch.h"
#include "core/model/Common.h"
#include "core/model/Situation.h"
#include "core/model/RoboCupFile.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
using pitch::kObjectCount;
constexpr int kTaker1 = 12;
constexpr int kTaker2 = 13;

struct Point {
    double x;
    double y;
};

bool ValidObject(int i) { return i >= 0 && i < kObjectCount; }

// A situation whose cycle can be read from its log.
bool Readable(const BasicGameData* s)
{
    return s != nullptr && s->file != nullptr && s->cycle >= 0 && s->cycle < s->file->cycles;
}

// Position of object i (a valid index) at the situation's cycle; NaN when the
// log has no position channel for it.
Point Position(const BasicGameData& s, int i)
{
    auto* cx = s.file->posXChannel[i];
    auto* cy = s.file->posYChannel[i];
    if (cx == nullptr || cy == nullptr)
        return {kNaN, kNaN};
    return {cx->Get(s.cycle), cy->Get(s.cycle)};
}

inline double Dist(Point p, Point q) { return PointDistance(p.x, p.y, q.x, q.y); }

// The smaller of two values, the second when they are equal.
double Smaller(double first, double second) { return first < second ? first : second; }

double DistanceToNearerTaker(const BasicGameData& s, int i)
{
    const Point p = Position(s, i);
    return Smaller(Dist(p, Position(s, kTaker1)), Dist(p, Position(s, kTaker2)));
}

double Unsorted(const BasicGameData& s, int a)
{
    const int o = s.object;
    if (!ValidObject(o))
        return kNaN;
    if (a == o)
        return 0.0;
    if (a == kKeepawayNearerTaker)
        return DistanceToNearerTaker(s, o);
    if (a == kKeepawayCentre)
        return Dist(Position(s, o), {0.0, 0.0});
    if (!ValidObject(a))
        return kNaN;
    return Dist(Position(s, a), Position(s, o));
}

// The positions the sorted form orders by, read once per call: the ball, the
// keepers and the takers.
class SortedPositions {
public:
    explicit SortedPositions(const BasicGameData& s) : s_(s)
    {
        for (int i = 0; i < kPlayers; ++i)
            p_[i] = Position(s, kObject[i]);
    }

    Point Ball() const { return p_[0]; }
    // Any valid object index; the ordering's own objects are not read again.
    Point Of(int object) const
    {
        for (int i = 0; i < kPlayers; ++i)
            if (kObject[i] == object)
                return p_[i];
        return Position(s_, object);
    }

private:
    static constexpr int kPlayers = 6;
    static constexpr int kObject[kPlayers] = {0, 1, 2, 3, kTaker1, kTaker2};
    const BasicGameData& s_;
    Point p_[kPlayers];
};

double Sorted(const BasicGameData& s, int a, int b)
{
    if (b < kKeepawayTakerAngle)
        return kNaN;

    const SortedPositions at(s);
    const Point ball = at.Ball();

    // Keepers by ball distance; the exchange only swaps on a strictly smaller
    // distance, so equal distances keep their shirt order.
    int keeper[3] = {1, 2, 3};
    double keeperDist[3];
    for (int i = 0; i < 3; ++i)
        keeperDist[i] = Dist(at.Of(keeper[i]), ball);
    for (int i = 0; i < 2; ++i) {
        for (int j = i + 1; j < 3; ++j) {
            if (keeperDist[j] < keeperDist[i]) {
                std::swap(keeper[i], keeper[j]);
                std::swap(keeperDist[i], keeperDist[j]);
            }
        }
    }
    int taker[2] = {kTaker1, kTaker2};
    if (Dist(at.Of(kTaker2), ball) < Dist(at.Of(kTaker1), ball))
        std::swap(taker[0], taker[1]);

    auto map = [&](int code) {
        if (code >= 1 && code <= 3)
            return keeper[code - 1];
        if (code == kTaker1 || code == kTaker2)
            return taker[code - kTaker1];
        return code;
    };
    a = map(a);
    b = map(b);
    if (!ValidObject(a))
        return kNaN;

    const Point pa = at.Of(a);
    switch (b) {
    case kKeepawayCentre:
        return Dist(pa, {0.0, 0.0});
    case kKeepawayNearerTaker:
        return Smaller(Dist(pa, at.Of(kTaker1)), Dist(pa, at.Of(kTaker2)));
    case kKeepawayTakerAngle: {
        const Point k1 = at.Of(keeper[0]);
        const Point t1 = at.Of(kTaker1);
        const Point t2 = at.Of(kTaker2);
        const double ux = pa.x - k1.x, uy = pa.y - k1.y;
        return Smaller(VectorAngleDeg(ux, uy, t1.x - k1.x, t1.y - k1.y),
                       VectorAngleDeg(ux, uy, t2.x - k1.x, t2.y - k1.y));
    }
    default:
        if (!ValidObject(b))
            return kNaN;
        return Dist(pa, at.Of(b));
    }
}

}  // namespace

double KeepawayFeature(const BasicGameData* situation, int a, int b, bool sorted)
{
    if (!Readable(situation))
        return kNaN;
    return sorted ? Sorted(*situation, a, b) : Unsorted(*situation, a);
}

namespace {

// Object i's stored positions when the situation's log reads them unwindowed and
// holds them up to `last`; false otherwise.
bool StoredPositions(const BasicGameData& s, int i, int last, const double*& xs, const double*& ys)
{
    xs = StoredValues(s.file->posXChannel[i], last);
    ys = StoredValues(s.file->posYChannel[i], last);
    return xs != nullptr && ys != nullptr;
}

// The unsorted form over cycles first .. last - 1 from the stored positions, as
// Unsorted computes it at each; false when it must be asked cycle by cycle.
bool UnsortedFromPositions(const BasicGameData& s, int a, int first, int last, double* out)
{
    const int o = s.object;
    const int n = last - first;
    if (s.file == nullptr || first < 0 || last > s.file->cycles || !ValidObject(o))
        return false;
    if (a == o) {
        std::fill_n(out, n, 0.0);
        return true;
    }
    if (a != kKeepawayNearerTaker && a != kKeepawayCentre && !ValidObject(a)) {
        std::fill_n(out, n, kNaN);
        return true;
    }
    const double *ox, *oy;
    if (!StoredPositions(s, o, last, ox, oy))
        return false;
    if (a == kKeepawayCentre) {
        for (int t = first; t < last; ++t)
            out[t - first] = PointDistance(ox[t], oy[t], 0.0, 0.0);
        return true;
    }
    if (a == kKeepawayNearerTaker) {
        const double *x1, *y1, *x2, *y2;
        if (!StoredPositions(s, kTaker1, last, x1, y1) || !StoredPositions(s, kTaker2, last, x2, y2))
            return false;
        for (int t = first; t < last; ++t)
            out[t - first] = Smaller(PointDistance(ox[t], oy[t], x1[t], y1[t]), PointDistance(ox[t], oy[t], x2[t], y2[t]));
        return true;
    }
    const double *ax, *ay;
    if (!StoredPositions(s, a, last, ax, ay))
        return false;
    for (int t = first; t < last; ++t)
        out[t - first] = PointDistance(ax[t], ay[t], ox[t], oy[t]);
    return true;
}

}  // namespace

void KeepawayFeatures(const BasicGameData& situation, int a, int b, bool sorted, int first, int last, double* out)
{
    if (last <= first || (!sorted && UnsortedFromPositions(situation, a, first, last, out)))
        return;
    BasicGameData s = situation;
    for (int t = first; t < last; ++t) {
        s.cycle = t;
        out[t - first] = KeepawayFeature(&s, a, b, sorted);
    }
}

double KeepawayObjectDistance(const BasicGameData* situation, int i, int j)
{
    if (!Readable(situation) || !ValidObject(i) || !ValidObject(j))
        return kNaN;
    return Dist(Position(*situation, i), Position(*situation, j));
}

double KeepawayObjectNorm(const BasicGameData* situation, int i)
{
    if (!Readable(situation) || !ValidObject(i))
        return kNaN;
    return Dist(Position(*situation, i), {0.0, 0.0});
}

double VectorAngleDeg(double x1, double y1, double x2, double y2)
{
    const double lengths = std::sqrt(x1 * x1 + y1 * y1) * std::sqrt(x2 * x2 + y2 * y2);
    if (lengths == 0.0)
        return 0.0;
    // Rounding can push the cosine of (anti)parallel vectors just past +-1,
    // where acos has no value.
    const double cosine = std::clamp((x1 * x2 + y1 * y2) / lengths, -1.0, 1.0);
    return std::acos(cosine) * (180.0 / std::numbers::pi);
}
