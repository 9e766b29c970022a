#include "core/expr/Criteria.h"

#include "core/expr/Expression.h"
#include "core/model/RoboCupFile.h"

#include <cmath>

std::vector<int> CriteriaCycles(RoboCupFileT& log, const std::string& text, std::string& error)
{
    std::vector<int> cycles;
    LogExpression criteria(log);
    error = criteria.ParseCondition(text);
    if (!error.empty())
        return cycles;
    for (int c = 0; c < log.cycles; ++c) {
        if (ConditionHolds(criteria.Evaluate(c)))
            cycles.push_back(c);
    }
    return cycles;
}
