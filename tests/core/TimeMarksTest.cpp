#include "core/model/TimeMarks.h"

#include "core/model/Common.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>

namespace {

std::vector<int> Range(int from, int to)  // from .. to-1
{
    std::vector<int> v(static_cast<std::size_t>(std::max(0, to - from)));
    std::iota(v.begin(), v.end(), from);
    return v;
}

TimeMarks Holding(std::vector<int> cycles)
{
    TimeMarks m;
    m.Assign(std::move(cycles));
    return m;
}

}  // namespace

// The marks are a set: every way of adding a cycle that is marked already, or
// one given twice, leaves one mark of it and announces nothing new.
TEST(TimeMarks, EveryWayOfAddingMarksACycleOnce)
{
    struct Case {
        const char* way;
        std::function<void(TimeMarks&)> add;
        int changes;
    } cases[] = {
        {"Add", [](TimeMarks& m) { EXPECT_FALSE(m.Add(42)); EXPECT_TRUE(m.Add(7)); EXPECT_FALSE(m.Add(7)); }, 1},
        {"AddAll", [](TimeMarks& m) { EXPECT_EQ(m.AddAll({42, 7, 7, 3, 42}), 1); }, 1},
        {"AddAll of marked cycles", [](TimeMarks& m) { EXPECT_EQ(m.AddAll({3, 42, 3}), 0); }, 0},
        {"Assign", [](TimeMarks& m) { m.Assign({42, 7, 42, 7}); }, 1},
        {"Paste", [](TimeMarks& m) { m.Paste("7 42 7   42"); }, 1},
    };
    for (const Case& c : cases) {
        TimeMarks m = Holding({3, 42});
        int changes = 0;
        m.SetOnChanged([&changes] { ++changes; });
        c.add(m);
        const std::vector<int> cycles = m.Cycles();
        EXPECT_TRUE(std::adjacent_find(cycles.begin(), cycles.end()) == cycles.end()) << c.way;
        EXPECT_TRUE(m.Contains(42) && std::is_sorted(cycles.begin(), cycles.end())) << c.way;
        EXPECT_EQ(changes, c.changes) << c.way;
    }
    TimeMarks m;
    m.AddAll({42, 7});
    m.Add(7);
    m.AddAll({7, 42});
    EXPECT_EQ(m.Cycles(), std::vector<int>({7, 42}));
    EXPECT_FALSE(m.Contains(8));
}

TEST(TimeMarks, PasteSplitsAtSpacesOnlyAndSortsTheMarks)
{
    struct Case {
        const char* text;
        std::vector<int> marks;
    } cases[] = {
        {"7 3  12", {3, 7, 12}},
        {"", {}},
        {"   ", {}},
        {" 4", {4}},
        {"5\n 6\r\n", {5, 6}},  // line ends around a number are trimmed away
        {"-2 +8", {-2, 8}},
        {"9 4 9", {4, 9}},
    };
    for (const Case& c : cases) {
        TimeMarks m;
        m.Paste(c.text);
        EXPECT_EQ(m.Cycles(), c.marks) << '"' << c.text << '"';
    }
    // What Copy writes, Paste reads back.
    TimeMarks copy;
    copy.Paste(Holding({0, 9, 5999}).ToText());
    EXPECT_EQ(copy.Cycles(), std::vector<int>({0, 9, 5999}));
}

TEST(TimeMarks, ABadTokenLeavesTheMarksAsTheyWere)
{
    for (const char* text : {"7\t3", "1 x 2", "1.5", "4 5a", "99999999999"}) {
        TimeMarks m = Holding({1, 2});
        int changes = 0;
        m.SetOnChanged([&changes] { ++changes; });
        EXPECT_THROW(m.Paste(text), EConvertError) << text;
        EXPECT_EQ(m.Cycles(), std::vector<int>({1, 2})) << text;
        EXPECT_EQ(changes, 0) << text;
    }
    try {
        TimeMarks::ParseText("7\t3");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'7\t3' is not a valid integer value");
    }
}

TEST(TimeMarks, RemovingTakesTheMarksOfTheGivenCycles)
{
    TimeMarks some = Holding({4, 9, 11, 12});
    EXPECT_EQ(some.RemoveAll({9, 4, 11, 30, 9}), 3);
    EXPECT_EQ(some.Cycles(), std::vector<int>({12}));

    TimeMarks m = Holding(Range(0, 21));
    EXPECT_EQ(m.RemoveAll(Range(0, 10)), 10);
    EXPECT_EQ(m.Cycles(), Range(10, 21));

    EXPECT_TRUE(m.RemoveAt(0));
    EXPECT_EQ(m.At(0), 11);
    EXPECT_FALSE(m.RemoveAt(-1));
    EXPECT_FALSE(m.RemoveAt(m.Count()));
    EXPECT_EQ(m.Count(), 10);
}

TEST(TimeMarks, InvertGivesTheUnmarkedCyclesOfTheLog)
{
    TimeMarks empty;
    empty.Invert(6);
    EXPECT_EQ(empty.Cycles(), Range(0, 6));  // as Reset

    // Marks outside the log do not come back.
    TimeMarks m = Holding({-3, 1, 4, 9});
    m.Invert(6);
    EXPECT_EQ(m.Cycles(), std::vector<int>({0, 2, 3, 5}));
    m.Invert(6);
    EXPECT_EQ(m.Cycles(), std::vector<int>({1, 4}));

    TimeMarks r = Holding({2, 2});
    r.Reset(3);
    EXPECT_EQ(r.Cycles(), Range(0, 3));
    r.Clear();
    EXPECT_TRUE(r.Empty());
}

TEST(TimeMarks, EveryChangeIsAnnouncedAndNothingElse)
{
    TimeMarks m;
    int changes = 0;
    m.SetOnChanged([&changes] { ++changes; });
    m.Add(1);
    m.Add(1);           // nothing new
    m.AddAll({1, 1});   // nothing new
    m.RemoveAt(5);      // nothing there
    m.RemoveAll({7});
    m.AddAll({});
    EXPECT_EQ(changes, 1);
    m.Invert(3);
    m.Clear();
    m.Clear();
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(m.Revision(), 3u);
}
