#include "core/model/FeatureList.h"

#include <algorithm>
#include <stdexcept>

FeatureList::FeatureList() : objectConcepts_(kObjectColumns)
{
    groupIndex_.reserve(100);
}

FeatureList::~FeatureList() = default;

void FeatureList::Allocate(int numFeatures, int numInstances)
{
    if (numFeatures < 0 || numInstances < 0)
        throw std::invalid_argument("FeatureList::Allocate: negative size");
    numFeatures_ = numFeatures;
    numInstances_ = numInstances;
    bytesPerRow_ = numFeatures / 8 + (numFeatures % 8 != 0 ? 1 : 0);  // (n + 7) / 8 without overflow
    const std::size_t rows = static_cast<std::size_t>(numInstances);
    const std::size_t perRow = static_cast<std::size_t>(bytesPerRow_);
    matrix_.assign(rows * perRow, 0);
    const std::size_t n = static_cast<std::size_t>(numFeatures);
    values_.assign(n, 0.0);
    counts_.assign(n, 0);
    objectIndex_.assign(n, 0);
    groupKey_.assign(n, nullptr);
    for (auto& column : objectConcepts_)
        column.assign(rows, nullptr);
    groups_.clear();
    groupIndex_.clear();
    ResetNames();
}

void FeatureList::ResetNames()
{
    const std::size_t n = static_cast<std::size_t>(numFeatures_);
    names_.assign(n, std::string());
    std::fill(values_.begin(), values_.end(), 0.0);
    std::fill(counts_.begin(), counts_.end(), 0);
    std::fill(objectIndex_.begin(), objectIndex_.end(), 0);
}

void FeatureList::CheckFeature(int feature) const
{
    if (feature < 0 || feature >= numFeatures_)
        throw std::out_of_range("FeatureList: feature index " + std::to_string(feature) + " out of range");
}

void FeatureList::CheckInstance(int instance) const
{
    if (instance < 0 || instance >= numInstances_)
        throw std::out_of_range("FeatureList: instance " + std::to_string(instance) + " out of range");
}

const std::uint8_t* FeatureList::GetRow(int instance) const
{
    CheckInstance(instance);
    return matrix_.data() + static_cast<std::size_t>(instance) * static_cast<std::size_t>(bytesPerRow_);
}

int FeatureList::GetBit(int feature, int instance) const
{
    CheckFeature(feature);
    CheckInstance(instance);
    return (matrix_[ByteIndex(feature, instance)] >> (feature % 8)) & 1;
}

void FeatureList::SetBit(int feature, int instance)
{
    CheckFeature(feature);
    CheckInstance(instance);
    matrix_[ByteIndex(feature, instance)] |= static_cast<std::uint8_t>(1u << (feature % 8));
}

void FeatureList::ClearBit(int feature, int instance)
{
    CheckFeature(feature);
    CheckInstance(instance);
    matrix_[ByteIndex(feature, instance)] &= static_cast<std::uint8_t>(~(1u << (feature % 8)));
}

void FeatureList::AddInstanceBits(int instance, int* counts) const
{
    const std::uint8_t* row = GetRow(instance);
    for (int f = 0; f < numFeatures_; ++f)
        counts[f] += (row[f / 8] >> (f % 8)) & 1;
}

void FeatureList::GetInstanceBits(int instance, std::uint8_t* bits) const
{
    const std::uint8_t* row = GetRow(instance);
    for (int f = 0; f < numFeatures_; ++f)
        bits[f] = static_cast<std::uint8_t>((row[f / 8] >> (f % 8)) & 1);
}

const std::string& FeatureList::GetName(int feature) const
{
    CheckFeature(feature);
    return names_[static_cast<std::size_t>(feature)];
}

void FeatureList::SetName(int feature, const std::string& name)
{
    CheckFeature(feature);
    names_[static_cast<std::size_t>(feature)] = name;
}

double FeatureList::GetValue(int feature) const
{
    CheckFeature(feature);
    return values_[static_cast<std::size_t>(feature)];
}

void FeatureList::SetValue(int feature, double value)
{
    CheckFeature(feature);
    values_[static_cast<std::size_t>(feature)] = value;
}

int FeatureList::GetCount(int feature) const
{
    CheckFeature(feature);
    return counts_[static_cast<std::size_t>(feature)];
}

void FeatureList::SetCount(int feature, int count)
{
    CheckFeature(feature);
    counts_[static_cast<std::size_t>(feature)] = count;
}

int FeatureList::GetObjectIndex(int feature) const
{
    CheckFeature(feature);
    return objectIndex_[static_cast<std::size_t>(feature)];
}

void FeatureList::SetObjectIndex(int feature, int object)
{
    CheckFeature(feature);
    objectIndex_[static_cast<std::size_t>(feature)] = object;
}

ConceptObject* FeatureList::GetGroupKey(int feature) const
{
    CheckFeature(feature);
    return groupKey_[static_cast<std::size_t>(feature)];
}

void FeatureList::SetGroupKey(int feature, ConceptObject* key)
{
    CheckFeature(feature);
    groupKey_[static_cast<std::size_t>(feature)] = key;
}

ConceptObject* FeatureList::GetObjectConcept(int object, int instance) const
{
    if (object < 0 || object >= kObjectColumns)
        throw std::out_of_range("FeatureList: object " + std::to_string(object) + " out of range");
    CheckInstance(instance);
    return objectConcepts_[static_cast<std::size_t>(object)][static_cast<std::size_t>(instance)];
}

void FeatureList::SetObjectConcept(int object, int instance, ConceptObject* role)
{
    if (object < 0 || object >= kObjectColumns)
        throw std::out_of_range("FeatureList: object " + std::to_string(object) + " out of range");
    CheckInstance(instance);
    objectConcepts_[static_cast<std::size_t>(object)][static_cast<std::size_t>(instance)] = role;
}

void FeatureList::SetObjectConcepts(int object, int first, int count, ConceptObject* role)
{
    if (count <= 0)
        return;
    if (object < 0 || object >= kObjectColumns)
        throw std::out_of_range("FeatureList: object " + std::to_string(object) + " out of range");
    CheckInstance(first);
    CheckInstance(first + count - 1);
    auto& column = objectConcepts_[static_cast<std::size_t>(object)];
    std::fill_n(column.begin() + first, count, role);
}

int FeatureList::IndexOf(const std::string& name) const
{
    const auto it = std::find(names_.begin(), names_.end(), name);
    return it == names_.end() ? -1 : static_cast<int>(it - names_.begin());
}

void FeatureList::AddToGroup(int feature)
{
    CheckFeature(feature);
    GetGroup(groupKey_[static_cast<std::size_t>(feature)]).push_back(feature);
}

std::vector<int>& FeatureList::GetGroup(ConceptObject* key)
{
    const auto found = groupIndex_.find(key);
    if (found != groupIndex_.end())
        return groups_[found->second].second;
    groupIndex_.emplace(key, groups_.size());
    groups_.emplace_back(key, std::vector<int>());
    return groups_.back().second;
}

void FeatureList::GetGroupKeys(std::vector<ConceptObject*>& keys) const
{
    for (const auto& group : groups_)
        keys.push_back(group.first);
}
