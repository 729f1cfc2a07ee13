#include "sim/orbit.hpp"

#include <cmath>
#include <cstdio>
#include <numbers>

#include "sim/circular_orbit.hpp"
#include "sim/constants.hpp"
#include "sim/post_newtonian.hpp"

namespace bhsim {
namespace {

using std::numbers::pi;

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

// A number as a person would write it: "33", "17.5", "0.001".
std::string shortNumber(double x) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", x);
  return text;
}

// A number with `decimals` decimals: "20.2".
std::string fixed(double x, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, x);
  return text;
}

double speedRatio(const Orbit& o) {
  return (o.m1 / std::sqrt(o.dist * (o.m1 + o.m2))) / kLightSpeed;
}

// The separation and speed by the first case that applies; false when the distance case is abandoned.
bool separation(const RunParameters& p, double bodyCount, Orbit& o) {
  if (p.vc > 0) {
    o.kind = Orbit::Case::Speed;
    o.vc = p.vc;
    const double w = p.vc * kLightSpeed;
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
      if (o.kind == Orbit::Case::Frequency) o.dist = kLightSpeed / (o.f * (pi * 2));
      o.m1 = o.dist * (kLightSpeed * kLightSpeed);
      o.BH1 = o.m1 / kSolarGM;
      o.massRecomputed = true;
    }
  }
  return true;
}

// A model with conservative terms starts the pair on a circular orbit of its two-body equations: its
// separation from the speed, the frequency or the separation typed, with the angular frequency, the
// speed ratio and the frequency that follow. An orbit beyond the model's circular orbits is marked for
// refusal. False where the masses have no circular orbits at all, no positive separation is typed or the
// orbit is faster than light: the pair then starts as under Newton's law.
bool postNewtonianCircularOrbit(const RunParameters& p, Orbit& o) {
  const double total = o.m1 + o.m2;
  if (!(total > 0) || !(gravity::symmetricMassRatio(o.m1, o.m2) > -1)) return false;
  std::optional<double> separation;
  if (p.vc > 0) {
    o.kind = Orbit::Case::Speed;
    separation =
        gravity::circularSeparationOfSpeed(p.gravity, o.m1, o.m2, ((p.vc * kLightSpeed) * total) / o.m1);
  } else if (p.f > 0) {
    o.kind = Orbit::Case::Frequency;
    separation = gravity::circularSeparationOfFrequency(p.gravity, o.m1, o.m2, p.f * (pi * 2));
  } else {
    o.kind = Orbit::Case::Distance;
    if (!(p.dist > 0)) return false;
    separation = p.dist;
  }
  const auto omega =
      separation ? gravity::circularAngularFrequency(p.gravity, o.m1, o.m2, *separation) : std::nullopt;
  if (!omega) {
    o.beyond = Orbit::Beyond::CircularOrbits;
    return true;
  }
  o.dist = *separation;
  o.angularFrequency = *omega;
  o.f = o.kind == Orbit::Case::Frequency ? p.f : *omega / (pi * 2);
  o.vc = o.kind == Orbit::Case::Speed ? p.vc : ((o.m1 / total) * (*omega * o.dist)) / kLightSpeed;
  return o.vc <= 1;
}

// The frequency (Hz) or speed (v/c) of the pair's circular orbit at a separation under the model (Newton's
// where it has no conservative terms), in the unit of the orbit's case; the separation in the distance
// case.
double valueOfCase(const Orbit& o, GravityModel model, double separation) {
  if (o.kind == Orbit::Case::Distance) return separation;
  const double total = o.m1 + o.m2;
  const double omega = model.conservativeOrder() > 0
                           ? gravity::circularAngularFrequency(model, o.m1, o.m2, separation).value_or(0)
                           : std::sqrt(total / (separation * separation * separation));
  return o.kind == Orbit::Case::Frequency ? omega / (pi * 2)
                                          : ((o.m1 / total) * (omega * separation)) / kLightSpeed;
}

// Marks an orbit that cannot be started: beyond the model's circular orbits, or inside the merger
// separation (under every post-Newtonian model), with the limit in the unit of its case.
void markLimits(const RunParameters& p, Orbit& o) {
  const double merger = gravity::innermostStableSeparation(o.m1, o.m2);
  if (o.beyond == Orbit::Beyond::Nothing && o.dist > 0 && o.dist < merger)
    o.beyond = Orbit::Beyond::MergerSeparation;
  if (o.beyond == Orbit::Beyond::CircularOrbits) {
    const auto innermost = o.kind == Orbit::Case::Speed
                               ? gravity::fastestCircularSeparation(p.gravity, o.m1, o.m2)
                               : gravity::innermostCircularSeparation(p.gravity, o.m1, o.m2);
    o.limitSeparation = innermost.value_or(0);
  } else if (o.beyond == Orbit::Beyond::MergerSeparation) {
    o.limitSeparation = merger;
  }
  if (o.beyond != Orbit::Beyond::Nothing) o.limit = valueOfCase(o, p.gravity, o.limitSeparation);
}

// "33 Hz is above the highest circular orbit of 1PN + 2.5PN gravity for 36 + 29 solar masses (20.2 Hz)".
std::string beyondReason(const RunParameters& p, const Orbit& o) {
  const bool merger = o.beyond == Orbit::Beyond::MergerSeparation;
  const std::string where = merger ? " outside the merger separation" : "";
  const std::string model = std::string(gravityModelLabel(p.gravity)) + " gravity for " + shortNumber(p.BH1) +
                            " + " + shortNumber(p.BH2) + " solar masses";
  switch (o.kind) {
    case Orbit::Case::Frequency:
      return shortNumber(p.f) + " Hz is above the highest circular orbit" + where + " of " + model + " (" +
             fixed(o.limit, 1) + " Hz" + (merger ? " at " + fixed(o.limitSeparation, 1) + " km)" : ")");
    case Orbit::Case::Speed:
      return "v/c " + shortNumber(p.vc) + " is above the fastest circular orbit" + where + " of " + model +
             " (v/c " + fixed(o.limit, 3) + (merger ? " at " + fixed(o.limitSeparation, 1) + " km)" : ")");
    case Orbit::Case::Distance:
      break;
  }
  return shortNumber(p.dist) + " km is inside the " +
         (merger ? "merger separation" : "innermost circular orbit") + " of " + model + " (" +
         fixed(o.limit, 1) + " km)";
}

bool positiveFinite(double x) {
  return std::isfinite(x) && x > 0;
}

}  // namespace

Orbit computeOrbit(const RunParameters& p, double bodyCount) {
  Orbit o;
  o.BH1 = p.BH1;
  o.m1 = kSolarGM * p.BH1;
  o.m2 = kSolarGM * p.BH2;
  o.m3 = kSolarGM * p.BH3;
  massChange(p, bodyCount, o);
  Orbit circular = o;
  const bool postNewtonian = p.gravity.conservativeOrder() > 0 && postNewtonianCircularOrbit(p, circular);
  if (postNewtonian) {
    o = circular;
  } else if (!separation(p, bodyCount, o)) {
    o.abandoned = true;
    return o;
  }
  if (p.gravity != GravityModel::Newtonian && o.m1 + o.m2 > 0) markLimits(p, o);
  if (o.beyond != Orbit::Beyond::Nothing) return o;
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

std::optional<std::string> refusalReason(const RunParameters& p, double bodyCount) {
  if (!(p.stepsPerRevolution > 0))
    return "\"Max count\" must be above 0: it is the number of steps per revolution.";
  if (bodyCount == 3 && p.dalphaRead == 0 && p.alphamax > p.alphamin) {
    return "\"delta\" must not be 0 while \"max\" is above \"alpha   min\": the sweep would never advance.";
  }
  if (p.BH1 == 0 && p.BH2 == 0) return "\"BH 1\" and \"BH 2\" are both 0: there is no orbit to build.";
  const Orbit o = computeOrbit(p, bodyCount);
  if (o.abandoned) return std::nullopt;
  if (o.beyond != Orbit::Beyond::Nothing) return beyondReason(p, o);
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
