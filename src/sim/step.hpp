#pragma once

// One integration step and the checks made inside it, in the order the loop makes them. Everything here
// is inline arithmetic on a LoopState: no field, window or clock is touched.

#include <algorithm>
#include <cmath>
#include <limits>

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

// Black holes 1 and 2. Bodies at the same point pull nothing and end the configuration, as a merger does.
inline void attract12(LoopState& s) {
  const Pair p = measure(s.x1, s.y1, s.x2, s.y2);
  s.dist12 = p.d;
  if (s.dist12 < s.minDist12) s.minDist12 = s.dist12;
  if (p.s == 0) {
    s.ax1 = s.ay1 = s.ax2 = s.ay2 = 0;
    s.endCode = EndCode::Ends;
    s.reason = EndReason::Coincidence;
    return;
  }
  s.ax1 = -pullX(p, s.m2);
  s.ay1 = -pullY(p, s.m2);
  s.ax2 = pullX(p, s.m1);
  s.ay2 = pullY(p, s.m1);
}

// Pairs 1-3 and 2-3. A pair at the same point pulls nothing; the merger test of black hole 3 ends the
// configuration in that step.
inline void attractThird(LoopState& s) {
  const Pair p13 = measure(s.x1, s.y1, s.x3, s.y3);
  s.dist13 = p13.d;
  if (s.dist13 < s.minDist13) s.minDist13 = s.dist13;
  if (p13.s != 0) {
    s.ax1 -= pullX(p13, s.m3);
    s.ay1 -= pullY(p13, s.m3);
    s.ax3 = pullX(p13, s.m1);
    s.ay3 = pullY(p13, s.m1);
  } else {
    s.ax3 = s.ay3 = 0;
  }
  const Pair p23 = measure(s.x2, s.y2, s.x3, s.y3);
  s.dist23 = p23.d;
  if (s.dist23 < s.minDist23) s.minDist23 = s.dist23;
  if (p23.s != 0) {
    s.ax2 -= pullX(p23, s.m3);
    s.ay2 -= pullY(p23, s.m3);
    s.ax3 += pullX(p23, s.m2);
    s.ay3 += pullY(p23, s.m2);
  }
}

inline void moveFirstTwo(LoopState& s) {
  s.vx1 += s.ax1 * s.dt;
  s.vy1 += s.ay1 * s.dt;
  s.vx2 += s.ax2 * s.dt;
  s.vy2 += s.ay2 * s.dt;
  s.x1 += s.vx1 * s.dt;
  s.y1 += s.vy1 * s.dt;
  s.x2 += s.vx2 * s.dt;
  s.y2 += s.vy2 * s.dt;
  s.v1 = std::sqrt(s.vx1 * s.vx1 + s.vy1 * s.vy1);
  s.v2 = std::sqrt(s.vx2 * s.vx2 + s.vy2 * s.vy2);
  if (s.v1 > s.v1max) s.v1max = s.v1;
  if (s.v2 > s.v2max) s.v2max = s.v2;
}

// Black hole 1 or 2 faster than light ends the configuration.
inline void speedTest(LoopState& s) {
  if (!(s.bodiesInPlay > 1)) return;
  if (s.v1 > kLightSpeed) {
    s.bodiesInPlay = s.bodiesInPlay - 1;
    s.endCode = EndCode::Ends;
    s.reason = EndReason::LightSpeed;
  }
  if (s.v2 > kLightSpeed) {
    s.bodiesInPlay = s.bodiesInPlay - 1;
    s.endCode = EndCode::Ends;
    s.reason = EndReason::LightSpeed;
  }
}

inline void moveThird(LoopState& s) {
  s.vx3 += s.ax3 * s.dt;
  s.vy3 += s.ay3 * s.dt;
  s.x3 += s.vx3 * s.dt;
  s.y3 += s.vy3 * s.dt;
  s.v3 = std::sqrt(s.vx3 * s.vx3 + s.vy3 * s.vy3);
  if (s.v3 > s.v3max) s.v3max = s.v3;
}

// Black hole 3 closer to another than the merger distance (1 km in Newtonian gravity) merges into it;
// faster than light, it is captured by the nearer.
inline void thirdBodyTests(LoopState& s, double mergeWithFirst = 1, double mergeWithSecond = 1) {
  if (s.dist13 < mergeWithFirst) {
    s.m1 = s.m1 + s.m3;
    s.bodiesInPlay = s.bodiesInPlay - 1;
    s.endCode = EndCode::Ends;
    s.reason = EndReason::Merger13;
  }
  if (s.dist23 < mergeWithSecond) {
    s.m2 = s.m2 + s.m3;
    s.bodiesInPlay = s.bodiesInPlay - 1;
    s.endCode = EndCode::Ends;
    s.reason = EndReason::Merger23;
  }
  if (s.v3 > kLightSpeed) {
    s.endCode = EndCode::Capture;
    s.bodiesInPlay = s.bodiesInPlay - 1;
    s.captured = true;
    if (s.dist13 < s.dist23) {
      s.dmu1 = (0.2 * s.m3) / s.stepsPerRevolution;
    } else {
      s.dmu2 = (0.2 * s.m3) / s.stepsPerRevolution;
    }
  }
}

// Steps 1 to 7: count, attract, move, and the speed and black-hole-3 tests.
inline void advance(LoopState& s) {
  s.stepCount = s.stepCount + 1;
  attract12(s);
  if (s.bodiesInPlay == 3) attractThird(s);
  moveFirstTwo(s);
  speedTest(s);
  if (s.bodiesInPlay == 3) {
    moveThird(s);
    thirdBodyTests(s);
  }
}

enum class Crossing { None, Untimed, Timed };

// The revolution test: a crossing of the reference angle counter-clockwise. A timed crossing sets
// revolutionTime and f and may end the configuration; the caller writes the fields.
inline bool crossed(double previousPhi, double phi, double alpha) {
  return (alpha == 0 && previousPhi > phi) || (phi > alpha && previousPhi <= alpha);
}

// One more revolution; the configuration ends when it is the wanted count.
inline void countRevolution(LoopState& s) {
  s.revolutionCount = s.revolutionCount + 1;
  if (s.revolutionLimit > 0 && static_cast<double>(s.revolutionCount) == s.revolutionLimit) {
    s.endCode = EndCode::Ends;
    s.reason = EndReason::Revolutions;
  }
}

// Counts and times a crossing of the reference angle.
inline Crossing countCrossing(LoopState& s) {
  s.revolutionSteps = s.stepCount - s.crossingStep;
  Crossing result = Crossing::Untimed;
  if (s.stepCount > 1) {
    s.revolutionTime = s.dt * static_cast<double>(s.revolutionSteps);
    s.f = 1 / s.revolutionTime;
    countRevolution(s);
    result = Crossing::Timed;
  }
  if (s.stepCount == 1) s.revolutionCount = 0;
  s.crossingStep = s.stepCount;
  return result;
}

inline Crossing revolutionTest(LoopState& s) {
  s.previousPhi = s.phi;
  directionAngle(s.x1, s.y1, s.x2, s.y2, s.phi);
  return crossed(s.previousPhi, s.phi, s.alpha) ? countCrossing(s) : Crossing::None;
}

// The simulated time: dt x stepCount for the fixed step, the steps' sum for an adaptive one.
inline double simulatedTime(const LoopState& s) {
  return s.variableStep ? s.time : s.dt * static_cast<double>(s.stepCount);
}

// A crossing of the reference angle at `time` inside a step of an adaptive integrator, timed from the
// last one. The configuration starts on the reference direction: `atStart` is that first, untimed crossing.
inline Crossing countCrossingAt(LoopState& s, double time, bool atStart) {
  Crossing result = Crossing::Untimed;
  s.revolutionSteps = s.stepCount - s.crossingStep;
  if (atStart) {
    s.revolutionCount = 0;
  } else {
    s.revolutionTime = time - s.crossingTime;
    s.f = 1 / s.revolutionTime;
    countRevolution(s);
    result = Crossing::Timed;
  }
  s.crossingStep = s.stepCount;
  s.crossingTime = time;
  return result;
}

// The total-time test of a field refresh. A configuration that an event of the step already ended keeps
// that event as the reason it ended.
inline void totalTimeTest(LoopState& s) {
  if (s.timeLimit > 0 && s.elapsed > s.timeLimit) {
    if (s.endCode != EndCode::Ends) s.reason = EndReason::TotalTime;
    s.endCode = EndCode::Ends;
  }
}

// The mass change, the last thing of a step.
inline void massChange(LoopState& s) {
  if (s.bodyCount == 2) {
    s.m1 = s.m1 + s.dmu1;
    s.m2 = s.m2 + s.dmu2;
  } else if (s.bodyCount == 3) {
    if (s.dmu1 > 0 && s.dmsum1 < s.m3) {
      s.m1 = s.m1 + s.dmu1;
      s.dmsum1 = s.dmsum1 + s.dmu1;
    }
    if (s.dmu2 > 0 && s.dmsum2 < s.m3) {
      s.m2 = s.m2 + s.dmu2;
      s.dmsum2 = s.dmsum2 + s.dmu2;
    }
  }
}

// How the masses of black holes 1 and 2 grow through a step of an adaptive integrator: steadily, at the
// fixed step's rate per step of dt, a captured black hole 3 handing over no more than its mass.
// A step ends where a handover is complete (`complete`), so that no step has a kink in the masses.
struct MassGrowth {
  static constexpr double kNever = std::numeric_limits<double>::infinity();
  double rate[2] = {0, 0};  // per second
  double most[2] = {kNever, kNever};
  double complete[2] = {kNever, kNever};  // seconds into the step

  // What body 0 or 1 has gained `elapsed` seconds into the step.
  double gain(int body, double elapsed) const {
    return elapsed >= complete[body] ? most[body] : rate[body] * elapsed;
  }
};

inline MassGrowth massGrowthOf(const LoopState& s) {
  MassGrowth growth;
  if (s.bodyCount == 2) {
    growth.rate[0] = s.dmu1 / s.dt, growth.rate[1] = s.dmu2 / s.dt;
  } else if (s.bodyCount == 3) {
    const double perStep[2] = {s.dmu1, s.dmu2}, handed[2] = {s.dmsum1, s.dmsum2};
    for (int body : {0, 1}) {
      if (!(perStep[body] > 0 && handed[body] < s.m3)) continue;
      growth.rate[body] = perStep[body] / s.dt;
      growth.most[body] = s.m3 - handed[body];
      growth.complete[body] = growth.most[body] / growth.rate[body];
    }
  }
  return growth;
}

// The mass change of an adaptive step `elapsed` seconds long with the growth at its start, the last
// thing of the step.
inline void massChangeOver(LoopState& s, const MassGrowth& growth, double elapsed) {
  const double gain1 = growth.gain(0, elapsed), gain2 = growth.gain(1, elapsed);
  s.m1 = s.m1 + gain1;
  s.m2 = s.m2 + gain2;
  if (s.bodyCount == 3) s.dmsum1 = s.dmsum1 + gain1, s.dmsum2 = s.dmsum2 + gain2;
}

// The centre of mass of black holes 1 and 2 from the separation measured at the start of the step.
// Where it cannot be computed (zero separation, or masses adding up to exactly 0) it stays as it was,
// the configuration ends as at a merger, and false is returned. A negative sum is computed with: a
// negative mass repels, and the run goes on.
inline bool centreOfMass(LoopState& s) {
  const double total = s.m1 + s.m2;
  if (s.dist12 == 0 || total == 0) {
    s.endCode = EndCode::Ends;
    s.reason = EndReason::Coincidence;
    return false;
  }
  s.rcm1 = s.m2 * s.dist12 / total;
  s.xcm = s.x1 + s.rcm1 * (s.x2 - s.x1) / s.dist12;
  s.ycm = s.y1 + s.rcm1 * (s.y2 - s.y1) / s.dist12;
  return true;
}

}  // namespace bhsim::step
