#include "strategy/model/WholeTest.h"

#include "strategy/model/StrategySimilar.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/PathObject.h"
#include "core/concepts/Concepts.h"
#include "core/learning/DecisionList.h"
#include "core/learning/Features.h"
#include "core/model/Common.h"
#include "core/model/Format.h"
#include "core/model/RoboCupFile.h"
#include "platform/Hooks.h"

namespace {

// The candidate's nodes in time order when its connections form one chain
// (the "All" item joins every listed path and is none); empty otherwise.
std::vector<TNode*> ChainNodes(const TPathObject* path)
{
    if (!path)
        return {};
    const auto& c = path->Connections();
    for (std::size_t k = 0; k + 1 < c.size(); ++k) {
        if (!c[k] || !c[k + 1] || c[k + 1]->To() != c[k]->From())
            return {};
    }
    return PathNodes(*path);
}



std::string Row(const tConfusion& c)
{
    return "\t" + std::to_string(c.tp) + "\t" + std::to_string(c.fp) + "\t" + std::to_string(c.tn) + "\t" +
           std::to_string(c.fn) + "\t" + AccuracyText(c);
}

}  // namespace

TWholeTestOutput RunWholeTest(const TWholeTestInput& in)
{
    TWholeTestOutput out;
    tTestResults& r = out.result;
    const TChunkList& chunks = *in.chunks;
    if (const std::string missing = RulesMissing(chunks); !missing.empty()) {
        out.lines.push_back(missing);
        return out;
    }
    const bool checked = in.verbose == TVerbose::Checked;
    const double v = in.value;
    if (in.verbose != TVerbose::Unchecked)
        AppendRuleHead(in.features, chunks, out.lines);

    const TFieldStateSet targetStates = in.targetChunks ? StatesOfChunks(*in.targetChunks) : TFieldStateSet();
    std::vector<int> cycles;
    for (int i = 0; in.strategies && i < in.strategies->Count(); ++i) {
        const TPathObject* p = in.strategies->Path(i).get();
        const std::vector<TNode*> nodes = ChainNodes(p);
        if (nodes.empty() || nodes.size() != chunks.size())
            continue;
        // True or false candidate.
        bool truth = false;
        std::string names;
        if (in.targetChunks) {
            truth = in.log && CountTargetChunks(targetStates, *p, *in.log, in.strictTimes) >= 3;
        } else {
            double sum = 0.0;
            for (std::size_t k = 0; k < nodes.size(); ++k) {
                names += nodes[k]->GetName() + " ";
                double d = StrategyChunk::DistanceToNode(*chunks[k], *nodes[k], in.weights.pos, in.weights.role,
                                                         in.weights.action);
                if (!in.averageDist && d > v)
                    d = v + 99999.0;
                sum += d;
            }
            const double mean = sum / static_cast<double>(chunks.size());
            if (checked)
                out.lines.push_back(names + " dist " + FormatFloatGeneral(mean));
            truth = mean <= v;
            if (!truth && !in.testAll)
                continue;
        }
        if (checked)
            out.lines.push_back((truth ? "True candidate: " : "False candidate: ") + names);
        if (!checked && truth)
            out.lines.emplace_back("Testing strategy");

        // Description: every node matches its chunk.
        bool described = true;
        for (std::size_t k = 0; k < nodes.size(); ++k) {
            const StrategyChunk& c = *chunks[k];
            const TNode& n = *nodes[k];
            const auto& w = in.weights;
            const bool match = StrategyChunk::MatchesNode(c, n, w.pos, w.role, w.action, v);
            const std::string dist = FormatFloatGeneral(StrategyChunk::DistanceToNode(c, n, w.pos, w.role, w.action));
            if (!match) {
                described = false;
                if (!checked && truth)
                    out.lines.push_back("Node " + n.GetName() + " false, dist=" + dist);
                break;
            }
            if (!checked)
                out.lines.push_back("Node " + n.GetName() + " true, dist=" + dist);
        }
        r.description.Add(truth, described);

        // Rules: every node has a covered cycle (or none at all).
        bool accepted = true;
        r.depth = 0.0;
        r.count = 0;
        for (std::size_t k = 0; k < nodes.size(); ++k) {
            const StrategyChunk& c = *chunks[k];
            cycles.clear();
            CollectCycles(in.strictTimes ? p : nullptr, nodes[k], cycles, TDurationMode::FirstCycle,
                          k + 1 < nodes.size());
            if (in.graph && in.graph->IndexOfNode(nodes[k]) < 0)
                platform::Beep();
            if (!checked && truth)
                out.lines.push_back("Testing " + nodes[k]->GetName());
            AddRuleDepth(c, r.depth, r.count);
            bool nodeAccepted = cycles.empty();
            for (const int y : cycles) {
                const bool covered = ChunkCovers(*in.features, c, y);
                r.rule.Add(truth, covered);
                if (!checked && truth)
                    out.lines.emplace_back(covered ? "Rule is True" : "Rule is False");
                nodeAccepted = nodeAccepted || covered;
            }
            accepted = accepted && nodeAccepted;
        }
        if (checked)
            out.lines.emplace_back(accepted ? "Decision: true" : "Decision: false");
        r.strategic.Add(truth, accepted);
    }

    if (in.verbose != TVerbose::Unchecked) {
        out.lines.emplace_back(kRuleTestRule);
        if (in.testAll)
            AppendEvaluationLines(r, out.lines);
    }
    return out;
}

TGridEvaluationOutput RunGridEvaluation(const TGridEvaluationInput& in)
{
    TGridEvaluationOutput out;
    const TChunkList& chunks = *in.chunks;
    if (const std::string missing = RulesMissing(chunks); !missing.empty()) {
        out.lines.push_back(missing);
        return out;
    }
    const bool checked = in.verbose == TVerbose::Checked;
    if (in.verbose != TVerbose::Unchecked)
        AppendRuleHead(in.features, chunks, out.lines);
    int plus = 0, minus = 0, count = 0;
    double depth = 0.0;
    AddExampleSums(chunks, plus, minus);
    AddRuleDepth(chunks, depth, count);
    const std::vector<TFieldStateSet> stored = StatesPerChunk(chunks);
    // The end chunk is left out of the concept check and the rule test.
    const std::size_t compared = in.noLastNode && !chunks.empty() ? chunks.size() - 1 : chunks.size();

    bool haveValue = false;
    double v = 0.0;
    std::vector<int> cycles;
    for (int i = 0; in.strategies && i < in.strategies->Count(); ++i) {
        const TPathObject* p = in.strategies->Path(i).get();
        const std::vector<TNode*> nodes = ChainNodes(p);
        if (nodes.empty() || nodes.size() != chunks.size())
            continue;
        ++out.all;
        // Concept check.
        std::string names;
        bool related = true;
        for (std::size_t k = 0; k < compared && related; ++k) {
            names += nodes[k]->GetName() + " ";
            const TNodeConcepts* data = nodes[k]->Data();
            related = data && ConceptObject::IsRelated(chunks[k]->GetActionConcept(), data->action) &&
                      ConceptObject::IsRelated(chunks[k]->GetRoleConcept(), data->role);
        }
        if (!related) {
            ++out.excluded;
            if (!in.testAll)
                continue;
        }
        // Truth: every chunk, the end chunk included, matches its node within the join distance.
        bool truth = related;
        if (truth && !haveValue) {
            try {
                v = in.joinValue ? in.joinValue() : 0.0;
            } catch (const EConvertError& e) {
                out.error = e.what();
                return out;
            }
            haveValue = true;
        }
        for (std::size_t k = 0; truth && k < nodes.size(); ++k)
            truth = StrategyChunk::MatchesNode(*chunks[k], *nodes[k], 1.0, 1.0, 1.0, v);
        if (checked)
            out.lines.push_back((truth ? "True candidate: " : "False candidate: ") + names);
        // Rule test over the candidate's own first cycles.
        bool decision = true;
        for (std::size_t k = 0; k < compared; ++k) {
            cycles.clear();
            CollectCycles(p, nodes[k], cycles, TDurationMode::FirstCycle, k + 1 < nodes.size());
            bool covered = cycles.empty();
            for (const int y : cycles) {
                const bool hit = ChunkCovers(*in.features, *chunks[k], y);
                tFieldState state;
                const bool positive = in.log && ReadState(y, *in.log, state) && stored[k].count(state) != 0;
                out.rule.Add(positive, hit);
                covered = covered || hit;
            }
            decision = decision && covered;
        }
        if (checked)
            out.lines.emplace_back(decision ? "Decision: true" : "Decision: false");
        out.strategic.Add(truth, decision);
    }

    if (in.verbose == TVerbose::Unchecked) {
        out.lines.push_back(in.settings.minConf + "\t" + in.settings.minDiff + "\t" + in.settings.maxDist +
                            Row(out.rule) + Row(out.strategic) + "\t" + DepthText(depth, count) + "\t" +
                            std::to_string(count) + "\t" + std::to_string(plus) + "\t" + std::to_string(minus));
    } else {
        out.lines.emplace_back(kRuleTestRule);
        std::string ruleLine = "Rule evaluation: \tall " + std::to_string(out.all) + "\texcluded " +
                               std::to_string(out.excluded) + ConfusionText(out.rule);
        if (!in.testAll)
            ruleLine += "\tdepth " + DepthText(depth, count);
        out.lines.push_back(ruleLine);
        const int tested = in.testAll ? out.all : out.all - out.excluded;
        out.lines.push_back("Tested #strategies " + std::to_string(tested) + " : " + ConfusionText(out.strategic));
    }
    return out;
}
