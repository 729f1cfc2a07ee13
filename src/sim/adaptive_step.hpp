#pragma once

// The integration step of an adaptive stepper on a LoopState. The stepper takes a step of its own
// choosing; the events the fixed step checks are then located inside it on its dense output, and the step
// is cut short at the first that ends the configuration or takes black hole 3 out of play (light speed,
// black hole 3 within its merger distance or faster than light, black holes 1 and 2 inside their
// innermost stable orbit, the wanted revolution, the total time). At the cut the fixed step's tests run
// in the fixed step's order, so that an end reads as it does there. Each pair's least separation and each
// body's top speed are taken over the whole step, dips and peaks between samples included, and every
// counter-clockwise crossing of the reference direction is timed where it happens.
//
// `Family` is a stepper family (sim/steppers.hpp): Family::Stepper<N> advances N bodies. The law of
// gravity is chosen once, when the integration is made.

#include <array>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <limits>
#include <numbers>
#include <utility>

#include "sim/constants.hpp"
#include "sim/loop_state.hpp"
#include "sim/motion.hpp"
#include "sim/post_newtonian.hpp"
#include "sim/relativistic_step.hpp"
#include "sim/step.hpp"
#include "sim/step_events.hpp"

namespace bhsim::step {

// The accelerations under `kModel` of the first `kBodies` bodies of `s`, `elapsed` seconds into the step,
// with the masses black holes 1 and 2 have grown to by then.
template <GravityModel kModel, int kBodies>
struct ModelAccelerations {
  static constexpr int kCoordinates = 2 * kBodies;
  LoopState& s;
  MassGrowth growth;

  void operator()(double elapsed, const double (&x)[kCoordinates], const double (&v)[kCoordinates],
                  double (&a)[kCoordinates]) const {
    const double mass[3] = {s.m1 + growth.gain(0, elapsed), s.m2 + growth.gain(1, elapsed), s.m3};
    gravity::Body body[kBodies];
    for (int i = 0; i < kBodies; ++i) body[i] = {{x[2 * i], x[2 * i + 1]}, {v[2 * i], v[2 * i + 1]}, mass[i]};
    gravity::Vec2 out[kBodies];
    gravity::accelerationsAt<kModel>(gravity::geometryOf<kModel>(body), body, out, s.pairCoefficients);
    for (int i = 0; i < kBodies; ++i) a[2 * i] = out[i].x, a[2 * i + 1] = out[i].y;
  }
};

template <int kBodies>
Motion<kBodies> motionOf(const LoopState& s) {
  const double state[3][4] = {
      {s.x1, s.y1, s.vx1, s.vy1}, {s.x2, s.y2, s.vx2, s.vy2}, {s.x3, s.y3, s.vx3, s.vy3}};
  Motion<kBodies> m;
  for (int i = 0; i < kBodies; ++i) {
    m.x[2 * i] = state[i][0], m.x[2 * i + 1] = state[i][1];
    m.v[2 * i] = state[i][2], m.v[2 * i + 1] = state[i][3];
  }
  return m;
}

// Puts the bodies of `m` into `s`, with the separations they have.
template <int kBodies>
void placeMotion(const Motion<kBodies>& m, LoopState& s) {
  double* const places[3][4] = {
      {&s.x1, &s.y1, &s.vx1, &s.vy1}, {&s.x2, &s.y2, &s.vx2, &s.vy2}, {&s.x3, &s.y3, &s.vx3, &s.vy3}};
  for (int i = 0; i < kBodies; ++i) {
    *places[i][0] = m.x[2 * i], *places[i][1] = m.x[2 * i + 1];
    *places[i][2] = m.v[2 * i], *places[i][3] = m.v[2 * i + 1];
  }
  s.dist12 = measure(s.x1, s.y1, s.x2, s.y2).d;
  if constexpr (kBodies == 3) {
    s.dist13 = measure(s.x1, s.y1, s.x3, s.y3).d;
    s.dist23 = measure(s.x2, s.y2, s.x3, s.y3).d;
  }
}

// Readings of the quantities the events watch. An event's reading rises above 0 exactly where the fixed
// step's test of it fires, with the same arithmetic, so that the test fires at the cut.
namespace watch {

// |v| - c of body i: above 0 faster than light.
template <int kBodies>
Reading fasterThanLight(const Motion<kBodies>& m, int i) {
  const PlaneVector v = velocityOf(m, i);
  const double speed = std::sqrt(v.x * v.x + v.y * v.y);
  return {speed - kLightSpeed, dotOf(v, accelerationOf(m, i)) / speed};
}
// distance - separation of bodies i and j: above 0 closer than `distance`.
template <int kBodies>
Reading closerThan(const Motion<kBodies>& m, int i, int j, double distance) {
  const PlaneVector d = separationOf(m, i, j);
  const double separation = std::sqrt(d.x * d.x + d.y * d.y);
  return {distance - separation, -dotOf(d, relativeVelocityOf(m, i, j)) / separation};
}
// -|v|² of body i: its least value is the top speed.
template <int kBodies>
Reading slowness(const Motion<kBodies>& m, int i) {
  const PlaneVector v = velocityOf(m, i);
  return {-dotOf(v, v), -2 * dotOf(v, accelerationOf(m, i))};
}
// The squared separation of bodies i and j.
template <int kBodies>
Reading squaredSeparation(const Motion<kBodies>& m, int i, int j) {
  const PlaneVector d = separationOf(m, i, j);
  return {dotOf(d, d), 2 * dotOf(d, relativeVelocityOf(m, i, j))};
}

}  // namespace watch

template <class Family>
class AdaptiveIntegration {
 public:
  // Ready to integrate `s` from its start: the first step tried is s.dt, no step is longer than a
  // revolution of the set-up.
  AdaptiveIntegration(const LoopState& s, double tolerance);

  // One step and its events; `s` ends at the step's end or where an event cut it short.
  Crossing advance(LoopState& s) { return step_(*this, s); }

  // `s` as it was at `time`, between the start of the last step and where it ended.
  void stateAt(const LoopState& s, double time, LoopState& out) const;
  // How long the last step was, up to where it was cut, and how the masses grew through it (its mass
  // change, step::massChangeOver, is the last thing of the step).
  double lastStep() const { return length_; }
  const MassGrowth& massGrowth() const { return growth_; }
  std::int64_t evaluations() const { return pair_.evaluations() + three_.evaluations(); }

 private:
  using Step = Crossing (*)(AdaptiveIntegration&, LoopState&);
  struct Crossings {
    double at[kEventSamples + 1];
    int count = 0;
    bool startsOnReference = false;  // the first is the configuration's start
  };

  template <GravityModel kModel>
  static Crossing stepUnder(AdaptiveIntegration& self, LoopState& s) {
    return s.bodiesInPlay == 3 ? self.template stepWith<kModel, 3>(s) : self.template stepWith<kModel, 2>(s);
  }
  template <std::size_t... row>
  static constexpr std::array<Step, sizeof...(row)> steps(std::index_sequence<row...>) {
    return {&stepUnder<kGravityModels[row].model>...};
  }
  static Step stepOf(GravityModel model);

  template <int kBodies>
  auto& stepper() {
    if constexpr (kBodies == 3) {
      return three_;
    } else {
      return pair_;
    }
  }
  template <GravityModel kModel, int kBodies>
  Crossing stepWith(LoopState& s);
  template <GravityModel kModel, int kBodies, class Stepper>
  Crossing eventsOfStep(const Stepper& stepper, LoopState& s, bool toTimeLimit);
  template <int kBodies, class Dense>
  Crossings crossingsIn(const Motion<kBodies> (&at)[kEventSamples + 1], const LoopState& s,
                        Dense dense) const;
  template <int kBodies, class Dense>
  void keepRecords(const Motion<kBodies> (&at)[kEventSamples + 1], double cut, const Motion<kBodies>& last,
                   double length, Dense dense, LoopState& s) const;
  double revolutionLimitCut(const Crossings& crossings, const LoopState& s) const;

  Step step_;
  double tolerance_;
  double longest_;        // no step is longer: a revolution of the set-up
  double firstStep_;      // the first step a (re)started stepper tries
  double unitX_, unitY_;  // the reference direction
  int bodies_ = 0;        // the bodies of the stepper that took the last step; 0 before the first
  bool restart_ = false;  // the last step was cut short and the run goes on: start afresh from the cut
  double start_ = 0, fullLength_ = 0, length_ = 0;  // the last step: its start, as taken, and to its cut
  double lostTime_ = 0;
  MassGrowth growth_;  // the masses' growth through the last step, as it was at its start
  typename Family::template Stepper<2> pair_;
  typename Family::template Stepper<3> three_;
};

template <class Family>
AdaptiveIntegration<Family>::AdaptiveIntegration(const LoopState& s, double tolerance)
    : step_(stepOf(s.gravity)), tolerance_(tolerance), firstStep_(s.dt) {
  const double revolution = s.dt * s.stepsPerRevolution;
  longest_ = revolution > 0 ? revolution : std::numeric_limits<double>::infinity();
  const double angle = (s.alpha * std::numbers::pi) / 180;
  unitX_ = std::cos(angle), unitY_ = std::sin(angle);
}

template <class Family>
typename AdaptiveIntegration<Family>::Step AdaptiveIntegration<Family>::stepOf(GravityModel model) {
  static constexpr auto kSteps = steps(std::make_index_sequence<std::size(kGravityModels)>());
  return kSteps[static_cast<std::size_t>(&gravityModelRow(model) - kGravityModels)];
}

template <class Family>
template <GravityModel kModel, int kBodies>
Crossing AdaptiveIntegration<Family>::stepWith(LoopState& s) {
  auto& stepper = this->stepper<kBodies>();
  if (bodies_ != kBodies || restart_) {
    stepper.start(motionOf<kBodies>(s), firstStep_, tolerance_);
    bodies_ = kBodies;
    restart_ = false;
  }
  s.stepCount = s.stepCount + 1;
  s.variableStep = true;
  const double untilLimit = s.timeLimit > 0 ? s.timeLimit - s.time : std::numeric_limits<double>::infinity();
  growth_ = massGrowthOf(s);
  const double longest = std::min({longest_, untilLimit, growth_.complete[0], growth_.complete[1]});
  ModelAccelerations<kModel, kBodies> force{s, growth_};
  const bool stepped = stepper.advance(force, longest);
  s.forceEvaluations = evaluations();
  if (!stepped || !(s.time + stepper.lastStep() > s.time)) {
    // accelerations beyond every number end the configuration as in the fixed step; a step too short to
    // move the time, bodies falling together
    s.endCode = EndCode::Ends;
    s.reason = stepped ? EndReason::Coincidence : EndReason::LightSpeed;
    length_ = 0;
    return Crossing::None;
  }
  firstStep_ = stepper.lastStep();
  return eventsOfStep<kModel, kBodies>(stepper, s, stepper.lastStep() == untilLimit);
}

template <class Family>
template <GravityModel kModel, int kBodies, class Stepper>
Crossing AdaptiveIntegration<Family>::eventsOfStep(const Stepper& stepper, LoopState& s, bool toTimeLimit) {
  const double length = stepper.lastStep();
  Motion<kBodies> at[kEventSamples + 1];
  at[0] = stepper.begin();
  for (int j = 1; j < kEventSamples; ++j) at[j] = stepper.at(sampleFraction(j));
  at[kEventSamples] = stepper.end();
  const auto dense = [&](double f) { return f >= 1 ? at[kEventSamples] : stepper.at(f); };
  double cut = 1;
  const auto watchFor = [&](auto read) {
    Readings r;
    for (int j = 0; j <= kEventSamples; ++j) r[j] = read(at[j]);
    cut = std::min(cut, firstRise(r, length, read, dense));
  };
  if (s.bodiesInPlay > 1) {
    for (int i : {0, 1}) watchFor([i](const Motion<kBodies>& m) { return watch::fasterThanLight(m, i); });
  }
  if constexpr (kBodies == 3) {
    const double near13 =
        kModel == GravityModel::Newtonian ? 1 : gravity::innermostStableSeparation(s.m1, s.m3);
    const double near23 =
        kModel == GravityModel::Newtonian ? 1 : gravity::innermostStableSeparation(s.m2, s.m3);
    watchFor([near13](const Motion<kBodies>& m) { return watch::closerThan(m, 0, 2, near13); });
    watchFor([near23](const Motion<kBodies>& m) { return watch::closerThan(m, 1, 2, near23); });
    watchFor([](const Motion<kBodies>& m) { return watch::fasterThanLight(m, 2); });
  }
  if constexpr (kModel != GravityModel::Newtonian) {
    const double merger = gravity::innermostStableSeparation(s.m1, s.m2);
    watchFor([merger](const Motion<kBodies>& m) { return watch::closerThan(m, 0, 1, merger); });
  }
  const Crossings crossings = crossingsIn(at, s, dense);
  cut = std::min(cut, revolutionLimitCut(crossings, s));
  if (cut < 1) toTimeLimit = false;

  const double start = s.time;
  const Motion<kBodies> last = cut < 1 ? stepper.at(cut) : at[kEventSamples];
  keepRecords(at, cut, last, length, dense, s);
  placeMotion(last, s);
  start_ = start, fullLength_ = length, length_ = cut * length;
  if (cut < 1) {
    s.time = start + length_;
  } else {
    addCompensated(s.time, lostTime_, length);
  }
  if (toTimeLimit) s.time = s.timeLimit;
  s.phiKnown = false, s.dirX = s.x2 - s.x1, s.dirY = s.y2 - s.y1;

  // the fixed step's tests, in its order, at the cut
  if (s.dist12 == 0) {
    s.endCode = EndCode::Ends;
    s.reason = EndReason::Coincidence;
  }
  speedTest(s);
  if constexpr (kBodies == 3) {
    thirdBodyTests(s, kModel == GravityModel::Newtonian ? 1 : gravity::innermostStableSeparation(s.m1, s.m3),
                   kModel == GravityModel::Newtonian ? 1 : gravity::innermostStableSeparation(s.m2, s.m3));
  }
  if constexpr (kModel != GravityModel::Newtonian) pairMergerTest(s);
  Crossing crossing = Crossing::None;
  for (int k = 0; k < crossings.count && crossings.at[k] <= cut; ++k)
    crossing = countCrossingAt(s, start + crossings.at[k] * length, k == 0 && crossings.startsOnReference);
  if (toTimeLimit) {
    if (s.endCode != EndCode::Ends) s.reason = EndReason::TotalTime;
    s.endCode = EndCode::Ends;
  }
  // cut short and going on (black hole 3 captured, or a test that rounding kept from firing at the cut):
  // the next step starts afresh from the cut
  restart_ = cut < 1 && s.endCode != EndCode::Ends;
  return crossing;
}

// The counter-clockwise crossings of the reference direction by black hole 2 seen from black hole 1, as
// fractions of the step. The configuration starts on it: at its first step the start is the first crossing
// when the pair turns counter-clockwise (always, for a reference angle below 0, after which the fixed step
// counts no crossing either).
template <class Family>
template <int kBodies, class Dense>
typename AdaptiveIntegration<Family>::Crossings AdaptiveIntegration<Family>::crossingsIn(
    const Motion<kBodies> (&at)[kEventSamples + 1], const LoopState& s, Dense dense) const {
  const auto read = [this](const Motion<kBodies>& m) {
    return Reading{unitX_ * (m.x[3] - m.x[1]) - unitY_ * (m.x[2] - m.x[0]),
                   unitX_ * (m.v[3] - m.v[1]) - unitY_ * (m.v[2] - m.v[0])};
  };
  const auto ahead = [this](const Motion<kBodies>& m) {
    return unitX_ * (m.x[2] - m.x[0]) + unitY_ * (m.x[3] - m.x[1]) > 0;
  };
  Crossings crossings;
  Readings r;
  for (int j = 0; j <= kEventSamples; ++j) r[j] = read(at[j]);
  if (s.stepCount == 1 && s.time == 0 && (s.alpha < 0 || r[0].rate > 0)) {
    crossings.at[crossings.count++] = 0;
    crossings.startsOnReference = true;
    r[0].value = std::numeric_limits<double>::min();
  }
  if (s.alpha < 0) return crossings;
  for (int j = 0; j < kEventSamples; ++j) {
    if (!(r[j].value <= 0 && r[j + 1].value > 0)) continue;
    const double f = firstFractionWhere(sampleFraction(j), sampleFraction(j + 1),
                                        [&](double x) { return read(dense(x)).value > 0; });
    if (ahead(dense(f))) crossings.at[crossings.count++] = f;
  }
  return crossings;
}

// The fraction of the step at which the wanted revolution is reached, or 2.
template <class Family>
double AdaptiveIntegration<Family>::revolutionLimitCut(const Crossings& crossings, const LoopState& s) const {
  std::int64_t count = s.revolutionCount;
  for (int k = 0; k < crossings.count; ++k) {
    count = k == 0 && crossings.startsOnReference ? 0 : count + 1;
    const bool timed = !(k == 0 && crossings.startsOnReference);
    if (timed && s.revolutionLimit > 0 && static_cast<double>(count) == s.revolutionLimit)
      return crossings.at[k];
  }
  return 2;
}

// Each pair's least separation and each body's top speed over the step up to the cut.
template <class Family>
template <int kBodies, class Dense>
void AdaptiveIntegration<Family>::keepRecords(const Motion<kBodies> (&at)[kEventSamples + 1], double cut,
                                              const Motion<kBodies>& last, double length, Dense dense,
                                              LoopState& s) const {
  const auto lowest = [&](auto read, double least) {
    Readings r;
    for (int j = 0; j <= kEventSamples; ++j) r[j] = read(at[j]);
    return lowestValue(r, cut, read(last), length, least, read, dense);
  };
  const auto least = [&](int i, int j, double& record) {
    const double squared = lowest(
        [i, j](const Motion<kBodies>& m) { return watch::squaredSeparation(m, i, j); }, record * record);
    record = std::min(record, std::sqrt(squared));
  };
  const auto top = [&](int i, double& record) {
    const double slowness =
        lowest([i](const Motion<kBodies>& m) { return watch::slowness(m, i); }, -(record * record));
    record = std::max(record, std::sqrt(-slowness));
  };
  least(0, 1, s.minDist12);
  top(0, s.v1max), top(1, s.v2max);
  s.v1 = std::sqrt(last.v[0] * last.v[0] + last.v[1] * last.v[1]);
  s.v2 = std::sqrt(last.v[2] * last.v[2] + last.v[3] * last.v[3]);
  if constexpr (kBodies == 3) {
    least(0, 2, s.minDist13), least(1, 2, s.minDist23);
    top(2, s.v3max);
    s.v3 = std::sqrt(last.v[4] * last.v[4] + last.v[5] * last.v[5]);
  }
}

template <class Family>
void AdaptiveIntegration<Family>::stateAt(const LoopState& s, double time, LoopState& out) const {
  out = s;
  if (!(time < s.time) || !(fullLength_ > 0)) return;
  const double fraction = std::max(0.0, (time - start_) / fullLength_);
  out.m1 = s.m1 + growth_.gain(0, time - start_), out.m2 = s.m2 + growth_.gain(1, time - start_);
  if (bodies_ == 3) {
    placeMotion(three_.at(fraction), out);
  } else {
    placeMotion(pair_.at(fraction), out);
  }
  out.time = time;
}

}  // namespace bhsim::step
