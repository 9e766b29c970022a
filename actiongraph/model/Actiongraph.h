// The action graph: a directed multigraph whose nodes are actions in a role and
// whose connections are the action sequences a log shows. A TGraph owns its
// nodes and connections; a connection owns its occurrences (one per time the
// sequence happened), and its weight is the number of them. Names of nodes are
// not unique; parallel connections and self-loops occur.
//
// Indices are positions in the graph's lists: every removal shifts the later
// indices down by one, so code that removes while walking by index does not
// advance the index after a removal.
//
// No window-system code here: the window, the renderer, the writers and the
// strategy learning all work on the graph through this interface.
#pragma once

#include "core/learning/GraphNode.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TConnection;

// One occurrence of a connection, taken from one action event of the log.
struct TConnectionData {
    std::int32_t start = 0;        // the event's first cycle
    std::int32_t duration = 0;     // last cycle - start + 1
    std::int32_t player = 0;       // object index of the acting player
    std::int32_t other = 0;        // the event's other object (the ball for a kick; else the player itself)
    std::int32_t otherLength = 0;  // the other object's last cycle - start + 1
    std::int32_t partner = -1;     // who gets the ball after a kick; -1 otherwise

    bool operator==(const TConnectionData&) const = default;
};

// A connection's occurrence list: an entry may be empty (null) and still counts
// in the weight; every reader skips empty entries.
using TOccurrenceList = std::vector<std::unique_ptr<TConnectionData>>;

class TNode final : public GraphNode {
public:
    static constexpr std::uint32_t kDefaultColour = 0xFFFFFF;   // white
    static constexpr std::uint32_t kSelectedColour = 0x0000FF;  // red (red in the low byte)

    // Empty lists, no data, size 10 x 10, white, mark 0; x and then y are the
    // next two numbers below 500 of the program's random source.
    explicit TNode(std::string name);
    // A node at the place given, drawing nothing from the random source (a
    // copy of another).
    TNode(std::string name, double x, double y);
    // Detaches every connection still attached (its end at this node becomes
    // null). The graph never deletes a node that still has connections.
    ~TNode() override;
    TNode(const TNode&) = delete;
    TNode& operator=(const TNode&) = delete;

    const std::string& GetName() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }

    // Incoming / outgoing connections in the order they were attached; not owned.
    const std::vector<TConnection*>& InList() const { return in_; }
    const std::vector<TConnection*>& OutList() const { return out_; }
    // Attach / detach (the first equal entry); the connection calls these.
    void AddIn(TConnection* c);
    void AddOut(TConnection* c);
    void RemoveIn(TConnection* c);
    void RemoveOut(TConnection* c);

    // Sums of the weights of the incoming / outgoing connections, cached until
    // a connection is attached, detached or its occurrences change.
    int InWeight() const;
    int OutWeight() const override;
    // InWeight + OutWeight: the node's degree for the editing commands.
    int Weight() const { return InWeight() + OutWeight(); }
    // Forgets the cached weights (a connection's occurrences changed).
    void MarkWeightsStale() { inDirty_ = outDirty_ = true; }

    // The action and role the node stands for; null after a merge until the
    // caller installs new data.
    TNodeConcepts* Data() { return data_.get(); }
    const TNodeConcepts* Data() const override { return data_.get(); }
    // Installs the data and hands back the previous record.
    std::unique_ptr<TNodeConcepts> SetData(std::unique_ptr<TNodeConcepts> data);

    double GetX() const override { return x_; }
    double GetY() const override { return y_; }
    void SetX(double x) { x_ = x; }
    void SetY(double y) { y_ = y; }
    double GetWidth() const { return width_; }
    double GetHeight() const { return height_; }
    void SetWidth(double w) { width_ = w; }
    void SetHeight(double h) { height_ = h; }
    // Packed r + g * 256 + b * 65536.
    std::uint32_t GetColour() const { return colour_; }
    void SetColour(std::uint32_t colour) { colour_ = colour; }
    // Grow and Revalidate mark kept nodes with 1; the selection writes
    // neighbour numbers here.
    int GetMark() const { return mark_; }
    void SetMark(int mark) { mark_ = mark; }

private:
    std::vector<TConnection*> in_;
    std::vector<TConnection*> out_;
    std::unique_ptr<TNodeConcepts> data_;
    std::string name_;
    mutable int inWeight_ = 0;
    mutable int outWeight_ = 0;
    mutable bool inDirty_ = false;
    mutable bool outDirty_ = false;
    double x_ = 0.0;
    double y_ = 0.0;
    double width_ = 10.0;
    double height_ = 10.0;
    std::uint32_t colour_ = kDefaultColour;
    int mark_ = 0;
};

class TConnection {
public:
    // Attaches itself to the source's out list and the target's in list (each
    // when not null).
    TConnection(std::string name, TNode* source, TNode* target);
    // Detaches itself from both ends and deletes its occurrences.
    ~TConnection();
    TConnection(const TConnection&) = delete;
    TConnection& operator=(const TConnection&) = delete;

    // Given at creation; a later change of a node's name does not change it.
    const std::string& GetName() const { return name_; }
    TNode* From() const { return from_; }
    TNode* To() const { return to_; }
    // Moves the source / target end (detach from the old node, append to the
    // new node's list) and returns the previous one. Never merges parallels;
    // the occurrences stay with the connection.
    TNode* SetFrom(TNode* node);
    TNode* SetTo(TNode* node);

    // Number of occurrence entries, empty ones included.
    int Weight() const { return static_cast<int>(data_.size()); }
    const TOccurrenceList& Data() const { return data_; }
    // Appends an occurrence (null: an empty entry).
    void AddData(std::unique_ptr<TConnectionData> occurrence);
    void AddData(const TConnectionData& occurrence) { AddData(std::make_unique<TConnectionData>(occurrence)); }
    // Takes out and returns the last entry; the list must not be empty.
    std::unique_ptr<TConnectionData> TakeLastData();
    // Deletes the entry at i (out of range: std::out_of_range).
    void RemoveDataAt(int i);

private:
    void WeightsChanged();

    TOccurrenceList data_;
    TNode* from_ = nullptr;
    TNode* to_ = nullptr;
    std::string name_;
};

class TGraph {
public:
    TGraph() = default;
    virtual ~TGraph();
    TGraph(const TGraph&) = delete;
    TGraph& operator=(const TGraph&) = delete;

    // Deletes every connection (in list order), then every node.
    void Clear();
    // A copy of every node (name, data, place, size, colour, mark) and every
    // connection (name, ends, occurrences, empty ones too), all in the same
    // order, each node's incoming and outgoing lists included: what a command
    // keeps to put back when it is cancelled half way.
    std::unique_ptr<TGraph> Copy() const;
    // Exchanges the whole contents with other; both graph objects stay where
    // they are, so whoever holds either still holds the same graph.
    void Swap(TGraph& other) noexcept;
    int NodeCount() const { return static_cast<int>(nodes_.size()); }
    int ConnectionCount() const { return static_cast<int>(connections_.size()); }
    // The node / connection at the index; std::out_of_range outside the list.
    TNode* GetNode(int index) const;
    TConnection* GetConnection(int index) const;
    // Position in the list, -1 when absent (linear search).
    int IndexOfNode(const TNode* node) const;
    int IndexOfConnection(const TConnection* connection) const;

    // Appends a new node; returns its index.
    int AddNode(std::string name);
    // The first connection source -> target in the source's out list, unchanged
    // (its name is neither compared nor changed); otherwise a new connection
    // with that name, attached and appended.
    TConnection* AddConnection(std::string name, TNode* source, TNode* target);
    TConnection* AddConnectionByIndex(std::string name, int source, int target);

    // Takes the connection out of the list and deletes it with its occurrences.
    // Passing a connection of another graph (or null) changes nothing.
    void RemoveConnection(TConnection* connection);
    void RemoveConnectionAt(int index);
    // Deletes the node's incoming, then its outgoing connections, then the node
    // with its data. A node of another graph (or null) changes nothing.
    void RemoveNode(TNode* node);
    void RemoveNodeAt(int index);

    // Replaces two different nodes of the graph by one new node at the end of
    // the list, named name(a) when both names are equal, else name(a) + "-" +
    // name(b), placed midway, with a's size, colour and mark and no data.
    // Connections between a and b and self-loops become one self-loop;
    // connections to or from a third node are re-made on the new node, parallel
    // ones collapsing into one that keeps the first moved name. All occurrences
    // are kept (each connection's in reverse order). Returns the new node's index.
    // a == b or a node not in the graph: std::invalid_argument, nothing changed.
    int MergeNodes(TNode* a, TNode* b);
    // MergeNodes of the nodes at the two indices.
    int JoinNodes(int a, int b);

private:
    std::vector<std::unique_ptr<TNode>> nodes_;
    std::vector<std::unique_ptr<TConnection>> connections_;
};
