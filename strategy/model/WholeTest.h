// Rule tests over whole strategies. The whole test sets every strategy of the
// test graph with as many nodes as the shown strategy against it, node k
// against chunk k: a candidate is true when it lies near the strategy (or, in
// a batch test, runs through the recorded situations), and the rules accept
// it when every node has a covered cycle. The strategy-grid evaluation asks
// the same of the listed strategies with the join distance, counting the
// cycles whose situation the chunk has stored as positive.
//
// No window here: the strategy window reads its boxes into the inputs and
// writes the lines into its memo.
#pragma once

#include "strategy/model/RuleTest.h"

#include "actiongraph/model/Paths.h"

#include <functional>
#include <string>
#include <vector>

class TPathObject;

struct TWholeTestInput {
    const TChunkList* chunks = nullptr;
    const TPathList* strategies = nullptr;  // the test graph's paths
    const TGraph* graph = nullptr;          // the test graph: a node outside it beeps
    FeatureList* features = nullptr;        // of the test log
    const RoboCupFileT* log = nullptr;      // the test log
    // The batch record's chunks: a candidate through three or more of their
    // situations is true. Null: a candidate within the match value is true.
    const TChunkList* targetChunks = nullptr;
    TChunkWeights weights;
    double value = 85.0;
    bool testAll = false;
    bool averageDist = false;  // far nodes count with their own distance
    bool strictTimes = true;   // the candidate's own occurrences only
    TVerbose verbose = TVerbose::Checked;
};

struct TWholeTestOutput {
    std::vector<std::string> lines;
    // The three tables, and the depth of the last tested candidate.
    tTestResults result;
};

// Chunks RulesMissing finds fault with are not tested: the one line says why.
TWholeTestOutput RunWholeTest(const TWholeTestInput& in);

struct TGridEvaluationInput {
    const TChunkList* chunks = nullptr;
    const TPathList* strategies = nullptr;  // the candidates
    FeatureList* features = nullptr;        // of the log whose cycles are read
    const RoboCupFileT* log = nullptr;
    // The join distance; read only once a candidate passes the concept check
    // (it may throw EConvertError).
    std::function<double()> joinValue;
    bool testAll = false;
    bool noLastNode = false;
    TVerbose verbose = TVerbose::Checked;
    TSettingTexts settings;
};

struct TGridEvaluationOutput {
    std::vector<std::string> lines;
    int all = 0;
    int excluded = 0;
    tConfusion rule;
    tConfusion strategic;
    // The conversion error that stopped the run (empty when it ran through).
    std::string error;
};

// Chunks RulesMissing finds fault with are not tested: the one line says why.
TGridEvaluationOutput RunGridEvaluation(const TGridEvaluationInput& in);
