// Numbers out of range on the display: points 10^12 windows away and more, infinite or not numbers at all,
// world windows too large to measure. Nothing is drawn for them, nothing wrong and nothing that crashes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "display/form2.hpp"
#include "display/plotting.hpp"
#include "state/module1.hpp"
#include "test_support.hpp"

namespace bhsim::testing {
namespace {

using enum ControlId;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kFar = 1 << 30;

// The run's window of a configuration: -1000 to 1000 km on the design area of 150 x 200 pixels.
Module1 runWindow() {
  Module1 module;
  module.xmax = module.ymax = 1000;
  module.xmin = module.ymin = -1000;
  module.xpixmax = 149;
  module.ypixmax = 199;
  return module;
}

// World coordinates far outside the window -1000 to 1000: 10^12 windows and more, and beyond numbers.
std::vector<double> farCoordinates() {
  return {2e15, -2e15, 1e100, -1e100, kMax, -kMax, kInf, -kInf, kNan};
}

int drawnCount(const Form2& form2) {
  int count = 0;
  for (Colour colour : form2.pixels()) count += colour != kBackgroundColour ? 1 : 0;
  return count;
}

bool insideArea(double x, double y, const Module1& module) {
  return x >= 0 && x <= module.xpixmax && y >= 0 && y <= module.ypixmax;
}

TEST(FarPoints, MapToWholeNumbersPinnedFarOutsideTheArea) {
  const Module1 module = runWindow();
  for (double far : farCoordinates()) {
    for (const auto& [xin, yin] : {std::pair{far, 0.0}, std::pair{0.0, far}, std::pair{far, far}}) {
      double x = 0;
      double y = 0;
      ASSERT_TRUE(PointSet(module, xin, yin, x, y));
      EXPECT_FALSE(insideArea(x, y, module)) << xin << ", " << yin;
      for (double pixel : {x, y}) {
        EXPECT_EQ(pixel, std::floor(pixel)) << xin << ", " << yin;
        EXPECT_LE(std::fabs(pixel), kFar) << xin << ", " << yin;
      }
    }
  }
}

TEST(FarPoints, KeepTheirSideOfTheArea) {
  const Module1 module = runWindow();
  double x = 0;
  double y = 0;
  ASSERT_TRUE(PointSet(module, 2e15, -2e15, x, y));
  EXPECT_EQ(x, kFar);
  EXPECT_EQ(y, -kFar);
  ASSERT_TRUE(PointSet(module, -kInf, kNan, x, y));
  EXPECT_EQ(x, -kFar);
  EXPECT_EQ(y, -kFar);
  // Far below, rows keep their own limit of 2 x ypixmax.
  ASSERT_TRUE(PointSet(module, 0, kInf, x, y));
  EXPECT_EQ(y, 398);
  // Within the band nothing changes: 10^6 window widths right of the left edge is column 149 x 10^6.
  ASSERT_TRUE(PointSet(module, -1000 + 2e9, 0, x, y));
  EXPECT_EQ(x, 149000000);
}

TEST(FarPoints, DrawNothingWhateverTheDotSize) {
  const Module1 module = runWindow();
  Form2 form2;
  const std::uint64_t revision = form2.revision();
  for (double far : farCoordinates()) {
    for (double size : {0.0, 2.0, 3.0}) {
      CircleSet(module, form2, far, 0, QBColor(0), size);
      CircleSet(module, form2, 0, far, QBColor(12), size);
      CircleSet(module, form2, far, -far, QBColor(2), size);
    }
  }
  EXPECT_EQ(drawnCount(form2), 0);
  EXPECT_EQ(form2.revision(), revision);
}

TEST(FarPoints, AWindowTooLargeToMeasureDrawsNothing) {
  Module1 module = runWindow();
  module.xmax = module.ymax = kMax;
  module.xmin = module.ymin = -kMax;  // the width overflows to infinity
  Form2 form2;
  double x = 7;
  double y = 8;
  EXPECT_FALSE(PointSet(module, 0, 0, x, y));
  CircleSet(module, form2, 0, 0, QBColor(0), 3);
  module.xmax = kInf;
  CircleSet(module, form2, 0, 0, QBColor(0), 3);
  module.xmax = kNan;
  CircleSet(module, form2, 0, 0, QBColor(0), 3);
  EXPECT_EQ(drawnCount(form2), 0);
}

TEST(FarPoints, PixelsAnywhereOffTheAreaAreIgnored) {
  Form2 form2;
  for (double column : {-1.0, 150.0, -kFar, kFar, 1e300, -kInf, kInf, kNan})
    form2.setPixel(column, 10, QBColor(0));
  for (double row : {-1.0, 200.0, -kFar, kFar, 1e300, -kInf, kInf, kNan}) form2.setPixel(10, row, QBColor(0));
  EXPECT_EQ(drawnCount(form2), 0);
  form2.setPixel(149, 199, QBColor(0));
  EXPECT_EQ(drawnCount(form2), 1);
}

// Three black holes with a world window 10^-13 of the orbit: every body lies 10^13 windows away from the
// centre of mass, so the trail leaves nothing on the area; only the centre of mass, at the middle of the
// window, may show.
TEST(FarPoints, ARunWhosePathsLeaveTheWindowDrawsAtMostTheCentreOfMass) {
  Harness h;
  h.setBodyCount(3);
  h.type(Tmaxcount, "2000");
  h.type(Txmaxf, "1e-13");
  h.type(Talphamax, "20");
  h.program.options.refreshEvery = 1000;
  int drawnAtNext = -1;
  h.onCaption(CommandStart, "Cont", [&] { h.click(CommandStart); });
  h.onCaption(CommandStart, "Next", [&] {
    drawnAtNext = drawnCount(h.program.form2);
    h.click(CommandStart);
  });
  h.click(CommandStart);
  EXPECT_GT(h.program.module.totalSteps, 3 * 1000);
  EXPECT_GE(drawnAtNext, 0);
  EXPECT_LE(drawnAtNext, 1);
}

}  // namespace
}  // namespace bhsim::testing
