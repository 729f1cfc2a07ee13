#include <array>
#include <iterator>
#include <utility>

#include "sim/relativistic_step.hpp"

namespace bhsim::step {
namespace {

template <std::size_t... row>
constexpr std::array<ModelStep, sizeof...(row)> stepsOf(std::index_sequence<row...>) {
  return {(kGravityModels[row].model == GravityModel::Newtonian
               ? &advance
               : &advanceUnderModel<kGravityModels[row].model>)...};
}

// One step per row of the table of models, compiled for its terms.
constexpr auto kSteps = stepsOf(std::make_index_sequence<std::size(kGravityModels)>());

}  // namespace

ModelStep stepOf(GravityModel model) {
  return kSteps[static_cast<std::size_t>(&gravityModelRow(model) - kGravityModels)];
}

}  // namespace bhsim::step
