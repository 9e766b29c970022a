// Hostile and mistaken expression texts: the guard before the parser (length,
// nesting), refusals that name the place, and the fields file check.
#include "core/expr/Expression.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kTooDeep = "Expression nested too deeply (more than 200 levels)";

std::string Repeat(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

std::string Brackets(int n) { return std::string(n, '(') + "1" + std::string(n, ')'); }
std::string Calls(int n) { return Repeat("sqr(", n) + "1" + std::string(n, ')'); }

TEST(ExpressionGuard, RefusesLongOrDeepTextsBeforeParsing)
{
    const struct {
        std::string text;
        std::string refusal;
    } cases[] = {
        {std::string(10000, '1'), ""},
        {std::string(10001, '1'), "Expression too long"},
        {Brackets(20000), "Expression too long"},
        {std::string(1000000, '-') + "1", "Expression too long"},
        {Brackets(200), ""},
        {Brackets(201), kTooDeep},
        {std::string(200, '-') + "1", ""},
        {std::string(201, '!') + "1", kTooDeep},
        {Calls(200), ""},
        {Calls(1000), kTooDeep},
        {Repeat("-(", 100) + "1" + std::string(100, ')'), ""},
        {Repeat("-(", 101) + "1" + std::string(101, ')'), kTooDeep},
        {Repeat("- sqr(", 101) + "1" + std::string(101, ')'), kTooDeep},
        // Binary operators and closed brackets do not add up.
        {Repeat("1 - -1 + ", 1000) + "1", ""},
        {Repeat("(1) - ", 1000) + "1", ""},
        {Repeat("2^", 4000) + "1", ""},
        {"1e-5 - -(-cycle)", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckExpressionText(c.text), c.refusal) << c.text.substr(0, 40);
}

TEST(ExpressionGuard, ParseErrorsNameTheWordAndColumn)
{
    const std::string unknown = "Syntax error: Unknown identifier";
    const std::string count = "Illegal number of parameters to function";
    const struct {
        const char* text;
        std::size_t at;
        std::string message;
        std::string described;
    } cases[] = {
        {"1 + Foo.bar * 2", 4, unknown, unknown + " at \"Foo.bar\" (column 5)"},
        {"dist(Ball, Lplayer1)", 19, count, count + " at \"dist\" (column 1): it takes dist(object, object, cycle)"},
        {"sqrt(sqr (1, 2))", 11, count, count + " at \"sqr\" (column 6): it takes sqr(value)"},
        {"if(1, 2)", 7, count, count + " at \"if\" (column 1): it takes if(condition, then, else)"},
        {"cycle == 14", 7, "Syntax error", "Syntax error at \"=\" (column 8): \"=\" compares, write it once"},
        {"x +", 3, "Syntax error", "Syntax error at the end (column 4)"},
        {"\xc3\xa9 \xe2\x89\xa4 1", 3, "E", "E at \"\xe2\x89\xa4\" (column 3)"},
        {"1, 2", 1, count, count + " at \",\" (column 2)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DescribeParseError(c.message, c.text, c.at), c.described) << c.text;
}

}  // namespace
