// Feature selection for a learner dataset: every feature of the log is scored by
// TF*IDF against the positive example cycles, the score is kept as the feature's
// value (the dataset writer compares it with its threshold), and the features
// above a threshold are counted with the depth of their group concepts. Also the
// two studies of the dataset dialog: the depth table over a range of ranks and
// the per-class coverage of a list of rules.
#pragma once

#include <functional>
#include <string>
#include <vector>

class FeatureList;

namespace dataset {

// The value of a feature that never holds in the log.
constexpr double kNoScore = -999.99;

// tf * log2(numCycles / df), tf counting every entry of marked (a cycle listed
// twice counts twice), df the feature's count over the whole log; kNoScore when
// df is 0.
double TfIdf(const FeatureList& features, int feature, const std::vector<int>& marked, int numCycles);

// Scores every feature, stores each score as the feature's value and returns the
// scores in feature order.
std::vector<double> ScoreFeatures(FeatureList& features, const std::vector<int>& marked, int numCycles);

struct AttributeCount {
    int count = 0;
    double depthSum = 0.0;
    // depthSum / count; 0 when nothing was counted.
    double AverageDepth() const { return count > 0 ? depthSum / count : 0.0; }
};

// The features whose score is strictly above a threshold of 0 or more, with the
// summed levels of their group concepts (a feature without group adds 0). A
// negative threshold counts nothing.
AttributeCount CountAttributes(const FeatureList& features, const std::vector<double>& scores, double threshold);

// The features a dataset written at the threshold declares, with their summed
// group levels: every feature at a threshold of 0 or less (the writers keep them
// all then), else those strictly above it.
AttributeCount CountDeclared(const FeatureList& features, const std::vector<double>& scores, double threshold);

// The score of rank trunc(|threshold|) (0 = the largest), the rank capped at the
// last feature; 0 when there are no scores.
double RankThreshold(std::vector<double> scores, double threshold);

// "Avg attribute depth = " text of the average: general notation, 0 for an
// empty count and never "-0".
std::string AverageDepthText(const AttributeCount& count);

struct DepthRow {
    double threshold = 0.0;
    AttributeCount attributes;
};
// The depth table: for i = 1..49 the threshold is the score at rank 10 i (the
// last when the list is shorter) and the features above it are counted. Scores
// are computed and stored once per row, as each row reads the log afresh.
std::vector<DepthRow> EvalDepth(FeatureList& features, const std::vector<int>& marked, int numCycles);
// "Testing (tfidfValue, avgDepth, numAttr)" then one line per row.
std::vector<std::string> DepthLines(const std::vector<DepthRow>& rows);

// Per-class coverage of one rule: fills counts (one per class) and the rule's
// average condition depth.
using RuleCoverageFn = std::function<void(const std::string& rule, int conditions, std::vector<int>& counts,
                                          double& depth)>;
// The rule report for the lines of a rule list: each line gets a trailing blank
// and is counted by coverage; a line without ">" covers nothing and adds depth 0.
std::vector<std::string> EvalRules(const std::vector<std::string>& ruleLines, const std::vector<std::string>& classNames,
                                   const RuleCoverageFn& coverage);

}  // namespace dataset
