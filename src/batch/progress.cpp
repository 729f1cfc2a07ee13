#include "batch/progress.hpp"

#include <algorithm>
#include <cmath>

#include "sim/loop_state.hpp"

namespace bhsim {

Progress::Progress(std::FILE* out, std::int64_t configurations, double revolutionLimit, double timeLimit)
    : line_(out), configurations_(configurations), revolutionLimit_(revolutionLimit), timeLimit_(timeLimit) {}

void Progress::onConfigurationStart(int configuration, double, const LoopState& state) {
  current_ = configuration;
  startSteps_ = lastSteps_;
  dt_ = state.dt;
  revolutions_ = 0;
}

void Progress::onRevolution(int, const LoopState& state) {
  revolutions_ = state.revolutionCount;
}

void Progress::update(std::int64_t steps) {
  lastSteps_ = steps;
  if (startSteps_ < 0 || !line_.due()) return;
  const double revolutions = static_cast<double>(revolutions_);
  const double time = dt_ * static_cast<double>(steps - startSteps_);
  const std::int64_t built = current_;
  char current[96] = "";
  double fraction = 0;
  if (revolutionLimit_ > 0) {
    std::snprintf(current, sizeof current, ", revolution %.0f of %g", revolutions, revolutionLimit_);
    fraction = revolutions / revolutionLimit_;
  } else if (timeLimit_ > 0) {
    std::snprintf(current, sizeof current, ", %.4g s of %g s", time, timeLimit_);
    fraction = time / timeLimit_;
  }
  const double done =
      static_cast<double>(std::max<std::int64_t>(built - 1, 0)) + std::clamp(fraction, 0.0, 1.0);
  draw(done, current, steps);
}

void Progress::updateFinished(std::int64_t finished, std::int64_t steps) {
  if (line_.due()) draw(static_cast<double>(finished), "", steps);
}

void Progress::draw(double done, const std::string& current, std::int64_t steps) {
  const double total = static_cast<double>(configurations_);
  line_.draw("bhsim: configuration " +
             std::to_string(std::min<std::int64_t>(static_cast<std::int64_t>(done) + 1, configurations_)) +
             " of " + std::to_string(configurations_) + current + line_.rateAndTimeLeft(steps, done, total));
}

void Progress::finish() {
  line_.clear();
}

}  // namespace bhsim
