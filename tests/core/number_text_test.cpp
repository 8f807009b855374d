#include <gtest/gtest.h>

#include <limits>

#include "platform/regional_settings.h"
#include "text/number_text.h"

namespace marlo {
namespace {

const FixedRegionalSettings kDot(".");
const FixedRegionalSettings kComma(",");

TEST(NumberText, ReplaceStringReplacesFirstOrAllAndRestartsFromTheBeginning) {
    EXPECT_EQ(ReplaceString("a,b,c", ",", ".", false, true), "a.b,c");
    EXPECT_EQ(ReplaceString("a,b,c", ",", ".", true, true), "a.b.c");
    EXPECT_EQ(ReplaceString("aabb", "ab", "a", true, true), "aa");
    EXPECT_EQ(ReplaceString("xXx", "X", "-", true, false), "---");
    EXPECT_EQ(ReplaceString("xXx", "X", "-", true, true), "x-x");
    EXPECT_EQ(ReplaceString("abc", "", "-", true, true), "abc");
    EXPECT_EQ(ReplaceString("", "a", "-", true, true), "");
}

TEST(NumberText, ReplaceStringEndsWhenTheReplacementHoldsWhatItReplaces) {
    EXPECT_EQ(ReplaceString("a/b/c", "/", "//", true, true), "a//b//c");
}

TEST(NumberText, TextOfNumbersNeverHoldsACommaInAFile) {
    EXPECT_EQ(WithDecimalPoints("1,5"), "1.5");
    EXPECT_EQ(WithDecimalPoints("100"), "100");
    EXPECT_EQ(FromFileNumberText("-12,5"), "-12.5");
    EXPECT_EQ(FileNumberText(0.5), "0.5");
}

TEST(NumberText, NumberTextUsesFifteenSignificantDigitsAndNoTrailingZeros) {
    EXPECT_EQ(NumberText(2, kDot), "2");
    EXPECT_EQ(NumberText(0.1 + 0.2, kDot), "0.3");
    EXPECT_EQ(NumberText(-0.25, kDot), "-0.25");
    EXPECT_EQ(NumberText(-0.0, kDot), "0");
    EXPECT_EQ(NumberText(123456789012345.0, kDot), "123456789012345");
    EXPECT_EQ(NumberText(1e15, kDot), "1E+15");
    EXPECT_EQ(NumberText(1.5e-7, kDot), "1.5E-07");
    EXPECT_EQ(NumberText(5653425.123456789, kDot), "5653425.12345679");
    EXPECT_EQ(NumberText(0.5, kComma), "0,5");
}

TEST(NumberText, NonFiniteValuesAreAnOverflowNeverText) {
    for (double value :
         {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
        try {
            NumberText(value, kDot);
            FAIL() << "no error for " << value;
        } catch (const RunTimeError& e) {
            EXPECT_EQ(e.number(), err::Overflow);
        }
    }
}

TEST(NumberText, TheNumericTestAcceptsOneDecimalSignAndAnExponent) {
    for (const char* good : {"12.5", " -0.25 ", "+3", "1e5", "2.5E-3", ".5", "5."}) {
        EXPECT_TRUE(IsNumeric(good, kDot)) << good;
    }
    for (const char* bad :
         {"", " ", "1.234.5", "12,5", "error", "1e", "e5", "--1", "0x10", "inf", "nan", "1 2"}) {
        EXPECT_FALSE(IsNumeric(bad, kDot)) << bad;
    }
    EXPECT_DOUBLE_EQ(ToDouble(" -0.25 ", kDot), -0.25);
    EXPECT_DOUBLE_EQ(ToDouble("2.5E-3", kDot), 0.0025);
    EXPECT_TRUE(IsNumeric("12,5", kComma));
    EXPECT_FALSE(IsNumeric("12.5", kComma));
    EXPECT_DOUBLE_EQ(ToDouble("12,5", kComma), 12.5);
}

TEST(NumberText, AHugeExponentIsAnOverflow) {
    try {
        ToDouble("1e400", kDot);
        FAIL();
    } catch (const RunTimeError& e) {
        EXPECT_EQ(e.number(), err::Overflow);
    }
}

}  // namespace
}  // namespace marlo
