#include "actiongraph/model/ExampleClasses.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/GraphBuilder.h"
#include "actiongraph/model/NodeView.h"
#include "actiongraph/model/PathObject.h"
#include "core/concepts/Concepts.h"
#include "core/learning/Features.h"
#include "core/model/Pitch.h"
#include "core/model/RoboCupFile.h"

#include <algorithm>
#include <map>
#include <unordered_map>
#include <utility>

namespace {

std::string PathOrNone(ConceptObject* node, int depth)
{
    return node ? ConceptObject::GetPathName(node, depth) : std::string("none");
}

bool InPath(const TPathObject* path, const TConnection* c)
{
    if (!path)
        return false;
    const auto& list = path->Connections();
    return std::find(list.begin(), list.end(), c) != list.end();
}

// Fills the lists of one data mode; class names go in once each.
class ExampleBuilder {
public:
    ExampleBuilder(const TGraph& graph, const TNameDepths& depths, TExampleLists& lists)
        : graph_(graph), depths_(depths), lists_(lists)
    {
    }

    int ClassOf(const std::string& name)
    {
        const auto [it, added] = index_.emplace(name, static_cast<int>(lists_.classNames.size()));
        if (added)
            lists_.classNames.push_back(name);
        return it->second;
    }
    int ClassOf(const TNode* node) { return ClassOf(NodeClassName(graph_, node, depths_)); }

    void Example(int cycle, int cls, bool marked)
    {
        lists_.cycles.push_back(cycle);
        lists_.classes.push_back(cls);
        if (marked)
            lists_.marked.push_back(cycle);
    }

    // Every counted occurrence of the node's connections: the outgoing ones'
    // starts, for an end node the incoming ones' last cycles. classOf gives
    // the class of a connection, or -1 to pass it over.
    template <typename ClassOfConnection, typename Marked>
    void NodeExamples(const TNode* node, ClassOfConnection classOf, Marked marked)
    {
        const bool end = node->OutList().empty();
        for (const TConnection* c : end ? node->InList() : node->OutList()) {
            int cls = -1;
            for (const auto& d : c->Data()) {
                if (!d || d->otherLength == 0)
                    continue;
                // A class name goes in with its first example.
                if (cls < 0 && (cls = classOf(c)) < 0)
                    break;
                Example(end ? d->start + d->otherLength - 1 : d->start, cls, marked(cls));
            }
        }
    }

private:
    const TGraph& graph_;
    TNameDepths depths_;
    TExampleLists& lists_;
    std::unordered_map<std::string, int> index_;
};

// Modes 5 to 9: the path connections of each node (its outgoing ones, or for
// a node none of whose outgoing connections is on the path, the incoming ones
// on it); modes 6 and 7 take the node's other outgoing connections as class 0.
void PathModeExamples(ExampleBuilder& b, const TGraph& graph, int mode, TNode* selected, const TPathObject* path)
{
    auto walk = [&](TNode* node) {
        const bool others = mode == 6 || mode == 7;
        // The class of the node's path examples and whether they are marked.
        auto pathClass = [&]() -> int {
            switch (mode) {
            case 6: return 1;
            case 8: return node == selected ? b.ClassOf(selected) : 0;
            default: return b.ClassOf(node);
            }
        };
        const bool markPath = mode != 8 || node == selected;
        bool onPath = false;
        for (const TConnection* c : node->OutList()) {
            const bool in = InPath(path, c);
            onPath = onPath || in;
            if (!in && !others)
                continue;
            int cls = -1;
            for (const auto& d : c->Data())
                if (d && d->otherLength != 0) {
                    if (cls < 0)
                        cls = in ? pathClass() : 0;
                    b.Example(d->start, cls, in && markPath);
                }
        }
        if (onPath)
            return;
        for (const TConnection* c : node->InList()) {
            if (!InPath(path, c))
                continue;
            int cls = -1;
            for (const auto& d : c->Data())
                if (d && d->otherLength != 0) {
                    if (cls < 0)
                        cls = pathClass();
                    b.Example(d->start + d->otherLength - 1, cls, markPath);
                }
        }
    };
    if (mode == 9) {
        walk(selected);
        return;
    }
    for (int i = 0; i < graph.NodeCount(); ++i)
        walk(graph.GetNode(i));
}

}  // namespace

std::string NodeClassName(const TGraph& graph, const TNode* node, const TNameDepths& depths)
{
    const TNodeConcepts* data = node ? node->Data() : nullptr;
    return PathOrNone(data ? data->role : nullptr, depths.role) + "_" +
           PathOrNone(data ? data->action : nullptr, depths.action) + "_" + std::to_string(graph.IndexOfNode(node));
}

TMarkProblem MarkExampleCycles(const TGraph& graph, int mode, TNode* selected, const TPathObject* path,
                               double epsilon, const TNodeDistanceFn& distance, const TNameDepths& depths,
                               TExampleLists& lists)
{
    lists = {};
    ExampleBuilder b(graph, depths, lists);
    const bool needsNode = mode == 1 || mode == 3 || mode == 4 || mode == 8 || mode == 9;
    const bool needsPath = mode == 2 || mode >= 5;
    if (mode == 1) {
        b.ClassOf("OTHER");
        b.ClassOf("SELECTED");
    }
    if (needsNode && !selected)
        return TMarkProblem::NoNode;
    if (needsPath && !path)
        return TMarkProblem::NoPath;
    auto every = [](int) { return true; };
    auto first = [](int cls) { return cls == 1; };
    switch (mode) {
    case 0:
        for (int i = 0; i < graph.NodeCount(); ++i) {
            const TNode* node = graph.GetNode(i);
            b.NodeExamples(node, [&](const TConnection*) { return b.ClassOf(node); }, every);
        }
        break;
    case 1:
        for (int i = 0; i < graph.NodeCount(); ++i) {
            const TNode* node = graph.GetNode(i);
            const int cls = node == selected ? 1 : 0;
            b.NodeExamples(node, [cls](const TConnection*) { return cls; }, first);
        }
        break;
    case 2:
        b.ClassOf("OTHER");
        b.ClassOf("PATH");
        for (int i = 0; i < graph.NodeCount(); ++i)
            b.NodeExamples(graph.GetNode(i), [&](const TConnection* c) { return InPath(path, c) ? 1 : 0; }, first);
        break;
    case 3: {
        b.ClassOf(selected);
        const bool end = selected->OutList().empty();
        b.NodeExamples(
            selected,
            [&](const TConnection* c) {
                const TNode* next = end ? c->From() : c->To();
                return next ? b.ClassOf(next) : -1;
            },
            every);
        break;
    }
    case 4: {
        const int cls = b.ClassOf(selected);
        b.NodeExamples(selected, [cls](const TConnection*) { return cls; }, every);
        break;
    }
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
        if (mode == 6 || mode == 7 || mode == 8)
            b.ClassOf("OTHER");
        if (mode == 6)
            b.ClassOf("PATH");
        PathModeExamples(b, graph, mode, selected, path);
        break;
    default: break;
    }
    if (epsilon > 0.0) {
        lists.marked.clear();
        if (selected)
            for (int i = 0; i < graph.NodeCount(); ++i) {
                TNode* node = graph.GetNode(i);
                if (distance(node, selected) < epsilon)
                    CollectNodeCycles(nullptr, node, lists.marked, false);
            }
    }
    return TMarkProblem::None;
}

int CountRuleCoverage(const RoboCupFileT& log, int roleDepth, const std::string& rule, int conditions,
                      std::vector<int>& counts, const std::vector<int>& cycles, const std::vector<int>& classes,
                      double* avgDepth)
{
    std::fill(counts.begin(), counts.end(), 0);
    if (conditions == 0)
        return 0;
    std::string text = rule;
    std::replace(text.begin(), text.end(), ' ', '!');
    if (avgDepth)
        *avgDepth = 0.0;
    const FeatureList* list = log.features.get();
    if (!list)
        return 0;
    const int n = list->GetNumFeatures();
    // Whether an item occurs in the rule depends only on its prefix and the
    // feature's group: the answers are kept for the examples that follow.
    auto occurs = [&](const std::string& prefix, ConceptObject* group) {
        const std::string item = prefix + ":" + (group ? ConceptObject::GetPathName(group) : std::string()) + "!";
        return text.find(item) != std::string::npos;
    };
    std::vector<signed char> plainHit(static_cast<std::size_t>(n), -1);
    std::map<std::pair<ConceptObject*, ConceptObject*>, bool> roleHit;
    auto hit = [&](int f, int t) {
        const int object = list->GetObjectIndex(f);
        ConceptObject* group = list->GetGroupKey(f);
        if (ConceptObject* role = object >= 0 ? RoleAt(log, object, t) : nullptr) {
            const auto key = std::make_pair(role, group);
            auto it = roleHit.find(key);
            if (it == roleHit.end())
                it = roleHit.emplace(key, occurs(ConceptObject::GetPathName(role, roleDepth), group)).first;
            return it->second;
        }
        signed char& known = plainHit[static_cast<std::size_t>(f)];
        if (known < 0)
            known = occurs(object < 0 ? std::string("Team") : ObjectName(object), group) ? 1 : 0;
        return known == 1;
    };
    int covered = 0;
    int over = 0;
    double depth = 0.0;
    for (std::size_t i = 0; i < cycles.size(); ++i) {
        const int t = cycles[i];
        if (t < 0 || t >= list->GetNumInstances())
            continue;
        int hits = 0;
        double sum = 0.0;
        for (int f = 0; f < n; ++f) {
            if (!list->GetBit(f, t))
                continue;
            if (hit(f, t)) {
                ++hits;
                const ConceptObject* group = list->GetGroupKey(f);
                sum += group ? group->GetLevel() : 0;
            }
        }
        if (hits == conditions) {
            const int cls = i < classes.size() ? classes[i] : 0;
            if (cls >= 0 && static_cast<std::size_t>(cls) < counts.size())
                ++counts[static_cast<std::size_t>(cls)];
            depth += sum / hits;
            ++covered;
        } else if (hits > conditions) {
            ++over;
        }
    }
    if (avgDepth)
        *avgDepth = covered > 0 ? depth / covered : 0.0;
    return over;
}

std::vector<int> NodeMarkCycles(const TGraph& graph, const TNode* selected, const TPathObject* path)
{
    std::vector<int> cycles;
    auto counts = [path](const TConnection* c) {
        if (!path)
            return true;
        const auto& list = path->Connections();
        return std::find(list.begin(), list.end(), c) != list.end();
    };
    auto node = [&](const TNode* n) {
        if (!n->OutList().empty()) {
            for (const TConnection* c : n->OutList())
                if (counts(c))
                    for (const auto& d : c->Data())
                        if (d)
                            for (int t = d->start; t < d->start + d->duration; ++t)
                                cycles.push_back(t);
            return;
        }
        for (const TConnection* c : n->InList())
            if (counts(c))
                for (const auto& d : c->Data())
                    if (d && d->start + d->otherLength > 0)
                        cycles.push_back(d->start + d->otherLength - 1);
    };
    if (selected)
        node(selected);
    else
        for (int i = 0; i < graph.NodeCount(); ++i)
            node(graph.GetNode(i));
    return cycles;
}

namespace {

void OccurrenceSpans(const TConnection& c, std::vector<int>& cycles)
{
    for (const auto& d : c.Data())
        if (d)
            for (int t = d->start; t < d->start + d->otherLength; ++t)
                cycles.push_back(t);
}

}  // namespace

std::vector<int> EdgeMarkCycles(const TGraph& graph, const std::string& filter)
{
    std::vector<int> cycles;
    for (int i = 0; i < graph.ConnectionCount(); ++i) {
        const TConnection* c = graph.GetConnection(i);
        if (!filter.empty() && (!c->From() || c->From()->GetName().find(filter) == std::string::npos))
            continue;
        OccurrenceSpans(*c, cycles);
    }
    return cycles;
}

std::vector<int> PathMarkCycles(const TPathObject& path)
{
    std::vector<int> cycles;
    for (const TConnection* c : path.Connections())
        if (c)
            OccurrenceSpans(*c, cycles);
    return cycles;
}
