#include "core/load/LoadLog.h"

#include "core/io/Convertlog.h"
#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"
#include "core/analysis/Roles.h"
#include "platform/Hooks.h"

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

void ComputeRolesAndFeatures(RoboCupFileT& log, bool usePlayerRoles, LoadLogTimes* times)
{
    platform::SetWaitText("Computing features ...");
    auto start = Clock::now();
    CalculateRoles(&log, !usePlayerRoles);
    if (times != nullptr)
        times->roles = SecondsSince(start);
    start = Clock::now();
    ComputeFeatures(&log);
    if (times != nullptr)
        times->features = SecondsSince(start);
}

std::unique_ptr<RoboCupFileT> LoadLog(const std::string& fileName, bool usePlayerRoles, LoadLogTimes* times)
{
    auto start = Clock::now();
    std::unique_ptr<RoboCupFileT> log = CreateFileRecord(fileName);
    if (times != nullptr)
        times->create = SecondsSince(start);
    start = Clock::now();
    ReadRcgFile(fileName, *log);
    if (times != nullptr)
        times->read = SecondsSince(start);
    ComputeRolesAndFeatures(*log, usePlayerRoles, times);
    return log;
}
