#include "strategy/model/RuleTest.h"

#include "actiongraph/model/Actiongraph.h"
#include "core/concepts/Concepts.h"
#include "core/learning/Features.h"
#include "core/learning/DecisionList.h"
#include "core/learning/RuleTexts.h"
#include "core/model/Common.h"
#include "core/model/Format.h"
#include "core/model/RoboCupFile.h"

#include <algorithm>

namespace {

std::string Fixed(double v) { return FormatFloatFixed(v, 8, 4); }


void RowBlock(std::string& row, const tConfusion& c)
{
    row += "\t" + std::to_string(c.tp) + "\t" + std::to_string(c.fp) + "\t" + std::to_string(c.tn) + "\t" +
           std::to_string(c.fn) + "\t" + AccuracyText(c);
}

// The number the text holds, or -1.0 for a text that is none.
double SettingValue(const std::string& text)
{
    try {
        return StrToFloatDot(text);
    } catch (const EConvertError&) {
        return -1.0;
    }
}


}  // namespace

std::string ConfusionText(const tConfusion& c)
{
    return "\ttp " + std::to_string(c.tp) + "\tfp " + std::to_string(c.fp) + "\ttn " + std::to_string(c.tn) +
           "\tfn " + std::to_string(c.fn) + "\tacc " + AccuracyText(c);
}

const StrategyChunk* FirstWithoutRules(const TChunkList& chunks)
{
    for (const auto& chunk : chunks)
        if (chunk && chunk->LacksRules())
            return chunk.get();
    return nullptr;
}

std::string RulesMissing(const TChunkList& chunks)
{
    if (chunks.empty())
        return "No rules learnt";
    const StrategyChunk* chunk = FirstWithoutRules(chunks);
    if (!chunk)
        return {};
    return "Rules of " + chunk->GetName() + ": " + chunk->NoRulesText();
}

void AppendRuleHead(const FeatureList* features, const TChunkList& chunks, std::vector<std::string>& lines)
{
    lines.emplace_back("Rules:");
    for (const auto& chunk : chunks)
        lines.push_back(chunk->GetName() + " <= \t" + ChunkRulesText(features, *chunk, false));
    lines.emplace_back(kRuleTestRule);
}

void AddRuleDepth(const StrategyChunk& chunk, double& depth, int& count)
{
    for (const auto& rule : chunk.GetRules()) {
        if (!rule)
            continue;
        for (int j = 0; j < rule->Size(); ++j) {
            for (const ConceptObject* level : {rule->GetObjectConcept(j), rule->GetFeatureKey(j)}) {
                if (!level)
                    continue;
                depth += level->GetLevel();
                ++count;
            }
        }
    }
}

void AddRuleDepth(const TChunkList& chunks, double& depth, int& count)
{
    for (const auto& chunk : chunks)
        AddRuleDepth(*chunk, depth, count);
}

void AddExampleSums(const TChunkList& chunks, int& plus, int& minus)
{
    for (const auto& chunk : chunks) {
        plus += chunk->GetPositiveCount();
        minus += chunk->GetNegativeCount();
    }
}

std::string DepthText(double depth, int count) { return Fixed(count == 0 ? 0.0 : depth / count); }

std::string AccuracyText(const tConfusion& c) { return Fixed(tTestResults::Accuracy(c)); }

void AppendEvaluationLines(const tTestResults& r, std::vector<std::string>& lines)
{
    lines.push_back("Description evaluation: " + ConfusionText(r.description));
    lines.push_back("Rule evaluation:        " + ConfusionText(r.rule) + "\tdepth " + DepthText(r.depth, r.count));
    lines.push_back("Strategic evaluation:  \tall " + std::to_string(tTestResults::Total(r.strategic)) +
                    ConfusionText(r.strategic));
}

std::string NodeTestRow(const TSettingTexts& settings, double value, const tTestResults& r)
{
    std::string row = settings.minConf + "\t" + settings.minDiff + "\t" + settings.maxDist + "\t" +
                      FormatFloatGeneral(value);
    RowBlock(row, r.description);
    RowBlock(row, r.rule);
    row += "\t" + std::to_string(tTestResults::Total(r.strategic));
    RowBlock(row, r.strategic);
    row += "\t" + DepthText(r.depth, r.count) + "\t" + std::to_string(r.count) + "\t" + std::to_string(r.plus) +
           "\t" + std::to_string(r.minus);
    return row;
}

bool StoreSettings(const TSettingTexts& settings, double value, tTestResults& r)
{
    r.conf = SettingValue(settings.minConf);
    r.diff = SettingValue(settings.minDiff);
    r.distMin = SettingValue(settings.minDist);
    r.distMax = SettingValue(settings.maxDist);
    r.abstract = value;
    r.numTests = 1;
    return r.conf >= 0.0 && r.diff >= 0.0 && r.distMin >= 0.0 && r.distMax >= 0.0;
}

bool TPairLimits::Skips(std::size_t k, double dist) const
{
    return max > 0.0 && k < limits.size() && dist > limits[k];
}

TPairLimits PairLimits(const TChunkList& chunks, const TChunkList& testChunks, const TChunkWeights& w, double value)
{
    TPairLimits out;
    const std::size_t n = std::min(chunks.size(), testChunks.size());
    if (n == 0)
        return out;
    double largest = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double d = StrategyChunk::Distance(*chunks[i], *testChunks[i], w.pos, w.role, w.action);
        const double back = StrategyChunk::Distance(*testChunks[i], *chunks[i], w.pos, w.role, w.action);
        if (d != back)
            out.asymmetric = true;
        out.limits.push_back(d + value);
        largest = std::max(largest, d);
    }
    out.max = largest + value;
    return out;
}

bool ReadState(int cycle, const RoboCupFileT& log, tFieldState& state)
{
    state.Read(cycle, log);  // beeps for a cycle outside the log
    return cycle >= 0 && cycle < log.cycles;
}

std::vector<tFieldState> ReadStates(const std::vector<int>& cycles, const RoboCupFileT& log)
{
    std::vector<tFieldState> states;
    states.reserve(cycles.size());
    for (const int cycle : cycles) {
        tFieldState state;
        if (ReadState(cycle, log, state))
            states.push_back(state);
    }
    return states;
}

bool AnyStateIn(const std::vector<tFieldState>& states, const TFieldStateSet& set)
{
    return std::any_of(states.begin(), states.end(), [&set](const tFieldState& s) { return set.count(s) != 0; });
}

TNodeTestOutput RunNodeTest(const TNodeTestInput& in)
{
    TNodeTestOutput out;
    tTestResults& r = out.result;
    const TChunkList& chunks = *in.chunks;
    if (const std::string missing = RulesMissing(chunks); !missing.empty()) {
        out.lines.push_back(missing);
        return out;
    }
    const bool verbose = in.verbose != TVerbose::Unchecked;
    const double v = in.value;

    TPairLimits limits;
    if (in.testChunks && !in.testAll)
        limits = PairLimits(chunks, *in.testChunks, in.weights, v);
    out.asymmetric = limits.asymmetric;

    if (verbose)
        AppendRuleHead(in.features, chunks, out.lines);
    AddExampleSums(chunks, r.plus, r.minus);
    AddRuleDepth(chunks, r.depth, r.count);

    // The target's situations, looked up by hash for every node and chunk.
    std::vector<TFieldStateSet> targetSets;
    if (in.targetChunks)
        targetSets = StatesPerChunk(*in.targetChunks);

    std::vector<int> cycles;
    for (int i = 0; in.graph && i < in.graph->NodeCount(); ++i) {
        const TNode* node = in.graph->GetNode(i);
        cycles.clear();
        CollectCycles(nullptr, node, cycles, TDurationMode::FirstCycle, true);
        if (cycles.empty())
            continue;
        // The node's situations are read once for all chunks.
        std::vector<tFieldState> states;
        if (in.targetChunks && in.log)
            states = ReadStates(cycles, *in.log);
        for (std::size_t k = 0; k < chunks.size(); ++k) {
            const StrategyChunk& chunk = *chunks[k];
            const double dist =
                StrategyChunk::DistanceToNode(chunk, *node, in.weights.pos, in.weights.role, in.weights.action);
            bool target = dist <= v;
            if (in.targetChunks)
                target = k < targetSets.size() && AnyStateIn(states, targetSets[k]);
            if (in.verbose == TVerbose::Checked && target)
                out.lines.push_back("Testing target node " + node->GetName());
            if (limits.Skips(k, dist))
                continue;
            const bool near = dist <= v;
            r.description.Add(target, near);
            for (const int cycle : cycles) {
                const bool covered = ChunkCovers(*in.features, chunk, cycle);
                r.rule.Add(target, covered);
                r.strategic.Add(target, covered && near);
            }
        }
    }

    if (verbose) {
        out.lines.emplace_back(kRuleTestRule);
        AppendEvaluationLines(r, out.lines);
    } else {
        out.lines.push_back(NodeTestRow(in.settings, v, r));
    }
    return out;
}
