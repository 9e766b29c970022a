#include "core/model/Common.h"

#include <gtest/gtest.h>

#include <climits>

TEST(Common, PointDistanceIsEuclidean)
{
    EXPECT_DOUBLE_EQ(PointDistance(0, 0, 3, 4), 5.0);
    EXPECT_DOUBLE_EQ(PointDistance(-1, -1, 2, 3), 5.0);
    EXPECT_DOUBLE_EQ(PointDistance(2, 3, -1, -1), 5.0);
    EXPECT_EQ(PointDistance(7.5, -2, 7.5, -2), 0.0);
}

TEST(Common, MakeIdentifierReplacesDotsColonsAndDashes)
{
    EXPECT_EQ(MakeIdentifier("Ball.pos.x"), "Ball_pos_x");
    EXPECT_EQ(MakeIdentifier("a:b-c"), "a_b_c");
    EXPECT_EQ(MakeIdentifier("Lplayer5:Position.Left-Wing"), "Lplayer5_Position_Left_Wing");
    // Other characters, blanks and case stay as they are.
    EXPECT_EQ(MakeIdentifier("Team A/b_C"), "Team A/b_C");
    EXPECT_EQ(MakeIdentifier(""), "");
}

TEST(Common, StrToIntTrimReadsTrimmedDecimalIntegers)
{
    EXPECT_EQ(StrToIntTrim(" 42\t"), 42);
    EXPECT_EQ(StrToIntTrim("\r\n  -7 \x01"), -7);
    EXPECT_EQ(StrToIntTrim("+15"), 15);
    EXPECT_EQ(StrToIntTrim("   120"), 120);  // a time mark's text
    EXPECT_EQ(StrToIntTrim("2147483647"), INT32_MAX);
    EXPECT_EQ(StrToIntTrim("-2147483648"), INT32_MIN);
}

TEST(Common, StrToIntTrimRefusesEverythingElseWithTheConversionError)
{
    for (const char* bad : {"4 2", "", "   ", "abc", "12a", "1.5", "0x10", "--1", "+-1", "+", "-", "2147483648",
                            "-2147483649", "1e3"}) {
        EXPECT_THROW(StrToIntTrim(bad), EConvertError) << bad;
    }
    try {
        StrToIntTrim(" 4 2\t");
        FAIL() << "no conversion error";
    } catch (const EConvertError& e) {
        // The message names the text as converted, without the trimmed blanks.
        EXPECT_STREQ(e.what(), "'4 2' is not a valid integer value");
    }
}

TEST(Common, PackRGBPutsRedInTheLowByteWithoutMasking)
{
    EXPECT_EQ(PackRGB(255, 0, 0), 255u);
    EXPECT_EQ(PackRGB(0, 255, 0), 65280u);
    EXPECT_EQ(PackRGB(0, 0, 255), 16711680u);
    EXPECT_EQ(PackRGB(1, 2, 3), 1u + 2u * 256u + 3u * 65536u);
    EXPECT_EQ(PackRGB(256, 0, 0), 256u);  // spills into green, as it always did
}

TEST(Common, BlendRGBClampsComponentsAndRoundsUp)
{
    EXPECT_EQ(BlendRGB(0, 0, 0, 255, 255, 255, 0.5f), PackRGB(128, 128, 128));  // ceil(127.5)
    EXPECT_EQ(BlendRGB(300, -5, 0, 300, -5, 0, 0.5f), PackRGB(255, 0, 0));
    EXPECT_EQ(BlendRGB(-5, 300, 10, 0, 255, 10, 0.7f), PackRGB(0, 255, 10));
    EXPECT_EQ(BlendRGB(10, 20, 30, 200, 100, 50, 0.0f), PackRGB(10, 20, 30));
    EXPECT_EQ(BlendRGB(10, 20, 30, 200, 100, 50, 1.0f), PackRGB(200, 100, 50));
    // Rounded up also when the channel falls: 10 -> 0 at 0.25 is 7.5 -> 8.
    EXPECT_EQ(BlendRGB(10, 0, 0, 0, 10, 0, 0.25f), PackRGB(8, 3, 0));
    // The ceiling of the exact value: 0.3f is a little above 0.3, so 10 * t is
    // a little above 3 (arithmetic in float would round it to 3 first).
    EXPECT_EQ(BlendRGB(0, 0, 0, 10, 0, 0, 0.3f), PackRGB(4, 0, 0));
    // The fade of the field window: background green to blue at a third.
    EXPECT_EQ(BlendRGB(20, 110, 20, 0, 0, 255, 1.0f / 3.0f), PackRGB(14, 74, 99));
}

TEST(Common, BlendRGBLeavesTheFractionUnlimited)
{
    EXPECT_EQ(BlendRGB(0, 0, 0, 100, 0, 0, 2.0f), PackRGB(200, 0, 0));
    EXPECT_EQ(BlendRGB(100, 0, 0, 200, 0, 0, -1.0f), PackRGB(0, 0, 0));
    // Far outside the int range the channel saturates instead of overflowing.
    EXPECT_EQ(BlendRGB(0, 0, 0, 255, 0, 0, 1e30f), PackRGB(INT_MAX, 0, 0));
}

TEST(Common, ViewRectMapsThePitchOntoTheRectangle)
{
    const ViewRect v(10, 20, 220, 156);
    EXPECT_EQ(v.FieldToViewX(-52.5), 10.0);
    EXPECT_EQ(v.FieldToViewX(52.5), 220.0);
    EXPECT_DOUBLE_EQ(v.FieldToViewX(0), 115.0);
    EXPECT_EQ(v.FieldToViewY(-34), 20.0);
    EXPECT_EQ(v.FieldToViewY(34), 156.0);
    EXPECT_DOUBLE_EQ(v.FieldToViewY(0), 88.0);
    EXPECT_EQ(v.ViewToFieldX(10), -52.5);
    EXPECT_EQ(v.ViewToFieldX(220), 52.5);
    EXPECT_EQ(v.ViewToFieldY(20), -34.0);
    EXPECT_EQ(v.ViewToFieldY(156), 34.0);
    EXPECT_DOUBLE_EQ(v.ViewToFieldX(v.FieldToViewX(17.25)), 17.25);
    EXPECT_DOUBLE_EQ(v.ViewToFieldY(v.FieldToViewY(-5.5)), -5.5);
}

TEST(Common, ReversedViewRectMirrorsThePitch)
{
    ViewRect v;
    v.Set(220, 156, 10, 20);
    EXPECT_EQ(v.FieldToViewX(-52.5), 220.0);
    EXPECT_EQ(v.FieldToViewX(52.5), 10.0);
    EXPECT_EQ(v.FieldToViewY(34), 20.0);
    EXPECT_EQ(v.ViewToFieldX(10), 52.5);
    EXPECT_EQ(v.ViewToFieldY(156), -34.0);
}

TEST(Common, EmptyViewRectGivesZeroInsteadOfDividingByZero)
{
    const ViewRect v;  // all four bounds 0, as a new action-graph window has it
    EXPECT_EQ(v.ViewToFieldX(5), 0.0);
    EXPECT_EQ(v.ViewToFieldY(5), 0.0);
    EXPECT_EQ(v.FieldToViewX(30), 0.0);
    const ViewRect line(0, 10, 100, 10);  // a width but no height
    EXPECT_EQ(line.ViewToFieldY(10), 0.0);
    EXPECT_DOUBLE_EQ(line.ViewToFieldX(75), 26.25);
}
