#include "core/model/TimeMarks.h"

#include "core/model/Common.h"

#include <gtest/gtest.h>

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

// The marks are a set: a cycle marked already, or given twice, is marked once
// by every way of adding, and nothing new is announced for it.
TEST(TimeMarks, EveryWayOfAddingMarksACycleOnce)
{
    TimeMarks m = Holding({42, 7, 42, 7});
    EXPECT_EQ(m.Cycles(), std::vector<int>({7, 42}));
    int changes = 0;
    m.SetOnChanged([&changes] { ++changes; });
    EXPECT_FALSE(m.Add(42));
    EXPECT_EQ(m.AddAll({42, 7, 7}), 0);
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(m.Add(3));
    EXPECT_EQ(m.AddAll({9, 9, 42}), 1);
    EXPECT_EQ(m.Cycles(), std::vector<int>({3, 7, 9, 42}));
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
