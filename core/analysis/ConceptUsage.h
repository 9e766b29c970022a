// How often concepts hold in one log: the items of the concept-usage window
// (a concept for one object, or a team-level concept), their feature in the
// log's feature matrix, their counts over a time range and at the time marks,
// and the ratios built from those counts. No window code: the window shows
// what these compute.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class ConceptObject;
class FeatureList;
class RoboCupFileT;
struct FeatureConceptRoots;

struct UsageItem {
    std::string label;         // "<Object>:<path>" or, team level, "<path>"
    ConceptObject* node = nullptr;  // the concept; not owned
    int object = -1;           // 0..22, or -1 for a team-level concept
    int feature = -1;          // its feature in the log's matrix, -1 when it has none
};

// The items for the selected objects (object p of the 23 when objects[p]): per
// object, every evaluable concept of the position, speed and ball-relative
// hierarchies, then the team-level concepts (the keepaway hierarchy's in a
// keepaway log, the teamplay hierarchy's otherwise). Each item finds its
// feature by the name the feature matrix gives it ("<Object>:<path>",
// "Team:<path>"), never by its position.
std::vector<UsageItem> BuildUsageItems(const RoboCupFileT& log, const std::array<bool, 23>& objects,
                                       const FeatureConceptRoots& roots);

// Counts of set bits of features over ranges of cycles, from per-feature prefix
// sums made on first use: O(1) per range once made.
class UsageCounter {
public:
    explicit UsageCounter(const FeatureList* features = nullptr);
    // Forgets the sums when the list (or its size) is not the one they were made for.
    void Reset(const FeatureList* features);
    // Cycles t with from <= t < to (cut to the log) at which the feature is set;
    // 0 for feature -1.
    int RangeCount(int feature, int from, int to);
    // The bit, 0 outside the matrix.
    int Bit(int feature, int cycle) const;

private:
    const std::vector<std::int32_t>& Sums(int feature);
    const FeatureList* features_ = nullptr;
    int instances_ = 0;
    std::vector<std::vector<std::int32_t>> sums_;  // by feature; empty until asked
};

// One row of the statistics: counts and ratios as the grid shows them.
struct UsageStats {
    int rangeCount = 0;   // R: set cycles in the range
    int marksCount = 0;   // K: marks (each listing) at a set cycle
    int innerMarks = 0;   // I: of those, inside the range
    int cleanCount = 0;   // C = R - I
    double rangeRatio = 0, marksRatio = 0, cleanRatio = 0;
    double rangeToMarks = 0, cleanToMarks = 0, rangeIndex = 0, cleanIndex = 0, tfIdf = 0;
};

// The value the ratios take when their divisor is 0.
inline constexpr double kNoRatio = 999.99;

// The marks at cycles the log has (0 .. cycles-1), in list order; others are skipped.
std::vector<int> MarksInLog(const std::vector<int>& marks, int cycles);

// The statistics of a feature over [from, to) and at the marks: marks are the
// listed cycles inside the log (one listed twice counts twice).
UsageStats ComputeUsage(UsageCounter& counter, int feature, int from, int to, const std::vector<int>& marks);

// The twelve texts of a grid row: the label, counts as integers, the rest with
// three decimals ("999.990").
std::vector<std::string> UsageRowTexts(const std::string& label, const UsageStats& s);
// The header texts of the twelve columns.
const std::vector<std::string>& UsageHeaders();

// The order in which rows are shown after sorting by values, descending, by the
// exchange sort the grid has always used: for i < j, rows i and j change places
// when the value of i is less than that of j. order[k] is the old index of row k.
std::vector<int> ExchangeSortDescending(const std::vector<double>& values);

// Whether the item's concept holds at the cycle: its object's position at t
// (0, 0 for a team-level item) judged by the concept's evaluator.
bool EvaluateItem(const UsageItem& item, RoboCupFileT& log, int cycle);
