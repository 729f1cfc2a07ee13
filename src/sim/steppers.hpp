#pragma once

// The integrators users can choose, each a stepper family of its own file: the first is the default.
// Adding one is its file and a row here. A fixed-step family (kRow.adaptive false) gives the loop a step
// per law of gravity; an adaptive one a Stepper<N> for N bodies with start, advance, begin, end, at
// (its dense output), lastStep and evaluations, as step::GaussRadauStepper has.

#include <array>

#include "sim/gauss_radau.hpp"
#include "sim/integrator.hpp"
#include "sim/semi_implicit_euler.hpp"

namespace bhsim::step {

template <class... Family>
struct StepperList {
  static constexpr std::array<IntegratorRow, sizeof...(Family)> kRows{Family::kRow...};
};

using Steppers = StepperList<SemiImplicitEuler,  // "euler"
                             GaussRadau          // "ias15"
                             >;

}  // namespace bhsim::step
