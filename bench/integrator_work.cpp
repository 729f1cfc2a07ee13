// The error against the work of the fixed step and of IAS15 on three problems, each against a converged
// run: the 2.5PN merger time from 5 Hz, the 1PN periastron advance of an orbit of e = 0.5 at 100 G m / c²,
// and the time black hole 3 of the default three-body configuration at 120 degrees is captured (where it
// passes black hole 2 at 37 km near the speed of light). One CSV row a run: problem, integrator, setting
// (steps a revolution, or the tolerance), force evaluations, wall seconds, value, relative error against
// IAS15 at the least tolerance. scripts/integrator_plot.sh runs it and plots the rows.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <numbers>

#include "program/program.hpp"
#include "sim/adaptive_step.hpp"
#include "sim/orbit.hpp"
#include "sim/post_newtonian.hpp"
#include "sim/steppers.hpp"
#include "starting_state.hpp"

namespace bhsim {
namespace {

using Integration = step::AdaptiveIntegration<step::GaussRadau>;
using enum ControlId;
constexpr double kPi = std::numbers::pi;

// An integrator as a problem drives it: one step, and the state at a time within the last one.
struct Driver {
  std::function<void(LoopState&)> advance;
  std::function<void(const LoopState&, double, LoopState&)> at;
  std::function<std::int64_t(const LoopState&)> evaluations;
};

// The fixed step, its law of gravity chosen once: a state within a step by straight lines between its two
// ends (of which it keeps the pair's coordinates, all the straight lines need).
Driver fixedStep(const LoopState& start) {
  static constexpr double LoopState::*kMembers[] = {&LoopState::x1,  &LoopState::y1,  &LoopState::x2,
                                                    &LoopState::y2,  &LoopState::vx1, &LoopState::vy1,
                                                    &LoopState::vx2, &LoopState::vy2};
  struct Before {
    double time = 0, value[std::size(kMembers)] = {};
  };
  auto before = std::make_shared<Before>();
  const auto step = step::stepOf(start.gravity);
  return {[before, step](LoopState& s) {
            before->time = step::simulatedTime(s);
            for (std::size_t k = 0; k < std::size(kMembers); ++k) before->value[k] = s.*kMembers[k];
            step(s);
          },
          [before](const LoopState& s, double time, LoopState& out) {
            const double f = (time - before->time) / s.dt;
            out = s;
            for (std::size_t k = 0; k < std::size(kMembers); ++k)
              out.*kMembers[k] = before->value[k] + f * (s.*kMembers[k] - before->value[k]);
          },
          [](const LoopState& s) { return s.stepCount; }};
}

Driver adaptive(const LoopState& start, double tolerance) {
  auto run = std::make_shared<Integration>(start, tolerance);
  return {[run](LoopState& s) { run->advance(s); },
          [run](const LoopState& s, double time, LoopState& out) { run->stateAt(s, time, out); },
          [](const LoopState& s) { return s.forceEvaluations; }};
}

LoopState pairState(const char* model, double r, double v, double period, double stepsPerRevolution) {
  LoopState s;
  const double m1 = 36 * kSolarGM, m2 = 29 * kSolarGM, m = m1 + m2;
  s.gravity = *gravityModelNamed(model), s.bodiesInPlay = s.bodyCount = 2, s.m1 = m1, s.m2 = m2;
  s.dt = period / stepsPerRevolution, s.stepsPerRevolution = stepsPerRevolution;
  s.x1 = -(m2 / m) * r, s.x2 = (m1 / m) * r, s.vy1 = -(m2 / m) * v, s.vy2 = (m1 / m) * v;
  s.dist12 = s.minDist12 = r;
  return s;
}

// 2.5pn from the circular orbit of 5 Hz.
LoopState inspiral(double stepsPerRevolution) {
  RunParameters p;
  p.BH1 = 36, p.BH2 = 29, p.f = 5, p.stepsPerRevolution = stepsPerRevolution,
  p.gravity = *gravityModelNamed("2.5pn");
  const Orbit o = computeOrbit(p, 2);
  return pairState("2.5pn", o.dist, o.v1 + o.v2, 0.2, stepsPerRevolution);
}

// 1pn from periastron at a (1 - e) with Newton's speed, a = 100 G m / c², e = 0.5.
LoopState eccentric(double stepsPerRevolution) {
  const double m = 65 * kSolarGM, a = 100 * m / (kLightSpeed * kLightSpeed),
               period = 2 * kPi * std::sqrt(a * a * a / m);
  return pairState("1pn", a / 2, std::sqrt(3 * m / a), period, stepsPerRevolution);
}

// The default three-body configuration at 120 degrees as the program builds it.
LoopState threeBodies(double stepsPerRevolution) {
  LoopState s =
      startingState(3, {{AngleMinField, "120"},
                        {AngleMaxField, "120"},
                        {MaxCountField, std::to_string(static_cast<long long>(stepsPerRevolution))}});
  s.stepCount = 0;
  return s;
}

// The time of black hole 3's capture, as the run finds it.
double timeOfCapture(LoopState& s, const Driver& driver) {
  while (s.endCode != EndCode::Ends && !s.captured) driver.advance(s);
  return step::simulatedTime(s);
}

double separation(const LoopState& s) {
  return std::hypot(s.x2 - s.x1, s.y2 - s.y1);
}

// The time the separation comes to the merger's, found by bisection within the step in which it does (on
// the fixed step's straight lines: the fixed step itself sees the merger at the end of the step after,
// its separation being the one at a step's start; IAS15 is cut at the merger already).
double timeOfMerger(LoopState& s, const Driver& driver) {
  const double merger = gravity::innermostStableSeparation(s.m1, s.m2);
  double start = 0;
  while (s.endCode != EndCode::Ends && !(separation(s) < merger))
    start = step::simulatedTime(s), driver.advance(s);
  double low = start, high = step::simulatedTime(s);
  LoopState p;
  for (double middle = 0.5 * (low + high); middle > low && middle < high; middle = 0.5 * (low + high)) {
    driver.at(s, middle, p);
    (separation(p) < merger ? high : low) = middle;
  }
  return high;
}

double radialRate(const LoopState& s) {
  return (s.x2 - s.x1) * (s.vx2 - s.vx1) + (s.y2 - s.y1) * (s.vy2 - s.vy1);
}

// The mean advance a revolution over ten revolutions of the periastron, each where the separation turns
// from falling to rising (found by bisection between the states of the step's ends).
double periastronAdvance(LoopState& s, const Driver& driver) {
  double first = 0, angle = 0;
  for (int found = 0; found < 11;) {
    const double start = step::simulatedTime(s), before = radialRate(s);
    driver.advance(s);
    if (!(before < 0 && radialRate(s) >= 0)) continue;
    double low = start, high = step::simulatedTime(s);
    LoopState p;
    for (double middle = 0.5 * (low + high); middle > low && middle < high; middle = 0.5 * (low + high)) {
      driver.at(s, middle, p);
      (radialRate(p) >= 0 ? high : low) = middle;
    }
    driver.at(s, high, p);
    double turned = std::atan2(p.y2 - p.y1, p.x2 - p.x1);
    while (found > 0 && turned < angle) turned += 2 * kPi;
    if (found++ == 0) first = turned;
    angle = turned;
  }
  return (angle - first) / 10;
}

struct Problem {
  const char* name;
  LoopState (*start)(double stepsPerRevolution);
  double (*measure)(LoopState&, const Driver&);
  std::initializer_list<double> stepsPerRevolution;
};

// Runs `measure` often enough to time it (a quarter of a second at least); the value and the work of one run.
template <class Make>
void report(const Problem& problem, const char* integrator, double setting, double stepsPerRevolution,
            double reference, Make make) {
  double value = 0, seconds = 0;
  std::int64_t evaluations = 0;
  int runs = 0;
  const auto begin = std::chrono::steady_clock::now();
  do {
    LoopState s = problem.start(stepsPerRevolution);
    const Driver driver = make(s);
    value = problem.measure(s, driver);
    evaluations = driver.evaluations(s);
    ++runs;
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  } while (seconds < 0.25);
  std::printf("%s,%s,%.17g,%lld,%.6g,%.17g,%.3e\n", problem.name, integrator, setting,
              static_cast<long long>(evaluations), seconds / runs, value, std::fabs(value / reference - 1));
  std::fflush(stdout);
}

}  // namespace
}  // namespace bhsim

int main() {
  using namespace bhsim;
  const std::initializer_list<double> tolerances = {1,    0.3,  0.1,  0.03, 0.01, 1e-3, 1e-4,
                                                    1e-5, 1e-6, 1e-7, 1e-8, 1e-9, 1e-10};
  const Problem problems[] = {
      {"merger_2.5pn",
       inspiral,
       timeOfMerger,
       {30, 50, 100, 200, 300, 400, 500, 700, 1000, 2000, 5000, 10000, 30000, 100000}},
      {"periastron_1pn",
       eccentric,
       periastronAdvance,
       {100, 200, 500, 1000, 2000, 5000, 10000, 30000, 100000}},
      {"three_body_capture",
       threeBodies,
       timeOfCapture,
       {3000, 10000, 30000, 100000, 300000, 1000000, 3000000}},
  };
  std::printf("problem,integrator,setting,force_evaluations,seconds,value,relative_error\n");
  for (const Problem& problem : problems) {
    LoopState start = problem.start(1000);
    const Driver converged = adaptive(start, kLeastTolerance);
    const double reference = problem.measure(start, converged);
    for (double tolerance : tolerances) {
      report(problem, "ias15", tolerance, 1000, reference,
             [tolerance](const LoopState& s) { return adaptive(s, tolerance); });
    }
    for (double steps : problem.stepsPerRevolution)
      report(problem, "euler", steps, steps, reference, [](const LoopState& s) { return fixedStep(s); });
  }
  return 0;
}
