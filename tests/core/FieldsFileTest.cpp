// Reading a definitions file: whole or not at all, the first bad line named.
#include "core/io/FieldsFile.h"

#include "support/TestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>


namespace {

TEST(FieldsFileRead, WhatIsNoDefinitionsFileIsRefusedNamingTheFirstBadLine)
{
    std::string fullFile;  // as many definitions as a file may hold
    for (std::size_t i = 0; i < kMaxFieldRows; ++i)
        fullFile += "f" + std::to_string(i) + "=1\r\n";
    EXPECT_EQ(ParseFieldDefinitions(fullFile, 10000).fields.size(), kMaxFieldRows);
    const std::pair<std::string, std::string> cases[] = {
        // A data window's ".txt" export: its column names repeat on every line.
        {ReadBytes(TestDataPath("golden/dataexport-m0.txt")), "line 2 repeats the name \"Ball_pos_x\" of line 1"},
        {"a=1\r\n=2\r\nb=3\r\n=4\r\na=5\r\n", "line 5 repeats the name \"a\" of line 1"},
        {"# VeloTrask\n\nA workbench for RoboCup logs.\nBuild with CXX=g++ cmake\n", "line 1 has no \"=\""},
        {"speed=sqr(Ball.vel.dx)\r\nnoequals\r\nb=1\r\n", "line 2 has no \"=\""},
        {"a=1\rb=2\rnoequals\r", "line 3 has no \"=\""},
        {std::string("a=1\nb=\0\n", 7), "line 2 is not text (a NUL byte)"},
        {"a=1\nb=\xff\n", "line 2 is not text (not UTF-8)"}, {"a=\xc0\x80", "line 1 is not text (not UTF-8)"},
        {"a=\xed\xa0\x80", "line 1 is not text (not UTF-8)"}, {"a=\xe2\x89", "line 1 is not text (not UTF-8)"},
        {"a=1\n" + std::string(10001, 'x'), "line 2 is longer than 10000 characters"},
        {"", "no line holds name=expression"},
        {"\xEF\xBB\xBF", "no line holds name=expression"},
        {"\r\n \t\n", "no line holds name=expression"},
        {"=\r\n=\r\n", "no line holds name=expression"},  // no name, no expression: nothing
        {fullFile + "g=1\r\n", "it holds more than 10000 definitions"},
    };
    for (const auto& [bytes, error] : cases) {
        const FieldsRead read = ParseFieldDefinitions(bytes, 10000);
        EXPECT_EQ(read.error, error) << bytes.substr(0, 40);
        EXPECT_TRUE(read.fields.empty()) << bytes.substr(0, 40);
    }
}

TEST(FieldsFileRead, DefinitionsLoadWithEitherLineEndAndWithoutTheByteOrderMark)
{
    const std::vector<FieldDefinition> rows{{"d\xc3\xa9j\xc3\xa0", "1"},
                                            {"speed", "sqrt(sqr(Ball.vel.dx) + sqr(Ball.vel.dy))"},
                                            {"near", "if(dist(PLAYER, Ball, cycle) < 5, 1, 0)"},
                                            {"same", "play_mode=2"},
                                            {"empty", ""}};
    const std::string crlf = "d\xc3\xa9j\xc3\xa0=1\r\nspeed=sqrt(sqr(Ball.vel.dx) + sqr(Ball.vel.dy))\r\n"
                             "near=if(dist(PLAYER, Ball, cycle) < 5, 1, 0)\r\n\r\nsame=play_mode=2\r\nempty=\r\n";
    std::string lf = crlf;
    std::erase(lf, '\r');
    std::string cr = lf;
    std::ranges::replace(cr, '\n', '\r');
    for (const std::string& bytes : {crlf, lf, cr, "\xEF\xBB\xBF" + crlf}) {
        const FieldsRead read = ParseFieldDefinitions(bytes, 10000);
        EXPECT_EQ(read.error, "") << bytes;
        EXPECT_EQ(read.fields, rows) << bytes;
    }
}

// Rows as the editor holds them (empty names, blanks, "=" and comparisons, text
// beyond ASCII) load back as saved; what cannot be one line is refused.
TEST(FieldsFileRead, EveryRowTheEditorSavesLoadsBackTheSame)
{
    const char* parts[] = {"", " ", "\t", "a", "x y", "d\xc3\xa9j\xc3\xa0", "=", "==", "<=", "!=", "a=b", "1 2", ")"};
    std::mt19937 random(7);
    const auto pick = [&] {
        std::string text;
        for (auto n = random() % 4; n > 0; --n)
            text += parts[random() % std::size(parts)];
        return text;
    };
    std::vector<FieldDefinition> rows{{"\xEF\xBB\xBFmark", "1"}};  // the first name starts like a byte-order mark
    for (int i = 0; i < 600; ++i) {
        std::string name = pick();
        name = i % 3 == 0 || name.find('=') != std::string::npos ? "" : name + std::to_string(i);
        rows.push_back({name, pick()});
    }
    ASSERT_EQ(UnsavableFieldRow(rows, 10000), "");
    std::ostringstream out;
    WriteFieldDefinitions(out, rows);
    std::erase(rows, FieldDefinition{});  // empty rows are not saved
    EXPECT_EQ(ParseFieldDefinitions(out.str(), 10000).fields, rows);
    for (const auto& [bad, error] : std::initializer_list<std::pair<FieldDefinition, std::string>>{
             {{"b\nc", "1"}, "row 2: the name holds a line break"},
             {{"b", "1\r+2"}, "row 2: the expression holds a line break"},
             {{"b", "\xff"}, "row 2: the expression is not UTF-8 text"},
             {{"a", "2"}, "row 2 repeats the name \"a\" of row 1"}})
        EXPECT_EQ(UnsavableFieldRow({{"a", "1"}, bad}, 100), error);
}

}  // namespace
