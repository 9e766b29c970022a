// Datasets for outside association and rule learners: the feature matrix of a
// log at a list of example cycles, each with a class, in five formats
// (Apriori transactions and their appearance file, Weka ARFF, CN2, Orange tab,
// SLIPPER data and names files). The writers read a plain picture of the
// features at the example cycles and end every line with CR LF; names are
// written as they stand, except where SLIPPER needs identifiers, and an
// attribute name declared before gets a suffix ("_2", ...; said in a "%"
// comment in ARFF) so that no learner refuses the file.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace assocdata {

enum class Format { Apriori = 0, Weka = 1, CN2 = 2, Orange = 3, Slipper = 4 };

struct Feature {
    std::string name;  // "<object>:<concept path>" or "Team:<concept path>"
    double value = 0.0;
    int object = -1;   // 0..22, or -1 for a team-level feature
};

// One concept evaluated for every object: its dotted path and its features.
struct Group {
    std::string path;
    std::vector<int> features;
};

struct Instance {
    int cycle = 0;
    int classIndex = 0;
    std::vector<std::uint8_t> bits;      // per feature, 0 or 1, at the cycle
    std::array<std::string, 23> roles;   // per object its role path at the cycle; empty without one
};

struct Dataset {
    std::vector<Feature> features;
    std::vector<Group> groups;  // in the order the groups were first filed
    std::vector<std::string> classNames;
    std::vector<Instance> instances;
};

// Called before each instance with its count from 1 on and the number of instances.
using Progress = std::function<void(int done, int total)>;

// The features formats 0 to 3 declare: every one for threshold <= 0, else
// those of value strictly above it, in feature order.
std::vector<int> DeclaredFeatures(const Dataset& data, double threshold);

// "Saving <file> <p> % ..." with p = 100 done / total, one decimal.
std::string ProgressText(const std::string& fileName, int done, int total);

// The extension of the second file a format writes beside the main one:
// ".app" for Apriori, ".names" for Slipper; empty for a format of one file.
std::string SecondFileExt(Format kind);

// The name of the second file of a format with two files: the main file's
// trailing extension replaced by ext (".app", ".names"), or ext appended to a
// name without extension. Empty when the main file already ends in ext (both
// would be one file).
std::string SecondFileName(const std::string& fileName, const std::string& ext);

// Apriori: the appearance file (class names as heads) and one transaction per
// instance of " <item>" per set declared feature and " <class>"; the item is
// prefixed by "Team:", by the object's role (useRoles, when it has one) or by
// the object's name.
void WriteApriori(std::ostream& out, std::ostream& appearance, const Dataset& data, double threshold,
                  bool useRoles, const Progress& progress = {});
void WriteWeka(std::ostream& out, const Dataset& data, double threshold, const Progress& progress = {});
void WriteCN2(std::ostream& out, const Dataset& data, double threshold, const Progress& progress = {});
void WriteOrange(std::ostream& out, const Dataset& data, double threshold, const Progress& progress = {});
// SLIPPER: one set-valued attribute per declared group. With a selection
// (dotted group paths), only the selected groups whose positive rate reaches
// the threshold and beats the negative rate are declared, and the others are
// removed from the selection; a feature is written when its own rates pass
// the same test. The tokens are the identifiers of "Team", of the object's
// role or of its name.
void WriteSlipper(std::ostream& out, std::ostream& names, const Dataset& data, double threshold,
                  std::vector<std::string>* selection, const Progress& progress = {});

}  // namespace assocdata
