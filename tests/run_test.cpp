// A whole run through its states: the buttons and waits, the sweep, the fields it writes, refusals and
// the refresh clock.
#include <gtest/gtest.h>

#include <cmath>

#include "batch/parallel_sweep.hpp"
#include "format/mask.hpp"
#include "format/number_text.hpp"
#include "format/truncate.hpp"
#include "program/read_parameters.hpp"
#include "sim/constants.hpp"
#include "support.hpp"

namespace bhsim::testing {
namespace {

std::string tenths(double x) {
  return numberText(std::floor(x * 10) / 10);
}
std::string whole(double x) {
  return numberText(std::floor(x));
}
double distance(double dx, double dy) {
  return std::sqrt(dx * dx + dy * dy);
}

// What the control window shows at "Next" after a configuration that ended in state `s`: the last
// refresh's fields, the last revolution's, and the masses and time of the sweep's end.
void expectEndWaitFields(const Harness& h, const LoopState& s) {
  std::string f;
  formatWithMask(1 / s.revolutionTime, "###.###", f);
  // clang-format off
  const Fields expected = {
      {Distance12Field, tenths(s.dist12)}, {MinDistance12Field, tenths(s.minDist12)}, {CentreDistance1Field, tenths(distance(s.x1 - s.xcm, s.y1 - s.ycm))},
      {CentreDistance2Field, tenths(distance(s.x2 - s.xcm, s.y2 - s.ycm))}, {Mass3Field, numberText(std::floor(10 * s.m3 / kSolarGM) / 10)},
      {Speed1Field, whole(s.v1)}, {Speed2Field, whole(s.v2)}, {Speed3Field, whole(s.v3)}, {OffsetX2Field, numberText(s.x2 - s.xcm)},
      {OffsetY2Field, numberText(s.y2 - s.ycm)}, {MaxSpeed1Field, whole(s.v1max)}, {MaxSpeed2Field, whole(s.v2max)}, {MaxSpeed3Field, whole(s.v3max)},
      {PhiField, tenths(s.phi)}, {RevolutionsField, numberText(static_cast<double>(s.revolutionCount))},
      {RevolutionTimeField, numberText(truncateTo(s.revolutionTime, 4))}, {FrequencyField, f}, {Mass1Field, tenths(s.m1 / kSolarGM)}, {Mass2Field, tenths(s.m2 / kSolarGM)},
      {TotalTimeField, numberText(truncateTo(s.dt * static_cast<double>(s.stepCount), 4))}};
  // clang-format on
  for (const auto& [id, text] : expected) EXPECT_EQ(h.text(id), text) << controlDesign(id).name;
}

// The state of the buttons and the run's swap of "delta" for "Phi": captions, shown controls (+),
// editsEnabled.
std::string seen(const Harness& h) {
  std::string state = h.text(StartButton) + "|" + h.text(EndButton) + "|" + h.text(RevolutionsLabel) + "|";
  for (ControlId id : {StartButton, AngleStepField, PhiField, PhiLabel}) state += h.visible(id) ? "+" : "-";
  return state + std::to_string(h.program.runState.editsEnabled);
}

TEST(RunControl, ARunPausesIntegratesWaitsAndRestores) {
  Harness h;
  h.configure(3, {{MaxCountField, "2000"}, {RevolutionsField, "3"}, {AngleMaxField, "0"}});
  std::string pause, integrating, endWait;
  std::string derived;  // revolution time, step and distances as the set-up shows them
  h.onPhase(RunPhase::Paused, [&] {
    pause = seen(h);
    derived = h.text(RevolutionTimeField) + "|" + h.text(TimeStepField) + "|" + h.text(Distance12Field) +
              "|" + h.text(Distance13Field);
    h.click(StartButton);
  });
  h.onPhase(RunPhase::Integrating, [&] { integrating = seen(h); });
  h.onPhase(RunPhase::EndWait, [&] {
    endWait = seen(h);
    expectEndWaitFields(h, h.recorder.ends.at(0));
    h.click(StartButton);
  });
  h.click(StartButton);
  EXPECT_EQ(pause, "Cont|End|n rev  |++--1");
  EXPECT_EQ(integrating, "Cont|Stop|n rev   3|--++0");
  EXPECT_EQ(endWait, "Next|End|n rev   3|+-++1");
  EXPECT_EQ(seen(h), "Start|End|n rev|+-++1");
  const Fields restored = {{Mass1Field, " 36"},
                           {Mass2Field, " 29"},
                           {Mass3Field, " 5"},
                           {TotalTimeField, " .5"},
                           {RevolutionsField, " 3"}};
  for (const auto& [id, text] : restored) EXPECT_EQ(h.text(id), text) << controlDesign(id).name;
  const LoopState& start = h.recorder.starts.at(0);
  // below 1000 km to tenths, above in whole kilometres
  const double d01 = distance(start.x2 - start.x1, start.y2 - start.y1),
               d02 = distance(start.x3 - start.x1, 0);
  EXPECT_EQ(derived, numberText(truncateTo(start.revolutionTime, 4)) + "|" +
                         numberText(truncateTo(1000000 * start.dt, 4)) + "|" +
                         numberText(truncateTo(d01, 1)) + "|" + numberText(std::floor(d02)));
  EXPECT_EQ(std::tuple(h.platform.waits, h.platform.stalled, h.program.runState.stopRequested),
            std::tuple(2, false, 0));
}

TEST(RunControl, TouchingTheSetUpEndsAWaitAndEndEndsTheProgramFromEveryWait) {
  // what happens in the pause or the end wait; whether the run integrated; the fields restored
  const struct {
    const char* wait;
    std::function<void(Harness&)> act;
    bool integrated, ended;
  } cases[] = {
      {"Cont", [](Harness& h) { h.click(Mass1Field); }, false, false},
      {"Cont", [](Harness& h) { h.click(BodyCountField); }, false, false},
      {"Cont", [](Harness& h) { h.type(MaxCountField, "5000"), h.click(StartButton); }, false, false},
      {"Cont", [](Harness& h) { h.type(MassGain1Field, "7"); }, true, false},  // no handler: waits on
      {"Cont", [](Harness& h) { h.click(EndButton); }, false, true},
      {"Next", [](Harness& h) { h.click(SpeedRatioField); }, true, false},
      {"Next", [](Harness& h) { h.click(EndButton); }, true, true}};
  for (const auto& c : cases) {
    Harness h;
    h.configure(2, {{MaxCountField, "2000"}, {RevolutionsField, "1"}});
    h.onPhase(c.wait == std::string("Cont") ? RunPhase::Paused : RunPhase::EndWait, [&] { c.act(h); });
    h.run();
    const std::string trace = std::string(c.wait) + " case " + std::to_string(&c - cases);
    EXPECT_EQ(h.program.runState.totalSteps > 0, c.integrated) << trace;
    EXPECT_EQ(h.program.ended(), c.ended) << trace;
    EXPECT_EQ(h.text(StartButton), c.ended ? c.wait : "Start") << trace;
    if (!c.ended) {
      EXPECT_EQ(h.text(Mass2Field), " 29") << trace;  // restored
    }
    EXPECT_FALSE(h.platform.stalled) << trace;
  }
  Harness idle;
  idle.click(EndButton);
  EXPECT_TRUE(idle.program.ended());
}

// The angles a sweep builds, and how many the batch's threads count for it: the run goes on while fewer
// than its length of 1 + (max - min) / delta are built, wherever that falls between whole numbers.
TEST(RunDriver, SweepsTheAngleOfThreeBodiesAndOnlyTheMinimumOfFewer) {
  const struct {
    int count;
    Fields fields;
    std::vector<double> angles;
    const char* dalphaAfter = "10";
  } cases[] = {
      {3, {{AngleMaxField, "25"}}, {0, 10, 20, 30}},
      {3, {{AngleMaxField, "0"}}, {0}, "0"},
      {3, {{AngleMaxField, "-10"}}, {0}, "0"},
      {3, {{AngleMaxField, "5"}}, {0, 10}},
      {3, {{AngleMaxField, "10"}}, {0, 10}},
      {3, {{AngleMaxField, "19.999"}}, {0, 10, 20}},
      {3, {{AngleMaxField, "20"}}, {0, 10, 20}},
      {3, {{AngleMinField, "-20"}, {AngleMaxField, "-5"}, {AngleStepField, "7.5"}}, {-20, -12.5, -5}, "7.5"},
      {2, {{AngleMinField, "90"}}, {90}}};
  for (const auto& c : cases) {
    Harness h;
    h.configure(c.count, c.fields);
    h.type(MaxCountField, "2000");
    const std::int64_t length = sweepLength(readParameters(h.program.panel, c.count).nalpha);
    h.run();
    EXPECT_EQ(h.recorder.angles, c.angles);
    EXPECT_EQ(h.program.runState.configurationsBuilt, static_cast<std::int64_t>(c.angles.size()));
    if (c.count == 3) {
      EXPECT_EQ(length, static_cast<std::int64_t>(c.angles.size())) << c.fields[0].second;
      EXPECT_EQ(h.text(AngleMinField), numberText(c.angles.back()));  // not restored
    }
    EXPECT_EQ(std::tuple(h.platform.waits, h.text(AngleStepField)),
              std::tuple(2, c.dalphaAfter));  // one pause, one wait
  }
  Harness full;
  full.configure(3, {{MaxCountField, "1000"}});
  full.run();
  ASSERT_EQ(full.recorder.angles.size(), 37u);
  EXPECT_EQ(full.recorder.angles.back(), 360);
  EXPECT_EQ(full.recorder.starts.back().alpha, 0);  // 360 builds the configuration of 0
}

TEST(RunDriver, TheDistanceSetUpWritesFrequencyAndSpeedOrGoesStraightToTheEndWait) {
  for (const char* dist : {"1000", "", "abc", " 0 "}) {
    Harness h;
    h.configure(2, {{FrequencyField, ""}, {SpeedRatioField, ""}, {Distance12Field, dist}});
    std::string freq, vc, mass = "?";
    h.onPhase(RunPhase::Paused, [&] {
      freq = h.text(FrequencyField), vc = h.text(SpeedRatioField);
      h.click(EndButton);
    });
    h.onPhase(RunPhase::EndWait, [&] {
      mass = h.text(Mass1Field);
      h.click(StartButton);
    });
    h.click(StartButton);
    if (std::string(dist) == "1000") {
      const double m = 65 * kSolarGM, d = 1000;
      const double f = std::sqrt(m / (d * (d * (d * (kPi * (kPi * 4)))))),
                   v = (36 * kSolarGM / std::sqrt(d * m)) / kLightSpeed;
      std::string expected;
      formatWithMask(f, "###.###", expected);
      EXPECT_EQ(freq, expected);
      EXPECT_EQ(vc, numberText(std::floor(1000 * v) / 1000));
    } else {
      EXPECT_EQ(std::tuple(h.program.runState.totalSteps, h.platform.waits, mass), std::tuple(0, 1, "36"))
          << dist;
      EXPECT_EQ(h.text(StartButton), "Start");
    }
  }
}

// Parameters that divide by zero, and an orbit the model does not have (33 Hz for 36 + 29 solar masses
// under 1PN + 2.5PN), are refused with the reason before anything changes.
TEST(RunDriver, RefusesAnImpossibleRunSayingWhyBeforeAnythingChanges) {
  const struct {
    int count;
    Fields fields;
    std::string reason;
    GravityModel gravity = GravityModel::Newtonian;
    // clang-format off
  } cases[] = {
      {2, {{MaxCountField, "0"}}, "\"Max count\" must be above 0"}, {2, {{MaxCountField, "-5"}}, "\"Max count\" must be above 0"},
      {3, {{AngleStepField, "0"}}, "\"delta\" must not be 0"}, {2, {{Mass1Field, "0"}, {Mass2Field, "0"}}, "both 0"},
      {2, {{Mass1Field, "1"}, {Mass2Field, "-2"}}, "no positive, finite separation"},
      {2, {{Mass1Field, "0"}}, "no positive, finite orbital speed"},
      {1, {{SpeedRatioField, "1e300"}}, "no positive, finite separation"},
      {2, {{FrequencyField, ""}, {Distance12Field, "-100"}}, "no positive, finite separation"},
      {2, {{FrequencyField, ""}, {Distance12Field, "1e308"}}, "no positive, finite orbital speed"},
      {3, {}, "33 Hz is above the highest circular orbit of 1PN + 2.5PN gravity for 36 + 29 solar masses (20.2 Hz)",
       named("1pn+2.5pn")}};
  // clang-format on
  const auto screen = [](const Harness& h) {
    std::string all;
    for (const ControlDesign& d : controlTable()) all += h.text(d.id) + (h.visible(d.id) ? "+" : "-");
    return all;
  };
  for (const auto& c : cases) {
    Harness h(c.gravity);
    h.configure(c.count, c.fields);
    h.program.display.setPixel(5, 5, 0x123456);
    const std::string before = screen(h);
    h.click(StartButton);
    EXPECT_EQ(screen(h), before) << c.reason;
    ASSERT_EQ(h.platform.refusals.size(), 1u) << c.reason;
    EXPECT_NE(h.platform.refusals[0].find(c.reason), std::string::npos) << h.platform.refusals[0];
    EXPECT_EQ(std::tuple(h.program.display.pixel(5, 5), h.platform.waits, h.recorder.starts.size()),
              std::tuple(0x123456u, 0, 0u));
  }
  Harness emptySweep;  // a step of 0 is fine where nothing is swept
  emptySweep.configure(3, {{AngleStepField, "0"}, {AngleMaxField, "0"}, {MaxCountField, "1000"}});
  emptySweep.run();
  EXPECT_TRUE(emptySweep.platform.refusals.empty());
}

// The first refresh on the clock comes at the first step, as with a refresh every step; a clock that
// stands still is read sparingly; after midnight the refreshes go on.
TEST(RunRefresh, ComesAtTheFirstStepReadsTheClockSparinglyAndGoesOnAfterMidnight) {
  std::string first[2];
  for (int every : {0, 1}) {
    Harness h;
    h.configure(2, {{MaxCountField, "2000"}, {RevolutionsField, "1"}}, every);
    h.platform.setClock(1000, 0);
    OnControl watch(h.program.panel, [&](ControlId id) {
      if (id == OffsetY2Field && first[every].empty()) first[every] = h.text(OffsetY2Field);
    });
    h.run();
    EXPECT_LT(h.platform.clockReads, every == 0 ? h.program.runState.totalSteps / 100 : 1);
  }
  EXPECT_EQ(first[0], first[1]);
  EXPECT_NE(first[0], "");

  Harness night;
  night.configure(2, {{MaxCountField, "20000"}, {RevolutionsField, "3"}, {TotalTimeField, "0"}}, 0);
  night.platform.setClock(86399.0, 0.02);
  int afterMidnight = 0;
  OnControl watch(night.program.panel, [&](ControlId id) {
    afterMidnight += id == TotalTimeField && night.platform.clock() < 3600;
  });
  night.run();
  EXPECT_GT(afterMidnight, 10);
  EXPECT_NEAR(night.platform.clock(), 86399 + 0.02 * static_cast<double>(night.platform.clockReads) - 86400,
              1e-6);
}

// One step a revolution and a sweep of 0 to 10^300: every configuration ends at its first step, faster
// than light, long before a plot step; the sweep has no end but Stop or End.
TEST(RunDriver, AnEndlessSweepOfOneStepConfigurationsHearsStopAndEnd) {
  for (bool stop : {true, false}) {
    Harness h;
    h.configure(3, {{MaxCountField, "1"}, {AngleMaxField, "1e300"}, {AngleStepField, "1"}});
    h.platform.when([&] { return h.program.runState.configurationsBuilt >= 50; },
                    [&] { stop ? h.click(EndButton) : h.platform.endProgram(); });
    h.run();
    EXPECT_EQ(h.program.runState.configurationsBuilt, 50);
    EXPECT_EQ(h.recorder.ends.front().reason, EndReason::LightSpeed);
    EXPECT_EQ(std::tuple(h.text(StartButton), h.platform.waits), std::tuple(stop ? "Start" : "Cont", 1));
    EXPECT_EQ(h.program.ended(), !stop);
  }
}

}  // namespace
}  // namespace bhsim::testing
