#pragma once

// The fast loop's steps with the state in registers: x and y of a body (and the two bodies of a pair)
// share one SSE2 register. Every lane does the same IEEE operation in the same order as the plain step,
// so the results are bit-identical to it.

#include <emmintrin.h>

#include <cmath>
#include <cstdint>

#include "sim/constants.hpp"
#include "sim/loop_state.hpp"
#include "sim/revolution_watch.hpp"

namespace bhsim::step {

// Which mass change the steps make: none, the steady one of two black holes, or the hand-over of a
// captured black hole 3.
enum class MassMode { None, Two, Three };

namespace packed {

inline __m128d pair(double lo, double hi) {
  return _mm_set_pd(hi, lo);
}
inline __m128d both(double x) {
  return _mm_set1_pd(x);
}
inline double lo(__m128d v) {
  return _mm_cvtsd_f64(v);
}
inline double hi(__m128d v) {
  return _mm_cvtsd_f64(_mm_unpackhi_pd(v, v));
}
// x * x + y * y of (x, y)
inline double squareSum(__m128d v) {
  const __m128d sq = _mm_mul_pd(v, v);
  return lo(sq) + hi(sq);
}
inline __m128d negate(__m128d v) {
  return _mm_xor_pd(v, both(-0.0));
}

// A body: position and velocity as (x, y) pairs.
struct Body {
  __m128d p, v;
};

// The pull of a pair i, j measured at the start of the step: (g_j x d) / dist on i and (g_i x d) / dist
// on j, with d = p_i - p_j and g = m / s. Returns the squared distance s and the distance.
struct Pull {
  __m128d onI, onJ;
  double s, d;
};

inline Pull pull(__m128d pi, __m128d pj, double mi, double mj) {
  Pull r;
  const __m128d diff = _mm_sub_pd(pi, pj);
  r.s = squareSum(diff);
  r.d = std::sqrt(r.s);
  const __m128d g = _mm_div_pd(pair(mj, mi), both(r.s));  // (mj / s, mi / s)
  const __m128d dd = both(r.d);
  r.onI = _mm_div_pd(_mm_mul_pd(_mm_unpacklo_pd(g, g), diff), dd);
  r.onJ = _mm_div_pd(_mm_mul_pd(_mm_unpackhi_pd(g, g), diff), dd);
  return r;
}

}  // namespace packed

// Runs whole steps until one needs the loop: a crossing, the end of the configuration, a change in the
// bodies in play, or the step count `until`. That step is done up to and including its revolution test;
// its mass change is left to the caller. The state stays in registers while the steps run.
template <bool kThree, MassMode kMass>
Crossing runPackedSteps(LoopState& s, const DirectionWatch& watch, std::int64_t until) {
  using namespace packed;
  Body b0{pair(s.x1, s.y1), pair(s.vx1, s.vy1)};
  Body b1{pair(s.x2, s.y2), pair(s.vx2, s.vy2)};
  Body b2{pair(s.x3, s.y3), pair(s.vx3, s.vy3)};
  __m128d a0 = pair(s.ax1, s.ay1), a1 = pair(s.ax2, s.ay2), a2 = pair(s.ax3, s.ay3);
  const __m128d dt = both(s.dt);
  double m1 = s.m1, m2 = s.m2;
  const double m3 = s.m3;
  double dmsum1 = s.dmsum1, dmsum2 = s.dmsum2;
  const double dmu1 = s.dmu1, dmu2 = s.dmu2;
  double minDist12 = s.minDist12, minDist13 = s.minDist13, minDist23 = s.minDist23;
  double v1max = s.v1max, v2max = s.v2max, v3max = s.v3max;
  double dist12 = s.dist12, dist13 = s.dist13, dist23 = s.dist23;
  __m128d speeds = pair(s.v1, s.v2);
  double v3 = s.v3;
  std::int64_t stepCount = s.stepCount;
  const double bodiesAtEntry = s.bodiesInPlay;
  Crossing crossing = Crossing::None;

  // Everything the rare events and the revolution test read goes back into `s` first.
  const auto store = [&] {
    s.x1 = lo(b0.p), s.y1 = hi(b0.p), s.x2 = lo(b1.p), s.y2 = hi(b1.p), s.x3 = lo(b2.p), s.y3 = hi(b2.p);
    s.vx1 = lo(b0.v), s.vy1 = hi(b0.v), s.vx2 = lo(b1.v), s.vy2 = hi(b1.v), s.vx3 = lo(b2.v),
    s.vy3 = hi(b2.v);
    s.ax1 = lo(a0), s.ay1 = hi(a0), s.ax2 = lo(a1), s.ay2 = hi(a1), s.ax3 = lo(a2), s.ay3 = hi(a2);
    s.m1 = m1, s.m2 = m2, s.dmsum1 = dmsum1, s.dmsum2 = dmsum2;
    s.minDist12 = minDist12, s.minDist13 = minDist13, s.minDist23 = minDist23, s.v1max = v1max,
    s.v2max = v2max, s.v3max = v3max;
    s.dist12 = dist12, s.dist13 = dist13, s.dist23 = dist23;
    s.v1 = lo(speeds), s.v2 = hi(speeds), s.v3 = v3, s.stepCount = stepCount;
  };

  for (;;) {
    stepCount = stepCount + 1;
    const Pull p12 = pull(b0.p, b1.p, m1, m2);
    dist12 = p12.d;
    if (dist12 < minDist12) minDist12 = dist12;
    if (p12.s == 0) [[unlikely]] {
      a0 = a1 = _mm_setzero_pd();
      s.endCode = EndCode::Ends;
      s.reason = EndReason::Coincidence;
    } else {
      a0 = negate(p12.onI);
      a1 = p12.onJ;
    }
    if constexpr (kThree) {
      const Pull p13 = pull(b0.p, b2.p, m1, m3);
      dist13 = p13.d;
      if (dist13 < minDist13) minDist13 = dist13;
      if (p13.s != 0) [[likely]] {
        a0 = _mm_sub_pd(a0, p13.onI);
        a2 = p13.onJ;
      } else {
        a2 = _mm_setzero_pd();
      }
      const Pull p23 = pull(b1.p, b2.p, m2, m3);
      dist23 = p23.d;
      if (dist23 < minDist23) minDist23 = dist23;
      if (p23.s != 0) [[likely]] {
        a1 = _mm_sub_pd(a1, p23.onI);
        a2 = _mm_add_pd(a2, p23.onJ);
      }
    }
    b0.v = _mm_add_pd(b0.v, _mm_mul_pd(a0, dt));
    b1.v = _mm_add_pd(b1.v, _mm_mul_pd(a1, dt));
    b0.p = _mm_add_pd(b0.p, _mm_mul_pd(b0.v, dt));
    b1.p = _mm_add_pd(b1.p, _mm_mul_pd(b1.v, dt));
    speeds = _mm_sqrt_pd(pair(squareSum(b0.v), squareSum(b1.v)));
    const double v1 = lo(speeds), v2 = hi(speeds);
    if (v1 > v1max) v1max = v1;
    if (v2 > v2max) v2max = v2;
    if ((v1 > kLightSpeed || v2 > kLightSpeed) && s.bodiesInPlay > 1) [[unlikely]] {
      store();
      speedTest(s);
    }
    if ((kThree || bodiesAtEntry > 3) && s.bodiesInPlay == 3) {
      b2.v = _mm_add_pd(b2.v, _mm_mul_pd(a2, dt));
      b2.p = _mm_add_pd(b2.p, _mm_mul_pd(b2.v, dt));
      v3 = std::sqrt(squareSum(b2.v));
      if (v3 > v3max) v3max = v3;
      if (dist13 < 1 || dist23 < 1 || v3 > kLightSpeed) [[unlikely]] {
        store();
        thirdBodyTests(s);
        m1 = s.m1;
        m2 = s.m2;
      }
    }
    s.x1 = lo(b0.p), s.y1 = hi(b0.p), s.x2 = lo(b1.p), s.y2 = hi(b1.p);
    s.stepCount = stepCount;
    crossing = fastRevolutionTest(s, watch);
    if (crossing != Crossing::None || s.endCode == EndCode::Ends || s.bodiesInPlay != bodiesAtEntry ||
        stepCount >= until)
      break;
    if constexpr (kMass == MassMode::Two) {
      m1 = m1 + dmu1;
      m2 = m2 + dmu2;
    } else if constexpr (kMass == MassMode::Three) {
      if (s.dmu1 > 0 && dmsum1 < m3) {
        m1 = m1 + s.dmu1;
        dmsum1 = dmsum1 + s.dmu1;
      }
      if (s.dmu2 > 0 && dmsum2 < m3) {
        m2 = m2 + s.dmu2;
        dmsum2 = dmsum2 + s.dmu2;
      }
    }
  }
  store();
  return crossing;
}

}  // namespace bhsim::step
