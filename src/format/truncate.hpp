#pragma once

#include <cmath>

namespace bhsim {

// Int(10^k x) / 10^k for the decimal counts the system shows (0 to 4): cut toward minus infinity, never
// rounded. The powers of ten are exact doubles, so this is the arithmetic as written.
inline double truncateTo(double x, int decimals) {
  constexpr double kPowers[] = {1.0, 10.0, 100.0, 1000.0, 10000.0};
  const double scale = kPowers[decimals];
  return std::floor(scale * x) / scale;
}

}  // namespace bhsim
