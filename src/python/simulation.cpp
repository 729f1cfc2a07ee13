#include "python/simulation.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "program/strain_sampling.hpp"
#include "sim/adaptive_step.hpp"
#include "sim/energy.hpp"
#include "sim/step.hpp"
#include "sim/steppers.hpp"

namespace bhsim::python {
namespace {

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

class Simulation::Adaptive {
 public:
  virtual ~Adaptive() = default;
  // Up to `steps` steps, each as the program's adaptive loop takes it, while the time is before `until`
  // (infinity: always), the step that would pass it cut to end on it.
  virtual void run(LoopState& s, std::int64_t steps, double until) = 0;
  virtual double lastStep() const = 0;
};

namespace {

template <class Family>
class AdaptiveOf final : public Simulation::Adaptive {
 public:
  AdaptiveOf(const LoopState& s, double tolerance) : integration_(s, tolerance) {}

  // The time limit cuts the step that reaches it, as a run's total time does; reaching it ends nothing
  // here.
  void run(LoopState& s, std::int64_t steps, double until) override {
    s.timeLimit = std::isfinite(until) ? until : 0;
    for (std::int64_t i = 0; i < steps && s.endCode == EndCode::None && s.time < until; ++i) {
      integration_.advance(s);
      step::massChangeOver(s, integration_.massGrowth(), integration_.lastStep());
      if (s.endCode == EndCode::Ends && s.reason == EndReason::TotalTime) {
        s.endCode = s.captured ? EndCode::Capture : EndCode::None;
        s.reason = EndReason::None;
      }
    }
    s.timeLimit = 0;
  }
  double lastStep() const override { return integration_.lastStep(); }

 private:
  step::AdaptiveIntegration<Family> integration_;
};

using AdaptiveMaker = std::unique_ptr<Simulation::Adaptive> (*)(const LoopState&, double);

template <class Family>
std::unique_ptr<Simulation::Adaptive> adaptiveOf(const LoopState& s, double tolerance) {
  if constexpr (Family::kRow.adaptive) {
    return std::make_unique<AdaptiveOf<Family>>(s, tolerance);
  } else {
    return nullptr;
  }
}

// The steps of an adaptive integrator on `s`; none for a fixed-step one.
std::unique_ptr<Simulation::Adaptive> adaptiveSteps(Integrator integrator, const LoopState& s,
                                                    double tolerance) {
  static constexpr auto kMakers = []<class... Family>(step::StepperList<Family...>) {
    return std::array<AdaptiveMaker, sizeof...(Family)>{&adaptiveOf<Family>...};
  }(step::Steppers{});
  return kMakers[integrator.row < kMakers.size() ? integrator.row : 0](s, tolerance);
}

}  // namespace

Simulation::Simulation(std::span<const Start> bodies, double dt, GravityModel model, Integrator integrator,
                       double tolerance)
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
  s_.dist12 = s_.minDist12 = step::measure(s_.x1, s_.y1, s_.x2, s_.y2).d;
  s_.dist13 = s_.minDist13 = step::measure(s_.x1, s_.y1, s_.x3, s_.y3).d;
  s_.dist23 = s_.minDist23 = step::measure(s_.x2, s_.y2, s_.x3, s_.y3).d;
  adaptive_ = adaptiveSteps(integrator, s_, tolerance);
}

Simulation::~Simulation() = default;

std::int64_t Simulation::step(std::int64_t steps) {
  const std::int64_t before = s_.stepCount;
  if (adaptive_) {
    adaptive_->run(s_, steps, std::numeric_limits<double>::infinity());
  } else if (s_.gravity == GravityModel::Newtonian) {
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

std::int64_t Simulation::stepToward(double time, std::int64_t steps) {
  const std::int64_t before = s_.stepCount;
  adaptive_->run(s_, steps, time);
  return s_.stepCount - before;
}

double Simulation::time() const {
  return step::simulatedTime(s_);
}

double Simulation::lastStep() const {
  return adaptive_ && s_.stepCount > 0 ? adaptive_->lastStep() : s_.dt;
}

std::int64_t Simulation::forceEvaluations() const {
  return adaptive_ ? s_.forceEvaluations : s_.stepCount;
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
