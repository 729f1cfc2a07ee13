#pragma once

// The first post-Newtonian term ("1pn"): the Einstein-Infeld-Hoffmann acceleration of any number of
// bodies (harmonic gauge), with the Newtonian accelerations standing in for the accelerations inside its
// brackets; its two-body form in the centre-of-mass frame; and the energy its Lagrangian keeps.
// Sources: A. Einstein, L. Infeld & B. Hoffmann, Ann. Math. 39 (1938) 65; C. M. Will, Theory and
// Experiment in Gravitational Physics (1993), eq. 6.80; the two-body form and energy: L. Blanchet,
// Living Rev. Relativity 17 (2014) 2, section 7. See docs/physics.md.

#include <span>
#include <string_view>

#include "sim/gravity_geometry.hpp"
#include "sim/gravity_model.hpp"
#include "sim/pair_motion.hpp"

namespace bhsim::gravity {

struct FirstPostNewtonianTerm {
  static constexpr Term kTerm = Term::FirstPostNewtonian;
  static constexpr std::string_view kName = "1pn";
  static constexpr double kInverseLight = kInverseLightSquared;

  // A and B of two bodies (times c²).
  static PairTerms relative(const PairMotion& p) {
    const double nu = p.massRatio, v2 = p.speedSquared, rdot = p.radialSpeed;
    return {(1 + 3 * nu) * v2 - 1.5 * nu * rdot * rdot - (4 + 2 * nu) * p.potential, -2 * (2 - nu) * rdot};
  }

  // The energy per unit reduced mass of two bodies (times c²).
  static double specificEnergy(const PairMotion& p) {
    const double nu = p.massRatio, v2 = p.speedSquared, rdot = p.radialSpeed, m = p.mass, r = p.distance;
    return 0.375 * (1 - 3 * nu) * v2 * v2 + (m / (2 * r)) * ((3 + nu) * v2 + nu * rdot * rdot) +
           (m * m) / (2 * r * r);
  }

  // The part of each body's acceleration that depends on the positions alone, into g.positional.
  template <int count>
  [[gnu::always_inline]] static void addPositional(Geometry<count>& g, const Body (&body)[count]) {
    for (int a = 0; a < count; ++a) {
      Vec2 sum = g.newtonian[a];
      for (int b = 0; b < count; ++b) {
        if (b == a) continue;
        const double bracket = -4 * g.potential[a] - g.potential[b] +
                               0.5 * dot(body[b].position - body[a].position, g.newtonian[b]);
        sum = sum + ((g.pull[a][b] * bracket) * kInverseLightSquared) * g.unit[b][a];
        sum = sum + ((3.5 * body[b].mass * g.inverse[a][b]) * kInverseLightSquared) * g.newtonian[b];
      }
      g.positional[a] = sum;
    }
  }

  // Body a's acceleration, Newton's included: the positional terms plus those of the velocities.
  template <int count>
  [[gnu::always_inline]] static Vec2 accelerationOf(const Geometry<count>& g, const Body (&body)[count],
                                                    int a) {
    const Vec2 va = body[a].velocity;
    Vec2 sum = g.positional[a];
    for (int b = 0; b < count; ++b) {
      if (b == a) continue;
      const Vec2 vb = body[b].velocity;
      const double radial = dot(g.unit[a][b], vb);
      const double bracket = dot(va, va) + 2 * dot(vb, vb) - 4 * dot(va, vb) - 1.5 * (radial * radial);
      const double pull = g.pull[a][b] * kInverseLightSquared;
      sum = sum + (pull * bracket) * g.unit[b][a];
      sum = sum + (pull * dot(g.unit[a][b], 4 * va - 3 * vb)) * (va - vb);
    }
    return sum;
  }

  // The energy of the bodies, Newton's included: the energy of the Einstein-Infeld-Hoffmann Lagrangian
  // (G times an energy).
  static double energyWithNewtons(std::span<const Body> bodies);
};

}  // namespace bhsim::gravity
