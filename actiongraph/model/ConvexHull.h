// The convex hull of a set of points (Andrew's monotone chain on single
// precision), used to outline where a node's or a player's positions lie.
#pragma once

#include <vector>

struct THullPoint {
    float x = 0.0f;
    float y = 0.0f;
};

// Given n points and idx holding at least n + 1 ints, idx[0..n-1] being the
// numbers 0..n-1 in any order: returns the number h of hull vertices, which
// the first h entries of idx then give in order around the hull. Points on a
// straight line between two hull vertices are left out; of equal points one
// remains. For n < 3 returns n and leaves idx as it is.
int ConvexHull(int n, const THullPoint* points, int* idx);

// The hull of the points as their numbers in order around it.
std::vector<int> ConvexHull(const std::vector<THullPoint>& points);

// True when v is empty or holds an element e with 0 <= e - t <= r.
bool IntVectorHasWithin(const std::vector<int>& v, int t, int r);
