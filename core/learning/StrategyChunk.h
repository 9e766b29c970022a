// A strategy node and what it was seen with.
//
// A StrategyChunk is one node of a strategy (a path through the action graph)
// with its rules, the state of its learning and the field states of the cycles
// it was seen in; a tFieldState is the snapshot of all 23 positions at one
// cycle.
#pragma once

#include "core/learning/Rules.h"
#include "core/model/Pitch.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

class ConceptObject;
class GraphNode;
class RoboCupFileT;

// What a node no learner was asked for reads.
inline constexpr const char* kNotAskedText = "no rules yet";

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
