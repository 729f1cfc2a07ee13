#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "program/run_observer.hpp"

namespace bhsim {

// A one-line progress display on a terminal, redrawn a few times a second: configurations done of the
// total, the current configuration's revolutions (or simulated time) of the wanted count (or total),
// the step rate and the time left.
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
  bool due();
  void draw(double done, const std::string& current, std::int64_t steps);

  std::FILE* out_;
  std::int64_t configurations_;
  double nrev0_, Tott0_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point last_{};
  std::size_t width_ = 0;
  // the configuration being integrated
  std::int64_t current_ = 0;
  std::int64_t startSteps_ = -1;  // steps before it; -1 until the first one starts
  std::int64_t lastSteps_ = 0;
  double dt_ = 0;
  std::int64_t revolutions_ = 0;
};

// The progress line of a grid: points done of all, the step rate and the time left.
class GridProgress {
 public:
  GridProgress(std::FILE* out, std::int64_t points) : out_(out), points_(points) {}
  void update(std::int64_t done, std::int64_t steps);
  void finish();

 private:
  std::FILE* out_;
  std::int64_t points_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point last_{};
  std::size_t width_ = 0;
};

}  // namespace bhsim
