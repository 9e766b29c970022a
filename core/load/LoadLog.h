// The whole load of a match log as the main window does it, without a window:
// create the record with its full schema, read the file into it (which runs the
// derived pass with events and roles), compute the roles again as the "Use player
// roles" box says, and compute the features. Tests and benchmarks go the real
// road through here; the main window calls the steps it interleaves with its own
// list and caption updates.
#pragma once

#include <memory>
#include <string>

class RoboCupFileT;

// Wall-clock seconds of the steps of one load.
struct LoadLogTimes {
    double create = 0.0;    // the record with its schema
    double read = 0.0;      // reading the file and the derived pass (events and roles included)
    double roles = 0.0;     // the roles as the "Use player roles" choice says
    double features = 0.0;  // the feature matrix
    double Total() const { return create + read + roles + features; }
};

// What follows the reading of a log (and the derived pass of a merged one): the
// wait text "Computing features ...", the roles (role analysis when usePlayerRoles
// is set, shirt numbers otherwise), then the feature matrix from the program's
// concept hierarchies. times (may be null) gets the roles and features.
void ComputeRolesAndFeatures(RoboCupFileT& log, bool usePlayerRoles, LoadLogTimes* times = nullptr);

// Creates the record for fileName and loads the file into it, with the program's
// concept hierarchies (build them first). A file that cannot be read gives a
// record of 0 cycles. times (may be null) gets every step.
std::unique_ptr<RoboCupFileT> LoadLog(const std::string& fileName, bool usePlayerRoles,
                                      LoadLogTimes* times = nullptr);
