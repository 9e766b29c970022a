// An off-screen anti-aliased drawing surface: a 32-bit picture (bytes blue,
// green, red, alpha per pixel; rows of width x 4 bytes, row 0 at the top) into
// which shapes are rasterised with AGG and blended in one colour at a time.
//
// Shapes are outlines: MoveTo starts a sub-path, LineTo extends it, and every
// sub-path closes back to its start by itself. All sub-paths added since the
// last Render make one shape, filled under the non-zero winding rule (an inner
// sub-path running the other way round cuts a hole), with coverage used
// linearly and 1/256 pixel precision. Coordinates are pixels, x to the right
// and y downwards; what falls outside the picture is clipped away.
//
// The surface knows nothing of windows: ToImage gives the picture as a QImage
// to show, Draw paints it one to one with a painter.
#pragma once

#include <agg_color_rgba.h>

#include <cstdint>
#include <memory>

class QImage;
class QPainter;

class AntiGrain {
public:
    AntiGrain(int width, int height);
    ~AntiGrain();
    AntiGrain(const AntiGrain&) = delete;
    AntiGrain& operator=(const AntiGrain&) = delete;

    // (Re)creates the picture at width x height; a side of 0 or less is taken
    // as 1. The old pixels are lost; the new picture is transparent black. An
    // allocation that fails beeps and leaves that part missing: drawing then
    // does nothing and CopyFrom refuses.
    void Init(int width, int height);
    void Free();

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool HasPixels() const { return pixels_ != nullptr; }

    void MoveTo(double x, double y);
    void LineTo(double x, double y);

    // A segment of total width 2w from (x1, y1) to (x2, y2) with square ends:
    // solid for p = 0, dashed for p > 0 (trunc(2p - 1) equal steps, the even
    // ones drawn) and zigzag for p < 0 (trunc(2|p| - 1) steps, each bent half a
    // step to alternate sides). A segment without length adds nothing.
    void ThickLine(double x1, double y1, double x2, double y2, double w, double p);
    // A filled ellipse round (x, y) with radii rx and ry, as a polygon of at
    // most 50 sides.
    void Circle(double x, double y, double rx, double ry);
    // The outline of the ellipse inscribed in the box, as at most 60 solid
    // segments of half-width w.
    void EllipseOutline(double x1, double y1, double x2, double y2, double w);
    // A hollow rectangle whose border of total width 2w is centred on the
    // rectangle's edges.
    void Frame(double x1, double y1, double x2, double y2, double w);
    void Rectangle(double x1, double y1, double x2, double y2);

    // Fills the current shape, blending the colour over the pixels by its
    // opacity times the anti-aliasing coverage. The shape is used up: the
    // next point starts a new one.
    void Render(const agg::rgba8& c);
    // Sets every pixel to the colour's four bytes, without blending.
    void Clear(const agg::rgba8& c);

    // The picture with the alpha bytes ignored (every pixel opaque), as shown
    // on screen.
    QImage ToImage() const;
    // Paints the picture one to one at (0, 0).
    void Draw(QPainter& painter) const;

    // Copies the other picture's pixels: 0 when both have the same size and
    // this one has pixels, else -1 and nothing changes.
    int CopyFrom(const AntiGrain& other);

    // The pixel at (x, y); transparent black outside the picture.
    agg::rgba8 Pixel(int x, int y) const;
    const std::uint8_t* Bits() const { return pixels_.get(); }

private:
    struct Agg;
    void SolidLine(double x1, double y1, double x2, double y2, double w);

    int width_ = 0;
    int height_ = 0;
    std::unique_ptr<std::uint8_t[]> pixels_;
    std::unique_ptr<Agg> agg_;
};

// Sets the colour's opacity to trunc(opacity x 255), the opacity first limited
// to [0, 1].
void Rgba8SetOpacity(agg::rgba8& c, double opacity);
