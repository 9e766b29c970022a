// What the core reads of an action-graph node. The action graph itself lives
// outside the core; strategy chunks compare themselves with its nodes through
// this read-only view, which the graph's node class implements.
#pragma once

class ConceptObject;

// A node's data record: the action and the role the node stands for. The
// concepts belong to the concept hierarchies; either may be null.
struct TNodeConcepts {
    ConceptObject* action = nullptr;
    ConceptObject* role = nullptr;
};

class GraphNode {
public:
    virtual ~GraphNode() = default;

    // Sum of the weights (occurrence counts) of the outgoing connections; 0 for
    // a node without outgoing connections, an end node.
    virtual int OutWeight() const = 0;
    // The node's data record, owned by the node; null when it has none.
    virtual const TNodeConcepts* Data() const = 0;
    // The node's position on the pitch.
    virtual double GetX() const = 0;
    virtual double GetY() const = 0;

protected:
    GraphNode() = default;
    GraphNode(const GraphNode&) = default;
    GraphNode& operator=(const GraphNode&) = default;
};
