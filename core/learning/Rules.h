// The rule model of strategy learning.
//
// A RuleObject is a conjunction of conditions over a log's features: each
// condition names an object concept (normally a role), a feature group key and
// the bit the group's feature must show. A list of rules is read as a decision
// list. A StrategyChunk is one node of a strategy (a path through the action
// graph) with its rules and the field states of the cycles it was seen in; a
// tFieldState is the snapshot of all 23 positions at one cycle.
#pragma once

#include "core/model/Pitch.h"

#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class ConceptObject;
class FeatureList;
class GraphNode;
class RoboCupFileT;

class RuleObject {
public:
    // No conditions; false makes the rule negated.
    explicit RuleObject(bool positive);
    RuleObject(const RuleObject&) = default;
    RuleObject& operator=(const RuleObject&) = default;
    virtual ~RuleObject();

    // Removes every condition; the polarity stays.
    void Clear();
    // Appends a condition: an object standing for objectConcept must show
    // value (0 or 1) in a feature of the group featureKey. The rule owns
    // neither concept.
    void AddCondition(ConceptObject* objectConcept, ConceptObject* featureKey, int value);
    int Size() const { return static_cast<int>(values_.size()); }
    // The i-th condition's parts; null (value -1) when i is not a condition.
    ConceptObject* GetObjectConcept(int i) const;
    ConceptObject* GetFeatureKey(int i) const;
    int GetValue(int i) const;
    bool IsPositive() const { return positive_; }
    void SetPositive(bool positive) { positive_ = positive; }

private:
    std::vector<ConceptObject*> objectConcepts_;
    std::vector<ConceptObject*> featureKeys_;
    std::vector<int> values_;
    bool positive_ = true;
};

// A decision list; the list owns its rules.
using RuleList = std::vector<std::unique_ptr<RuleObject>>;

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
class StrategyChunk;
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
// What a node no learner was asked for reads.
inline constexpr const char* kNotAskedText = "no rules yet";

// One entry of the rule table that the rule export writes as source text: the
// action (the strategy node's name, as an identifier) and its rule's text.
struct tActionRule {
    std::string action;
    std::string condition;
};
// The entry as one line of that table: "  tActionRule(_<action>_, "<condition>"),".
std::string FormatActionRule(const tActionRule& rule);

// The positions of all 23 objects at one cycle.
struct tFieldState {
    static constexpr int kObjects = pitch::kObjectCount;

    int cycle = 0;
    std::array<double, kObjects> x{};
    std::array<double, kObjects> y{};

    // Equal positions, compared exactly; the cycle does not count.
    bool operator==(const tFieldState& other) const;
    // Takes the cycle and every object's position at it from the log's position
    // channels. A cycle outside the log beeps and leaves the state as it was.
    void Read(int cycle, const RoboCupFileT& log);
};

// How a strategy node stands as to its rules. A new node is NotAsked: its
// examples may be built, but no learner was asked for it since.
enum class TChunkState {
    NotAsked,
    // A rule list from a learner or the program's own top-feature rule; a
    // list left empty (the learner's default rule only) reads "FALSE".
    Learnt,
    // A learner was asked and gave no rule list (refused, failed, cancelled,
    // its dataset not written, no result): NotLearnt() says why.
    NotLearnt,
    // The last node, which "No Last Node" leaves out: no condition, so it
    // covers every cycle and reads "TRUE".
    LeftOut,
};

class StrategyChunk {
public:
    StrategyChunk(std::string name, ConceptObject* roleConcept, ConceptObject* actionConcept, double x, double y,
                  double value, bool isEnd);
    // Copies hold their own copies of the rules: deleting one chunk never
    // leaves another with freed rules.
    StrategyChunk(const StrategyChunk& other);
    StrategyChunk& operator=(const StrategyChunk& other);
    StrategyChunk(StrategyChunk&&) noexcept = default;
    StrategyChunk& operator=(StrategyChunk&&) noexcept = default;
    virtual ~StrategyChunk();

    std::string GetName() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    ConceptObject* GetRoleConcept() const { return roleConcept_; }
    ConceptObject* GetActionConcept() const { return actionConcept_; }
    double GetX() const { return x_; }
    double GetY() const { return y_; }
    double GetValue() const { return value_; }
    bool IsEnd() const { return isEnd_; }
    int GetPositiveCount() const { return positiveCount_; }
    void SetPositiveCount(int n) { positiveCount_ = n; }
    int GetNegativeCount() const { return negativeCount_; }
    void SetNegativeCount(int n) { negativeCount_ = n; }
    TChunkState State() const { return state_; }
    // Why the learner gave no rule list for the node; "" in every other state.
    const std::string& NotLearnt() const { return notLearnt_; }
    // Not learnt for the reason (in one line of printable characters; an
    // empty reason reads "no reason given"): the node loses its rules.
    void SetNotLearnt(std::string reason);
    // A learner gave a whole list (maybe only its default rule: "FALSE").
    void SetLearnt() { state_ = TChunkState::Learnt; notLearnt_.clear(); }
    // Without rules and reason: no learner asked since (or, left out, none ever).
    void SetNotAsked() { SetNoRules(TChunkState::NotAsked); }
    void SetLeftOut() { SetNoRules(TChunkState::LeftOut); }

    // Whether the node has a rule list: it is learnt.
    bool HasRuleList() const { return state_ == TChunkState::Learnt; }
    // Whether the node has no rules a check could ask: it was not learnt, or
    // no learner was asked. No check covers or misses a cycle of it, and no
    // table holds it as an entry.
    bool LacksRules() const { return state_ == TChunkState::NotLearnt || state_ == TChunkState::NotAsked; }
    // Why such a node has no rules: "not learnt: <reason>" or "no rules yet"
    // (kNotAskedText); "" in the other states.
    std::string NoRulesText() const;
    // Appends the rule, which the chunk then owns, and makes the chunk learnt;
    // a null rule is not added.
    void AddRule(std::unique_ptr<RuleObject> rule);
    RuleList& GetRules() { return rules_; }
    const RuleList& GetRules() const { return rules_; }
    // Appends a copy unless a state with equal positions is already held.
    void AddFieldState(const tFieldState& state);
    std::vector<tFieldState>& GetFieldStates() { return fieldStates_; }
    const std::vector<tFieldState>& GetFieldStates() const { return fieldStates_; }

    // 99999.0 when the end flags differ; otherwise the weighted sum of the
    // positions' distance and the hierarchy distances of the actions and of the
    // roles, a term with weight 0.0 left out.
    static double Distance(const StrategyChunk& a, const StrategyChunk& b, double wPos, double wRole,
                           double wAction);
    // The same against an action-graph node, which is an end node when it has no
    // outgoing weight.
    static double DistanceToNode(const StrategyChunk& chunk, const GraphNode& node, double wPos, double wRole,
                                 double wAction);
    // The node's action and role are related to the chunk's, and the node lies
    // within maxDistance.
    static bool MatchesNode(const StrategyChunk& chunk, const GraphNode& node, double wPos, double wRole,
                            double wAction, double maxDistance);

private:
    void SetNoRules(TChunkState state);

    bool isEnd_ = false;
    TChunkState state_ = TChunkState::NotAsked;
    std::string name_;
    std::string notLearnt_;
    ConceptObject* roleConcept_ = nullptr;
    ConceptObject* actionConcept_ = nullptr;
    RuleList rules_;
    std::vector<tFieldState> fieldStates_;
    int positiveCount_ = 0;
    int negativeCount_ = 0;
    double x_ = 0.0;
    double y_ = 0.0;
    double value_ = 0.0;
};
