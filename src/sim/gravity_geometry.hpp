#pragma once

// What every gravity term works on: plane vectors, bodies, the speed of light's powers, and what the
// accelerations need of the positions alone (each pair's distance, direction and pull), worked out once
// a step. Masses are gravitational parameters (km^3/s^2), lengths km, times s.

#include <cmath>

#include "sim/constants.hpp"

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

inline constexpr double kLightSquared = kLightSpeed * kLightSpeed;
inline constexpr double kInverseLightSquared = 1 / kLightSquared;
inline constexpr double kInverseLightToTheFourth = kInverseLightSquared * kInverseLightSquared;
inline constexpr double kInverseLightToTheFifth = kInverseLightSquared * kInverseLightSquared / kLightSpeed;
inline constexpr double kInverseLightToTheSixth = kInverseLightToTheFourth * kInverseLightSquared;
inline constexpr double kInverseLightToTheSeventh = kInverseLightToTheFifth * kInverseLightSquared;

// The positions' share of the accelerations. A pair at the same point pulls nothing.
template <int count>
struct Geometry {
  double distance[count][count];
  Vec2 unit[count][count];       // unit[a][b]: the direction from b towards a
  double inverse[count][count];  // 1 / distance, 0 for a pair at one point
  double pull[count][count];     // pull[a][b]: m_b / r_ab², the Newtonian pull of b on a
  double share[count][count];    // share[a][b]: m_b / (m_a + m_b), 0 for a pair of no total mass
  double potential[count];       // the sum of m_b / r_ab over the other bodies b
  Vec2 newtonian[count];
  Vec2 positional[count];  // with the 1PN term: its acceleration's terms in positions only
};

// The templates here and in the terms are the step's hot path: always inlined, so that the step keeps
// its state in registers (called, they cost the step about a third more).
template <int count>
[[gnu::always_inline]] inline Geometry<count> newtonianGeometryOf(const Body (&body)[count]) {
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
  for (int a = 0; a < count; ++a) {
    g.newtonian[a] = {};
    g.potential[a] = 0;
    for (int b = 0; b < count; ++b) {
      if (b == a) continue;
      g.newtonian[a] = g.newtonian[a] + g.pull[a][b] * g.unit[b][a];
      g.potential[a] += body[b].mass * g.inverse[a][b];
    }
  }
  return g;
}

}  // namespace bhsim::gravity
