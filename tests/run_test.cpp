// A whole run through its states: the buttons and waits, the sweep, the fields it writes, refusals and
// the refresh clock.
#include <gtest/gtest.h>

#include <cmath>

#include "format/number_text.hpp"
#include "format/truncate.hpp"
#include "format/usingx.hpp"
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
  USINGX(1 / s.Revtime, "###.###", f);
  // clang-format off
  const Fields expected = {
      {Tdist01, tenths(s.dist01)}, {Tdist01min, tenths(s.d12)}, {Td1, tenths(distance(s.x0 - s.xcm, s.y0 - s.ycm))},
      {Td2, tenths(distance(s.x1 - s.xcm, s.y1 - s.ycm))}, {TBH3, numberText(std::floor(10 * s.m2 / GM) / 10)},
      {Tv0, whole(s.v0)}, {Tv1, whole(s.v1)}, {Tv2, whole(s.v2)}, {Tx1, numberText(s.x1 - s.xcm)},
      {Ty1, numberText(s.y1 - s.ycm)}, {Tv1max, whole(s.v0max)}, {Tv2max, whole(s.v1max)}, {Tv3max, whole(s.v2max)},
      {Tphi, tenths(s.phi)}, {Tnrev, numberText(static_cast<double>(s.nrevcnt))},
      {TTrev, numberText(truncateTo(s.Revtime, 4))}, {Tfreq, f}, {TBH1, tenths(s.m0 / GM)}, {TBH2, tenths(s.m1 / GM)},
      {Ttotaltime, numberText(truncateTo(s.dt * static_cast<double>(s.cnt), 4))}};
  // clang-format on
  for (const auto& [id, text] : expected) EXPECT_EQ(h.text(id), text) << controlDesign(id).name;
}

// The state of the buttons and the run's swap of "delta" for "Phi": captions, shown controls (+),
// EditsEnabled.
std::string seen(const Harness& h) {
  std::string state = h.text(CommandStart) + "|" + h.text(CommandEnd) + "|" + h.text(Lnrev) + "|";
  for (ControlId id : {CommandStart, Tdalpha, Tphi, Lphi}) state += h.visible(id) ? "+" : "-";
  return state + std::to_string(h.program.module.EditsEnabled);
}

TEST(RunControl, ARunPausesIntegratesWaitsAndRestores) {
  Harness h;
  h.configure(3, {{Tmaxcount, "2000"}, {Tnrev, "3"}, {Talphamax, "0"}});
  const Recorder& recorder = h.recorder;
  std::string pause, integrating, endWait;
  std::string derived;  // revolution time, step and distances as the set-up shows them
  h.onCaption(CommandStart, "Cont", [&] {
    pause = seen(h);
    derived = h.text(TTrev) + "|" + h.text(Tdt) + "|" + h.text(Tdist01) + "|" + h.text(Tdist02);
    h.click(CommandStart);
  });
  h.platform.when([&] { return h.text(CommandEnd) == "Stop"; }, [&] { integrating = seen(h); });
  h.onCaption(CommandStart, "Next", [&] {
    endWait = seen(h);
    expectEndWaitFields(h, recorder.ends.at(0));
    h.click(CommandStart);
  });
  h.click(CommandStart);
  EXPECT_EQ(pause, "Cont|End|n rev  |++--1");
  EXPECT_EQ(integrating, "Cont|Stop|n rev   3|--++0");
  EXPECT_EQ(endWait, "Next|End|n rev   3|+-++1");
  EXPECT_EQ(seen(h), "Start|End|n rev|+-++1");
  for (const auto& [id, text] :
       Fields{{TBH1, " 36"}, {TBH2, " 29"}, {TBH3, " 5"}, {Ttotaltime, " .5"}, {Tnrev, " 3"}})
    EXPECT_EQ(h.text(id), text) << controlDesign(id).name;
  const LoopState& start = recorder.starts.at(0);
  // below 1000 km to tenths, above in whole kilometres
  const double d01 = distance(start.x1 - start.x0, start.y1 - start.y0),
               d02 = distance(start.x2 - start.x0, 0);
  EXPECT_EQ(derived, numberText(truncateTo(start.Revtime, 4)) + "|" +
                         numberText(truncateTo(1000000 * start.dt, 4)) + "|" +
                         numberText(truncateTo(d01, 1)) + "|" + numberText(std::floor(d02)));
  EXPECT_EQ(std::tuple(h.platform.waits, h.platform.stalled, h.program.module.StopRequested),
            std::tuple(2, false, 0));
}

TEST(RunControl, TouchingTheSetUpEndsAWaitAndEndEndsTheProgramFromEveryWait) {
  // what happens in the pause or the end wait; whether the run integrated; the fields restored
  const struct {
    const char* wait;
    std::function<void(Harness&)> act;
    bool integrated, ended;
  } cases[] = {{"Cont", [](Harness& h) { h.click(TBH1); }, false, false},
               {"Cont", [](Harness& h) { h.click(TnBH); }, false, false},
               {"Cont", [](Harness& h) { h.type(Tmaxcount, "5000"), h.click(CommandStart); }, false, false},
               {"Cont", [](Harness& h) { h.type(Tdm1, "7"); }, true, false},  // no handler: waits on
               {"Cont", [](Harness& h) { h.click(CommandEnd); }, false, true},
               {"Next", [](Harness& h) { h.click(Tvc); }, true, false},
               {"Next", [](Harness& h) { h.click(CommandEnd); }, true, true}};
  for (const auto& c : cases) {
    Harness h;
    h.configure(2, {{Tmaxcount, "2000"}, {Tnrev, "1"}});
    h.onCaption(CommandStart, c.wait, [&] { c.act(h); });
    h.run();
    const std::string trace = std::string(c.wait) + " case " + std::to_string(&c - cases);
    EXPECT_EQ(h.program.module.totalSteps > 0, c.integrated) << trace;
    EXPECT_EQ(h.program.ended(), c.ended) << trace;
    EXPECT_EQ(h.text(CommandStart), c.ended ? c.wait : "Start") << trace;
    if (!c.ended) {
      EXPECT_EQ(h.text(TBH2), " 29") << trace;  // restored
    }
    EXPECT_FALSE(h.platform.stalled) << trace;
  }
  Harness idle;
  idle.click(CommandEnd);
  EXPECT_TRUE(idle.program.ended());
}

TEST(RunDriver, SweepsTheAngleOfThreeBodiesAndOnlyTheMinimumOfFewer) {
  const struct {
    int count;
    Fields fields;
    std::vector<double> angles;
    const char* dalphaAfter;
  } cases[] = {{3, {{Talphamax, "25"}}, {0, 10, 20, 30}, "10"},
               {3, {{Talphamax, "0"}}, {0}, "0"},
               {3, {{Talphamin, "-20"}, {Talphamax, "-5"}, {Tdalpha, "7.5"}}, {-20, -12.5, -5}, "7.5"},
               {2, {{Talphamin, "90"}}, {90}, "10"}};
  for (const auto& c : cases) {
    Harness h;
    h.configure(c.count, c.fields);
    h.type(Tmaxcount, "2000");
    const Recorder& recorder = h.recorder;
    h.run();
    EXPECT_EQ(recorder.angles, c.angles);
    EXPECT_EQ(h.program.module.configurationsBuilt, static_cast<std::int64_t>(c.angles.size()));
    EXPECT_EQ(std::tuple(h.platform.waits, h.text(Tdalpha)),
              std::tuple(2, c.dalphaAfter));  // one pause, one wait
    if (c.count == 3) {
      EXPECT_EQ(h.text(Talphamin), numberText(c.angles.back()));  // not restored
    }
  }
  Harness full;
  full.configure(3, {{Tmaxcount, "1000"}});
  const Recorder& recorder = full.recorder;
  full.run();
  ASSERT_EQ(recorder.angles.size(), 37u);
  EXPECT_EQ(recorder.angles.back(), 360);
  EXPECT_EQ(recorder.starts.back().alpha, 0);  // 360 builds the configuration of 0
}

TEST(RunDriver, TheDistanceSetUpWritesFrequencyAndSpeedOrGoesStraightToTheEndWait) {
  for (const char* dist : {"1000", "", "abc", " 0 "}) {
    Harness h;
    h.configure(2, {{Tfreq, ""}, {Tvc, ""}, {Tdist01, dist}});
    std::string freq, vc, mass = "?";
    h.onCaption(CommandStart, "Cont", [&] {
      freq = h.text(Tfreq), vc = h.text(Tvc);
      h.click(CommandEnd);
    });
    h.onCaption(CommandStart, "Next", [&] {
      mass = h.text(TBH1);
      h.click(CommandStart);
    });
    h.click(CommandStart);
    if (std::string(dist) == "1000") {
      const double Pi = 4 * std::atan(1.0), m = 65 * GM, d = 1000;
      const double f = std::sqrt(m / (d * (d * (d * (Pi * (Pi * 4)))))), v = (36 * GM / std::sqrt(d * m)) / c;
      std::string expected;
      USINGX(f, "###.###", expected);
      EXPECT_EQ(freq, expected);
      EXPECT_EQ(vc, numberText(std::floor(1000 * v) / 1000));
    } else {
      EXPECT_EQ(std::tuple(h.program.module.totalSteps, h.platform.waits, mass), std::tuple(0, 1, "36"))
          << dist;
      EXPECT_EQ(h.text(CommandStart), "Start");
    }
  }
}

TEST(RunDriver, RefusesParametersThatDivideByZeroBeforeAnythingChanges) {
  // clang-format off
  const std::pair<int, Fields> cases[] = {
      {2, {{Tmaxcount, "0"}}}, {2, {{Tmaxcount, "-5"}}}, {3, {{Tdalpha, "0"}}}, {2, {{TBH1, "0"}, {TBH2, "0"}}},
      {2, {{TBH1, "1"}, {TBH2, "-2"}}}, {2, {{TBH1, "0"}}}, {1, {{Tvc, "1e300"}}}, {2, {{Tfreq, ""}, {Tdist01, "-100"}}}};
  // clang-format on
  const auto screen = [](const Harness& h) {
    std::string all;
    for (const ControlDesign& d : controlTable()) all += h.text(d.id) + (h.visible(d.id) ? "+" : "-");
    return all;
  };
  for (const auto& [count, fields] : cases) {
    Harness h;
    h.configure(count, fields);
    h.program.form2.setPixel(5, 5, 0x123456);
    const std::string before = screen(h);
    h.click(CommandStart);
    const std::string after = screen(h);
    EXPECT_EQ(after, before) << controlDesign(fields[0].first).name;
    EXPECT_EQ(h.platform.refusals.size(), 1u);
    EXPECT_EQ(std::tuple(h.program.form2.pixel(5, 5), h.platform.waits), std::tuple(0x123456u, 0));
  }
  Harness emptySweep;  // a step of 0 is fine where nothing is swept
  emptySweep.configure(3, {{Tdalpha, "0"}, {Talphamax, "0"}, {Tmaxcount, "1000"}});
  emptySweep.run();
  EXPECT_TRUE(emptySweep.platform.refusals.empty());
}

// The first refresh on the clock comes at the first step, as with a refresh every step; a clock that
// stands still is read sparingly; after midnight the refreshes go on.
TEST(RunRefresh, ComesAtTheFirstStepReadsTheClockSparinglyAndGoesOnAfterMidnight) {
  std::string first[2];
  for (int every : {0, 1}) {
    Harness h;
    h.configure(2, {{Tmaxcount, "2000"}, {Tnrev, "1"}}, every);
    h.platform.setClock(1000, 0);
    OnControl watch(h.program.form1, [&](ControlId id) {
      if (id == Ty1 && first[every].empty()) first[every] = h.text(Ty1);
    });
    h.run();
    EXPECT_LT(h.platform.clockReads, every == 0 ? h.program.module.totalSteps / 100 : 1);
  }
  EXPECT_EQ(first[0], first[1]);
  EXPECT_NE(first[0], "");

  Harness night;
  night.configure(2, {{Tmaxcount, "20000"}, {Tnrev, "3"}, {Ttotaltime, "0"}}, 0);
  night.platform.setClock(86399.0, 0.02);
  int afterMidnight = 0;
  OnControl watch(night.program.form1,
                  [&](ControlId id) { afterMidnight += id == Ttotaltime && night.platform.clock() < 3600; });
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
    h.configure(3, {{Tmaxcount, "1"}, {Talphamax, "1e300"}, {Tdalpha, "1"}});
    const Recorder& recorder = h.recorder;
    h.platform.when([&] { return h.program.module.configurationsBuilt >= 50; },
                    [&] { stop ? h.click(CommandEnd) : h.platform.endProgram(); });
    h.run();
    EXPECT_EQ(h.program.module.configurationsBuilt, 50);
    EXPECT_EQ(recorder.ends.front().reason, EndReason::LightSpeed);
    EXPECT_EQ(std::tuple(h.text(CommandStart), h.platform.waits), std::tuple(stop ? "Start" : "Cont", 1));
    EXPECT_EQ(h.program.ended(), !stop);
  }
}

}  // namespace
}  // namespace bhsim::testing
