// The buttons and the run's two waits: what each press does in each state.
#include <gtest/gtest.h>

#include "test_support.hpp"

namespace bhsim::testing {
namespace {

using enum ControlId;

// Two black holes with a short orbit of 2000 steps a revolution and three revolutions.
struct TwoBodyRun : ::testing::Test {
  void SetUp() override {
    h.setBodyCount(2);
    h.type(Tmaxcount, "2000");
    h.type(Tnrev, "3");
    h.program.options.refreshEvery = 100;
  }
  Module1& module() { return h.program.module; }
  Harness h;
};

TEST_F(TwoBodyRun, PauseThenIntegrationThenEndWaitShowTheirCaptions) {
  struct Seen {
    std::string start, end, lnrev;
    bool startVisible = false, dalphaVisible = false, phiVisible = false;
    int edits = -1;
  } pause, integrating, endWait;
  const auto capture = [this](Seen& seen) {
    seen.start = h.text(CommandStart);
    seen.end = h.text(CommandEnd);
    seen.lnrev = h.text(Lnrev);
    seen.startVisible = h.visible(CommandStart);
    seen.dalphaVisible = h.visible(Tdalpha);
    seen.phiVisible = h.visible(Tphi);
    seen.edits = module().EditsEnabled;
  };
  h.onCaption(CommandStart, "Cont", [&] {
    capture(pause);
    h.click(CommandStart);
  });
  h.platform.when([&] { return h.text(CommandEnd) == "Stop"; }, [&] { capture(integrating); });
  h.onCaption(CommandStart, "Next", [&] {
    capture(endWait);
    h.click(CommandStart);
  });
  h.click(CommandStart);

  EXPECT_EQ(pause.start, "Cont");
  EXPECT_EQ(pause.end, "End");
  EXPECT_TRUE(pause.startVisible);
  EXPECT_EQ(pause.edits, 1);
  EXPECT_EQ(pause.lnrev, "n rev  ");

  EXPECT_FALSE(integrating.startVisible);
  EXPECT_EQ(integrating.end, "Stop");
  EXPECT_EQ(integrating.edits, 0);
  EXPECT_FALSE(integrating.dalphaVisible);
  EXPECT_TRUE(integrating.phiVisible);
  EXPECT_EQ(integrating.lnrev, "n rev   3");  // two blanks of the label, the sign blank, the count

  EXPECT_EQ(endWait.start, "Next");
  EXPECT_TRUE(endWait.startVisible);
  EXPECT_EQ(endWait.end, "End");
  EXPECT_EQ(endWait.edits, 1);

  EXPECT_EQ(h.text(CommandStart), "Start");
  EXPECT_EQ(h.text(Lnrev), "n rev");
  EXPECT_EQ(module().EditsEnabled, 1);
  EXPECT_EQ(module().StopRequested, 0);
  EXPECT_EQ(h.platform.waits, 2);
  EXPECT_FALSE(h.platform.stalled);
}

TEST_F(TwoBodyRun, StopAtAPumpIsActedOnAtTheNextThousandthStepWithoutWaitingForNext) {
  h.type(Tnrev, "0");
  h.type(Ttotaltime, "0");
  h.onCaption(CommandStart, "Cont", [&] { h.click(CommandStart); });
  h.platform.when([&] { return module().totalSteps == 3000; }, [&] { h.click(CommandEnd); });
  h.click(CommandStart);

  EXPECT_EQ(module().totalSteps, 4000);
  EXPECT_EQ(h.platform.waits, 1);  // only the pause blocked
  EXPECT_EQ(h.text(CommandStart), "Start");
  EXPECT_TRUE(h.visible(CommandStart));
  EXPECT_EQ(h.text(CommandEnd), "End");
  // the sweep end wrote the masses, and the restore wrote the saved ones over them
  EXPECT_EQ(h.text(TBH1), " 36");
  EXPECT_EQ(h.text(Ttotaltime), " 0");
  EXPECT_EQ(module().StopRequested, 0);
}

TEST_F(TwoBodyRun, EndInThePauseEndsTheProgramWithoutRestoringFields) {
  h.onCaption(CommandStart, "Cont", [&] { h.click(CommandEnd); });
  h.click(CommandStart);
  EXPECT_TRUE(h.program.ended());
  EXPECT_EQ(h.text(CommandStart), "Cont");
  EXPECT_EQ(h.text(TBH1), "36");  // the restore would have written " 36"
  EXPECT_EQ(module().totalSteps, 0);
}

TEST_F(TwoBodyRun, EndInTheEndWaitEndsTheProgramWithoutRestoringFields) {
  h.onCaption(CommandStart, "Cont", [&] { h.click(CommandStart); });
  h.onCaption(CommandStart, "Next", [&] { h.click(CommandEnd); });
  h.click(CommandStart);
  EXPECT_TRUE(h.program.ended());
  EXPECT_EQ(h.text(CommandStart), "Next");
  EXPECT_NE(h.text(TBH1), " 36");  // still the mass reached, not the restored one
  EXPECT_GT(module().totalSteps, 0);
}

TEST(RunControl, EndWhenIdleEndsTheProgram) {
  Harness h;
  h.click(CommandEnd);
  EXPECT_TRUE(h.program.ended());
}

TEST(RunControl, StopIsNeverReachableAsEndWhileIntegrating) {
  Harness h;
  h.setBodyCount(2);
  h.type(Tmaxcount, "2000");
  bool sawEnd = false;
  h.platform.always([&] {
    if (h.text(CommandEnd) == "Stop") return;
    if (!h.visible(CommandStart)) sawEnd = true;
  });
  h.answerContAndNext();
  h.click(CommandStart);
  EXPECT_FALSE(sawEnd);
  EXPECT_FALSE(h.program.ended());
}

TEST_F(TwoBodyRun, ClickIntoAFieldInThePauseEndsTheRunWithoutIntegrating) {
  h.onCaption(CommandStart, "Cont", [&] { h.click(TBH1); });
  h.click(CommandStart);
  EXPECT_EQ(module().totalSteps, 0);
  EXPECT_EQ(h.platform.waits, 1);
  EXPECT_EQ(h.text(CommandStart), "Start");
  EXPECT_EQ(h.text(CommandEnd), "End");  // never became "Stop"
  EXPECT_EQ(h.text(TBH1), " 36");        // restored in number text form
  EXPECT_EQ(h.text(Tnrev), " 3");
}

TEST_F(TwoBodyRun, ContPressedAfterAFieldChangeEndsTheRun) {
  h.onCaption(CommandStart, "Cont", [&] {
    h.type(Tmaxcount, "5000");  // sets SetupChanged
    h.click(CommandStart);
  });
  h.click(CommandStart);
  EXPECT_EQ(module().UserCommand, "E");
  EXPECT_EQ(module().totalSteps, 0);
  EXPECT_EQ(h.text(CommandStart), "Start");
}

TEST_F(TwoBodyRun, TypingIntoAnUnwatchedFieldKeepsThePauseWaiting) {
  h.onCaption(CommandStart, "Cont", [&] { h.type(Tdm1, "7"); });
  h.onCaption(CommandStart, "Cont", [&] { h.click(CommandStart); });
  h.onCaption(CommandStart, "Next", [&] { h.click(CommandStart); });
  h.click(CommandStart);
  EXPECT_EQ(h.platform.waits, 3);
  EXPECT_GT(module().totalSteps, 0);
}

TEST_F(TwoBodyRun, FieldClickInTheEndWaitEndsTheRunAndRestores) {
  h.onCaption(CommandStart, "Cont", [&] { h.click(CommandStart); });
  h.onCaption(CommandStart, "Next", [&] { h.click(Tvc); });
  h.click(CommandStart);
  EXPECT_EQ(h.text(CommandStart), "Start");
  EXPECT_EQ(h.text(TBH1), " 36");
  EXPECT_EQ(h.text(TBH2), " 29");
  EXPECT_EQ(h.text(Ttotaltime), " .5");
}

TEST(RunControl, BodyCountClickInThePauseEndsTheRunAndRestoresTheNewDefaults) {
  Harness h;  // one black hole
  h.onCaption(CommandStart, "Cont", [&] { h.click(TnBH); });
  h.click(CommandStart);
  EXPECT_EQ(h.program.module.totalSteps, 0);
  EXPECT_EQ(h.program.module.nBH, 2);
  EXPECT_EQ(h.text(TnBH), " 2");
  EXPECT_EQ(h.text(TBH1), " 36");
  EXPECT_EQ(h.text(TBH2), " 29");
  EXPECT_EQ(h.text(TBH3), " 5");
  EXPECT_EQ(h.text(Ttotaltime), " .5");
  EXPECT_EQ(h.text(Tnrev), " 7");
  EXPECT_EQ(h.text(CommandStart), "Start");
}

TEST(RunControl, BodyCountClickWhileIntegratingDoesNothing) {
  Harness h;
  h.setBodyCount(2);
  h.type(Tmaxcount, "2000");
  h.program.options.refreshEvery = 100;
  h.answerContAndNext();
  h.platform.when([&] { return h.text(CommandEnd) == "Stop"; }, [&] { h.click(TnBH); });
  h.click(CommandStart);
  EXPECT_EQ(h.program.module.nBH, 2);
  EXPECT_EQ(h.text(TnBH), " 2");
}

TEST(RunControl, GridButtonIsHiddenAndIgnoresClicks) {
  Harness h;
  h.program.form2.clear();
  h.click(Command3);
  for (Colour pixel : h.program.form2.pixels()) ASSERT_EQ(pixel, kBackgroundColour);
}

}  // namespace
}  // namespace bhsim::testing
