#include "format/mask.hpp"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace bhsim {
namespace {

constexpr double kTenTo10 = 10000000000.0;

// The decimal digits of a whole number that is zero or positive; anything else gives "0".
std::string digitsOf(double whole) {
  if (!std::isfinite(whole) || whole < 1) return "0";
  if (whole < 1e18) {  // exactly representable as an integer: the quick way
    char buffer[24];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, static_cast<std::uint64_t>(whole));
    return std::string(buffer, end);
  }
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%.0f", whole);
  return buffer;
}

struct MaskLayout {
  double l = 0;  // integer positions
  double h = 0;  // decimal places
  double lmask = 0;
};

MaskLayout readMask(const std::string& mask) {
  MaskLayout m;
  m.lmask = static_cast<double>(mask.size());
  m.l = m.lmask;
  for (std::size_t i = 1; i <= mask.size(); ++i) {
    const char c = mask[i - 1];
    if (c == '.' || c == ',') {
      m.h = m.lmask - static_cast<double>(i);
      m.l = static_cast<double>(i) - 1;
    }
  }
  return m;
}

// Widens the integer positions for a value above 10^l, giving up decimal places first.
void widen(MaskLayout& m, double inx) {
  if (!(inx > std::pow(10.0, m.l))) return;
  m.l = std::floor(std::log(inx) / std::log(10.0)) + 1;
  if (m.h > 0) {
    m.h = m.lmask - m.l - 1;
    if (m.h < 0) m.h = 0;
  }
}

// The integer text of `v`; leaves in `v` the part whose fraction gives the decimals.
std::string integerText(double& v) {
  if (v > kTenTo10) {
    const double high = std::floor(v / kTenTo10);
    const double rest = v - high * kTenTo10;
    // Far beyond 2^53 the product is rounded and the rest falls outside [0, 10^10): its digits would
    // lengthen the number. Such a value is a whole number whose own digits are exact.
    if (!(rest >= 0 && rest < kTenTo10)) return digitsOf(std::floor(v));
    v = rest;
    const std::string low = digitsOf(std::floor(v));
    std::string text = digitsOf(high);
    if (low.size() < 10) text.append(10 - low.size(), '0');
    text += low;
    return text;
  }
  return digitsOf(std::floor(v));
}

std::string padded(std::string text, double width, char pad, std::size_t supply) {
  if (static_cast<double>(text.size()) < width) {
    const double missing = width - static_cast<double>(text.size());
    const std::size_t count =
        missing < static_cast<double>(supply) ? static_cast<std::size_t>(missing) : supply;
    text.insert(0, count, pad);
  }
  return text;
}

std::string decimalText(double v, double h) {
  const double fraction = v - std::floor(v);
  const double tr = std::pow(10.0, h);
  return padded(digitsOf(std::floor(fraction * tr)), h, '0', 9);
}

}  // namespace

void formatWithMask(double inx, const std::string& mask, std::string& out) {
  const bool negative = std::isfinite(inx) && inx < 0;
  double v = std::isfinite(inx) ? std::fabs(inx) : 0.0;
  MaskLayout m = readMask(mask);
  widen(m, v);
  std::string a1 = integerText(v);
  if (negative) a1.insert(0, 1, '-');
  std::string out1 = padded(std::move(a1), m.l, ' ', 20);
  out += out1;
  if (m.h > 0) {
    out += '.';
    out += decimalText(v, m.h);
  }
}

}  // namespace bhsim
