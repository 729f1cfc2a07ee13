#pragma once

#include <cstdint>

#include "sim/gravity_model.hpp"
#include "sim/pair_coefficients.hpp"

namespace bhsim {

// What ended a configuration (the last event that set the end code).
enum class EndReason : unsigned char {
  None,
  Revolutions,
  TotalTime,
  LightSpeed,
  Merger13,
  Merger23,
  Coincidence,
  Merger12  // black holes 1 and 2 closer than their innermost stable orbit (post-Newtonian models)
};

// What the events of a step mean for the configuration: it goes on, it ends, or black hole 3 was captured
// (which does not end it, and overrides an end set earlier in the same step).
enum class EndCode : unsigned char { None, Ends, Capture };

// Everything one configuration's integration works on. Bodies are numbered 1 to 3 as the user's black
// holes are; masses are gravitational parameters (km^3/s^2), lengths km, times s.
struct LoopState {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0, x3 = 0, y3 = 0;
  double vx1 = 0, vy1 = 0, vx2 = 0, vy2 = 0, vx3 = 0, vy3 = 0;
  double ax1 = 0, ay1 = 0, ax2 = 0, ay2 = 0, ax3 = 0, ay3 = 0;
  double m1 = 0, m2 = 0, m3 = 0;
  double dt = 0;
  std::int64_t stepCount = 0;
  double bodiesInPlay = 0;  // starts at the body count, which a user may have typed as any number
  EndCode endCode = EndCode::None;
  EndReason reason = EndReason::None;
  bool captured = false;  // black hole 3 was captured

  double dist12 = 0, dist13 = 0, dist23 = 0;
  double minDist12 = 0, minDist13 = 0, minDist23 = 0;
  double v1 = 0, v2 = 0, v3 = 0;
  double v1max = 0, v2max = 0, v3max = 0;
  double rcm1 = 0, xcm = 0, ycm = 0;
  double r1 = 0, r2 = 0, r3 = 0;
  double elapsed = 0;
  // Under an adaptive integrator the steps differ in length: the simulated time is kept here (the fixed
  // step's is dt x stepCount), and so is the work, counted in evaluations of the accelerations.
  bool variableStep = false;
  double time = 0;
  std::int64_t forceEvaluations = 0;

  // revolutions
  double alpha = 0;
  double phi = 0, previousPhi = 0;
  // The fast loop computes phi only where it has to: while phiKnown is false, phi is the direction
  // angle of (dirX, dirY), the direction of the last step, which dirSide classifies (0: unclassified).
  bool phiKnown = true;
  signed char dirSide = 0;
  double dirX = 0, dirY = 0;
  std::int64_t crossingStep = 0, revolutionSteps = 0, revolutionCount = 0;
  double crossingTime = 0;  // under an adaptive integrator, when the last crossing was
  double revolutionTime = 0;
  double f = 0;

  // mass change and the hand-over of a captured black hole 3
  double dmu1 = 0, dmu2 = 0, dmsum1 = 0, dmsum2 = 0;

  // parameters of the run that the loop reads
  double stepsPerRevolution = 0;
  double bodyCount = 0;
  double revolutionLimit = 0;
  double timeLimit = 0;
  GravityModel gravity = GravityModel::Newtonian;
  // under a post-Newtonian model, what the step keeps of each pair's mass ratio (1-2, 1-3, 2-3)
  gravity::PairCoefficientsOfBodies pairCoefficients;
};

}  // namespace bhsim
