#pragma once

// The 3.5PN radiation reaction ("3.5pn"), the first post-Newtonian correction of the 2.5PN one, added
// pair by pair from each pair's relative motion (harmonic gauge): A and B of the relative acceleration.
// With the 2.5PN reaction it drains the 1PN energy at the 1PN flux on a circular orbit; in this gauge it
// cancels the 2.5PN reaction on a circular orbit near 9 G m / c² and reverses it inside. Sources:
// B. R. Iyer & C. M. Will, Phys. Rev. D 52 (1995) 6882; M. E. Pati & C. M. Will, Phys. Rev. D 65 (2002)
// 104008; T. Mora & C. M. Will, Phys. Rev. D 69 (2004) 104021, eq. (2.4); L. Blanchet, Living Rev.
// Relativity 17 (2014) 2, section 7. See docs/physics.md.

#include <string_view>

#include "sim/gravity_geometry.hpp"
#include "sim/gravity_model.hpp"
#include "sim/pair_motion.hpp"

namespace bhsim::gravity {

struct RadiationReactionCorrectionTerm {
  static constexpr Term kTerm = Term::RadiationReactionCorrection;
  static constexpr std::string_view kName = "3.5pn";
  static constexpr double kInverseLight = kInverseLightToTheSeventh;
  static constexpr bool kConservative = false;
  static constexpr bool kLeftOutWhenMerging = true;

  // What the mass ratio makes of the formula: the factor of each product of g = G m / r, v² and ṙ² in
  // A / (g ṙ), and in B / g.
  struct Coefficients {
    double gg, v4, rdot4, gv2, grdot2, v2rdot2;
    double velocityGg, velocityV4, velocityRdot4, velocityGv2, velocityGrdot2, velocityV2rdot2;
  };

  static Coefficients coefficients(double nu) {
    const double scale = 1.6 * nu;  // 8 ν / 5
    return {scale * (23.0 / 14) * (43 + 14 * nu),
            scale * (3.0 / 28) * (61 + 70 * nu),
            scale * 70,
            scale * (1.0 / 42) * (519 - 1267 * nu),
            scale * 0.25 * (147 + 188 * nu),
            -scale * 3.75 * (19 + 2 * nu),
            -scale * (1.0 / 42) * (1325 + 546 * nu),
            -scale * (1.0 / 28) * (313 + 42 * nu),
            -scale * 75,
            scale * (1.0 / 42) * (205 + 777 * nu),
            -scale * (1.0 / 12) * (205 + 424 * nu),
            scale * 0.75 * (113 + 2 * nu)};
  }

  // A and B (times c⁷).
  [[gnu::always_inline]] static PairTerms relative(const Coefficients& k, const PairMotion& p) {
    const double g = p.potential, v2 = p.speedSquared, rdot = p.radialSpeed, rdot2 = rdot * rdot;
    const double along = g * (k.gg * g + k.gv2 * v2 + k.grdot2 * rdot2) +
                         v2 * (k.v4 * v2 + k.v2rdot2 * rdot2) + k.rdot4 * rdot2 * rdot2;
    const double withVelocity = g * (k.velocityGg * g + k.velocityGv2 * v2 + k.velocityGrdot2 * rdot2) +
                                v2 * (k.velocityV4 * v2 + k.velocityV2rdot2 * rdot2) +
                                k.velocityRdot4 * rdot2 * rdot2;
    return {g * rdot * along, g * withVelocity};
  }
  static PairTerms relative(const PairMotion& p) { return relative(coefficients(p.massRatio), p); }
};

}  // namespace bhsim::gravity
