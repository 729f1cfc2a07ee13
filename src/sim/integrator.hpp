#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace bhsim {

// How a run advances the bodies in time: a row of the table of steppers (sim/steppers.hpp). A value type,
// like GravityModel, chosen for a run and not typed into a field.
struct Integrator {
  unsigned char row = 0;  // 0: the semi-implicit Euler step, the program's own

  friend constexpr bool operator==(Integrator, Integrator) = default;
  static const Integrator Euler;
};

inline constexpr Integrator Integrator::Euler{};

// One integrator users can choose: the name typed on the command line, the label a window shows, a line
// of help, and whether it chooses its own steps (and so takes a tolerance).
struct IntegratorRow {
  std::string_view name;
  std::string_view label;
  std::string_view help;
  bool adaptive = false;
};

// The error per step an adaptive integrator keeps to when no tolerance is given: for a circular orbit
// the energy is then kept to the last digits of a double.
inline constexpr double kDefaultTolerance = 1e-9;
// The tolerances an adaptive integrator takes. Below about 1e-12 its error estimate is rounding, which
// no shorter step lowers: the steps would shrink without end (1e-10 leaves a margin, and is already
// below what a double can show).
inline constexpr double kLeastTolerance = 1e-10;
inline constexpr double kMostTolerance = 1;

inline bool isToleranceInRange(double tolerance) {
  return tolerance >= kLeastTolerance && tolerance <= kMostTolerance;
}

// Every integrator, in the table's order.
std::span<const IntegratorRow> integratorRows();
const IntegratorRow& integratorRow(Integrator integrator);
// The integrator of a name; nullopt for any other text.
std::optional<Integrator> integratorNamed(std::string_view name);
// "euler, ias15".
std::string integratorList();

inline std::string_view integratorName(Integrator integrator) {
  return integratorRow(integrator).name;
}
inline bool isAdaptive(Integrator integrator) {
  return integratorRow(integrator).adaptive;
}

}  // namespace bhsim
