#include "core/concepts/Concepts.h"

#include "core/io/GmlWriter.h"
#include "core/concepts/Evaluators.h"
#include "platform/Hooks.h"
#include "platform/SaveFile.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iostream>
#include <limits>
#include <set>
#include <sstream>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace {

// Handle -> living node. Kept on the heap for the whole run so that a node
// freed late during program exit still finds it.
struct HandleRegistry {
    std::unordered_map<std::int32_t, ConceptObject*> nodes;
    std::int32_t next = 1;
};

HandleRegistry& Registry()
{
    static HandleRegistry* registry = new HandleRegistry;
    return *registry;
}

std::int32_t RegisterConcept(ConceptObject* node)
{
    HandleRegistry& r = Registry();
    // Handles count up and are not reused while the counter lasts; only after
    // 2^31 - 1 nodes does it wrap, and then it skips handles still in use.
    std::int32_t h = r.next;
    while (r.nodes.count(h) != 0)
        h = h == std::numeric_limits<std::int32_t>::max() ? 1 : h + 1;
    r.next = h == std::numeric_limits<std::int32_t>::max() ? 1 : h + 1;
    r.nodes.emplace(h, node);
    return h;
}

void EraseAll(std::vector<ConceptObject*>& list, const ConceptObject* node)
{
    list.erase(std::remove(list.begin(), list.end(), node), list.end());
}

}  // namespace

ConceptObject* ConceptFromHandle(std::int32_t handle)
{
    if (handle == 0)
        return nullptr;
    const HandleRegistry& r = Registry();
    auto it = r.nodes.find(handle);
    return it == r.nodes.end() ? nullptr : it->second;
}

ConceptObject::ConceptObject(std::string name, BasicEvaluator* evaluator, bool prune)
    : name_(std::move(name)), evaluator_(evaluator), prune_(prune), handle_(RegisterConcept(this))
{
}

ConceptObject::~ConceptObject()
{
    // Parents that still live and link to this node must not keep a dangling child.
    for (ConceptObject* p : linkedParents_)
        EraseAll(p->children_, this);
    linkedParents_.clear();

    // Decide what this node owns before freeing anything: freeing one child's
    // subtree may free a node that is also listed here under another link.
    std::vector<ConceptObject*> children = std::move(children_);
    children_.clear();
    std::vector<ConceptObject*> owned;
    for (ConceptObject* c : children) {
        EraseAll(c->linkedParents_, this);
        if (c->parent_ == this && std::find(owned.begin(), owned.end(), c) == owned.end())
            owned.push_back(c);
    }
    for (ConceptObject* c : owned)
        delete c;

    Registry().nodes.erase(handle_);
}

ConceptObject* ConceptObject::SetParent(ConceptObject* parent)
{
    ConceptObject* previous = parent_;
    parent_ = parent;
    return previous;
}

ConceptObject* ConceptObject::AddChild(ConceptObject* child)
{
    children_.push_back(child);
    child->linkedParents_.push_back(this);
    child->SetParent(this);
    child->level_ = level_ + 1;
    return child;
}

bool ConceptObject::Evaluate(BasicGameData* situation) const
{
    return evaluator_ ? evaluator_->Evaluate(situation) : false;
}

int ConceptObject::Number(ConceptObject* node, int nextId, int level, std::vector<ConceptObject*>* collected)
{
    node->id_ = nextId;
    int next = nextId + 1;
    node->level_ = level;
    node->treeDepth_ = level;
    if (collected)
        collected->push_back(node);
    for (ConceptObject* c : node->children_) {
        next = Number(c, next, level + 1, collected);
        node->treeDepth_ = std::max(node->treeDepth_, c->treeDepth_);
    }
    if (!node->parent_)
        SetTreeDepth(node, node->treeDepth_);
    return next;
}

int ConceptObject::SetTreeDepth(ConceptObject* node, int depth)
{
    node->treeDepth_ = std::max(depth, node->level_);
    if (node->level_ > depth)
        platform::Beep();
    for (ConceptObject* c : node->children_) {
        SetTreeDepth(c, depth);
        if (c->treeDepth_ > node->treeDepth_)
            platform::Beep();
    }
    return node->treeDepth_;
}

namespace {

// The node's whole dotted path: the names of its in-path ancestors, top down,
// then its own.
std::string WholePath(const ConceptObject* node)
{
    std::string path = node->GetName();
    for (const ConceptObject* p = node->GetParent(); p; p = p->GetParent())
        if (p->GetInPath())
            path = p->GetName() + "." + path;
    return path;
}

}  // namespace

std::string ConceptObject::GetPathName(ConceptObject* node)
{
    if (!node)
        return std::string();
    if (node->pathName_.empty())
        node->pathName_ = WholePath(node);
    return node->pathName_;
}

std::string ConceptObject::GetPathName(ConceptObject* node, int d)
{
    if (!node || d <= 0)
        return GetPathName(node);
    // A limit of d levels names a deeper node after its ancestor at level d - 1,
    // found by the parent links: counting the dots of the path string would
    // miss the levels that are not in the path and land on another level.
    int levels = 1;
    for (const ConceptObject* p = node->parent_; p; p = p->parent_)
        ++levels;
    ConceptObject* named = node;
    for (; levels > d; --levels)
        named = named->parent_;
    return GetPathName(named);
}

namespace {

void Collect(ConceptObject* node, std::vector<ConceptObject*>& out, std::unordered_set<const ConceptObject*>& seen,
             bool all)
{
    if ((all || node->GetEvaluator()) && seen.insert(node).second)
        out.push_back(node);
    for (ConceptObject* c : node->GetChildren())
        Collect(c, out, seen, all);
}

}  // namespace

void ConceptObject::CollectConcepts(ConceptObject* node, std::vector<ConceptObject*>* out, bool all)
{
    if (!node || !out)
        return;
    // What out already holds counts as collected, as does everything added now.
    std::unordered_set<const ConceptObject*> seen(out->begin(), out->end());
    Collect(node, *out, seen, all);
}

bool ConceptObject::IsA(const ConceptObject* a, const ConceptObject* b)
{
    if (!b)
        return false;
    for (; a; a = a->parent_) {
        if (a == b)
            return true;
    }
    return false;
}

bool ConceptObject::IsRelated(const ConceptObject* a, const ConceptObject* b)
{
    return IsA(a, b) || IsA(b, a);
}

ConceptObject* ConceptObject::CommonAncestor(ConceptObject* a, ConceptObject* b)
{
    for (;;) {
        if (!a)
            return b;
        if (!b || a == b)
            return a;
        if (a->level_ == b->level_) {
            a = a->parent_;
            b = b->parent_;
        } else if (a->level_ > b->level_) {
            a = a->parent_;
        } else {
            b = b->parent_;
        }
    }
}

double ConceptObject::Distance(ConceptObject* a, ConceptObject* b, double alpha)
{
    ConceptObject* c = CommonAncestor(a, b);
    if (!a || !b || !c)
        return 99999.0;
    if (a == b)
        return 0.0;
    if (alpha >= 0.0) {
        // An unnumbered hierarchy has tree depth 0; its levels (set when the
        // nodes were linked) still bound the depth, so the formula stays defined.
        const double depth = std::max({a->treeDepth_, a->level_, b->level_});
        if (depth <= 0.0)
            return 0.0;
        const double lc = c->level_;
        const double edges = a->level_ + b->level_ - 2.0 * c->level_;
        const double base = ((depth - lc) + edges / (2.0 * depth)) / (depth + 1.0);
        // The joins ask with 1.0 for every pair of nodes: pow would return the
        // base itself, and a square is the product, at a fraction of pow's cost.
        if (alpha == 1.0)
            return base;
        if (alpha == 2.0)
            return base * base;
        return std::pow(base, alpha);
    }
    const double wc = GetWeightSum(c);
    const double da = std::fabs(GetWeightSum(a) - wc);
    const double db = std::fabs(GetWeightSum(b) - wc);
    return da < db ? da : db;
}

void ConceptObject::SetWeightAndSum(ConceptObject* node, double w)
{
    SetWeight(node, w, w);
    SumWeights(node);
}

void ConceptObject::SetWeight(ConceptObject* node, double weight, double total)
{
    node->weight_ = weight;
    const std::size_t n = node->children_.size();
    if (n == 0)
        return;
    const double share = total / static_cast<double>(n);
    for (ConceptObject* c : node->children_)
        SetWeight(c, share, total);
}

double ConceptObject::SumWeights(ConceptObject* node)
{
    double sum = 0.0;
    for (ConceptObject* c : node->children_)
        sum += SumWeights(c);
    node->subtreeWeight_ = sum;
    return node->weight_ + sum;
}

double ConceptObject::GetWeightSum(const ConceptObject* node)
{
    return node->weight_ + node->subtreeWeight_;
}

namespace {

// The links below parent, each once: a link written already (a shared node
// reached again) is skipped with everything below it.
void CollectEdges(std::vector<GmlGraph::Edge>& edges, ConceptObject* parent,
                  std::set<std::pair<const ConceptObject*, const ConceptObject*>>& written)
{
    for (ConceptObject* child : parent->GetChildren()) {
        if (!written.insert({parent, child}).second)
            continue;
        edges.push_back({child->GetId(), parent->GetId()});
        CollectEdges(edges, child, written);
    }
}

}  // namespace

int ConceptObject::SaveGML(ConceptObject* root, const std::string& fileName, std::string* failure, bool throughLinks)
{
    if (!root)
        return 0;
    Number(root, 1, 0, nullptr);
    std::vector<ConceptObject*> nodes;
    CollectConcepts(root, &nodes, true);

    GmlGraph graph;
    graph.label = GetPathName(root);
    for (ConceptObject* node : nodes)
        graph.nodes.push_back({node->GetId(), GetPathName(node)});
    std::set<std::pair<const ConceptObject*, const ConceptObject*>> written;
    CollectEdges(graph.edges, root, written);
    std::ostringstream text;
    WriteGml(text, graph);
    const std::string out = text.str();

    // The file is a by-product for other tools: a failure is no reason to stop
    // the program, but it is worth a line on the error stream.
    platform::SaveError error;
    if (!platform::SaveBytes(fileName, out, &error,
                             throughLinks ? platform::Links::AsTheSystem : platform::Links::Never)) {
        std::cerr << error.Message() << '\n';
        if (failure)
            *failure = error.Message();
    }
    return 0;
}

namespace {

std::vector<std::string>& HierarchyFileFailures()
{
    static std::vector<std::string> failures;
    return failures;
}

}  // namespace

std::vector<std::string> TakeHierarchyFileFailures()
{
    std::vector<std::string> taken;
    taken.swap(HierarchyFileFailures());
    return taken;
}

ConceptObject* FinishHierarchy(ConceptObject* root, const std::string& fileName)
{
    root->SetInPath(false);
    ConceptObject::SetWeightAndSum(root, 1.0);
    std::string failure;
    ConceptObject::SaveGML(root, fileName, &failure, false);
    if (!failure.empty())
        HierarchyFileFailures().push_back(failure);
    ConceptObject::Number(root, 1, 0, nullptr);
    return root;
}
