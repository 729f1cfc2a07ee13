#include <algorithm>
#include <cmath>
#include <limits>

#include "display/plotting.hpp"
#include "format/mask.hpp"
#include "format/number_text.hpp"
#include "format/truncate.hpp"
#include "program/program.hpp"
#include "program/run.hpp"
#include "program/strain_sampling.hpp"
#include "sim/constants.hpp"
#include "sim/fast_loop.hpp"
#include "sim/relativistic_step.hpp"
#include "sim/semi_implicit_euler.hpp"
#include "sim/step.hpp"

namespace bhsim {

using enum ControlId;

namespace {

// Steps between two readings of the clock: often enough for a refresh every 0.1 s at any step rate,
// rare enough that reading the clock costs next to nothing.
constexpr std::int64_t kClockStride = 256;

std::string tenths(double x) {
  return numberText(truncateTo(x, 1));
}
std::string whole(double x) {
  return numberText(truncateTo(x, 0));
}
// A mass in solar masses, to tenths, with the factor 10 applied before the division.
std::string massTenths(double m) {
  return numberText(std::floor((10 * m) / kSolarGM) / 10);
}

}  // namespace

Run::LoopOutcome Run::integrate() {
  nextClockCheck_ = 1;
  timeLimitStep_ = std::numeric_limits<std::int64_t>::max();
  if (program_.observer != nullptr) {
    program_.observer->onConfigurationStart(static_cast<int>(ialpha_), angle_, s_);
  }
  if (ConfigurationSource* source = program_.options.source) {
    if (const ConfigurationRecord* record = source->take(ialpha_ - 1)) return replay(*record);
  }
  const LoopOutcome outcome = (this->*loopOf(p_.integrator))();
  return outcome == LoopOutcome::Completed ? finishConfiguration() : outcome;
}

// The fixed step's loop: the packed loop under Newton's law (or the plain one as its reference); a
// post-Newtonian model takes its own step, in the plain loop.
Run::LoopOutcome Run::integrateFixed() {
  LoopState& s = s_;
  const RunState& state = program_.runState;
  const step::DirectionWatch watch(s.alpha);
  const bool relativistic = s.gravity != GravityModel::Newtonian;
  modelStep_ = step::SemiImplicitEuler::stepOf(s.gravity);
  const bool reference = program_.options.referenceLoop;
  if (program_.options.refreshAtTimeLimit && program_.options.refreshEvery > 0)
    timeLimitStep_ = firstStepPast(s.timeLimit, s.dt);
  startSampling();
  for (;;) {
    const step::Crossing crossing = relativistic ? relativisticStep()
                                    : reference  ? referenceStep()
                                                 : fastSteps(watch);
    if (s.stepCount >= nextSampleStep_) takeDueSamples();
    if (crossing != step::Crossing::None) writeRevolution(crossing == step::Crossing::Timed);
    if (s.stepCount % kPlotPeriod == 0) {
      plot();
      publishProgress();
      if (state.stopRequested) {
        endConfiguration(true);
        return LoopOutcome::Stopped;
      }
      program_.platform.pumpEvents();
      if (program_.ended()) return LoopOutcome::Ended;
    }
    if (s.endCode == EndCode::Ends || refreshDue()) refresh();
    step::massChange(s);
    if (s.endCode == EndCode::Ends) break;
  }
  return LoopOutcome::Completed;
}

// The end of a configuration that was integrated to its end: a merger's mark and ringdown, the observer.
Run::LoopOutcome Run::finishConfiguration() {
  publishProgress();
  stepsBefore_ += s_.stepCount;
  evaluationsBefore_ += s_.forceEvaluations;
  const LoopOutcome merger = s_.reason == EndReason::Merger12 ? markMerger() : LoopOutcome::Completed;
  if (merger == LoopOutcome::Ended) return merger;
  endConfiguration(false);
  return merger;
}

// Takes over a configuration integrated elsewhere as if it had been integrated here.
Run::LoopOutcome Run::replay(const ConfigurationRecord& record) {
  for (const auto& [id, text] : record.fields) program_.write(id, text);
  program_.display.setPixels(record.canvas);
  if (RunObserver* observer = program_.observer) {
    const int configuration = static_cast<int>(ialpha_);
    using Kind = ConfigurationRecord::Event::Kind;
    for (const ConfigurationRecord::Event& event : record.events) {
      if (event.kind == Kind::Revolution) {
        observer->onRevolution(configuration, record.revolutions[event.index]);
      } else if (event.kind == Kind::Dot) {
        const ConfigurationRecord::Dot& dot = record.dots[event.index];
        observer->onDot(configuration, dot.step, dot.body, dot.x, dot.y);
      } else {
        observer->onStrainSample(configuration, record.samples[event.index]);
      }
    }
  }
  s_ = record.finalState;
  publishProgress();
  if (!record.stopped) stepsBefore_ += s_.stepCount, evaluationsBefore_ += s_.forceEvaluations;
  endConfiguration(record.stopped);
  return record.stopped ? LoopOutcome::Stopped : LoopOutcome::Completed;
}

step::Crossing Run::referenceStep() {
  step::advance(s_);
  return step::revolutionTest(s_);
}

step::Crossing Run::relativisticStep() {
  modelStep_(s_);
  return step::revolutionTest(s_);
}

// Runs steps up to the next one at which something besides the step itself may happen. Ending the run
// of steps there changes none of them: the fast loop hands over its state exactly.
step::Crossing Run::fastSteps(const step::DirectionWatch& watch) {
  std::int64_t until = (s_.stepCount / kPlotPeriod + 1) * kPlotPeriod;
  const std::int64_t every = program_.options.refreshEvery;
  until = std::min(
      until, every > 0 ? (s_.stepCount / every + 1) * every : std::max(nextClockCheck_, s_.stepCount + 1));
  if (timeLimitStep_ > s_.stepCount) until = std::min(until, timeLimitStep_);
  return step::runFastSteps(s_, watch, std::min(until, nextSampleStep_));
}

// The first strain sample is the configuration's start; without an observer nothing is sampled.
void Run::startSampling() {
  sampling_ = program_.options.strain.rate > 0 && program_.observer != nullptr;
  sampleIndex_ = 0;
  nextSampleStep_ = sampling_ ? 0 : std::numeric_limits<std::int64_t>::max();
  if (sampling_) takeDueSamples();
}

// Hands the observer every sample whose time the last step reached, each with the state after that step
// (its mass change not yet made): the sample lags its time by less than one step.
void Run::takeDueSamples() {
  const StrainSampling& sampling = program_.options.strain;
  const int configuration = static_cast<int>(ialpha_);
  lastSampled_ = s_;
  while (s_.stepCount >= nextSampleStep_) {
    const double time = static_cast<double>(sampleIndex_) / sampling.rate;
    program_.observer->onStrainSample(configuration, strainSample(s_, time, sampling.detector));
    ++sampleIndex_;
    nextSampleStep_ = firstStepAtOrPast(static_cast<double>(sampleIndex_) / sampling.rate, s_.dt);
  }
}

void Run::endConfiguration(bool stopped) {
  step::settlePhi(s_);
  if (!stopped && s_.reason == EndReason::Merger12) showMergerNote();
  if (program_.observer != nullptr)
    program_.observer->onConfigurationEnd(static_cast<int>(ialpha_), s_, stopped);
}

void Run::publishProgress() {
  RunState& state = program_.runState;
  state.totalSteps = stepsBefore_ + s_.stepCount;
  state.totalForceEvaluations = evaluationsBefore_ + s_.forceEvaluations;
  state.x1 = s_.x1;
  state.y1 = s_.y1;
  state.x2 = s_.x2;
  state.y2 = s_.y2;
}

void Run::writeRevolution(bool timed) {
  if (timed) {
    program_.write(RevolutionTimeField, numberText(truncateTo(s_.revolutionTime, 4)));
    std::string text;
    formatWithMask(s_.f, "###.###", text);
    program_.write(FrequencyField, text);
    if (program_.observer != nullptr) {
      step::settlePhi(s_);
      program_.observer->onRevolution(static_cast<int>(ialpha_), s_);
    }
  }
  program_.write(RevolutionsField, numberText(static_cast<double>(s_.revolutionCount)));
}

void Run::plot() {
  plotDots(s_, s_.stepCount);
}

// The bodies of `s` as dots about the centre of mass of black holes 1 and 2, `step` the trace's step.
void Run::plotDots(LoopState& s, std::int64_t step) {
  if (!step::centreOfMass(s)) return;
  const RunState& state = program_.runState;
  Display& display = program_.display;
  RunObserver* observer = program_.observer;
  const int configuration = static_cast<int>(ialpha_);
  const struct {
    double x, y;
    int colour;
  } dots[] = {{s.x1, s.y1, 0}, {s.x2, s.y2, 12}, {s.x3, s.y3, 2}};
  const int bodies = s.bodiesInPlay == 3 ? 3 : 2;
  for (int body = 0; body < bodies; ++body) {
    const double x = dots[body].x - s.xcm;
    const double y = s.ycm - dots[body].y;
    plotDisc(state, display, x, y, paletteColor(dots[body].colour), 0);
    if (observer != nullptr) observer->onDot(configuration, step, body + 1, x, -y);
  }
}

bool Run::refreshDue() {
  const std::int64_t every = program_.options.refreshEvery;
  if (every > 0) return s_.stepCount % every == 0 || s_.stepCount == timeLimitStep_;
  if (s_.stepCount < nextClockCheck_) return false;
  nextClockCheck_ = s_.stepCount + kClockStride;
  const double now = program_.platform.secondsSinceMidnight();
  // After midnight the clock starts again from 0, below the last mark.
  return now > tmark_ + kRefreshInterval || now < tmark_;
}

void Run::refresh() {
  LoopState& s = s_;
  const auto write = [this](ControlId id, const std::string& text) { program_.write(id, text); };
  write(Distance12Field, tenths(s.dist12));
  write(MinDistance12Field, tenths(s.minDist12));
  if (s.bodiesInPlay == 3) {
    step::centreOfMass(s);
    write(Distance13Field, tenths(s.dist13));
    write(Distance23Field, tenths(s.dist23));
    write(MinDistance13Field, tenths(s.minDist13));
    write(MinDistance23Field, tenths(s.minDist23));
    s.r3 = std::sqrt((s.x3 - s.xcm) * (s.x3 - s.xcm) + (s.y3 - s.ycm) * (s.y3 - s.ycm));
    write(CentreDistance3Field, tenths(s.r3));
  }
  s.r1 = std::sqrt((s.x1 - s.xcm) * (s.x1 - s.xcm) + (s.y1 - s.ycm) * (s.y1 - s.ycm));
  write(CentreDistance1Field, tenths(s.r1));
  s.r2 = std::sqrt((s.x2 - s.xcm) * (s.x2 - s.xcm) + (s.y2 - s.ycm) * (s.y2 - s.ycm));
  write(CentreDistance2Field, tenths(s.r2));
  write(Mass1Field, massTenths(s.m1));
  write(Mass2Field, massTenths(s.m2));
  write(Mass3Field, massTenths(s.m3));
  if (program_.options.refreshEvery <= 0) tmark_ = program_.platform.secondsSinceMidnight();
  write(Speed2Field, whole(s.v2));
  write(Speed1Field, whole(s.v1));
  write(Speed3Field, whole(s.v3));
  s.elapsed = step::simulatedTime(s);
  step::totalTimeTest(s);
  write(TotalTimeField, numberText(truncateTo(s.elapsed, 4)));
  // an adaptive integrator's step: the mean of its steps so far
  if (s.variableStep)
    write(TimeStepField, numberText(truncateTo(1000000 * (s.elapsed / static_cast<double>(s.stepCount)), 4)));
  write(OffsetY2Field, numberText(s.y2 - s.ycm));
  write(OffsetX2Field, numberText(s.x2 - s.xcm));
  write(MaxSpeed1Field, whole(s.v1max));
  write(MaxSpeed2Field, whole(s.v2max));
  write(MaxSpeed3Field, whole(s.v3max));
  step::settlePhi(s);
  write(PhiField, tenths(s.phi));
}

}  // namespace bhsim
