// The speeds over a range of cycles at once against the same speeds asked
// cycle by cycle, on a real match: every object, windows short and long, and
// ranges that touch either end of the log.
#include "core/concepts/Evaluators.h"
#include "core/io/Convertlog.h"
#include "core/model/RoboCupFile.h"

#include "support/TestData.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Range {
    int first, last;
};

// The first cycle whose value differs in its bytes, -1 when none does.
template <class Evaluator>
int FirstDifference(const Evaluator& evaluator, const RoboCupFileT& log, int object, Range range)
{
    BasicGameData s;
    s.file = const_cast<RoboCupFileT*>(&log);
    s.object = object;
    std::vector<double> all(static_cast<std::size_t>(range.last - range.first));
    evaluator.Values(s, range.first, range.last, all.data());
    for (int t = range.first; t < range.last; ++t) {
        s.cycle = t;
        const double one = evaluator.Value(&s);
        if (std::memcmp(&one, &all[static_cast<std::size_t>(t - range.first)], sizeof one) != 0)
            return t;
    }
    return -1;
}

TEST(SpeedValues, ARangeAtOnceIsEveryCycleAskedAlone)
{
    auto log = CreateFileRecord("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg");
    std::ostringstream quiet;
    ReadRcgFile(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), *log, quiet);
    const int n = log->cycles;
    ASSERT_GT(n, 100);
    const Range ranges[] = {{0, n}, {0, 3}, {n - 7, n}, {40, 41}, {17, 90}};
    for (int object = 0; object < RoboCupFileT::kObjectCount; ++object) {
        for (const Range& range : ranges) {
            const RelativeSpeedEvaluator towardsBall(-1.0, 1.0);
            EXPECT_EQ(FirstDifference(towardsBall, *log, object, range), -1)
                << "towards the ball, object " << object << " from " << range.first;
            for (const int window : {1, 2, 3, 10, 41, 5000}) {
                const SpeedEvaluator speed(window, 0.0, 1.0);
                EXPECT_EQ(FirstDifference(speed, *log, object, range), -1)
                    << "window " << window << ", object " << object << " from " << range.first;
            }
        }
    }
}

}  // namespace
