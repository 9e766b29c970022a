#include "core/learning/StrategyChunk.h"

#include "core/concepts/Concepts.h"
#include "core/learning/GraphNode.h"
#include "core/model/Common.h"
#include "core/model/Format.h"
#include "core/model/RoboCupFile.h"
#include "platform/Hooks.h"

namespace {

constexpr double kNoMatchDistance = 99999.0;

}  // namespace

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
