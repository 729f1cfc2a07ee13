#pragma once

// The revolution test as the fast loop makes it: decided without the direction angle wherever the
// direction is provably far from the reference angle (and from the 0/360 cut), with the angle computed
// exactly wherever the comparison could go either way. Results are bit-identical to the plain test.

#include <cmath>
#include <cstdint>

#include "sim/loop_state.hpp"
#include "sim/step.hpp"

namespace bhsim::step {

// Classifies directions of black hole 2 seen from black hole 1 against one configuration's reference
// angle, from the components alone.
class DirectionWatch {
 public:
  explicit DirectionWatch(double alpha);

  // 0 when the angle is needed to tell; otherwise a code for the side of the reference angle (or, for
  // a reference angle of 0, that the direction is off the cut).
  signed char classify(double dx, double dy) const;
  // Decides the crossing between two classified directions; false when the angles are needed.
  bool decide(double ox, double oy, signed char oldSide, double dx, double dy, signed char side,
              bool& crossing) const;

 private:
  enum class Mode { Negative, Zero, Arc };
  static constexpr signed char kAbove = 1;  // the angle is above alpha; for alpha 0: off the cut
  static constexpr signed char kAtOrBelow = 2;
  // Relative margin: rounding in the angle is below 1e-13 of a degree, far inside it.
  static constexpr double kMargin = 1e-9;

  Mode mode_;
  bool lowArc_ = false;  // alpha below 180
  double ux_ = 1, uy_ = 0;
};

inline signed char DirectionWatch::classify(double dx, double dy) const {
  const double tol = kMargin * (std::fabs(dx) + std::fabs(dy));
  switch (mode_) {
    case Mode::Negative:
      // every angle is above a negative alpha; only a direction is needed
      return tol > 0 && std::isfinite(tol) ? kAbove : 0;
    case Mode::Zero:
      return (dx < 0 || std::fabs(dy) > tol) && tol > 0 && std::isfinite(tol) ? kAbove : 0;
    case Mode::Arc:
      break;
  }
  if (!(tol > 0) || !std::isfinite(tol)) return 0;
  const double across = ux_ * dy - uy_ * dx;  // |d| sin(angle - alpha)
  if (lowArc_) {
    if (across > tol || dy < -tol) return kAbove;
    if (dy > tol && across < -tol) return kAtOrBelow;
  } else {
    if (across > tol && dy < -tol) return kAbove;
    if (across < -tol || dy > tol) return kAtOrBelow;
  }
  return 0;
}

inline bool DirectionWatch::decide(double ox, double oy, signed char oldSide, double dx, double dy,
                                   signed char side, bool& crossing) const {
  switch (mode_) {
    case Mode::Negative:
      crossing = false;
      return true;
    case Mode::Arc:
      crossing = side == kAbove && oldSide == kAtOrBelow;
      return true;
    case Mode::Zero:
      break;
  }
  // Both directions are off the cut: the angle went down (a crossing) when the turn is clockwise, or
  // counter-clockwise through the cut. The turn must be clearly less than a quarter.
  const double dot = ox * dx + oy * dy;
  const double cross = ox * dy - oy * dx;
  const double tol = kMargin * (std::fabs(ox) + std::fabs(oy)) * (std::fabs(dx) + std::fabs(dy));
  if (!(dot > 0) || !(std::fabs(cross) > tol) || !std::isfinite(tol)) return false;
  const bool throughCut = ((oy < 0) != (dy < 0)) && ox > 0;
  crossing = (cross > 0) == throughCut;
  return true;
}

// The revolution test of the fast loop.
inline Crossing fastRevolutionTest(LoopState& s, const DirectionWatch& watch) {
  const double dx = s.x2 - s.x1;
  const double dy = s.y2 - s.y1;
  const signed char side = watch.classify(dx, dy);
  bool crossing = false;
  if (side != 0 && s.dirSide != 0 && watch.decide(s.dirX, s.dirY, s.dirSide, dx, dy, side, crossing)) {
    s.phiKnown = false;
  } else {
    // an unclassified direction keeps phi known, so the last angle can always be recomputed
    if (!s.phiKnown) angleOfDirection(s.dirX, s.dirY, s.phi);
    s.previousPhi = s.phi;
    angleOfDirection(dx, dy, s.phi);
    s.phiKnown = true;
    crossing = crossed(s.previousPhi, s.phi, s.alpha);
  }
  s.dirX = dx;
  s.dirY = dy;
  s.dirSide = side;
  return crossing ? countCrossing(s) : Crossing::None;
}

// Makes phi (and previousPhi, as far as it was computed) exact again.
inline void settlePhi(LoopState& s) {
  if (s.phiKnown) return;
  angleOfDirection(s.dirX, s.dirY, s.phi);
  s.phiKnown = true;
}

}  // namespace bhsim::step
