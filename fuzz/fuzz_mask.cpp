// formatWithMask with any value (the first 8 bytes, every bit pattern a double can hold) and any mask (the
// rest). The text is appended, holds only blanks, a sign, digits and one point, and reads back as the value
// cut toward zero to the decimals shown.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "format/mask.hpp"
#include "format/numeric_value.hpp"

namespace {

std::string shownText;
double shownValue = 0;

void require(bool condition) {
  if (condition) return;
  std::fprintf(stderr, "USINGX(%.17g) gave '%s'\n", shownValue, shownText.c_str());
  std::abort();
}

constexpr std::size_t kMaxMask = 4096;

void checkCharacters(const std::string& text, double value) {
  require(!text.empty());
  require(text.find_first_not_of(" -.0123456789") == std::string::npos);
  const std::size_t point = text.find('.');
  require(point == std::string::npos || text.find('.', point + 1) == std::string::npos);
  const std::size_t sign = text.find('-');
  require(sign == std::string::npos || (value < 0 && text.find('-', sign + 1) == std::string::npos));
  const std::size_t first = text.find_first_not_of(' ');
  require(first != std::string::npos && first == text.find_first_of("-0123456789"));
}

// The integer part is the value's; the decimals are cut, never rounded up. Only 9 zeros of padding are at
// hand, so a fraction needing more than 9 leading zeros comes out shifted left: beyond 9 decimal places
// the text may read larger than the value, though never by a whole unit.
void checkValue(const std::string& text, double value) {
  if (!std::isfinite(value) || std::fabs(value) > 1e300) return;
  const double shown = std::fabs(bhsim::numericValue(text));
  const double magnitude = std::fabs(value);
  const double whole = std::floor(magnitude);
  const double slack = 1e-14 * magnitude;
  require(shown >= whole - slack && shown < whole + 1 + slack);
  const std::size_t point = text.find('.');
  const std::size_t decimals = point == std::string::npos ? 0 : text.size() - point - 1;
  if (decimals <= 9) require(shown <= magnitude + slack);
  require(bhsim::numericValue(text) == 0 || (bhsim::numericValue(text) < 0) == (value < 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  double value = 0;
  if (size > 0) std::memcpy(&value, data, size < sizeof value ? size : sizeof value);
  const std::size_t rest = size > sizeof value ? size - sizeof value : 0;
  const std::string mask(reinterpret_cast<const char*>(data) + (size - rest),
                         rest < kMaxMask ? rest : kMaxMask);
  const std::string prefix = "<>";
  std::string out = prefix;
  bhsim::formatWithMask(value, mask, out);
  require(out.compare(0, prefix.size(), prefix) == 0);
  const std::string text = out.substr(prefix.size());
  shownText = text;
  shownValue = value;
  checkCharacters(text, value);
  checkValue(text, value);
  return 0;
}
