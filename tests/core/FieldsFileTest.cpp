// Reading a definitions file: whole or not at all, the first bad line named.
#include "core/io/FieldsFile.h"

#include "platform/ReadFile.h"
#include "support/SpecialFiles.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <streambuf>

namespace {

using Rows = std::vector<FieldDefinition>;

const std::string kTwoValues = "line 1 holds two values without an operator between them";

TEST(FieldsFileRead, WhatIsNoDefinitionsFileIsRefusedNamingTheFirstBadLine)
{
    const struct {
        std::string bytes;
        std::string error;
    } cases[] = {
        // The data window's ".txt" export: its lines hold "=" too.
        {ReadBytes(TestDataPath("golden/dataexport-m0.txt")), kTwoValues},
        {ReadBytes(TestDataPath("golden/dataexport-m1.txt")), kTwoValues},
        {"# VeloTrask\n\nA workbench for RoboCup logs.\nBuild with CXX=g++ cmake\n", "line 1 has no \"=\""},
        {"Build: CXX=g++\n", "line 1 has a name of more than one word"},
        {"speed=sqr(Ball.vel.dx)\r\nnoequals\r\nb=1\r\n", "line 2 has no \"=\""},
        {"a=1\n =2\n", "line 2 has no name before \"=\""},
        {"a=1\nb=(x) y\n", "line 2 holds two values without an operator between them"},
        {"a=1\nb=1 2\n", "line 2 holds two values without an operator between them"},
        {std::string("a=1\nb=\0\n", 7), "line 2 is not text (a NUL byte)"},
        {std::string("a=1\nULG5\n\x00\x02", 11), "line 2 has no \"=\""},
        {"a=1\nb=\xff\n", "line 2 is not text (not UTF-8)"},
        {"a=\xc0\x80", "line 1 is not text (not UTF-8)"},
        {"a=\xed\xa0\x80", "line 1 is not text (not UTF-8)"},
        {"a=\xe2\x89", "line 1 is not text (not UTF-8)"},
        {"a=1\n" + std::string(10001, 'x'), "line 2 is longer than 10000 characters"},
        {"", "no line holds name=expression"},
        {"\xEF\xBB\xBF", "no line holds name=expression"},
        {"\r\n \t\n", "no line holds name=expression"},
    };
    for (const auto& c : cases) {
        const FieldsRead read = ParseFieldDefinitions(c.bytes, 10000);
        EXPECT_EQ(read.error, c.error) << c.bytes.substr(0, 40);
        EXPECT_TRUE(read.fields.empty()) << c.bytes.substr(0, 40);
    }
}

TEST(FieldsFileRead, DefinitionsLoadWithEitherLineEndAndWithoutTheByteOrderMark)
{
    const Rows rows{{"d\xc3\xa9j\xc3\xa0", "1"},
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
    // The editor's own saves load back: what WriteFieldDefinitions writes.
    std::ostringstream saved;
    WriteFieldDefinitions(saved, rows);
    EXPECT_EQ(ParseFieldDefinitions(saved.str(), 10000).fields, rows);
}

TEST(FieldsFileRead, MoreRowsThanTheLimitLoadNone)
{
    std::string bytes;
    for (std::size_t i = 0; i <= kMaxFieldRows; ++i)
        bytes += "f" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
    FieldsRead read = ParseFieldDefinitions(bytes, 10000);
    EXPECT_EQ(read.error, "it holds more than 10000 definitions");
    EXPECT_TRUE(read.fields.empty());
    // One fewer is within the limit.
    bytes.resize(bytes.rfind("f10000"));
    read = ParseFieldDefinitions(bytes, 10000);
    EXPECT_EQ(read.error, "");
    EXPECT_EQ(read.fields.size(), kMaxFieldRows);
}

// A stream that gives whole lines and then fails, as a disk going bad would.
class FailingAfter : public std::streambuf {
public:
    explicit FailingAfter(std::string lines) : lines_(std::move(lines))
    {
        setg(lines_.data(), lines_.data(), lines_.data() + lines_.size());
    }

protected:
    int_type underflow() override { throw std::runtime_error("input/output error"); }

private:
    std::string lines_;
};

TEST(FieldsFileRead, AStreamThatFailsMidwayGivesNoRows)
{
    FailingAfter buffer("a=1\r\nb=2\r\nc=3\r\n");
    std::istream in(&buffer);
    const FieldsRead read = ReadFieldDefinitions(in, 10000);
    EXPECT_EQ(read.error, "the file could not be read to its end");
    EXPECT_TRUE(read.fields.empty());

    std::istringstream whole("a=1\r\nb=2\r\n");
    EXPECT_EQ(ReadFieldDefinitions(whole, 10000).fields, (Rows{{"a", "1"}, {"b", "2"}}));
}

TEST(FieldsFileRead, AFileThatIsNoRegularFileOrTooBigIsRefusedAtOnce)
{
    const std::string dir = MakeTempDir("fields-refusal");
    ::mkdir((dir + "/folder.txt").c_str(), 0700);
    const struct {
        std::string path;
        std::string error;
    } cases[] = {
        {MakePipe(dir + "/pipe.txt"),
         "Cannot read the file " + dir + "/pipe.txt: it is not a regular file (a named pipe)"},
        {"/dev/zero", "Cannot read the file /dev/zero: it is not a regular file (a character device)"},
        {dir + "/folder.txt", "Cannot read the file " + dir + "/folder.txt: it is not a regular file (a folder)"},
        {MakeSparseFile(dir + "/big.txt", platform::kFieldsFileLimit + 1, "a=1\r\n"),
         "Cannot read the file " + dir + "/big.txt: it is larger than 16 MiB (16777217 bytes)"},
        {MakeSparseFile(dir + "/zeros.txt", 100, "a=1\r\n"),
         "\"" + dir + "/zeros.txt\" is no fields file: line 2 is not text (a NUL byte)"},
    };
    for (const auto& c : cases) {
        const Watchdog bound("loading the fields file " + c.path);
        const FieldsRead read = LoadFieldsFile(c.path, 10000);
        EXPECT_EQ(read.error, c.error);
        EXPECT_TRUE(read.fields.empty());
    }
}

}  // namespace
