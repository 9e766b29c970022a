// The feature term and the concept distance as the joins compute them, against
// the plain sums over a real match's nodes: the same bits, not merely close.
#include "actiongraph/model/Distances.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/GraphBuilder.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/load/LoadLog.h"
#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"

#include "support/TestData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

// The term as a sum over every feature in order.
double PlainFeatureTerm(const TFeatureCounts& a, const TFeatureCounts& b, int m)
{
    if (a.cycles == 0 || b.cycles == 0)
        return 1.0;
    double sum = 0.0;
    for (int f = 0; f < m; ++f)
        sum += std::fabs(a.counts[static_cast<std::size_t>(f)] / static_cast<double>(a.cycles) -
                         b.counts[static_cast<std::size_t>(f)] / static_cast<double>(b.cycles));
    return sum / m;
}

class FeatureTerm : public ::testing::Test {
protected:
    void SetUp() override { CreateConceptHierarchies(); }
    void TearDown() override { FreeConceptHierarchies(); }
    InTempDir dir_{"feature-term"};
};

TEST_F(FeatureTerm, CountedBitsGiveThePlainSumOnARealMatch)
{
    auto log = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), true);
    ASSERT_TRUE(log && log->features);
    const FeatureList& features = *log->features;
    const int m = features.GetNumFeatures();
    ASSERT_GT(m, 64);  // several words, the last one partly used
    TGraph graph;
    TObjectChoice all;
    all.fill(true);
    BuildActionGraph(*log, all, {}, graph);
    ASSERT_GT(graph.NodeCount(), 20);

    std::vector<TFeatureCounts> counts;
    for (int i = 0; i < graph.NodeCount(); ++i)
        counts.push_back(CountNodeFeatures(*graph.GetNode(i), features));
    int zeroPairs = 0, mixed = 0;
    for (std::size_t i = 0; i < counts.size(); ++i)
        for (std::size_t j = 0; j < counts.size(); ++j) {
            const double want = PlainFeatureTerm(counts[i], counts[j], m);
            const double got = ::FeatureTerm(counts[i], counts[j], m);
            ASSERT_EQ(got, want) << graph.GetNode(static_cast<int>(i))->GetName() << " / "
                                 << graph.GetNode(static_cast<int>(j))->GetName();
            zeroPairs += got == 0.0 ? 1 : 0;
            mixed += got > 0.0 && got < 1.0 ? 1 : 0;
        }
    EXPECT_GT(zeroPairs, 0);  // at least a node with itself
    EXPECT_GT(mixed, 0);

    // Counts without their bits (made by hand) take the plain way, with the same result.
    TFeatureCounts bare = counts[1];
    bare.counted.clear();
    EXPECT_EQ(::FeatureTerm(bare, counts[2], m), PlainFeatureTerm(counts[1], counts[2], m));
    // Counts with bits must set exactly the features they count.
    for (std::size_t f = 0; f < static_cast<std::size_t>(m); ++f)
        EXPECT_EQ((counts[1].counted[f / 64] >> (f % 64)) & 1u, counts[1].counts[f] != 0 ? 1u : 0u) << f;
}

// Every pair of action concepts and of role concepts: the exponents the joins
// and the rules use give the bits of pow.
TEST_F(FeatureTerm, ConceptDistanceExponentsGivePowsBits)
{
    std::vector<ConceptObject*> nodes;
    for (ConceptObject* root : {g_actionConcepts, g_roleConcepts}) {
        std::vector<ConceptObject*> open{root};
        while (!open.empty()) {
            ConceptObject* n = open.back();
            open.pop_back();
            nodes.push_back(n);
            for (ConceptObject* c : n->GetChildren())
                open.push_back(c);
        }
    }
    ASSERT_GT(nodes.size(), 40u);
    int between = 0;
    for (ConceptObject* a : nodes)
        for (ConceptObject* b : nodes) {
            const double one = ConceptObject::Distance(a, b, 1.0);
            const double half = ConceptObject::Distance(a, b, 0.5);
            if (one == 99999.0) {  // concepts of two hierarchies: no exponent applies
                ASSERT_EQ(ConceptObject::Distance(a, b, 2.0), one);
                continue;
            }
            ASSERT_EQ(ConceptObject::Distance(a, b, 2.0), std::pow(one, 2.0))
                << ConceptObject::GetPathName(a) << " / " << ConceptObject::GetPathName(b);
            ASSERT_EQ(ConceptObject::Distance(a, b, 3.0), std::pow(one, 3.0));
            if (one > 0.0) {
                // The square of pow(base, 0.5) is the base: exponent 1 gives the base.
                ++between;
                ASSERT_NEAR(half * half, one, 1e-12);
            }
        }
    EXPECT_GT(between, 100);
}

}  // namespace
