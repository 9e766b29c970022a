// The label of a situation: the dotted paths of the concepts of a hierarchy that
// hold in it, and the test whether a text's words all occur in such a label. The
// field window turns its expression box green when the words a user typed
// describe the keepaway state it shows.
#pragma once

#include <string>

class BasicGameData;
class ConceptObject;

// Appends, in pre-order, prefix + the dotted path of every node below node (node
// included) whose evaluator accepts the situation; paths are separated by " ".
// A node with its prune flag set that does not hold hides its whole subtree. A
// node reached through two parents is visited, and appended, twice.
void FindConceptLabel(ConceptObject* node, BasicGameData& situation, const std::string& prefix, std::string& label);

// True when every word of text occurs in label as a substring; words are split at
// "(", ")", " ", "=", ">" and "~". A text without words matches every label.
bool LabelHasAllWords(const std::string& text, const std::string& label);
