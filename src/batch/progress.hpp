#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "batch/progress_line.hpp"
#include "program/run_observer.hpp"

namespace bhsim {

// The progress line of one run on a terminal: configurations done of the total, the current
// configuration's revolutions (or simulated time) of the wanted count (or total), the step rate and the
// time left.
class Progress : public RunObserver {
 public:
  Progress(std::FILE* out, std::int64_t configurations, double revolutionLimit, double timeLimit);

  // The run so far, in integration steps.
  void update(std::int64_t steps);
  void onConfigurationStart(int configuration, double angle, const LoopState& state) override;
  void onRevolution(int configuration, const LoopState& state) override;
  // Configurations finished elsewhere (in parallel), with their steps.
  void updateFinished(std::int64_t finished, std::int64_t steps);
  // Clears the line.
  void finish();

 private:
  void draw(double done, const std::string& current, std::int64_t steps);

  ProgressLine line_;
  std::int64_t configurations_;
  double revolutionLimit_, timeLimit_;  // "n rev" and "Total time" as the run reads them
  // the configuration being integrated
  std::int64_t current_ = 0;
  std::int64_t startSteps_ = -1;  // steps before it; -1 until the first one starts
  std::int64_t lastSteps_ = 0;
  double dt_ = 0;
  std::int64_t revolutions_ = 0;
};

}  // namespace bhsim
