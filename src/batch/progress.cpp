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

}  // namespace

Progress::Progress(std::FILE* out, std::int64_t configurations, double nrev0, double Tott0)
    : out_(out), configurations_(configurations), nrev0_(nrev0), Tott0_(Tott0) {}

bool Progress::due() {
  const auto now = std::chrono::steady_clock::now();
  if (now - last_ < std::chrono::milliseconds(250)) return false;
  last_ = now;
  return true;
}

void Progress::onConfigurationStart(int configuration, double, const LoopState& state) {
  current_ = configuration;
  startSteps_ = lastSteps_;
  dt_ = state.dt;
  revolutions_ = 0;
}

void Progress::onRevolution(int, const LoopState& state) {
  revolutions_ = state.nrevcnt;
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
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  const double total = static_cast<double>(configurations_);
  std::string line =
      "bhsim: configuration " +
      std::to_string(std::min<std::int64_t>(static_cast<std::int64_t>(done) + 1, configurations_)) + " of " +
      std::to_string(configurations_) + current;
  char rate[64];
  std::snprintf(rate, sizeof rate, ", %.1f million steps/s", elapsed > 0 ? steps / elapsed / 1e6 : 0.0);
  line += rate;
  if (done > 0 && done < total) line += ", about " + duration(elapsed * (total - done) / done) + " left";
  const std::size_t width = line.size();
  if (width < width_) line.append(width_ - width, ' ');
  width_ = width;
  std::fprintf(out_, "\r%s", line.c_str());
  std::fflush(out_);
}

void Progress::finish() {
  if (width_ == 0) return;
  std::fprintf(out_, "\r%s\r", std::string(width_, ' ').c_str());
  std::fflush(out_);
}

}  // namespace bhsim
