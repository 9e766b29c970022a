#include "actiongraph/GraphView.h"

#include <gtest/gtest.h>

namespace {

struct Rgb {
    int r, g, b;
};

void ExpectRgb(const AntiGrain& s, double x, double y, Rgb c, const char* what)
{
    const agg::rgba8 p = s.Pixel(int(x), int(y));
    EXPECT_NEAR(p.r, c.r, 1) << what;
    EXPECT_NEAR(p.g, c.g, 1) << what;
    EXPECT_NEAR(p.b, c.b, 1) << what;
}

}  // namespace

TEST(GraphViewTest, PictureKeepsThePitchProportions)
{
    const struct {
        int areaW, areaH, w, h;
    } cases[] = {{600, 300, 463, 300}, {400, 300, 400, 259}, {463, 300, 463, 300}, {1, 1, 1, 1}, {100, 300, 100, 64}};
    for (const auto& c : cases) {
        int w = 0, h = 0;
        TGraphView::PictureSize(c.areaW, c.areaH, w, h);
        EXPECT_EQ(w, c.w) << c.areaW << "x" << c.areaH;
        EXPECT_EQ(h, c.h) << c.areaW << "x" << c.areaH;
    }
}

TEST(GraphViewTest, ViewLeavesAMarginAndGrowsWithTheZoom)
{
    TGraphView view;
    view.Resize(463, 300);
    EXPECT_DOUBLE_EQ(view.View().left, 20);
    EXPECT_DOUBLE_EQ(view.View().top, 20);
    EXPECT_DOUBLE_EQ(view.View().right, 443);
    EXPECT_DOUBLE_EQ(view.View().bottom, 280);
    EXPECT_DOUBLE_EQ(view.X(0), 231.5);
    EXPECT_DOUBLE_EQ(view.Y(0), 150);
    EXPECT_DOUBLE_EQ(view.X(-52.5), 20);
    EXPECT_DOUBLE_EQ(view.Y(-34), 20);

    view.SetZoom(2);
    EXPECT_DOUBLE_EQ(view.View().right, 906);
    EXPECT_DOUBLE_EQ(view.View().bottom, 580);
    EXPECT_DOUBLE_EQ(view.X(0), 463);
    EXPECT_DOUBLE_EQ(view.Y(0), 300);

    view.PanBy(30, -10);
    EXPECT_DOUBLE_EQ(view.View().left, -10);
    EXPECT_DOUBLE_EQ(view.View().top, 30);
}

TEST(GraphViewTest, ZoomScalesThePanByWholePixels)
{
    TGraphView view;
    view.Resize(463, 300);
    view.SetZoom(3);
    EXPECT_EQ(view.PanX(), 0);
    view.PanBy(30, 10);
    view.SetZoom(2);
    EXPECT_EQ(view.PanX(), 20);  // 30 div 3 x 2
    EXPECT_EQ(view.PanY(), 6);   // 10 div 3 x 2
    view.PanBy(-27, 0);
    view.SetZoom(4);
    EXPECT_EQ(view.PanX(), -12);  // -7 div 2 x 4: towards zero
    view.SetZoom(9);
    EXPECT_EQ(view.Zoom(), 5);
    view.SetZoom(1);
    EXPECT_EQ(view.PanX(), 0);
    EXPECT_EQ(view.PanY(), 0);
}

TEST(GraphViewTest, PitchInColourAndBlackAndWhite)
{
    TGraphView view;
    view.Resize(463, 300);
    view.DrawPitch(false);
    const AntiGrain& p = view.Pitch();
    ExpectRgb(p, view.X(-20), view.Y(20), {20, 110, 20}, "grass");
    ExpectRgb(p, view.X(-20), view.Y(-34) - 1, {255, 255, 255}, "touch line, outer pixel");
    ExpectRgb(p, view.X(-20), view.Y(-34), {255, 255, 255}, "touch line, inner pixel");
    ExpectRgb(p, view.X(-20), view.Y(-34) + 2, {20, 110, 20}, "inside the touch line");
    ExpectRgb(p, view.X(-20), view.Y(-34) - 3, {20, 110, 20}, "outside the touch line");
    ExpectRgb(p, view.X(0), view.Y(0), {255, 255, 255}, "centre spot");
    ExpectRgb(p, view.X(41.5), view.Y(0), {255, 255, 255}, "penalty spot");
    ExpectRgb(p, view.X(-44), view.Y(0), {20, 110, 20}, "no circle inside the penalty area");
    ExpectRgb(p, view.X(-36), view.Y(-15.16) + 5, {255, 255, 255}, "penalty area line");
    ExpectRgb(p, view.X(-53.5), view.Y(0), {20, 110, 20}, "inside the goal");
    ExpectRgb(p, view.X(-9.1), view.Y(0), {255, 255, 255}, "centre circle");
    // The halfway line is dashed: along it both line and grass show.
    int lineRows = 0;
    for (int y = int(view.Y(-30)); y < int(view.Y(30)); ++y)
        lineRows += p.Pixel(int(view.X(0)), y).g == 255 ? 1 : 0;
    EXPECT_GT(lineRows, 60);
    EXPECT_LT(lineRows, 150);

    view.DrawPitch(true);
    ExpectRgb(p, view.X(-20), view.Y(20), {255, 255, 255}, "white pitch");
    ExpectRgb(p, view.X(-20), view.Y(-34), {200, 200, 200}, "grey line");
    EXPECT_EQ(view.Scheme().timePoint.r, 50);
    EXPECT_EQ(view.Scheme().node.r, 200);
}

TEST(GraphViewTest, RestoreBaseCopiesThePitchIntoThePicture)
{
    TGraphView view;
    view.Resize(120, 80);
    view.DrawPitch(false);
    view.Picture().Clear(agg::rgba8(0, 0, 0, 255));
    view.RestoreBase();
    for (int y = 0; y < 80; y += 7)
        for (int x = 0; x < 120; x += 5)
            ASSERT_EQ(view.Picture().Pixel(x, y).g, view.Pitch().Pixel(x, y).g) << x << "," << y;
    ExpectRgb(view.Picture(), view.X(-20), view.Y(20), {20, 110, 20}, "grass");
}
