#include "sim/term_1pn.hpp"

namespace bhsim::gravity {

double FirstPostNewtonianTerm::energyWithNewtons(std::span<const Body> bodies) {
  const std::size_t count = bodies.size();
  double energy = 0;
  for (std::size_t a = 0; a < count; ++a) {
    const Body& A = bodies[a];
    const double speedSquared = dot(A.velocity, A.velocity);
    energy += 0.5 * A.mass * speedSquared;
    energy += (0.375 * A.mass * speedSquared * speedSquared) / kLightSquared;
    for (std::size_t b = a + 1; b < count; ++b) {
      const Body& B = bodies[b];
      const Vec2 d = A.position - B.position;
      const double r = std::sqrt(dot(d, d));
      energy -= (A.mass * B.mass) / r;
      const Vec2 n = (1 / r) * d;
      const double velocities = 3 * (speedSquared + dot(B.velocity, B.velocity)) -
                                7 * dot(A.velocity, B.velocity) - dot(n, A.velocity) * dot(n, B.velocity);
      energy += ((A.mass * B.mass) / (2 * r)) * velocities / kLightSquared;
    }
    // the three-body term: m_a m_b m_c / (2 r_ab r_ac) over b, c other than a (b = c included)
    for (std::size_t b = 0; b < count; ++b) {
      for (std::size_t e = 0; e < count; ++e) {
        if (b == a || e == a) continue;
        const Vec2 db = A.position - bodies[b].position, de = A.position - bodies[e].position;
        energy += ((A.mass * bodies[b].mass * bodies[e].mass) /
                   (2 * std::sqrt(dot(db, db)) * std::sqrt(dot(de, de)))) /
                  kLightSquared;
      }
    }
  }
  return energy;
}

}  // namespace bhsim::gravity
