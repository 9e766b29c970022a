// The quicker copies of a loaded log's values against the plain calls they
// stand for, on a real match: the merge's appending of a leaf against the
// leaf's own Append, and a feature matrix row as bytes against bit by bit.
#include "core/load/LoadLog.h"
#include "core/load/MergeLogs.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/io/Convertlog.h"
#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"
#include "core/model/timestream.h"

#include "support/TestData.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char kShortMatch[] = "match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg";

// Same element type, same bytes: -0.0 and 0.0 differ here.
template <typename T>
bool SameBytes(const TimeChannel* a, const TimeChannel* b, std::string& why)
{
    const auto* x = dynamic_cast<const DataTimeChannel<T>*>(a);
    const auto* y = dynamic_cast<const DataTimeChannel<T>*>(b);
    if (x == nullptr || y == nullptr)
        return false;
    const ChannelValues<T>& u = x->GetValues();
    const ChannelValues<T>& v = y->GetValues();
    if (u.size() != v.size())
        why = "counts " + std::to_string(u.size()) + " and " + std::to_string(v.size());
    else if (!u.empty() && std::memcmp(u.data(), v.data(), u.size() * sizeof(T)) != 0)
        why = "values";
    else if (x->IsMinMaxValid() != y->IsMinMaxValid())
        why = "whether the extremes hold";
    else if (x->IsMinMaxValid()) {
        const T minX = x->GetMin(), minY = y->GetMin(), maxX = x->GetMax(), maxY = y->GetMax();
        if (std::memcmp(&minX, &minY, sizeof(T)) != 0 || std::memcmp(&maxX, &maxY, sizeof(T)) != 0)
            why = "extremes";
    }
    return true;
}

std::string Difference(const TimeChannel* a, const TimeChannel* b)
{
    std::string why;
    if (!SameBytes<std::int8_t>(a, b, why) && !SameBytes<std::int16_t>(a, b, why) &&
        !SameBytes<std::int32_t>(a, b, why) && !SameBytes<double>(a, b, why))
        why = "types";
    return why;
}

// Every leaf of the match appended twice onto empty leaves of the schema, by
// AppendLeaf and by the leaf's own Append, with every scale and offset a merge
// uses, and one that makes fractions of the whole-number leaves.
TEST(InPlaceCopies, AppendLeafGivesTheBytesAndExtremesOfTheLeafsOwnAppend)
{
    auto log = CreateFileRecord(kShortMatch);
    std::ostringstream quiet;
    ReadRcgFile(GunzippedTestFile(kShortMatch), *log, quiet);
    ASSERT_GT(log->cycles, 0);
    const struct {
        double scale, offset;
    } ways[] = {{1.0, 0.0}, {-1.0, 0.0}, {0.0, 0.0}, {1.0, std::numbers::pi}, {1.0, 3.0}, {0.5, -1.25}};
    for (const auto& way : ways) {
        auto byAppend = CreateFileRecord("a.rcg");
        auto inPlace = CreateFileRecord("b.rcg");
        const std::vector<TimeChannel*>& sources = log->stream->GetLeaves();
        const std::vector<TimeChannel*>& expected = byAppend->stream->GetLeaves();
        const std::vector<TimeChannel*>& actual = inPlace->stream->GetLeaves();
        ASSERT_EQ(expected.size(), sources.size());
        ASSERT_EQ(actual.size(), sources.size());
        for (std::size_t i = 0; i < sources.size(); ++i) {
            for (int twice = 0; twice < 2; ++twice) {
                ASSERT_EQ(AppendLeaf(actual[i], sources[i], way.scale, way.offset),
                          expected[i]->Append(sources[i], way.scale, way.offset));
            }
            ASSERT_EQ(Difference(expected[i], actual[i]), "")
                << sources[i]->GetFullName() << " times " << way.scale << " plus " << way.offset;
        }
    }
}

TEST(InPlaceCopies, AppendLeafRefusesALeafOfAnotherTypeAsAppendDoes)
{
    auto log = CreateFileRecord("c.rcg");
    TimeChannel* shorts = FindLeaf<std::int16_t>(*log->stream, "time");
    TimeChannel* doubles = FindLeaf<double>(*log->stream, "Ball.pos.x");
    ASSERT_NE(shorts, nullptr);
    ASSERT_NE(doubles, nullptr);
    EXPECT_EQ(AppendLeaf(shorts, doubles, 1.0, 0.0), -1);
    EXPECT_EQ(shorts->GetCount(), 0);
}

// Every row of the full match's feature matrix as bytes is its bits one by one.
TEST(InPlaceCopies, InstanceBitsAreTheBitsOfEveryFeature)
{
    InTempDir dir("inplace");
    CreateConceptHierarchies();
    auto log = LoadLog(GunzippedTestFile("match-full-HELIOS_A_4-vs-HELIOS_B_2.rcg"), true);
    const FeatureList& list = *log->features;
    ASSERT_GT(list.GetNumFeatures(), 8);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(list.GetNumFeatures()));
    int wrong = 0;
    for (int t = 0; t < list.GetNumInstances() && wrong == 0; ++t) {
        list.GetInstanceBits(t, row.data());
        for (int f = 0; f < list.GetNumFeatures(); ++f)
            if (row[static_cast<std::size_t>(f)] != list.GetBit(f, t) && wrong++ == 0)
                ADD_FAILURE() << list.GetName(f) << " at cycle " << t;
    }
    EXPECT_EQ(wrong, 0);
    log.reset();
    FreeConceptHierarchies();
}

}  // namespace
