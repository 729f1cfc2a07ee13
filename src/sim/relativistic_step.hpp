#pragma once

// The integration step under a post-Newtonian model: the Newtonian step's order of events (count,
// attract, velocities then positions, the light-speed and black-hole-3 tests) with the model's
// accelerations, a pair merging at its innermost stable orbit. The step is compiled once for each model of
// the table and chosen once per configuration (stepOf).

#include <cmath>

#include "sim/loop_state.hpp"
#include "sim/post_newtonian.hpp"
#include "sim/step.hpp"

namespace bhsim::step {

// The separations at the step's start and their least values; a pair 1-2 at one point ends the
// configuration as in the Newtonian step.
template <int count>
inline void recordSeparations(LoopState& s, const gravity::Geometry<count>& g) {
  s.dist12 = g.distance[0][1];
  if (s.dist12 < s.minDist12) s.minDist12 = s.dist12;
  if (g.inverse[0][1] == 0) {
    s.endCode = EndCode::Ends;
    s.reason = EndReason::Coincidence;
  }
  if constexpr (count == 3) {
    s.dist13 = g.distance[0][2];
    if (s.dist13 < s.minDist13) s.minDist13 = s.dist13;
    s.dist23 = g.distance[1][2];
    if (s.dist23 < s.minDist23) s.minDist23 = s.dist23;
  }
}

// The accelerations of a step. The positions are those of the step's start; the velocities there lag
// half a step behind them (the positions move with the velocities of the step's end), so the
// velocity-dependent terms take the velocities halfway through the step, v + a dt / 2, predicted with
// the acceleration of the step before (a change of order dt, which leaves an error of order dt² in the
// prediction). With the lagging velocities a circular 1PN orbit would drift apart at first order.
template <GravityModel kModel, int count>
inline void attractUnderModel(LoopState& s) {
  using gravity::Body;
  const double half = 0.5 * s.dt;
  Body bodies[count] = {{{s.x1, s.y1}, {s.vx1 + half * s.ax1, s.vy1 + half * s.ay1}, s.m1},
                        {{s.x2, s.y2}, {s.vx2 + half * s.ax2, s.vy2 + half * s.ay2}, s.m2}};
  if constexpr (count == 3) bodies[2] = {{s.x3, s.y3}, {s.vx3 + half * s.ax3, s.vy3 + half * s.ay3}, s.m3};
  const gravity::Geometry<count> geometry = gravity::geometryOf<kModel>(bodies);
  recordSeparations(s, geometry);
  gravity::Vec2 a[count];
  gravity::accelerationsAt<kModel>(geometry, bodies, a, s.pairCoefficients);
  s.ax1 = a[0].x, s.ay1 = a[0].y, s.ax2 = a[1].x, s.ay2 = a[1].y;
  if constexpr (count == 3) s.ax3 = a[2].x, s.ay3 = a[2].y;
}

// An acceleration beyond every number (bodies all but on top of each other, or thrown out of all
// bounds) ends the configuration before the bodies move, as a body faster than light does, so that no
// field ever shows a position or speed that is not a number.
inline bool acceleratedBeyondBounds(LoopState& s, bool three) {
  const double sum = s.ax1 + s.ay1 + s.ax2 + s.ay2 + (three ? s.ax3 + s.ay3 : 0);
  if (std::isfinite(sum)) return false;
  s.endCode = EndCode::Ends;
  s.reason = EndReason::LightSpeed;
  return true;
}

// Black holes 1 and 2 inside their innermost stable orbit merge: post-Newtonian gravity ends there.
inline void pairMergerTest(LoopState& s) {
  if (s.dist12 < gravity::innermostStableSeparation(s.m1, s.m2)) {
    s.endCode = EndCode::Ends;
    s.reason = EndReason::Merger12;
  }
}

template <GravityModel kModel>
void advanceUnderModel(LoopState& s) {
  s.stepCount = s.stepCount + 1;
  const bool three = s.bodiesInPlay == 3;
  if (three) {
    attractUnderModel<kModel, 3>(s);
  } else {
    attractUnderModel<kModel, 2>(s);
  }
  if (acceleratedBeyondBounds(s, three)) return;
  moveFirstTwo(s);
  speedTest(s);
  if (three) {
    moveThird(s);
    thirdBodyTests(s, gravity::innermostStableSeparation(s.m1, s.m3),
                   gravity::innermostStableSeparation(s.m2, s.m3));
  }
  pairMergerTest(s);
}

// Steps 1 to 7 under one model.
using ModelStep = void (*)(LoopState&);

// The step of a model: under Newton's law the plain Newtonian step.
ModelStep stepOf(GravityModel model);

}  // namespace bhsim::step
