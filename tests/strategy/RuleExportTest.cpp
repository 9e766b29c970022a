// The rule export's text: the block name, the skipped strategies, the eleven
// replacements and whole exports over hand-built strategy lists against golden
// files (the memo after the export, and the file as saved after the last block).
#include "strategy/model/RuleExport.h"

#include "core/learning/RuleTexts.h"
#include "core/learning/Rules.h"

#include "support/TestData.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

TEST(RuleExport, BlockNameByLevelAndLength)
{
    struct Case {
        double value;
        int length;
        const char* line;
    };
    for (const Case& c : {Case{0.5, 3, "#ifdef ABS05SEQ3"}, Case{4.0, 3, "#ifdef ABS4SEQ3"},
                          Case{16.0, 3, "#ifdef ABS16SEQ3"}, Case{1.0, 3, "#ifdef ABS1SEQ3"},
                          Case{0.05, 3, "#ifdef ABS00SEQ3"}, Case{0.99, 1, "#ifdef ABS09SEQ1"},
                          Case{2.7, 4, "#ifdef ABS2SEQ4"}, Case{0.0, -12, "#ifdef ABS00SEQ-12"}})
        EXPECT_EQ(ExportIfdefLine(c.value, c.length), c.line) << c.value;
    EXPECT_EQ(ExportLength(13), 1);
    EXPECT_EQ(ExportLength(15), 3);
    EXPECT_EQ(ExportLength(16), 4);
    EXPECT_EQ(ExportLength(0), -12);
}

TEST(RuleExport, SkipsAttacksInterceptionsAndTheRightTeamInAnyCase)
{
    for (const char* text : {"  1.00 #3 L:Attack-support", "attack", "x INTERCEPT y", "Intercept", "RTeam:x", "rteam"})
        EXPECT_TRUE(ExportSkips(text)) << text;
    for (const char* text : {"  1.00 #3 LTeam:Pass", "Pass", "", "R Team", "Atack"})
        EXPECT_FALSE(ExportSkips(text)) << text;
}

TEST(RuleExport, ReplacementsInOrderEachOnePass)
{
    struct Case {
        const char* in;
        const char* out;
    };
    for (const Case& c : {
             Case{"LTeam.1:a LTeam.2:b LTeam.3:c", "a b c"},
             Case{"Team:Pass LTeam:x RTeam:y", "Pass Lx Ry"},  // "Team:" also cuts the side names
             Case{"LTeam.4:x RTeam.1:y", "LTeam.4:x RTeam.1:y"},
             Case{"Pass-a Attack-b pass-c", "Pass_a Attack_b pass-c"},
             Case{"{\r\n  x", "{   x"},
             Case{"a\r\n\r\n\r\nb", "a\r\n\r\nb"},  // one pass, not until none is left
             Case{"a,\r\n\r\nb", "a, b"},          // the empty line goes first
             Case{"f(x), }", "f(x) }"},
             Case{"},\\\r\n  };", "}\\\r\n  };"},
             Case{"{\\\r\n  };", "{\\\r\n  };"},
             Case{"no change", "no change"},
         })
        EXPECT_EQ(ApplyExportReplacements(c.in), c.out) << c.in;
}

TEST(RuleExport, EntryNamesBecomeCIdentifiersAndNothingElseChanges)
{
    struct Case {
        const char* in;
        const char* out;
    };
    for (const Case& c : {
             Case{"  tActionRule(_LTeam.Field-player:To-player_, \"a.b ~c:d\"),",
                  "  tActionRule(_LTeam_Field_player_To_player_, \"a.b ~c:d\"),"},
             Case{"{   tActionRule(_Pass_K2_, \"x-y\"),   tActionRule(_L-FW:Shoot_, \"z\") }",
                  "{   tActionRule(_Pass_K2_, \"x-y\"),   tActionRule(_L_FW_Shoot_, \"z\") }"},
             Case{"tActionRule(_a\xC3\xA9 b_, \"\")", "tActionRule(_a___b_, \"\")"},
             Case{"  #define RULES tActionRule rules[N][L] = {\\", "  #define RULES tActionRule rules[N][L] = {\\"},
         })
        EXPECT_EQ(CleanEntryIdentifiers(c.in), c.out) << c.in;
}

TEST(RuleExport, SkipLineCountsTheSkippedStrategies)
{
    EXPECT_EQ(ExportSkipLine(7, 17, 17), "// 7 of 17 strategies skipped: their names hold Attack, Intercept or RTeam");
    EXPECT_EQ(ExportSkipLine(1, 1, 1), "// 1 of 1 strategy skipped: its name holds Attack, Intercept or RTeam");
    EXPECT_EQ(ExportSkipLine(0, 17, 17), "");
    // A stopped export counts only what it saw.
    EXPECT_EQ(ExportSkipLine(23, 672, 40),
              "// 23 of the 40 strategies visited skipped: their names hold Attack, Intercept or RTeam");
}

TEST(RuleExport, LinesJoinedAndWrittenWithCrLf)
{
    EXPECT_EQ(JoinCrLf({"a", "", "b"}), "a\r\n\r\nb");
    EXPECT_EQ(JoinCrLf({}), "");
    std::ostringstream out;
    WriteLinesCrLf(out, {"a", "", "b"});
    EXPECT_EQ(out.str(), "a\r\n\r\nb\r\n");
    TLineVector lines;
    lines.SetText("x\n\ny");
    EXPECT_EQ(lines.lines, (std::vector<std::string>{"x", "", "y"}));
}

// "All Rules" over a hand-built list through RunRuleExport: each strategy
// learnt prints its rules as rule learning does; the file is kept as saved.
struct Item {
    std::string text;
    bool hasPath;
    std::vector<tActionRule> rules;
    TExportLearnt how = TExportLearnt::Learnt;
};

struct TExported : TExportStrategies {
    std::vector<Item> items;
    TExportSettings settings;
    TLineVector memo;
    std::vector<std::string> saves;
    std::string file;  // as saved after the last block
    std::size_t learnt = 0;

    bool StillListed(int row, const std::string& text) override { return items.at(std::size_t(row)).text == text; }
    TExportLearnt Learn(int row) override
    {
        learnt = static_cast<std::size_t>(row);
        for (const tActionRule& rule : items[static_cast<std::size_t>(row)].rules)
            memo.Append(settings.computer ? FormatActionRule(rule) : rule.action + " <= \t" + rule.condition);
        return items[static_cast<std::size_t>(row)].how;
    }
    std::vector<std::string> Entries() const override
    {
        std::vector<std::string> entries;
        for (const tActionRule& rule : items[learnt].rules)
            entries.push_back(FormatActionRule(rule));
        return entries;
    }
    std::string Failure() const override { return "dataset not written: no space"; }
    std::string NotLearnt() const override { return "too few examples"; }
    void Save(const std::vector<std::string>& lines) override { saves.push_back(JoinCrLf(lines) + "\r\n"); }
};

TExported Export(const std::vector<Item>& items, const TExportSettings& settings, std::vector<std::string> before = {})
{
    TExported run;
    run.items = items;
    run.settings = settings;
    const std::size_t kept = before.size();
    run.memo.lines = std::move(before);
    std::vector<TExportItem> list;
    for (const Item& item : items)
        list.push_back({item.text, item.hasPath});
    RunRuleExport(run.memo, settings, list, run);
    run.file = run.saves.size() >= 2 ? run.saves[run.saves.size() - 2] : "";
    // Saved finished: the export's own lines, none before them.
    EXPECT_EQ(run.saves.back(), JoinCrLf({run.memo.lines.begin() + std::ptrdiff_t(kept), run.memo.lines.end()}) + "\r\n");
    return run;
}

const std::vector<Item> kList = {
    {"   3.00 #3 LTeam:Pass", true, {{"A", "r1"}, {"B", "r2"}, {"C", "r3"}}},
    {"   2.00 #3 L:rteam x", true, {{"X", "never"}}},
    {"   1.00 #3 L-FW:Pass-dribble", true, {{"D", "r4"}, {"E", "r5"}, {"F", "r6"}}},
    {"All", false, {}},
    {"All paths", true, {{"Y", "never"}}},
};

TExportSettings Computer()
{
    TExportSettings s;
    s.computer = true;
    s.value = 2.0;
    s.length = 3;
    s.when = "2026-12-07 13:00:00";
    return s;
}

TEST(RuleExport, ComputerOutputMatchesGoldenFiles)
{
    const TExported run = Export(kList, Computer());
    EXPECT_EQ(JoinCrLf(run.memo.lines) + "\r\n", ReadBytes(TestDataPath("golden/rule-export.txt")));
    // The file saved after the last block is the finished table of the rows so far.
    EXPECT_EQ(run.file, ReadBytes(TestDataPath("golden/rule-export-file.txt")));
}

TEST(RuleExport, SameTextWithoutAllPathsAtTheEnd)
{
    // A list from "Store" ends in "All" only; its last strategy is exported all the same.
    std::vector<Item> list(kList.begin(), kList.end() - 1);
    const TExported run = Export(list, Computer());
    EXPECT_EQ(JoinCrLf(run.memo.lines) + "\r\n", ReadBytes(TestDataPath("golden/rule-export.txt")));
}

TEST(RuleExport, CountLineFollowsTheBlocksWritten)
{
    // Five candidates, two skipped: the count shows 5 until the first block, then 3.
    const std::vector<tActionRule> row = {{"A", "r"}, {"B", "r"}, {"C", "r"}};
    std::vector<Item> list = {{"a", true, row}, {"Attack", true, {}}, {"b", true, row}, {"intercept", true, {}},
                              {"c", true, row}};
    TLineVector memo;
    TRuleExport exportRun(memo, Computer(), 5);
    exportRun.Begin();
    EXPECT_EQ(memo.lines[2], "  #define NUMACTIONRULES 5");
    const TExported run = Export(list, Computer());
    EXPECT_EQ(run.file.find("  #define NUMACTIONRULES 3\r\n"), run.file.find("#define") - 2);
    EXPECT_EQ(run.memo.lines[2], "  #define NUMACTIONRULES 3");
}

TEST(RuleExport, NothingToExportStillClosesTheTable)
{
    const TExported run = Export({{"All", false, {}}, {"All paths", true, {}}}, Computer());
    EXPECT_EQ(run.memo.lines,
              (std::vector<std::string>{"// *** Creating rules for all list @2026-12-07 13:00:00", "#ifdef ABS2SEQ3",
                                        "  #define NUMACTIONRULES 0", "  #define ACTIONRULELEN 3",
                                        "  #define RULES tActionRule rules[1][ACTIONRULELEN] = {\\",
                                        "  { { 0 } } \\", "  };", "#endif"}));
    EXPECT_EQ(run.file, "");
}

TEST(RuleExport, EarlierMemoTextIsLeftAsItWas)
{
    const TExported run = Export({}, Computer(), {"LTeam.1:old", "", ""});
    ASSERT_GE(run.memo.lines.size(), 4u);
    EXPECT_EQ(run.memo.lines[0], "LTeam.1:old");
    EXPECT_EQ(run.memo.lines[1], "");
    EXPECT_EQ(run.memo.lines[2], "");
    EXPECT_EQ(run.memo.lines[3], "// *** Creating rules for all list @2026-12-07 13:00:00");
    EXPECT_EQ(run.saves.back().rfind("// *** Creating rules", 0), 0u);
}

TEST(RuleExport, ReadableOutputHasNoDefinesBracesOrReplacements)
{
    TExportSettings s = Computer();
    s.computer = false;
    const TExported run = Export(kList, s);
    EXPECT_EQ(run.memo.lines,
              (std::vector<std::string>{"// *** Creating rules for all list @2026-12-07 13:00:00", "",
                                        "***Rule    3.00 #3 LTeam:Pass", "A <= \tr1", "B <= \tr2", "C <= \tr3", "",
                                        "***Rule    1.00 #3 L-FW:Pass-dribble", "D <= \tr4", "E <= \tr5",
                                        "F <= \tr6",
                                        "// 1 of 3 strategies skipped: its name holds Attack, Intercept or RTeam"}));
    // The file after the last block has all but the skip line.
    EXPECT_EQ(run.file, JoinCrLf({run.memo.lines.begin(), run.memo.lines.end() - 1}) + "\r\n");
}

}  // namespace

namespace {

// Only whole rows are counted: a strategy short of entries, one with a node
// not learnt and one that failed (as the command names it) are comments that
// say why; a failure ends the export, and the skip line counts what it saw.
TEST(RuleExport, OnlyWholeRowsAreCounted)
{
    const std::vector<tActionRule> row = {{"A", "r"}, {"B", "r"}, {"C", "r"}};
    const std::vector<Item> list = {
        {"a", true, row},
        {"b", true, {{"A", "r"}, {"B", "r"}}},
        {"L:Attack", true, row},
        {"c", true, {{"A", "r"}, {"B", "r"}}, TExportLearnt::NotLearnt},
        {"d", true, row, TExportLearnt::Failed},
        {"e", true, row},
        {"L:Intercept", true, row},
    };
    const TExported run = Export(list, Computer());
    const std::vector<std::string>& lines = run.memo.lines;
    ASSERT_GE(lines.size(), 11u) << JoinCrLf(lines);
    EXPECT_EQ(lines[2], "  #define NUMACTIONRULES 1");
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 5, lines.begin() + 11),
              (std::vector<std::string>{"{   tActionRule(_A_, \"r\"),   tActionRule(_B_, \"r\"),   tActionRule(_C_, \"r\") },\\",
                                        "  /* b: 2 entries where a row has 3 */ \\",
                                        "  /* c: not learnt: too few examples */ \\",
                                        "  /* d: dataset not written: no space */ \\", "  };", "#endif"}))
        << JoinCrLf(lines);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 11, lines.end()),
              (std::vector<std::string>{
                  "// 1 of the 5 strategies visited skipped: its name holds Attack, Intercept or RTeam",
                  "// Export stopped: dataset not written: no space"}));
    // A table without a whole row claims none.
    const TExported none = Export({{"c", true, {}, TExportLearnt::NotLearnt}}, Computer());
    EXPECT_EQ(none.memo.lines[2], "  #define NUMACTIONRULES 0");
}

}  // namespace
