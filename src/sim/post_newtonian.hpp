#pragma once

// Post-Newtonian gravity as pure functions of positions, velocities and masses (gravitational
// parameters, km^3/s^2; km, s): Newton's law with a model's terms, each in a file of its own (term_*.hpp).
// The 1PN term is the Einstein-Infeld-Hoffmann acceleration of every body; the others are added pair by
// pair from each pair's relative motion. The formulas and their sources are in docs/physics.md.

#include <span>

#include "sim/gravity_geometry.hpp"
#include "sim/gravity_model.hpp"
#include "sim/gravity_terms.hpp"
#include "sim/pair_coefficients.hpp"

namespace bhsim::gravity {

// The positions' share of the accelerations under `kModel`.
template <GravityModel kModel, int count>
[[gnu::always_inline]] inline Geometry<count> geometryOf(const Body (&body)[count]) {
  Geometry<count> g = newtonianGeometryOf(body);
  if constexpr (kModel.has(Term::FirstPostNewtonian)) FirstPostNewtonianTerm::addPositional(g, body);
  return g;
}

// The share of the pair's relative acceleration of one pair term: -(m / r²) c^-k (A n + B v).
template <class PairTerm>
[[gnu::always_inline]] inline Vec2 pairTermAcceleration(const PairTerms& terms, double pull, Vec2 unit,
                                                        Vec2 v) {
  const double scale = -pull * PairTerm::kInverseLight;
  return scale * (terms.alongSeparation * unit + terms.alongVelocity * v);
}

// A pair closer than its merger separation 6 G m / c² (G m / r above c² / 6) merges at the end of the
// step. The terms of second order and beyond, huge numbers there, get no say in its last step: they
// would throw the bodies far out of all bounds before the merger takes them.
inline constexpr double kMergingPotential = kLightSquared / 6;

// The relative acceleration of a pair through the pair terms of `kModel`, in the order of the expansion,
// with the coefficients of its mass ratio.
template <GravityModel kModel>
[[gnu::always_inline]] inline Vec2 pairAcceleration(const PairCoefficients& k, const PairMotion& pair,
                                                    double pull, Vec2 unit, Vec2 v) {
  const bool merging = pair.potential > kMergingPotential;
  Vec2 sum;
  bool first = true;  // the first term is the sum, as it stands
  forEachTerm(PairTermList{}, [&](auto term) {
    using Term = decltype(term);
    if constexpr (kModel.has(Term::kTerm)) {
      if (Term::kLeftOutWhenMerging && merging) return;
      const Vec2 part = pairTermAcceleration<Term>(Term::relative(k.of<Term>(), pair), pull, unit, v);
      sum = first ? part : sum + part;
      first = false;
    }
  });
  return sum;
}

// Adds the pair terms of each pair: the pair's relative acceleration through them, shared in the inverse
// ratio of the masses. `kept` holds the coefficients of each pair's mass ratio (1-2, 1-3, 2-3) between
// calls; they are worked out again where the mass ratio is not theirs.
template <GravityModel kModel, int count>
[[gnu::always_inline]] inline void addPairTerms(const Geometry<count>& g, const Body (&body)[count],
                                                Vec2 (&acceleration)[count], PairCoefficientsOfBodies& kept) {
  for (int a = 0; a < count; ++a) {
    for (int b = a + 1; b < count; ++b) {
      const double total = body[a].mass + body[b].mass;
      if (total == 0 || g.inverse[a][b] == 0) continue;
      const double shareOfA = g.share[a][b], shareOfB = g.share[b][a];
      const Vec2 v = body[a].velocity - body[b].velocity;
      const PairMotion pair{shareOfA * shareOfB,     total,     g.distance[a][b],
                            total * g.inverse[a][b], dot(v, v), dot(g.unit[a][b], v)};
      PairCoefficients& k = kept[a + b - 1];
      if constexpr (hasPairCoefficients<kModel>()) keepPairCoefficients<kModel>(k, pair.massRatio);
      const Vec2 relative = pairAcceleration<kModel>(k, pair, g.pull[a][b] + g.pull[b][a], g.unit[a][b], v);
      acceleration[a] = acceleration[a] + shareOfA * relative;
      acceleration[b] = acceleration[b] - shareOfB * relative;
    }
  }
}

// The accelerations of `count` bodies (2 or 3) at the positions of `g` under `kModel`.
template <GravityModel kModel, int count>
[[gnu::always_inline]] inline void accelerationsAt(const Geometry<count>& g, const Body (&body)[count],
                                                   Vec2 (&acceleration)[count],
                                                   PairCoefficientsOfBodies& kept) {
  for (int a = 0; a < count; ++a) {
    if constexpr (kModel.has(Term::FirstPostNewtonian)) {
      acceleration[a] = FirstPostNewtonianTerm::accelerationOf(g, body, a);
    } else {
      acceleration[a] = g.newtonian[a];
    }
  }
  if constexpr (kModel.hasPairTerms()) addPairTerms<kModel>(g, body, acceleration, kept);
}

template <GravityModel kModel, int count>
void accelerationsOf(const Body (&body)[count], Vec2 (&acceleration)[count]) {
  PairCoefficientsOfBodies none;
  accelerationsAt<kModel>(geometryOf<kModel>(body), body, acceleration, none);
}

// The accelerations of the bodies (two or three) under `model`; `out` has one entry per body. Under
// Newton's law, summed pair by pair as m dx / r³.
void accelerations(GravityModel model, std::span<const Body> bodies, std::span<Vec2> out);

// The relative acceleration a1 - a2 of a pair in its centre-of-mass frame through the terms of the model
// (the two-body forms, written independently of the N-body accelerations), from the separation x1 - x2
// and the relative velocity v1 - v2.
Vec2 binaryRelativeAcceleration(GravityModel model, Vec2 separation, Vec2 relativeVelocity, double mass1,
                                double mass2);

// The energy the model's conservative terms keep (G times an energy): Newton's, the 1PN energy of the
// Einstein-Infeld-Hoffmann Lagrangian, and each pair's 2PN and 3PN energy (for three bodies an
// approximation).
double conservedEnergy(GravityModel model, std::span<const Body> bodies);
// The same for a pair, per unit reduced mass, in its centre-of-mass frame (for a pair of which one body
// has no mass, whose energy is 0).
double binarySpecificEnergy(GravityModel model, Vec2 separation, Vec2 relativeVelocity, double mass1,
                            double mass2);

// m₁ m₂ / m², the symmetric mass ratio (1/4 for equal masses).
inline double symmetricMassRatio(double mass1, double mass2) {
  const double total = mass1 + mass2;
  return (mass1 * mass2) / (total * total);
}

// 6 G m / c²: the innermost stable circular orbit of a test mass about the total mass, where
// post-Newtonian gravity stops and the pair merges.
inline double innermostStableSeparation(double mass1, double mass2) {
  return (6 * (mass1 + mass2)) / kLightSquared;
}

}  // namespace bhsim::gravity
