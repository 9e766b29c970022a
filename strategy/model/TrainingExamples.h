// Training examples of rule learning. Every node of a strategy becomes one
// learning task: the cycles at which the node's action happens are its
// positive examples, cycles of other nodes its negative ones, and the log's
// 0/1 features the attributes. Here are the example sets, their sampling, the
// choice of features worth keeping with their display names and weights, and
// the texts the strategy window shows or copies. Nothing here knows a window.
#pragma once

#include "strategy/model/StrategyChunks.h"

#include <functional>
#include <string>
#include <vector>

class FeatureList;
class RoboCupFileT;
class TGraph;
class TNode;
class TPathObject;

// The node distance used for "near" nodes and the weighted TF*IDF.
using TNodeDistanceFn = std::function<double(const TNode&, const TNode&)>;

// ---- The walk over a strategy ------------------------------------------------

// The node at walk position i of a path: the target of its connection 0 for
// i = 0, else the source of connection i - 1; null outside the path.
TNode* WalkNode(const TPathObject& path, int i);

// One node of the walk, earliest first: walk position, node, name (the final
// node's ends in "-END") and whether it is the final node.
struct TWalkStep {
    int walk = 0;
    TNode* node = nullptr;
    std::string name;
    bool final = false;
};
// The nodes of a path of n connections for walk positions n down to 0, so that
// step k belongs to chunk k of the shown strategy; the final node is left out
// when skipFinal.
std::vector<TWalkStep> StrategyWalk(const TPathObject& path, bool skipFinal);

// ---- Example sets ------------------------------------------------------------

// Where the negative examples come from besides the node's own cycles.
enum class TNegativeSource { None = -1, SimilarStrategies = 0, NearNodes = 1, AllNodes = 2 };

struct TExampleOptions {
    TDurationMode duration = TDurationMode::FirstCycle;
    // Positives only from the strategy's own occurrences.
    bool strictTimes = true;
    TNegativeSource source = TNegativeSource::NearNodes;
    double minDist = 0.0;
    // Below 0 the node's own cycles are no negatives.
    double maxDist = 16.0;
};

// The positive cycles of a node of the strategy (outgoing unless final).
std::vector<int> CollectPositives(const TPathObject& strategy, const TNode* node, bool final,
                                  const TExampleOptions& options);

// What the negative examples of a node are drawn from.
struct TNegativeContext {
    const TGraph* graph = nullptr;
    const TPathObject* strategy = nullptr;
    // The similar strategies in list order (the strategy itself may be among them).
    std::vector<const TPathObject*> similar;
    // For "near" nodes; without it no node is near.
    TNodeDistanceFn distance;
};

// The negative cycles of the node at walk position walk, before the positives
// are taken out: its own cycles (when maxDist >= 0), then those of the source.
// Similar strategies whose number of connections differs from the strategy's
// are passed over: they have no node at every position.
std::vector<int> CollectNegatives(const TNegativeContext& context, const TNode* node, int walk, bool final,
                                  const TExampleOptions& options);

// Takes every cycle of remove out of cycles; the others keep their order.
void RemoveCycles(std::vector<int>& cycles, const std::vector<int>& remove);

// Keeps about the share kept (1.0 = all) of the cycles: trunc(n x (1 - kept))
// cycles, at most all of them, are removed one at a time at positions drawn from
// the program's random source. Returns the number removed.
int SampleCycles(std::vector<int>& cycles, double kept);

// ---- Features ----------------------------------------------------------------

// Which positive rate keeps a feature (the three states of "Negative rules").
enum class TConfidenceTest { AtLeast = 0, AtMost = 1, Either = 2 };

enum class TFeatureWeighting { None = -1, TfIdf = 0, SimpleTfIdf = 1, WeightedTfIdf = 2, ConfAndDiff = 3 };

// Value of a feature that was not kept, and of a kept one without a weight.
inline constexpr double kDroppedFeature = -1.0;
inline constexpr double kNoWeight = -999.99;

struct TFeatureOptions {
    TConfidenceTest confidence = TConfidenceTest::AtLeast;
    double minConf = 0.0;
    bool filterDiff = false;
    double minDiff = 0.0;
    TFeatureWeighting weighting = TFeatureWeighting::TfIdf;
    // The exponent of the weighted TF*IDF.
    double L = 1.0;
    TDurationMode duration = TDurationMode::FirstCycle;
    // The levels of the role hierarchy the names keep (0: all): those of the
    // action-graph window whose nodes are learnt.
    int roleDepth = 0;
};

// pf / |P| or nf / |N|: 0.0 for an empty set, so no NaN decides a test.
double Rate(int count, std::size_t size);

// How often each feature's bit is set over the cycles; cycles the list does not
// hold count nothing.
std::vector<int> CountBits(const FeatureList& features, const std::vector<int>& cycles);

// Whether a feature with this positive rate passes the confidence test.
bool PassesConfidence(TConfidenceTest test, double rate, double minConf);

// The display name of a feature: "Team:" + group path for a team feature; the
// path of the object's role at the first positive cycle (kept to roleDepth
// levels) + ":" + group path when it holds one there; else the object's name
// + ":" + group path.
std::string DisplayName(const FeatureList& features, int feature, const RoboCupFileT& log, int firstPositive,
                        int roleDepth);

// Per feature the two TF*IDF sums over the graph's nodes in index order, each
// node's outgoing cycles by the duration mode appended to one growing list T:
// plain = sum of |T| / c and weighted = sum of |T| x t^L / c over the nodes at
// which c, the set bits of the feature over T, is above 0; t = log2(2 + d) (1
// when not above 0), d the distance of the node to the reference node. A node
// whose factor t^L is not a finite number adds nothing and counts in failed.
struct TTfIdfSums {
    std::vector<double> plain;
    std::vector<double> weighted;
    int failed = 0;
};
// Only the sums asked for are filled (the other vector stays empty).
TTfIdfSums ComputeTfIdfSums(const TGraph& graph, const FeatureList& features, TDurationMode duration, bool plain,
                            bool weighted, const TNode* reference, const TNodeDistanceFn& distance, double L);

// What WeighFeatures did.
struct TWeighResult {
    int kept = 0;        // passed both tests
    int named = 0;       // passed the confidence test and got a display name
    int failedTerms = 0; // weighted TF*IDF nodes left out
};

// The features of one node: every value starts as -1.0; features passing the
// confidence test get their display name (roles kept to options.roleDepth) (made unique in the list: a name that
// another feature already holds gets "[" + object name + "]", no blank, as outside learners read names), those also
// passing the difference test their weight. Values and names are written into
// the feature list. The reference node of the weighted TF*IDF is the node
// itself.
TWeighResult WeighFeatures(FeatureList& features, const RoboCupFileT& log, const TGraph& graph,
                           const TNode* reference, const std::vector<int>& positives,
                           const std::vector<int>& negatives, const TFeatureOptions& options,
                           const TNodeDistanceFn& distance);

// ---- Texts -------------------------------------------------------------------

// What "Copy class data" puts on the clipboard: 1 the positives, 2 the
// negatives, 3 both; each number followed by one blank. Empty for any other.
std::string ClassDataText(int which, const std::vector<int>& positives, const std::vector<int>& negatives);

// The memo's header lines of a node: "", "--- name --- #+p #-n", and with
// listCycles "+Set =" with " <cycle>" per positive.
std::vector<std::string> VerboseHeader(const std::string& name, const std::vector<int>& positives,
                                       std::size_t negatives, bool listCycles);
