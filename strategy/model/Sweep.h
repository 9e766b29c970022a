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

// The row of a run whose learner failed, in place of its test row, so that
// it never reads as a result: the run's settings as a test row starts
// (confidence, difference, maximum distance, threshold), then
// "<what>: <reason>" ("learner failed", or "not learnt" for a node the
// learner refused), the reason in one line (OneLine).
std::string FailedSweepRow(const TSweepSetting& setting, const std::string& reason,
                           const std::string& what = "learner failed");

struct TRuleCheck {
    // The lines, each ended by "\n" but the last.
    std::string text;
    int covered = 0;
    int uncovered = 0;
};

// For every chunk (the end chunk left out when skipEnd) and every instance of
// the feature list: "<i>: true" where the chunk's rules, read as a decision
// list, cover it, else "<i>: false" ("<i>: not learnt", counted as neither,
// for a node its learner gave no rule list for; "<i>: no rules yet" for a node
// no learner was asked for; "No rules learnt" first for no chunk); the node
// "No Last Node" left out covers every instance. Then "Rule evaluation: \ttp
// <covered>\ttn <uncovered>". With verbose the chunks' rules stand first, under "Rules:" and
// above a line of dashes.
TRuleCheck CheckRules(FeatureList& list, const TChunkList& chunks, bool skipEnd, bool verbose);
