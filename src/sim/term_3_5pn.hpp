#pragma once

// The 3.5PN radiation reaction ("3.5pn"), the first post-Newtonian correction of the 2.5PN one, added
// pair by pair from each pair's relative motion (harmonic gauge): A and B of the relative acceleration.
// With the 2.5PN reaction it drains the 1PN energy at the 1PN flux on a circular orbit; in this gauge it
// cancels the 2.5PN reaction on a circular orbit near 9 G m / c² and reverses it inside. Sources:
// M. E. Pati & C. M. Will, Phys. Rev. D 65 (2002) 104008; T. Mora & C. M. Will, Phys. Rev. D 69 (2004)
// 104021, eq. (2.4); L. Blanchet, Living Rev. Relativity 17 (2014) 2, section 7. See docs/physics.md.

#include "sim/gravity_geometry.hpp"
#include "sim/gravity_model.hpp"
#include "sim/pair_motion.hpp"

namespace bhsim::gravity {

struct RadiationReactionCorrectionTerm {
  static constexpr Term kTerm = Term::RadiationReactionCorrection;
  static constexpr double kInverseLight = kInverseLightToTheSeventh;

  // A and B (times c⁷).
  [[gnu::always_inline]] static PairTerms relative(const PairMotion& p) {
    const double nu = p.massRatio, g = p.potential, v2 = p.speedSquared, rdot = p.radialSpeed;
    const double rdot2 = rdot * rdot, v4 = v2 * v2, scale = 1.6 * nu * g;
    const double along = scale * rdot *
                         ((23.0 / 14) * (43 + 14 * nu) * g * g + (3.0 / 28) * (61 + 70 * nu) * v4 +
                          70 * rdot2 * rdot2 + (519 - 1267 * nu) / 42 * g * v2 +
                          0.25 * (147 + 188 * nu) * g * rdot2 - 3.75 * (19 + 2 * nu) * v2 * rdot2);
    const double withVelocity =
        -scale * ((1325 + 546 * nu) / 42 * g * g + (313 + 42 * nu) / 28 * v4 + 75 * rdot2 * rdot2 -
                  (205 + 777 * nu) / 42 * g * v2 + (205 + 424 * nu) / 12 * g * rdot2 -
                  0.75 * (113 + 2 * nu) * v2 * rdot2);
    return {along, withVelocity};
  }
};

}  // namespace bhsim::gravity
