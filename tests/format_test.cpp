// The text conventions: reading a field, the number text, the general form, truncation and formatWithMask.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "format/mask.hpp"
#include "format/number_text.hpp"
#include "format/numeric_value.hpp"
#include "format/truncate.hpp"

namespace bhsim {
namespace {

const double kInf = std::numeric_limits<double>::infinity();
const double kMax = std::numeric_limits<double>::max();

std::string masked(double value, const std::string& mask, std::string out = "") {
  formatWithMask(value, mask, out);
  return out;
}

TEST(Format, NumericValueReadsTheLeadingNumber) {
  // clang-format off
  const std::pair<std::string, double> cases[] = {
      {"0", 0}, {"7", 7}, {"33.29", 33.29}, {"00012", 12}, {"-2", -2}, {"+5", 5}, {"-.5", -0.5}, {"5.", 5},
      {" 7", 7}, {"   -2.5", -2.5}, {"\t3", 3}, {"1e3", 1000}, {"1E-3", 0.001}, {"1e+3", 1000}, {" 1E+15", 1e15},
      {" 1E-06", 1e-6}, {"1.e2", 100}, {".5e1", 5}, {"1e+-3", 1}, {"1e", 1}, {"1E-", 1}, {"12abc", 12},
      {"1 2", 1}, {"1.2.3", 1.2}, {"3,5", 3}, {"1.5e3.2", 1500}, {"", 0}, {" ", 0}, {"abc", 0}, {".", 0},
      {"-", 0}, {"- 5", 0}, {"-+5", 0}, {"e5", 0}, {"0x10", 0}, {"infinity", 0}, {"nan", 0}, {"1e400", 0},
      {"-1e400", 0}, {"1.8e308", 0}, {"1.7976931348623157e308", kMax}, {std::string(10000, '7'), 0},
      {"0." + std::string(5000, '0') + "1", 0}, {std::string(5000, ' ') + "3", 3}, {"\xef\xbc\x91", 0}};
  // clang-format on
  for (const auto& [text, expected] : cases) EXPECT_EQ(numericValue(text), expected) << text.substr(0, 30);
  const std::pair<const char*, double> plain[] = {
      {" 1234.5", 1234.5}, {"1234.5 ", 1234.5}, {"-0.25", -0.25}, {"1e3", 1000},
      {"12abc", 0},        {"1 2", 0},          {" ", 0},         {"1e400", 0}};
  for (const auto& [text, expected] : plain) EXPECT_EQ(plainDecimalValue(text), expected) << text;
}

TEST(Format, NumberTextAndGeneralForm) {
  // clang-format off
  const std::tuple<double, const char*, const char*> cases[] = {
      {0.5, " .5", "0.5"}, {7, " 7", "7"}, {-2, "-2", "-2"}, {0, " 0", "0"}, {-0.0, " 0", "0"},
      {10000, " 10000", "10000"}, {-0.25, "-.25", "-0.25"}, {0.05, " .05", "0.05"},
      {1.0 / 3, " .333333333333333", "0.333333333333333"}, {2.0 / 3, " .666666666666667", "0.666666666666667"},
      {0.1 + 0.2, " .3", "0.3"}, {100.0 / 3, " 33.3333333333333", "33.3333333333333"},
      {999999999999999, " 999999999999999", "999999999999999"}, {1e-5, " .00001", "0.00001"},
      {1e-6, " 1E-06", "1E-06"}, {-2.5e-7, "-2.5E-07", "-2.5E-07"}, {1e15, " 1E+15", "1E+15"},
      {12345678901234567.0, " 1.23456789012346E+16", "1.23456789012346E+16"}, {1e100, " 1E+100", "1E+100"},
      {kInf, " 0", "0"}, {-kInf, " 0", "0"}, {std::nan(""), " 0", "0"}};
  // clang-format on
  for (const auto& [value, text, general] : cases) {
    EXPECT_EQ(numberText(value), text) << value;
    EXPECT_EQ(generalForm(value), general) << value;
  }
  for (double value : {0.1, 33.29, 1.0 / 3, 3e-7, -2.75e18, 6.02e23, 1e-300, 132712751999.99998}) {
    EXPECT_NEAR(numericValue(numberText(value)), value, std::fabs(value) * 5e-15) << value;
  }
}

TEST(Format, TruncationCutsTowardMinusInfinity) {
  // 100 x 0.29 is 28.999999999999996 in doubles
  // clang-format off
  const std::tuple<double, int, double> cases[] = {{12.96, 1, 12.9}, {-0.05, 1, -0.1}, {12.345, 0, 12}, {-1.5, 0, -2},
      {0.12345, 4, 0.1234}, {99.9999, 3, 99.999}, {0.29, 2, 0.28}, {1234.5678, 3, 1234.567}};
  // clang-format on
  for (const auto& [value, places, expected] : cases) EXPECT_EQ(truncateTo(value, places), expected) << value;
}

// The decimal digits of m x 2^e by long multiplication, independent of the formatter.
std::string digitsOf(unsigned m, int e) {
  std::string digits = std::to_string(m);
  for (int i = 0; i < e; ++i) {
    int carry = 0;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
      const int d = (*it - '0') * 2 + carry;
      *it = static_cast<char>('0' + d % 10);
      carry = d / 10;
    }
    if (carry > 0) digits.insert(digits.begin(), static_cast<char>('0' + carry));
  }
  return digits;
}

TEST(Format, UsingxWritesTheMaskedText) {
  // clang-format off
  const std::tuple<double, const char*, const char*> cases[] = {
      // worked examples
      {33, "###.###", " 33.000"}, {33.29, "###.###", " 33.289"}, {0.05, "###.###", "  0.050"}, {7, "###", "  7"},
      {250, "###", "250"}, {1000, "###", "1000"}, {12, "#", "12"}, {36, "##.#", "36.0"}, {5.25, "##.#", " 5.2"},
      {123.45, "##.#", "123"}, {12345.6, "##.#", "12345"}, {0.5, "#.###", "0.500"}, {12.3456, "#.###", "12.34"},
      {0, "####", "   0"}, {45.678, "##,##", "45.67"}, {0.5, ".###", "0.500"}, {3.14159, "", "3"},
      {12345678901234.5, "###.##", "12345678901234"},
      // padding limits: 20 blanks, 9 zeros
      {7, "#########################", "                    7"}, {7, "####################", "                   7"},
      {1, "#.###########", "1.0000000000"}, {1.5, "#.##########", "1.5000000000"}, {1.001, "#.#####", "1.00099"},
      // the last separator splits; any other character is a digit position
      {12.34, "#.#.#", " 12.3"}, {5, "#,#.#", "  5.0"}, {3.5, "ab.c", " 3.5"},
      // the low ten digits keep their zeros; above 10^10 the fraction comes from the low part
      {10000000000005, "###", "10000000000005"}, {20000000000.0, "#", "20000000000"},
      {12345678901.25, "###.############", "12345678901.2500"},
      // widening keeps the decimals it can; ln(1000)/ln(10) is just below 3
      {100.5, "##.###", "100.50"}, {1000.5, "###.#", "1000"}, {100, "##.##", "100.00"}, {1000, "##.##", "1000.0"},
      {33.333333333333336, "###.###", " 33.333"}, {999.9999, "###.###", "999.999"}, {1234.5678, "###.###", "1234.56"},
      {-5.25, "##.#", "-5.2"}, {-7, "####", "  -7"}, {std::nan(""), "###.###", "  0.000"}, {kInf, "##", " 0"}};
  // clang-format on
  for (const auto& [value, mask, expected] : cases)
    EXPECT_EQ(masked(value, mask), expected) << value << " " << mask;
  EXPECT_EQ(masked(7, "###", "f = 33.000"), "f = 33.000  7");  // appends to what is there
  // whole numbers beyond 2^53 whose split leaves more than ten low digits keep their own digits
  for (const auto& [m, e] : {std::pair{43u, 81}, {21u, 81}, {27u, 80}, {121u, 79}, {97u, 80}}) {
    const double value = std::ldexp(static_cast<double>(m), e);
    EXPECT_EQ(masked(value, "###.###"), digitsOf(m, e)) << m << " x 2^" << e;
    EXPECT_EQ(masked(-value, "###"), "-" + digitsOf(m, e)) << m << " x 2^" << e;
  }
  EXPECT_EQ(numericValue(masked(kMax, "###.###")), kMax);
}

}  // namespace
}  // namespace bhsim
