#include "sim/direction_angle.hpp"

#include "sim/module1.hpp"

namespace bhsim {

void DirectionAngle(const Module1& module, double& angle) {
  directionAngle(module.x0, module.y0, module.x1, module.y1, module.Pi, angle);
}

}  // namespace bhsim
