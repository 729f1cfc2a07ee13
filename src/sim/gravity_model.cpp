#include "sim/gravity_model.hpp"

#include "sim/gravity_terms.hpp"

namespace bhsim {
namespace {

// The term of a name as it stands between the "+" of a model's name.
std::optional<Term> termNamed(std::string_view name) {
  std::optional<Term> named;
  if (name == gravity::FirstPostNewtonianTerm::kName) named = Term::FirstPostNewtonian;
  gravity::forEachTerm(gravity::PairTermList{}, [&](auto term) {
    if (decltype(term)::kName == name) named = decltype(term)::kTerm;
  });
  return named;
}

// The terms of "1pn+2pn+2.5pn", in any order, each at most once; nullopt for any other text.
std::optional<GravityModel> termsNamed(std::string_view name) {
  GravityModel model;
  for (;;) {
    const std::size_t plus = name.find('+');
    const std::optional<Term> term = termNamed(name.substr(0, plus));
    if (!term || model.has(*term)) return std::nullopt;
    model = model.with(*term);
    if (plus == std::string_view::npos) return model;
    name.remove_prefix(plus + 1);
  }
}

}  // namespace

const GravityModelRow& gravityModelRow(GravityModel model) {
  for (const GravityModelRow& row : kGravityModels) {
    if (row.model == model) return row;
  }
  return kGravityModels[0];
}

std::string_view gravityModelName(GravityModel model) {
  return gravityModelRow(model).name;
}

std::optional<GravityModel> gravityModelNamed(std::string_view name) {
  std::optional<GravityModel> model = termsNamed(name);
  for (const GravityModelRow& row : kGravityModels) {
    if (row.name == name || (!row.shortName.empty() && row.shortName == name)) return row.model;
    if (model && row.model == *model) return model;
  }
  return std::nullopt;
}

std::string gravityModelList() {
  std::string list;
  for (const GravityModelRow& row : kGravityModels)
    list += (list.empty() ? "" : ", ") + std::string(row.name);
  for (const GravityModelRow& row : kGravityModels) {
    if (!row.shortName.empty()) list += ", " + std::string(row.shortName);
  }
  return list;
}

std::string_view gravityModelLabel(GravityModel model) {
  return gravityModelRow(model).label;
}

}  // namespace bhsim
