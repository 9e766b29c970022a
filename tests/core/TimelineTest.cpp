// The timeline of concept counts and the clustering of its time steps: the
// windows at the log's ends for each alignment, the steps by step and by marks,
// counting each cycle's verdict once, the joins against a plain all-pairs
// search, and the report's exact lines.
#include "core/analysis/Timeline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

struct WindowCase {
    int t0;
    int window;
    WindowAlign align;
    int a;
    int b;
};

// The clustering as the window has always described it: every round compares
// all pairs in (a, b) order, a pair's sum stops once it reaches the best so
// far, and only a strictly smaller distance wins.
ClusterResult ReferenceClustering(const std::vector<std::vector<double>>& counts, int maxClusters, double maxDist,
                                  std::vector<std::string>* joins)
{
    std::vector<std::vector<int>> members;
    std::vector<std::vector<double>> centroids = counts;
    for (std::size_t k = 0; k < counts.size(); ++k)
        members.push_back({static_cast<int>(k)});
    ClusterResult r;
    while (static_cast<int>(members.size()) > maxClusters) {
        double best = std::numeric_limits<double>::max();
        int ba = -1, bb = -1;
        for (std::size_t a = 0; a < members.size(); ++a) {
            for (std::size_t b = a + 1; b < members.size(); ++b) {
                double d = 0;
                for (std::size_t i = 0; i < centroids[a].size() && d < best; ++i)
                    d += std::fabs(centroids[a][i] - centroids[b][i]);
                if (d < best) {
                    best = d;
                    ba = static_cast<int>(a);
                    bb = static_cast<int>(b);
                    r.minDist = best;
                }
            }
        }
        if (ba < 0 || best >= maxDist)
            break;
        joins->push_back(JoinLine(static_cast<int>(members.size()), best));
        auto& into = members[static_cast<std::size_t>(ba)];
        const auto& from = members[static_cast<std::size_t>(bb)];
        into.insert(into.end(), from.rbegin(), from.rend());
        std::vector<double>& c = centroids[static_cast<std::size_t>(ba)];
        for (std::size_t i = 0; i < c.size(); ++i) {
            double sum = 0;
            for (int m : into)
                sum += counts[static_cast<std::size_t>(m)][i];
            c[i] = sum / static_cast<double>(into.size());
        }
        members.erase(members.begin() + bb);
        centroids.erase(centroids.begin() + bb);
    }
    r.clusters = members;
    return r;
}

class JoinRecorder : public ClusterObserver {
public:
    void Table(std::uint64_t done, std::uint64_t total) override { tables.push_back(TableWaitText(done, total)); }
    void Round() override { ++rounds; }
    void Nearest(double best, int clusters) override { waits.push_back(JoinWaitText(best, clusters)); }
    void Joining(int clusters, double best) override { joins.push_back(JoinLine(clusters, best)); }
    bool Cancelled() override { return ++asked == cancelAt; }
    int rounds = 0, asked = 0, cancelAt = 0;
    std::vector<std::string> waits;
    std::vector<std::string> joins;
    std::vector<std::string> tables;
};

std::vector<int> Times(int n, int step)
{
    std::vector<int> times;
    for (int k = 0; k < n; ++k)
        times.push_back(k * step);
    return times;
}

}  // namespace

TEST(Timeline, WindowsLieAroundTheStepAndStayInsideTheLog)
{
    using A = WindowAlign;
    const WindowCase cases[] = {
        {100, 30, A::Left, 71, 101},     {100, 30, A::Center, 85, 115},   {100, 30, A::Right, 100, 130},
        {100, 31, A::Center, 85, 116},   {0, 30, A::Center, 0, 30},       {10, 30, A::Left, 0, 30},
        {0, 30, A::Right, 0, 30},        {5990, 30, A::Right, 5970, 6000}, {6000, 30, A::Center, 5970, 6000},
        {6000, 30, A::Left, 5970, 6000}, {5999, 30, A::Left, 5970, 6000}, {3, 1, A::Center, 3, 4},
        {0, 6000, A::Center, 0, 6000},
    };
    for (const WindowCase& c : cases) {
        const TimeStep s = StepWindow(c.t0, c.window, c.align, 6000);
        EXPECT_EQ(s.t0, c.t0);
        EXPECT_EQ(s.a, c.a) << c.t0 << " W " << c.window << " align " << static_cast<int>(c.align);
        EXPECT_EQ(s.b, c.b) << c.t0 << " W " << c.window << " align " << static_cast<int>(c.align);
    }
}

TEST(Timeline, StepsEveryStepCyclesOrAtTheMarksInsideTheLog)
{
    TimelineSettings every;
    every.window = 30;
    every.step = 10;
    const std::vector<TimeStep> steps = TimelineSteps(every, 6000, {});
    ASSERT_EQ(steps.size(), 601u);
    EXPECT_EQ(steps[1].t0, 10);
    EXPECT_EQ(steps.back().t0, 6000);
    EXPECT_EQ(steps.back().a, 5970);
    EXPECT_EQ(steps.back().b, 6000);
    EXPECT_EQ(TimelineSteps(every, 6005, {}).size(), 601u);

    TimelineSettings marks = every;
    marks.useMarks = true;
    marks.align = WindowAlign::Right;
    const std::vector<TimeStep> marked = TimelineSteps(marks, 6000, {-5, 10, 6000, 20, 10, 5999});
    ASSERT_EQ(marked.size(), 4u);
    EXPECT_EQ(marked[0].t0, 10);
    EXPECT_EQ(marked[1].t0, 20);
    EXPECT_EQ(marked[2].t0, 10);
    EXPECT_EQ(marked[3].t0, 5999);
    EXPECT_EQ(marked[3].a, 5970);
    EXPECT_TRUE(TimelineSteps(marks, 6000, {}).empty());
}

TEST(Timeline, SettingsThatCannotMakeATimelineAreRefused)
{
    TimelineSettings s;
    EXPECT_EQ(CheckTimelineSettings(s, 300), "");
    s.window = 300;
    EXPECT_EQ(CheckTimelineSettings(s, 300), "");
    s.window = 301;
    EXPECT_EQ(CheckTimelineSettings(s, 300), "The window (301 cycles) is longer than the log (300 cycles)");
    s.window = 0;
    EXPECT_EQ(CheckTimelineSettings(s, 300), "The window must be at least 1 cycle long");
    s.window = 30;
    s.step = 0;
    EXPECT_EQ(CheckTimelineSettings(s, 300), "The time step must be at least 1 cycle");
    // With marks the step is not used.
    s.useMarks = true;
    EXPECT_EQ(CheckTimelineSettings(s, 300), "");
}

TEST(Timeline, EveryAlignmentCountsItsWholeWindowAndEachCycleIsJudgedOnce)
{
    int judged = 0;
    // Item 0 holds everywhere, item 1 at even cycles.
    TimelineCounter counter(2, 6000, [&judged](int row, int t) {
        ++judged;
        return row == 0 || t % 2 == 0;
    });
    for (WindowAlign align : {WindowAlign::Left, WindowAlign::Center, WindowAlign::Right}) {
        TimelineSettings s;
        s.align = align;
        for (const TimeStep& step : TimelineSteps(s, 6000, {})) {
            ASSERT_EQ(counter.Count(0, step.a, step.b), 30) << step.t0;
            ASSERT_EQ(counter.Count(1, step.a, step.b), 15) << step.t0;
        }
    }
    EXPECT_EQ(judged, 2 * 6000);
    EXPECT_EQ(counter.Count(0, -10, 5), 5);
    EXPECT_EQ(counter.Count(0, 5990, 7000), 10);
    EXPECT_EQ(counter.Count(2, 0, 10), 0);
}

TEST(Timeline, AsManyClustersAsAllowedJoinNothing)
{
    JoinRecorder seen;
    const ClusterResult r = ClusterTimeSteps({{1, 2}, {1, 2}, {7, 0}}, 3, 10.0, &seen);
    EXPECT_EQ(seen.rounds, 0);
    EXPECT_EQ(r.minDist, -1.0);
    EXPECT_EQ(ClusterReportLines(r, Times(3, 10), "12:00:01"),
              (std::vector<std::string>{"Minimal distance: -1", "3 clusters :", "1. (1): 0", "2. (1): 10",
                                        "3. (1): 20", "End time:12:00:01"}));
}

TEST(Timeline, EqualStepsJoinFirstAndJoinedMembersFollowLastFirst)
{
    const std::vector<std::vector<double>> counts{{0}, {5}, {0}, {9}};
    JoinRecorder seen;
    const ClusterResult r = ClusterTimeSteps(counts, 1, 10.0, &seen);
    EXPECT_EQ(seen.joins, (std::vector<std::string>{"4\t0.000", "3\t4.000", "2\t7.000"}));
    EXPECT_EQ(seen.waits, (std::vector<std::string>{"Join distance: 0.000 Num. clusters:4",
                                                    "Join distance: 4.000 Num. clusters:3",
                                                    "Join distance: 7.000 Num. clusters:2"}));
    EXPECT_EQ(ClusterReportLines(r, Times(4, 10), "t"),
              (std::vector<std::string>{"Minimal distance: 7", "1 clusters :", "1. (4): 0 20 30 10", "End time:t"}));

    // The pair too far apart stops the joining and is the minimal distance.
    const ClusterResult stopped = ClusterTimeSteps(counts, 1, 6.0);
    EXPECT_EQ(ClusterReportLines(stopped, {3, 8, 13, 21}, "t"),
              (std::vector<std::string>{"Minimal distance: 7", "2 clusters :", "1. (2): 3 13", "2. (2): 8 21",
                                        "End time:t"}));
    // With no distance allowed, even equal steps stay apart.
    const ClusterResult none = ClusterTimeSteps(counts, 1, 0.0);
    EXPECT_EQ(none.clusters.size(), 4u);
    EXPECT_EQ(none.minDist, 0.0);
    for (const auto& [at, joins] : {std::pair{4, std::size_t{0}}, {6, 1}}) {
        JoinRecorder cancel;  // Cancel is asked per time step while the table is made (1-4), then per round
        cancel.cancelAt = at;
        EXPECT_EQ(ClusterTimeSteps(counts, 1, 10.0, &cancel).end, ClusterEnd::Cancelled) << at;
        EXPECT_EQ(cancel.joins.size(), joins) << at;
    }
}

// The count is told between rows: before the first, then a thousandth of the
// table apart, or 65,536 distances when that is more.
TEST(Timeline, TheTableTellsHowManyDistancesAreDone)
{
    JoinRecorder seen;
    ClusterTimeSteps(std::vector<std::vector<double>>(400, {1.0}), 1, 0.0, &seen);
    EXPECT_EQ(seen.tables, (std::vector<std::string>{"Building the distance table: 0 of 79,800",
                                                     "Building the distance table: 65,604 of 79,800"}));
    EXPECT_EQ(TableWaitText(1234567, 103000000), "Building the distance table: 1,234,567 of 103,000,000");
}

TEST(Timeline, KeptDistancesJoinAsComparingAllPairsDoes)
{
    std::mt19937 random(7);
    for (int run = 0; run < 60; ++run) {
        const int n = 1 + static_cast<int>(random() % 40);
        const int items = static_cast<int>(random() % 5);
        std::vector<std::vector<double>> counts(static_cast<std::size_t>(n));
        for (auto& c : counts)
            for (int i = 0; i < items; ++i)
                c.push_back(static_cast<double>(random() % 4));  // few values: many ties
        const int maxClusters = static_cast<int>(random() % 6);
        const double maxDist = run % 3 == 0 ? 1e9 : static_cast<double>(random() % 6);
        std::vector<std::string> expectedJoins;
        const ClusterResult expected = ReferenceClustering(counts, maxClusters, maxDist, &expectedJoins);
        JoinRecorder seen;
        const ClusterResult r = ClusterTimeSteps(counts, maxClusters, maxDist, &seen);
        ASSERT_EQ(r.clusters, expected.clusters) << "run " << run;
        ASSERT_EQ(r.minDist, expected.minDist) << "run " << run;
        ASSERT_EQ(seen.joins, expectedJoins) << "run " << run;
    }
}

TEST(Timeline, ReportLines)
{
    EXPECT_EQ(TimelineStartLines("a.rcg", WindowAlign::Center, "09:05:00"),
              (std::vector<std::string>{"*** Generating timeline concepts a.rcg ***", "", "Window alignment is center.",
                                        "Start time:09:05:00"}));
    EXPECT_EQ(TimelineStartLines("a.rcg", WindowAlign::Left, "x")[2], "Window alignment is left.");
    EXPECT_EQ(TimelineStartLines("a.rcg", WindowAlign::Right, "x")[2], "Window alignment is right.");
    TimelineSettings s;
    s.maxDist = 2.5;
    EXPECT_EQ(ClusteringStartLines("a.rcg", s, 601, "09:05:03", "09:05:04"),
              (std::vector<std::string>{"End time:09:05:03", "*** Clustering a.rcg ***", "", "Start time:09:05:04",
                                        "Window:30 Time step:10 Max dist.:2.5", "Number of initial time steps:601",
                                        ""}));
    s.useMarks = true;
    s.maxDist = 10;
    EXPECT_EQ(ClusteringStartLines("a.rcg", s, 4, "e", "s")[4], "Using time marks, window:30 Max dist.:10");
    EXPECT_EQ(JoinLine(601, 0.0), "601\t0.000");
    EXPECT_EQ(CountText(17), "17.000");
    EXPECT_EQ(CheckClusterMemory(13757, 1, 500ull << 20),
              "Clustering 13757 time steps needs 722.7 MB of memory (a table of 94620646 distances), more than the "
              "500.0 MB free. Nothing was clustered: a longer time step, or fewer time marks, makes fewer time steps.");
    EXPECT_EQ(CheckClusterMemory(13757, 1, 800ull << 20), "");
}
