// Which of the vector code paths the fast loops take (the nearest players of the
// derived pass, the fast feature verdicts). Every path gives the same numbers;
// the level exists so that each one can be run and compared with the plain one
// on any processor that has it.
#pragma once

enum class SimdLevel { kPlain = 0, kSse2 = 1, kAvx2 = 2 };

// The widest level this build can use on the processor running it.
SimdLevel MachineSimdLevel();
// The level the loops take: the machine's unless set lower. One relaxed load, so
// a loop reads it once on entry.
SimdLevel CurrentSimdLevel();
// Sets the level the loops take from now on (not while a load is running). A level
// the machine lacks is refused: false, and nothing changes.
bool SetSimdLevel(SimdLevel level);
// "plain", "sse2" or "avx2".
const char* SimdLevelName(SimdLevel level);
