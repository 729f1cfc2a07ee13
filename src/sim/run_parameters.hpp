#pragma once

#include "sim/gravity_model.hpp"
#include "sim/integrator.hpp"

namespace bhsim {

// The fifteen parameters of a run, with the sweep derived from them.
struct RunParameters {
  double stepsPerRevolution = 0;
  double vc = 0;
  double dm1 = 0;
  double dm2 = 0;
  double f = 0;
  double dist = 0;  // the "dist12" text read as a plain decimal: the separation of the distance case
  double xmaxf = 0;
  double BH1 = 0;
  double BH2 = 0;
  double BH3 = 0;
  double alphamin = 0;
  double dalpha = 0;
  double alphamax = 0;
  double timeLimit = 0;
  double revolutionLimit = 0;

  double dalphaRead = 0;      // "delta" as typed, before an empty sweep sets it to 0
  bool dalphaZeroed = false;  // alphamax <= alphamin: "delta" is written as "0"
  double nalpha = 1;          // configurations of the sweep (not rounded)
  // the law of gravity, chosen for the run and not typed into a field
  GravityModel gravity = GravityModel::Newtonian;
  // the integrator, and the error per step an adaptive one keeps to
  Integrator integrator = Integrator::Euler;
  double tolerance = kDefaultTolerance;
};

}  // namespace bhsim
