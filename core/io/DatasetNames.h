// Attribute names a dataset can declare: learners refuse a file that declares
// one name twice (Weka: "Attribute names are not unique!"), so a repeated name
// is told apart by a suffix, and the files say so in a comment where their
// format has comments.
#pragma once

#include <string>
#include <vector>

namespace datasetnames {

struct UniqueNames {
    std::vector<std::string> names;  // one per name given, in order
    // Per renamed attribute its place in names and the name it repeated.
    struct Renamed {
        std::size_t index = 0;
        std::string original;
    };
    std::vector<Renamed> renamed;
};

// The names with every repeat renamed: the second "a" becomes "a_2", the third
// "a_3", each skipping a suffix that is taken already (also by a name given
// later, or by one of the reserved names, which the file declares besides).
UniqueNames MakeUnique(const std::vector<std::string>& names, const std::vector<std::string>& reserved = {});

// The comment text for one renamed attribute, without the format's comment
// sign: "a_2 is a further attribute named a (renamed: names must be unique)".
std::string RenamedNote(const std::string& renamed, const std::string& original);

}  // namespace datasetnames
