#include "platform/ReadFile.h"

#include "support/SpecialFiles.h"
#include "support/TestData.h"

#include <fstream>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

TEST(ReadUserFile, RefusesWhatIsNoRegularFileOrTooBigAtOnceAndReadsNothing)
{
    const std::string dir = MakeTempDir("readfile");
    auto cases = SpecialFiles(dir, ".txt", platform::kFieldsFileLimit, "16 MiB");
    cases.push_back({MakeSparseFile(dir + "/bigger.txt", std::uint64_t(33) << 19),
                     "Cannot read the file " + dir + "/bigger.txt: it is larger than 16 MiB (16.5 MiB)"});
    for (const RefusedFile& c : cases) {
        platform::FileBytes bytes;
        bytes.size = 3;
        platform::ReadError checked, read;
        const Watchdog bound("reading " + c.path);
        EXPECT_FALSE(platform::CheckUserFile(c.path, platform::kFieldsFileLimit, &checked));
        EXPECT_FALSE(platform::ReadUserFile(c.path, platform::kFieldsFileLimit, bytes, &read));
        EXPECT_EQ(checked.Message(), c.message);
        EXPECT_EQ(read.Message(), c.message);
        EXPECT_EQ(bytes.size, 3u);  // left as it was
        EXPECT_EQ(bytes.data, nullptr);
    }
}

TEST(ReadUserFile, ReadsARegularFileWholeUpToItsLimit)
{
    const std::string dir = MakeTempDir("readfile-good");
    const std::string text("ULG\3\0\0 and more", 16);
    std::ofstream(dir + "/exact", std::ios::binary) << text;
    std::ofstream(dir + "/empty").flush();
    ::symlink((dir + "/exact").c_str(), (dir + "/link").c_str());  // a link to a file is the file
    const std::pair<std::string, std::string> cases[] = {{"/exact", text}, {"/link", text}, {"/empty", ""}};
    for (const auto& [name, content] : cases) {
        platform::FileBytes bytes;
        EXPECT_TRUE(platform::CheckUserFile(dir + name, 16)) << name;
        ASSERT_TRUE(platform::ReadUserFile(dir + name, 16, bytes)) << name;
        EXPECT_EQ(bytes.View(), content) << name;
        EXPECT_EQ(platform::ReadOwnFile(dir + name, 16, bytes), name != "/link") << name;  // never through a link
    }
}

// The file is cut shorter while it is read (from the read's first progress
// call, after one 16 MiB block): what comes back is the bytes that were read,
// never the size first asked with whatever memory held past them.
TEST(ReadUserFile, AFileCutWhileItIsReadGivesTheBytesThatWereThere)
{
    const std::string dir = MakeTempDir("readfile-cut"), path = dir + "/log.rcg";
    std::string content(std::size_t(40) << 20, '\0');
    for (std::size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i % 251);
    const struct {
        std::size_t cutTo;
        std::size_t expected;  // the read goes on to the new end, or stops where it was
    } cases[] = {{std::size_t(20) << 20, std::size_t(20) << 20}, {100, std::size_t(16) << 20}};
    for (const auto& c : cases) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
        int calls = 0;
        const auto cut = [&](std::uint64_t, std::uint64_t) {
            if (++calls == 1) {
                ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(c.cutTo)), 0);
            }
        };
        platform::FileBytes bytes;
        ASSERT_TRUE(platform::ReadUserFile(path, platform::kLogFileLimit, bytes, nullptr, cut)) << c.cutTo;
        EXPECT_EQ(bytes.size, c.expected) << c.cutTo;
        EXPECT_TRUE(bytes.View() == std::string_view(content).substr(0, bytes.size)) << c.cutTo;
    }
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
