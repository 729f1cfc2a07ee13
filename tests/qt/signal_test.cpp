// The Signal window: opened from the display window's menu, filled while the run integrates, cleared at
// the next configuration, its picture saved; closing it ends nothing.
#include <QAction>

#include "gui_harness.hpp"

namespace bhsim::testing {
namespace {

using enum ControlId;

TEST(SignalWindow, FillsWhileTheRunIntegratesClearsAtEachConfigurationAndSavesItsPicture) {
  GuiHarness h;
  SignalWindow& signal = *h.desktop.signal;
  const QList<QAction*> actions = h.desktop.display->actions();
  const auto show = std::find_if(actions.begin(), actions.end(), [](QAction* a) {
    return a->text() == "Show Signal" && a->shortcut() == QKeySequence("Ctrl+G");
  });
  ASSERT_NE(show, actions.end());
  (*show)->trigger();
  EXPECT_TRUE(signal.isVisible() && signal.windowTitle() == "Signal");
  h.setBodyCount(3);
  h.type(AngleMaxField, "10");  // two configurations, at 0 and 10 degrees
  qsizetype filledWhileIntegrating = 0;
  QTemporaryDir dir;
  h.user.when([&] { return h.shown(StartButton) == "Cont"; }, [&] { h.click(StartButton); });
  h.user.when(
      [&] { return h.program().runState.phase == RunPhase::Integrating && signal.keptSamples() > 50; },
      [&] {
        signal.redraw();
        filledWhileIntegrating = signal.plusSeries().count();
      });
  h.user.when([&] { return h.shown(StartButton) == "Next"; },
              [&] {
                // only the second configuration's samples, one every 1/4096 s of its time from 0
                signal.redraw();
                const double simulated = std::stod(h.program().text(TotalTimeField)) + 1e-4;
                EXPECT_EQ(signal.plusSeries().at(0).x(), 0);
                EXPECT_LE(signal.plusSeries().count(), std::floor(simulated * 4096) + 1);
                EXPECT_GT(signal.separationSeries().count(), 100);
                EXPECT_TRUE(signal.savePicture(dir.filePath("signal.png")));
                h.click(StartButton);
              });
  h.click(StartButton);
  EXPECT_GT(filledWhileIntegrating, 50);
  EXPECT_EQ(QImage(dir.filePath("signal.png")).size(), signal.size());
  signal.close();
  EXPECT_FALSE(h.desktop.platform.ended());
  EXPECT_TRUE(h.desktop.control->isVisible() && !signal.isVisible());
}

}  // namespace
}  // namespace bhsim::testing
