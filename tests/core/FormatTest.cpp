#include "Format.h"

#include <gtest/gtest.h>

#include <clocale>

TEST(Format, NumbersUseDotWhateverTheLocale)
{
    // A locale with a decimal comma must not leak into the program's texts.
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "no locale with a decimal comma installed";
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
