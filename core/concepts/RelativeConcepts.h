// The keepaway hierarchy: thirteen keepaway state variables, each cut into
// ranges of consecutive bounds. Below every variable lies a lattice in which a
// range has as children the two ranges one bound narrower, so a range with two
// parents is one shared node.
#pragma once

#include <string>
#include <vector>

class ConceptObject;

// Root "Keepaway"; numbers and weighs the hierarchy, writes
// "RelativeConcepts.gml" into the current folder and returns the root (owned by
// the caller).
ConceptObject* CreateRelativeConcepts();

// The node of one state variable (codes a, b of KeepawayFeature, sorted form)
// below parent, with its range lattice over bounds. Returns the node.
ConceptObject* AddFeatureConcept(const std::string& name, ConceptObject* parent, const std::vector<double>& bounds,
                                 int a, int b);

// Adds below node, which stands for the range of bounds i to j, its two ranges
// one bound narrower and recursively theirs. first: node is a first child (or
// the variable's node), so its children are all new; otherwise its left child
// exists already below its parent's first child and is shared.
void AddRangeConcepts(ConceptObject* node, bool first, const std::vector<double>& bounds, int i, int j, int a, int b,
                      bool sorted);
