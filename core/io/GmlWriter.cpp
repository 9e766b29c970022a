#include "core/io/GmlWriter.h"

#include <ostream>

namespace {
const char* const kEol = "\r\n";
}

void WriteGml(std::ostream& out, const GmlGraph& graph)
{
    out << "Creator \"Velotrask\"" << kEol;
    out << "Version\t2.2" << kEol;
    out << "graph" << kEol;
    out << "[" << kEol;
    out << "  hierarchic\t1" << kEol;
    out << "  label \"" << graph.label << "\"" << kEol;
    out << "  directed\t1" << kEol;
    for (const GmlGraph::Node& node : graph.nodes) {
        out << "  node" << kEol;
        out << "  [" << kEol;
        out << "    id " << node.id << kEol;
        out << "    label \"" << node.label << "\"" << kEol;
        out << "    graphics" << kEol;
        out << "    [" << kEol;
        out << "      w 140" << kEol;
        out << "      h 20" << kEol;
        out << "    ]" << kEol;
        out << "    LabelGraphics" << kEol;
        out << "    [" << kEol;
        out << "      text \"" << node.label << " \"" << kEol;
        out << "      fontSize 12" << kEol;
        out << "      fontName \"Dialog\"" << kEol;
        out << "      anchor \"c\"" << kEol;
        out << "    ]" << kEol;
        out << "  ]" << kEol;
    }
    for (const GmlGraph::Edge& edge : graph.edges) {
        out << "  edge" << kEol;
        out << "  [" << kEol;
        out << "    source " << edge.source << kEol;
        out << "    target " << edge.target << kEol;
        out << "    graphics" << kEol;
        out << "    [" << kEol;
        out << "      width 1" << kEol;
        out << "      targetArrow \"standard\"" << kEol;
        out << "    ]" << kEol;
        out << "    LabelGraphics" << kEol;
        out << "    [" << kEol;
        out << "      text \"\"" << kEol;
        out << "      fontSize 12" << kEol;
        out << "      fontName\t\"Dialog\"" << kEol;
        out << "    ]" << kEol;
        out << "  ]" << kEol;
    }
    out << "]" << kEol;
}
