// The names the feature weighting gives on a real match against DisplayName,
// asked feature by feature.
#include "strategy/model/TrainingExamples.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/GraphBuilder.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/load/LoadLog.h"
#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"

#include "support/TestData.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// With every feature passing, each gets its display name at the first positive
// cycle, or that name with a suffix when an earlier one took it: the roles of
// different cycles, no positive cycle, and no role channel for the ball.
TEST(WeighNames, EveryPassingFeatureIsNamedByItsDisplayName)
{
    InTempDir dir("weigh-names");
    CreateConceptHierarchies();
    {
        auto log = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), true);
        FeatureList& features = *log->features;
        ASSERT_GT(features.GetNumFeatures(), 100);
        const TGraph graph;
        TFeatureOptions options;
        options.confidence = TConfidenceTest::Either;
        options.weighting = TFeatureWeighting::None;
        const std::vector<std::vector<int>> positiveSets = {{0}, {log->cycles / 2, 3}, {log->cycles - 1}, {}};
        for (const std::vector<int>& positives : positiveSets) {
            const TWeighResult result = WeighFeatures(features, *log, graph, nullptr, positives, {}, options, {});
            ASSERT_EQ(result.named, features.GetNumFeatures());
            const int first = positives.empty() ? -1 : positives.front();
            int suffixed = 0;
            for (int f = 0; f < features.GetNumFeatures(); ++f) {
                const std::string want = DisplayName(features, f, *log, first, 0);
                const std::string& name = features.GetName(f);
                if (name != want) {
                    ++suffixed;
                    ASSERT_EQ(name.rfind(want + "[", 0), 0u) << name << " for " << want;
                }
            }
            // The first holder of every name keeps it as it is.
            EXPECT_LT(suffixed, features.GetNumFeatures()) << "first positive cycle " << first;
        }
    }
    FreeConceptHierarchies();
}

// A graph window naming roles at a depth has its features named so: a
// player's name begins with his role's ancestor on that level.
TEST(WeighNames, RolesAreNamedAtTheWindowsRoleDepth)
{
    InTempDir dir("weigh-names-depth");
    CreateConceptHierarchies();
    {
        auto log = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), true);
        FeatureList& features = *log->features;
        const TFeatureOptions options{
            .confidence = TConfidenceTest::Either, .weighting = TFeatureWeighting::None, .roleDepth = 3};
        const int cycle = log->cycles / 2;
        WeighFeatures(features, *log, TGraph(), nullptr, {cycle}, {}, options, {});
        int roled = 0;
        for (int f = 0; f < features.GetNumFeatures(); ++f) {
            const int object = features.GetObjectIndex(f);
            ConceptObject* role = object >= 0 ? RoleAt(*log, object, cycle) : nullptr;
            if (!role)
                continue;
            while (role->GetLevel() > 2)
                role = role->GetParent();
            const std::string& name = features.GetName(f);
            EXPECT_EQ(name.substr(0, name.find(':')), ConceptObject::GetPathName(role)) << name;
            ++roled;
        }
        EXPECT_GT(roled, 100);
    }
    FreeConceptHierarchies();
}

}  // namespace
