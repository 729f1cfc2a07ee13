#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace bhsim {

// One post-Newtonian term of the law of gravity (docs/physics.md). Newton's law is always there; a model
// adds terms to it.
enum class Term : unsigned char {
  FirstPostNewtonian = 1,            // "1pn": the Einstein-Infeld-Hoffmann acceleration
  SecondPostNewtonian = 2,           // "2pn": conservative, pair by pair
  ThirdPostNewtonian = 4,            // "3pn": conservative, pair by pair
  RadiationReaction = 8,             // "2.5pn": the leading radiation reaction, pair by pair
  RadiationReactionCorrection = 16,  // "3.5pn": its first post-Newtonian correction, pair by pair
};

// The law of gravity a run integrates with: Newton's law and a set of terms. A value type, usable as a
// template argument, so that a step can be compiled for each model.
struct GravityModel {
  unsigned char terms = 0;

  constexpr bool has(Term term) const { return (terms & static_cast<unsigned char>(term)) != 0; }
  constexpr GravityModel with(Term term) const {
    return {static_cast<unsigned char>(terms | static_cast<unsigned char>(term))};
  }
  // The highest conservative order: 0 (Newton's), 1, 2 or 3.
  constexpr int conservativeOrder() const {
    return has(Term::ThirdPostNewtonian)    ? 3
           : has(Term::SecondPostNewtonian) ? 2
           : has(Term::FirstPostNewtonian)  ? 1
                                            : 0;
  }
  constexpr bool radiates() const { return has(Term::RadiationReaction); }
  // Whether any term is added pair by pair from each pair's relative motion (all but 1pn).
  constexpr bool hasPairTerms() const {
    return (terms & ~static_cast<unsigned char>(Term::FirstPostNewtonian)) != 0;
  }
  friend constexpr bool operator==(GravityModel, GravityModel) = default;

  static const GravityModel Newtonian;
};

inline constexpr GravityModel GravityModel::Newtonian{};

// One model users can choose: the name typed on the command line (the terms joined by "+"), a short name
// for the models most runs want, the label a window shows, a line of help and the terms.
struct GravityModelRow {
  std::string_view name;
  std::string_view shortName;  // empty for most
  std::string_view label;
  std::string_view help;
  GravityModel model;
};

// The model of a set of terms.
constexpr GravityModel modelOf(std::initializer_list<Term> terms) {
  GravityModel model;
  for (Term term : terms) model = model.with(term);
  return model;
}

// The models, the valid sets of terms: 2pn needs 1pn and 3pn needs 2pn (each is the next order of the same
// expansion of the conservative motion, meaningless without the orders below it); 3.5pn needs 2.5pn (it
// corrects that reaction) and 1pn (its correction is of first post-Newtonian order, consistent only with
// an orbit of that order). The first four rows are the models of the program's first releases.
inline constexpr GravityModelRow kGravityModels[] = {
    {"newtonian", "", "Newtonian", "Newton's law, as the program has always integrated", modelOf({})},
    {"1pn", "", "1PN", "the Einstein-Infeld-Hoffmann acceleration: orbits precess",
     modelOf({Term::FirstPostNewtonian})},
    {"1pn+2.5pn", "", "1PN + 2.5PN", "1pn with radiation reaction: the pair spirals in",
     modelOf({Term::FirstPostNewtonian, Term::RadiationReaction})},
    {"2.5pn", "", "2.5PN", "Newton's law with radiation reaction: Peters' inspiral",
     modelOf({Term::RadiationReaction})},
    {"1pn+2pn", "", "1PN + 2PN", "conservative terms through 2PN",
     modelOf({Term::FirstPostNewtonian, Term::SecondPostNewtonian})},
    {"1pn+2pn+3pn", "", "1PN + 2PN + 3PN", "conservative terms through 3PN",
     modelOf({Term::FirstPostNewtonian, Term::SecondPostNewtonian, Term::ThirdPostNewtonian})},
    {"1pn+2pn+2.5pn", "merger", "1PN + 2PN + 2.5PN",
     "2PN orbits with radiation reaction: the model for a merger",
     modelOf({Term::FirstPostNewtonian, Term::SecondPostNewtonian, Term::RadiationReaction})},
    {"1pn+2pn+3pn+2.5pn", "", "1PN + 2PN + 3PN + 2.5PN", "3PN orbits with radiation reaction",
     modelOf({Term::FirstPostNewtonian, Term::SecondPostNewtonian, Term::ThirdPostNewtonian,
              Term::RadiationReaction})},
    {"1pn+2.5pn+3.5pn", "", "1PN + 2.5PN + 3.5PN", "1pn with the reaction through 3.5PN, consistent at 1PN",
     modelOf({Term::FirstPostNewtonian, Term::RadiationReaction, Term::RadiationReactionCorrection})},
    {"1pn+2pn+2.5pn+3.5pn", "", "1PN + 2PN + 2.5PN + 3.5PN", "2PN orbits with the reaction through 3.5PN",
     modelOf({Term::FirstPostNewtonian, Term::SecondPostNewtonian, Term::RadiationReaction,
              Term::RadiationReactionCorrection})},
    {"1pn+2pn+3pn+2.5pn+3.5pn", "full", "1PN + 2PN + 3PN + 2.5PN + 3.5PN",
     "every term: for wide orbits (stalls inside about 9 G m / c^2)",
     modelOf({Term::FirstPostNewtonian, Term::SecondPostNewtonian, Term::ThirdPostNewtonian,
              Term::RadiationReaction, Term::RadiationReactionCorrection})},
};

// The row of a model: one of kGravityModels (the Newtonian row for a set of terms that is none).
const GravityModelRow& gravityModelRow(GravityModel model);

// The model's name as typed on the command line: "newtonian", "1pn", "1pn+2.5pn", ...
std::string_view gravityModelName(GravityModel model);
// The model of a name: a row's name or short name, or its terms joined by "+" in any order; nullopt for
// any other text.
std::optional<GravityModel> gravityModelNamed(std::string_view name);
// "newtonian, 1pn, 1pn+2.5pn, 2.5pn, ..., merger, full".
std::string gravityModelList();
// The model as a reader sees it in a window: "Newtonian", "1PN", "1PN + 2.5PN", ...
std::string_view gravityModelLabel(GravityModel model);

// Whether the model has the 1PN conservative terms, and whether it radiates.
constexpr bool hasFirstPostNewtonian(GravityModel model) {
  return model.has(Term::FirstPostNewtonian);
}
constexpr bool radiates(GravityModel model) {
  return model.radiates();
}

}  // namespace bhsim
