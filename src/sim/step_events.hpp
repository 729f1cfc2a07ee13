#pragma once

// Finding where inside a step of an adaptive stepper something happens. A quantity is watched at a few
// samples of the step (its value and its rate of change); between them its dense output is searched by
// bisection: for the first time it rises above 0 (an event), or for a least value (a record). A peak or a
// dip between two samples is found from the sign of the rate, so a close pass that begins and ends
// inside one step is not missed.

#include <algorithm>
#include <cmath>

namespace bhsim::step {

// The samples of a step: at 0, 1/4, 1/2, 3/4 and 1 of it.
inline constexpr int kEventSamples = 4;

inline constexpr double sampleFraction(int j) {
  return static_cast<double>(j) / kEventSamples;
}

// A quantity at one time: its value and how fast it changes (per second).
struct Reading {
  double value = 0, rate = 0;
};

using Readings = Reading[kEventSamples + 1];

// The first fraction in (low, high] at which `holds` is true, given it false at low and true at high:
// bisection down to neighbouring doubles.
template <class Holds>
double firstFractionWhere(double low, double high, Holds holds) {
  for (;;) {
    const double middle = 0.5 * (low + high);
    if (!(middle > low && middle < high)) return high;
    (holds(middle) ? high : low) = middle;
  }
}

// Whether a peak of a quantity between two readings `span` seconds apart might reach above 0: the rate
// turns from up to down, and the values with twice what the rates could add come above it.
inline bool mayPeakAbove(const Reading& left, const Reading& right, double span) {
  if (!(left.rate > 0 && right.rate < 0)) return false;
  return std::max(left.value, right.value) + 2 * (left.rate - right.rate) * span > 0;
}

// The first fraction of the step at which the quantity rises above 0, or 2 when it does not. `read`
// turns a motion into a Reading, `dense(fraction)` gives the motion inside the step, `length` is the
// step's length in seconds.
template <class Read, class Dense>
double firstRise(const Readings& r, double length, Read read, Dense dense) {
  if (r[0].value > 0) return 0;
  const auto above = [&](double f) { return read(dense(f)).value > 0; };
  const auto falling = [&](double f) { return read(dense(f)).rate < 0; };
  for (int j = 0; j < kEventSamples; ++j) {
    const double low = sampleFraction(j), high = sampleFraction(j + 1);
    if (r[j + 1].value > 0) return firstFractionWhere(low, high, above);
    if (!mayPeakAbove(r[j], r[j + 1], length / kEventSamples)) continue;
    const double peak = firstFractionWhere(low, high, falling);
    if (above(peak)) return firstFractionWhere(low, peak, above);
  }
  return 2;
}

// The least value of the quantity over the step up to `upTo` (a fraction), where `last` is its reading:
// the samples, and a dip between two of them found by bisection where it might go below `least`.
template <class Read, class Dense>
double lowestValue(const Readings& r, double upTo, const Reading& last, double length, double least,
                   Read read, Dense dense) {
  const auto rising = [&](double f) { return read(dense(f)).rate > 0; };
  least = std::min(least, last.value);
  for (int j = 0; j < kEventSamples && sampleFraction(j) < upTo; ++j) {
    const double low = sampleFraction(j), high = std::min(sampleFraction(j + 1), upTo);
    const Reading& right = sampleFraction(j + 1) <= upTo ? r[j + 1] : last;
    least = std::min({least, r[j].value, right.value});
    if (!(r[j].rate < 0 && right.rate > 0)) continue;
    const double span = (high - low) * length;
    if (std::min(r[j].value, right.value) - 2 * (right.rate - r[j].rate) * span >= least) continue;
    least = std::min(least, read(dense(firstFractionWhere(low, high, rising))).value);
  }
  return least;
}

}  // namespace bhsim::step
