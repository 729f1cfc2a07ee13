#pragma once

// The bodies' motion as an adaptive stepper sees it: coordinates in flat arrays, coordinate 2 i + axis
// belonging to body i (0 for black hole 1). Lengths km, times s.

namespace bhsim::step {

template <int kBodies>
struct Motion {
  static constexpr int kCoordinates = 2 * kBodies;
  double x[kCoordinates] = {};
  double v[kCoordinates] = {};
  double a[kCoordinates] = {};
};

// The difference of two bodies' coordinates along one axis, and its dot and cross products.
struct PlaneVector {
  double x = 0, y = 0;
};

template <int kBodies>
PlaneVector separationOf(const Motion<kBodies>& m, int i, int j) {
  return {m.x[2 * i] - m.x[2 * j], m.x[2 * i + 1] - m.x[2 * j + 1]};
}
template <int kBodies>
PlaneVector relativeVelocityOf(const Motion<kBodies>& m, int i, int j) {
  return {m.v[2 * i] - m.v[2 * j], m.v[2 * i + 1] - m.v[2 * j + 1]};
}
template <int kBodies>
PlaneVector velocityOf(const Motion<kBodies>& m, int i) {
  return {m.v[2 * i], m.v[2 * i + 1]};
}
template <int kBodies>
PlaneVector accelerationOf(const Motion<kBodies>& m, int i) {
  return {m.a[2 * i], m.a[2 * i + 1]};
}

inline double dotOf(PlaneVector p, PlaneVector q) {
  return p.x * q.x + p.y * q.y;
}
inline double crossOf(PlaneVector p, PlaneVector q) {
  return p.x * q.y - p.y * q.x;
}

// Adds `term` to `sum`, keeping what rounding lost in `lost` (Kahan): the true sum is sum - lost.
inline void addCompensated(double& sum, double& lost, double term) {
  const double y = term - lost;
  const double t = sum + y;
  lost = (t - sum) - y;
  sum = t;
}

}  // namespace bhsim::step
