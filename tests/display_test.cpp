#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <utility>
#include <vector>

#include "control/form1.hpp"
#include "display/form2.hpp"
#include "display/palette.hpp"
#include "display/plotting.hpp"
#include "display/resize.hpp"
#include "state/module1.hpp"
#include "test_support.hpp"

namespace bhsim::testing {
namespace {

using Pixel = std::pair<int, int>;
using PixelMap = std::map<Pixel, Colour>;

// Every pixel of the canvas that is not the background colour.
PixelMap drawnPixels(const Form2& form2) {
  PixelMap drawn;
  for (int row = 0; row < form2.pixelHeight(); ++row) {
    for (int column = 0; column < form2.pixelWidth(); ++column) {
      if (form2.pixel(column, row) != kBackgroundColour) drawn[{column, row}] = form2.pixel(column, row);
    }
  }
  return drawn;
}

// ---------------------------------------------------------------------------------------------------
// RESIZE
// ---------------------------------------------------------------------------------------------------

struct ResizeCase {
  float areaWidth;  // drawing area in twips before RESIZE
  float areaHeight;
  double aspect;
  float width;  // outer size afterwards
  float height;
  std::int32_t xpixmax;
  std::int32_t ypixmax;
};

class ResizeTest : public ::testing::TestWithParam<ResizeCase> {};

TEST_P(ResizeTest, KeepsTheAreaAndTakesTheRatio) {
  const ResizeCase& c = GetParam();
  Form2 form2;
  Form1 form1;
  Module1 module;
  module.nBH = 1;
  form2.setWidth(c.areaWidth + 120);
  form2.setHeight(c.areaHeight + 510);
  RESIZE(c.aspect, form2, form1, module);
  EXPECT_EQ(form2.Width(), c.width);
  EXPECT_EQ(form2.Height(), c.height);
  EXPECT_EQ(module.xpixmax, c.xpixmax);
  EXPECT_EQ(module.ypixmax, c.ypixmax);
  EXPECT_EQ(form2.ScaleWidth(), static_cast<float>(c.xpixmax + 1));
  EXPECT_EQ(form2.ScaleHeight(), static_cast<float>(c.ypixmax + 1));
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, ResizeTest,
    ::testing::Values(
        // design size: T 5062500, W 2250, H 3000; 150 x 200 pixels
        ResizeCase{2250, 3000, 1, 2370, 3510, 149, 199},
        // 3000 x 3000: T 6750000, W 2598, H 3464; 173 x 230 pixels
        ResizeCase{3000, 3000, 1, 2718, 3974, 172, 229},
        // 4000 x 3000 turns upright: W 3000, H 4000; 200 x 266 pixels
        ResizeCase{4000, 3000, 1, 3120, 4510, 199, 265},
        // aspect 2 from the design size: T 10125000, W 3181, H 2120; 212 x 141 pixels
        ResizeCase{2250, 3000, 2, 3301, 2630, 211, 140},
        // one twip more is absorbed by the cut to whole twips
        ResizeCase{2251, 3000, 1, 2370, 3510, 149, 199},
        // 435 x 17115: 7445025 x 3 = 22335075 rounds to 22335076 in single precision, so T is 5583769 =
        // 2363^2 (in double precision it would be 5583768.75 and W 2362); H = Int(3150.67) = 3150
        ResizeCase{435, 17115, 1, 2483, 3660, 156, 209},
        // 810 x 28830: 70056900 rounds down to 70056896, T 17514224 just below 4185^2: W 4184, H 5578
        ResizeCase{810, 28830, 1, 4304, 6088, 277, 370}));

TEST(Resize, DesignSizeIsStableUnderRepeatedCalls) {
  Form2 form2;
  Form1 form1;
  Module1 module;
  module.nBH = 1;
  for (int i = 0; i < 5; ++i) {
    RESIZE(1, form2, form1, module);
    EXPECT_EQ(form2.Width(), 2370.0f);
    EXPECT_EQ(form2.Height(), 3510.0f);
  }
  EXPECT_EQ(module.xpixmax, 149);
  EXPECT_EQ(module.ypixmax, 199);
}

TEST(Resize, NeitherClearsNorRedraws) {
  Form2 form2;
  Form1 form1;
  Module1 module;
  module.nBH = 1;
  form2.setPixel(10, 20, QBColor(12));
  RESIZE(1, form2, form1, module);
  EXPECT_EQ(drawnPixels(form2), (PixelMap{{{10, 20}, QBColor(12)}}));
}

TEST(Resize, ThroughTheProgramUsesTheBodyCount) {
  Harness h;
  h.setBodyCount(3);
  h.program.form2.setWidth(3000 + 120);
  h.program.form2.setHeight(3000 + 510);
  h.program.RESIZE(1);
  EXPECT_EQ(h.program.form2.Width(), 2718.0f);
  EXPECT_EQ(h.program.form2.Height(), 3974.0f);
  EXPECT_TRUE(h.visible(ControlId::TBH3));
  EXPECT_FALSE(h.visible(ControlId::Tphi));
}

// ---------------------------------------------------------------------------------------------------
// PointSet
// ---------------------------------------------------------------------------------------------------

struct MapCase {
  double xmin, xmax, ymin, ymax;
  double xin, yin;
  double x, y;
};

class PointSetTest : public ::testing::TestWithParam<MapCase> {};

TEST_P(PointSetTest, MapsWorldToPixel) {
  const MapCase& c = GetParam();
  Module1 module;
  module.xmin = c.xmin;
  module.xmax = c.xmax;
  module.ymin = c.ymin;
  module.ymax = c.ymax;
  module.xpixmax = 149;
  module.ypixmax = 199;
  double x = 12345;
  double y = 12345;
  EXPECT_TRUE(PointSet(module, c.xin, c.yin, x, y));
  EXPECT_EQ(x, c.x);
  EXPECT_EQ(y, c.y);
  // The mapping changes none of the shared values.
  EXPECT_EQ(module.xmin, c.xmin);
  EXPECT_EQ(module.xmax, c.xmax);
  EXPECT_EQ(module.ymin, c.ymin);
  EXPECT_EQ(module.ymax, c.ymax);
  EXPECT_EQ(module.xpixmax, 149);
  EXPECT_EQ(module.ypixmax, 199);
}

INSTANTIATE_TEST_SUITE_P(
    Points, PointSetTest,
    ::testing::Values(
        // edges of the window
        MapCase{0, 1, 0, 1, 0, 0, 0, 0}, MapCase{0, 1, 0, 1, 1, 1, 149, 199},
        MapCase{0, 1, 0, 1, 1, 0, 149, 0}, MapCase{0, 1, 0, 1, 0, 1, 0, 199},
        // the run's symmetric window: the origin is (Int(149 / 2), Int(199 / 2))
        MapCase{-5, 5, -5, 5, 0, 0, 74, 99}, MapCase{-1e9, 1e9, -1e9, 1e9, 0, 0, 74, 99},
        MapCase{-5, 5, -5, 5, -5, -5, 0, 0}, MapCase{-5, 5, -5, 5, 5, 5, 149, 199},
        // the window 0 to 100
        MapCase{0, 100, 0, 100, 50, 50, 74, 99}, MapCase{0, 100, 0, 100, 0, 0, 0, 0},
        MapCase{0, 100, 0, 100, 100, 100, 149, 199},
        // just left of the window: Int(-0.149) is -1
        MapCase{0, 1, 0, 1, -0.001, 0, -1, 0},
        // rows are limited to 2 x ypixmax from above only
        MapCase{0, 1, 0, 1, 0, 5, 0, 398}, MapCase{0, 1, 0, 1, 0, 2, 0, 398},
        MapCase{0, 100, 0, 100, 0, 500, 0, 398}, MapCase{0, 1, 0, 1, 0, 1e300, 0, 398},
        MapCase{0, 1, 0, 1, 0, -5, 0, -995}, MapCase{0, 1, 0, 1, 0, -0.001, 0, -1},
        // columns are not limited at all
        MapCase{0, 1, 0, 1, 5, 0, 745, 0}, MapCase{0, 1, 0, 1, -5, 0, -745, 0},
        MapCase{0, 100, 0, 100, 600, 0, 894, 0},
        // the division comes first: 149 x (0.14093959731543623 / 3) is 5.999..., Int 6 - while
        // (149 x 0.14093959731543623) / 3 would give 7; likewise 199 x (0.19597989949748743 / 3) gives 12
        MapCase{0, 3, 0, 3, 0.14093959731543623, 0.19597989949748743, 6, 12},
        // a window that does not start at 0
        MapCase{10, 20, -30, -10, 15, -20, 74, 99}));

TEST(PointSet, DegenerateWindowMapsNothing) {
  Module1 module;
  module.xpixmax = 149;
  module.ypixmax = 199;
  const struct { double xmin, xmax, ymin, ymax; } windows[] = {{5, 5, 0, 1}, {0, 1, 3, 3}, {0, 0, 0, 0}};
  for (const auto& w : windows) {
    module.xmin = w.xmin;
    module.xmax = w.xmax;
    module.ymin = w.ymin;
    module.ymax = w.ymax;
    double x = 7;
    double y = 8;
    EXPECT_FALSE(PointSet(module, 5, 3, x, y));
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 8);
  }
  // The state before any window is set: everything 0.
  Module1 fresh;
  double x = 7;
  double y = 8;
  EXPECT_FALSE(PointSet(fresh, 0, 0, x, y));
}

TEST(PointSet, DegenerateWindowDrawsNothing) {
  Module1 module;
  module.xpixmax = 149;
  module.ypixmax = 199;
  module.xmin = module.xmax = 0;
  module.ymin = 0;
  module.ymax = 1;
  Form2 form2;
  const std::uint64_t revision = form2.revision();
  CircleSet(module, form2, 0, 0, QBColor(0), 3);
  CircleSet(module, form2, 1, 0.5, QBColor(0), 0);
  EXPECT_TRUE(drawnPixels(form2).empty());
  EXPECT_EQ(form2.revision(), revision);
}

// ---------------------------------------------------------------------------------------------------
// CircleSet
// ---------------------------------------------------------------------------------------------------

// A window in which world coordinates are pixel coordinates: 0 to 64 on 64 pixels.
Module1 pixelWindow() {
  Module1 module;
  module.xmin = 0;
  module.xmax = 64;
  module.ymin = 0;
  module.ymax = 64;
  module.xpixmax = 64;
  module.ypixmax = 64;
  return module;
}

PixelMap block(int left, int top, int right, int bottom, Colour colour) {
  PixelMap pixels;
  for (int x = left; x <= right; ++x) {
    for (int y = top; y <= bottom; ++y) pixels[{x, y}] = colour;
  }
  return pixels;
}

struct DotCase {
  double size;
  int pixels;  // 1, 4 or 9
};

class CircleSetTest : public ::testing::TestWithParam<DotCase> {};

TEST_P(CircleSetTest, SizeSelectsThePattern) {
  const DotCase& c = GetParam();
  const Module1 module = pixelWindow();
  Form2 form2;
  const Colour colour = QBColor(12);
  CircleSet(module, form2, 10, 20, colour, c.size);
  PixelMap expected;
  if (c.pixels == 1) expected = block(10, 20, 10, 20, colour);
  if (c.pixels == 4) expected = block(10, 20, 11, 21, colour);
  if (c.pixels == 9) expected = block(9, 19, 11, 21, colour);
  EXPECT_EQ(drawnPixels(form2), expected) << "size " << c.size;
}

INSTANTIATE_TEST_SUITE_P(Sizes, CircleSetTest,
                         ::testing::Values(DotCase{0, 1}, DotCase{1, 1}, DotCase{-1, 1}, DotCase{0.5, 1},
                                           DotCase{1.0000001, 4}, DotCase{1.5, 4}, DotCase{2, 4},
                                           DotCase{2.0000001, 9}, DotCase{2.5, 9}, DotCase{3, 9},
                                           DotCase{100, 9}));

TEST(CircleSet, DotAtTheCornerIsClipped) {
  const Module1 module = pixelWindow();
  Form2 form2;
  CircleSet(module, form2, 0, 0, QBColor(2), 3);
  EXPECT_EQ(drawnPixels(form2), block(0, 0, 1, 1, QBColor(2)));
}

TEST(CircleSet, DotAtTheLastPixelIsClipped) {
  Module1 module = pixelWindow();
  module.xmax = 149;
  module.ymax = 199;
  module.xpixmax = 149;
  module.ypixmax = 199;
  Form2 form2;  // 150 x 200 pixels
  CircleSet(module, form2, 149, 199, QBColor(4), 2);
  EXPECT_EQ(drawnPixels(form2), (PixelMap{{{149, 199}, QBColor(4)}}));
}

TEST(CircleSet, LaterDotsOverwrite) {
  const Module1 module = pixelWindow();
  Form2 form2;
  CircleSet(module, form2, 10, 10, QBColor(0), 3);
  CircleSet(module, form2, 11, 11, QBColor(12), 2);
  PixelMap expected = block(9, 9, 11, 11, QBColor(0));
  for (const auto& [pixel, colour] : block(11, 11, 12, 12, QBColor(12))) expected[pixel] = colour;
  EXPECT_EQ(drawnPixels(form2), expected);
}

TEST(CircleSet, FarAwayPointsDrawNothing) {
  const Module1 module = pixelWindow();
  Form2 form2;
  for (double xin : {-1e300, -2.0, 200.0, 1e300}) CircleSet(module, form2, xin, 10, QBColor(0), 3);
  for (double yin : {-1e300, -2.0}) CircleSet(module, form2, 10, yin, QBColor(0), 3);
  EXPECT_TRUE(drawnPixels(form2).empty());
}

TEST(CircleSet, PointsFarBelowArePinnedBelowTheArea) {
  Module1 module;
  module.xmax = module.ymax = 1;
  module.xpixmax = 149;
  module.ypixmax = 199;
  Form2 form2;  // rows 0 to 199; the pinned row is 398
  CircleSet(module, form2, 0.5, 1e300, QBColor(0), 3);
  CircleSet(module, form2, 0.5, 2.01, QBColor(0), 3);
  EXPECT_TRUE(drawnPixels(form2).empty());
  CircleSet(module, form2, 0.5, 1.0, QBColor(0), 0);
  EXPECT_EQ(drawnPixels(form2), (PixelMap{{{74, 199}, 0x000000u}}));
}

// ---------------------------------------------------------------------------------------------------
// Palette
// ---------------------------------------------------------------------------------------------------

TEST(Palette, IndicesInUse) {
  EXPECT_EQ(QBColor(0), 0x000000u);
  EXPECT_EQ(QBColor(1), 0x000080u);
  EXPECT_EQ(QBColor(2), 0x008000u);
  EXPECT_EQ(QBColor(4), 0x800000u);
  EXPECT_EQ(QBColor(12), 0xFF0000u);
  EXPECT_EQ(QBColor(15), 0xFFFFFFu);
}

// ---------------------------------------------------------------------------------------------------
// The grid test pattern
// ---------------------------------------------------------------------------------------------------

// The pattern on a 150 x 200 area, from the steps of the pattern worked out in whole numbers.
PixelMap expectedGrid() {
  const Colour black = 0x000000;
  const Colour darkRed = 0x800000;
  PixelMap pixels;
  // window 0 to 1: the ends of the middle row, then 2 x 2 marks at the ends of the middle column
  pixels[{0, 99}] = black;
  pixels[{149, 99}] = black;
  for (int y : {0, 199}) {
    for (int dx : {0, 1}) {
      for (int dy : {0, 1}) {
        if (y + dy <= 199) pixels[{74 + dx, y + dy}] = darkRed;
      }
    }
  }
  // window 0 to 100: dotted middle row, then dotted middle column
  for (int i = 0; i <= 100; i += 2) pixels[{149 * i / 100, 99}] = black;
  for (int i = 0; i <= 100; i += 2) pixels[{74, 199 * i / 100}] = black;
  return pixels;
}

TEST(GridPattern, SetsExactlyTheExpectedPixels) {
  Harness h;
  Form2& form2 = h.program.form2;
  form2.clear();
  h.program.Command3_Click();
  const PixelMap drawn = drawnPixels(form2);
  EXPECT_EQ(drawn, expectedGrid());

  // Spot checks worked out by hand.
  EXPECT_EQ(drawn.size(), 105u);  // 51 + 51 - 1 black pixels and 4 dark red ones left uncovered
  EXPECT_EQ(drawn.at({74, 0}), 0x000000u);
  EXPECT_EQ(drawn.at({74, 1}), 0x800000u);
  EXPECT_EQ(drawn.at({75, 0}), 0x800000u);
  EXPECT_EQ(drawn.at({75, 1}), 0x800000u);
  EXPECT_EQ(drawn.at({74, 199}), 0x000000u);
  EXPECT_EQ(drawn.at({75, 199}), 0x800000u);
  EXPECT_EQ(drawn.at({74, 99}), 0x000000u);
  EXPECT_EQ(drawn.at({2, 99}), 0x000000u);    // i = 2: Int(2.98)
  EXPECT_EQ(drawn.at({74, 3}), 0x000000u);    // i = 2: Int(3.98)
  EXPECT_EQ(drawn.at({146, 99}), 0x000000u);  // i = 98: Int(146.02)
  EXPECT_EQ(drawn.count({1, 99}), 0u);
}

TEST(GridPattern, LeavesTheWorldWindowAtZeroToHundred) {
  Harness h;
  h.program.Command3_Click();
  const Module1& m = h.program.module;
  EXPECT_EQ(m.xmin, 0);
  EXPECT_EQ(m.ymin, 0);
  EXPECT_EQ(m.xmax, 100);
  EXPECT_EQ(m.ymax, 100);
  EXPECT_EQ(m.xpixmax, 149);
  EXPECT_EQ(m.ypixmax, 199);
  EXPECT_EQ(h.program.form2.Width(), 2370.0f);
  EXPECT_EQ(h.program.form2.Height(), 3510.0f);
  // It touches none of the run-state values.
  EXPECT_EQ(m.StopRequested, 0);
  EXPECT_EQ(m.EditsEnabled, 1);
  EXPECT_EQ(m.UserCommand, "");
}

TEST(GridPattern, DrawsOverWhatIsThere) {
  Harness h;
  h.program.form2.setPixel(5, 5, QBColor(2));
  h.program.Command3_Click();
  PixelMap expected = expectedGrid();
  expected[{5, 5}] = QBColor(2);
  EXPECT_EQ(drawnPixels(h.program.form2), expected);
}

TEST(GridPattern, TheHiddenButtonCannotStartIt) {
  Harness h;
  ASSERT_FALSE(h.visible(ControlId::Command3));
  h.click(ControlId::Command3);
  EXPECT_TRUE(drawnPixels(h.program.form2).empty());
  EXPECT_EQ(h.program.module.xmax, 0);
}

// ---------------------------------------------------------------------------------------------------
// The display window's canvas
// ---------------------------------------------------------------------------------------------------

TEST(Form2Canvas, DesignAreaIs150By200Pixels) {
  Form2 form2;
  EXPECT_EQ(form2.Width(), 2370.0f);
  EXPECT_EQ(form2.Height(), 3510.0f);
  EXPECT_EQ(form2.pixelWidth(), 150);
  EXPECT_EQ(form2.pixelHeight(), 200);
  EXPECT_EQ(form2.ScaleWidth(), 150.0f);
  EXPECT_EQ(form2.ScaleHeight(), 200.0f);
  EXPECT_EQ(form2.pixels().size(), 150u * 200u);
  EXPECT_FALSE(form2.shown());
}

TEST(Form2Canvas, AreaIsTheOuterSizeLessTheFrameInWholePixels) {
  Form2 form2;
  form2.setWidth(2369);   // 2249 twips: 149.93 pixels
  form2.setHeight(3525);  // 3015 twips: 201 pixels
  EXPECT_EQ(form2.pixelWidth(), 149);
  EXPECT_EQ(form2.pixelHeight(), 201);
  form2.setClientPixels(200, 100);
  EXPECT_EQ(form2.Width(), 200.0f * 15 + 120);
  EXPECT_EQ(form2.Height(), 100.0f * 15 + 510);
  EXPECT_EQ(form2.pixelWidth(), 200);
  EXPECT_EQ(form2.pixelHeight(), 100);
  form2.setWidth(100);  // smaller than the frame
  EXPECT_EQ(form2.pixelWidth(), 0);
  form2.setPixel(0, 0, QBColor(0));  // nothing to draw on, nothing happens
  EXPECT_TRUE(form2.pixels().empty());
}

TEST(Form2Canvas, KeepsItsPixelsWhenResized) {
  Form2 form2;
  form2.setPixel(10, 10, QBColor(12));
  form2.setPixel(149, 199, QBColor(4));
  form2.setWidth(3120);   // 200 pixels wide
  form2.setHeight(4510);  // 266 pixels high
  EXPECT_EQ(drawnPixels(form2), (PixelMap{{{10, 10}, QBColor(12)}, {{149, 199}, QBColor(4)}}));
  form2.setWidth(120 + 15 * 100);  // column 149 falls outside
  EXPECT_EQ(drawnPixels(form2), (PixelMap{{{10, 10}, QBColor(12)}}));
  form2.setWidth(2370);  // and does not come back
  EXPECT_EQ(drawnPixels(form2), (PixelMap{{{10, 10}, QBColor(12)}}));
}

TEST(Form2Canvas, IgnoresPixelsOutsideTheArea) {
  Form2 form2;
  const std::uint64_t revision = form2.revision();
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::pair<double, double> outside[] = {
      {-1, 0},    {0, -1},    {150, 0},    {0, 200},          {150, 200},         {-1, -1},
      {1e300, 5}, {5, 1e300}, {-1e300, 5}, {5, -1e300},       {inf, 5},           {5, -inf},
      {nan, 5},   {5, nan},   {nan, nan},  {4294967296.0, 5}, {-4294967296.0, 5}, {2147483648.0, 0},
  };
  for (const auto& [column, row] : outside) form2.setPixel(column, row, QBColor(0));
  EXPECT_TRUE(drawnPixels(form2).empty());
  EXPECT_EQ(form2.revision(), revision);
  form2.setPixel(0, 0, QBColor(0));
  form2.setPixel(149, 199, QBColor(0));
  EXPECT_EQ(drawnPixels(form2), (PixelMap{{{0, 0}, 0x000000u}, {{149, 199}, 0x000000u}}));
  EXPECT_GT(form2.revision(), revision);
}

TEST(Form2Canvas, ClearFillsTheBackground) {
  Form2 form2;
  for (int i = 0; i < 150; ++i) form2.setPixel(i, i, QBColor(i % 15));
  form2.clear();
  EXPECT_TRUE(drawnPixels(form2).empty());
  for (Colour c : form2.pixels()) ASSERT_EQ(c, kBackgroundColour);
}

}  // namespace
}  // namespace bhsim::testing
