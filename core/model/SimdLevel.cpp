#include "core/model/SimdLevel.h"

#include <atomic>

namespace {

SimdLevel Detect()
{
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
    if (__builtin_cpu_supports("avx2"))
        return SimdLevel::kAvx2;
#endif
#if defined(__SSE2__)
    return SimdLevel::kSse2;
#else
    return SimdLevel::kPlain;
#endif
}

std::atomic<int>& Current()
{
    static std::atomic<int> current{static_cast<int>(MachineSimdLevel())};
    return current;
}

}  // namespace

SimdLevel MachineSimdLevel()
{
    // The processor is asked once.
    static const SimdLevel machine = Detect();
    return machine;
}

SimdLevel CurrentSimdLevel() { return static_cast<SimdLevel>(Current().load(std::memory_order_relaxed)); }

bool SetSimdLevel(SimdLevel level)
{
    if (static_cast<int>(level) < 0 || level > MachineSimdLevel())
        return false;
    Current().store(static_cast<int>(level), std::memory_order_relaxed);
    return true;
}

const char* SimdLevelName(SimdLevel level)
{
    switch (level) {
    case SimdLevel::kAvx2:
        return "avx2";
    case SimdLevel::kSse2:
        return "sse2";
    case SimdLevel::kPlain:
        break;
    }
    return "plain";
}
