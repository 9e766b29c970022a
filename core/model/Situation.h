// The situation a concept test judges: one object of one log at one cycle,
// with the object's position.
#pragma once

class RoboCupFileT;

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
