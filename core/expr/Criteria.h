// Criteria expressions: the cycles of a log at which a condition holds, as the
// time marks take them.
#pragma once

#include <string>
#include <vector>

class RoboCupFileT;

// The cycles 0 .. log.cycles-1, ascending, at which "if (" + text + ", 1, 0)"
// evaluates to a value that is not 0 once truncated toward zero. When the parser
// does not accept the text, its message goes into error and no cycle is given.
std::vector<int> CriteriaCycles(RoboCupFileT& log, const std::string& text, std::string& error);
