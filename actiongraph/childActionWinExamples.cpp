// Example cycles on the action-graph window's pitch: the strategy window and
// the dataset dialog show where the ball was at the cycles they learn from.
#include "actiongraph/childActionWin.h"

#include "actiongraph/model/ConvexHull.h"
#include "actiongraph/model/NodeView.h"
#include "core/model/RoboCupFile.h"
#include "platform/Clock.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr std::size_t kMaxHullPoints = 2000;

agg::rgba8 Unpacked(std::uint32_t packed, int alpha)
{
    return agg::rgba8(packed & 0xFF, (packed >> 8) & 0xFF, (packed >> 16) & 0xFF, static_cast<unsigned>(alpha));
}

// Dots of radius r at the points, each in its colour; then the hull of the
// first points as edges and as a filled polygon.
template <typename ColourOf>
void DrawExamples(TGraphView& view, const std::vector<TExamplePoint>& points, double r, ColourOf colourOf,
                  const agg::rgba8& edges, const agg::rgba8& polygon)
{
    AntiGrain& picture = view.Picture();
    std::vector<THullPoint> collected;
    for (const TExamplePoint& p : points) {
        const double x = view.X(p.x);
        const double y = view.Y(p.y);
        picture.Circle(x, y, r, r);
        picture.Render(colourOf(p));
        if (collected.size() < kMaxHullPoints)
            collected.push_back({static_cast<float>(x), static_cast<float>(y)});
    }
    if (collected.empty())
        return;
    const std::vector<int> hull = ConvexHull(collected);
    const std::size_t h = hull.size();
    for (std::size_t k = 0; k < h; ++k) {
        const THullPoint& a = collected[static_cast<std::size_t>(hull[k])];
        const THullPoint& b = collected[static_cast<std::size_t>(hull[(k + 1) % h])];
        picture.ThickLine(a.x, a.y, b.x, b.y, 1.0, 0.0);
    }
    picture.Render(edges);
    for (std::size_t k = 0; k < h; ++k) {
        const THullPoint& a = collected[static_cast<std::size_t>(hull[k])];
        if (k == 0)
            picture.MoveTo(a.x, a.y);
        else
            picture.LineTo(a.x, a.y);
    }
    picture.Render(polygon);
}

}  // namespace

void TMDIActionChild::DrawExampleCycles(const std::vector<int>& cycles, const std::vector<int>& classes,
                                        const std::vector<int>* second, int jitter)
{
    if (!File)
        return;
    const int emph = std::clamp(sbEmphasize->value(), 0, 255);
    // One seed for the whole drawing: the same cycle keeps its offset.
    const std::int64_t seed = platform::NowSeconds();
    GraphView.Picture().Clear(agg::rgba8(0, 100, 0, 255));
    RestoreBase();
    const auto points = ExamplePoints(*File, cycles, jitter, seed);
    DrawExamples(
        GraphView, points, 5.0,
        [&](const TExamplePoint& p) {
            const std::size_t i = static_cast<std::size_t>(p.index);
            const int k = i < classes.size() ? classes[i] : 0;
            const int slot = ((k % kExamplePaletteSize) + kExamplePaletteSize) % kExamplePaletteSize;
            return Unpacked(kExamplePalette[slot], emph);
        },
        agg::rgba8(0, 0, 0, static_cast<unsigned>(emph / 3)), agg::rgba8(0, 0, 0, static_cast<unsigned>(emph / 3)));
    if (second) {
        const auto others = ExamplePoints(*File, *second, jitter, seed);
        DrawExamples(
            GraphView, others, 2.0, [&](const TExamplePoint&) { return agg::rgba8(0, 0, 0, static_cast<unsigned>(emph)); },
            agg::rgba8(255, 255, 255, static_cast<unsigned>(emph / 2)),
            agg::rgba8(255, 255, 255, static_cast<unsigned>(emph / 4)));
    }
    Image->setPixmap(QPixmap::fromImage(GraphView.Picture().ToImage()));
}
