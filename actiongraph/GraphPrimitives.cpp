#include "actiongraph/GraphPrimitives.h"

#include "actiongraph/AntiGrain.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/model/Common.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QRect>
#include <QString>

#include <cmath>

namespace {

struct ActionStyle {
    int r, g, b;
    int grey;
    double pattern;
};

constexpr double kDashed = 10.0;
constexpr double kZigzag = -10.0;

// The first row whose test the action passes, as the table lists them: the
// finer movements before "Movement", the keepaway actions by identity.
ActionStyle StyleOf(const ConceptObject* a)
{
    const auto is = [a](const ConceptObject* c) { return ConceptObject::IsA(a, c); };
    const auto equals = [a](const ConceptObject* c) { return a != nullptr && a == c; };
    if (is(coDefensiveMovement))
        return {200, 66, 245, 200, 0.0};
    if (is(coMovementOnTheBall) || equals(coHold))
        return {100, 102, 217, 100, kZigzag};
    if (is(coOffensiveMovement))
        return {100, 102, 217, 100, 0.0};
    if (is(coMovement))
        return {12, 77, 247, 100, 0.0};
    if (is(coMiss) || equals(coInterceptedPass))
        return {247, 120, 203, 150, kDashed};
    if (is(coPass) || equals(coPassK2K3) || equals(coPassK2) || equals(coPassK3))
        return {243, 104, 32, 75, kDashed};
    if (is(coSuccessfulShoot))
        return {245, 225, 76, 50, 0.0};
    if (is(coKick))
        return {217, 13, 12, 100, 0.0};
    return {217, 213, 212, 150, 0.0};
}

}  // namespace

void ActionColor(const ConceptObject* action, bool bw, int opacity, agg::rgba8& colour, double& pattern)
{
    const ActionStyle s = StyleOf(action);
    const auto a = static_cast<agg::int8u>(opacity);
    colour = bw ? agg::rgba8(s.grey, s.grey, s.grey, a) : agg::rgba8(s.r, s.g, s.b, a);
    pattern = s.pattern;
}

std::uint32_t ActionCanvasColor(const ConceptObject* action, bool bw)
{
    agg::rgba8 c;
    double pattern = 0.0;
    ActionColor(action, bw, 0, c, pattern);
    return PackRGB(c.r, c.g, c.b);
}

void DrawEdge(AntiGrain& surface, const ViewRect& view, double x1, double y1, double x2, double y2, int w, int g1,
              int g2, double p)
{
    const double ax = view.FieldToViewX(x1);
    const double ay = view.FieldToViewY(y1);
    const double bx = view.FieldToViewX(x2);
    const double by = view.FieldToViewY(y2);
    if (ax == bx && ay == by)
        return;
    const double len = std::sqrt((bx - ax) * (bx - ax) + (by - ay) * (by - ay));
    if (len < 30.0) {
        surface.ThickLine(ax, ay, bx, by, w, 0.0);
        return;
    }
    if (g1 + g2 >= len)
        g1 = g2 = 0;
    const double sx = ax + (bx - ax) * g1 / len;
    const double sy = ay + (by - ay) * g1 / len;
    const double ex = ax + (bx - ax) * (len - g2) / len;
    const double ey = ay + (by - ay) * (len - g2) / len;
    const double mx = sx + (ex - sx) * 9.0 * 0.1;
    const double my = sy + (ey - sy) * 9.0 * 0.1;
    const double dx = ex - mx;
    const double dy = ey - my;
    // A head's base that collapsed onto its tip (both gaps eating the whole
    // length) has no direction: the shaft alone is drawn then.
    const double manhattan = std::fabs(dx) + std::fabs(dy);
    const double hx = manhattan > 0.0 ? 4.0 * w * dx / manhattan : 0.0;
    const double hy = manhattan > 0.0 ? 4.0 * w * dy / manhattan : 0.0;
    // Divided by the full length: the shaft thins when the gaps are large.
    const double ox = w * (ex - sx) / len;
    const double oy = w * (ey - sy) / len;
    // The outline runs clockwise on screen, as every other shape of the
    // surface does, so that arrows overlapping in one shape never cancel out.
    if (p == 0.0) {
        surface.MoveTo(sx + oy, sy - ox);
        surface.LineTo(mx + oy, my - ox);
    } else {
        surface.ThickLine(sx, sy, mx, my, w, p);
        surface.MoveTo(mx + oy, my - ox);
    }
    surface.LineTo(mx + hy, my - hx);
    surface.LineTo(ex, ey);
    surface.LineTo(mx - hy, my + hx);
    surface.LineTo(mx - oy, my + ox);
    if (p == 0.0)
        surface.LineTo(sx - oy, sy + ox);
}

int LabelAngle(double sx, double sy, double tx, double ty)
{
    if (sx == tx)
        return 900;
    return static_cast<int>(std::trunc(std::atan((ty - sy) / (sx - tx)) * 1800.0 * (1.0 / 3.1415)));
}

namespace {

// Made once, when the first label is drawn (a font needs the application),
// and kept to the end of the program.
const QFont& LabelFont()
{
    static const QFont* font = [] {
        auto* f = new QFont(QStringLiteral("Arial"));
        f->setPixelSize(9);
        f->setWeight(QFont::Light);
        return f;
    }();
    return *font;
}

}  // namespace

void TextOutRotated(QPainter& painter, int x, int y, int angle, const QString& text)
{
    painter.save();
    painter.setFont(LabelFont());
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.translate(x, y);
    painter.rotate(-angle / 10.0);
    painter.drawText(0, QFontMetrics(LabelFont()).ascent(), text);
    painter.restore();
}

QRect LabelTextRect(const QString& text)
{
    const QFontMetrics metrics(LabelFont());
    return metrics.boundingRect(text).translated(0, metrics.ascent()).united(QRect(0, 0, 1, metrics.height()));
}
