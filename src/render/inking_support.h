// Pieces of the inking that both inkers share. Internal to the engine.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>

#include "render/engine.h"
#include "base/math_util.h"

namespace zorva {

// The alternative colouring's vector before the pixel's weight.
inline std::array<double, 3> alternativeColorBase(const Settings& s, const std::array<double, kMultiplierCount>& m,
                                                  double phase, int stepIndex, int steps, int k, int N, double x,
                                                  double y) {
  if (!s.OneOrTwo) {
    const double a = wrapMul(2, s.StepColorMultiplier) * m[kStepColor] * stepIndex * kPi / steps + 2 * phase;
    const double b = wrapMul(2, s.ThetaColorMultiplier) * m[kThetaColor] * k * kPi / N + phase;
    return {1 - cosZ(phase - a + b), 1 - sinZ(phase + a - b), 1 - cosZ(phase + a + b)};
  }
  return {std::fabs(std::max(sinZ(x * y), cosZ(y * y))) / 2, std::fabs(std::max(sinZ(y * x), cosZ(x * x))) / 2,
          std::fabs(std::max(cosZ(x + y), sinZ(x * y)))};
}

// The sub-points i = lo .. hi of the older inking whose pixel along one axis
// lies on the canvas (an empty range when hi < lo). The pixel grows with i,
// so the range is found by bisection instead of trying every sub-point.
struct SubPointRange {
  long long lo = 0, hi = -1;
};

inline double subPointOffset(long long index, double Nd, double p) { return (static_cast<double>(index) - Nd / 2) * p * 0.35; }

template <typename PixelOf>
SubPointRange subPointRange(PixelOf&& pixelOf, double v, double Nd, double p, int dim) {
  SubPointRange range;
  const long long N = static_cast<long long>(Nd);
  auto pix = [&](long long i) { return pixelOf(v + subPointOffset(i, Nd, p)); };
  // First index whose pixel is at least 0.
  long long lo = 0, hi = N + 1;
  while (lo < hi) {
    const long long mid = lo + (hi - lo) / 2;
    if (pix(mid) >= 0) hi = mid; else lo = mid + 1;
  }
  range.lo = lo;
  // Last index whose pixel is below dim.
  lo = range.lo;
  hi = N + 1;
  while (lo < hi) {
    const long long mid = lo + (hi - lo) / 2;
    if (pix(mid) < dim) lo = mid + 1; else hi = mid;
  }
  range.hi = lo - 1;
  return range;
}

}  // namespace zorva
