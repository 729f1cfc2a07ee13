// The fast loop against the plain step-by-step loop: every field text, every dot and every step count
// must be identical, over millions of steps, for one, two and three black holes with mass change,
// capture and mergers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sim/fast_steps.hpp"
#include "test_support.hpp"

namespace bhsim::testing {
namespace {

using enum ControlId;

// Everything a run shows: each field or caption text as it changes, each dot, and the step count.
struct Trail : Form1Observer, RunObserver {
  explicit Trail(const Form1& form) : form(form) {}
  void controlChanged(ControlId id) override {
    events.push_back(std::string(controlDesign(id).name) + "=" + form.text(id));
  }
  void windowChanged() override {}
  void onDot(int configuration, std::int64_t step, int body, double x, double y) override {
    char line[160];
    std::snprintf(line, sizeof line, "dot %d %lld %d %a %a", configuration, static_cast<long long>(step),
                  body, x, y);
    events.emplace_back(line);
  }
  void onConfigurationEnd(int configuration, const LoopState& s, bool stopped) override {
    char line[200];
    std::snprintf(line, sizeof line, "end %d %lld %a %a %a %a %d %d", configuration,
                  static_cast<long long>(s.cnt), s.m0, s.m1, s.phi, s.x2, static_cast<int>(s.reason),
                  stopped);
    events.emplace_back(line);
  }
  const Form1& form;
  std::vector<std::string> events;
};

struct Scenario {
  const char* name;
  int bodies;
  std::vector<std::pair<ControlId, const char*>> fields;
  long maxSteps = 0;  // Stop pressed at the first pump past this many steps (0: none)
};

std::vector<std::string> trailOf(const Scenario& scenario, bool reference) {
  Harness h;
  h.setBodyCount(scenario.bodies);
  for (const auto& [id, text] : scenario.fields) h.type(id, text);
  h.program.options.refreshEvery = 997;
  h.program.options.referenceLoop = reference;
  Trail trail(h.program.form1);
  h.program.form1.addObserver(&trail);
  h.program.observer = &trail;
  if (scenario.maxSteps > 0) {
    h.platform.when([&] { return h.program.module.totalSteps >= scenario.maxSteps; },
                    [&] { h.click(CommandEnd); });
  }
  h.answerContAndNext();
  h.click(CommandStart);
  h.program.form1.removeObserver(&trail);
  trail.events.push_back("steps " + std::to_string(h.program.module.totalSteps));
  return trail.events;
}

class FastLoop : public ::testing::TestWithParam<Scenario> {};

TEST_P(FastLoop, MatchesThePlainLoopExactly) {
  const std::vector<std::string> plain = trailOf(GetParam(), true);
  const std::vector<std::string> fast = trailOf(GetParam(), false);
  ASSERT_GT(plain.size(), 10u);
  ASSERT_EQ(plain.size(), fast.size());
  for (std::size_t i = 0; i < plain.size(); ++i) ASSERT_EQ(plain[i], fast[i]) << "event " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Runs, FastLoop,
    ::testing::Values(
        Scenario{"TwoDefault", 2, {}},  // 7 revolutions of a million steps, 5 % mass gain each
        Scenario{"OneDefault", 1, {}}, Scenario{"OneFrequencyClamped", 1, {{TBH1, "1"}, {Tfreq, "100000"}}},
        Scenario{"TwoOppositeMassChange", 2, {{Tdm1, "-7"}, {Tmaxcount, "50000"}}},
        Scenario{"TwoAtNinety", 2, {{Talphamin, "90"}, {Tmaxcount, "50000"}}},
        Scenario{"TwoAtHalfTurnNegative", 2, {{Talphamin, "-180"}, {Tmaxcount, "50000"}}, 300000},
        Scenario{"TwoAtOddAngle", 2, {{Talphamin, "237.5"}, {Tmaxcount, "30000"}}},
        Scenario{"TwoLosingMassLong",
                 2,
                 {{Tdm1, "-30"}, {Tdm2, "-30"}, {Tmaxcount, "20000"}, {Tnrev, "0"}, {Ttotaltime, "0"}},
                 400000},
        Scenario{"ThreeSweepWithCaptures", 3, {{Tmaxcount, "20000"}}},
        Scenario{"ThreeSweepWithMergers",
                 3,
                 {{TBH1, ".01"},
                  {TBH2, ".01"},
                  {TBH3, ".01"},
                  {Tmaxcount, "3000"},
                  {Ttotaltime, "0"},
                  {Talphamax, "140"}},
                 2000000},
        Scenario{
            "ThreeFewLongRevolutions", 3, {{Tmaxcount, "400000"}, {Talphamin, "270"}, {Talphamax, "270"}}}),
    [](const ::testing::TestParamInfo<Scenario>& info) { return std::string(info.param.name); });

// The classification itself, against the exact angle, over directions all around the circle.
TEST(DirectionWatch, AgreesWithTheExactAngleWheneverItDecides) {
  const double Pi = 4 * std::atan(1.0);
  for (double alpha : {0.0, 10.0, 90.0, 179.5, 180.0, 270.0, 359.9, -30.0}) {
    const step::DirectionWatch watch(alpha);
    long decided = 0;
    for (int i = 0; i < 7200; ++i) {
      const double t0 = i * (2 * Pi / 7200), t1 = t0 + 1e-4 * ((i % 3) - 1) + (i % 7 == 0 ? 0.3 : 0);
      const double ox = std::cos(t0) * 1e5, oy = std::sin(t0) * 1e5;
      const double dx = std::cos(t1) * 1e5, dy = std::sin(t1) * 1e5;
      const signed char oldSide = watch.classify(ox, oy), side = watch.classify(dx, dy);
      bool crossing = false;
      if (oldSide == 0 || side == 0 || !watch.decide(ox, oy, oldSide, dx, dy, side, crossing)) continue;
      ++decided;
      double phiold = 0, phi = 0;
      angleOfDirection(ox, oy, Pi, phiold);
      angleOfDirection(dx, dy, Pi, phi);
      ASSERT_EQ(crossing, step::crossed(phiold, phi, alpha)) << alpha << " " << phiold << " " << phi;
    }
    // it decides wherever the direction turns and stays off the special lines (a third never turns)
    EXPECT_GT(decided, 4500) << alpha;
  }
}

}  // namespace
}  // namespace bhsim::testing
