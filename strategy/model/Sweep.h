// The parameter sweep learns and tests one strategy under twelve settings of
// the example collection and leaves one result row per setting under a
// header; the rule check lists, cycle by cycle, where each node's rules hold.
// Both are tables of text; the window only writes them into its memo.
#pragma once

#include "strategy/model/StrategyChunks.h"

#include <string>
#include <vector>

class FeatureList;

// The header of the sweep's table: the 24 names of a rule test's row, each but
// the last followed by a blank before its tab.
extern const char* const kSweepHeader;

// One setting of the sweep: minimum confidence and difference, the distance
// band of near nodes and the dataset threshold (per cent).
struct TSweepSetting {
    double conf = 0.0;
    double diff = 0.0;
    double minDist = 0.0;
    double maxDist = 0.0;
    int threshold = 0;
};

// The twelve settings in run order: the band's start 0, 8 and 16, each with
// four widths 8 .. 32; confidence and difference 0, threshold 85.
std::vector<TSweepSetting> SweepSettings();

// A setting as the window's boxes show it: fixed point with two decimals.
std::string SweepNumber(double value);

// The row of a run that gave no rules to test, in place of its test row, so
// that it never reads as a result: the run's settings as a test row starts
// (confidence, difference, maximum distance, threshold), then why, in one
// line (OneLine): "cancelled", "learner failed: <reason>", "dataset not
// written: <reason>", "not learnt: <reason>".
std::string FailedSweepRow(const TSweepSetting& setting, const std::string& why);

struct TRuleCheck {
    // The lines, each ended by "\n" but the last.
    std::string text;
    int covered = 0;
    int uncovered = 0;
};

// For every chunk but the one learning left out ("No Last Node": it has no
// condition) and every instance of the feature list: "<i>: true" where the
// chunk's rules, read as a decision list (RulesCover), cover it, else
// "<i>: false"; a node without rules says why in one line ("<node>: not
// learnt: <reason>", "<node>: no rules yet", StrategyChunk::NoRulesText) and
// is counted as neither; "No rules learnt" first for no chunk. Then "Rule
// evaluation: \ttp <covered>\ttn <uncovered>". With verbose the chunks' rules
// stand first, under "Rules:" and above a line of dashes.
TRuleCheck CheckRules(FeatureList& list, const TChunkList& chunks, bool verbose);

// The strategy of the chunks as a message names it: its nodes in time order,
// each "<role>:<action>" (the action alone without a role), joined by " -> ",
// in double quotes; the role at the window's role depth, as its grid names it.
std::string StrategyName(const TChunkList& chunks, const TNameDepths& depths);

// How a "Test all" that ran to its end ends its memo, after "// Test all":
// " done" when the test strategy was found at every join value; " tested
// nothing: ..." naming it when it was found at none; else " done; ..." with
// the join values at which it was not found (as the value box showed them).
std::string TestAllEnding(const std::string& strategy, const std::vector<std::string>& missedAt, int foundSteps);
