#pragma once

// What a pair's mass ratio makes of the pair terms' formulas, worked out once for a mass ratio: a step
// keeps one for each pair between steps (the masses rarely change), which spares it most of the pair
// terms' arithmetic.

#include <limits>
#include <tuple>
#include <type_traits>

#include "sim/gravity_model.hpp"
#include "sim/gravity_terms.hpp"

namespace bhsim::gravity {

template <class List>
struct CoefficientsOfList;
template <class... Terms>
struct CoefficientsOfList<TermList<Terms...>> {
  using type = std::tuple<typename Terms::Coefficients...>;
};

struct PairCoefficients {
  double massRatio = std::numeric_limits<double>::quiet_NaN();  // ν they are of; none at first
  CoefficientsOfList<PairTermList>::type terms{};

  template <class Term>
  const typename Term::Coefficients& of() const {
    return std::get<typename Term::Coefficients>(terms);
  }
};

// Whether the pair terms of `kModel` have coefficients to keep.
template <GravityModel kModel>
constexpr bool hasPairCoefficients() {
  bool any = false;
  forEachTerm(PairTermList{}, [&](auto term) {
    using Term = decltype(term);
    any = any || (kModel.has(Term::kTerm) && !std::is_empty_v<typename Term::Coefficients>);
  });
  return any;
}

// Makes `k` the coefficients of the pair terms of `kModel` for the mass ratio ν, unless they are.
template <GravityModel kModel>
[[gnu::always_inline]] inline void keepPairCoefficients(PairCoefficients& k, double nu) {
  if (k.massRatio == nu) return;
  k.massRatio = nu;
  forEachTerm(PairTermList{}, [&](auto term) {
    using Term = decltype(term);
    if constexpr (kModel.has(Term::kTerm))
      std::get<typename Term::Coefficients>(k.terms) = Term::coefficients(nu);
  });
}

// The coefficients of the pairs of up to three bodies (1-2, 1-3, 2-3), kept by a step.
using PairCoefficientsOfBodies = PairCoefficients[3];

}  // namespace bhsim::gravity
