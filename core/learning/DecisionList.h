// A list of rules read as the learner's decision list over a log's features:
// whether a rule's body holds at a cycle, which cycles a list or a node's
// rules cover, and the counts of a list over a node's examples.
#pragma once

#include "core/learning/Rules.h"

#include <vector>

class FeatureList;
class StrategyChunk;

// Whether the rule's body, the conjunction of its conditions, holds at the
// instance (a cycle of the log); the rule's polarity plays no part. A
// condition is met when some feature of its group speaks of an object whose
// concept at the instance is the condition's object concept or one of its
// ancestors (a team-level feature stands for the role root "Team") and shows
// the required bit; a condition without an object concept is met by any
// feature of its group that shows the bit. An instance outside the list, or a
// feature whose object index is outside -1..22, beeps once per feature looked
// at and leaves its condition unmet. Asking for a group key the list never
// filed files an empty group under it.
bool RuleBodyHolds(FeatureList& list, const RuleObject& rule, int instance);
// The list's verdict, read as the learner's decision list (JRip's): the rules
// are asked in order, and the first whose body holds decides: covered for a
// positive rule, not covered for a negated one (a rule learnt for "OTHER"). A
// rule whose body fails passes on. When no rule decides, the list's default
// class does: the node's (covered) after a last rule that is negated, "OTHER"
// (not covered) after a positive one. An empty list covers everything here
// (ChunkCovers reads a learnt empty list as "FALSE"). Every check of a node's
// rules comes here.
bool RulesCover(FeatureList& list, const RuleList& rules, int instance);
// The verdict of the list holding just this rule: where its body holds for a
// positive rule, where it fails for a negated one.
bool RuleMatches(FeatureList& list, const RuleObject& rule, int instance);
// Whether the node's rules cover the instance as its exported rule says: a
// learnt rule list is read as RulesCover reads it, except that a list left
// empty (only the learner's default rule, shown "FALSE") covers nothing; the
// node "No Last Node" leaves out is no condition (covers everything). A node
// with no rules (not learnt, not asked) covers nothing here, yet no check
// counts it either way: the checks refuse such a node before they count.
bool ChunkCovers(FeatureList& list, const StrategyChunk& chunk, int instance);
// Counts the positive instances the rules cover (tp) and miss (fn), and the
// negative instances, except those that are also positive, they cover (fp) and
// miss (tn). Null outs are not written.
void EvaluateRules(FeatureList& list, const RuleList& rules, const std::vector<int>& positives,
                   const std::vector<int>& negatives, int* tp, int* fp, int* tn, int* fn);
// EvaluateRules on the list holding just this rule.
void EvaluateRule(FeatureList& list, const RuleObject& rule, const std::vector<int>& positives,
                  const std::vector<int>& negatives, int* tp, int* fp, int* tn, int* fn);
