#include "grid/grid_progress.hpp"

#include <string>

namespace bhsim {

void GridProgress::update(std::int64_t done, std::int64_t steps) {
  if (!line_.due() && done < points_) return;
  line_.draw("bhsim: " + std::to_string(done) + " of " + std::to_string(points_) + " points" +
             line_.rateAndTimeLeft(steps, static_cast<double>(done), static_cast<double>(points_)));
}

}  // namespace bhsim
