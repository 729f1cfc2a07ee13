#pragma once

// The circular orbits of a pair under the conservative terms of a model (harmonic coordinates): the
// exact circular orbits of the two-body equations the steps integrate, in closed form at 1PN and solved
// numerically with the 2PN and 3PN terms. On such an orbit (ṙ = 0, v = ω r) the relative acceleration
// is ω² r exactly where v² = (G m / r) (1 + A). Each function gives nullopt where the model has no such
// orbit (inside its innermost one, beyond the fastest or highest, or for a total mass that is not
// positive). Masses are gravitational parameters (km^3/s^2), lengths km, times s.

#include <optional>

#include "sim/gravity_model.hpp"

namespace bhsim::gravity {

// The angular frequency of the circular orbit at a separation.
std::optional<double> circularAngularFrequency(GravityModel model, double mass1, double mass2,
                                               double separation);
// The separation of the circular orbit of an angular frequency, or of a relative speed ω r: the wider
// one, where the frequency (or speed) grows as the orbit shrinks.
std::optional<double> circularSeparationOfFrequency(GravityModel model, double mass1, double mass2,
                                                    double angularFrequency);
std::optional<double> circularSeparationOfSpeed(GravityModel model, double mass1, double mass2,
                                                double relativeSpeed);
// The circular orbit of the highest angular frequency, and of the highest relative speed.
std::optional<double> innermostCircularSeparation(GravityModel model, double mass1, double mass2);
std::optional<double> fastestCircularSeparation(GravityModel model, double mass1, double mass2);

}  // namespace bhsim::gravity
