#include "sim/ringdown.hpp"

#include <cmath>

namespace bhsim {

RingdownStrain::RingdownStrain(Strain seen, Strain faceOn, double inclinationRad, RingdownMode mode,
                               bool counterclockwise)
    : seen_(seen),
      faceOn_(faceOn),
      omega_(mode.angularFrequency),
      dampingTime_(mode.dampingTime),
      sense_(counterclockwise ? 1 : -1) {
  const double cosine = std::cos(inclinationRad);
  plusFactor_ = (1 + cosine * cosine) / 2;
  crossFactor_ = cosine;
}

// Face-on, (h+ - i hx)(t) = (h+ - i hx)(0) e^(-iωt) for a counterclockwise orbit (e^(+iωt) clockwise).
Strain RingdownStrain::at(double after) const {
  const double envelope = std::exp(-after / dampingTime_);
  const double cosine = std::cos(omega_ * after), sine = sense_ * std::sin(omega_ * after);
  const double still = seen_.plus - plusFactor_ * faceOn_.plus;
  const double plus = plusFactor_ * (faceOn_.plus * cosine - faceOn_.cross * sine) + still;
  const double cross = seen_.cross * cosine + crossFactor_ * faceOn_.plus * sine;
  return {envelope * plus, envelope * cross};
}

}  // namespace bhsim
