#pragma once

#include <optional>
#include <string>

#include "sim/run_parameters.hpp"

namespace bhsim {

// The circular orbit of black holes 1 and 2 that a configuration starts from. It does not depend on the
// sweep angle, so every configuration of a run has the same one.
struct Orbit {
  enum class Case { Speed, Frequency, Distance };
  Case kind = Case::Speed;
  bool abandoned = false;  // distance case with a separation of 0: the run goes to its end wait

  double m1 = 0;  // gravitational parameters, km^3/s^2
  double m2 = 0;
  double m3 = 0;
  double dmu1 = 0;  // mass change per step
  double dmu2 = 0;

  double dist = 0;              // separation, km
  double vc = 0;                // speed of black hole 2 as a fraction of c, as shown
  double f = 0;                 // frequency of the set-up (frequency and distance cases)
  bool clamped = false;         // faster than light: v/c shown as 1
  bool massRecomputed = false;  // ... and, for one black hole, the mass lowered to fit
  double BH1 = 0;

  double rcm1 = 0;  // distances from the centre of mass
  double rcm2 = 0;
  double v1 = 0;  // orbital speeds
  double v2 = 0;
  double revolutionTime = 0;
  double dt = 0;
  // Under a model with conservative terms, of the model's circular orbit; 0 where the masses have none
  // and the pair starts from the Newtonian one.
  double angularFrequency = 0;

  // Under a post-Newtonian model, an orbit that cannot be started: the frequency, speed or separation
  // asked for lies beyond the model's circular orbits or inside the merger separation 6 G m / c².
  // `limit` is the highest frequency (Hz) or speed (v/c) or the least separation (km) that can be.
  enum class Beyond { Nothing, CircularOrbits, MergerSeparation };
  Beyond beyond = Beyond::Nothing;
  double limit = 0;
  double limitSeparation = 0;  // km, where the limit lies
};

Orbit computeOrbit(const RunParameters& p, double bodyCount);

// Why a run with these parameters would divide by zero, build a meaningless orbit or start an orbit its
// law of gravity does not have, or nothing when it can run.
std::optional<std::string> refusalReason(const RunParameters& p, double bodyCount);

}  // namespace bhsim
