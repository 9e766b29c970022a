#include "strategy/model/RuleReaders.h"

#include "core/concepts/Concepts.h"
#include "core/learning/Features.h"
#include "core/learning/StrategyChunk.h"
#include "core/model/Common.h"
#include "strategy/model/LearnerRecord.h"

#include <charconv>
#include <cmath>
#include <istream>
#include <memory>
#include <string_view>

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

// Where a rule's reading stopped: at "class", at "Number", at the end of the
// tokens, or at a pair that cannot be read as a condition of the dataset.
enum class PairsEnd { Class, Number, Tokens, Fault };

// Appends the pair as a condition; else says why it cannot be one: a rule
// without the condition would hold where the learner's does not.
bool AddLearntPair(const TFeatureConditions& features, RuleObject& rule, const std::string& name,
                   const std::string& value, std::string* fault)
{
    if (value != "0" && value != "1") {
        *fault = "the learner's rule gives " + name + " the value " + value + ", not 0 or 1";
        return false;
    }
    if (!features.AddPair(rule, name, value)) {
        *fault = "the learner's rule names " + name + ", a feature the dataset lacks";
        return false;
    }
    return true;
}

// Reads feature/value pairs from tokens[i] on until "class", "Number", the
// end or a pair that is no condition (fault says why).
PairsEnd ReadPairs(const std::vector<std::string>& tokens, std::size_t& i, const TFeatureConditions& features,
                   RuleObject& rule, std::string* fault)
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
        if (!AddLearntPair(features, rule, t, tokens[i++], fault))
            return PairsEnd::Fault;
    }
    return PairsEnd::Tokens;
}

// The whole token as a finite number written with "."; false when it is not one.
bool ReadNumber(std::string_view token, double& value)
{
    const char* end = token.data() + token.size();
    const auto [ptr, ec] = std::from_chars(token.data(), end, value);
    return ec == std::errc() && ptr == end && std::isfinite(value);
}

// Whether JRip classes the cycles a rule covers as OTHER. Its "(covered/wrong)"
// counts the covered instances and those of the other class among them; JRip
// gives the larger of the two classes, not the printed one, and at a tie the
// first class of the dataset's class attribute, which the node datasets write
// as "{OTHER, <node>}". A coverage that cannot be read leaves fault set.
bool JRipSaysOther(const std::string& printed, const std::string& coverage, std::string* fault)
{
    const std::size_t slash = coverage.find('/');
    double covered = 0.0, wrong = 0.0;
    if (slash == std::string::npos || !ReadNumber(std::string_view(coverage).substr(0, slash), covered) ||
        !ReadNumber(std::string_view(coverage).substr(slash + 1), wrong) || wrong < 0.0 || wrong > covered) {
        *fault = "the learner's coverage " + coverage + " cannot be read";
        return false;
    }
    const double right = covered - wrong;
    if (right == wrong)
        return true;
    return (printed == kOtherClass) == (right > wrong);
}

}  // namespace

int ReadWekaRules(const std::vector<std::string>& tokens, const TFeatureConditions& features, StrategyChunk& chunk,
                  bool allowDefaultNegative, bool* whole, std::string* fault)
{
    if (whole)
        *whole = false;
    std::string why;
    const std::size_t n = tokens.size();
    std::size_t i = 0;
    while (i < n && tokens[i] != "rules:")
        ++i;
    ++i;
    int added = 0;
    while (i < n) {
        auto rule = std::make_unique<RuleObject>(true);
        const PairsEnd end = ReadPairs(tokens, i, features, *rule, &why);
        if (end == PairsEnd::Number && whole)
            *whole = true;
        if (end != PairsEnd::Class || i >= n)
            break;
        const std::string& cls = tokens[i++];
        // A list cut before its coverage is no whole list: the printed class stands.
        const bool other = i < n ? JRipSaysOther(cls, tokens[i++], &why) : cls == kOtherClass;
        if (!why.empty())
            break;
        if (other) {
            // JRip's default rule for OTHER says what the list says without
            // it after a rule for the node, or alone (a learnt empty list
            // covers nothing); after a rule for OTHER the list's own default
            // would be the node's.
            const RuleList& held = chunk.GetRules();
            const bool afterOther = !held.empty() && held.back() && !held.back()->IsPositive();
            if (rule->Size() == 0 && !allowDefaultNegative && !afterOther)
                continue;
            rule->SetPositive(false);
        }
        chunk.AddRule(std::move(rule));
        ++added;
    }
    if (fault)
        *fault = why;
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
        if (cls == kOtherClass) {
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
    std::string fault;
    if (refusal.empty())
        ReadWekaRules(ExtractTokens(result, kWekaSeparators), features, read, allowDefaultNegative, &whole, &fault);
    // A list that looks whole but whose reading ends before its count is no
    // list, nor is one with a rule the program cannot read as JRip meant it.
    if (refusal.empty() && (!whole || !fault.empty()))
        refusal = fault.empty() ? "the learner's rule list cannot be read" : fault;
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
