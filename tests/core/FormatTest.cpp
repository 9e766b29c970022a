#include "core/model/Format.h"

#include "support/TestData.h"

#include <gtest/gtest.h>

#include <clocale>

TEST(Format, NumbersUseDotWhateverTheLocale)
{
    // A locale with a decimal comma must not leak into the program's texts.
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    const std::string comma = CommaDecimalLocale();
    ASSERT_FALSE(comma.empty()) << "no locale with a decimal comma could be made";
    ASSERT_NE(std::setlocale(LC_NUMERIC, comma.c_str()), nullptr);
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    EXPECT_EQ(FormatFixed(12.345, 2), "12.35");
    EXPECT_EQ(FormatGeneral(0.1234567), "0.123457");
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(Format, Int6RightAlignsInSixCharacters)
{
    EXPECT_EQ(FormatInt6(42), "    42");
    EXPECT_EQ(FormatInt6(-1), "    -1");
    EXPECT_EQ(FormatInt6(1234567), "1234567");
}

TEST(Format, GeneralNotationSwitchesToExponent)
{
    EXPECT_EQ(FormatGeneral(1e-7), "1e-07");
    EXPECT_EQ(FormatGeneral(100.0), "100");
    EXPECT_EQ(FormatGeneral(123456789.0), "1.23457e+08");
}

TEST(FormatFloatFixed, WritesExactlyTheAskedDecimals)
{
    EXPECT_EQ(FormatFloatFixed(0.85, 8, 4), "0.8500");
    EXPECT_EQ(FormatFloatFixed(-1, 8, 4), "-1.0000");
    EXPECT_EQ(FormatFloatFixed(0, 8, 2), "0.00");
    EXPECT_EQ(FormatFloatFixed(8, 8, 2), "8.00");
    EXPECT_EQ(FormatFloatFixed(999.99, 8, 3), "999.990");
    EXPECT_EQ(FormatFloatFixed(4, 4, 2), "4.00");
    EXPECT_EQ(FormatFloatFixed(-52.5, 7, 2), "-52.50");
    EXPECT_EQ(FormatFloatFixed(3.0, 8, 0), "3");
    EXPECT_EQ(FormatFloatFixed(0.00012, 8, 4), "0.0001");
}

TEST(FormatFloatFixed, RoundsToPrecisionAndDecimalsHalvesAwayFromZero)
{
    EXPECT_EQ(FormatFloatFixed(123.456789, 8, 4), "123.4568");
    // Eight significant digits leave only two decimals of this one.
    EXPECT_EQ(FormatFloatFixed(123456.789, 8, 4), "123456.7900");
    EXPECT_EQ(FormatFloatFixed(0.125, 8, 2), "0.13");
    EXPECT_EQ(FormatFloatFixed(-0.125, 8, 2), "-0.13");
    EXPECT_EQ(FormatFloatFixed(2.5, 8, 0), "3");
    EXPECT_EQ(FormatFloatFixed(1.005, 7, 2), "1.00");  // the double lies just below the half
    EXPECT_EQ(FormatFloatFixed(0.00006, 8, 4), "0.0001");
    EXPECT_EQ(FormatFloatFixed(9.99996, 8, 4), "10.0000");
    // What rounds to zero carries no sign.
    EXPECT_EQ(FormatFloatFixed(-0.00004, 8, 4), "0.0000");
}

TEST(FormatFloatFixed, TooManyIntegerDigitsSwitchToTheExponentForm)
{
    EXPECT_EQ(FormatFloatFixed(12345678, 8, 4), "12345678.0000");
    EXPECT_EQ(FormatFloatFixed(123456789, 8, 4), "1.2345679E8");
    EXPECT_EQ(FormatFloatFixed(-12345.678, 4, 2), "-1.235E4");
    EXPECT_EQ(FormatFloatFixed(99999999.99, 8, 4), "1E8");
}

TEST(FormatFloatGeneral, ShortestFormWithFifteenDigits)
{
    EXPECT_EQ(FormatFloatGeneral(0), "0");
    EXPECT_EQ(FormatFloatGeneral(-0.0), "0");
    EXPECT_EQ(FormatFloatGeneral(0.5), "0.5");
    EXPECT_EQ(FormatFloatGeneral(16), "16");
    EXPECT_EQ(FormatFloatGeneral(-1), "-1");
    EXPECT_EQ(FormatFloatGeneral(90), "90");
    EXPECT_EQ(FormatFloatGeneral(0.1), "0.1");
    EXPECT_EQ(FormatFloatGeneral(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(FormatFloatGeneral(2.0 / 3.0), "0.666666666666667");
    EXPECT_EQ(FormatFloatGeneral(-12.25), "-12.25");
    EXPECT_EQ(FormatFloatGeneral(0.00001), "0.00001");
    EXPECT_EQ(FormatFloatGeneral(123456789012345.0), "123456789012345");
}

TEST(FormatFloatGeneral, ExtremeMagnitudesUseTheExponentForm)
{
    EXPECT_EQ(FormatFloatGeneral(0.000001), "1E-6");
    EXPECT_EQ(FormatFloatGeneral(-1.5e-7), "-1.5E-7");
    EXPECT_EQ(FormatFloatGeneral(1e20), "1E20");
    EXPECT_EQ(FormatFloatGeneral(1234567890123456.0), "1.23456789012346E15");
    EXPECT_EQ(FormatFloatGeneral(2.5e-300), "2.5E-300");
}

TEST(ListFirst, NamesTheFirstItemsAndCountsTheRest)
{
    const std::vector<std::string> three{"'a'", "'b'", "'c'"};
    EXPECT_EQ(ListFirst(three, 3, ", ", "rows"), "'a', 'b', 'c'");
    EXPECT_EQ(ListFirst(three, 2, "\n", "rows"), "'a'\n'b'\nand 1 more (3 rows)");
    EXPECT_EQ(ListFirst(three, 0, ", ", "rows"), "and 3 more (3 rows)");
    EXPECT_EQ(ListFirst({}, 10, ", ", "rows"), "");
}
