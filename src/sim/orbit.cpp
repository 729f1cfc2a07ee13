#include "sim/orbit.hpp"

#include <cmath>

#include "sim/constants.hpp"
#include "sim/post_newtonian.hpp"

namespace bhsim {
namespace {

void massChange(const RunParameters& p, double nBH, Orbit& o) {
  o.dmu0 = (p.dm0 * o.m0) / p.maxcount;
  o.dmu1 = (p.dm1 * o.m1) / p.maxcount;
  if (o.dmu0 < 0 && o.dmu1 > 0) o.dmu0 = -o.dmu1;
  if (o.dmu0 > 0 && o.dmu1 < 0) o.dmu1 = -o.dmu0;
  if (nBH == 3) {
    o.dmu0 = 0;
    o.dmu1 = 0;
  }
}

double speedRatio(const Orbit& o) {
  return (o.m0 / std::sqrt(o.dist * (o.m0 + o.m1))) / c;
}

// The separation and speed by the first case that applies; false when the distance case is abandoned.
bool separation(const RunParameters& p, double nBH, double Pi, Orbit& o) {
  if (p.vc > 0) {
    o.kind = Orbit::Case::Speed;
    o.vc = p.vc;
    const double w = p.vc * c;
    o.dist = (o.m0 * o.m0) / (w * (w * (o.m0 + o.m1)));
    return true;
  }
  if (p.f > 0) {
    o.kind = Orbit::Case::Frequency;
    o.f = p.f;
    const double omega = p.f * (Pi * 2);
    o.dist = std::pow((o.m0 + o.m1) / (omega * omega), kCubeRootExponent);
    o.vc = speedRatio(o);
  } else {
    o.kind = Orbit::Case::Distance;
    o.dist = p.dist;
    if (o.dist == 0) return false;
    o.vc = speedRatio(o);
    o.f = std::sqrt((o.m0 + o.m1) / (o.dist * (o.dist * (o.dist * (Pi * (Pi * 4))))));
  }
  if (o.vc > 1) {
    o.vc = 1;
    o.clamped = true;
    if (nBH == 1) {
      if (o.kind == Orbit::Case::Frequency) o.dist = c / (o.f * (Pi * 2));
      o.m0 = o.dist * (c * c);
      o.BH1 = o.m0 / GM;
      o.massRecomputed = true;
    }
  }
  return true;
}

// The 1PN models start the pair on a circular orbit of the model: its separation from the speed, the
// frequency or the separation typed, with the angular frequency, the speed ratio and the frequency that
// follow. Past the model's innermost circular orbit (the default pair at 33 Hz is) the pair starts on
// that orbit, which lies inside 6 G m / c²: the configuration ends with a merger at its first step.
// False where the masses have no circular orbit at all, or no separation is given.
bool postNewtonianCircularOrbit(const RunParameters& p, double Pi, Orbit& o) {
  const double total = o.m0 + o.m1;
  std::optional<double> separation;
  if (p.vc > 0) {
    o.kind = Orbit::Case::Speed;
    separation = gravity::circularSeparationOfSpeed(o.m0, o.m1, ((p.vc * c) * total) / o.m0);
  } else if (p.f > 0) {
    o.kind = Orbit::Case::Frequency;
    separation = gravity::circularSeparationOfFrequency(o.m0, o.m1, p.f * (Pi * 2));
  } else {
    o.kind = Orbit::Case::Distance;
    if (p.dist != 0) separation = p.dist;
  }
  auto omega = separation ? gravity::circularAngularFrequency(o.m0, o.m1, *separation) : std::nullopt;
  const bool innermost = !omega && (p.vc > 0 || p.f > 0 || p.dist != 0);
  if (innermost) {
    separation = gravity::innermostCircularSeparation(o.m0, o.m1);
    omega = separation ? gravity::circularAngularFrequency(o.m0, o.m1, *separation) : std::nullopt;
  }
  if (!omega) return false;
  o.dist = *separation;
  o.angularFrequency = *omega;
  o.f = o.kind == Orbit::Case::Frequency && !innermost ? p.f : *omega / (Pi * 2);
  o.vc = o.kind == Orbit::Case::Speed && !innermost ? p.vc : ((o.m0 / total) * (*omega * o.dist)) / c;
  return o.vc <= 1;
}

bool positiveFinite(double x) {
  return std::isfinite(x) && x > 0;
}

}  // namespace

Orbit computeOrbit(const RunParameters& p, double nBH, double Pi) {
  Orbit o;
  o.BH1 = p.BH1;
  o.m0 = GM * p.BH1;
  o.m1 = GM * p.BH2;
  o.m2 = GM * p.BH3;
  massChange(p, nBH, o);
  Orbit circular = o;
  const bool postNewtonian = hasFirstPostNewtonian(p.gravity) && postNewtonianCircularOrbit(p, Pi, circular);
  if (postNewtonian) {
    o = circular;
  } else if (!separation(p, nBH, Pi, o)) {
    o.abandoned = true;
    return o;
  }
  o.rcm1 = (o.m0 * o.dist) / (o.m0 + o.m1);
  o.rcm0 = o.dist - o.rcm1;
  if (postNewtonian) {
    o.v0 = o.angularFrequency * o.rcm0;
    o.v1 = o.angularFrequency * o.rcm1;
    o.Revtime = (Pi * 2) / o.angularFrequency;
  } else {
    o.v0 = std::sqrt(o.rcm0 * o.m1) / o.dist;
    o.v1 = std::sqrt(o.rcm1 * o.m0) / o.dist;
    const double Circum = (Pi * 2) * o.rcm1;
    o.Revtime = Circum / o.v1;
  }
  o.dt = o.Revtime / p.maxcount;
  return o;
}

std::optional<std::string> refusalReason(const RunParameters& p, double nBH, double Pi) {
  if (!(p.maxcount > 0)) return "\"Max count\" must be above 0: it is the number of steps per revolution.";
  if (nBH == 3 && p.dalphaRead == 0 && p.alphamax > p.alphamin) {
    return "\"delta\" must not be 0 while \"max\" is above \"alpha   min\": the sweep would never advance.";
  }
  if (p.BH1 == 0 && p.BH2 == 0) return "\"BH 1\" and \"BH 2\" are both 0: there is no orbit to build.";
  const Orbit o = computeOrbit(p, nBH, Pi);
  if (o.abandoned) return std::nullopt;
  if (!positiveFinite(o.dist)) return "These masses and this orbit give no positive, finite separation.";
  if (!positiveFinite(o.v1) || !std::isfinite(o.v0) || !positiveFinite(o.rcm1) || !std::isfinite(o.rcm0)) {
    return "These masses and this orbit give no positive, finite orbital speed.";
  }
  if (!positiveFinite(o.Revtime) || !positiveFinite(o.dt)) {
    return "These masses and this orbit give no positive, finite revolution time and time step.";
  }
  if (!std::isfinite(o.m0) || !std::isfinite(o.m1) || !std::isfinite(o.m2) || !std::isfinite(o.dmu0) ||
      !std::isfinite(o.dmu1)) {
    return "The masses or their change per step are too large to compute with.";
  }
  return std::nullopt;
}

}  // namespace bhsim
