#include "sim/gravity_model.hpp"

namespace bhsim {

std::string_view gravityModelName(GravityModel model) {
  switch (model) {
    case GravityModel::FirstPostNewtonian:
      return "1pn";
    case GravityModel::FirstPostNewtonianRadiating:
      return "1pn+2.5pn";
    case GravityModel::Radiating:
      return "2.5pn";
    case GravityModel::Newtonian:
      break;
  }
  return "newtonian";
}

std::optional<GravityModel> gravityModelNamed(std::string_view name) {
  for (GravityModel model : kGravityModels) {
    if (gravityModelName(model) == name) return model;
  }
  return std::nullopt;
}

std::string_view gravityModelList() {
  return "newtonian, 1pn, 1pn+2.5pn, 2.5pn";
}

std::string_view gravityModelLabel(GravityModel model) {
  switch (model) {
    case GravityModel::FirstPostNewtonian:
      return "1PN";
    case GravityModel::FirstPostNewtonianRadiating:
      return "1PN + 2.5PN";
    case GravityModel::Radiating:
      return "2.5PN";
    case GravityModel::Newtonian:
      break;
  }
  return "Newtonian";
}

}  // namespace bhsim
