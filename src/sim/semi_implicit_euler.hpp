#pragma once

// The program's own integrator: the semi-implicit Euler step of fixed length dt (velocities first, then
// positions with the new velocities), under Newton's law the packed fast loop, under a post-Newtonian
// model the model's step (sim/step.hpp, sim/packed_steps.hpp, sim/relativistic_step.hpp). Every event is
// checked at the end of a step.

#include "sim/integrator.hpp"
#include "sim/relativistic_step.hpp"

namespace bhsim::step {

struct SemiImplicitEuler {
  static constexpr IntegratorRow kRow{
      "euler", "Euler", "semi-implicit Euler with a fixed step: \"Max count\" steps a revolution", false};
  // The step under a law of gravity, chosen once per configuration.
  static ModelStep stepOf(GravityModel model) { return step::stepOf(model); }
};

}  // namespace bhsim::step
