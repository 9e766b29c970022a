#include "actiongraph/model/GraphFiles.h"

#include "actiongraph/model/Actiongraph.h"
#include "platform/SaveFile.h"

#include <functional>
#include <unordered_map>

GraphFileData GraphFileSnapshot(const TGraph& graph)
{
    GraphFileData data;
    std::unordered_map<const TNode*, int> nodeIndex;
    std::unordered_map<const TConnection*, int> connectionIndex;
    for (int i = 0; i < graph.NodeCount(); ++i)
        nodeIndex.emplace(graph.GetNode(i), i);
    for (int i = 0; i < graph.ConnectionCount(); ++i)
        connectionIndex.emplace(graph.GetConnection(i), i);
    data.connections.reserve(static_cast<std::size_t>(graph.ConnectionCount()));
    for (int i = 0; i < graph.ConnectionCount(); ++i) {
        const TConnection* c = graph.GetConnection(i);
        GraphFileData::Connection& fc = data.connections.emplace_back();
        fc.name = c->GetName();
        fc.source = nodeIndex.at(c->From());
        fc.target = nodeIndex.at(c->To());
        fc.weight = c->Weight();
        for (const auto& occurrence : c->Data())
            if (occurrence)
                fc.starts.push_back(occurrence->start);
    }
    data.nodes.reserve(static_cast<std::size_t>(graph.NodeCount()));
    for (int i = 0; i < graph.NodeCount(); ++i) {
        const TNode* node = graph.GetNode(i);
        GraphFileData::Node& fn = data.nodes.emplace_back();
        fn.name = node->GetName();
        fn.x = node->GetX();
        fn.y = node->GetY();
        fn.inWeight = node->InWeight();
        fn.outWeight = node->OutWeight();
        for (const TConnection* c : node->InList())
            fn.in.push_back(connectionIndex.at(c));
        for (const TConnection* c : node->OutList())
            fn.out.push_back(connectionIndex.at(c));
    }
    return data;
}

namespace {

bool WriteFile(const std::string& fileName, const std::function<void(std::ostream&)>& write,
               platform::SaveError* error)
{
    return platform::SaveFile(fileName, write, error);
}

}  // namespace

bool SaveGML(const TGraph& graph, const std::string& fileName, bool thinEdges, bool fixedNodeSize,
             const std::string& filter, platform::SaveError* error)
{
    const GraphFileData data = GraphFileSnapshot(graph);
    return WriteFile(
        fileName, [&](std::ostream& out) { WriteGraphGml(out, data, thinEdges, fixedNodeSize, filter); }, error);
}

bool SavePajek(const TGraph& graph, const std::string& fileName, platform::SaveError* error)
{
    const GraphFileData data = GraphFileSnapshot(graph);
    return WriteFile(fileName, [&](std::ostream& out) { WritePajek(out, data); }, error);
}

bool SaveChaco(const TGraph& graph, const std::string& fileName, platform::SaveError* error)
{
    const GraphFileData data = GraphFileSnapshot(graph);
    return WriteFile(fileName, [&](std::ostream& out) { WriteChaco(out, data); }, error);
}

bool SaveText(const TGraph& graph, const std::string& fileName, platform::SaveError* error)
{
    const GraphFileData data = GraphFileSnapshot(graph);
    return WriteFile(fileName, [&](std::ostream& out) { WriteGraphText(out, data); }, error);
}
