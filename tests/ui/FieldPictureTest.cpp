// The field picture drawn into images without a window: the pitch in both
// colour schemes, the objects of a real match at their pixels, the caption,
// labels, custom events, kicks and the cases a log or an option makes odd.
#include "ui/FieldPicture.h"
#include "UiTestMain.h"

#include "core/concepts/ConceptHierarchies.h"
#include "core/expr/Expression.h"
#include "core/expr/UserChannels.h"
#include "core/load/LoadLog.h"
#include "core/model/RoboCupFile.h"
#include "platform/qt/Canvas.h"
#include "support/HandFilledLog.h"
#include "support/TestData.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

constexpr int kW = 881;  // the picture area of a new window: 946 - the object list, 648 - the panel
constexpr int kH = 538;

class FieldPictureTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        EnsureApp();
        dir_ = new InTempDir("fieldpicture");
        CreateConceptHierarchies();
        match_ = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), true).release();
    }
    static void TearDownTestSuite()
    {
        delete match_;
        FreeConceptHierarchies();
        delete dir_;
    }

    // Options that draw nothing but what a test turns on, for the objects given.
    static FieldOptions Only(std::initializer_list<int> objects)
    {
        FieldOptions o;
        o.showPlayers = false;
        o.showNumbers = TriState::Unchecked;
        o.bodyAngle = false;
        for (int k : objects)
            o.selected[static_cast<std::size_t>(k)] = true;
        return o;
    }

    QImage Paint(const FieldOptions& o, RoboCupFileT& log, FieldTime time, FieldPaintResult* result = nullptr)
    {
        DrawPitch(pitch, view, o.bw);
        FieldPaintResult r = PaintFieldPicture(field, pitch, view, o, log, time);
        if (result != nullptr)
            *result = r;
        return field;
    }

    QColor At(int object, int t) const
    {
        return field.pixelColor(static_cast<int>(view.FieldToViewX(match_->posXChannel[object]->Get(t))),
                                static_cast<int>(view.FieldToViewY(match_->posYChannel[object]->Get(t))));
    }

    static inline InTempDir* dir_ = nullptr;
    static inline RoboCupFileT* match_ = nullptr;
    ViewRect view{20, 20, kW - 20, kH - 20};
    QImage pitch{kW, kH, QImage::Format_RGB32};
    QImage field{kW, kH, QImage::Format_RGB32};
};

}  // namespace

TEST_F(FieldPictureTest, PitchHasItsBackgroundAndLinesInBothSchemes)
{
    const int halfwayX = static_cast<int>(view.FieldToViewX(0));
    const int nearTopY = static_cast<int>(view.FieldToViewY(-33));
    for (bool bw : {false, true}) {
        DrawPitch(pitch, view, bw);
        EXPECT_EQ(pitch.pixelColor(5, 5), bw ? QColor(255, 255, 255) : QColor(20, 110, 20)) << bw;
        EXPECT_EQ(pitch.pixelColor(halfwayX, nearTopY), bw ? QColor(128, 128, 128) : QColor(255, 255, 255)) << bw;
        // Inside a penalty area the filled rectangle hides the penalty arc's inner part.
        EXPECT_EQ(pitch.pixelColor(static_cast<int>(view.FieldToViewX(-41.5 + 9.1)), static_cast<int>(view.FieldToViewY(0))),
                  FieldBackground(bw));
        EXPECT_EQ(pitch.pixelColor(static_cast<int>(view.FieldToViewX(-54.9)), static_cast<int>(view.FieldToViewY(0))),
                  FieldLines(bw));  // the back of the goal
    }
}

TEST_F(FieldPictureTest, ObjectsShowInTheirColoursAtTheirPixels)
{
    FieldOptions o;
    o.selected.fill(true);
    Paint(o, *match_, {40, 20, 60});
    EXPECT_EQ(At(0, 40), QColor(255, 255, 255));
    EXPECT_EQ(At(2, 40), QColor(0, 0, 255));
    EXPECT_EQ(At(16, 40), QColor(255, 0, 0));

    o.bw = true;
    Paint(o, *match_, {40, 20, 60});
    EXPECT_EQ(At(2, 40), QColor(0, 0, 0));
    EXPECT_EQ(At(16, 40), QColor(192, 192, 192));
    // The ball keeps its white fill inside a black ring.
    o.selected.fill(false);
    o.selected[0] = true;
    Paint(o, *match_, {40, 20, 60});
    EXPECT_EQ(At(0, 40), QColor(255, 255, 255));
    const int bx = static_cast<int>(view.FieldToViewX(match_->posXChannel[0]->Get(40)));
    const int by = static_cast<int>(view.FieldToViewY(match_->posYChannel[0]->Get(40)));
    EXPECT_EQ(field.pixelColor(bx, by - 6), QColor(0, 0, 0));

    // No object selected: the pitch alone.
    o.selected.fill(false);
    EXPECT_EQ(Paint(o, *match_, {40, 20, 60}), pitch);
}

TEST_F(FieldPictureTest, CaptionHasScoresTimeCycleAndThePlayMode)
{
    EXPECT_EQ(PlayModeCaption(*match_, 225), "0 - Time : 146(225) - 1\nkick_off_l");
    EXPECT_EQ(PlayModeCaption(*match_, 174), "0 - Time : 145(174) - 1\ngoal_r");
    // The server repeats times: cycle and time differ.
    EXPECT_EQ(PlayModeCaption(*match_, 100), "0 - Time : 71(100) - 0");
}

TEST_F(FieldPictureTest, ReductionDrawsATwentiethOfTheRangeAroundTheCycle)
{
    struct Case {
        FieldTime time;
        bool reduce;
        int first, last;
    } cases[] = {
        {{500, 400, 601}, false, 400, 601},
        {{500, 400, 601}, true, 495, 505},
        {{500, 481, 519}, true, 500, 500},  // under 20 cycles on both sides: the cycle alone
        {{500, 460, 519}, true, 498, 502},  // the larger side counts
        {{10, 5, 400}, true, 5, 29},        // held inside the range
    };
    for (const Case& c : cases) {
        const CycleSpan span = DrawnRange(c.time, c.reduce);
        EXPECT_EQ(span.first, c.first) << c.time.cycle << " " << c.time.from << ".." << c.time.to;
        EXPECT_EQ(span.last, c.last) << c.time.cycle << " " << c.time.from << ".." << c.time.to;
    }
}

TEST_F(FieldPictureTest, LabelsAreShirtNumbersOrRolesAndNoRoleWithoutOne)
{
    HandFilledLog hand(3);  // no role anywhere
    auto expected = [&](const QString& text) {
        DrawPitch(pitch, view, false);
        QImage image = pitch;
        platform::Canvas c(image);
        c.SetFont(8, false);
        c.SetBrushClear();
        const int x = static_cast<int>(view.FieldToViewX(hand.X(13)[1]));
        const int y = static_cast<int>(view.FieldToViewY(hand.Y(13)[1]));
        c.SetFontColor(Qt::black);
        c.TextOut(x + 1, y + 5, text);
        c.SetFontColor(Qt::white);
        c.TextOut(x, y + 4, text);
        return image;
    };
    FieldOptions o = Only({13});
    o.showNumbers = TriState::Checked;
    EXPECT_EQ(Paint(o, *hand.log, {1, 0, 2}), expected("2"));  // right player 2
    o.showNumbers = TriState::Grayed;
    EXPECT_EQ(Paint(o, *hand.log, {1, 0, 2}), expected("no role"));
    // The ball never gets a label.
    o = Only({0});
    o.showNumbers = TriState::Grayed;
    EXPECT_EQ(Paint(o, *hand.log, {1, 0, 2}), pitch);
}

TEST_F(FieldPictureTest, CustomEventMarksTheCyclesWhereItHoldsAlsoWithADecimalThreshold)
{
    FieldOptions o = Only({0});
    o.customEvent = true;
    o.eventText = "Ball.pos.x > 0.5";
    Paint(o, *match_, {40, 40, 40});  // the ball at x = 2.65
    EXPECT_EQ(At(0, 40), QColor(255, 255, 255));
    EXPECT_NE(field, pitch);
    EXPECT_EQ(Paint(o, *match_, {100, 100, 100}), pitch);  // x = -15.62
    // PLAYER stands for each drawn object.
    o = Only({2});
    o.customEvent = true;
    o.eventText = "PLAYER.pos.x < -11";
    Paint(o, *match_, {40, 40, 40});  // left player 2 at x = -11.32
    EXPECT_EQ(At(2, 40), QColor(0, 0, 255));
    // An expression that does not parse draws nothing, silently.
    o.eventText = "Ball.pos.x >";
    EXPECT_EQ(Paint(o, *match_, {40, 40, 40}), pitch);
}

TEST_F(FieldPictureTest, CustomEventsAndTheirLabelsOverAFieldThatIsNoNumberAtSomeCycles)
{
    ASSERT_EQ(CreateUserChannels(*match_, {{"sq", "sqrt(-Ball.pos.x)"}, {"big", "-1e30 + 0 * Ball.pos.x"},
                                           {"inf", "10^400 + 0 * Ball.pos.x"}, {"small", "-0.4 + 0 * Ball.pos.x"}})
                  .computed, 4);
    const char* const cases[][3] = {{"Ball.pos.x > 0", "user.sq", "NAN"},
                                    {"Ball.pos.x > 0", "user.big", "-1000000000000000019884624838656"},
                                    {"Ball.pos.x > 0", "user.inf", "INF"}, {"Ball.pos.x > 0", "user.small", "0"},
                                    {"user.sq", "user.sq", ""}};
    FieldOptions o = Only({0});
    o.customEvent = true;
    for (const auto& [event, field, label] : cases) {
        o.eventText = event;
        o.fieldText = "";
        QImage expected = Paint(o, *match_, {40, 40, 40});  // the ball at x = 2.65: the cross where the event holds
        EXPECT_EQ(expected == pitch, *label == 0) << event;
        platform::Canvas canvas(expected);
        canvas.TextOut(static_cast<int>(view.FieldToViewX(match_->posXChannel[0]->Get(40))),
                       static_cast<int>(view.FieldToViewY(match_->posYChannel[0]->Get(40))), label);
        o.fieldText = field;
        EXPECT_EQ(Paint(o, *match_, {40, 40, 40}), expected) << field;
    }
    for (const char* name : {"user.sq", "user.big", "user.inf", "user.small"})
        ASSERT_TRUE(match_->stream->DeleteChannel(match_->stream->FindChannel(name)));
}

TEST_F(FieldPictureTest, KeptCustomEventsKnowChannelsAddedLater)
{
    HandFilledLog hand(3);
    FieldOptions o = Only({2});
    o.customEvent = true;
    o.eventText = "extra > 0";
    CustomEventCache events;
    DrawPitch(pitch, view, false);
    PaintFieldPicture(field, pitch, view, o, *hand.log, {1, 0, 2}, &events);
    EXPECT_EQ(field, pitch);  // no such name yet
    auto* extra = new DataTimeChannel<double>("extra");
    for (int t = 0; t < 3; ++t)
        extra->AddValue(1.0);
    hand.log->stream->AddChannel(extra);
    PaintFieldPicture(field, pitch, view, o, *hand.log, {1, 0, 2}, &events);
    EXPECT_EQ(field.pixelColor(static_cast<int>(view.FieldToViewX(hand.X(2)[1])) + 5,
                               static_cast<int>(view.FieldToViewY(hand.Y(2)[1]))),
              QColor(0, 0, 255));
    // The same for a channel attached below a group.
    o.eventText = "Lplayer2.late > 0";
    PaintFieldPicture(field, pitch, view, o, *hand.log, {1, 0, 2}, &events);
    EXPECT_EQ(field, pitch);
    auto* late = new DataTimeChannel<double>("late");
    for (int t = 0; t < 3; ++t)
        late->AddValue(1.0);
    hand.log->stream->AttachChannel(dynamic_cast<CompositeTimeChannel*>(hand.log->stream->FindChannel("Lplayer2")), late);
    PaintFieldPicture(field, pitch, view, o, *hand.log, {1, 0, 2}, &events);
    EXPECT_EQ(field.pixelColor(static_cast<int>(view.FieldToViewX(hand.X(2)[1])) + 5,
                               static_cast<int>(view.FieldToViewY(hand.Y(2)[1]))),
              QColor(0, 0, 255));
}

// A leaf taken out and made again in its place leaves as many leaves, the same
// first and last: the kept expression must read the new one.
TEST(CustomEventCache, KnowsALeafTakenOutAndMadeAgain)
{
    HandFilledLog hand(3);
    RoboCupFileT& log = *hand.log;
    ASSERT_EQ(CreateUserChannels(log, {{"x", "PLAYER"}}).computed, 22);
    CustomEventCache events;
    EXPECT_EQ(events.For(log, "Lplayer2.user.x * 2").Evaluate(1), 4.0);
    const std::size_t leaves = log.stream->GetLeaves().size();
    log.stream->DeleteChannel(log.stream->FindChannel("Lplayer2.user.x"));
    ASSERT_EQ(CreateUserChannels(log, {{"x", "PLAYER * 10"}}).computed, 22);
    ASSERT_EQ(log.stream->GetLeaves().size(), leaves);
    EXPECT_EQ(events.For(log, "Lplayer2.user.x * 2").Evaluate(1), 40.0);
}

TEST_F(FieldPictureTest, ExpressionBoxGoesGreenWhenItsWordsAreInTheKeepawayLabel)
{
    FieldOptions o = Only({0});
    FieldPaintResult r;
    Paint(o, *match_, {40, 20, 60}, &r);
    EXPECT_FALSE(r.labelMatch.has_value());  // nothing typed: the box keeps its colour
    o.eventText = "( ) = ";
    Paint(o, *match_, {40, 20, 60}, &r);
    EXPECT_EQ(r.labelMatch, std::optional<bool>(true));
    o.eventText = "Keepaway nosuchword";
    Paint(o, *match_, {40, 20, 60}, &r);
    EXPECT_EQ(r.labelMatch, std::optional<bool>(false));
    o.customEvent = true;  // the box then holds an expression
    Paint(o, *match_, {40, 20, 60}, &r);
    EXPECT_FALSE(r.labelMatch.has_value());
}

TEST_F(FieldPictureTest, KickAtTheLastCycleDrawsItsMarkAndValue)
{
    HandFilledLog hand(5);
    hand.Of<std::int8_t>(3, "calculated.kick_event")[4] = 8;  // a pass by left player 3
    FieldOptions o = Only({3});
    const int x = static_cast<int>(view.FieldToViewX(hand.X(3)[4]));
    const int y = static_cast<int>(view.FieldToViewY(hand.Y(3)[4]));
    EXPECT_EQ(Paint(o, *hand.log, {4, 0, 4}), pitch);  // no box checked
    o.eventDribble = true;
    EXPECT_EQ(Paint(o, *hand.log, {4, 0, 4}), pitch);  // not this kind
    o.eventPass = true;
    Paint(o, *hand.log, {4, 0, 4});
    EXPECT_EQ(field.pixelColor(x + 2, y), QColor(0, 0, 255));
    // The ball's travel ends at the same cycle: a zero-length line at the ball.
    EXPECT_EQ(field.pixelColor(static_cast<int>(view.FieldToViewX(0)) + 1, static_cast<int>(view.FieldToViewY(0))),
              pitch.pixelColor(static_cast<int>(view.FieldToViewX(0)) + 1, static_cast<int>(view.FieldToViewY(0))));
    // A composite named as the data field writes no values; a leaf does.
    o.fieldText = "Ball.pos";
    const QImage withoutValues = Paint(o, *hand.log, {4, 0, 4});
    o.fieldText = "PLAYER.pos.x";
    EXPECT_NE(Paint(o, *hand.log, {4, 0, 4}), withoutValues);
}

TEST_F(FieldPictureTest, NearestOpponentOutsideTheObjectsDrawsNoLine)
{
    HandFilledLog hand(3);
    auto& nearest = hand.Of<std::int16_t>(5, "calculated.nearest_opponent");
    FieldOptions o = Only({5});
    o.nearestOpponent = true;
    nearest.assign(3, 30);
    EXPECT_EQ(Paint(o, *hand.log, {1, 0, 2}), pitch);
    nearest.assign(3, 16);  // right player 5, 40 m away: a blue line of some 300 pixels
    Paint(o, *hand.log, {1, 0, 2});
    int blue = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            blue += field.pixelColor(x, y) == QColor(0, 0, 255);
    EXPECT_GT(blue, 300);
}

TEST_F(FieldPictureTest, LogWithoutCyclesGivesThePitchAndNoCaption)
{
    std::unique_ptr<RoboCupFileT> empty = CreateFileRecord("empty.rcg");
    FieldOptions o;
    o.selected.fill(true);
    o.focusObject = 0;
    o.eventText = "Keepaway";
    FieldPaintResult r;
    EXPECT_EQ(Paint(o, *empty, {0, 0, 0}, &r), pitch);
    EXPECT_EQ(r.focusX, view.FieldToViewX(0));
    EXPECT_FALSE(r.labelMatch.has_value());
    EXPECT_EQ(PlayModeCaption(*empty, 0), "");
}

TEST_F(FieldPictureTest, FadedPathEndingAtTheCycleEndsInTheObjectsColour)
{
    HandFilledLog hand(41);
    for (int t = 0; t <= 40; ++t)
        hand.X(2)[t] = -40.0 + t;  // left player 2 runs one metre a cycle along y = -12
    FieldOptions o = Only({2});
    o.showPath = true;
    Paint(o, *hand.log, {40, 0, 40});
    // Path points are rounded up to whole pixels; a segment has the colour set
    // before its end point.
    const int y = static_cast<int>(std::ceil(view.FieldToViewY(-12)));
    const int x0 = static_cast<int>(std::ceil(view.FieldToViewX(-40)));
    const int x40 = static_cast<int>(std::ceil(view.FieldToViewX(0)));
    EXPECT_EQ(field.pixelColor(x0 + 3, y), QColor(20, 108, 26));  // a fortieth of the way from the green to blue
    EXPECT_EQ(field.pixelColor(x40 - 2, y), QColor(0, 0, 255));
    // Past the cycle the path lightens towards (150, 150, 255).
    Paint(o, *hand.log, {0, 0, 40});
    EXPECT_EQ(field.pixelColor(x40 - 2, y), QColor(150, 150, 255));
}

TEST_F(FieldPictureTest, ShownPartFollowsTheFocusInsideTheBitmap)
{
    struct Case {
        double fx, fy;
        ScrollPos before;
        bool smooth;
        int x, y;
    } cases[] = {
        {881, 538, {0, 0}, false, 441, 269},     // the centre of a doubled bitmap
        {10, 10, {0, 0}, false, 0, 0},           // held at the top-left corner
        {1750, 1070, {0, 0}, false, 881, 538},   // held at the bottom-right corner
        {881, 538, {0, 0}, true, 88, 53},        // a fifth of the way
        {881, 538, {441, 269}, true, 441, 269},  // already there
    };
    for (const Case& c : cases) {
        const ScrollPos p = ShownPart(c.fx, c.fy, c.before, c.smooth, 881, 538, 1762, 1076);
        EXPECT_EQ(p.x, c.x) << c.fx;
        EXPECT_EQ(p.y, c.y) << c.fy;
    }
}
