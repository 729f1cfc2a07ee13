#pragma once

#include <cstdint>

#include "program/run_observer.hpp"
#include "sim/loop_state.hpp"
#include "sim/ringdown.hpp"
#include "sim/strain.hpp"

namespace bhsim {

// The bodies in play at a strain sample, with the accelerations of the gravity the run integrates:
// the one place the strain takes accelerations from.
BodyMotions motionsAtSample(const LoopState& s);

// The strain `detector` sees at the state `s`, recorded as the sample of `time`.
StrainSample strainSample(const LoopState& s, double time, const Detector& detector);

// The remnant's ringing after the sample taken at `s`, as `detector` sees it.
RingdownStrain ringdownAfter(const LoopState& s, const Detector& detector, const RingdownMode& mode);

// The first step count n with n x dt at or past `time` (n x dt as the run computes the simulated time);
// INT64_MAX when no step reaches it.
std::int64_t firstStepAtOrPast(double time, double dt);
// The first step count n with n x dt past `time`, as the total-time test compares them; INT64_MAX when
// `time` is not above 0 (no limit) or no step passes it.
std::int64_t firstStepPast(double time, double dt);

}  // namespace bhsim
