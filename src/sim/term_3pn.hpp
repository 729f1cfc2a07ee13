#pragma once

// The third post-Newtonian term ("3pn"), conservative, added pair by pair from each pair's relative
// motion, in the harmonic gauge with its logarithmic gauge terms removed: A and B of the relative
// acceleration, and the energy it adds to the 2PN one. Source: T. Mora & C. M. Will, Phys. Rev. D 69
// (2004) 104021, eqs. (2.2)-(2.4) and (2.11) (with the opposite sign of A and B); checked against
// L. Blanchet, Living Rev. Relativity 17 (2014) 2, section 7. See docs/physics.md.

#include "sim/gravity_geometry.hpp"
#include "sim/gravity_model.hpp"
#include "sim/pair_motion.hpp"

namespace bhsim::gravity {

struct ThirdPostNewtonianTerm {
  static constexpr Term kTerm = Term::ThirdPostNewtonian;
  static constexpr double kInverseLight = kInverseLightToTheSixth;

  // A and B (times c⁶).
  [[gnu::always_inline]] static PairTerms relative(const PairMotion& p) {
    const double nu = p.massRatio, g = p.potential, v2 = p.speedSquared, rdot = p.radialSpeed;
    const double nu2 = nu * nu, nu3 = nu2 * nu, rdot2 = rdot * rdot, v4 = v2 * v2, rdot4 = rdot2 * rdot2;
    const double along =
        -(16 + (1399.0 / 12 - (41.0 / 16) * kPiSquared) * nu + 35.5 * nu2) * g * g * g -
        nu * (20827.0 / 840 + (123.0 / 64) * kPiSquared - nu2) * g * g * v2 +
        (1 + (22717.0 / 168 + (615.0 / 64) * kPiSquared) * nu + 1.375 * nu2 - 7 * nu3) * g * g * rdot2 +
        0.25 * nu * (11 - 49 * nu + 52 * nu2) * v4 * v2 -
        2.1875 * nu * (1 - 5 * nu + 5 * nu2) * rdot4 * rdot2 +
        0.25 * nu * (75 + 32 * nu - 40 * nu2) * g * v4 + 0.5 * nu * (158 - 69 * nu - 60 * nu2) * g * rdot4 -
        nu * (121 - 16 * nu - 20 * nu2) * g * v2 * rdot2 -
        0.375 * nu * (20 - 79 * nu + 60 * nu2) * v4 * rdot2 +
        1.875 * nu * (4 - 18 * nu + 17 * nu2) * v2 * rdot4;
    const double withVelocity =
        rdot *
        (-(4 + (5849.0 / 840 + (123.0 / 32) * kPiSquared) * nu - 25 * nu2 - 8 * nu3) * g * g -
         0.125 * nu * (65 - 152 * nu - 48 * nu2) * v4 - 1.875 * nu * (3 - 8 * nu - 2 * nu2) * rdot4 -
         nu * (15 + 27 * nu + 10 * nu2) * g * v2 + (nu / 6) * (329 + 177 * nu + 108 * nu2) * g * rdot2 +
         0.75 * nu * (16 - 37 * nu - 16 * nu2) * v2 * rdot2);
    return {along, withVelocity};
  }

  // The energy per unit reduced mass (times c⁶).
  static double specificEnergy(const PairMotion& p) {
    const double nu = p.massRatio, g = p.potential, v2 = p.speedSquared,
                 rdot2 = p.radialSpeed * p.radialSpeed;
    const double nu2 = nu * nu, nu3 = nu2 * nu, g2 = g * g, v4 = v2 * v2, rdot4 = rdot2 * rdot2;
    return (0.375 + (18469.0 / 840) * nu) * g2 * g2 +
           (1.25 - (6747.0 / 280 - (41.0 / 64) * kPiSquared) * nu - 5.25 * nu2 + 0.5 * nu3) * g2 * g * v2 +
           (1.5 + (2321.0 / 280 - (123.0 / 64) * kPiSquared) * nu + 12.75 * nu2 + 3.5 * nu3) * g2 * g *
               rdot2 +
           (35 - 413 * nu + 1666 * nu2 - 2261 * nu3) / 128 * v4 * v4 +
           (135 - 194 * nu + 406 * nu2 - 108 * nu3) / 16 * g2 * v4 +
           (12 + 248 * nu - 815 * nu2 - 324 * nu3) / 16 * g2 * v2 * rdot2 -
           nu * (731 - 492 * nu - 288 * nu2) / 48 * g2 * rdot4 +
           (55 - 215 * nu + 116 * nu2 + 325 * nu3) / 16 * g * v4 * v2 +
           nu * (5 - 25 * nu + 25 * nu2) / 16 * g * rdot4 * rdot2 -
           nu * (21 + 75 * nu - 375 * nu2) / 16 * g * v4 * rdot2 -
           nu * (9 - 84 * nu + 165 * nu2) / 16 * g * v2 * rdot4;
  }
};

}  // namespace bhsim::gravity
