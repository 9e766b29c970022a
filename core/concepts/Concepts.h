// Concept hierarchy nodes. Every concept the program reasons with (a pitch
// region, an action, a role, a speed class, a relation to the ball, a keepaway
// distance range) is a ConceptObject in one of the concept hierarchies. A node's
// identity names the concept wherever events, roles, feature groups, rules and
// action-graph nodes store it, so nodes are never copied or moved.
//
// Channels cannot hold pointers, so every node also has a process-unique 32-bit
// handle (>= 1; 0 means "no concept") that ConceptFromHandle turns back into the
// node while it lives.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class BasicEvaluator;
class BasicGameData;

class ConceptObject {
public:
    // The node owns the evaluator (may be null). prune: a walk looking for the
    // concepts that hold does not look below this node unless it holds itself.
    ConceptObject(std::string name, BasicEvaluator* evaluator, bool prune);
    // Frees the evaluator and every child this node owns (those whose parent is
    // this node), each with its own subtree. A shared node is freed exactly once,
    // by its last parent, and is first taken out of its other parents' children.
    virtual ~ConceptObject();

    ConceptObject(const ConceptObject&) = delete;
    ConceptObject& operator=(const ConceptObject&) = delete;

    // Appends the child, makes this node its parent (a child added to a second
    // parent stays in the first one's children too) and its level this level + 1.
    ConceptObject* AddChild(ConceptObject* child);
    // When set, this node's name becomes a component of the paths below it.
    void SetInPath(bool inPath) { inPath_ = inPath; }

    ConceptObject* GetParent() const { return parent_; }
    int GetId() const { return id_; }
    int GetLevel() const { return level_; }
    int GetTreeDepth() const { return treeDepth_; }
    const std::string& GetName() const { return name_; }
    const std::vector<ConceptObject*>& GetChildren() const { return children_; }
    int GetChildCount() const { return static_cast<int>(children_.size()); }
    BasicEvaluator* GetEvaluator() const { return evaluator_.get(); }
    bool GetPrune() const { return prune_; }
    bool GetInPath() const { return inPath_; }
    double GetWeight() const { return weight_; }
    double GetSubtreeWeight() const { return subtreeWeight_; }
    std::int32_t GetHandle() const { return handle_; }

    // The evaluator's verdict on the situation; false for a node without one.
    bool Evaluate(BasicGameData* situation) const;

    // Numbers the hierarchy below node in pre-order from nextId, sets levels from
    // level and the tree depth, and appends every visit to collected (may be
    // null). A shared node is renumbered on every visit; its last id stays.
    // Returns the next free id.
    static int Number(ConceptObject* node, int nextId, int level, std::vector<ConceptObject*>* collected);
    // Sets the tree depth of node and everything below to max(depth, level);
    // beeps on inconsistent levels. Returns node's tree depth.
    static int SetTreeDepth(ConceptObject* node, int depth);

    // The dotted path: the names of the in-path ancestors, top down, then the
    // node's own name. Cached in the node.
    static std::string GetPathName(ConceptObject* node);
    // The dotted path kept to d levels (0: all): a node below level d - 1 goes
    // by the dotted path of its ancestor at level d - 1 (the d-th level from
    // the root, in path or not): "LTeam.FB" for "LTeam.LC-FB" at 5 levels. The
    // depth is the caller's: the hierarchies hold no depth of their own, so
    // that windows naming at different depths never name at each other's.
    static std::string GetPathName(ConceptObject* node, int d);

    // Appends, in pre-order, every node below node (node included) that has an
    // evaluator, or every node when all is true; a node already in out is skipped.
    static void CollectConcepts(ConceptObject* node, std::vector<ConceptObject*>* out, bool all);

    // True when b is a or one of a's ancestors (false when either is null).
    static bool IsA(const ConceptObject* a, const ConceptObject* b);
    static bool IsRelated(const ConceptObject* a, const ConceptObject* b);
    // The lowest common ancestor; the other node when one is null; null for
    // nodes of different hierarchies.
    static ConceptObject* CommonAncestor(ConceptObject* a, ConceptObject* b);
    // The hierarchy distance: 99999.0 without a common ancestor, 0.0 for a == b;
    // alpha >= 0: ((D - Lc) + N / (2D)) / (D + 1) raised to alpha (D the tree
    // depth, Lc the common ancestor's level, N the edges between a and b);
    // alpha < 0: the smaller difference of a's and b's weight sums to the common
    // ancestor's.
    static double Distance(ConceptObject* a, ConceptObject* b, double alpha);

    // SetWeight(node, w, w) then SumWeights(node).
    static void SetWeightAndSum(ConceptObject* node, double w);
    // node gets weight; every child of a node with n children gets total / n.
    static void SetWeight(ConceptObject* node, double weight, double total);
    // Stores the sum of the children's weight sums in node; returns its weight sum.
    static double SumWeights(ConceptObject* node);
    // weight + subtree weight.
    static double GetWeightSum(const ConceptObject* node);

    // Numbers the hierarchy and writes it as a GML graph file (CR LF line ends),
    // replacing an existing file. Always returns 0; a file that cannot be written
    // is mentioned on the error stream, and its message is put in *failure
    // (when given; left alone on success). A link in the file's place is
    // followed only when throughLinks is set, and then only where the system
    // would follow it.
    static int SaveGML(ConceptObject* root, const std::string& fileName, std::string* failure = nullptr,
                       bool throughLinks = true);

private:
    // Sets the parent (the owner) and returns the previous one; only AddChild
    // links nodes, so that ownership and the parent links stay consistent.
    ConceptObject* SetParent(ConceptObject* parent);

    int id_ = 0;
    int level_ = 0;
    int treeDepth_ = 0;
    std::string name_;
    std::string pathName_;  // cache of GetPathName; empty = not computed
    ConceptObject* parent_ = nullptr;
    std::vector<ConceptObject*> children_;
    // Every parent that links to this node (the last one is parent_, the owner),
    // so that freeing a shared node never leaves a dangling child behind.
    std::vector<ConceptObject*> linkedParents_;
    std::unique_ptr<BasicEvaluator> evaluator_;
    bool prune_ = false;
    bool inPath_ = false;
    double weight_ = 0.0;
    double subtreeWeight_ = 0.0;
    std::int32_t handle_ = 0;
};

// The node with this handle, or null for 0 and for handles of no living node.
ConceptObject* ConceptFromHandle(std::int32_t handle);

// The last steps every hierarchy written to a file shares: the root leads no
// path, the weights, the GML file, and the numbering the rest of the program
// sees. Returns the root.
// The GML file is written unasked, so never through a link; a failure to
// write it is kept for TakeHierarchyFileFailures.
ConceptObject* FinishHierarchy(ConceptObject* root, const std::string& fileName);
// The messages of the GML files FinishHierarchy could not write since the last
// call, in order; the list is emptied.
std::vector<std::string> TakeHierarchyFileFailures();
// The handle of the node, 0 for null.
inline std::int32_t ConceptHandle(const ConceptObject* node)
{
    return node ? node->GetHandle() : 0;
}
