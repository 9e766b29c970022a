#include "actiongraph/model/Distances.h"

#include "actiongraph/model/Actiongraph.h"
#include "core/concepts/Concepts.h"
#include "core/learning/Features.h"
#include "core/model/Common.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <new>

TDistances::TDistances(int step) : step_(std::max(1, step)) {}

bool TDistances::Add(int first, int second, double distance)
{
    // At least one step, and at least doubling: a large value stores millions
    // of pairs, and growing those by one step each time would copy them
    // thousands of times.
    if (added_.size() == added_.capacity()) {
        try {
            added_.reserve(added_.capacity() + std::max(added_.capacity(), static_cast<size_t>(step_)));
        } catch (const std::bad_alloc&) {
            return false;
        } catch (const std::length_error&) {
            return false;
        }
    }
    added_.push_back(Entry{distance, first, second});
    return true;
}

namespace {

// -1, 0 or 1 as x's distance is smaller, equal or larger than y's.
int CompareEntries(const TDistances::Entry& x, const TDistances::Entry& y)
{
    if (x.distance < y.distance)
        return -1;
    if (x.distance > y.distance)
        return 1;
    return 0;
}

}  // namespace

int TDistances::Sort()
{
    if (added_.empty())
        return 0;
    std::stable_sort(added_.begin(), added_.end(),
                     [](const Entry& x, const Entry& y) { return CompareEntries(x, y) < 0; });
    // Each after every pair stored before it, in the sorted order: equal
    // distances keep the order of adding.
    int dropped = 0;
    for (std::size_t k = 0; k < added_.size(); ++k) {
        const Entry& e = added_[k];
        try {
            tree_.insert(tree_.end(), Stored{e.distance, ++back_, NodeAt(e.first), NodeAt(e.second)});
        } catch (const std::bad_alloc&) {
            dropped = static_cast<int>(added_.size() - k);
            break;
        }
    }
    std::vector<Entry>().swap(added_);
    return dropped;
}

int TDistances::NodeAt(int position)
{
    while (static_cast<int>(nodes_.size()) <= position) {
        nodes_.push_back(static_cast<int>(gone_.size()));
        gone_.push_back(0);
    }
    return nodes_[static_cast<size_t>(position)];
}

int TDistances::PositionOf(int node) const
{
    return static_cast<int>(std::lower_bound(nodes_.begin(), nodes_.end(), node) - nodes_.begin());
}

TDistances::Tree::iterator TDistances::FirstLive()
{
    auto it = tree_.begin();
    while (it != tree_.end() && !Live(*it))
        it = tree_.erase(it);
    return it;
}

TDistances::Tree::iterator TDistances::LastLive()
{
    while (!tree_.empty() && !Live(*std::prev(tree_.end())))
        tree_.erase(std::prev(tree_.end()));
    return tree_.empty() ? tree_.end() : std::prev(tree_.end());
}

TDistances::Tree::iterator TDistances::SecondLive()
{
    auto it = std::next(FirstLive());
    while (it != tree_.end() && !Live(*it))
        it = tree_.erase(it);
    return it;
}

std::optional<TDistances::Entry> TDistances::First()
{
    Sort();
    const auto it = FirstLive();
    if (it == tree_.end())
        return std::nullopt;
    return Public(*it);
}

std::vector<TDistances::Entry> TDistances::Sorted()
{
    Sort();
    std::vector<Entry> out;
    for (const Stored& s : tree_)
        if (Live(s))
            out.push_back(Public(s));
    return out;
}

void TDistances::RemoveTouching()
{
    Sort();
    const auto it = FirstLive();
    if (it == tree_.end())
        return;
    for (const int node : {it->first, it->second}) {
        gone_[static_cast<size_t>(node)] = 1;
        nodes_.erase(nodes_.begin() + PositionOf(node));
    }
    tree_.erase(it);
}

bool TDistances::InsertSorted(int first, int second, double distance)
{
    Sort();
    const Stored pair{distance, 0, NodeAt(first), NodeAt(second)};
    // The array's rule as ranks: in front of the pairs of equal distance takes
    // a rank below all, after them one above all. Gone pairs lie anywhere
    // between; only the live ones at the front and the back decide.
    const auto last = LastLive();
    bool inFront = false;
    if (last != tree_.end() && distance < last->distance) {
        const auto front = FirstLive();
        inFront = distance <= front->distance || distance <= SecondLive()->distance;
    }
    Stored placed = pair;
    placed.rank = inFront ? --front_ : ++back_;
    try {
        tree_.insert(placed);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

TFeatureCounts CountNodeFeatures(const TNode& node, const FeatureList& features)
{
    TFeatureCounts result;
    result.counts.assign(static_cast<size_t>(std::max(0, features.GetNumFeatures())), 0);
    const int instances = features.GetNumInstances();
    const auto count = [&](long long cycle) {
        if (cycle < 0 || cycle >= instances)
            return;
        if (!result.counts.empty())
            features.AddInstanceBits(static_cast<int>(cycle), result.counts.data());
        ++result.cycles;
    };
    for (const TConnection* c : node.OutList()) {
        for (const auto& d : c->Data()) {
            if (!d)
                continue;
            for (long long t = d->start; t < static_cast<long long>(d->start) + d->duration; ++t)
                count(t);
        }
    }
    if (result.cycles == 0) {
        for (const TConnection* c : node.InList()) {
            for (const auto& d : c->Data()) {
                if (d)
                    count(static_cast<long long>(d->start) + d->otherLength - 1);
            }
        }
    }
    MarkCountedFeatures(result);
    return result;
}

void MarkCountedFeatures(TFeatureCounts& counts)
{
    counts.counted.assign((counts.counts.size() + 63) / 64, 0);
    for (size_t f = 0; f < counts.counts.size(); ++f)
        if (counts.counts[f] != 0)
            counts.counted[f / 64] |= std::uint64_t{1} << (f % 64);
}

const TFeatureCounts& TFeatureCache::CountsOf(const TNode& node)
{
    auto it = cache_.find(&node);
    if (it == cache_.end()) {
        TFeatureCounts counts = features_ ? CountNodeFeatures(node, *features_) : TFeatureCounts{};
        it = cache_.emplace(&node, std::move(counts)).first;
    }
    return it->second;
}

double FeatureTerm(const TFeatureCounts& a, const TFeatureCounts& b, int numFeatures)
{
    if (numFeatures <= 0)
        return 0.0;
    if (a.cycles == 0 || b.cycles == 0)
        return 1.0;
    const double na = a.cycles;
    const double nb = b.cycles;
    double sum = 0.0;
    const size_t words = (static_cast<size_t>(numFeatures) + 63) / 64;
    if (a.counted.size() < words || b.counted.size() < words) {
        for (int f = 0; f < numFeatures; ++f)
            sum += std::fabs(a.counts[f] / na - b.counts[f] / nb);
        return sum / numFeatures;
    }
    // A feature neither node counts adds |0 - 0| = +0.0, which leaves the sum
    // (never negative) as it is: only the others are added, still in order.
    const int* ca = a.counts.data();
    const int* cb = b.counts.data();
    for (size_t w = 0; w < words; ++w) {
        std::uint64_t bits = a.counted[w] | b.counted[w];
        if (w + 1 == words && numFeatures % 64 != 0)
            bits &= (std::uint64_t{1} << (numFeatures % 64)) - 1;
        while (bits != 0) {
            const size_t f = w * 64 + static_cast<size_t>(std::countr_zero(bits));
            bits &= bits - 1;
            sum += std::fabs(ca[f] / na - cb[f] / nb);
        }
    }
    return sum / numFeatures;
}

double NodeDistance(const TNode& a, const TNode& b, const TDistanceWeights& weights, const FeatureList* features,
                    TFeatureCache* cache)
{
    if (a.OutList().empty() != b.OutList().empty())
        return 99999.0;
    double d = 0.0;
    if (weights.attr != 0.0)
        d += weights.attr * PointDistance(a.GetX(), a.GetY(), b.GetX(), b.GetY());
    const TNodeConcepts* da = a.Data();
    const TNodeConcepts* db = b.Data();
    if (weights.action != 0.0)
        d += weights.action * ConceptObject::Distance(da ? da->action : nullptr, db ? db->action : nullptr, 1.0);
    if (weights.role != 0.0)
        d += weights.role * ConceptObject::Distance(da ? da->role : nullptr, db ? db->role : nullptr, 1.0);
    if (weights.feat != 0.0) {
        const int m = features ? features->GetNumFeatures() : 0;
        double f = 0.0;
        if (m > 0 && cache) {
            f = FeatureTerm(cache->CountsOf(a), cache->CountsOf(b), m);
        } else if (m > 0) {
            f = FeatureTerm(CountNodeFeatures(a, *features), CountNodeFeatures(b, *features), m);
        }
        d += weights.feat * f;
    }
    return d;
}

namespace {

std::string Fixed(double value, int decimals)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

}  // namespace

int JoinNearestNodes(TGraph& graph, const TDistanceWeights& weights, const FeatureList* features, double value,
                     const TNameDepths& depths, TJoinHooks& hooks)
{
    const int n = graph.NodeCount();
    TDistances distances(n);
    TFeatureCache cache(features);
    hooks.Place(nullptr);

    const double limit = 2.0 * value;
    for (int i = 0; i + 1 < n; ++i) {
        if (i % 5 == 0)
            hooks.Status("Computing distances " + Fixed(i * 100.0 / n, 1) + " %");
        hooks.ProcessEvents();
        if (hooks.Cancelled())
            return 0;
        const TNode& a = *graph.GetNode(i);
        for (int j = i + 1; j < n; ++j) {
            const double d = NodeDistance(a, *graph.GetNode(j), weights, features, &cache);
            if (d < limit && !distances.Add(i, j, d))
                hooks.StoreFailed();
        }
    }
    hooks.Status("Sorting distances ...");
    if (distances.Sort() > 0)
        hooks.StoreFailed();
    hooks.Status("Joining vertices ...");

    int joins = 0;
    for (std::optional<TDistances::Entry> nearest = distances.First(); nearest && nearest->distance <= value;
         nearest = distances.First()) {
        if (hooks.Cancelled())
            break;
        const TDistances::Entry first = *nearest;
        distances.RemoveTouching();
        hooks.Status("Joining vertices with dist " + Fixed(first.distance, 4) + ". Graph size " +
                     std::to_string(graph.NodeCount()) + " nodes.");

        TNode* a = graph.GetNode(first.first);
        TNode* b = graph.GetNode(first.second);
        const TNodeConcepts* da = a->Data();
        const TNodeConcepts* db = b->Data();
        auto data = std::make_unique<TNodeConcepts>();
        data->action = ConceptObject::CommonAncestor(da ? da->action : nullptr, db ? db->action : nullptr);
        data->role = ConceptObject::CommonAncestor(da ? da->role : nullptr, db ? db->role : nullptr);
        // The merged nodes go; a later node may take the same address.
        cache.Forget(a);
        cache.Forget(b);

        const int index = graph.JoinNodes(first.first, first.second);
        TNode* joined = graph.GetNode(index);
        joined->SetName(depths.Role(data->role) + ":" + depths.Action(data->action));
        joined->SetData(std::move(data));
        ++joins;

        const int m = graph.NodeCount();
        hooks.Place(joined);
        if (m % 25 == 0)
            hooks.LightRedraw();
        for (int k = 0; k + 1 < m; ++k) {
            const double d = NodeDistance(*graph.GetNode(k), *joined, weights, features, &cache);
            if (d < limit)
                distances.InsertSorted(k, m - 1, d);
        }
        hooks.ProcessEvents();
    }
    return joins;
}

int CompareFeatureByValue(const FeatureList& features, int x, int y)
{
    const double vx = features.GetValue(x);
    const double vy = features.GetValue(y);
    if (vx < vy)
        return 1;
    if (vx > vy)
        return -1;
    return 0;
}

int IndexOfTextAppend(std::vector<std::string>& texts, const std::string& text)
{
    const auto it = std::find(texts.begin(), texts.end(), text);
    if (it != texts.end())
        return static_cast<int>(it - texts.begin());
    texts.push_back(text);
    return static_cast<int>(texts.size()) - 1;
}
