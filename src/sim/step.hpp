#pragma once

// One integration step and the checks made inside it, in the order the loop makes them. Everything here
// is inline arithmetic on a LoopState: no field, window or clock is touched.

#include <cmath>

#include "sim/constants.hpp"
#include "sim/direction_angle.hpp"
#include "sim/loop_state.hpp"

namespace bhsim::step {

// Distance of a pair measured at the start of the step; ox, oy receive what the pull of unit
// gravitational parameter per (dx, dy) component contributes, that is (g x dx) / d with g = m / s.
struct Pair {
  double dx, dy, s, d;
};

inline Pair measure(double xi, double yi, double xj, double yj) {
  Pair p;
  p.dx = xi - xj;
  p.dy = yi - yj;
  p.s = p.dx * p.dx + p.dy * p.dy;
  p.d = std::sqrt(p.s);
  return p;
}

inline double pullX(const Pair& p, double m) {
  return ((m / p.s) * p.dx) / p.d;
}
inline double pullY(const Pair& p, double m) {
  return ((m / p.s) * p.dy) / p.d;
}

// Pair 0-1. Bodies at the same point pull nothing and end the configuration, as a merger does.
inline void attract01(LoopState& s) {
  const Pair p = measure(s.x0, s.y0, s.x1, s.y1);
  s.dist01 = p.d;
  if (s.dist01 < s.d12) s.d12 = s.dist01;
  if (p.s == 0) {
    s.ax0 = s.ay0 = s.ax1 = s.ay1 = 0;
    s.end1 = 1;
    s.reason = EndReason::Coincidence;
    return;
  }
  s.ax0 = -pullX(p, s.m1);
  s.ay0 = -pullY(p, s.m1);
  s.ax1 = pullX(p, s.m0);
  s.ay1 = pullY(p, s.m0);
}

// Pairs 0-2 and 1-2. A pair at the same point pulls nothing; the merger test of black hole 3 ends the
// configuration in that step.
inline void attractThird(LoopState& s) {
  const Pair p02 = measure(s.x0, s.y0, s.x2, s.y2);
  s.dist02 = p02.d;
  if (s.dist02 < s.d13) s.d13 = s.dist02;
  if (p02.s != 0) {
    s.ax0 -= pullX(p02, s.m2);
    s.ay0 -= pullY(p02, s.m2);
    s.ax2 = pullX(p02, s.m0);
    s.ay2 = pullY(p02, s.m0);
  } else {
    s.ax2 = s.ay2 = 0;
  }
  const Pair p12 = measure(s.x1, s.y1, s.x2, s.y2);
  s.dist12 = p12.d;
  if (s.dist12 < s.d23) s.d23 = s.dist12;
  if (p12.s != 0) {
    s.ax1 -= pullX(p12, s.m2);
    s.ay1 -= pullY(p12, s.m2);
    s.ax2 += pullX(p12, s.m1);
    s.ay2 += pullY(p12, s.m1);
  }
}

inline void moveFirstTwo(LoopState& s) {
  s.vx0 += s.ax0 * s.dt;
  s.vy0 += s.ay0 * s.dt;
  s.vx1 += s.ax1 * s.dt;
  s.vy1 += s.ay1 * s.dt;
  s.x0 += s.vx0 * s.dt;
  s.y0 += s.vy0 * s.dt;
  s.x1 += s.vx1 * s.dt;
  s.y1 += s.vy1 * s.dt;
  s.v0 = std::sqrt(s.vx0 * s.vx0 + s.vy0 * s.vy0);
  s.v1 = std::sqrt(s.vx1 * s.vx1 + s.vy1 * s.vy1);
  if (s.v0 > s.v0max) s.v0max = s.v0;
  if (s.v1 > s.v1max) s.v1max = s.v1;
}

// Black hole 1 or 2 faster than light ends the configuration.
inline void speedTest(LoopState& s) {
  if (!(s.nstars > 1)) return;
  if (s.v0 > c) {
    s.nstars = s.nstars - 1;
    s.end1 = 1;
    s.reason = EndReason::LightSpeed;
  }
  if (s.v1 > c) {
    s.nstars = s.nstars - 1;
    s.end1 = 1;
    s.reason = EndReason::LightSpeed;
  }
}

inline void moveThird(LoopState& s) {
  s.vx2 += s.ax2 * s.dt;
  s.vy2 += s.ay2 * s.dt;
  s.x2 += s.vx2 * s.dt;
  s.y2 += s.vy2 * s.dt;
  s.v2 = std::sqrt(s.vx2 * s.vx2 + s.vy2 * s.vy2);
  if (s.v2 > s.v2max) s.v2max = s.v2;
}

// Black hole 3 closer to another than the merger distance (1 km in Newtonian gravity) merges into it;
// faster than light, it is captured by the nearer.
inline void thirdBodyTests(LoopState& s, double mergeWithFirst = 1, double mergeWithSecond = 1) {
  if (s.dist02 < mergeWithFirst) {
    s.m0 = s.m0 + s.m2;
    s.nstars = s.nstars - 1;
    s.end1 = 1;
    s.reason = EndReason::Merger13;
  }
  if (s.dist12 < mergeWithSecond) {
    s.m1 = s.m1 + s.m2;
    s.nstars = s.nstars - 1;
    s.end1 = 1;
    s.reason = EndReason::Merger23;
  }
  if (s.v2 > c) {
    s.end1 = 2;
    s.nstars = s.nstars - 1;
    s.captured = true;
    if (s.dist02 < s.dist12) {
      s.dmu0 = (0.2 * s.m2) / s.maxcount;
    } else {
      s.dmu1 = (0.2 * s.m2) / s.maxcount;
    }
  }
}

// Steps 1 to 7: count, attract, move, and the speed and black-hole-3 tests.
inline void advance(LoopState& s) {
  s.cnt = s.cnt + 1;
  attract01(s);
  if (s.nstars == 3) attractThird(s);
  moveFirstTwo(s);
  speedTest(s);
  if (s.nstars == 3) {
    moveThird(s);
    thirdBodyTests(s);
  }
}

enum class Crossing { None, Untimed, Timed };

// The revolution test: a crossing of the reference angle counter-clockwise. A timed crossing sets
// Revtime and f and may end the configuration; the caller writes the fields.
inline bool crossed(double phiold, double phi, double alpha) {
  return (alpha == 0 && phiold > phi) || (phi > alpha && phiold <= alpha);
}

// Counts and times a crossing of the reference angle.
inline Crossing countCrossing(LoopState& s) {
  s.revsteps = s.cnt - s.cntrev;
  Crossing result = Crossing::Untimed;
  if (s.cnt > 1) {
    s.Revtime = s.dt * static_cast<double>(s.revsteps);
    s.f = 1 / s.Revtime;
    s.nrevcnt = s.nrevcnt + 1;
    if (s.nrev0 > 0 && static_cast<double>(s.nrevcnt) == s.nrev0) {
      s.end1 = 1;
      s.reason = EndReason::Revolutions;
    }
    result = Crossing::Timed;
  }
  if (s.cnt == 1) s.nrevcnt = 0;
  s.cntrev = s.cnt;
  return result;
}

inline Crossing revolutionTest(LoopState& s) {
  s.phiold = s.phi;
  directionAngle(s.x0, s.y0, s.x1, s.y1, s.Pi, s.phi);
  return crossed(s.phiold, s.phi, s.alpha) ? countCrossing(s) : Crossing::None;
}

// The total-time test of a field refresh.
inline void totalTimeTest(LoopState& s) {
  if (s.Tott0 > 0 && s.ttime > s.Tott0) {
    s.end1 = 1;
    s.reason = EndReason::TotalTime;
  }
}

// The mass change, the last thing of a step.
inline void massChange(LoopState& s) {
  if (s.nBH == 2) {
    s.m0 = s.m0 + s.dmu0;
    s.m1 = s.m1 + s.dmu1;
  } else if (s.nBH == 3) {
    if (s.dmu0 > 0 && s.dmsum0 < s.m2) {
      s.m0 = s.m0 + s.dmu0;
      s.dmsum0 = s.dmsum0 + s.dmu0;
    }
    if (s.dmu1 > 0 && s.dmsum1 < s.m2) {
      s.m1 = s.m1 + s.dmu1;
      s.dmsum1 = s.dmsum1 + s.dmu1;
    }
  }
}

// The centre of mass of black holes 1 and 2 from the separation measured at the start of the step.
// Where it cannot be computed (zero separation, or masses adding up to exactly 0) it stays as it was,
// the configuration ends as at a merger, and false is returned. A negative sum is computed with: a
// negative mass repels, and the run goes on.
inline bool centreOfMass(LoopState& s) {
  const double total = s.m0 + s.m1;
  if (s.dist01 == 0 || total == 0) {
    s.end1 = 1;
    s.reason = EndReason::Coincidence;
    return false;
  }
  s.rcm0 = s.m1 * s.dist01 / total;
  s.xcm = s.x0 + s.rcm0 * (s.x1 - s.x0) / s.dist01;
  s.ycm = s.y0 + s.rcm0 * (s.y1 - s.y0) / s.dist01;
  return true;
}

}  // namespace bhsim::step
