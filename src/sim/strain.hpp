#pragma once

// The gravitational-wave strain of the bodies in play by the quadrupole formula. Masses are gravitational
// parameters (km^3/s^2), lengths km, times s.

#include <array>
#include <span>

#include "sim/loop_state.hpp"

namespace bhsim {

// Where the strain is seen from: the distance, and the angle between the line of sight and the orbit's
// normal (the line of sight tilted about the x axis; 0 is face-on).
struct Detector {
  double distanceKm = 0;
  double inclinationRad = 0;
};

// Kilometres in one megaparsec.
inline constexpr double kKmPerMpc = 3.0856775814913673e19;

// One body's mass, position, velocity and acceleration in any inertial frame.
struct BodyMotion {
  double m = 0;
  double x = 0, y = 0;
  double vx = 0, vy = 0;
  double ax = 0, ay = 0;
};

// The bodies in play at one moment (black holes 1 and 2, and 3 while it is free).
struct BodyMotions {
  std::array<BodyMotion, 3> bodies{};
  int count = 0;
  std::span<const BodyMotion> inPlay() const { return {bodies.data(), static_cast<std::size_t>(count)}; }
};

struct Strain {
  double plus = 0;
  double cross = 0;
};

// h+ and hx of the bodies by the quadrupole formula, their positions, velocities and accelerations taken
// relative to their centre of mass. Zero when the total mass is zero.
Strain quadrupoleStrain(std::span<const BodyMotion> bodies, const Detector& detector);

}  // namespace bhsim
