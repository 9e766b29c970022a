#include "actiongraph/model/GraphBuilder.h"

#include "actiongraph/model/Actiongraph.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/model/RoboCupFile.h"
#include "platform/Random.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

ConceptObject* RoleAt(const RoboCupFileT& log, int object, int cycle)
{
    if (object < 0 || object >= RoboCupFileT::kObjectCount)
        return nullptr;
    const RoboCupFileT::LongChannel* channel = log.roleChannel[static_cast<std::size_t>(object)];
    if (!channel || cycle < 0 || cycle >= channel->GetCount())
        return nullptr;
    return ConceptFromHandle(channel->GetValues()[static_cast<std::size_t>(cycle)]);
}

std::string ActionNodeName(int object, ConceptObject* role, ConceptObject* action, const TNameDepths& depths)
{
    const std::string head = role ? depths.Role(role) : ObjectName(object);
    return head + ":" + depths.Action(action);
}

namespace {

std::unique_ptr<TNodeConcepts> Concepts(ConceptObject* action, ConceptObject* role)
{
    auto data = std::make_unique<TNodeConcepts>();
    data->action = action;
    data->role = role;
    return data;
}

// Pass 1: one connection per event, consecutive actions chained.
void AddEvents(const RoboCupFileT& log, int object, const TNameDepths& depths, TGraph& graph)
{
    TNode* previousEnd = nullptr;
    int previousOtherEnd = 0;
    for (const auto& e : log.events[static_cast<std::size_t>(object)]) {
        ConceptObject* role = RoleAt(log, object, e->start);
        const std::string name = ActionNodeName(object, role, e->action, depths);
        TNode* start = nullptr;
        // The chain goes on when this action starts right after the previous
        // one's OTHER end (the receiver's part of a pass), not its own end.
        if (previousEnd && e->start == previousOtherEnd + 1) {
            start = previousEnd;
            start->SetName(name);
        } else {
            start = graph.GetNode(graph.AddNode(name));
        }
        ConceptObject* playerRole = RoleAt(log, e->player, e->start);
        start->SetData(Concepts(e->action, playerRole));
        TNode* end = graph.GetNode(graph.AddNode(name + "-END"));
        end->SetData(Concepts(e->action, playerRole));
        TConnection* c = graph.AddConnection(name, start, end);
        TConnectionData d;
        d.start = e->start;
        d.duration = e->end - e->start + 1;
        d.player = e->player;
        d.other = e->other;
        d.otherLength = e->otherEnd - e->start + 1;
        d.partner = e->extra;
        c->AddData(d);
        previousEnd = end;
        previousOtherEnd = e->otherEnd;
    }
}

// The outgoing occurrences of the graph by (player, start cycle) and by
// (partner, start cycle), each listing the source nodes in the order the walk
// of passes 2 and 3 meets them (node index, out list, occurrence list). Moving
// targets (SetTo) never changes sources, so the index stays valid throughout.
class OccurrenceIndex {
public:
    explicit OccurrenceIndex(const TGraph& graph)
    {
        for (int i = 0; i < graph.NodeCount(); ++i) {
            TNode* node = graph.GetNode(i);
            for (const TConnection* c : node->OutList())
                for (const auto& d : c->Data()) {
                    if (!d)
                        continue;
                    Add(byPlayer_, d->player, d->start, node);
                    Add(byEither_, d->player, d->start, node);
                    if (d->partner != d->player)
                        Add(byEither_, d->partner, d->start, node);
                }
        }
    }
    // The first node from which an occurrence of the player starting at t leaves.
    TNode* FirstByPlayer(int player, int t) const
    {
        const auto it = byPlayer_.find(Key(player, t));
        return it == byPlayer_.end() ? nullptr : it->second.front();
    }
    // Every node (in walk order, once per matching connection) from which an
    // occurrence starting at t leaves whose player or partner is the player.
    const std::vector<TNode*>* ByPlayerOrPartner(int player, int t) const
    {
        const auto it = byEither_.find(Key(player, t));
        return it == byEither_.end() ? nullptr : &it->second;
    }

private:
    using Map = std::unordered_map<long long, std::vector<TNode*>>;
    static long long Key(int player, int t) { return (static_cast<long long>(player) << 32) ^ static_cast<unsigned>(t); }
    static void Add(Map& map, int player, int t, TNode* node) { map[Key(player, t)].push_back(node); }
    Map byPlayer_;
    Map byEither_;
};

}  // namespace

void BuildActionGraph(const RoboCupFileT& log, const TObjectChoice& takingPart, const TNameDepths& depths,
                      TGraph& graph)
{
    graph.Clear();
    for (int i = 0; i < RoboCupFileT::kObjectCount; ++i) {
        if (!(takingPart[static_cast<std::size_t>(i)] || takingPart[0]))
            continue;
        AddEvents(log, i, depths, graph);
    }
    OccurrenceIndex index(graph);

    // Pass 2: a pass goes on to the node where the receiver's next action
    // begins (the first such occurrence in walk order).
    for (int ci = 0; ci < graph.ConnectionCount(); ++ci) {
        TConnection* c = graph.GetConnection(ci);
        for (const auto& d : c->Data()) {
            if (!d || d->partner <= 0)
                continue;
            if (TNode* to = index.FirstByPlayer(d->partner, d->start + d->otherLength))
                c->SetTo(to);
            break;  // only the first occurrence with a partner counts
        }
    }

    // Pass 3: an action with no follower in its own chain goes on to the node
    // where an action of its player (or a pass to him) starts right after it.
    // Every match moves the connection again, so it ends at the last one in
    // walk order; nodes are visited in index order, the walk skips the node itself.
    const int nodes = graph.NodeCount();
    for (int k = 0; k < nodes; ++k) {
        TNode* node = graph.GetNode(k);
        if (!node->OutList().empty())
            continue;
        const std::vector<TConnection*> incoming = node->InList();
        for (TConnection* ic : incoming) {
            for (const auto& d : ic->Data()) {
                if (!d)
                    continue;
                const std::vector<TNode*>* matches = index.ByPlayerOrPartner(d->player, d->start + d->otherLength);
                if (!matches)
                    continue;
                for (TNode* m : *matches)
                    if (m != node)
                        ic->SetTo(m);
            }
        }
    }
}

int RemoveNodesWithDegreeBelow(TGraph& graph, int v)
{
    int removed = 0;
    int i = 0;
    while (i < graph.NodeCount()) {
        const TNode* n = graph.GetNode(i);
        if (n->InWeight() + n->OutWeight() < v) {
            graph.RemoveNodeAt(i);
            ++removed;
        } else {
            ++i;
        }
    }
    return removed;
}

void BuildDemoGraph1(TGraph& graph)
{
    struct DemoNode {
        const char* name;
        double x, y;
        std::uint32_t colour;
        ConceptObject* action;
    };
    const DemoNode table[] = {
        {"coAttackSupport", -17, -10, 0x0000FF, coAttackSupport}, {"coAttackSupport", 10, -13, 0x0000FF, coAttackSupport},
        {"coAttackSupport", -10, 15, 0x0000FF, coAttackSupport},  {"coAttackSupport", 14, 18, 0x0000FF, coAttackSupport},
        {"coLongDribble", 21, 22, 0xFF0000, coLongDribble},       {"coLongDribble", 29, 35, 0xFF0000, coLongDribble},
        {"coSpeedDribble", -40, 20, 0xFF0000, coSpeedDribble},    {"coSpeedDribble", -30, -30, 0xFF0000, coSpeedDribble},
        {"coCrossPass", -35, -27, TNode::kDefaultColour, coCrossPass},
        {"coCrossPass", -32, -34, TNode::kDefaultColour, coCrossPass},
        {"coThroughBall", -25, -28, TNode::kDefaultColour, coThroughBall},
        {"coThroughBall", 17, 17, TNode::kDefaultColour, coThroughBall},
    };
    struct DemoConnection {
        int from, to;
        const char* name;
    };
    const DemoConnection connections[] = {
        {0, 0, "Attack-support"},       {0, 1, "Attack-support"},       {0, 2, "Attack-support"},
        {0, 3, "Attack-support"},       {1, 1, "Attack-support"},       {1, 0, "Attack-support"},
        {1, 3, "Attack-support"},       {2, 3, "Attack-support"},       {2, 0, "Attack-support"},
        {3, 1, "Attack-support"},       {1, 4, "Attack-support"},       {4, 5, "Movement-on-the-ball"},
        {5, 6, "Movement-on-the-ball"}, {6, 7, "Movement-on-the-ball"}, {6, 4, "Movement-on-the-ball"},
        {7, 3, "Movement-on-the-ball"}, {8, 3, "Pass"},                 {9, 3, "Pass"},
        {10, 3, "Pass"},                {11, 5, "Pass"},
    };
    graph.Clear();
    for (const DemoNode& n : table)
        graph.AddNode(n.name);
    for (const DemoConnection& c : connections)
        graph.AddConnectionByIndex(c.name, c.from, c.to)->AddData(nullptr);
    for (int i = 0; i < graph.NodeCount(); ++i) {
        TNode* n = graph.GetNode(i);
        const DemoNode& d = table[i];
        n->SetX(d.x);
        n->SetY(d.y);
        n->SetColour(d.colour);
        n->SetData(Concepts(d.action, coLFW[0]));
    }
}

bool BuildDemoGraph2(const RoboCupFileT& log, int n, const TNameDepths& depths, TGraph& graph)
{
    if (n > 0 && n > log.cycles - 1)
        return false;
    graph.Clear();
    if (n <= 0)
        return true;
    ConceptObject* role = coLFW[0];
    ConceptObject* action = coSpeedDribble;
    const std::string name = depths.Role(role) + ":" + depths.Action(action);
    const int length = (log.cycles - 1) / n;
    TNode* previousEnd = nullptr;
    int start = 0;
    for (int k = 0; k < n; ++k) {
        const int object = 1 + platform::RandomBelow(22);
        if (k > 0)
            start += length;
        TNode* from = previousEnd;
        if (from)
            from->SetName(name);
        else
            from = graph.GetNode(graph.AddNode(name));
        from->SetData(Concepts(action, role));
        TNode* to = graph.GetNode(graph.AddNode(name + "-END"));
        to->SetData(Concepts(action, role));
        TConnectionData d;
        d.start = start;
        d.duration = length;
        d.player = object;
        d.other = object;
        d.otherLength = length;
        d.partner = -1;
        graph.AddConnection(name, from, to)->AddData(d);
        previousEnd = to;
    }
    return true;
}
