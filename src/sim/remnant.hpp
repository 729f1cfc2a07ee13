#pragma once

// The black hole that black holes 1 and 2 leave when they merge, from fits to numerical relativity for
// black holes without spin, and the ringing of its dominant mode. Masses are gravitational parameters
// (km^3/s^2), speeds km/s, times s. docs/physics.md, "The remnant and its ringdown", gives the formulas,
// their sources and their limits.

#include <optional>

#include "sim/loop_state.hpp"

namespace bhsim {

struct Remnant {
  double mass = 0;  // G M_f, km^3/s^2: the two masses less the energy carried away by the waves
  double spin = 0;  // c J / (G M_f^2), between 0 and 1
  double kick = 0;  // recoil speed in the orbital plane, km/s
};

// The remnant of two black holes without spin: its spin from Barausse & Rezzolla (ApJ 704, 2009, L40),
// the energy radiated from Barausse, Morozova & Rezzolla (ApJ 758, 2012, 63), the recoil from González et
// al. (Phys. Rev. Lett. 98, 2007, 091101). None unless both masses are positive and finite.
std::optional<Remnant> remnantOf(double m1, double m2);

// The remnant of a configuration that black holes 1 and 2 ended by merging (not one "Stop" ended), from
// their masses at the end; none for any other end.
inline std::optional<Remnant> remnantAtEnd(const LoopState& end, bool stopped) {
  if (stopped || end.reason != EndReason::Merger12) return std::nullopt;
  return remnantOf(end.m1, end.m2);
}

// The fits of Berti, Cardoso & Will (Phys. Rev. D 73, 2006, 064030, table VIII) for the (l = m = 2,
// n = 0) mode of a black hole of spin chi: its angular frequency times G M / c^3, and its quality factor.
double ringdownFrequencyFit(double chi);
double ringdownQualityFit(double chi);

// The mode as the remnant rings: angular frequency (rad/s) and the time its amplitude takes to fall by e.
struct RingdownMode {
  double angularFrequency = 0;
  double dampingTime = 0;
};
RingdownMode ringdownMode(const Remnant& remnant);

}  // namespace bhsim
