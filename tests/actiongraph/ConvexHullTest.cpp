#include "actiongraph/model/ConvexHull.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <utility>

namespace {

using Coord = std::pair<float, float>;

std::set<Coord> Coords(const std::vector<THullPoint>& points, const std::vector<int>& idx)
{
    std::set<Coord> out;
    for (int i : idx)
        out.insert({points[std::size_t(i)].x, points[std::size_t(i)].y});
    return out;
}

double Cross(Coord o, Coord a, Coord b)
{
    return double(a.first - o.first) * (b.second - o.second) - double(a.second - o.second) * (b.first - o.first);
}

bool OnSegment(Coord p, Coord a, Coord b)
{
    return Cross(a, b, p) == 0 && std::min(a.first, b.first) <= p.first && p.first <= std::max(a.first, b.first) &&
           std::min(a.second, b.second) <= p.second && p.second <= std::max(a.second, b.second);
}

// Inside or on the border of a proper triangle (a flat one is its segments).
bool InTriangle(Coord p, Coord a, Coord b, Coord c)
{
    if (Cross(a, b, c) == 0)
        return false;
    const double d1 = Cross(a, b, p), d2 = Cross(b, c, p), d3 = Cross(c, a, p);
    const bool neg = d1 < 0 || d2 < 0 || d3 < 0;
    const bool pos = d1 > 0 || d2 > 0 || d3 > 0;
    return !(neg && pos);
}

// The hull's vertices by definition: the distinct points that lie in no
// triangle and on no segment of the other distinct points.
std::set<Coord> BruteForceHull(const std::vector<THullPoint>& points)
{
    std::set<Coord> distinct;
    for (const auto& p : points)
        distinct.insert({p.x, p.y});
    const std::vector<Coord> v(distinct.begin(), distinct.end());
    std::set<Coord> hull;
    for (const Coord& p : v) {
        bool inside = false;
        for (std::size_t a = 0; a < v.size() && !inside; ++a)
            for (std::size_t b = a + 1; b < v.size() && !inside; ++b) {
                if (v[a] == p || v[b] == p)
                    continue;
                inside = OnSegment(p, v[a], v[b]);
                for (std::size_t c = b + 1; c < v.size() && !inside; ++c)
                    inside = v[c] != p && InTriangle(p, v[a], v[b], v[c]);
            }
        if (!inside)
            hull.insert(p);
    }
    return hull;
}

// Every turn along the returned hull goes the same way.
bool IsConvexCycle(const std::vector<THullPoint>& points, const std::vector<int>& idx)
{
    const std::size_t h = idx.size();
    int sign = 0;
    for (std::size_t i = 0; i < h; ++i) {
        const auto& a = points[std::size_t(idx[i])];
        const auto& b = points[std::size_t(idx[(i + 1) % h])];
        const auto& c = points[std::size_t(idx[(i + 2) % h])];
        const double turn = Cross({a.x, a.y}, {b.x, b.y}, {c.x, c.y});
        const int s = turn > 0 ? 1 : turn < 0 ? -1 : 0;
        if (s == 0 || (sign != 0 && s != sign))
            return false;
        sign = s;
    }
    return true;
}

}  // namespace

TEST(ConvexHullTest, KnownSets)
{
    const struct {
        const char* name;
        std::vector<THullPoint> points;
        int vertices;
    } cases[] = {
        {"one point", {{1, 1}}, 1},
        {"two points", {{1, 1}, {3, 4}}, 2},
        {"three collinear", {{0, 0}, {5, 5}, {10, 10}}, 2},
        {"square and centre", {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {5, 5}}, 4},
        {"centre first", {{5, 5}, {0, 10}, {0, 0}, {10, 10}, {10, 0}}, 4},
        {"triangle and inner point", {{0, 0}, {4, 0}, {2, 3}, {2, 1}}, 3},
        {"square with points on its edges", {{0, 0}, {0, 5}, {0, 10}, {5, 10}, {10, 10}, {10, 0}, {5, 0}}, 4},
        {"points above each other", {{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 2}, {2, 1}}, 5},
    };
    for (const auto& c : cases) {
        const std::vector<int> hull = ConvexHull(c.points);
        EXPECT_EQ(int(hull.size()), c.vertices) << c.name;
        if (c.vertices >= 3) {
            EXPECT_EQ(Coords(c.points, hull), BruteForceHull(c.points)) << c.name;
            EXPECT_TRUE(IsConvexCycle(c.points, hull)) << c.name;
        }
    }
}

TEST(ConvexHullTest, FewPointsLeaveTheIndicesAsTheyAre)
{
    const THullPoint points[2] = {{3, 3}, {1, 1}};
    int idx[3] = {1, 0, 7};
    EXPECT_EQ(ConvexHull(2, points, idx), 2);
    EXPECT_EQ(idx[0], 1);
    EXPECT_EQ(idx[1], 0);
}

TEST(ConvexHullTest, RandomSetsWithTiesAndDuplicatesMatchTheBruteForceHull)
{
    std::mt19937 random(12345);
    for (int round = 0; round < 400; ++round) {
        const int n = 3 + int(random() % 12);
        std::vector<THullPoint> points;
        for (int i = 0; i < n; ++i)  // a 6 x 6 grid: many equal x, equal y and equal points
            points.push_back({float(random() % 6), float(random() % 6)});
        const std::set<Coord> expected = BruteForceHull(points);
        const std::vector<int> hull = ConvexHull(points);
        if (expected.size() < 3) {  // all points on one line: its two ends
            EXPECT_LE(hull.size(), 2u) << round;
            EXPECT_EQ(Coords(points, hull), expected) << round;
            continue;
        }
        EXPECT_EQ(hull.size(), expected.size()) << round;
        EXPECT_EQ(Coords(points, hull), expected) << round;
        EXPECT_TRUE(IsConvexCycle(points, hull)) << round;
    }
}

TEST(ConvexHullTest, IntVectorHasWithin)
{
    const std::vector<int> v = {10, 20, 35};
    const struct {
        std::vector<int> v;
        int t, r;
        bool expected;
    } cases[] = {
        {{}, 1000, 0, true}, {v, 10, 0, true}, {v, 11, 5, false}, {v, 15, 5, true},
        {v, 25, 9, false},   {v, 25, 10, true}, {v, 36, 100, false}, {v, -5, 15, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IntVectorHasWithin(c.v, c.t, c.r), c.expected) << c.t << " " << c.r;
}
