#pragma once

// The energy of the bodies in play, to judge how well a configuration's steps keep it. Masses are
// gravitational parameters, so the energy comes out in km^5/s^4 (G times the energy); only its relative
// change means anything.

#include <cmath>

#include "sim/loop_state.hpp"
#include "sim/post_newtonian.hpp"

namespace bhsim {

// Kinetic plus Newtonian potential energy of black holes 1 and 2 and, while it is in play, black hole 3.
inline double totalEnergy(const LoopState& s) {
  const auto potential = [](double mi, double mj, double dx, double dy) {
    return -(mi * mj) / std::sqrt(dx * dx + dy * dy);
  };
  double e = 0.5 * s.m1 * (s.vx1 * s.vx1 + s.vy1 * s.vy1) + 0.5 * s.m2 * (s.vx2 * s.vx2 + s.vy2 * s.vy2) +
             potential(s.m1, s.m2, s.x2 - s.x1, s.y2 - s.y1);
  if (s.bodiesInPlay == 3) {
    e += 0.5 * s.m3 * (s.vx3 * s.vx3 + s.vy3 * s.vy3) + potential(s.m1, s.m3, s.x3 - s.x1, s.y3 - s.y1) +
         potential(s.m2, s.m3, s.x3 - s.x2, s.y3 - s.y2);
  }
  return e;
}

// The orbital energy per unit mass of black holes 1 and 2 about each other: the measure for a black
// hole 2 without mass, whose total energy is 0.
inline double pairSpecificEnergy(const LoopState& s) {
  const double dvx = s.vx2 - s.vx1, dvy = s.vy2 - s.vy1, dx = s.x2 - s.x1, dy = s.y2 - s.y1;
  return 0.5 * (dvx * dvx + dvy * dvy) - (s.m1 + s.m2) / std::sqrt(dx * dx + dy * dy);
}

// The energy the state's gravity model keeps, or for a radiating model the energy of its conservative
// part (1PN for 1pn+2.5pn, Newton's for 2.5pn), whose change is the energy radiated.
inline double modelEnergy(const LoopState& s) {
  const gravity::Body bodies[3] = {{{s.x1, s.y1}, {s.vx1, s.vy1}, s.m1},
                                   {{s.x2, s.y2}, {s.vx2, s.vy2}, s.m2},
                                   {{s.x3, s.y3}, {s.vx3, s.vy3}, s.m3}};
  return gravity::conservedEnergy(s.gravity, std::span(bodies, s.bodiesInPlay == 3 ? 3 : 2));
}

inline double modelPairSpecificEnergy(const LoopState& s) {
  return gravity::binarySpecificEnergy(s.gravity, {s.x2 - s.x1, s.y2 - s.y1}, {s.vx2 - s.vx1, s.vy2 - s.vy1},
                                       s.m1, s.m2);
}

// The relative change of the model's energy, as below.
inline double modelEnergyRelativeChange(const LoopState& start, const LoopState& end) {
  const double e0 = modelEnergy(start);
  if (e0 != 0) return (modelEnergy(end) - e0) / std::fabs(e0);
  const double p0 = modelPairSpecificEnergy(start);
  return (modelPairSpecificEnergy(end) - p0) / std::fabs(p0);
}

// (E_end - E_start) / |E_start| of the total energy, or of the pair's specific energy where the total
// energy at the start is 0; under a post-Newtonian model, of the model's energy.
inline double energyRelativeChange(const LoopState& start, const LoopState& end) {
  if (start.gravity != GravityModel::Newtonian) return modelEnergyRelativeChange(start, end);
  const double e0 = totalEnergy(start);
  if (e0 != 0) return (totalEnergy(end) - e0) / std::fabs(e0);
  const double p0 = pairSpecificEnergy(start);
  return (pairSpecificEnergy(end) - p0) / std::fabs(p0);
}

}  // namespace bhsim
