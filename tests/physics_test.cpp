// The orbit a configuration starts from, what the steps do with it, the loop's events, what a configuration
// reports when it ends (each pair's least separation, the event that ended it), and the fast loop against
// the plain one.
#include <gtest/gtest.h>

#include <cmath>

#include "sim/constants.hpp"
#include "sim/energy.hpp"
#include "sim/revolution_watch.hpp"
#include "sim/step.hpp"
#include "support.hpp"

namespace bhsim::testing {
namespace {

// What a run with these fields reports, Stop pressed at the first pump past `stopAt` steps (0: never);
// `shown` receives v/c and BH 1 as the pause shows them.
Recorder runWith(int count, const Fields& fields, std::int64_t stopAt = 0, std::string* shown = nullptr) {
  Harness h;
  h.configure(count, fields);
  if (shown)
    h.onPhase(RunPhase::Paused, [&] { *shown = h.text(SpeedRatioField) + "|" + h.text(Mass1Field); });
  h.platform.when([&] { return stopAt > 0 && h.program.runState.totalSteps >= stopAt; },
                  [&] { h.click(EndButton); });
  h.run();
  return h.recorder;
}

// The first configuration as built, integrated for 1000 steps only.
LoopState build(int count, const Fields& fields, std::string* shown = nullptr) {
  return runWith(count, fields, 1, shown).starts.at(0);
}

TEST(SetUp, TheWorkedOrbitsOfOneAndTwoBlackHoles) {
  // one solar mass at the speed of light: dist = G M / c^2, black hole 1 at rest at the centre
  LoopState s = build(1, {{Mass1Field, "1"}});
  const double dist = kSolarGM / (kLightSpeed * kLightSpeed);
  EXPECT_DOUBLE_EQ(s.x2 - s.x1, dist);
  EXPECT_EQ(std::tuple(s.x1, s.y1, s.vx1), std::tuple(0.0, 0.0, 0.0));
  EXPECT_NEAR(s.vy2, kLightSpeed, 1e-6);
  EXPECT_DOUBLE_EQ(s.dt, 2 * kPi * dist / kLightSpeed / 1000000);
  std::string shown;  // 1 Hz around one solar mass: 1498 km, v/c .031
  EXPECT_NEAR(build(1, {{Mass1Field, "1"}, {SpeedRatioField, ""}, {FrequencyField, "1"}}, &shown).x2, 1498,
              1);
  EXPECT_EQ(shown, " .031|1");
  // 100 kHz would be faster than light: one black hole's mass is lowered to fit, two only clamp v/c
  EXPECT_DOUBLE_EQ(
      build(1, {{Mass1Field, "1"}, {SpeedRatioField, ""}, {FrequencyField, "100000"}}, &shown).m1,
      kLightSpeed / (100000 * (kPi * 2)) * (kLightSpeed * kLightSpeed));
  EXPECT_EQ(shown, " 1| .3");
  s = build(2, {{FrequencyField, "100000"}}, &shown);
  const double omega = 100000 * (kPi * 2);
  EXPECT_DOUBLE_EQ(s.x2 - s.x1, std::pow((65 * kSolarGM) / (omega * omega), kCubeRootExponent));
  EXPECT_EQ(std::tuple(shown, s.m1), std::tuple(" 1|36", 36 * kSolarGM));
  // equal masses at 90 degrees: black hole 2 on the +y axis moving left, black hole 1 opposite
  s = build(2, {{Mass2Field, "36"}, {AngleMinField, "90"}});
  EXPECT_NEAR(s.x2, 0, 1e-12 * s.y2);
  EXPECT_EQ(std::tuple(s.y1, s.vx1, s.alpha, s.phi), std::tuple(-s.y2, -s.vx2, 90.0, 90.0));
  EXPECT_LT(s.vx2, 0);
  s = build(3, {{AngleMaxField, "0"}});  // black hole 3 at rest four orbit radii out
  EXPECT_EQ(std::tuple(s.x3, s.y3, s.vx3, s.m3), std::tuple(4 * s.x2, 0.0, 0.0, 5 * kSolarGM));
}

// Two revolutions about 90 degrees, where y is far from 0: the centre of mass stays put, the distances
// from it (as the fields show them) split the separation as 29 : 36, and the orbit time and energy hold.
TEST(Steps, KeepTheCentreOfMassAndTheOrbitTimeAndTheEnergy) {
  const Recorder r = runWith(
      2, kSteadyMasses + Fields{{MaxCountField, "100000"}, {RevolutionsField, "2"}, {AngleMinField, "90"}});
  ASSERT_EQ(r.revolutions.size(), 2u);
  EXPECT_NEAR(r.revolutions[0].revolutionTime, r.starts[0].revolutionTime, 1e-4 * r.starts[0].revolutionTime);
  const LoopState& e = r.ends[0];
  const double d = std::hypot(e.x2 - e.x1, e.y2 - e.y1);
  EXPECT_LT(std::hypot(36 * e.x1 + 29 * e.x2, 36 * e.y1 + 29 * e.y2) / 65, 1e-9 * d);
  EXPECT_GT(std::fabs(e.y1), 0.9 * e.r1);
  EXPECT_NEAR(e.r1, 29 * d / 65, 1e-8 * d);
  EXPECT_NEAR(e.r2, 36 * d / 65, 1e-8 * d);
  EXPECT_LT(std::fabs(energyRelativeChange(r.starts[0], e)), 1e-9);
  // a coarser step keeps the energy less well
  const Recorder coarse =
      runWith(2, kSteadyMasses + Fields{{MaxCountField, "1000"}, {RevolutionsField, "2"}});
  EXPECT_GT(std::fabs(energyRelativeChange(coarse.starts[0], coarse.ends[0])),
            100 * std::fabs(energyRelativeChange(r.starts[0], e)));
}

TEST(Energy, IsKineticPlusPotentialOfTheBodiesInPlay) {
  LoopState s;
  s.m1 = 1, s.m2 = 3, s.m3 = 2, s.bodiesInPlay = 2;
  s.x1 = -2, s.x2 = 1, s.vy1 = 3, s.vy2 = -1, s.x3 = 1, s.y3 = 4, s.vx3 = 1;  // 3, 5 and 4 apart
  EXPECT_EQ(totalEnergy(s), 4.5 + 1.5 - 1);
  s.bodiesInPlay = 3;
  EXPECT_DOUBLE_EQ(totalEnergy(s), 4.5 + 1.5 - 1 + 1 - 0.4 - 1.5);
  LoopState massless;  // a massless black hole 2 is measured by the pair's own energy
  massless.m1 = 4, massless.x2 = 2, massless.vy2 = 1;
  LoopState later = massless;
  later.vy2 = 2;
  EXPECT_EQ(energyRelativeChange(massless, later), (0.5 * 4 - 2 - (0.5 - 2)) / 1.5);
}

TEST(MassChange, GrowsByThePercentagePerMaxCountStepsAndGoesOnThroughNegativeMasses) {
  // a Stop at the pump of step 3000 is acted on at step 4000, before that step's mass change
  const Fields endless = kNoLimit + Fields{{MaxCountField, "2000"}};
  LoopState s = runWith(2, endless, 3000).ends.at(0);
  ASSERT_EQ(s.stepCount, 4000);
  EXPECT_NEAR(s.m1, 36 * kSolarGM * (1 + 0.05 * 3999 / 2000), 1e-9 * 36 * kSolarGM);
  EXPECT_NEAR(s.m2, 29 * kSolarGM * (1 + 0.05 * 3999 / 2000), 1e-9 * 29 * kSolarGM);
  Harness growing;  // the fields show the masses as they grow, at each refresh of the integration
  growing.configure(2, endless);
  std::string shown[2];
  growing.platform.when([&] { return growing.program.runState.totalSteps >= 3000; },
                        [&] {
                          shown[0] = growing.text(Mass1Field), shown[1] = growing.text(Mass2Field);
                          growing.click(EndButton);
                        });
  growing.run();
  EXPECT_NEAR(std::stod(shown[0]), 36 * (1 + 0.05 * 3000 / 2000), 0.1);
  EXPECT_NEAR(std::stod(shown[1]), 29 * (1 + 0.05 * 3000 / 2000), 0.1);
  // 2 gains what 1 gives up; with no gain of its own, 2 stays as it was
  s = runWith(2, {{MassGain1Field, "-5"}, {MaxCountField, "2000"}}, 2000).ends.at(0);
  EXPECT_EQ(s.dmu1, -s.dmu2);
  EXPECT_NEAR(s.m1 + s.m2, 65 * kSolarGM, 1e-9 * 65 * kSolarGM);
  EXPECT_EQ(runWith(2, {{MassGain2Field, "0"}, {MaxCountField, "2000"}}, 2000).ends.at(0).m2, 29 * kSolarGM);
  // losing all their mass each revolution, the sum passes 0 near step 10000 and the run goes on
  const Fields losing = {{MassGain1Field, "-100"}, {MassGain2Field, "-100"}, {MaxCountField, "10000"}};
  s = runWith(2, kNoLimit + losing, 30000).ends.at(0);
  EXPECT_EQ(std::tuple(s.stepCount, s.reason), std::tuple(31000, EndReason::None));
  EXPECT_NEAR(s.m1, 36 * kSolarGM * (1 - 30999.0 / 10000), 1e-6 * 36 * kSolarGM);
  // only a sum of exactly 0 or a separation of 0 leaves the centre of mass undefined and ends the
  // configuration
  for (const auto& [m0, m1, d, ends] : {std::tuple{1.0, -1.0, 4.0, true},
                                        {1.0, -3.0, 4.0, false},
                                        {2.0, 2.0, 4.0, false},
                                        {2.0, 2.0, 0.0, true}}) {
    LoopState p;
    p.m1 = m0, p.m2 = m1, p.x2 = d, p.dist12 = d;
    EXPECT_EQ(step::centreOfMass(p), !ends);
    EXPECT_EQ(p.endCode == EndCode::Ends, ends);
    if (!ends) {
      EXPECT_EQ(p.xcm, m1 * d / (m0 + m1));
    }
  }
}

// The total time ends the configuration at the first refresh past it, not at one that reaches it: a
// total of exactly 1000 steps' time, with a refresh every 100 steps, ends it at step 1100.
TEST(TotalTime, EndsTheConfigurationAtTheFirstRefreshPastIt) {
  Fields fields = {{RevolutionsField, "0"}, {MaxCountField, "100000"}};
  char total[32];
  std::snprintf(total, sizeof total, "%.17g", runWith(2, fields, 1).starts.at(0).dt * 1000);
  fields.emplace_back(TotalTimeField, total);
  const LoopState s = runWith(2, fields).ends.at(0);
  EXPECT_EQ(std::tuple(s.stepCount, s.reason), std::tuple(1100, EndReason::TotalTime));
}

TEST(LoopEvents, ACapturedThirdHandsItsMassOverAndOneWithinAKilometreMerges) {
  const Recorder captured = runWith(3, {{MaxCountField, "2000"}, {AngleMaxField, "0"}});
  const LoopState& start = captured.starts.at(0);  // each least separation starts from its pair's own
  EXPECT_EQ(std::tuple(start.minDist12, start.minDist13, start.minDist23),
            std::tuple(start.dist12, start.dist13, start.dist23));
  LoopState s = captured.ends.at(0);
  EXPECT_LE(s.minDist13, start.dist13);
  EXPECT_GT(s.minDist13, 0);
  EXPECT_EQ(std::tuple(s.captured, s.bodiesInPlay, s.reason, s.revolutionCount),
            std::tuple(true, 2.0, EndReason::Revolutions, 7));
  EXPECT_DOUBLE_EQ(s.dmu1, (0.2 * (5 * kSolarGM)) / 2000);  // a fifth of m2 per revolution to the nearer
  EXPECT_GE(s.dmsum1, s.m3);
  EXPECT_LT(s.dmsum1, s.m3 + s.dmu1);
  EXPECT_EQ(std::tuple(s.m1, s.m2, s.m3), std::tuple(36 * kSolarGM + s.dmsum1, 29 * kSolarGM, 5 * kSolarGM));
  const Fields light = {{Mass1Field, ".01"},
                        {Mass2Field, ".01"},
                        {Mass3Field, ".01"},
                        {TotalTimeField, "0"},
                        {MaxCountField, "2000"}};
  for (const auto& [angle, reason] : {std::pair{"10", EndReason::Merger13}, {"30", EndReason::Merger23}}) {
    s = runWith(3, light + Fields{{AngleMinField, angle}, {AngleMaxField, angle}}).ends.at(0);
    EXPECT_EQ(std::tuple(s.reason, s.captured, s.bodiesInPlay), std::tuple(reason, false, 2.0)) << angle;
    const bool one = reason == EndReason::Merger13;
    EXPECT_LT(one ? s.dist13 : s.dist23, 1);
    EXPECT_EQ(std::tuple(s.m1, s.m2), one ? std::tuple(0.02 * kSolarGM, 0.01 * kSolarGM)
                                          : std::tuple(0.01 * kSolarGM, 0.02 * kSolarGM));
  }
}

// Two bodies at one point pull nothing (a pull there would be 0/0) and the step ends the configuration.
TEST(LoopEvents, BodiesAtOnePointPullNothingAndEndTheConfiguration) {
  const std::tuple<int, int, EndReason> cases[] = {
      {2, 1, EndReason::Coincidence}, {3, 1, EndReason::Merger13}, {3, 2, EndReason::Merger23}};
  for (const auto& [moved, onto, reason] : cases) {
    LoopState s;
    s.bodiesInPlay = s.bodyCount = 3, s.dt = 1e-6, s.m1 = s.m2 = s.m3 = kSolarGM;
    s.x2 = 1000, s.y3 = 500;
    double* const x[] = {&s.x1, &s.x2, &s.x3};
    double* const y[] = {&s.y1, &s.y2, &s.y3};
    *x[moved - 1] = *x[onto - 1], *y[moved - 1] = *y[onto - 1];
    step::advance(s);
    for (double v : {s.vx1, s.vy1, s.vx2, s.vy2, s.vx3, s.vy3})
      EXPECT_TRUE(std::isfinite(v)) << moved << onto;
    EXPECT_EQ(s.reason, reason) << moved << onto;
  }
}

// Each least separation starts from its own pair's separation at the set-up: a circular pair keeps its
// own (and black hole 3, which only falls inward, never reports less than it came within: LoopEvents).
TEST(Minima, EachPairStartsFromItsOwnSeparation) {
  Harness two;
  two.configure(2, kSteadyMasses + Fields{{Mass2Field, "199"}, {MaxCountField, "20000"}}, 20000);
  two.run();
  const LoopState& start = two.recorder.starts.at(0);
  EXPECT_EQ(start.minDist12, start.dist12);
  // the circular orbit keeps its separation to the step's accuracy: 898.5 km, not the 412.9 km
  // between black holes 2 and 3 of the set-up
  EXPECT_NEAR(two.recorder.ends.at(0).minDist12 / start.dist12, 1, 1e-3);
  EXPECT_NEAR(std::stod(two.text(MinDistance12Field)), start.dist12, 1);
}

// The total-time test of a refresh does not rename an end that an event of the same step made: a merger,
// or the wanted revolution count, reached after the total time but before a refresh looked at it.
TEST(EndReason, NamesTheEventThatEndedTheConfiguration) {
  const struct {
    GravityModel gravity;
    Fields fields;
    EndReason reason;
  } cases[] = {// a merger past the time limit
               {named("1pn+2.5pn"),
                {{FrequencyField, "17.5"},
                 {MaxCountField, "100000"},
                 {RevolutionsField, "0"},
                 {TotalTimeField, "0.08"}},
                EndReason::Merger12},
               // the revolutions past the time limit
               {GravityModel::Newtonian,
                {{MaxCountField, "2000"}, {RevolutionsField, "2"}, {TotalTimeField, "0.05"}},
                EndReason::Revolutions}};
  for (const auto& c : cases) {
    Harness h(c.gravity);
    h.configure(2, kSteadyMasses + c.fields, 1000000);
    h.run();
    ASSERT_EQ(h.recorder.ends.size(), 1u);
    EXPECT_EQ(h.recorder.ends[0].reason, c.reason);
  }
}

// With the refresh at the time limit, the configuration ends at the first step whose time passes it,
// whatever the refresh period, and the fields and rows are the same for every period.
TEST(EndReason, ATimeLimitEndsAtTheFirstStepPastIt) {
  std::vector<LoopState> ends;
  for (std::int64_t every : {1000, 7919, 1000000}) {
    Harness h;
    h.configure(
        2, kSteadyMasses + Fields{{MaxCountField, "2000"}, {RevolutionsField, "0"}, {TotalTimeField, "0.1"}},
        every);
    h.program.options.refreshAtTimeLimit = true;
    h.run();
    const LoopState& end = h.recorder.ends.at(0);
    EXPECT_EQ(end.reason, EndReason::TotalTime) << every;
    EXPECT_GT(end.dt * static_cast<double>(end.stepCount), 0.1) << every;
    EXPECT_LE(end.dt * static_cast<double>(end.stepCount - 1), 0.1) << every;
    ends.push_back(end);
  }
  for (const LoopState& end : ends)
    EXPECT_EQ(std::tuple(end.stepCount, end.x1), std::tuple(ends[0].stepCount, ends[0].x1));
}

// Without --refresh-every the batch mode refreshes on a schedule of steps, not on the clock: the same bytes
// every run (and with any number of threads:
// BatchSweep.EachRowIsTheSingleRunAtItsAngleAndThreadsChangeNoByte), and a time limit met at the first step
// past it.
TEST(EndReason, TheBatchModeIsReproducibleByDefault) {
  const std::string timed =
      "--batch --bh 2 Tdm1=0 Tdm2=0 Tmaxcount=2000 Ttotaltime=0.1 Tnrev=0 --quiet --table -";
  EXPECT_EQ(ran(timed).out, ran(timed).out);
  const auto row = readCsv(scratch("stdout")).at(1);  // where bhsim() kept the second run's table
  const double time = std::stod(row.at(3)), steps = std::stod(row.at(2));
  EXPECT_EQ(row.at(4), "total_time");
  EXPECT_GT(time, 0.1);
  EXPECT_LE(time * (steps - 1) / steps, 0.1);  // one step earlier was not past it
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
    std::snprintf(line, sizeof line, "end %d %lld %a %a %a %a %a %d %d", k,
                  static_cast<long long>(s.stepCount), s.m1, s.m2, s.phi, s.x3, s.v3max,
                  static_cast<int>(s.reason), stopped);
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
  OnControl texts(h.program.panel, [&](ControlId id) {
    trail.events.push_back(std::string(controlDesign(id).name) + "=" + h.text(id));
  });
  h.platform.when([&] { return stopAt > 0 && h.program.runState.totalSteps >= stopAt; },
                  [&] { h.click(EndButton); });
  h.run();
  trail.events.push_back("steps " + std::to_string(h.program.runState.totalSteps));
  return trail.events;
}

TEST(FastLoop, ShowsExactlyWhatThePlainLoopShows) {
  const struct {
    int count;
    Fields fields;
    std::int64_t stopAt = 0;
    // clang-format off
  } runs[] = {{2, {}},  // 7 revolutions of a million steps with 5 % mass gain each
              {1, {}}, {1, {{Mass1Field, "1"}, {FrequencyField, "100000"}}}, {2, {{MassGain1Field, "-7"}, {MaxCountField, "50000"}}},
              {2, {{AngleMinField, "90"}, {MaxCountField, "50000"}}}, {2, {{AngleMinField, "-180"}, {MaxCountField, "50000"}}, 300000},
              {2, {{AngleMinField, "237.5"}, {MaxCountField, "30000"}}},
              {2, {{MassGain1Field, "-30"}, {MassGain2Field, "-30"}, {MaxCountField, "20000"}, {RevolutionsField, "0"}, {TotalTimeField, "0"}}, 400000},
              {2, {{MaxCountField, "1"}}},  // faster than light at the first step
              {3, {{MaxCountField, "20000"}}}, {3, {{Mass3Field, "1e-9"}, {MaxCountField, "20000"}, {AngleMaxField, "0"}}},
              {3, {{MaxCountField, "400000"}, {AngleMinField, "270"}, {AngleMaxField, "270"}}},
              {3, {{Mass1Field, ".01"}, {Mass2Field, ".01"}, {Mass3Field, ".01"}, {MaxCountField, "3000"}, {TotalTimeField, "0"},
                   {AngleMaxField, "140"}}, 2000000}};
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
    plain.alpha = plain.phi = alpha;
    LoopState fast = plain;
    const step::DirectionWatch watch(alpha);
    long decided = 0;
    for (int i = 1; i <= 20000; ++i) {
      const bool landing = i % 8 == 0;
      const double wobble = alpha + 30 * std::sin(0.37 * i) + 0.05 * i;
      const double angle = landing ? (i % 16 ? alpha : 0) + 1e-11 * (i % 3 - 1) : wobble,
                   r = i % 24 ? 1e5 : 0;
      plain.stepCount = fast.stepCount = i;
      plain.x2 = fast.x2 = r * std::cos(angle * kPi / 180);
      plain.y2 = fast.y2 = r * std::sin(angle * kPi / 180);
      ASSERT_EQ(step::revolutionTest(plain), step::fastRevolutionTest(fast, watch)) << alpha << " step " << i;
      decided += !fast.phiKnown;
      if (landing) step::settlePhi(fast);
      ASSERT_TRUE(!landing || fast.phi == plain.phi) << alpha << " step " << i;
    }
    EXPECT_EQ(std::tuple(fast.revolutionCount, fast.revolutionTime),
              std::tuple(plain.revolutionCount, plain.revolutionTime))
        << alpha;
    EXPECT_GT(plain.revolutionCount, alpha < 0 ? -1 : 10) << alpha;
    EXPECT_GE(decided, 14000) << alpha;
  }
}

// The angle itself: the quadrants, the axes, and a point on itself keeping the angle it had.
TEST(pairDirection, CountsCounterClockwiseFromPlusXInDegrees) {
  const double a = std::atan(4.0 / 3) * 180 / kPi;
  // clang-format off
  for (const auto& [dx, dy, expected] : {std::tuple{3.0, 4.0, a}, {-3.0, 4.0, 180 - a}, {-1.0, -1.0, 225.0},
      {1.0, -1.0, 315.0}, {0.0, 2.0, 90.0}, {0.0, -2.0, 270.0}, {-1.0, 0.0, 180.0}, {0.0, 0.0, 42.0}}) {
    // clang-format on
    double angle = 42;
    angleOfDirection(dx, dy, angle);
    EXPECT_NEAR(angle, expected, 1e-12) << dx << ", " << dy;
  }
  RunState m;
  m.x1 = 1, m.y1 = 1, m.x2 = 1, m.y2 = 3;
  double angle = 0;
  pairDirection(m, angle);
  EXPECT_EQ(angle, 90);
}

}  // namespace
}  // namespace bhsim::testing
