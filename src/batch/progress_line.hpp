#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace bhsim {

// A line of progress on a terminal, redrawn in place a few times a second.
class ProgressLine {
 public:
  explicit ProgressLine(std::FILE* out) : out_(out) {}

  // Whether a quarter of a second has passed since the last time it was (the first time: yes).
  bool due();
  // Redraws the line, blanking what is left of a longer line before it.
  void draw(std::string line);
  // Blanks the line.
  void clear();
  // ", R million steps/s, about T left" for `steps` since the line was made, `done` of `total` through.
  std::string rateAndTimeLeft(std::int64_t steps, double done, double total) const;

 private:
  std::FILE* out_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point last_{};
  std::size_t width_ = 0;
};

}  // namespace bhsim
