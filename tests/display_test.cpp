// The display window's model: layoutWindows, the world-to-pixel mapping, dots, the canvas and the grid
// pattern.
#include "display/display.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "display/plotting.hpp"
#include "display/window_layout.hpp"
#include "support.hpp"

namespace bhsim::testing {
namespace {

using PixelMap = std::map<std::pair<int, int>, Colour>;

PixelMap drawn(const Display& display) {
  PixelMap pixels;
  for (int row = 0; row < display.pixelHeight(); ++row)
    for (int column = 0; column < display.pixelWidth(); ++column)
      if (display.pixel(column, row) != kBackgroundColour) pixels[{column, row}] = display.pixel(column, row);
  return pixels;
}

RunState window(double xmin, double xmax, double ymin, double ymax, int lastPixelColumn = 149,
                int lastPixelRow = 199) {
  RunState m;
  m.xmin = xmin, m.xmax = xmax, m.ymin = ymin, m.ymax = ymax, m.lastPixelColumn = lastPixelColumn,
  m.lastPixelRow = lastPixelRow;
  return m;
}

TEST(Resize, KeepsTheAreaTakesTheRatioAndRecordsThePixels) {
  // drawing area in twips before, aspect, outer size after, last pixel column and row
  // clang-format off
  const struct {
    float w, h;
    double aspect;
    float width, height;
    int lastPixelColumn, lastPixelRow;
  } cases[] = {
      // T 5062500: W 2250, H 3000
      {2250, 3000, 1, 2370, 3510, 149, 199},
      // T 6750000: W 2598, H 3464
      {3000, 3000, 1, 2718, 3974, 172, 229}, {4000, 3000, 1, 3120, 4510, 199, 265},
      {2250, 3000, 2, 3301, 2630, 211, 140}, {2251, 3000, 1, 2370, 3510, 149, 199},
      // 7445025 x 3 rounds up in single precision: T 5583769 = 2363^2 (2362 in double precision)
      // T 17514224 just below 4185^2
      {435, 17115, 1, 2483, 3660, 156, 209}, {810, 28830, 1, 4304, 6088, 277, 370}};
  // clang-format on
  for (const auto& c : cases) {
    Harness h;
    h.program.display.setWidth(c.w + 120);
    h.program.display.setHeight(c.h + 510);
    h.program.display.setPixel(10, 20, paletteColor(12));
    h.program.layoutWindows(c.aspect);
    EXPECT_EQ(std::tuple(h.program.display.Width(), h.program.display.Height()),
              std::tuple(c.width, c.height))
        << c.w;
    EXPECT_EQ(std::tuple(h.program.runState.lastPixelColumn, h.program.runState.lastPixelRow),
              std::tuple(c.lastPixelColumn, c.lastPixelRow));
    EXPECT_EQ(drawn(h.program.display), (PixelMap{{{10, 20}, 0xFF0000}})) << "kept, not cleared";
  }
}

TEST(plotDot, MapsWorldToPixelsWithTheDivisionFirst) {
  // clang-format off
  const struct {
    RunState m;
    double xin, yin, x, y;
  } cases[] = {
      {window(0, 1, 0, 1), 1, 1, 149, 199}, {window(-5, 5, -5, 5), 0, 0, 74, 99},
      {window(-1e9, 1e9, -1e9, 1e9), 0, 0, 74, 99}, {window(0, 1, 0, 1), -0.001, -0.001, -1, -1},
      // rows limited to 2 x lastPixelRow from above only
      {window(0, 1, 0, 1), 5, 5, 745, 398}, {window(0, 1, 0, 1), -5, 1e300, -745, 398},
      {window(0, 1, 0, 1), 0, -5, 0, -995},
      // 149 x (x / 3)
      {window(0, 3, 0, 3), 0.14093959731543623, 0.19597989949748743, 6, 12},
      {window(10, 20, -30, -10), 15, -20, 74, 99},
      {window(0, 1, 0, 1), 1e300, std::nan(""), 1 << 30, -(1 << 30)}};
  // clang-format on
  for (const auto& c : cases) {
    double x = 0, y = 0;
    EXPECT_TRUE(plotDot(c.m, c.xin, c.yin, x, y));
    EXPECT_EQ(std::tuple(x, y), std::tuple(c.x, c.y)) << c.xin << ", " << c.yin;
  }
  for (const RunState& degenerate :
       {window(5, 5, 0, 1), window(0, 1, 3, 3), RunState{}, window(0, 1e308, -1e308, 1e308)}) {
    double x = 7, y = 8;
    EXPECT_FALSE(plotDot(degenerate, 5, 3, x, y));
    EXPECT_EQ(std::tuple(x, y), std::tuple(7.0, 8.0));
  }
}

TEST(plotDisc, SizeChoosesOneFourOrNinePixelsClippedToTheArea) {
  const RunState pixels = window(0, 64, 0, 64, 64, 64);  // world coordinates are pixel numbers
  const auto block = [](int l, int t, int r, int b, Colour colour) {
    PixelMap p;
    for (int x = l; x <= r; ++x)
      for (int y = t; y <= b; ++y) p[{x, y}] = colour;
    return p;
  };
  // clang-format off
  for (const auto& [size, left, top, right, bottom] : {std::tuple{0.0, 10, 20, 10, 20}, {1.0, 10, 20, 10, 20},
           {1.0000001, 10, 20, 11, 21}, {2.0, 10, 20, 11, 21}, {2.0000001, 9, 19, 11, 21}, {100.0, 9, 19, 11, 21}}) {
    // clang-format on
    Display display;
    plotDisc(pixels, display, 10, 20, paletteColor(12), size);
    EXPECT_EQ(drawn(display), block(left, top, right, bottom, 0xFF0000)) << size;
  }
  Display display;
  plotDisc(pixels, display, 0, 0, paletteColor(2), 3);
  plotDisc(window(0, 149, 0, 199), display, 149, 199, paletteColor(4), 2);
  for (double far : {-1e300, -2.0, 200.0}) plotDisc(pixels, display, far, 10, paletteColor(0), 3);
  PixelMap expected = block(0, 0, 1, 1, 0x008000);
  expected[{149, 199}] = 0x800000;
  EXPECT_EQ(drawn(display), expected);
}

TEST(Display, TheAreaFollowsTheOuterSizeAndKeepsWhatIsDrawn) {
  Display display;
  EXPECT_EQ(std::tuple(display.Width(), display.Height(), display.pixelWidth(), display.pixelHeight()),
            std::tuple(2370.f, 3510.f, 150, 200));
  // clang-format off
  for (const auto& [column, row] : {std::pair{-1.0, 0.0}, {150.0, 0.0}, {0.0, 200.0}, {std::nan(""), 5.0},
                                    {INFINITY, 5.0}, {4294967296.0, 5.0}, {2147483648.0, 0.0}})
    display.setPixel(column, row, paletteColor(0));
  // clang-format on
  display.setPixel(10, 10, paletteColor(12));
  display.setPixel(149, 199, paletteColor(4));
  EXPECT_EQ(drawn(display), (PixelMap{{{10, 10}, 0xFF0000}, {{149, 199}, 0x800000}}));
  display.setWidth(2369);   // 2249 twips: 149 whole pixels
  display.setHeight(3525);  // 3015 twips: 201
  EXPECT_EQ(std::tuple(display.pixelWidth(), display.pixelHeight()), std::tuple(149, 201));
  display.setWidth(2370);  // column 149 does not come back
  EXPECT_EQ(drawn(display), (PixelMap{{{10, 10}, 0xFF0000}}));
  display.setClientPixels(200, 100);
  EXPECT_EQ(std::tuple(display.Width(), display.Height()), std::tuple(3120.f, 2010.f));
  display.clear();
  EXPECT_TRUE(drawn(display).empty());
  display.setWidth(100);  // narrower than the frame: no area
  EXPECT_EQ(display.pixelWidth(), 0);
}

TEST(GridPattern, DrawsTheTwoCrossesOverWhatIsThereButOnlyFromCode) {
  Harness h;
  h.click(GridButton);  // hidden: the user cannot reach it
  EXPECT_TRUE(drawn(h.program.display).empty());
  h.program.display.setPixel(5, 5, paletteColor(2));
  h.program.drawTestPattern();
  // window 0 to 1: the ends of the middle row, 2 x 2 dark red marks at the ends of the middle column;
  // window 0 to 100: the dotted middle row and column, every second world unit
  PixelMap expected = {{{5, 5}, 0x008000}, {{0, 99}, 0}, {{149, 99}, 0}};
  for (const auto& [x, y] : {std::pair{74, 0}, {75, 0}, {74, 1}, {75, 1}, {74, 199}, {75, 199}})
    expected[{x, y}] = 0x800000;
  for (int i = 0; i <= 100; i += 2) expected[{149 * i / 100, 99}] = expected[{74, 199 * i / 100}] = 0;
  EXPECT_EQ(drawn(h.program.display), expected);
  EXPECT_EQ(std::tuple(h.program.runState.xmax, h.program.runState.ymax, h.program.display.Width()),
            std::tuple(100.0, 100.0, 2370.f));
}

}  // namespace
}  // namespace bhsim::testing
