// The adaptive integrator (IAS15) against closed forms and the fixed step: Peters' inspiral time reached at
// the method's order, a merger timed to a nanosecond, the 1PN and the Newtonian energy kept, a pass
// within a kilometre inside one step caught, the table read as the fixed step's; its command line and
// grids.
#include <gtest/gtest.h>

#include <cmath>

#include "sim/adaptive_step.hpp"
#include "sim/energy.hpp"
#include "sim/orbit.hpp"
#include "sim/steppers.hpp"
#include "support.hpp"

namespace bhsim::testing {
namespace {

using Integration = step::AdaptiveIntegration<step::GaussRadau>;
const Integrator kIas15 = *integratorNamed("ias15");

// Two bodies in their centre-of-mass frame, black hole 2 at (r, 0) from black hole 1 moving at (0, v)
// relative to it; no step longer than `period`.
LoopState pair(GravityModel model, double m1, double m2, double r, double v, double period) {
  LoopState s;
  const double m = m1 + m2;
  s.gravity = model, s.bodiesInPlay = s.bodyCount = 2, s.m1 = m1, s.m2 = m2;
  s.variableStep = true, s.dt = period / 1000, s.stepsPerRevolution = 1000;
  s.x1 = -(m2 / m) * r, s.x2 = (m1 / m) * r, s.vy1 = -(m2 / m) * v, s.vy2 = (m1 / m) * v;
  s.dist12 = s.minDist12 = r;
  return s;
}

// 36 and 29 solar masses on the set-up's orbit of `frequency` Hz under `model`.
LoopState setUpPair(GravityModel model, double frequency) {
  RunParameters p;
  p.BH1 = 36, p.BH2 = 29, p.f = frequency, p.stepsPerRevolution = 1000, p.gravity = model;
  const Orbit o = computeOrbit(p, 2);
  return pair(model, 36 * kSolarGM, 29 * kSolarGM, o.dist, o.v1 + o.v2, 1 / frequency);
}

double separationRate(const LoopState& s) {
  return ((s.x2 - s.x1) * (s.vx2 - s.vx1) + (s.y2 - s.y1) * (s.vy2 - s.vy1)) / s.dist12;
}

// When the separation comes to `a`: with `limit`, from the state a step ends with at that time, one
// Newton step on; without, as the run locates it on its dense output.
double timeAtSeparation(LoopState s, double tolerance, double a, double limit = 0) {
  s.timeLimit = limit;
  Integration run(s, tolerance);
  for (;;) {
    const double start = s.time;
    run.advance(s);
    if (limit > 0 && s.endCode == EndCode::Ends) return s.time + (a - s.dist12) / separationRate(s);
    if (limit > 0 || !(s.dist12 < a)) continue;
    LoopState at;
    return step::firstFractionWhere(start, s.time, [&](double t) {
      run.stateAt(s, t, at);
      return at.dist12 < a;
    });
  }
}

// Under 2.5pn from 5 Hz, the time to half the separation at step ends converges as a 15th-order method
// whose step goes as the tolerance's 7th root should: 10^(15/7) = 139 a decade. It is Peters'
// T(a0) - T(a0/2) to the accuracy of his adiabatic closed form, (64/5) nu x^(5/2) ~ 3e-4 at 5 Hz, and the
// time the run locates on its dense output is the same to the last digits.
TEST(AdaptiveSteps, TheInspiralTimeConvergesAtTheMethodsOrderOntoPeters) {
  const LoopState s = setUpPair(named("2.5pn"), 5);
  const double a0 = s.dist12, located = timeAtSeparation(s, kDefaultTolerance, a0 / 2);
  double t[3];
  for (int k = 0; k < 3; ++k) t[k] = timeAtSeparation(s, std::pow(10, -2 - k), a0 / 2, located);
  const double ratio = (t[0] - t[1]) / (t[1] - t[2]);
  EXPECT_GT(ratio, 50);
  EXPECT_LT(ratio, 500);
  EXPECT_NEAR(t[2], located, 1e-12 * located);
  const auto peters = [&](double a) {
    return (5.0 / 256) * std::pow(kLightSpeed, 5) * std::pow(a, 4) / (s.m1 * s.m2 * (s.m1 + s.m2));
  };
  EXPECT_NEAR(located / (peters(a0) - peters(a0 / 2)), 1, 4e-4);
}

// The merger at 6 G m / c^2 from 10 Hz, located on the dense output, against the time from a step ending
// a microsecond before it (one Newton step on: its error is below 1e-10 s), at two tolerances.
TEST(AdaptiveSteps, TheMergerIsFoundToANanosecond) {
  const LoopState start = setUpPair(named("2.5pn"), 10);
  const double merger = gravity::innermostStableSeparation(start.m1, start.m2);
  for (double tolerance : {1e-6, 1e-9}) {
    LoopState s = start;
    Integration run(s, tolerance);
    while (s.endCode != EndCode::Ends) run.advance(s);
    EXPECT_EQ(s.reason, EndReason::Merger12);
    EXPECT_LT(s.dist12, merger);
    EXPECT_NEAR(s.time, timeAtSeparation(start, 1e-9, merger, s.time - 1e-6), 1e-9);
  }
}

// Over 1,000 orbits of equal masses (whose centre of mass stays at rest at 1PN), the 1PN energy of the
// set-up's circular orbit at 5 Hz, at every step, and of an orbit of e = 0.5 at a = 100 G m / c^2, at
// every periastron, where the orbit comes back to itself turned.
TEST(AdaptiveSteps, KeepTheFirstPostNewtonianEnergyOfCircularAndEccentricOrbits) {
  const GravityModel model = named("1pn");
  const double m = 65 * kSolarGM, a = 100 * m / (kLightSpeed * kLightSpeed),
               period = 2 * kPi * std::sqrt(a * a * a / m);
  RunParameters p;
  p.BH1 = p.BH2 = 32.5, p.f = 5, p.stepsPerRevolution = 1000, p.gravity = model;
  const Orbit o = computeOrbit(p, 2);
  const std::pair<LoopState, bool> orbits[] = {
      {pair(model, m / 2, m / 2, o.dist, o.v1 + o.v2, 0.2), false},
      {pair(model, m / 2, m / 2, a / 2, std::sqrt(3 * m / a), period), true}};
  for (const auto& [start, atPeriastra] : orbits) {
    LoopState s = start, at;
    Integration run(s, kDefaultTolerance);
    const double e0 = modelEnergy(s);
    double worst = 0;
    while (s.time < 1000 * (start.dt * 1000)) {
      const double begin = s.time, before = separationRate(s);
      run.advance(s);
      at = s;
      if (atPeriastra && !(before < 0 && separationRate(s) >= 0)) continue;
      if (atPeriastra) {
        run.stateAt(s,
                    step::firstFractionWhere(begin, s.time,
                                             [&](double t) {
                                               run.stateAt(s, t, at);
                                               return separationRate(at) >= 0;
                                             }),
                    at);
      }
      worst = std::max(worst, std::fabs(modelEnergy(at) - e0) / std::fabs(e0));
    }
    EXPECT_LT(worst, 1e-12) << atPeriastra;
  }
}

// The Newtonian energy of each of the 37 default three-body configurations, at every step while black
// hole 3 is free: through its passes by the pair at a tenth of their separation and at the speed of light.
TEST(AdaptiveSteps, KeepTheNewtonianEnergyOfTheDefaultThreeBodiesWhileTheThirdIsFree) {
  Harness h;
  h.program.options.integrator = kIas15;
  h.configure(3);
  h.run();
  ASSERT_EQ(h.recorder.starts.size(), 37u);
  for (LoopState s : h.recorder.starts) {
    Integration run(s, kDefaultTolerance);
    const double e0 = totalEnergy(s);
    double worst = 0;
    for (run.advance(s); s.bodiesInPlay == 3 && s.endCode != EndCode::Ends; run.advance(s))
      worst = std::max(worst, std::fabs(totalEnergy(s) - e0) / std::fabs(e0));
    EXPECT_LT(worst, 1e-12) << s.alpha;
  }
}

// Black holes 2 and 3 without mass on circular orbits 0.5 km apart about black hole 1, turning opposite
// ways, pass within 1 km of each other in 14 microseconds, inside one step of a few milliseconds: the
// merger is found where it begins. The fixed step, at the same number of steps, steps over it.
TEST(AdaptiveSteps, CatchABlackHoleThreePassingWithinAKilometreInsideAStep) {
  const double m = 30 * kSolarGM, r2 = 1000, r3 = 1000.5, meet = 0.0123;
  const double w2 = std::sqrt(m / (r2 * r2 * r2)), w3 = -std::sqrt(m / (r3 * r3 * r3));
  LoopState s;
  s.bodiesInPlay = s.bodyCount = 3, s.m1 = m, s.variableStep = true, s.dt = 1e-4;
  s.stepsPerRevolution = 1000, s.minDist12 = s.minDist13 = s.minDist23 = r2;
  s.x2 = r2 * std::cos(-w2 * meet), s.y2 = r2 * std::sin(-w2 * meet);
  s.vx2 = -w2 * s.y2, s.vy2 = w2 * s.x2;
  s.x3 = r3 * std::cos(-w3 * meet), s.y3 = r3 * std::sin(-w3 * meet);
  s.vx3 = -w3 * s.y3, s.vy3 = w3 * s.x3;
  LoopState fixed = s;
  Integration run(s, kDefaultTolerance);
  double stepStart = 0;
  while (s.endCode != EndCode::Ends) stepStart = s.time, run.advance(s);
  EXPECT_EQ(s.reason, EndReason::Merger23);
  EXPECT_LT(s.dist23, 1);
  // where the 1 km sphere is entered: 0.866 km before the meeting at the relative speed
  EXPECT_NEAR(s.time, meet - std::sqrt(0.75) / ((w2 - w3) * r2), 2e-8);
  EXPECT_LT(stepStart, meet - 1e-4);
  fixed.dt = s.time / static_cast<double>(s.stepCount);
  for (std::int64_t k = 0; k < 2 * s.stepCount; ++k) step::advance(fixed);
  EXPECT_EQ(fixed.reason, EndReason::None);
}

// The default two-body run read as the fixed step's at its default million steps a revolution: the same
// end, revolutions and strain rows, the times, separations and speeds to the fixed step's accuracy.
TEST(AdaptiveSteps, ReadTheTableAndTheStrainAsTheFixedStepDoes) {
  std::vector<std::vector<std::string>> tables[2], strains[2];
  for (const char* integrator : {"euler", "ias15"}) {
    const int k = integrator[0] == 'i';
    ASSERT_EQ(bhsim("--batch --bh 2 --quiet --integrator " + std::string(integrator) + " --table " +
                    scratch("t.csv").string() + " --strain " + scratch("h.csv").string())
                  .status,
              0);
    tables[k] = readCsv(scratch("t.csv")), strains[k] = readCsv(scratch("h.csv"));
  }
  ASSERT_EQ(tables[0].size(), 2u);
  for (std::size_t c = 0; c < tables[0][1].size(); ++c) {
    const std::string name = tables[0][0][c], euler = tables[0][1][c], ias15 = tables[1][1][c];
    if (name == "steps" || name == "energy_rel_change" || euler.empty() ||
        euler.find_first_of("0123456789") != 0) {
      EXPECT_TRUE(name == "steps" || name == "energy_rel_change" || euler == ias15) << name;
    } else {
      EXPECT_NEAR(std::stod(ias15), std::stod(euler), 3e-6 * std::fabs(std::stod(euler))) << name;
    }
  }
  ASSERT_EQ(strains[0].size(), strains[1].size());
  for (std::size_t i = 1; i < strains[0].size(); i += 97) {
    EXPECT_EQ(strains[0][i][1], strains[1][i][1]);
    EXPECT_NEAR(std::stod(strains[1][i][2]), std::stod(strains[0][i][2]), 1e-4 * 1.3e-21);
  }
}

// --integrator takes a row's name; --tolerance only with an adaptive integrator, within its range; a grid
// over the integrators writes the same bytes on one thread and on two.
TEST(IntegratorCli, NamesTheRowsRefusesWhatDoesNothingAndGridsOnAnyThreads) {
  const Outcome bad = bhsim("--batch --integrator rk4");
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("the integrators are euler, ias15"), std::string::npos) << bad.err;
  for (const char* args :
       {"--tolerance 1e-6", "--integrator euler --tolerance 1e-6", "--integrator ias15 --tolerance 1e-12",
        "--integrator ias15 --sweep integrator=euler"})
    EXPECT_EQ(bhsim(std::string("--batch ") + args).status, 2) << args;
  const std::string grid =
      "--batch --bh 3 --quiet Tmaxcount=20000 Talphamax=60 --sweep integrator=euler,ias15 --tolerance 1e-8 ";
  for (const char* jobs : {"1", "2"})
    ASSERT_EQ(
        bhsim(grid + "--jobs " + jobs + " --json " + scratch(std::string("g") + jobs + ".json").string() +
              " --table " + scratch(std::string("g") + jobs + ".csv").string())
            .status,
        0);
  EXPECT_EQ(slurp(scratch("g1.csv")), slurp(scratch("g2.csv")));
  EXPECT_EQ(slurp(scratch("g1.json")), slurp(scratch("g2.json")));
  const auto rows = readCsv(scratch("g1.csv"));
  ASSERT_EQ(rows.size(), 1 + 2 * 7u);
  EXPECT_EQ(std::tuple(rows[0][1], rows[1][1], rows[8][1]), std::tuple("integrator", "euler", "ias15"));
  EXPECT_NE(slurp(scratch("g1.json")).find(R"("tolerance":1e-08,"force_evaluations":)"), std::string::npos);
}

}  // namespace
}  // namespace bhsim::testing
