#include "strategy/model/StrategyChunks.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/GraphBuilder.h"
#include "actiongraph/model/PathObject.h"
#include "core/concepts/Concepts.h"
#include "core/model/Format.h"
#include "core/model/RoboCupFile.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unordered_set>

void DeleteChunks(TChunkList& chunks) { chunks.clear(); }

TChunkList CopyChunks(const TChunkList& chunks)
{
    TChunkList copies;
    copies.reserve(chunks.size());
    for (const auto& chunk : chunks) {
        if (chunk)
            copies.push_back(std::make_unique<StrategyChunk>(*chunk));
    }
    return copies;
}

std::vector<TNode*> PathNodes(const TPathObject& path)
{
    const auto& connections = path.Connections();
    std::vector<TNode*> nodes;
    if (connections.empty())
        return nodes;
    // Stored end first: the earliest connection is the last element.
    for (auto it = connections.rbegin(); it != connections.rend(); ++it) {
        if (!*it || !(*it)->From() || !(*it)->To())
            return {};
        nodes.push_back((*it)->From());
    }
    nodes.push_back(connections.front()->To());
    return nodes;
}

namespace {

bool OnPath(const TPathObject* path, const TConnection* c)
{
    if (!path)
        return true;
    const auto& list = path->Connections();
    return std::find(list.begin(), list.end(), c) != list.end();
}

// Appends each cycle not yet held, keeping the order found; a set keeps long
// duration ranges from costing a scan per cycle.
class CycleSink {
public:
    explicit CycleSink(std::vector<int>& out) : out_(out), held_(out.begin(), out.end()) {}
    void Add(int cycle)
    {
        if (held_.insert(cycle).second)
            out_.push_back(cycle);
    }

private:
    std::vector<int>& out_;
    std::unordered_set<int> held_;
};

}  // namespace

void CollectCycles(const TPathObject* path, const TNode* node, std::vector<int>& out, TDurationMode mode,
                   bool outgoing)
{
    if (!node)
        return;
    CycleSink sink(out);
    for (const TConnection* c : outgoing ? node->OutList() : node->InList()) {
        if (!OnPath(path, c))
            continue;
        for (const auto& d : c->Data()) {
            if (!d || d->otherLength == 0)
                continue;
            if (!outgoing) {
                sink.Add(d->start + d->otherLength - 1);
                continue;
            }
            int last = d->start;
            if (mode == TDurationMode::Duration)
                last = d->start + d->duration - 1;
            else if (mode == TDurationMode::Visual)
                last = d->start + d->otherLength - 1;
            for (int cycle = d->start; cycle <= last; ++cycle)
                sink.Add(cycle);
        }
    }
}

ConceptObject* ShownRole(const TPathObject& path, const TNode* node, bool final, const RoboCupFileT* log)
{
    if (!node || !log)
        return nullptr;
    ConceptObject* role = nullptr;
    for (const TConnection* c : final ? node->InList() : node->OutList()) {
        if (!OnPath(&path, c))
            continue;
        for (const auto& d : c->Data()) {
            if (d && d->otherLength != 0)
                role = ConceptObject::CommonAncestor(role, RoleAt(*log, d->player, d->start));
        }
    }
    return role;
}

std::size_t TFieldStateHash::operator()(const tFieldState& s) const
{
    std::uint64_t h = 1469598103934665603ull;
    auto mix = [&h](double v) {
        std::uint64_t bits = 0;
        if (v == 0.0)
            v = 0.0;  // -0.0 equals 0.0
        std::memcpy(&bits, &v, sizeof bits);
        h = (h ^ bits) * 1099511628211ull;
    };
    for (const double v : s.x)
        mix(v);
    for (const double v : s.y)
        mix(v);
    return static_cast<std::size_t>(h);
}

std::vector<TStrategyColumn> BuildStrategy(const TPathObject& path, const RoboCupFileT* log,
                                           const TStrategyOptions& options, TChunkList& out)
{
    DeleteChunks(out);
    std::vector<TStrategyColumn> columns;
    const std::vector<TNode*> nodes = PathNodes(path);
    for (std::size_t k = 0; k < nodes.size(); ++k) {
        const TNode* node = nodes[k];
        const bool final = k + 1 == nodes.size();
        const TNodeConcepts* concepts = node->Data();
        ConceptObject* action = concepts ? concepts->action : nullptr;
        ConceptObject* ownRole = concepts ? concepts->role : nullptr;
        std::string name = options.depths.Action(action);
        if (final)
            name += " (end)";
        ConceptObject* shown = ShownRole(path, node, final, log);
        std::string position = "(";
        position += FormatFloatFixed(node->GetX(), 7, 2);
        position += ", ";
        position += FormatFloatFixed(node->GetY(), 7, 2);
        position += ')';
        columns.push_back({shown ? options.depths.Role(shown) : std::string(), name, std::move(position)});
        auto chunk = std::make_unique<StrategyChunk>(name, ownRole, action, node->GetX(), node->GetY(), options.value,
                                                     node->OutWeight() == 0);
        if (log) {
            std::vector<int> cycles;
            CollectCycles(options.strictTimes ? &path : nullptr, node, cycles, options.duration, !final);
            AddCycleStates(*chunk, cycles, *log);
        }
        out.push_back(std::move(chunk));
    }
    return columns;
}

void AddCycleStates(StrategyChunk& chunk, const std::vector<int>& cycles, const RoboCupFileT& log)
{
    auto& states = chunk.GetFieldStates();
    std::unordered_set<tFieldState, TFieldStateHash> held(states.begin(), states.end());
    for (const int cycle : cycles) {
        tFieldState state;
        state.Read(cycle, log);  // beeps for a cycle outside the log
        if (cycle < 0 || cycle >= log.cycles)
            continue;
        // The set has already told equal states apart: appending directly
        // spares the chunk's own linear search.
        if (held.insert(state).second)
            states.push_back(state);
    }
}
