// Helpers for tests of concept hierarchies: walking a built hierarchy by path,
// asking which concepts hold for a situation, and reading the GML file a builder
// wrote.
#pragma once

#include "core/concepts/Concepts.h"
#include "core/concepts/Evaluators.h"
#include "TestData.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace hierarchytest {

struct RootDeleter {
    void operator()(ConceptObject* root) const { delete root; }
};
using Root = std::unique_ptr<ConceptObject, RootDeleter>;

// How a hierarchy's GML file begins: the header and the root's id and label.
inline std::string GmlHead(const std::string& rootLabel)
{
    return "Creator \"Velotrask\"\r\nVersion\t2.2\r\ngraph\r\n[\r\n  hierarchic\t1\r\n  label \"" + rootLabel +
           "\"\r\n  directed\t1\r\n  node\r\n  [\r\n    id 1\r\n    label \"" + rootLabel + "\"\r\n";
}

// The lines of a text with CR LF line ends.
inline std::vector<std::string> SplitCrLf(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t pos; (pos = text.find("\r\n", start)) != std::string::npos; start = pos + 2)
        lines.push_back(text.substr(start, pos - start));
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

inline int CountLines(const std::vector<std::string>& lines, const std::string& line)
{
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

// How often the text holds the piece (overlaps counted).
inline int Count(const std::string& text, const std::string& piece)
{
    int n = 0;
    for (std::size_t p = text.find(piece); p != std::string::npos; p = text.find(piece, p + 1))
        ++n;
    return n;
}

// The (source, target) pairs of the edge blocks in file order.
inline std::vector<std::pair<int, int>> Edges(const std::string& gml)
{
    std::vector<std::pair<int, int>> edges;
    const std::string source = "    source ", target = "    target ";
    for (std::size_t p = gml.find(source); p != std::string::npos; p = gml.find(source, p + 1)) {
        const std::size_t t = gml.find(target, p);
        edges.emplace_back(std::stoi(gml.substr(p + source.size())), std::stoi(gml.substr(t + target.size())));
    }
    return edges;
}

// A hierarchy as its GML file gives it: by node id the labels from the root
// down to the node; and the most levels a node has.
struct GmlPaths {
    std::map<int, std::vector<std::string>> path;
    int levels = 0;
    int Depth(int id) const { return static_cast<int>(path.at(id).size()); }
    // The label of the node's ancestor on the d-th level (the root's is the
    // first); its own for d = 0 and for a node no deeper.
    const std::string& Named(int id, int d) const
    {
        const std::vector<std::string>& p = path.at(id);
        return p[d > 0 && static_cast<int>(p.size()) > d ? static_cast<std::size_t>(d - 1) : p.size() - 1];
    }
};

inline GmlPaths ReadGmlPaths(const std::string& gml)
{
    GmlPaths tree;
    const std::string id = "\r\n    id ", label = "\r\n    label \"";
    for (std::size_t p = gml.find(id); p != std::string::npos; p = gml.find(id, p + 1)) {
        const std::size_t from = gml.find(label, p) + label.size();
        tree.path[std::stoi(gml.substr(p + id.size()))] = {gml.substr(from, gml.find('"', from) - from)};
    }
    std::map<int, int> parent;
    for (const auto& [child, up] : Edges(gml))
        parent[child] = up;
    for (auto& [node, labels] : tree.path) {
        // An ancestor's own label is always the last of its list.
        for (auto up = parent.find(node); up != parent.end(); up = parent.find(up->second))
            labels.insert(labels.begin(), tree.path.at(up->second).back());
        tree.levels = std::max(tree.levels, static_cast<int>(labels.size()));
    }
    return tree;
}

inline std::vector<ConceptObject*> Collect(ConceptObject* root, bool all)
{
    std::vector<ConceptObject*> out;
    ConceptObject::CollectConcepts(root, &out, all);
    return out;
}

inline std::vector<std::string> Paths(const std::vector<ConceptObject*>& nodes)
{
    std::vector<std::string> paths;
    for (ConceptObject* n : nodes)
        paths.push_back(ConceptObject::GetPathName(n));
    return paths;
}

// The node with the dotted path, or null.
inline ConceptObject* Find(ConceptObject* root, const std::string& path)
{
    for (ConceptObject* n : Collect(root, true))
        if (ConceptObject::GetPathName(n) == path)
            return n;
    return nullptr;
}

// Paths of the evaluable concepts that hold for the situation.
inline std::set<std::string> Holding(ConceptObject* root, BasicGameData s)
{
    std::set<std::string> out;
    for (ConceptObject* n : Collect(root, false))
        if (n->Evaluate(&s))
            out.insert(ConceptObject::GetPathName(n));
    return out;
}

}  // namespace hierarchytest
