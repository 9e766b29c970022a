// The weighted distance of two action-graph nodes and the joining of near
// nodes. Joining merges the closest pair again and again while its distance is
// within a value; the pair distances wait in TDistances, kept sorted so that
// after a merge only the new node's distances need computing.
//
// No window-system code here: the window lends placement, progress texts,
// redraws and event processing through TJoinHooks.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class FeatureList;
class TGraph;
class TNode;

// The pair distances of one join run, ascending by distance once sorted.
class TDistances {
public:
    struct Entry {
        double distance = 0.0;
        int first = -1;   // always smaller than second
        int second = -1;
        std::uint8_t valid = 1;
    };

    // An empty array that grows by at least step entries at a time.
    explicit TDistances(int step);
    virtual ~TDistances() = default;

    // Appends the entry; returns the new number of entries, -1 when the array
    // cannot grow (nothing stored then).
    int Add(int first, int second, double distance);
    // Ascending by distance; entries of equal distance keep the order they
    // were added in, so equal pairs always join in the same order.
    void Sort();
    // -1, 0 or 1 as x's distance is smaller, equal or larger than y's.
    static int CompareEntries(const Entry& x, const Entry& y);
    // The first entry, null when there is none.
    const Entry* Entries() const { return entries_.empty() ? nullptr : entries_.data(); }
    int Count() const { return static_cast<int>(entries_.size()); }
    // Drops the first entry (p, q) and every entry sharing p or q, and renumbers
    // the others as the graph renumbers its nodes when p and q go: a position
    // above p moves down by one, then once more when it is still >= q.
    void RemoveTouching();
    // Inserts the entry so that the array stays sorted: after entries of equal
    // distance, except in front of the first or second entry when it equals
    // their distance. Returns the new count, -1 when the array cannot grow.
    int InsertSorted(int first, int second, double distance);

private:
    bool Grow();

    std::vector<Entry> entries_;
    int step_;
};

// The four weights of the node distance; a term whose weight is 0.0 is skipped.
struct TDistanceWeights {
    double attr = 0.0;    // pitch distance of the node positions
    double role = 0.0;    // role concepts
    double action = 0.0;  // action concepts
    double feat = 0.0;    // feature rates of the nodes' cycles
};

// How often each feature holds over a node's cycles: the cycles of its
// outgoing occurrences (start .. start + duration - 1), or when it has none the
// other player's last cycle of its incoming ones. A cycle counted twice counts
// twice; cycles the feature list does not hold are not counted.
struct TFeatureCounts {
    int cycles = 0;
    std::vector<int> counts;  // one per feature
    // Bit f % 64 of word f / 64 is set when counts[f] is not 0: a pair's term
    // visits only the features one of the two nodes counts. Empty when not made.
    std::vector<std::uint64_t> counted;
};
TFeatureCounts CountNodeFeatures(const TNode& node, const FeatureList& features);

// Keeps each node's feature counts from its first use until Forget: a join run
// asks for the same node's counts thousands of times.
class TFeatureCache {
public:
    explicit TFeatureCache(const FeatureList* features) : features_(features) {}
    const TFeatureCounts& CountsOf(const TNode& node);
    void Forget(const TNode* node) { cache_.erase(node); }

private:
    const FeatureList* features_;
    std::unordered_map<const TNode*, TFeatureCounts> cache_;
};

// Sets counts.counted from counts.counts.
void MarkCountedFeatures(TFeatureCounts& counts);

// The feature term: the mean over the features of |rate in a - rate in b|;
// 1.0 when either node counts no cycle, 0.0 when there are no features.
// Sums in feature order whether or not the counted bits are made, so both ways
// give the same bits.
double FeatureTerm(const TFeatureCounts& a, const TFeatureCounts& b, int numFeatures);

// The weighted distance of a and b: 99999.0 when exactly one of them has no
// outgoing connection; else attr x pitch distance + action x concept distance
// of the actions + role x concept distance of the roles + feat x feature term.
// features may be null (no feature term then); cache, when given, keeps the
// feature counts between calls.
double NodeDistance(const TNode& a, const TNode& b, const TDistanceWeights& weights, const FeatureList* features,
                    TFeatureCache* cache = nullptr);

// What a join run needs from the window that runs it.
class TJoinHooks {
public:
    virtual ~TJoinHooks() = default;
    // Sets the node (every node when null) to the mean place of its occurrences.
    virtual void Place(TNode* node) { (void)node; }
    virtual void Status(const std::string& text) { (void)text; }
    // A quick redraw every 25 nodes, so the user sees the graph shrink.
    virtual void LightRedraw() {}
    // Lets the window paint between rows and joins.
    virtual void ProcessEvents() {}
    // A pair distance could not be stored (the run goes on).
    virtual void StoreFailed() {}
    // Asked once per row of distances and once per join: true stops the run
    // there (the user pressed Cancel).
    virtual bool Cancelled() { return false; }
};

// Paces the light redraws a join offers: one is drawn when at least the
// interval has passed since the join began or since the last one drawn. On a
// large graph a redraw costs more than the 25 joins between two offers, and
// the user watching the graph shrink sees no more than a few pictures a
// second anyway.
class TRedrawPacer {
public:
    using Clock = std::chrono::steady_clock;
    TRedrawPacer(Clock::time_point start, Clock::duration interval) : last_(start), interval_(interval) {}
    // Whether the redraw offered at now is drawn (and then counts as the last).
    bool Due(Clock::time_point now)
    {
        if (now - last_ < interval_)
            return false;
        last_ = now;
        return true;
    }

private:
    Clock::time_point last_;
    Clock::duration interval_;
};

// Joins the closest pair of nodes of graph while its distance is <= value:
// places every node, stores the pair distances below 2 x value, and merges
// pair after pair into a node named "rolePath:actionPath" after the common
// ancestors of their roles and actions, storing the new node's distances.
// Returns the number of joins. Stops before the next row or join once
// hooks.Cancelled() says so: the graph is then joined only in part, and the
// caller, who knows why it stopped, puts back what it kept.
int JoinNearestNodes(TGraph& graph, const TDistanceWeights& weights, const FeatureList* features, double value,
                     TJoinHooks& hooks);


// Orders feature indices by the features' values, larger value first:
// 1 when x's value is smaller, -1 when larger, 0 when equal.
int CompareFeatureByValue(const FeatureList& features, int x, int y);

// The index of text in texts; a missing text is appended first (its index is
// then the old length).
int IndexOfTextAppend(std::vector<std::string>& texts, const std::string& text);
