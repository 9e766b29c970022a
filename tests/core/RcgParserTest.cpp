#include "core/io/rcsslogplayer/rcgparser.h"

#include "support/RcgWriter.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <vector>

namespace {

// Records every call the reader makes, in order, as short texts, and keeps the
// bodies it was handed.
class Recorder : public rcss::RCGDataHandler {
public:
    std::vector<std::string> calls;
    std::vector<long long> positions;
    std::vector<std::string> bodies;  // raw bytes of every record handed on
    std::vector<std::string> messages;
    int version = 0;
    int eofs = 0;

protected:
    void doHandleLogVersion(int v) override
    {
        version = v;
        calls.push_back("version " + std::to_string(v));
    }
    int doGetLogVersion() const override { return version; }
    void doHandleDispInfo(std::streampos pos, const rcss::dispinfo_t& d) override { Keep("disp", pos, d); }
    void doHandleShowInfo(std::streampos pos, const rcss::showinfo_t& s) override { Keep("show", pos, s); }
    void doHandleShortShowInfo2(std::streampos pos, const rcss::short_showinfo_t2& s) override { Keep("show3", pos, s); }
    void doHandleMsgInfo(std::streampos pos, short board, const std::string& msg) override
    {
        calls.push_back("msg " + std::to_string(board));
        positions.push_back(pos);
        messages.push_back(msg);
    }
    void doHandlePlayMode(std::streampos pos, char pm) override
    {
        calls.push_back("playmode " + std::to_string(static_cast<int>(pm)));
        positions.push_back(pos);
    }
    void doHandleTeamInfo(std::streampos pos, const rcss::team_t& l, const rcss::team_t& r) override
    {
        Keep("team", pos, l);
        bodies.back() += std::string(reinterpret_cast<const char*>(r.bytes), sizeof r.bytes);
    }
    void doHandleServerParams(std::streampos pos, const rcss::server_params_t& p) override { Keep("sparams", pos, p); }
    void doHandlePlayerParams(std::streampos pos, const rcss::player_params_t& p) override { Keep("pparams", pos, p); }
    void doHandlePlayerType(std::streampos pos, const rcss::player_type_t& t) override { Keep("ptype", pos, t); }
    void doHandleEOF() override
    {
        ++eofs;
        calls.push_back("eof");
    }

private:
    template <class R>
    void Keep(const char* what, std::streampos pos, const R& rec)
    {
        calls.push_back(what);
        positions.push_back(pos);
        bodies.emplace_back(reinterpret_cast<const char*>(rec.bytes), sizeof rec.bytes);
    }
};

// Runs the reader over the bytes until it stops; returns the number of true results.
int ParseAll(const std::string& bytes, Recorder& rec)
{
    std::istringstream in(bytes, std::ios::binary);
    rcss::RCGParser parser(rec);
    int n = 0;
    while (parser.parse(in))
        ++n;
    return n;
}

using Calls = std::vector<std::string>;

}  // namespace

TEST(RcgParser, EmptyFileEndsAtOnceWithOneEof)
{
    Recorder rec;
    std::istringstream in(std::string{}, std::ios::binary);
    rcss::RCGParser parser(rec);
    EXPECT_FALSE(parser.parse(in));
    EXPECT_EQ(rec.calls, Calls{"eof"});
}

TEST(RcgParser, HeaderAloneGivesVersionThenEof)
{
    Recorder rec;
    EXPECT_EQ(ParseAll(RcgWriter(3).Bytes(), rec), 0);
    EXPECT_EQ(rec.calls, (Calls{"version 3", "eof"}));
}

TEST(RcgParser, FileShorterThanHeaderIsDropped)
{
    Recorder rec;
    EXPECT_EQ(ParseAll("UL", rec), 0);
    EXPECT_EQ(rec.calls, Calls{"eof"});
}

TEST(RcgParser, WithoutHeaderTheFileIsVersionOneDisplayRecords)
{
    RcgWriter w{RcgWriter::NoHeader{}};
    // "ULH": two of the three header bytes are not a header.
    w.Raw("ULH" + std::string(2049, 'a'));
    for (int k = 1; k < 3; ++k)
        w.Raw(std::string(2052, static_cast<char>('a' + k)));
    w.Raw(std::string(100, 'z'));  // a partial fourth record
    Recorder rec;
    EXPECT_EQ(ParseAll(w.Bytes(), rec), 3);
    EXPECT_EQ(rec.calls, (Calls{"version 1", "disp", "disp", "disp", "eof"}));
    // The reader went back to the start: no byte of the first record was eaten as a header.
    EXPECT_EQ(rec.bodies[0], "ULH" + std::string(2049, 'a'));
    EXPECT_EQ(rec.bodies[2], std::string(2052, 'c'));
    EXPECT_EQ(rec.positions, (std::vector<long long>{0, 2052, 4104}));
}

TEST(RcgParser, VersionThreeShowsGoWholeToTheShortShowHandler)
{
    ShowState s;
    s.time = 77;
    s.ball.x = 1.5;
    RcgWriter w(3);
    w.Show(s);
    s.time = 78;
    w.Show(s);

    Recorder rec;
    EXPECT_EQ(ParseAll(w.Bytes(), rec), 2);
    EXPECT_EQ(rec.calls, (Calls{"version 3", "show3", "show3", "eof"}));
    EXPECT_EQ(rec.bodies[0], RcgWriter::ShowBody([] { ShowState t; t.time = 77; t.ball.x = 1.5; return t; }()));
    // The position is where the record's tag begins.
    EXPECT_EQ(rec.positions, (std::vector<long long>{4, 4 + 2 + 1428}));
}

TEST(RcgParser, OtherVersionsHaveShortShowRecords)
{
    // Version 2 and a version byte of 0x80 (read as the byte it is, 128) both
    // mean tagged 316-byte shows.
    for (const auto& [version, read] : {std::pair{2, 2}, std::pair{-128, 128}}) {
        RcgWriter w(version);
        w.Teams("Left", 1, "Right", 2).OldShow(0x11).OldShow(0x22);
        Recorder rec;
        EXPECT_EQ(ParseAll(w.Bytes(), rec), 3) << version;
        EXPECT_EQ(rec.calls, (Calls{"version " + std::to_string(read), "team", "show", "show", "eof"}));
        EXPECT_EQ(rec.bodies[2], std::string(316, '\x22'));
    }
}

TEST(RcgParser, ModeZeroIsATagWithoutBody)
{
    RcgWriter w(3);
    w.Tag(0).Tag(0).PlayMode(PM_KickOffLeft);
    Recorder rec;
    std::istringstream in(w.Bytes(), std::ios::binary);
    rcss::RCGParser parser(rec);
    EXPECT_TRUE(parser.parse(in));
    EXPECT_EQ(in.tellg(), std::streampos(6));  // header + one tag
    EXPECT_TRUE(parser.parse(in));
    EXPECT_TRUE(parser.parse(in));
    EXPECT_FALSE(parser.parse(in));
    EXPECT_EQ(rec.calls, (Calls{"version 3", "playmode 4", "eof"}));
}

TEST(RcgParser, UnknownModesThrowAfterEarlierRecordsWereHandedOn)
{
    for (int16_t mode : {3, 4, 10, 300, -1, -32768}) {
        RcgWriter w(3);
        w.PlayMode(PM_PlayOn).Show(ShowState{}).Tag(mode).PlayMode(PM_KickOffRight);
        Recorder rec;
        std::istringstream in(w.Bytes(), std::ios::binary);
        rcss::RCGParser parser(rec);
        EXPECT_TRUE(parser.parse(in));
        EXPECT_TRUE(parser.parse(in));
        try {
            parser.parse(in);
            ADD_FAILURE() << "mode " << mode << " was accepted";
        } catch (const std::string& text) {
            EXPECT_EQ(text, "Unknown mode\n");
        }
        EXPECT_EQ(rec.calls, (Calls{"version 3", "playmode 3", "show3"})) << mode;
    }
}

TEST(RcgParser, RecordsCutByTheEndOfTheFileAreDropped)
{
    // Cut in the body, in a message's length field, and in the mode tag.
    for (std::size_t cut : {std::size_t(1), std::size_t(700), std::size_t(1429)}) {
        RcgWriter w(3);
        w.PlayMode(PM_KickOffLeft).Show(ShowState{}).Truncate(cut);
        Recorder rec;
        EXPECT_EQ(ParseAll(w.Bytes(), rec), 1) << cut;
        EXPECT_EQ(rec.calls, (Calls{"version 3", "playmode 4", "eof"})) << cut;
    }
    // The reader tells where the record that ended the input began: short of the
    // end means a cut record, at the end a clean stop (also right after the header).
    for (const auto& [bytes, start] : {std::pair{RcgWriter(3).PlayMode(PM_KickOffLeft).Tag(1).Bytes(), 4 + 3},
                                       std::pair{RcgWriter(3).PlayMode(PM_KickOffLeft).Bytes(), 4 + 3},
                                       std::pair{RcgWriter(3).Bytes(), 4}, std::pair{std::string("UL"), 0}}) {
        Recorder rec;
        std::istringstream in(bytes, std::ios::binary);
        rcss::RCGParser parser(rec);
        while (parser.parse(in)) {
        }
        EXPECT_EQ(parser.recordStart(), std::streampos(start)) << bytes.size();
    }

    RcgWriter w(3);
    w.Message(1, "hello").Truncate(7).Raw("\x01");  // tag, board and half the length field
    Recorder rec;
    EXPECT_EQ(ParseAll(w.Bytes(), rec), 0);
    EXPECT_EQ(rec.calls, (Calls{"version 3", "eof"}));
}

TEST(RcgParser, MessageTextEndsAtTheFirstZeroByte)
{
    RcgWriter w(3);
    w.Message(1, std::string("ab\0cd", 5)).Message(7, "").Message(-2, "(team_graphic x)");
    Recorder rec;
    EXPECT_EQ(ParseAll(w.Bytes(), rec), 3);
    EXPECT_EQ(rec.calls, (Calls{"version 3", "msg 1", "msg 7", "msg -2", "eof"}));
    EXPECT_EQ(rec.messages, (std::vector<std::string>{"ab", "", "(team_graphic x)"}));
}

TEST(RcgParser, MessageLengthBeyondTheFileIsACutRecord)
{
    RcgWriter w(3);
    w.PlayMode(PM_PlayOn).MessageWithLength(1, 50, "only ten..");
    Recorder rec;
    EXPECT_EQ(ParseAll(w.Bytes(), rec), 1);
    EXPECT_EQ(rec.calls, (Calls{"version 3", "playmode 3", "eof"}));
}

TEST(RcgParser, NegativeMessageLengthIsABadRecord)
{
    RcgWriter w(3);
    w.PlayMode(PM_PlayOn).MessageWithLength(1, -5, "abcde").PlayMode(PM_KickOffLeft);
    Recorder rec;
    EXPECT_THROW(ParseAll(w.Bytes(), rec), std::string);
    EXPECT_EQ(rec.calls, (Calls{"version 3", "playmode 3"}));
}

TEST(RcgParser, ParameterAndTeamRecordsArePassedOnAsRead)
{
    std::string type(88, '\0');
    for (std::size_t i = 0; i < type.size(); ++i)
        type[i] = static_cast<char>(i);
    RcgWriter w(3);
    w.Teams(std::string("Sixteen_chars_AB"), 3, std::string("B\0junk", 6), -1)
        .ServerParams(0.25)
        .PlayerParams(0x5A)
        .Record(7, type)
        .PlayMode(-1);  // byte 0xFF
    Recorder rec;
    EXPECT_EQ(ParseAll(w.Bytes(), rec), 5);
    EXPECT_EQ(rec.calls, (Calls{"version 3", "team", "sparams", "pparams", "ptype", "playmode -1", "eof"}));
    const std::string teams = rec.bodies[0];
    ASSERT_EQ(teams.size(), 36u);
    EXPECT_EQ(teams.substr(0, 16), "Sixteen_chars_AB");
    EXPECT_EQ(teams.substr(16, 2), std::string("\x00\x03", 2));
    EXPECT_EQ(teams.substr(18, 6), std::string("B\0junk", 6));
    EXPECT_EQ(teams.substr(34, 2), "\xFF\xFF");
    EXPECT_EQ(rec.bodies[1].substr(104, 4), std::string("\x00\x00\x40\x00", 4));  // 0.25 * 65536
    EXPECT_EQ(rec.bodies[2], std::string(132, '\x5A'));
    EXPECT_EQ(rec.bodies[3], type);
}

TEST(RcgParser, TextLogOfANewerServerIsRefused)
{
    // "ULG5" is read as version 53 ('5'); the line break and "(" become a mode above 9.
    Recorder rec;
    EXPECT_THROW(ParseAll("ULG5\n(server_param (goal_width 14.02))\n", rec), std::string);
    EXPECT_EQ(rec.calls, Calls{"version 53"});
}

TEST(RcgParser, StreamThatFailedToOpenGivesNothingAndNoEof)
{
    std::ifstream in(MakeTempDir("noopen") + "/missing.rcg", std::ios::binary);
    Recorder rec;
    rcss::RCGParser parser(rec);
    EXPECT_FALSE(parser.parse(in));
    EXPECT_TRUE(rec.calls.empty());
}

namespace {

// The reader's record counts over a real log, keyed like the log's .txt
// ("1(show)", "5(playmode)", ...).
std::map<std::string, int> CountRecords(const std::string& file, Recorder& rec)
{
    std::ifstream in(GunzippedTestFile(file), std::ios::binary);
    rcss::RCGParser parser(rec);
    while (parser.parse(in)) {
    }
    static const std::map<std::string, std::string> key{
        {"show3", "1(show)"}, {"msg", "2(msg)"},          {"playmode", "5(playmode)"},
        {"team", "6(team)"},  {"ptype", "7(player_type)"}, {"sparams", "8(server_param)"},
        {"pparams", "9(player_param)"}};
    std::map<std::string, int> counts;
    for (const auto& c : rec.calls) {
        const std::string word = c.substr(0, c.find(' '));
        if (key.count(word))
            ++counts[key.at(word)];
    }
    return counts;
}

}  // namespace

// Remembers where in the input each show record was handed over from.
class PlaceRecorder : public Recorder {
public:
    const unsigned char* input = nullptr;
    std::size_t size = 0;
    std::vector<long long> offsets;  // of the handed bytes in the input; -1 for a copy

protected:
    void doHandleShortShowInfo2At(std::streampos pos, const unsigned char* bytes) override
    {
        const auto at = reinterpret_cast<std::uintptr_t>(bytes) - reinterpret_cast<std::uintptr_t>(input);
        offsets.push_back(at < size ? static_cast<long long>(at) : -1);
        Recorder::doHandleShortShowInfo2At(pos, bytes);
    }
};

TEST(RcgParser, AnInputInMemoryGivesTheRecordsOfTheStreamWhereTheyLie)
{
    ShowState s;
    s.time = 5;
    s.ball.x = -3.25;
    const std::string real = [] {
        std::ifstream in(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    // A real match, shows between other records, a show cut in its body, one cut
    // right after its tag, and a file that ends with a whole show.
    const std::vector<std::string> inputs = {
        real,
        RcgWriter(3).PlayMode(PM_KickOffLeft).Show(s).Message(1, "hi").Show(s).Bytes(),
        RcgWriter(3).Show(s).Show(s).Truncate(700).Bytes(),
        RcgWriter(3).Show(s).Show(s).Truncate(1428).Bytes(),
        RcgWriter(3).Show(s).Bytes(),
    };
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const std::string& bytes = inputs[i];
        Recorder streamed;
        const int records = ParseAll(bytes, streamed);

        PlaceRecorder placed;
        placed.input = reinterpret_cast<const unsigned char*>(bytes.data());
        placed.size = bytes.size();
        std::istringstream in(bytes, std::ios::binary);
        rcss::RCGParser parser(placed);
        parser.setInput(placed.input, bytes.size());
        int n = 0;
        while (parser.parse(in))
            ++n;
        EXPECT_EQ(n, records) << i;
        EXPECT_EQ(placed.calls, streamed.calls) << i;
        EXPECT_EQ(placed.positions, streamed.positions) << i;
        EXPECT_EQ(placed.bodies, streamed.bodies) << i;
        EXPECT_EQ(placed.eofs, 1) << i;
        // Every whole show was handed over from its place, just after its tag.
        std::vector<long long> expected;
        for (std::size_t k = 0; k < streamed.calls.size(); ++k)
            if (streamed.calls[k] == "show3")
                expected.push_back(streamed.positions[k - 1] + 2);  // positions skip the version call
        EXPECT_EQ(placed.offsets, expected) << i;
        EXPECT_FALSE(expected.empty()) << i;
    }
}

TEST(RcgParser, RealLogsGiveTheRecordCountsOfTheirDescriptions)
{
    {
        Recorder rec;
        const auto counts = CountRecords("match-full-HELIOS_A_4-vs-HELIOS_B_2.rcg", rec);
        EXPECT_EQ(counts, (std::map<std::string, int>{{"1(show)", 6659}, {"2(msg)", 1}, {"5(playmode)", 99},
                                                      {"6(team)", 7}, {"7(player_type)", 18},
                                                      {"8(server_param)", 1}, {"9(player_param)", 1}}));
        EXPECT_EQ(rec.version, 3);
        EXPECT_EQ(rec.eofs, 1);
        EXPECT_EQ(rec.calls.back(), "eof");
    }
    {
        Recorder rec;
        const auto counts = CountRecords("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg", rec);
        EXPECT_EQ(counts, (std::map<std::string, int>{{"1(show)", 409}, {"2(msg)", 1}, {"5(playmode)", 12},
                                                      {"6(team)", 2}, {"7(player_type)", 18},
                                                      {"8(server_param)", 1}, {"9(player_param)", 1}}));
    }
    {
        Recorder rec;
        const auto counts = CountRecords("keepaway-3v2-Keepers-vs-Takers-helios-1500.rcg", rec);
        EXPECT_EQ(counts, (std::map<std::string, int>{{"1(show)", 1500}, {"2(msg)", 1}, {"5(playmode)", 2},
                                                      {"6(team)", 1}, {"7(player_type)", 18},
                                                      {"8(server_param)", 1}, {"9(player_param)", 1}}));
    }
}
