#include "program/strain_sampling.hpp"

#include <cmath>
#include <limits>

#include "sim/post_newtonian.hpp"

namespace bhsim {

// The bodies as they are at the sample, with the accelerations of the run's law of gravity there.
BodyMotions motionsAtSample(const LoopState& s) {
  BodyMotions motions;
  motions.count = s.bodiesInPlay == 3 ? 3 : 2;
  const auto count = static_cast<std::size_t>(motions.count);
  const gravity::Body bodies[3] = {{{s.x1, s.y1}, {s.vx1, s.vy1}, s.m1},
                                   {{s.x2, s.y2}, {s.vx2, s.vy2}, s.m2},
                                   {{s.x3, s.y3}, {s.vx3, s.vy3}, s.m3}};
  gravity::Vec2 accelerations[3];
  gravity::accelerations(s.gravity, {bodies, count}, {accelerations, count});
  for (std::size_t i = 0; i < count; ++i) {
    const gravity::Body& b = bodies[i];
    motions.bodies[i] = {b.mass,       b.position.x,       b.position.y,      b.velocity.x,
                         b.velocity.y, accelerations[i].x, accelerations[i].y};
  }
  return motions;
}

StrainSample strainSample(const LoopState& s, double time, const Detector& detector) {
  const BodyMotions motions = motionsAtSample(s);
  const double dx = s.x2 - s.x1, dy = s.y2 - s.y1;
  return {time, quadrupoleStrain(motions.inPlay(), detector), std::sqrt(dx * dx + dy * dy)};
}

RingdownStrain ringdownAfter(const LoopState& s, const Detector& detector, const RingdownMode& mode) {
  const BodyMotions motions = motionsAtSample(s);
  const Strain seen = quadrupoleStrain(motions.inPlay(), detector);
  const Strain faceOn = quadrupoleStrain(motions.inPlay(), {detector.distanceKm, 0});
  // the sense of black hole 2 about black hole 1
  const double turning = (s.x2 - s.x1) * (s.vy2 - s.vy1) - (s.y2 - s.y1) * (s.vx2 - s.vx1);
  return {seen, faceOn, detector.inclinationRad, mode, turning >= 0};
}

std::int64_t firstStepAtOrPast(double time, double dt) {
  constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();
  if (!(time > 0)) return 0;
  const double estimate = std::ceil(time / dt);
  if (!(dt > 0) || !(estimate < 9e18)) return kNever;
  auto n = static_cast<std::int64_t>(estimate);
  const auto at = [dt](std::int64_t k) { return dt * static_cast<double>(k); };
  while (at(n) < time) ++n;
  while (n > 0 && at(n - 1) >= time) --n;
  return n;
}

std::int64_t firstStepPast(double time, double dt) {
  constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();
  if (!(time > 0)) return kNever;
  const std::int64_t n = firstStepAtOrPast(time, dt);
  if (n == kNever || dt * static_cast<double>(n) > time) return n;
  return n + 1;
}

}  // namespace bhsim
