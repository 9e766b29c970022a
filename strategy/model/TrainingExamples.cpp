#include "strategy/model/TrainingExamples.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/GraphBuilder.h"
#include "actiongraph/model/PathObject.h"
#include "core/concepts/Concepts.h"
#include "core/learning/Features.h"
#include "core/model/Pitch.h"
#include "core/model/RoboCupFile.h"
#include "platform/Random.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

TNode* WalkNode(const TPathObject& path, int i)
{
    const auto& connections = path.Connections();
    if (i < 0 || i > static_cast<int>(connections.size()) || connections.empty())
        return nullptr;
    const TConnection* c = connections[static_cast<std::size_t>(i == 0 ? 0 : i - 1)];
    if (!c)
        return nullptr;
    return i == 0 ? c->To() : c->From();
}

std::vector<TWalkStep> StrategyWalk(const TPathObject& path, bool skipFinal)
{
    std::vector<TWalkStep> steps;
    const int n = static_cast<int>(path.Connections().size());
    if (n == 0)
        return steps;
    for (int i = n; i >= 0; --i) {
        const bool final = i == 0;
        if (final && skipFinal)
            break;
        TNode* node = WalkNode(path, i);
        std::string name = node ? node->GetName() : std::string();
        if (final)
            name += "-END";
        steps.push_back({i, node, std::move(name), final});
    }
    return steps;
}

namespace {

// Appends cycles to one list, each once, across many collector calls: the
// collector alone would rebuild its check of the list on every call.
class CycleList {
public:
    explicit CycleList(std::vector<int>& out) : out_(out), held_(out.begin(), out.end()) {}
    void Collect(const TPathObject* path, const TNode* node, TDurationMode mode, bool outgoing)
    {
        found_.clear();
        CollectCycles(path, node, found_, mode, outgoing);
        for (const int cycle : found_)
            if (held_.insert(cycle).second)
                out_.push_back(cycle);
    }

private:
    std::vector<int>& out_;
    std::unordered_set<int> held_;
    std::vector<int> found_;
};

}  // namespace

std::vector<int> CollectPositives(const TPathObject& strategy, const TNode* node, bool final,
                                  const TExampleOptions& options)
{
    std::vector<int> cycles;
    CollectCycles(options.strictTimes ? &strategy : nullptr, node, cycles, options.duration, !final);
    return cycles;
}

std::vector<int> CollectNegatives(const TNegativeContext& context, const TNode* node, int walk, bool final,
                                  const TExampleOptions& options)
{
    std::vector<int> cycles;
    CycleList list(cycles);
    const bool outgoing = !final;
    if (options.maxDist >= 0.0)
        list.Collect(nullptr, node, options.duration, outgoing);
    switch (options.source) {
    case TNegativeSource::SimilarStrategies: {
        const std::size_t length = context.strategy ? context.strategy->Connections().size() : 0;
        for (const TPathObject* similar : context.similar) {
            if (!similar || similar == context.strategy || similar->Connections().size() != length)
                continue;
            list.Collect(similar, WalkNode(*similar, walk), options.duration, outgoing);
        }
        break;
    }
    case TNegativeSource::NearNodes:
    case TNegativeSource::AllNodes: {
        if (!context.graph || !node)
            break;
        const bool near = options.source == TNegativeSource::NearNodes;
        for (int j = 0; j < context.graph->NodeCount(); ++j) {
            const TNode* other = context.graph->GetNode(j);
            if (other == node)
                continue;
            if (near) {
                if (!context.distance)
                    continue;
                const double d = context.distance(*node, *other);
                if (!(options.minDist <= d && d <= options.maxDist))
                    continue;
            }
            list.Collect(nullptr, other, options.duration, outgoing);
        }
        break;
    }
    case TNegativeSource::None:
        break;
    }
    return cycles;
}

void RemoveCycles(std::vector<int>& cycles, const std::vector<int>& remove)
{
    const std::unordered_set<int> gone(remove.begin(), remove.end());
    std::erase_if(cycles, [&gone](int cycle) { return gone.count(cycle) != 0; });
}

int SampleCycles(std::vector<int>& cycles, double kept)
{
    const double wanted = std::trunc(static_cast<double>(cycles.size()) * (1.0 - kept));
    // A share above 100 % removes nothing, one below 0 % everything.
    const int removals =
        wanted <= 0.0 ? 0 : static_cast<int>(std::min(wanted, static_cast<double>(cycles.size())));
    for (int r = 0; r < removals; ++r) {
        const int at = platform::RandomBelow(static_cast<int>(cycles.size()));
        cycles.erase(cycles.begin() + at);
    }
    return removals;
}

double Rate(int count, std::size_t size)
{
    return size == 0 ? 0.0 : static_cast<double>(count) / static_cast<double>(size);
}

std::vector<int> CountBits(const FeatureList& features, const std::vector<int>& cycles)
{
    std::vector<int> counts(static_cast<std::size_t>(features.GetNumFeatures()), 0);
    const int instances = features.GetNumInstances();
    for (const int cycle : cycles)
        if (cycle >= 0 && cycle < instances && !counts.empty())
            features.AddInstanceBits(cycle, counts.data());
    return counts;
}

bool PassesConfidence(TConfidenceTest test, double rate, double minConf)
{
    switch (test) {
    case TConfidenceTest::AtLeast: return rate >= minConf;
    case TConfidenceTest::AtMost: return rate <= 1.0 - minConf;
    case TConfidenceTest::Either: return rate <= 1.0 - minConf || rate >= minConf;
    }
    return false;
}

std::string DisplayName(const FeatureList& features, int feature, const RoboCupFileT& log, int firstPositive,
                        int roleDepth)
{
    ConceptObject* key = features.GetGroupKey(feature);
    const std::string group = key ? ConceptObject::GetPathName(key) : std::string();
    const int object = features.GetObjectIndex(feature);
    if (object < 0)
        return "Team:" + group;
    // No positive cycle, no role channel (the ball) or no role there: the
    // object's name, as the graph's node names do.
    ConceptObject* role = firstPositive >= 0 ? RoleAt(log, object, firstPositive) : nullptr;
    return (role ? ConceptObject::GetPathName(role, roleDepth) : ObjectName(object)) + ":" + group;
}

TTfIdfSums ComputeTfIdfSums(const TGraph& graph, const FeatureList& features, TDurationMode duration, bool plain,
                            bool weighted, const TNode* reference, const TNodeDistanceFn& distance, double L)
{
    TTfIdfSums sums;
    const std::size_t count = static_cast<std::size_t>(features.GetNumFeatures());
    if (plain)
        sums.plain.assign(count, 0.0);
    if (weighted)
        sums.weighted.assign(count, 0.0);
    if (!plain && !weighted)
        return sums;
    // T grows node by node and every node's term is taken over all of T, the
    // same list for every feature: build it once and count bits as it grows.
    std::vector<int> cycles;
    CycleList list(cycles);
    std::vector<int> bits(count, 0);
    const int instances = features.GetNumInstances();
    std::size_t counted = 0;
    for (int j = 0; j < graph.NodeCount(); ++j) {
        const TNode* node = graph.GetNode(j);
        double factor = 1.0;
        if (weighted) {
            const double d = distance && reference ? distance(*node, *reference) : 0.0;
            double t = std::log2(2.0 + d);
            if (t <= 0.0)
                t = 1.0;
            factor = std::pow(t, L);
        }
        list.Collect(nullptr, node, duration, true);
        for (; counted < cycles.size(); ++counted) {
            const int cycle = cycles[counted];
            if (cycle >= 0 && cycle < instances && count > 0)
                features.AddInstanceBits(cycle, bits.data());
        }
        const double size = static_cast<double>(cycles.size());
        for (std::size_t f = 0; f < count; ++f) {
            if (bits[f] <= 0)
                continue;
            const double c = static_cast<double>(bits[f]);
            if (plain)
                sums.plain[f] += size / c;
            if (weighted) {
                const double term = size * factor / c;
                if (std::isfinite(term))
                    sums.weighted[f] += term;
                else
                    ++sums.failed;
            }
        }
    }
    return sums;
}

namespace {

std::string ObjectLabel(int object) { return object < 0 ? std::string("Team") : ObjectName(object); }

}  // namespace

TWeighResult WeighFeatures(FeatureList& features, const RoboCupFileT& log, const TGraph& graph,
                           const TNode* reference, const std::vector<int>& positives,
                           const std::vector<int>& negatives, const TFeatureOptions& options,
                           const TNodeDistanceFn& distance)
{
    TWeighResult result;
    const int count = features.GetNumFeatures();
    const std::vector<int> pf = CountBits(features, positives);
    const std::vector<int> nf = options.filterDiff ? CountBits(features, negatives) : std::vector<int>();
    const int firstPositive = positives.empty() ? -1 : positives.front();

    // Confidence first: the features that get a display name. The names are
    // DisplayName's, put together from each concept's path and each object's
    // label found once: every object has a feature of every concept.
    std::vector<int> named;
    std::vector<std::string> names;
    std::vector<char> isNamed(static_cast<std::size_t>(count), 0);
    std::unordered_map<const ConceptObject*, std::string> groupPaths;
    std::unordered_map<int, std::string> objectLabels;
    for (int f = 0; f < count; ++f) {
        features.SetValue(f, kDroppedFeature);
        if (!PassesConfidence(options.confidence, Rate(pf[static_cast<std::size_t>(f)], positives.size()),
                              options.minConf))
            continue;
        named.push_back(f);
        ConceptObject* key = features.GetGroupKey(f);
        auto group = groupPaths.find(key);
        if (group == groupPaths.end())
            group = groupPaths.emplace(key, key ? ConceptObject::GetPathName(key) : std::string()).first;
        const int object = features.GetObjectIndex(f);
        auto label = objectLabels.find(object);
        if (label == objectLabels.end()) {
            ConceptObject* role = object >= 0 && firstPositive >= 0 ? RoleAt(log, object, firstPositive) : nullptr;
            label = objectLabels
                        .emplace(object, object < 0 ? std::string("Team")
                                         : role     ? ConceptObject::GetPathName(role, options.roleDepth)
                                                    : ObjectName(object))
                        .first;
        }
        names.push_back(label->second + ":" + group->second);
        isNamed[static_cast<std::size_t>(f)] = 1;
    }
    result.named = static_cast<int>(named.size());

    // A name must find its one feature, and a dataset must not declare an
    // attribute twice: later holders of a name held already (also by a feature
    // keeping an older name) get their object's name appended.
    std::unordered_set<std::string> taken;
    taken.reserve(static_cast<std::size_t>(count) + named.size());
    for (int f = 0; f < count; ++f)
        if (!isNamed[static_cast<std::size_t>(f)])
            taken.insert(features.GetName(f));
    for (std::size_t k = 0; k < named.size(); ++k) {
        const int f = named[k];
        std::string name = names[k];
        if (!taken.insert(name).second) {
            const std::string label = ObjectLabel(features.GetObjectIndex(f));
            // No blank in the suffix: Weka refuses attribute names with one and
            // its rule output would split them apart again.
            name = names[k] + "[" + label + "]";
            for (int n = 2; !taken.insert(name).second; ++n)
                name = names[k] + "[" + label + "-" + std::to_string(n) + "]";
        }
        features.SetName(f, name);
    }

    TTfIdfSums sums;
    const bool plain = options.weighting == TFeatureWeighting::TfIdf;
    const bool weighted = options.weighting == TFeatureWeighting::WeightedTfIdf;
    if ((plain || weighted) && !named.empty())
        sums = ComputeTfIdfSums(graph, features, options.duration, plain, weighted, reference, distance, options.L);
    result.failedTerms = sums.failed;

    for (const int f : named) {
        const std::size_t i = static_cast<std::size_t>(f);
        const double rate = Rate(pf[i], positives.size());
        if (options.filterDiff && std::fabs(rate - Rate(nf[i], negatives.size())) < options.minDiff)
            continue;
        ++result.kept;
        double w = kNoWeight;
        switch (options.weighting) {
        case TFeatureWeighting::TfIdf:
            if (sums.plain[i] > 0.0)
                w = pf[i] * std::log2(sums.plain[i]);
            break;
        case TFeatureWeighting::SimpleTfIdf: {
            const int df = features.GetCount(f);
            if (df > 0)
                w = pf[i] * std::log2(static_cast<double>(log.cycles) / df);
            break;
        }
        case TFeatureWeighting::WeightedTfIdf:
            if (sums.weighted[i] > 0.0)
                w = pf[i] * sums.weighted[i];
            break;
        case TFeatureWeighting::ConfAndDiff: w = 100.0; break;
        case TFeatureWeighting::None: break;
        }
        features.SetValue(f, w);
    }
    return result;
}

std::string ClassDataText(int which, const std::vector<int>& positives, const std::vector<int>& negatives)
{
    std::string text;
    auto append = [&text](const std::vector<int>& cycles) {
        for (const int c : cycles) {
            text += std::to_string(c);
            text += ' ';
        }
    };
    if (which == 1 || which == 3)
        append(positives);
    if (which == 2 || which == 3)
        append(negatives);
    return text;
}

std::vector<std::string> VerboseHeader(const std::string& name, const std::vector<int>& positives,
                                       std::size_t negatives, bool listCycles)
{
    std::vector<std::string> lines{
        "", "--- " + name + " --- #+" + std::to_string(positives.size()) + " #-" + std::to_string(negatives)};
    if (listCycles) {
        std::string set = "+Set =";
        for (const int c : positives)
            set += " " + std::to_string(c);
        lines.push_back(std::move(set));
    }
    return lines;
}
