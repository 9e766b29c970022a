#include "strategy/model/StrategySimilar.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/PathObject.h"
#include "core/concepts/Concepts.h"
#include "core/model/RoboCupFile.h"

#include <algorithm>
#include <charconv>

namespace {

ConceptObject* ActionOf(const TNode* node) { return node && node->Data() ? node->Data()->action : nullptr; }
ConceptObject* RoleOf(const TNode* node) { return node && node->Data() ? node->Data()->role : nullptr; }

// The state of the log at the cycle; false (after the read's beep) outside it.
bool ReadState(int cycle, const RoboCupFileT& log, tFieldState& state)
{
    state.Read(cycle, log);
    return cycle >= 0 && cycle < log.cycles;
}

// Whether a state of one of the node's first cycles is held by states.
bool OccursAt(const TFieldStateSet& states, const TPathObject* path, const TNode* node, bool final,
              const RoboCupFileT& log)
{
    if (states.empty())
        return false;
    std::vector<int> cycles;
    CollectCycles(path, node, cycles, TDurationMode::FirstCycle, !final);
    tFieldState state;
    for (const int cycle : cycles) {
        if (ReadState(cycle, log, state) && states.count(state) > 0)
            return true;
    }
    return false;
}

}  // namespace

bool PathDistance(const TPathObject* a, const TPathObject* b, double t, bool avgMode, double& d,
                  const TNodeDistance& nodeDistance)
{
    d = 0.0;
    if (!a || !b || a->Connections().size() != b->Connections().size() || a->Connections().empty())
        return false;
    const auto& ca = a->Connections();
    const auto& cb = b->Connections();
    const std::size_t n = ca.size();
    d = nodeDistance(ca[0]->To(), cb[0]->To());
    if (!avgMode && d > t)
        return false;
    bool similar = true;
    for (std::size_t i = 0; i < n; ++i) {
        TNode* na = ca[i]->From();
        TNode* nb = cb[i]->From();
        if (t == 0.0 && (!ConceptObject::IsRelated(ActionOf(na), ActionOf(nb)) ||
                         !ConceptObject::IsRelated(RoleOf(na), RoleOf(nb)))) {
            similar = false;
            break;
        }
        const double dist = nodeDistance(na, nb);
        if (!avgMode && dist > t) {
            similar = false;
            break;
        }
        d += dist;
    }
    d /= static_cast<double>(n + 1);
    if (t > 0.0 && d > t)
        return false;
    return similar;
}

std::string SimilarLine(double distance, int count, const std::string& text)
{
    // Fixed notation without the locale's separator, as printf's "%10.2f".
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, distance, std::chars_format::fixed, 2);
    std::string value(buf, result.ptr);
    if (value.size() < 10)
        value.insert(0, 10 - value.size(), ' ');
    return value + " - " + std::to_string(count) + (count >= 3 ? " TARGET - " : " - ") + text;
}

TFieldStateSet StatesOfChunks(const TChunkList& chunks)
{
    TFieldStateSet states;
    for (const auto& chunk : chunks) {
        if (chunk)
            states.insert(chunk->GetFieldStates().begin(), chunk->GetFieldStates().end());
    }
    return states;
}

std::vector<TFieldStateSet> StatesPerChunk(const TChunkList& chunks)
{
    std::vector<TFieldStateSet> sets;
    sets.reserve(chunks.size());
    for (const auto& chunk : chunks) {
        sets.emplace_back();
        if (chunk)
            sets.back().insert(chunk->GetFieldStates().begin(), chunk->GetFieldStates().end());
    }
    return sets;
}

int CountTargetChunks(const TFieldStateSet& states, const TPathObject& path, const RoboCupFileT& log, bool strict)
{
    const std::vector<TNode*> nodes = PathNodes(path);
    int count = 0;
    for (std::size_t k = 0; k < nodes.size(); ++k) {
        if (OccursAt(states, strict ? &path : nullptr, nodes[k], k + 1 == nodes.size(), log))
            ++count;
    }
    return count;
}

bool MatchTestChunks(const TPathObject& path, const std::vector<TFieldStateSet>& chunkStates,
                     const RoboCupFileT& log)
{
    if (chunkStates.size() != path.Connections().size() + 1)
        return false;
    const std::vector<TNode*> nodes = PathNodes(path);
    if (nodes.size() != chunkStates.size())
        return false;
    for (std::size_t k = 0; k < nodes.size(); ++k) {
        if (!OccursAt(chunkStates[k], nullptr, nodes[k], k + 1 == nodes.size(), log))
            return false;
    }
    return true;
}

bool StrategyStartsAt(const TPathObject& path, int cycle)
{
    const std::vector<TNode*> nodes = PathNodes(path);
    if (nodes.empty())
        return false;
    std::vector<int> cycles;
    CollectCycles(&path, nodes.front(), cycles, TDurationMode::FirstCycle, true);
    return std::find(cycles.begin(), cycles.end(), cycle) != cycles.end();
}

TPathList FilterStrategies(const TPathList& all, const std::string& filter)
{
    TPathList kept(false);
    for (const TPathItem& item : all.Items()) {
        if (filter.empty() || item.text.find(filter) != std::string::npos)
            kept.Add(item.text, item.path);
    }
    return kept;
}

int CountStrategies(const TPathList& items)
{
    int count = 0;
    for (const TPathItem& item : items.Items())
        count += item.path && item.text != "All paths" ? 1 : 0;
    return count;
}
