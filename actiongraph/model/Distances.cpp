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

TDistances::TDistances(int step) : step_(std::max(1, step))
{
    entries_.reserve(static_cast<size_t>(step_));
}

bool TDistances::Grow()
{
    if (entries_.size() < entries_.capacity())
        return true;
    // At least one step, and at least doubling: a large value stores millions
    // of pairs, and growing those by one step each time would copy them
    // thousands of times.
    try {
        entries_.reserve(entries_.capacity() + std::max(entries_.capacity(), static_cast<size_t>(step_)));
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    return true;
}

int TDistances::Add(int first, int second, double distance)
{
    if (!Grow())
        return -1;
    entries_.push_back(Entry{distance, first, second, 1});
    return Count();
}

int TDistances::CompareEntries(const Entry& x, const Entry& y)
{
    if (x.distance < y.distance)
        return -1;
    if (x.distance > y.distance)
        return 1;
    return 0;
}

void TDistances::Sort()
{
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const Entry& x, const Entry& y) { return CompareEntries(x, y) < 0; });
}

void TDistances::RemoveTouching()
{
    if (entries_.empty())
        return;
    const int p = entries_[0].first;
    const int q = entries_[0].second;
    const auto shift = [p, q](int x) {
        if (x >= p)
            --x;
        if (x >= q)
            --x;
        return x;
    };
    size_t out = 0;
    for (size_t k = 1; k < entries_.size(); ++k) {
        Entry e = entries_[k];
        if (e.first == p || e.first == q || e.second == p || e.second == q)
            continue;
        e.first = shift(e.first);
        e.second = shift(e.second);
        entries_[out++] = e;
    }
    entries_.resize(out);
}

int TDistances::InsertSorted(int first, int second, double distance)
{
    const int n = Count();
    int place = 0;
    if (n == 0 || distance >= entries_[n - 1].distance) {
        place = n;
    } else if (distance <= entries_[0].distance) {
        place = 0;
    } else if (distance <= entries_[1].distance) {
        place = 1;
    } else {
        // Here entries_[1] < distance < entries_[n - 1]: the place is the first
        // entry above the distance, found by halving.
        int lo = 2;
        int hi = n - 1;
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            if (entries_[mid].distance > distance)
                hi = mid;
            else
                lo = mid + 1;
        }
        place = lo;
    }
    if (!Grow())
        return -1;
    entries_.insert(entries_.begin() + place, Entry{distance, first, second, 1});
    return Count();
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
                     TJoinHooks& hooks)
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
            if (d < limit && distances.Add(i, j, d) < 0)
                hooks.StoreFailed();
        }
    }
    hooks.Status("Sorting distances ...");
    distances.Sort();
    hooks.Status("Joining vertices ...");

    int joins = 0;
    while (distances.Count() > 0 && distances.Entries()[0].distance <= value) {
        if (hooks.Cancelled())
            break;
        const TDistances::Entry first = distances.Entries()[0];
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
        joined->SetName(ConceptObject::GetPathName(data->role) + ":" + ConceptObject::GetPathName(data->action));
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
