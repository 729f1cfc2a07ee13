// What the run does when black holes 1 and 2 merge: a mark on the display where they met, the remnant's
// ringing in the strain samples, and one line over the picture that says what was left.
#include <cstdio>
#include <string>

#include "display/plotting.hpp"
#include "format/truncate.hpp"
#include "program/program.hpp"
#include "program/run.hpp"
#include "program/strain_sampling.hpp"
#include "sim/constants.hpp"
#include "sim/step.hpp"

namespace bhsim {
namespace {

// A ringdown is sampled for this many damping times.
constexpr double kRingdownDampingTimes = 10;

// "merged at 0.0839 s: 61.9 M☉, spin 0.68, kick 61 km/s": the time as the "Total time" field shows it.
std::string mergerNote(const LoopState& s) {
  char text[160];
  const double time = truncateTo(step::simulatedTime(s), 4);
  int length = std::snprintf(text, sizeof text, "merged at %.10g s", time);
  if (const auto remnant = remnantOf(s.m1, s.m2)) {
    length += std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length),
                            ": %.1f M\u2609, spin %.2f, kick %.0f km/s", remnant->mass / kSolarGM,
                            remnant->spin, remnant->kick);
  }
  return text;
}

}  // namespace

// The plot's origin is the centre of mass of black holes 1 and 2: where they met. The remnant rings on
// in the samples before the configuration ends, so that a sweep in threads records them with the rest.
Run::LoopOutcome Run::markMerger() {
  plotRing(program_.runState, program_.display, 0, 0, paletteColor(5));
  const auto remnant = remnantOf(s_.m1, s_.m2);
  return remnant ? takeRingdownSamples(*remnant) : LoopOutcome::Completed;
}

// The samples after the last one the inspiral took, at the same rate, for ten damping times; the
// separation is 0 from the merger on. A heavy remnant rings long: the events are passed over every
// kPlotPeriod samples, as the loop does every kPlotPeriod steps. "Stop" cuts the ringdown short (Stopped:
// the sweep ends after this configuration, which merged); "End" ends at once (Ended).
Run::LoopOutcome Run::takeRingdownSamples(const Remnant& remnant) {
  if (!sampling_ || sampleIndex_ == 0) return LoopOutcome::Completed;
  const StrainSampling& sampling = program_.options.strain;
  const RingdownMode mode = ringdownMode(remnant);
  const RingdownStrain ringdown = ringdownAfter(lastSampled_, sampling.detector, mode);
  const double last = static_cast<double>(sampleIndex_ - 1) / sampling.rate;
  const int configuration = static_cast<int>(ialpha_);
  for (std::int64_t taken = 1;; ++sampleIndex_, ++taken) {
    const double time = static_cast<double>(sampleIndex_) / sampling.rate;
    if (!(time - last <= kRingdownDampingTimes * mode.dampingTime)) break;
    program_.observer->onStrainSample(configuration, {time, ringdown.at(time - last), 0});
    if (taken % kPlotPeriod != 0) continue;
    program_.platform.pumpEvents();
    if (program_.ended()) return LoopOutcome::Ended;
    if (program_.runState.stopRequested) return LoopOutcome::Stopped;
  }
  return LoopOutcome::Completed;
}

void Run::showMergerNote() {
  program_.display.setNote(mergerNote(s_));
}

}  // namespace bhsim
