// Match logs the user names that are no log file: pipes, devices, folders and
// files too big are refused before a byte is read, and a long read keeps the
// wait window drawn by the bytes it goes through.
#include "core/io/Convertlog.h"

#include "core/load/LoadLog.h"
#include "core/model/RoboCupFile.h"
#include "platform/ReadFile.h"
#include "support/RcgWriter.h"
#include "support/RecordingHooks.h"
#include "support/SpecialFiles.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

TEST(LogFileRefusal, WhatIsNoRegularLogFileIsRefusedAtOnceWithItsReason)
{
    const std::string dir = MakeTempDir("log-refusal");
    ::mkdir((dir + "/folder.rcg").c_str(), 0700);
    const struct {
        std::string path;
        std::string reason;
    } cases[] = {
        {MakePipe(dir + "/x.rcg"), "it is not a regular file (a named pipe)"},
        {"/dev/zero", "it is not a regular file (a character device)"},
        {dir + "/folder.rcg", "it is not a regular file (a folder)"},
        {MakeSparseFile(dir + "/big.rcg", platform::kLogFileLimit + 1, "ULG\3"),
         "it is larger than 1 GiB (1073741825 bytes)"},
    };
    for (const auto& c : cases) {
        RecordingHooks hooks;
        auto log = CreateFileRecord(c.path);
        std::ostringstream errors;
        RcgReadResult read;
        read.opened = true;
        {
            const Watchdog bound("reading the log " + c.path);
            ReadRcgFile(c.path, *log, errors, &read);
        }
        EXPECT_EQ(read.refusal, "Cannot read the file " + c.path + ": " + c.reason);
        EXPECT_FALSE(read.opened);
        EXPECT_EQ(read.version, 0);
        EXPECT_EQ(log->cycles, 0);
        for (TimeChannel* leaf : log->stream->GetLeaves())
            ASSERT_EQ(leaf->GetCount(), 0) << leaf->GetFullName();
        EXPECT_EQ(errors.str(), "");
        // Not a byte was read, so nothing was shown as read.
        for (const std::string& text : hooks.waitTexts)
            EXPECT_NE(text.rfind("Reading", 0), 0u) << text;

        // The whole load of a log (what the benches and batch runs use) passes the same door.
        const Watchdog bound("loading the log " + c.path);
        EXPECT_EQ(LoadLog(c.path, false)->cycles, 0);
    }
}

TEST(LogFileRefusal, ALongReadRedrawsTheWaitWindowByTheBytesGoneThroughWithoutAShowRecord)
{
    // 17 MiB of messages: not one show record that would redraw the window.
    RcgWriter w;
    const std::string text(32000, 'm');
    for (int i = 0; i < 560; ++i)
        w.Message(1, text);
    const std::string path = w.Save("messages");
    RecordingHooks hooks;
    auto log = CreateFileRecord(path);
    RcgReadResult read;
    ParseRcgFile(path, *log, std::cerr, &read);
    EXPECT_EQ(read.refusal, "");
    EXPECT_EQ(read.error, "");
    EXPECT_EQ(log->cycles, 0);
    EXPECT_EQ(hooks.waitTexts, (std::vector<std::string>{"Reading file (16 of 17 MiB)", "Reading file (17 of 17 MiB)",
                                                         "Reading records (16 of 17 MiB)"}));
}

// What a file of the bytes gives read from disk (the bytes in memory) and as a stream.
std::pair<RcgReadResult, RcgReadResult> BothWays(const std::string& bytes, int& fileCycles, int& streamCycles)
{
    const std::string path = MakeTempDir("log-both") + "/log.rcg";
    std::ofstream(path, std::ios::binary) << bytes;
    std::pair<RcgReadResult, RcgReadResult> r;
    auto fromFile = CreateFileRecord(path);
    ParseRcgFile(path, *fromFile, std::cerr, &r.first);
    auto fromStream = CreateFileRecord(path);
    std::istringstream in(bytes, std::ios::binary);
    ParseRcgStream(in, *fromStream, std::cerr, &r.second);
    fileCycles = fromFile->cycles;
    streamCycles = fromStream->cycles;
    return r;
}

TEST(LogFileRefusal, RunsOfEmptyRecordsGiveWhatTheyGaveOneByOne)
{
    const std::string zeros(1000, '\0');
    RcgWriter show;
    show.Show(ShowState{});
    const std::string header = "ULG\3";
    const std::string oneShow = show.Bytes().substr(4);
    const struct {
        std::string bytes;
        int cycles;
        bool truncated;
    } cases[] = {
        {header + zeros, 0, false},
        {header + zeros + std::string(1, '\0'), 0, true},
        {header + zeros + oneShow + zeros + oneShow, 2, false},
        {header + zeros + oneShow + zeros + oneShow.substr(0, 7), 1, true},
        {header + oneShow + zeros + std::string("\0\5\2", 3), 1, false},
    };
    for (const auto& c : cases) {
        int fileCycles = -1, streamCycles = -1;
        const auto [file, stream] = BothWays(c.bytes, fileCycles, streamCycles);
        EXPECT_EQ(fileCycles, c.cycles) << c.bytes.size();
        EXPECT_EQ(streamCycles, c.cycles) << c.bytes.size();
        EXPECT_EQ(file.truncated, c.truncated) << c.bytes.size();
        EXPECT_EQ(stream.truncated, c.truncated) << c.bytes.size();
        EXPECT_EQ(file.error, stream.error) << c.bytes.size();
        EXPECT_EQ(file.size, stream.size);
    }

    // A gigabyte of zeros would pass in one step: 17 MiB of them are read, not
    // parsed two bytes at a time.
    const std::string big =
        MakeSparseFile(MakeTempDir("log-zeros") + "/zeros.rcg", (std::uint64_t(17) << 20) + 4, "ULG\3");
    auto log = CreateFileRecord(big);
    RcgReadResult read;
    ParseRcgFile(big, *log, std::cerr, &read);
    EXPECT_EQ(read.version, 3);
    EXPECT_FALSE(read.truncated);
    EXPECT_EQ(log->cycles, 0);
}

TEST(LogFileRefusal, ACompressedLogIsToldByItsBytes)
{
    const std::string gz = TestDataPath("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg.gz");
    auto log = CreateFileRecord(gz);
    RcgReadResult read;
    ParseRcgFile(gz, *log, std::cerr, &read);
    EXPECT_TRUE(read.gzipped);
    EXPECT_EQ(log->cycles, 0);
    const std::string plain = GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg");
    ParseRcgFile(plain, *CreateFileRecord(plain), std::cerr, &read);
    EXPECT_FALSE(read.gzipped);
    EXPECT_EQ(read.refusal, "");
}

}  // namespace
