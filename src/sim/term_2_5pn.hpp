#pragma once

// The 2.5PN radiation reaction ("2.5pn"), added pair by pair from each pair's relative motion (harmonic
// gauge): A and B of the relative acceleration. It keeps no energy: on a circular orbit it drains the
// orbital energy at Peters' rate. Sources: L. Blanchet, Living Rev. Relativity 17 (2014) 2, section 7;
// L. E. Kidder, Phys. Rev. D 52 (1995) 821. See docs/physics.md.

#include <string_view>

#include "sim/gravity_geometry.hpp"
#include "sim/gravity_model.hpp"
#include "sim/pair_motion.hpp"

namespace bhsim::gravity {

struct RadiationReactionTerm {
  static constexpr Term kTerm = Term::RadiationReaction;
  static constexpr std::string_view kName = "2.5pn";
  static constexpr double kInverseLight = kInverseLightToTheFifth;
  static constexpr bool kConservative = false;
  // The leading reaction keeps its say in a merging pair's last step, as it always had.
  static constexpr bool kLeftOutWhenMerging = false;

  struct Coefficients {};  // the formula is short enough to work out every time
  static Coefficients coefficients(double) { return {}; }

  // A and B (times c⁵).
  [[gnu::always_inline]] static PairTerms relative(const Coefficients&, const PairMotion& p) {
    return relative(p);
  }
  [[gnu::always_inline]] static PairTerms relative(const PairMotion& p) {
    const double along =
        -1.6 * p.massRatio * p.potential * p.radialSpeed * (3 * p.speedSquared + (17.0 / 3) * p.potential);
    const double withVelocity = 1.6 * p.massRatio * p.potential * (p.speedSquared + 3 * p.potential);
    return {along, withVelocity};
  }
};

}  // namespace bhsim::gravity
