#include "platform/ByteOrder.h"
#include "platform/Hooks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class CountingHooks : public platform::Hooks {
public:
    void SetWaitText(const std::string& text) override { texts.push_back(text); }
    void ProcessPendingEvents() override { ++pending; }
    void Beep() override { ++beeps; }
    void Notify(const std::string& text, const std::string& caption) override { notices.push_back(caption + ":" + text); }
    std::vector<std::string> texts;
    std::vector<std::string> notices;
    int pending = 0;
    int beeps = 0;
};

}  // namespace

TEST(Hooks, CallsReachTheInstalledHooksAndNothingElse)
{
    ASSERT_EQ(platform::SetHooks(nullptr), nullptr);  // the suite starts with the silent default
    // With nothing installed every call is a no-op.
    platform::Beep();
    platform::SetWaitText("Reading ...");
    platform::Notify("Too many features !!!", "Warning");

    CountingHooks outer;
    EXPECT_EQ(platform::SetHooks(&outer), nullptr);
    EXPECT_EQ(&platform::CurrentHooks(), &outer);
    platform::Beep();
    platform::SetWaitText("Reading ...");
    platform::ProcessPendingEvents();
    platform::Notify("Too many features !!!", "Warning");
    EXPECT_EQ(outer.beeps, 1);
    EXPECT_EQ(outer.texts, std::vector<std::string>{"Reading ..."});
    EXPECT_EQ(outer.pending, 1);
    EXPECT_EQ(outer.notices, std::vector<std::string>{"Warning:Too many features !!!"});

    CountingHooks inner;
    EXPECT_EQ(platform::SetHooks(&inner), &outer);
    platform::Beep();
    EXPECT_EQ(inner.beeps, 1);
    EXPECT_EQ(outer.beeps, 1);
    EXPECT_EQ(platform::SetHooks(&outer), &inner);
    EXPECT_EQ(platform::SetHooks(nullptr), &outer);
    platform::Beep();
    EXPECT_EQ(outer.beeps, 1);
}

TEST(ByteOrder, DecodesNetworkOrderFields)
{
    const unsigned char shortField[] = {0x01, 0x02};
    EXPECT_EQ(platform::ReadBE16(shortField), 258);
    const unsigned char minusTwo[] = {0xFF, 0xFE};
    EXPECT_EQ(platform::ReadBE16(minusTwo), 65534);
    EXPECT_EQ(platform::ReadBE16Signed(minusTwo), -2);
    const unsigned char longField[] = {0x12, 0x34, 0x56, 0x78};
    EXPECT_EQ(platform::ReadBE32(longField), 0x12345678u);
    // -52.5 in the log's fixed point (value * 65536): 0xFFCB8000.
    const unsigned char fixed[] = {0xFF, 0xCB, 0x80, 0x00};
    EXPECT_EQ(platform::ReadBE32Signed(fixed), -3440640);
    EXPECT_DOUBLE_EQ(platform::ReadBE32Signed(fixed) / 65536.0, -52.5);
}
