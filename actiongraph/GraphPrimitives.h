// The pieces a drawn action graph is made of: the colour and line pattern of
// an action, the arrow of a connection and the rotated text of its name.
#pragma once

#include <agg_color_rgba.h>

#include <cstdint>

class AntiGrain;
class ConceptObject;
class QPainter;
class QRect;
class QString;
class ViewRect;

// The colour (with the given opacity) and line pattern (as for
// AntiGrain::ThickLine: 0 solid, 10 dashed, -10 zigzag) of an action; grey
// shades with bw. Defensive movements purple, moves on the ball and holding
// the ball blue zigzag, other movements blue, misses pink dashed, passes
// orange dashed, goals yellow, other kicks red, anything else (no action
// included) light grey.
void ActionColor(const ConceptObject* action, bool bw, int opacity, agg::rgba8& colour, double& pattern);
// The action's colour packed as r + g * 256 + b * 65536.
std::uint32_t ActionCanvasColor(const ConceptObject* action, bool bw);

// Adds the arrow of a connection from pitch point (x1, y1) to (x2, y2) to the
// surface's current shape (the caller renders it): a shaft of half-width w
// that starts g1 pixels after the first point and a head that ends g2 pixels
// before the second, the head a tenth of the length and 4w wide to each side
// (measured along the axes). Shorter than 30 pixels: a plain segment from
// point to point. Points on the same pixel position: nothing.
void DrawEdge(AntiGrain& surface, const ViewRect& view, double x1, double y1, double x2, double y2, int w, int g1,
              int g2, double p);

// The angle, in tenths of a degree counter-clockwise on screen, of a label
// along the connection from pitch point s to t (pitch y grows downwards):
// 900 for a vertical one.
int LabelAngle(double sx, double sy, double tx, double ty);

// Draws text with its top-left corner at (x, y), turned by angle tenths of a
// degree counter-clockwise, in a small light Arial (9 pixels), in the
// painter's pen colour over a transparent background.
void TextOutRotated(QPainter& painter, int x, int y, int angle, const QString& text);
// Where TextOutRotated at (0, 0) without turning puts the text.
QRect LabelTextRect(const QString& text);
