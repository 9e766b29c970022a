// The whole load of real logs: record, reading, derived pass, roles and the
// feature matrix with the program's own concept hierarchies. Expected feature
// bits are computed here straight from the channels, not by the evaluators.
#include "core/load/LoadLog.h"

#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/concepts/Evaluators.h"
#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"
#include "core/analysis/Roles.h"

#include "support/RcgWriter.h"
#include "support/RecordingHooks.h"
#include "support/SimdLevels.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char kShortMatch[] = "match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg";
const char kFullMatch[] = "match-full-HELIOS_A_4-vs-HELIOS_B_2.rcg";
const char kKeepaway[] = "keepaway-3v2-Keepers-vs-Takers-helios-1500.rcg";

constexpr int kConceptsPerObject = 53;  // 27 position + 7 speed + 19 ball-relative

// The hierarchies write their GML files into the current folder: each test
// builds them in a fresh temporary one and frees them at its end.
class LoadLogTest : public ::testing::Test {
protected:
    void SetUp() override { CreateConceptHierarchies(); }
    void TearDown() override { FreeConceptHierarchies(); }

    static std::unique_ptr<RoboCupFileT> Load(const std::string& name, bool usePlayerRoles = true)
    {
        return LoadLog(GunzippedTestFile(name), usePlayerRoles);
    }

    RecordingHooks hooks;

private:
    InTempDir dir_{"loadlog"};
};

double Pos(const RoboCupFileT& log, int object, bool y, int t)
{
    const auto* channel = y ? log.posYChannel[object] : log.posXChannel[object];
    return channel->GetValues().at(static_cast<std::size_t>(t));
}

double BallDistance(const RoboCupFileT& log, int object, int t)
{
    const double dx = Pos(log, 0, false, t) - Pos(log, object, false, t);
    const double dy = Pos(log, 0, true, t) - Pos(log, object, true, t);
    return std::sqrt(dx * dx + dy * dy);
}

// The feature of that name holds exactly where expected says, and its count says so.
void ExpectFeature(FeatureList& list, const RoboCupFileT& log, const std::string& name,
                   const std::function<bool(int)>& expected)
{
    const int f = list.IndexOf(name);
    ASSERT_GE(f, 0) << name;
    int holds = 0;
    int wrong = 0;
    int firstWrong = -1;
    for (int t = 0; t < log.cycles; ++t) {
        const bool e = expected(t);
        holds += e ? 1 : 0;
        if (list.GetBit(f, t) != (e ? 1 : 0) && wrong++ == 0)
            firstWrong = t;
    }
    EXPECT_EQ(wrong, 0) << name << " first differs at cycle " << firstWrong;
    EXPECT_EQ(list.GetCount(f), holds) << name;
}

// The wait texts of the feature computation's progress, in order.
std::vector<std::string> FeatureProgress(const RecordingHooks& hooks)
{
    std::vector<std::string> progress;
    for (const std::string& text : hooks.waitTexts)
        if (text.rfind("Computing features ", 0) == 0 && text != "Computing features ...")
            progress.push_back(text);
    return progress;
}

// Every count is the number of set bits of its feature.
void ExpectCountsMatchBits(const FeatureList& list)
{
    std::vector<int> counts(static_cast<std::size_t>(list.GetNumFeatures()), 0);
    for (int t = 0; t < list.GetNumInstances(); ++t)
        list.AddInstanceBits(t, counts.data());
    for (int f = 0; f < list.GetNumFeatures(); ++f)
        ASSERT_EQ(list.GetCount(f), counts[static_cast<std::size_t>(f)]) << list.GetName(f);
}

TEST_F(LoadLogTest, NormalMatchHasFiftyThreeFeaturesPerObjectNamedInObjectAndConceptOrder)
{
    auto log = Load(kShortMatch);
    ASSERT_FALSE(log->isKeepaway);
    ASSERT_GT(log->cycles, 290);
    FeatureList& list = *log->features;
    ASSERT_EQ(list.GetNumFeatures(), 1219);
    EXPECT_EQ(list.GetNumInstances(), log->cycles);
    EXPECT_EQ(list.GetName(0), "Ball:Field-area");
    EXPECT_EQ(list.GetName(53), "Lplayer1:Field-area");
    EXPECT_EQ(list.GetName(1218), "Rplayer11:Very-far");
    const int goalBox = list.IndexOf("Lplayer7:Defending-half.Defending-third.Goal-box");
    ASSERT_GE(goalBox, 0);
    EXPECT_EQ(goalBox / kConceptsPerObject, 7);
    for (int f = 0; f < list.GetNumFeatures(); ++f) {
        ASSERT_EQ(list.GetObjectIndex(f), f / kConceptsPerObject) << f;
        ASSERT_EQ(list.GetName(f).substr(0, list.GetName(f).find(':')), ObjectName(f / kConceptsPerObject));
        // Features of one concept share its group key; the name ends in its path.
        const std::string& name = list.GetName(f);
        ASSERT_EQ(name.substr(name.find(':') + 1), ConceptObject::GetPathName(list.GetGroupKey(f))) << name;
    }
    std::vector<ConceptObject*> keys;
    list.GetGroupKeys(keys);
    ASSERT_EQ(keys.size(), 53u);
    for (ConceptObject* key : keys)
        EXPECT_EQ(list.GetGroup(key).size(), 23u) << ConceptObject::GetPathName(key);
    ExpectCountsMatchBits(list);

    // The wait texts: the load's own, then every fifth feature.
    const std::vector<std::string> progress = FeatureProgress(hooks);
    ASSERT_EQ(progress.size(), 244u);
    EXPECT_EQ(progress.front(), "Computing features 0.00%");
    EXPECT_EQ(progress.back(), "Computing features 99.67%");
    EXPECT_TRUE(hooks.notices.empty());
}

TEST_F(LoadLogTest, TheBallIsAtItsOwnPlaceAndHasNoRelationToItself)
{
    auto log = Load(kShortMatch);
    FeatureList& list = *log->features;
    for (const char* always : {"Ball:Short-distance", "Ball:Immediate"})
        EXPECT_EQ(list.GetCount(list.IndexOf(always)), log->cycles) << always;
    for (const char* never : {"Ball:Has-ball", "Ball:Front", "Ball:Back", "Ball:Left", "Ball:Right", "Ball:Incoming",
                              "Ball:Incoming-slow", "Ball:Incoming-fast", "Ball:Moving-away", "Ball:Moving-away-slow",
                              "Ball:Moving-away-fast", "Ball:Still", "Ball:Near", "Ball:Far", "Ball:Very-far"}) {
        ASSERT_NE(list.IndexOf(never), -1) << never;
        EXPECT_EQ(list.GetCount(list.IndexOf(never)), 0) << never;
    }
}

TEST_F(LoadLogTest, RoleColumnsFollowThePlayerRolesChoice)
{
    auto analysed = Load(kShortMatch, true);
    const FeatureList& list = *analysed->features;
    bool someAnalysedRole = false;
    for (int t = 0; t < analysed->cycles; ++t) {
        ASSERT_EQ(list.GetObjectConcept(0, t), coBall);
        for (int o = 1; o < RoboCupFileT::kObjectCount; ++o) {
            const std::int32_t handle = analysed->roleChannel[o]->GetValues()[static_cast<std::size_t>(t)];
            ASSERT_EQ(list.GetObjectConcept(o, t), ConceptFromHandle(handle)) << o << " at " << t;
            ASSERT_NE(list.GetObjectConcept(o, t), nullptr);
            const int side = o <= 11 ? 0 : 1;
            someAnalysedRole = someAnalysedRole || list.GetObjectConcept(o, t) != coTeamNumber[side][(o - 1) % 11];
        }
    }
    EXPECT_TRUE(someAnalysedRole);

    auto numbered = Load(kShortMatch, false);
    const FeatureList& byNumber = *numbered->features;
    for (int t = 0; t < numbered->cycles; ++t)
        for (int o = 1; o < RoboCupFileT::kObjectCount; ++o)
            ASSERT_EQ(byNumber.GetObjectConcept(o, t), coTeamNumber[o <= 11 ? 0 : 1][(o - 1) % 11]) << o;
    // The features themselves do not depend on the roles.
    ASSERT_EQ(byNumber.GetNumFeatures(), list.GetNumFeatures());
    for (int f = 0; f < list.GetNumFeatures(); ++f)
        ASSERT_EQ(byNumber.GetCount(f), list.GetCount(f)) << list.GetName(f);

    // Toggling the roles later changes the role channels, not the role columns.
    std::vector<const ConceptObject*> before;
    for (int t = 0; t < analysed->cycles; ++t)
        for (int o = 1; o < RoboCupFileT::kObjectCount; ++o)
            before.push_back(list.GetObjectConcept(o, t));
    CalculateRoles(analysed.get(), true);
    EXPECT_EQ(analysed->roleChannel[3]->GetValues()[0], ConceptHandle(coTeamNumber[0][2]));
    std::size_t i = 0;
    for (int t = 0; t < analysed->cycles; ++t)
        for (int o = 1; o < RoboCupFileT::kObjectCount; ++o)
            ASSERT_EQ(list.GetObjectConcept(o, t), before[i++]);
}

TEST_F(LoadLogTest, APlayerThatNeverMovesHasNoFeatures)
{
    auto log = Load(kShortMatch);
    log->moving[5] = false;
    ComputeFeatures(log.get());
    FeatureList& list = *log->features;
    ASSERT_EQ(list.GetNumFeatures(), 1219 - 53);
    EXPECT_EQ(list.IndexOf("Lplayer5:Field-area"), -1);
    // Features of the objects after it move up by one object's worth.
    EXPECT_EQ(list.GetName(5 * kConceptsPerObject), "Lplayer6:Field-area");
    EXPECT_EQ(list.GetObjectIndex(5 * kConceptsPerObject), 6);
    EXPECT_EQ(list.GetObjectIndex(4 * kConceptsPerObject), 4);
}

TEST_F(LoadLogTest, FullMatchBitsAgreeWithTheChannelsTheyComeFrom)
{
    auto log = Load(kFullMatch);
    const RoboCupFileT& L = *log;
    ASSERT_GT(L.cycles, 5900);
    FeatureList& list = *log->features;
    ASSERT_EQ(list.GetNumFeatures(), 1219);
    ExpectCountsMatchBits(list);

    auto inside = [&](int o, int t, double x1, double y1, double x2, double y2) {
        const double x = Pos(L, o, false, t);
        const double y = Pos(L, o, true, t);
        return x1 <= x && x <= x2 && y1 <= y && y <= y2;
    };
    ExpectFeature(list, L, "Ball:Field-area", [&](int t) { return inside(0, t, -52.5, -34, 52.5, 34); });
    ExpectFeature(list, L, "Ball:Out-of-field", [&](int t) { return !inside(0, t, -52.5, -34, 52.5, 34); });
    ExpectFeature(list, L, "Ball:Defending-half.Defending-third.Penalty-box",
                  [&](int t) { return inside(0, t, -52.5, -15.16, -36, 15.16); });
    ExpectFeature(list, L, "Ball:Center-circle", [&](int t) {
        const double x = Pos(L, 0, false, t), y = Pos(L, 0, true, t);
        return std::sqrt(x * x + y * y) <= 9.1;
    });
    ExpectFeature(list, L, "Lplayer1:Defending-half.Defending-third.Goal-box",
                  [&](int t) { return inside(1, t, -52.5, -9.16, -47, 9.16); });
    ExpectFeature(list, L, "Rplayer9:Has-ball",
                  [&](int t) { return L.possessorChannel[20]->GetValues()[static_cast<std::size_t>(t)] == 1; });
    ExpectFeature(list, L, "Rplayer5:Near", [&](int t) {
        const double d = BallDistance(L, 16, t);
        return 5.0 <= d && d < 13.0;
    });
    ExpectFeature(list, L, "Lplayer4:Very-far", [&](int t) { return BallDistance(L, 4, t) >= 30.0; });
    ExpectFeature(list, L, "Lplayer2:Front", [&](int t) { return Pos(L, 0, false, t) <= Pos(L, 2, false, t); });
    ExpectFeature(list, L, "Rplayer3:Left", [&](int t) { return Pos(L, 0, true, t) >= Pos(L, 14, true, t); });
    // Held somewhere in the match, not everywhere: the checks above are not vacuous.
    for (const char* name : {"Ball:Defending-half.Defending-third.Penalty-box", "Rplayer9:Has-ball", "Rplayer5:Near",
                             "Lplayer1:Defending-half.Defending-third.Goal-box"}) {
        EXPECT_GT(list.GetCount(list.IndexOf(name)), 0) << name;
        EXPECT_LT(list.GetCount(list.IndexOf(name)), L.cycles) << name;
    }
}

TEST_F(LoadLogTest, KeepawayLogHasTeamLevelFeaturesOfTheKeepawayHierarchy)
{
    auto log = Load(kKeepaway);
    const RoboCupFileT& L = *log;
    ASSERT_TRUE(L.isKeepaway);
    FeatureList& list = *log->features;
    ASSERT_EQ(list.GetNumFeatures(), 648);
    EXPECT_EQ(list.GetName(0), "Team:DistK1C.0-15");
    EXPECT_EQ(list.GetName(647), "Team:MinAngK3K1T1T2.90-180");
    for (int f = 0; f < 648; ++f) {
        ASSERT_EQ(list.GetObjectIndex(f), -1) << f;
        ASSERT_EQ(list.GetName(f).rfind("Team:", 0), 0u) << f;
    }
    ExpectCountsMatchBits(list);
    for (int t = 0; t < L.cycles; ++t)
        ASSERT_EQ(list.GetObjectConcept(0, t), coBall);

    // K1 is the keeper nearest the ball; its distance from the centre of the pitch.
    auto distK1C = [&](int t) {
        int k1 = 1;
        for (int k = 2; k <= 3; ++k)
            if (BallDistance(L, k, t) < BallDistance(L, k1, t))
                k1 = k;
        return std::hypot(Pos(L, k1, false, t), Pos(L, k1, true, t));
    };
    ExpectFeature(list, L, "Team:DistK1C.0-15", [&](int t) { return distK1C(t) < 15.0; });
    ExpectFeature(list, L, "Team:DistK1C.5-6", [&](int t) { return 5.0 <= distK1C(t) && distK1C(t) < 6.0; });
    ExpectFeature(list, L, "Team:DistK1C.10-20", [&](int t) { return 10.0 <= distK1C(t) && distK1C(t) < 20.0; });
    EXPECT_GT(list.GetCount(list.IndexOf("Team:DistK1C.5-6")), 0);

    const std::vector<std::string> progress = FeatureProgress(hooks);
    ASSERT_EQ(progress.size(), 130u);
    EXPECT_EQ(progress.back(), "Computing features 99.54%");
}

// Every bit is the verdict of the feature's concept on the situation of its
// object (or the team) at that cycle, asked one by one.
void ExpectBitsAreTheConceptsVerdicts(RoboCupFileT& log)
{
    FeatureList& list = *log.features;
    BasicGameData s;
    s.file = &log;
    for (int f = 0; f < list.GetNumFeatures(); ++f) {
        const int o = list.GetObjectIndex(f);
        s.object = o;
        for (int t = 0; t < log.cycles; ++t) {
            s.cycle = t;
            s.x = o >= 0 ? Pos(log, o, false, t) : 0.0;
            s.y = o >= 0 ? Pos(log, o, true, t) : 0.0;
            ASSERT_EQ(list.GetBit(f, t), list.GetGroupKey(f)->Evaluate(&s) ? 1 : 0)
                << list.GetName(f) << " at cycle " << t;
        }
    }
}

TEST_F(LoadLogTest, EveryBitIsTheVerdictOfItsConcept)
{
    SimdLevelScope atPlain(SimdLevel::kPlain);
    auto match = Load(kShortMatch);
    ExpectBitsAreTheConceptsVerdicts(*match);
    auto keepaway = Load(kKeepaway);
    ExpectBitsAreTheConceptsVerdicts(*keepaway);
}

// The whole load at a vector level gives the plain level's feature matrix, byte
// for byte.
class LoadLogAtLevel : public LoadLogTest, public ::testing::WithParamInterface<SimdLevel> {};

TEST_P(LoadLogAtLevel, TheFeatureMatrixIsThePlainLevels)
{
    for (const char* name : {kShortMatch, kKeepaway}) {
        const auto plain = [&] { SimdLevelScope atPlain(SimdLevel::kPlain); return Load(name); }();
        VELO_AT_SIMD_LEVEL(GetParam());
        const auto log = Load(name);
        const FeatureList& a = *log->features;
        const FeatureList& b = *plain->features;
        ASSERT_EQ(a.GetNumInstances(), b.GetNumInstances()) << name;
        ASSERT_EQ(a.GetBytesPerRow(), b.GetBytesPerRow()) << name;
        for (int t = 0; t < a.GetNumInstances(); ++t)
            ASSERT_TRUE(std::equal(a.GetRow(t), a.GetRow(t) + a.GetBytesPerRow(), b.GetRow(t))) << name << " at " << t;
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, LoadLogAtLevel, ::testing::Values(SimdLevel::kSse2, SimdLevel::kAvx2),
                         SimdLevelParamName);

TEST_F(LoadLogTest, ShortAndMissingLogsLoadWithoutFailing)
{
    // Nothing read: with nothing moving it counts as a keepaway log, whose
    // team-level features then hold at no cycle.
    auto missing = LoadLog((fs::current_path() / "no-such-log.rcg").string(), true);
    EXPECT_EQ(missing->cycles, 0);
    EXPECT_TRUE(missing->isKeepaway);
    EXPECT_EQ(missing->features->GetNumFeatures(), 648);
    EXPECT_EQ(missing->features->GetNumInstances(), 0);

    // Two cycles in which every object moves: a normal log shorter than the
    // speed and ball-movement windows.
    RcgWriter writer;
    writer.Teams("Alpha", 0, "Beta", 0).ServerParams().PlayerType(0.3, 0.7);
    ShowState state;
    for (int t = 1; t <= 2; ++t) {
        state.time = static_cast<std::uint16_t>(t);
        state.ball.x += 1.0;
        for (auto& p : state.players)
            p.x += 0.5;
        writer.Show(state);
    }
    auto tiny = LoadLog(writer.Save("two-cycles"), true);
    ASSERT_EQ(tiny->cycles, 2);
    ASSERT_FALSE(tiny->isKeepaway);
    FeatureList& list = *tiny->features;
    ASSERT_EQ(list.GetNumFeatures(), 1219);
    ExpectCountsMatchBits(list);
    EXPECT_EQ(list.GetCount(list.IndexOf("Ball:Field-area")), 2);
}

}  // namespace
