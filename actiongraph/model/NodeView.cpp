#include "actiongraph/model/NodeView.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/PathObject.h"
#include "core/learning/Features.h"
#include "core/model/Common.h"
#include "core/model/RoboCupFile.h"
#include "platform/Random.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

int HitNode(const TGraph& graph, const ViewRect& view, int x, int y, bool fixedSize)
{
    for (int i = 0; i < graph.NodeCount(); ++i) {
        const TNode* n = graph.GetNode(i);
        const double px = std::trunc(view.FieldToViewX(n->GetX()));
        const double py = std::trunc(view.FieldToViewY(n->GetY()));
        const double r = fixedSize ? 5.0 : std::trunc(std::sqrt(2.0 * n->Weight()) + 2.0);
        if (px - r < x && x < px + r && py - r < y && y < py + r)
            return i;
    }
    return -1;
}

namespace {

bool OnPath(const TPathObject* path, const TConnection* c)
{
    if (!path)
        return true;
    const auto& list = path->Connections();
    return std::find(list.begin(), list.end(), c) != list.end();
}

}  // namespace

void CollectNodeCycles(const TPathObject* path, const TNode* node, std::vector<int>& cycles, bool clear)
{
    if (clear)
        cycles.clear();
    if (!node)
        return;
    if (!node->OutList().empty()) {
        for (const TConnection* c : node->OutList())
            if (OnPath(path, c))
                for (const auto& d : c->Data())
                    if (d && d->otherLength != 0)
                        cycles.push_back(d->start);
        return;
    }
    for (const TConnection* c : node->InList())
        if (OnPath(path, c))
            for (const auto& d : c->Data())
                if (d && d->otherLength != 0)
                    cycles.push_back(d->start + d->otherLength - 1);
}

std::vector<TFeatureRank> RankNodeFeatures(FeatureList& features, const std::vector<int>& cycles, int logCycles)
{
    const int m = features.GetNumFeatures();
    // Sized by the list, however many features the log has.
    std::vector<int> counts(static_cast<std::size_t>(m), 0);
    for (const int t : cycles)
        if (t >= 0 && t < features.GetNumInstances())
            features.AddInstanceBits(t, counts.data());
    std::vector<TFeatureRank> ranks(static_cast<std::size_t>(m));
    for (int f = 0; f < m; ++f) {
        TFeatureRank& r = ranks[static_cast<std::size_t>(f)];
        r.feature = f;
        r.count = counts[static_cast<std::size_t>(f)];
        const int total = features.GetCount(f);
        r.value = total == 0 ? -9999.0 : r.count * std::log2(static_cast<double>(logCycles) / total);
        features.SetValue(f, r.value);
    }
    std::stable_sort(ranks.begin(), ranks.end(),
                     [](const TFeatureRank& a, const TFeatureRank& b) { return a.value > b.value; });
    return ranks;
}

void RandomCircleLayout(TGraph& graph)
{
    for (int i = 0; i < graph.NodeCount(); ++i) {
        TNode* n = graph.GetNode(i);
        const double a = platform::RandomBelow(360) * 3.1415 * (1.0 / 180.0);
        n->SetX(20.0 * std::sin(a));
        n->SetY(20.0 * std::cos(a));
    }
}

const std::uint32_t kExamplePalette[kExamplePaletteSize] = {
    0xFFFFFF, 0x0000FF, 0x00FFFF, 0x008000, 0xF0FBFF, 0xC0C0C0, 0xFF0000, 0xFF00FF, 0x00FF00, 0x000080, 0xC0DCC0,
    0x800000, 0x008080, 0x800080, 0xA4A0A0, 0xC0C0C0, 0x808080, 0xF0CAA6, 0x808000, 0x808080, 0xFFFF00, 0x000000};

std::vector<TExamplePoint> ExamplePoints(const RoboCupFileT& log, const std::vector<int>& cycles, int jitter,
                                         std::int64_t seed)
{
    std::vector<TExamplePoint> points;
    const auto* xs = log.posXChannel[0];
    const auto* ys = log.posYChannel[0];
    if (!xs || !ys)
        return points;
    const int span = 10 * std::max(jitter, 0);
    const int count = std::min(xs->GetCount(), ys->GetCount());
    for (std::size_t i = 0; i < cycles.size(); ++i) {
        const int t = cycles[i];
        if (t < 0 || t >= count)
            continue;
        std::mt19937 random(static_cast<std::uint32_t>(seed + t));
        const double jx = (static_cast<int>(random() % static_cast<std::uint32_t>(span + 1)) - span / 2) * 4.0 * 0.01;
        const double jy = (static_cast<int>(random() % static_cast<std::uint32_t>(span + 1)) - span / 2) * 4.0 * 0.01;
        points.push_back({static_cast<int>(i), xs->GetValues()[static_cast<std::size_t>(t)] + jx,
                          ys->GetValues()[static_cast<std::size_t>(t)] + jy});
    }
    return points;
}
