#pragma once

#include <vector>

#include "sim/loop_state.hpp"
#include "program/run_observer.hpp"

namespace bhsim::testing {

// Keeps what a run reports: the state at each configuration's start and end, and each timed revolution.
struct Recorder : RunObserver {
  void onConfigurationStart(int, double angle, const LoopState& state) override {
    angles.push_back(angle);
    starts.push_back(state);
  }
  void onRevolution(int, const LoopState& state) override { revolutions.push_back(state); }
  void onDot(int, std::int64_t, int, double, double) override { ++dots; }
  void onConfigurationEnd(int, const LoopState& state, bool wasStopped) override {
    ends.push_back(state);
    stopped.push_back(wasStopped);
  }

  std::vector<double> angles;
  std::vector<LoopState> starts;
  std::vector<LoopState> revolutions;
  std::vector<LoopState> ends;
  std::vector<bool> stopped;
  long dots = 0;
};

}  // namespace bhsim::testing
