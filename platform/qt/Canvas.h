// A drawing surface in the manner of the classic canvas the pictures of this
// program are described in: a pen, a brush and a font that stay set until
// changed, a current point for lines, ellipses and rectangles given by their
// corners, arcs given by start and end points, and text anchored at its top-left
// corner. Each operation is mapped onto QPainter here once, so that the pictures
// read as plain sequences of canvas calls. Drawing is aliased (no smoothing):
// pictures are compared pixel by pixel and drawn many times a second.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QString>

#include <cstdint>
#include <vector>

namespace platform {

// A colour packed as r + g * 256 + b * 65536 (the form BlendRGB gives).
inline QColor UnpackColor(uint32_t packed)
{
    return QColor(static_cast<int>(packed & 0xFF), static_cast<int>((packed >> 8) & 0xFF),
                  static_cast<int>((packed >> 16) & 0xFF));
}

// Qt's arc angles (sixteenths of a degree, counter-clockwise from three
// o'clock) for the arc of the ellipse in the box that runs counter-clockwise, as
// seen on the screen, from the ray through the start point to the ray through
// the end point. Equal rays give the whole ellipse (span 5760).
struct ArcAngles {
    int start16 = 0;
    int span16 = 0;
};
ArcAngles ArcAnglesFromPoints(const QRect& box, QPoint start, QPoint end);

class Canvas {
public:
    // Paints on the image while the canvas lives. Pen black of width 1, brush
    // solid white, font of the application's face, size 8, black.
    explicit Canvas(QImage& image);
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    void SetPenColor(const QColor& color);
    void SetPenWidth(int width);
    const QColor& PenColor() const { return penColor_; }
    // A solid brush of the colour, or no fill at all.
    void SetBrushSolid(const QColor& color);
    void SetBrushClear();
    bool BrushSolid() const { return brushSolid_; }
    // Font size in points and weight; the face stays the application's.
    void SetFont(int pointSize, bool bold);
    void SetFontColor(const QColor& color);
    const QColor& FontColor() const { return fontColor_; }

    void MoveTo(int x, int y);
    // A line from the current point to (x, y), which becomes the current point.
    void LineTo(int x, int y);
    // Outline in the pen, inside filled with the brush. Boxes are given by their
    // corners (x1, y1) and (x2, y2); the right and bottom edge lie outside, as on
    // the classic canvas.
    void Rectangle(int x1, int y1, int x2, int y2);
    void Ellipse(int x1, int y1, int x2, int y2);
    void Polygon(const std::vector<QPoint>& points);
    // Lines joining the points in order, in the pen; the last point becomes the
    // current point. The same as MoveTo and LineTo point by point, in one call.
    void Polyline(const std::vector<QPoint>& points);
    // The arc of the ellipse in the box, counter-clockwise from the start point's
    // ray to the end point's ray, in the pen.
    void Arc(int x1, int y1, int x2, int y2, int startX, int startY, int endX, int endY);
    // Fills the box with the brush colour (no outline).
    void FillRect(int x1, int y1, int x2, int y2);
    // A one-pixel frame just inside the box, in the brush colour.
    void FrameRect(int x1, int y1, int x2, int y2);
    // Text whose top-left corner is (x, y), in the font colour; with a solid brush
    // the text's box is first filled with the brush colour, with a clear brush the
    // text stands on what is there.
    void TextOut(int x, int y, const QString& text);
    // Copies the image with its top-left corner at (x, y).
    void Draw(int x, int y, const QImage& image);

private:
    void ApplyPen();
    void ApplyBrush();

    QPainter painter_;
    QColor penColor_{Qt::black};
    int penWidth_ = 1;
    QColor brushColor_{Qt::white};
    bool brushSolid_ = true;
    QColor fontColor_{Qt::black};
    QFont font_;
    QPoint current_;
};

}  // namespace platform
