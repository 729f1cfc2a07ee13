#pragma once

// The list of the terms added pair by pair, in the order of the expansion (the order their shares of a
// pair's acceleration are summed in). A further term is a file like these, its value of Term, its place
// here and the rows of the models that have it.
//
// A pair term is a struct with its Term (kTerm), its name in a model's name (kName), its power of 1/c
// (kInverseLight), whether it is conservative (kConservative, and then its specificEnergy) and whether
// it is left out in a merging pair's last step (kLeftOutWhenMerging), what a mass ratio makes of its
// formula (Coefficients, coefficients(ν)), and its A and B (relative).

#include "sim/term_1pn.hpp"
#include "sim/term_2_5pn.hpp"
#include "sim/term_2pn.hpp"
#include "sim/term_3_5pn.hpp"
#include "sim/term_3pn.hpp"

namespace bhsim::gravity {

template <class... Terms>
struct TermList {};

using PairTermList = TermList<SecondPostNewtonianTerm, RadiationReactionTerm, ThirdPostNewtonianTerm,
                              RadiationReactionCorrectionTerm>;

// Calls `f` with each term of the list, in its order.
template <class... Terms, class F>
[[gnu::always_inline]] constexpr void forEachTerm(TermList<Terms...>, F&& f) {
  (f(Terms{}), ...);
}

}  // namespace bhsim::gravity
