#pragma once

#include <cstdint>

#include "sim/strain.hpp"

namespace bhsim {

struct LoopState;

// The strain one observer would record at one sample time, and the separation of black holes 1 and 2
// then.
struct StrainSample {
  double time = 0;  // simulated seconds from the configuration's start
  Strain strain;
  double separation = 0;  // km
};

// Watches a run from outside: the start and end of each configuration, every timed revolution and every
// dot the integration loop draws. Called at most once per revolution or per 1000 steps, never from the
// bare step. Configurations count from 1.
class RunObserver {
 public:
  virtual ~RunObserver() = default;
  // The configuration is built and about to be integrated; `angle` is its sweep angle in degrees.
  virtual void onConfigurationStart(int /*configuration*/, double /*angle*/, const LoopState& /*state*/) {}
  virtual void onRevolution(int /*configuration*/, const LoopState& /*state*/) {}
  // A body's position relative to the centre of mass of black holes 1 and 2, world y upward; `body` is
  // 1 to 3.
  virtual void onDot(int /*configuration*/, std::int64_t /*step*/, int /*body*/, double /*x*/, double /*y*/) {
  }
  // A sample of the strain (RunOptions::strain), in time order from 0; never when sampling is off.
  virtual void onStrainSample(int /*configuration*/, const StrainSample& /*sample*/) {}
  // The configuration is over: `stopped` when the user's Stop ended it.
  virtual void onConfigurationEnd(int /*configuration*/, const LoopState& /*state*/, bool /*stopped*/) {}
};

}  // namespace bhsim
