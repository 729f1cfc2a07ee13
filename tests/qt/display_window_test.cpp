#include <gtest/gtest.h>

#include <QTest>

#include "display/palette.hpp"
#include "gui_harness.hpp"

namespace bhsim::testing {
namespace {

QRgb shownPixel(DisplayWindow& window, int x, int y) {
  return window.grab().toImage().pixel(x, y) & 0xFFFFFFu;
}

TEST(DisplayWindow, StandsRightOfTheControlWindow) {
  GuiHarness h;
  DisplayWindow& window = *h.desktop.display;
  EXPECT_EQ(window.windowTitle(), "Display Form");
  EXPECT_TRUE(window.isVisible());
  // Left edge at the control window's 5145 twips.
  EXPECT_EQ(window.pos(), QPoint(343, 0));
  // The design drawing area, 2250 x 3000 twips.
  EXPECT_EQ(window.size(), QSize(150, 200));
}

TEST(DisplayWindow, PaintsTheModelsPixels) {
  GuiHarness h;
  Form2& form2 = h.program().form2;
  form2.setPixel(10, 20, 0xFF0000);
  form2.setPixel(149, 199, 0x000080);
  ASSERT_TRUE(h.waitForDisplay());
  EXPECT_EQ(shownPixel(*h.desktop.display, 10, 20), 0xFF0000u);
  EXPECT_EQ(shownPixel(*h.desktop.display, 149, 199), 0x000080u);
  EXPECT_EQ(shownPixel(*h.desktop.display, 11, 20), kBackgroundColour);
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override {
    paints += event->type() == QEvent::Paint ? 1 : 0;
    return false;
  }
  int paints = 0;
};

TEST(DisplayWindow, RepaintsByItselfWhenTheModelChanges) {
  GuiHarness h;
  ASSERT_TRUE(h.waitForDisplay());
  PaintCounter counter(h.desktop.display.get());
  h.program().form2.setPixel(3, 4, 0xFF0000);
  // Nobody asks for the repaint: the window notices the change when the event loop goes idle.
  EXPECT_TRUE(idleUntil([&] { return counter.paints > 0; }));
}

TEST(DisplayWindow, KeepsTheDrawingWhenHiddenAndShownAgain) {
  GuiHarness h;
  h.program().form2.setPixel(30, 40, 0x008000);
  ASSERT_TRUE(h.waitForDisplay());
  h.desktop.display->showMinimized();
  h.desktop.display->showNormal();
  EXPECT_EQ(shownPixel(*h.desktop.display, 30, 40), 0x008000u);
}

TEST(DisplayWindow, ClearingTheModelClearsTheWindow) {
  GuiHarness h;
  h.program().form2.setPixel(5, 5, 0x000000);
  ASSERT_TRUE(h.waitForDisplay());
  EXPECT_EQ(shownPixel(*h.desktop.display, 5, 5), 0x000000u);
  h.program().form2.clear();
  ASSERT_TRUE(h.waitForDisplay());
  EXPECT_EQ(shownPixel(*h.desktop.display, 5, 5), kBackgroundColour);
}

TEST(DisplayWindow, AUserResizeReachesTheModel) {
  GuiHarness h;
  h.program().form2.setPixel(10, 20, 0xFF0000);
  h.desktop.display->resize(200, 200);
  EXPECT_EQ(h.program().form2.pixelWidth(), 200);
  EXPECT_EQ(h.program().form2.pixelHeight(), 200);
  // 3000 x 3000 twips of drawing area plus the frame.
  EXPECT_EQ(h.program().form2.Width(), 3120);
  EXPECT_EQ(h.program().form2.Height(), 3510);
  ASSERT_TRUE(h.waitForDisplay());
  EXPECT_EQ(shownPixel(*h.desktop.display, 10, 20), 0xFF0000u);
}

TEST(DisplayWindow, FollowsTheSizeTheProgramSets) {
  GuiHarness h;
  h.desktop.display->resize(200, 200);
  // RESIZE keeps the area of 3000 x 3000 twips in the ratio 3 : 4: 2598 x 3464 twips, which is
  // 173 x 230 whole pixels.
  h.program().RESIZE(1);
  EXPECT_EQ(h.program().form2.Width(), 2718);
  EXPECT_EQ(h.program().form2.Height(), 3974);
  ASSERT_TRUE(h.waitForDisplay());
  EXPECT_EQ(h.desktop.display->size(), QSize(173, 230));
  // The window's own resize is not taken for the user's: the model keeps the size RESIZE gave it.
  EXPECT_EQ(h.program().form2.Width(), 2718);
  EXPECT_EQ(h.program().form2.Height(), 3974);
}

TEST(DisplayWindow, RepaintsAfterAQuickSuccessionOfChanges) {
  GuiHarness h;
  // Many changes in a row are shown together once the repaint interval has passed.
  for (int x = 0; x < 100; ++x) {
    h.program().form2.setPixel(x, 50, 0x000000);
    h.desktop.display->sync();
  }
  ASSERT_TRUE(h.waitForDisplay());
  const QImage shown = h.desktop.display->grab().toImage();
  EXPECT_EQ(countPixels(shown, 0x000000), 100);
}

}  // namespace
}  // namespace bhsim::testing
