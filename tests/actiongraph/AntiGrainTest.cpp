#include "actiongraph/AntiGrain.h"

#include "support/RecordingHooks.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
#include <limits>

namespace {

const agg::rgba8 kBlack(0, 0, 0, 255);
const agg::rgba8 kWhite(255, 255, 255, 255);

// Red channel of the pixel: shapes are rendered white over opaque black, so
// red is the coverage the pixel got.
int Red(const AntiGrain& s, int x, int y) { return s.Pixel(x, y).r; }

// The number of separate runs of covered pixels along row y.
int RunsInRow(const AntiGrain& s, int y)
{
    int runs = 0;
    bool inside = false;
    for (int x = 0; x < s.Width(); ++x) {
        const bool covered = Red(s, x, y) > 127;
        if (covered && !inside)
            ++runs;
        inside = covered;
    }
    return runs;
}

int CoveredPixels(const AntiGrain& s)
{
    int n = 0;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x)
            n += Red(s, x, y) > 0 ? 1 : 0;
    return n;
}

}  // namespace

TEST(AntiGrainTest, SolidLineCoversTwiceItsHalfWidthWithSquareEnds)
{
    AntiGrain s(40, 30);
    s.Clear(kBlack);
    s.ThickLine(5, 10, 25, 10, 1, 0);    // the rectangle x 5..25, y 9..11
    s.ThickLine(5, 20.5, 25, 20.5, 1, 0);  // y 19.5..21.5: rows 19 and 21 half covered
    s.Render(kWhite);
    for (int x = 5; x < 25; ++x) {
        EXPECT_EQ(Red(s, x, 9), 255) << x;
        EXPECT_EQ(Red(s, x, 10), 255) << x;
        EXPECT_EQ(Red(s, x, 8), 0) << x;
        EXPECT_EQ(Red(s, x, 11), 0) << x;
    }
    EXPECT_EQ(Red(s, 4, 10), 0);
    EXPECT_EQ(Red(s, 25, 10), 0);
    EXPECT_NEAR(Red(s, 15, 19), 128, 2);
    EXPECT_EQ(Red(s, 15, 20), 255);
    EXPECT_NEAR(Red(s, 15, 21), 128, 2);
}

TEST(AntiGrainTest, DashedAndZigzagPatternsMakeTheirSteps)
{
    // Dashed lines over 390 pixels along row 10: trunc(2p - 1) steps, the even ones drawn.
    const struct {
        double pattern;
        int dashes;
    } cases[] = {{0.5, 0}, {1, 1}, {2, 2}, {10, 10}, {20, 20}};
    for (const auto& c : cases) {
        AntiGrain s(400, 20);
        s.Clear(kBlack);
        s.ThickLine(5, 10, 395, 10, 2, c.pattern);
        s.Render(kWhite);
        EXPECT_EQ(RunsInRow(s, 10), c.dashes) << c.pattern;
    }

    // Pattern 2 over 30 pixels: dashes 0..10 and 20..30, a gap between.
    AntiGrain d(40, 20);
    d.Clear(kBlack);
    d.ThickLine(0, 10, 30, 10, 2, 2);
    d.Render(kWhite);
    EXPECT_EQ(Red(d, 5, 10), 255);
    EXPECT_EQ(Red(d, 15, 10), 0);
    EXPECT_EQ(Red(d, 25, 10), 255);

    // Pattern -1: one step bent half its length to the first side (down on screen).
    AntiGrain z(60, 60);
    z.Clear(kBlack);
    z.ThickLine(10, 20, 50, 20, 1, -1);
    z.Render(kWhite);
    EXPECT_GT(Red(z, 30, 39), 200);  // the apex (30, 40)
    EXPECT_EQ(Red(z, 30, 20), 0);    // the straight line's midpoint is not drawn
    EXPECT_GT(Red(z, 20, 29), 200);  // halfway down the first leg
    EXPECT_GT(Red(z, 40, 29), 200);  // halfway up the second
}

TEST(AntiGrainTest, SegmentsWithoutLengthAddNothing)
{
    AntiGrain s(20, 20);
    s.Clear(kBlack);
    for (double p : {0.0, 10.0, -10.0})
        s.ThickLine(10, 10, 10, 10, 3, p);
    s.EllipseOutline(10, 10, 10, 10, 2);  // a box without size
    s.Render(kWhite);
    EXPECT_EQ(CoveredPixels(s), 0);
}

TEST(AntiGrainTest, CircleFillsItsCentreAndNothingOutside)
{
    AntiGrain s(40, 40);
    s.Clear(kBlack);
    s.Circle(20, 20, 6, 6);
    s.Render(kWhite);
    EXPECT_EQ(Red(s, 20, 20), 255);
    EXPECT_EQ(Red(s, 23, 17), 255);
    for (auto [x, y] : {std::pair{27, 20}, {12, 20}, {20, 27}, {20, 12}, {25, 25}})
        EXPECT_EQ(Red(s, x, y), 0) << x << "," << y;
    // A flat ellipse: wide along x, thin along y.
    AntiGrain e(40, 40);
    e.Clear(kBlack);
    e.Circle(20, 20, 12, 3);
    e.Render(kWhite);
    EXPECT_EQ(Red(e, 29, 20), 255);
    EXPECT_EQ(Red(e, 20, 25), 0);
}

TEST(AntiGrainTest, FrameDrawsTheBorderAndFillsWhenWiderThanHalfTheSide)
{
    AntiGrain s(40, 40);
    s.Clear(kBlack);
    s.Frame(10, 10, 30, 30, 1);  // border 2 pixels wide, centred on the edges
    s.Render(kWhite);
    for (int y : {9, 10})
        EXPECT_EQ(Red(s, 20, y), 255) << y;
    for (int x : {29, 30})
        EXPECT_EQ(Red(s, x, 20), 255) << x;
    EXPECT_EQ(Red(s, 20, 8), 0);
    EXPECT_EQ(Red(s, 20, 11), 0);
    EXPECT_EQ(Red(s, 20, 20), 0);

    AntiGrain f(40, 40);
    f.Clear(kBlack);
    f.Frame(10, 10, 14, 14, 3);  // the inner rectangle turns inside out both ways
    f.Frame(24, 10, 36, 14, 3);  // and only one way
    f.Render(kWhite);
    for (int y = 7; y < 17; ++y) {
        for (int x = 7; x < 17; ++x)
            EXPECT_EQ(Red(f, x, y), 255) << x << "," << y;
        for (int x = 17; x < 39; ++x)
            EXPECT_EQ(Red(f, x, y), x < 21 ? 0 : 255) << x << "," << y;
    }
    EXPECT_EQ(Red(f, 12, 17), 0);
}

TEST(AntiGrainTest, RectangleFillsExactlyItsPixels)
{
    AntiGrain s(20, 20);
    s.Clear(kBlack);
    s.Rectangle(5, 5, 15, 10);
    s.Render(kWhite);
    EXPECT_EQ(CoveredPixels(s), 50);
    EXPECT_EQ(Red(s, 5, 5), 255);
    EXPECT_EQ(Red(s, 14, 9), 255);
}

TEST(AntiGrainTest, OverlappingSubPathsOfOneShapeBlendOnce)
{
    AntiGrain s(30, 30);
    s.Clear(kBlack);
    s.Rectangle(0, 0, 20, 20);
    s.Rectangle(10, 10, 30, 30);
    s.Render(agg::rgba8(200, 100, 50, 128));
    for (auto [x, y] : {std::pair{5, 5}, {15, 15}, {25, 25}}) {
        const agg::rgba8 p = s.Pixel(x, y);
        EXPECT_NEAR(p.r, 100, 1) << x;
        EXPECT_NEAR(p.g, 50, 1) << x;
        EXPECT_NEAR(p.b, 25, 1) << x;
        EXPECT_EQ(p.a, 255) << x;  // over an opaque picture the alpha stays opaque
    }
    EXPECT_EQ(s.Pixel(25, 5).r, 0);
}

TEST(AntiGrainTest, LinesCrossingOtherShapesOfTheirShapeDoNotCutHoles)
{
    // Whichever way they run, segments fill where they cross a frame, a
    // rectangle or a circle of the same shape.
    AntiGrain s(60, 60);
    s.Clear(kBlack);
    s.Frame(10, 10, 50, 50, 1);
    s.Rectangle(25, 25, 35, 35);
    s.Circle(30, 5, 3, 3);
    s.ThickLine(30.5, 0, 30.5, 60, 1, 0);
    s.ThickLine(0, 30.5, 60, 30.5, 1, 0);
    s.ThickLine(60, 10.5, 0, 10.5, 1, 0);
    s.Render(kWhite);
    for (auto [x, y] : {std::pair{30, 10}, {30, 49}, {10, 30}, {49, 30}, {30, 30}, {30, 5}, {20, 10}, {45, 10}})
        EXPECT_EQ(Red(s, x, y), 255) << x << "," << y;
}

TEST(AntiGrainTest, EachRenderStartsAFreshShape)
{
    AntiGrain s(30, 10);
    s.Clear(kBlack);
    s.Rectangle(0, 0, 10, 10);
    s.Render(agg::rgba8(255, 0, 0, 255));
    s.Rectangle(20, 0, 30, 10);
    s.Render(agg::rgba8(0, 0, 255, 255));
    EXPECT_EQ(s.Pixel(5, 5).r, 255);
    EXPECT_EQ(s.Pixel(5, 5).b, 0);
    EXPECT_EQ(s.Pixel(25, 5).b, 255);
    EXPECT_EQ(s.Pixel(25, 5).r, 0);

    // Rendering again with nothing added blends nothing.
    s.Rectangle(0, 0, 10, 10);
    s.Render(agg::rgba8(0, 255, 0, 128));
    s.ThickLine(3, 3, 3, 3, 1, 0);
    s.Render(agg::rgba8(0, 255, 0, 128));
    EXPECT_NEAR(s.Pixel(5, 5).g, 128, 1);
}

TEST(AntiGrainTest, ShapesFarOutsideAreClippedNotOverflowed)
{
    AntiGrain s(40, 20);
    s.Clear(kBlack);
    s.ThickLine(-1e12, 10, 1e12, 10, 1, 0);
    s.Circle(1e15, 1e15, 5, 5);
    s.MoveTo(std::numeric_limits<double>::quiet_NaN(), 0);
    s.Render(kWhite);
    EXPECT_EQ(Red(s, 0, 9), 255);
    EXPECT_EQ(Red(s, 39, 10), 255);
    EXPECT_EQ(Red(s, 20, 12), 0);
}

TEST(AntiGrainTest, ClearSetsAllFourBytesInBlueGreenRedAlphaOrder)
{
    AntiGrain s(3, 2);
    s.Clear(agg::rgba8(10, 20, 30, 40));
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(s.Bits()[4 * i + 0], 30);
        EXPECT_EQ(s.Bits()[4 * i + 1], 20);
        EXPECT_EQ(s.Bits()[4 * i + 2], 10);
        EXPECT_EQ(s.Bits()[4 * i + 3], 40);
    }
}

TEST(AntiGrainTest, SetOpacityLimitsAndTruncates)
{
    const struct {
        double opacity;
        int a;
    } cases[] = {{1.7, 255}, {-0.2, 0}, {0.5, 127}, {1.0, 255}, {0.999, 254}, {std::nan(""), 0}};
    for (const auto& c : cases) {
        agg::rgba8 colour(1, 2, 3, 77);
        Rgba8SetOpacity(colour, c.opacity);
        EXPECT_EQ(colour.a, c.a) << c.opacity;
        EXPECT_EQ(colour.r, 1);
    }
}

TEST(AntiGrainTest, CopyFromOnlyBetweenEqualSizes)
{
    AntiGrain target(10, 10), same(10, 10), wider(11, 10);
    target.Clear(kBlack);
    same.Clear(kWhite);
    wider.Clear(kWhite);
    EXPECT_EQ(target.CopyFrom(wider), -1);
    EXPECT_EQ(Red(target, 5, 5), 0);
    EXPECT_EQ(target.CopyFrom(same), 0);
    EXPECT_EQ(Red(target, 5, 5), 255);
    EXPECT_EQ(Red(target, 9, 9), 255);
}

TEST(AntiGrainTest, InitWithoutSizeGivesOnePixelAndHugeSizesBeep)
{
    AntiGrain s(0, 0);
    EXPECT_EQ(s.Width(), 1);
    EXPECT_EQ(s.Height(), 1);
    EXPECT_TRUE(s.HasPixels());
    s.Init(-5, 7);
    EXPECT_EQ(s.Width(), 1);
    EXPECT_EQ(s.Height(), 7);

    RecordingHooks hooks;
    AntiGrain huge(100000, 100000);
    EXPECT_EQ(hooks.beeps, 1);
    EXPECT_FALSE(huge.HasPixels());
    huge.Rectangle(0, 0, 10, 10);
    huge.Render(kWhite);
    huge.Clear(kWhite);
    EXPECT_EQ(huge.CopyFrom(s), -1);
    EXPECT_EQ(s.CopyFrom(huge), -1);
    EXPECT_TRUE(huge.ToImage().isNull());
}

TEST(AntiGrainTest, ImageShowsThePixelsOpaque)
{
    AntiGrain s(4, 3);
    s.Clear(agg::rgba8(10, 20, 30, 0));
    s.Rectangle(2, 1, 3, 2);
    s.Render(agg::rgba8(200, 100, 50, 255));
    const QImage image = s.ToImage();
    ASSERT_EQ(image.size(), QSize(4, 3));
    EXPECT_EQ(image.pixel(0, 0), qRgb(10, 20, 30));
    EXPECT_EQ(image.pixel(2, 1), qRgb(200, 100, 50));
}
