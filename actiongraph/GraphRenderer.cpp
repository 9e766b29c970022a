#include "actiongraph/GraphRenderer.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/AntiGrain.h"
#include "actiongraph/model/ConvexHull.h"
#include "actiongraph/GraphPrimitives.h"
#include "actiongraph/GraphView.h"
#include "core/model/RoboCupFile.h"

#include <QHash>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>
#include <QTransform>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

const agg::rgba8 kBackground(0, 100, 0, 255);
constexpr double kTimePointRadius = 2.0;
constexpr double kTimeLineHalfWidth = 0.7;
constexpr double kMarkRadius = 3.0;
constexpr double kHullHalfWidth = 1.0;

bool OnPath(const std::vector<TConnection*>* path, const TConnection* c)
{
    return path == nullptr || std::find(path->begin(), path->end(), c) != path->end();
}

agg::rgba8 WithOpacity(agg::rgba8 c, int opacity)
{
    c.a = static_cast<agg::int8u>(std::clamp(opacity, 0, 255));
    return c;
}

agg::rgba8 Unpacked(std::uint32_t colour, int opacity)
{
    return WithOpacity(agg::rgba8(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF), opacity);
}

// One drawing: the view, the scene and the options, and the layers in order.
class Painter {
public:
    Painter(TGraphView& view, TGraph& graph, const TGraphScene& scene, const TGraphDrawOptions& options)
        : view_(view), surface_(view.Picture()), graph_(graph), scene_(scene), options_(options)
    {
    }

    void TimePoints();
    void MarkHulls();
    void Nodes();
    void Connections(bool hideSingle);
    void Names(QImage& image);

private:
    bool Pixel(int object, int cycle, double& px, double& py) const
    {
        double x = 0.0;
        double y = 0.0;
        if (!scene_.tracks.At(object, cycle, x, y))
            return false;
        px = view_.X(x);
        py = view_.Y(y);
        return true;
    }
    // Points of one occurrence's other player over its cycles: a dot each,
    // joined to the previous point by a line.
    template <typename Visit>
    void Trajectory(const TConnectionData& d, Visit visit) const;
    void Hull(const std::vector<THullPoint>& points, const agg::rgba8& edges, const agg::rgba8& inside);
    void SelectedOccurrences(const TNode& node);
    bool Shown(const TConnection& c) const
    {
        return c.From() != nullptr && c.To() != nullptr && c.From()->GetName().find("Event") == std::string::npos &&
               OnPath(scene_.path, &c);
    }

    TGraphView& view_;
    AntiGrain& surface_;
    TGraph& graph_;
    const TGraphScene& scene_;
    const TGraphDrawOptions& options_;
};

template <typename Visit>
void Painter::Trajectory(const TConnectionData& d, Visit visit) const
{
    bool havePrevious = false;
    double lx = 0.0;
    double ly = 0.0;
    // Only cycles within the log are read: an occurrence may reach past a log
    // that was cut short.
    for (long long k = std::max(0LL, -static_cast<long long>(d.start)); k < d.otherLength; ++k) {
        const long long cycle = d.start + k;
        double px = 0.0;
        double py = 0.0;
        if (cycle > INT_MAX || !Pixel(d.other, static_cast<int>(cycle), px, py))
            break;
        visit(havePrevious, lx, ly, px, py);
        havePrevious = true;
        lx = px;
        ly = py;
    }
}

void Painter::TimePoints()
{
    const TPitchScheme& scheme = view_.Scheme();
    // The dots keep one opacity, so that they show in every drawing.
    agg::rgba8 dot = scheme.node;
    Rgba8SetOpacity(dot, options_.alpha / 255.0);
    for (int i = 0; i < graph_.ConnectionCount(); ++i) {
        const TConnection* c = graph_.GetConnection(i);
        if (!OnPath(scene_.path, c))
            continue;
        for (const auto& d : c->Data()) {
            if (!d)
                continue;
            Trajectory(*d, [&](bool joined, double lx, double ly, double px, double py) {
                if (joined) {
                    surface_.ThickLine(lx, ly, px, py, kTimeLineHalfWidth, 0.0);
                    surface_.Render(scheme.timePoint);
                }
                surface_.Circle(px, py, kTimePointRadius, kTimePointRadius);
                surface_.Render(dot);
            });
        }
    }
}

void Painter::Hull(const std::vector<THullPoint>& points, const agg::rgba8& edges, const agg::rgba8& inside)
{
    if (points.empty())
        return;
    const std::vector<int> hull = ConvexHull(points);
    const std::size_t h = hull.size();
    for (std::size_t i = 0; i < h; ++i) {
        const THullPoint& a = points[std::size_t(hull[i])];
        const THullPoint& b = points[std::size_t(hull[(i + 1) % h])];
        surface_.ThickLine(a.x, a.y, b.x, b.y, kHullHalfWidth, 0.0);
    }
    surface_.Render(edges);
    surface_.MoveTo(points[std::size_t(hull[0])].x, points[std::size_t(hull[0])].y);
    for (std::size_t i = 1; i < h; ++i)
        surface_.LineTo(points[std::size_t(hull[i])].x, points[std::size_t(hull[i])].y);
    surface_.Render(inside);
}

void Painter::MarkHulls()
{
    const int emph = options_.emph;
    for (int o = 0; o < 23; ++o) {
        if (!scene_.objects[std::size_t(o)])
            continue;
        const agg::rgba8 colour = o == 0   ? agg::rgba8(255, 255, 255, emph)
                                  : o < 12 ? agg::rgba8(100, 100, 250, emph)
                                           : agg::rgba8(250, 100, 100, emph);
        std::vector<THullPoint> points;
        for (int cycle : scene_.marks) {
            double px = 0.0;
            double py = 0.0;
            if (!Pixel(o, cycle, px, py))
                continue;
            surface_.Circle(px, py, kMarkRadius, kMarkRadius);
            surface_.Render(colour);
            points.push_back({float(px), float(py)});
        }
        Hull(points, colour, agg::rgba8(255, 255, 255, emph / 3));
    }
}

void Painter::SelectedOccurrences(const TNode& node)
{
    const int emph = options_.emph;
    const auto side = [&](const std::vector<TConnection*>& list, int grey) {
        const agg::rgba8 colour(grey, grey, grey, emph);
        std::vector<THullPoint> points;
        for (const TConnection* c : list)
            for (const auto& d : c->Data()) {
                if (!d)
                    continue;
                Trajectory(*d, [&](bool joined, double lx, double ly, double px, double py) {
                    surface_.Circle(px, py, kMarkRadius, kMarkRadius);
                    if (joined)
                        surface_.ThickLine(lx, ly, px, py, kHullHalfWidth, 0.0);
                    surface_.Render(colour);
                    points.push_back({float(px), float(py)});
                });
            }
        Hull(points, colour, agg::rgba8(grey, grey, grey, emph / 3));
    };
    side(node.InList(), 255);
    side(node.OutList(), 0);
}

void Painter::Nodes()
{
    const int emph = options_.emph;
    agg::rgba8 ordinary = view_.Scheme().node;
    Rgba8SetOpacity(ordinary, options_.alpha / 255.0);
    for (int i = 0; i < graph_.NodeCount(); ++i) {
        TNode& node = *graph_.GetNode(i);
        const int r = NodeRadius(node, options_);
        node.SetWidth(r);
        node.SetHeight(r);
        if (!options_.showNodes)
            continue;
        const double vx = view_.X(node.GetX());
        const double vy = view_.Y(node.GetY());
        if (&node != scene_.selected) {
            surface_.Circle(vx, vy, r, r);
            surface_.Render(ordinary);
            continue;
        }
        surface_.Circle(vx, vy, r + 4, r + 4);
        surface_.Render(agg::rgba8(255, 255, 255, emph));
        surface_.Circle(vx, vy, r + 2, r + 2);
        surface_.Render(agg::rgba8(0, 0, 0, emph));
        surface_.Circle(vx, vy, r, r);
        surface_.Render(Unpacked(node.GetColour(), emph));
        SelectedOccurrences(node);
    }
}

void Painter::Connections(bool hideSingle)
{
    const ViewRect& view = view_.View();
    for (int i = 0; i < graph_.ConnectionCount(); ++i) {
        const TConnection& c = *graph_.GetConnection(i);
        if (!Shown(c))
            continue;
        const int thickness = options_.thinEdges ? 1 : c.Weight();
        if (hideSingle && thickness <= 1)
            continue;
        const TNode& s = *c.From();
        const TNode& t = *c.To();
        if (!options_.filter.empty() && s.GetName().find(options_.filter) == std::string::npos)
            continue;
        const bool touchesSelection = &s == scene_.selected || &t == scene_.selected;
        const int opacity = touchesSelection ? options_.emph : options_.alpha;
        agg::rgba8 colour;
        double pattern = 0.0;
        ActionColor(s.Data() != nullptr ? s.Data()->action : nullptr, options_.bw, opacity, colour, pattern);
        if (&s == &t)  // self-loops are never drawn
            continue;
        const auto gap = [](const TNode& n, double less) { return static_cast<int>(std::trunc(n.GetWidth() - less)); };
        const auto edge = [&](int w, double less) {
            DrawEdge(surface_, view, s.GetX(), s.GetY(), t.GetX(), t.GetY(), w, gap(s, less), gap(t, less), pattern);
        };
        if (&s == scene_.selected) {
            edge(thickness + 2, 2.0);
            surface_.Render(agg::rgba8(0, 0, 0, opacity));
        }
        if (&t == scene_.selected) {
            edge(thickness + 2, 2.0);
            surface_.Render(agg::rgba8(255, 255, 255, opacity));
        }
        edge(thickness, 0.0);
        surface_.Render(colour);
    }
}

// A connection's name as written on the picture: in black at the label's
// point and in white at (dx, dy) from it, both turned by the angle. Rotated
// text is slow to draw, and every redraw of an unchanged layout writes the
// same labels again, so each is drawn once into a small image of its own and
// later only copied.
struct Label {
    QPoint offset;  // of the image's top-left corner from the label's point
    QImage image;
};

const Label& CachedLabel(const QString& name, int angle, int dx, int dy)
{
    static auto* cache = new QHash<QString, Label>;  // kept to the end of the program
    constexpr int kMaxLabels = 4000;
    const QString key = name + QChar(0) + QString::number(angle) + QChar(0) + QString::number(dx) +
                        QString::number(dy);
    const auto found = cache->constFind(key);
    if (found != cache->constEnd())
        return *found;
    if (cache->size() >= kMaxLabels)
        cache->clear();
    // Room for the text and its copy, a few pixels of anti-aliasing round both.
    const QRect text = LabelTextRect(name);
    const QRect both = text.united(text.translated(dx, dy)).adjusted(-3, -3, 3, 3);
    const QRect box = QTransform().rotate(-angle / 10.0).mapRect(QRectF(both)).toAlignedRect();
    Label label{box.topLeft(), QImage(box.size(), QImage::Format_ARGB32_Premultiplied)};
    label.image.fill(Qt::transparent);
    QPainter painter(&label.image);
    painter.translate(-box.topLeft());
    painter.setPen(Qt::black);
    TextOutRotated(painter, 0, 0, angle, name);
    painter.setPen(Qt::white);
    TextOutRotated(painter, dx, dy, angle, name);
    painter.end();
    return *cache->insert(key, std::move(label));
}

void Painter::Names(QImage& image)
{
    QPainter painter(&image);
    for (int i = 0; i < graph_.ConnectionCount(); ++i) {
        const TConnection& c = *graph_.GetConnection(i);
        if (!Shown(c))
            continue;
        const TNode& s = *c.From();
        const TNode& t = *c.To();
        const int angle = LabelAngle(s.GetX(), s.GetY(), t.GetX(), t.GetY());
        const double x = view_.X(0.5 * s.GetX() + 0.5 * t.GetX());
        const double y = view_.Y(0.5 * s.GetY() + 0.5 * t.GetY());
        // Black with a white copy one pixel up and left: readable on any colour.
        const int bx = int(std::trunc(x));
        const int by = int(std::trunc(y));
        const Label& label = CachedLabel(QString::fromStdString(c.GetName()), angle, int(std::trunc(x - 1.0)) - bx,
                                         int(std::trunc(y - 1.0)) - by);
        painter.drawImage(QPoint(bx, by) + label.offset, label.image);
    }
}

}  // namespace

TObjectTracks::TObjectTracks(const RoboCupFileT& log)
{
    for (std::size_t o = 0; o < 23; ++o) {
        if (log.posXChannel[o] != nullptr && log.posYChannel[o] != nullptr) {
            x_[o] = &log.posXChannel[o]->GetValues();
            y_[o] = &log.posYChannel[o]->GetValues();
        }
    }
}

bool TObjectTracks::At(int object, int cycle, double& x, double& y) const
{
    if (object < 0 || object >= 23 || cycle < 0)
        return false;
    const auto* xs = x_[std::size_t(object)];
    const auto* ys = y_[std::size_t(object)];
    if (xs == nullptr || ys == nullptr || std::size_t(cycle) >= xs->size() || std::size_t(cycle) >= ys->size())
        return false;
    x = (*xs)[std::size_t(cycle)];
    y = (*ys)[std::size_t(cycle)];
    return true;
}

void PlaceNodes(TGraph& graph, const TObjectTracks& tracks, const std::vector<TConnection*>* path, TNode* node)
{
    const auto place = [&](TNode& n) {
        double sx = 0.0;
        double sy = 0.0;
        int count = 0;
        const auto add = [&](const TConnection* c, bool outgoing) {
            if (!OnPath(path, c))
                return;
            for (const auto& d : c->Data()) {
                if (!d || d->otherLength == 0)
                    continue;
                const int cycle = outgoing ? d->start : d->start + d->otherLength - 1;
                double x = 0.0;
                double y = 0.0;
                if (!tracks.At(d->other, cycle, x, y))
                    continue;
                sx += x;
                sy += y;
                ++count;
            }
        };
        for (const TConnection* c : n.OutList())
            add(c, true);
        for (const TConnection* c : n.InList())
            add(c, false);
        if (count > 0) {
            n.SetX(sx / count);
            n.SetY(sy / count);
        }
    };
    if (node != nullptr) {
        place(*node);
        return;
    }
    for (int i = 0; i < graph.NodeCount(); ++i)
        place(*graph.GetNode(i));
}

int NodeRadius(const TNode& node, const TGraphDrawOptions& options)
{
    if (options.smallNodes)
        return 2;
    if (!options.showNodes)
        return 1;
    return static_cast<int>(std::trunc(std::sqrt(2.0 * node.Weight()) + 1.0));
}

QImage DrawGraph(TGraphView& view, TGraph& graph, const TGraphScene& scene, const TGraphDrawOptions& options,
                 bool hideEdges, bool hideSingle)
{
    if (!scene.keepLayout)
        PlaceNodes(graph, scene.tracks, scene.path, nullptr);
    view.Picture().Clear(kBackground);
    view.RestoreBase();

    Painter painter(view, graph, scene, options);
    if (options.timeSteps)
        painter.TimePoints();
    if (options.fancyEdges)
        painter.MarkHulls();
    painter.Nodes();
    if (!hideEdges)
        painter.Connections(hideSingle);

    QImage image = view.Picture().ToImage();
    if (options.showNames && !image.isNull())
        painter.Names(image);
    return image;
}
