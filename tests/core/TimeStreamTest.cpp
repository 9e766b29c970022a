#include "support/ChannelValuesEqual.h"
#include "core/model/timestream.h"
#include "core/expr/SeriesSource.h"
#include "support/HandFilledLog.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

using ShortChannel = DataTimeChannel<std::int16_t>;
using DoubleChannel = DataTimeChannel<double>;
using CharChannel = DataTimeChannel<std::int8_t>;
using LongChannel = DataTimeChannel<std::int32_t>;

template <typename T>
void Fill(DataTimeChannel<T>& channel, const std::vector<T>& values)
{
    for (T v : values)
        channel.AddValue(v);
}

// Expects the call to fail with the read-range assertion located in the stream header.
template <typename F>
void ExpectIndexOutOfRange(F&& call)
{
    try {
        call();
        ADD_FAILURE() << "no EAssertionFailed";
    } catch (const EAssertionFailed& e) {
        EXPECT_STREQ(e.what(), "Index out of range");
        EXPECT_STREQ(e.File(), "timestream.h");
        EXPECT_GT(e.Line(), 0);
    }
}

// time; Ball.pos.x, Ball.pos.y; Lplayer1.pos.x, Lplayer1.pos.y, Lplayer1.side
struct SmallStream {
    TimeStream stream{"RoboCup"};
    ShortChannel* time = new ShortChannel("time");
    CompositeTimeChannel* ball = new CompositeTimeChannel("Ball");
    CompositeTimeChannel* ballPos = new CompositeTimeChannel("pos");
    DoubleChannel* ballX = new DoubleChannel("x");
    DoubleChannel* ballY = new DoubleChannel("y");
    CompositeTimeChannel* player = new CompositeTimeChannel("Lplayer1");
    CompositeTimeChannel* playerPos = new CompositeTimeChannel("pos");
    DoubleChannel* playerX = new DoubleChannel("x");
    DoubleChannel* playerY = new DoubleChannel("y");
    CharChannel* side = new CharChannel("side");

    SmallStream()
    {
        stream.AddChannel(time);
        ballPos->AddChild(ballX);
        ballPos->AddChild(ballY);
        ball->AddChild(ballPos);
        stream.AddChannel(ball);
        playerPos->AddChild(playerX);
        playerPos->AddChild(playerY);
        player->AddChild(playerPos);
        player->AddChild(side);
        stream.AddChannel(player);
    }

    void FillCycles(int n)
    {
        for (int t = 0; t < n; ++t) {
            time->AddValue(static_cast<std::int16_t>(t));
            ballX->AddValue(t * 0.5);
            ballY->AddValue(-t * 1.0);
            playerX->AddValue(t + 10.0);
            playerY->AddValue(t + 20.0);
            side->AddValue(static_cast<std::int8_t>(t % 2 ? -1 : 1));
        }
    }
};

std::vector<std::string> Names(const std::vector<TimeChannel*>& channels)
{
    std::vector<std::string> names;
    for (const TimeChannel* c : channels)
        names.push_back(c->GetFullName());
    return names;
}

}  // namespace

TEST(TimeChannel, TypeWordsNamesAndLeafFlags)
{
    SmallStream s;
    EXPECT_EQ(s.time->GetTypeName(), "short");
    EXPECT_EQ(s.side->GetTypeName(), "char");
    EXPECT_EQ(LongChannel("role").GetTypeName(), "long");
    EXPECT_EQ(s.ballX->GetTypeName(), "double");
    EXPECT_EQ(s.ball->GetTypeName(), "COMPOSITE");
    EXPECT_TRUE(s.ballX->IsLeaf());
    EXPECT_FALSE(s.ballPos->IsLeaf());
    // The stream's own name never enters a full name.
    EXPECT_EQ(s.time->GetFullName(), "time");
    EXPECT_EQ(s.ballX->GetFullName(), "Ball.pos.x");
    EXPECT_EQ(s.side->GetFullName(), "Lplayer1.side");
    EXPECT_EQ(s.ballX->GetParent(), s.ballPos);
    EXPECT_EQ(s.ball->GetParent(), nullptr);
    // No room is kept ahead: a reader sizes each leaf for the cycles it read.
    EXPECT_EQ(s.ballX->GetValues().capacity(), 0u);
}

TEST(TimeChannel, FullNameFollowsALaterParent)
{
    auto* leaf = new DoubleChannel("x");
    EXPECT_EQ(leaf->GetFullName(), "x");
    CompositeTimeChannel pos("pos");
    pos.AddChild(leaf);
    EXPECT_EQ(leaf->GetFullName(), "pos.x");
    auto* ball = new CompositeTimeChannel("Ball");
    CompositeTimeChannel root("root");
    root.AddChild(ball);
    auto* vel = new CompositeTimeChannel("vel");
    auto* dx = new DoubleChannel("dx");
    vel->AddChild(dx);
    EXPECT_EQ(dx->GetFullName(), "vel.dx");
    ball->AddChild(vel);
    EXPECT_EQ(dx->GetFullName(), "root.Ball.vel.dx");
}

TEST(TimeChannel, ReadsOutsideTheStoredCyclesFail)
{
    ShortChannel c("time");
    ExpectIndexOutOfRange([&] { c.GetValue(0); });
    Fill<std::int16_t>(c, {1, 2, 3, 4, 5, 6, 7});
    ExpectIndexOutOfRange([&] { c.GetValue(-1); });
    ExpectIndexOutOfRange([&] { c.GetValue(c.GetCount()); });
    ExpectIndexOutOfRange([&] { c.Get(-1); });
    ExpectIndexOutOfRange([&] { c.Get(7); });
    for (int w = 1; w <= 9; ++w) {
        c.SetTimeWindow(w);
        EXPECT_NO_THROW(c.GetValue(c.GetCount() - 1)) << "window " << w;
        EXPECT_NO_THROW(c.Get(0)) << "window " << w;
    }
    // The assertion is a logic error of the standard kind, so generic handlers catch it.
    EXPECT_THROW(c.GetValue(100), std::logic_error);
}

TEST(TimeChannel, WindowAveragesTheCyclesBeforeAndIncludingTheCycle)
{
    DoubleChannel c("x");
    Fill<double>(c, {1.0, 2.0, 4.0, 8.0, 16.0, 32.0, 64.0});
    for (int w : {2, 3}) {
        c.SetTimeWindow(w);
        EXPECT_DOUBLE_EQ(c.GetValue(0), 1.0) << w;
        EXPECT_DOUBLE_EQ(c.GetValue(5), (16.0 + 32.0) / 2) << w;
        EXPECT_DOUBLE_EQ(c.Get(5), 24.0) << w;
    }
    for (int w : {4, 5}) {
        c.SetTimeWindow(w);
        EXPECT_DOUBLE_EQ(c.GetValue(3), (2.0 + 4.0 + 8.0 + 16.0) / 4) << w;
        EXPECT_DOUBLE_EQ(c.GetValue(0), (1.0 + 2.0) / 2) << w;    // cut at cycle 0
        EXPECT_DOUBLE_EQ(c.GetValue(6), (16.0 + 32.0 + 64.0) / 3) << w;  // cut at the end
    }
    c.SetTimeWindow(1);
    EXPECT_DOUBLE_EQ(c.GetValue(6), 64.0);
}

TEST(TimeChannel, WindowedIntegerReadsTruncateTowardZero)
{
    ShortChannel up("a");
    Fill<std::int16_t>(up, {1, 2});
    up.SetTimeWindow(2);
    EXPECT_EQ(up.GetValue(1), 1.0);
    EXPECT_EQ(up.Get(1), 1);
    ShortChannel down("b");
    Fill<std::int16_t>(down, {-1, -2});
    down.SetTimeWindow(2);
    EXPECT_EQ(down.GetValue(1), -1.0);
    EXPECT_EQ(down.Get(1), -1);
    CharChannel flags("c");
    Fill<std::int8_t>(flags, {0, 1, 1, 1});
    flags.SetTimeWindow(4);
    EXPECT_EQ(flags.GetValue(2), 0.0);  // (0 + 1 + 1 + 1) / 4 = 0.75
    EXPECT_EQ(flags.Get(3), 1);         // (1 + 1 + 1) / 3
    LongChannel big("d");
    Fill<std::int32_t>(big, {2000000000, 2000000001});
    big.SetTimeWindow(2);
    EXPECT_EQ(big.Get(1), 2000000000);
}

TEST(TimeChannel, WindowNeverBelowOne)
{
    DoubleChannel c("x");
    c.SetTimeWindow(0);
    EXPECT_EQ(c.GetTimeWindow(), 1);
    c.SetTimeWindow(-5);
    EXPECT_EQ(c.GetTimeWindow(), 1);
    SmallStream s;
    s.stream.SetTimeWindow(-5);
    EXPECT_EQ(s.stream.GetTimeWindow(), 1);
    EXPECT_EQ(s.ballX->GetTimeWindow(), 1);
}

TEST(TimeChannel, ExtremesRunWithAddValueAndAreRescanned)
{
    ShortChannel c("s");
    c.ComputeMinMax();
    EXPECT_FALSE(c.IsMinMaxValid());
    Fill<std::int16_t>(c, {5, -3, 9, 2});
    EXPECT_TRUE(c.IsMinMaxValid());
    EXPECT_EQ(c.GetMin(), -3);
    EXPECT_EQ(c.GetMax(), 9);
    // Writing in place bypasses the extremes until they are rescanned.
    c.GetValues()[2] = 100;
    EXPECT_EQ(c.GetMax(), 9);
    c.ComputeMinMax();
    EXPECT_EQ(c.GetMax(), 100);
    EXPECT_EQ(c.GetMin(), -3);
    c.Clear();
    EXPECT_EQ(c.GetCount(), 0);
    EXPECT_FALSE(c.IsMinMaxValid());
    c.AddValue(7);
    EXPECT_EQ(c.GetMin(), 7);  // the old values no longer count
    EXPECT_EQ(c.GetMax(), 7);
}

TEST(TimeStream, ListsAreInPreOrderAndLeafIndicesAreChecked)
{
    SmallStream s;
    EXPECT_EQ(Names(s.stream.GetRootChannels()), (std::vector<std::string>{"time", "Ball", "Lplayer1"}));
    EXPECT_EQ(Names(s.stream.GetChannels()),
              (std::vector<std::string>{"time", "Ball", "Ball.pos", "Ball.pos.x", "Ball.pos.y", "Lplayer1",
                                        "Lplayer1.pos", "Lplayer1.pos.x", "Lplayer1.pos.y", "Lplayer1.side"}));
    EXPECT_EQ(Names(s.stream.GetLeaves()), (std::vector<std::string>{"time", "Ball.pos.x", "Ball.pos.y",
                                                                     "Lplayer1.pos.x", "Lplayer1.pos.y",
                                                                     "Lplayer1.side"}));
    EXPECT_EQ(s.stream.GetLastLeafIndex(), 5);
    EXPECT_EQ(s.stream.GetChannel(0), s.time);
    EXPECT_EQ(s.stream.GetChannel(5), s.side);
    ExpectIndexOutOfRange([&] { s.stream.GetChannel(-1); });
    ExpectIndexOutOfRange([&] { s.stream.GetChannel(6); });
    TimeStream empty("RoboCup");
    EXPECT_EQ(empty.GetLastLeafIndex(), -1);
    ExpectIndexOutOfRange([&] { empty.GetChannel(0); });
}

TEST(TimeStream, RebuildPutsLaterChildrenAfterTheirSiblings)
{
    SmallStream s;
    auto* user = new CompositeTimeChannel("user");
    auto* expr = new DoubleChannel("speed2");
    user->AddChild(expr);
    s.ball->AddChild(user);
    // Until re-collected the lists do not know the new leaf.
    EXPECT_EQ(s.stream.FindChannel("Ball.user.speed2"), nullptr);
    EXPECT_EQ(s.stream.GetLastLeafIndex(), 5);
    s.stream.RebuildChannelLists();
    EXPECT_EQ(s.stream.GetLastLeafIndex(), 6);
    EXPECT_EQ(s.stream.GetChannel(3), expr);
    EXPECT_EQ(s.stream.GetChannel(4), s.playerX);
    EXPECT_EQ(s.stream.FindChannel("Ball.user.speed2"), expr);
    EXPECT_EQ(s.stream.GetChannels().size(), 12u);
}

TEST(TimeStream, DeleteChannelTakesOutASubtreeOnlyWhenItHoldsIt)
{
    SmallStream s;
    EXPECT_TRUE(s.stream.DeleteChannel(s.ballPos));
    EXPECT_TRUE(s.stream.DeleteChannel(s.time));
    EXPECT_EQ(Names(s.stream.GetChannels()),
              (std::vector<std::string>{"Ball", "Lplayer1", "Lplayer1.pos", "Lplayer1.pos.x", "Lplayer1.pos.y",
                                        "Lplayer1.side"}));
    DoubleChannel stranger("b");
    const std::uint64_t kept = s.stream.GetListsStamp();
    EXPECT_FALSE(s.stream.DeleteChannel(&stranger));
    EXPECT_EQ(s.stream.GetListsStamp(), kept);
}

TEST(TimeStream, FindChannelMatchesWholeFullNamesCaseSensitively)
{
    SmallStream s;
    EXPECT_EQ(s.stream.FindChannel("time"), s.time);
    EXPECT_EQ(s.stream.FindChannel("Ball"), s.ball);
    EXPECT_EQ(s.stream.FindChannel("Ball.pos"), s.ballPos);
    EXPECT_EQ(s.stream.FindChannel("Lplayer1.pos.y"), s.playerY);
    EXPECT_EQ(s.stream.FindChannel("RoboCup.time"), nullptr);
    EXPECT_EQ(s.stream.FindChannel("ball"), nullptr);
    EXPECT_EQ(s.stream.FindChannel("pos.x"), nullptr);
    EXPECT_EQ(s.stream.FindChannel(""), nullptr);
}

TEST(TimeStream, WindowGoesToTheAddedTopChannelOnlyUntilSetOnTheStream)
{
    TimeStream stream("RoboCup");
    stream.SetTimeWindow(3);
    auto* ball = new CompositeTimeChannel("Ball");
    auto* x = new DoubleChannel("x");
    ball->AddChild(x);
    stream.AddChannel(ball);
    EXPECT_EQ(ball->GetTimeWindow(), 3);
    EXPECT_EQ(x->GetTimeWindow(), 1);
    stream.SetTimeWindow(4);
    EXPECT_EQ(ball->GetTimeWindow(), 4);
    EXPECT_EQ(x->GetTimeWindow(), 4);
    for (double v : {1.0, 3.0, 5.0, 7.0})
        x->AddValue(v);
    EXPECT_DOUBLE_EQ(x->GetValue(2), (1.0 + 3.0 + 5.0 + 7.0) / 4);
}

TEST(TimeStream, RowHeaderAndFillRow)
{
    SmallStream s;
    s.FillCycles(4);
    std::vector<double> row(6, -99.0);
    // Before the header exists the stream has no row buffer to fill.
    EXPECT_EQ(s.stream.FillRow(0), -1);
    s.stream.BuildRowHeader();
    EXPECT_EQ(s.stream.GetRowHeader(), "time,Ball_pos_x,Ball_pos_y,Lplayer1_pos_x,Lplayer1_pos_y,Lplayer1_side,cycle");
    EXPECT_EQ(s.stream.GetRowBuffer().size(), 7u);

    ASSERT_EQ(s.stream.FillRow(3, row.data(), row.size()), 0);
    EXPECT_EQ(row, (std::vector<double>{3.0, 1.5, -3.0, 13.0, 23.0, -1.0}));
    // A buffer too small for all leaves is refused untouched.
    std::vector<double> small(5, -99.0);
    EXPECT_EQ(s.stream.FillRow(3, small.data(), small.size()), -1);
    EXPECT_EQ(small, std::vector<double>(5, -99.0));

    s.stream.GetRowBuffer()[6] = 2;  // the caller's cycle slot
    ASSERT_EQ(s.stream.FillRow(2), 0);
    EXPECT_EQ(s.stream.GetRowBuffer(), (std::vector<double>{2.0, 1.0, -2.0, 12.0, 22.0, 1.0, 2.0}));

    // The row goes through the time window.
    s.stream.SetTimeWindow(2);
    ASSERT_EQ(s.stream.FillRow(3), 0);
    EXPECT_DOUBLE_EQ(s.stream.GetRowBuffer()[1], (1.0 + 1.5) / 2);
    EXPECT_DOUBLE_EQ(s.stream.GetRowBuffer()[0], 2.0);  // (2 + 3) / 2 truncated
    ExpectIndexOutOfRange([&] { (void)s.stream.FillRow(4); });
}

TEST(TimeStream, ClearChannelsAndComputeAllMinMax)
{
    SmallStream s;
    s.FillCycles(3);
    s.ballX->GetValues()[1] = -7.0;
    s.stream.ComputeAllMinMax();
    EXPECT_EQ(s.ballX->GetMin(), -7.0);
    EXPECT_EQ(s.ballX->GetMax(), 1.0);
    s.stream.ClearChannels();
    for (TimeChannel* leaf : s.stream.GetLeaves())
        EXPECT_EQ(leaf->GetCount(), 0) << leaf->GetFullName();
}

TEST(WordFilter, AcceptAndRejectWords)
{
    SmallStream s;
    auto collect = [&](std::vector<std::string> accept, std::vector<std::string> reject) {
        std::vector<TimeChannel*> list;
        for (TimeChannel* root : s.stream.GetRootChannels()) {
            const int result = root->CollectFiltered(list, accept, reject);
            if (!root->IsLeaf()) {
                EXPECT_EQ(result, 0) << root->GetFullName();  // whatever passes below
            }
        }
        return Names(list);
    };
    EXPECT_EQ(collect({}, {}).size(), 6u);
    EXPECT_EQ(collect({"pos"}, {"Ball"}), (std::vector<std::string>{"Lplayer1.pos.x", "Lplayer1.pos.y"}));
    EXPECT_EQ(collect({"Pos"}, {}), std::vector<std::string>{});
    EXPECT_EQ(collect({"side", "time"}, {}), (std::vector<std::string>{"time", "Lplayer1.side"}));
    EXPECT_EQ(collect({}, {".x", ".y"}), (std::vector<std::string>{"time", "Lplayer1.side"}));
    // A blank line is a word that occurs in every name.
    EXPECT_EQ(collect({""}, {}).size(), 6u);
    EXPECT_EQ(collect({}, {""}).size(), 0u);

    std::vector<TimeChannel*> list;
    EXPECT_EQ(s.ballX->CollectFiltered(list, {"pos"}, {"Ball"}), -1);
    EXPECT_EQ(s.playerX->CollectFiltered(list, {"pos"}, {"Ball"}), 0);
    EXPECT_EQ(list, std::vector<TimeChannel*>{s.playerX});
}

TEST(ChartSeries, OneSeriesPerPassingLeafWithWindowedValues)
{
    HandFilledLog hand(3);
    LeafValues<double>(*hand.log, "Lplayer1.pos.x") = {10.0, 11.0, 13.0};
    hand.log->stream->SetTimeWindow(2);
    SeriesSource source;
    source.channel = "Lplayer1.pos.x";
    XYPoints points;
    ASSERT_TRUE(SeriesSourcePoints(*hand.log, source, points));
    EXPECT_EQ(points.y, (std::vector<double>{10, 10.5, 12}));
    source.channel = "Lplayer1.pos";  // a composite gives none
    EXPECT_FALSE(SeriesSourcePoints(*hand.log, source, points));
}

TEST(Append, CopiesScaledRawValuesOfTheSameType)
{
    DoubleChannel target("x");
    target.AddValue(1.0);
    DoubleChannel source("x");
    Fill<double>(source, {3.5, -2.0, 0.25});
    source.SetTimeWindow(3);  // raw values, not windowed ones, are copied
    EXPECT_EQ(target.Append(&source, -1.0, 0.0), 0);
    EXPECT_EQ(target.GetValues(), (std::vector<double>{1.0, -3.5, 2.0, -0.25}));
    EXPECT_EQ(target.GetMin(), -3.5);
    EXPECT_EQ(target.GetMax(), 2.0);
    EXPECT_EQ(target.Append(&source, 1.0, 3.14159), 0);
    EXPECT_DOUBLE_EQ(target.GetValues()[4], 3.5 + 3.14159);
    EXPECT_EQ(target.Append(&source, 0.0, 0.0), 0);
    EXPECT_EQ(target.GetValues().back(), 0.0);

    ShortChannel shorts("s");
    Fill<std::int16_t>(shorts, {3, 7});
    ShortChannel negated("s");
    EXPECT_EQ(negated.Append(&shorts, -1.0, 0.0), 0);
    EXPECT_EQ(negated.GetValues(), (std::vector<std::int16_t>{-3, -7}));
    EXPECT_EQ(negated.Append(&shorts, 0.5, 0.0), 0);  // 1.5, 3.5 truncated
    EXPECT_EQ(negated.GetValues(), (std::vector<std::int16_t>{-3, -7, 1, 3}));
    EXPECT_EQ(negated.GetMin(), -7);
    EXPECT_EQ(negated.GetMax(), 3);
}

TEST(Append, RefusesAnotherTypeWord)
{
    DoubleChannel target("x");
    target.AddValue(1.0);
    ShortChannel shorts("s");
    shorts.AddValue(3);
    EXPECT_EQ(target.Append(&shorts, 1.0, 0.0), -1);
    EXPECT_EQ(target.GetCount(), 1);
    int32_t from[] = {1};
    int32_t to[] = {2};
    EXPECT_EQ(target.AppendMapped(&shorts, 1, from, to), -1);
    EXPECT_EQ(target.GetCount(), 1);
    CompositeTimeChannel composite("Ball");
    EXPECT_EQ(target.Append(&composite, 1.0, 0.0), -1);
    EXPECT_EQ(target.Append(nullptr, 1.0, 0.0), -1);
    EXPECT_EQ(target.GetCount(), 1);
}

TEST(Append, OntoItselfCopiesTheValuesOnce)
{
    ShortChannel c("time");
    Fill<std::int16_t>(c, {1, 2, 3});
    EXPECT_EQ(c.Append(&c, 1.0, 100.0), 0);
    EXPECT_EQ(c.GetValues(), (std::vector<std::int16_t>{1, 2, 3, 101, 102, 103}));
    int32_t from[] = {1};
    int32_t to[] = {2};
    EXPECT_EQ(c.AppendMapped(&c, 1, from, to), 0);
    EXPECT_EQ(c.GetCount(), 12);
    EXPECT_EQ(c.GetValues()[6], 2);
    EXPECT_EQ(c.GetValues()[7], 1);
}

TEST(Append, IntegerResultsStayInsideTheElementRange)
{
    CharChannel flags("c");
    Fill<std::int8_t>(flags, {100, -100});
    CharChannel target("c");
    EXPECT_EQ(target.Append(&flags, 2.0, 0.0), 0);
    EXPECT_EQ(target.GetValues(), (std::vector<std::int8_t>{127, -128}));
    ShortChannel time("time");
    time.AddValue(32000);
    ShortChannel later("time");
    EXPECT_EQ(later.Append(&time, 1.0, 6000.0), 0);
    EXPECT_EQ(later.GetValues()[0], 32767);
}

TEST(AppendMapped, SwapsTableValuesBothWays)
{
    const int32_t from[] = {1, 2};
    const int32_t to[] = {2, 3};
    ShortChannel modes("play_mode");
    Fill<std::int16_t>(modes, {2, 3, 4, 1});
    ShortChannel target("play_mode");
    EXPECT_EQ(target.AppendMapped(&modes, 2, from, to), 0);
    EXPECT_EQ(target.GetValues(), (std::vector<std::int16_t>{1, 2, 4, 2}));
    EXPECT_EQ(target.GetMin(), 1);
    EXPECT_EQ(target.GetMax(), 4);

    // The play-mode pairs of a merge exchange the sides' modes.
    const int32_t left[] = {4, 10, 8, 14, 10, 12, 6, 17};
    const int32_t right[] = {5, 11, 9, 15, 11, 13, 7, 18};
    CharChannel kicks("m");
    Fill<std::int8_t>(kicks, {4, 5, 11, 17, 0, -1});
    CharChannel swapped("m");
    EXPECT_EQ(swapped.AppendMapped(&kicks, 8, left, right), 0);
    EXPECT_EQ(swapped.GetValues(), (std::vector<std::int8_t>{5, 4, 10, 18, 0, -1}));

    DoubleChannel doubles("d");
    Fill<double>(doubles, {2.0, 2.5, 3.0});
    DoubleChannel mapped("d");
    EXPECT_EQ(mapped.AppendMapped(&doubles, 2, from, to), 0);
    EXPECT_EQ(mapped.GetValues(), (std::vector<double>{1.0, 2.5, 2.0}));

    EXPECT_EQ(mapped.AppendMapped(&doubles, 0, from, to), 0);  // no pairs: plain copy
    EXPECT_EQ(mapped.GetCount(), 6);
    EXPECT_EQ(mapped.GetValues()[3], 2.0);
}
