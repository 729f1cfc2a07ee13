#include <gtest/gtest.h>

#include <QMessageBox>
#include <QTest>

#include "gui_harness.hpp"

namespace bhsim::testing {
namespace {

using enum ControlId;

// Every caption "Start" takes, in order, as the model changes it.
class StartCaptions : public Form1Observer {
 public:
  explicit StartCaptions(Form1& form1) : form1_(form1) { form1_.addObserver(this); }
  ~StartCaptions() override { form1_.removeObserver(this); }
  void controlChanged(ControlId id) override {
    const std::string& caption = form1_.text(CommandStart);
    if (id == CommandStart && (seen.empty() || seen.back() != caption)) seen.push_back(caption);
  }
  void windowChanged() override {}
  std::vector<std::string> seen;

 private:
  Form1& form1_;
};

// Two black holes, 2000 steps a revolution, three revolutions: about 6000 steps.
void smallTwoBodyRun(GuiHarness& h) {
  h.setBodyCount(2);
  h.type(Tmaxcount, "2000");
  h.type(Tnrev, "3");
}

// A run that only the user can end: no revolution count and no total time.
void endlessRun(GuiHarness& h) {
  h.setBodyCount(2);
  h.type(Tnrev, "0");
  h.type(Ttotaltime, "0");
}

// Every pixel the window shows is the model's.
bool showsExactly(const QImage& shown, const Form2& form2) {
  if (shown.size() != QSize(form2.pixelWidth(), form2.pixelHeight())) return false;
  for (int y = 0; y < shown.height(); ++y) {
    for (int x = 0; x < shown.width(); ++x) {
      if ((shown.pixel(x, y) & 0xFFFFFFu) != form2.pixel(x, y)) return false;
    }
  }
  return true;
}

TEST(GuiRun, SmallTwoBodyRunGoesThroughContAndNextAndDrawsThePaths) {
  GuiHarness h;
  smallTwoBodyRun(h);
  StartCaptions captions(h.program().form1);
  std::string nrevAtNext;
  h.clickWhenCaption(CommandStart, "Cont");
  h.user.when([&] { return h.text(CommandStart) == "Next"; },
              [&] {
                nrevAtNext = h.shown(Tnrev);
                h.click(CommandStart);
              });
  h.click(CommandStart);

  EXPECT_FALSE(h.user.gaveUp);
  EXPECT_EQ(captions.seen, (std::vector<std::string>{"Cont", "Next", "Start"}));
  EXPECT_EQ(nrevAtNext, " 3");
  EXPECT_EQ(h.shown(CommandStart), "Start");
  EXPECT_TRUE(h.widget(CommandStart)->isVisible());
  EXPECT_EQ(h.shown(CommandEnd), "End");
  // The inputs saved at the start are written back.
  EXPECT_EQ(h.shown(Tnrev), " 3");
  EXPECT_EQ(h.shown(TBH1), " 36");
  EXPECT_EQ(h.shown(TBH2), " 29");

  ASSERT_TRUE(h.waitForDisplay());
  const QImage shown = h.desktop.display->grab().toImage();
  EXPECT_GT(countPixels(shown, 0x000000), 0);
  EXPECT_GT(countPixels(shown, 0xFF0000), 0);
  // The centre of mass sits at the world origin, the middle of the 150 x 200 area: (Int(149 / 2),
  // Int(199 / 2)).
  EXPECT_EQ(shown.pixel(74, 99) & 0xFFFFFFu, 0x000080u);
  EXPECT_EQ(countPixels(shown, 0x000080), 1);
  EXPECT_TRUE(showsExactly(shown, h.program().form2));
}

TEST(GuiRun, StopDuringIntegrationReturnsToStart) {
  GuiHarness h;
  endlessRun(h);
  bool hiddenWhileIntegrating = false;
  bool waitedForNext = false;
  h.clickWhenCaption(CommandStart, "Cont");
  h.user.when([&] { return h.text(CommandEnd) == "Stop" && h.program().module.totalSteps >= 3000; },
              [&] {
                hiddenWhileIntegrating = h.widget(CommandStart)->isHidden() && h.shown(CommandEnd) == "Stop";
                h.click(CommandEnd);
              });
  // The run passes through "Next" for a single pump after a Stop; a real wait would have Stop cleared.
  h.user.when([&] { return h.text(CommandStart) == "Next" && h.program().module.StopRequested == 0; },
              [&] {
                waitedForNext = true;
                h.click(CommandStart);
              });
  h.click(CommandStart);

  EXPECT_FALSE(h.user.gaveUp);
  EXPECT_FALSE(h.desktop.platform.ended());
  EXPECT_TRUE(hiddenWhileIntegrating);
  EXPECT_FALSE(waitedForNext);
  EXPECT_EQ(h.shown(CommandStart), "Start");
  EXPECT_TRUE(h.widget(CommandStart)->isVisible());
  EXPECT_EQ(h.shown(CommandEnd), "End");
  EXPECT_EQ(h.shown(Tnrev), " 0");
  ASSERT_TRUE(h.waitForDisplay());
  EXPECT_TRUE(showsExactly(h.desktop.display->grab().toImage(), h.program().form2));
}

TEST(GuiRun, ClosingAWindowDuringIntegrationEndsTheProgram) {
  for (bool closeDisplay : {false, true}) {
    GuiHarness h;
    endlessRun(h);
    h.clickWhenCaption(CommandStart, "Cont");
    h.user.when([&] { return h.text(CommandEnd) == "Stop" && h.program().module.totalSteps >= 3000; },
                [&] {
                  QWidget* window = closeDisplay ? static_cast<QWidget*>(h.desktop.display.get())
                                                 : static_cast<QWidget*>(h.desktop.control.get());
                  window->close();
                });
    h.click(CommandStart);  // returns: the run unwound

    EXPECT_FALSE(h.user.gaveUp);
    EXPECT_TRUE(h.desktop.platform.ended());
    EXPECT_FALSE(h.desktop.control->isVisible());
    EXPECT_FALSE(h.desktop.display->isVisible());
    // Nothing was written after the end: the captions are still those of the integration.
    EXPECT_EQ(h.text(CommandStart), "Cont");
    EXPECT_EQ(h.text(CommandEnd), "Stop");
    EXPECT_EQ(h.text(Lnrev), "n rev   0");
  }
}

TEST(GuiRun, EndAtThePauseOrTheEndWaitEndsTheProgram) {
  for (const char* waitCaption : {"Cont", "Next"}) {
    GuiHarness h;
    smallTwoBodyRun(h);
    if (std::string(waitCaption) == "Next") h.clickWhenCaption(CommandStart, "Cont");
    h.user.when([&] { return h.text(CommandStart) == waitCaption; }, [&] { h.click(CommandEnd); });
    h.click(CommandStart);

    EXPECT_FALSE(h.user.gaveUp) << waitCaption;
    EXPECT_TRUE(h.desktop.platform.ended()) << waitCaption;
    EXPECT_EQ(h.text(CommandStart), waitCaption);
    EXPECT_FALSE(h.desktop.control->isVisible());
    EXPECT_FALSE(h.desktop.display->isVisible());
  }
}

TEST(GuiRun, EndWhenIdleEndsTheProgram) {
  GuiHarness h;
  h.click(CommandEnd);
  EXPECT_TRUE(h.desktop.platform.ended());
  EXPECT_FALSE(h.desktop.control->isVisible());
  EXPECT_FALSE(h.desktop.display->isVisible());
}

TEST(GuiRun, BodyCountClickDuringThePauseEndsTheRunWithoutIntegrating) {
  GuiHarness h;
  smallTwoBodyRun(h);
  StartCaptions captions(h.program().form1);
  h.user.when([&] { return h.text(CommandStart) == "Cont"; }, [&] { h.click(TnBH); });
  h.click(CommandStart);

  EXPECT_FALSE(h.user.gaveUp);
  EXPECT_EQ(captions.seen, (std::vector<std::string>{"Cont", "Start"}));
  EXPECT_EQ(h.shown(TnBH), " 3");
  EXPECT_EQ(h.program().module.totalSteps, 0);
  EXPECT_TRUE(h.widget(TBH3)->isVisible());
}

TEST(GuiRun, ARefusedRunShowsAMessageAndLeavesTheFields) {
  GuiHarness h;
  h.type(Tmaxcount, "0");
  h.click(CommandStart);

  auto* box = h.desktop.control->findChild<QMessageBox*>("refusal");
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->isVisible());
  EXPECT_TRUE(box->text().contains("Max count")) << box->text().toStdString();
  EXPECT_EQ(h.shown(CommandStart), "Start");
  EXPECT_EQ(h.shown(Tmaxcount), "0");
  EXPECT_EQ(h.shown(TBH1), "10000");
  EXPECT_EQ(h.shown(Tnrev), " 1");
  box->accept();
}

}  // namespace
}  // namespace bhsim::testing
