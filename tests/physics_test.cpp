// The orbit a configuration starts from, and what the integration does with it.
#include <gtest/gtest.h>

#include <cmath>

#include "recorder.hpp"
#include "sim/constants.hpp"
#include "test_support.hpp"

namespace bhsim::testing {
namespace {

using enum ControlId;

const double kPi = 4 * std::atan(1.0);

// Builds the first configuration and ends the program at the pause; returns the state it was built with.
struct SetupProbe : RunObserver {
  explicit SetupProbe(Harness& h) : h(h) {
    h.program.observer = this;
    h.program.options.refreshEvery = 1000;
  }
  void onConfigurationStart(int, double, const LoopState& s) override {
    state = s;
    h.click(CommandEnd);  // it reads "Stop": the loop leaves at its first plot
  }
  void build() {
    h.onCaption(CommandStart, "Cont", [this] {
      tvc = h.text(Tvc);
      tbh1 = h.text(TBH1);
      h.click(CommandStart);
    });
    h.onCaption(CommandStart, "Next", [this] { h.click(CommandStart); });
    h.click(CommandStart);
  }
  Harness& h;
  LoopState state;
  std::string tvc, tbh1;
};

TEST(Setup, SpeedOfLightAroundOneSolarMass) {
  Harness h;  // one black hole, v/c = 1
  h.type(TBH1, "1");
  SetupProbe probe(h);
  probe.build();
  const LoopState& s = probe.state;
  const double dist = GM / (c * c);
  EXPECT_DOUBLE_EQ(s.x1 - s.x0, dist);
  EXPECT_EQ(s.x0, 0);
  EXPECT_EQ(s.y0, 0);
  EXPECT_EQ(std::hypot(s.vx0, s.vy0), 0);
  EXPECT_NEAR(std::hypot(s.vx1, s.vy1), 299792, 1e-6);
  EXPECT_DOUBLE_EQ(s.Revtime, 2 * kPi * dist / 299792);
  EXPECT_DOUBLE_EQ(s.dt, s.Revtime / 1000000);
}

TEST(Setup, EqualMassesAtZeroDegreesMoveOppositeWays) {
  Harness h;
  h.setBodyCount(2);
  h.type(TBH2, "36");
  SetupProbe probe(h);
  probe.build();
  const LoopState& s = probe.state;
  EXPECT_GT(s.x1, 0);
  EXPECT_DOUBLE_EQ(s.x0, -s.x1);
  EXPECT_NEAR(s.y1, 0, 1e-12 * s.x1);
  EXPECT_GT(s.vy1, 0);
  EXPECT_LT(s.vy0, 0);
  EXPECT_DOUBLE_EQ(s.vy1, -s.vy0);
  EXPECT_NEAR(s.vx1, 0, 1e-12 * s.vy1);
}

TEST(Setup, NinetyDegreesPutsTheSecondBodyOnThePositiveYAxisMovingLeft) {
  Harness h;
  h.setBodyCount(2);
  h.type(Talphamin, "90");
  SetupProbe probe(h);
  probe.build();
  const LoopState& s = probe.state;
  EXPECT_GT(s.y1, 0);
  EXPECT_NEAR(s.x1, 0, 1e-12 * s.y1);
  EXPECT_LT(s.vx1, 0);
  EXPECT_EQ(s.alpha, 90);
  EXPECT_EQ(s.phi, 90);
}

TEST(Setup, OneHertzAroundOneSolarMass) {
  Harness h;
  h.type(TBH1, "1");
  h.type(Tvc, "");
  h.type(Tfreq, "1");
  SetupProbe probe(h);
  probe.build();
  const double dist = probe.state.x1 - probe.state.x0;
  EXPECT_NEAR(dist, 1498, 1);
  EXPECT_EQ(probe.tvc, " .031");
  EXPECT_EQ(probe.tbh1, "1");
}

TEST(Setup, FasterThanLightLowersTheSingleMassToFit) {
  Harness h;
  h.type(TBH1, "1");
  h.type(Tvc, "");
  h.type(Tfreq, "100000");
  SetupProbe probe(h);
  probe.build();
  const double dist = c / (100000 * (kPi * 2));
  EXPECT_NEAR(dist, 0.477, 0.001);
  EXPECT_DOUBLE_EQ(probe.state.m0, dist * (c * c));
  EXPECT_NEAR(probe.state.m0 / GM, 0.323, 0.001);
  EXPECT_EQ(probe.tbh1, " .3");
  EXPECT_EQ(probe.tvc, " 1");
}

TEST(Setup, FasterThanLightWithTwoBodiesOnlyClampsTheShownRatio) {
  Harness h;
  h.setBodyCount(2);
  h.type(Tfreq, "100000");
  SetupProbe probe(h);
  probe.build();
  EXPECT_EQ(probe.tvc, " 1");
  EXPECT_EQ(probe.tbh1, "36");
  EXPECT_DOUBLE_EQ(probe.state.m0, 36 * GM);
  const double omega = 100000 * (kPi * 2);
  const double dist = std::pow((65 * GM) / (omega * omega), kCubeRootExponent);
  EXPECT_DOUBLE_EQ(probe.state.x1 - probe.state.x0, dist);
}

TEST(Setup, EveryConfigurationOfASweepStartsFromTheParametersAsRead) {
  // A clamped frequency set-up rewrites v/c; the next configurations must not take the speed path.
  Harness h;
  h.configure(3, {{Tmaxcount, "2000"}, {Tnrev, "1"}, {Tfreq, "100000"}, {Talphamax, "20"}}, 100);
  Recorder recorder;
  h.program.observer = &recorder;
  h.run();
  ASSERT_EQ(recorder.starts.size(), 3u);
  for (const LoopState& s : recorder.starts) {
    EXPECT_EQ(s.Revtime, recorder.starts[0].Revtime);
    EXPECT_EQ(s.dt, recorder.starts[0].dt);
  }
}

TEST(Physics, CentreOfMassStaysAtTheOriginWithoutMassChange) {
  Harness h;
  h.configure(2, {{Tdm1, "0"}, {Tdm2, "0"}, {Tmaxcount, "100000"}, {Tnrev, "2"}}, 10000);
  double worst = 0;
  const double m0 = 36 * GM, m1 = 29 * GM;
  h.platform.always([&] {
    const Module1& m = h.program.module;
    if (h.text(CommandEnd) != "Stop") return;
    const double xcm = (m0 * m.x0 + m1 * m.x1) / (m0 + m1);
    const double ycm = (m0 * m.y0 + m1 * m.y1) / (m0 + m1);
    const double separation = std::hypot(m.x1 - m.x0, m.y1 - m.y0);
    worst = std::max(worst, std::hypot(xcm, ycm) / separation);
  });
  h.run();
  EXPECT_GT(h.program.module.totalSteps, 150000);
  EXPECT_LT(worst, 1e-9);
}

TEST(Physics, FirstTimedRevolutionTakesTheSetUpRevolutionTime) {
  Harness h;
  h.configure(2, {{Tdm1, "0"}, {Tdm2, "0"}, {Tmaxcount, "100000"}, {Tnrev, "2"}}, 10000);
  Recorder recorder;
  h.program.observer = &recorder;
  h.run();
  ASSERT_EQ(recorder.revolutions.size(), 2u);
  const double planned = recorder.starts[0].Revtime;
  EXPECT_NEAR(recorder.revolutions[0].Revtime, planned, 1e-4 * planned);
  EXPECT_NEAR(std::fabs(static_cast<double>(recorder.revolutions[0].revsteps) - 100000), 0, 100);
}

TEST(Physics, TheMassesGrowByTheirPercentagePerMaxCountSteps) {
  Harness h;
  h.configure(2, {{Tmaxcount, "2000"}, {Tnrev, "0"}, {Ttotaltime, "0"}}, 100);
  Recorder recorder;
  h.program.observer = &recorder;
  // a Stop pressed at the pump of step 3000 is acted on at step 4000
  h.platform.when([&] { return h.program.module.totalSteps >= 3000; }, [&] { h.click(CommandEnd); });
  h.run();
  ASSERT_EQ(recorder.ends.size(), 1u);
  const LoopState& s = recorder.ends[0];
  ASSERT_EQ(s.cnt, 4000);
  // (0.05 * m) / 2000 a step; the step the Stop ends leaves the loop before its mass change
  EXPECT_NEAR(s.m0, 36 * GM * (1 + 0.05 * 3999 / 2000), 1e-9 * 36 * GM);
  EXPECT_NEAR(s.m1, 29 * GM * (1 + 0.05 * 3999 / 2000), 1e-9 * 29 * GM);
}

TEST(Physics, OppositeMassChangesMoveTheSameAmount) {
  Harness h;
  h.configure(2, {{Tdm1, "-5"}, {Tmaxcount, "2000"}}, 100);
  Recorder recorder;
  h.program.observer = &recorder;
  h.platform.when([&] { return h.program.module.totalSteps >= 2000; }, [&] { h.click(CommandEnd); });
  h.run();
  const LoopState& s = recorder.ends.at(0);
  // black hole 2 gains 5 % of 29, black hole 1 gives up exactly as much
  EXPECT_DOUBLE_EQ(s.dmu0, -s.dmu1);
  EXPECT_NEAR(s.m0 + s.m1, 65 * GM, 1e-9 * 65 * GM);
}

}  // namespace
}  // namespace bhsim::testing
