#include "sim/remnant.hpp"

#include <cmath>

#include "sim/constants.hpp"

namespace bhsim {
namespace {

// The energy per unit mass of a test mass on the innermost stable orbit of a black hole without spin,
// sqrt(8/9): what a small body has left when it plunges.
const double kInnermostOrbitEnergy = std::sqrt(8.0 / 9.0);

// ν (2√3 + t2 ν + t3 ν²): the orbital angular momentum of a test mass at the innermost stable orbit
// (2√3 ν) corrected for comparable masses.
double finalSpin(double nu) {
  constexpr double t2 = -3.5171, t3 = 2.5763;
  return nu * (2 * std::sqrt(3.0) + t2 * nu + t3 * nu * nu);
}

// E_rad / (m c^2) = (1 - E_isco) ν + 4 ν² (4 p0 + E_isco - 1): the binding energy at the innermost stable
// orbit for small ν, the equal-mass value p0 at ν = 1/4.
double radiatedFraction(double nu) {
  constexpr double p0 = 0.04827;
  return (1 - kInnermostOrbitEnergy) * nu + 4 * nu * nu * (4 * p0 + kInnermostOrbitEnergy - 1);
}

// v = A ν² √(1 - 4ν) (1 + B ν), where √(1 - 4ν) = |m1 - m2| / m.
double recoil(double nu, double massDifference) {
  constexpr double a = 1.2e4, b = -0.93;
  return a * nu * nu * massDifference * (1 + b * nu);
}

}  // namespace

std::optional<Remnant> remnantOf(double m1, double m2) {
  if (!(m1 > 0 && m2 > 0 && std::isfinite(m1 + m2))) return std::nullopt;
  const double m = m1 + m2;
  const double nu = (m1 / m) * (m2 / m);
  return Remnant{m * (1 - radiatedFraction(nu)), finalSpin(nu), recoil(nu, std::fabs(m1 - m2) / m)};
}

double ringdownFrequencyFit(double chi) {
  return 1.5251 - 1.1568 * std::pow(1 - chi, 0.1292);
}

double ringdownQualityFit(double chi) {
  return 0.7000 + 1.4187 * std::pow(1 - chi, -0.4990);
}

// ω = (M ω) c³ / (G M) and τ = 2 Q / ω.
RingdownMode ringdownMode(const Remnant& remnant) {
  const double omega =
      ringdownFrequencyFit(remnant.spin) * (kLightSpeed * kLightSpeed * kLightSpeed) / remnant.mass;
  return {omega, 2 * ringdownQualityFit(remnant.spin) / omega};
}

}  // namespace bhsim
