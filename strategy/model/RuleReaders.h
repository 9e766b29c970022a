// Reading rules back from outside learners, and from the rule the user types.
//
// Weka's JRip and Slipper leave their rules as text; both are read as a stream
// of tokens. A feature/value pair of JRip (or of a typed rule) becomes a
// condition on the feature's group and object; a Slipper pair names a group
// and a role. The readers build their rules locally and append them to the
// chunk, so the user's own rule is never touched by a learner run. Every
// reader stops where its tokens end, whatever state the text was cut in.
#pragma once

#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

class ConceptObject;
class FeatureList;
class RuleObject;
class StrategyChunk;

// Separators of JRip results and typed rules, and of Slipper hypotheses.
inline constexpr const char* kWekaSeparators = "() =>";
inline constexpr const char* kSlipperSeparators = "() =>~";

// Splits text at any of the separators and at line ends (CR, LF) and tabs.
// Blanks before a token are skipped and no empty token is made; text in single
// or double quotes stays in its token, quotes included, separators and all.
std::vector<std::string> ExtractTokens(const std::string& text, const std::string& separators);
// Every line of the stream, each followed by one blank, as one text.
std::string JoinLines(std::istream& in);

// Turns a feature name and its value token into a condition of a rule.
struct TFeatureConditions {
    const FeatureList* list = nullptr;
    // The instance at which a player feature's object gets its role (the
    // node's first positive cycle); -1 when there is none.
    int firstPositive = -1;
    // The role root: what a team feature's condition speaks of; the role a
    // display name begins with is also looked up below it.
    ConceptObject* roleRoot = nullptr;

    // The object concept for the feature: the role root for a team feature;
    // else the object's role at firstPositive; else the role whose path the
    // name begins with ("<role path>:<group path>"); else none (any object).
    ConceptObject* ObjectConcept(int feature, const std::string& name) const;
    // Adds (object concept, the feature's group key, value == "1") for the
    // first feature of that name. False, and nothing added, for an unknown name.
    bool AddPair(RuleObject& rule, const std::string& name, const std::string& value) const;
};

// JRip's rules: tokens up to "rules:" are skipped; per rule, feature/value
// pairs (an "and" between them), "class", the class value and one coverage
// token "covered/wrong"; "Number" ends the reading. A rule is read for the
// class JRip gives the cycles it covers: the larger class of its coverage,
// and at a tie OTHER (the first class of the node datasets), whatever class
// it prints. A rule for "OTHER" is appended negated when it has conditions,
// when allowDefaultNegative is set or when the rule before it is negated (else
// it adds nothing and is dropped); any other class gives a positive rule.
// Returns the number of rules appended; whole, when given, tells whether the
// reading got to "Number" (the whole list). A pair that is no condition of the
// dataset (a feature it lacks, a value other than 0 or 1) or a coverage that
// cannot be read stops the reading before its rule, and fault, when given,
// says why ("" otherwise).
int ReadWekaRules(const std::vector<std::string>& tokens, const TFeatureConditions& features, StrategyChunk& chunk,
                  bool allowDefaultNegative, bool* whole = nullptr, std::string* fault = nullptr);
// The class of the node datasets' cycles that are not the node's, first in
// their class attribute.
inline constexpr const char* kOtherClass = "OTHER";

// The names a Slipper hypothesis uses: the identifiers (MakeIdentifier of the
// path) of every role concept, root first, depth first, and of every group key
// of the feature list in its group order.
struct TSlipperNames {
    std::vector<std::pair<std::string, ConceptObject*>> roles;
    std::vector<std::pair<std::string, ConceptObject*>> groups;
};
TSlipperNames MakeSlipperNames(ConceptObject* roleRoot, const FeatureList* list);

// Slipper's rules: per rule a class token, two numbers a and b (with "."),
// one skipped token, then (group, role) identifier pairs up to "."; a "." where
// a rule would start ends the hypothesis. A pair becomes (role, group, 1) for
// the first group and, in it, the first role of those identifiers; a pair that
// matches nothing adds nothing. An "OTHER" rule is negated when it has
// conditions or allowDefaultNegative is set (else dropped). Appends at most one
// rule: the first with the largest a - b above 0, and only when the closing "."
// is reached; with firstRule the first rule read is taken at once, whatever
// its numbers. Returns the number of rules appended (0 or 1); whole, when
// given, tells whether the hypothesis was read to its end (or its first rule
// taken).
int ReadSlipperRules(const std::vector<std::string>& tokens, const TSlipperNames& names, StrategyChunk& chunk,
                     bool allowDefaultNegative, bool firstRule, bool* whole = nullptr);

// A learner run that ended well, as the node's rule list: the rules read
// from its whole list (which may hold no rule but the default one: "FALSE",
// no cycle), or, when the learner gave none (WekaRefusal; for Slipper no
// hypothesis read to its end, SlipperRefusal) or its list cannot be read to
// its end, or holds a rule that cannot be read as the learner meant it, the
// node not learnt with the reason. True when learnt. A node
// never has both a rule list and a reason. hypothesis is null when the file
// could not be read.
bool TakeWekaResult(const std::string& result, const std::string& output, const TFeatureConditions& features,
                    StrategyChunk& chunk, bool allowDefaultNegative);
bool TakeSlipperResult(const std::string* hypothesis, const std::string& output, const TSlipperNames& names,
                       StrategyChunk& chunk, bool allowDefaultNegative, bool firstRule);

// A typed rule ("(f1 = 1) and (f2 = 0)"): its feature/value pairs, an "and"
// skipped before a name, replace the rule's conditions; unknown names add
// nothing, and a name without a value ends the reading.
void ParseRuleText(const std::string& text, const TFeatureConditions& features, RuleObject& rule);
