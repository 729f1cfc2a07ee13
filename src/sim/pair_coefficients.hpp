#pragma once

// What a pair's mass ratio makes of the pair terms' formulas, worked out once for a mass ratio: a step
// keeps one for each pair between steps (the masses rarely change), which spares it most of the pair
// terms' arithmetic.

#include <limits>

#include "sim/gravity_model.hpp"
#include "sim/term_2pn.hpp"
#include "sim/term_3_5pn.hpp"
#include "sim/term_3pn.hpp"

namespace bhsim::gravity {

struct PairCoefficients {
  double massRatio = std::numeric_limits<double>::quiet_NaN();  // ν they are of; none at first
  SecondPostNewtonianTerm::Coefficients second{};
  ThirdPostNewtonianTerm::Coefficients third{};
  RadiationReactionCorrectionTerm::Coefficients correction{};
};

// Whether the pair terms of `kModel` have coefficients to keep (the 2.5PN reaction has none).
template <GravityModel kModel>
constexpr bool hasPairCoefficients() {
  return kModel.has(Term::SecondPostNewtonian) || kModel.has(Term::ThirdPostNewtonian) ||
         kModel.has(Term::RadiationReactionCorrection);
}

// Makes `k` the coefficients of the pair terms of `kModel` for the mass ratio ν, unless they are.
template <GravityModel kModel>
[[gnu::always_inline]] inline void keepPairCoefficients(PairCoefficients& k, double nu) {
  if (k.massRatio == nu) return;
  k.massRatio = nu;
  if constexpr (kModel.has(Term::SecondPostNewtonian)) k.second = SecondPostNewtonianTerm::coefficients(nu);
  if constexpr (kModel.has(Term::ThirdPostNewtonian)) k.third = ThirdPostNewtonianTerm::coefficients(nu);
  if constexpr (kModel.has(Term::RadiationReactionCorrection))
    k.correction = RadiationReactionCorrectionTerm::coefficients(nu);
}

// The coefficients of the pairs of up to three bodies (1-2, 1-3, 2-3), kept by a step.
using PairCoefficientsOfBodies = PairCoefficients[3];

}  // namespace bhsim::gravity
