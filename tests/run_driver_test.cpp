// A whole run: sweeps, the end wait and restore, refused parameters, the refresh clock.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "format/number_text.hpp"
#include "format/truncate.hpp"
#include "recorder.hpp"
#include "sim/constants.hpp"
#include "test_support.hpp"

namespace bhsim::testing {
namespace {

using enum ControlId;

std::map<std::string, std::string> snapshot(const Harness& h) {
  std::map<std::string, std::string> all;
  for (const ControlDesign& design : controlTable()) {
    all[std::string(design.name)] = h.text(design.id) + (h.visible(design.id) ? "|shown|" : "|hidden|") +
                                    std::to_string(h.program.form1.top(design.id));
  }
  return all;
}

struct QuickRun : ::testing::Test {
  void configure(int bodies) {
    h.setBodyCount(bodies);
    h.type(Tmaxcount, "2000");
    h.program.options.refreshEvery = 100;
    h.program.observer = &recorder;
  }
  Harness h;
  Recorder recorder;
};

TEST_F(QuickRun, TwoBodiesShowTheMassesReachedAtNextAndRestoreThemAfter) {
  configure(2);
  std::string atNext1, atNext2, atNextTime;
  h.onCaption(CommandStart, "Cont", [&] { h.click(CommandStart); });
  h.onCaption(CommandStart, "Next", [&] {
    atNext1 = h.text(TBH1);
    atNext2 = h.text(TBH2);
    atNextTime = h.text(Ttotaltime);
    h.click(CommandStart);
  });
  h.click(CommandStart);
  ASSERT_EQ(recorder.ends.size(), 1u);
  const LoopState& last = recorder.ends.back();
  // the sweep end truncates m / GM, the refresh (10 m) / GM
  EXPECT_EQ(atNext1, numberText(truncateTo(last.m0 / GM, 1)));
  EXPECT_EQ(atNext2, numberText(truncateTo(last.m1 / GM, 1)));
  EXPECT_EQ(atNextTime, numberText(truncateTo(last.dt * static_cast<double>(last.cnt), 4)));
  EXPECT_EQ(last.reason, EndReason::Revolutions);
  EXPECT_EQ(last.nrevcnt, 7);
  // the masses grew by 5 % of their start per 2000 steps
  EXPECT_NEAR(last.m0, 36 * GM * (1 + 0.05 * static_cast<double>(last.cnt) / 2000), 1e-6 * 36 * GM);
  EXPECT_EQ(h.text(TBH1), " 36");
  EXPECT_EQ(h.text(TBH2), " 29");
  EXPECT_EQ(h.text(TBH3), " 5");
  EXPECT_EQ(h.text(Ttotaltime), " .5");
  EXPECT_EQ(h.text(Tnrev), " 7");
  EXPECT_EQ(h.program.module.configurationsBuilt, 1);
}

TEST_F(QuickRun, ThreeBodiesSweepThirtySevenAnglesWithOnePause) {
  configure(3);
  h.answerContAndNext();
  h.click(CommandStart);
  ASSERT_EQ(recorder.angles.size(), 37u);
  for (std::size_t k = 0; k < 37; ++k) EXPECT_EQ(recorder.angles[k], 10.0 * static_cast<double>(k));
  EXPECT_EQ(recorder.starts.back().alpha, 0);  // 360 builds the configuration of 0
  EXPECT_EQ(h.platform.waits, 2);
  EXPECT_EQ(h.text(Talphamin), " 360");  // not restored
  EXPECT_EQ(h.program.module.configurationsBuilt, 37);
}

TEST_F(QuickRun, ASpanThatIsNotAMultipleOfTheStepEndsOnceTheCounterPassesIt) {
  configure(3);
  h.type(Talphamax, "25");
  h.answerContAndNext();
  h.click(CommandStart);
  EXPECT_EQ(recorder.angles, (std::vector<double>{0, 10, 20, 30}));
}

TEST_F(QuickRun, EqualMinimumAndMaximumAngleBuildOneConfigurationAndZeroTheStep) {
  configure(3);
  h.type(Talphamax, "0");
  h.answerContAndNext();
  h.click(CommandStart);
  EXPECT_EQ(recorder.angles.size(), 1u);
  EXPECT_EQ(h.text(Tdalpha), "0");
}

TEST_F(QuickRun, OneOrTwoBodiesBuildOneConfigurationAtTheMinimumAngle) {
  configure(2);
  h.type(Talphamin, "90");
  h.answerContAndNext();
  h.click(CommandStart);
  EXPECT_EQ(recorder.angles, (std::vector<double>{90}));
}

TEST_F(QuickRun, DistancePathWithoutAUsableSeparationGoesStraightToTheEndWait) {
  for (const char* text : {"", "abc", "0", " 0 "}) {
    Harness h2;
    h2.setBodyCount(2);
    h2.type(Tfreq, "");
    h2.type(Tvc, "");
    h2.type(Tdist01, text);
    std::string tbh1AtNext = "?";
    h2.onCaption(CommandStart, "Next", [&] {
      tbh1AtNext = h2.text(TBH1);
      h2.click(CommandStart);
    });
    h2.click(CommandStart);
    EXPECT_EQ(h2.program.module.totalSteps, 0) << text;
    EXPECT_EQ(h2.platform.waits, 1) << text;  // no pause, only the end wait
    EXPECT_EQ(tbh1AtNext, "36") << text;      // no sweep-end write
    EXPECT_EQ(h2.text(TBH1), " 36") << text;  // restored
    EXPECT_EQ(h2.text(CommandStart), "Start") << text;
  }
}

TEST_F(QuickRun, DistancePathWritesTheFrequencyAndSpeedRatioOfTheSeparation) {
  configure(2);
  h.type(Tfreq, "");
  h.type(Tvc, "");
  h.type(Tdist01, "1000");
  std::vector<std::string> freqTexts;
  struct Watch : Form1Observer {
    std::vector<std::string>* texts;
    const Form1* form;
    void controlChanged(ControlId id) override {
      if (id == Tfreq) texts->push_back(form->text(Tfreq));
    }
    void windowChanged() override {}
  } watch;
  watch.texts = &freqTexts;
  watch.form = &h.program.form1;
  h.program.form1.addObserver(&watch);
  std::string vcAtCont;
  h.onCaption(CommandStart, "Cont", [&] {
    vcAtCont = h.text(Tvc);
    h.click(CommandEnd);  // end here: only the set-up matters
  });
  h.click(CommandStart);
  h.program.form1.removeObserver(&watch);

  const double Pi = 4 * std::atan(1.0);
  const double m0 = GM * 36, m1 = GM * 29, dist = 1000;
  const double f = std::sqrt((m0 + m1) / (dist * (dist * (dist * (Pi * (Pi * 4))))));
  const double vc = (m0 / std::sqrt(dist * (m0 + m1))) / c;
  ASSERT_GE(freqTexts.size(), 1u);
  // USINGX cuts to three decimals after the blank-padded integer part
  char expected[32];
  std::snprintf(expected, sizeof expected, "%3d.%03d", static_cast<int>(f),
                static_cast<int>(std::floor((f - std::floor(f)) * 1000)));
  EXPECT_EQ(freqTexts.front(), expected);
  EXPECT_EQ(vcAtCont, numberText(std::floor(1000 * vc) / 1000));
}

struct Refusal {
  const char* what;
  int bodies;
  std::vector<std::pair<ControlId, const char*>> fields;
};

TEST(RunRefusal, ParametersThatWouldDivideByZeroOrMakeNoOrbitAreRefusedBeforeAnythingIsWritten) {
  const Refusal cases[] = {
      {"max count 0", 2, {{Tmaxcount, "0"}}},
      {"negative max count", 2, {{Tmaxcount, "-5"}}},
      {"sweep step 0", 3, {{Tdalpha, "0"}}},
      {"no masses", 2, {{TBH1, "0"}, {TBH2, "0"}}},
      {"negative total mass", 2, {{TBH1, "1"}, {TBH2, "-2"}}},
      {"massless first body", 2, {{TBH1, "0"}}},
      {"speed too large to square", 1, {{Tvc, "1e300"}}},
      {"negative separation", 2, {{Tfreq, ""}, {Tdist01, "-100"}}},
  };
  for (const Refusal& r : cases) {
    Harness h;
    h.setBodyCount(r.bodies);
    for (const auto& [id, text] : r.fields) h.type(id, text);
    h.program.form2.setPixel(5, 5, 0x123456);
    const auto before = snapshot(h);
    h.click(CommandStart);
    EXPECT_EQ(snapshot(h), before) << r.what;
    ASSERT_EQ(h.platform.refusals.size(), 1u) << r.what;
    EXPECT_FALSE(h.platform.refusals.front().empty());
    EXPECT_EQ(h.program.form2.pixel(5, 5), 0x123456u) << r.what;  // not even cleared
    EXPECT_EQ(h.platform.waits, 0) << r.what;
  }
}

TEST(RunRefusal, ZeroStepIsFineWhenTheSweepIsEmptyOrThereAreFewerThanThreeBodies) {
  for (int bodies : {2, 3}) {
    Harness h;
    h.setBodyCount(bodies);
    h.type(Tmaxcount, "2000");
    h.type(Tdalpha, "0");
    if (bodies == 3) h.type(Talphamax, "0");
    h.program.options.refreshEvery = 100;
    h.answerContAndNext();
    h.click(CommandStart);
    EXPECT_TRUE(h.platform.refusals.empty()) << bodies;
    EXPECT_EQ(h.program.module.configurationsBuilt, 1) << bodies;
  }
}

TEST(RunRefresh, FirstRefreshComesAtTheFirstStepAndTheClockIsReadSparingly) {
  Harness h;
  h.setBodyCount(2);
  h.type(Tmaxcount, "2000");
  h.type(Tnrev, "1");
  h.platform.setClock(1000, 0);  // a clock that stands still: only the first step and the end refresh
  std::vector<std::string> phiTexts;
  h.answerContAndNext();
  h.click(CommandStart);
  // Tphi is written only by a refresh; with the clock standing still the last step's refresh wrote it
  EXPECT_NE(h.text(Tphi), "");
  EXPECT_LT(h.platform.clockReads, h.program.module.totalSteps / 100);
}

TEST(RunRefresh, RefreshGoesOnAfterMidnight) {
  Harness h;
  h.setBodyCount(2);
  h.type(Tmaxcount, "20000");
  h.type(Tnrev, "3");
  h.type(Ttotaltime, "0");
  h.platform.setClock(86399.0, 0.02);
  std::vector<double> refreshClock;
  struct Watch : Form1Observer {
    std::function<void()> onTotal;
    void controlChanged(ControlId id) override {
      if (id == Ttotaltime) onTotal();
    }
    void windowChanged() override {}
  } watch;
  watch.onTotal = [&] { refreshClock.push_back(h.platform.clock()); };
  h.answerContAndNext();
  h.program.form1.addObserver(&watch);
  h.click(CommandStart);
  h.program.form1.removeObserver(&watch);
  int afterMidnight = 0;
  for (double t : refreshClock) afterMidnight += t < 3600 ? 1 : 0;
  // about one refresh per five readings of the clock keep coming after it wrapped to 0
  EXPECT_GT(afterMidnight, 10);
}

}  // namespace
}  // namespace bhsim::testing
