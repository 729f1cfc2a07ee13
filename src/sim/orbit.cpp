#include "sim/orbit.hpp"

#include <cmath>

#include "sim/constants.hpp"
#include "sim/post_newtonian.hpp"

namespace bhsim {
namespace {

void massChange(const RunParameters& p, double bodyCount, Orbit& o) {
  o.dmu1 = (p.dm1 * o.m1) / p.stepsPerRevolution;
  o.dmu2 = (p.dm2 * o.m2) / p.stepsPerRevolution;
  if (o.dmu1 < 0 && o.dmu2 > 0) o.dmu1 = -o.dmu2;
  if (o.dmu1 > 0 && o.dmu2 < 0) o.dmu2 = -o.dmu1;
  if (bodyCount == 3) {
    o.dmu1 = 0;
    o.dmu2 = 0;
  }
}

double speedRatio(const Orbit& o) {
  return (o.m1 / std::sqrt(o.dist * (o.m1 + o.m2))) / c;
}

// The separation and speed by the first case that applies; false when the distance case is abandoned.
bool separation(const RunParameters& p, double bodyCount, double pi, Orbit& o) {
  if (p.vc > 0) {
    o.kind = Orbit::Case::Speed;
    o.vc = p.vc;
    const double w = p.vc * c;
    o.dist = (o.m1 * o.m1) / (w * (w * (o.m1 + o.m2)));
    return true;
  }
  if (p.f > 0) {
    o.kind = Orbit::Case::Frequency;
    o.f = p.f;
    const double omega = p.f * (pi * 2);
    o.dist = std::pow((o.m1 + o.m2) / (omega * omega), kCubeRootExponent);
    o.vc = speedRatio(o);
  } else {
    o.kind = Orbit::Case::Distance;
    o.dist = p.dist;
    if (o.dist == 0) return false;
    o.vc = speedRatio(o);
    o.f = std::sqrt((o.m1 + o.m2) / (o.dist * (o.dist * (o.dist * (pi * (pi * 4))))));
  }
  if (o.vc > 1) {
    o.vc = 1;
    o.clamped = true;
    if (bodyCount == 1) {
      if (o.kind == Orbit::Case::Frequency) o.dist = c / (o.f * (pi * 2));
      o.m1 = o.dist * (c * c);
      o.BH1 = o.m1 / GM;
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
bool postNewtonianCircularOrbit(const RunParameters& p, double pi, Orbit& o) {
  const double total = o.m1 + o.m2;
  std::optional<double> separation;
  if (p.vc > 0) {
    o.kind = Orbit::Case::Speed;
    separation = gravity::circularSeparationOfSpeed(o.m1, o.m2, ((p.vc * c) * total) / o.m1);
  } else if (p.f > 0) {
    o.kind = Orbit::Case::Frequency;
    separation = gravity::circularSeparationOfFrequency(o.m1, o.m2, p.f * (pi * 2));
  } else {
    o.kind = Orbit::Case::Distance;
    if (p.dist != 0) separation = p.dist;
  }
  auto omega = separation ? gravity::circularAngularFrequency(o.m1, o.m2, *separation) : std::nullopt;
  const bool innermost = !omega && (p.vc > 0 || p.f > 0 || p.dist != 0);
  if (innermost) {
    separation = gravity::innermostCircularSeparation(o.m1, o.m2);
    omega = separation ? gravity::circularAngularFrequency(o.m1, o.m2, *separation) : std::nullopt;
  }
  if (!omega) return false;
  o.dist = *separation;
  o.angularFrequency = *omega;
  o.f = o.kind == Orbit::Case::Frequency && !innermost ? p.f : *omega / (pi * 2);
  o.vc = o.kind == Orbit::Case::Speed && !innermost ? p.vc : ((o.m1 / total) * (*omega * o.dist)) / c;
  return o.vc <= 1;
}

bool positiveFinite(double x) {
  return std::isfinite(x) && x > 0;
}

}  // namespace

Orbit computeOrbit(const RunParameters& p, double bodyCount, double pi) {
  Orbit o;
  o.BH1 = p.BH1;
  o.m1 = GM * p.BH1;
  o.m2 = GM * p.BH2;
  o.m3 = GM * p.BH3;
  massChange(p, bodyCount, o);
  Orbit circular = o;
  const bool postNewtonian = hasFirstPostNewtonian(p.gravity) && postNewtonianCircularOrbit(p, pi, circular);
  if (postNewtonian) {
    o = circular;
  } else if (!separation(p, bodyCount, pi, o)) {
    o.abandoned = true;
    return o;
  }
  o.rcm2 = (o.m1 * o.dist) / (o.m1 + o.m2);
  o.rcm1 = o.dist - o.rcm2;
  if (postNewtonian) {
    o.v1 = o.angularFrequency * o.rcm1;
    o.v2 = o.angularFrequency * o.rcm2;
    o.revolutionTime = (pi * 2) / o.angularFrequency;
  } else {
    o.v1 = std::sqrt(o.rcm1 * o.m2) / o.dist;
    o.v2 = std::sqrt(o.rcm2 * o.m1) / o.dist;
    const double Circum = (pi * 2) * o.rcm2;
    o.revolutionTime = Circum / o.v2;
  }
  o.dt = o.revolutionTime / p.stepsPerRevolution;
  return o;
}

std::optional<std::string> refusalReason(const RunParameters& p, double bodyCount, double pi) {
  if (!(p.stepsPerRevolution > 0))
    return "\"Max count\" must be above 0: it is the number of steps per revolution.";
  if (bodyCount == 3 && p.dalphaRead == 0 && p.alphamax > p.alphamin) {
    return "\"delta\" must not be 0 while \"max\" is above \"alpha   min\": the sweep would never advance.";
  }
  if (p.BH1 == 0 && p.BH2 == 0) return "\"BH 1\" and \"BH 2\" are both 0: there is no orbit to build.";
  const Orbit o = computeOrbit(p, bodyCount, pi);
  if (o.abandoned) return std::nullopt;
  if (!positiveFinite(o.dist)) return "These masses and this orbit give no positive, finite separation.";
  if (!positiveFinite(o.v2) || !std::isfinite(o.v1) || !positiveFinite(o.rcm2) || !std::isfinite(o.rcm1)) {
    return "These masses and this orbit give no positive, finite orbital speed.";
  }
  if (!positiveFinite(o.revolutionTime) || !positiveFinite(o.dt)) {
    return "These masses and this orbit give no positive, finite revolution time and time step.";
  }
  if (!std::isfinite(o.m1) || !std::isfinite(o.m2) || !std::isfinite(o.m3) || !std::isfinite(o.dmu1) ||
      !std::isfinite(o.dmu2)) {
    return "The masses or their change per step are too large to compute with.";
  }
  return std::nullopt;
}

}  // namespace bhsim
