// The post-Newtonian terms against the closed forms of the literature (docs/physics.md), never against
// the program's own output: on circular orbits the energy against E(x) and the separation against its
// x-series, each difference falling as x^(n+1); the energy kept along eccentric orbits to the order after
// the terms; the radiation reaction against the gravitational-wave flux. Each check compares differences
// at two scales, so that a wrong coefficient anywhere shows as the wrong power.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "sim/circular_orbit.hpp"
#include "sim/constants.hpp"
#include "sim/post_newtonian.hpp"
#include "support.hpp"

namespace bhsim::testing {
namespace {

using gravity::Body;
using gravity::Vec2;

const double kPiSquared = kPi * kPi;

// A pair of masses (gravitational parameters) and its symmetric mass ratio.
struct Masses {
  double m1, m2;
  double total() const { return m1 + m2; }
  double nu() const { return m1 * m2 / (total() * total()); }
  double reduced() const { return m1 * m2 / total(); }
  double length(double overTotal) const {
    return overTotal * total() / (kLightSpeed * kLightSpeed);
  }  // a G m / c², km
};
const Masses kDefault{36 * kSolarGM, 29 * kSolarGM}, kEqual{36 * kSolarGM, 36 * kSolarGM},
    kUnequal{36 * kSolarGM, 9 * kSolarGM};

// The conservative sets through 1PN, 2PN and 3PN.
const char* const kConservative[] = {"1pn", "1pn+2pn", "1pn+2pn+3pn"};

// Σ coefficient[k] x^k for k up to `order`.
double series(const double (&coefficients)[4], double x, int order) {
  double sum = 0;
  for (int k = order; k >= 0; --k) sum = sum * x + coefficients[k];
  return sum;
}

// E(x) / (μ c²) = -(x / 2) [1 + e1 x + e2 x² + e3 x³] (Blanchet's review, eq. 233), and
// G m / (r c²) = x [1 + s1 x + s2 x² + s3 x³] (harmonic, without the logarithm), truncated at x^order.
double circularEnergyOfX(double x, double nu, int order) {
  const double e[4] = {1, -(0.75 + nu / 12), -(27.0 / 8 - 19.0 / 8 * nu + nu * nu / 24),
                       -(675.0 / 64 - (34445.0 / 576 - 205.0 / 96 * kPiSquared) * nu + 155.0 / 96 * nu * nu +
                         35.0 / 5184 * nu * nu * nu)};
  return -(x / 2) * series(e, x, order);
}
double separationOfX(double x, double nu, int order) {
  const double s[4] = {
      1, 1 - nu / 3, 1 - 65.0 / 12 * nu,
      1 + (-2203.0 / 2520 - 41.0 / 192 * kPiSquared) * nu + 229.0 / 36 * nu * nu + nu * nu * nu / 81};
  return x * series(s, x, order);
}

using Pair = std::array<Body, 2>;

// The pair in its centre-of-mass frame, from its separation x₁ - x₂ and relative velocity.
Pair pairOf(const Masses& m, Vec2 separation, Vec2 velocity) {
  const double X1 = m.m2 / m.total(), X2 = -m.m1 / m.total();
  return {Body{X1 * separation, X1 * velocity, m.m1}, Body{X2 * separation, X2 * velocity, m.m2}};
}

// The circular orbit of the model at `overTotal` G m / c²: separation along x, velocity along y, ω.
struct Circular {
  Vec2 x, v;
  double omega;
};
Circular circularOrbit(GravityModel model, const Masses& m, double overTotal) {
  const double r = m.length(overTotal),
               omega = gravity::circularAngularFrequency(model, m.m1, m.m2, r).value();
  return {{r, 0}, {0, omega * r}, omega};
}

double frequencyParameter(const Masses& m, double omega) {  // x = (G m ω / c³)^(2/3)
  return std::pow(m.total() * omega / (kLightSpeed * kLightSpeed * kLightSpeed), 2.0 / 3);
}

// How a difference scales: its ratio between an orbit and one twice as wide.
double ratio(const auto& difference, double overTotal) {
  return difference(overTotal) / difference(2 * overTotal);
}

// At 1PN, ω² = (m / r³) (1 - (4 + 2ν) x) / (1 - (1 + 3ν) x) has no circular orbit inside (4 + 2ν) G m / c²:
// where both factors are negative (inside (1 + 3ν) G m / c²) their quotient is positive, yet no orbit is.
TEST(CircularOrbits, NoneAtOnePnInsideFourPlusTwoNuGmOverCSquared) {
  const GravityModel model = named("1pn");
  for (double overTotal : {0.5, 1.0, 1.7, 3.0, 4.4})
    EXPECT_FALSE(
        gravity::circularAngularFrequency(model, kDefault.m1, kDefault.m2, kDefault.length(overTotal)))
        << overTotal;
  EXPECT_TRUE(gravity::circularAngularFrequency(model, kDefault.m1, kDefault.m2, kDefault.length(4.6)));
}

TEST(CircularOrbits, TheEnergyIsEOfXToTheOrderOfTheTermsAndTheSeparationItsSeries) {
  for (int order = 1; order <= 3; ++order) {
    const GravityModel model = named(kConservative[order - 1]);
    const auto energy = [&](double overTotal) {
      const Circular o = circularOrbit(model, kDefault, overTotal);
      const double perMass = gravity::binarySpecificEnergy(model, o.x, o.v, kDefault.m1, kDefault.m2);
      EXPECT_NEAR(gravity::conservedEnergy(model, pairOf(kDefault, o.x, o.v)) / kDefault.reduced(), perMass,
                  1e-12 * std::fabs(perMass));
      return perMass / (kLightSpeed * kLightSpeed *
                        circularEnergyOfX(frequencyParameter(kDefault, o.omega), kDefault.nu(), order)) -
             1;
    };
    const auto separation = [&](double overTotal) {
      const double omega = circularOrbit(model, kDefault, overTotal).omega;
      return (1 / overTotal) / separationOfX(frequencyParameter(kDefault, omega), kDefault.nu(), order) - 1;
    };
    const double power = std::pow(2, order + 1);  // x falls by 2 when the orbit widens by 2
    for (double overTotal : {50.0, 100.0}) {
      EXPECT_NEAR(ratio(energy, overTotal), power, 0.1 * power)
          << kConservative[order - 1] << " " << overTotal;
      EXPECT_NEAR(ratio(separation, overTotal), power, 0.1 * power)
          << kConservative[order - 1] << " " << overTotal;
    }
  }
}

// The largest change of the model's energy along two orbits of semi-major axis `overTotal` G m / c² and
// eccentricity 0.6 (where the terms in ṙ count), started at periastron with Newton's speed and
// integrated by a fourth-order Runge-Kutta method (6000 steps an orbit, its own error far below what is
// measured), relative to the energy: of the N-body accelerations and energy (`twoBody` false) or of the
// two-body forms.
double energyChange(GravityModel model, const Masses& m, double overTotal, bool twoBody) {
  const double a = m.length(overTotal), e = 0.6, periastron = a * (1 - e);
  const double dt = 2 * kPi * std::sqrt(a * a * a / m.total()) / 6000;
  Pair bodies = pairOf(m, {periastron, 0}, {0, std::sqrt(m.total() * (1 + e) / periastron)});
  const auto energy = [&](const Pair& b) {
    return twoBody ? gravity::binarySpecificEnergy(model, b[0].position - b[1].position,
                                                   b[0].velocity - b[1].velocity, m.m1, m.m2)
                   : gravity::conservedEnergy(model, b);
  };
  const auto acceleration = [&](const Pair& b, std::array<Vec2, 2>& out) {
    if (!twoBody) return gravity::accelerations(model, b, out);
    const Pair relative =
        pairOf(m, {},
               gravity::binaryRelativeAcceleration(model, b[0].position - b[1].position,
                                                   b[0].velocity - b[1].velocity, m.m1, m.m2));
    out = {relative[0].velocity, relative[1].velocity};
  };
  const double start = energy(bodies);
  double low = start, high = start;
  for (int step = 0; step < 12000; ++step) {
    std::array<Vec2, 2> dv[4];
    Pair stage[4] = {bodies};  // the stages of the method, each from the derivative of the one before
    for (int k = 0; k < 4; ++k) {
      acceleration(stage[k], dv[k]);
      for (int i = 0; k < 3 && i < 2; ++i)
        stage[k + 1][i] = {bodies[i].position + (k < 2 ? dt / 2 : dt) * stage[k][i].velocity,
                           bodies[i].velocity + (k < 2 ? dt / 2 : dt) * dv[k][i], bodies[i].mass};
    }
    for (int i = 0; i < 2; ++i) {
      bodies[i].position = bodies[i].position + (dt / 6) * (stage[0][i].velocity + 2 * stage[1][i].velocity +
                                                            2 * stage[2][i].velocity + stage[3][i].velocity);
      bodies[i].velocity =
          bodies[i].velocity + (dt / 6) * (dv[0][i] + 2 * dv[1][i] + 2 * dv[2][i] + dv[3][i]);
    }
    low = std::min(low, energy(bodies)), high = std::max(high, energy(bodies));
  }
  return (high - low) / std::fabs(start);
}

// Under the conservative terms through order n the energy through order n is kept up to terms of order
// n + 1: doubling the orbit divides its change by 4, 8, 16. The N-body accelerations of equal masses
// reduce to the two-body equations exactly; for unequal masses the two-body forms are checked (mass ratio
// 4, far from equal masses, so that every power of ν counts).
TEST(EccentricOrbits, TheEnergyIsKeptToTheOrderAfterTheTerms) {
  for (int order = 1; order <= 3; ++order) {
    const GravityModel model = named(kConservative[order - 1]);
    const double power = std::pow(2, order + 1);
    for (const auto& [masses, twoBody] : {std::pair{kEqual, false}, std::pair{kUnequal, true}}) {
      const auto change = [&](double overTotal) { return energyChange(model, masses, overTotal, twoBody); };
      EXPECT_NEAR(ratio(change, 400), power, 0.1 * power) << kConservative[order - 1] << " " << twoBody;
    }
  }
}

// The energy the reaction terms drain from a circular orbit of the 2PN terms, dE/dt = μ ∂e/∂v · a,
// against the quadrupole flux with its 1PN correction, (32/5) (c⁵/G) ν² x⁵ [1 - (1247/336 + 35ν/12) x]
// (in the program's units G × energy a second): through 3.5PN the difference falls as x², with 2.5PN
// alone, against the leading flux, as x.
TEST(EnergyBalance, TheReactionThrough3_5PNDrainsTheFluxOfFirstOrder) {
  const GravityModel conservative = named("1pn+2pn");
  const auto difference = [&](const char* model, int fluxOrder) {
    return [=](double overTotal) {
      const auto [x, v, omega] = circularOrbit(conservative, kDefault, overTotal);
      const auto pairAcceleration = [&](GravityModel m) {
        return gravity::binaryRelativeAcceleration(m, x, v, kDefault.m1, kDefault.m2);
      };
      const Vec2 reaction = pairAcceleration(named(model)) - pairAcceleration(conservative);
      const double h = 1e-6 * std::sqrt(gravity::dot(v, v));
      const auto energy = [&](Vec2 velocity) {
        return gravity::binarySpecificEnergy(conservative, x, velocity, kDefault.m1, kDefault.m2);
      };
      const Vec2 gradient{(energy(v + Vec2{h, 0}) - energy(v - Vec2{h, 0})) / (2 * h),
                          (energy(v + Vec2{0, h}) - energy(v - Vec2{0, h})) / (2 * h)};
      const double lost = -kDefault.reduced() * gravity::dot(gradient, reaction);
      const double xi = frequencyParameter(kDefault, omega), nu = kDefault.nu();
      const double flux = 32.0 / 5 * std::pow(kLightSpeed, 5) * nu * nu * std::pow(xi, 5) *
                          (1 - (fluxOrder > 0 ? (1247.0 / 336 + 35.0 / 12 * nu) * xi : 0));
      return lost / flux - 1;
    };
  };
  for (double overTotal : {100.0, 200.0}) {
    EXPECT_NEAR(ratio(difference("1pn+2pn+2.5pn+3.5pn", 1), overTotal), 4, 0.4) << overTotal;
    EXPECT_NEAR(ratio(difference("1pn+2pn+2.5pn", 0), overTotal), 2, 0.2) << overTotal;
  }
}

}  // namespace
}  // namespace bhsim::testing
