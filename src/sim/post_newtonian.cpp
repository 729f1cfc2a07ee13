#include "sim/post_newtonian.hpp"

namespace bhsim::gravity {
namespace {

template <bool kFirstPostNewtonian, bool kRadiating, int count>
void accelerationsFor(std::span<const Body> bodies, std::span<Vec2> out) {
  Body in[count];
  Vec2 result[count];
  for (int i = 0; i < count; ++i) in[i] = bodies[static_cast<std::size_t>(i)];
  accelerationsOf<kFirstPostNewtonian, kRadiating>(in, result);
  for (int i = 0; i < count; ++i) out[static_cast<std::size_t>(i)] = result[i];
}

template <int count>
void accelerationsFor(GravityModel model, std::span<const Body> bodies, std::span<Vec2> out) {
  switch (model) {
    case GravityModel::Newtonian:
      return accelerationsFor<false, false, count>(bodies, out);
    case GravityModel::FirstPostNewtonian:
      return accelerationsFor<true, false, count>(bodies, out);
    case GravityModel::FirstPostNewtonianRadiating:
      return accelerationsFor<true, true, count>(bodies, out);
    case GravityModel::Radiating:
      return accelerationsFor<false, true, count>(bodies, out);
  }
}

// m2 m3 / m², the symmetric mass ratio (1/4 for equal masses).
double symmetricMassRatio(double mass1, double mass2) {
  const double total = mass1 + mass2;
  return (mass1 * mass2) / (total * total);
}

}  // namespace

void accelerations(GravityModel model, std::span<const Body> bodies, std::span<Vec2> out) {
  if (bodies.size() == 3) {
    accelerationsFor<3>(model, bodies, out);
  } else if (bodies.size() == 2) {
    accelerationsFor<2>(model, bodies, out);
  }
}

Vec2 binaryRelativeAcceleration(GravityModel model, Vec2 separation, Vec2 relativeVelocity, double mass1,
                                double mass2) {
  const double r = std::sqrt(dot(separation, separation));
  const Vec2 n = (1 / r) * separation;
  const double m = mass1 + mass2;
  const double nu = symmetricMassRatio(mass1, mass2);
  const double rdot = dot(n, relativeVelocity);
  const double v3 = dot(relativeVelocity, relativeVelocity);
  const double gmr = m / r;
  double termA = 0, termB = 0;
  if (hasFirstPostNewtonian(model)) {
    termA += ((1 + 3 * nu) * v3 - 1.5 * nu * rdot * rdot - (4 + 2 * nu) * gmr) / (c * c);
    termB += (-2 * (2 - nu) * rdot) / (c * c);
  }
  if (radiates(model)) {
    const double c5 = c * c * c * c * c;
    termA += (-(8.0 / 5) * nu * gmr * rdot * (3 * v3 + (17.0 / 3) * gmr)) / c5;
    termB += ((8.0 / 5) * nu * gmr * (v3 + 3 * gmr)) / c5;
  }
  return (-m / (r * r)) * ((1 + termA) * n + termB * relativeVelocity);
}

double conservedEnergy(GravityModel model, std::span<const Body> bodies) {
  const std::size_t count = bodies.size();
  const bool relativistic = hasFirstPostNewtonian(model);
  double energy = 0;
  for (std::size_t a = 0; a < count; ++a) {
    const Body& A = bodies[a];
    const double v3 = dot(A.velocity, A.velocity);
    energy += 0.5 * A.mass * v3;
    if (relativistic) energy += (0.375 * A.mass * v3 * v3) / kLightSquared;
    for (std::size_t b = a + 1; b < count; ++b) {
      const Body& B = bodies[b];
      const Vec2 d = A.position - B.position;
      const double r = std::sqrt(dot(d, d));
      energy -= (A.mass * B.mass) / r;
      if (!relativistic) continue;
      const Vec2 n = (1 / r) * d;
      const double velocities = 3 * (v3 + dot(B.velocity, B.velocity)) - 7 * dot(A.velocity, B.velocity) -
                                dot(n, A.velocity) * dot(n, B.velocity);
      energy += ((A.mass * B.mass) / (2 * r)) * velocities / kLightSquared;
    }
    if (!relativistic) continue;
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

double binarySpecificEnergy(GravityModel model, Vec2 separation, Vec2 relativeVelocity, double mass1,
                            double mass2) {
  const double r = std::sqrt(dot(separation, separation));
  const double m = mass1 + mass2;
  const double v3 = dot(relativeVelocity, relativeVelocity);
  const double newtonian = 0.5 * v3 - m / r;
  if (!hasFirstPostNewtonian(model)) return newtonian;
  const double nu = symmetricMassRatio(mass1, mass2);
  const double rdot = dot(separation, relativeVelocity) / r;
  const double correction = 0.375 * (1 - 3 * nu) * v3 * v3 +
                            (m / (2 * r)) * ((3 + nu) * v3 + nu * rdot * rdot) + (m * m) / (2 * r * r);
  return newtonian + correction / kLightSquared;
}

// On a circular orbit (ṙ = 0, v = ω r) the two-body 1PN acceleration is ω² r exactly when
// ω² = (m / r³) (1 - (4 + 2ν) x) / (1 - (1 + 3ν) x) with x = m / (r c²): the circular orbit of the
// equations integrated, which PHYSICS.md's ω² = (m / r³) (1 - (3 - ν) x) is to first order in x.
std::optional<double> circularAngularFrequency(double mass1, double mass2, double separation) {
  const double m = mass1 + mass2;
  const double nu = symmetricMassRatio(mass1, mass2);
  const double x = m / (separation * kLightSquared);
  const double factor = (1 - (4 + 2 * nu) * x) / (1 - (1 + 3 * nu) * x);
  if (!(m > 0) || !(separation > 0) || !(factor > 0) || !(1 - (1 + 3 * nu) * x > 0)) return std::nullopt;
  return std::sqrt((m / (separation * separation * separation)) * factor);
}

namespace {

// x^power (1 - (4 + 2ν) x) / (1 - (1 + 3ν) x), x = m / (r c²): (ω m / c³)² on a circular orbit for power
// 3, (ω r / c)² for power 1.
double circularScaled(double x, double nu, int power) {
  return std::pow(x, power) * (1 - (4 + 2 * nu) * x) / (1 - (1 + 3 * nu) * x);
}

// The x of the highest frequency (or speed) of a circular orbit: the orbits wider than it, where the
// value grows as the orbit shrinks, are the ones to start from.
double innermostCircular(double nu, int power) {
  double low = 0, high = 1 / (4 + 2 * nu);
  for (int i = 0; i < 200; ++i) {  // golden-section search for the maximum
    const double a = high - 0.6180339887498949 * (high - low);
    const double b = low + 0.6180339887498949 * (high - low);
    if (circularScaled(a, nu, power) < circularScaled(b, nu, power)) {
      low = a;
    } else {
      high = b;
    }
  }
  return 0.5 * (low + high);
}

// The separation of the wider circular orbit with circularScaled(x) = target, by bisection.
std::optional<double> circularSeparation(double m, double nu, double target, int power) {
  // ν is at most 1/4 for masses of one sign; far below 0 the orbits make no sense
  if (!(m > 0) || !(nu > -1) || !(target > 0) || !std::isfinite(target)) return std::nullopt;
  double low = 0, high = innermostCircular(nu, power);
  if (!(target <= circularScaled(high, nu, power))) return std::nullopt;
  for (int i = 0; i < 200; ++i) {
    const double middle = 0.5 * (low + high);
    if (middle == low || middle == high) break;
    (circularScaled(middle, nu, power) < target ? low : high) = middle;
  }
  const double separation = m / (high * kLightSquared);
  if (!std::isfinite(separation) || !(separation > 0)) return std::nullopt;
  return separation;
}

}  // namespace

std::optional<double> circularSeparationOfFrequency(double mass1, double mass2, double angularFrequency) {
  const double m = mass1 + mass2;
  const double scaled = (angularFrequency * m) / (kLightSquared * c);  // ω m / c³
  return circularSeparation(m, symmetricMassRatio(mass1, mass2), scaled * scaled, 3);
}

std::optional<double> innermostCircularSeparation(double mass1, double mass2) {
  const double m = mass1 + mass2;
  const double nu = symmetricMassRatio(mass1, mass2);
  if (!(m > 0) || !(nu > -1)) return std::nullopt;
  const double separation = m / (innermostCircular(nu, 3) * kLightSquared);
  if (!std::isfinite(separation)) return std::nullopt;
  return separation;
}

std::optional<double> circularSeparationOfSpeed(double mass1, double mass2, double relativeSpeed) {
  const double m = mass1 + mass2;
  const double scaled = relativeSpeed / c;  // (ω r / c)² = x (1 - (4 + 2ν) x) / (1 - (1 + 3ν) x)
  return circularSeparation(m, symmetricMassRatio(mass1, mass2), scaled * scaled, 1);
}

}  // namespace bhsim::gravity
