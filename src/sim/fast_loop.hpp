#pragma once

// The fast loop: whole Newtonian steps with the state in registers, bit-identical to the plain step.

#include <cstdint>

#include "sim/loop_state.hpp"
#include "sim/revolution_watch.hpp"
#include "sim/step.hpp"

namespace bhsim::step {

// Runs the packed steps for the body count and mass change in play until one needs the loop (see
// runPackedSteps).
Crossing runFastSteps(LoopState& s, const DirectionWatch& watch, std::int64_t until);

}  // namespace bhsim::step
