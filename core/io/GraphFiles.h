// The action graph's files for outside graph tools: GML, a Pajek network, a
// Chaco-style adjacency list and a plain text dump. Each writer reads a plain
// picture of the graph (nodes and connections by index) and ends every line,
// the last included, with CR LF. Node numbers are node indices: Pajek counts
// from 1, the other formats from 0.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

struct GraphFileData {
    struct Node {
        std::string name;
        double x = 0.0;
        double y = 0.0;
        int inWeight = 0;
        int outWeight = 0;
        std::vector<int> in;   // indices of the incoming connections
        std::vector<int> out;  // indices of the outgoing connections, in out-list order
    };
    struct Connection {
        std::string name;
        int source = 0;
        int target = 0;
        int weight = 0;           // occurrences, empty entries included
        std::vector<int> starts;  // start cycles of the non-empty occurrences, in order
    };
    std::vector<Node> nodes;
    std::vector<Connection> connections;
};

// GML for yEd-like tools: positions times 10, node size from the in-weight
// (or a fixed 20), edge width from the weight (or 1 with thinEdges). With a
// filter, only nodes with a connection whose name holds the filter and only
// connections whose own name holds it are written.
void WriteGraphGml(std::ostream& out, const GraphFileData& graph, bool thinEdges, bool fixedNodeSize,
                   const std::string& filter);
// Pajek: vertices coloured by side ("!" yellow, "Our" first red, else blue),
// one arc per connection labelled with its target's name. Vertex labels are
// unique: a name that several nodes hold is followed by the vertex's number
// ("Pass #57").
void WritePajek(std::ostream& out, const GraphFileData& graph);
// "nodes connections", then per node its targets as "t/1 ".
void WriteChaco(std::ostream& out, const GraphFileData& graph);
// Per node its name, out-weight and start cycles, then one line per outgoing connection.
void WriteGraphText(std::ostream& out, const GraphFileData& graph);
