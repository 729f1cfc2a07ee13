#include "sim/fast_steps.hpp"

#include "sim/packed_steps.hpp"

namespace bhsim::step {

DirectionWatch::DirectionWatch(double alpha) {
  if (alpha < 0) {
    mode_ = Mode::Negative;
  } else if (alpha == 0) {
    mode_ = Mode::Zero;
  } else {
    mode_ = Mode::Arc;
    lowArc_ = alpha < 180;
    const double a = alpha * (4 * std::atan(1.0)) / 180;
    ux_ = std::cos(a);
    uy_ = std::sin(a);
  }
}

Crossing runFastSteps(LoopState& s, const DirectionWatch& watch, std::int64_t until) {
  const MassMode mass = s.bodyCount == 2   ? MassMode::Two
                        : s.bodyCount == 3 ? MassMode::Three
                                           : MassMode::None;
  const bool three = s.bodiesInPlay == 3;
  switch (mass) {
    case MassMode::Two:
      return three ? runPackedSteps<true, MassMode::Two>(s, watch, until)
                   : runPackedSteps<false, MassMode::Two>(s, watch, until);
    case MassMode::Three:
      return three ? runPackedSteps<true, MassMode::Three>(s, watch, until)
                   : runPackedSteps<false, MassMode::Three>(s, watch, until);
    case MassMode::None:
      break;
  }
  return three ? runPackedSteps<true, MassMode::None>(s, watch, until)
               : runPackedSteps<false, MassMode::None>(s, watch, until);
}

}  // namespace bhsim::step
