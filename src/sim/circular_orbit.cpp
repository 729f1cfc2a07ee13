#include "sim/circular_orbit.hpp"

#include <array>
#include <cmath>

#include "sim/post_newtonian.hpp"

namespace bhsim::gravity {
namespace {

// In the functions below x = G m / (r c²) and u = (v / c)² of the relative speed v = ω r on a circular
// orbit; the frequency as (ω G m / c³)² = x² u and the speed as (ω r / c)² = u are both x^(power - 1) u
// (power 3 and 1).

// x^power (1 - (4 + 2ν) x) / (1 - (1 + 3ν) x): x^(power - 1) u at 1PN, in closed form.
double firstOrderScaled(double x, double nu, int power) {
  return std::pow(x, power) * (1 - (4 + 2 * nu) * x) / (1 - (1 + 3 * nu) * x);
}

// The x of the highest value of `scaled` on (0, high), by golden-section search: the orbits wider than
// it, where the value grows as the orbit shrinks, are the ones to start from.
template <class Scaled>
double peakOf(const Scaled& scaled, double high) {
  double low = 0;
  for (int i = 0; i < 200; ++i) {
    const double a = high - 0.6180339887498949 * (high - low);
    const double b = low + 0.6180339887498949 * (high - low);
    if (scaled(a) < scaled(b)) {
      low = a;
    } else {
      high = b;
    }
  }
  return 0.5 * (low + high);
}

// The separation of the wider circular orbit with scaled(x) = target, by bisection below the peak.
template <class Scaled>
std::optional<double> widerOrbit(const Scaled& scaled, double m, double nu, double target, double peak) {
  // ν is at most 1/4 for masses of one sign; far below 0 the orbits make no sense
  if (!(m > 0) || !(nu > -1) || !(target > 0) || !std::isfinite(target)) return std::nullopt;
  double low = 0, high = peak;
  if (!(target <= scaled(high))) return std::nullopt;
  for (int i = 0; i < 200; ++i) {
    const double middle = 0.5 * (low + high);
    if (middle == low || middle == high) break;
    (scaled(middle) < target ? low : high) = middle;
  }
  const double separation = m / (high * kLightSquared);
  if (!std::isfinite(separation) || !(separation > 0)) return std::nullopt;
  return separation;
}

// The circular orbits of a model's conservative terms and one mass ratio, without a closed form: u(x)
// solves u = x (1 + A(u, x)), followed from x = 0 (Newton's u = x) in small steps up to where the branch
// ends (or v reaches c).
class CircularBranch {
 public:
  CircularBranch(GravityModel model, double nu) : model_(model), nu_(nu) { build(); }

  GravityModel model() const { return model_; }
  double massRatio() const { return nu_; }

  // u at x; nullopt past the end of the branch.
  std::optional<double> speedSquared(double x) const {
    if (!(x > 0) || !(x <= end_)) return std::nullopt;
    const int below = std::min(static_cast<int>(x / kStep), points_ - 1);
    return rootNear(x, below == 0 ? x : speeds_[below]);
  }
  double end() const { return end_; }

  // Where the frequency (0) and the speed (1) of the circular orbits peak, once found.
  mutable std::optional<double> peaks[2];

 private:
  static constexpr int kSteps = 128;
  static constexpr double kStep = 1.0 / 256;

  void build() {
    speeds_[0] = 0;
    for (int i = 1; i <= kSteps; ++i) {
      const double x = kStep * i;
      const double guess = i == 1 ? x : 2 * speeds_[i - 1] - speeds_[i - 2];
      const std::optional<double> u = rootNear(x, guess);
      if (!u || *u >= 1) break;
      speeds_[i] = *u;
      points_ = i + 1;
      end_ = x;
    }
    refineEnd();
  }

  // u - x (1 + A(u, x)), A in units where c = 1.
  double excess(double u, double x) const {
    const PairMotion pair{nu_, x, 1, x, u, 0};
    double along = 0;
    if (model_.has(Term::FirstPostNewtonian)) along += FirstPostNewtonianTerm::relative(pair).alongSeparation;
    forEachTerm(PairTermList{}, [&](auto term) {
      using Term = decltype(term);
      if (Term::kConservative && model_.has(Term::kTerm)) along += Term::relative(pair).alongSeparation;
    });
    return u - x * (1 + along);
  }

  // Newton's method from `guess`, on the branch's side of its end (where the excess grows with u).
  std::optional<double> rootNear(double x, double guess) const {
    double u = guess;
    for (int i = 0; i < 100; ++i) {
      const double h = 1e-6 * std::max(u, x);
      const double slope = (excess(u + h, x) - excess(u - h, x)) / (2 * h);
      if (!(slope > 0)) return std::nullopt;
      const double change = excess(u, x) / slope;
      u -= change;
      if (!(u > 0)) return std::nullopt;
      if (std::fabs(change) <= 1e-14 * u) return u;
    }
    return std::nullopt;
  }

  // Moves the end from the last step that found the branch to where it ends, by bisection.
  void refineEnd() {
    if (points_ < 2) return;
    double good = end_, bad = end_ + kStep;
    for (int i = 0; i < 50; ++i) {
      const double middle = 0.5 * (good + bad);
      const std::optional<double> u = rootNear(middle, speeds_[points_ - 1]);
      (u && *u < 1 ? good : bad) = middle;
    }
    end_ = good;
  }

  GravityModel model_;
  double nu_;
  std::array<double, kSteps + 1> speeds_{};
  int points_ = 1;
  double end_ = 0;
};

// The branch of a model and mass ratio; the last one built on this thread is kept, since a run's set-up
// asks for the same one several times.
const CircularBranch& branchOf(GravityModel model, double nu) {
  thread_local std::optional<CircularBranch> last;
  if (!last || last->model() != model || !(last->massRatio() == nu)) last.emplace(model, nu);
  return *last;
}

// The scaled frequency (power 3) or speed (power 1) of a model's circular orbits, and where its peak is
// looked for.
struct Scaled {
  const CircularBranch* branch = nullptr;  // none at 1PN, which has a closed form
  double nu = 0;
  int power = 0;

  double operator()(double x) const {
    if (!branch) return firstOrderScaled(x, nu, power);
    const std::optional<double> u = branch->speedSquared(x);
    return u ? std::pow(x, power - 1) * *u : 0;
  }
  // The x of the highest value, on the branch found once.
  double peak() const {
    if (!branch) return peakOf(*this, 1 / (4 + 2 * nu));
    std::optional<double>& known = branch->peaks[power == 3 ? 0 : 1];
    if (!known) known = peakOf(*this, branch->end());
    return *known;
  }
};

Scaled scaledOf(GravityModel model, double nu, int power) {
  Scaled scaled{nullptr, nu, power};
  if (model.conservativeOrder() != 1) scaled.branch = &branchOf(model, nu);
  return scaled;
}

std::optional<double> separationOf(GravityModel model, double mass1, double mass2, double target, int power) {
  const double m = mass1 + mass2;
  const double nu = symmetricMassRatio(mass1, mass2);
  if (!(m > 0) || !(nu > -1) || !(target > 0) || !std::isfinite(target)) return std::nullopt;
  const Scaled scaled = scaledOf(model, nu, power);
  return widerOrbit(scaled, m, nu, target, scaled.peak());
}

std::optional<double> peakSeparation(GravityModel model, double mass1, double mass2, int power) {
  const double m = mass1 + mass2;
  const double nu = symmetricMassRatio(mass1, mass2);
  if (!(m > 0) || !(nu > -1)) return std::nullopt;
  const Scaled scaled = scaledOf(model, nu, power);
  const double separation = m / (scaled.peak() * kLightSquared);
  if (!std::isfinite(separation)) return std::nullopt;
  return separation;
}

}  // namespace

// At 1PN the acceleration is ω² r exactly when ω² = (m / r³) (1 - (4 + 2ν) x) / (1 - (1 + 3ν) x): to
// first order in x the textbook ω² = (m / r³) (1 - (3 - ν) x).
std::optional<double> circularAngularFrequency(GravityModel model, double mass1, double mass2,
                                               double separation) {
  const double m = mass1 + mass2;
  const double nu = symmetricMassRatio(mass1, mass2);
  const double x = m / (separation * kLightSquared);
  if (model.conservativeOrder() == 1) {
    const double factor = (1 - (4 + 2 * nu) * x) / (1 - (1 + 3 * nu) * x);
    if (!(m > 0) || !(separation > 0) || !(factor > 0) || !(1 - (1 + 3 * nu) * x > 0)) return std::nullopt;
    return std::sqrt((m / (separation * separation * separation)) * factor);
  }
  if (!(m > 0) || !(separation > 0) || !(nu > -1)) return std::nullopt;
  const std::optional<double> u = branchOf(model, nu).speedSquared(x);
  if (!u) return std::nullopt;
  return (std::sqrt(*u) * kLightSpeed) / separation;
}

std::optional<double> circularSeparationOfFrequency(GravityModel model, double mass1, double mass2,
                                                    double angularFrequency) {
  const double scaled = (angularFrequency * (mass1 + mass2)) / (kLightSquared * kLightSpeed);  // ω m / c³
  return separationOf(model, mass1, mass2, scaled * scaled, 3);
}

std::optional<double> circularSeparationOfSpeed(GravityModel model, double mass1, double mass2,
                                                double relativeSpeed) {
  const double scaled = relativeSpeed / kLightSpeed;
  return separationOf(model, mass1, mass2, scaled * scaled, 1);
}

std::optional<double> innermostCircularSeparation(GravityModel model, double mass1, double mass2) {
  return peakSeparation(model, mass1, mass2, 3);
}

std::optional<double> fastestCircularSeparation(GravityModel model, double mass1, double mass2) {
  return peakSeparation(model, mass1, mass2, 1);
}

}  // namespace bhsim::gravity
