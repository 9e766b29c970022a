#include "actiongraph/model/Actiongraph.h"

#include "platform/Random.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_map>
#include <utility>

namespace {

int SumWeights(const std::vector<TConnection*>& list)
{
    int sum = 0;
    for (const TConnection* c : list)
        sum += c->Weight();
    return sum;
}

void RemoveFirst(std::vector<TConnection*>& list, TConnection* c)
{
    const auto it = std::find(list.begin(), list.end(), c);
    if (it != list.end())
        list.erase(it);
}

}  // namespace

// ---------------------------------------------------------------------------
// TNode

TNode::TNode(std::string name) : name_(std::move(name))
{
    // x first, then y: the order in which the numbers are drawn is part of
    // what a seed reproduces.
    x_ = platform::RandomBelow(500);
    y_ = platform::RandomBelow(500);
}

TNode::TNode(std::string name, double x, double y) : name_(std::move(name)), x_(x), y_(y) {}

TNode::~TNode()
{
    // Copies: detaching edits the lists being walked.
    for (TConnection* c : std::vector<TConnection*>(in_))
        if (c->To() == this)
            c->SetTo(nullptr);
    for (TConnection* c : std::vector<TConnection*>(out_))
        if (c->From() == this)
            c->SetFrom(nullptr);
}

void TNode::AddIn(TConnection* c)
{
    in_.push_back(c);
    inDirty_ = true;
}

void TNode::AddOut(TConnection* c)
{
    out_.push_back(c);
    outDirty_ = true;
}

void TNode::RemoveIn(TConnection* c)
{
    inDirty_ = true;
    RemoveFirst(in_, c);
}

void TNode::RemoveOut(TConnection* c)
{
    outDirty_ = true;
    RemoveFirst(out_, c);
}

int TNode::InWeight() const
{
    if (inDirty_) {
        inWeight_ = SumWeights(in_);
        inDirty_ = false;
    }
    return inWeight_;
}

int TNode::OutWeight() const
{
    if (outDirty_) {
        outWeight_ = SumWeights(out_);
        outDirty_ = false;
    }
    return outWeight_;
}

std::unique_ptr<TNodeConcepts> TNode::SetData(std::unique_ptr<TNodeConcepts> data)
{
    std::swap(data, data_);
    return data;
}

// ---------------------------------------------------------------------------
// TConnection

TConnection::TConnection(std::string name, TNode* source, TNode* target)
    : from_(source), to_(target), name_(std::move(name))
{
    if (from_)
        from_->AddOut(this);
    if (to_)
        to_->AddIn(this);
}

TConnection::~TConnection()
{
    if (from_)
        from_->RemoveOut(this);
    if (to_)
        to_->RemoveIn(this);
}

TNode* TConnection::SetFrom(TNode* node)
{
    TNode* previous = from_;
    if (previous)
        previous->RemoveOut(this);
    from_ = node;
    if (from_)
        from_->AddOut(this);
    return previous;
}

TNode* TConnection::SetTo(TNode* node)
{
    TNode* previous = to_;
    if (previous)
        previous->RemoveIn(this);
    to_ = node;
    if (to_)
        to_->AddIn(this);
    return previous;
}

void TConnection::WeightsChanged()
{
    if (from_)
        from_->MarkWeightsStale();
    if (to_)
        to_->MarkWeightsStale();
}

void TConnection::AddData(std::unique_ptr<TConnectionData> occurrence)
{
    data_.push_back(std::move(occurrence));
    WeightsChanged();
}

std::unique_ptr<TConnectionData> TConnection::TakeLastData()
{
    if (data_.empty())
        throw std::out_of_range("TConnection::TakeLastData: no occurrence");
    std::unique_ptr<TConnectionData> last = std::move(data_.back());
    data_.pop_back();
    WeightsChanged();
    return last;
}

void TConnection::RemoveDataAt(int i)
{
    if (i < 0 || i >= Weight())
        throw std::out_of_range("TConnection::RemoveDataAt: index out of range");
    data_.erase(data_.begin() + i);
    WeightsChanged();
}

// ---------------------------------------------------------------------------
// TGraph

TGraph::~TGraph() { Clear(); }

void TGraph::Clear()
{
    // Connections first, so each detaches itself from nodes that still exist.
    for (auto& c : connections_)
        c.reset();
    connections_.clear();
    for (auto& n : nodes_)
        n.reset();
    nodes_.clear();
}

std::unique_ptr<TGraph> TGraph::Copy() const
{
    auto copy = std::make_unique<TGraph>();
    std::unordered_map<const TNode*, TNode*> nodes;
    for (const auto& n : nodes_) {
        auto node = std::make_unique<TNode>(n->GetName(), n->GetX(), n->GetY());
        node->SetWidth(n->GetWidth());
        node->SetHeight(n->GetHeight());
        node->SetColour(n->GetColour());
        node->SetMark(n->GetMark());
        if (n->Data())
            node->SetData(std::make_unique<TNodeConcepts>(*n->Data()));
        nodes.emplace(n.get(), node.get());
        copy->nodes_.push_back(std::move(node));
    }
    std::unordered_map<const TConnection*, TConnection*> connections;
    for (const auto& c : connections_) {
        auto connection = std::make_unique<TConnection>(c->GetName(), nullptr, nullptr);
        for (const auto& d : c->Data())
            connection->AddData(d ? std::make_unique<TConnectionData>(*d) : nullptr);
        connections.emplace(c.get(), connection.get());
        copy->connections_.push_back(std::move(connection));
    }
    // The ends are attached node by node, so that every node's lists keep
    // their order (a merge walks them in that order).
    for (const auto& n : nodes_) {
        TNode* node = nodes.at(n.get());
        for (const TConnection* c : n->OutList())
            connections.at(c)->SetFrom(node);
        for (const TConnection* c : n->InList())
            connections.at(c)->SetTo(node);
    }
    return copy;
}

void TGraph::Swap(TGraph& other) noexcept
{
    nodes_.swap(other.nodes_);
    connections_.swap(other.connections_);
}

TNode* TGraph::GetNode(int index) const
{
    if (index < 0 || index >= NodeCount())
        throw std::out_of_range("TGraph::GetNode: index out of range");
    return nodes_[static_cast<std::size_t>(index)].get();
}

TConnection* TGraph::GetConnection(int index) const
{
    if (index < 0 || index >= ConnectionCount())
        throw std::out_of_range("TGraph::GetConnection: index out of range");
    return connections_[static_cast<std::size_t>(index)].get();
}

int TGraph::IndexOfNode(const TNode* node) const
{
    for (std::size_t i = 0; i < nodes_.size(); ++i)
        if (nodes_[i].get() == node)
            return static_cast<int>(i);
    return -1;
}

int TGraph::IndexOfConnection(const TConnection* connection) const
{
    for (std::size_t i = 0; i < connections_.size(); ++i)
        if (connections_[i].get() == connection)
            return static_cast<int>(i);
    return -1;
}

int TGraph::AddNode(std::string name)
{
    nodes_.push_back(std::make_unique<TNode>(std::move(name)));
    return NodeCount() - 1;
}

TConnection* TGraph::AddConnection(std::string name, TNode* source, TNode* target)
{
    if (source)
        for (TConnection* c : source->OutList())
            if (c->From() == source && c->To() == target)
                return c;
    connections_.push_back(std::make_unique<TConnection>(std::move(name), source, target));
    return connections_.back().get();
}

TConnection* TGraph::AddConnectionByIndex(std::string name, int source, int target)
{
    return AddConnection(std::move(name), GetNode(source), GetNode(target));
}

void TGraph::RemoveConnection(TConnection* connection)
{
    const int i = IndexOfConnection(connection);
    if (i < 0 || !connection)
        return;
    // Out of the list first, then deleted: its destructor detaches it.
    std::unique_ptr<TConnection> owned = std::move(connections_[static_cast<std::size_t>(i)]);
    connections_.erase(connections_.begin() + i);
}

void TGraph::RemoveConnectionAt(int index) { RemoveConnection(GetConnection(index)); }

void TGraph::RemoveNode(TNode* node)
{
    const int i = IndexOfNode(node);
    if (i < 0 || !node)
        return;
    // A self-loop leaves both lists with the first of these loops.
    while (!node->InList().empty())
        RemoveConnection(node->InList().front());
    while (!node->OutList().empty())
        RemoveConnection(node->OutList().front());
    std::unique_ptr<TNode> owned = std::move(nodes_[static_cast<std::size_t>(i)]);
    nodes_.erase(nodes_.begin() + i);
}

void TGraph::RemoveNodeAt(int index) { RemoveNode(GetNode(index)); }

int TGraph::MergeNodes(TNode* a, TNode* b)
{
    if (!a || !b || a == b || IndexOfNode(a) < 0 || IndexOfNode(b) < 0)
        throw std::invalid_argument("TGraph::MergeNodes: needs two different nodes of the graph");

    const std::string name = a->GetName() == b->GetName() ? a->GetName() : a->GetName() + "-" + b->GetName();
    TNode* n = GetNode(AddNode(name));
    TConnection* self = AddConnection(n->GetName(), n, n);
    n->SetData(nullptr);

    n->SetWidth(a->GetWidth());
    n->SetHeight(a->GetHeight());
    n->SetColour(a->GetColour());
    n->SetMark(a->GetMark());
    n->SetX((a->GetX() + b->GetX()) * 0.5);
    n->SetY((a->GetY() + b->GetY()) * 0.5);

    const auto between = [a, b](const TNode* end) { return end == a || end == b; };
    // Moves every connection of one list, last entry first.
    const auto moveList = [&](TNode* node, bool incoming) {
        const std::vector<TConnection*>& list = incoming ? node->InList() : node->OutList();
        while (!list.empty()) {
            TConnection* c = list.back();
            TConnection* into = nullptr;
            if (between(incoming ? c->From() : c->To()))
                into = self;
            else if (incoming)
                into = AddConnection(c->GetName(), c->From(), n);
            else
                into = AddConnection(c->GetName(), n, c->To());
            while (c->Weight() > 0)
                into->AddData(c->TakeLastData());
            RemoveConnection(c);
        }
    };
    moveList(a, true);
    moveList(a, false);
    moveList(b, true);
    moveList(b, false);

    RemoveNode(a);
    RemoveNode(b);
    if (self->Weight() == 0)
        RemoveConnection(self);
    return IndexOfNode(n);
}

int TGraph::JoinNodes(int a, int b) { return MergeNodes(GetNode(a), GetNode(b)); }
