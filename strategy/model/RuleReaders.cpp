#include "strategy/model/RuleReaders.h"

#include "core/concepts/Concepts.h"
#include "core/learning/Features.h"
#include "core/learning/Rules.h"
#include "core/model/Common.h"
#include "strategy/model/LearnerRecord.h"

#include <charconv>
#include <istream>
#include <memory>

std::vector<std::string> ExtractTokens(const std::string& text, const std::string& separators)
{
    auto separates = [&separators](char c) {
        return c == '\r' || c == '\n' || c == '\t' || separators.find(c) != std::string::npos;
    };
    std::vector<std::string> tokens;
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        while (i < n && text[i] == ' ')
            ++i;
        std::string token;
        char quote = 0;
        for (; i < n; ++i) {
            const char c = text[i];
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == '\'' || c == '"') {
                quote = c;
            } else if (separates(c)) {
                break;
            }
            token += c;
        }
        if (!token.empty())
            tokens.push_back(std::move(token));
        ++i;  // past the separator
    }
    return tokens;
}

std::string JoinLines(std::istream& in)
{
    std::string text;
    std::string line;
    while (std::getline(in, line)) {
        text += line;
        text += ' ';
    }
    return text;
}

// ---------------------------------------------------------------------------
// Feature conditions

namespace {

ConceptObject* RoleNamed(ConceptObject* root, const std::string& path)
{
    std::vector<ConceptObject*> roles;
    ConceptObject::CollectConcepts(root, &roles, true);
    for (ConceptObject* role : roles)
        if (ConceptObject::GetPathName(role) == path)
            return role;
    return nullptr;
}

}  // namespace

ConceptObject* TFeatureConditions::ObjectConcept(int feature, const std::string& name) const
{
    const int object = list->GetObjectIndex(feature);
    if (object < 0)
        return roleRoot;
    if (firstPositive >= 0 && firstPositive < list->GetNumInstances() && object < FeatureList::kObjectColumns) {
        if (ConceptObject* role = list->GetObjectConcept(object, firstPositive))
            return role;
    }
    const std::size_t colon = name.find(':');
    if (colon != std::string::npos)
        return RoleNamed(roleRoot, name.substr(0, colon));
    return nullptr;
}

bool TFeatureConditions::AddPair(RuleObject& rule, const std::string& name, const std::string& value) const
{
    if (!list)
        return false;
    const int f = list->IndexOf(name);
    if (f < 0)
        return false;
    rule.AddCondition(ObjectConcept(f, name), list->GetGroupKey(f), value == "1" ? 1 : 0);
    return true;
}

// ---------------------------------------------------------------------------
// JRip

namespace {

// Reads feature/value pairs from tokens[i] on until "class", "Number" or the
// end; stop tells which of the three ended them.
enum class PairsEnd { Class, Number, Tokens };

PairsEnd ReadPairs(const std::vector<std::string>& tokens, std::size_t& i, const TFeatureConditions& features,
                   RuleObject& rule)
{
    const std::size_t n = tokens.size();
    while (i < n) {
        std::string t = tokens[i++];
        if (t == "and") {
            // The word after "and" is a feature name, whatever it says.
            if (i >= n)
                break;
            t = tokens[i++];
        } else if (t == "class") {
            return PairsEnd::Class;
        } else if (t == "Number") {
            return PairsEnd::Number;
        }
        if (i >= n)
            break;
        features.AddPair(rule, t, tokens[i++]);
    }
    return PairsEnd::Tokens;
}

}  // namespace

int ReadWekaRules(const std::vector<std::string>& tokens, const TFeatureConditions& features, StrategyChunk& chunk,
                  bool allowDefaultNegative, bool* whole)
{
    if (whole)
        *whole = false;
    const std::size_t n = tokens.size();
    std::size_t i = 0;
    while (i < n && tokens[i] != "rules:")
        ++i;
    ++i;
    int added = 0;
    while (i < n) {
        auto rule = std::make_unique<RuleObject>(true);
        const PairsEnd end = ReadPairs(tokens, i, features, *rule);
        if (end == PairsEnd::Number && whole)
            *whole = true;
        if (end != PairsEnd::Class || i >= n)
            break;
        const std::string& cls = tokens[i++];
        if (i < n)
            ++i;  // the learner's coverage counts
        if (cls == "OTHER") {
            if (rule->Size() == 0 && !allowDefaultNegative)
                continue;
            rule->SetPositive(false);
        }
        chunk.AddRule(std::move(rule));
        ++added;
    }
    return added;
}

// ---------------------------------------------------------------------------
// Slipper

TSlipperNames MakeSlipperNames(ConceptObject* roleRoot, const FeatureList* list)
{
    TSlipperNames names;
    std::vector<ConceptObject*> roles;
    ConceptObject::CollectConcepts(roleRoot, &roles, true);
    for (ConceptObject* role : roles)
        names.roles.emplace_back(MakeIdentifier(ConceptObject::GetPathName(role)), role);
    if (list) {
        std::vector<ConceptObject*> keys;
        list->GetGroupKeys(keys);
        for (ConceptObject* key : keys)
            names.groups.emplace_back(MakeIdentifier(ConceptObject::GetPathName(key)), key);
    }
    return names;
}

namespace {

// The whole token as a number written with "."; 0.0 when it is not one.
double NumberOrZero(const std::string& token)
{
    double value = 0.0;
    const char* end = token.data() + token.size();
    const auto [ptr, ec] = std::from_chars(token.data(), end, value);
    return ec == std::errc() && ptr == end ? value : 0.0;
}

void AddSlipperPair(const TSlipperNames& names, const std::string& group, const std::string& role, RuleObject& rule)
{
    for (const auto& [groupId, key] : names.groups) {
        if (groupId != group)
            continue;
        for (const auto& [roleId, roleConcept] : names.roles) {
            if (roleId == role) {
                rule.AddCondition(roleConcept, key, 1);
                return;
            }
        }
    }
}

}  // namespace

int ReadSlipperRules(const std::vector<std::string>& tokens, const TSlipperNames& names, StrategyChunk& chunk,
                     bool allowDefaultNegative, bool firstRule, bool* whole)
{
    if (whole)
        *whole = false;
    const std::size_t n = tokens.size();
    std::size_t i = 0;
    std::unique_ptr<RuleObject> best;
    double bestDiff = 0.0;
    while (i < n) {
        const std::string& cls = tokens[i++];
        if (cls == ".") {
            if (whole)
                *whole = true;
            if (!best)
                return 0;
            chunk.AddRule(std::move(best));
            return 1;
        }
        if (i + 3 > n)
            return 0;
        const double a = NumberOrZero(tokens[i++]);
        const double b = NumberOrZero(tokens[i++]);
        ++i;  // the word between the numbers and the pairs
        auto rule = std::make_unique<RuleObject>(true);
        bool closed = false;
        while (i < n) {
            const std::string& x = tokens[i++];
            if (x == ".") {
                closed = true;
                break;
            }
            if (i >= n)
                break;
            AddSlipperPair(names, x, tokens[i++], *rule);
        }
        if (!closed)
            return 0;
        if (cls == "OTHER") {
            if (rule->Size() == 0 && !allowDefaultNegative)
                continue;
            rule->SetPositive(false);
        }
        if (firstRule) {
            if (whole)
                *whole = true;
            chunk.AddRule(std::move(rule));
            return 1;
        }
        const double diff = a - b;
        if (diff > bestDiff) {
            best = std::move(rule);
            bestDiff = diff;
        }
    }
    return 0;
}

// ---------------------------------------------------------------------------
// A learner's result as a node's rule list

namespace {

StrategyChunk Scratch() { return StrategyChunk("", nullptr, nullptr, 0.0, 0.0, 0.0, false); }

// The rules read into a chunk of their own become the node's rule list, or,
// with a reason, the node is not learnt.
bool TakeRules(StrategyChunk& read, const std::string& refusal, StrategyChunk& chunk)
{
    if (!refusal.empty()) {
        chunk.SetNotLearnt(refusal);
        return false;
    }
    for (auto& rule : read.GetRules())
        chunk.AddRule(std::move(rule));
    chunk.SetLearnt();
    return true;
}

}  // namespace

bool TakeWekaResult(const std::string& result, const std::string& output, const TFeatureConditions& features,
                    StrategyChunk& chunk, bool allowDefaultNegative)
{
    std::string refusal = WekaRefusal(result, output);
    StrategyChunk read = Scratch();
    bool whole = false;
    if (refusal.empty())
        ReadWekaRules(ExtractTokens(result, kWekaSeparators), features, read, allowDefaultNegative, &whole);
    // A list that looks whole but whose reading ends before its count is no list.
    if (refusal.empty() && !whole)
        refusal = "the learner's rule list cannot be read";
    return TakeRules(read, refusal, chunk);
}

bool TakeSlipperResult(const std::string* hypothesis, const std::string& output, const TSlipperNames& names,
                       StrategyChunk& chunk, bool allowDefaultNegative, bool firstRule)
{
    StrategyChunk read = Scratch();
    bool whole = false;
    if (hypothesis)
        ReadSlipperRules(ExtractTokens(*hypothesis, kSlipperSeparators), names, read, allowDefaultNegative, firstRule,
                         &whole);
    return TakeRules(read, whole ? std::string() : SlipperRefusal(output), chunk);
}

// ---------------------------------------------------------------------------
// Typed rules

void ParseRuleText(const std::string& text, const TFeatureConditions& features, RuleObject& rule)
{
    rule.Clear();
    const std::vector<std::string> tokens = ExtractTokens(text, kWekaSeparators);
    const std::size_t n = tokens.size();
    std::size_t i = 0;
    while (i < n) {
        std::string name = tokens[i++];
        if (name == "and") {
            if (i >= n)
                break;
            name = tokens[i++];
        }
        if (i >= n)
            break;
        features.AddPair(rule, name, tokens[i++]);
    }
}
