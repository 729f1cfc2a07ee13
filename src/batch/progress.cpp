#include "batch/progress.hpp"

#include <algorithm>
#include <cmath>

#include "sim/loop_state.hpp"

namespace bhsim {
namespace {

std::string duration(double seconds) {
  char text[32];
  const auto s = static_cast<long long>(seconds + 0.5);
  if (s >= 3600) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", s / 60, s % 60);
  }
  return text;
}

// ", R million steps/s, about T left" of a run `done` of `total` through after `elapsed` seconds.
std::string rateAndTimeLeft(double elapsed, std::int64_t steps, double done, double total) {
  char rate[64];
  std::snprintf(rate, sizeof rate, ", %.1f million steps/s", elapsed > 0 ? steps / elapsed / 1e6 : 0.0);
  std::string text = rate;
  if (done > 0 && done < total) text += ", about " + duration(elapsed * (total - done) / done) + " left";
  return text;
}

// Redraws the line in place, blanking what is left of a longer line before it.
void drawLine(std::FILE* out, std::size_t& width, std::string line) {
  const std::size_t length = line.size();
  if (length < width) line.append(width - length, ' ');
  width = length;
  std::fprintf(out, "\r%s", line.c_str());
  std::fflush(out);
}

void clearLine(std::FILE* out, std::size_t width) {
  if (width == 0) return;
  std::fprintf(out, "\r%s\r", std::string(width, ' ').c_str());
  std::fflush(out);
}

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool due(std::chrono::steady_clock::time_point& last) {
  const auto now = std::chrono::steady_clock::now();
  if (now - last < std::chrono::milliseconds(250)) return false;
  last = now;
  return true;
}

}  // namespace

Progress::Progress(std::FILE* out, std::int64_t configurations, double revolutionLimit, double timeLimit)
    : out_(out), configurations_(configurations), nrev0_(revolutionLimit), Tott0_(timeLimit) {}

bool Progress::due() {
  return bhsim::due(last_);
}

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
  if (startSteps_ < 0 || !due()) return;
  const double revolutions = static_cast<double>(revolutions_);
  const double time = dt_ * static_cast<double>(steps - startSteps_);
  const std::int64_t built = current_;
  char current[96] = "";
  double fraction = 0;
  if (nrev0_ > 0) {
    std::snprintf(current, sizeof current, ", revolution %.0f of %g", revolutions, nrev0_);
    fraction = revolutions / nrev0_;
  } else if (Tott0_ > 0) {
    std::snprintf(current, sizeof current, ", %.4g s of %g s", time, Tott0_);
    fraction = time / Tott0_;
  }
  const double done =
      static_cast<double>(std::max<std::int64_t>(built - 1, 0)) + std::clamp(fraction, 0.0, 1.0);
  draw(done, current, steps);
}

void Progress::updateFinished(std::int64_t finished, std::int64_t steps) {
  if (due()) draw(static_cast<double>(finished), "", steps);
}

void Progress::draw(double done, const std::string& current, std::int64_t steps) {
  const double total = static_cast<double>(configurations_);
  drawLine(out_, width_,
           "bhsim: configuration " +
               std::to_string(std::min<std::int64_t>(static_cast<std::int64_t>(done) + 1, configurations_)) +
               " of " + std::to_string(configurations_) + current +
               rateAndTimeLeft(secondsSince(start_), steps, done, total));
}

void Progress::finish() {
  clearLine(out_, width_);
}

void GridProgress::update(std::int64_t done, std::int64_t steps) {
  if (!due(last_) && done < points_) return;
  drawLine(out_, width_,
           "bhsim: " + std::to_string(done) + " of " + std::to_string(points_) + " points" +
               rateAndTimeLeft(secondsSince(start_), steps, static_cast<double>(done),
                               static_cast<double>(points_)));
}

void GridProgress::finish() {
  clearLine(out_, width_);
}

}  // namespace bhsim
