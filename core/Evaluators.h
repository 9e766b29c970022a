// Concept evaluators: the test attached to a concept node that decides whether
// one object of one log belongs to the concept at one cycle.
#pragma once

class RoboCupFileT;

// The situation an evaluator judges.
class BasicGameData {
public:
    BasicGameData() = default;
    virtual ~BasicGameData() = default;

    double x = 0.0;              // position of the judged object (0, 0 for a team-level situation)
    double y = 0.0;
    RoboCupFileT* file = nullptr;  // not owned
    int cycle = 0;
    int object = 0;              // 0 ball, 1..22 players, -1 team level
};

class BasicEvaluator {
public:
    virtual ~BasicEvaluator() = default;
    virtual bool Evaluate(BasicGameData* situation) = 0;
};
