// Any bytes as the text of a field. Its value is always finite; a text that is a number as a whole reads
// the same both ways; the number text and the general form of the value read back as the value.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "format/number_text.hpp"
#include "format/numeric_value.hpp"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

// Both texts keep 15 significant digits.
bool sameTo15Digits(double a, double b) {
  return a == b || std::fabs(a - b) <= 1e-14 * std::fabs(b);
}

// Values that round up past the largest double at 15 digits cannot be read back; below that they must.
constexpr double kReadableLimit = 1e308;

void checkShown(double value) {
  for (const std::string& shown : {bhsim::numberText(value), bhsim::generalForm(value)}) {
    require(!shown.empty());
    require(shown.find_first_not_of(" -.0123456789E+") == std::string::npos);
    require(bhsim::plainDecimalValue(shown) == bhsim::numericValue(shown));
    if (std::fabs(value) < kReadableLimit) require(sameTo15Digits(bhsim::numericValue(shown), value));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const double value = bhsim::numericValue(text);
  const double whole = bhsim::plainDecimalValue(text);
  require(std::isfinite(value));
  require(std::isfinite(whole));
  require(whole == 0 || whole == value);
  checkShown(value);
  return 0;
}
