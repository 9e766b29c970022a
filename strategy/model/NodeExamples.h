// The examples of one strategy node in a rule-learning run: what the example
// collection hands on to the learner and to the evaluation of the user's rule.
#pragma once

#include <string>
#include <vector>

struct TNodeExamples {
    // The node's name; the final node's name ends in "-END".
    std::string name;
    // The node's chunk in the window's chunk list.
    int chunk = 0;
    bool final = false;
    // Positive cycles, and negative cycles after sampling, in the order found.
    std::vector<int> positives;
    std::vector<int> negatives;
    // The dataset threshold (the threshold box x 0.01).
    double threshold = 0.0;
};
