// A rule of strategy learning and a list of them.
//
// A RuleObject is a conjunction of conditions over a log's features: each
// condition names an object concept (normally a role), a feature group key and
// the bit the group's feature must show. A list of rules is read as a decision
// list (DecisionList.h) and shown as text (RuleTexts.h).
#pragma once

#include <memory>
#include <vector>

class ConceptObject;

class RuleObject {
public:
    // No conditions; false makes the rule negated.
    explicit RuleObject(bool positive);
    RuleObject(const RuleObject&) = default;
    RuleObject& operator=(const RuleObject&) = default;
    virtual ~RuleObject();

    // Removes every condition; the polarity stays.
    void Clear();
    // Appends a condition: an object standing for objectConcept must show
    // value (0 or 1) in a feature of the group featureKey. The rule owns
    // neither concept.
    void AddCondition(ConceptObject* objectConcept, ConceptObject* featureKey, int value);
    int Size() const { return static_cast<int>(values_.size()); }
    // The i-th condition's parts; null (value -1) when i is not a condition.
    ConceptObject* GetObjectConcept(int i) const;
    ConceptObject* GetFeatureKey(int i) const;
    int GetValue(int i) const;
    bool IsPositive() const { return positive_; }
    void SetPositive(bool positive) { positive_ = positive; }

private:
    std::vector<ConceptObject*> objectConcepts_;
    std::vector<ConceptObject*> featureKeys_;
    std::vector<int> values_;
    bool positive_ = true;
};

// A decision list; the list owns its rules.
using RuleList = std::vector<std::unique_ptr<RuleObject>>;
