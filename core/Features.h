// The features of one log: a 0/1 value per cycle and feature.
#pragma once

class FeatureList {
public:
    FeatureList();
    ~FeatureList();
};
