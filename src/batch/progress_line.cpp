#include "batch/progress_line.hpp"

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

bool ProgressLine::due() {
  const auto now = std::chrono::steady_clock::now();
  if (now - last_ < std::chrono::milliseconds(250)) return false;
  last_ = now;
  return true;
}

void ProgressLine::draw(std::string line) {
  const std::size_t length = line.size();
  if (length < width_) line.append(width_ - length, ' ');
  width_ = length;
  std::fprintf(out_, "\r%s", line.c_str());
  std::fflush(out_);
}

void ProgressLine::clear() {
  if (width_ == 0) return;
  std::fprintf(out_, "\r%s\r", std::string(width_, ' ').c_str());
  std::fflush(out_);
}

std::string ProgressLine::rateAndTimeLeft(std::int64_t steps, double done, double total) const {
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  char rate[64];
  std::snprintf(rate, sizeof rate, ", %.1f million steps/s", elapsed > 0 ? steps / elapsed / 1e6 : 0.0);
  std::string text = rate;
  if (done > 0 && done < total) text += ", about " + duration(elapsed * (total - done) / done) + " left";
  return text;
}

}  // namespace bhsim
