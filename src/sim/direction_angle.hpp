#pragma once

namespace bhsim {

// The direction of (x1, y1) seen from (x0, y0), in degrees from 0 to 360, counter-clockwise from +x.
// Straight up (dx = 0, dy > 0) is 90 and straight down 270; with both differences zero the direction is
// undefined and `angle` keeps its incoming value.
inline void directionAngle(double x0, double y0, double x1, double y1, double Pi, double& angle);

// The same from the differences dx = x1 - x0, dy = y1 - y0.
inline void angleOfDirection(double dx, double dy, double Pi, double& angle);

}  // namespace bhsim

#include <cmath>

namespace bhsim {

inline void directionAngle(double x0, double y0, double x1, double y1, double Pi, double& angle) {
  angleOfDirection(x1 - x0, y1 - y0, Pi, angle);
}

inline void angleOfDirection(double dx, double dy, double Pi, double& angle) {
  if (dx == 0) {
    if (dy != 0) angle = dy > 0 ? 90.0 : 270.0;
    return;
  }
  double a = std::atan(dy / dx);
  if (dx < 0) {
    a = a + Pi;
  } else if (dy < 0) {
    a = a + Pi * 2;
  }
  angle = (a * 180) / Pi;
}

}  // namespace bhsim
