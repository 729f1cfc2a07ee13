#pragma once

// Bodies of any masses, positions and velocities stepped by the program's own step under a gravity model:
// the same arithmetic and the same events (a merger, a body faster than light) as a configuration's
// integration, without its set-up, revolutions, fields or display.

#include <cstdint>
#include <span>

#include "sim/loop_state.hpp"
#include "sim/relativistic_step.hpp"
#include "sim/strain.hpp"

namespace bhsim::python {

class Simulation {
 public:
  // One body's start: its mass as a gravitational parameter (km^3/s^2), its position (km) and velocity
  // (km/s).
  struct Start {
    double mass = 0;
    double x = 0, y = 0, vx = 0, vy = 0;
  };

  // Two or three bodies, black holes 1, 2 (and 3) of a configuration; `dt` in seconds.
  Simulation(std::span<const Start> bodies, double dt, GravityModel model);

  // Runs up to `steps` steps and returns how many it ran: fewer when a step ended the configuration or
  // captured black hole 3 (a body faster than light), after which it runs none.
  std::int64_t step(std::int64_t steps);
  // The steps from now to the first step at or past `time` (0 when that is now or past).
  std::int64_t stepsTo(double time) const;
  // Whether a step ended the configuration or captured black hole 3.
  bool stopped() const { return s_.endCode != EndCode::None; }

  const LoopState& state() const { return s_; }
  int bodyCount() const { return count_; }
  // The bodies given (those out of play where they left it), with the accelerations of the model at the
  // positions and velocities they have now (those in play only; zero for the others).
  BodyMotions motions() const;
  // The energy the model's conservative terms keep, of the bodies in play (G times an energy).
  double energy() const;
  // The strain of the bodies in play, as the run samples it.
  Strain strain(const Detector& detector) const;

 private:
  LoopState s_;
  int count_;
  step::ModelStep step_;
};

}  // namespace bhsim::python
