// The GML graph files the program writes for other graph tools: a directed,
// hierarchic graph of labelled nodes, every line ended by CR LF.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

struct GmlGraph {
    struct Node {
        int id = 0;
        std::string label;
    };
    struct Edge {
        int source = 0;
        int target = 0;
    };
    std::string label;  // the graph's own label
    std::vector<Node> nodes;
    std::vector<Edge> edges;
};

// Writes the graph: a head naming the creator, the nodes (140 x 20 boxes whose
// text is the label and a space), then the edges with a standard arrow at the
// target, in the order given.
void WriteGml(std::ostream& out, const GmlGraph& graph);
