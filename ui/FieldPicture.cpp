#include "ui/FieldPicture.h"

#include "core/model/Pitch.h"
#include "core/model/RoboCupFile.h"
#include "platform/qt/Canvas.h"

#include <algorithm>
#include <cmath>

CycleSpan DrawnRange(const FieldTime& time, bool timeReduction)
{
    if (!timeReduction)
        return {time.from, time.to};
    const int r = std::max(time.to - time.cycle, time.cycle - time.from) / 20;
    return {std::max(time.from, time.cycle - r), std::min(time.to, time.cycle + r)};
}

QColor FieldBackground(bool bw) { return bw ? QColor(255, 255, 255) : QColor(20, 110, 20); }

QColor FieldLines(bool bw) { return bw ? QColor(128, 128, 128) : QColor(255, 255, 255); }

QColor ObjectColor(int object, bool bw)
{
    switch (pitch::SideOf(object)) {
    case pitch::Side::Left: return bw ? QColor(0, 0, 0) : QColor(0, 0, 255);
    case pitch::Side::Right: return bw ? QColor(192, 192, 192) : QColor(255, 0, 0);
    default: return bw ? QColor(0, 0, 0) : QColor(255, 255, 255);
    }
}

namespace {

// Pitch to pixel, truncated toward zero as every canvas coordinate is.
int PixelX(const ViewRect& view, double x) { return static_cast<int>(view.FieldToViewX(x)); }
int PixelY(const ViewRect& view, double y) { return static_cast<int>(view.FieldToViewY(y)); }

void PitchRectangle(platform::Canvas& c, const ViewRect& v, double x1, double y1, double x2, double y2)
{
    c.Rectangle(PixelX(v, x1), PixelY(v, y1), PixelX(v, x2), PixelY(v, y2));
}

void PitchEllipse(platform::Canvas& c, const ViewRect& v, double x1, double y1, double x2, double y2)
{
    c.Ellipse(PixelX(v, x1), PixelY(v, y1), PixelX(v, x2), PixelY(v, y2));
}

// An open line through four pitch points: goal areas and goals.
void PitchLines(platform::Canvas& c, const ViewRect& v, std::initializer_list<std::pair<double, double>> points)
{
    bool first = true;
    for (const auto& [x, y] : points) {
        if (first)
            c.MoveTo(PixelX(v, x), PixelY(v, y));
        else
            c.LineTo(PixelX(v, x), PixelY(v, y));
        first = false;
    }
}

// A spot of 0.2 m radius, one pixel more to the right and below.
void DrawMarker(platform::Canvas& c, const ViewRect& v, double x, double y)
{
    c.SetPenWidth(2);
    c.Ellipse(PixelX(v, x - 0.2), PixelY(v, y - 0.2), PixelX(v, x + 0.2) + 1, PixelY(v, y + 0.2) + 1);
    c.SetPenWidth(1);
}

}  // namespace

void DrawPitch(QImage& pitch, const ViewRect& view, bool bw)
{
    if (pitch.isNull())
        return;
    const QColor background = FieldBackground(bw);
    platform::Canvas c(pitch);
    c.SetBrushSolid(background);
    c.FillRect(0, 0, pitch.width(), pitch.height());
    c.SetBrushClear();
    c.SetPenColor(FieldLines(bw));
    c.SetPenWidth(1);

    using pitch::kHalfLength, pitch::kHalfWidth;
    PitchRectangle(c, view, -kHalfLength, -kHalfWidth, kHalfLength, kHalfWidth);
    PitchLines(c, view, {{0, -kHalfWidth}, {0, kHalfWidth}});
    PitchEllipse(c, view, -9.1, -9.1, 9.1, 9.1);
    PitchEllipse(c, view, -50.6, -9.1, -32.4, 9.1);
    PitchEllipse(c, view, 32.4, -9.1, 50.6, 9.1);
    // The penalty areas cover the inner halves of the two circles: only the arcs
    // outside the areas stay.
    c.SetBrushSolid(background);
    PitchRectangle(c, view, -52.5, -15.16, -36, 15.16);
    PitchRectangle(c, view, 36, -15.16, 52.5, 15.16);
    c.SetBrushClear();
    PitchLines(c, view, {{-52.5, -9.16}, {-47, -9.16}, {-47, 9.16}, {-52.5, 9.16}});
    PitchLines(c, view, {{52.5, -9.16}, {47, -9.16}, {47, 9.16}, {52.5, 9.16}});
    constexpr double goal = pitch::kGoalHalfWidth;
    PitchLines(c, view, {{-kHalfLength, -goal}, {-54.9, -goal}, {-54.9, goal}, {-kHalfLength, goal}});
    PitchLines(c, view, {{kHalfLength, -goal}, {54.9, -goal}, {54.9, goal}, {kHalfLength, goal}});
    DrawMarker(c, view, 0, 0);
    DrawMarker(c, view, -41.5, 0);
    DrawMarker(c, view, 41.5, 0);
}

int DrawableCycles(const RoboCupFileT& log)
{
    int n = log.cycles;
    auto hold = [&n](const TimeChannel* c) {
        if (c == nullptr || c->GetCount() < n)
            n = c == nullptr ? 0 : c->GetCount();
    };
    for (const TimeChannel* c : {static_cast<const TimeChannel*>(log.leftScoreChannel), static_cast<const TimeChannel*>(log.rightScoreChannel),
                                 static_cast<const TimeChannel*>(log.timeChannel), static_cast<const TimeChannel*>(log.playModeChannel)})
        hold(c);
    for (int k = 0; k < pitch::kObjectCount; ++k) {
        // Objects without positions are simply not drawn; the ball has no player leaves.
        for (const TimeChannel* c : {static_cast<const TimeChannel*>(log.posXChannel[k]), static_cast<const TimeChannel*>(log.posYChannel[k]),
                                     static_cast<const TimeChannel*>(log.kickEventChannel[k]), static_cast<const TimeChannel*>(log.nearestOpponentChannel[k])})
            if (c != nullptr)
                hold(c);
    }
    return std::max(n, 0);
}

QString PlayModeCaption(const RoboCupFileT& log, int cycle)
{
    const int cycles = DrawableCycles(log);
    if (cycles <= 0)
        return {};
    cycle = std::clamp(cycle, 0, cycles - 1);
    QString caption = QString::number(log.leftScoreChannel->Get(cycle)) + " - Time : " +
                      QString::number(log.timeChannel->Get(cycle)) + "(" + QString::number(cycle) + ") - " +
                      QString::number(log.rightScoreChannel->Get(cycle));
    const QString mode = QString::fromLatin1(PlayModeName(log.playModeChannel->Get(cycle)));
    if (!mode.isEmpty())
        caption += "\n" + mode;
    return caption;
}

ScrollPos ShownPart(double focusX, double focusY, ScrollPos previous, bool smooth, int w, int h, int bitmapW,
                    int bitmapH)
{
    auto axis = [smooth](double focus, int before, int size, int bitmapSize) {
        int scroll = smooth ? static_cast<int>((4.0 * before + focus - size / 2) * 0.2)
                            : static_cast<int>(focus - size / 2);
        scroll = std::max(scroll, 0);
        return std::min(scroll, std::max(bitmapSize - size, 0));
    };
    return {axis(focusX, previous.x, w, bitmapW), axis(focusY, previous.y, h, bitmapH)};
}
