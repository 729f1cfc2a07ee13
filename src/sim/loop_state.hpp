#pragma once

#include <cstdint>

#include "sim/gravity_model.hpp"

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

// Everything one configuration's integration works on. Bodies are 0 to 2 (black holes 1 to 3); masses
// are gravitational parameters (km^3/s^2), lengths km, times s.
struct LoopState {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  double vx0 = 0, vy0 = 0, vx1 = 0, vy1 = 0, vx2 = 0, vy2 = 0;
  double ax0 = 0, ay0 = 0, ax1 = 0, ay1 = 0, ax2 = 0, ay2 = 0;
  double m0 = 0, m1 = 0, m2 = 0;
  double dt = 0;
  std::int64_t cnt = 0;
  double nstars = 0;  // starts at the body count, which a user may have typed as any number
  int end1 = 0;
  EndReason reason = EndReason::None;
  bool captured = false;  // black hole 3 was captured

  double dist01 = 0, dist02 = 0, dist12 = 0;
  double d12 = 0, d13 = 0, d23 = 0;
  double v0 = 0, v1 = 0, v2 = 0;
  double v0max = 0, v1max = 0, v2max = 0;
  double rcm0 = 0, xcm = 0, ycm = 0;
  double r1 = 0, r2 = 0, r3 = 0;
  double ttime = 0;

  // revolutions
  double alpha = 0;
  double phi = 0, phiold = 0;
  // The fast loop computes phi only where it has to: while phiKnown is false, phi is the direction
  // angle of (dirX, dirY), the direction of the last step, which dirSide classifies (0: unclassified).
  bool phiKnown = true;
  signed char dirSide = 0;
  double dirX = 0, dirY = 0;
  std::int64_t cntrev = 0, revsteps = 0, nrevcnt = 0;
  double Revtime = 0;
  double f = 0;

  // mass change and the hand-over of a captured black hole 3
  double dmu0 = 0, dmu1 = 0, dmsum0 = 0, dmsum1 = 0;

  // parameters of the run that the loop reads
  double maxcount = 0;
  double nBH = 0;
  double nrev0 = 0;
  double Tott0 = 0;
  double Pi = 0;
  GravityModel gravity = GravityModel::Newtonian;
};

}  // namespace bhsim
