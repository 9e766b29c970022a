// The texts of rules: one rule, a decision list as one condition that means
// what the list covers, a node's rules as its state says, and the entries of
// the rule table the rule export writes.
#pragma once

#include "core/learning/Rules.h"

#include <string>

class FeatureList;
class StrategyChunk;

// The rule as text: "TRUE" without conditions; full: "(role:group = bit)"
// joined by " AND "; compact: "role:group" joined by " ", with "~" before a
// condition that asks for the bit 0; a negated rule is wrapped in "~(" ")". The feature list is not consulted (it may be null).
std::string RuleToString(const FeatureList* list, const RuleObject& rule, bool compact);
// The list as one condition that means what RulesCover reads: "FALSE" for an
// empty list. A run of positive rules is joined by " OR ", a run of negated
// ones ("~(...)") by " AND ", and what follows a run is nested after it in
// parentheses ("A OR (~(B) AND C)"), so that a mixed list keeps its order. A
// rule without conditions decides every instance that reaches it: it ends the
// text as "TRUE" (positive) or "FALSE" (negated), and "OR FALSE" and
// "AND TRUE" are left out, as is the default after the last rule: JRip's
// "A => OTHER; B => OTHER; => node" reads "~(A) AND ~(B)".
std::string RulesToString(const FeatureList* list, const RuleList& rules, bool compact);
// The chunk's rules as its state says: a learnt list as RulesToString gives
// it ("FALSE" when empty), "not learnt: <reason>", "no rules yet" for a node
// no learner was asked for, "TRUE" for the node "No Last Node" leaves out.
std::string ChunkRulesText(const FeatureList* list, const StrategyChunk& chunk, bool compact);

// One entry of the rule table that the rule export writes as source text: the
// action (the strategy node's name, as an identifier) and its rule's text.
struct tActionRule {
    std::string action;
    std::string condition;
};
// The entry as one line of that table: "  tActionRule(_<action>_, "<condition>"),".
std::string FormatActionRule(const tActionRule& rule);
