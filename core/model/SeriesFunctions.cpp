#include "core/model/SeriesFunctions.h"

#include <algorithm>

XYPoints BlockFunction(SeriesFunction function, const std::vector<double>& x, const std::vector<double>& y,
                       int period)
{
    XYPoints out;
    const std::size_t n = std::min(x.size(), y.size());
    if (n == 0)
        return out;
    const std::size_t block = period <= 0 || static_cast<std::size_t>(period) > n ? n : static_cast<std::size_t>(period);
    for (std::size_t first = 0; first < n; first += block) {
        const std::size_t last = std::min(n, first + block) - 1;
        double v = y[first];
        for (std::size_t j = first + 1; j <= last; ++j) {
            switch (function) {
            case SeriesFunction::Average: v += y[j]; break;
            case SeriesFunction::Low: v = std::min(v, y[j]); break;
            case SeriesFunction::High: v = std::max(v, y[j]); break;
            }
        }
        if (function == SeriesFunction::Average)
            v /= static_cast<double>(last - first + 1);
        out.x.push_back((x[first] + x[last]) / 2);
        out.y.push_back(v);
    }
    return out;
}
