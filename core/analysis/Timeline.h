// A log as a timeline of concept counts, and its moments grouped bottom-up.
// Time steps lie every few cycles or at the time marks; each is described by
// how many cycles of a window around it each selected concept item holds; then
// the two clusters of time steps whose mean counts are nearest (Manhattan
// distance) are joined again and again, until few enough clusters remain or the
// nearest pair is too far apart. No window code: the concept-usage window shows
// the counts and the report.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum class WindowAlign { Left = 0, Center = 1, Right = 2 };

struct TimelineSettings {
    int window = 30;        // W, cycles
    int step = 10;          // cycles between time steps without marks
    int maxClusters = 10;   // joining stops at this many clusters or fewer
    double maxDist = 10.0;  // joining stops when the nearest pair is at least this far apart
    WindowAlign align = WindowAlign::Center;
    bool useMarks = false;  // time steps at the marks
};

// Why the settings cannot make a timeline of a log of that many cycles; empty
// when they can. (A window below 1 cycle or longer than the log, and a step
// below 1 without marks.)
std::string CheckTimelineSettings(const TimelineSettings& settings, int cycles);

// One time step: its time t0 and the cycles [a, b) its window counts.
struct TimeStep {
    int t0 = 0;
    int a = 0;
    int b = 0;
};

// The window of a time step: Left [t0 + 1 - W, t0 + 1), Center
// [t0 - W/2, t0 + (W + 1)/2), Right [t0, t0 + W); moved right to start at 0, or
// left to end at the log's end. Needs 1 <= W <= cycles.
TimeStep StepWindow(int t0, int window, WindowAlign align, int cycles);

// The time steps of a log: at the marks inside the log, in their order (marks
// outside the log are skipped), or at 0, step, 2 step, ... up to and including
// cycles. Needs valid settings.
std::vector<TimeStep> TimelineSteps(const TimelineSettings& settings, int cycles, const std::vector<int>& marks);

// How many cycles of a range each item holds, every item judged at a cycle at
// most once however many windows share that cycle.
class TimelineCounter {
public:
    // holds(row, cycle): whether item row holds at the cycle (0 <= cycle < cycles).
    TimelineCounter(int rows, int cycles, std::function<bool(int row, int cycle)> holds);
    // Cycles t with a <= t < b (cut to the log) at which item row holds.
    int Count(int row, int a, int b);

private:
    int rows_;
    int cycles_;
    std::function<bool(int, int)> holds_;
    std::vector<std::int8_t> known_;  // row-major: -1 not judged yet, else 0 or 1
};

// ---- Clustering -------------------------------------------------------------------------

// What a clustering run tells while it works.
class ClusterObserver {
public:
    virtual ~ClusterObserver() = default;
    // While the table of distances is first made: how many of all of them are
    // done, told before the first and then now and then (about a thousandth of
    // the table apart, never more often than every 65,536 distances).
    virtual void Table(std::uint64_t done, std::uint64_t total) { (void)done; (void)total; }
    // Before each round's search for the nearest pair.
    virtual void Round() {}
    // The nearest pair's distance and the number of clusters; best is negative
    // when fewer than two clusters remain.
    virtual void Nearest(double best, int clusters) { (void)best; (void)clusters; }
    // A pair at that distance is about to be joined; clusters is the count before.
    virtual void Joining(int clusters, double best) { (void)clusters; (void)best; }
    // Asked once per time step while the distances are first computed and
    // once per round: true stops the run there (the user pressed Cancel).
    virtual bool Cancelled() { return false; }
};

// How a clustering run ended: joined as far as the settings let it, or
// stopped by the observer (the clusters are then of no use).
enum class ClusterEnd { Done, Cancelled };

struct ClusterResult {
    ClusterEnd end = ClusterEnd::Done;
    // The clusters, ordered by their first time step: the time-step indices of
    // each, in the order they joined (a joined cluster's members appended last first).
    std::vector<std::vector<int>> clusters;
    // The distance of the last nearest pair found; -1 when no pair was compared.
    double minDist = -1.0;
};

// Agglomerative clustering of the time steps. counts[k] holds time step k's
// count of every item (all of one length). Each round, when more than
// maxClusters clusters remain, the pair (a < b) with the strictly smallest
// Manhattan distance of their centroids (the first pair in (a, b) order on
// ties) is joined when that distance is below maxDist: b's members go after
// a's, a's centroid becomes the mean of its members' counts, b leaves. The
// distances are kept between rounds and only the joined cluster's are
// recomputed; the result is that of comparing all pairs every round.
ClusterResult ClusterTimeSteps(const std::vector<std::vector<double>>& counts, int maxClusters, double maxDist,
                               ClusterObserver* observer = nullptr);

// The bytes a clustering of that many time steps over that many items holds
// at once: the table of the distances of every pair of steps (steps x
// (steps - 1) / 2 numbers), the counts and the centroids.
std::uint64_t ClusterMemoryBytes(int steps, int items);
// Why a clustering of that many steps and items cannot be had with the
// memory available (bytes): the message names what it needs and what there
// is. Empty when it fits.
std::string CheckClusterMemory(int steps, int items, std::uint64_t available);

// ---- The report ---------------------------------------------------------------------------

// "*** Generating timeline concepts <file> ***", "", "Window alignment is
// left." (center., right.), "Start time:<time>".
std::vector<std::string> TimelineStartLines(const std::string& fileName, WindowAlign align, const std::string& time);
// "End time:<time>", "*** Clustering <file> ***", "", "Start time:<time>", the
// settings ("Using time marks, window:<W> Max dist.:<d>" or "Window:<W> Time
// step:<step> Max dist.:<d>"), "Number of initial time steps:<N>", "".
std::vector<std::string> ClusteringStartLines(const std::string& fileName, const TimelineSettings& settings,
                                              int steps, const std::string& endTime, const std::string& startTime);
// "<C>\t<d.ddd>": a join, with the cluster count before it.
std::string JoinLine(int clusters, double best);
// "Join distance: <d.ddd> Num. clusters:<C>".
std::string JoinWaitText(double best, int clusters);
// "Building the distance table: <done> of <total>", the numbers with "," between
// thousands ("1,234,567 of 103,000,000").
std::string TableWaitText(std::uint64_t done, std::uint64_t total);
// "Minimal distance: <d>", "<C> clusters :", then per cluster "<n>. (<size>):"
// and " <time>" per member (times[k] the time of step k), "End time:<time>".
std::vector<std::string> ClusterReportLines(const ClusterResult& result, const std::vector<int>& times,
                                            const std::string& endTime);
// A count as the timeline grid shows it: three decimals.
std::string CountText(double count);
