// Match logs the user names that are no log file are refused before a byte is
// read; a long read keeps the wait window drawn by the bytes it goes through.
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
#include <tuple>

namespace {

TEST(LogFileRefusal, WhatIsNoRegularLogFileIsRefusedAtOnceWithItsReason)
{
    for (const RefusedFile& c : SpecialFiles(MakeTempDir("log-refusal"), ".rcg", platform::kLogFileLimit, "1 GiB")) {
        RecordingHooks hooks;
        auto log = CreateFileRecord(c.path);
        RcgReadResult read;
        const Watchdog bound("reading the log " + c.path);
        ReadRcgFile(c.path, *log, &read);
        // The whole load (benches and batch runs) passes the same door.
        EXPECT_EQ(LoadLog(c.path, false)->cycles, 0);
        EXPECT_EQ(read.refusal, c.message);
        EXPECT_EQ(log->cycles, 0);
        for (const std::string& text : hooks.waitTexts)
            EXPECT_NE(text.rfind("Reading", 0), 0u) << text;
    }
}

TEST(LogFileRefusal, ALongReadRedrawsTheWaitWindowByTheBytesGoneThroughWithoutAShowRecord)
{
    RcgWriter w;  // 17 MiB of messages: not one show record that would redraw the window
    for (int i = 0; i < 560; ++i)
        w.Message(1, std::string(32000, 'm'));
    const std::string path = w.Save("messages");
    RecordingHooks hooks;
    RcgReadResult read;
    ParseRcgFile(path, *CreateFileRecord(path), std::cerr, &read);
    EXPECT_EQ(read.refusal + read.error, "");
    EXPECT_EQ(hooks.waitTexts, (std::vector<std::string>{"Reading file (16 of 17 MiB)", "Reading file (17 of 17 MiB)",
                                                         "Reading records (16 of 17 MiB)"}));
}

TEST(LogFileRefusal, RunsOfEmptyRecordsInMemoryGiveWhatTheyGiveFromAStream)
{
    const std::string zeros(1000, '\0'), header = "ULG\3";
    RcgWriter show;
    show.Show(ShowState{});
    const std::string oneShow = show.Bytes().substr(4);
    const std::tuple<std::string, int, bool> cases[] = {  // bytes, cycles, truncated
        {header + zeros, 0, false},
        {header + zeros + std::string(1, '\0'), 0, true},
        {header + zeros + oneShow + zeros + oneShow, 2, false},
        {header + zeros + oneShow + zeros + oneShow.substr(0, 7), 1, true},
        {header + oneShow + zeros + std::string("\0\5\2", 3), 1, false},
    };
    const std::string path = MakeTempDir("log-both") + "/log.rcg";
    for (const auto& [bytes, cycles, truncated] : cases) {
        std::ofstream(path, std::ios::binary) << bytes;
        auto fromFile = CreateFileRecord(path), fromStream = CreateFileRecord(path);
        RcgReadResult file, stream;
        ParseRcgFile(path, *fromFile, std::cerr, &file);
        std::istringstream in(bytes, std::ios::binary);
        ParseRcgStream(in, *fromStream, std::cerr, &stream);
        EXPECT_EQ(std::tuple(fromFile->cycles, file.truncated), std::tuple(cycles, truncated)) << bytes.size();
        EXPECT_EQ(std::tuple(fromStream->cycles, stream.truncated, stream.error),
                  std::tuple(fromFile->cycles, file.truncated, file.error)) << bytes.size();
    }
}

}  // namespace
