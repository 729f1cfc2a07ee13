#include "sim/fast_loop.hpp"

#include "sim/packed_steps.hpp"

namespace bhsim::step {

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
