#pragma once

namespace bhsim {

// The direction of (x2, y2) seen from (x1, y1), in degrees from 0 to 360, counter-clockwise from +x.
// Straight up (dx = 0, dy > 0) is 90 and straight down 270; with both differences zero the direction is
// undefined and `angle` keeps its incoming value.
inline void directionAngle(double x1, double y1, double x2, double y2, double& angle);

// The same from the differences dx = x2 - x1, dy = y2 - y1.
inline void angleOfDirection(double dx, double dy, double& angle);

}  // namespace bhsim

#include <cmath>
#include <numbers>

namespace bhsim {

inline void directionAngle(double x1, double y1, double x2, double y2, double& angle) {
  angleOfDirection(x2 - x1, y2 - y1, angle);
}

inline void angleOfDirection(double dx, double dy, double& angle) {
  if (dx == 0) {
    if (dy != 0) angle = dy > 0 ? 90.0 : 270.0;
    return;
  }
  using std::numbers::pi;
  double a = std::atan(dy / dx);
  if (dx < 0) {
    a = a + pi;
  } else if (dy < 0) {
    a = a + pi * 2;
  }
  angle = (a * 180) / pi;
}

}  // namespace bhsim
