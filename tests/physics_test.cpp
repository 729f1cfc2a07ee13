// The orbit a configuration starts from, what the steps do with it, the loop's events, and the fast loop
// against the plain one.
#include <gtest/gtest.h>

#include <cmath>

#include "sim/constants.hpp"
#include "sim/energy.hpp"
#include "sim/fast_steps.hpp"
#include "sim/step.hpp"
#include "support.hpp"

namespace bhsim::testing {
namespace {

const double kPi = 4 * std::atan(1.0);

// What a run with these fields reports, Stop pressed at the first pump past `stopAt` steps (0: never);
// `shown` receives v/c and BH 1 as the pause shows them.
Recorder runWith(int count, const Fields& fields, std::int64_t stopAt = 0, std::string* shown = nullptr) {
  Harness h;
  h.configure(count, fields);
  if (shown) h.onCaption(CommandStart, "Cont", [&] { *shown = h.text(Tvc) + "|" + h.text(TBH1); });
  h.platform.when([&] { return stopAt > 0 && h.program.module.totalSteps >= stopAt; },
                  [&] { h.click(CommandEnd); });
  h.run();
  return h.recorder;
}

// The first configuration as built, integrated for 1000 steps only.
LoopState build(int count, const Fields& fields, std::string* shown = nullptr) {
  return runWith(count, fields, 1, shown).starts.at(0);
}

TEST(SetUp, TheWorkedOrbitsOfOneAndTwoBlackHoles) {
  // one solar mass at the speed of light: dist = GM / c^2, black hole 1 at rest at the centre
  LoopState s = build(1, {{TBH1, "1"}});
  const double dist = GM / (c * c);
  EXPECT_DOUBLE_EQ(s.x1 - s.x0, dist);
  EXPECT_EQ(std::tuple(s.x0, s.y0, s.vx0), std::tuple(0.0, 0.0, 0.0));
  EXPECT_NEAR(s.vy1, c, 1e-6);
  EXPECT_DOUBLE_EQ(s.dt, 2 * kPi * dist / c / 1000000);
  std::string shown;  // 1 Hz around one solar mass: 1498 km, v/c .031
  EXPECT_NEAR(build(1, {{TBH1, "1"}, {Tvc, ""}, {Tfreq, "1"}}, &shown).x1, 1498, 1);
  EXPECT_EQ(shown, " .031|1");
  // 100 kHz would be faster than light: one black hole's mass is lowered to fit, two only clamp v/c
  EXPECT_DOUBLE_EQ(build(1, {{TBH1, "1"}, {Tvc, ""}, {Tfreq, "100000"}}, &shown).m0,
                   c / (100000 * (kPi * 2)) * (c * c));
  EXPECT_EQ(shown, " 1| .3");
  s = build(2, {{Tfreq, "100000"}}, &shown);
  const double omega = 100000 * (kPi * 2);
  EXPECT_DOUBLE_EQ(s.x1 - s.x0, std::pow((65 * GM) / (omega * omega), kCubeRootExponent));
  EXPECT_EQ(std::tuple(shown, s.m0), std::tuple(" 1|36", 36 * GM));
  // equal masses at 90 degrees: black hole 2 on the +y axis moving left, black hole 1 opposite
  s = build(2, {{TBH2, "36"}, {Talphamin, "90"}});
  EXPECT_NEAR(s.x1, 0, 1e-12 * s.y1);
  EXPECT_EQ(std::tuple(s.y0, s.vx0, s.alpha, s.phi), std::tuple(-s.y1, -s.vx1, 90.0, 90.0));
  EXPECT_LT(s.vx1, 0);
  s = build(3, {{Talphamax, "0"}});  // black hole 3 at rest four orbit radii out
  EXPECT_EQ(std::tuple(s.x2, s.y2, s.vx2, s.m2), std::tuple(4 * s.x1, 0.0, 0.0, 5 * GM));
}

// Two revolutions about 90 degrees, where y is far from 0: the centre of mass stays put, the distances
// from it (as the fields show them) split the separation as 29 : 36, and the orbit time and energy hold.
TEST(Steps, KeepTheCentreOfMassAndTheOrbitTimeAndTheEnergy) {
  const Recorder r =
      runWith(2, {{Tdm1, "0"}, {Tdm2, "0"}, {Tmaxcount, "100000"}, {Tnrev, "2"}, {Talphamin, "90"}});
  ASSERT_EQ(r.revolutions.size(), 2u);
  EXPECT_NEAR(r.revolutions[0].Revtime, r.starts[0].Revtime, 1e-4 * r.starts[0].Revtime);
  const LoopState& e = r.ends[0];
  const double d = std::hypot(e.x1 - e.x0, e.y1 - e.y0);
  EXPECT_LT(std::hypot(36 * e.x0 + 29 * e.x1, 36 * e.y0 + 29 * e.y1) / 65, 1e-9 * d);
  EXPECT_GT(std::fabs(e.y0), 0.9 * e.r1);
  EXPECT_NEAR(e.r1, 29 * d / 65, 1e-8 * d);
  EXPECT_NEAR(e.r2, 36 * d / 65, 1e-8 * d);
  EXPECT_LT(std::fabs(energyRelativeChange(r.starts[0], e)), 1e-9);
  // a coarser step keeps the energy less well
  const Recorder coarse = runWith(2, {{Tdm1, "0"}, {Tdm2, "0"}, {Tmaxcount, "1000"}, {Tnrev, "2"}});
  EXPECT_GT(std::fabs(energyRelativeChange(coarse.starts[0], coarse.ends[0])),
            100 * std::fabs(energyRelativeChange(r.starts[0], e)));
}

TEST(Energy, IsKineticPlusPotentialOfTheBodiesInPlay) {
  LoopState s;
  s.m0 = 1, s.m1 = 3, s.m2 = 2, s.nstars = 2;
  s.x0 = -2, s.x1 = 1, s.vy0 = 3, s.vy1 = -1, s.x2 = 1, s.y2 = 4, s.vx2 = 1;  // 3, 5 and 4 apart
  EXPECT_EQ(totalEnergy(s), 4.5 + 1.5 - 1);
  s.nstars = 3;
  EXPECT_DOUBLE_EQ(totalEnergy(s), 4.5 + 1.5 - 1 + 1 - 0.4 - 1.5);
  LoopState massless;  // a massless black hole 2 is measured by the pair's own energy
  massless.m0 = 4, massless.x1 = 2, massless.vy1 = 1;
  LoopState later = massless;
  later.vy1 = 2;
  EXPECT_EQ(energyRelativeChange(massless, later), (0.5 * 4 - 2 - (0.5 - 2)) / 1.5);
}

TEST(MassChange, GrowsByThePercentagePerMaxCountStepsAndGoesOnThroughNegativeMasses) {
  // a Stop at the pump of step 3000 is acted on at step 4000, before that step's mass change
  LoopState s = runWith(2, {{Tmaxcount, "2000"}, {Tnrev, "0"}, {Ttotaltime, "0"}}, 3000).ends.at(0);
  ASSERT_EQ(s.cnt, 4000);
  EXPECT_NEAR(s.m0, 36 * GM * (1 + 0.05 * 3999 / 2000), 1e-9 * 36 * GM);
  EXPECT_NEAR(s.m1, 29 * GM * (1 + 0.05 * 3999 / 2000), 1e-9 * 29 * GM);
  s = runWith(2, {{Tdm1, "-5"}, {Tmaxcount, "2000"}}, 2000).ends.at(0);  // 2 gains what 1 gives up
  EXPECT_EQ(s.dmu0, -s.dmu1);
  EXPECT_NEAR(s.m0 + s.m1, 65 * GM, 1e-9 * 65 * GM);
  EXPECT_EQ(runWith(2, {{Tdm2, "0"}, {Tmaxcount, "2000"}}, 2000).ends.at(0).m1, 29 * GM);  // only 1 grows
  // losing all their mass each revolution, the sum passes 0 near step 10000 and the run goes on
  s = runWith(2, {{Tdm1, "-100"}, {Tdm2, "-100"}, {Tmaxcount, "10000"}, {Tnrev, "0"}, {Ttotaltime, "0"}},
              30000)
          .ends.at(0);
  EXPECT_EQ(std::tuple(s.cnt, s.reason), std::tuple(31000, EndReason::None));
  EXPECT_NEAR(s.m0, 36 * GM * (1 - 30999.0 / 10000), 1e-6 * 36 * GM);
  // only a sum of exactly 0 leaves the centre of mass undefined and ends the configuration
  for (const auto& [m0, m1, ends] : {std::tuple{1.0, -1.0, true}, {1.0, -3.0, false}, {2.0, 2.0, false}}) {
    LoopState p;
    p.m0 = m0, p.m1 = m1, p.x1 = 4, p.dist01 = 4;
    EXPECT_EQ(step::centreOfMass(p), !ends);
    EXPECT_EQ(p.end1 == 1, ends);
    if (!ends) {
      EXPECT_EQ(p.xcm, m1 * 4 / (m0 + m1));
    }
  }
}

// The total time ends the configuration at the first refresh past it, not at one that reaches it: a
// total of exactly 1000 steps' time, with a refresh every 100 steps, ends it at step 1100.
TEST(TotalTime, EndsTheConfigurationAtTheFirstRefreshPastIt) {
  Fields fields = {{Tnrev, "0"}, {Tmaxcount, "100000"}};
  char total[32];
  std::snprintf(total, sizeof total, "%.17g", runWith(2, fields, 1).starts.at(0).dt * 1000);
  fields.emplace_back(Ttotaltime, total);
  const LoopState s = runWith(2, fields).ends.at(0);
  EXPECT_EQ(std::tuple(s.cnt, s.reason), std::tuple(1100, EndReason::TotalTime));
}

TEST(LoopEvents, ACapturedThirdHandsItsMassOverAndOneWithinAKilometreMerges) {
  LoopState s = runWith(3, {{Tmaxcount, "2000"}, {Talphamax, "0"}}).ends.at(0);
  EXPECT_EQ(std::tuple(s.captured, s.nstars, s.reason, s.nrevcnt),
            std::tuple(true, 2.0, EndReason::Revolutions, 7));
  EXPECT_DOUBLE_EQ(s.dmu0, (0.2 * (5 * GM)) / 2000);  // a fifth of m2 per revolution to the nearer
  EXPECT_GE(s.dmsum0, s.m2);
  EXPECT_LT(s.dmsum0, s.m2 + s.dmu0);
  EXPECT_EQ(std::tuple(s.m0, s.m1, s.m2), std::tuple(36 * GM + s.dmsum0, 29 * GM, 5 * GM));
  for (const auto& [angle, reason] : {std::pair{"10", EndReason::Merger13}, {"30", EndReason::Merger23}}) {
    s = runWith(3, {{TBH1, ".01"},
                    {TBH2, ".01"},
                    {TBH3, ".01"},
                    {Ttotaltime, "0"},
                    {Tmaxcount, "2000"},
                    {Talphamin, angle},
                    {Talphamax, angle}})
            .ends.at(0);
    EXPECT_EQ(std::tuple(s.reason, s.captured, s.nstars), std::tuple(reason, false, 2.0)) << angle;
    const bool one = reason == EndReason::Merger13;
    EXPECT_LT(one ? s.dist02 : s.dist12, 1);
    EXPECT_EQ(std::tuple(s.m0, s.m1),
              one ? std::tuple(0.02 * GM, 0.01 * GM) : std::tuple(0.01 * GM, 0.02 * GM));
  }
}

// Everything a run shows: each field or caption as it changes, each dot, each end, and the steps.
struct Trail : RunObserver {
  void onDot(int k, std::int64_t step, int body, double x, double y) override {
    char line[160];
    std::snprintf(line, sizeof line, "dot %d %lld %d %a %a", k, static_cast<long long>(step), body, x, y);
    events.emplace_back(line);
  }
  void onConfigurationEnd(int k, const LoopState& s, bool stopped) override {
    char line[200];
    std::snprintf(line, sizeof line, "end %d %lld %a %a %a %a %a %d %d", k, static_cast<long long>(s.cnt),
                  s.m0, s.m1, s.phi, s.x2, s.v2max, static_cast<int>(s.reason), stopped);
    events.emplace_back(line);
  }
  std::vector<std::string> events;
};

std::vector<std::string> trailOf(int count, const Fields& fields, std::int64_t stopAt, bool plain) {
  Harness h;
  h.configure(count, fields, 997);
  h.program.options.referenceLoop = plain;
  Trail trail;
  h.program.observer = &trail;
  OnControl texts(h.program.form1, [&](ControlId id) {
    trail.events.push_back(std::string(controlDesign(id).name) + "=" + h.text(id));
  });
  h.platform.when([&] { return stopAt > 0 && h.program.module.totalSteps >= stopAt; },
                  [&] { h.click(CommandEnd); });
  h.run();
  trail.events.push_back("steps " + std::to_string(h.program.module.totalSteps));
  return trail.events;
}

TEST(FastLoop, ShowsExactlyWhatThePlainLoopShows) {
  const struct {
    int count;
    Fields fields;
    std::int64_t stopAt = 0;
    // clang-format off
  } runs[] = {{2, {}},  // 7 revolutions of a million steps with 5 % mass gain each
              {1, {}}, {1, {{TBH1, "1"}, {Tfreq, "100000"}}}, {2, {{Tdm1, "-7"}, {Tmaxcount, "50000"}}},
              {2, {{Talphamin, "90"}, {Tmaxcount, "50000"}}}, {2, {{Talphamin, "-180"}, {Tmaxcount, "50000"}}, 300000},
              {2, {{Talphamin, "237.5"}, {Tmaxcount, "30000"}}},
              {2, {{Tdm1, "-30"}, {Tdm2, "-30"}, {Tmaxcount, "20000"}, {Tnrev, "0"}, {Ttotaltime, "0"}}, 400000},
              {2, {{Tmaxcount, "1"}}},  // faster than light at the first step
              {3, {{Tmaxcount, "20000"}}}, {3, {{TBH3, "1e-9"}, {Tmaxcount, "20000"}, {Talphamax, "0"}}},
              {3, {{Tmaxcount, "400000"}, {Talphamin, "270"}, {Talphamax, "270"}}},
              {3, {{TBH1, ".01"}, {TBH2, ".01"}, {TBH3, ".01"}, {Tmaxcount, "3000"}, {Ttotaltime, "0"},
                   {Talphamax, "140"}}, 2000000}};
  // clang-format on
  for (const auto& r : runs) {
    const std::vector<std::string> plain = trailOf(r.count, r.fields, r.stopAt, true);
    const std::vector<std::string> fast = trailOf(r.count, r.fields, r.stopAt, false);
    ASSERT_GT(plain.size(), 10u);
    ASSERT_EQ(plain.size(), fast.size()) << "run " << &r - runs;
    for (std::size_t i = 0; i < plain.size(); ++i)
      ASSERT_EQ(plain[i], fast[i]) << "run " << &r - runs << " event " << i;
  }
}

// Directions of black hole 2 seen from 1 that wobble about the reference angle and turn, each 8th landing
// within 1e-11 degrees of it or of the 0/360 cut (or, each 24th, on black hole 1), where the watch cannot
// decide and the angle is needed: the fast test counts what the plain one counts, step by step, deciding
// most steps without the angle, and its angle settled after a landing is the plain one's.
TEST(FastLoop, TheRevolutionTestCountsWhatThePlainOneCounts) {
  for (double alpha : {0.0, 10.0, 90.0, 179.5, 180.0, 270.0, 359.9, -30.0}) {
    LoopState plain;
    plain.Pi = kPi, plain.alpha = plain.phi = alpha;
    LoopState fast = plain;
    const step::DirectionWatch watch(alpha);
    long decided = 0;
    for (int i = 1; i <= 20000; ++i) {
      const bool landing = i % 8 == 0;
      const double wobble = alpha + 30 * std::sin(0.37 * i) + 0.05 * i;
      const double angle = landing ? (i % 16 ? alpha : 0) + 1e-11 * (i % 3 - 1) : wobble,
                   r = i % 24 ? 1e5 : 0;
      plain.cnt = fast.cnt = i;
      plain.x1 = fast.x1 = r * std::cos(angle * kPi / 180);
      plain.y1 = fast.y1 = r * std::sin(angle * kPi / 180);
      ASSERT_EQ(step::revolutionTest(plain), step::fastRevolutionTest(fast, watch)) << alpha << " step " << i;
      decided += !fast.phiKnown;
      if (landing) step::settlePhi(fast);
      ASSERT_TRUE(!landing || fast.phi == plain.phi) << alpha << " step " << i;
    }
    EXPECT_EQ(std::tuple(fast.nrevcnt, fast.Revtime), std::tuple(plain.nrevcnt, plain.Revtime)) << alpha;
    EXPECT_GT(plain.nrevcnt, alpha < 0 ? -1 : 10) << alpha;
    EXPECT_GE(decided, 14000) << alpha;
  }
}

// The angle itself: the quadrants, the axes, and a point on itself keeping the angle it had.
TEST(DirectionAngle, CountsCounterClockwiseFromPlusXInDegrees) {
  const double a = std::atan(4.0 / 3) * 180 / kPi;
  // clang-format off
  for (const auto& [dx, dy, expected] : {std::tuple{3.0, 4.0, a}, {-3.0, 4.0, 180 - a}, {-1.0, -1.0, 225.0},
      {1.0, -1.0, 315.0}, {0.0, 2.0, 90.0}, {0.0, -2.0, 270.0}, {-1.0, 0.0, 180.0}, {0.0, 0.0, 42.0}}) {
    // clang-format on
    double angle = 42;
    angleOfDirection(dx, dy, kPi, angle);
    EXPECT_NEAR(angle, expected, 1e-12) << dx << ", " << dy;
  }
  Module1 m;
  m.x0 = 1, m.y0 = 1, m.x1 = 1, m.y1 = 3, m.Pi = kPi;
  double angle = 0;
  DirectionAngle(m, angle);
  EXPECT_EQ(angle, 90);
}

}  // namespace
}  // namespace bhsim::testing
