// The records of rule tests: confusion tables, one test's results under one
// setting, and a test of one strategy with its results, merged by setting and
// written as a tab-separated table.
#pragma once

#include "strategy/model/StrategyChunks.h"

#include <cstdint>
#include <string>
#include <vector>

struct tConfusion {
    std::int32_t tp = 0;
    std::int32_t tn = 0;
    std::int32_t fp = 0;
    std::int32_t fn = 0;

    // Counts one example by what it is and what it was taken for.
    void Add(bool truth, bool answer)
    {
        if (truth && answer)
            ++tp;
        else if (truth)
            ++fn;
        else if (answer)
            ++fp;
        else
            ++tn;
    }

    bool operator==(const tConfusion&) const = default;
};

struct tTestResults {
    tConfusion rule;
    tConfusion strategic;
    tConfusion description;
    // The setting the test ran under.
    double conf = 0.0;
    double diff = 0.0;
    double distMin = 0.0;
    double distMax = 0.0;
    double abstract = 0.0;
    // Sums over the tests merged into this one.
    double depth = 0.0;
    int count = 0;
    int plus = 0;
    int minus = 0;
    int numTests = 0;

    // (tp + tn) / total; -1.0 for an empty table.
    static double Accuracy(const tConfusion& c);
    static int Total(const tConfusion& c);
    // The five settings equal, compared exactly.
    static bool SameSettings(const tTestResults& a, const tTestResults& b);
    // Adds b's tables and sums into a; a's settings stay.
    static void Add(tTestResults& a, const tTestResults& b);
    // The 26 tab-separated columns of the result table (no line end). Depth
    // per count and the averages per test print 0 when there is nothing to
    // divide by.
    static std::string ToString(const tTestResults& r);
};

class tTest {
public:
    tTest() = default;
    tTest(const tTest&) = delete;
    tTest& operator=(const tTest&) = delete;

    // Replaces the chunks by deep copies of source and stores the value.
    void SetChunks(const TChunkList& source, double value);
    const TChunkList& GetChunks() const { return chunks_; }
    double GetValue() const { return value_; }
    void AddResult(const tTestResults& r) { results_.push_back(r); }
    const std::vector<tTestResults>& Results() const { return results_; }
    // Folds every result into the first earlier one of the same settings,
    // counting the tests; the kept results stay in the order of their first.
    void MergeEqualResults();
    // The table's header line.
    static void WriteHeader(std::vector<std::string>& lines);
    // One line per result.
    void WriteResults(std::vector<std::string>& lines) const;

private:
    std::vector<tTestResults> results_;
    double value_ = 0.0;
    TChunkList chunks_;
};
