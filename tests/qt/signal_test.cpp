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

// A merger under 1PN + 2.5PN from a 35 Hz wave: the display says what was left over its picture (and only
// there) with a ring where the pair met; the Signal window marks the merger's time and the remnant rings
// on after it, one black hole at separation 0.
TEST(SignalWindow, AMergerIsMarkedInBothWindowsAndTheRemnantRingsOn) {
  GuiHarness h;
  h.program().options.gravity = *gravityModelNamed("1pn+2.5pn");
  SignalWindow& signal = *h.desktop.signal;
  signal.show();
  h.setBodyCount(2);
  for (auto [id, text] : {std::pair{FrequencyField, "17.5"}, {MassGain1Field, "0"}, {MassGain2Field, "0"}})
    h.type(id, text);
  h.user.when([&] { return h.shown(StartButton) == "Cont"; }, [&] { h.click(StartButton); });
  h.user.when([&] { return h.shown(StartButton) == "Next" && !h.desktop.display->note().isEmpty(); },
              [&] {
                EXPECT_EQ(h.desktop.display->note(),
                          QString::fromUtf8("merged at 0.0839 s: 61.9 M\u2609, spin 0.68, kick 61 km/s"));
                EXPECT_FALSE(h.showsModel());  // painted over the picture, not in it
                const std::vector<Colour>& pixels = h.program().display.pixels();
                EXPECT_GE(std::count(pixels.begin(), pixels.end(), paletteColor(5)), 20);  // the ring
                signal.redraw();
                const double merger = 0.083902171428571;
                ASSERT_EQ(signal.mergerSeries().count(), 2);
                EXPECT_NEAR(signal.mergerSeries().at(0).x(), merger, 1e-12);
                const QLineSeries& separation = signal.separationSeries();
                qsizetype after = 0;
                for (qsizetype k = 0; k < separation.count(); ++k) {
                  const bool merged = separation.at(k).x() > merger;
                  EXPECT_EQ(separation.at(k).y() == 0, merged) << k;
                  after += merged;
                }
                EXPECT_NEAR(static_cast<double>(after), 0.0372 * 4096, 3);  // ten damping times of 3.72 ms
                h.click(StartButton);
              });
  h.click(StartButton);
}

// Shown, the window redraws the samples it keeps by itself, a few times a second.
TEST(SignalWindow, RedrawsByItselfWhileShown) {
  SignalWindow signal;
  signal.show();
  signal.onConfigurationStart(1, 0, LoopState());
  for (int i = 0; i < 10; ++i) signal.onStrainSample(1, {i / 4096.0, {1e-21, 0}, 500});
  EXPECT_TRUE(QTest::qWaitFor([&] { return signal.plusSeries().count() == 10; }, 5000));
}

}  // namespace
}  // namespace bhsim::testing
