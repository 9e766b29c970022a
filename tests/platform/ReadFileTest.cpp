#include "platform/ReadFile.h"

#include "support/SpecialFiles.h"
#include "support/TestData.h"

#include <fstream>
#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

std::string Put(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

TEST(ReadUserFile, RefusesWhatIsNoRegularFileOrTooBigAtOnceAndReadsNothing)
{
    const std::string dir = MakeTempDir("readfile");
    ::mkdir((dir + "/folder").c_str(), 0700);
    const struct {
        std::string path;
        std::uint64_t limit;
        std::string reason;
    } cases[] = {
        {MakePipe(dir + "/pipe.rcg"), 1000, "it is not a regular file (a named pipe)"},
        {"/dev/zero", platform::kLogFileLimit, "it is not a regular file (a character device)"},
        {dir + "/folder", 1000, "it is not a regular file (a folder)"},
        {MakeSocket(dir + "/socket"), 1000, "it is not a regular file (a socket)"},
        {Put(dir + "/eleven", "0123456789a"), 10, "it is larger than 10 bytes (11 bytes)"},
        {MakeSparseFile(dir + "/big.rcg", platform::kLogFileLimit + 1), platform::kLogFileLimit,
         "it is larger than 1 GiB (1073741825 bytes)"},
        {MakeSparseFile(dir + "/big.txt", (std::uint64_t(33) << 19)), platform::kFieldsFileLimit,
         "it is larger than 16 MiB (16.5 MiB)"},
        {dir + "/missing", 1000, "No such file or directory"},
    };
    for (const auto& c : cases) {
        platform::FileBytes bytes;
        bytes.size = 3;
        platform::ReadError error;
        bool checked = true;
        bool read = true;
        {
            const Watchdog bound("reading " + c.path);
            checked = platform::CheckUserFile(c.path, c.limit, &error);
            read = platform::ReadUserFile(c.path, c.limit, bytes, &error);
        }
        EXPECT_FALSE(checked) << c.path;
        EXPECT_FALSE(read) << c.path;
        EXPECT_EQ(error.file, c.path);
        EXPECT_EQ(error.reason, c.reason);
        EXPECT_EQ(error.Message(), "Cannot read the file " + c.path + ": " + c.reason);
        EXPECT_EQ(bytes.size, 3u);  // left as it was
        EXPECT_EQ(bytes.data, nullptr);
    }
}

TEST(ReadUserFile, ReadsARegularFileWholeUpToItsLimitAndTellsHowFar)
{
    const std::string dir = MakeTempDir("readfile-good");
    const std::string text("ULG\3\0\0 and more", 16);
    std::vector<std::pair<std::uint64_t, std::uint64_t>> steps;
    const auto note = [&](std::uint64_t done, std::uint64_t total) { steps.emplace_back(done, total); };
    platform::FileBytes bytes;
    ASSERT_TRUE(platform::CheckUserFile(Put(dir + "/exact", text), 16));
    ASSERT_TRUE(platform::ReadUserFile(dir + "/exact", 16, bytes, nullptr, note));
    EXPECT_EQ(bytes.View(), text);
    EXPECT_EQ(steps, (std::vector<std::pair<std::uint64_t, std::uint64_t>>{{16, 16}}));

    // A link to a log is the log; an empty file reads as nothing.
    ::symlink((dir + "/exact").c_str(), (dir + "/link").c_str());
    ASSERT_TRUE(platform::ReadUserFile(dir + "/link", 16, bytes));
    EXPECT_EQ(bytes.View(), text);
    ASSERT_TRUE(platform::ReadUserFile(Put(dir + "/empty", ""), 16, bytes));
    EXPECT_EQ(bytes.size, 0u);

    // A big file comes in 16 MiB pieces, each one told.
    steps.clear();
    ASSERT_TRUE(platform::ReadUserFile(MakeSparseFile(dir + "/sparse", (std::uint64_t(40) << 20), "head"),
                                       platform::kLogFileLimit, bytes, nullptr, note));
    EXPECT_EQ(bytes.size, std::size_t(40) << 20);
    EXPECT_EQ(bytes.View().substr(0, 5), std::string_view("head\0", 5));
    const std::uint64_t total = std::uint64_t(40) << 20;
    EXPECT_EQ(steps, (std::vector<std::pair<std::uint64_t, std::uint64_t>>{
                         {16 << 20, total}, {32 << 20, total}, {total, total}}));
}

TEST(ReadUserFile, SizesReadAsTheMessagesSayThem)
{
    const std::pair<std::uint64_t, std::string> cases[] = {
        {0, "0 bytes"},       {1, "1 byte"},          {1023, "1023 bytes"},    {1024, "1 KiB"},
        {1536, "1.5 KiB"},    {16 << 20, "16 MiB"}, {(1 << 30) - 1, "1 GiB"}, {3ull << 29, "1.5 GiB"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(platform::SizeText(bytes), text) << bytes;
}

}  // namespace
