// Tests that run once per vector code path: a TEST_P that starts with
// VELO_AT_SIMD_LEVEL(GetParam()), instantiated over kSimdLevels with SimdLevelParamName.
#pragma once

#include "core/model/SimdLevel.h"

#include <gtest/gtest.h>

#include <string>

inline constexpr SimdLevel kSimdLevels[] = {SimdLevel::kPlain, SimdLevel::kSse2, SimdLevel::kAvx2};

// Holds the level for a scope and puts the machine's back after; set is false
// (and nothing changes) where the processor lacks it.
struct SimdLevelScope {
    explicit SimdLevelScope(SimdLevel level) : set(SetSimdLevel(level)) {}
    ~SimdLevelScope() { SetSimdLevel(MachineSimdLevel()); }
    const bool set;
};

// The rest of the test at that level; skipped, naming the level, where this
// processor lacks it.
#define VELO_AT_SIMD_LEVEL(level)                                                           \
    SimdLevelScope veloSimdLevelScope(level);                                               \
    if (!veloSimdLevelScope.set)                                                            \
    GTEST_SKIP() << "this processor has no " << SimdLevelName(level) << " code path"

inline std::string SimdLevelParamName(const ::testing::TestParamInfo<SimdLevel>& info)
{
    return SimdLevelName(info.param);
}
