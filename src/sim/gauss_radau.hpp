#pragma once

// A 15th-order Gauss-Radau stepper with an adaptive step: IAS15 (H. Rein & D. S. Spiegel, MNRAS 446 (2015)
// 1424), after E. Everhart's RADAU (Dynamics of Comets, ASSL 115 (1985) 185).
//
// Over a step of length dt the acceleration is taken as a polynomial of degree 7 in the fraction h of the
// step, a(h) = a0 + b1 h + ... + b7 h^7. Its coefficients come from the forces at the eight Gauss-Radau
// spacings (h = 0 and seven inside the step), found by a predictor-corrector iteration that settles
// forces depending on the velocities as well as on the positions. Integrated once and twice, the
// polynomial gives the velocities and positions anywhere in the step (the dense output that events are
// located with), to 15th order in dt at the step's end. Its last coefficient measures the error: the next
// step is the one at which max|b7| / max|a| would come to the tolerance (b7 goes as the 7th power of the
// step), and a step whose error comes out far above it is taken again, shorter. Positions and velocities
// are summed with compensation (Kahan), so that rounding does not pile up over millions of steps.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "sim/integrator.hpp"
#include "sim/motion.hpp"

namespace bhsim::step {

namespace radau {

inline constexpr int kTerms = 7;  // b1 ... b7, stored from 0

// h0 = 0 and the seven Gauss-Radau spacings in (0, 1) (Everhart 1985): with h = (1 + x) / 2 the roots of
// (P7(x) + P8(x)) / (1 + x), P the Legendre polynomials.
inline constexpr double kSpacing[kTerms + 1] = {0,
                                                0.0562625605369221464656521910318,
                                                0.180240691736892364987579942780,
                                                0.352624717113169637373907769648,
                                                0.547153626330555383001448554766,
                                                0.734210177215410531523210605558,
                                                0.885320946839095768090359771030,
                                                0.977520613561287501891174488626};

// The polynomial's two forms: in powers, a(h) = a0 + sum b[k] h^(k+1); in Newton's form over the
// spacings, a(h) = a0 + sum g[j] N[j](h) with N[j](h) = h (h - h1) ... (h - hj), whose g are the divided
// differences of the forces at the spacings.
struct Tables {
  double power[kTerms][kTerms] = {};      // power[j][k]: the coefficient of h^(k+1) in N[j]
  double newton[kTerms][kTerms] = {};     // newton[k][j]: the coefficient of N[j] in h^(k+1)
  double inverseGap[kTerms + 1][kTerms];  // 1 / (h_n - h_m), m < n
  double binomial[kTerms + 1][kTerms + 1] = {};
  double position[kTerms] = {};  // 1 / ((k + 2) (k + 3)): b[k]'s share of the position
  double velocity[kTerms] = {};  // 1 / (k + 2): its share of the velocity
};

constexpr Tables tables() {
  Tables t;
  t.power[0][0] = 1;  // N[0] = h; N[j] = N[j-1] (h - h_j)
  for (int j = 1; j < kTerms; ++j) {
    for (int k = 0; k <= j; ++k)
      t.power[j][k] = (k > 0 ? t.power[j - 1][k - 1] : 0) - kSpacing[j] * (k < j ? t.power[j - 1][k] : 0);
  }
  t.newton[0][0] = 1;  // h = N[0]; h N[j] = N[j+1] + h_(j+1) N[j]
  for (int k = 1; k < kTerms; ++k) {
    for (int j = 0; j <= k; ++j)
      t.newton[k][j] =
          (j > 0 ? t.newton[k - 1][j - 1] : 0) + kSpacing[j + 1] * (j < k ? t.newton[k - 1][j] : 0);
  }
  for (int n = 0; n <= kTerms; ++n) {
    for (int m = 0; m < kTerms; ++m) t.inverseGap[n][m] = m < n ? 1 / (kSpacing[n] - kSpacing[m]) : 0;
  }
  for (int n = 0; n <= kTerms; ++n) {
    t.binomial[n][0] = 1;
    for (int k = 1; k <= n; ++k)
      t.binomial[n][k] = t.binomial[n - 1][k - 1] + (k < n ? t.binomial[n - 1][k] : 0);
  }
  for (int k = 0; k < kTerms; ++k) {
    t.position[k] = 1.0 / ((k + 2) * (k + 3));
    t.velocity[k] = 1.0 / (k + 2);
  }
  return t;
}

inline constexpr Tables kTables = tables();

// Consecutive steps differ at most by this factor (and a step whose error asks for less is taken again).
inline constexpr double kSafety = 0.25;
// Predictor-corrector iterations at most, and the change of b7 (relative to the accelerations) at which
// they have settled.
inline constexpr int kMostIterations = 12;
inline constexpr double kSettled = 1e-16;
// Attempts at one step before it is given up (the step then a 4^40th of the first tried).
inline constexpr int kMostAttempts = 40;

// r^(1/7) for r > 0 by Newton's iteration on the mantissa: the same bits on every machine.
inline double seventhRoot(double r) {
  int exponent = 0;
  double m = std::frexp(r, &exponent);
  int q = exponent / 7, s = exponent % 7;
  if (s < 0) s += 7, q -= 1;
  m = std::ldexp(m, s);  // in [0.5, 64)
  double y = 1.3;
  for (int i = 0; i < 12; ++i) {
    const double y3 = y * y * y;
    y = (6 * y + m / (y3 * y3)) / 7;
  }
  return std::ldexp(y, q);
}

}  // namespace radau

// The stepper for `kBodies` bodies. A force is called as force(elapsed, x, v, a): the time into the step
// and arrays of the coordinates.
template <int kBodies>
class GaussRadauStepper {
 public:
  static constexpr int kCoordinates = 2 * kBodies;

  // Starts from `at` (positions and velocities) with `firstStep` as the first step tried.
  void start(const Motion<kBodies>& at, double firstStep, double tolerance);

  // One step, of at most `longest`: false when no step could be taken (accelerations that are not numbers,
  // or a step so short it cannot be told from none).
  template <class Force>
  bool advance(Force& force, double longest);

  double lastStep() const { return done_; }
  std::int64_t evaluations() const { return evaluations_; }
  // Where the last step started and ended (accelerations at the end from the polynomial).
  const Motion<kBodies>& begin() const { return begin_; }
  Motion<kBodies> end() const;
  // The motion at `fraction` (0 to 1) of the last step: its dense output.
  Motion<kBodies> at(double fraction) const;

 private:
  template <class Force>
  double iterate(Force& force, double dt);
  void predict(double dt, double fraction, double (&x)[kCoordinates], double (&v)[kCoordinates]) const;
  void rescale(double ratio);
  void predictNext(double dt);
  void moveToEnd();
  bool coefficientsAreNumbers() const;

  double tolerance_ = kDefaultTolerance;
  double x_[kCoordinates] = {}, v_[kCoordinates] = {};  // where the last step ended
  double lostX_[kCoordinates] = {}, lostV_[kCoordinates] = {};
  Motion<kBodies> begin_;
  double b_[radau::kTerms][kCoordinates] = {}, g_[radau::kTerms][kCoordinates] = {};
  double predicted_[radau::kTerms][kCoordinates] = {};  // b as predicted for the last step, before iterating
  bool corrects_ = false;  // whether the last prediction may correct the next (its step was taken as tried)
  bool stepped_ = false;   // whether b holds a step's coefficients to predict from
  double done_ = 0, next_ = 0;
  std::int64_t evaluations_ = 0;
};

template <int kBodies>
void GaussRadauStepper<kBodies>::start(const Motion<kBodies>& at, double firstStep, double tolerance) {
  tolerance_ = std::clamp(tolerance, kLeastTolerance, kMostTolerance);
  for (int i = 0; i < kCoordinates; ++i) {
    x_[i] = at.x[i], v_[i] = at.v[i], lostX_[i] = lostV_[i] = 0;
    for (int k = 0; k < radau::kTerms; ++k) b_[k][i] = predicted_[k][i] = 0;
  }
  begin_ = at;
  stepped_ = corrects_ = false;
  done_ = 0;
  next_ = firstStep;
}

// Positions and velocities at `fraction` of a step of `dt` from the current coefficients.
template <int kBodies>
void GaussRadauStepper<kBodies>::predict(double dt, double fraction, double (&x)[kCoordinates],
                                         double (&v)[kCoordinates]) const {
  using radau::kTables;
  const double span = fraction * dt;
  for (int i = 0; i < kCoordinates; ++i) {
    double sx = 0, sv = 0;
    for (int k = radau::kTerms - 1; k >= 0; --k) {
      sx = sx * fraction + b_[k][i] * kTables.position[k];
      sv = sv * fraction + b_[k][i] * kTables.velocity[k];
    }
    x[i] = begin_.x[i] + ((span * (begin_.v[i] + span * (0.5 * begin_.a[i] + fraction * sx))) - lostX_[i]);
    v[i] = begin_.v[i] + ((span * (begin_.a[i] + fraction * sv)) - lostV_[i]);
  }
}

// The predictor-corrector iteration of one step of `dt`; returns the step's error, max|b7| / max|a|.
template <int kBodies>
template <class Force>
double GaussRadauStepper<kBodies>::iterate(Force& force, double dt) {
  using radau::kTables;
  for (int j = 0; j < radau::kTerms; ++j) {
    for (int i = 0; i < kCoordinates; ++i) {
      double sum = 0;
      for (int k = j; k < radau::kTerms; ++k) sum += kTables.newton[k][j] * b_[k][i];
      g_[j][i] = sum;
    }
  }
  double change = 1, previousChange = 2, largestAcceleration = 0;
  for (int iteration = 0; iteration < radau::kMostIterations; ++iteration) {
    if (!(change > radau::kSettled) || (iteration > 2 && !(change < previousChange))) break;
    previousChange = change;
    double largestChange = 0;
    largestAcceleration = 0;
    for (int n = 1; n <= radau::kTerms; ++n) {
      double x[kCoordinates], v[kCoordinates], a[kCoordinates];
      predict(dt, radau::kSpacing[n], x, v);
      force(radau::kSpacing[n] * dt, x, v, a);
      ++evaluations_;
      for (int i = 0; i < kCoordinates; ++i) {
        double difference = (a[i] - begin_.a[i]) * kTables.inverseGap[n][0];
        for (int m = 1; m < n; ++m) difference = (difference - g_[m - 1][i]) * kTables.inverseGap[n][m];
        const double delta = difference - g_[n - 1][i];
        g_[n - 1][i] = difference;
        for (int k = 0; k < n; ++k) b_[k][i] += kTables.power[n - 1][k] * delta;
        if (n == radau::kTerms) {
          largestChange = std::max(largestChange, std::fabs(delta));
          largestAcceleration = std::max(largestAcceleration, std::fabs(a[i]));
        }
      }
    }
    change = largestChange / largestAcceleration;
  }
  double largestLast = 0;
  for (int i = 0; i < kCoordinates; ++i)
    largestLast = std::max(largestLast, std::fabs(b_[radau::kTerms - 1][i]));
  return largestLast / largestAcceleration;
}

// The same polynomial over a step `ratio` times as long.
template <int kBodies>
void GaussRadauStepper<kBodies>::rescale(double ratio) {
  double power = ratio;
  for (int k = 0; k < radau::kTerms; ++k, power *= ratio) {
    for (int i = 0; i < kCoordinates; ++i) b_[k][i] *= power;
  }
}

// Continues the last step's polynomial into the next step of `dt`, corrected by how far the last
// prediction was off (Everhart): the first guess of the iteration.
template <int kBodies>
void GaussRadauStepper<kBodies>::predictNext(double dt) {
  using radau::kTables;
  const double q = dt / done_;
  for (int i = 0; i < kCoordinates; ++i) {
    double power = q;
    double next[radau::kTerms];
    for (int k = 0; k < radau::kTerms; ++k, power *= q) {
      double sum = 0;
      for (int j = k; j < radau::kTerms; ++j) sum += kTables.binomial[j + 1][k + 1] * b_[j][i];
      next[k] = power * sum;
    }
    for (int k = 0; k < radau::kTerms; ++k) {
      const double correction = corrects_ ? b_[k][i] - predicted_[k][i] : 0;
      predicted_[k][i] = next[k];
      b_[k][i] = next[k] + correction;
    }
  }
}

template <int kBodies>
void GaussRadauStepper<kBodies>::moveToEnd() {
  using radau::kTables;
  const double dt = done_;
  for (int i = 0; i < kCoordinates; ++i) {
    for (int k = radau::kTerms - 1; k >= 0; --k)
      addCompensated(x_[i], lostX_[i], ((b_[k][i] * kTables.position[k]) * dt) * dt);
    addCompensated(x_[i], lostX_[i], ((0.5 * begin_.a[i]) * dt) * dt);
    addCompensated(x_[i], lostX_[i], begin_.v[i] * dt);
    for (int k = radau::kTerms - 1; k >= 0; --k)
      addCompensated(v_[i], lostV_[i], (b_[k][i] * kTables.velocity[k]) * dt);
    addCompensated(v_[i], lostV_[i], begin_.a[i] * dt);
  }
}

template <int kBodies>
bool GaussRadauStepper<kBodies>::coefficientsAreNumbers() const {
  double sum = 0;
  for (int k = 0; k < radau::kTerms; ++k) {
    for (int i = 0; i < kCoordinates; ++i) sum += b_[k][i];
  }
  return std::isfinite(sum);
}

template <int kBodies>
template <class Force>
bool GaussRadauStepper<kBodies>::advance(Force& force, double longest) {
  for (int i = 0; i < kCoordinates; ++i) begin_.x[i] = x_[i], begin_.v[i] = v_[i];
  force(0.0, begin_.x, begin_.v, begin_.a);
  ++evaluations_;
  double start = 0;
  for (int i = 0; i < kCoordinates; ++i) start += begin_.a[i];
  if (!std::isfinite(start)) return false;
  double dt = std::min(next_, longest);
  if (stepped_) predictNext(dt);
  bool rejected = false;
  for (int attempt = 0;; ++attempt) {
    const double error = iterate(force, dt);
    // Coefficients that are not numbers ask for a much shorter step, started afresh; an error of 0 or
    // one that is not a number with every coefficient a number (no acceleration at all) lets it grow.
    const bool numbers = coefficientsAreNumbers();
    double ratio = numbers ? 1 / radau::kSafety : radau::kSafety / 2;
    if (numbers && error > 0 && std::isfinite(error)) ratio = radau::seventhRoot(tolerance_ / error);
    if (ratio >= radau::kSafety) {
      done_ = dt;
      next_ = dt * std::min(ratio, 1 / radau::kSafety);
      break;
    }
    if (attempt + 1 >= radau::kMostAttempts) return false;
    if (numbers) {
      rescale(ratio);
    } else {
      for (auto& row : b_)
        for (double& value : row) value = 0;
    }
    dt = dt * ratio;
    rejected = true;
  }
  moveToEnd();
  corrects_ = stepped_ && !rejected;
  stepped_ = true;
  return true;
}

template <int kBodies>
Motion<kBodies> GaussRadauStepper<kBodies>::end() const {
  Motion<kBodies> m;
  for (int i = 0; i < kCoordinates; ++i) {
    m.x[i] = x_[i], m.v[i] = v_[i], m.a[i] = begin_.a[i];
    for (int k = 0; k < radau::kTerms; ++k) m.a[i] += b_[k][i];
  }
  return m;
}

template <int kBodies>
Motion<kBodies> GaussRadauStepper<kBodies>::at(double fraction) const {
  Motion<kBodies> m;
  const double span = fraction * done_;
  for (int i = 0; i < kCoordinates; ++i) {
    double sx = 0, sv = 0, sa = 0;
    for (int k = radau::kTerms - 1; k >= 0; --k) {
      sx = sx * fraction + b_[k][i] * radau::kTables.position[k];
      sv = sv * fraction + b_[k][i] * radau::kTables.velocity[k];
      sa = sa * fraction + b_[k][i];
    }
    m.x[i] = begin_.x[i] + span * (begin_.v[i] + span * (0.5 * begin_.a[i] + fraction * sx));
    m.v[i] = begin_.v[i] + span * (begin_.a[i] + fraction * sv);
    m.a[i] = begin_.a[i] + fraction * sa;
  }
  return m;
}

// The stepper family: the row users choose it by, and the stepper for each body count.
struct GaussRadau {
  static constexpr IntegratorRow kRow{
      "ias15", "IAS15", "15th-order Gauss-Radau with an adaptive step (Rein & Spiegel 2015)", true};
  template <int kBodies>
  using Stepper = GaussRadauStepper<kBodies>;
};

}  // namespace bhsim::step
