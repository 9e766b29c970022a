#include "core/learning/Features.h"

#include "core/learning/Rules.h"

#include <algorithm>
#include <numeric>

RuleObject* LearnTopFeatureRule(FeatureList* list, RuleObject* rule, const std::vector<int>& positive,
                                const std::vector<int>& negative, int k, RoboCupFileT* log)
{
    // The ranking works on the weights the caller stored as feature values; the
    // example cycles and the log are not consulted.
    (void)positive;
    (void)negative;
    (void)log;
    if (!rule)
        return rule;
    rule->Clear();
    if (!list || k <= 0)
        return rule;
    const int candidates = std::min(list->GetNumFeatures(), kTopFeatureCandidates);
    std::vector<int> ranked(static_cast<std::size_t>(candidates));
    std::iota(ranked.begin(), ranked.end(), 0);
    // Largest value first; equal values keep the lower feature number first.
    std::stable_sort(ranked.begin(), ranked.end(),
                     [list](int a, int b) { return list->GetValue(a) > list->GetValue(b); });
    const int take = std::min({k, candidates, kTopFeatureCandidates - 1});
    for (int i = 0; i < take; ++i)
        rule->AddCondition(nullptr, list->GetGroupKey(ranked[static_cast<std::size_t>(i)]), 1);
    return rule;
}

void MakeScratchRules(FeatureList* list, RuleObject* rule, const std::vector<int>& positive,
                      const std::vector<int>& negative)
{
    (void)list;
    (void)rule;
    (void)positive;
    (void)negative;
}
