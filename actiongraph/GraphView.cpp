#include "actiongraph/GraphView.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPitchRatio = 105.0 / 68.0;
constexpr double kLineHalfWidth = 1.0;  // pitch lines 2 pixels wide

}  // namespace

TPitchScheme PitchScheme(bool bw)
{
    if (bw)
        return {agg::rgba8(255, 255, 255, 255), agg::rgba8(200, 200, 200, 255), agg::rgba8(200, 200, 200, 255),
                agg::rgba8(50, 50, 50, 255)};
    return {agg::rgba8(20, 110, 20, 255), agg::rgba8(255, 255, 255, 255), agg::rgba8(255, 255, 255, 255),
            agg::rgba8(0, 0, 0, 255)};
}

TGraphView::TGraphView() : picture_(100, 100), pitch_(100, 100), scheme_(PitchScheme(false)) { SetView(); }

void TGraphView::PictureSize(int areaWidth, int areaHeight, int& width, int& height)
{
    width = static_cast<int>(std::trunc(areaHeight * kPitchRatio));
    height = areaHeight;
    if (areaWidth < width) {
        width = areaWidth;
        height = static_cast<int>(std::trunc(areaWidth / kPitchRatio));
    }
}

void TGraphView::Resize(int width, int height)
{
    picture_.Init(width, height);
    pitch_.Init(width, height);
    SetView();
}

void TGraphView::SetZoom(int zoom)
{
    zoom = std::clamp(zoom, 1, kMaxZoom);
    const int old = zoom_;
    zoom_ = zoom;
    panX_ = panX_ / old * zoom;
    panY_ = panY_ / old * zoom;
    if (zoom == 1)
        panX_ = panY_ = 0;
    SetView();
}

void TGraphView::PanBy(int dx, int dy)
{
    panX_ += dx;
    panY_ += dy;
    SetView();
}

void TGraphView::SetView()
{
    const int w = picture_.Width();
    const int h = picture_.Height();
    view_.Set(kMargin - panX_, kMargin - panY_, double(w) * zoom_ - kMargin - panX_,
              double(h) * zoom_ - kMargin - panY_);
}

void TGraphView::DrawPitch(bool bw)
{
    scheme_ = PitchScheme(bw);
    pitch_.Clear(scheme_.pitch);
    const auto frame = [this](double x1, double y1, double x2, double y2) {
        pitch_.Frame(X(x1), Y(y1), X(x2), Y(y2), kLineHalfWidth);
    };
    const auto ellipse = [this](double x1, double y1, double x2, double y2) {
        pitch_.EllipseOutline(X(x1), Y(y1), X(x2), Y(y2), kLineHalfWidth);
    };

    frame(-52.5, -34, 52.5, 34);
    pitch_.ThickLine(X(0), Y(-34), X(0), Y(34), kLineHalfWidth, 20.0);
    ellipse(-9.1, -9.1, 9.1, 9.1);
    ellipse(-50.6, -9.1, -32.4, 9.1);
    ellipse(32.4, -9.1, 50.6, 9.1);
    pitch_.Render(scheme_.line);

    // The penalty areas in pitch colour cover the circles round the penalty
    // marks inside them, leaving the arcs.
    pitch_.Rectangle(X(-52.5), Y(-15.16), X(-36), Y(15.16));
    pitch_.Rectangle(X(36), Y(-15.16), X(52.5), Y(15.16));
    pitch_.Render(scheme_.pitch);

    frame(-52.5, -15.16, -36, 15.16);
    frame(36, -15.16, 52.5, 15.16);
    frame(-52.5, -9.16, -47, 9.16);
    frame(47, -9.16, 52.5, 9.16);
    frame(-54.9, -7.32, -52.5, 7.32);
    frame(52.5, -7.32, 54.9, 7.32);
    pitch_.Render(scheme_.line);

    DrawPitchSpot(0, 0);
    DrawPitchSpot(-41.5, 0);
    DrawPitchSpot(41.5, 0);
}

void TGraphView::DrawPitchSpot(double x, double y)
{
    const double rx = X(x + 0.5) - X(x);
    const double ry = Y(y + 0.5) - Y(y);
    pitch_.Circle(X(x), Y(y), rx, ry);
    pitch_.Render(scheme_.line);
}

void TGraphView::RestoreBase() { picture_.CopyFrom(pitch_); }
