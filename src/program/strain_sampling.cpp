#include "program/strain_sampling.hpp"

#include <cmath>
#include <limits>

namespace bhsim {

BodyMotions motionsAtSample(const LoopState& s) {
  return newtonianMotions(s);
}

StrainSample strainSample(const LoopState& s, double time, const Detector& detector) {
  const BodyMotions motions = motionsAtSample(s);
  const double dx = s.x1 - s.x0, dy = s.y1 - s.y0;
  return {time, quadrupoleStrain(motions.inPlay(), detector), std::sqrt(dx * dx + dy * dy)};
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

}  // namespace bhsim
