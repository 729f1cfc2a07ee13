// Runs that go where no sensible parameter set goes: masses that shrink to nothing, sweeps of
// configurations that end at once, worlds far larger than the window. Each ends soundly.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>

#include "batch/batch_run.hpp"
#include "field_checks.hpp"
#include "recorder.hpp"
#include "sim/constants.hpp"
#include "test_support.hpp"

namespace bhsim::testing {
namespace {

using enum ControlId;

// A Recorder that gives up on a sweep that would never end: the run cannot be stopped from outside when
// it never passes over the events, so the test breaks out by throwing.
struct SweepGuard : Recorder {
  void onConfigurationStart(int configuration, double angle, const LoopState& state) override {
    if (configuration > kLimit) throw std::runtime_error("the sweep went on past every Stop");
    Recorder::onConfigurationStart(configuration, angle, state);
  }
  static constexpr int kLimit = 20000;
};

// Two black holes losing mass run on with no revolution count and no time limit.
struct ShrinkingMasses : ::testing::Test {
  void run(const std::string& dm1, const std::string& dm2) {
    h.setBodyCount(2);
    h.type(Tmaxcount, "10000");
    h.type(Tnrev, "0");
    h.type(Ttotaltime, "0");
    h.type(Tdm1, dm1);
    h.type(Tdm2, dm2);
    h.program.options.refreshEvery = 500;
    h.program.observer = &recorder;
    h.onCaption(CommandStart, "Cont", [this] { h.click(CommandStart); });
    h.onCaption(CommandStart, "Next", [this] {
      atNext = {h.text(TBH1), h.text(TBH2), h.text(Ttotaltime), h.text(Tx1), h.text(Td1)};
      h.click(CommandStart);
    });
    // Only a budget far beyond the expected end stops it otherwise.
    h.platform.always([this] {
      if (h.program.module.totalSteps >= 1000000 && h.text(CommandEnd) == "Stop") h.click(CommandEnd);
    });
    h.click(CommandStart);
  }
  Harness h;
  Recorder recorder;
  std::vector<std::string> atNext;
};

TEST_F(ShrinkingMasses, BothLosingAllTheirMassEachRevolutionEndAsAtAMerger) {
  // -100 % each: m(t) = m(0) (1 - t / 10000); their sum reaches 0 at step 10000, give or take the
  // rounding of 10000 subtractions, and the next plot step finds it.
  run("-100", "-100");
  ASSERT_EQ(recorder.ends.size(), 1u);
  const LoopState& end = recorder.ends.back();
  EXPECT_EQ(end.reason, EndReason::Coincidence);
  EXPECT_FALSE(recorder.stopped.back());
  EXPECT_LE(end.m0 + end.m1, 0);
  EXPECT_GE(end.cnt, 10000);
  EXPECT_LE(end.cnt, 11000);
  EXPECT_TRUE(std::isfinite(end.xcm) && std::isfinite(end.ycm));
  for (const std::string& text : atNext) EXPECT_TRUE(isNumberText(text)) << text;
  // at step 11000 the masses are -0.1 of their start: -3.6 and -2.9, cut down to tenths
  EXPECT_EQ(atNext[0], "-3.7");
  EXPECT_EQ(atNext[1], "-2.9");
}

TEST_F(ShrinkingMasses, OneGoingNegativeEndsWhenTheSumReachesZero) {
  // m0(t) = 36 (1 - t / 10000) meets -29 at t = 65 / 36 x 10000 = 18055.6 steps: the plot step of 19000.
  run("-100", "0");
  ASSERT_EQ(recorder.ends.size(), 1u);
  const LoopState& end = recorder.ends.back();
  EXPECT_EQ(end.reason, EndReason::Coincidence);
  EXPECT_EQ(end.cnt, 19000);
  EXPECT_LE(end.m0 + end.m1, 0);
  for (const std::string& text : atNext) EXPECT_TRUE(isNumberText(text)) << text;
}

TEST(ShrinkingMassesInBatch, EveryRateEndsWithNumbersInTheFields) {
  for (const char* rates : {"-100 -100", "-100 0", "0 -100", "-100 100", "100 -100", "-1000 -1000", "-5 -5",
                            "-1e6 1e6", "-1e15 1e15", "-99.9 -100.1"}) {
    const std::string text(rates);
    BatchOptions options;
    options.bodyCount = 2;
    options.refreshEvery = 100;
    options.maxSteps = 200000;
    options.fields = {{Tmaxcount, "2000"},
                      {Tnrev, "0"},
                      {Ttotaltime, "0"},
                      {Tdm1, text.substr(0, text.find(' '))},
                      {Tdm2, text.substr(text.find(' ') + 1)}};
    const BatchResult result = runBatch(options);
    ASSERT_EQ(result.status, 0) << rates << ": " << result.refusal;
    EXPECT_LT(result.steps, 200000) << rates << " should end by itself";
    EXPECT_EQ(snapshotProblem(result.endWait, typedTexts(options.fields)), "") << rates;
    EXPECT_EQ(snapshotProblem(result.idle, typedTexts(options.fields)), "") << rates;
  }
}

// Three black holes with one step a revolution: every configuration ends at its first step, faster than
// light, long before any plot step; and the sweep of 0 to 10^300 in steps of 1 has no end.
struct EndlessSweepOfShortConfigurations : ::testing::Test {
  void SetUp() override {
    h.setBodyCount(3);
    h.type(Tmaxcount, "1");
    h.type(Talphamax, "1e300");
    h.type(Tdalpha, "1");
    h.program.options.refreshEvery = 100;
    h.program.observer = &guard;
    h.onCaption(CommandStart, "Cont", [this] { h.click(CommandStart); });
  }
  Harness h;
  SweepGuard guard;
};

TEST_F(EndlessSweepOfShortConfigurations, StopEndsTheSweepAfterTheConfigurationItCameIn) {
  std::int64_t builtAtStop = 0;
  h.platform.when(
      [this] { return h.program.module.configurationsBuilt >= 50 && h.text(CommandEnd) == "Stop"; },
      [&] {
        builtAtStop = h.program.module.configurationsBuilt;
        h.click(CommandEnd);
      });
  h.onCaption(CommandStart, "Next", [this] { h.click(CommandStart); });
  ASSERT_NO_THROW(h.click(CommandStart));
  EXPECT_EQ(builtAtStop, 50);
  EXPECT_EQ(h.program.module.configurationsBuilt, builtAtStop);
  EXPECT_EQ(guard.ends.size(), 50u);
  EXPECT_EQ(guard.ends.front().cnt, 1);
  EXPECT_EQ(guard.ends.front().reason, EndReason::LightSpeed);
  EXPECT_EQ(h.text(CommandStart), "Start");
  EXPECT_FALSE(h.platform.ended());
}

TEST_F(EndlessSweepOfShortConfigurations, EndingTheProgramLeavesTheSweepAtOnce) {
  h.platform.when([this] { return h.program.module.configurationsBuilt >= 20; },
                  [this] { h.platform.endProgram(); });
  ASSERT_NO_THROW(h.click(CommandStart));
  EXPECT_TRUE(h.platform.ended());
  EXPECT_EQ(h.program.module.configurationsBuilt, 20);
  // Nothing is written after the end: the run is still in its integrating state.
  EXPECT_EQ(h.text(CommandEnd), "Stop");
}

TEST(EndlessSweepInBatch, AStepBudgetEndsIt) {
  BatchOptions options;
  options.bodyCount = 3;
  options.maxSteps = 100;
  options.refreshEvery = 100;
  options.fields = {{Tmaxcount, "1"}, {Talphamax, "1e300"}, {Tdalpha, "1"}};
  const BatchResult result = runBatch(options);
  ASSERT_EQ(result.status, 0);
  // one step a configuration: Stop pressed at the pump after the hundredth, acted on there
  EXPECT_EQ(result.steps, 100);
  EXPECT_EQ(result.configurations, 100);
  EXPECT_EQ(snapshotProblem(result.endWait, typedTexts(options.fields)), "");
}

// A Stop that came in during a long configuration waits for the next plot step; when the configurations
// after it are too short to have one, it is still acted on.
TEST(EndlessSweepInBatch, AStopCarriedIntoShortConfigurationsIsActedOn) {
  BatchOptions options;
  options.bodyCount = 3;
  options.maxSteps = 3000;
  options.refreshEvery = 250;
  options.fields = {{Tmaxcount, "367"}, {Talphamax, "1e300"}, {Tdalpha, "1"}};
  const BatchResult result = runBatch(options);
  ASSERT_EQ(result.status, 0);
  EXPECT_GE(result.steps, 3000);
  EXPECT_LE(result.steps, 3000 + kStopSlackSteps);
}

}  // namespace
}  // namespace bhsim::testing
