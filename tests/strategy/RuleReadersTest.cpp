#include "strategy/model/LearnerFiles.h"
#include "strategy/model/RuleReaders.h"

#include "core/concepts/Concepts.h"
#include "core/learning/Features.h"
#include "core/learning/DecisionList.h"
#include "core/learning/RuleTexts.h"
#include "core/learning/StrategyChunk.h"

#include "support/RuleModel.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

namespace {

using Tokens = std::vector<std::string>;

using Model = TRuleModel;

StrategyChunk Chunk() { return StrategyChunk("Lplayer5:Pass", nullptr, nullptr, 12.346, -3.0, 1.0, false); }

std::string Rules(const StrategyChunk& chunk) { return RulesToString(nullptr, chunk.GetRules(), false); }

// What JRip (Weka 3.6) prints for a small node dataset, after the rules the
// learner's report that the reader must not take for rules.
const char* const kJRipOutput =
    "\r\n"
    "JRIP rules:\r\n"
    "===========\r\n"
    "\r\n"
    "(Lplayer5:Position.Left-wing = 1) and (Team:Ball.near = 0) => class=Lplayer5:Pass (7.0/0.0)\r\n"
    "(LTeam.L-MF:Ball.near = 1) => class=OTHER (5.0/1.0)\r\n"
    " => class=OTHER (23.0/0.0)\r\n"
    "\r\n"
    "Number of Rules : 3\r\n"
    "\r\n"
    "\r\n"
    "Time taken to build model: 0.02 seconds\r\n"
    "=== Confusion Matrix ===\r\n"
    "  a  b   <-- classified as\r\n"
    " 23  0 |  a = OTHER\r\n";

}  // namespace

TEST(ExtractTokens, SplitsAtSeparatorsAndKeepsQuotedText)
{
    const struct {
        const char* text;
        Tokens tokens;
    } cases[] = {
        {"(a = 1)", {"a", "1"}},
        {"=>", {}},
        {"===========", {}},
        {"class=X", {"class", "X"}},
        {"(12.0/1.0)", {"12.0/1.0"}},
        {"   lead  blanks ", {"lead", "blanks"}},
        {"'a b=c' \"d (e)\" f", {"'a b=c'", "\"d (e)\"", "f"}},
        {"x'y z'w v", {"x'y z'w", "v"}},
        {"'open to the end", {"'open to the end"}},
        {"rules:\r\nnext\tone", {"rules:", "next", "one"}},
        {"A ~ B~C", {"A", "~", "B~C"}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExtractTokens(c.text, kWekaSeparators), c.tokens) << c.text;
    EXPECT_EQ(ExtractTokens("A ~ B~C", kSlipperSeparators), (Tokens{"A", "B", "C"}));
}

TEST(ExtractTokens, ResultLinesAreJoinedWithOneBlankEach)
{
    std::istringstream in("a\r\nb=c\nd");
    EXPECT_EQ(JoinLines(in), "a\r b=c d ");
    EXPECT_EQ(ExtractTokens(JoinLines(in), kWekaSeparators), Tokens{});  // the stream is used up
}

TEST(ReadWekaRules, JRipOutputBecomesRulesWithConditions)
{
    Model m;
    StrategyChunk chunk = Chunk();
    EXPECT_EQ(ReadWekaRules(ExtractTokens(kJRipOutput, kWekaSeparators), m.conditions, chunk, false), 3);
    ASSERT_EQ(chunk.GetRules().size(), 3U);
    const RuleObject& first = *chunk.GetRules()[0];
    EXPECT_TRUE(first.IsPositive());
    ASSERT_EQ(first.Size(), 2);
    // A player feature speaks of its object's role at the first positive; a
    // team feature of the role root.
    EXPECT_EQ(first.GetObjectConcept(0), m.lmf);
    EXPECT_EQ(first.GetFeatureKey(0), m.left);
    EXPECT_EQ(first.GetValue(0), 1);
    EXPECT_EQ(first.GetObjectConcept(1), m.roles);
    EXPECT_EQ(first.GetFeatureKey(1), m.nearBall);
    EXPECT_EQ(first.GetValue(1), 0);
    // OTHER with a condition is a negated rule; the default OTHER rule after
    // it stays, so that the list covers only what the first rule does.
    EXPECT_FALSE(chunk.GetRules()[1]->IsPositive());
    EXPECT_EQ(chunk.GetRules()[2]->Size(), 0);
    EXPECT_EQ(Rules(chunk), "(LTeam.L-MF:Position.Left-wing = 1) AND (Team:Ball.near = 0)");
    // Feature 3's object 7 has no role at cycle 2: the name's own role is taken.
    EXPECT_EQ(chunk.GetRules()[1]->GetObjectConcept(0), m.lmf);
}

TEST(ReadWekaRules, TheDefaultNegativeRuleOnlyWhenAllowed)
{
    Model m;
    const Tokens tokens =
        ExtractTokens("JRIP rules:\n===========\n\n(Team:Ball.near = 1) => class=NODE (12.0/1.0)\n"
                      " => class=OTHER (40.0/2.0)\n\nNumber of Rules : 2\n(Team:Ball.near = 1) => class=NODE (1/0)\n",
                      kWekaSeparators);
    StrategyChunk without = Chunk();
    EXPECT_EQ(ReadWekaRules(tokens, m.conditions, without, false), 1);
    EXPECT_EQ(Rules(without), "(Team:Ball.near = 1)");
    StrategyChunk with = Chunk();
    EXPECT_EQ(ReadWekaRules(tokens, m.conditions, with, true), 2);
    EXPECT_EQ(Rules(with), "(Team:Ball.near = 1)");  // "OR ~(TRUE)" adds nothing
    // No "rules:" at all: nothing.
    StrategyChunk none = Chunk();
    EXPECT_EQ(ReadWekaRules(Tokens{"Team:Ball.near", "1", "class", "NODE", "x"}, m.conditions, none, true), 0);
}

// A result line the program cannot read as the learner meant it leaves the
// node not learnt, never with a rule that covers more than the learner's.
TEST(TakeWekaResult, ARuleThatCannotBeReadLeavesTheNodeNotLearnt)
{
    Model m;
    const std::pair<const char*, const char*> cases[] = {  // the rule, what the node's line says of it
        {"(NoSuch:Feature = 1) => class=node (4.0/0.0)", "names NoSuch:Feature, a feature the dataset lacks"},
        {"(Team:Ball.near = 1) and (NoSuch:Feature = 0) => class=OTHER (4.0/0.0)", "names NoSuch:Feature"},
        {"(Team:Ball.near = 2) => class=node (4.0/0.0)", "gives Team:Ball.near the value 2, not 0 or 1"},
        {"(Team:Ball.near = 1.0) => class=node (4.0/0.0)", "the value 1.0, not 0 or 1"},
        {"(Team:Ball.near = 1) => class=node (4.0/x)", "coverage 4.0/x cannot be read"},
        {"(Team:Ball.near = 1) => class=node (2.0/3.0)", "coverage 2.0/3.0 cannot be read"},
    };
    for (const auto& [rule, reason] : cases) {
        StrategyChunk chunk = Chunk();
        const std::string result = std::string("JRIP rules:\n===\n") + rule + "\n => class=OTHER (9.0/0.0)\n";
        EXPECT_FALSE(TakeWekaResult(result + "Number of Rules : 2\n", "", m.conditions, chunk, false)) << rule;
        EXPECT_EQ(chunk.State(), TChunkState::NotLearnt) << rule;
        EXPECT_NE(chunk.NotLearnt().find(reason), std::string::npos) << chunk.NotLearnt();
    }
}

// JRip classes what a rule covers by the larger class of its "(covered/wrong)"
// and at a tie by the first class, OTHER, whatever class it prints.
TEST(ReadWekaRules, ARuleIsReadForTheClassJRipGivesItsCoverage)
{
    Model m;
    const struct { const char* rules; bool allow; const char* read; } cases[] = {
        {" => class=node (4.0/2.0)", false, "FALSE"},
        {" => class=node (4.0/2.0)", true, "FALSE"},
        {"(Team:Ball.near = 1) => class=node (8.0/4.0)\n => class=OTHER (12.0/3.0)", false, "FALSE"},
        {"(Team:Ball.near = 1) => class=OTHER (12.0/6.0)\n => class=node (12.0/5.0)", false, "~((Team:Ball.near = 1))"},
        // The printed class with the fewer instances: the other one.
        {"(Team:Ball.near = 0) => class=OTHER (29.0/15.0)\n => class=node (31.0/14.0)", false, "TRUE"},
        {"(Team:Ball.near = 0) => class=node (29.0/15.0)\n => class=OTHER (31.0/17.0)", false, "~((Team:Ball.near = 0))"},
        // After rules for OTHER, a default read as OTHER stays: it is no node's.
        {"(Team:Ball.near = 1) => class=OTHER (9.0/0.0)\n => class=node (4.0/2.0)", false, "FALSE"},
        {"(Team:Ball.near = 1) => class=node (9.0/1.0)\n => class=OTHER (40.0/20.0)", false, "(Team:Ball.near = 1)"},
    };
    for (const auto& c : cases) {
        StrategyChunk chunk = Chunk();
        bool whole = false;
        ReadWekaRules(ExtractTokens(std::string("JRIP rules:\n") + c.rules + "\nNumber of Rules", kWekaSeparators),
                      m.conditions, chunk, c.allow, &whole);
        EXPECT_TRUE(whole) << c.rules;
        EXPECT_EQ(Rules(chunk), c.read) << c.rules;
    }
}

// Real Weka JRip on datasets written as the node datasets are (the node's
// cycles first, class attribute "{OTHER, node}"), where it prints a rule at a
// tie or for the smaller class of what it covers: each cycle is covered where
// JRip's own prediction ("-p 0") is the node, and the text says the same.
TEST(ReadWekaRules, JRipsTiesAreReadAsJRipPredicts)
{
    if (!std::filesystem::exists("/usr/share/java/weka.jar") || std::system("java -version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no Weka or Java";
    const struct {
        const char* rows;  // per cycle its features' bits, then "+" for the node, "-" for OTHER
        const char* printed;
        const char* read;
    } cases[] = {
        {"00+ 00+ 00- 00-", " => class=node (4.0/2.0)", "FALSE"},
        {"11011+ 01010+ 00110+ 01001+ 10100+ 11001+ 10110+ 00101- 10000- 10001- 00010- 00010- 11101- 11001- 11010- "
         "00011- 10011- 11110- 00000- 00111-",
         "(f1 = 1) => class=node (8.0/4.0)", "FALSE"},
        {"110+ 010+ 101+ 001+ 111+ 011+ 011+ 100+ 010+ 110+ 011+ 100+ 100+ 110- 000- 101- 101- 100- 000- 111- 011- "
         "111- 010- 011-",
         "(f2 = 1) => class=OTHER (12.0/6.0)", "~((:f2 = 1))"},
        {"1111+ 1011+ 1001+ 1101+ 1000+ 0101+ 0101+ 1100+ 0100+ 0111+ 1100+ 1011+ 1110+ 0110+ 0010+ 1101+ 1111+ "
         "1000+ 0000+ 1001+ 1001+ 1000+ 1000+ 0111+ 0111+ 0110+ 1101+ 0110+ 0010+ 0101+ 0010+ 1111+ 0111- 1000- "
         "1101- 0011- 1111- 0011- 0110- 1010- 1100- 0001- 1111- 1111- 0110- 0101- 0110- 0010- 0100- 1110- 0101- "
         "1011- 0100- 0011- 1001- 1100- 0010- 1010- 0001- 1000-",
         "(f3 = 0) => class=OTHER (29.0/15.0)", "TRUE"},
    };
    const std::string folder = MakeTempDir("jrip-ties"),
                      jrip = "java -cp /usr/share/java/weka.jar weka.classifiers.rules.JRip -t \"" + folder +
                             "/data.arff\" -no-cv";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.printed);
        std::istringstream in(c.rows);
        const std::vector<std::string> rows{std::istream_iterator<std::string>(in), {}};
        const int features = static_cast<int>(rows[0].size()) - 1;
        FeatureList list;
        list.Allocate(features, static_cast<int>(rows.size()));
        std::vector<std::unique_ptr<ConceptObject>> groups;
        std::ofstream arff(folder + "/data.arff");
        arff << "@relation RoboCup\n\n";
        for (int f = 0; f < features; ++f) {
            const std::string name = "f" + std::to_string(f);
            groups.push_back(std::make_unique<ConceptObject>(name, nullptr, false));
            list.SetName(f, name);
            list.SetObjectIndex(f, -1);
            list.SetGroupKey(f, groups.back().get());
            list.AddToGroup(f);
            arff << "@attribute " << name << " {0,1}\n";
        }
        arff << "@attribute class {OTHER, node}\n\n@data\n";
        for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
            for (int f = 0; f < features; ++f) {
                if (rows[r][f] == '1')
                    list.SetBit(f, r);
                arff << rows[r][f] << ", ";
            }
            arff << (rows[r].back() == '+' ? "node" : "OTHER") << "\n";
        }
        arff.close();
        ASSERT_EQ(std::system((jrip + " > \"" + folder + "/results.txt\" && " + jrip + " -p 0 > \"" + folder +
                               "/predicted.txt\"").c_str()), 0);
        const std::string result = ReadBytes(folder + "/results.txt");
        ASSERT_NE(result.find(std::string("\n") + c.printed + "\n"), std::string::npos) << result;

        StrategyChunk chunk = Chunk();
        const TFeatureConditions conditions{&list, -1, nullptr};
        ASSERT_TRUE(TakeWekaResult(result, "", conditions, chunk, false)) << chunk.NotLearnt();
        EXPECT_EQ(Rules(chunk), c.read);
        std::ifstream predicted(folder + "/predicted.txt");
        std::size_t k = 0, instance = 0;
        for (std::string line, actual, said; std::getline(predicted, line);)
            if (std::istringstream(line) >> instance >> actual >> said) {  // not a heading
                ASSERT_TRUE(instance == ++k && k <= rows.size()) << line;
                EXPECT_EQ(ChunkCovers(list, chunk, static_cast<int>(k - 1)), said == "2:node") << line;
            }
        EXPECT_EQ(k, rows.size());
    }
    std::filesystem::remove_all(folder);
}

TEST(ReadWekaRules, ACutResultStopsAtItsEnd)
{
    Model m;
    const Tokens full = ExtractTokens(kJRipOutput, kWekaSeparators);
    // Every prefix of the stream: never more rules than the whole gives, and a
    // rule is appended only once its class has been read.
    for (std::size_t n = 0; n <= full.size(); ++n) {
        const Tokens cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
        StrategyChunk chunk = Chunk();
        const int added = ReadWekaRules(cut, m.conditions, chunk, false);
        EXPECT_LE(added, 3) << n;
        EXPECT_EQ(added, static_cast<int>(chunk.GetRules().size()));
    }
    StrategyChunk chunk = Chunk();
    EXPECT_EQ(ReadWekaRules(Tokens{"rules:", "Team:Ball.near", "1", "and"}, m.conditions, chunk, true), 0);
    EXPECT_EQ(ReadWekaRules(Tokens{"rules:", "Team:Ball.near", "1", "class", "NODE"}, m.conditions, chunk, true), 1);
}

TEST(ReadSlipperRules, TheBestRuleOfTheHypothesis)
{
    Model m;
    const TSlipperNames names = MakeSlipperNames(m.roles, &m.list);
    ASSERT_EQ(names.roles.size(), 4U);
    EXPECT_EQ(names.roles[2].first, "LTeam_L_FW");
    ASSERT_EQ(names.groups.size(), 2U);
    EXPECT_EQ(names.groups[0].first, "Position_Left_wing");

    const std::string text = "NODE_ID 2.5 0.4 IF Position_Left_wing ~ LTeam_L_FW Ball_near ~ LTeam_L_MF .\n"
                             "OTHER 1.2 0.9 IF Ball_near ~ Team .\n.\n";
    StrategyChunk chunk = Chunk();
    EXPECT_EQ(ReadSlipperRules(ExtractTokens(text, kSlipperSeparators), names, chunk, false, false), 1);
    EXPECT_EQ(Rules(chunk), "(LTeam.L-FW:Position.Left-wing = 1) AND (LTeam.L-MF:Ball.near = 1)");

    const struct {
        const char* text;
        bool allow;
        const char* rules;
    } cases[] = {
        // Equal differences: the first wins.
        {"A 2 1 IF Ball_near Team . B 3 2 IF Position_Left_wing Team . .", false, "(Team:Ball.near = 1)"},
        // No rule with a > b.
        {"A 1 1 IF Ball_near Team . B 0.5 2 IF Ball_near Team . .", false, "FALSE"},
        // An OTHER rule with conditions is a negated candidate and can win.
        {"A 1 0.5 IF Ball_near Team . OTHER 3 0 IF Ball_near LTeam_L_FW . .", false,
         "~((LTeam.L-FW:Ball.near = 1))"},
        // OTHER without conditions only with the default negative allowed.
        {"OTHER 3 0 IF . A 1 0.5 IF Ball_near Team . .", false, "(Team:Ball.near = 1)"},
        {"OTHER 3 0 IF . A 1 0.5 IF Ball_near Team . .", true, "FALSE"},
        // Names that match nothing add nothing; a number that is not one is 0.
        {"A 2 x IF nosuch Team Ball_near nosuch . .", false, "TRUE"},
        {"A 2,5 0 IF Ball_near Team . .", false, "FALSE"},
        // No final ".", or a glued "X.", means no rule.
        {"A 2 0 IF Ball_near Team .", false, "FALSE"},
        {"A 2 0 IF Ball_near Team. .", false, "FALSE"},
        {"A 2 0", false, "FALSE"},
        {". A 2 0 IF Ball_near Team . .", false, "FALSE"},
    };
    for (const auto& c : cases) {
        StrategyChunk one = Chunk();
        ReadSlipperRules(ExtractTokens(c.text, kSlipperSeparators), names, one, c.allow, false);
        EXPECT_EQ(Rules(one), c.rules) << c.text;
    }
}

TEST(ReadSlipperRules, FirstRuleTakesTheFirstRuleRead)
{
    Model m;
    const TSlipperNames names = MakeSlipperNames(m.roles, &m.list);
    StrategyChunk chunk = Chunk();
    EXPECT_EQ(ReadSlipperRules(ExtractTokens("OTHER 1 0 IF . A 1 5 IF Ball_near Team . B 9 0 IF . .", kSlipperSeparators),
                               names, chunk, false, true),
              1);
    EXPECT_EQ(Rules(chunk), "(Team:Ball.near = 1)");
    bool whole = false;
    EXPECT_EQ(ReadSlipperRules(ExtractTokens("A 1 5 IF Ball_near Team . B 9", kSlipperSeparators), names, chunk,
                               false, true, &whole), 1);
    EXPECT_TRUE(whole);
    // Every prefix of a hypothesis: at most one rule, and none before the end.
    const Tokens full = ExtractTokens("A 2 1 IF Ball_near Team . B 3 1 IF Position_Left_wing Team . .",
                                      kSlipperSeparators);
    for (std::size_t n = 0; n < full.size(); ++n) {
        StrategyChunk cut = Chunk();
        EXPECT_EQ(ReadSlipperRules(Tokens(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n)), names, cut,
                                   true, false),
                  0)
            << n;
    }
}

TEST(ParseRuleText, TypedPairsBecomeTheRule)
{
    Model m;
    m.conditions.firstPositive = -1;
    RuleObject rule(true);
    rule.AddCondition(nullptr, m.left, 1);
    ParseRuleText("(LTeam.L-FW:Position.Left-wing = 1) and (Team:Ball.near = 0) and (nosuch = 1) and", m.conditions,
                  rule);
    EXPECT_EQ(RuleToString(nullptr, rule, false), "(LTeam.L-FW:Position.Left-wing = 1) AND (Team:Ball.near = 0)");
    // Without a positive cycle a feature named after its object has no role.
    ParseRuleText("Lplayer5:Position.Left-wing = 1", m.conditions, rule);
    ASSERT_EQ(rule.Size(), 1);
    EXPECT_EQ(rule.GetObjectConcept(0), nullptr);
    ParseRuleText("", m.conditions, rule);
    EXPECT_EQ(rule.Size(), 0);
}

TEST(LearnerFiles, NodeFileNames)
{
    const struct {
        const char* data;
        const char* node;
        const char* file;
        const char* stem;
        const char* hyp;
    } cases[] = {
        {"/tmp/test.data", "Lplayer5:Pass", "/tmp/test-Lplayer5-Pass.data", "/tmp/test-Lplayer5-Pass",
         "/tmp/test-Lplayer5-Pass.shyp"},
        {"C:\\temp\\test.data", "Lplayer5:Pass", "C:\\temp\\test-Lplayer5-Pass.data", "C:\\temp\\test-Lplayer5-Pass",
         "C:\\temp\\test-Lplayer5-Pass.shyp"},
        // Only the trailing extension counts.
        {"/w/x.data/test.data", "a:b:c", "/w/x.data/test-a-b-c.data", "/w/x.data/test-a-b-c",
         "/w/x.data/test-a-b-c.shyp"},
        // No extension: every node its own file, the hypothesis beside it.
        {"/w/x.data/test", "N-END", "/w/x.data/test-N-END", "/w/x.data/test-N-END", "/w/x.data/test-N-END.shyp"},
        {"test.arff", "N", "test-N.arff", "test-N", "test-N.shyp"},
    };
    for (const auto& c : cases) {
        const std::string file = NodeDataFileName(c.data, c.node);
        EXPECT_EQ(file, c.file);
        EXPECT_EQ(SlipperStem(file), c.stem);
        EXPECT_EQ(SlipperHypothesisFile(file), c.hyp);
        EXPECT_NE(SlipperHypothesisFile(file), file);
    }
    EXPECT_EQ(WekaResultsFile("/tmp/test-N.data"), "/tmp/results.txt");
    EXPECT_EQ(WekaResultsFile("test-N.data"), "results.txt");
    EXPECT_EQ(NodeDataFileName("/data/test.data", "L:Pass", 3), "/data/test-3-L-Pass.data");  // a command's third run
}

TEST(LearnerFiles, RuleLinesInBothForms)
{
    Model m;
    StrategyChunk chunk = Chunk();
    EXPECT_EQ(RuleLine(&m.list, chunk, true), "  /* Lplayer5:Pass: no rules yet */ \\");
    chunk.SetLeftOut();
    EXPECT_EQ(RuleLine(&m.list, chunk, true), "  tActionRule(_Lplayer5:Pass_, \"TRUE\"),");
    chunk.SetNotLearnt("a\xC2\x85" "b\xC2\x9F\xC2\xA0" "c");  // C1 controls blanked, other characters kept
    EXPECT_EQ(RuleLine(&m.list, chunk, false), "Lplayer5:Pass (12.35, -3.00) <= \tnot learnt: a b \xC2\xA0" "c");
    EXPECT_EQ(RuleLine(&m.list, chunk, true), "  /* Lplayer5:Pass: not learnt: a b \xC2\xA0" "c */ \\");
    chunk.SetLearnt();
    EXPECT_EQ(RuleLine(&m.list, chunk, false), "Lplayer5:Pass (12.35, -3.00) <= \tFALSE");
    EXPECT_EQ(RuleLine(&m.list, chunk, true), "  tActionRule(_Lplayer5:Pass_, \"FALSE\"),");
    auto rule = std::make_unique<RuleObject>(true);
    rule->AddCondition(m.lfw, m.left, 1);
    rule->AddCondition(m.roles, m.nearBall, 0);
    chunk.AddRule(std::move(rule));
    chunk.AddRule(std::make_unique<RuleObject>(false));
    EXPECT_EQ(RuleLine(&m.list, chunk, false), "Lplayer5:Pass (12.35, -3.00) <= \t(LTeam.L-FW:Position.Left-wing = 1) "
                                               "AND (Team:Ball.near = 0)");
    EXPECT_EQ(RuleLine(&m.list, chunk, true),
              "  tActionRule(_Lplayer5:Pass_, \"LTeam.L-FW:Position.Left-wing ~Team:Ball.near\"),");
    EXPECT_EQ(EvaluationLine(1, 2, 0, 13), "tp 1\tfp 2\ttn 0\tfn 13");
}
