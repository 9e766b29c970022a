#include "actiongraph/AntiGrain.h"

#include "platform/Hooks.h"

#include <agg_gamma_functions.h>
#include <agg_pixfmt_rgba.h>
#include <agg_rasterizer_scanline_aa.h>
#include <agg_renderer_base.h>
#include <agg_renderer_scanline.h>
#include <agg_rendering_buffer.h>
#include <agg_scanline_u.h>

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>

namespace {

constexpr double kTwoPi = 2.0 * 3.1415926;  // the angle step of circles and ellipses
constexpr int kCircleSides = 50;
constexpr int kEllipseSegments = 60;
constexpr double kMaxPixels = double(1 << 28);

// The rasterizer clips in double precision, so that points far outside the
// picture (a zoomed and panned view) neither overflow the integer subpixel
// coordinates nor cost cells.
using Rasterizer = agg::rasterizer_scanline_aa<agg::rasterizer_sl_clip_dbl>;

// How many sides or segments approximate an ellipse of these radii.
int EllipseSteps(double rx, double ry, int limit)
{
    const double r = std::max(rx, ry);
    if (!(r < limit))  // also a radius that is not a number
        return limit;
    return std::min(static_cast<int>(std::trunc(r)) + 3, limit);
}

}  // namespace

struct AntiGrain::Agg {
    agg::rendering_buffer buffer;
    agg::pixfmt_bgra32 format{buffer};
    agg::renderer_base<agg::pixfmt_bgra32> renderer{format};
    Rasterizer rasterizer;
    agg::scanline_u8 scanline;
};

AntiGrain::AntiGrain(int width, int height) { Init(width, height); }

AntiGrain::~AntiGrain() { Free(); }

void AntiGrain::Free()
{
    pixels_.reset();
    agg_.reset();
}

void AntiGrain::Init(int width, int height)
{
    Free();
    width_ = std::max(width, 1);
    height_ = std::max(height, 1);

    agg_.reset(new (std::nothrow) Agg);
    if (!agg_)
        platform::Beep();
    else {
        agg_->rasterizer.gamma(agg::gamma_none());
        agg_->rasterizer.filling_rule(agg::fill_non_zero);
        agg_->rasterizer.clip_box(0, 0, width_, height_);
    }

    // A row's byte count must fit the rendering buffer's int stride, and a
    // picture beyond a gigabyte is taken as an allocation that failed.
    const bool fits = width_ <= INT_MAX / 4 && double(width_) * double(height_) <= kMaxPixels;
    if (fits)
        pixels_.reset(new (std::nothrow) std::uint8_t[std::size_t(width_) * 4 * std::size_t(height_)]());
    if (!pixels_) {
        platform::Beep();
        return;
    }
    if (agg_) {
        agg_->buffer.attach(pixels_.get(), unsigned(width_), unsigned(height_), width_ * 4);
        agg_->format.attach(agg_->buffer);
        agg_->renderer.attach(agg_->format);
    }
}

void AntiGrain::MoveTo(double x, double y)
{
    if (!agg_ || !std::isfinite(x) || !std::isfinite(y))
        return;
    agg_->rasterizer.move_to_d(x, y);
}

void AntiGrain::LineTo(double x, double y)
{
    if (!agg_ || !std::isfinite(x) || !std::isfinite(y))
        return;
    agg_->rasterizer.line_to_d(x, y);
}

void AntiGrain::SolidLine(double x1, double y1, double x2, double y2, double w)
{
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    const double len = std::sqrt(dx * dx + dy * dy);
    // Without a length there is no direction to widen the segment across.
    if (!(len > 0.0) || !std::isfinite(len))
        return;
    const double ox = dy * std::fabs(w) / len;
    const double oy = dx * std::fabs(w) / len;
    // Round the same way as rectangles, frames and circles (clockwise on
    // screen): under the non-zero rule a segment running the other way would
    // cut a hole where it crosses them in one shape, as the halfway line
    // would in the touch lines.
    MoveTo(x1 + ox, y1 - oy);
    LineTo(x2 + ox, y2 - oy);
    LineTo(x2 - ox, y2 + oy);
    LineTo(x1 - ox, y1 + oy);
}

void AntiGrain::ThickLine(double x1, double y1, double x2, double y2, double w, double p)
{
    if (p == 0.0) {
        SolidLine(x1, y1, x2, y2, w);
        return;
    }
    const double steps = std::trunc(2.0 * std::fabs(p) - 1.0);
    if (!(steps >= 1.0))
        return;
    // A pattern finer than a pixel's 1/256 draws nothing more; the cap keeps
    // an absurd pattern from looping for ages.
    const int n = steps > 100000.0 ? 100000 : static_cast<int>(steps);
    const double sx = (x2 - x1) / n;
    const double sy = (y2 - y1) / n;
    if (sx == 0.0 && sy == 0.0)
        return;
    if (p > 0.0) {
        for (int i = 0; i < n; i += 2)
            SolidLine(x1 + i * sx, y1 + i * sy, x1 + (i + 1) * sx, y1 + (i + 1) * sy, w);
        return;
    }
    const double hx = sx / 2.0;
    const double hy = sy / 2.0;
    double cx = x1;
    double cy = y1;
    double side = 1.0;
    for (int i = 0; i < n; ++i) {
        const double ax = cx + hx - side * hy;
        const double ay = cy + hy + side * hx;
        SolidLine(cx, cy, ax, ay, w);
        SolidLine(ax, ay, cx + sx, cy + sy, w);
        cx += sx;
        cy += sy;
        side = -side;
    }
}

void AntiGrain::Circle(double x, double y, double rx, double ry)
{
    const int n = EllipseSteps(rx, ry, kCircleSides);
    MoveTo(x + rx, y);
    for (int i = 1; i <= n; ++i) {
        const double a = i * kTwoPi / n;
        LineTo(x + rx * std::cos(a), y + ry * std::sin(a));
    }
}

void AntiGrain::EllipseOutline(double x1, double y1, double x2, double y2, double w)
{
    const double rx = std::fabs(x2 - x1) / 2.0;
    const double ry = std::fabs(y2 - y1) / 2.0;
    const double cx = (x1 + x2) / 2.0;
    const double cy = (y1 + y2) / 2.0;
    const int n = EllipseSteps(rx, ry, kEllipseSegments);
    double px = cx + rx;
    double py = cy;
    for (int i = 1; i <= n; ++i) {
        const double a = i * kTwoPi / n;
        const double nx = cx + rx * std::cos(a);
        const double ny = cy + ry * std::sin(a);
        SolidLine(px, py, nx, ny, w);
        px = nx;
        py = ny;
    }
}

void AntiGrain::Frame(double x1, double y1, double x2, double y2, double w)
{
    // A border as wide as the rectangle covers all of it. (Drawn as below,
    // an inner rectangle turned inside out in both directions would run the
    // same way round as a proper one and cut a hole.)
    if (2.0 * w >= std::fabs(x2 - x1) || 2.0 * w >= std::fabs(y2 - y1)) {
        Rectangle(std::min(x1, x2) - w, std::min(y1, y2) - w, std::max(x1, x2) + w, std::max(y1, y2) + w);
        return;
    }
    // The outer rectangle one way round, the inner one the other way: under
    // the non-zero rule only the border between them is filled.
    MoveTo(x1 - w, y1 - w);
    LineTo(x2 + w, y1 - w);
    LineTo(x2 + w, y2 + w);
    LineTo(x1 - w, y2 + w);
    LineTo(x1 - w, y1 + w);
    LineTo(x1 + w, y1 + w);
    LineTo(x1 + w, y2 - w);
    LineTo(x2 - w, y2 - w);
    LineTo(x2 - w, y1 + w);
    LineTo(x1 - w, y1 + w);
    LineTo(x1 - w, y1 - w);
}

void AntiGrain::Rectangle(double x1, double y1, double x2, double y2)
{
    MoveTo(x1, y1);
    LineTo(x2, y1);
    LineTo(x2, y2);
    LineTo(x1, y2);
    LineTo(x1, y1);
}

void AntiGrain::Render(const agg::rgba8& c)
{
    if (!agg_)
        return;
    if (pixels_)
        agg::render_scanlines_aa_solid(agg_->rasterizer, agg_->scanline, agg_->renderer, c);
    // The shape is used up: a Render with nothing added since (a segment
    // without length, say) must not blend the last shape a second time.
    agg_->rasterizer.reset();
}

void AntiGrain::Clear(const agg::rgba8& c)
{
    if (agg_ && pixels_)
        agg_->renderer.clear(c);
}

QImage AntiGrain::ToImage() const
{
    if (!pixels_)
        return QImage();
    // Little-endian ARGB32 words are the bytes blue, green, red, alpha: the
    // surface's own layout. The screen ignores alpha, so every pixel is made
    // opaque in the copy.
    QImage image(width_, height_, QImage::Format_RGB32);
    for (int y = 0; y < height_; ++y) {
        const std::uint8_t* src = pixels_.get() + std::size_t(y) * std::size_t(width_) * 4;
        auto* dst = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < width_; ++x, src += 4)
            dst[x] = 0xFF000000u | (std::uint32_t(src[2]) << 16) | (std::uint32_t(src[1]) << 8) | src[0];
    }
    return image;
}

void AntiGrain::Draw(QPainter& painter) const
{
    if (pixels_)
        painter.drawImage(0, 0, ToImage());
}

int AntiGrain::CopyFrom(const AntiGrain& other)
{
    if (&other == this)
        return pixels_ ? 0 : -1;
    if (!pixels_ || !other.pixels_ || width_ != other.width_ || height_ != other.height_)
        return -1;
    std::memcpy(pixels_.get(), other.pixels_.get(), std::size_t(width_) * 4 * std::size_t(height_));
    return 0;
}

agg::rgba8 AntiGrain::Pixel(int x, int y) const
{
    if (!pixels_ || x < 0 || y < 0 || x >= width_ || y >= height_)
        return agg::rgba8(0, 0, 0, 0);
    const std::uint8_t* p = pixels_.get() + (std::size_t(y) * std::size_t(width_) + std::size_t(x)) * 4;
    return agg::rgba8(p[2], p[1], p[0], p[3]);
}

void Rgba8SetOpacity(agg::rgba8& c, double opacity)
{
    if (!(opacity > 0.0))  // also an opacity that is not a number
        opacity = 0.0;
    if (opacity > 1.0)
        opacity = 1.0;
    c.a = static_cast<agg::int8u>(std::trunc(opacity * 255.0));
}
