// Rule tests: how well the rules learnt for the chunks of a strategy pick the
// strategy out of a test graph. The node test sets every chunk against every
// node of the test graph that has outgoing occurrences and counts three
// confusion tables: the description (is the chunk's place, role and action
// near the node?), the rules (do they hold at the node's cycles?) and both
// together (strategic). The whole-strategy tests build on the pieces shared
// here: the printed rule listing, the rule depth, the evaluation lines and the
// target situations.
//
// Nothing here knows a window: the strategy window reads its boxes into these
// inputs and writes the returned lines into its memo.
#pragma once

#include "strategy/model/StrategyChunks.h"
#include "strategy/model/StrategySimilar.h"
#include "strategy/model/TestRecords.h"

#include <cstddef>
#include <string>
#include <unordered_set>
#include <vector>

class FeatureList;
class RoboCupFileT;
class TGraph;

// The three states of the window's "Verbose" box.
enum class TVerbose { Unchecked, Checked, Grayed };

// The line under the rule listing and above the evaluation lines.
inline constexpr const char* kRuleTestRule = "----------------------------";

// The weights of the chunk-to-node and chunk-to-chunk distances: position,
// role, action.
struct TChunkWeights {
    double pos = 1.0;
    double role = 30.0;
    double action = 30.0;
};

// Why the chunks' rules cannot be tested, as one line: "No rules learnt" for
// no chunk, "Rules of <name>: <why>" for the first node without rules (why:
// StrategyChunk::NoRulesText, "not learnt: <reason>" or "no rules yet"); ""
// when every node is learnt or left out. A test,
// check, grid or sweep figure never counts a node without rules as covering
// or missing a cycle.
std::string RulesMissing(const TChunkList& chunks);
// The first node without rules to test (not learnt, not asked); null when none.
const StrategyChunk* FirstWithoutRules(const TChunkList& chunks);

// "Rules:", one line per chunk (its name, " <= \t" and its rule list in full),
// then the hyphen line.
void AppendRuleHead(const FeatureList* features, const TChunkList& chunks, std::vector<std::string>& lines);

// Adds, for every condition of every rule of every chunk, the hierarchy levels
// of the condition's object concept and of its feature group to depth, and one
// to count per level added. A condition without a concept adds nothing for it,
// so the depth stays the mean over the concepts the rules really use.
void AddRuleDepth(const TChunkList& chunks, double& depth, int& count);
// The same for the rules of one chunk.
void AddRuleDepth(const StrategyChunk& chunk, double& depth, int& count);
// The sums of the chunks' positive and negative example counts.
void AddExampleSums(const TChunkList& chunks, int& plus, int& minus);
// depth / count in the fixed form; "0.0000" when nothing was counted.
std::string DepthText(double depth, int count);
// An accuracy in the fixed form (-1.0000 for an empty table).
std::string AccuracyText(const tConfusion& c);
// "\ttp <n>\tfp <n>\ttn <n>\tfn <n>\tacc <accuracy>", as the result lines show a table.
std::string ConfusionText(const tConfusion& c);

// The description, rule (with the depth) and strategic evaluation lines.
void AppendEvaluationLines(const tTestResults& r, std::vector<std::string>& lines);

// The setting boxes exactly as typed.
struct TSettingTexts {
    std::string minConf;
    std::string minDiff;
    std::string minDist;
    std::string maxDist;
};

// The node test's row of 24 tab-separated values: the minimum confidence,
// minimum difference and maximum distance texts, the match value, the
// description and rule tables, the strategic total and table, depth per count,
// count, plus and minus.
std::string NodeTestRow(const TSettingTexts& settings, double value, const tTestResults& r);

// What a batch record keeps of a test's settings: conf, diff, distMin and
// distMax as numbers (-1.0 for a text that is none), the match value as
// abstract, one test. False when any of the four is below 0.
bool StoreSettings(const TSettingTexts& settings, double value, tTestResults& r);

// The limits of the pairs of chunk and node: chunk k may only be set against
// nodes within its distance to test chunk k plus the match value.
struct TPairLimits {
    std::vector<double> limits;
    // The largest chunk-to-test-chunk distance plus the match value; 0.0 when
    // no pair is limited.
    double max = 0.0;
    // Some chunk distance differed with the two chunks swapped.
    bool asymmetric = false;

    // Whether the pair of chunk k and a node at dist is left out. A chunk
    // without a test chunk of its own is never left out.
    bool Skips(std::size_t k, double dist) const;
};
// The limits of the chunks paired by index with the test chunks (only as far
// as both lists go). Empty test chunks give no limits.
TPairLimits PairLimits(const TChunkList& chunks, const TChunkList& testChunks, const TChunkWeights& w, double value);

// The field state of the log at the cycle; false (after a beep) for a cycle
// outside the log.
bool ReadState(int cycle, const RoboCupFileT& log, tFieldState& state);
// The field states of the log at the cycles; a cycle outside the log beeps
// and gives no state.
std::vector<tFieldState> ReadStates(const std::vector<int>& cycles, const RoboCupFileT& log);
// Whether one of the states is held by the set.
bool AnyStateIn(const std::vector<tFieldState>& states, const TFieldStateSet& set);

// One run of the node test.
struct TNodeTestInput {
    const TChunkList* chunks = nullptr;
    const TChunkList* testChunks = nullptr;  // the stored test strategy (may be null or empty)
    const TGraph* graph = nullptr;           // the test graph
    FeatureList* features = nullptr;         // of the test log
    const RoboCupFileT* log = nullptr;       // the test log: field states for the target test
    // The batch record's chunks: their states decide the target nodes. Null:
    // a node near the chunk (within the match value) is its target.
    const TChunkList* targetChunks = nullptr;
    TChunkWeights weights;
    double value = 85.0;  // the match value V
    bool testAll = false;
    TVerbose verbose = TVerbose::Checked;
    TSettingTexts settings;
};

struct TNodeTestOutput {
    // The memo lines of the run: with Verbose checked or grayed the rule
    // listing, the target lines (checked only) and the evaluation lines;
    // unchecked the one row.
    std::vector<std::string> lines;
    // Tables, depth, count, plus and minus; the settings are left to the caller.
    tTestResults result;
    bool asymmetric = false;
};

// Counts the three tables: for every node of the graph with outgoing first
// cycles and every chunk k (unless the pair limit leaves it out), one
// description count and one rule and one strategic count per cycle. A
// target chunk list shorter than the chunks makes the later chunks target no
// node. Chunks RulesMissing finds fault with are not counted: the one line
// says why, and every table stays empty.
TNodeTestOutput RunNodeTest(const TNodeTestInput& in);
