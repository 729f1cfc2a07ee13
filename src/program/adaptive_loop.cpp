// The loop of an adaptive integrator: steps of the stepper's own length, each with its events located
// inside it (sim/adaptive_step.hpp); the strain samples at their exact times and the dots at the times the
// fixed step would plot them, both from the step's dense output; the events passed over at every plot.
#include <array>
#include <limits>

#include "program/program.hpp"
#include "program/run.hpp"
#include "program/strain_sampling.hpp"
#include "sim/adaptive_step.hpp"
#include "sim/steppers.hpp"

namespace bhsim {
namespace {

// The most dots one step draws: beyond, the plots of a step too long for them are dropped.
constexpr std::int64_t kMostDotsAStep = kPlotPeriod;

}  // namespace

template <class Family>
Run::LoopOutcome Run::integrateWith() {
  if constexpr (Family::kRow.adaptive) {
    return integrateAdaptively<Family>();
  } else {
    return integrateFixed();
  }
}

template <class Steppers>
constexpr auto Run::loopsOf(Steppers) {
  return []<class... Family>(step::StepperList<Family...>) {
    return std::array<Loop, sizeof...(Family)>{&Run::integrateWith<Family>...};
  }(Steppers{});
}

Run::Loop Run::loopOf(Integrator integrator) {
  static constexpr auto kLoops = loopsOf(step::Steppers{});
  return kLoops[integrator.row < kLoops.size() ? integrator.row : 0];
}

template <class Family>
Run::LoopOutcome Run::integrateAdaptively() {
  LoopState& s = s_;
  step::AdaptiveIntegration<Family> integration(s, p_.tolerance);
  startSampling();
  nextDot_ = 1;
  for (;;) {
    const step::Crossing crossing = integration.advance(s);
    takeSamplesThrough(integration);
    if (crossing != step::Crossing::None) writeRevolution(crossing == step::Crossing::Timed);
    if (plotThrough(integration) || s.stepCount % kPlotPeriod == 0) {
      if (const LoopOutcome outcome = passOverEvents(); outcome != LoopOutcome::Completed) return outcome;
    }
    if (s.endCode == EndCode::Ends || refreshDue()) refresh();
    step::massChangeOver(s, integration.massGrowth(), integration.lastStep());
    if (s.endCode == EndCode::Ends) break;
  }
  return LoopOutcome::Completed;
}

// Every strain sample whose time the last step reached, from its dense output.
template <class Integration>
void Run::takeSamplesThrough(const Integration& integration) {
  if (!sampling_) return;
  const StrainSampling& sampling = program_.options.strain;
  for (;;) {
    const double time = static_cast<double>(sampleIndex_) / sampling.rate;
    if (!(time <= s_.time)) return;
    integration.stateAt(s_, time, lastSampled_);
    program_.observer->onStrainSample(static_cast<int>(ialpha_),
                                      strainSample(lastSampled_, time, sampling.detector));
    ++sampleIndex_;
  }
}

// The dots of every plot the last step reached, at the times the fixed step of dt would plot them; true
// when there was one.
template <class Integration>
bool Run::plotThrough(const Integration& integration) {
  std::int64_t drawn = 0;
  for (;; ++nextDot_) {
    const double time = static_cast<double>(nextDot_ * kPlotPeriod) * s_.dt;
    if (!(time <= s_.time)) break;
    if (++drawn > kMostDotsAStep) {
      nextDot_ = static_cast<std::int64_t>(s_.time / (static_cast<double>(kPlotPeriod) * s_.dt)) + 1;
      break;
    }
    LoopState at;
    integration.stateAt(s_, time, at);
    plotDots(at, nextDot_ * kPlotPeriod);
    if (at.endCode == EndCode::Ends && s_.endCode != EndCode::Ends) {
      s_.endCode = EndCode::Ends;
      s_.reason = at.reason;
    }
  }
  return drawn > 0;
}

// Progress, "Stop" and the events, as at every plot of the fixed step.
Run::LoopOutcome Run::passOverEvents() {
  publishProgress();
  if (program_.runState.stopRequested) {
    endConfiguration(true);
    return LoopOutcome::Stopped;
  }
  program_.platform.pumpEvents();
  return program_.ended() ? LoopOutcome::Ended : LoopOutcome::Completed;
}

}  // namespace bhsim
