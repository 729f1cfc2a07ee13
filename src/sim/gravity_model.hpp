#pragma once

#include <optional>
#include <string_view>

namespace bhsim {

// The law of gravity a run integrates with. Newtonian is the default; the others add post-Newtonian
// terms (an expansion in v/c: quantitative for slow, wide orbits, only qualitative near the innermost
// stable orbit).
enum class GravityModel : unsigned char {
  Newtonian,
  FirstPostNewtonian,           // "1pn": the Einstein-Infeld-Hoffmann acceleration
  FirstPostNewtonianRadiating,  // "1pn+2.5pn": the above plus each pair's radiation reaction
  Radiating                     // "2.5pn": Newtonian gravity plus each pair's radiation reaction
};

inline constexpr GravityModel kGravityModels[] = {GravityModel::Newtonian, GravityModel::FirstPostNewtonian,
                                                  GravityModel::FirstPostNewtonianRadiating,
                                                  GravityModel::Radiating};

// The model's name as typed on the command line: "newtonian", "1pn", "1pn+2.5pn", "2.5pn".
std::string_view gravityModelName(GravityModel model);
// The model of a name; nullopt for any other text.
std::optional<GravityModel> gravityModelNamed(std::string_view name);
// "newtonian, 1pn, 1pn+2.5pn, 2.5pn".
std::string_view gravityModelList();
// The model as a reader sees it in a window: "Newtonian", "1PN", "1PN + 2.5PN", "2.5PN".
std::string_view gravityModelLabel(GravityModel model);

// Whether the model has the 1PN conservative terms, and whether it radiates.
constexpr bool hasFirstPostNewtonian(GravityModel model) {
  return model == GravityModel::FirstPostNewtonian || model == GravityModel::FirstPostNewtonianRadiating;
}
constexpr bool radiates(GravityModel model) {
  return model == GravityModel::FirstPostNewtonianRadiating || model == GravityModel::Radiating;
}

}  // namespace bhsim
