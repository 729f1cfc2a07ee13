#include "sim/strain.hpp"

#include <cmath>

#include "sim/constants.hpp"

namespace bhsim {
namespace {

// The second time derivative of the mass quadrupole, sum of m (a_j x_k + 2 v_j v_k + x_j a_k).
struct QuadrupoleRate {
  double xx = 0, yy = 0, xy = 0;
};

BodyMotion centreOfMass(std::span<const BodyMotion> bodies) {
  BodyMotion centre;
  for (const BodyMotion& b : bodies) {
    centre.m += b.m;
    centre.x += b.m * b.x;
    centre.y += b.m * b.y;
    centre.vx += b.m * b.vx;
    centre.vy += b.m * b.vy;
    centre.ax += b.m * b.ax;
    centre.ay += b.m * b.ay;
  }
  for (double* value : {&centre.x, &centre.y, &centre.vx, &centre.vy, &centre.ax, &centre.ay}) {
    *value /= centre.m;
  }
  return centre;
}

QuadrupoleRate quadrupoleRate(std::span<const BodyMotion> bodies, const BodyMotion& centre) {
  QuadrupoleRate rate;
  for (const BodyMotion& b : bodies) {
    const double x = b.x - centre.x, y = b.y - centre.y;
    const double vx = b.vx - centre.vx, vy = b.vy - centre.vy;
    const double ax = b.ax - centre.ax, ay = b.ay - centre.ay;
    rate.xx += b.m * (2 * ax * x + 2 * vx * vx);
    rate.yy += b.m * (2 * ay * y + 2 * vy * vy);
    rate.xy += b.m * (ax * y + 2 * vx * vy + x * ay);
  }
  return rate;
}

}  // namespace

Strain quadrupoleStrain(std::span<const BodyMotion> bodies, const Detector& detector) {
  const BodyMotion centre = centreOfMass(bodies);
  if (centre.m == 0) return {};
  const QuadrupoleRate rate = quadrupoleRate(bodies, centre);
  // The masses are G m already, so G / (c^4 D) leaves 1 / (c^4 D).
  const double scale = 1 / (kLightSpeed * kLightSpeed * kLightSpeed * kLightSpeed * detector.distanceKm);
  const double cosine = std::cos(detector.inclinationRad);
  return {scale * (rate.xx - rate.yy * (cosine * cosine)), 2 * scale * rate.xy * cosine};
}

}  // namespace bhsim
