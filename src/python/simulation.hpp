#pragma once

// Bodies of any masses, positions and velocities stepped by one of the program's integrators under a
// gravity model: the same arithmetic and the same events (a merger, a body faster than light) as a
// configuration's integration, without its set-up, revolutions, fields or display.

#include <cstdint>
#include <memory>
#include <span>

#include "sim/integrator.hpp"
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

  // Two or three bodies, black holes 1, 2 (and 3) of a configuration. `dt` in seconds is the fixed
  // step's length, or the first step an adaptive integrator tries; `tolerance` is an adaptive
  // integrator's error per step.
  Simulation(std::span<const Start> bodies, double dt, GravityModel model,
             Integrator integrator = Integrator::Euler, double tolerance = kDefaultTolerance);
  ~Simulation();

  // Runs up to `steps` steps and returns how many it ran: fewer when a step ended the configuration or
  // captured black hole 3 (a body faster than light), after which it runs none.
  std::int64_t step(std::int64_t steps);
  // Under the fixed step: the steps from now to the first step at or past `time` (0 when that is now or
  // past).
  std::int64_t stepsTo(double time) const;
  // Under an adaptive integrator: up to `steps` steps while the time is before `time`, the step that
  // would pass it cut to end on it; returns how many it ran.
  std::int64_t stepToward(double time, std::int64_t steps);
  // Whether a step ended the configuration or captured black hole 3.
  bool stopped() const { return s_.endCode != EndCode::None; }

  bool adaptive() const { return adaptive_ != nullptr; }
  // The simulated time (s): steps x dt under the fixed step.
  double time() const;
  // The fixed step's dt; an adaptive integrator's last step up to where an event or `stepToward` cut it
  // (its first try before any).
  double lastStep() const;
  // The evaluations of the accelerations so far: one a step under the fixed step.
  std::int64_t forceEvaluations() const;

  const LoopState& state() const { return s_; }
  int bodyCount() const { return count_; }
  // The bodies given (those out of play where they left it), with the accelerations of the model at the
  // positions and velocities they have now (those in play only; zero for the others).
  BodyMotions motions() const;
  // The energy the model's conservative terms keep, of the bodies in play (G times an energy).
  double energy() const;
  // The strain of the bodies in play, as the run samples it.
  Strain strain(const Detector& detector) const;

  // An adaptive integrator's steps, of the family it was made for.
  class Adaptive;

 private:
  LoopState s_;
  int count_;
  step::ModelStep step_;
  std::unique_ptr<Adaptive> adaptive_;
};

}  // namespace bhsim::python
