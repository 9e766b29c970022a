#include "core/model/SeriesFunctions.h"

#include <algorithm>
#include <cmath>
#include <limits>

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
        // Values that are no finite number are no data: they count nowhere,
        // and a block without any other value is itself no number.
        double v = std::numeric_limits<double>::quiet_NaN();
        int count = 0;
        for (std::size_t j = first; j <= last; ++j) {
            if (!std::isfinite(y[j]))
                continue;
            if (count++ == 0) {
                v = y[j];
                continue;
            }
            switch (function) {
            case SeriesFunction::Average: v += y[j]; break;
            case SeriesFunction::Low: v = std::min(v, y[j]); break;
            case SeriesFunction::High: v = std::max(v, y[j]); break;
            }
        }
        if (function == SeriesFunction::Average && count > 0)
            v /= count;
        out.x.push_back((x[first] + x[last]) / 2);
        out.y.push_back(v);
    }
    return out;
}
