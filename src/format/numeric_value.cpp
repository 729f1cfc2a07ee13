#include "format/numeric_value.hpp"

#include <charconv>
#include <cmath>
#include <cstddef>

namespace bhsim {
namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

struct Scan {
  std::size_t end = 0;  // one past the last character of the number
  bool negative = false;
  std::size_t mantissaStart = 0;  // first character after the sign
  bool hasDigits = false;
};

// Finds the longest number at the start of `text` (after blanks). `end` stays at the start when there is
// none.
Scan scanNumber(std::string_view text) {
  Scan s;
  std::size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    s.negative = text[i] == '-';
    ++i;
  }
  s.mantissaStart = i;
  bool point = false;
  for (; i < text.size(); ++i) {
    if (isDigit(text[i])) {
      s.hasDigits = true;
    } else if (text[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!s.hasDigits) return s;
  s.end = i;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && isDigit(text[j])) {
      while (j < text.size() && isDigit(text[j])) ++j;
      s.end = j;
    }
  }
  return s;
}

double convert(std::string_view text, const Scan& s) {
  double value = 0;
  const char* first = text.data() + s.mantissaStart;
  const char* last = text.data() + s.end;
  auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
  if (ec != std::errc() || ptr != last || !std::isfinite(value)) return 0;
  return s.negative ? -value : value;
}

// The text from_chars reads: it takes a "-" but not a "+", so one "+" before the rest is dropped here.
std::string_view withoutPlus(std::string_view text) {
  if (text.size() > 1 && text[0] == '+' && text[1] != '+' && text[1] != '-') text.remove_prefix(1);
  return text;
}

}  // namespace

double numericValue(std::string_view text) {
  Scan s = scanNumber(text);
  if (!s.hasDigits) return 0;
  return convert(text, s);
}

double plainDecimalValue(std::string_view text) {
  Scan s = scanNumber(text);
  if (!s.hasDigits) return 0;
  for (std::size_t i = s.end; i < text.size(); ++i) {
    if (!isBlank(text[i])) return 0;
  }
  return convert(text, s);
}

std::optional<double> argumentNumber(std::string_view text) {
  text = withoutPlus(text);
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<std::int64_t> argumentInteger(std::string_view text) {
  text = withoutPlus(text);
  std::int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

}  // namespace bhsim
