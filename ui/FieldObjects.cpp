// The objects of the field picture: each selected object is painted completely
// (ring, path, body, view cone, marker, texts, custom events, kicks) before the
// next, in list order, so later objects cover earlier ones.
#include "ui/FieldPicture.h"

#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/ConceptLabel.h"
#include "core/concepts/Concepts.h"
#include "core/expr/Expression.h"
#include "core/model/Format.h"
#include "core/model/Pitch.h"
#include "core/model/RoboCupFile.h"
#include "core/model/Situation.h"
#include "platform/qt/Canvas.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <numbers>
#include <vector>

namespace {

using DoubleChannel = RoboCupFileT::DoubleChannel;

// The leaf "<object>.<group>.<leaf>" found through the object's own channel,
// which is quicker than comparing every full name of the stream.
TimeChannel* ObjectLeaf(const TimeStream& stream, const std::string& object, const std::string& group,
                        const std::string& leaf)
{
    auto child = [](const std::vector<TimeChannel*>& list, const std::string& name) -> TimeChannel* {
        for (TimeChannel* c : list)
            if (c->GetName() == name)
                return c;
        return nullptr;
    };
    auto* top = dynamic_cast<CompositeTimeChannel*>(child(stream.GetRootChannels(), object));
    auto* middle = top ? dynamic_cast<CompositeTimeChannel*>(child(top->GetChildren(), group)) : nullptr;
    return middle ? child(middle->GetChildren(), leaf) : nullptr;
}

std::string ReplaceAll(std::string text, const std::string& what, const std::string& with)
{
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

// A stored value read without the averaging window: channels that hold concept
// identities or codes mean nothing averaged.
template <typename T>
T RawAt(const DataTimeChannel<T>* channel, int cycle)
{
    if (channel == nullptr || cycle < 0 || cycle >= channel->GetCount())
        return 0;
    return channel->GetValues()[static_cast<std::size_t>(cycle)];
}

// The value through the averaging window; 0 where the channel holds no value.
double ValueAt(const TimeChannel* channel, int cycle)
{
    return channel != nullptr && cycle >= 0 && cycle < channel->GetCount() ? channel->GetValue(cycle) : 0.0;
}

// The end of the ball's travel after a kick at t: the first later cycle with a
// play mode or any player's kick code, or the log's last cycle. Found for the
// drawn cycles once per picture, shared by all objects.
class KickEnds {
public:
    KickEnds(const RoboCupFileT& log, CycleSpan span, int cycles) : log_(log), span_(span), last_(cycles - 1) {}

    int After(int t)
    {
        if (ends_.empty())
            Build();
        return ends_[static_cast<std::size_t>(t - span_.first)];
    }

private:
    bool Stops(int c) const
    {
        if (log_.playModeChannel != nullptr && log_.playModeChannel->Get(c) != 0)
            return true;
        for (int k = pitch::kFirstPlayer; k <= pitch::kLastPlayer; ++k) {
            const auto* kick = log_.kickEventChannel[static_cast<std::size_t>(k)];
            if (kick != nullptr && kick->Get(c) != 0)
                return true;
        }
        return false;
    }

    void Build()
    {
        const int last = last_;
        int next = last;  // the first stop after span_.last
        for (int c = span_.last + 1; c <= last; ++c) {
            if (Stops(c)) {
                next = c;
                break;
            }
        }
        ends_.assign(static_cast<std::size_t>(span_.last - span_.first + 1), last);
        for (int t = span_.last; t >= span_.first; --t) {
            ends_[static_cast<std::size_t>(t - span_.first)] = std::min(next, last);
            if (Stops(t))
                next = t;
        }
    }

    const RoboCupFileT& log_;
    CycleSpan span_;
    int last_;
    std::vector<int> ends_;  // by t - span_.first
};

class FieldPainter {
public:
    FieldPainter(QImage& field, const ViewRect& view, const FieldOptions& options, RoboCupFileT& log,
                 FieldTime time, int cycles, CustomEventCache& events)
        : c_(field), view_(view), o_(options), log_(log), time_(time),
          span_(DrawnRange(time, options.timeReduction)), kickEnds_(log, span_, cycles), events_(events)
    {
        radius_ = options.big == TriState::Grayed ? 9 : options.big == TriState::Checked ? 7 : 5;
    }

    platform::Canvas& Canvas() { return c_; }
    FieldPaintResult& Result() { return result_; }

    double X(int k, int t) const { return view_.FieldToViewX(log_.posXChannel[k]->Get(t)); }
    double Y(int k, int t) const { return view_.FieldToViewY(log_.posYChannel[k]->Get(t)); }

    void PaintObject(int k);
    void NearestOpponentLine(int k);
    // The keepaway label of the shown cycle against the expression box's words.
    bool LabelMatches();

private:
    void Mark(int k);
    void Path(int k, const QColor& color);
    void BodyTriangle(int k, double px, double py);
    void ViewCone(int k, double px, double py);
    void Marker(int k, double px, double py, const QColor& brush);
    void Texts(int k, double px, double py);
    void CustomEvent(int k, const TimeChannel* data);
    void KickEvents(int k, const TimeChannel* data);

    platform::Canvas c_;
    const ViewRect& view_;
    const FieldOptions& o_;
    RoboCupFileT& log_;
    FieldTime time_;
    CycleSpan span_;
    KickEnds kickEnds_;
    int radius_ = 5;
    FieldPaintResult result_;
    CustomEventCache& events_;
};

void FieldPainter::PaintObject(int k)
{
    const std::string name = ObjectName(k);
    const TimeChannel* data = nullptr;
    if (!o_.fieldText.empty()) {
        const TimeChannel* named = log_.stream->FindChannel(ReplaceAll(o_.fieldText, "PLAYER", name));
        data = named != nullptr && named->IsLeaf() ? named : nullptr;
    }
    if (log_.posXChannel[k] == nullptr || log_.posYChannel[k] == nullptr)
        return;

    double px = X(k, time_.cycle);
    double py = Y(k, time_.cycle);
    if (o_.centroid) {
        double sx = 0.0, sy = 0.0;
        for (int t = span_.first; t <= span_.last; ++t) {
            sx += X(k, t);
            sy += Y(k, t);
        }
        const double n = span_.last - span_.first + 1;
        px = sx / n;
        py = sy / n;
    }
    if (k == o_.focusObject) {
        if (o_.mark)
            Mark(k);
        result_.focusX = px;
        result_.focusY = py;
    }

    const QColor color = ObjectColor(k, o_.bw);
    const QColor brush = k == pitch::kBall ? QColor(255, 255, 255) : color;
    c_.SetPenColor(color);
    c_.SetBrushSolid(brush);
    if (o_.showPath)
        Path(k, color);
    if (k != pitch::kBall && o_.bodyAngle)
        BodyTriangle(k, px, py);
    if (k != pitch::kBall && o_.headAngle)
        ViewCone(k, px, py);
    if (o_.showPlayers)
        Marker(k, px, py, brush);
    Texts(k, px, py);
    if (o_.customEvent)
        CustomEvent(k, data);
    if (k != pitch::kBall && o_.AnyKickEvent())
        KickEvents(k, data);
}

void FieldPainter::Mark(int k)
{
    const int from = std::max(0, time_.cycle - 2);
    double mx = 0.0, my = 0.0;
    for (int t = from; t <= time_.cycle; ++t) {
        mx += X(k, t);
        my += Y(k, t);
    }
    const double n = time_.cycle - from + 1;
    const int x = static_cast<int>(mx / n);
    const int y = static_cast<int>(my / n);
    c_.SetPenWidth(3);
    c_.SetBrushClear();
    c_.SetPenColor(QColor(0, 0, 0));
    c_.Ellipse(x - 30 + 1, y - 30 + 1, x + 30 + 1, y + 30 + 1);
    c_.SetPenColor(QColor(255, 255, 0));
    c_.Ellipse(x - 30, y - 30, x + 30, y + 30);
    c_.SetPenWidth(1);
}

void FieldPainter::Path(int k, const QColor& color)
{
    const QColor background = FieldBackground(false);  // paths fade from the green, also in black and white
    const QColor light(std::min(color.red() + 150, 255), std::min(color.green() + 150, 255),
                       std::min(color.blue() + 150, 255));
    auto blend = [](const QColor& a, const QColor& b, float f) {
        return platform::UnpackColor(
            BlendRGB(a.red(), a.green(), a.blue(), b.red(), b.green(), b.blue(), f));
    };
    // Runs of points in one colour go out as one line (a point on the previous
    // one adds nothing); the colour of a segment is the one set before its end.
    std::vector<QPoint> run;
    run.reserve(static_cast<std::size_t>(span_.last - span_.first + 1));
    for (int t = span_.first; t <= span_.last; ++t) {
        const QPoint p(static_cast<int>(std::ceil(X(k, t))), static_cast<int>(std::ceil(Y(k, t))));
        if (o_.fadePath) {
            QColor pen;
            if (t < time_.cycle)
                pen = blend(background, color,
                            static_cast<float>(t - span_.first) / static_cast<float>(time_.cycle - span_.first));
            else if (span_.last == time_.cycle)
                pen = blend(color, light, 0.0f);
            else
                pen = blend(color, light,
                            static_cast<float>(t - time_.cycle) / static_cast<float>(span_.last - time_.cycle));
            if (pen != c_.PenColor()) {
                if (run.size() > 1)
                    c_.Polyline(run);
                if (!run.empty())
                    run.erase(run.begin(), run.end() - 1);
                c_.SetPenColor(pen);
            }
        }
        if (run.empty() || run.back() != p)
            run.push_back(p);
    }
    if (run.size() > 1)
        c_.Polyline(run);
    else
        c_.MoveTo(run.back().x(), run.back().y());
}

void FieldPainter::BodyTriangle(int k, double px, double py)
{
    const auto* body = ObjectLeaf(*log_.stream, ObjectName(k), "angles", "body_angle");
    if (body == nullptr)
        return;
    const double a = ValueAt(body, time_.cycle);
    const double half = std::numbers::pi / 2;
    c_.SetPenColor(ObjectColor(k, o_.bw));
    c_.Polygon({QPoint(static_cast<int>(px + 2 * std::cos(a - half)), static_cast<int>(py + 2 * std::sin(a - half))),
                QPoint(static_cast<int>(px + 15 * std::cos(a)), static_cast<int>(py + 15 * std::sin(a))),
                QPoint(static_cast<int>(px + 2 * std::cos(a + half)), static_cast<int>(py + 2 * std::sin(a + half)))});
}

void FieldPainter::ViewCone(int k, double px, double py)
{
    const std::string name = ObjectName(k);
    const auto* width = ObjectLeaf(*log_.stream, name, "view", "view_width");
    const auto* body = ObjectLeaf(*log_.stream, name, "angles", "body_angle");
    const auto* head = ObjectLeaf(*log_.stream, name, "angles", "head_angle");
    if (width == nullptr || body == nullptr || head == nullptr)
        return;
    // The log gives the width of the view in radians (90 degrees normal).
    const double w = ValueAt(width, time_.cycle);
    const double d = ValueAt(body, time_.cycle) + ValueAt(head, time_.cycle);
    const int x = static_cast<int>(px);
    const int y = static_cast<int>(py);
    const QPoint e0(static_cast<int>(px + 20 * std::cos(d - w / 2)), static_cast<int>(py + 20 * std::sin(d - w / 2)));
    const QPoint e1(static_cast<int>(px + 20 * std::cos(d + w / 2)), static_cast<int>(py + 20 * std::sin(d + w / 2)));
    c_.SetPenColor(ObjectColor(k, o_.bw));
    c_.MoveTo(x, y);
    c_.LineTo(e0.x(), e0.y());
    c_.MoveTo(x, y);
    c_.LineTo(e1.x(), e1.y());
    c_.Arc(x - 20, y - 20, x + 20, y + 20, e1.x(), e1.y(), e0.x(), e0.y());
    c_.Arc(x - 19, y - 19, x + 19, y + 19, e1.x(), e1.y(), e0.x(), e0.y());
}

void FieldPainter::Marker(int k, double px, double py, const QColor& brush)
{
    const int r = radius_;
    const int x = static_cast<int>(px);
    const int y = static_cast<int>(py);
    c_.SetPenColor(ObjectColor(k, o_.bw));
    c_.SetBrushSolid(brush);
    if (k == pitch::kBall)
        c_.Ellipse(x - r - 1, y - r - 1, x + r + 1, y + r + 1);
    c_.Ellipse(x - r, y - r, x + r, y + r);
    if (o_.centroid) {
        c_.MoveTo(x - r, y - r);
        c_.LineTo(x + r, y + r);
        c_.MoveTo(x - r, y + r);
        c_.LineTo(x + r, y - r);
    }
}

void FieldPainter::Texts(int k, double px, double py)
{
    const int x = static_cast<int>(px);
    const int y = static_cast<int>(py);
    if (o_.eventDesc) {
        if (ConceptObject* action = ConceptFromHandle(RawAt(log_.eventChannel[k], time_.cycle))) {
            c_.SetFontColor(QColor(255, 255, 255));
            const std::string path = ConceptObject::GetPathName(action);
            if (!path.empty())
                c_.TextOut(x, y - 10, QString::fromStdString(path));
        }
    }
    if (k == pitch::kBall || o_.showNumbers == TriState::Unchecked)
        return;
    QString label;
    if (o_.showNumbers == TriState::Checked) {
        label = QString::number(pitch::ShirtOf(k));
    } else {
        const ConceptObject* role = ConceptFromHandle(RawAt(log_.roleChannel[k], time_.cycle));
        label = role != nullptr ? QString::fromStdString(role->GetName()) : QString("no role");
    }
    c_.SetBrushClear();
    c_.SetFontColor(o_.bw ? QColor(128, 128, 128) : QColor(0, 0, 0));
    c_.TextOut(x + 1, y + 5, label);
    c_.SetFontColor(o_.bw ? QColor(0, 0, 0) : QColor(255, 255, 255));
    c_.TextOut(x, y + 4, label);
    c_.SetBrushSolid(k == pitch::kBall ? QColor(255, 255, 255) : ObjectColor(k, o_.bw));
}

void FieldPainter::CustomEvent(int k, const TimeChannel* data)
{
    const QColor color = ObjectColor(k, o_.bw);
    c_.SetPenColor(color);
    c_.SetBrushSolid(color);
    const std::string text = "if (" + ReplaceAll(o_.eventText, "PLAYER", ObjectName(k)) + ", 1, 0)";
    LogExpression& expression = events_.For(log_, text);
    if (!expression.IsParsed())
        return;  // a text that does not parse draws nothing, silently
    c_.SetFontColor(QColor(0, 0, 0));
    for (int t = span_.first; t <= span_.last; ++t) {
        if (!ConditionHolds(expression.Evaluate(t)))
            continue;
        const int x = static_cast<int>(X(k, t));
        const int y = static_cast<int>(Y(k, t));
        c_.MoveTo(x - 6, y);
        c_.LineTo(x + 6, y);
        c_.MoveTo(x, y - 6);
        c_.LineTo(x, y + 6);
        if (data != nullptr)
            c_.TextOut(x, y, QString::fromStdString(FormatWholePart(ValueAt(data, t))));
    }
}

void FieldPainter::KickEvents(int k, const TimeChannel* data)
{
    const auto* kicks = log_.kickEventChannel[k];
    if (kicks == nullptr)
        return;
    const QColor color = ObjectColor(k, o_.bw);
    c_.SetPenColor(color);
    c_.SetBrushSolid(color);
    for (int t = span_.first; t <= span_.last; ++t) {
        const int code = kicks->Get(t);
        if (code <= 0)
            continue;
        const bool drawn = (code == 8 && o_.eventPass) || (code == 9 && o_.eventShoot) ||
                           (code == 10 && o_.eventIntercept) || (code == 11 && o_.eventShootIntercept) ||
                           (code == 12 && o_.eventOutside) || (code == 13 && o_.eventDribble);
        if (!drawn)
            continue;
        const int e = kickEnds_.After(t);
        const int x = static_cast<int>(X(k, t));
        const int y = static_cast<int>(Y(k, t));
        switch (code) {
        case 8:  // "Pass"
            c_.Ellipse(x - 4, y - 4, x + 4, y + 4);
            break;
        case 9:  // "Shoot"
            c_.FillRect(x - 4, y - 4, x + 4, y + 4);
            break;
        case 10:  // "Intercepted Pass": the whole circle, start and end points alike
            c_.Arc(x - 4, y - 4, x + 4, y + 4, x, y - 4, x, y - 4);
            break;
        case 11:  // "Intercepted shoot"
            c_.FrameRect(x - 4, y - 4, x + 4, y + 4);
            break;
        case 12:  // "Kick outside"
            c_.MoveTo(x - 4, y - 4);
            c_.LineTo(x + 4, y + 4);
            c_.MoveTo(x + 4, y - 4);
            c_.LineTo(x - 4, y + 4);
            break;
        default:  // 13 "Dribble"
            c_.MoveTo(x - 4, y);
            c_.LineTo(x + 4, y);
            c_.MoveTo(x, y - 4);
            c_.LineTo(x, y + 4);
            break;
        }
        c_.MoveTo(static_cast<int>(X(0, t)), static_cast<int>(Y(0, t)));
        c_.LineTo(static_cast<int>(X(0, e)), static_cast<int>(Y(0, e)));
        if (data != nullptr)
            c_.TextOut(x, y, QString::fromStdString(FormatWholePart(ValueAt(data, t))));
    }
}

void FieldPainter::NearestOpponentLine(int k)
{
    const auto* nearest = log_.nearestOpponentChannel[k];
    if (nearest == nullptr || log_.posXChannel[k] == nullptr || log_.posYChannel[k] == nullptr)
        return;
    const int j = nearest->Get(time_.cycle);
    if (j < 0 || j >= pitch::kObjectCount || log_.posXChannel[j] == nullptr || log_.posYChannel[j] == nullptr)
        return;  // no opponent named: no line
    c_.MoveTo(static_cast<int>(X(k, time_.cycle)), static_cast<int>(Y(k, time_.cycle)));
    c_.LineTo(static_cast<int>(X(j, time_.cycle)), static_cast<int>(Y(j, time_.cycle)));
}

bool FieldPainter::LabelMatches()
{
    BasicGameData situation;
    situation.x = view_.ViewToFieldX(0);
    situation.y = view_.ViewToFieldY(0);
    situation.file = &log_;
    situation.cycle = time_.cycle;
    situation.object = -1;
    std::string label;
    FindConceptLabel(g_relativeConcepts, situation, "", label);
    return LabelHasAllWords(o_.eventText, label);
}

}  // namespace

CustomEventCache::CustomEventCache() = default;
CustomEventCache::~CustomEventCache() = default;

LogExpression& CustomEventCache::For(RoboCupFileT& log, const std::string& text)
{
    // Parsed expressions hold leaves: any change of the lists, a leaf taken out
    // and another made in its place included, makes them stale.
    if (&log != log_ || log.stream->GetListsStamp() != listsStamp_) {
        parsed_.clear();
        log_ = &log;
        listsStamp_ = log.stream->GetListsStamp();
    }
    std::unique_ptr<LogExpression>& expression = parsed_[text];
    if (!expression) {
        expression = std::make_unique<LogExpression>(log);
        expression->Parse(text);
    }
    return *expression;
}

FieldPaintResult PaintFieldPicture(QImage& field, const QImage& pitch, const ViewRect& view,
                                   const FieldOptions& options, RoboCupFileT& log, FieldTime time,
                                   CustomEventCache* events)
{
    FieldPaintResult centre;
    centre.focusX = view.FieldToViewX(0.0);
    centre.focusY = view.FieldToViewY(0.0);
    if (field.isNull())
        return centre;
    if (options.clearField) {
        platform::Canvas c(field);
        c.Draw(0, 0, pitch);
    }
    const int cycles = DrawableCycles(log);
    if (cycles <= 0)
        return centre;
    // The main window keeps the time inside the log; hold it there anyway.
    const int last = cycles - 1;
    time.cycle = std::clamp(time.cycle, 0, last);
    time.from = std::clamp(time.from, 0, time.cycle);
    time.to = std::clamp(time.to, time.cycle, last);

    CustomEventCache pictureOnly;
    FieldPainter painter(field, view, options, log, time, cycles, events != nullptr ? *events : pictureOnly);
    FieldPaintResult& result = painter.Result();
    result.focusX = centre.focusX;
    result.focusY = centre.focusY;
    const int focus = options.focusObject;
    if (focus >= 0 && focus < pitch::kObjectCount && log.posXChannel[focus] && log.posYChannel[focus]) {
        result.focusX = painter.X(focus, time.cycle);
        result.focusY = painter.Y(focus, time.cycle);
    }
    painter.Canvas().SetFontColor(QColor(255, 255, 255));
    painter.Canvas().SetFont(options.big == TriState::Grayed ? 12 : options.big == TriState::Checked ? 10 : 8,
                             options.big != TriState::Unchecked);
    bool anyDrawn = false;
    for (int k = 0; k < pitch::kObjectCount; ++k) {
        if (!options.selected[static_cast<std::size_t>(k)])
            continue;
        painter.PaintObject(k);
        anyDrawn = anyDrawn || (log.posXChannel[k] != nullptr && log.posYChannel[k] != nullptr);
        if (options.nearestOpponent && k != pitch::kBall)
            painter.NearestOpponentLine(k);
    }
    // The label does not depend on the object: made once per picture.
    if (anyDrawn && !options.customEvent && !options.eventText.empty())
        result.labelMatch = painter.LabelMatches();
    return result;
}
