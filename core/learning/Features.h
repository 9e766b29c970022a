// What the learning does with a log's features: fills the feature list from the
// concept hierarchies, and the in-house learner that turns the best features into
// a rule. The list itself is the log's storage (core/model/FeatureList.h).
#pragma once

#include "core/model/FeatureList.h"

#include <vector>

class RoboCupFileT;
class RuleObject;

// The program's hierarchies (g_positionConcepts ... g_relativeConcepts, coBall).
FeatureConceptRoots ProgramFeatureRoots();

// Fills the log's feature list. A normal log gets one feature per moving object
// (ball and players, in object order) and evaluable concept of the position, speed
// and ball-relative hierarchies (in that order); a keepaway log gets one team-level
// feature per evaluable concept of the keepaway hierarchy. Bit (f, t) holds when
// the feature's concept accepts its object at cycle t. The role columns get the
// ball concept for object 0 and the role stored in each player's role channel
// (an unknown handle gives null). Shows "Computing features <p>%" every fifth
// feature and warns "Too many features !!!" from 4000 features on (all stay).
// A position or role channel that is missing or has fewer values than the log's
// cycles raises the stream's "Index out of range".
void ComputeFeatures(RoboCupFileT* log, const FeatureConceptRoots& roots);
inline void ComputeFeatures(RoboCupFileT* log)
{
    ComputeFeatures(log, ProgramFeatureRoots());
}
// How many features the in-house learner ranks.
inline constexpr int kTopFeatureCandidates = 4096;
// Features from this number on bring the warning.
inline constexpr int kTooManyFeatures = 4000;

// The rule-pruning service the strategy window calls for every learnt rule: it
// changes nothing.
void MakeScratchRules(FeatureList* list, RuleObject* rule, const std::vector<int>& positive,
                      const std::vector<int>& negative);

// The in-house learner: replaces the rule's conditions (its polarity stays)
// by the conjunction over the k features of largest value, largest first,
// a lower feature number first among equal values; each condition asks for
// bit 1 of the feature's group from any object. Only the first 4096 features
// are ranked and at most 4095 taken; k <= 0 leaves no condition ("TRUE").
// Returns the rule.
RuleObject* LearnTopFeatureRule(FeatureList* list, RuleObject* rule, const std::vector<int>& positive,
                                const std::vector<int>& negative, int k, RoboCupFileT* log);
