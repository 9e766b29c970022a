// A load on several threads gives, bit for bit, what a load on one thread gives:
// every channel with its extremes, the events, the roles and the feature matrix
// with its names, counts, groups and role columns. And a loaded log keeps no room
// beyond its cycles in any leaf.
#include "core/load/LoadLog.h"

#include "core/concepts/ConceptHierarchies.h"
#include "core/learning/Features.h"
#include "core/model/Parallel.h"
#include "core/model/RoboCupFile.h"

#include "support/TestData.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

class ParallelLoadTest : public ::testing::Test {
protected:
    void SetUp() override { CreateConceptHierarchies(); }
    void TearDown() override
    {
        SetWorkerThreads(0);
        FreeConceptHierarchies();
    }

    static std::unique_ptr<RoboCupFileT> LoadOn(int threads, const std::string& name)
    {
        SetWorkerThreads(threads);
        return LoadLog(GunzippedTestFile(name), true);
    }

private:
    InTempDir dir_{"parallelload"};
};

// The leaf's values and extremes as bytes: NaN and -0.0 compare by their bits.
template <typename T>
bool SameLeaf(const TimeChannel* a, const TimeChannel* b)
{
    const auto* x = dynamic_cast<const DataTimeChannel<T>*>(a);
    const auto* y = dynamic_cast<const DataTimeChannel<T>*>(b);
    if (x == nullptr || y == nullptr)
        return x == y;
    const T extremes[2][2] = {{x->GetMin(), x->GetMax()}, {y->GetMin(), y->GetMax()}};
    return x->GetValues().size() == y->GetValues().size() &&
           std::memcmp(x->GetValues().data(), y->GetValues().data(), x->GetValues().size() * sizeof(T)) == 0 &&
           x->IsMinMaxValid() == y->IsMinMaxValid() && std::memcmp(extremes[0], extremes[1], sizeof extremes[0]) == 0;
}

void ExpectSameChannels(const RoboCupFileT& a, const RoboCupFileT& b)
{
    const auto& la = a.stream->GetLeaves();
    const auto& lb = b.stream->GetLeaves();
    ASSERT_EQ(la.size(), lb.size());
    for (std::size_t i = 0; i < la.size(); ++i) {
        ASSERT_EQ(la[i]->GetFullName(), lb[i]->GetFullName());
        EXPECT_TRUE(SameLeaf<std::int8_t>(la[i], lb[i]) && SameLeaf<std::int16_t>(la[i], lb[i]) &&
                    SameLeaf<std::int32_t>(la[i], lb[i]) && SameLeaf<double>(la[i], lb[i]))
            << la[i]->GetFullName();
    }
}

void ExpectSameEvents(const RoboCupFileT& a, const RoboCupFileT& b)
{
    for (int o = 0; o < RoboCupFileT::kObjectCount; ++o) {
        const auto& ea = a.events[static_cast<std::size_t>(o)];
        const auto& eb = b.events[static_cast<std::size_t>(o)];
        ASSERT_EQ(ea.size(), eb.size()) << o;
        for (std::size_t k = 0; k < ea.size(); ++k) {
            const ActionEvent& x = *ea[k];
            const ActionEvent& y = *eb[k];
            EXPECT_TRUE(x.action == y.action && x.player == y.player && x.start == y.start && x.end == y.end &&
                        x.other == y.other && x.otherEnd == y.otherEnd && x.extra == y.extra)
                << "object " << o << " event " << k;
        }
    }
}

void ExpectSameFeatures(const FeatureList& a, const FeatureList& b)
{
    ASSERT_EQ(a.GetNumFeatures(), b.GetNumFeatures());
    ASSERT_EQ(a.GetNumInstances(), b.GetNumInstances());
    ASSERT_EQ(a.GetBytesPerRow(), b.GetBytesPerRow());
    for (int t = 0; t < a.GetNumInstances(); ++t) {
        ASSERT_EQ(std::memcmp(a.GetRow(t), b.GetRow(t), static_cast<std::size_t>(a.GetBytesPerRow())), 0)
            << "row " << t;
        for (int o = 0; o < FeatureList::kObjectColumns; ++o)
            ASSERT_EQ(a.GetObjectConcept(o, t), b.GetObjectConcept(o, t)) << "object " << o << " row " << t;
    }
    for (int f = 0; f < a.GetNumFeatures(); ++f) {
        EXPECT_EQ(a.GetName(f), b.GetName(f));
        EXPECT_EQ(a.GetCount(f), b.GetCount(f)) << a.GetName(f);
        EXPECT_EQ(a.GetObjectIndex(f), b.GetObjectIndex(f)) << a.GetName(f);
        EXPECT_EQ(a.GetGroupKey(f), b.GetGroupKey(f)) << a.GetName(f);
    }
    std::vector<ConceptObject*> keysA;
    std::vector<ConceptObject*> keysB;
    a.GetGroupKeys(keysA);
    b.GetGroupKeys(keysB);
    EXPECT_EQ(keysA, keysB);
}

void ExpectSameLoad(const RoboCupFileT& one, const RoboCupFileT& many)
{
    EXPECT_EQ(one.cycles, many.cycles);
    EXPECT_EQ(one.moving, many.moving);
    EXPECT_EQ(one.isKeepaway, many.isKeepaway);
    ExpectSameChannels(one, many);
    ExpectSameEvents(one, many);
    ExpectSameFeatures(*one.features, *many.features);
}

// A normal match (every object evaluator) and a keepaway run (the state-variable
// ranges): eight threads even on a machine with fewer cores, so that the work is
// cut into pieces wherever this runs.
TEST_F(ParallelLoadTest, EightThreadsLoadWhatOneThreadLoads)
{
    for (const char* name : {"match-full-HELIOS_A_4-vs-HELIOS_B_2.rcg", "keepaway-3v2-Keepers-vs-Takers-helios-1500.rcg"}) {
        SCOPED_TRACE(name);
        const auto one = LoadOn(1, name);
        const auto many = LoadOn(8, name);
        ASSERT_GT(one->cycles, 1000);
        ASSERT_GT(one->features->GetNumFeatures(), 100);
        ExpectSameLoad(*one, *many);
    }
}

TEST_F(ParallelLoadTest, ALoadedLogKeepsNoRoomBeyondItsCycles)
{
    const auto log = LoadOn(0, "match-full-HELIOS_A_4-vs-HELIOS_B_2.rcg");
    ASSERT_EQ(log->cycles, 6659);
    auto roomOf = [](const TimeChannel* leaf) -> std::size_t {
        if (const auto* c = dynamic_cast<const DataTimeChannel<std::int8_t>*>(leaf))
            return c->GetValues().capacity();
        if (const auto* s = dynamic_cast<const DataTimeChannel<std::int16_t>*>(leaf))
            return s->GetValues().capacity();
        if (const auto* l = dynamic_cast<const DataTimeChannel<std::int32_t>*>(leaf))
            return l->GetValues().capacity();
        return dynamic_cast<const DataTimeChannel<double>*>(leaf)->GetValues().capacity();
    };
    int roomy = 0;
    for (const TimeChannel* leaf : log->stream->GetLeaves())
        if (roomOf(leaf) != static_cast<std::size_t>(log->cycles) && roomy++ < 5)
            ADD_FAILURE() << leaf->GetFullName() << " has room for " << roomOf(leaf) << " values";
    EXPECT_EQ(roomy, 0);
}

}  // namespace
