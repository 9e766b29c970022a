#include "core/concepts/Evaluators.h"

#include "support/FilledRecord.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

BasicGameData At(double x, double y)
{
    BasicGameData s;
    s.x = x;
    s.y = y;
    return s;
}

bool Holds(BasicEvaluator&& e, BasicGameData s) { return e.Evaluate(&s); }

constexpr double kInf = std::numeric_limits<double>::infinity();

}  // namespace

TEST(RegionEvaluators, RectangleBoundsAreInsideAndModeSelectsTheSide)
{
    SquareRegionEvaluator inside(-52.5, -34, 52.5, 34, 0);
    SquareRegionEvaluator outside(-52.5, -34, 52.5, 34, 1);
    SquareRegionEvaluator always(-52.5, -34, 52.5, 34, 2);
    for (auto [x, y] : {std::pair{0.0, 34.0}, {0.0, -34.0}, {-52.5, 0.0}, {52.5, 0.0}, {52.5, 34.0}}) {
        BasicGameData s = At(x, y);
        EXPECT_TRUE(inside.Evaluate(&s)) << x << "," << y;
        EXPECT_FALSE(outside.Evaluate(&s)) << x << "," << y;
        EXPECT_TRUE(always.Evaluate(&s));
    }
    for (auto [x, y] : {std::pair{0.0, 34.01}, {-52.51, 0.0}, {60.0, -40.0}}) {
        BasicGameData s = At(x, y);
        EXPECT_FALSE(inside.Evaluate(&s)) << x << "," << y;
        EXPECT_TRUE(outside.Evaluate(&s)) << x << "," << y;
        EXPECT_TRUE(always.Evaluate(&s));
    }
}

TEST(RegionEvaluators, CircleIncludesItsRim)
{
    EXPECT_TRUE(Holds(CircleRegionEvaluator(0, 0, 9.1), At(0, 9.1)));
    EXPECT_TRUE(Holds(CircleRegionEvaluator(0, 0, 9.1), At(-9.1, 0)));
    EXPECT_FALSE(Holds(CircleRegionEvaluator(0, 0, 9.1), At(6.5, 6.5)));  // 9.19 away
    EXPECT_TRUE(Holds(CircleRegionEvaluator(10, -5, 5), At(13, -1)));     // exactly 5 away
    EXPECT_FALSE(Holds(CircleRegionEvaluator(10, -5, 5), At(0, 0)));
}

TEST(RegionEvaluators, LinesAreNotBeyondThemselves)
{
    EXPECT_TRUE(Holds(SidelineEvaluator(true, false), At(0, -34.5)));
    EXPECT_FALSE(Holds(SidelineEvaluator(true, false), At(0, -34)));
    EXPECT_FALSE(Holds(SidelineEvaluator(true, false), At(0, 40)));
    EXPECT_TRUE(Holds(SidelineEvaluator(false, true), At(0, 40)));
    EXPECT_FALSE(Holds(SidelineEvaluator(false, true), At(0, 34)));
    EXPECT_TRUE(Holds(SidelineEvaluator(true, true), At(0, -34.01)));

    EXPECT_TRUE(Holds(GoallineEvaluator(true, false), At(-52.6, 0)));
    EXPECT_FALSE(Holds(GoallineEvaluator(true, false), At(-52.5, 0)));
    EXPECT_FALSE(Holds(GoallineEvaluator(true, false), At(53, 0)));
    EXPECT_TRUE(Holds(GoallineEvaluator(false, true), At(53, 0)));
    EXPECT_FALSE(Holds(GoallineEvaluator(false, true), At(52.5, 0)));
}

TEST(SpeedEvaluator, WindowIsMovedIntoTheLogAtBothEnds)
{
    const int n = 10;
    FilledRecord log(n);
    // Player 4 moves 0.09 between cycles 0 and 2 and between n-3 and n-1; the
    // cycles in between jump far away so that a wrong window shows.
    log.PlaceAlways(4, 20, 20);
    log.Place(4, 0, 0, 0);
    log.Place(4, 2, 0.09, 0);
    log.Place(4, n - 3, 0, 0);
    log.Place(4, n - 1, 0, 0.09);

    SpeedEvaluator stationary(3, 0, 0.03);
    SpeedEvaluator moving(3, 0.03, 9999.99);
    SpeedEvaluator slow(3, 0.03, 0.1);
    for (int t : {0, n - 1}) {
        BasicGameData s = log.At(4, t);
        EXPECT_TRUE(moving.Evaluate(&s)) << t;
        EXPECT_TRUE(slow.Evaluate(&s)) << t;
        EXPECT_FALSE(stationary.Evaluate(&s)) << t;
    }
    // In the middle the window is t-1 .. t+1: 5 units from cycle 3 to cycle 5.
    log.Place(4, 5, 23, 24);
    BasicGameData mid = log.At(4, 4);
    EXPECT_TRUE(SpeedEvaluator(3, 1.66, 1.67).Evaluate(&mid));
}

TEST(SpeedEvaluator, DividesByTheWindowAndWorksForTheBall)
{
    FilledRecord log(8);
    for (int t = 0; t < 8; ++t)
        log.Place(0, t, t * 1.0, 0);  // the ball moves 1 per cycle
    // Window 4 at t = 4 runs from 2 to 5: 3 units over a window of 4.
    BasicGameData s = log.At(0, 4);
    EXPECT_TRUE(SpeedEvaluator(4, 0.75, 0.76).Evaluate(&s));
    EXPECT_FALSE(SpeedEvaluator(4, 0.76, 2).Evaluate(&s));
    // Window 1 measures nothing: first and last are the cycle itself.
    EXPECT_TRUE(SpeedEvaluator(1, 0, 0.01).Evaluate(&s));
}

TEST(BallRelativeEvaluators, AreFalseForTheBallAtEveryCycle)
{
    FilledRecord log(5);
    for (int t = 0; t < 5; ++t)
        log.Place(0, t, 3.0 * t, 1);
    for (int t = 0; t < 5; ++t) {
        BasicGameData s = log.At(0, t);
        EXPECT_FALSE(HasBallEvaluator().Evaluate(&s));
        EXPECT_FALSE(RelativePosEvaluator(0, 0).Evaluate(&s));
        EXPECT_FALSE(RelativeSpeedEvaluator(-kInf, kInf).Evaluate(&s));
    }
}

TEST(BallRelativeEvaluators, HasBallReadsThePossessorFlag)
{
    FilledRecord log(3);
    log.SetPossessor(7, 1, 1);
    log.SetPossessor(8, 1, 2);
    BasicGameData holder = log.At(7, 1);
    BasicGameData before = log.At(7, 0);
    BasicGameData other = log.At(8, 1);
    EXPECT_TRUE(HasBallEvaluator().Evaluate(&holder));
    EXPECT_FALSE(HasBallEvaluator().Evaluate(&before));
    EXPECT_FALSE(HasBallEvaluator().Evaluate(&other));
}

TEST(BallRelativeEvaluators, RelativePositionHoldsOnEquality)
{
    FilledRecord log(1);
    log.PlaceAlways(0, 10, 5);
    log.PlaceAlways(3, 10, 8);  // ball straight "above" the player: same x, smaller y
    BasicGameData s = log.At(3, 0);
    EXPECT_TRUE(RelativePosEvaluator(1, 0).Evaluate(&s));
    EXPECT_TRUE(RelativePosEvaluator(-1, 0).Evaluate(&s));
    EXPECT_TRUE(RelativePosEvaluator(0, -1).Evaluate(&s));
    EXPECT_FALSE(RelativePosEvaluator(0, 1).Evaluate(&s));
    log.PlaceAlways(3, 12, 8);  // now the ball lies at smaller x too
    s = log.At(3, 0);
    EXPECT_TRUE(RelativePosEvaluator(-1, -1).Evaluate(&s));
    EXPECT_FALSE(RelativePosEvaluator(1, 0).Evaluate(&s));
}

TEST(BallRelativeEvaluators, RelativeSpeedUsesNeighboursMovedIntoTheLog)
{
    const int n = 8;
    FilledRecord log(n);
    log.PlaceAlways(5, 0, 0);
    log.PlaceAlways(0, 50, 0);  // far away except at the cycles that count
    log.Place(0, n - 3, 10, 0);
    log.Place(0, n - 1, 8.8, 0);  // 1.2 closer over the two steps
    log.Place(0, 0, 4, 0);
    log.Place(0, 2, 5.5, 0);  // 1.5 farther
    BasicGameData last = log.At(5, n - 1);
    EXPECT_TRUE(RelativeSpeedEvaluator(-0.41, -0.39).Evaluate(&last));
    EXPECT_TRUE(RelativeSpeedEvaluator(-1, -0.3).Evaluate(&last));  // "Incoming-slow"
    EXPECT_FALSE(RelativeSpeedEvaluator(-0.3, 0.3).Evaluate(&last));
    BasicGameData first = log.At(5, 0);
    EXPECT_TRUE(RelativeSpeedEvaluator(0.49, 0.51).Evaluate(&first));
    // In the middle: cycles 2 and 4, from 5.5 to 50 away.
    BasicGameData mid = log.At(5, 3);
    EXPECT_TRUE(RelativeSpeedEvaluator(14.83, 14.84).Evaluate(&mid));
}

TEST(RelativeDistEvaluator, RangeOfTheDistanceToTheBall)
{
    FilledRecord log(1);
    log.PlaceAlways(0, 0, 0);
    log.PlaceAlways(9, 18, 24);  // 30 away
    BasicGameData s = log.At(9, 0);
    EXPECT_TRUE(RelativeDistEvaluator(30, 999999, 0, 0, false).Evaluate(&s));
    EXPECT_TRUE(RelativeDistEvaluator(13, 999999, 0, 0, false).Evaluate(&s));
    EXPECT_FALSE(RelativeDistEvaluator(13, 30, 0, 0, false).Evaluate(&s));
    EXPECT_FALSE(RelativeDistEvaluator(5, 30, 0, 0, false).Evaluate(&s));
}

TEST(EvaluatorGuards, ShortLogsNeverReadOutsideTheChannels)
{
    // Two cycles: both windows reach past the log and must be cut, not fail.
    FilledRecord two(2);
    two.Place(6, 1, 0.3, 0.4);  // 0.5 over the window of 3
    two.PlaceAlways(0, 3, 0);
    two.Place(0, 1, 0, 0);
    for (int t : {0, 1}) {
        BasicGameData s = two.At(6, t);
        EXPECT_NO_THROW({
            EXPECT_TRUE(SpeedEvaluator(3, 0.16, 0.17).Evaluate(&s)) << t;
            // Ball distance 3 at cycle 0 and 0.5 at cycle 1.
            EXPECT_TRUE(RelativeSpeedEvaluator(-0.84, -0.83).Evaluate(&s)) << t;
        });
    }
    // One cycle: nothing moves.
    FilledRecord one(1);
    BasicGameData s = one.At(6, 0);
    EXPECT_TRUE(SpeedEvaluator(3, 0, 0.03).Evaluate(&s));
    EXPECT_TRUE(RelativeSpeedEvaluator(0, 0.3).Evaluate(&s));
}

TEST(EvaluatorGuards, EmptyLogBadCycleOrBadObjectHoldNothing)
{
    FilledRecord empty(0);
    FilledRecord log(4);
    log.SetPossessor(2, 0, 1);
    log.SetPossessor(2, 3, 1);
    auto allFalse = [](BasicGameData s) {
        EXPECT_FALSE(SpeedEvaluator(3, -kInf, kInf).Evaluate(&s));
        EXPECT_FALSE(HasBallEvaluator().Evaluate(&s));
        EXPECT_FALSE(RelativePosEvaluator(0, 0).Evaluate(&s));
        EXPECT_FALSE(RelativeSpeedEvaluator(-kInf, kInf).Evaluate(&s));
        EXPECT_FALSE(RelativeDistEvaluator(-kInf, kInf, 0, 0, false).Evaluate(&s));
    };
    allFalse(empty.At(2, 0));
    // A log without cycles has no situation to judge, not even where only the
    // position counts: the whole pitch, its outside and the "always" mode.
    BasicGameData centre = empty.At(2, 0);
    EXPECT_FALSE(SquareRegionEvaluator(-52.5, -34, 52.5, 34, 0).Evaluate(&centre));
    EXPECT_FALSE(SquareRegionEvaluator(10, 10, 20, 20, 1).Evaluate(&centre));
    EXPECT_FALSE(SquareRegionEvaluator(-52.5, -34, 52.5, 34, 2).Evaluate(&centre));
    EXPECT_FALSE(CircleRegionEvaluator(0, 0, 9.1).Evaluate(&centre));
    centre.y = -40;
    centre.x = 60;
    EXPECT_FALSE(SidelineEvaluator(true, true).Evaluate(&centre));
    EXPECT_FALSE(GoallineEvaluator(true, true).Evaluate(&centre));
    allFalse(log.At(2, -1));
    allFalse(log.At(2, 4));
    allFalse(log.At(-1, 0));
    allFalse(log.At(23, 0));
    BasicGameData noLog;
    noLog.object = 2;
    allFalse(noLog);
    // The same situations on valid cycles and objects do hold.
    BasicGameData ok = log.At(2, 3);
    EXPECT_TRUE(HasBallEvaluator().Evaluate(&ok));
    EXPECT_TRUE(SpeedEvaluator(3, -kInf, kInf).Evaluate(&ok));
}

TEST(EvaluatorGuards, NotANumberHoldsNoRange)
{
    FilledRecord log(1);
    BasicGameData s = log.At(1, 0);
    s.object = -1;  // team level
    // A code outside the known ones has no value; not even the widest range holds.
    EXPECT_FALSE(RelativeDistEvaluator(-kInf, kInf, 1, -4, true).Evaluate(&s));
    EXPECT_TRUE(RelativeDistEvaluator(-kInf, kInf, 1, -1, true).Evaluate(&s));
}

TEST(EvaluatorReads, PositionsGoThroughTheStreamsTimeWindow)
{
    FilledRecord log(6);
    for (int t = 3; t < 6; ++t)
        log.Place(4, t, 3, 0);  // x: 0 0 0 3 3 3; the ball stays at the centre
    BasicGameData s = log.At(4, 2);
    // Unwindowed: cycles 1 and 3 lie 3 apart, 1 per cycle over the window of three,
    // and the ball distance grows by 3: a third of that.
    EXPECT_TRUE(SpeedEvaluator(3, 0.99, 1.01).Evaluate(&s));
    EXPECT_TRUE(RelativeSpeedEvaluator(0.99, 1.01).Evaluate(&s));
    // A window of two reads the mean of each cycle and the one before it: 0 at
    // cycle 1 and 1.5 at cycle 3.
    log.File().stream->SetTimeWindow(2);
    EXPECT_TRUE(SpeedEvaluator(3, 0.49, 0.51).Evaluate(&s));
    EXPECT_FALSE(SpeedEvaluator(3, 0.99, 1.01).Evaluate(&s));
    EXPECT_TRUE(RelativeSpeedEvaluator(0.49, 0.51).Evaluate(&s));
    EXPECT_FALSE(RelativeSpeedEvaluator(0.99, 1.01).Evaluate(&s));
}

TEST(EvaluatorReads, ChannelsShorterThanTheLogFailAsTheirReadsDo)
{
    FilledRecord log(5);
    log.File().cycles = 6;  // one cycle more than the channels hold
    BasicGameData inside = log.At(4, 2);
    EXPECT_TRUE(SpeedEvaluator(3, 0, 0.03).Evaluate(&inside));
    EXPECT_TRUE(RelativeSpeedEvaluator(-0.3, 0.3).Evaluate(&inside));
    BasicGameData last = log.At(4, 5);
    EXPECT_THROW(SpeedEvaluator(3, 0, 0.03).Evaluate(&last), EAssertionFailed);
    EXPECT_THROW(RelativeSpeedEvaluator(-0.3, 0.3).Evaluate(&last), EAssertionFailed);
}
