#include "core/concepts/RelativeConcepts.h"

#include "core/concepts/Concepts.h"
#include "support/FilledRecord.h"
#include "support/HierarchyTestUtil.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace hierarchytest;

namespace {

const char* const kVariables[] = {"DistK1C",       "DistK2C",       "DistK3C",        "DistT1C",       "DistT2C",
                                  "DistK1K2",      "DistK1K3",      "DistK1T1",       "DistK1T2",      "MinDistK2T1T2",
                                  "MinDistK3T1T2", "MinAngK2K1T1T2", "MinAngK3K1T1T2"};

// Numbering visits a range of span s (bounds i to i + s) once per path from its
// variable's node: 1 + 2 V(s - 1) visits below and including it, V(1) = 1, so
// V(s) = 2^s - 1. A variable's node spans its whole list.
int Visits(int span) { return (1 << span) - 1; }

// "<lo>-<hi>" of whole-number bounds.
std::string FormatName(double lo, double hi)
{
    return std::to_string(static_cast<int>(lo)) + "-" + std::to_string(static_cast<int>(hi));
}

std::vector<std::string> ChildNames(const ConceptObject* node)
{
    std::vector<std::string> names;
    for (const ConceptObject* c : node->GetChildren())
        names.push_back(c->GetName());
    return names;
}

class RelativeConcepts : public ::testing::Test {
protected:
    InTempDir dir_{"relative"};  // first made, last gone
    Root root{CreateRelativeConcepts()};
};

}  // namespace

TEST_F(RelativeConcepts, SizesDepthAndIds)
{
    EXPECT_EQ(Collect(root.get(), true).size(), 662u);  // 1 + 13 + 11 x 54 + 2 x 27
    EXPECT_EQ(Collect(root.get(), false).size(), 648u);
    EXPECT_EQ(root->GetTreeDepth(), 10);
    EXPECT_EQ(root->GetName(), "Keepaway");
    EXPECT_FALSE(root->GetPrune());
    EXPECT_FALSE(root->GetInPath());

    ASSERT_EQ(root->GetChildCount(), 13);
    int id = 2;
    for (int f = 0; f < 13; ++f) {
        const ConceptObject* node = root->GetChildren()[static_cast<std::size_t>(f)];
        EXPECT_EQ(node->GetName(), kVariables[f]);
        EXPECT_EQ(node->GetId(), id) << kVariables[f];
        EXPECT_EQ(node->GetEvaluator(), nullptr);
        EXPECT_TRUE(node->GetInPath());
        EXPECT_FALSE(node->GetPrune());
        EXPECT_DOUBLE_EQ(node->GetWeight(), 1.0 / 13);
        id += Visits(f < 11 ? 10 : 7);
    }
    EXPECT_EQ(id, 11509);
    EXPECT_EQ(root->GetChildren()[1]->GetId(), 1025);
    EXPECT_EQ(root->GetChildren()[11]->GetId(), 11255);
    EXPECT_EQ(root->GetChildren()[12]->GetId(), 11382);
    // Numbering again gives the same next free id.
    EXPECT_EQ(ConceptObject::Number(root.get(), 1, 0, nullptr), 11509);
}

TEST_F(RelativeConcepts, LatticeSharesTheNarrowerRanges)
{
    ConceptObject* k1t1 = Find(root.get(), "DistK1T1");
    ASSERT_NE(k1t1, nullptr);
    EXPECT_EQ(ChildNames(k1t1), (std::vector<std::string>{"0-15", "1-20"}));
    ConceptObject* left = k1t1->GetChildren()[0];
    ConceptObject* right = k1t1->GetChildren()[1];
    EXPECT_EQ(ChildNames(left), (std::vector<std::string>{"0-10", "1-15"}));
    EXPECT_EQ(ChildNames(right), (std::vector<std::string>{"1-15", "2-20"}));
    EXPECT_EQ(left->GetChildren()[1], right->GetChildren()[0]);  // one node, two parents
    EXPECT_EQ(right->GetChildren()[0]->GetParent(), right);
    EXPECT_EQ(left->GetLevel(), 2);
    EXPECT_EQ(right->GetChildren()[0]->GetLevel(), 3);

    // Every range concept of every variable exists once, with all pairs but the
    // whole span; leaves are the neighbouring bounds.
    for (const ConceptObject* feature : root->GetChildren()) {
        std::vector<ConceptObject*> ranges = Collect(const_cast<ConceptObject*>(feature), true);
        ranges.erase(ranges.begin());
        const bool angle = feature->GetName().rfind("MinAng", 0) == 0;
        EXPECT_EQ(ranges.size(), angle ? 27u : 54u) << feature->GetName();
        for (const ConceptObject* r : ranges) {
            EXPECT_TRUE(r->GetPrune());
            EXPECT_FALSE(r->GetInPath());
            EXPECT_NE(r->GetEvaluator(), nullptr);
            EXPECT_DOUBLE_EQ(r->GetWeight(), 0.5);
            EXPECT_TRUE(r->GetChildCount() == 0 || r->GetChildCount() == 2) << r->GetName();
        }
    }
    const std::vector<std::string> paths = Paths(Collect(root.get(), true));
    for (const char* path : {"DistK1C.0-1", "DistT2C.15-20", "MinAngK3K1T1T2.90-180", "DistK1T1.2-6",
                             "MinAngK2K1T1T2.0-45"})
        EXPECT_NE(std::find(paths.begin(), paths.end(), path), paths.end()) << path;
    EXPECT_EQ(std::find(paths.begin(), paths.end(), "DistK1C.0-20"), paths.end());
    EXPECT_EQ(std::find(paths.begin(), paths.end(), "MinAngK2K1T1T2.0-180"), paths.end());
}

TEST_F(RelativeConcepts, FeatureOrderOfTheEvaluableRanges)
{
    const std::vector<std::string> order = Paths(Collect(root.get(), false));
    ASSERT_EQ(order.size(), 648u);
    // Depth first, left before right: the left chain down to "0-1", then each
    // right child with its new ranges.
    const std::vector<std::string> first{"DistK1C.0-15", "DistK1C.0-10", "DistK1C.0-8", "DistK1C.0-6",
                                         "DistK1C.0-5",  "DistK1C.0-4",  "DistK1C.0-3", "DistK1C.0-2",
                                         "DistK1C.0-1",  "DistK1C.1-2",  "DistK1C.1-3", "DistK1C.2-3"};
    EXPECT_EQ(std::vector<std::string>(order.begin(), order.begin() + 12), first);
    EXPECT_EQ(order.back(), "MinAngK3K1T1T2.90-180");
    // Seven variables of 54 ranges come first; within "DistK1T1" the range (2, 6)
    // follows the chain of 9 and the groups of 1, 2, 3 and 4 new ranges under the
    // right children of (0,2) .. (0,5), then (1,6): position 21, index 398.
    EXPECT_EQ(order[398], "DistK1T1.2-6");
}

TEST_F(RelativeConcepts, GmlFile)
{
    const std::string gml = ReadBytes("RelativeConcepts.gml");
    EXPECT_EQ(gml.substr(0, GmlHead("Keepaway").size()), GmlHead("Keepaway"));
    EXPECT_EQ(Count(gml, "  node\r\n"), 662);
    // Links: per variable 1 from the root, 2 from its node and 2 from each range of
    // span 2 or more (44 of 11 bounds, 20 of 8).
    EXPECT_EQ(Count(gml, "  edge\r\n"), 11 * (1 + 2 + 2 * 44) + 2 * (1 + 2 + 2 * 20));
    EXPECT_EQ(Count(gml, "\r\n"), 28654);
    EXPECT_NE(gml.find("    label \"DistK1T1.2-6\"\r\n"), std::string::npos);
}

TEST_F(RelativeConcepts, RangesHoldingAValue)
{
    // K1 (keeper 1, at the ball) stands 5.5 from the centre: "DistK1C" = 5.5.
    FilledRecord log(2);
    log.PlaceAlways(0, 5.5, 0);
    log.PlaceAlways(1, 5.5, 0);
    log.PlaceAlways(2, 30, 30);
    log.PlaceAlways(3, -30, 30);
    log.Place(0, 1, 20, 0);  // at cycle 1 K1 stands exactly on the top bound
    log.Place(1, 1, 20, 0);
    ConceptObject* feature = Find(root.get(), "DistK1C");
    std::set<std::string> expected;
    const double bounds[] = {0, 1, 2, 3, 4, 5, 6, 8, 10, 15, 20};
    for (int i = 0; i < 11; ++i)
        for (int j = i + 1; j < 11; ++j)
            if (bounds[i] <= 5.5 && 5.5 < bounds[j] && !(i == 0 && j == 10))
                expected.insert("DistK1C." + FormatName(bounds[i], bounds[j]));
    const std::set<std::string> holding = Holding(feature, log.At(-1, 0));
    EXPECT_EQ(holding, expected);
    for (const char* p : {"DistK1C.5-6", "DistK1C.4-6", "DistK1C.5-8", "DistK1C.0-15"})
        EXPECT_EQ(holding.count(p), 1u) << p;
    EXPECT_EQ(holding.count("DistK1C.4-5"), 0u);
    EXPECT_EQ(holding.count("DistK1C.0-5"), 0u);

    // Exactly 20 lies outside every range of the variable.
    EXPECT_TRUE(Holding(feature, log.At(-1, 1)).empty());
}

TEST_F(RelativeConcepts, AngleRangesInDegreesOfPi)
{
    // K1 = keeper 1 at the centre next to the ball, K2 = keeper 2 on the x axis,
    // both takers on one spot at the angle phi seen from K1.
    FilledRecord log(1);
    log.PlaceAlways(0, 0.5, 0);
    log.PlaceAlways(1, 0, 0);
    log.PlaceAlways(2, 2, 0);
    log.PlaceAlways(3, 0, -9);
    auto takersAt = [&](double phi) {
        log.PlaceAlways(12, 4 * std::cos(phi), 4 * std::sin(phi));
        log.PlaceAlways(13, 4 * std::cos(phi), 4 * std::sin(phi));
    };
    ConceptObject* feature = Find(root.get(), "MinAngK2K1T1T2");
    ASSERT_NE(feature, nullptr);

    // 3.14 radians are 179.9 degrees: inside every range up to 180 (with a factor
    // of 180 / 3.14 they would reach 180 and hold no range).
    takersAt(3.14);
    EXPECT_EQ(Holding(feature, log.At(-1, 0)),
              (std::set<std::string>{"MinAngK2K1T1T2.10-180", "MinAngK2K1T1T2.20-180", "MinAngK2K1T1T2.30-180",
                                     "MinAngK2K1T1T2.45-180", "MinAngK2K1T1T2.60-180", "MinAngK2K1T1T2.90-180"}));
    // A straight angle is exactly the top bound: no range.
    log.PlaceAlways(12, -4, 0);
    log.PlaceAlways(13, -4, 0);
    EXPECT_TRUE(Holding(feature, log.At(-1, 0)).empty());
    // A right angle: the lower bound 90 is inside, so "60-90" does not hold.
    log.PlaceAlways(12, 0, 4);
    log.PlaceAlways(13, 0, -4);
    const std::set<std::string> right = Holding(feature, log.At(-1, 0));
    EXPECT_EQ(right.count("MinAngK2K1T1T2.90-180"), 1u);
    EXPECT_EQ(right.count("MinAngK2K1T1T2.60-90"), 0u);
}
