#include "core/io/GraphFiles.h"

#include <locale>
#include <ostream>
#include <sstream>
#include <unordered_map>
#include <unordered_set>

namespace {

const char* const kEol = "\r\n";

// A double as a text stream writes it by default (6 significant digits, no
// trailing zeros, exponent form from a million on), whatever the global locale.
std::string FormatGeneral(double value)
{
    std::ostringstream s;
    s.imbue(std::locale::classic());
    s << value;
    return s.str();
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

bool NodePasses(const GraphFileData& graph, const GraphFileData::Node& node, const std::string& filter)
{
    if (filter.empty())
        return true;
    for (const std::vector<int>* list : {&node.out, &node.in})
        for (const int c : *list)
            if (Contains(graph.connections[static_cast<std::size_t>(c)].name, filter))
                return true;
    return false;
}

const std::string& TargetName(const GraphFileData& graph, const GraphFileData::Connection& c)
{
    return graph.nodes[static_cast<std::size_t>(c.target)].name;
}

void WriteStarts(std::ostream& out, const GraphFileData::Connection& c)
{
    for (const int start : c.starts)
        out << start << " ";
}

// The vertex labels of a Pajek network: readers such as networkx key the
// vertices by their labels and would fold nodes of one name into one, so a name
// that more than one node holds gets the vertex's number ("Pass #57"); a label
// that is taken already (a node may be called "Pass #57" itself) gets it once more.
std::vector<std::string> PajekLabels(const GraphFileData& graph)
{
    std::unordered_map<std::string, int> holders;
    for (const GraphFileData::Node& node : graph.nodes)
        ++holders[node.name];
    std::unordered_set<std::string> taken;
    for (const GraphFileData::Node& node : graph.nodes)
        taken.insert(node.name);
    std::vector<std::string> labels;
    labels.reserve(graph.nodes.size());
    for (std::size_t i = 0; i < graph.nodes.size(); ++i) {
        std::string label = graph.nodes[i].name;
        if (holders[label] > 1) {
            const std::string number = " #" + std::to_string(i + 1);
            do
                label += number;
            while (!taken.insert(label).second);
        }
        labels.push_back(std::move(label));
    }
    return labels;
}

}  // namespace

void WriteGraphGml(std::ostream& out, const GraphFileData& graph, bool thinEdges, bool fixedNodeSize,
                   const std::string& filter)
{
    out << "Creator \"Velotrask\"" << kEol;
    out << "Version\t2.2" << kEol;
    out << "graph" << kEol;
    out << "[" << kEol;
    out << "  hierarchic\t1" << kEol;
    out << "  label \"\"" << kEol;
    out << "  directed\t1" << kEol;
    for (std::size_t i = 0; i < graph.nodes.size(); ++i) {
        const GraphFileData::Node& node = graph.nodes[i];
        if (!NodePasses(graph, node, filter))
            continue;
        const std::string size = fixedNodeSize ? "20" : std::to_string(node.inWeight + 1);
        out << "  node" << kEol;
        out << "  [" << kEol;
        out << "    id " << i << kEol;
        out << "    label \"" << node.name << "\"" << kEol;
        out << "    graphics" << kEol;
        out << "    [" << kEol;
        out << "      x " << FormatGeneral(node.x * 10.0) << kEol;
        out << "      y " << FormatGeneral(node.y * 10.0) << kEol;
        out << "      w " << size << kEol;
        out << "      h " << size << kEol;
        out << "      type \"ellipse\"" << kEol;
        out << "      outline \"#000000\"" << kEol;
        out << "    ]" << kEol;
        out << "    LabelGraphics" << kEol;
        out << "    [" << kEol;
        out << "      text \"" << node.name << "\"" << kEol;
        out << "      fontSize 12" << kEol;
        out << "      fontName \"Dialog\"" << kEol;
        out << "      anchor \"c\"" << kEol;
        out << "    ]" << kEol;
        out << "  ]" << kEol;
    }
    for (const GraphFileData::Connection& c : graph.connections) {
        if (!filter.empty() && !Contains(c.name, filter))
            continue;
        out << "  edge" << kEol;
        out << "  [" << kEol;
        out << "    source " << c.source << kEol;
        out << "    target " << c.target << kEol;
        out << "    graphics" << kEol;
        out << "    [" << kEol;
        out << "      width " << (thinEdges ? 1 : c.weight) << kEol;
        out << "      type\t\"spline\"" << kEol;
        out << "      fill\t\"#000000\"" << kEol;
        out << "      targetArrow \"standard\"" << kEol;
        out << "    ]" << kEol;
        out << "    LabelGraphics" << kEol;
        out << "    [" << kEol;
        out << "      text \"" << TargetName(graph, c) << "\"" << kEol;
        out << "      fontSize 12" << kEol;
        out << "      fontName\t\"Dialog\"" << kEol;
        out << "    ]" << kEol;
        out << "  ]" << kEol;
    }
    out << "]" << kEol;
}

void WritePajek(std::ostream& out, const GraphFileData& graph)
{
    out << "*Network Global" << kEol;
    out << "*Vertices " << graph.nodes.size() << kEol;
    const std::vector<std::string> labels = PajekLabels(graph);
    for (std::size_t i = 0; i < graph.nodes.size(); ++i) {
        const std::string& name = graph.nodes[i].name;
        const char* colour = "Blue";
        if (name.rfind('!', 0) == 0) {
            colour = "Yellow";
        } else {
            const std::size_t our = name.find("Our");
            const std::size_t opp = name.find("Opp");
            if (our != std::string::npos && (opp == std::string::npos || our < opp))
                colour = "Red";
        }
        out << i + 1 << " \"" << labels[i] << "\" ic " << colour << " lc " << colour << kEol;
    }
    out << "*Arcs" << kEol;
    for (const GraphFileData::Connection& c : graph.connections)
        out << c.source + 1 << " " << c.target + 1 << " " << c.weight << " l \"" << TargetName(graph, c) << "\""
            << kEol;
}

void WriteChaco(std::ostream& out, const GraphFileData& graph)
{
    out << graph.nodes.size() << " " << graph.connections.size() << kEol;
    for (const GraphFileData::Node& node : graph.nodes) {
        for (const int c : node.out)
            out << graph.connections[static_cast<std::size_t>(c)].target << "/1 ";
        out << kEol;
    }
}

void WriteGraphText(std::ostream& out, const GraphFileData& graph)
{
    out << "Num nodes =  " << graph.nodes.size() << kEol;
    for (std::size_t i = 0; i < graph.nodes.size(); ++i) {
        const GraphFileData::Node& node = graph.nodes[i];
        out << i << " " << node.name << "(" << node.outWeight << "): ";
        for (const int c : node.out)
            WriteStarts(out, graph.connections[static_cast<std::size_t>(c)]);
        out << kEol;
        for (const int ci : node.out) {
            const GraphFileData::Connection& c = graph.connections[static_cast<std::size_t>(ci)];
            out << " - " << c.target << " " << TargetName(graph, c) << "(" << c.weight << "): ";
            WriteStarts(out, c);
            out << kEol;
        }
    }
}
