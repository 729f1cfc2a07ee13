#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "format/number_text.hpp"
#include "format/numeric_value.hpp"
#include "format/truncate.hpp"
#include "format/usingx.hpp"

namespace bhsim {
namespace {

// --- numeric value of a text -------------------------------------------------------------------------

struct ValueCase {
  const char* text;
  double expected;
};

class NumericValueTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(NumericValueTest, ReadsTheLeadingNumber) {
  const ValueCase& c = GetParam();
  const double value = numericValue(c.text);
  EXPECT_EQ(value, c.expected) << "text \"" << c.text << "\"";
  EXPECT_TRUE(std::isfinite(value)) << "text \"" << c.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NumericValueTest,
    ::testing::Values(
        // plain numbers
        ValueCase{"0", 0}, ValueCase{"7", 7}, ValueCase{"33.29", 33.29}, ValueCase{"0.1", 0.1},
        ValueCase{"1000000", 1000000}, ValueCase{"00012", 12}, ValueCase{"-2", -2}, ValueCase{"+5", 5},
        ValueCase{"-.5", -0.5}, ValueCase{".5", 0.5}, ValueCase{"5.", 5},
        // leading blanks are skipped
        ValueCase{" 7", 7}, ValueCase{"   -2.5", -2.5}, ValueCase{" .5", 0.5}, ValueCase{" 1", 1},
        // exponents
        ValueCase{"1e3", 1000}, ValueCase{"1E-3", 0.001}, ValueCase{"1e+3", 1000}, ValueCase{"2.5E2", 250},
        ValueCase{"-1.5e-2", -0.015}, ValueCase{" 1E+15", 1e15}, ValueCase{" 1E-06", 1e-6},
        // an exponent marker without digits is not part of the number
        ValueCase{"1.e2", 100}, ValueCase{".5e1", 5}, ValueCase{"+.5e-1", 0.05}, ValueCase{"1e+-3", 1},
        ValueCase{"1e", 1}, ValueCase{"1e+", 1}, ValueCase{"1E-", 1}, ValueCase{"4ex", 4},
        // reading stops at the first character that does not fit
        ValueCase{"12abc", 12}, ValueCase{"7 ", 7}, ValueCase{"1 2", 1}, ValueCase{"1.2.3", 1.2},
        ValueCase{"2E2x", 200}, ValueCase{"3,5", 3}, ValueCase{"1.5e3.2", 1500},
        // no number at all
        ValueCase{"", 0}, ValueCase{" ", 0}, ValueCase{"   ", 0}, ValueCase{"abc", 0}, ValueCase{".", 0},
        ValueCase{"-", 0}, ValueCase{"+", 0}, ValueCase{"- 5", 0}, ValueCase{"-+5", 0}, ValueCase{"e5", 0},
        ValueCase{".e5", 0}, ValueCase{"0x10", 0}, ValueCase{"infinity", 0}, ValueCase{"nan", 0},
        ValueCase{"1d3", 1}, ValueCase{"x12", 0},
        // too large for a double: 0, never infinity
        ValueCase{"1e400", 0}, ValueCase{"-1e400", 0}, ValueCase{"1.8e308", 0},
        ValueCase{"1.7976931348623157e308", std::numeric_limits<double>::max()}));

struct PlainCase {
  const char* text;
  double expected;
};

class PlainDecimalValueTest : public ::testing::TestWithParam<PlainCase> {};

TEST_P(PlainDecimalValueTest, TakesOnlyAWholeNumber) {
  const PlainCase& c = GetParam();
  EXPECT_EQ(plainDecimalValue(c.text), c.expected) << "text \"" << c.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(Texts, PlainDecimalValueTest,
                         ::testing::Values(PlainCase{" 1234.5", 1234.5}, PlainCase{"1234.5 ", 1234.5},
                                           PlainCase{"-0.25", -0.25}, PlainCase{"1e3", 1000},
                                           PlainCase{"12abc", 0}, PlainCase{"1 2", 0}, PlainCase{"", 0},
                                           PlainCase{" ", 0}, PlainCase{"abc", 0}, PlainCase{"1e400", 0}));

// --- number text and general form ----------------------------------------------------------------------

struct TextCase {
  double value;
  const char* expected;
};

class NumberTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(NumberTextTest, BlankOrMinusThenShortestDigits) {
  const TextCase& c = GetParam();
  EXPECT_EQ(numberText(c.value), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, NumberTextTest,
    ::testing::Values(TextCase{0.5, " .5"}, TextCase{7, " 7"}, TextCase{-2, "-2"}, TextCase{0, " 0"},
                      TextCase{-0.0, " 0"}, TextCase{1, " 1"}, TextCase{33, " 33"}, TextCase{10000, " 10000"},
                      TextCase{-0.25, "-.25"}, TextCase{0.05, " .05"}, TextCase{123.456, " 123.456"},
                      TextCase{1000000, " 1000000"},
                      // 15 significant digits, rounded
                      TextCase{1.0 / 3, " .333333333333333"}, TextCase{2.0 / 3, " .666666666666667"},
                      TextCase{-1.0 / 3, "-.333333333333333"}, TextCase{0.1 + 0.2, " .3"},
                      TextCase{100.0 / 3, " 33.3333333333333"}, TextCase{999999999999999, " 999999999999999"},
                      // the plain form reaches down to 1E-05 ...
                      TextCase{1e-5, " .00001"}, TextCase{0.000012345, " .000012345"},
                      // ... below it and from 1E+15 up the exponent form is used
                      TextCase{1e-6, " 1E-06"}, TextCase{2.5e-6, " 2.5E-06"}, TextCase{-1e-7, "-1E-07"},
                      TextCase{1e15, " 1E+15"}, TextCase{1.5e15, " 1.5E+15"},
                      TextCase{12345678901234567.0, " 1.23456789012346E+16"}, TextCase{1e100, " 1E+100"},
                      TextCase{-3e20, "-3E+20"}));

class GeneralFormTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(GeneralFormTest, NoBlankAndZeroBeforeThePoint) {
  const TextCase& c = GetParam();
  EXPECT_EQ(generalForm(c.value), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Values, GeneralFormTest,
                         ::testing::Values(TextCase{10000, "10000"}, TextCase{0.5, "0.5"}, TextCase{36, "36"},
                                           TextCase{29, "29"}, TextCase{5, "5"}, TextCase{0, "0"},
                                           TextCase{1, "1"}, TextCase{-0.5, "-0.5"}, TextCase{-7, "-7"},
                                           TextCase{0.05, "0.05"}, TextCase{12.25, "12.25"},
                                           TextCase{1.0 / 3, "0.333333333333333"}, TextCase{1e15, "1E+15"},
                                           TextCase{1e-6, "1E-06"}));

// Whatever form the number text takes, reading it back gives the value to 15 significant digits.
TEST(NumberTextReadBack, ReadsBackToFifteenDigits) {
  const double values[] = {0.5,
                           7,
                           -2,
                           1.0 / 3,
                           2.0 / 3,
                           1e-5,
                           1e-6,
                           3.0e-7,
                           1e15,
                           1.5e15,
                           -2.75e18,
                           1e100,
                           6.02e23,
                           1e-300,
                           123.456,
                           0.1,
                           33.29,
                           299792.458,
                           132712751999.99998,
                           4.0 * std::atan(1.0)};
  for (double value : values) {
    const double back = numericValue(numberText(value));
    EXPECT_NEAR(back, value, std::fabs(value) * 5e-15) << numberText(value);
    EXPECT_EQ(numericValue(generalForm(value)), back) << generalForm(value);
  }
  // With 15 digits or fewer the text is exact.
  for (double value : {0.1, 33.29, 0.05, 123.456, -0.25, 1e15, 1e-6, 2.5e-6}) {
    EXPECT_EQ(numericValue(numberText(value)), value) << numberText(value);
  }
}

// --- cutting to k decimals ---------------------------------------------------------------------------

struct TruncCase {
  double value;
  int decimals;
  double expected;
};

class TruncateTest : public ::testing::TestWithParam<TruncCase> {};

TEST_P(TruncateTest, CutsTowardMinusInfinity) {
  const TruncCase& c = GetParam();
  EXPECT_EQ(truncateTo(c.value, c.decimals), c.expected) << c.value << " to " << c.decimals;
}

INSTANTIATE_TEST_SUITE_P(
    Values, TruncateTest,
    ::testing::Values(TruncCase{12.96, 1, 12.9}, TruncCase{-0.05, 1, -0.1}, TruncCase{12.345, 0, 12},
                      TruncCase{-1.5, 0, -2}, TruncCase{-2, 0, -2}, TruncCase{0.12345, 4, 0.1234},
                      TruncCase{2.5, 2, 2.5}, TruncCase{-0.001, 2, -0.01}, TruncCase{0, 3, 0},
                      TruncCase{99.9999, 3, 99.999},
                      // Int(100 x) of 0.29 is 28: 100 x 0.29 is 28.999999999999996 in doubles
                      TruncCase{0.29, 2, 0.28}, TruncCase{1234.5678, 3, 1234.567}));

// --- masked number formatter ---------------------------------------------------------------------------

struct MaskCase {
  double value;
  const char* mask;
  const char* expected;
};

std::string masked(double value, const std::string& mask) {
  std::string out;
  USINGX(value, mask, out);
  return out;
}

class UsingxTest : public ::testing::TestWithParam<MaskCase> {};

TEST_P(UsingxTest, WritesTheMaskedText) {
  const MaskCase& c = GetParam();
  EXPECT_EQ(masked(c.value, c.mask), c.expected) << c.value << " with \"" << c.mask << "\"";
}

// The worked examples of the formatter.
INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, UsingxTest,
    ::testing::Values(MaskCase{33, "###.###", " 33.000"}, MaskCase{33.29, "###.###", " 33.289"},
                      MaskCase{0.05, "###.###", "  0.050"}, MaskCase{7, "###", "  7"},
                      MaskCase{250, "###", "250"}, MaskCase{1000, "###", "1000"}, MaskCase{2, "#", "2"},
                      MaskCase{12, "#", "12"}, MaskCase{36, "##.#", "36.0"}, MaskCase{5.25, "##.#", " 5.2"},
                      MaskCase{123.45, "##.#", "123"}, MaskCase{12345.6, "##.#", "12345"},
                      MaskCase{0.5, "#.###", "0.500"}, MaskCase{12.3456, "#.###", "12.34"},
                      MaskCase{0, "####", "   0"}, MaskCase{45.678, "##,##", "45.67"},
                      MaskCase{0.5, ".###", "0.500"}, MaskCase{3.14159, "", "3"},
                      MaskCase{12345678901234.5, "###.##", "12345678901234"}));

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, UsingxTest,
    ::testing::Values(
        // integer padding: at most 20 blanks, whatever the mask asks for
        MaskCase{7, "#########################", "                    7"},
        MaskCase{7, "#####################", "                    7"},
        MaskCase{7, "####################", "                   7"},
        // decimal padding: at most 9 zeros (the fraction 0 has the single digit 0)
        MaskCase{1, "#.###########", "1.0000000000"}, MaskCase{1, "#.#########", "1.000000000"},
        MaskCase{1.5, "#.##########", "1.5000000000"},
        // 1.001 is 1.000999999999999889...: 99 after the cut, padded to 00099
        MaskCase{1.001, "#.#####", "1.00099"},
        // two separators split at the last one: l 3, h 1
        MaskCase{12.34, "#.#.#", " 12.3"}, MaskCase{5, "#,#.#", "  5.0"},
        // any other character is a digit position
        MaskCase{7, "000", "  7"}, MaskCase{3.5, "ab.c", " 3.5"},
        // the low ten digits keep their zeros
        MaskCase{10000000000005, "###", "10000000000005"}, MaskCase{10000000000, "###", "10000000000"},
        MaskCase{20000000000.0, "#", "20000000000"},
        // above 10^10 the fraction comes from the low part: 0.25 here
        MaskCase{12345678901.25, "###.############", "12345678901.2500"},
        // widening at a value just above 10^l keeps the decimals it can
        MaskCase{100.5, "##.###", "100.50"}, MaskCase{1000.5, "###.#", "1000"},
        // a value equal to 10^l is not widened: the text is simply longer
        MaskCase{100, "##.##", "100.00"},
        // ln(1000)/ln(10) is 2.9999999999999996: 1000 counts three digits and keeps one decimal place
        MaskCase{1000, "##.##", "1000.0"},
        // the run's frequency mask
        MaskCase{33.333333333333336, "###.###", " 33.333"}, MaskCase{999.9999, "###.###", "999.999"},
        MaskCase{1234.5678, "###.###", "1234.56"}));

// Negative values are the formatter's own choice: the magnitude with "-" in front of the digits.
INSTANTIATE_TEST_SUITE_P(Negative, UsingxTest,
                         ::testing::Values(MaskCase{-5.25, "##.#", "-5.2"},
                                           MaskCase{-33, "###.###", "-33.000"},
                                           MaskCase{-7, "####", "  -7"}));

TEST(UsingxOut, EmptyOutReceivesExactlyTheText) {
  std::string out;
  USINGX(33, "###.###", out);
  EXPECT_EQ(out, " 33.000");
}

TEST(UsingxOut, NonEmptyOutKeepsItsTextInFront) {
  std::string out = "f =";
  USINGX(33, "###.###", out);
  EXPECT_EQ(out, "f = 33.000");
  USINGX(7, "###", out);
  EXPECT_EQ(out, "f = 33.000  7");
}

TEST(UsingxOut, LeavesValueAndMaskAlone) {
  const double value = 5.25;
  const std::string mask = "##.#";
  std::string out;
  USINGX(value, mask, out);
  EXPECT_EQ(value, 5.25);
  EXPECT_EQ(mask, "##.#");
}

TEST(UsingxOut, NonFiniteValuesWriteZero) {
  EXPECT_EQ(masked(std::numeric_limits<double>::quiet_NaN(), "###.###"), "  0.000");
  EXPECT_EQ(masked(std::numeric_limits<double>::infinity(), "##"), " 0");
}

}  // namespace
}  // namespace bhsim
