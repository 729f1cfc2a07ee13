// The text conventions at their limits: values far beyond 2^53 in USINGX, and field texts no user means.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "format/number_text.hpp"
#include "format/numeric_value.hpp"
#include "format/usingx.hpp"

namespace bhsim {
namespace {

// The decimal digits of m x 2^e, by long multiplication on a digit string: a reckoning of its own,
// independent of the formatting under test.
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

std::string usingx(double value, const std::string& mask) {
  std::string out;
  USINGX(value, mask, out);
  return out;
}

// Whole numbers where v - Int(v / 10^10) x 10^10 leaves [0, 10^10) in double arithmetic: 43 x 2^81
// leaves 17179869184 (eleven digits), 21 x 2^81 leaves -8589934592. Each is shown with its own digits.
TEST(UsingxBeyondTwoToThe53, WritesTheDigitsOfTheWholeNumber) {
  const struct {
    unsigned m;
    int e;
  } cases[] = {{43, 81}, {21, 81}, {27, 80}, {121, 79}, {55, 81}, {97, 80}};
  for (const auto& c : cases) {
    const double value = std::ldexp(static_cast<double>(c.m), c.e);
    const std::string digits = digitsOf(c.m, c.e);
    EXPECT_EQ(usingx(value, "###"), digits) << c.m << " x 2^" << c.e;
    EXPECT_EQ(usingx(value, "###.###"), digits) << c.m << " x 2^" << c.e;
    EXPECT_EQ(usingx(-value, "###"), "-" + digits) << c.m << " x 2^" << c.e;
  }
}

TEST(UsingxBeyondTwoToThe53, ReadsBackAsTheValue) {
  for (double value : {1.9872222549903386e+233, std::ldexp(43.0, 81), std::numeric_limits<double>::max()}) {
    const std::string text = usingx(value, "###.###");
    EXPECT_EQ(numericValue(text), value) << text;
    EXPECT_EQ(text.size(), static_cast<std::size_t>(std::floor(std::log10(value))) + 1) << text;
  }
}

TEST(HostileFieldTexts, ReadAsFiniteNumbers) {
  const struct {
    std::string text;
    double value;
  } cases[] = {
      {std::string(10000, '7'), 0},              // too large for a double
      {"1" + std::string(400, '0'), 0},          // likewise
      {"0." + std::string(5000, '0') + "1", 0},  // below the smallest double
      {"1e999999999999999999999", 0},
      {"-1e-999999999999999999999", 0},
      {std::string(5000, ' ') + "3", 3},
      {"3" + std::string(5000, 'x'), 3},
      {"\xef\xbc\x91", 0},  // a full-width digit is no digit
      {"inf", 0},
      {"nan", 0},
      {"0x10", 0},
      {"1.7976931348623157e308", std::numeric_limits<double>::max()},
      {"1.8e308", 0},
  };
  for (const auto& c : cases) {
    const double value = numericValue(c.text);
    EXPECT_TRUE(std::isfinite(value)) << c.text.substr(0, 40);
    EXPECT_EQ(std::fabs(value), std::fabs(c.value)) << c.text.substr(0, 40);
  }
}

TEST(HostileFieldTexts, ValuesThatAreNotNumbersShowAsZero) {
  for (double value : {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                       std::numeric_limits<double>::quiet_NaN()}) {
    EXPECT_EQ(numberText(value), " 0");
    EXPECT_EQ(generalForm(value), "0");
    EXPECT_EQ(usingx(value, "###.###"), "  0.000");
  }
}

}  // namespace
}  // namespace bhsim
