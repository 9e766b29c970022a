#include "core/analysis/Timeline.h"

#include "core/model/Format.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

// ---- Time steps ---------------------------------------------------------------------------

std::string CheckTimelineSettings(const TimelineSettings& settings, int cycles)
{
    if (settings.window < 1)
        return "The window must be at least 1 cycle long";
    if (!settings.useMarks && settings.step < 1)
        return "The time step must be at least 1 cycle";
    if (settings.window > cycles)
        return "The window (" + std::to_string(settings.window) + " cycles) is longer than the log (" +
               std::to_string(cycles) + " cycles)";
    return {};
}

TimeStep StepWindow(int t0, int window, WindowAlign align, int cycles)
{
    TimeStep s{t0, 0, 0};
    switch (align) {
    case WindowAlign::Left:
        s.a = t0 + 1 - window;
        s.b = t0 + 1;
        break;
    case WindowAlign::Center:
        s.a = t0 - window / 2;
        s.b = t0 + (window + 1) / 2;
        break;
    case WindowAlign::Right:
        s.a = t0;
        s.b = t0 + window;
        break;
    }
    if (s.a < 0) {
        s.b -= s.a;
        s.a = 0;
    }
    if (s.b > cycles) {
        s.a = cycles - window;
        s.b = cycles;
    }
    return s;
}

std::vector<TimeStep> TimelineSteps(const TimelineSettings& settings, int cycles, const std::vector<int>& marks)
{
    std::vector<TimeStep> steps;
    if (settings.useMarks) {
        for (int mark : marks)
            if (mark >= 0 && mark < cycles)
                steps.push_back(StepWindow(mark, settings.window, settings.align, cycles));
    } else if (settings.step >= 1) {
        const int n = cycles / settings.step + 1;
        steps.reserve(static_cast<std::size_t>(n));
        for (int k = 0; k < n; ++k)
            steps.push_back(StepWindow(k * settings.step, settings.window, settings.align, cycles));
    }
    return steps;
}

TimelineCounter::TimelineCounter(int rows, int cycles, std::function<bool(int row, int cycle)> holds)
    : rows_(std::max(rows, 0)), cycles_(std::max(cycles, 0)), holds_(std::move(holds)),
      known_(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(cycles_), std::int8_t{-1})
{
}

int TimelineCounter::Count(int row, int a, int b)
{
    if (row < 0 || row >= rows_)
        return 0;
    a = std::max(a, 0);
    b = std::min(b, cycles_);
    std::int8_t* known = known_.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(cycles_);
    int count = 0;
    for (int t = a; t < b; ++t) {
        std::int8_t& k = known[t];
        if (k < 0)
            k = holds_(row, t) ? 1 : 0;
        count += k;
    }
    return count;
}

// ---- Clustering -------------------------------------------------------------------------------

namespace {

// The distances between clusters, by the index of each cluster's first time
// step (a cluster keeps the index it started with; the one joined into it
// leaves), with each live cluster's nearest later cluster.
class ClusterDistances {
public:
    ClusterDistances(const std::vector<std::vector<double>>& counts, ClusterObserver* observer)
        : counts_(counts), n_(static_cast<int>(counts.size())), centroids_(counts), members_(counts.size()),
          dist_(static_cast<std::size_t>(n_) * static_cast<std::size_t>(std::max(n_ - 1, 0)) / 2),
          nearest_(counts.size(), -1), nearestDist_(counts.size(), 0.0)
    {
        for (int k = 0; k < n_; ++k) {
            members_[static_cast<std::size_t>(k)] = {k};
            live_.push_back(k);
        }
        // Told between rows, so the loop over a row's distances stays as it is.
        const std::uint64_t total = dist_.size();
        const std::uint64_t every = std::max<std::uint64_t>(total / 1000, 65536);
        std::uint64_t done = 0;
        std::uint64_t next = 0;
        for (int a = 0; a < n_; ++a) {
            if (observer != nullptr) {
                if (done >= next) {
                    observer->Table(done, total);
                    next = done + every;
                }
                if (observer->Cancelled()) {
                    cancelled_ = true;
                    return;
                }
            }
            for (int b = a + 1; b < n_; ++b)
                At(a, b) = Distance(a, b);
            done += static_cast<std::uint64_t>(n_ - a - 1);
        }
        for (int a : live_)
            FindNearest(a);
    }

    // Whether the table was left half made at the observer's word.
    bool Cancelled() const { return cancelled_; }

    int Count() const { return static_cast<int>(live_.size()); }

    // The first pair (a, b) in (a, b) order at the strictly smallest distance;
    // false with fewer than two clusters.
    bool Nearest(int& a, int& b, double& best) const
    {
        a = b = -1;
        best = std::numeric_limits<double>::max();
        for (int x : live_) {
            const std::size_t i = static_cast<std::size_t>(x);
            if (nearest_[i] >= 0 && nearestDist_[i] < best) {
                best = nearestDist_[i];
                a = x;
                b = nearest_[i];
            }
        }
        return a >= 0;
    }

    void Join(int a, int b)
    {
        std::vector<int>& into = members_[static_cast<std::size_t>(a)];
        std::vector<int>& from = members_[static_cast<std::size_t>(b)];
        into.insert(into.end(), from.rbegin(), from.rend());
        from.clear();
        live_.erase(std::find(live_.begin(), live_.end(), b));
        // The centroid: the mean of the members' counts, summed in member order.
        std::vector<double>& c = centroids_[static_cast<std::size_t>(a)];
        std::fill(c.begin(), c.end(), 0.0);
        for (int m : into) {
            const std::vector<double>& counts = Counts(m);
            for (std::size_t r = 0; r < c.size(); ++r)
                c[r] += counts[r];
        }
        for (double& v : c)
            v /= static_cast<double>(into.size());
        for (int y : live_)
            if (y != a)
                At(std::min(a, y), std::max(a, y)) = Distance(std::min(a, y), std::max(a, y));
        // Rows that may have changed their nearest: a's own, those that pointed
        // at a or b, and those before a that a may now be nearest to.
        for (int x : live_) {
            if (x > b)
                break;
            const std::size_t i = static_cast<std::size_t>(x);
            if (x == a || nearest_[i] == a || nearest_[i] == b) {
                FindNearest(x);
            } else if (x < a) {
                const double d = At(x, a);
                if (d < nearestDist_[i] || (d == nearestDist_[i] && a < nearest_[i])) {
                    nearestDist_[i] = d;
                    nearest_[i] = a;
                }
            }
        }
    }

    std::vector<std::vector<int>> Clusters() const
    {
        std::vector<std::vector<int>> clusters;
        for (int x : live_)
            clusters.push_back(members_[static_cast<std::size_t>(x)]);
        return clusters;
    }

private:
    const std::vector<double>& Counts(int step) const { return counts_[static_cast<std::size_t>(step)]; }

    double& At(int a, int b)
    {
        // Row a of the upper triangle starts after the rows before it.
        const std::size_t row = static_cast<std::size_t>(a) * static_cast<std::size_t>(2 * n_ - a - 1) / 2;
        return dist_[row + static_cast<std::size_t>(b - a - 1)];
    }

    double Distance(int a, int b) const
    {
        const std::vector<double>& x = centroids_[static_cast<std::size_t>(a)];
        const std::vector<double>& y = centroids_[static_cast<std::size_t>(b)];
        double d = 0.0;
        for (std::size_t r = 0; r < x.size(); ++r)
            d += std::fabs(x[r] - y[r]);
        return d;
    }

    void FindNearest(int a)
    {
        const std::size_t i = static_cast<std::size_t>(a);
        nearest_[i] = -1;
        nearestDist_[i] = 0.0;
        for (auto it = std::upper_bound(live_.begin(), live_.end(), a); it != live_.end(); ++it) {
            const double d = At(a, *it);
            if (nearest_[i] < 0 || d < nearestDist_[i]) {
                nearest_[i] = *it;
                nearestDist_[i] = d;
            }
        }
    }

    const std::vector<std::vector<double>>& counts_;  // of every time step
    int n_;
    std::vector<std::vector<double>> centroids_;  // by first time step
    std::vector<std::vector<int>> members_;
    std::vector<double> dist_;                   // upper triangle, row-major
    std::vector<int> live_;                      // the clusters' first steps, ascending
    std::vector<int> nearest_;                   // the nearest later live cluster, -1 none
    std::vector<double> nearestDist_;
    bool cancelled_ = false;
};

}  // namespace

ClusterResult ClusterTimeSteps(const std::vector<std::vector<double>>& counts, int maxClusters, double maxDist,
                               ClusterObserver* observer)
{
    ClusterDistances d(counts, observer);
    ClusterResult result;
    if (d.Cancelled()) {
        result.end = ClusterEnd::Cancelled;
        return result;
    }
    while (d.Count() > maxClusters) {
        if (observer != nullptr) {
            observer->Round();
            if (observer->Cancelled()) {
                result.end = ClusterEnd::Cancelled;
                return result;
            }
        }
        int a = -1, b = -1;
        double best = 0.0;
        if (!d.Nearest(a, b, best))
            break;
        result.minDist = best;
        if (observer != nullptr)
            observer->Nearest(best, d.Count());
        if (best >= maxDist)
            break;
        if (observer != nullptr)
            observer->Joining(d.Count(), best);
        d.Join(a, b);
    }
    result.clusters = d.Clusters();
    return result;
}

std::uint64_t ClusterMemoryBytes(int steps, int items)
{
    const std::uint64_t n = steps > 0 ? static_cast<std::uint64_t>(steps) : 0;
    const std::uint64_t m = items > 0 ? static_cast<std::uint64_t>(items) : 0;
    const std::uint64_t table = n * (n > 0 ? n - 1 : 0) / 2 * sizeof(double);
    // The counts, the centroids, and per step its members, nearest and live entry.
    return table + 2 * n * m * sizeof(double) + n * (sizeof(std::vector<int>) + 4 * sizeof(int) + sizeof(double));
}

std::string CheckClusterMemory(int steps, int items, std::uint64_t available)
{
    const std::uint64_t needed = ClusterMemoryBytes(steps, items);
    if (needed <= available)
        return std::string();
    const auto megabytes = [](std::uint64_t bytes) {
        return FormatFixed(static_cast<double>(bytes) / (1024.0 * 1024.0), 1) + " MB";
    };
    return "Clustering " + std::to_string(steps) + " time steps needs " + megabytes(needed) +
           " of memory (a table of " + std::to_string(static_cast<std::uint64_t>(steps) * (steps - 1) / 2) +
           " distances), more than the " + megabytes(available) +
           " free. Nothing was clustered: a longer time step, or fewer time marks, makes fewer time steps.";
}

// ---- The report ---------------------------------------------------------------------------------

std::string CountText(double count) { return FormatFloatFixed(count, 15, 3); }

std::vector<std::string> TimelineStartLines(const std::string& fileName, WindowAlign align, const std::string& time)
{
    static const char* const kAlign[] = {"left", "center", "right"};
    return {"*** Generating timeline concepts " + fileName + " ***", "",
            std::string("Window alignment is ") + kAlign[static_cast<int>(align)] + ".", "Start time:" + time};
}

std::vector<std::string> ClusteringStartLines(const std::string& fileName, const TimelineSettings& settings,
                                              int steps, const std::string& endTime, const std::string& startTime)
{
    const std::string w = std::to_string(settings.window);
    const std::string d = FormatFloatGeneral(settings.maxDist);
    const std::string how = settings.useMarks
                                ? "Using time marks, window:" + w + " Max dist.:" + d
                                : "Window:" + w + " Time step:" + std::to_string(settings.step) + " Max dist.:" + d;
    return {"End time:" + endTime,
            "*** Clustering " + fileName + " ***",
            "",
            "Start time:" + startTime,
            how,
            "Number of initial time steps:" + std::to_string(steps),
            ""};
}

std::string JoinLine(int clusters, double best) { return std::to_string(clusters) + "\t" + CountText(best); }

std::string JoinWaitText(double best, int clusters)
{
    return "Join distance: " + CountText(best) + " Num. clusters:" + std::to_string(clusters);
}

std::string TableWaitText(std::uint64_t done, std::uint64_t total)
{
    const auto grouped = [](std::uint64_t v) {
        std::string digits = std::to_string(v);
        for (std::size_t at = digits.size(); at > 3; at -= 3)
            digits.insert(at - 3, ",");
        return digits;
    };
    return "Building the distance table: " + grouped(done) + " of " + grouped(total);
}

std::vector<std::string> ClusterReportLines(const ClusterResult& result, const std::vector<int>& times,
                                            const std::string& endTime)
{
    std::vector<std::string> lines;
    lines.push_back("Minimal distance: " + FormatFloatGeneral(result.minDist));
    lines.push_back(std::to_string(result.clusters.size()) + " clusters :");
    int number = 0;
    for (const std::vector<int>& members : result.clusters) {
        std::string line = std::to_string(++number) + ". (" + std::to_string(members.size()) + "):";
        for (int m : members) {
            line += ' ';
            line += std::to_string(times.at(static_cast<std::size_t>(m)));
        }
        lines.push_back(std::move(line));
    }
    lines.push_back("End time:" + endTime);
    return lines;
}
