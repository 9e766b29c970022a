#include "core/learning/RuleTexts.h"

#include "core/concepts/Concepts.h"
#include "core/learning/StrategyChunk.h"

#include <algorithm>

std::string RuleToString(const FeatureList* /*list*/, const RuleObject& rule, bool compact)
{
    std::string s;
    if (rule.Size() == 0)
        s = "TRUE";
    for (int c = 0; c < rule.Size(); ++c) {
        if (c > 0)
            s += compact ? " " : " AND ";
        const std::string name =
            ConceptObject::GetPathName(rule.GetObjectConcept(c)) + ":" + ConceptObject::GetPathName(rule.GetFeatureKey(c));
        // A condition that asks for the bit 0 keeps its "~" in the compact
        // form too: without it the text names the opposite condition.
        if (compact)
            s += (rule.GetValue(c) == 0 ? "~" : "") + name;
        else
            s += "(" + name + " = " + std::to_string(rule.GetValue(c)) + ")";
    }
    return rule.IsPositive() ? s : "~(" + s + ")";
}

std::string FormatActionRule(const tActionRule& rule)
{
    return "  tActionRule(_" + rule.action + "_, \"" + rule.condition + "\"),";
}

namespace {

// A list's text from some rule on: a constant, one rule's text, or rules
// joined by " OR " or by " AND ".
struct TListText {
    enum class Kind { True, False, Rule, Or, And };
    Kind kind = Kind::False;
    std::string text;
};

}  // namespace

std::string RulesToString(const FeatureList* list, const RuleList& rules, bool compact)
{
    using Kind = TListText::Kind;
    // Built from the end, where the default stands: a rule's text is joined
    // to the text of what it passes on to.
    const auto lastRule = std::find_if(rules.rbegin(), rules.rend(), [](const auto& rule) { return rule != nullptr; });
    TListText rest{lastRule != rules.rend() && !(*lastRule)->IsPositive() ? Kind::True : Kind::False, {}};
    for (auto it = rules.rbegin(); it != rules.rend(); ++it) {
        if (!*it)
            continue;
        const RuleObject& rule = **it;
        const bool positive = rule.IsPositive();
        // A rule without conditions decides whatever reaches it.
        if (rule.Size() == 0) {
            rest = {positive ? Kind::True : Kind::False, {}};
            continue;
        }
        // "A OR TRUE" and "~(A) AND FALSE" are constants; "A OR FALSE" and
        // "~(A) AND TRUE" are the rule alone.
        if (rest.kind == (positive ? Kind::True : Kind::False))
            continue;
        const std::string own = RuleToString(list, rule, compact);
        if (rest.kind == Kind::True || rest.kind == Kind::False) {
            rest = {Kind::Rule, own};
            continue;
        }
        const Kind join = positive ? Kind::Or : Kind::And;
        const std::string tail = rest.kind == Kind::Rule || rest.kind == join ? rest.text : "(" + rest.text + ")";
        rest = {join, own + (positive ? " OR " : " AND ") + tail};
    }
    switch (rest.kind) {
    case Kind::True: return "TRUE";
    case Kind::False: return "FALSE";
    case Kind::Rule:
    case Kind::Or:
    case Kind::And: break;
    }
    return rest.text;
}

std::string ChunkRulesText(const FeatureList* list, const StrategyChunk& chunk, bool compact)
{
    if (chunk.LacksRules())
        return chunk.NoRulesText();
    if (chunk.State() == TChunkState::LeftOut)
        return "TRUE";
    return RulesToString(list, chunk.GetRules(), compact);
}
