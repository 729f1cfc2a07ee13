#pragma once

#include <cstdint>
#include <cstdio>

#include "batch/progress_line.hpp"

namespace bhsim {

// The progress line of a grid on a terminal: points done of all, the step rate and the time left.
class GridProgress {
 public:
  GridProgress(std::FILE* out, std::int64_t points) : line_(out), points_(points) {}
  void update(std::int64_t done, std::int64_t steps);
  void finish() { line_.clear(); }

 private:
  ProgressLine line_;
  std::int64_t points_;
};

}  // namespace bhsim
