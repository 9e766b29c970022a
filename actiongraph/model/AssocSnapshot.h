// The plain picture of a log's features at a list of example cycles that the
// learner dataset writers read (core/io/AssocData.h).
#pragma once

#include "core/io/AssocData.h"

#include <string>
#include <vector>

class RoboCupFileT;

// Features, groups (in filing order) and, per example, its bits and the role
// path (kept to roleDepth levels, 0: all) of every object that has one at the
// cycle. A log without features gives
// none; a cycle outside the feature matrix gives all bits 0.
assocdata::Dataset AssocSnapshot(const RoboCupFileT& log, int roleDepth, const std::vector<int>& instanceCycles,
                                 const std::vector<int>& instanceClasses, const std::vector<std::string>& classNames);
