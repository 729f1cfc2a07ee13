#pragma once

#include "sim/run_parameters.hpp"

namespace bhsim {

class ControlPanel;

// Reads the fifteen parameters of a run from the control window, without writing anything, and derives
// the sweep from them.
RunParameters readParameters(const ControlPanel& panel, double bodyCount);

}  // namespace bhsim
