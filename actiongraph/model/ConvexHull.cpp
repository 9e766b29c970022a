#include "actiongraph/model/ConvexHull.h"

#include <algorithm>
#include <numeric>

namespace {

float Cross(const THullPoint& a, const THullPoint& b, const THullPoint& c)
{
    const float cy = c.y - b.y;
    const float bx = b.x - a.x;
    const float cx = c.x - b.x;
    const float by = b.y - a.y;
    return cy * bx - cx * by;
}

// Walks v[0..m-1] in order keeping a convex chain in v[0..s]; returns s.
int Chain(const THullPoint* p, int* v, int m)
{
    if (m <= 2)
        return 1;
    int s = 1;
    for (int i = 2; i < m; ++i) {
        int j = s;
        while (j >= 1 && Cross(p[v[i]], p[v[j - 1]], p[v[j]]) <= 0.0f)
            --j;
        s = j + 1;
        std::swap(v[s], v[i]);
    }
    return s;
}

}  // namespace

int ConvexHull(int n, const THullPoint* points, int* idx)
{
    if (n < 3)
        return n;
    // Ties in x are broken by y, and the second sort is the exact reverse of
    // the first: sorted by x alone, points above each other could come in an
    // order that leaves a hull vertex out.
    std::sort(idx, idx + n, [points](int a, int b) {
        return points[a].x != points[b].x ? points[a].x > points[b].x : points[a].y > points[b].y;
    });
    const int upper = Chain(points, idx, n);
    idx[n] = idx[0];
    std::sort(idx + upper, idx + n, [points](int a, int b) {
        return points[a].x != points[b].x ? points[a].x < points[b].x : points[a].y < points[b].y;
    });
    return upper + Chain(points, idx + upper, n - upper + 1);
}

std::vector<int> ConvexHull(const std::vector<THullPoint>& points)
{
    const int n = static_cast<int>(points.size());
    std::vector<int> idx(points.size() + 1);
    std::iota(idx.begin(), idx.begin() + n, 0);
    idx.resize(static_cast<std::size_t>(ConvexHull(n, points.data(), idx.data())));
    return idx;
}

bool IntVectorHasWithin(const std::vector<int>& v, int t, int r)
{
    if (v.empty())
        return true;
    return std::any_of(v.begin(), v.end(), [t, r](int e) {
        const long long d = static_cast<long long>(e) - t;
        return d >= 0 && d <= r;
    });
}
