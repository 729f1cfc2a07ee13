#include "format/number_text.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace bhsim {
namespace {

// A value rounded to 15 significant digits: its digits without trailing zeros and the decimal exponent
// of the first digit.
struct Digits {
  std::string digits;
  int exponent = 0;
};

Digits roundTo15(double magnitude) {
  char buffer[40];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer - 1, magnitude, std::chars_format::scientific, 14);
  *result.ptr = '\0';
  Digits d;
  const char* p = buffer;
  for (; *p != 'e'; ++p) {
    if (*p != '.') d.digits += *p;
  }
  d.exponent = std::atoi(p + 1);
  while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
  return d;
}

std::string exponentForm(const Digits& d) {
  std::string text = d.digits.substr(0, 1);
  if (d.digits.size() > 1) {
    text += '.';
    text.append(d.digits, 1);
  }
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "E%c%02d", d.exponent < 0 ? '-' : '+', std::abs(d.exponent));
  return text + buffer;
}

std::string plainForm(const Digits& d, bool zeroBeforePoint) {
  std::string text;
  if (d.exponent < 0) {
    text = zeroBeforePoint ? "0." : ".";
    text.append(static_cast<std::size_t>(-d.exponent - 1), '0');
    text += d.digits;
    return text;
  }
  const auto integerDigits = static_cast<std::size_t>(d.exponent) + 1;
  if (d.digits.size() <= integerDigits) {
    text = d.digits;
    text.append(integerDigits - d.digits.size(), '0');
    return text;
  }
  text.assign(d.digits, 0, integerDigits);
  text += '.';
  text.append(d.digits, integerDigits);
  return text;
}

// The magnitude of `value` without its sign; values that are not finite show as 0.
std::string magnitudeText(double value, bool zeroBeforePoint) {
  const double magnitude = std::isfinite(value) ? std::fabs(value) : 0.0;
  if (magnitude == 0) return "0";
  const Digits d = roundTo15(magnitude);
  if (d.exponent >= 15 || d.exponent < -5) return exponentForm(d);
  return plainForm(d, zeroBeforePoint);
}

bool isNegative(double value) {
  return std::isfinite(value) && value < 0;
}

}  // namespace

std::string numberText(double value) {
  std::string text(1, isNegative(value) ? '-' : ' ');
  text += magnitudeText(value, false);
  return text;
}

std::string generalForm(double value) {
  std::string text = isNegative(value) ? "-" : "";
  text += magnitudeText(value, true);
  return text;
}

std::string roundTripText(double value) {
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return ec == std::errc() ? std::string(buffer, end) : std::string("nan");
}

}  // namespace bhsim
