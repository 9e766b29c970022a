#include "core/io/DatasetNames.h"

#include <unordered_set>

namespace datasetnames {

UniqueNames MakeUnique(const std::vector<std::string>& names, const std::vector<std::string>& reserved)
{
    // Every name given counts as taken from the start: a renamed "a_2" must not
    // meet a column that is itself called "a_2".
    std::unordered_set<std::string> taken(reserved.begin(), reserved.end());
    taken.insert(names.begin(), names.end());
    std::unordered_set<std::string> declared(reserved.begin(), reserved.end());
    UniqueNames result;
    result.names.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        if (declared.insert(name).second) {
            result.names.push_back(name);
            continue;
        }
        std::string renamed;
        for (int n = 2;; ++n) {
            renamed = name + "_" + std::to_string(n);
            if (taken.insert(renamed).second)
                break;
        }
        declared.insert(renamed);
        result.names.push_back(renamed);
        result.renamed.push_back({i, name});
    }
    return result;
}

std::string RenamedNote(const std::string& renamed, const std::string& original)
{
    return renamed + " is a further attribute named " + original + " (renamed: names must be unique)";
}

}  // namespace datasetnames
