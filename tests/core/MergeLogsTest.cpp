// Merging the play of one team from several logs: the team chooser's list, the
// choice of sources, and the merged log of real matches where the team played
// once on the left and once on the right.
#include "support/ChannelValuesEqual.h"
#include "core/load/MergeLogs.h"

#include "core/concepts/ConceptHierarchies.h"
#include "core/load/LoadLog.h"
#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"

#include "support/RcgWriter.h"
#include "support/RecordingHooks.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const char kShortMatch[] = "match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg";

// A record with teams and scores and nothing read.
std::unique_ptr<RoboCupFileT> Named(const std::string& file, const std::string& left, const std::string& right,
                                    int leftScore = 0, int rightScore = 0)
{
    auto log = CreateFileRecord(file);
    log->leftTeam = left;
    log->rightTeam = right;
    log->leftScore = leftScore;
    log->rightScore = rightScore;
    return log;
}

std::vector<std::string> Entries(const TeamList& list)
{
    std::vector<std::string> entries;
    for (const TeamCount& t : list.teams)
        entries.push_back(TeamEntryText(t));
    return entries;
}

template <typename T>
const ChannelValues<T>& ValuesOf(const RoboCupFileT& log, const std::string& name)
{
    const auto* leaf = FindLeaf<T>(*log.stream, name);
    if (leaf == nullptr)
        throw std::runtime_error("no leaf " + name);
    return leaf->GetValues();
}

// The real short match with the two team names exchanged in its team records:
// the same play, told as if HELIOS_A had played on the right.
std::string ShortMatchWithTeamsExchanged()
{
    std::string bytes = ReadBytes(GunzippedTestFile(kShortMatch));
    const std::string a = "HELIOS_A", b = "HELIOS_B", placeholder = "HELIOS_#";
    auto replace = [&bytes](const std::string& from, const std::string& to) {
        for (std::size_t at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at + to.size()))
            bytes.replace(at, from.size(), to);
    };
    replace(a, placeholder);
    replace(b, a);
    replace(placeholder, b);
    return SaveTempFile("merge-exchanged.rcg", bytes);
}

}  // namespace

// ---- The team chooser's list ------------------------------------------------------------

TEST(MergeTeams, CountsEveryTeamOncePerSideAndSelectsTheFirstLargest)
{
    struct Case {
        std::vector<std::pair<std::string, std::string>> matches;
        std::vector<std::string> entries;
        int best;
        std::string prefix = {};  // typed after the team: the merge's name
    };
    const Case cases[] = {
        {{{"A", "B"}, {"A", "C"}}, {"A (2 x)", "B (1 x)", "C (1 x)"}, 0},
        {{{"C", "B"}, {"A", "B"}}, {"A (1 x)", "B (2 x)", "C (1 x)"}, 1},
        {{{"A", "A"}}, {"A (2 x)"}, 0},  // a team playing itself counts twice
        {{{"beta", "Alpha"}, {"Beta", "charlie"}}, {"Alpha (1 x)", "beta (2 x)", "charlie (1 x)"}, 1},
        {{{"X", "Y"}}, {"X (1 x)", "Y (1 x)"}, 0},  // ties: the first one
        {{}, {}, -1},
        // "A-Others.rcg" is A's earlier merge, which a merge of A leaves out:
        // it counts for A only when a prefix names the merge otherwise.
        {{{"A", "Others"}}, {"Others (1 x)"}, 0},
        {{{"A", "Others"}, {"B", "A"}}, {"A (1 x)", "B (1 x)", "Others (1 x)"}, 0},
        {{{"A", "Others"}}, {"A (1 x)", "Others (1 x)"}, 0, "X"},
    };
    for (const Case& c : cases) {
        std::vector<std::unique_ptr<RoboCupFileT>> owned;
        std::vector<const RoboCupFileT*> logs;
        for (const auto& [left, right] : c.matches) {
            owned.push_back(Named(left + "-" + right + ".rcg", left, right));
            logs.push_back(owned.back().get());
        }
        const TeamList list = CountTeams(logs, c.prefix);
        EXPECT_EQ(Entries(list), c.entries);
        EXPECT_EQ(list.best, c.best);
    }
    EXPECT_EQ(TeamOfEntry("HELIOS_A (2 x)"), "HELIOS_A");
    EXPECT_EQ(TeamOfEntry("A B (1 x)"), "A B");
    EXPECT_EQ(TeamOfEntry("Plain"), "Plain");
}

TEST(MergeTeams, SourcesAreTheLogsOfTheExactTeamButNotAnEarlierMergedLog)
{
    auto ab = Named("ab.rcg", "A", "B");
    auto ca = Named("ca.rcg", "C", "A");
    auto lower = Named("lower.rcg", "a", "B");
    auto bc = Named("bc.rcg", "B", "C");
    auto earlier = Named("A-Others.rcg", "A", "Others");
    auto prefixed = Named("AX-Others.rcg", "AX", "Others");
    const std::vector<RoboCupFileT*> open{ab.get(), earlier.get(), ca.get(), lower.get(), bc.get(), prefixed.get()};
    EXPECT_EQ(MergeSources(open, "A", "A"), (std::vector<RoboCupFileT*>{ab.get(), ca.get()}));
    // With a prefix the earlier merged log of the bare name is a log of the team.
    EXPECT_EQ(MergeSources(open, "A", "AX"), (std::vector<RoboCupFileT*>{ab.get(), earlier.get(), ca.get()}));
    EXPECT_EQ(MergeSources(open, "Z", "Z"), std::vector<RoboCupFileT*>{});
    EXPECT_EQ(MergedFileName("AX"), "AX-Others.rcg");
}

// ---- Appending one log ---------------------------------------------------------------------

TEST(MergeAppend, ScoresCountAnUnreadScoreAsZeroAndFollowTheTeamsSide)
{
    auto merged = Named("m", "A", "Others");
    auto left = Named("l", "A", "B", 3, 1);
    auto right = Named("r", "C", "A", 2, 5);
    auto unread = Named("u", "A", "D", -1, -1);
    auto other = Named("o", "C", "D", 7, 7);
    RecordingHooks hooks;
    EXPECT_TRUE(AppendTeamPlay(*merged, *left, "A"));
    EXPECT_TRUE(AppendTeamPlay(*merged, *right, "A"));
    EXPECT_TRUE(AppendTeamPlay(*merged, *unread, "A"));
    EXPECT_FALSE(AppendTeamPlay(*merged, *other, "A"));
    EXPECT_EQ(merged->leftScore, 3 + 5);
    EXPECT_EQ(merged->rightScore, 1 + 2);
    EXPECT_TRUE(hooks.notices.empty());
}

TEST(MergeAppend, ALeafTheSourceLacksIsToldOnceAndEveryLeafGetsOneValuePerCycle)
{
    auto merged = Named("m", "A", "Others");
    // A source with the time, a play mode of another type and no other leaf.
    RoboCupFileT source("partial.rcg");
    source.leftTeam = "A";
    source.rightTeam = "B";
    source.cycles = 3;
    auto* time = new DataTimeChannel<std::int16_t>("time");
    auto* playMode = new DataTimeChannel<double>("play_mode");
    for (int t = 0; t < 3; ++t) {
        time->AddValue(static_cast<std::int16_t>(t + 1));
        playMode->AddValue(4.0);
    }
    source.stream->AddChannel(time);
    source.stream->AddChannel(playMode);
    RecordingHooks hooks;
    ASSERT_TRUE(AppendTeamPlay(*merged, source, "A"));
    EXPECT_EQ(merged->cycles, 3);
    ASSERT_EQ(hooks.notices.size(), static_cast<std::size_t>(kSchemaLeaves - 2));
    EXPECT_EQ(hooks.notices.front(), (std::pair<std::string, std::string>{"score.diff", "Error requensting field"}));
    EXPECT_EQ(hooks.notices.back().first, "Rplayer11.calculated.kick_event");
    for (TimeChannel* leaf : merged->stream->GetLeaves())
        ASSERT_EQ(leaf->GetCount(), 3) << leaf->GetFullName();
    EXPECT_EQ(ValuesOf<std::int16_t>(*merged, "time"), (std::vector<std::int16_t>{1, 2, 3}));
    // Of another type: zeros.
    EXPECT_EQ(ValuesOf<std::int16_t>(*merged, "play_mode"), (std::vector<std::int16_t>{0, 0, 0}));
}

// ---- Real matches ------------------------------------------------------------------------------

class MergeRealLogs : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = new InTempDir("merge");
        CreateConceptHierarchies();
        shortMatch_ = LoadLog(GunzippedTestFile(kShortMatch), true).release();
        exchanged_ = LoadLog(ShortMatchWithTeamsExchanged(), true).release();
    }
    static void TearDownTestSuite()
    {
        delete exchanged_;
        delete shortMatch_;
        FreeConceptHierarchies();
        delete dir_;
    }

    static inline InTempDir* dir_ = nullptr;
    static inline RoboCupFileT* shortMatch_ = nullptr;
    static inline RoboCupFileT* exchanged_ = nullptr;
};

TEST_F(MergeRealLogs, TheTeamPlaysOnTheLeftWithTheRightSideMirrored)
{
    const RoboCupFileT& a = *shortMatch_;  // HELIOS_A left
    const RoboCupFileT& x = *exchanged_;   // HELIOS_A right
    ASSERT_EQ(x.rightTeam, "HELIOS_A");
    ASSERT_EQ(a.leftScore, 0);
    ASSERT_EQ(a.rightScore, 1);
    RecordingHooks hooks;
    std::unique_ptr<RoboCupFileT> m = MergeLogs("HELIOS_A", "HELIOS_A", {&a, &x});
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(hooks.notices.empty());
    EXPECT_EQ(m->fileName, "HELIOS_A-Others.rcg");
    EXPECT_EQ(m->leftTeam, "HELIOS_A");
    EXPECT_EQ(m->rightTeam, "Others");
    // 0:1 with the team on the left, then 0:1 with it on the right.
    EXPECT_EQ(m->leftScore, 0 + 1);
    EXPECT_EQ(m->rightScore, 1 + 0);
    const int n = a.cycles;
    ASSERT_EQ(m->cycles, 2 * n);
    for (TimeChannel* leaf : m->stream->GetLeaves())
        ASSERT_EQ(leaf->GetCount(), 2 * n) << leaf->GetFullName();
    EXPECT_EQ(hooks.waitTexts.front(), "Appending file " + a.fileName);
    EXPECT_NE(std::find(hooks.waitTexts.begin(), hooks.waitTexts.end(), "Appending file " + x.fileName),
              hooks.waitTexts.end());
    EXPECT_NE(std::find(hooks.waitTexts.begin(), hooks.waitTexts.end(), "Computing features ..."),
              hooks.waitTexts.end());

    // Player types: those of the second log numbered after the first's.
    const int types = static_cast<int>(a.playerTypes.size());
    ASSERT_EQ(types, 18);
    EXPECT_EQ(m->playerTypes.size(), 36u);

    const auto side = [](int o) { return o <= 11 ? 'l' : 'r'; };
    for (int o = 1; o <= 22; ++o) {
        const std::string me = ObjectName(o);
        const int mirror = o <= 11 ? o + 11 : o - 11;  // the same player in the exchanged log
        const std::string them = ObjectName(mirror);
        const auto& mx = ValuesOf<double>(*m, me + ".pos.x");
        const auto& my = ValuesOf<double>(*m, me + ".pos.y");
        const auto& mdx = ValuesOf<double>(*m, me + ".vel.dx");
        const auto& mbody = ValuesOf<double>(*m, me + ".angles.body_angle");
        const auto& mhead = ValuesOf<double>(*m, me + ".angles.head_angle");
        const auto& mtype = ValuesOf<std::int16_t>(*m, me + ".type");
        const auto& mside = ValuesOf<std::int8_t>(*m, me + ".side");
        const auto& ax = ValuesOf<double>(a, me + ".pos.x");
        const auto& atype = ValuesOf<std::int16_t>(a, me + ".type");
        const auto& xx = ValuesOf<double>(x, them + ".pos.x");
        const auto& xy = ValuesOf<double>(x, them + ".pos.y");
        const auto& xdx = ValuesOf<double>(x, them + ".vel.dx");
        const auto& xbody = ValuesOf<double>(x, them + ".angles.body_angle");
        const auto& xhead = ValuesOf<double>(x, them + ".angles.head_angle");
        const auto& xtype = ValuesOf<std::int16_t>(x, them + ".type");
        for (int t = 0; t < n; ++t) {
            const std::size_t i = static_cast<std::size_t>(t);
            const std::size_t j = static_cast<std::size_t>(n + t);
            ASSERT_EQ(mx[i], ax[i]) << me << t;
            ASSERT_EQ(mtype[i], atype[i]) << me << t;
            ASSERT_EQ(mx[j], -xx[i]) << me << t;
            ASSERT_EQ(my[j], -xy[i]) << me << t;
            ASSERT_EQ(mdx[j], -xdx[i]) << me << t;
            ASSERT_NEAR(mbody[j], xbody[i] + (xbody[i] > 0 ? -std::numbers::pi : std::numbers::pi), 1e-12) << me << t;
            ASSERT_EQ(mhead[j], xhead[i]);
            ASSERT_EQ(mtype[j], xtype[i] + types) << me << t;
            ASSERT_EQ(mside[i], side(o));
            ASSERT_EQ(mside[j], side(o));
        }
    }
    const auto same = [&](const std::string& mine, const std::string& theirs, auto type, double sign) {
        using T = decltype(type);
        const auto& merged = ValuesOf<T>(*m, mine);
        const auto& source = ValuesOf<T>(x, theirs);
        for (int t = 0; t < n; ++t)
            ASSERT_EQ(merged[static_cast<std::size_t>(n + t)], sign * source[static_cast<std::size_t>(t)])
                << mine << " at " << t;
    };
    same("Ball.pos.x", "Ball.pos.x", double{}, -1);
    same("Ball.vel.dy", "Ball.vel.dy", double{}, -1);
    same("score.l_team", "score.r_team", std::int16_t{}, 1);
    same("score.diff", "score.diff", std::int16_t{}, -1);
    same("time", "time", std::int16_t{}, 1);
    // The source's score difference does change: the check above has something to mirror.
    const auto& diff = ValuesOf<std::int16_t>(x, "score.diff");
    EXPECT_NE(*std::min_element(diff.begin(), diff.end()), *std::max_element(diff.begin(), diff.end()));
}

TEST_F(MergeRealLogs, PlayModesOfTheTwoSidesAreExchangedWhereTheTeamPlayedRight)
{
    const RoboCupFileT& a = *shortMatch_;
    std::unique_ptr<RoboCupFileT> m = MergeLogs("HELIOS_A", "HELIOS_A", {&a, exchanged_});
    ASSERT_NE(m, nullptr);
    const auto& mode = ValuesOf<std::int16_t>(*m, "play_mode");
    const auto& source = ValuesOf<std::int16_t>(a, "play_mode");
    const std::size_t n = source.size();
    std::map<int, int> seen;  // source mode -> merged mode in the second part
    for (std::size_t t = 0; t < n; ++t) {
        ASSERT_EQ(mode[t], source[t]);
        seen[source[t]] = mode[n + t];
    }
    // kick_off_l/r, free_kick_r, goal_r and foul_charge_l exchanged; time_over kept.
    EXPECT_EQ(seen.at(4), 5);
    EXPECT_EQ(seen.at(5), 4);
    EXPECT_EQ(seen.at(9), 8);
    EXPECT_EQ(seen.at(15), 14);
    EXPECT_EQ(seen.at(2), 2);
    EXPECT_EQ(seen.at(24), 25);
}

namespace {

// The side of every play mode that names one, as the soccer server numbers
// them: kick-off, kick-in, free kick, corner, goal kick, goal, offside, penalty
// kick, the four fouls, back-pass and free-kick fault.
const std::map<int, int> kOtherSide = [] {
    std::map<int, int> m;
    for (const auto& [l, r] : {std::pair{4, 5}, {6, 7}, {8, 9}, {10, 11}, {12, 13}, {14, 15}, {17, 18}, {19, 20},
                               {24, 25}, {26, 27}, {28, 29}, {30, 31}, {32, 33}, {34, 35}}) {
        m[l] = r;
        m[r] = l;
    }
    return m;
}();

int OtherSide(int mode) { return kOtherSide.contains(mode) ? kOtherSide.at(mode) : mode; }

std::map<int, int> CountModes(const ChannelValues<std::int16_t>& modes, std::size_t from, std::size_t to)
{
    std::map<int, int> counts;
    for (std::size_t t = from; t < to; ++t)
        ++counts[modes[t]];
    return counts;
}

// Merges the log for its right team and checks the merged play modes cycle by
// cycle and counted per mode against the source's of the other side.
void ExpectModesOfTheOtherSide(const RoboCupFileT& log)
{
    std::unique_ptr<RoboCupFileT> m = MergeLogs("Merged", log.rightTeam, {&log});
    ASSERT_NE(m, nullptr);
    const auto& source = ValuesOf<std::int16_t>(log, "play_mode");
    const auto& merged = ValuesOf<std::int16_t>(*m, "play_mode");
    ASSERT_EQ(merged.size(), source.size());
    std::map<int, int> expected;
    for (const auto& [mode, count] : CountModes(source, 0, source.size()))
        expected[OtherSide(mode)] += count;
    EXPECT_EQ(CountModes(merged, 0, merged.size()), expected);
    for (std::size_t t = 0; t < source.size(); ++t)
        ASSERT_EQ(merged[t], OtherSide(source[t])) << "cycle " << t;
}

}  // namespace

// The full match: its right team commits fouls, and they stay its own in the merge.
TEST(MergePlayModes, EverySidePairOfARealMatchIsExchangedCountedPerMode)
{
    const InTempDir dir("merge-full");
    CreateConceptHierarchies();
    const auto log = LoadLog(GunzippedTestFile("match-full-HELIOS_A_4-vs-HELIOS_B_2.rcg"), true);
    ASSERT_NE(log, nullptr);
    const std::map<int, int> counts = CountModes(ValuesOf<std::int16_t>(*log, "play_mode"), 0,
                                                 static_cast<std::size_t>(log->cycles));
    // Fouls of both sides, in different numbers: the exchange shows in the counts.
    ASSERT_TRUE(counts.contains(24) && counts.contains(25));
    ASSERT_NE(counts.at(24), counts.at(25));
    ExpectModesOfTheOtherSide(*log);
    FreeConceptHierarchies();
}

// A written log with every play mode of the list, one cycle each, and two
// numbers outside it, which are kept.
TEST(MergePlayModes, EveryModeOfTheListAndNumbersOutsideIt)
{
    const InTempDir dir("merge-modes");
    CreateConceptHierarchies();
    RcgWriter w;
    w.Teams("Alpha", 0, "Beta", 0).ServerParams().PlayerType();
    ShowState s;
    std::vector<int> modes;
    for (int mode = 1; mode <= 35; ++mode)
        modes.push_back(mode);
    modes.push_back(40);
    modes.push_back(99);
    for (std::size_t i = 0; i < modes.size(); ++i) {
        w.PlayMode(modes[i]);
        s.time = static_cast<std::uint16_t>(i + 1);
        w.Show(s);
    }
    const auto log = LoadLog(w.Save("modes"), true);
    ASSERT_NE(log, nullptr);
    const std::map<int, int> counts = CountModes(ValuesOf<std::int16_t>(*log, "play_mode"), 0,
                                                 static_cast<std::size_t>(log->cycles));
    for (const int mode : {19, 20, 30, 35, 40, 99})
        ASSERT_TRUE(counts.contains(mode)) << mode;
    ExpectModesOfTheOtherSide(*log);
    FreeConceptHierarchies();
}

TEST_F(MergeRealLogs, TheAnalysisRunsAnewOnTheMergedLog)
{
    const RoboCupFileT& a = *shortMatch_;
    std::unique_ptr<RoboCupFileT> m = MergeLogs("HELIOS_A", "HELIOS_A", {&a, exchanged_});
    ASSERT_NE(m, nullptr);
    const int n = a.cycles;
    // The features cover every cycle; the first part's are the source's own
    // (but for the last cycles, whose speed windows reach into the second part).
    const FeatureList& f = *m->features;
    ASSERT_EQ(f.GetNumInstances(), 2 * n);
    ASSERT_EQ(f.GetNumFeatures(), a.features->GetNumFeatures());
    for (int feature = 0; feature < f.GetNumFeatures(); feature += 7)
        for (int t = 0; t < n - 50; t += 3)
            ASSERT_EQ(f.GetBit(feature, t), a.features->GetBit(feature, t)) << f.GetName(feature) << " at " << t;
    // Events found anew over both parts: at least the source's twice.
    std::size_t sourceEvents = 0, mergedEvents = 0, secondPart = 0;
    for (int o = 0; o < RoboCupFileT::kObjectCount; ++o) {
        sourceEvents += a.events[static_cast<std::size_t>(o)].size();
        mergedEvents += m->events[static_cast<std::size_t>(o)].size();
        for (const auto& e : m->events[static_cast<std::size_t>(o)])
            secondPart += e->start >= n ? 1 : 0;
    }
    EXPECT_GT(sourceEvents, 0u);
    EXPECT_GE(mergedEvents, sourceEvents);
    EXPECT_GT(secondPart, 0u);
    // The team's nearest opponents in the mirrored part are the right players now.
    const auto& nearest = ValuesOf<std::int16_t>(*m, "Lplayer5.calculated.nearest_opponent");
    const auto& sourceNearest = ValuesOf<std::int16_t>(*exchanged_, "Rplayer5.calculated.nearest_opponent");
    for (int t = 0; t < n; ++t)
        ASSERT_EQ(nearest[static_cast<std::size_t>(n + t)], sourceNearest[static_cast<std::size_t>(t)] + 11) << t;
}

TEST_F(MergeRealLogs, NoLogOfTheTeamMakesNoLog)
{
    RecordingHooks hooks;
    EXPECT_EQ(MergeLogs("Nobody", "Nobody", {shortMatch_, exchanged_}), nullptr);
    EXPECT_EQ(MergeLogs("A", "A", {}), nullptr);
    EXPECT_TRUE(hooks.notices.empty());
}
