#include "python/simulation.hpp"

#include <algorithm>
#include <cmath>

#include "program/strain_sampling.hpp"
#include "sim/energy.hpp"
#include "sim/step.hpp"

namespace bhsim::python {
namespace {

double separation(double xi, double yi, double xj, double yj) {
  const double dx = xi - xj, dy = yi - yj;
  return std::sqrt(dx * dx + dy * dy);
}

// The steps of one model until `steps` are run or one stops the configuration; the Newtonian step is
// inlined into its own loop, as the program's loop has it.
template <void (*kStep)(LoopState&)>
void runSteps(LoopState& s, std::int64_t steps) {
  for (std::int64_t i = 0; i < steps && s.endCode == EndCode::None; ++i) kStep(s);
}

void runSteps(LoopState& s, std::int64_t steps, step::ModelStep modelStep) {
  for (std::int64_t i = 0; i < steps && s.endCode == EndCode::None; ++i) modelStep(s);
}

}  // namespace

Simulation::Simulation(std::span<const Start> bodies, double dt, GravityModel model)
    : count_(static_cast<int>(bodies.size())), step_(step::stepOf(model)) {
  double* const fields[3][5] = {{&s_.m1, &s_.x1, &s_.y1, &s_.vx1, &s_.vy1},
                                {&s_.m2, &s_.x2, &s_.y2, &s_.vx2, &s_.vy2},
                                {&s_.m3, &s_.x3, &s_.y3, &s_.vx3, &s_.vy3}};
  for (int b = 0; b < count_; ++b) {
    const Start& start = bodies[static_cast<std::size_t>(b)];
    const double values[5] = {start.mass, start.x, start.y, start.vx, start.vy};
    for (int k = 0; k < 5; ++k) *fields[b][k] = values[k];
  }
  s_.dt = dt;
  s_.bodiesInPlay = s_.bodyCount = count_;
  s_.gravity = model;
  s_.dist12 = s_.minDist12 = separation(s_.x1, s_.y1, s_.x2, s_.y2);
  s_.dist13 = s_.minDist13 = separation(s_.x1, s_.y1, s_.x3, s_.y3);
  s_.dist23 = s_.minDist23 = separation(s_.x2, s_.y2, s_.x3, s_.y3);
}

std::int64_t Simulation::step(std::int64_t steps) {
  const std::int64_t before = s_.stepCount;
  if (s_.gravity == GravityModel::Newtonian) {
    runSteps<step::advance>(s_, steps);
  } else {
    runSteps(s_, steps, step_);
  }
  return s_.stepCount - before;
}

std::int64_t Simulation::stepsTo(double time) const {
  const std::int64_t target = firstStepAtOrPast(time, s_.dt);
  return std::max<std::int64_t>(0, target - s_.stepCount);
}

BodyMotions Simulation::motions() const {
  BodyMotions all = motionsAtSample(s_);
  const int inPlay = all.count;
  const BodyMotion given[3] = {{s_.m1, s_.x1, s_.y1, s_.vx1, s_.vy1},
                               {s_.m2, s_.x2, s_.y2, s_.vx2, s_.vy2},
                               {s_.m3, s_.x3, s_.y3, s_.vx3, s_.vy3}};
  for (int b = inPlay; b < count_; ++b) all.bodies[static_cast<std::size_t>(b)] = given[b];
  all.count = count_;
  return all;
}

double Simulation::energy() const {
  return modelEnergy(s_);
}

Strain Simulation::strain(const Detector& detector) const {
  return strainSample(s_, 0, detector).strain;
}

}  // namespace bhsim::python
