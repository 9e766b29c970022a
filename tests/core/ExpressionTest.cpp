#include "core/expr/Expression.h"

#include "core/io/Convertlog.h"
#include "core/model/Common.h"
#include "core/model/RoboCupFile.h"
#include "support/FilledRecord.h"
#include "support/RecordingHooks.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <fparser.hh>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

TEST(ConditionHolds, WhereTheWholePartIsNotZeroAndNeverForNoNumber)
{
    for (const auto& [v, holds] : {std::pair{1.0, true}, {-1.0, true}, {1e300, true}, {-HUGE_VAL, true},
                                   {0.0, false}, {0.99, false}, {-0.99, false}, {NAN, false}})
        EXPECT_EQ(ConditionHolds(v), holds) << v;
}

TEST(ConvertNameDots, JoinsNamePartsButLeavesNumbers)
{
    const struct {
        const char* text;
        const char* converted;
    } cases[] = {
        {"Ball.pos.x > 0.5", "Ball_pos_x > 0.5"},
        {"Ball_pos_x", "Ball_pos_x"},
        {"Lplayer10.pos.x-Rplayer1.pos.x", "Lplayer10_pos_x-Rplayer1_pos_x"},
        {"id_Ball.pos.x", "id_Ball_pos_x"},
        {"0.5+.25*12.75", "0.5+.25*12.75"},
        {"1.5e3+x.y", "1.5e3+x_y"},
        {"2e1.5", "2e1.5"},
        {"_a.b", "_a_b"},
        {"a1.2", "a1_2"},
        {"x. y", "x. y"},
        {"x.", "x."},
        {"a.b\nc.d", "a_b\nc_d"},
        {"f(x).y", "f(x).y"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ConvertNameDots(c.text), c.converted) << c.text;
}

// The short real match, read once for all tests of this file.
class ExpressionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        RecordingHooks hooks;
        const std::string path = GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg");
        log_ = CreateFileRecord(path).release();
        ReadRcgFile(path, *log_);
    }
    static void TearDownTestSuite()
    {
        delete log_;
        log_ = nullptr;
    }

    static double Leaf(const std::string& name, int cycle) { return log_->stream->FindChannel(name)->GetValue(cycle); }

    // The expression's value at the cycle; fails the test on a parse error.
    static double At(const std::string& text, int cycle, RoboCupFileT* log = nullptr)
    {
        LogExpression e(log != nullptr ? *log : *log_);
        const std::string error = e.Parse(text);
        EXPECT_EQ(error, "") << text;
        return e.Evaluate(cycle);
    }

    static RoboCupFileT* log_;
};

RoboCupFileT* ExpressionTest::log_ = nullptr;

TEST_F(ExpressionTest, DottedAndUnderscoredNamesReadTheLeavesAtEveryCycle)
{
    ASSERT_GT(log_->cycles, 200);
    LogExpression dotted(*log_), plain(*log_), decimal(*log_);
    ASSERT_EQ(dotted.Parse("Ball.pos.x - Rplayer1.pos.x"), "");
    ASSERT_EQ(plain.Parse("Ball_pos_x - Rplayer1_pos_x"), "");
    ASSERT_EQ(decimal.Parse("(Ball.pos.x > 0.5) * 2.25 + cycle"), "");
    int above = 0;
    for (int c = 0; c < log_->cycles; ++c) {
        const double want = Leaf("Ball.pos.x", c) - Leaf("Rplayer1.pos.x", c);
        ASSERT_DOUBLE_EQ(dotted.Evaluate(c), want) << c;
        ASSERT_DOUBLE_EQ(plain.Evaluate(c), want) << c;
        const bool isAbove = Leaf("Ball.pos.x", c) > 0.5;
        above += isAbove;
        ASSERT_DOUBLE_EQ(decimal.Evaluate(c), (isAbove ? 2.25 : 0.0) + c) << c;
    }
    // The comparison must have gone both ways on a real match.
    EXPECT_GT(above, 0);
    EXPECT_LT(above, log_->cycles);
}

TEST_F(ExpressionTest, ConstantsAreLeafIndicesAndObjectNumbers)
{
    EXPECT_EQ(At("id_Ball.pos.x", 0), 6);
    EXPECT_EQ(At("id_Ball_pos_x", 0), 6);
    EXPECT_EQ(At("id_time", 0), 0);
    EXPECT_EQ(At("id_Rplayer11.calculated.kick_event", 0), kSchemaLeaves - 1);
    EXPECT_EQ(At("Ball + Lplayer1 * 100 + Rplayer11 * 10000", 0), 0 + 100 + 220000);
}

TEST_F(ExpressionTest, FunctionsFollowTheirWindowsAndGiveZeroOutsideTheLog)
{
    const int n = log_->cycles;
    const int t = 100;
    auto ballX = [&](int c) { return Leaf("Ball.pos.x", c); };
    auto mean = [&](int from, int to) {
        double s = 0;
        for (int c = from; c <= to; ++c)
            s += ballX(c);
        return s / (to - from + 1);
    };
    const double ballToL1 = PointDistance(ballX(t), Leaf("Ball.pos.y", t), Leaf("Lplayer1.pos.x", t),
                                          Leaf("Lplayer1.pos.y", t));
    ASSERT_GT(ballToL1, 0.0);
    const struct {
        std::string text;
        double want;
    } cases[] = {
        {"sqr(3)", 9},
        {"sqr(-1.5)", 2.25},
        {"dist(Ball, Lplayer1, cycle)", ballToL1},
        {"dist(Lplayer1, Ball, 100.9)", ballToL1},
        {"dist(Ball, 23, cycle)", 0},
        {"dist(-1, Ball, cycle)", 0},
        {"dist(Lplayer2, Lplayer2, cycle)", 0},
        {"dist(Ball, Lplayer1, -1)", 0},
        {"dist(Ball, Lplayer1, " + std::to_string(n) + ")", 0},
        {"val(id_Ball_pos_x, -1)", 0},
        {"val(id_Ball_pos_x, cycle)", ballX(t)},
        {"val(id_Ball_pos_x, cycle - 1)", ballX(t - 1)},
        {"val(id_Ball_pos_x, " + std::to_string(n) + ")", 0},
        {"val(id_Ball_pos_x, 1e300)", 0},
        {"val(-1, cycle)", 0},
        {"val(" + std::to_string(kSchemaLeaves) + ", cycle)", 0},
        {"lavg(id_Ball_pos_x, 0, 5)", ballX(0)},
        {"lavg(id_Ball_pos_x, cycle, 5)", mean(t - 5, t)},
        {"ravg(id_Ball_pos_x, cycle, 5)", mean(t, t + 5)},
        {"ravg(id_Ball_pos_x, " + std::to_string(n - 1) + ", 5)", ballX(n - 1)},
        {"avg(id_Ball_pos_x, 2, 10)", mean(0, 7)},
        {"avg(id_Ball_pos_x, cycle, 10)", mean(t - 5, t + 5)},
        {"avg(id_Ball_pos_x, cycle, 11)", mean(t - 6, t + 5)},
        {"avg(id_Ball_pos_x, cycle, 0)", ballX(t)},
        {"lavg(id_Ball_pos_x, -10, 3)", 0},
        {"ravg(id_Ball_pos_x, " + std::to_string(n + 5) + ", 3)", 0},
        {"avg(id_Ball_pos_x, cycle, -4)", 0},
        {"lavg(id_Ball_pos_x, cycle, 1e300)", mean(0, t)},
        {"1 / (cycle - 100)", 0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(At(c.text, t), c.want, 1e-9) << c.text;
}

TEST_F(ExpressionTest, RefusedTextsGiveTheParsersMessage)
{
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"sqr(1, 2)", "Illegal number of parameters to function at \"sqr\" (column 1): it takes sqr(value)"},
        {"Ball.pos.x +", "Syntax error at the end (column 13)"},
        {"sqr", "Syntax error: Expecting ( after function at the end (column 4)"},
        {"Ball.pos.q", "Syntax error: Unknown identifier at \"Ball.pos.q\" (column 1)"},
        {"(1 + 2", "Missing ')' at the end (column 7)"},
        {"0_5 + 1", "Syntax error: Operator expected at \"_5\" (column 2)"},
    };
    for (const auto& c : cases) {
        LogExpression e(*log_);
        EXPECT_EQ(e.Parse(c.text), c.message) << c.text;
        EXPECT_FALSE(e.IsParsed());
        EXPECT_EQ(e.Evaluate(10), 0.0);
    }
    // A refused text leaves nothing behind: the same object accepts the next one.
    LogExpression e(*log_);
    EXPECT_NE(e.Parse("sqr("), "");
    EXPECT_EQ(e.Parse("sqr(cycle)"), "");
    EXPECT_EQ(e.Evaluate(7), 49);
}

TEST_F(ExpressionTest, DivisionByZeroGivesZeroWithItsErrorCode)
{
    LogExpression e(*log_);
    ASSERT_EQ(e.Parse("1 / (cycle - 3)"), "");
    EXPECT_EQ(e.Evaluate(3), 0.0);
    EXPECT_EQ(e.LastEvalError(), 1);
    EXPECT_EQ(e.Evaluate(4), 1.0);
    EXPECT_EQ(e.LastEvalError(), 0);
}

// Reading only the named leaves gives what a row of every leaf gives.
TEST_F(ExpressionTest, NamedLeavesGiveTheSameValuesAsAFullRow)
{
    const std::string texts[] = {
        "Ball.pos.x - Rplayer1.pos.x * cycle + sqrt(sqr(Ball.vel.dx) + sqr(Ball.vel.dy))",
        "if(play_mode = 2, Lplayer5.stamina.stamina, score.diff) + time2goal_x_missing_is_not_a_leaf_prefix * 0",
        "Lplayer11.calculated.speed + Rplayer11_calculated_kick_event + time",
    };
    for (const std::string& text : texts) {
        LogExpression e(*log_);
        const std::string error = e.Parse(text);
        if (text.find("missing") != std::string::npos) {
            EXPECT_EQ(error.substr(0, error.find(" at ")), "Syntax error: Unknown identifier");
            continue;
        }
        ASSERT_EQ(error, "") << text;
        EXPECT_LE(e.UsedLeaves().size(), 4u) << text;

        FunctionParser full;
        for (int k = 0; k < RoboCupFileT::kObjectCount; ++k)
            full.AddConstant(ObjectName(k), k);
        full.AddFunction("sqr", [](const double* a) { return a[0] * a[0]; }, 1);
        log_->stream->BuildRowHeader();
        ASSERT_LT(full.Parse(ConvertNameDots(text), log_->stream->GetRowHeader(), false), 0) << full.ErrorMsg();
        std::vector<double>& row = log_->stream->GetRowBuffer();
        for (int c = 0; c < log_->cycles; ++c) {
            ASSERT_EQ(log_->stream->FillRow(c), 0);
            row.back() = c;
            ASSERT_DOUBLE_EQ(e.Evaluate(c), full.Eval(row.data())) << text << " at " << c;
        }
    }
    LogExpression e(*log_);
    ASSERT_EQ(e.Parse("Ball.pos.y + val(id_Ball_pos_x, cycle) + dist(Ball, Lplayer1, cycle)"), "");
    EXPECT_EQ(e.UsedLeaves(), std::vector<int>{7});
    const std::vector<double> one{e.Evaluate(5), e.Evaluate(6), e.Evaluate(7)};
    EXPECT_EQ(e.EvaluateCycles(5, 7), one);
    EXPECT_DOUBLE_EQ(one[1], Leaf("Ball.pos.y", 6) + Leaf("Ball.pos.x", 6) + At("dist(Ball, Lplayer1, 6)", 0));
}

// The functions read the log the expression was made for, not another open one.
TEST_F(ExpressionTest, FunctionsReadTheirOwnLog)
{
    FilledRecord other(50);
    other.Place(0, 10, 3.0, 4.0);
    other.Place(1, 10, 0.0, 0.0);
    other.File().stream->BuildRowHeader();
    RoboCupFileT& log = other.File();
    EXPECT_EQ(At("dist(Ball, Lplayer1, 10)", 0, &log), 5.0);
    EXPECT_EQ(At("val(id_Ball_pos_x, 10) + Ball.pos.y", 10, &log), 7.0);
    EXPECT_EQ(At("val(id_Ball_pos_x, 200)", 0, &log), 0.0);  // 50 cycles only, unlike the real match
    EXPECT_EQ(At("val(id_Ball_pos_x, 200)", 0), Leaf("Ball.pos.x", 200));
    EXPECT_NE(Leaf("Ball.pos.x", 200), 0.0);
    // A leaf without values reads 0, in the row as in the functions.
    EXPECT_EQ(At("time + val(id_time, 10)", 10, &log), 0.0);
}

}  // namespace

// With the log's names an expression declares only the leaves it names; it must
// read and refuse as one declaring every leaf, also where a list of every leaf
// is refused whatever the text, as leaves come and go.
TEST(ExpressionNames, TheNamedLeavesReadAndRefuseAsEveryLeafDoes)
{
    FilledRecord record(50);
    record.PlaceAlways(0, 3.0, 4.0);
    record.Place(1, 7, -2.0, 1.5);
    RoboCupFileT& log = record.File();
    TLogNames names(log);
    // Each step adds a top-level channel (a leaf, or a composite over one) or,
    // with "-", takes the last one added out; then every leaf is taken or not.
    const std::pair<std::string, bool> steps[] = {
        {"", true}, {"x.y", true}, {"x.y", false}, {"-x.y", true},               // two leaves alike
        {"id.time", false}, {"-id.time", true}, {"sin", false}, {"-sin", true},  // named like a constant, a function
        {"id.q_r", true}, {"q_r", false}, {"-q_r", true},                        // a leaf has the "id_" form
        {"x.z", true},
    };
    TimeChannel* made = nullptr;
    for (const auto& [step, taken] : steps) {
        if (step.starts_with('-')) {
            names.Removing(made);
            log.stream->DeleteChannel(made);
        } else if (!step.empty()) {
            const std::size_t dot = step.find('.');
            made = new DataTimeChannel<double>(step.substr(dot + 1));  // the whole name when there is no dot
            if (dot != std::string::npos) {
                auto* composite = new CompositeTimeChannel(step.substr(0, dot));
                composite->AddChild(made);
                made = composite;
            }
            log.stream->AddChannel(made);
            names.Added(made);
        }
        EXPECT_EQ(names.AllTaken(), taken) << step;
        for (const char* text : {"val(id_Ball_pos_x, 7) + dist(Ball, Lplayer1, cycle) * Lplayer1_pos_y",
                                 "x_z - id_x_z + x.y", "Ball.pos.q"}) {
            LogExpression every(log), named(log);
            ASSERT_EQ(named.Parse(text, &names), every.Parse(text)) << step << ": " << text;
            EXPECT_EQ(named.UsedLeaves(), every.UsedLeaves()) << step << ": " << text;
            for (int c : {0, 7, 49})
                ASSERT_EQ(named.Evaluate(c), every.Evaluate(c)) << step << ": " << text << " at " << c;
        }
    }
}
