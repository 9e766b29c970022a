#include "core/concepts/ConceptLabel.h"

#include "core/concepts/Concepts.h"

void FindConceptLabel(ConceptObject* node, BasicGameData& situation, const std::string& prefix, std::string& label)
{
    if (node == nullptr)
        return;
    const bool holds = node->Evaluate(&situation);
    if (holds) {
        if (!label.empty())
            label += ' ';
        label += prefix;
        label += ConceptObject::GetPathName(node);
    }
    if (!holds && node->GetPrune())
        return;
    for (ConceptObject* child : node->GetChildren())
        FindConceptLabel(child, situation, prefix, label);
}

bool LabelHasAllWords(const std::string& text, const std::string& label)
{
    auto separator = [](char c) { return c == '(' || c == ')' || c == ' ' || c == '=' || c == '>' || c == '~'; };
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && separator(text[i]))
            ++i;
        std::size_t end = i;
        while (end < text.size() && !separator(text[end]))
            ++end;
        if (end > i && label.find(text.substr(i, end - i)) == std::string::npos)
            return false;
        i = end;
    }
    return true;
}
