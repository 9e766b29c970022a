#include "core/learning/DatasetScores.h"

#include "core/concepts/Concepts.h"
#include "core/learning/Features.h"
#include "core/model/Format.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace dataset {

double TfIdf(const FeatureList& features, int feature, const std::vector<int>& marked, int numCycles)
{
    const int df = features.GetCount(feature);
    if (df <= 0)
        return kNoScore;
    int tf = 0;
    for (const int cycle : marked)
        tf += features.GetBit(feature, cycle);
    return tf * std::log2(static_cast<double>(numCycles) / df);
}

std::vector<double> ScoreFeatures(FeatureList& features, const std::vector<int>& marked, int numCycles)
{
    const int n = features.GetNumFeatures();
    std::vector<double> scores(static_cast<std::size_t>(n));
    // Cycles outside the matrix hold no feature; counting them would throw.
    std::vector<int> inside;
    inside.reserve(marked.size());
    for (const int cycle : marked)
        if (cycle >= 0 && cycle < features.GetNumInstances())
            inside.push_back(cycle);
    // One pass over the marked rows adds every feature's bit, instead of one
    // bit look-up per feature and cycle.
    std::vector<int> tf(static_cast<std::size_t>(n), 0);
    for (const int cycle : inside)
        features.AddInstanceBits(cycle, tf.data());
    for (int f = 0; f < n; ++f) {
        const int df = features.GetCount(f);
        scores[f] = df > 0 ? tf[f] * std::log2(static_cast<double>(numCycles) / df) : kNoScore;
        features.SetValue(f, scores[f]);
    }
    return scores;
}

AttributeCount CountAttributes(const FeatureList& features, const std::vector<double>& scores, double threshold)
{
    AttributeCount result;
    if (threshold < 0)
        return result;
    for (std::size_t f = 0; f < scores.size(); ++f) {
        if (scores[f] > threshold) {
            ++result.count;
            if (const ConceptObject* group = features.GetGroupKey(static_cast<int>(f)))
                result.depthSum += group->GetLevel();
        }
    }
    return result;
}

AttributeCount CountDeclared(const FeatureList& features, const std::vector<double>& scores, double threshold)
{
    if (threshold > 0.0)
        return CountAttributes(features, scores, threshold);
    // The writer declares every feature then, whatever its score.
    AttributeCount result;
    for (std::size_t f = 0; f < scores.size(); ++f) {
        ++result.count;
        if (const ConceptObject* group = features.GetGroupKey(static_cast<int>(f)))
            result.depthSum += group->GetLevel();
    }
    return result;
}

double RankThreshold(std::vector<double> scores, double threshold)
{
    if (scores.empty())
        return 0.0;
    std::sort(scores.begin(), scores.end(), std::greater<double>());
    const double rank = std::trunc(std::fabs(threshold));
    const std::size_t last = scores.size() - 1;
    const std::size_t k = rank >= static_cast<double>(last) ? last : static_cast<std::size_t>(rank);
    return scores[k];
}

std::string AverageDepthText(const AttributeCount& count)
{
    // Adding 0.0 turns a negative zero into 0, so "-0" is never shown.
    return FormatGeneral(count.AverageDepth() + 0.0);
}

std::vector<DepthRow> EvalDepth(FeatureList& features, const std::vector<int>& marked, int numCycles)
{
    std::vector<DepthRow> rows;
    for (int i = 1; i <= 49; ++i) {
        const std::vector<double> scores = ScoreFeatures(features, marked, numCycles);
        std::vector<double> sorted = scores;
        std::sort(sorted.begin(), sorted.end(), std::greater<double>());
        DepthRow row;
        if (!sorted.empty())
            row.threshold = sorted[std::min<std::size_t>(static_cast<std::size_t>(10 * i), sorted.size() - 1)];
        row.attributes = CountAttributes(features, scores, row.threshold);
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> DepthLines(const std::vector<DepthRow>& rows)
{
    std::vector<std::string> lines{"Testing (tfidfValue, avgDepth, numAttr)"};
    for (const DepthRow& row : rows)
        lines.push_back(FormatFixed(row.threshold, 3) + "\t" + FormatFixed(row.attributes.AverageDepth() + 0.0, 3) +
                        "\t" + std::to_string(row.attributes.count));
    return lines;
}

std::vector<std::string> EvalRules(const std::vector<std::string>& ruleLines, const std::vector<std::string>& classNames,
                                   const RuleCoverageFn& coverage)
{
    std::vector<std::string> out;
    const std::size_t numClasses = classNames.size();
    std::vector<double> sums(numClasses, 0.0);
    int bestCount = 99999;
    int bestRule = -1;
    double bestDepth = 0.0;
    double depthSum = 0.0;
    for (std::size_t r = 0; r < ruleLines.size(); ++r) {
        const std::string rule = ruleLines[r] + " ";
        const int conditions = static_cast<int>(std::count(rule.begin(), rule.end(), '>'));
        std::vector<int> counts(numClasses, 0);
        double depth = 0.0;
        if (conditions > 0)
            coverage(rule, conditions, counts, depth);
        depthSum += depth;
        if (numClasses > 0 && counts[0] < bestCount) {
            bestCount = counts[0];
            bestRule = static_cast<int>(r);
            bestDepth = depth;
        }
        out.push_back(std::string("#") + std::to_string(r) + " Evaluating rule (size " + std::to_string(conditions) +
                      "), avg attr. depth (" + FormatFixed(depth, 3) + ") :");
        out.push_back(rule);
        for (std::size_t c = 0; c < numClasses; ++c) {
            out.push_back(std::to_string(c) + ". class " + classNames[c] + " = " + std::to_string(counts[c]));
            sums[c] += counts[c];
        }
    }
    // Averages over an empty rule list are 0.
    const double lines = static_cast<double>(ruleLines.size());
    out.push_back("--- Average class distribution :");
    for (std::size_t c = 0; c < numClasses; ++c)
        out.push_back(std::to_string(c) + ". class " + classNames[c] + " = " +
                      FormatFixed(lines > 0 ? sums[c] / lines : 0.0, 3));
    out.push_back("Best class 0:" + (numClasses > 0 ? classNames[0] : std::string()) +
                  " value = " + std::to_string(bestCount) + " #" + std::to_string(bestRule) +
                  " depth = " + FormatFixed(bestDepth, 3));
    out.push_back("Average depth = " + FormatFixed(lines > 0 ? depthSum / lines : 0.0, 3));
    out.push_back("--- done evaluating");
    return out;
}

}  // namespace dataset
