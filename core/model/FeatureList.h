// The features of one log: for every cycle (instance) and every feature one bit
// that tells whether the feature holds there, and per feature its name, a weight
// value, a count, the object it speaks of and the concept that groups it. Per
// instance it also keeps the role concept of each of the 23 objects, so that rules
// phrased in roles can be matched against the bits. Filling it and learning from
// it are the learning's (core/learning/Features.h).
//
// Every accessor checks its feature, instance and object index and throws
// std::out_of_range outside the list: a name that IndexOf cannot find (-1) must
// never turn into a write into another feature's memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class ConceptObject;
class RoboCupFileT;
struct FeatureConceptRoots;

class FeatureList {
public:
    static constexpr int kObjectColumns = 23;

    // No matrix, sizes 0, no names, no groups, 23 empty object columns.
    FeatureList();
    virtual ~FeatureList();
    FeatureList(const FeatureList&) = delete;
    FeatureList& operator=(const FeatureList&) = delete;

    // Replaces the previous contents (groups included): a zeroed matrix of
    // numInstances rows, numFeatures zeroed per-feature entries, 23 null columns
    // of numInstances entries, then ResetNames. Negative sizes throw
    // std::invalid_argument.
    void Allocate(int numFeatures, int numInstances);
    // numFeatures empty names; every value 0.0, count 0 and object index 0.
    void ResetNames();

    int GetNumInstances() const { return numInstances_; }
    int GetNumFeatures() const { return numFeatures_; }
    int GetBytesPerRow() const { return bytesPerRow_; }
    // The packed matrix: bit f % 8 of byte i * bytesPerRow + f / 8 is feature f at
    // instance i; bits beyond the last feature of a row are 0.
    const std::uint8_t* GetRow(int instance) const;

    // 0 or 1.
    int GetBit(int feature, int instance) const;
    void SetBit(int feature, int instance);
    void ClearBit(int feature, int instance);
    // counts[f] += bit of f at the instance, for every feature f; counts holds
    // GetNumFeatures() ints.
    void AddInstanceBits(int instance, int* counts) const;
    // bits[f] = GetBit(f, instance) for every feature f; bits holds
    // GetNumFeatures() bytes.
    void GetInstanceBits(int instance, std::uint8_t* bits) const;

    const std::string& GetName(int feature) const;
    void SetName(int feature, const std::string& name);
    double GetValue(int feature) const;
    void SetValue(int feature, double value);
    int GetCount(int feature) const;
    void SetCount(int feature, int count);
    // 0..22, or -1 for a team-level feature.
    int GetObjectIndex(int feature) const;
    void SetObjectIndex(int feature, int object);
    ConceptObject* GetGroupKey(int feature) const;
    void SetGroupKey(int feature, ConceptObject* key);
    // Object o's role concept at the instance (null when none was set).
    ConceptObject* GetObjectConcept(int object, int instance) const;
    void SetObjectConcept(int object, int instance, ConceptObject* role);
    // The same for the instances first .. first + count - 1.
    void SetObjectConcepts(int object, int first, int count, ConceptObject* role);

    // The first feature whose name equals name exactly (case-sensitive); -1 if none.
    int IndexOf(const std::string& name) const;
    // Files the feature under its group key (set it first); a new key makes a new group.
    void AddToGroup(int feature);
    // The features filed under key, in filing order; an unknown key gets a new,
    // empty group, which is returned. The reference stays valid until Allocate.
    std::vector<int>& GetGroup(ConceptObject* key);
    // Appends every group key once, in the order the keys were first filed or
    // asked for, so that everything built from them is the same on every run.
    void GetGroupKeys(std::vector<ConceptObject*>& keys) const;


private:
    // The feature computation writes each feature's column of the fresh matrix
    // directly: it is the one hot loop over every feature and cycle.
    friend void ComputeFeatures(RoboCupFileT* log, const FeatureConceptRoots& roots);

    void CheckFeature(int feature) const;
    void CheckInstance(int instance) const;
    std::size_t ByteIndex(int feature, int instance) const
    {
        return static_cast<std::size_t>(instance) * static_cast<std::size_t>(bytesPerRow_) +
               static_cast<std::size_t>(feature / 8);
    }

    std::vector<std::uint8_t> matrix_;
    int numInstances_ = 0;
    int numFeatures_ = 0;
    int bytesPerRow_ = 0;
    std::vector<std::string> names_;
    std::vector<double> values_;
    std::vector<int> counts_;
    std::vector<int> objectIndex_;
    std::vector<ConceptObject*> groupKey_;
    std::vector<std::vector<ConceptObject*>> objectConcepts_;

    // The groups in the order their keys first appeared; the deque keeps the
    // references GetGroup hands out valid while groups are added.
    std::deque<std::pair<ConceptObject*, std::vector<int>>> groups_;
    std::unordered_map<const ConceptObject*, std::size_t> groupIndex_;
};

// The hierarchy roots the feature computation draws its concepts from, and the
// role concept that stands for the ball in every cycle. A null root adds nothing.
struct FeatureConceptRoots {
    ConceptObject* position = nullptr;
    ConceptObject* speed = nullptr;
    ConceptObject* ballRelative = nullptr;
    ConceptObject* teamplay = nullptr;
    ConceptObject* keepaway = nullptr;
    ConceptObject* ball = nullptr;
};
