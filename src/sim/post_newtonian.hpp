#pragma once

// Post-Newtonian gravity as pure functions of positions, velocities and masses (gravitational
// parameters, km^3/s^2; km, s). The Einstein-Infeld-Hoffmann acceleration (1PN, any number of bodies,
// harmonic gauge) and the 2.5PN radiation reaction of each pair, added pair by pair. The formulas and
// their sources are in PHYSICS.md.

#include <cmath>
#include <optional>
#include <span>

#include "sim/constants.hpp"
#include "sim/gravity_model.hpp"

namespace bhsim::gravity {

struct Vec2 {
  double x = 0, y = 0;
};

inline Vec2 operator+(Vec2 a, Vec2 b) {
  return {a.x + b.x, a.y + b.y};
}
inline Vec2 operator-(Vec2 a, Vec2 b) {
  return {a.x - b.x, a.y - b.y};
}
inline Vec2 operator*(double k, Vec2 a) {
  return {k * a.x, k * a.y};
}
inline double dot(Vec2 a, Vec2 b) {
  return a.x * b.x + a.y * b.y;
}

// One body: where it is, how fast it moves and its mass as a gravitational parameter.
struct Body {
  Vec2 position, velocity;
  double mass = 0;
};

inline constexpr double kLightSquared = c * c;
inline constexpr double kInverseLightSquared = 1 / kLightSquared;
inline constexpr double kInverseLightToTheFifth = kInverseLightSquared * kInverseLightSquared / c;

// What the accelerations need of the positions alone, worked out once a step: each pair's distance,
// direction and pull, the Newtonian accelerations and, with 1PN terms, the part of each body's 1PN
// acceleration that does not depend on the velocities. A pair at the same point pulls nothing.
template <int count>
struct Geometry {
  double distance[count][count];
  Vec2 unit[count][count];       // unit[a][b]: the direction from b towards a
  double inverse[count][count];  // 1 / distance, 0 for a pair at one point
  double pull[count][count];     // pull[a][b]: m_b / r_ab², the Newtonian pull of b on a
  double share[count][count];    // share[a][b]: m_b / (m_a + m_b), 0 for a pair of no total mass
  Vec2 newtonian[count];
  Vec2 positional[count];  // the 1PN acceleration's terms in positions only
};

// The templates below are the step's hot path: always inlined, so that the step keeps its state in
// registers (called, they cost the step about a third more).
template <bool kFirstPostNewtonian, int count>
[[gnu::always_inline]] inline Geometry<count> geometryOf(const Body (&body)[count]) {
  Geometry<count> g;
  for (int a = 0; a < count; ++a) {
    g.distance[a][a] = g.inverse[a][a] = g.pull[a][a] = 0;
    for (int b = a + 1; b < count; ++b) {
      const Vec2 d = body[a].position - body[b].position;
      const double square = dot(d, d);
      g.distance[a][b] = g.distance[b][a] = std::sqrt(square);
      const double inv = square == 0 ? 0 : 1 / g.distance[a][b];
      g.inverse[a][b] = g.inverse[b][a] = inv;
      g.unit[a][b] = inv * d;
      g.unit[b][a] = (-inv) * d;
      g.pull[a][b] = (body[b].mass * inv) * inv;
      g.pull[b][a] = (body[a].mass * inv) * inv;
      const double total = body[a].mass + body[b].mass;
      g.share[a][b] = total == 0 ? 0 : body[b].mass / total;
      g.share[b][a] = total == 0 ? 0 : body[a].mass / total;
    }
  }
  double potential[count];  // the sum of m_C / r_AC over the other bodies C
  for (int a = 0; a < count; ++a) {
    g.newtonian[a] = {};
    potential[a] = 0;
    for (int b = 0; b < count; ++b) {
      if (b == a) continue;
      g.newtonian[a] = g.newtonian[a] + g.pull[a][b] * g.unit[b][a];
      potential[a] += body[b].mass * g.inverse[a][b];
    }
  }
  if constexpr (kFirstPostNewtonian) {
    for (int a = 0; a < count; ++a) {
      Vec2 sum = g.newtonian[a];
      for (int b = 0; b < count; ++b) {
        if (b == a) continue;
        const double bracket =
            -4 * potential[a] - potential[b] + 0.5 * dot(body[b].position - body[a].position, g.newtonian[b]);
        sum = sum + ((g.pull[a][b] * bracket) * kInverseLightSquared) * g.unit[b][a];
        sum = sum + ((3.5 * body[b].mass * g.inverse[a][b]) * kInverseLightSquared) * g.newtonian[b];
      }
      g.positional[a] = sum;
    }
  }
  return g;
}

// The Einstein-Infeld-Hoffmann acceleration of body a (PHYSICS.md), the Newtonian accelerations standing
// in for the accelerations inside its brackets: the positional terms plus those of the velocities.
template <int count>
[[gnu::always_inline]] inline Vec2 firstPostNewtonianOf(const Geometry<count>& g, const Body (&body)[count],
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

// Adds the 2.5PN radiation reaction of each pair: the pair's relative acceleration through the 2.5PN
// terms of PHYSICS.md, shared in the inverse ratio of the masses.
template <int count>
[[gnu::always_inline]] inline void addRadiationReaction(const Geometry<count>& g, const Body (&body)[count],
                                                        Vec2 (&acceleration)[count]) {
  for (int a = 0; a < count; ++a) {
    for (int b = a + 1; b < count; ++b) {
      const double total = body[a].mass + body[b].mass;
      if (total == 0 || g.inverse[a][b] == 0) continue;
      const double shareOfA = g.share[a][b], shareOfB = g.share[b][a];
      const double ratio = shareOfA * shareOfB;  // ν = m_a m_b / m²
      const Vec2 v = body[a].velocity - body[b].velocity;
      const double rdot = dot(g.unit[a][b], v), v3 = dot(v, v), potential = total * g.inverse[a][b];
      const double along = -1.6 * ratio * potential * rdot * (3 * v3 + (17.0 / 3) * potential);
      const double withVelocity = 1.6 * ratio * potential * (v3 + 3 * potential);
      const double scale = -(g.pull[a][b] + g.pull[b][a]) * kInverseLightToTheFifth;  // -(m / r²) / c⁵
      const Vec2 relative = scale * (along * g.unit[a][b] + withVelocity * v);
      acceleration[a] = acceleration[a] + shareOfA * relative;
      acceleration[b] = acceleration[b] - shareOfB * relative;
    }
  }
}

// The accelerations of `count` bodies (2 or 3) at the positions of `g`, with 1PN terms
// (kFirstPostNewtonian) or Newton's law, plus each pair's radiation reaction (kRadiating).
template <bool kFirstPostNewtonian, bool kRadiating, int count>
[[gnu::always_inline]] inline void accelerationsAt(const Geometry<count>& g, const Body (&body)[count],
                                                   Vec2 (&acceleration)[count]) {
  for (int a = 0; a < count; ++a) {
    if constexpr (kFirstPostNewtonian) {
      acceleration[a] = firstPostNewtonianOf(g, body, a);
    } else {
      acceleration[a] = g.newtonian[a];
    }
  }
  if constexpr (kRadiating) addRadiationReaction(g, body, acceleration);
}

template <bool kFirstPostNewtonian, bool kRadiating, int count>
void accelerationsOf(const Body (&body)[count], Vec2 (&acceleration)[count]) {
  accelerationsAt<kFirstPostNewtonian, kRadiating>(geometryOf<kFirstPostNewtonian>(body), body, acceleration);
}

// The accelerations of the bodies (two or three) under `model`; `out` has one entry per body.
void accelerations(GravityModel model, std::span<const Body> bodies, std::span<Vec2> out);

// The relative acceleration a1 - a2 of a pair in its centre-of-mass frame, through the terms of the model
// (the two-body formula, written independently of the N-body one), from the separation x2 - x3 and the
// relative velocity v2 - v3.
Vec2 binaryRelativeAcceleration(GravityModel model, Vec2 separation, Vec2 relativeVelocity, double mass1,
                                double mass2);

// The energy the model's conservative part keeps (1PN for 1pn and 1pn+2.5pn, Newton's otherwise), in the
// units of the Newtonian energy (G times an energy).
double conservedEnergy(GravityModel model, std::span<const Body> bodies);
// The same for a pair, per unit reduced mass, in its centre-of-mass frame (a pair of which one body has no
// mass, whose energy is 0).
double binarySpecificEnergy(GravityModel model, Vec2 separation, Vec2 relativeVelocity, double mass1,
                            double mass2);

// Circular orbits at 1PN (harmonic coordinates): the angular frequency at a separation, and the
// separation of an angular frequency or of a relative speed ω r. nullopt where the model has no circular
// orbit (inside the innermost ones, or for a total mass that is not positive).
std::optional<double> circularAngularFrequency(double mass1, double mass2, double separation);
std::optional<double> circularSeparationOfFrequency(double mass1, double mass2, double angularFrequency);
std::optional<double> circularSeparationOfSpeed(double mass1, double mass2, double relativeSpeed);
// The innermost circular orbit, of the highest angular frequency: 5.2 to 5.8 G m / c² by the mass ratio,
// inside the innermost stable orbit below.
std::optional<double> innermostCircularSeparation(double mass1, double mass2);

// 6 G m / c²: the innermost stable circular orbit of a test mass about the total mass, where
// post-Newtonian gravity stops and the pair merges.
inline double innermostStableSeparation(double mass1, double mass2) {
  return (6 * (mass1 + mass2)) / kLightSquared;
}

}  // namespace bhsim::gravity
