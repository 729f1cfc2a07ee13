#pragma once

// The second post-Newtonian term ("2pn"), conservative, added pair by pair from each pair's relative
// motion (harmonic gauge): A and B of the relative acceleration, and the energy it adds to the 1PN one.
// Sources: L. Blanchet, Living Rev. Relativity 17 (2014) 2, section 7; T. Mora & C. M. Will, Phys. Rev.
// D 69 (2004) 104021, eqs. (2.2)-(2.4) and (2.11) (with the opposite sign of A and B). See
// docs/physics.md.

#include <string_view>

#include "sim/gravity_geometry.hpp"
#include "sim/gravity_model.hpp"
#include "sim/pair_motion.hpp"

namespace bhsim::gravity {

struct SecondPostNewtonianTerm {
  static constexpr Term kTerm = Term::SecondPostNewtonian;
  static constexpr std::string_view kName = "2pn";
  static constexpr double kInverseLight = kInverseLightToTheFourth;
  static constexpr bool kConservative = true;
  static constexpr bool kLeftOutWhenMerging = true;

  // What the mass ratio makes of the formula: the factor of each product of g = G m / r, v² and ṙ²
  // in A, and in B / ṙ.
  struct Coefficients {
    double gg, v4, rdot4, gv2, grdot2, v2rdot2;
    double velocityG, velocityV2, velocityRdot2;
  };

  static Coefficients coefficients(double nu) {
    const double nu2 = nu * nu;
    return {0.75 * (12 + 29 * nu),         nu * (3 - 4 * nu),         1.875 * nu * (1 - 3 * nu),
            -0.5 * nu * (13 - 4 * nu),     -(2 + 25 * nu + 2 * nu2),  -1.5 * nu * (3 - 4 * nu),
            0.5 * (4 + 41 * nu + 8 * nu2), -0.5 * nu * (15 + 4 * nu), 1.5 * nu * (3 + 2 * nu)};
  }

  // A and B (times c⁴).
  [[gnu::always_inline]] static PairTerms relative(const Coefficients& k, const PairMotion& p) {
    const double g = p.potential, v2 = p.speedSquared, rdot = p.radialSpeed, rdot2 = rdot * rdot;
    const double along = g * (k.gg * g + k.gv2 * v2 + k.grdot2 * rdot2) +
                         v2 * (k.v4 * v2 + k.v2rdot2 * rdot2) + k.rdot4 * rdot2 * rdot2;
    return {along, rdot * (k.velocityG * g + k.velocityV2 * v2 + k.velocityRdot2 * rdot2)};
  }
  static PairTerms relative(const PairMotion& p) { return relative(coefficients(p.massRatio), p); }

  // The energy per unit reduced mass (times c⁴).
  static double specificEnergy(const PairMotion& p) {
    const double nu = p.massRatio, g = p.potential, v2 = p.speedSquared,
                 rdot2 = p.radialSpeed * p.radialSpeed;
    return 0.3125 * (1 - 7 * nu + 13 * nu * nu) * v2 * v2 * v2 +
           (g / 8) * ((21 - 23 * nu - 27 * nu * nu) * v2 * v2 + 2 * nu * (1 - 15 * nu) * v2 * rdot2 -
                      3 * nu * (1 - 3 * nu) * rdot2 * rdot2) +
           (g * g / 8) * ((14 - 55 * nu + 4 * nu * nu) * v2 + (4 + 69 * nu + 12 * nu * nu) * rdot2) -
           (g * g * g / 4) * (2 + 15 * nu);
  }
};

}  // namespace bhsim::gravity
