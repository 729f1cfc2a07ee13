#pragma once

// The relative motion of a pair, which every term added pair by pair is a function of, and the two
// numbers such a term gives: the pair's relative acceleration is
//   a = -(G m / r²) [ (1 + A) n + B v ]
// with n the unit vector from the second body to the first, v the relative velocity, and each term
// adding its A and B (times its power of 1/c). The functions of the terms are polynomials, so the same
// functions give A and B in units where c = 1 from a motion given in those units.

namespace bhsim::gravity {

struct PairMotion {
  double massRatio = 0;     // ν = m₁ m₂ / m², 1/4 for equal masses
  double mass = 0;          // G m, m = m₁ + m₂
  double distance = 0;      // r
  double potential = 0;     // G m / r
  double speedSquared = 0;  // v²
  double radialSpeed = 0;   // ṙ = n·v
};

struct PairTerms {
  double alongSeparation = 0;  // A
  double alongVelocity = 0;    // B
};

inline constexpr double kPiSquared = 3.141592653589793 * 3.141592653589793;

}  // namespace bhsim::gravity
