#pragma once

#include "sim/run_parameters.hpp"

namespace bhsim {

class Form1;

// Reads the fifteen parameters of a run from the control window, without writing anything, and derives
// the sweep from them.
RunParameters readParameters(const Form1& form1, double nBH);

}  // namespace bhsim
