#include "program/program.hpp"
#include "sim/direction_angle.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "state/module1.hpp"

namespace bhsim {
namespace {

const double kPi = 4 * std::atan(1.0);

// The angle as the steps go: arctangent of the quotient, Pi added for a negative dx, 2 Pi for a negative
// dy otherwise, then multiplied by 180 and divided by Pi.
double steps(double dx, double dy) {
  double a = std::atan(dy / dx);
  if (dx < 0) {
    a = a + kPi;
  } else if (dy < 0) {
    a = a + kPi * 2;
  }
  return (a * 180) / kPi;
}

double angleOf(double x0, double y0, double x1, double y1, double incoming = -999) {
  double angle = incoming;
  directionAngle(x0, y0, x1, y1, kPi, angle);
  return angle;
}

struct AngleCase {
  double dx;
  double dy;
  double expected;
};

class DirectionAngleTest : public ::testing::TestWithParam<AngleCase> {};

TEST_P(DirectionAngleTest, FullCircleDegrees) {
  const AngleCase& c = GetParam();
  const double angle = angleOf(0, 0, c.dx, c.dy);
  EXPECT_EQ(angle, c.expected) << "dx " << c.dx << " dy " << c.dy;
  EXPECT_EQ(angle, steps(c.dx, c.dy));
  // The same direction from another starting point, where the differences survive the shift.
  if ((1000 + c.dx) - 1000 == c.dx && (-2000 + c.dy) - -2000 == c.dy) {
    EXPECT_EQ(angleOf(1000, -2000, 1000 + c.dx, -2000 + c.dy), c.expected);
  }
}

// These come out exact in double precision.
INSTANTIATE_TEST_SUITE_P(Directions, DirectionAngleTest,
                         ::testing::Values(AngleCase{1, 0, 0}, AngleCase{-1, 0, 180}, AngleCase{1, -1, 315},
                                           AngleCase{-1, -1, 225}, AngleCase{-1, 1, 135}, AngleCase{1, 1, 45},
                                           AngleCase{2, 0, 0}, AngleCase{-2, -0.0, 180},
                                           // a tiny negative dy with positive dx reaches 360 exactly
                                           AngleCase{1, -1e-20, 360},
                                           // a tiny dx: the quotient is huge but finite
                                           AngleCase{1e-300, 1, 90}, AngleCase{-1e-300, 1, 90},
                                           AngleCase{1e-300, -1, 270}));

struct RangeCase {
  double dx;
  double dy;
  double low;  // the angle lies strictly between low and high
  double high;
};

class DirectionAngleRangeTest : public ::testing::TestWithParam<RangeCase> {};

TEST_P(DirectionAngleRangeTest, QuadrantsAndTheirArithmetic) {
  const RangeCase& c = GetParam();
  const double angle = angleOf(0, 0, c.dx, c.dy);
  EXPECT_GT(angle, c.low);
  EXPECT_LT(angle, c.high);
  EXPECT_EQ(angle, steps(c.dx, c.dy));
  double nominal = std::atan2(c.dy, c.dx) * 180 / kPi;
  if (nominal < 0) nominal += 360;
  EXPECT_NEAR(angle, nominal, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Quadrants, DirectionAngleRangeTest,
                         ::testing::Values(RangeCase{3, 4, 0, 90}, RangeCase{4, 0.001, 0, 90},
                                           RangeCase{-3, 4, 90, 180}, RangeCase{-0.001, 4, 90, 180},
                                           RangeCase{-3, -4, 180, 270}, RangeCase{-4, -0.001, 180, 270},
                                           RangeCase{3, -4, 270, 360}, RangeCase{0.001, -4, 270, 360},
                                           RangeCase{1.5e8, -2.5e7, 270, 360},
                                           RangeCase{-7e-3, 2e-9, 90, 180}));

TEST(DirectionAngle, ThreeFourFiveTriangleToTheLastBit) {
  // atan(-4 / 3) + 2 Pi, times 180, divided by Pi, rounded at every step as written
  EXPECT_EQ(angleOf(0, 0, 3, -4), 306.86989764584405);
  EXPECT_EQ(angleOf(0, 0, 3, 4), 53.13010235415598);
  EXPECT_EQ(angleOf(0, 0, -3, 4), 126.86989764584402);
  EXPECT_EQ(angleOf(0, 0, -3, -4), 233.13010235415598);
}

TEST(DirectionAngle, StraightUpAndDown) {
  EXPECT_EQ(angleOf(0, 0, 0, 1), 90);
  EXPECT_EQ(angleOf(0, 0, 0, 1e-300), 90);
  EXPECT_EQ(angleOf(0, 0, 0, -1), 270);
  EXPECT_EQ(angleOf(5e3, 7e3, 5e3, -7e3), 270);
  EXPECT_EQ(angleOf(-2.5, 1, -2.5, 3), 90);
  // The incoming value plays no part.
  EXPECT_EQ(angleOf(0, 0, 0, 1, 270), 90);
  EXPECT_EQ(angleOf(0, 0, 0, -1, 90), 270);
}

TEST(DirectionAngle, SamePositionKeepsTheIncomingValue) {
  for (double incoming : {0.0, 42.5, 359.9, -1.0}) {
    EXPECT_EQ(angleOf(3, 4, 3, 4, incoming), incoming);
    EXPECT_EQ(angleOf(0, 0, 0, 0, incoming), incoming);
    EXPECT_EQ(angleOf(0, 0, -0.0, 0, incoming), incoming);
  }
}

TEST(DirectionAngle, IncomingValueIsReplacedOtherwise) {
  for (double incoming : {0.0, 42.5, 1e300}) {
    EXPECT_EQ(angleOf(0, 0, -1, -1, incoming), 225);
    EXPECT_EQ(angleOf(0, 0, 1, 0, incoming), 0);
  }
}

TEST(DirectionAngle, UsesTheSharedPositionsAndPi) {
  Module1 module;
  module.Pi = kPi;
  module.x0 = 10;
  module.y0 = 20;
  module.x1 = 9;
  module.y1 = 21;
  double angle = -1;
  DirectionAngle(module, angle);
  EXPECT_EQ(angle, 135);

  module.x1 = 11;
  module.y1 = 19;
  DirectionAngle(module, angle);
  EXPECT_EQ(angle, 315);

  // The Pi of the module is the one used: with 3.14 the angle of (1, 1) is (atan(1) x 180) / 3.14.
  module.Pi = 3.14;
  module.x1 = 11;
  module.y1 = 21;
  DirectionAngle(module, angle);
  EXPECT_EQ(angle, (std::atan(1.0) * 180) / 3.14);
  EXPECT_NEAR(angle, 45.0228, 1e-4);

  // Reads the positions only.
  EXPECT_EQ(module.x0, 10);
  EXPECT_EQ(module.y0, 20);
  EXPECT_EQ(module.x1, 11);
  EXPECT_EQ(module.y1, 21);
}

}  // namespace
}  // namespace bhsim
