#include "strategy/model/Sweep.h"

#include "strategy/model/LearnerRecord.h"

#include "core/concepts/Concepts.h"
#include "core/learning/Features.h"
#include "core/learning/DecisionList.h"
#include "core/learning/RuleTexts.h"
#include "core/learning/StrategyChunk.h"

#include <cstdio>

const char* const kSweepHeader =
    "conf \tdiff \tdist \tthres \tdesctp \tdescfp \tdesctn \tdescfn \tdescacc \trultp \trulfp \trultn \trulfn "
    "\trulacc \tall \ttp \tfp \ttn \tfn \tacc \tdepth \tnumattr \t#+ \t#-";

std::vector<TSweepSetting> SweepSettings()
{
    // The loops keep their one-value ranges so that widening one of them is a
    // change of its bounds only.
    std::vector<TSweepSetting> settings;
    for (double c = 0.0; c <= 0.0; c += 0.2)
        for (double d = 0.0; d <= 0.0; d += 0.1)
            for (double m = 0.0; m <= 16.0; m += 8.0)
                for (double x = m + 8.0; x <= m + 32.0; x += 8.0)
                    for (int t = 85; t <= 85; t += 8)
                        settings.push_back({c, d, m, x, t});
    return settings;
}

std::string SweepNumber(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

std::string FailedSweepRow(const TSweepSetting& setting, const std::string& why)
{
    return SweepNumber(setting.conf) + "\t" + SweepNumber(setting.diff) + "\t" + SweepNumber(setting.maxDist) + "\t" +
           std::to_string(setting.threshold) + "\t" + OneLine(why);
}

TRuleCheck CheckRules(FeatureList& list, const TChunkList& chunks, bool verbose)
{
    TRuleCheck check;
    std::string& text = check.text;
    if (verbose) {
        text += "Rules:\n";
        for (const auto& chunk : chunks)
            if (chunk)
                text += chunk->GetName() + " <= \t" + ChunkRulesText(&list, *chunk, false) + "\n";
        text += "----------------------------\n";
    }
    if (chunks.empty())
        text += "No rules learnt\n";
    const int instances = list.GetNumInstances();
    for (const auto& chunk : chunks) {
        // The node learning left out ("No Last Node", whichever its place in
        // the graph) has no condition to check: counted, it would cover all.
        if (!chunk || chunk->State() == TChunkState::LeftOut)
            continue;
        // Rules nobody learnt neither cover nor miss a cycle: the node says
        // why once, not at each of its thousands of cycles.
        if (chunk->LacksRules()) {
            text += chunk->GetName() + ": " + chunk->NoRulesText() + "\n";
            continue;
        }
        for (int i = 0; i < instances; ++i) {
            const bool covered = ChunkCovers(list, *chunk, i);
            text += std::to_string(i);
            text += covered ? ": true\n" : ": false\n";
            ++(covered ? check.covered : check.uncovered);
        }
    }
    text += "Rule evaluation: \ttp " + std::to_string(check.covered) + "\ttn " + std::to_string(check.uncovered);
    return check;
}

std::string StrategyName(const TChunkList& chunks, const TNameDepths& depths)
{
    std::string name;
    for (const auto& chunk : chunks) {
        if (!chunk)
            continue;
        if (!name.empty())
            name += " -> ";
        if (ConceptObject* role = chunk->GetRoleConcept())
            name += depths.Role(role) + ":";
        name += chunk->GetName();
    }
    return "\"" + name + "\"";
}

std::string TestAllEnding(const std::string& strategy, const std::vector<std::string>& missedAt, int foundSteps)
{
    if (missedAt.empty())
        return " done";
    if (foundSteps == 0)
        return " tested nothing: the test strategy " + strategy + " was not found at any join value";
    std::string values;
    for (const std::string& value : missedAt)
        values += (values.empty() ? "" : ", ") + value;
    return " done; the test strategy " + strategy + " was not found at join value" + (missedAt.size() > 1 ? "s " : " ") +
           values;
}
