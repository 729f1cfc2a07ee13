#include "sim/revolution_watch.hpp"

#include <cmath>

namespace bhsim::step {

DirectionWatch::DirectionWatch(double alpha) {
  if (alpha < 0) {
    mode_ = Mode::Negative;
  } else if (alpha == 0) {
    mode_ = Mode::Zero;
  } else {
    mode_ = Mode::Arc;
    lowArc_ = alpha < 180;
    const double a = alpha * (4 * std::atan(1.0)) / 180;
    ux_ = std::cos(a);
    uy_ = std::sin(a);
  }
}

}  // namespace bhsim::step
