#pragma once

// The strain after black holes 1 and 2 merged: the remnant's (2,2,0) mode rings on from the last
// sample of the inspiral, continuous with it in amplitude and phase, and dies away.

#include "sim/remnant.hpp"
#include "sim/strain.hpp"

namespace bhsim {

// The last sample's strain split as the mode sees it. Seen face-on, h+ - i hx turns like e^(-2iΦ) with
// the orbit's phase Φ; the detector sees that part with the factors (1 + cos²ι)/2 and cos ι, plus a part
// that does not turn (the trace of the quadrupole's second derivative, zero on a circular orbit). The
// turning part goes on at the mode's frequency in the orbit's sense, and both parts fall as e^(-t/τ).
class RingdownStrain {
 public:
  // `seen`: the last sample as the detector saw it; `faceOn`: the same motions seen face-on from the same
  // distance; `counterclockwise`: the sense of black holes 1 and 2 about each other.
  RingdownStrain(Strain seen, Strain faceOn, double inclinationRad, RingdownMode mode, bool counterclockwise);

  // The strain `after` seconds after the last sample (equal to it at 0).
  Strain at(double after) const;

 private:
  Strain seen_, faceOn_;
  double plusFactor_, crossFactor_;  // (1 + cos²ι)/2 and cos ι
  double omega_, dampingTime_;
  double sense_;  // +1 counterclockwise, -1 clockwise
};

}  // namespace bhsim
