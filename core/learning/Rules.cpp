#include "core/learning/Rules.h"

#include "core/model/Common.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/model/FeatureList.h"
#include "core/model/Format.h"
#include "core/learning/GraphNode.h"
#include "core/model/RoboCupFile.h"
#include "platform/Hooks.h"

#include <algorithm>
#include <array>
#include <unordered_set>

namespace {

constexpr double kNoMatchDistance = 99999.0;

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

// ---------------------------------------------------------------------------
// RuleObject

RuleObject::RuleObject(bool positive) : positive_(positive) {}

RuleObject::~RuleObject() = default;

void RuleObject::Clear()
{
    objectConcepts_.clear();
    featureKeys_.clear();
    values_.clear();
}

void RuleObject::AddCondition(ConceptObject* objectConcept, ConceptObject* featureKey, int value)
{
    objectConcepts_.push_back(objectConcept);
    featureKeys_.push_back(featureKey);
    values_.push_back(value);
}

ConceptObject* RuleObject::GetObjectConcept(int i) const
{
    return i >= 0 && i < Size() ? objectConcepts_[static_cast<std::size_t>(i)] : nullptr;
}

ConceptObject* RuleObject::GetFeatureKey(int i) const
{
    return i >= 0 && i < Size() ? featureKeys_[static_cast<std::size_t>(i)] : nullptr;
}

int RuleObject::GetValue(int i) const
{
    return i >= 0 && i < Size() ? values_[static_cast<std::size_t>(i)] : -1;
}

// ---------------------------------------------------------------------------
// Rules on a feature list

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

std::string RuleToString(const FeatureList* /*list*/, const RuleObject& rule, bool compact)
{
    std::string s;
    if (rule.Size() == 0)
        s = "TRUE";
    for (int c = 0; c < rule.Size(); ++c) {
        if (c > 0)
            s += compact ? " " : " AND ";
        const std::string name =
            ConceptObject::GetPathName(rule.GetObjectConcept(c)) + ":" + ConceptObject::GetPathName(rule.GetFeatureKey(c));
        // A condition that asks for the bit 0 keeps its "~" in the compact
        // form too: without it the text names the opposite condition.
        if (compact)
            s += (rule.GetValue(c) == 0 ? "~" : "") + name;
        else
            s += "(" + name + " = " + std::to_string(rule.GetValue(c)) + ")";
    }
    return rule.IsPositive() ? s : "~(" + s + ")";
}

std::string FormatActionRule(const tActionRule& rule)
{
    return "  tActionRule(_" + rule.action + "_, \"" + rule.condition + "\"),";
}

namespace {

// A list's text from some rule on: a constant, one rule's text, or rules
// joined by " OR " or by " AND ".
struct TListText {
    enum class Kind { True, False, Rule, Or, And };
    Kind kind = Kind::False;
    std::string text;
};

}  // namespace

std::string RulesToString(const FeatureList* list, const RuleList& rules, bool compact)
{
    using Kind = TListText::Kind;
    // Built from the end, where the default stands: a rule's text is joined
    // to the text of what it passes on to.
    const auto lastRule = std::find_if(rules.rbegin(), rules.rend(), [](const auto& rule) { return rule != nullptr; });
    TListText rest{lastRule != rules.rend() && !(*lastRule)->IsPositive() ? Kind::True : Kind::False, {}};
    for (auto it = rules.rbegin(); it != rules.rend(); ++it) {
        if (!*it)
            continue;
        const RuleObject& rule = **it;
        const bool positive = rule.IsPositive();
        // A rule without conditions decides whatever reaches it.
        if (rule.Size() == 0) {
            rest = {positive ? Kind::True : Kind::False, {}};
            continue;
        }
        // "A OR TRUE" and "~(A) AND FALSE" are constants; "A OR FALSE" and
        // "~(A) AND TRUE" are the rule alone.
        if (rest.kind == (positive ? Kind::True : Kind::False))
            continue;
        const std::string own = RuleToString(list, rule, compact);
        if (rest.kind == Kind::True || rest.kind == Kind::False) {
            rest = {Kind::Rule, own};
            continue;
        }
        const Kind join = positive ? Kind::Or : Kind::And;
        const std::string tail = rest.kind == Kind::Rule || rest.kind == join ? rest.text : "(" + rest.text + ")";
        rest = {join, own + (positive ? " OR " : " AND ") + tail};
    }
    switch (rest.kind) {
    case Kind::True: return "TRUE";
    case Kind::False: return "FALSE";
    case Kind::Rule:
    case Kind::Or:
    case Kind::And: break;
    }
    return rest.text;
}

std::string ChunkRulesText(const FeatureList* list, const StrategyChunk& chunk, bool compact)
{
    if (chunk.LacksRules())
        return chunk.NoRulesText();
    if (chunk.State() == TChunkState::LeftOut)
        return "TRUE";
    return RulesToString(list, chunk.GetRules(), compact);
}

// ---------------------------------------------------------------------------
// tFieldState

bool tFieldState::operator==(const tFieldState& other) const
{
    for (int i = 0; i < kObjects; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (x[k] != other.x[k] || y[k] != other.y[k])
            return false;
    }
    return true;
}

void tFieldState::Read(int atCycle, const RoboCupFileT& log)
{
    bool readable = atCycle >= 0 && atCycle < log.cycles;
    for (int i = 0; readable && i < kObjects; ++i) {
        const auto* xs = log.posXChannel[static_cast<std::size_t>(i)];
        const auto* ys = log.posYChannel[static_cast<std::size_t>(i)];
        readable = xs && ys && atCycle < xs->GetCount() && atCycle < ys->GetCount();
    }
    if (!readable) {
        platform::Beep();
        return;
    }
    cycle = atCycle;
    for (int i = 0; i < kObjects; ++i) {
        const auto k = static_cast<std::size_t>(i);
        x[k] = log.posXChannel[k]->Get(atCycle);
        y[k] = log.posYChannel[k]->Get(atCycle);
    }
}

// ---------------------------------------------------------------------------
// StrategyChunk

StrategyChunk::StrategyChunk(std::string name, ConceptObject* roleConcept, ConceptObject* actionConcept, double x,
                             double y, double value, bool isEnd)
    : isEnd_(isEnd),
      name_(std::move(name)),
      roleConcept_(roleConcept),
      actionConcept_(actionConcept),
      x_(x),
      y_(y),
      value_(value)
{
}

StrategyChunk::StrategyChunk(const StrategyChunk& other)
    : isEnd_(other.isEnd_),
      state_(other.state_),
      name_(other.name_),
      notLearnt_(other.notLearnt_),
      roleConcept_(other.roleConcept_),
      actionConcept_(other.actionConcept_),
      fieldStates_(other.fieldStates_),
      positiveCount_(other.positiveCount_),
      negativeCount_(other.negativeCount_),
      x_(other.x_),
      y_(other.y_),
      value_(other.value_)
{
    rules_.reserve(other.rules_.size());
    for (const auto& rule : other.rules_) {
        if (rule)
            rules_.push_back(std::make_unique<RuleObject>(*rule));
    }
}

StrategyChunk& StrategyChunk::operator=(const StrategyChunk& other)
{
    if (this != &other) {
        StrategyChunk copy(other);
        *this = std::move(copy);
    }
    return *this;
}

StrategyChunk::~StrategyChunk() = default;

void StrategyChunk::AddRule(std::unique_ptr<RuleObject> rule)
{
    if (!rule)
        return;
    rules_.push_back(std::move(rule));
    SetLearnt();
}

void StrategyChunk::SetNotLearnt(std::string reason)
{
    reason = OneLineText(std::move(reason));
    SetNoRules(TChunkState::NotLearnt);
    notLearnt_ = reason.empty() ? "no reason given" : std::move(reason);
}

std::string StrategyChunk::NoRulesText() const
{
    switch (state_) {
    case TChunkState::NotLearnt: return "not learnt: " + notLearnt_;
    case TChunkState::NotAsked: return kNotAskedText;
    case TChunkState::Learnt:
    case TChunkState::LeftOut: break;
    }
    return {};
}

void StrategyChunk::SetNoRules(TChunkState state)
{
    state_ = state;
    rules_.clear();
    notLearnt_.clear();
}

void StrategyChunk::AddFieldState(const tFieldState& state)
{
    for (const tFieldState& held : fieldStates_) {
        if (held == state)
            return;
    }
    fieldStates_.push_back(state);
}

double StrategyChunk::Distance(const StrategyChunk& a, const StrategyChunk& b, double wPos, double wRole,
                               double wAction)
{
    if (a.isEnd_ != b.isEnd_)
        return kNoMatchDistance;
    double d = 0.0;
    if (wPos != 0.0)
        d += wPos * PointDistance(a.x_, a.y_, b.x_, b.y_);
    if (wAction != 0.0)
        d += wAction * ConceptObject::Distance(a.actionConcept_, b.actionConcept_, 1.0);
    if (wRole != 0.0)
        d += wRole * ConceptObject::Distance(a.roleConcept_, b.roleConcept_, 1.0);
    return d;
}

double StrategyChunk::DistanceToNode(const StrategyChunk& chunk, const GraphNode& node, double wPos, double wRole,
                                     double wAction)
{
    const bool nodeIsEnd = node.OutWeight() == 0;
    if (chunk.isEnd_ != nodeIsEnd)
        return kNoMatchDistance;
    // A node without data stands for no concept: the hierarchy terms then say "unrelated".
    const TNodeConcepts* data = node.Data();
    ConceptObject* action = data ? data->action : nullptr;
    ConceptObject* role = data ? data->role : nullptr;
    double d = 0.0;
    if (wPos != 0.0)
        d += wPos * PointDistance(chunk.x_, chunk.y_, node.GetX(), node.GetY());
    if (wAction != 0.0)
        d += wAction * ConceptObject::Distance(chunk.actionConcept_, action, 1.0);
    if (wRole != 0.0)
        d += wRole * ConceptObject::Distance(chunk.roleConcept_, role, 1.0);
    return d;
}

bool StrategyChunk::MatchesNode(const StrategyChunk& chunk, const GraphNode& node, double wPos, double wRole,
                                double wAction, double maxDistance)
{
    const TNodeConcepts* data = node.Data();
    if (!data)
        return false;
    if (!ConceptObject::IsRelated(data->action, chunk.actionConcept_))
        return false;
    if (!ConceptObject::IsRelated(data->role, chunk.roleConcept_))
        return false;
    return DistanceToNode(chunk, node, wPos, wRole, wAction) <= maxDistance;
}
