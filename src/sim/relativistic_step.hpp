#pragma once

// The integration step under a post-Newtonian model: the Newtonian step's order of events (count,
// attract, velocities then positions, the light-speed and black-hole-3 tests) with the model's
// accelerations, a pair merging at its innermost stable orbit. Which model is fixed per configuration.

#include <cmath>

#include "sim/loop_state.hpp"
#include "sim/post_newtonian.hpp"
#include "sim/step.hpp"

namespace bhsim::step {

// The separations at the start of the step and their least values; a pair 1-2 at the same point ends
// the configuration as in the Newtonian step.
inline void measureSeparations(LoopState& s, bool three) {
  const Pair p01 = measure(s.x0, s.y0, s.x1, s.y1);
  s.dist01 = p01.d;
  if (s.dist01 < s.d12) s.d12 = s.dist01;
  if (p01.s == 0) {
    s.end1 = 1;
    s.reason = EndReason::Coincidence;
  }
  if (!three) return;
  s.dist02 = measure(s.x0, s.y0, s.x2, s.y2).d;
  if (s.dist02 < s.d13) s.d13 = s.dist02;
  s.dist12 = measure(s.x1, s.y1, s.x2, s.y2).d;
  if (s.dist12 < s.d23) s.d23 = s.dist12;
}

// The accelerations of a step. The positions are those of the step's start; the velocities there lag
// half a step behind them (the positions move with the velocities of the step's end), so the
// velocity-dependent terms take the velocities predicted halfway through the step, v + a dt / 2: with
// the lagging ones a circular 1PN orbit would drift apart at first order in the step.
template <bool kFirstPostNewtonian, bool kRadiating, int count>
inline void stepAccelerations(gravity::Body (&bodies)[count], double dt, gravity::Vec2 (&a)[count]) {
  const gravity::Geometry<count> geometry = gravity::geometryOf(bodies);
  gravity::accelerationsAt<kFirstPostNewtonian, kRadiating>(geometry, bodies, a);
  for (int i = 0; i < count; ++i) bodies[i].velocity = bodies[i].velocity + (0.5 * dt) * a[i];
  gravity::accelerationsAt<kFirstPostNewtonian, kRadiating>(geometry, bodies, a);
}

template <bool kFirstPostNewtonian, bool kRadiating>
inline void attractUnderModel(LoopState& s, bool three) {
  using gravity::Body;
  using gravity::Vec2;
  if (three) {
    Body bodies[3] = {{{s.x0, s.y0}, {s.vx0, s.vy0}, s.m0},
                      {{s.x1, s.y1}, {s.vx1, s.vy1}, s.m1},
                      {{s.x2, s.y2}, {s.vx2, s.vy2}, s.m2}};
    Vec2 a[3];
    stepAccelerations<kFirstPostNewtonian, kRadiating>(bodies, s.dt, a);
    s.ax0 = a[0].x, s.ay0 = a[0].y, s.ax1 = a[1].x, s.ay1 = a[1].y, s.ax2 = a[2].x, s.ay2 = a[2].y;
  } else {
    Body bodies[2] = {{{s.x0, s.y0}, {s.vx0, s.vy0}, s.m0}, {{s.x1, s.y1}, {s.vx1, s.vy1}, s.m1}};
    Vec2 a[2];
    stepAccelerations<kFirstPostNewtonian, kRadiating>(bodies, s.dt, a);
    s.ax0 = a[0].x, s.ay0 = a[0].y, s.ax1 = a[1].x, s.ay1 = a[1].y;
  }
}

// An acceleration beyond every number (bodies all but on top of each other, or thrown out of all
// bounds) ends the configuration before the bodies move, as a body faster than light does, so that no
// field ever shows a position or speed that is not a number.
inline bool acceleratedBeyondBounds(LoopState& s, bool three) {
  const double sum = s.ax0 + s.ay0 + s.ax1 + s.ay1 + (three ? s.ax2 + s.ay2 : 0);
  if (std::isfinite(sum)) return false;
  s.end1 = 1;
  s.reason = EndReason::LightSpeed;
  return true;
}

// Black holes 1 and 2 inside their innermost stable orbit merge: post-Newtonian gravity ends there.
inline void pairMergerTest(LoopState& s) {
  if (s.dist01 < gravity::innermostStableSeparation(s.m0, s.m1)) {
    s.end1 = 1;
    s.reason = EndReason::Merger12;
  }
}

template <bool kFirstPostNewtonian, bool kRadiating>
inline void advanceUnderModel(LoopState& s) {
  s.cnt = s.cnt + 1;
  const bool three = s.nstars == 3;
  measureSeparations(s, three);
  attractUnderModel<kFirstPostNewtonian, kRadiating>(s, three);
  if (acceleratedBeyondBounds(s, three)) return;
  moveFirstTwo(s);
  speedTest(s);
  if (three) {
    moveThird(s);
    thirdBodyTests(s, gravity::innermostStableSeparation(s.m0, s.m2),
                   gravity::innermostStableSeparation(s.m1, s.m2));
  }
  pairMergerTest(s);
}

// Steps 1 to 7 under the state's gravity model (not the Newtonian one, which has its own step).
inline void advanceRelativistic(LoopState& s) {
  switch (s.gravity) {
    case GravityModel::FirstPostNewtonian:
      return advanceUnderModel<true, false>(s);
    case GravityModel::FirstPostNewtonianRadiating:
      return advanceUnderModel<true, true>(s);
    case GravityModel::Radiating:
      return advanceUnderModel<false, true>(s);
    case GravityModel::Newtonian:
      break;
  }
  advance(s);
}

}  // namespace bhsim::step
