#include <gtest/gtest.h>

#include <limits>

#include "support/form_fixture.h"
#include "text/number_text.h"

namespace marlo {
namespace {

using test::FormTest;

class NumberTextTest : public FormTest {};

TEST_F(NumberTextTest, ReplaceStringReplacesFirstOrAllAndRestartsFromTheBeginning) {
    EXPECT_EQ(ReplaceString(form.numbers, "a,b,c", ",", ".", false, true), "a.b,c");
    EXPECT_EQ(ReplaceString(form.numbers, "a,b,c", ",", ".", true, true), "a.b.c");
    EXPECT_EQ(ReplaceString(form.numbers, "aabb", "ab", "a", true, true), "aa");
    EXPECT_EQ(ReplaceString(form.numbers, "xXx", "X", "-", true, false), "---");
    EXPECT_EQ(ReplaceString(form.numbers, "xXx", "X", "-", true, true), "x-x");
    EXPECT_EQ(ReplaceString(form.numbers, "abc", "", "-", true, true), "abc");
    EXPECT_EQ(ReplaceString(form.numbers, "", "a", "-", true, true), "");
}

TEST_F(NumberTextTest, ReplaceStringEndsWhenTheReplacementHoldsWhatItReplaces) {
    EXPECT_EQ(ReplaceString(form.numbers, "a/b/c", "/", "//", true, true), "a//b//c");
}

TEST_F(NumberTextTest, FileNumbersFollowADotSign) {
    EXPECT_EQ(GenNumericValue(form.numbers, "12,5"), "12.5");
    EXPECT_EQ(GenNumericValue(form.numbers, "-0.25"), "-0.25");
    EXPECT_FALSE(form.conversionFailed);
}

TEST_F(NumberTextTest, TextOfNumbersNeverHoldsACommaInAFile) {
    EXPECT_EQ(GenStringVithDots(form.numbers, "1,5"), "1.5");
    EXPECT_EQ(GenStringVithDots(form.numbers, "100"), "100");
}

TEST_F(NumberTextTest, NumberTextUsesFifteenSignificantDigitsAndNoTrailingZeros) {
    EXPECT_EQ(NumberText(2, regional), "2");
    EXPECT_EQ(NumberText(0.1 + 0.2, regional), "0.3");
    EXPECT_EQ(NumberText(-0.25, regional), "-0.25");
    EXPECT_EQ(NumberText(-0.0, regional), "0");
    EXPECT_EQ(NumberText(123456789012345.0, regional), "123456789012345");
    EXPECT_EQ(NumberText(1e15, regional), "1E+15");
    EXPECT_EQ(NumberText(1.5e-7, regional), "1.5E-07");
    EXPECT_EQ(NumberText(5653425.123456789, regional), "5653425.12345679");
}

TEST_F(NumberTextTest, NonFiniteValuesAreAnOverflowNeverText) {
    for (double value :
         {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
        try {
            NumberText(value, regional);
            FAIL() << "no error for " << value;
        } catch (const RunTimeError& e) {
            EXPECT_EQ(e.number(), err::Overflow);
        }
    }
}

TEST_F(NumberTextTest, TheNumericTestAcceptsOneDecimalSignAndAnExponent) {
    for (const char* good : {"12.5", " -0.25 ", "+3", "1e5", "2.5E-3", ".5", "5."}) {
        EXPECT_TRUE(IsNumeric(good, regional)) << good;
    }
    for (const char* bad :
         {"", " ", "1.234.5", "12,5", "error", "1e", "e5", "--1", "0x10", "inf", "nan", "1 2"}) {
        EXPECT_FALSE(IsNumeric(bad, regional)) << bad;
    }
    EXPECT_DOUBLE_EQ(ToDouble(" -0.25 ", regional), -0.25);
    EXPECT_DOUBLE_EQ(ToDouble("2.5E-3", regional), 0.0025);
}

TEST_F(NumberTextTest, AHugeExponentIsAnOverflow) {
    try {
        ToDouble("1e400", regional);
        FAIL();
    } catch (const RunTimeError& e) {
        EXPECT_EQ(e.number(), err::Overflow);
    }
}

class CommaNumberTextTest : public FormTest {
protected:
    CommaNumberTextTest() : FormTest(",") {}
};

TEST_F(CommaNumberTextTest, FileNumbersFollowACommaSign) {
    EXPECT_EQ(GenNumericValue(form.numbers, "12.5"), "12,5");
    EXPECT_EQ(GenNumericValue(form.numbers, "12,5"), "12,5");
    EXPECT_TRUE(IsNumeric("12,5", regional));
    EXPECT_FALSE(IsNumeric("12.5", regional));
    EXPECT_DOUBLE_EQ(ToDouble("12,5", regional), 12.5);
}

TEST_F(CommaNumberTextTest, WrittenNumbersStillGetADot) {
    EXPECT_EQ(NumberText(0.5, regional), "0,5");
    EXPECT_EQ(GenStringVithDots(form.numbers, NumberText(0.5, regional)), "0.5");
}

class OddSignNumberTextTest : public FormTest {
protected:
    OddSignNumberTextTest() : FormTest("'") {}
};

TEST_F(OddSignNumberTextTest, AnUnusableDecimalSignIsReportedAndGivesError) {
    EXPECT_EQ(GenNumericValue(form.numbers, "12.5"), "error");
    EXPECT_TRUE(form.conversionFailed);
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].text, "Incorrect decimal sign: '");
    EXPECT_EQ(user.messages[0].icon, MessageIcon::Critical);
}

}  // namespace
}  // namespace marlo
