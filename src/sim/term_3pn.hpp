#pragma once

// The third post-Newtonian term ("3pn"), conservative, added pair by pair from each pair's relative
// motion, in the harmonic gauge with its logarithmic gauge terms removed: A and B of the relative
// acceleration, and the energy it adds to the 2PN one. Source: T. Mora & C. M. Will, Phys. Rev. D 69
// (2004) 104021, eqs. (2.2)-(2.4) and (2.11) (with the opposite sign of A and B); checked against
// L. Blanchet, Living Rev. Relativity 17 (2014) 2, section 7. See docs/physics.md.

#include <string_view>

#include "sim/gravity_geometry.hpp"
#include "sim/gravity_model.hpp"
#include "sim/pair_motion.hpp"

namespace bhsim::gravity {

struct ThirdPostNewtonianTerm {
  static constexpr Term kTerm = Term::ThirdPostNewtonian;
  static constexpr std::string_view kName = "3pn";
  static constexpr double kInverseLight = kInverseLightToTheSixth;
  static constexpr bool kConservative = true;
  static constexpr bool kLeftOutWhenMerging = true;

  // What the mass ratio makes of the formula: the factor of each product of g = G m / r, v² and ṙ²
  // in A, and in B / ṙ.
  struct Coefficients {
    double ggg, ggv2, ggrdot2, v6, rdot6, gv4, grdot4, gv2rdot2, v4rdot2, v2rdot4;
    double velocityGg, velocityV4, velocityRdot4, velocityGv2, velocityGrdot2, velocityV2rdot2;
  };

  static Coefficients coefficients(double nu) {
    const double nu2 = nu * nu, nu3 = nu2 * nu;
    return {-(16 + (1399.0 / 12 - (41.0 / 16) * kPiSquared) * nu + 35.5 * nu2),
            -nu * (20827.0 / 840 + (123.0 / 64) * kPiSquared - nu2),
            1 + (22717.0 / 168 + (615.0 / 64) * kPiSquared) * nu + 1.375 * nu2 - 7 * nu3,
            0.25 * nu * (11 - 49 * nu + 52 * nu2),
            -2.1875 * nu * (1 - 5 * nu + 5 * nu2),
            0.25 * nu * (75 + 32 * nu - 40 * nu2),
            0.5 * nu * (158 - 69 * nu - 60 * nu2),
            -nu * (121 - 16 * nu - 20 * nu2),
            -0.375 * nu * (20 - 79 * nu + 60 * nu2),
            1.875 * nu * (4 - 18 * nu + 17 * nu2),
            -(4 + (5849.0 / 840 + (123.0 / 32) * kPiSquared) * nu - 25 * nu2 - 8 * nu3),
            -0.125 * nu * (65 - 152 * nu - 48 * nu2),
            -1.875 * nu * (3 - 8 * nu - 2 * nu2),
            -nu * (15 + 27 * nu + 10 * nu2),
            (1.0 / 6) * nu * (329 + 177 * nu + 108 * nu2),
            0.75 * nu * (16 - 37 * nu - 16 * nu2)};
  }

  // A and B (times c⁶).
  [[gnu::always_inline]] static PairTerms relative(const Coefficients& k, const PairMotion& p) {
    const double g = p.potential, v2 = p.speedSquared, rdot = p.radialSpeed, rdot2 = rdot * rdot;
    const double along = g * (g * (k.ggg * g + k.ggv2 * v2 + k.ggrdot2 * rdot2) +
                              v2 * (k.gv4 * v2 + k.gv2rdot2 * rdot2) + k.grdot4 * rdot2 * rdot2) +
                         v2 * v2 * (k.v6 * v2 + k.v4rdot2 * rdot2) +
                         rdot2 * rdot2 * (k.rdot6 * rdot2 + k.v2rdot4 * v2);
    const double withVelocity = g * (k.velocityGg * g + k.velocityGv2 * v2 + k.velocityGrdot2 * rdot2) +
                                v2 * (k.velocityV4 * v2 + k.velocityV2rdot2 * rdot2) +
                                k.velocityRdot4 * rdot2 * rdot2;
    return {along, rdot * withVelocity};
  }
  static PairTerms relative(const PairMotion& p) { return relative(coefficients(p.massRatio), p); }

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
