#include "actiongraph/model/AssocSnapshot.h"

#include "actiongraph/model/GraphBuilder.h"
#include "core/concepts/Concepts.h"
#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"

#include <unordered_map>

assocdata::Dataset AssocSnapshot(const RoboCupFileT& log, int roleDepth, const std::vector<int>& instanceCycles,
                                 const std::vector<int>& instanceClasses, const std::vector<std::string>& classNames)
{
    assocdata::Dataset data;
    data.classNames = classNames;
    FeatureList* list = log.features.get();
    const int n = list ? list->GetNumFeatures() : 0;
    for (int f = 0; f < n; ++f)
        data.features.push_back({list->GetName(f), list->GetValue(f), list->GetObjectIndex(f)});
    if (list) {
        std::vector<ConceptObject*> keys;
        list->GetGroupKeys(keys);
        for (ConceptObject* key : keys)
            data.groups.push_back({key ? ConceptObject::GetPathName(key) : std::string(), list->GetGroup(key)});
    }
    // Role paths are few; look each concept's path up once.
    std::unordered_map<ConceptObject*, std::string> paths;
    data.instances.reserve(instanceCycles.size());
    for (std::size_t i = 0; i < instanceCycles.size(); ++i) {
        assocdata::Instance& in = data.instances.emplace_back();
        in.cycle = instanceCycles[i];
        in.classIndex = i < instanceClasses.size() ? instanceClasses[i] : 0;
        in.bits.assign(static_cast<std::size_t>(n), 0);
        if (list && n > 0 && in.cycle >= 0 && in.cycle < list->GetNumInstances())
            list->GetInstanceBits(in.cycle, in.bits.data());
        for (int o = 0; o < 23; ++o) {
            ConceptObject* role = RoleAt(log, o, in.cycle);
            if (!role)
                continue;
            auto it = paths.find(role);
            if (it == paths.end())
                it = paths.emplace(role, ConceptObject::GetPathName(role, roleDepth)).first;
            in.roles[static_cast<std::size_t>(o)] = it->second;
        }
    }
    return data;
}
