#include "core/learning/DecisionList.h"

#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/learning/StrategyChunk.h"
#include "core/model/FeatureList.h"
#include "platform/Hooks.h"

#include <array>
#include <unordered_set>

namespace {

// Counts the instances over any cover test (a rule list or a single rule).
template <typename Covers>
void CountCover(Covers covers, const std::vector<int>& positives, const std::vector<int>& negatives, int* tp,
                int* fp, int* tn, int* fn)
{
    int truePos = 0, falsePos = 0, trueNeg = 0, falseNeg = 0;
    for (const int p : positives) {
        if (covers(p))
            ++truePos;
        else
            ++falseNeg;
    }
    // An instance that is both positive and negative was counted as a positive.
    const std::unordered_set<int> positiveSet(positives.begin(), positives.end());
    for (const int n : negatives) {
        if (positiveSet.count(n) != 0)
            continue;
        if (covers(n))
            ++falsePos;
        else
            ++trueNeg;
    }
    if (tp)
        *tp = truePos;
    if (fp)
        *fp = falsePos;
    if (tn)
        *tn = trueNeg;
    if (fn)
        *fn = falseNeg;
}

}  // namespace

bool RuleBodyHolds(FeatureList& list, const RuleObject& rule, int instance)
{
    const bool instanceInside = instance >= 0 && instance < list.GetNumInstances();
    bool result = true;
    // Every condition is looked at, also after one failed, so that a broken
    // instance or feature makes itself heard for the whole rule.
    for (int c = 0; c < rule.Size(); ++c) {
        const ConceptObject* objectConcept = rule.GetObjectConcept(c);
        const int value = rule.GetValue(c);
        bool holds = false;
        bool broken = false;
        for (const int f : list.GetGroup(rule.GetFeatureKey(c))) {
            const int object = list.GetObjectIndex(f);
            if (!instanceInside || object < -1 || object >= FeatureList::kObjectColumns) {
                // Nothing can be read there: the condition cannot be met.
                platform::Beep();
                broken = true;
                continue;
            }
            const ConceptObject* standsFor =
                object == -1 ? g_roleConcepts : list.GetObjectConcept(object, instance);
            // A condition without an object concept (the in-house learner's)
            // speaks of any object.
            if (!objectConcept || ConceptObject::IsA(objectConcept, standsFor)) {
                holds = list.GetBit(f, instance) == value;
                if (holds)
                    break;
            }
        }
        result = result && holds && !broken;
    }
    return result;
}

namespace {

const RuleObject* HeldRule(const std::unique_ptr<RuleObject>& rule) { return rule.get(); }
const RuleObject* HeldRule(const RuleObject* rule) { return rule; }

// The decision list over the rules, as JRip writes and reads one: the first
// rule whose body holds gives its class; none does, the default class, which
// is the node's when the last rule was learnt for "OTHER" (JRip's "=> node"
// after its OTHER rules, Slipper's one OTHER rule).
template <typename Rules>
bool DecisionListCovers(FeatureList& list, const Rules& rules, int instance)
{
    const RuleObject* last = nullptr;
    for (const auto& held : rules) {
        const RuleObject* rule = HeldRule(held);
        if (!rule)
            continue;
        if (RuleBodyHolds(list, *rule, instance))
            return rule->IsPositive();
        last = rule;
    }
    return last && !last->IsPositive();
}

}  // namespace

bool RulesCover(FeatureList& list, const RuleList& rules, int instance)
{
    return rules.empty() || DecisionListCovers(list, rules, instance);
}

bool RuleMatches(FeatureList& list, const RuleObject& rule, int instance)
{
    const std::array<const RuleObject*, 1> alone = {&rule};
    return DecisionListCovers(list, alone, instance);
}

bool ChunkCovers(FeatureList& list, const StrategyChunk& chunk, int instance)
{
    switch (chunk.State()) {
    case TChunkState::LeftOut: return true;
    case TChunkState::Learnt: return !chunk.GetRules().empty() && RulesCover(list, chunk.GetRules(), instance);
    case TChunkState::NotLearnt:
    case TChunkState::NotAsked: break;
    }
    return false;
}

void EvaluateRules(FeatureList& list, const RuleList& rules, const std::vector<int>& positives,
                   const std::vector<int>& negatives, int* tp, int* fp, int* tn, int* fn)
{
    CountCover([&](int t) { return RulesCover(list, rules, t); }, positives, negatives, tp, fp, tn, fn);
}

void EvaluateRule(FeatureList& list, const RuleObject& rule, const std::vector<int>& positives,
                  const std::vector<int>& negatives, int* tp, int* fp, int* tn, int* fn)
{
    CountCover([&](int t) { return RuleMatches(list, rule, t); }, positives, negatives, tp, fp, tn, fn);
}
