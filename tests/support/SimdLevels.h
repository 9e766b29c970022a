// Tests that run once per vector code path: parameterized over every level,
// each test sets its level for its own run and puts the machine's back after.
//
//   class Verdicts : public ::testing::TestWithParam<SimdLevel> {};
//   TEST_P(Verdicts, X) { VELO_AT_SIMD_LEVEL(GetParam()); ... }
//   INSTANTIATE_TEST_SUITE_P(Levels, Verdicts, ::testing::ValuesIn(kSimdLevels), SimdLevelParamName);
#pragma once

#include "core/model/SimdLevel.h"

#include <gtest/gtest.h>

#include <string>

inline constexpr SimdLevel kSimdLevels[] = {SimdLevel::kPlain, SimdLevel::kSse2, SimdLevel::kAvx2};

// Holds the level for a scope; Set is false (and nothing changes) where the
// processor lacks it.
class SimdLevelScope {
public:
    explicit SimdLevelScope(SimdLevel level) : set_(SetSimdLevel(level)) {}
    ~SimdLevelScope() { SetSimdLevel(MachineSimdLevel()); }
    SimdLevelScope(const SimdLevelScope&) = delete;
    SimdLevelScope& operator=(const SimdLevelScope&) = delete;
    bool Set() const { return set_; }

private:
    bool set_;
};

// The rest of the test at that level; skipped, naming the level, where this
// processor lacks it.
#define VELO_AT_SIMD_LEVEL(level)                                                           \
    SimdLevelScope veloSimdLevelScope(level);                                               \
    if (!veloSimdLevelScope.Set())                                                          \
    GTEST_SKIP() << "this processor has no " << SimdLevelName(level) << " code path"

inline std::string SimdLevelParamName(const ::testing::TestParamInfo<SimdLevel>& info)
{
    return SimdLevelName(info.param);
}
