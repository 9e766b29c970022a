#include "core/learning/Rules.h"

RuleObject::RuleObject(bool positive) : positive_(positive) {}

RuleObject::~RuleObject() = default;

void RuleObject::Clear()
{
    objectConcepts_.clear();
    featureKeys_.clear();
    values_.clear();
}

void RuleObject::AddCondition(ConceptObject* objectConcept, ConceptObject* featureKey, int value)
{
    objectConcepts_.push_back(objectConcept);
    featureKeys_.push_back(featureKey);
    values_.push_back(value);
}

ConceptObject* RuleObject::GetObjectConcept(int i) const
{
    return i >= 0 && i < Size() ? objectConcepts_[static_cast<std::size_t>(i)] : nullptr;
}

ConceptObject* RuleObject::GetFeatureKey(int i) const
{
    return i >= 0 && i < Size() ? featureKeys_[static_cast<std::size_t>(i)] : nullptr;
}

int RuleObject::GetValue(int i) const
{
    return i >= 0 && i < Size() ? values_[static_cast<std::size_t>(i)] : -1;
}
