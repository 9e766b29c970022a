// The weighted distance of two action-graph nodes and the joining of near
// nodes. Joining merges the closest pair again and again while its distance is
// within a value; the pair distances wait in TDistances, kept in order so that
// after a merge only the new node's distances need computing.
//
// No window-system code here: the window lends placement, progress texts,
// redraws and event processing through TJoinHooks.
#pragma once

#include "actiongraph/model/NameDepths.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

class FeatureList;
class TGraph;
class TNode;

// The pair distances of one join run in order, nearest first. A pair names its
// two nodes by their positions in the graph, which move down as nodes before
// them leave (RemoveTouching).
//
// A join takes the nearest pair, drops every pair of its two nodes and adds the
// new node's; on a graph of n nodes that is n times n pairs to put in order.
// In a sorted array each insertion moves the pairs behind it, so the pairs are
// kept in an ordered tree, where an insertion costs the log of their number.
// The pairs of a node that left stay in the tree, passed over and dropped when
// they reach either end, so that no join walks every pair to renumber or drop
// them: each node keeps a number of its own, and its position is looked up
// among the numbers of the nodes still there.
class TDistances {
public:
    struct Entry {
        double distance = 0.0;
        int first = -1;   // always smaller than second
        int second = -1;
    };

    // Pairs that Add takes are collected in an array that grows by at least
    // step entries at a time, until Sort puts them in order.
    explicit TDistances(int step);

    // Collects the pair; false when the array cannot grow (nothing stored then).
    bool Add(int first, int second, double distance);
    // Puts the pairs Add collected in order, ascending by distance; pairs of
    // equal distance keep the order they were added in, so equal pairs always
    // join in the same order. Every call below sorts first when pairs wait.
    // Returns how many pairs the memory could not hold (dropped, the farthest).
    int Sort();
    // The first pair, none when there is none.
    std::optional<Entry> First();
    // Every pair in order (a walk over all of them: for checks, not for a join).
    std::vector<Entry> Sorted();
    // Drops the first pair (p, q) and every pair sharing p or q; the positions
    // of the others move as the graph's do when p and q go: a position above
    // p moves down by one, then once more when it is still >= q.
    void RemoveTouching();
    // Inserts the pair where a sorted array would take it: after the pairs of
    // equal distance, except in front of the first or second pair when it
    // equals their distance. The distance is a number (never NaN). False when
    // the pair cannot be stored.
    bool InsertSorted(int first, int second, double distance);

private:
    // A pair in the tree: the two nodes by their own numbers, and a rank that
    // orders pairs of equal distance.
    struct Stored {
        double distance;
        std::int64_t rank;
        int first;
        int second;
    };
    struct Before {
        bool operator()(const Stored& x, const Stored& y) const
        {
            return x.distance < y.distance || (x.distance == y.distance && x.rank < y.rank);
        }
    };
    using Tree = std::set<Stored, Before>;

    bool Live(const Stored& s) const
    {
        return gone_[static_cast<std::size_t>(s.first)] == 0 && gone_[static_cast<std::size_t>(s.second)] == 0;
    }
    // The number of the node at the position; positions past the last one
    // known so far are nodes no pair named yet and get fresh numbers.
    int NodeAt(int position);
    int PositionOf(int node) const;
    Entry Public(const Stored& s) const { return Entry{s.distance, PositionOf(s.first), PositionOf(s.second)}; }
    // The first pair, after dropping gone ones in front of it; end() when none.
    Tree::iterator FirstLive();
    // The same from the back and for the pair after the first.
    Tree::iterator LastLive();
    Tree::iterator SecondLive();

    Tree tree_;
    std::vector<Entry> added_;  // pairs of Add, not yet sorted
    int step_;
    std::vector<int> nodes_;           // the node at each position, ascending
    std::vector<std::uint8_t> gone_;   // by node number
    std::int64_t front_ = 0;           // ranks below every earlier one
    std::int64_t back_ = 0;            // ranks above every earlier one
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
    // A pair distance could not be stored (the run goes on); once for all the
    // pairs that putting them in order could not keep.
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
// ancestors of their roles and actions (each path kept to its depth, those of
// the window whose graph it is), storing the new node's distances.
// Returns the number of joins. Stops before the next row or join once
// hooks.Cancelled() says so: the graph is then joined only in part, and the
// caller, who knows why it stopped, puts back what it kept.
int JoinNearestNodes(TGraph& graph, const TDistanceWeights& weights, const FeatureList* features, double value,
                     const TNameDepths& depths, TJoinHooks& hooks);


// Orders feature indices by the features' values, larger value first:
// 1 when x's value is smaller, -1 when larger, 0 when equal.
int CompareFeatureByValue(const FeatureList& features, int x, int y);

// The index of text in texts; a missing text is appended first (its index is
// then the old length).
int IndexOfTextAppend(std::vector<std::string>& texts, const std::string& text);
