// Reading a definitions file: whole or not at all, the first bad line named.
#include "core/io/FieldsFile.h"

#include "support/TestData.h"

#include <gtest/gtest.h>


namespace {

TEST(FieldsFileRead, WhatIsNoDefinitionsFileIsRefusedNamingTheFirstBadLine)
{
    std::string fullFile;  // as many definitions as a file may hold
    for (std::size_t i = 0; i < kMaxFieldRows; ++i)
        fullFile += "f" + std::to_string(i) + "=1\r\n";
    EXPECT_EQ(ParseFieldDefinitions(fullFile, 10000).fields.size(), kMaxFieldRows);
    const std::string twoValues = "line 1 holds two values without an operator between them";
    const std::pair<std::string, std::string> cases[] = {
        // The data window's ".txt" export: its lines hold "=" too.
        {ReadBytes(TestDataPath("golden/dataexport-m0.txt")), twoValues},
        {ReadBytes(TestDataPath("golden/dataexport-m1.txt")), twoValues},
        {"# VeloTrask\n\nA workbench for RoboCup logs.\nBuild with CXX=g++ cmake\n", "line 1 has no \"=\""},
        {"Build: CXX=g++\n", "line 1 has a name of more than one word"},
        {"speed=sqr(Ball.vel.dx)\r\nnoequals\r\nb=1\r\n", "line 2 has no \"=\""},
        {"a=1\n =2\n", "line 2 has no name before \"=\""},
        {"a=1\nb=(x) y\n", "line 2 holds two values without an operator between them"},
        {std::string("a=1\nb=\0\n", 7), "line 2 is not text (a NUL byte)"},
        {"a=1\nb=\xff\n", "line 2 is not text (not UTF-8)"}, {"a=\xc0\x80", "line 1 is not text (not UTF-8)"},
        {"a=\xed\xa0\x80", "line 1 is not text (not UTF-8)"}, {"a=\xe2\x89", "line 1 is not text (not UTF-8)"},
        {"a=1\n" + std::string(10001, 'x'), "line 2 is longer than 10000 characters"},
        {"", "no line holds name=expression"},
        {"\xEF\xBB\xBF", "no line holds name=expression"},
        {"\r\n \t\n", "no line holds name=expression"},
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
    for (const std::string& bytes : {crlf, lf, "\xEF\xBB\xBF" + crlf, lf.substr(0, 9) + " speed =" + lf.substr(15)}) {
        const FieldsRead read = ParseFieldDefinitions(bytes, 10000);
        EXPECT_EQ(read.error, "") << bytes;
        EXPECT_EQ(read.fields, rows) << bytes;
    }
}

}  // namespace
