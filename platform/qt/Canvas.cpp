#include "platform/qt/Canvas.h"

#include <QFontMetrics>
#include <QPen>

#include <cmath>
#include <numbers>

namespace platform {

namespace {

// The angle of the ray from the box centre through the point, in sixteenths of
// a degree counter-clockwise on the screen (y grows downwards). The box is
// scaled to a circle first, which is how Qt measures angles on an ellipse.
double RayAngle16(const QRect& box, QPoint p)
{
    const double cx = box.left() + box.width() / 2.0;
    const double cy = box.top() + box.height() / 2.0;
    const double halfW = box.width() > 0 ? box.width() / 2.0 : 1.0;
    const double halfH = box.height() > 0 ? box.height() / 2.0 : 1.0;
    const double degrees = std::atan2(-(p.y() - cy) / halfH, (p.x() - cx) / halfW) * 180.0 / std::numbers::pi;
    return degrees * 16.0;
}

// The pixels a box given by corners covers: its right and bottom edge lie outside.
QRect Box(int x1, int y1, int x2, int y2) { return QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)); }
// The rectangle whose stroke covers the same pixels: an aliased one-pixel
// stroke of a QRect covers one pixel more to the right and below.
QRect Outline(int x1, int y1, int x2, int y2) { return QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1); }

}  // namespace

ArcAngles ArcAnglesFromPoints(const QRect& box, QPoint start, QPoint end)
{
    const double from = RayAngle16(box, start);
    const double to = RayAngle16(box, end);
    double span = std::fmod(to - from, 5760.0);
    if (span <= 0.5)  // the same ray (within rounding) or clockwise of it: go round
        span += 5760.0;
    ArcAngles angles;
    angles.start16 = static_cast<int>(std::lround(from < 0 ? from + 5760.0 : from)) % 5760;
    angles.span16 = static_cast<int>(std::lround(span));
    if (angles.span16 > 5760)
        angles.span16 = 5760;
    return angles;
}

Canvas::Canvas(QImage& image) : painter_(&image)
{
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, false);
    font_.setPointSize(8);
    painter_.setFont(font_);
    ApplyPen();
    ApplyBrush();
}

void Canvas::SetPenColor(const QColor& color)
{
    penColor_ = color;
    ApplyPen();
}

void Canvas::SetPenWidth(int width)
{
    penWidth_ = width < 1 ? 1 : width;
    ApplyPen();
}

void Canvas::SetBrushSolid(const QColor& color)
{
    brushColor_ = color;
    brushSolid_ = true;
    ApplyBrush();
}

void Canvas::SetBrushClear()
{
    brushSolid_ = false;
    ApplyBrush();
}

void Canvas::SetFont(int pointSize, bool bold)
{
    font_.setPointSize(pointSize);
    font_.setBold(bold);
    painter_.setFont(font_);
}

void Canvas::SetFontColor(const QColor& color) { fontColor_ = color; }

void Canvas::ApplyPen()
{
    // Width 1 is the cosmetic one-pixel pen; wider pens are square-ended as the
    // classic canvas draws them.
    QPen pen(penColor_, penWidth_ == 1 ? 0 : penWidth_, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    painter_.setPen(pen);
}

void Canvas::ApplyBrush()
{
    painter_.setBrush(brushSolid_ ? QBrush(brushColor_) : QBrush(Qt::NoBrush));
}

void Canvas::MoveTo(int x, int y) { current_ = QPoint(x, y); }

void Canvas::LineTo(int x, int y)
{
    const QPoint to(x, y);
    painter_.drawLine(current_, to);
    current_ = to;
}

void Canvas::Rectangle(int x1, int y1, int x2, int y2)
{
    painter_.drawRect(Outline(x1, y1, x2, y2));
}

void Canvas::Ellipse(int x1, int y1, int x2, int y2)
{
    painter_.drawEllipse(Outline(x1, y1, x2, y2));
}

void Canvas::Polygon(const std::vector<QPoint>& points)
{
    painter_.drawPolygon(points.data(), static_cast<int>(points.size()));
}

void Canvas::Polyline(const std::vector<QPoint>& points)
{
    if (points.empty())
        return;
    painter_.drawPolyline(points.data(), static_cast<int>(points.size()));
    current_ = points.back();
}

void Canvas::Arc(int x1, int y1, int x2, int y2, int startX, int startY, int endX, int endY)
{
    const QRect box = Outline(x1, y1, x2, y2);
    const ArcAngles angles = ArcAnglesFromPoints(box, QPoint(startX, startY), QPoint(endX, endY));
    painter_.drawArc(box, angles.start16, angles.span16);
}

void Canvas::FillRect(int x1, int y1, int x2, int y2) { painter_.fillRect(Box(x1, y1, x2, y2), brushColor_); }

void Canvas::FrameRect(int x1, int y1, int x2, int y2)
{
    const QPen kept = painter_.pen();
    const QBrush keptBrush = painter_.brush();
    painter_.setPen(QPen(brushColor_, 0));
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(Outline(x1, y1, x2, y2));
    painter_.setPen(kept);
    painter_.setBrush(keptBrush);
}

void Canvas::TextOut(int x, int y, const QString& text)
{
    const QFontMetrics metrics = painter_.fontMetrics();
    const QRect box(x, y, metrics.horizontalAdvance(text), metrics.height());
    if (brushSolid_)
        painter_.fillRect(box, brushColor_);
    const QPen kept = painter_.pen();
    painter_.setPen(fontColor_);
    painter_.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
    painter_.setPen(kept);
}

void Canvas::Draw(int x, int y, const QImage& image) { painter_.drawImage(x, y, image); }

}  // namespace platform
