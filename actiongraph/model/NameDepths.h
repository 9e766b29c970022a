// How many levels of the action and of the role hierarchy a graph window's
// names keep. Each window holds the depths its bars last applied and hands them
// to everything that names a node, a path, a class value or a strategy for it,
// so that two windows at different depths never name at each other's.
#pragma once

#include "core/concepts/Concepts.h"

#include <string>

struct TNameDepths {
    int action = 0;  // levels of the action hierarchy kept; 0 keeps all
    int role = 0;    // the same for the role hierarchy

    std::string Action(ConceptObject* node) const { return ConceptObject::GetPathName(node, action); }
    std::string Role(ConceptObject* node) const { return ConceptObject::GetPathName(node, role); }
};
